// Redrawing the globe control as a user meets it: 1024 x 768, orthographic
// centred on Sao Paulo (or the flat map), the window repaint and
// RenderToCanvas measured apart, on three sizes of data: the shipped world
// layer (Natural Earth 1:50m, titles and graticule), Natural Earth 1:10m and
// a 4.86 M-vertex coastline as shapefile and as layer file (fetch-large.sh of
// the shared test data makes the large ones; BRUMEX_BENCH_DATA names their
// folder, by default /tmp/bench-data).
//
// Beside them the floor: the same rings held as doubles, every vertex
// projected with plain double trigonometry in each iteration, sub-pixel
// repeats dropped, filled and outlined by QPainter onto an RGB32 image.
// Compare CPU times of one run: the machine may be shared.
#include "formats/GlobeLYRReader.h"
#include "formats/GlobeLYRWriter.h"
#include "formats/GlobeSHPReader.h"
#include "geo/GeoDataObject.h"
#include "geo/GlobeProjection.h"
#include "geo/GlobeUnits.h"
#include "view/Globe4.h"
#include "view/GlobeLayer.h"
#include "view/GlobeLayerStore.h"
#include "view/GlobeObjectSource.h"
#include "view/GlobeUtils.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr int WIDTH = 1024;
constexpr int HEIGHT = 768;
constexpr double SAO_PAULO_LONG = -46.63, SAO_PAULO_LAT = -23.55;

std::string BenchData(const std::string& name)
{
    const char* folder = std::getenv("BRUMEX_BENCH_DATA");
    return std::string(folder ? folder : "/tmp/bench-data") + "/" + name;
}

// The data sets by name; the coastline's layer file is written once from
// its shapefile.
std::string DataFile(const std::string& data)
{
    if (data == "world50m")
        return BRUMEX_SOURCE_DIR "/data/TGWorld.lyr";
    if (data == "ne10m")
        return BenchData("ne_10m_countries.shp");
    if (data == "coast_shp")
        return BenchData("countries_coastline_1m.shp");
    static QTemporaryDir folder;
    const std::string layerFile = folder.path().toStdString() + "/coastline.lyr";
    if (!QFile::exists(QString::fromStdString(layerFile)) && QFile::exists(QString::fromStdString(DataFile("coast_shp")))) {
        TGlobe4 scratch;
        scratch.SetSaveMetaDataLocation(TSaveMetaDataLocation::smdDiscard);
        if (OpenLayerFile(scratch, DataFile("coast_shp")) >= 0)
            TGlobeLYRWriter(scratch.LayerStore()->Layers(0)).WriteToFile(layerFile);
    }
    return layerFile;
}

struct TView {
    const char* model = "TSphericalPrj";
    int cacheKB = 10240;
    bool cache3D = true;
    // 0: the whole world fitted to the window.
    double pixelsPerGU = 0;
    double longitude = SAO_PAULO_LONG, latitude = SAO_PAULO_LAT;
};

bool PrepareGlobe(TGlobe4& globe, const std::string& data, const TView& view, benchmark::State& state)
{
    globe.SetScrollBars(TScrollStyle::ssNone);
    globe.setAttribute(Qt::WA_DontShowOnScreen);
    globe.resize(WIDTH, HEIGHT);
    globe.show();
    QCoreApplication::processEvents();
    globe.SetSaveMetaDataLocation(TSaveMetaDataLocation::smdDiscard);
    globe.SetCacheCapacity(view.cacheKB);
    if (OpenLayerFile(globe, DataFile(data)) < 0) {
        state.SkipWithError("missing data: run fetch-large.sh of the shared test data");
        return false;
    }
    globe.Projection().SetProjectionClass(view.model);
    globe.ZoomToRect(0, 0, 0, 0);
    if (view.pixelsPerGU > 0)
        globe.Projection().SetScaleFactor(view.pixelsPerGU);
    globe.CenterOn(DegToGU(view.longitude), DegToGU(view.latitude));
    TGlobeOptionsSet options { TGlobeOption::goDoubleBuffered };
    if (view.cache3D)
        options.include(TGlobeOption::goCache3DPoints);
    globe.SetGlobeOptions(options);
    return true;
}

void Report(benchmark::State& state, TGlobe4& globe)
{
    state.counters["cache_MB"] = static_cast<double>(globe.ObjectCache().Total()) / 1e6;
}

// The window's own paint of a stale picture: what the user waits for.
void Repaint(benchmark::State& state, const std::string& data, TView view)
{
    TGlobe4 globe;
    if (!PrepareGlobe(globe, data, view, state))
        return;
    for (auto _ : state) {
        globe.Redraw();
        globe.viewport()->repaint();
    }
    Report(state, globe);
}

// RenderToCanvas into a picture, as the render command and tests draw.
void RenderToCanvas(benchmark::State& state, const std::string& data, TView view)
{
    TGlobe4 globe;
    if (!PrepareGlobe(globe, data, view, state))
        return;
    QImage image(WIDTH, HEIGHT, QImage::Format_RGB32);
    QPainter painter(&image);
    for (auto _ : state)
        globe.RenderToCanvas(painter, QRect(0, 0, WIDTH, HEIGHT), true);
    Report(state, globe);
}

// --- The floor ----------------------------------------------------------------------

struct TRing {
    std::vector<double> longitude, latitude; // radians
};

std::vector<TRing> RingsOf(const std::string& data)
{
    static std::map<std::string, std::vector<TRing>> loaded;
    if (auto found = loaded.find(data); found != loaded.end())
        return found->second;
    std::vector<TRing> rings;
    TGlobe4 globe;
    globe.SetSaveMetaDataLocation(TSaveMetaDataLocation::smdDiscard);
    globe.SetCacheCapacity(0);
    if (OpenLayerFile(globe, DataFile(data)) < 0)
        return rings;
    constexpr double TO_RADIANS = 2 * std::numbers::pi / GU_360_DEGREE;
    TGlobeObjectSource& source = globe.LayerStore()->Layers(0).ObjectSource();
    for (int i = 0; i < source.Count(); ++i) {
        auto* object = dynamic_cast<TGeoDataObject*>(&source.GetObject(i));
        for (int c = 0; object && c < object->Chains.Count(); ++c) {
            TPointStore& chain = object->Chains.Chain(c);
            TRing ring;
            for (int k = 0; k < chain.Count(); ++k) {
                ring.longitude.push_back(chain.Point(k).Long * TO_RADIANS);
                ring.latitude.push_back(chain.Point(k).Lat * TO_RADIANS);
            }
            rings.push_back(std::move(ring));
        }
    }
    return loaded[data] = rings;
}

void Floor(benchmark::State& state, const std::string& data, bool spherical)
{
    const std::vector<TRing> rings = RingsOf(data);
    if (rings.empty()) {
        state.SkipWithError("missing data: run fetch-large.sh of the shared test data");
        return;
    }
    constexpr double TO_RADIANS = std::numbers::pi / 180;
    const double l0 = SAO_PAULO_LONG * TO_RADIANS, p0 = SAO_PAULO_LAT * TO_RADIANS;
    const double sinP0 = std::sin(p0), cosP0 = std::cos(p0);
    const double radius = HEIGHT / 2.0, perRadian = WIDTH / (2 * std::numbers::pi);
    const double x0 = WIDTH / 2.0, y0 = HEIGHT / 2.0;
    QImage image(WIDTH, HEIGHT, QImage::Format_RGB32);
    QPolygon polygon;
    for (auto _ : state) {
        QPainter painter(&image);
        painter.fillRect(image.rect(), Qt::black);
        painter.setPen(QPen(Qt::darkGray, 0));
        painter.setBrush(Qt::white);
        for (const TRing& ring : rings) {
            polygon.clear();
            QPoint last(INT32_MAX, INT32_MAX);
            for (size_t k = 0; k < ring.longitude.size(); ++k) {
                double x, y;
                if (spherical) {
                    const double dl = ring.longitude[k] - l0, cosP = std::cos(ring.latitude[k]);
                    const double sinP = std::sin(ring.latitude[k]), cosDl = std::cos(dl);
                    x = cosP * std::sin(dl);
                    y = cosP0 * sinP - sinP0 * cosP * cosDl;
                    // Behind the globe: onto the rim, as the globe draws polygons.
                    if (sinP0 * sinP + cosP0 * cosP * cosDl < 0) {
                        const double h = std::hypot(x, y);
                        x /= h;
                        y /= h;
                    }
                    x = x0 + radius * x;
                    y = y0 - radius * y;
                } else {
                    x = x0 + (ring.longitude[k] - l0) * perRadian;
                    y = y0 - ring.latitude[k] * perRadian;
                }
                const QPoint p(static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y)));
                if (std::abs(p.x() - last.x()) > 1 || std::abs(p.y() - last.y()) > 1) {
                    polygon << p;
                    last = p;
                }
            }
            if (polygon.size() > 1)
                painter.drawPolygon(polygon, Qt::OddEvenFill);
        }
    }
}

// One pixel of 1:100,000 at 96 pixels an inch: 26.46 m, 1,285 GlobeUnits.
constexpr double ONE_TO_100000 = 1 / 1285.0;

const TView SPHERE {};
const TView FLAT { .model = "TCartesianPrj" };
const TView SPHERE_HOLDS_ALL { .cacheKB = 0 };
const TView FLAT_HOLDS_ALL { .model = "TCartesianPrj", .cacheKB = 0 };
const TView SPHERE_NO_3D { .cache3D = false };
const TView OPEN_SEA { .pixelsPerGU = ONE_TO_100000, .longitude = -30, .latitude = -30 };

#define GLOBE_BENCH(function, name, ...) \
    BENCHMARK_CAPTURE(function, name, __VA_ARGS__)->Unit(benchmark::kMillisecond)->MinTime(2)

GLOBE_BENCH(Floor, world50m_sphere, "world50m", true);
GLOBE_BENCH(Repaint, world50m_sphere, "world50m", SPHERE);
GLOBE_BENCH(RenderToCanvas, world50m_sphere, "world50m", SPHERE);
GLOBE_BENCH(Repaint, world50m_sphere_no3D, "world50m", SPHERE_NO_3D);
GLOBE_BENCH(Floor, ne10m_sphere, "ne10m", true);
GLOBE_BENCH(Repaint, ne10m_sphere, "ne10m", SPHERE);
GLOBE_BENCH(Repaint, ne10m_sphere_no3D, "ne10m", SPHERE_NO_3D);
GLOBE_BENCH(Floor, coast_sphere, "coast_shp", true);
GLOBE_BENCH(Repaint, coast_shp_sphere, "coast_shp", SPHERE);
GLOBE_BENCH(Repaint, coast_lyr_sphere, "coast_lyr", SPHERE);
GLOBE_BENCH(Repaint, coast_shp_sphere_holds_all, "coast_shp", SPHERE_HOLDS_ALL);
GLOBE_BENCH(Floor, coast_flat, "coast_shp", false);
GLOBE_BENCH(Repaint, coast_shp_flat, "coast_shp", FLAT);
GLOBE_BENCH(Repaint, coast_shp_flat_holds_all, "coast_shp", FLAT_HOLDS_ALL);
GLOBE_BENCH(Repaint, coast_shp_open_sea_1to100000, "coast_shp", OPEN_SEA);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    RegisterLayerFileClasses();
    RegisterSHPReader();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
