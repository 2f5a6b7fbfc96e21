// A full redraw of the globe control with the shipped world layer (Natural
// Earth 1:50m countries) at 1024 x 768, on the sphere and the flat map, with
// and without the 3-D point cache; beside it the floor: the same countries,
// projected beforehand, drawn by QPainter alone onto the same kind of image.
#include "formats/GlobeLYRReader.h"
#include "geo/DevicePoints.h"
#include "geo/GeoDataObject.h"
#include "geo/GlobeProjection.h"
#include "geo/ProjectionModel.h"
#include "view/Globe4.h"
#include "view/GlobeLayer.h"
#include "view/GlobeLayerStore.h"
#include "view/GlobeObjectSource.h"
#include "view/GlobeUtils.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <stdexcept>
#include <vector>

namespace {

constexpr int WIDTH = 1024;
constexpr int HEIGHT = 768;

void PrepareGlobe(TGlobe4& globe, const char* model, bool cache)
{
    RegisterLayerFileClasses();
    globe.SetScrollBars(TScrollStyle::ssNone);
    globe.setAttribute(Qt::WA_DontShowOnScreen);
    globe.resize(WIDTH, HEIGHT);
    globe.show();
    QCoreApplication::processEvents();
    // The shipped world layer, read without writing its metadata file.
    globe.SetSaveMetaDataLocation(TSaveMetaDataLocation::smdDiscard);
    if (OpenLayerFile(globe, BRUMEX_SOURCE_DIR "/data/TGWorld.lyr") < 0)
        throw std::runtime_error("data/TGWorld.lyr is missing");
    globe.Projection().SetProjectionClass(model);
    globe.ZoomToRect(0, 0, 0, 0);
    TGlobeOptionsSet options { TGlobeOption::goDoubleBuffered };
    if (cache)
        options.include(TGlobeOption::goCache3DPoints);
    globe.SetGlobeOptions(options);
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
}

// The floor: every ring projected once; each iteration only draws.
void QPainterFloor(benchmark::State& state, const char* model)
{
    TGlobe4 globe;
    PrepareGlobe(globe, model, true);
    TCustomProjectionModel& projection = globe.Projection().ProjectionModel();
    std::vector<QPolygon> polygons;
    TGlobeObjectSource& source = globe.LayerStore()->Layers(0).ObjectSource();
    for (int i = 0; i < source.Count(); ++i) {
        auto* object = dynamic_cast<TGeoDataObject*>(&source.GetObject(i));
        for (int c = 0; object && c < object->Chains.Count(); ++c) {
            const int n = projection.ProjectChain(object->Chains.Chain(c), 0, true);
            QPolygon polygon;
            for (int k = 0; k < n; ++k)
                polygon << QPoint(DevicePoints().Get(k).X, DevicePoints().Get(k).Y);
            polygons.push_back(polygon);
        }
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
