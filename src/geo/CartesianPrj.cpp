#include "geo/CartesianPrj.h"

#include "geo/CustomGlobe4.h"
#include "geo/DevicePoints.h"
#include "geo/GeoMath.h"
#include "geo/PointStore.h"
#include "geo/TextureData.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>
#include <numbers>

namespace {

// Integers lo to hi; empty when lo > hi.
struct TNearRange {
    int64_t lo = 1, hi = 0;
    bool Contains(int64_t v) const { return lo <= v && v <= hi; }
};

constexpr int32_t MERCATOR_LAT_LIMIT = GU_90_DEGREE - 1;

// Values a 64-bit rounding can take safely.
bool Representable(long double v)
{
    return std::isfinite(v) && std::fabs(v) < 4e18L;
}

// Bound of the relative error of a double product of an exact integer and
// the double scale against the extended product: the scale's rounding and
// the product's, with a margin of two.
constexpr double PRODUCT_ERROR = 0x1p-50;

// Double Mercator ordinates only this far from the equator: beyond, the error
// of tan grows as 1 / cos(lat) and the extended formula decides.
constexpr int32_t MERCATOR_DOUBLE_LIMIT = 80 * GU_DEGREE;
// Bound of the error of the double ordinate in GlobeUnits below that limit:
// about 34 units in the last place of a radian, with a margin of eight.
constexpr double MERCATOR_DOUBLE_ERROR = static_cast<double>(GU_PER_RADIAN) * 0x1p-45;

// Closer than this to a device point (less the origin), a projection rounds
// within one pixel of it: 1.5 pixels, less a margin for the extended
// product's rounding.
constexpr double NEAR = 1.5 - 0x1p-17;

// The integers whose product with the scale lies within NEAR of the device
// coordinate, narrowed by a unit for the double division; empty (lo > hi)
// when the scale is no number or the quotients are beyond 2^50, where a unit
// no longer bounds the division's error.
TNearRange NearRange(double device, double scale)
{
    const double a = (device - NEAR) / scale, b = (device + NEAR) / scale;
    constexpr double limit = 0x1p50;
    if (!(std::abs(a) < limit && std::abs(b) < limit && a <= b))
        return {};
    return { static_cast<int64_t>(std::ceil(a)) + 1, static_cast<int64_t>(std::floor(b)) - 1 };
}

bool Unclamped(int32_t device)
{
    return std::abs(device) < (1 << 30);
}

// The y of plate carree projection: the latitude times the scale, exact in
// double but for the product's rounding.
struct TPlateCarreeOrdinate {
    long double scale;
    double scaleInDouble;
    double error = 0;
    double Projected(int32_t lat) const { return -(lat * scaleInDouble); }
    long double Extended(int32_t lat) const { return -(lat * scale); }
    // The latitudes whose device y rounds within one pixel of device (less
    // the origin), or fewer.
    TNearRange NearLatitudes(double device) const { return NearRange(-device, scaleInDouble); }
};

// The Mercator y: in double within error pixels of the extended formula up
// to MERCATOR_DOUBLE_LIMIT, beyond only extended (not a number in double).
struct TMercatorOrdinate {
    long double scale;
    double scaleInDouble;
    double error;
    double Projected(int32_t lat) const
    {
        if (std::abs(lat) > MERCATOR_DOUBLE_LIMIT)
            return std::numeric_limits<double>::quiet_NaN();
        return -(MercatorYInDouble(lat) * scaleInDouble);
    }
    long double Extended(int32_t lat) const { return -(MercatorY(lat) * scale); }
    // From the Mercator ordinates that do, through the inverse formula,
    // narrowed by two GlobeUnits for its double error (the inverse shrinks
    // errors: dlat/dy = cos lat); none beyond MERCATOR_DOUBLE_LIMIT.
    TNearRange NearLatitudes(double device) const
    {
        const TNearRange ordinates = NearRange(-device, scaleInDouble);
        static const double limit = MercatorYInDouble(MERCATOR_DOUBLE_LIMIT);
        if (ordinates.lo > ordinates.hi || !(std::abs(static_cast<double>(ordinates.lo)) < limit)
            || !(std::abs(static_cast<double>(ordinates.hi)) < limit))
            return {};
        return { static_cast<int64_t>(std::ceil(LatOf(static_cast<double>(ordinates.lo)))) + 2,
            static_cast<int64_t>(std::floor(LatOf(static_cast<double>(ordinates.hi)))) - 2 };
    }
    static double MercatorYInDouble(int32_t lat)
    {
        constexpr double toRadians = static_cast<double>(GU_TO_RADIANS);
        constexpr double quarterPi = std::numbers::pi / 4;
        return std::log(std::tan(lat * toRadians / 2 + quarterPi)) * static_cast<double>(GU_PER_RADIAN);
    }
    static double LatOf(double y)
    {
        constexpr auto perRadian = static_cast<double>(GU_PER_RADIAN);
        return (2 * std::atan(std::exp(y / perRadian)) - std::numbers::pi / 2) * perRadian;
    }
};

bool Inside(const TRect& world, int64_t longitude, int64_t lat)
{
    return world.Left <= longitude && longitude <= world.Right && world.Top <= lat && lat <= world.Bottom;
}

} // namespace

long double MercatorY(int32_t lat)
{
    const int32_t clamped = std::clamp(lat, -MERCATOR_LAT_LIMIT, MERCATOR_LAT_LIMIT);
    const long double phi = clamped * GU_TO_RADIANS;
    return std::log(std::tan(phi / 2 + PI_L / 4)) * GU_PER_RADIAN;
}

TCartesianPrj::TCartesianPrj(TGlobeProjection& projection)
    : TProjectionModel(projection)
{
    projection.ModelProperties = MODEL_TEXTURE_CAPABLE;
}

int32_t TCartesianPrj::CentralMeridianGU() const
{
    return Rnd(Projection().CentralMeridian() * GU_DEGREE);
}

template <typename Ordinate>
int TCartesianPrj::ProjectFlatChain(const TPointStore& store, int startIndex, const Ordinate& ordinate)
{
    const TGlobeProjection& projection = Projection();
    const long double scale = projection.ScaleFactor();
    const auto scaleInDouble = static_cast<double>(scale);
    const int32_t x0 = projection.XOrigin(), y0 = projection.YOrigin(), centralMeridian = CentralMeridianGU();
    const TRect world = WorldExtent();
    // A point within the near ranges of the last point's device point
    // rounds within one pixel of it and is dropped unprojected: most points
    // of a big layer seen whole. Longitudes count from the central meridian.
    TNearRange nearLongs, nearLats;
    TDevicePointBuffer& out = DevicePoints();
    int i = startIndex;
    int64_t lastX = GU_360_DEGREE, lastY = GU_360_DEGREE;
    for (int k = 0; k < store.Count(); ++k) {
        const TGeoPoint p = store.Point(k);
        const int64_t relative = int64_t { p.Long } - centralMeridian;
        if (nearLongs.Contains(relative) && nearLats.Contains(p.Lat))
            continue;
        if (!Inside(world, p.Long, p.Lat))
            continue;
        const int32_t e = NormalizeLong(relative);
        const double px = e * scaleInDouble, py = ordinate.Projected(p.Lat);
        int32_t x, y;
        if (!DeviceCoordInDouble(px, std::abs(px) * PRODUCT_ERROR, x0, x))
            x = DeviceCoord(e * scale, x0);
        if (!DeviceCoordInDouble(py, std::abs(py) * PRODUCT_ERROR + ordinate.error, y0, y))
            y = DeviceCoord(ordinate.Extended(p.Lat), y0);
        if (std::abs(x - lastX) <= 1 && std::abs(y - lastY) <= 1)
            continue;
        out.Put(i++, { x, y });
        lastX = x;
        lastY = y;
        // A clamped device point is no centre. Within the range longitudes
        // need no wrap.
        nearLongs = nearLats = {};
        if (Unclamped(x) && Unclamped(y)) {
            nearLongs = NearRange(static_cast<double>(int64_t { x } - x0), scaleInDouble);
            nearLongs.lo = std::max<int64_t>(nearLongs.lo, -(GU_180_DEGREE + 1));
            nearLongs.hi = std::min<int64_t>(nearLongs.hi, GU_180_DEGREE + 1);
            nearLats = ordinate.NearLatitudes(static_cast<double>(int64_t { y } - y0));
        }
    }
    return i;
}

int TCartesianPrj::ProjectChain(TPointStore& store, int startIndex, bool)
{
    const long double scale = Projection().ScaleFactor();
    return ProjectFlatChain(store, startIndex, TPlateCarreeOrdinate { scale, static_cast<double>(scale) });
}

bool TCartesianPrj::InsideWorld(int64_t longitude, int64_t lat) const
{
    return Inside(WorldExtent(), longitude, lat);
}

bool TCartesianPrj::WriteGeo(long double longitude, long double lat, int index) const
{
    if (!Representable(longitude) || !Representable(lat))
        return false;
    const int64_t geoLong = Rnd64(longitude);
    const int64_t geoLat = Rnd64(lat);
    if (geoLong < INT32_MIN || geoLong > INT32_MAX || !InsideWorld(NormalizeLong(geoLong), geoLat))
        return false;
    DevicePoints().Put(index, { NormalizeLong(geoLong), static_cast<int32_t>(geoLat) });
    return true;
}

bool TCartesianPrj::ProjectPoint(const TGeoPoint& p, int index)
{
    const TGlobeProjection& projection = Projection();
    const long double s = projection.ScaleFactor();
    const int32_t e = NormalizeLong(int64_t { p.Long } - CentralMeridianGU());
    DevicePoints().Put(
        index, { DeviceCoord(e * s, projection.XOrigin()), DeviceCoord(-(p.Lat * s), projection.YOrigin()) });
    return InsideWorld(p.Long, p.Lat);
}

bool TCartesianPrj::ScreenToGeo(int32_t x, int32_t y, int index)
{
    const TGlobeProjection& projection = Projection();
    const long double s = projection.ScaleFactor();
    return WriteGeo((static_cast<long double>(x) - projection.XOrigin()) / s + CentralMeridianGU(),
        -((static_cast<long double>(y) - projection.YOrigin()) / s), index);
}

void TCartesianPrj::ProjectionChanged(int kind)
{
    if (kind == pcXRotation)
        XRotationChanged();
    else if (kind == pcYRotation)
        YRotationChanged();
}

void TCartesianPrj::XRotationChanged()
{
    TGlobeProjection& projection = Projection();
    switch (projection.XAxisChanges()) {
    case TXAxisChanges::xaYOrigin:
        // The map slides vertically by the rotation change.
        ProjectLongLat(Rnd(projection.YRotation() * GU_DEGREE),
            -Rnd((projection.XRotation() - m_lastXRotation) * GU_DEGREE), 0);
        projection.SetYOrigin(DevicePoints().Get(0).Y);
        break;
    case TXAxisChanges::xaCentralParallel: {
        const long double parallel = projection.CentralParallel();
        if (parallel > -GU_90_DEGREE && parallel < GU_90_DEGREE)
            projection.SetCentralParallel(
                NormalizeDegrees(projection.XRotation() - m_lastXRotation + parallel));
        break;
    }
    case TXAxisChanges::xaNoAction:
        break;
    }
    m_lastXRotation = projection.XRotation();
}

void TCartesianPrj::YRotationChanged()
{
    TGlobeProjection& projection = Projection();
    switch (projection.YAxisChanges()) {
    case TYAxisChanges::yaXOrigin:
        ProjectLongLat(-Rnd((projection.YRotation() - m_lastYRotation) * GU_DEGREE),
            -Rnd(projection.XRotation() * GU_DEGREE), 0);
        projection.SetXOrigin(DevicePoints().Get(0).X);
        break;
    case TYAxisChanges::yaCentralMeridian:
        // The map scrolls around the world.
        projection.SetCentralMeridian(
            NormalizeDegrees(projection.YRotation() - m_lastYRotation + projection.CentralMeridian()));
        break;
    case TYAxisChanges::yaNoAction:
        break;
    }
    m_lastYRotation = projection.YRotation();
}

void TCartesianPrj::PaintSurface()
{
    TTextureData* texture = Globe().SurfaceTexture();
    if (texture && texture->HasImage() && (Projection().ModelProperties & MODEL_TEXTURE_CAPABLE))
        Globe().RenderTexture(*texture);
    else
        TProjectionModel::PaintSurface();
}

void TCartesianPrj::Assign(const TGlobeRoot& source)
{
    TProjectionModel::Assign(source);
    if (const auto* other = dynamic_cast<const TCartesianPrj*>(&source)) {
        m_lastXRotation = other->m_lastXRotation;
        m_lastYRotation = other->m_lastYRotation;
    }
}

int TMercatorPrj::ProjectChain(TPointStore& store, int startIndex, bool)
{
    const long double scale = Projection().ScaleFactor();
    const auto scaleInDouble = static_cast<double>(scale);
    return ProjectFlatChain(store, startIndex,
        TMercatorOrdinate { scale, scaleInDouble, MERCATOR_DOUBLE_ERROR * std::abs(scaleInDouble) });
}

bool TMercatorPrj::ProjectPoint(const TGeoPoint& p, int index)
{
    const TGlobeProjection& projection = Projection();
    const long double s = projection.ScaleFactor();
    const int32_t e = NormalizeLong(int64_t { p.Long } - CentralMeridianGU());
    DevicePoints().Put(index,
        { DeviceCoord(e * s, projection.XOrigin()),
            DeviceCoord(-(MercatorY(p.Lat) * s), projection.YOrigin()) });
    return InsideWorld(p.Long, p.Lat);
}

bool TMercatorPrj::ScreenToGeo(int32_t x, int32_t y, int index)
{
    const TGlobeProjection& projection = Projection();
    const long double s = projection.ScaleFactor();
    const long double yMercator = (static_cast<long double>(y) - projection.YOrigin()) / s;
    const long double lat = (2 * std::atan(std::exp(-yMercator / GU_PER_RADIAN)) - PI_L / 2) * GU_PER_RADIAN;
    return WriteGeo(
        (static_cast<long double>(x) - projection.XOrigin()) / s + CentralMeridianGU(), lat, index);
}

int TTestCartesianPrj::ProjectChain(TPointStore& store, int startIndex, bool closed)
{
    return TProjectionModel::ProjectChain(store, startIndex, closed);
}

bool TTestCartesianPrj::ProjectPoint(const TGeoPoint& p, int index)
{
    const TGlobeProjection& projection = Projection();
    const long double s = projection.ScaleFactor();
    const long double e = NormalizeLong(int64_t { p.Long } - CentralMeridianGU());
    const long double f = p.Lat;
    DevicePoints().Put(index,
        { DeviceCoord((m_cosZ * e - m_sinZ * f) * s, projection.XOrigin()),
            DeviceCoord(-((m_sinZ * e + m_cosZ * f) * s), projection.YOrigin()) });
    return InsideWorld(p.Long, p.Lat);
}

bool TTestCartesianPrj::ScreenToGeo(int32_t x, int32_t y, int index)
{
    const TGlobeProjection& projection = Projection();
    const long double s = projection.ScaleFactor();
    const long double d = (static_cast<long double>(x) - projection.XOrigin()) / s;
    const long double l = -((static_cast<long double>(y) - projection.YOrigin()) / s);
    return WriteGeo(m_cosZ * d + m_sinZ * l + CentralMeridianGU(), -m_sinZ * d + m_cosZ * l, index);
}

void TTestCartesianPrj::ProjectionChanged(int kind)
{
    TCartesianPrj::ProjectionChanged(kind);
    SinCos(Projection().ZRotation() * PI_L / 180, m_sinZ, m_cosZ);
}

void TTestCartesianPrj::Assign(const TGlobeRoot& source)
{
    TCartesianPrj::Assign(source);
    if (const auto* other = dynamic_cast<const TTestCartesianPrj*>(&source)) {
        m_sinZ = other->m_sinZ;
        m_cosZ = other->m_cosZ;
    }
}
