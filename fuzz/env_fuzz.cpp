// Feeds arbitrary bytes as an environment document to the globe control: the
// globe's whole load (projection and its model, global presenters, layers
// with their presenters and sources over a layer file, a shapefile and a MIF
// file). It may refuse the document with EGlobeException, nothing else;
// whatever it loaded, even in part, is drawn, and what it then saves it reads
// back without a complaint.
//
// The globe is built once per process; before every input it loads the
// document it wrote at the start, so each input meets the same globe.
//
// BRUMEX_WRITE_ENV_SEEDS=FOLDER writes the seed documents (saved by the
// globe itself) into FOLDER at the start; fuzz/corpus/env holds them.
#include "LayerFuzzGlobe.h"
#include "SourceFuzzFiles.h"
#include "formats/GlobeMIFReader.h"
#include "formats/GlobeSHPReader.h"
#include "geo/GlobeProjection.h"
#include "platform/GlobeException.h"
#include "view/Colors.h"
#include "view/Globe4.h"
#include "view/GlobeLayerStore.h"
#include "view/GlobePresenter.h"
#include "view/GlobePresenterStore.h"
#include "view/GlobeUtils.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <cstdlib>
#include <string>

namespace {

TGlobe4* g_globe = nullptr;

void CopyData(const char* source, const std::string& name)
{
    QFile::remove(QString::fromStdString(FuzzPath(name)));
    QFile::copy(QStringLiteral(BRUMEX_FUZZ_DIR "/corpus/") + source, QString::fromStdString(FuzzPath(name)));
}

// A data file a document names is looked up by its name in the fuzz folder,
// wherever the document says it lies.
void FindInFuzzFolder(TGlobe4*, std::string& fileName, bool& tryFileName)
{
    const std::string name = QFileInfo(QString::fromStdString(fileName)).fileName().toStdString();
    const std::string inFolder = FuzzPath(name);
    tryFileName = !name.empty() && inFolder != fileName && QFile::exists(QString::fromStdString(inFolder));
    if (tryFileName)
        fileName = inFolder;
}

template <typename Presenter> std::unique_ptr<Presenter> NewPresenter(int32_t id)
{
    return std::make_unique<Presenter>(g_globe, id);
}

void AddLayer(TGlobe4& globe, TGlobeFileReader* reader, const std::string& file)
{
    TGlobeLayer& layer = globe.LayerStore()->CreateLayer("TGlobeLayer");
    layer.SetName(file);
    layer.SetObjectSource(reader);
    reader->SetFileName(FuzzPath(file));
    reader->SetActive(true);
    auto polygon = NewPresenter<TPolygonPresenter>(1);
    polygon->PolyPen.SetPenAttributes(0x800000, TPenStyle::psDash, 2, TGlobeUnitTypes::Pixel);
    polygon->PolyBrush.SetBrushAttributes(clSilver, TGlobeBrushStyle::bsPattern50);
    layer.Presenters().Add(std::move(polygon));
    auto polyline = NewPresenter<TPolylinePresenter>(2);
    polyline->Name = "roads";
    layer.Presenters().Add(std::move(polyline));
    auto point = NewPresenter<TPointPresenter>(3);
    point->PointType = TPointPresenterType::ppFontSymbol;
    point->TitleFont.SetFontAttributes("Arial", clRed, 1, 30, TGlobeUnitTypes::Kilometer, 12);
    layer.Presenters().Add(std::move(point));
}

// The documents of a few set-ups the program saves.
void WriteSeeds(const std::string& folder)
{
    TGlobe4& globe = *g_globe;
    const struct {
        const char* name;
        const char* projection;
        std::vector<std::string> layers;
    } seeds[] = {
        { "spherical-lyr.env", "TSphericalPrj", { "world.lyr" } },
        { "cartesian-shp.env", "TCartesianPrj", { "types.shp" } },
        { "mercator-mif-lyr.env", "TMercatorPrj", { "objects.mif", "world.lyr" } },
    };
    for (const auto& seed : seeds) {
        globe.ClearGlobe();
        globe.Projection().SetProjectionClass(seed.projection);
        globe.Projection().SetXRotation(30);
        globe.Projection().SetYRotation(-45);
        globe.SetSurfaceColor(0x804000);
        globe.SetMinTextHeight(6);
        auto global = NewPresenter<TPointPresenter>(-5);
        global->SetPointSize(4);
        globe.LayerStore()->GlobalPresenters().Add(std::move(global));
        for (const std::string& file : seed.layers) {
            TGlobeFileReader* reader = file.ends_with(".lyr")
                ? static_cast<TGlobeFileReader*>(new TGlobeLYRReader(globe))
                : file.ends_with(".shp") ? static_cast<TGlobeFileReader*>(new TGlobeSHPReader(globe))
                                         : new TGlobeMIFReader(globe);
            AddLayer(globe, reader, file);
        }
        globe.SaveEnvironmentToFile(folder + "/" + seed.name);
    }
}

void Draw(TGlobe4& globe)
{
    QImage picture(64, 48, QImage::Format_RGB32);
    QPainter painter(&picture);
    globe.RenderToCanvas(painter, QRect(0, 0, 64, 48), true);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    static int argc = 1;
    static char name[] = "env_fuzz";
    static char* argv[] = { name, nullptr };
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QApplication application(argc, argv);
    RegisterLayerFileClasses();
    RegisterSHPReader();
    RegisterMIFReader();
    WriteFourObjectLayer(FuzzPath("world.lyr"));
    CopyData("shp/types.shp", "types.shp");
    CopyData("mif/objects.mif", "objects.mif");
    static TGlobe4 globe;
    g_globe = &globe;
    globe.SetScrollBars(TScrollStyle::ssNone);
    globe.setAttribute(Qt::WA_DontShowOnScreen);
    globe.resize(64, 48);
    globe.show();
    QCoreApplication::processEvents();
    globe.SetSaveMetaDataLocation(TSaveMetaDataLocation::smdDiscard);
    globe.OnFileNotFound = FindInFuzzFolder;
    // Not part of the document, and most of the drawing time.
    globe.SetGraticuleDrawMode(TGraticuleDraw::gdNone);
    if (const char* folder = std::getenv("BRUMEX_WRITE_ENV_SEEDS"))
        WriteSeeds(folder);
    globe.ClearGlobe();
    globe.SaveEnvironmentToFile(FuzzPath("start.env"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TGlobe4& globe = *g_globe;
    globe.SetEnvironmentFile(FuzzPath("start.env"));
    WriteFuzzFile("input.env", { data, size });
    try {
        globe.SetEnvironmentFile(FuzzPath("input.env"));
    } catch (const EGlobeException&) {
    }
    Draw(globe);
    globe.SaveEnvironmentToFile(FuzzPath("saved.env"));
    try {
        globe.SetEnvironmentFile(FuzzPath("saved.env"));
    } catch (const EGlobeException& e) {
        std::fprintf(stderr, "the globe cannot read what it saved: %s\n", e.what());
        std::abort();
    }
    return 0;
}
