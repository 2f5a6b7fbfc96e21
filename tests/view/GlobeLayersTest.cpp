// The globe control with real layers: drawing them in the paint pipeline and
// the far-side pass, selecting and clicking objects with QTest mouse events,
// the object cache budget, opening layers by file name and zooming to them.
#include "formats/GlobeLYRReader.h"
#include "formats/GlobeLYRWriter.h"
#include "geo/GeoDataObject.h"
#include "geo/GeoMath.h"
#include "geo/GlobeProjection.h"
#include "view/Colors.h"
#include "view/Globe4.h"
#include "view/GlobeLayer.h"
#include "view/GlobeLayerStore.h"
#include "view/GlobeObjectSource.h"
#include "view/GlobePresenter.h"
#include "view/GlobeUtils.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <fstream>
#include <gtest/gtest.h>

namespace {

class GlobeLayersTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        globe.SetScrollBars(TScrollStyle::ssNone);
        globe.resize(400, 300);
        globe.Projection().SetProjectionClass("TCartesianPrj");
        globe.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&globe));
        globe.ZoomToRect(0, 0, 0, 0);
    }
    TGlobeLayer& NewLayer(const std::string& name)
    {
        TGlobeLayer& layer = globe.LayerStore()->CreateLayer("TGlobeLayer");
        layer.SetName(name);
        return layer;
    }
    // A square of side 2 * half degrees around (long, lat) in the layer.
    TGeoDataObject& Square(TGlobeLayer& layer, int longDeg, int latDeg, int half = 10)
    {
        auto* object = new TGeoDataObject(&layer.ObjectSource());
        TPointStore& ring = object->Chains.Chain(0);
        const int32_t x = longDeg * GU_DEGREE, y = latDeg * GU_DEGREE, h = half * GU_DEGREE;
        for (const auto& [dx, dy] : { std::pair { -h, -h }, { h, -h }, { h, h }, { -h, h } })
            ring.Add(MakeGeoPoint(int64_t { x } + dx, y + dy));
        object->State.include(TGlobeObjectState::osClosed);
        object->Changed();
        return *object;
    }
    QPoint At(int longDeg, int latDeg)
    {
        const TProjectedPoint p = globe.Projection().LongLatToXY(longDeg * GU_DEGREE, latDeg * GU_DEGREE);
        return { p.point.X, p.point.Y };
    }
    QImage Shown()
    {
        globe.Redraw();
        globe.viewport()->repaint();
        return globe.viewport()->grab().toImage();
    }
    void Click(Qt::MouseButton button, QPoint at, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::mousePress(globe.viewport(), button, modifiers, at);
        QTest::mouseRelease(globe.viewport(), button, modifiers, at);
    }

    TGlobe4 globe;
};

TEST_F(GlobeLayersTest, LayerEventsAndLayersDrawnInThePicture)
{
    std::vector<std::string> events;
    globe.OnLayerCreate = [&](TGlobe4*, TGlobeLayer* l) { events.push_back("create " + l->Name()); };
    globe.OnLayerFree = [&](TGlobe4*, TGlobeLayer* l) { events.push_back("free " + l->Name()); };
    TGlobeLayer& layer = NewLayer("Quadrados");
    Square(layer, 0, 0);
    const QImage shown = Shown();
    const QColor inside = shown.pixelColor(At(3, 3));
    EXPECT_NE(inside, ToQColor(0xFFFF00));
    globe.LayerStore()->DeleteLayer(layer);
    EXPECT_EQ(Shown().pixelColor(At(3, 3)), ToQColor(0xFFFF00));
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1], "free Quadrados");
}

TEST_F(GlobeLayersTest, AnimatedLayersAreDrawnOnTopWithoutANewPicture)
{
    TGlobeLayer& layer = NewLayer("Movel");
    Square(layer, 0, 0);
    layer.SetAnimated(true);
    int renders = 0;
    globe.OnRender = [&](TGlobe4*) { ++renders; };
    const QImage first = Shown();
    EXPECT_NE(first.pixelColor(At(3, 3)), ToQColor(0xFFFF00));
    globe.Invalidate();
    globe.viewport()->repaint();
    EXPECT_EQ(renders, 1);
    EXPECT_EQ(globe.viewport()->grab().toImage().pixelColor(At(3, 3)), first.pixelColor(At(3, 3)));
}

TEST_F(GlobeLayersTest, LeftClickSelectsAloneAndFiresOnObjectClick)
{
    TGlobeLayer& layer = NewLayer("Quadrados");
    TGeoDataObject& a = Square(layer, -60, 0);
    TGeoDataObject& b = Square(layer, 60, 0);
    std::vector<TGlobeObject*> clicked, changed;
    globe.OnObjectClick = [&](TGlobe4*, TGlobeObject* o) { clicked.push_back(o); };
    globe.OnObjectSelectChange = [&](TGlobe4*, TGlobeObject* o) { changed.push_back(o); };

    Click(Qt::LeftButton, At(-60, 0));
    EXPECT_TRUE(a.Selected());
    EXPECT_EQ(clicked, std::vector<TGlobeObject*> { &a });
    EXPECT_FALSE(changed.empty());
    Click(Qt::LeftButton, At(60, 0));
    EXPECT_FALSE(a.Selected());
    EXPECT_TRUE(b.Selected());
    // Right click: neither selection nor OnObjectClick.
    Click(Qt::RightButton, At(-60, 0));
    EXPECT_FALSE(a.Selected());
    EXPECT_TRUE(b.Selected());
    EXPECT_EQ(clicked.size(), 2u);
    // Empty globe clears the selection.
    Click(Qt::LeftButton, At(0, 60));
    EXPECT_FALSE(b.Selected());
    EXPECT_EQ(globe.LayerStore()->SelectedObject(), nullptr);
    EXPECT_EQ(clicked.size(), 2u);
}

TEST_F(GlobeLayersTest, CtrlClickTogglesSelectionWithMultiSelect)
{
    TGlobeLayer& layer = NewLayer("Quadrados");
    TGeoDataObject& a = Square(layer, -60, 0);
    TGeoDataObject& b = Square(layer, 60, 0);
    Click(Qt::LeftButton, At(-60, 0));
    Click(Qt::LeftButton, At(60, 0), Qt::ControlModifier);
    EXPECT_TRUE(a.Selected());
    EXPECT_FALSE(b.Selected());
    globe.SetGlobeOptions(globe.GlobeOptions() + TGlobeOptionsSet { TGlobeOption::goMultiSelect });
    Click(Qt::LeftButton, At(60, 0), Qt::ControlModifier);
    EXPECT_TRUE(a.Selected());
    EXPECT_TRUE(b.Selected());
    EXPECT_EQ(globe.LayerStore()->SelectedCount(), 2);
    Click(Qt::LeftButton, At(-60, 0), Qt::ControlModifier);
    EXPECT_FALSE(a.Selected());
}

TEST_F(GlobeLayersTest, DisabledLayerIsNotHit)
{
    TGlobeLayer& layer = NewLayer("Quadrados");
    TGeoDataObject& a = Square(layer, 0, 0);
    layer.SetEnabled(false);
    int clicks = 0;
    globe.OnObjectClick = [&](TGlobe4*, TGlobeObject*) { ++clicks; };
    Click(Qt::LeftButton, At(0, 0));
    EXPECT_FALSE(a.Selected());
    EXPECT_EQ(clicks, 0);
}

TEST_F(GlobeLayersTest, FarSidePassDrawsBackObjectsInTheTransparentBrush)
{
    globe.Projection().SetProjectionClass("TSphericalPrj");
    globe.ZoomToRect(0, 0, 0, 0);
    globe.Projection().SetXRotation(0);
    globe.Projection().SetYRotation(0);
    TGlobeLayer& layer = NewLayer("Costas");
    Square(layer, 180, 0, 30);
    globe.SetGraticuleDrawMode(TGraticuleDraw::gdNone);
    const QPoint centre(globe.CanvasWidth() / 2, globe.CanvasHeight() / 2);
    EXPECT_EQ(Shown().pixelColor(centre), ToQColor(0xFFFF00));
    globe.SetGlobeOptions(globe.GlobeOptions() + TGlobeOptionsSet { TGlobeOption::goTransparentGlobe });
    EXPECT_EQ(Shown().pixelColor(centre), ToQColor(clSilver));
}

TEST_F(GlobeLayersTest, CenterOnObjectAndZoomToLayer)
{
    TGlobeLayer& layer = NewLayer("Quadrados");
    TGeoDataObject& a = Square(layer, 40, 20, 2);
    globe.CenterOnObject(nullptr);
    globe.CenterOnObject(&a);
    // Within a pixel of the whole-world view.
    EXPECT_NEAR(globe.Projection().CenterLongitude(), 40, 0.9);
    EXPECT_NEAR(globe.Projection().CenterLatitude(), 20, 0.9);
    globe.CenterOn(0, 0);
    const long double before = globe.Projection().ScaleFactor();
    ZoomToLayer(layer);
    EXPECT_GT(globe.Projection().ScaleFactor(), before * 10);
    EXPECT_NEAR(globe.Projection().CenterLongitude(), 40, 0.1);
    EXPECT_NEAR(globe.Projection().CenterLatitude(), 20, 0.1);
}

TEST_F(GlobeLayersTest, OpenLayerFileByExtension)
{
    EXPECT_EQ(ReaderClassForFile("TGWorld.lyr"), "TGlobeLYRReader");
    EXPECT_EQ(ReaderClassForFile("/dados/paises.Shp"), "TGlobeSHPReader");
    EXPECT_EQ(ReaderClassForFile("c.MIF"), "TGlobeMIFReader");
    EXPECT_EQ(ReaderClassForFile("notas.txt"), "");
    EXPECT_EQ(OpenLayerFile(globe, "/nowhere/missing.lyr"), -1);
    EXPECT_EQ(globe.LayerStore()->Count(), 0);
    QTemporaryDir dir;
    const std::string text = dir.path().toStdString() + "/notas.txt";
    std::ofstream(text) << "x";
    NewLayer("Primeira");
    EXPECT_EQ(OpenLayerFile(globe, text), 1);
    EXPECT_EQ(globe.LayerStore()->Count(), 2);
}

TEST_F(GlobeLayersTest, CacheBudgetFiresOnReduceCacheMemory)
{
    globe.SetCacheCapacity(1);
    int reduce = 0;
    globe.OnReduceCacheMemory = [&](TGlobe4*) { ++reduce; };
    globe.ObjectCache().AddCacheMemory(1000);
    EXPECT_EQ(reduce, 0);
    globe.ObjectCache().AddCacheMemory(100);
    EXPECT_EQ(reduce, 1);
}

TEST_F(GlobeLayersTest, ClearGlobeFreesTheLayers)
{
    NewLayer("a");
    NewLayer("b");
    globe.ClearGlobe();
    EXPECT_EQ(globe.LayerStore()->Count(), 0);
    EXPECT_EQ(globe.EnvironmentFile(), "");
}

// Several layers with presenters and a projection saved and loaded give the
// same picture; a layer whose file has gone ends the loading there.
class GlobeEnvironmentTest : public GlobeLayersTest {
protected:
    QString WriteSquares(const QString& name, int longDeg)
    {
        TGlobe4 scratch;
        TGlobeLayer& layer = scratch.LayerStore()->CreateLayer("TGlobeLayer");
        // Drawn by presenter 7 of the globe's layer, which only the
        // environment holds.
        for (int lat = -40; lat <= 40; lat += 40)
            Square(layer, longDeg, lat, 8).SetPresenterID(7);
        const QString file = dir.path() + "/" + name;
        TGlobeLYRWriter writer(layer);
        EXPECT_TRUE(writer.WriteToFile(file.toStdString()));
        return file;
    }
    QImage Picture(TGlobe4& g)
    {
        QImage image(400, 300, QImage::Format_RGB32);
        QPainter painter(&image);
        g.RenderToCanvas(painter, QRect(0, 0, 400, 300), true);
        return image;
    }
    QTemporaryDir dir;
};

TEST_F(GlobeEnvironmentTest, SavedAndLoadedGlobeDrawsTheSamePicture)
{
    RegisterLayerFileClasses();
    QStringList files;
    for (int i = 0; i < 4; ++i)
        files << WriteSquares(QString("camada%1.lyr").arg(i), -120 + 80 * i);
    for (const QString& file : files)
        ASSERT_GE(OpenLayerFile(globe, file.toStdString()), 0);
    auto presenter = std::make_unique<TPolygonPresenter>(&globe, 7);
    presenter->PolyBrush.SetBrushAttributes(0x0000C0, TGlobeBrushStyle::bsSolid);
    globe.LayerStore()->Layers(1).Presenters().Add(std::move(presenter));
    globe.Projection().SetProjectionClass("TMercatorPrj");
    globe.ZoomToRect(0, 0, 0, 0);
    globe.Projection().SetYRotation(20);
    globe.SetSurfaceColor(0x404000);
    const QImage before = Picture(globe);
    const std::string environment = (dir.path() + "/GlEnv").toStdString();
    globe.SaveEnvironmentToFile(environment);

    TGlobe4 other;
    other.SetScrollBars(TScrollStyle::ssNone);
    other.resize(400, 300);
    other.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
    other.SetEnvironmentFile(environment);
    ASSERT_EQ(other.LayerStore()->Count(), 4);
    EXPECT_EQ(other.Projection().ProjectionClass(), "TMercatorPrj");
    const QImage after = Picture(other);
    before.save(QDir::tempPath() + "/brumex-globe/environment-before.png");
    after.save(QDir::tempPath() + "/brumex-globe/environment-after.png");
    EXPECT_EQ(after, before);

    QFile::remove(files[1]);
    QFile::remove(files[1] + ".md");
    other.SetEnvironmentFile(environment);
    ASSERT_EQ(other.LayerStore()->Count(), 1);
    EXPECT_EQ(other.LayerStore()->Layers(0).Name(), "camada0.lyr");
}

} // namespace

namespace {

TEST_F(GlobeLayersTest, DragDuringARedrawInterruptsItAndLeavesThePictureStale)
{
    globe.SetGlobeOptions(globe.GlobeOptions() + TGlobeOptionsSet { TGlobeOption::goInterruptable });
    TGlobeLayer& layer = NewLayer("Muitos");
    for (int i = 0; i < 600; ++i)
        Square(layer, -170 + (i % 34) * 10, -80 + (i / 34) * 9, 1);
    int drawn = 0, renders = 0;
    globe.OnRender = [&](TGlobe4*) { ++renders; };
    globe.OnObjectRender = [&](TGlobe4*, TGlobeObject&, TGlobeObjectStateSet) {
        if (++drawn == 1) {
            // A zoom drag arrives while the layer draws.
            QTest::mousePress(globe.viewport(), Qt::RightButton, {}, { 10, 10 });
            QTest::mouseMove(globe.viewport(), { 60, 60 });
        }
    };
    globe.Redraw();
    globe.viewport()->repaint();
    EXPECT_LT(drawn, 300);
    EXPECT_EQ(renders, 0);
    EXPECT_TRUE(globe.PictureIsStale());
    QTest::mousePress(globe.viewport(), Qt::LeftButton, {}, { 60, 60 });
}

TEST_F(GlobeLayersTest, LongRedrawIsShownWhileItGrows)
{
    TGlobeLayer& layer = NewLayer("Muitos");
    for (int i = 0; i < 3000; ++i)
        Square(layer, -170 + (i % 60) * 5, -80 + (i / 60) * 3, 1);
    int paints = 0, renders = 0, objects = 0;
    struct PaintCounter : QObject {
        int& count;
        explicit PaintCounter(int& c)
            : count(c)
        {
        }
        bool eventFilter(QObject*, QEvent* e) override
        {
            count += e->type() == QEvent::Paint;
            return false;
        }
    } counter(paints);
    globe.viewport()->installEventFilter(&counter);
    globe.OnRender = [&](TGlobe4*) { ++renders; };
    globe.OnObjectRender = [&](TGlobe4*, TGlobeObject&, TGlobeObjectStateSet) {
        // Slow enough that the periodic copies come due.
        if (++objects % 256 == 0)
            QThread::msleep(3);
    };
    globe.SetPeriodicUpdateTime(1);
    globe.Redraw();
    QTRY_COMPARE_WITH_TIMEOUT(renders, 1, 20000);
    EXPECT_FALSE(globe.PictureIsStale());
    EXPECT_GE(paints, 4);
    globe.viewport()->removeEventFilter(&counter);
}

} // namespace
