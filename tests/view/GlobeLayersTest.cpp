// The globe control with real layers: drawing them in the paint pipeline and
// the far-side pass, selecting and clicking objects with QTest mouse events,
// the object cache budget, opening layers by file name and zooming to them.
#include "geo/GeoDataObject.h"
#include "geo/GeoMath.h"
#include "geo/GlobeProjection.h"
#include "view/Colors.h"
#include "view/Globe4.h"
#include "view/GlobeLayer.h"
#include "view/GlobeLayerStore.h"
#include "view/GlobeObjectSource.h"
#include "view/GlobeUtils.h"

#include <QImage>
#include <QTemporaryDir>
#include <QTest>
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

} // namespace
