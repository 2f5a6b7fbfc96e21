#include "geo/PointStore.h"

#include "geo/GeoMath.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

TGeoPoint MERCentre(const TMER& mer)
{
    return MakeGeoPoint(
        int64_t { mer.Left } + mer.Width / 2, static_cast<int32_t>(int64_t { mer.Bottom } + mer.Height / 2));
}

void TPointStore::IndexOutOfRange(int index)
{
    throw std::out_of_range("TPointStore: point index " + std::to_string(index) + " out of range");
}

void TPointStore::SetCount(int count)
{
    if (count < 0)
        throw EGlobeException("DynArraySetLength: Invalid Parameter");
    Changed();
    m_coords.resize(static_cast<size_t>(count) * Stride());
}

void TPointStore::SetStoreHeight(bool on)
{
    if (on == StoreHeight())
        return;
    const std::unique_ptr<TPointStore> copy = Clone();
    m_chainFlags
        = static_cast<uint8_t>(on ? (m_chainFlags | cfStoreHeight) : (m_chainFlags & ~cfStoreHeight));
    m_coords.clear();
    SetCount(copy->Count());
    for (int i = 0; i < copy->Count(); ++i)
        SetPoint(i, copy->Point(i));
}

void TPointStore::SetEncodingFlags(uint8_t flags)
{
    m_chainFlags = static_cast<uint8_t>((flags & ~cfStoreHeight) | (m_chainFlags & cfStoreHeight));
}

void TPointStore::Insert(int index, const TGeoPoint& p)
{
    Changed();
    index = std::clamp(index, 0, Count());
    const auto at = m_coords.begin() + static_cast<std::ptrdiff_t>(static_cast<size_t>(index) * Stride());
    m_coords.insert(at, Stride(), 0);
    SetPoint(index, p);
}

void TPointStore::Delete(int index)
{
    Changed();
    if (index < 0 || index >= Count())
        return;
    const auto at = m_coords.begin() + static_cast<std::ptrdiff_t>(static_cast<size_t>(index) * Stride());
    m_coords.erase(at, at + static_cast<std::ptrdiff_t>(Stride()));
}

int TPointStore::Add(const TGeoPoint& p)
{
    // Chains are built point by point (readers, the seam split): no shift, no index check.
    Changed();
    m_coords.push_back(p.Long);
    m_coords.push_back(p.Lat);
    if (StoreHeight())
        m_coords.push_back(p.Height);
    return Count() - 1;
}

std::unique_ptr<TPointStore> TPointStore::Clone() const
{
    auto copy = std::make_unique<TPointStore>();
    copy->m_chainFlags = m_chainFlags;
    copy->m_coords = m_coords;
    return copy;
}

void TPointStore::Assign(const TGlobeRoot& source)
{
    const auto* other = dynamic_cast<const TPointStore*>(&source);
    if (!other) {
        TGlobeRoot::Assign(source);
        return;
    }
    Changed();
    m_chainFlags = other->m_chainFlags;
    m_coords = other->m_coords;
}

void TPointStore::Translate(int32_t dLong, int32_t dLat, int32_t dHeight)
{
    Changed();
    const int32_t offsets[3] = { dLong, dLat, dHeight };
    for (size_t i = 0; i < m_coords.size(); ++i)
        m_coords[i] = static_cast<int32_t>(
            static_cast<uint32_t>(m_coords[i]) + static_cast<uint32_t>(offsets[i % Stride()]));
}

std::shared_ptr<const T3DPoints> TPointStore::Get3DPoints(bool cache)
{
    if (cache && m_cache3D)
        return m_cache3D;
    DiscardCache();
    auto points = std::make_shared<T3DPoints>(Count());
    for (int i = 0; i < Count(); ++i) {
        const TGeoPoint p = Point(i);
        (*points)[i] = GeoTo3D(p.Long, p.Lat, p.Height);
    }
    if (cache)
        m_cache3D = points;
    return points;
}

const TMER& TPointStore::CachedMER() const
{
    if (!m_mer)
        m_mer = GetMER();
    return *m_mer;
}

TMER TPointStore::GetMER() const
{
    if (Count() == 0)
        return {};
    int32_t minLat = std::numeric_limits<int32_t>::max(), maxLat = std::numeric_limits<int32_t>::min();
    int32_t minLong = std::numeric_limits<int32_t>::max(), maxLong = std::numeric_limits<int32_t>::min();
    int32_t smallestEast = std::numeric_limits<int32_t>::max(),
            largestWest = std::numeric_limits<int32_t>::min();
    int crossings = 0;
    // The chain counts as closed: the walk starts from the last point.
    int32_t previousQuadrant = Point(Count() - 1).Long / GU_90_DEGREE;
    for (int i = 0; i < Count(); ++i) {
        const TGeoPoint p = Point(i);
        const int32_t q = p.Long / GU_90_DEGREE;
        if ((previousQuadrant > 0 && q < 0) || (previousQuadrant < 0 && q > 0))
            ++crossings;
        previousQuadrant = q;
        minLat = std::min(minLat, p.Lat);
        maxLat = std::max(maxLat, p.Lat);
        minLong = std::min(minLong, p.Long);
        maxLong = std::max(maxLong, p.Long);
        if (p.Long >= 0)
            smallestEast = std::min(smallestEast, p.Long);
        else
            largestWest = std::max(largestWest, p.Long);
    }
    TMER mer { minLong, minLat, 0, static_cast<int32_t>(int64_t { maxLat } - minLat) };
    if (crossings % 2 == 1) {
        // The chain encloses a pole.
        mer.Left = -(GU_180_DEGREE - 1);
        mer.Width = GU_360_DEGREE - 2;
    } else if (crossings == 0) {
        mer.Width = static_cast<int32_t>(int64_t { maxLong } - minLong);
    } else {
        // The chain crosses the 180 degree meridian.
        mer.Left = smallestEast;
        mer.Width = static_cast<int32_t>(int64_t { largestWest } - smallestEast + GU_360_DEGREE);
    }
    return mer;
}

TCentroid TPointStore::Centroid() const
{
    const int n = Count();
    if (n == 0)
        return {};
    if (n == 1)
        return { { Point(0).Long, Point(0).Lat, 0 }, 0 };
    if (n == 2) {
        const TGeoPoint a = Point(0), b = Point(1);
        return { { static_cast<int32_t>((int64_t { a.Long } + b.Long) / 2),
                     static_cast<int32_t>((int64_t { a.Lat } + b.Lat) / 2), 0 },
            0 };
    }
    const TMER mer = GetMER();
    const bool wrap = int64_t { mer.Left } + mer.Width > GU_180_DEGREE;
    auto radians = [&](int i, long double& x, long double& y) {
        const TGeoPoint p = Point(i % n);
        x = p.Long * GU_TO_RADIANS;
        y = p.Lat * GU_TO_RADIANS;
        if (wrap && x <= -PI_L / 2)
            x += 2 * PI_L;
    };
    long double px, py, a = 0, sx = 0, sy = 0;
    radians(0, px, py);
    for (int i = 1; i <= n; ++i) {
        long double cx, cy;
        radians(i, cx, cy);
        const long double t = px * cy - cx * py;
        a += t;
        sx += t * (px + cx);
        sy += t * (py + cy);
        px = cx;
        py = cy;
    }
    // Below one square GlobeUnit the ring has no area worth dividing by:
    // collinear or repeated points leave only rounding noise here.
    if (std::fabs(a) < GU_TO_RADIANS * GU_TO_RADIANS)
        return { MERCentre(mer), 0 };
    long double cx = sx / (3 * a);
    if (cx >= PI_L)
        cx -= 2 * PI_L;
    const long double cy = sy / (3 * a);
    return { { Rnd(cx * GU_PER_RADIAN), Rnd(cy * GU_PER_RADIAN), 0 }, a / 2 };
}

bool TPointStore::PointOnPolyline(int32_t longitude, int32_t lat, int32_t tolerance) const
{
    for (int i = 1; i < Count(); ++i) {
        const TGeoPoint a = Point(i - 1), b = Point(i);
        if (IsOnSegment(longitude, lat, a.Long, a.Lat, b.Long, b.Lat, tolerance))
            return true;
    }
    return false;
}

bool TPointStore::PointInPolygon(int32_t longitude, int32_t lat, int side) const
{
    if (Count() == 0)
        return false;
    auto skippedAtStart
        = [side](const TGeoPoint& p) { return (side == 1 && p.Long >= 0) || (side == 2 && p.Long <= 0); };
    auto skipped
        = [side](const TGeoPoint& p) { return (side == 1 && p.Long > 0) || (side == 2 && p.Long < 0); };
    int start = Count() - 1;
    while (start > 0 && skippedAtStart(Point(start)))
        --start;
    TGeoPoint prev = Point(start);
    bool inside = false;
    for (int i = 0; i < Count(); ++i) {
        const TGeoPoint cur = Point(i);
        if (skipped(cur))
            continue;
        const bool spans = (lat >= cur.Lat && lat < prev.Lat) || (lat >= prev.Lat && lat < cur.Lat);
        if (spans
            && int64_t { longitude } < int64_t { cur.Long }
                    + MulDiv(static_cast<int32_t>(int64_t { prev.Long } - cur.Long),
                        static_cast<int32_t>(int64_t { lat } - cur.Lat),
                        static_cast<int32_t>(int64_t { prev.Lat } - cur.Lat)))
            inside = !inside;
        prev = cur;
    }
    return inside;
}

int32_t TPointStore::MemorySize() const
{
    const size_t cached = m_cache3D ? static_cast<size_t>(m_cache3D->Count()) * sizeof(TPoint3D) : 0;
    return static_cast<int32_t>(sizeof(TPointStore) + m_coords.size() * sizeof(int32_t) + cached);
}
