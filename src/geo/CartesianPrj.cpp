#include "geo/CartesianPrj.h"

#include "geo/CustomGlobe4.h"
#include "geo/DevicePoints.h"
#include "geo/GeoMath.h"
#include "geo/TextureData.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

constexpr int32_t MERCATOR_LAT_LIMIT = GU_90_DEGREE - 1;

// Values a 64-bit rounding can take safely.
bool Representable(long double v)
{
    return std::isfinite(v) && std::fabs(v) < 4e18L;
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

bool TCartesianPrj::InsideWorld(int64_t longitude, int64_t lat) const
{
    const TRect world = WorldExtent();
    return world.Left <= longitude && longitude <= world.Right && world.Top <= lat && lat <= world.Bottom;
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
