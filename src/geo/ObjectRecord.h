// The binary object record of globe objects: the flags word and the chain
// data of TGeoDataObject (plain or on the one-minute grid, with or without
// heights, delta-encoded with escapes, Word or Integer point counts).
// TGlobeObject::SaveToStream / LoadFromStream and their overrides frame it.
#pragma once

#include <cstdint>

class TGlobeStreamReader;
class TGlobeStreamWriter;
class TPointStore;

// Bits of the flags word.
inline constexpr uint16_t ofTitle = 0x0001;
inline constexpr uint16_t ofID = 0x0002;
inline constexpr uint16_t ofHeights = 0x0004;
inline constexpr uint16_t ofMinuteGrid = 0x0008;
inline constexpr uint16_t ofDeltaEncoded = 0x0010;
inline constexpr uint16_t ofNoChains = 0x0020;
inline constexpr uint16_t ofLongCount = 0x0040;
inline constexpr uint16_t ofZoomRange = 0x0080;
inline constexpr uint16_t ofClosed = 0x0100;
inline constexpr uint16_t ofChainCount = 0x0400;
inline constexpr uint16_t ofGUID = 0x0800;
// The bits that describe one chain (also the per-chain flags of later chains).
inline constexpr uint16_t CHAIN_RECORD_FLAGS = ofHeights | ofMinuteGrid | ofDeltaEncoded | ofLongCount;

// Chooses how a chain is written: heights, minute grid, delta encoding and
// long count. Removes consecutive duplicate points from index 2 on, as saving
// always has. The chain's own encoding flags are set to match.
uint16_t PrepareChainForSaving(TPointStore& chain);
void WriteChainData(TGlobeStreamWriter& writer, const TPointStore& chain, uint16_t chainFlags);
// Replaces the chain's points by those read; the chain takes its height and
// encoding flags from chainFlags.
void ReadChainData(TGlobeStreamReader& reader, TPointStore& chain, uint16_t chainFlags);

// Registers TGeoDataObject and TBitmapObject by class name (idempotent). They
// are created with the source they join: TCustomObjectSource*.
void RegisterGlobeObjects();
