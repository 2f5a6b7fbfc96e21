// RenderChains over a large set of polygons on each projection model, against
// the floor: the same device points, projected beforehand, drawn by QPainter
// alone onto the same 24-bit image with the same pen and brush.
#include "TestGlobe.h"

#include "geo/ChainStore.h"
#include "geo/GeoMath.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

constexpr int POLYGONS = 2000;
constexpr int POINTS_PER_POLYGON = 60;

// Irregular rings of 1 to 4 degrees radius scattered over the world.
std::vector<TChainStore> Polygons()
{
    std::mt19937 random(42);
    std::uniform_real_distribution<long double> longitude(-179, 179), lat(-75, 75), radius(1, 4),
        wobble(0.7L, 1.3L);
    std::vector<TChainStore> polygons(POLYGONS);
    for (TChainStore& chains : polygons) {
        const long double x = longitude(random), y = lat(random), r = radius(random);
        for (int i = 0; i < POINTS_PER_POLYGON; ++i) {
            const long double a = 2 * PI_L * i / POINTS_PER_POLYGON, s = r * wobble(random);
            chains.Chain(0).Add(DegreesToGeoPoint(x + s * std::cos(a), y + s * std::sin(a)));
        }
    }
    return polygons;
}

const TGlobeObjectStateSet STATE
    = ALL_CLIP_STATES + TGlobeObjectStateSet { TGlobeObjectState::osClosed, TGlobeObjectState::osFace };

void Prepare(TestGlobe& globe)
{
    globe.options = { TGlobeOption::goCache3DPoints, TGlobeOption::goDoubleBuffered };
    globe.Projection().SetXRotation(0);
    globe.BeginDraw();
    TGlobeCanvas& canvas = globe.Canvas();
    canvas.Pen().SetPenAttributes(0, TPenStyle::psSolid, 1, TGlobeUnitTypes::Pixel);
    canvas.Brush().SetBrushAttributes(0x00C000, TGlobeBrushStyle::bsSolid);
    canvas.Pen().Select(canvas, false);
    canvas.Brush().Select(canvas, false);
}

void RenderChains(benchmark::State& state, const char* model)
{
    TestGlobe globe(1024, 768, model);
    Prepare(globe);
    auto polygons = Polygons();
    for (auto _ : state)
        for (TChainStore& chains : polygons)
            globe.Canvas().RenderChains(chains, STATE, 1);
    state.SetItemsProcessed(state.iterations() * POLYGONS * POINTS_PER_POLYGON);
}

// The points RenderChains would draw, projected once; QPainter alone then
// draws them.
void QPainterFloor(benchmark::State& state, const char* model)
{
    TestGlobe globe(1024, 768, model);
    Prepare(globe);
    auto polygons = Polygons();
    std::vector<std::vector<QPoint>> projected;
    for (TChainStore& chains : polygons) {
        const int n = globe.Projection().ProjectionModel().ProjectChain(chains.Chain(0), 0, true);
        std::vector<QPoint> points;
        for (int i = 0; i < n; ++i)
            points.emplace_back(DevicePoints().Get(i).X, DevicePoints().Get(i).Y);
        projected.push_back(std::move(points));
    }
    QPainter& painter = *globe.Canvas().DC();
    painter.setPen(globe.Canvas().PlatformPen());
    painter.setBrush(globe.Canvas().PlatformBrush());
    for (auto _ : state)
        for (const auto& points : projected)
            painter.drawPolygon(points.data(), static_cast<int>(points.size()), Qt::OddEvenFill);
    state.SetItemsProcessed(state.iterations() * POLYGONS * POINTS_PER_POLYGON);
}

} // namespace

BENCHMARK_CAPTURE(RenderChains, Spherical, "TSphericalPrj")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(QPainterFloor, Spherical, "TSphericalPrj")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RenderChains, Cartesian, "TCartesianPrj")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(QPainterFloor, Cartesian, "TCartesianPrj")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RenderChains, Mercator, "TMercatorPrj")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(QPainterFloor, Mercator, "TMercatorPrj")->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
