#include "view/GeoDrawing.h"

#include "geo/ChainStore.h"
#include "geo/GeoMath.h"
#include "geo/ProjectionModel.h"
#include "view/GlobeCanvas.h"

#include <algorithm>
#include <cstdlib>

namespace {

TChainStore ChainOf(std::span<const TGeoPoint> points, bool storeHeight)
{
    TChainStore chains;
    chains.SetStoreHeight(storeHeight);
    TPointStore& chain = chains.Chain(0);
    for (const TGeoPoint& p : points)
        chain.Add(p);
    return chains;
}

TVector3 UnitVector(const TGeoPoint& p)
{
    const TPoint3D v = GeoTo3D(p.Long, p.Lat, 0);
    TVector3 u { static_cast<long double>(v.X), static_cast<long double>(v.Y),
        static_cast<long double>(v.Z) };
    VectorNormalize(u);
    return u;
}

} // namespace

void DrawGeoPolygon(TGlobeCanvas& canvas, std::span<const TGeoPoint> points)
{
    TChainStore chains = ChainOf(points, true);
    canvas.RenderChains(chains, TGlobeObjectStateSet { TGlobeObjectState::osClosed } + ALL_CLIP_STATES,
        canvas.PlatformPenWidth());
}

void DrawGeoPolyline(TGlobeCanvas& canvas, std::span<const TGeoPoint> points)
{
    TChainStore chains = ChainOf(points, true);
    canvas.RenderChains(chains, ALL_CLIP_STATES, canvas.PlatformPenWidth());
}

void DrawGeoLine(TGlobeCanvas& canvas, TCustomProjectionModel& model, const TGeoPoint& from,
    const TGeoPoint& to, int32_t steps)
{
    steps = std::max(steps, 1);
    const int32_t dlat = to.Lat - from.Lat;
    int64_t dlong = int64_t { to.Long } - from.Long;
    const int32_t quarter = from.Long / GU_90_DEGREE;
    if (quarter != 0 && to.Long / GU_90_DEGREE == -quarter)
        dlong = (GU_360_DEGREE - std::llabs(dlong)) * quarter;
    TChainStore chains;
    chains.SetStoreHeight(from.Height != 0 || to.Height != 0);
    TPointStore& chain = chains.Chain(0);
    for (int32_t i = 0; i <= steps; ++i) {
        chain.Add(MakeGeoPoint(int64_t { from.Long } + MulDiv(static_cast<int32_t>(dlong), i, steps),
            from.Lat + MulDiv(dlat, i, steps)));
    }
    TGlobeObjectStateSet state { TGlobeObjectState::osFace, TGlobeObjectState::osBackFace };
    if (model.MERVisibility(chains.GetMER(), state))
        canvas.RenderChains(chains, state, canvas.PlatformPenWidth());
}

void DrawGreatCircle(TGlobeCanvas& canvas, TCustomProjectionModel& model, const TGeoPoint& from,
    const TGeoPoint& to, uint8_t mode)
{
    const TVector3 u = UnitVector(from), v = UnitVector(to);
    long double theta = ArcCosSafe(VectorDot(u, v));
    if (mode == 1)
        theta = 2 * PI_L - theta;
    else if (mode != 0)
        theta = 2 * PI_L;
    const auto k = static_cast<int>(theta * 180 / PI_L);
    if (k < 1) {
        DrawGeoLine(canvas, model, from, to, 1);
        return;
    }
    const TMatrix3 rotation = QuatToMatrix(QuatFromAxisAngle(VectorCross(u, v), -theta / k));
    canvas.RenderRotatedPath(mode == 1 ? v : u, rotation, k, false);
}

void DrawSmallCircle(TGlobeCanvas& canvas, const TGeoPoint& centre, int32_t radius, int32_t segments)
{
    if (segments < 3 || segments > 360)
        segments = 36;
    const TMatrix3 rotation = QuatToMatrix(QuatFromAxisAngle(UnitVector(centre), 2 * PI_L / segments));
    const TGeoPoint start = MakeGeoPointH(centre.Long, centre.Lat + radius, centre.Height);
    canvas.RenderRotatedPath(UnitVector(start), rotation, segments, centre.Height > 0);
}
