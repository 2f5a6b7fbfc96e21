// ProjectChain throughput in points per second: the spherical model with and
// without the cached 3-D points, and the flat models.
#include "FakeGlobe.h"

#include "geo/PointStore.h"
#include "geo/ProjectionModel.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

constexpr int RING_POINTS = 10000;

// A ring of 40 degrees radius around (0, 0), all on the near side.
std::unique_ptr<TPointStore> Ring()
{
    auto ring = std::make_unique<TPointStore>();
    for (int i = 0; i < RING_POINTS; ++i) {
        const long double a = 2 * PI_L * i / RING_POINTS;
        ring->Add({ Rnd(40 * GU_DEGREE * std::cos(a)), Rnd(40 * GU_DEGREE * std::sin(a)), 0 });
    }
    return ring;
}

// Zoomed in so that consecutive points lie a few pixels apart and none is
// thinned away.
void ProjectRing(benchmark::State& state, const char* model, bool cache3D)
{
    FakeGlobe globe(1024, 768);
    TGlobeProjection& projection = *globe.projection;
    projection.SetProjectionClass(model);
    projection.SetScaleFactor(3e-5L);
    projection.SetOrigin({ 512, 384 });
    globe.options = cache3D ? TGlobeOptionsSet { TGlobeOption::goCache3DPoints } : TGlobeOptionsSet {};
    auto ring = Ring();
    int projected = 0;
    for (auto _ : state) {
        projected = projection.ProjectionModel().ProjectChain(*ring, 0, true);
        benchmark::DoNotOptimize(projected);
    }
    state.SetItemsProcessed(state.iterations() * RING_POINTS);
    state.counters["device_points"] = projected;
}

void BM_SphericalCached(benchmark::State& state)
{
    ProjectRing(state, "TSphericalPrj", true);
}

void BM_SphericalUncached(benchmark::State& state)
{
    ProjectRing(state, "TSphericalPrj", false);
}

void BM_Mercator(benchmark::State& state)
{
    ProjectRing(state, "TMercatorPrj", false);
}

void BM_Cartesian(benchmark::State& state)
{
    ProjectRing(state, "TCartesianPrj", false);
}

} // namespace

BENCHMARK(BM_SphericalCached);
BENCHMARK(BM_SphericalUncached);
BENCHMARK(BM_Mercator);
BENCHMARK(BM_Cartesian);

BENCHMARK_MAIN();
