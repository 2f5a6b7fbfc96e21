// A full redraw of the globe control with a real world layer (Natural Earth
// 1:50m land, 1,420 polygons) at 1024 x 768, on the sphere and the flat map,
// with and without the 3-D point cache; beside it the floor: the same land,
// projected beforehand, drawn by QPainter alone onto the same kind of image.
#include "formats/SHPFile.h"
#include "geo/DevicePoints.h"
#include "geo/GeoDataObject.h"
#include "geo/GlobeProjection.h"
#include "geo/ProjectionModel.h"
#include "view/Globe4.h"
#include "view/GlobeLayer.h"
#include "view/GlobeLayerStore.h"
#include "view/GlobeObjectSource.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <vector>

namespace {

constexpr int WIDTH = 1024;
constexpr int HEIGHT = 768;

std::vector<std::vector<TGeoPoint>> LandRings()
{
    QFile file(QStringLiteral(BRUMEX_SOURCE_DIR "/tests/data/naturalearth/ne_50m_land.shp"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    static QByteArray bytes;
    bytes = file.readAll();
    const TSHPFile shp({ reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<size_t>(bytes.size()) },
        "ne_50m_land.shp");
    const TSHPCoordinateCorrection degrees;
    std::vector<std::vector<TGeoPoint>> rings;
    for (size_t position : shp.RecordPositions()) {
        const TSHPShape shape = shp.ReadShape(position);
        for (size_t k = 0; k < shape.PartCount(); ++k) {
            auto& ring = rings.emplace_back();
            for (const TSHPPoint& p : shape.Part(k))
                ring.push_back(degrees.GeoPoint(p));
        }
    }
    return rings;
}

void AddLand(TGlobe4& globe)
{
    TGlobeLayer& layer = globe.LayerStore()->CreateLayer("TGlobeLayer");
    for (const auto& ring : LandRings()) {
        auto* object = new TGeoDataObject(&layer.ObjectSource());
        for (const TGeoPoint& p : ring)
            object->Chains.Chain(0).Add(p);
        object->State.include(TGlobeObjectState::osClosed);
        object->Changed();
    }
}

void PrepareGlobe(TGlobe4& globe, const char* model, bool cache)
{
    globe.SetScrollBars(TScrollStyle::ssNone);
    globe.setAttribute(Qt::WA_DontShowOnScreen);
    globe.resize(WIDTH, HEIGHT);
    globe.show();
    QCoreApplication::processEvents();
    globe.Projection().SetProjectionClass(model);
    globe.ZoomToRect(0, 0, 0, 0);
    TGlobeOptionsSet options { TGlobeOption::goDoubleBuffered };
    if (cache)
        options.include(TGlobeOption::goCache3DPoints);
    globe.SetGlobeOptions(options);
    AddLand(globe);
}

void FullRedraw(benchmark::State& state, const char* model, bool cache)
{
    TGlobe4 globe;
    PrepareGlobe(globe, model, cache);
    QImage image(WIDTH, HEIGHT, QImage::Format_RGB888);
    for (auto _ : state) {
        QPainter painter(&image);
        globe.RenderToCanvas(painter, QRect(0, 0, WIDTH, HEIGHT), true);
    }
    state.counters["ms_per_frame"] = benchmark::Counter(static_cast<double>(state.iterations()) * 1e-3,
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// The floor: every ring projected once; each iteration only draws.
void QPainterFloor(benchmark::State& state, const char* model)
{
    TGlobe4 globe;
    PrepareGlobe(globe, model, true);
    TCustomProjectionModel& projection = globe.Projection().ProjectionModel();
    std::vector<QPolygon> polygons;
    for (const auto& ring : LandRings()) {
        TPointStore store;
        for (const TGeoPoint& p : ring)
            store.Add(p);
        const int n = projection.ProjectChain(store, 0, true);
        QPolygon polygon;
        for (int i = 0; i < n; ++i)
            polygon << QPoint(DevicePoints().Get(i).X, DevicePoints().Get(i).Y);
        polygons.push_back(polygon);
    }
    QImage image(WIDTH, HEIGHT, QImage::Format_RGB888);
    for (auto _ : state) {
        QPainter painter(&image);
        painter.fillRect(image.rect(), Qt::black);
        painter.setPen(QPen(Qt::black, 0));
        painter.setBrush(Qt::white);
        for (const QPolygon& p : polygons)
            painter.drawPolygon(p, Qt::OddEvenFill);
    }
    state.counters["ms_per_frame"] = benchmark::Counter(static_cast<double>(state.iterations()) * 1e-3,
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

BENCHMARK_CAPTURE(FullRedraw, spherical_cached, "TSphericalPrj", true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FullRedraw, spherical_uncached, "TSphericalPrj", false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FullRedraw, cartesian_cached, "TCartesianPrj", true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FullRedraw, cartesian_uncached, "TCartesianPrj", false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(QPainterFloor, spherical, "TSphericalPrj")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(QPainterFloor, cartesian, "TCartesianPrj")->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
