#include "geo/SphericalPrj.h"

#include "geo/CustomGlobe4.h"
#include "geo/DevicePoints.h"
#include "geo/GeoMath.h"
#include "geo/PointStore.h"
#include "geo/TextureData.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int RIM_POINTS = 90; // every 4 degrees

// Bound of the error of a rotated coordinate in double against the extended
// one, per unit of the largest absolute row sum of the matrix: the dot
// product's four roundings and the matrix's own on coordinates below 2^31,
// with a margin of four.
constexpr double ROTATED_ERROR = 0x1p31 * 0x1p-49;

TGeoPoint UnitVectorToGeo(const TVector3& v)
{
    return { Rnd(std::atan2(v.X, v.Z) * GU_PER_RADIAN), Rnd(ArcSinSafe(v.Y) * GU_PER_RADIAN), 0 };
}

TVector3 Midpoint(const TVector3& a, const TVector3& b)
{
    TVector3 m { (a.X + b.X) / 2, (a.Y + b.Y) / 2, (a.Z + b.Z) / 2 };
    VectorNormalize(m);
    return m;
}

// Subdivision depth of the texture mesh by scale: finer when zoomed in.
int MeshDepth(long double scale)
{
    if (scale <= 2e-7L)
        return 3;
    if (scale <= 2e-6L)
        return 4;
    return 5;
}

} // namespace

TSphericalPrj::TSphericalPrj(TGlobeProjection& projection)
    : TProjectionModel(projection)
{
    projection.MeridianSegments = 36;
    projection.ParallelSegments = 72;
    projection.ModelProperties = MODEL_SEAMLESS | MODEL_TEXTURE_CAPABLE;
}

TSphericalPrj::Projected TSphericalPrj::Rotate(const TPoint3D& v) const
{
    const long double* f = m_forward.m;
    const long double x = v.X, y = v.Y, z = v.Z;
    return { f[0] * x + f[1] * y + f[2] * z, f[3] * x + f[4] * y + f[5] * z, f[6] * x + f[7] * y + f[8] * z };
}

int TSphericalPrj::ProjectChain(TPointStore& store, int startIndex, bool closed)
{
    const bool cache = Globe().GlobeOptions().contains(TGlobeOption::goCache3DPoints);
    const auto points3D = store.Get3DPoints(cache);
    const int end = ProjectChainInDouble(*points3D, startIndex, closed);
    return end >= 0 ? end : ProjectChainExtended(*points3D, startIndex, closed);
}

int TSphericalPrj::ProjectChainInDouble(const T3DPoints& points, int startIndex, bool closed)
{
    const TGlobeProjection& projection = Projection();
    double f[9];
    double rowSum = 0;
    for (int row = 0; row < 3; ++row) {
        double sum = 0;
        for (int column = 0; column < 3; ++column)
            sum += std::abs(f[3 * row + column] = static_cast<double>(m_forward.m[3 * row + column]));
        rowSum = std::max(rowSum, sum);
    }
    const double error = rowSum * ROTATED_ERROR;
    const auto radius = static_cast<double>(m_radius);
    const int32_t x0 = projection.XOrigin(), y0 = projection.YOrigin();
    TDevicePointBuffer& out = DevicePoints();
    double lastX = 2147483647.0, lastY = 2147483647.0, lastError = 0;
    int i = startIndex;
    for (const TPoint3D& v : points) {
        double x = f[0] * v.X + f[1] * v.Y + f[2] * v.Z;
        double y = f[3] * v.X + f[4] * v.Y + f[5] * v.Z;
        const double depth = f[6] * v.X + f[7] * v.Y + f[8] * v.Z;
        if (!(std::abs(depth) > error))
            return -1;
        double pointError = error;
        if ((depth <= 0) == projection.FarSidePass) {
            if (!closed)
                continue;
            const double distance = std::sqrt(x * x + y * y);
            if (!(distance > 64 * error))
                return -1;
            x *= radius / distance;
            y *= radius / distance;
            pointError = radius * (4 * error / distance + 0x1p-49);
        }
        // Sub-pixel repeats as the extended loop drops them.
        const double tolerance = pointError + lastError + 0x1p-50;
        const double dx = std::abs(x - lastX), dy = std::abs(y - lastY);
        if (!(dx > 1 + tolerance) && !(dy > 1 + tolerance)) {
            if (dx < 1 - tolerance && dy < 1 - tolerance)
                continue;
            return -1;
        }
        int32_t deviceX, deviceY;
        if (!DeviceCoordInDouble(x, pointError, x0, deviceX) || !DeviceCoordInDouble(y, pointError, y0, deviceY))
            return -1;
        out.Put(i++, { deviceX, deviceY });
        lastX = x;
        lastY = y;
        lastError = pointError;
    }
    return i;
}

int TSphericalPrj::ProjectChainExtended(const T3DPoints& points, int startIndex, bool closed)
{
    const TGlobeProjection& projection = Projection();
    TDevicePointBuffer& out = DevicePoints();
    const int32_t x0 = projection.XOrigin(), y0 = projection.YOrigin();
    long double lastX = 2147483647.0L, lastY = 2147483647.0L;
    int i = startIndex;
    for (const TPoint3D& v : points) {
        Projected p = Rotate(v);
        if ((p.depth <= 0) == projection.FarSidePass) {
            // The side not being drawn.
            const long double distance = Hypot(p.y, p.x);
            if (!closed || distance == 0)
                continue;
            p.x *= m_radius / distance;
            p.y *= m_radius / distance;
        }
        if (std::fabs(p.x - lastX) <= 1 && std::fabs(p.y - lastY) <= 1)
            continue;
        out.Put(i++, { DeviceCoord(p.x, x0), DeviceCoord(p.y, y0) });
        lastX = p.x;
        lastY = p.y;
    }
    return i;
}

bool TSphericalPrj::ProjectPoint(const TGeoPoint& point, int index)
{
    const TGlobeProjection& projection = Projection();
    const Projected p = Rotate(GeoTo3D(point.Long, point.Lat, point.Height));
    bool visible = p.depth <= 0;
    if (!visible && point.Height > 0)
        visible = Hypot(p.y, p.x) > m_radius;
    DevicePoints().Put(
        index, { DeviceCoord(p.x, projection.XOrigin()), DeviceCoord(p.y, projection.YOrigin()) });
    return visible != projection.FarSidePass;
}

bool TSphericalPrj::ScreenToGeo(int32_t x, int32_t y, int index)
{
    const long double dx = static_cast<long double>(x) - Projection().XOrigin();
    const long double dy = static_cast<long double>(y) - Projection().YOrigin();
    const long double k = m_radius2 - dx * dx - dy * dy;
    if (!(k >= 0))
        return false;
    const long double dz = -std::sqrt(k);
    const long double* inv = m_inverse.m;
    const long double gx = inv[0] * dx + inv[1] * dy + inv[2] * dz;
    const long double gy = inv[3] * dx + inv[4] * dy + inv[5] * dz;
    const long double gz = inv[6] * dx + inv[7] * dy + inv[8] * dz;
    DevicePoints().Put(index,
        { Rnd(std::atan2(gx, gz) * GU_PER_RADIAN), Rnd(ArcSinSafe(gy / GU_GLOBE_RADIUS) * GU_PER_RADIAN) });
    return true;
}

TRect TSphericalPrj::WorldExtent() const
{
    return { -GU_GLOBE_RADIUS, -GU_GLOBE_RADIUS, GU_GLOBE_RADIUS, GU_GLOBE_RADIUS };
}

void TSphericalPrj::ProjectionChanged(int kind)
{
    TGlobeProjection& projection = Projection();
    const long double s = projection.ScaleFactor();
    switch (kind) {
    case pcXRotation:
        projection.SetXRotation(Clamp(projection.XRotation(), -90, 90));
        break;
    case pcYRotation:
        projection.SetYRotation(NormalizeDegrees(projection.YRotation()));
        break;
    case pcZRotation:
        projection.SetZRotation(NormalizeDegrees(projection.ZRotation()));
        break;
    case pcScaleFactor:
        m_radius = s * GU_GLOBE_RADIUS;
        m_radius2 = m_radius * m_radius;
        break;
    default:
        return;
    }
    const TQuaternion q
        = QuatFromEuler(projection.XRotation(), projection.YRotation(), projection.ZRotation());
    m_forward = QuatToMatrix(q);
    m_inverse = MatrixTranspose(m_forward);
    MatrixScale(m_forward, s);
    MatrixScale(m_inverse, s != 0 ? 1 / s : 0);
}

void TSphericalPrj::PaintSurface()
{
    TTextureData* texture = Globe().SurfaceTexture();
    if (texture && texture->HasImage() && (Projection().ModelProperties & MODEL_TEXTURE_CAPABLE))
        PaintTextureMesh(*texture);
    else
        PaintRim();
}

void TSphericalPrj::PaintRim()
{
    const int32_t x0 = Projection().XOrigin(), y0 = Projection().YOrigin();
    for (int i = 0; i < RIM_POINTS; ++i) {
        const long double angle = i * 4 * PI_L / 180;
        DevicePoints().Put(
            i, { DeviceCoord(m_radius * std::cos(angle), x0), DeviceCoord(m_radius * std::sin(angle), y0) });
    }
    Globe().RenderPoints(RIM_POINTS, TGlobeObjectStateSet { TGlobeObjectState::osClosed } + ALL_CLIP_STATES,
        Globe().CanvasPenWidth());
}

void TSphericalPrj::PaintTextureMesh(TTextureData& texture)
{
    // The eight faces of the octahedron with corners on the axes; the first
    // four lie east of the prime meridian, the others west.
    const TVector3 px { 1, 0, 0 }, nx { -1, 0, 0 }, py { 0, 1, 0 }, ny { 0, -1, 0 }, pz { 0, 0, 1 },
        nz { 0, 0, -1 };
    const struct {
        TVector3 a, b, c;
        bool western;
    } faces[] = {
        { px, pz, py, false },
        { px, py, nz, false },
        { ny, pz, px, false },
        { ny, px, nz, false },
        { py, nx, nz, true },
        { py, pz, nx, true },
        { nx, ny, nz, true },
        { nx, pz, ny, true },
    };
    const int depth = MeshDepth(Projection().ScaleFactor());
    for (const auto& f : faces)
        SubdivideFace(f.a, f.b, f.c, depth, f.western, texture);
}

bool TSphericalPrj::AnyCornerVisible(const TVector3 (&corners)[3])
{
    bool any = false;
    for (int i = 0; i < 3; ++i)
        any = ProjectPoint(UnitVectorToGeo(corners[i]), i) || any;
    return any;
}

void TSphericalPrj::SubdivideFace(const TVector3& a, const TVector3& b, const TVector3& c, int levelsLeft,
    bool western, TTextureData& texture)
{
    const TVector3 corners[3] = { a, b, c };
    if (levelsLeft == 0) {
        TGeoPoint geo[3];
        for (int i = 0; i < 3; ++i) {
            geo[i] = UnitVectorToGeo(corners[i]);
            // One GlobeUnit inside 180 degrees keeps faces that meet there on
            // their own side of the seam.
            geo[i].Long -= 1;
            if (western)
                geo[i].Long = -std::abs(geo[i].Long);
        }
        Globe().RenderTextureTriangle(geo, texture);
        return;
    }
    if (!AnyCornerVisible(corners))
        return;
    const TVector3 ab = Midpoint(a, b), bc = Midpoint(b, c), ca = Midpoint(c, a);
    SubdivideFace(a, ab, ca, levelsLeft - 1, western, texture);
    SubdivideFace(ab, b, bc, levelsLeft - 1, western, texture);
    SubdivideFace(ca, bc, c, levelsLeft - 1, western, texture);
    SubdivideFace(ab, bc, ca, levelsLeft - 1, western, texture);
}

void TSphericalPrj::Assign(const TGlobeRoot& source)
{
    TProjectionModel::Assign(source);
    if (const auto* other = dynamic_cast<const TSphericalPrj*>(&source)) {
        m_forward = other->m_forward;
        m_inverse = other->m_inverse;
        m_radius = other->m_radius;
        m_radius2 = other->m_radius2;
    }
}
