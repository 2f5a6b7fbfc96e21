#include "geo/ProjectionModel.h"

#include "geo/CustomGlobe4.h"
#include "geo/DevicePoints.h"
#include "geo/GXml.h"
#include "geo/GeoMath.h"
#include "geo/GlobeClassRegistry.h"
#include "geo/PointStore.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr int32_t SAMPLE_STEP = 15 * GU_DEGREE; // MER visibility samples every 15 degrees
constexpr int32_t SURFACE_STEP = 10 * GU_DEGREE;

int Outcode(int64_t x, int64_t y, int64_t w, int64_t h)
{
    return (x < 0 ? 1 : 0) | (x > w ? 2 : 0) | (y < 0 ? 4 : 0) | (y > h ? 8 : 0);
}

} // namespace

int32_t DeviceCoord(long double projected, int32_t origin)
{
    constexpr int64_t limit = int64_t { 1 } << 30;
    if (std::isnan(projected))
        return origin;
    const int64_t rounded = Rnd64(std::clamp<long double>(projected, -2 * limit, 2 * limit));
    return static_cast<int32_t>(std::clamp<int64_t>(rounded + origin, -limit, limit));
}

TCustomProjectionModel::TCustomProjectionModel(TGlobeProjection& projection)
    : m_projection(projection)
{
}

TCustomGlobe4& TCustomProjectionModel::Globe() const
{
    return m_projection.Globe();
}

std::unique_ptr<TCustomProjectionModel> TCustomProjectionModel::Clone(TGlobeProjection& projection) const
{
    auto copy = CreateGlobeClass<TCustomProjectionModel, TGlobeProjection&>(ClassName(), projection);
    copy->Assign(*this);
    return copy;
}

void TCustomProjectionModel::Assign(const TGlobeRoot& source)
{
    if (!dynamic_cast<const TCustomProjectionModel*>(&source))
        TGlobeRoot::Assign(source);
}

std::unique_ptr<TGXML_Element> TCustomProjectionModel::SaveEnvironment() const
{
    auto e = std::make_unique<TGXML_Element>();
    e->AddAttribute("Class", ClassName());
    return e;
}

TProjectionModel::TProjectionModel(TGlobeProjection& projection)
    : TCustomProjectionModel(projection)
{
    projection.MeridianSegments = 72;
    projection.ParallelSegments = 144;
}

int TProjectionModel::ProjectChain(TPointStore& store, int startIndex, bool)
{
    TDevicePointBuffer& points = DevicePoints();
    int i = startIndex;
    int64_t lastX = GU_360_DEGREE, lastY = GU_360_DEGREE;
    for (int k = 0; k < store.Count(); ++k) {
        if (!ProjectPoint(store.Point(k), i))
            continue;
        const TPoint p = points.Get(i);
        if (std::abs(p.X - lastX) > 1 || std::abs(p.Y - lastY) > 1) {
            lastX = p.X;
            lastY = p.Y;
            ++i;
        }
    }
    return i;
}

bool TProjectionModel::ProjectLongLat(int32_t longitude, int32_t lat, int index)
{
    return ProjectPoint(MakeGeoPoint(longitude, lat), index);
}

TRect TProjectionModel::WorldExtent() const
{
    return { -GU_180_DEGREE, -GU_90_DEGREE, GU_180_DEGREE, GU_90_DEGREE };
}

TClipCode TProjectionModel::ClipCode(int count)
{
    if (count <= 1)
        return {};
    const TPoint* p = DevicePoints().Data();
    int64_t minX = p[0].X, maxX = p[0].X, minY = p[0].Y, maxY = p[0].Y;
    for (int i = 1; i < count; ++i) {
        minX = std::min<int64_t>(minX, p[i].X);
        maxX = std::max<int64_t>(maxX, p[i].X);
        minY = std::min<int64_t>(minY, p[i].Y);
        maxY = std::max<int64_t>(maxY, p[i].Y);
    }
    const int64_t w = Globe().CanvasWidth(), h = Globe().CanvasHeight();
    const bool visible = !(maxX < 0 || minX > w || maxY < 0 || minY > h);
    return { visible, Outcode(minX, minY, w, h) * 16 + Outcode(maxX, maxY, w, h) };
}

bool TProjectionModel::MERVisibility(const TMER& mer, TGlobeObjectStateSet& state)
{
    using S = TGlobeObjectState;
    state = state - (ALL_CLIP_STATES + TGlobeObjectStateSet { S::osFace, S::osBackFace });
    if (mer.Width >= GU_360_DEGREE)
        return true;
    const int64_t right = int64_t { mer.Left } + mer.Width;
    const int32_t top
        = static_cast<int32_t>(std::min<int64_t>(int64_t { mer.Bottom } + mer.Height, GU_360_DEGREE));
    if (right <= GU_180_DEGREE)
        return RectangleVisibility(mer.Left, mer.Bottom, static_cast<int32_t>(right), top, state);
    // Across the 180 degree meridian: the eastern part, then the western part.
    return RectangleVisibility(mer.Left, mer.Bottom, GU_180_DEGREE, top, state)
        || RectangleVisibility(
            -GU_180_DEGREE, mer.Bottom, static_cast<int32_t>(right - GU_360_DEGREE), top, state);
}

bool TProjectionModel::RectangleVisibility(
    int32_t x1, int32_t y1, int32_t x2, int32_t y2, TGlobeObjectStateSet& state)
{
    using S = TGlobeObjectState;
    int total = 0, visible = 0;
    auto sample = [&](int64_t x, int64_t y) {
        if (ProjectLongLat(static_cast<int32_t>(x), static_cast<int32_t>(y), total++))
            ++visible;
    };
    sample(x1, y1);
    sample(x1, y2);
    sample(x2, y2);
    sample(x2, y1);
    for (int64_t x = int64_t { x1 } + SAMPLE_STEP; x < x2; x += SAMPLE_STEP) {
        sample(x, y1);
        sample(x, y2);
    }
    for (int64_t y = int64_t { y1 } + SAMPLE_STEP; y < y2; y += SAMPLE_STEP) {
        sample(x1, y);
        sample(x2, y);
    }
    if (visible == 0)
        return false;
    const TClipCode clip = ClipCode(total);
    if (!clip.visible)
        return false;
    if (clip.code >= 64)
        state.include(S::osClipTop);
    if (clip.code & (1 | 2))
        state.include(S::osClipRight);
    if (clip.code & (4 | 8))
        state.include(S::osClipBottom);
    if (clip.code & (16 | 32))
        state.include(S::osClipLeft);
    const bool farSide = Projection().FarSidePass;
    if (visible < total)
        state.include(farSide ? S::osFace : S::osBackFace);
    if (visible > 0)
        state.include(farSide ? S::osBackFace : S::osFace);
    return true;
}

void TProjectionModel::PaintSurface()
{
    // The world rectangle is walked with the central meridian at 0; the value
    // is put back without notifications so painting never asks for a redraw.
    TGlobeProjection& projection = Projection();
    const long double centralMeridian = projection.CentralMeridian();
    projection.StoreCentralMeridianQuietly(0);
    const TRect world = WorldExtent();
    int n = 0;
    auto add = [&](int64_t longitude, int64_t lat) {
        ProjectLongLat(static_cast<int32_t>(longitude), static_cast<int32_t>(lat), n++);
    };
    for (int i = 0; i < 36; ++i)
        add(int64_t { world.Left } + i * SURFACE_STEP, world.Top);
    for (int i = 0; i < 18; ++i)
        add(int64_t { world.Right } - 1, int64_t { -GU_90_DEGREE } + i * SURFACE_STEP);
    for (int i = 0; i < 36; ++i)
        add(int64_t { world.Right } - i * SURFACE_STEP - 1, world.Bottom);
    for (int i = 0; i < 18; ++i)
        add(world.Left, int64_t { GU_90_DEGREE } - i * SURFACE_STEP);
    projection.StoreCentralMeridianQuietly(centralMeridian);
    Globe().RenderPoints(
        n, TGlobeObjectStateSet { TGlobeObjectState::osClosed } + ALL_CLIP_STATES, Globe().CanvasPenWidth());
}

void TProjectionModel::PaintGraticule()
{
    TCustomGlobe4& globe = Globe();
    const int32_t meridianSegments = std::max(2, Projection().MeridianSegments);
    const int32_t parallelSegments = std::max(2, Projection().ParallelSegments);
    const int32_t longStep = globe.GraticuleLongitudeStep();
    const int32_t latStep = globe.GraticuleLatitudeStep();
    constexpr int32_t meridianEnd = 89 * GU_DEGREE;
    if (longStep > 0)
        for (int64_t d = -180; d < 180; d += longStep) {
            const auto longitude = static_cast<int32_t>(d * GU_DEGREE);
            globe.RenderLine({ longitude, -meridianEnd, 0 }, { longitude, meridianEnd, 0 }, meridianSegments);
        }
    if (latStep >= 1)
        for (int64_t t = 0; t < 85; t += latStep)
            for (const int64_t sign : { 1, -1 }) {
                const auto lat = static_cast<int32_t>(sign * t * GU_DEGREE);
                globe.RenderLine({ GU_180_DEGREE - 1, lat, 0 }, { 0, lat, 0 }, parallelSegments);
                globe.RenderLine({ 0, lat, 0 }, { -(GU_180_DEGREE - 1), lat, 0 }, parallelSegments);
            }
}
