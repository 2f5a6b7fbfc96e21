// TPointStore: the points of one chain, 8 bytes a point (Long, Lat) or 12
// with StoreHeight, plus a cache of their 3-D points shared with the drawing
// code while it projects them.
#pragma once

#include "geo/DynArray.h"
#include "geo/GlobeRoot.h"
#include "geo/GlobeTypes.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

using T3DPoints = TDynArray<TPoint3D>;

// The centroid of a chain and its signed area (square radians).
struct TCentroid {
    TGeoPoint point;
    long double area = 0;
};

class TPointStore : public TGlobeRoot {
public:
    // Chain flags: bits 0-2 are the stream encoding state of the object
    // record; bit 3 is StoreHeight.
    static constexpr uint8_t cfLongCount = 1;
    static constexpr uint8_t cfMinuteGrid = 2;
    static constexpr uint8_t cfDeltaEncoded = 4;
    static constexpr uint8_t cfStoreHeight = 8;

    TPointStore() = default;
    std::string ClassName() const override { return "TPointStore"; }

    int Count() const { return static_cast<int>(m_coords.size() / Stride()); }
    // New points are (0, 0, 0).
    void SetCount(int count);
    bool StoreHeight() const { return (m_chainFlags & cfStoreHeight) != 0; }
    // Heights survive switching on and are dropped when switching off.
    void SetStoreHeight(bool on);
    uint8_t ChainFlags() const { return m_chainFlags; }
    // Sets the encoding bits; StoreHeight stays as it is.
    void SetEncodingFlags(uint8_t flags);

    // Height is 0 when StoreHeight is off. The index must lie inside the store.
    // Inline: every reader, projection and hit test goes through these per point.
    TGeoPoint Point(int index) const
    {
        CheckIndex(index);
        const size_t at = static_cast<size_t>(index) * Stride();
        return { m_coords[at], m_coords[at + 1], StoreHeight() ? m_coords[at + 2] : 0 };
    }
    void SetPoint(int index, const TGeoPoint& p)
    {
        CheckIndex(index);
        Changed();
        const size_t at = static_cast<size_t>(index) * Stride();
        m_coords[at] = p.Long;
        m_coords[at + 1] = p.Lat;
        if (StoreHeight())
            m_coords[at + 2] = p.Height;
    }
    void Insert(int index, const TGeoPoint& p);
    void Delete(int index);
    int Add(const TGeoPoint& p);
    std::unique_ptr<TPointStore> Clone() const;
    void Assign(const TGlobeRoot& source) override;
    // Adds the offsets to every point; longitudes are not normalised.
    void Translate(int32_t dLong, int32_t dLat, int32_t dHeight);

    // The 3-D points of the chain. With cache the store keeps them until the
    // next edit and shares them with the caller; without, any cache is dropped
    // and the caller gets its own. Either way the caller lets go by dropping
    // the pointer.
    std::shared_ptr<const T3DPoints> Get3DPoints(bool cache);
    void DiscardCache() { m_cache3D.reset(); }
    bool HasCached3DPoints() const { return m_cache3D != nullptr; }

    TMER GetMER() const;
    // GetMER, kept until the next edit: drawing asks for it in every frame.
    const TMER& CachedMER() const;
    // Zero points: (0,0,0); one: the point; two: their truncated midpoint; a
    // ring of zero area: the centre of its MER. Area 0 in all these cases.
    TCentroid Centroid() const;
    bool PointOnPolyline(int32_t longitude, int32_t lat, int32_t tolerance) const;
    // Crossing number; side 1 = western longitudes only, 2 = eastern only,
    // 3 = all.
    bool PointInPolygon(int32_t longitude, int32_t lat, int side) const;
    int32_t MemorySize() const;

private:
    size_t Stride() const { return StoreHeight() ? 3 : 2; }
    // Drops what is derived from the points.
    void Changed()
    {
        m_cache3D.reset();
        m_mer.reset();
    }
    void CheckIndex(int index) const
    {
        if (index < 0 || index >= Count())
            IndexOutOfRange(index);
    }
    [[noreturn]] static void IndexOutOfRange(int index);

    std::vector<int32_t> m_coords; // Long, Lat[, Height] per point
    std::shared_ptr<const T3DPoints> m_cache3D;
    mutable std::optional<TMER> m_mer;
    uint8_t m_chainFlags = 0;
};

// Centre of a MER, the longitude normalised.
TGeoPoint MERCentre(const TMER& mer);
