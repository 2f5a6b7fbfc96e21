#include "geo/ObjectRecord.h"

#include "geo/BitmapObject.h"
#include "geo/GeoDataObject.h"
#include "geo/GeoMath.h"
#include "geo/GlobeClassRegistry.h"
#include "geo/GlobeStream.h"
#include "geo/PointStore.h"
#include "platform/BoundedReader.h"

#include <cstdlib>

namespace {

// Grid units and escape value of one encoding mode.
struct TChainMode {
    int64_t unit;
    int64_t escape;
    bool heights;

    explicit TChainMode(uint16_t flags)
        : unit((flags & ofMinuteGrid) ? GU_MINUTE : 1)
        , escape((flags & ofMinuteGrid) ? 127 : 32767)
        , heights((flags & ofHeights) != 0)
    {
    }
};

struct TStep {
    int64_t d[3];
    // Every difference fits below the escape value.
    bool small;
};

TStep StepBetween(const TGeoPoint& from, const TGeoPoint& to, const TChainMode& mode)
{
    TStep s { { (int64_t { to.Long } - from.Long) / mode.unit, (int64_t { to.Lat } - from.Lat) / mode.unit,
                  (int64_t { to.Height } - from.Height) / mode.unit },
        true };
    const int used = mode.heights ? 3 : 2;
    for (int k = 0; k < used; ++k)
        s.small = s.small && std::llabs(s.d[k]) < mode.escape;
    return s;
}

bool OnGrid(int32_t value)
{
    return value % GU_MINUTE == 0;
}

// Walks from the last point to the first as saving always did: heights, the
// grid test and the removal of repeated points.
uint16_t ScanChain(TPointStore& chain)
{
    bool grid = true;
    bool heights = false;
    for (int i = chain.Count() - 1; i >= 0; --i) {
        const TGeoPoint p = chain.Point(i);
        heights = heights || p.Height != 0;
        // Heights count too: a height off the grid would be cut to whole
        // minutes by the compressed form.
        grid = grid && OnGrid(p.Long) && OnGrid(p.Lat) && OnGrid(p.Height);
        if (i >= 2 && i + 1 < chain.Count() && p == chain.Point(i + 1))
            chain.Delete(i);
    }
    return static_cast<uint16_t>((grid ? ofMinuteGrid : 0) | (heights ? ofHeights : 0));
}

bool DeltaIsSmaller(const TPointStore& chain, const TChainMode& mode)
{
    const int64_t full = mode.heights ? 12 : 8;
    if (chain.Count() == 0)
        return false;
    int64_t estimate = full;
    for (int i = 1; i < chain.Count(); ++i) {
        const bool small = StepBetween(chain.Point(i - 1), chain.Point(i), mode).small;
        estimate += small ? (mode.heights ? 6 : 4) : (mode.heights ? 14 : 10);
    }
    return estimate < full * chain.Count();
}

uint8_t StoreEncodingFlags(uint16_t flags)
{
    return static_cast<uint8_t>(((flags & ofLongCount) ? TPointStore::cfLongCount : 0)
        | ((flags & ofMinuteGrid) ? TPointStore::cfMinuteGrid : 0)
        | ((flags & ofDeltaEncoded) ? TPointStore::cfDeltaEncoded : 0));
}

void WriteDelta(TGlobeStreamWriter& writer, int64_t value, bool grid)
{
    if (grid)
        writer.WriteShortInt(static_cast<int8_t>(value));
    else
        writer.WriteSmallInt(static_cast<int16_t>(value));
}

int64_t ReadDelta(TGlobeStreamReader& reader, bool grid)
{
    return grid ? reader.ReadShortInt() : reader.ReadSmallInt();
}

int32_t FromUnits(int64_t value, int64_t unit)
{
    // Wraps as the 32-bit arithmetic of the format does.
    return static_cast<int32_t>(static_cast<uint64_t>(value) * static_cast<uint64_t>(unit));
}

} // namespace

uint16_t PrepareChainForSaving(TPointStore& chain)
{
    uint16_t flags = ScanChain(chain);
    if (DeltaIsSmaller(chain, TChainMode(flags)))
        flags |= ofDeltaEncoded;
    if (chain.Count() > 65535)
        flags |= ofLongCount;
    chain.SetEncodingFlags(StoreEncodingFlags(flags));
    return flags;
}

void WriteChainData(TGlobeStreamWriter& writer, const TPointStore& chain, uint16_t chainFlags)
{
    const TChainMode mode(chainFlags);
    const bool grid = (chainFlags & ofMinuteGrid) != 0;
    if (chainFlags & ofLongCount)
        writer.WriteInteger(chain.Count());
    else
        writer.WriteWord(static_cast<uint16_t>(chain.Count()));
    for (int i = 0; i < chain.Count(); ++i) {
        const TGeoPoint p = chain.Point(i);
        if (i == 0 || !(chainFlags & ofDeltaEncoded)) {
            writer.WriteGeoPoint(p, mode.heights, grid);
            continue;
        }
        const TStep step = StepBetween(chain.Point(i - 1), p, mode);
        if (!step.small) {
            WriteDelta(writer, mode.escape, grid);
            writer.WriteGeoPoint(p, mode.heights, grid);
            continue;
        }
        for (int k = 0; k < (mode.heights ? 3 : 2); ++k)
            WriteDelta(writer, step.d[k], grid);
    }
}

void ReadChainData(TGlobeStreamReader& reader, TPointStore& chain, uint16_t chainFlags)
{
    const TChainMode mode(chainFlags);
    const bool grid = (chainFlags & ofMinuteGrid) != 0;
    const bool delta = (chainFlags & ofDeltaEncoded) != 0;
    chain.SetStoreHeight(mode.heights);
    chain.SetEncodingFlags(StoreEncodingFlags(chainFlags));
    const int64_t count = (chainFlags & ofLongCount) ? int64_t { reader.ReadInteger() } : reader.ReadWord();
    // The smallest a point can be, so that a count the data cannot hold is
    // refused before anything is allocated for it.
    reader.Reader().RequireElements(count, delta ? (grid ? 2 : 4) : (grid ? 4 : 8), "the point count");
    chain.SetCount(static_cast<int>(count));
    int64_t run[3] = {};
    for (int i = 0; i < count; ++i) {
        int64_t first = 0;
        if (i > 0 && delta)
            first = ReadDelta(reader, grid);
        if (i == 0 || !delta || first == mode.escape) {
            const TGeoPoint p = reader.ReadGeoPoint(mode.heights, grid);
            chain.SetPoint(i, p);
            run[0] = p.Long / mode.unit;
            run[1] = p.Lat / mode.unit;
            run[2] = p.Height / mode.unit;
            continue;
        }
        run[0] += first;
        run[1] += ReadDelta(reader, grid);
        if (mode.heights)
            run[2] += ReadDelta(reader, grid);
        chain.SetPoint(i,
            MakeGeoPointH(
                FromUnits(run[0], mode.unit), FromUnits(run[1], mode.unit), FromUnits(run[2], mode.unit)));
    }
}

void RegisterGlobeObjects()
{
    RegisterGlobeClass<TGlobeObject, TGeoDataObject, TCustomObjectSource*>("TGeoDataObject");
    RegisterGlobeClass<TGlobeObject, TBitmapObject, TCustomObjectSource*>("TBitmapObject");
}
