#include "LayerTestGlobe.h"

#include "geo/GXml.h"
#include "geo/GeoDataObject.h"
#include "geo/GlobeProjection.h"
#include "platform/GlobeException.h"
#include "view/GlobeLayer.h"
#include "view/GlobeLayerStore.h"
#include "view/GlobeObjectSource.h"
#include "view/GlobePresenterStore.h"

#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <thread>

using enum TGlobeObjectState;

namespace {

class LayerTest : public ::testing::Test {
protected:
    TGlobeLayer& NewLayer() { return globe.store->CreateLayer("TGlobeLayer"); }

    // A closed square of side degrees with its south-west corner at (x, y) degrees.
    TGeoDataObject& AddSquare(TGlobeLayer& layer, int x, int y, int side = 10)
    {
        auto* object = new TGeoDataObject(&layer.ObjectSource());
        TPointStore& chain = object->Chains.Chain(0);
        chain.Add({ x * GU_DEGREE, y * GU_DEGREE, 0 });
        chain.Add({ (x + side) * GU_DEGREE, y * GU_DEGREE, 0 });
        chain.Add({ (x + side) * GU_DEGREE, (y + side) * GU_DEGREE, 0 });
        chain.Add({ x * GU_DEGREE, (y + side) * GU_DEGREE, 0 });
        object->SetClosed(true);
        return *object;
    }

    TGeoPoint Degrees(long double x, long double y) const { return DegreesToGeoPoint(x, y); }

    LayerTestGlobe globe;
};

} // namespace

// --- Object source ----------------------------------------------------------------

TEST_F(LayerTest, RemovingAnObjectRenumbersTheOnesAfterIt)
{
    TGlobeLayer& layer = NewLayer();
    std::vector<TGeoDataObject*> objects;
    for (int k = 0; k < 10; ++k)
        objects.push_back(&AddSquare(layer, k, 0, 1));
    TGlobeObjectSource& source = layer.ObjectSource();
    delete objects[3];
    ASSERT_EQ(source.Count(), 9);
    for (int k = 4; k < 10; ++k)
        EXPECT_EQ(objects[static_cast<size_t>(k)]->ObjectIndex, k - 1);
    EXPECT_EQ(&source.GetObject(3), objects[4]);
    EXPECT_TRUE(source.Modified());

    source.MoveObject(0, 8);
    EXPECT_EQ(objects[0]->ObjectIndex, 8);
    EXPECT_EQ(objects[1]->ObjectIndex, 0);
}

TEST_F(LayerTest, TheLastLayerToLetGoFreesTheSource)
{
    TGlobeLayer& first = NewLayer();
    AddSquare(first, 0, 0);
    TGlobeObjectSource* source = first.AttachedSource();
    TGlobeLayer& second = NewLayer();
    second.SetObjectSource(source);
    EXPECT_EQ(source->LayerCount(), 2);
    first.Delete();
    EXPECT_EQ(globe.Count(TGlobeNotification::gnSourceFreed), 0);
    EXPECT_EQ(second.ObjectSource().Count(), 1);
    second.SetObjectSource(nullptr);
    EXPECT_EQ(globe.Count(TGlobeNotification::gnSourceFreed), 1);
    EXPECT_TRUE(globe.ObjectCache().Sources().empty());
}

TEST_F(LayerTest, SourceIndexRulesAndReaderFailures)
{
    TGlobeObjectSource& source = NewLayer().ObjectSource();
    source.SetCount(2);
    EXPECT_TRUE(source.GetObjectState(1).contains(osNew));
    try {
        source.GetObjectData(2);
        ADD_FAILURE();
    } catch (const std::out_of_range& e) {
        EXPECT_STREQ(e.what(), "GetObjectData: Invalid Index 2");
    }
    EXPECT_THROW(source.SetObjectData(-1, nullptr), std::out_of_range);
    try {
        source.GetObject(0);
        ADD_FAILURE();
    } catch (const EGlobeException& e) {
        EXPECT_STREQ(e.what(), "TGlobeReader returned nil object");
    }
    EXPECT_FALSE(source.Loading());
    EXPECT_EQ(source.Count(), 2);
    EXPECT_GE(source.Capacity(), 257);
}

TEST_F(LayerTest, SourceRectangleWidensByOneAndStopsAtTheDateLine)
{
    TGlobeLayer& layer = NewLayer();
    EXPECT_EQ(layer.GetLayerMER(), (TMER { 0, 0, 1, 1 }));
    AddSquare(layer, 10, 20);
    AddSquare(layer, 175, -5);
    EXPECT_EQ(layer.GetLayerMER(),
        (TMER { 10 * GU_DEGREE - 1, -5 * GU_DEGREE - 1, GU_180_DEGREE - 10 * GU_DEGREE + 1,
            35 * GU_DEGREE + 1 }));
}

// --- Layer ------------------------------------------------------------------------

TEST_F(LayerTest, ZoomRangeInItsUnits)
{
    TGlobeLayer& layer = NewLayer();
    layer.SetZoomMin(10);
    TGlobeProjection& projection = globe.Projection();
    projection.SetAltitude(900000);
    ASSERT_EQ(projection.Altitude(), 900000);
    EXPECT_FALSE(layer.IsVisibleAtZoom());
    projection.SetAltitude(900100);
    EXPECT_TRUE(layer.IsVisibleAtZoom());
    layer.SetZoomMax(11);
    projection.SetAltitude(990000);
    EXPECT_TRUE(layer.IsVisibleAtZoom());
    projection.SetAltitude(1000000);
    EXPECT_FALSE(layer.IsVisibleAtZoom());

    layer.SetZoomUnits(TGlobeUnitTypes::Kilometer);
    EXPECT_EQ(layer.ZoomMin(), 19);
    EXPECT_EQ(layer.ZoomMax(), 20);
    EXPECT_TRUE(layer.Modified());
}

TEST_F(LayerTest, NameFallsBackToTheSourceThenTheClass)
{
    TGlobeLayer& layer = NewLayer();
    EXPECT_EQ(layer.Name(), "TGlobeLayer");
    layer.ObjectSource().Name = "Rios";
    EXPECT_EQ(layer.Name(), "Rios");
    EXPECT_FALSE(layer.Modified());
    layer.SetName("  Estradas ");
    EXPECT_EQ(layer.Name(), "Estradas");
    EXPECT_TRUE(layer.Modified());
}

TEST_F(LayerTest, TinyObjectsAreOneGreyPixelAndHiddenPresentersHideTheirObjects)
{
    TGlobeLayer& layer = NewLayer();
    layer.Presenters().Add(std::make_unique<TPolygonPresenter>(&globe, 3));
    auto& presenter = dynamic_cast<TPolygonPresenter&>(*layer.FindPresenter(3));
    presenter.PolyBrush.SetBrushColor(0x0000FF);
    AddSquare(layer, -100, -40, 60).SetPresenterID(3);
    // Under two pixels of a 360 x 180 world view (one degree a pixel).
    auto* tiny = new TGeoDataObject(&layer.ObjectSource());
    tiny->Chains.Chain(0).Add(Degrees(40.2L, 30.2L));
    tiny->Chains.Chain(0).Add(Degrees(41.5L, 31.5L));
    EXPECT_TRUE(layer.ObjectRenderState(1).contains(osTiny));
    EXPECT_FALSE(layer.ObjectRenderState(0).contains(osTiny));

    globe.BeginDraw();
    layer.Render();
    const QImage picture = globe.Picture();
    const TProjectedPoint corner = globe.Projection().LongLatToXY(tiny->GetMER().Left, tiny->GetMER().Bottom);
    EXPECT_EQ(picture.pixelColor(corner.point.X, corner.point.Y), QColor(0x80, 0x80, 0x80));
    const TProjectedPoint inside = globe.Projection().GeoToXY(Degrees(-70, -10));
    EXPECT_EQ(picture.pixelColor(inside.point.X, inside.point.Y), QColor(Qt::red));

    presenter.Hidden = true;
    globe.canvas->SetImageSize(360, 180, 96);
    globe.BeginDraw();
    layer.Render();
    const QImage hidden = globe.Picture();
    EXPECT_NE(hidden.pixelColor(inside.point.X, inside.point.Y), QColor(Qt::red));
}

TEST_F(LayerTest, RendersThroughPresentersWithTitles)
{
    LayerTestGlobe big(720, 360);
    TGlobeLayer& layer = big.store->CreateLayer("TGlobeLayer");
    auto polygon = std::make_unique<TPolygonPresenter>(&big, 1);
    polygon->PolyBrush.SetBrushColor(0x00C000);
    polygon->PolyPen.SetPenColor(0x004000);
    polygon->TitleAlignment = TTitleAlignment::taCenter;
    polygon->TitleFont.SetFontSize(12);
    layer.Presenters().Add(std::move(polygon));
    auto line = std::make_unique<TPolylinePresenter>(&big, 2);
    line->PolyPen.SetPenColor(0xFF0000);
    line->PolyPen.SetPenWidth(3);
    layer.Presenters().Add(std::move(line));
    auto* area = new TGeoDataObject(&layer.ObjectSource());
    for (const auto& [x, y] : { std::pair { -60, -30 }, { 0, -40 }, { 20, 10 }, { -40, 40 } })
        area->Chains.Chain(0).Add(Degrees(x, y));
    area->Title = "Mata";
    area->SetPresenterID(1);
    auto* river = new TGeoDataObject(&layer.ObjectSource());
    for (int x = 40; x <= 160; x += 20)
        river->Chains.Chain(0).Add(Degrees(x, (x / 20) % 2 ? 20 : -20));
    river->SetPresenterID(2);
    big.BeginDraw();
    layer.Render();
    const QImage picture = big.Picture();
    big.canvas->BeginImageDraw(nullptr);
    big.SavePicture("layer-presenters-titles");
    const TProjectedPoint inside = big.Projection().GeoToXY(Degrees(-20, -20));
    EXPECT_EQ(picture.pixelColor(inside.point.X, inside.point.Y), QColor(0, 0xC0, 0));
    const TProjectedPoint onLine = big.Projection().GeoToXY(Degrees(40, -20));
    EXPECT_EQ(picture.pixelColor(onLine.point.X, onLine.point.Y), QColor(0, 0, 0xFF));
}

TEST_F(LayerTest, TitlesAreDrawnAfterEveryObjectOfTheLayer)
{
    // A wide name over its eastern neighbour, which is drawn later.
    LayerTestGlobe big(720, 360);
    TGlobeLayer& layer = big.store->CreateLayer("TGlobeLayer");
    auto presenter = std::make_unique<TPolygonPresenter>(&big, 1);
    presenter->PolyBrush.SetBrushColor(0x00C000);
    presenter->PolyPen.SetPenColor(0x00C000);
    presenter->TitleAlignment = TTitleAlignment::taCenter;
    presenter->TitleFont.SetFontSize(14);
    layer.Presenters().Add(std::move(presenter));
    TGeoDataObject& west = AddSquare(layer, -20, -10, 20);
    west.Title = "WWWWWWWWWWWW";
    AddSquare(layer, 0, -10, 20);
    for (int i = 0; i < 2; ++i)
        layer.ObjectSource().GetObject(i).SetPresenterID(1);
    big.BeginDraw();
    layer.Render();
    const QImage picture = big.Picture();
    big.canvas->BeginImageDraw(nullptr);
    big.SavePicture("layer-titles-on-top");
    const TPoint from = big.Projection().GeoToXY(Degrees(2, -8)).point;
    const TPoint to = big.Projection().GeoToXY(Degrees(18, 8)).point;
    int titlePixels = 0;
    for (int y = to.Y; y <= from.Y; ++y)
        for (int x = from.X; x <= to.X; ++x)
            titlePixels += picture.pixelColor(x, y).green() < 0x60 ? 1 : 0; // dark ink, not the fill
    EXPECT_GT(titlePixels, 20) << "the name shows over the neighbour";
}

TEST_F(LayerTest, RenderingStopsAtTheNextCheckWhenInterrupted)
{
    TGlobeLayer& layer = NewLayer();
    for (int k = 0; k < 600; ++k)
        AddSquare(layer, (k % 30) * 10 - 150, (k / 30) * 8 - 80, 5);
    globe.options.include(TGlobeOption::goInterruptable);
    int drawn = 0;
    globe.onObjectRender = [&](TGlobeObject&, TGlobeObjectStateSet) {
        ++drawn;
        globe.interrupted = true;
    };
    layer.Render();
    EXPECT_EQ(drawn, 1);
    globe.interrupted = false;
    drawn = 0;
    globe.onObjectRender = [&](TGlobeObject&, TGlobeObjectStateSet) {
        if (++drawn == 2)
            globe.interrupted = true;
    };
    layer.Render();
    EXPECT_EQ(drawn, 257);

    globe.interrupted = false;
    layer.SetNoInterrupt(true);
    drawn = 0;
    globe.periodicUpdateTime = 1;
    layer.Render();
    EXPECT_EQ(drawn, 600);
    globe.interrupted = false;
    globe.onObjectRender = [&](TGlobeObject&, TGlobeObjectStateSet) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    };
    layer.Render();
    EXPECT_GE(globe.picturesShown, 2);
}

// --- Layer store ------------------------------------------------------------------

TEST_F(LayerTest, HitTestsFromTheTopLayerAndTheHighestIndex)
{
    TGlobeLayer& bottom = NewLayer();
    TGlobeLayer& top = NewLayer();
    TGeoDataObject& low = AddSquare(bottom, 0, 0, 20);
    TGeoDataObject& first = AddSquare(top, 0, 0, 20);
    TGeoDataObject& second = AddSquare(top, 5, 5, 20);
    TGlobeLayerStore& store = *globe.store;
    EXPECT_EQ(store.ObjectAtLocation(Degrees(10, 10)), &second);
    EXPECT_EQ(store.ObjectAtLocation(Degrees(2, 2)), &first);

    top.SetEnabled(false);
    const TProjectedPoint xy = globe.Projection().GeoToXY(Degrees(2, 2));
    EXPECT_EQ(store.ObjectAtXY(xy.point.X, xy.point.Y), &low);
    EXPECT_EQ(store.ObjectAtLocation(Degrees(2, 2)), &first);
    top.SetVisible(false);
    EXPECT_EQ(store.ObjectAtLocation(Degrees(2, 2)), &low);

    // A hidden object is never drawn, so a click passes through it.
    low.SetHidden(true);
    EXPECT_EQ(bottom.ObjectAtLocation(Degrees(2, 2)), nullptr);
    low.SetHidden(false);

    // Just outside the rectangle: no hit, whatever the tolerance.
    EXPECT_EQ(bottom.ObjectAtLocation({ 20 * GU_DEGREE + 1, 10 * GU_DEGREE, 0 }), nullptr);
    EXPECT_EQ(bottom.ObjectAtLocation({ 20 * GU_DEGREE - 1, 10 * GU_DEGREE, 0 }), &low);
}

TEST_F(LayerTest, SelectingOneObjectDeselectsTheOthers)
{
    TGlobeLayer& a = NewLayer();
    TGlobeLayer& b = NewLayer();
    TGeoDataObject& first = AddSquare(a, 0, 0);
    TGeoDataObject& second = AddSquare(b, 20, 0);
    TGlobeLayerStore& store = *globe.store;
    store.SelectObject(&first);
    EXPECT_TRUE(first.Selected());
    store.SelectObject(&second);
    EXPECT_FALSE(first.Selected());
    EXPECT_TRUE(second.Selected());
    EXPECT_EQ(store.SelectedCount(), 1);
    EXPECT_EQ(store.SelectedObject(0), &second);
    EXPECT_GE(globe.Count(TGlobeNotification::gnObjectSelectChanged), 3);
    store.SelectObject(nullptr);
    EXPECT_EQ(store.SelectedCount(), 0);
    // A freed object is no longer the selection.
    store.SelectObject(&second);
    delete &second;
    EXPECT_EQ(store.SelectedObject(), nullptr);
}

TEST_F(LayerTest, SearchesByTitleAndID)
{
    TGlobeLayer& layer = NewLayer();
    for (int k = 0; k < 4; ++k) {
        TGeoDataObject& o = AddSquare(layer, k * 20, 0);
        o.Title = k % 2 ? "Rio" : "Lago";
        o.ID = 100 + k;
    }
    TGlobeLayerStore& store = *globe.store;
    TGlobeObject* rio = store.FindObjectByTitle("rio", nullptr);
    ASSERT_NE(rio, nullptr);
    EXPECT_EQ(rio->ID, 101);
    EXPECT_EQ(store.FindObjectByTitle("RIO", rio)->ID, 103);
    EXPECT_EQ(store.FindObjectByTitle("Rio", store.FindObjectByID(103)), nullptr);
    EXPECT_EQ(store.FindObjectByID(102)->Title, "Lago");
    EXPECT_EQ(store.FindObjectByID(7), nullptr);
}

TEST_F(LayerTest, StoreIndexOrderAndNames)
{
    TGlobeLayerStore& store = *globe.store;
    ASSERT_EQ(store.GlobalPresenters().Count(), 2);
    EXPECT_EQ(store.GlobalPresenters().ByID(-1, false)->ClassName(), "TPointPresenter");
    EXPECT_EQ(store.GlobalPresenters().ByID(-2, false)->ClassName(), "TPolyPresenter");
    TGlobeLayer& a = NewLayer();
    TGlobeLayer& b = NewLayer();
    a.SetName("Alfa");
    b.SetName("Beta");
    EXPECT_EQ(store.IndexOfName("beta"), 1);
    b.SetIndex(0);
    EXPECT_EQ(a.Index(), 1);
    EXPECT_EQ(store.LayerByName("ALFA"), &a);
    try {
        store.Layers(2);
        ADD_FAILURE();
    } catch (const EGlobeException& e) {
        EXPECT_STREQ(e.what(), "TGlobe4.GetLayer: Bad layer index 2");
    }
    EXPECT_EQ(globe.Count(TGlobeNotification::gnLayerCreated), 2);
    store.Clear();
    EXPECT_EQ(globe.Count(TGlobeNotification::gnLayerFreed), 2);
    EXPECT_EQ(store.Count(), 0);
}

TEST_F(LayerTest, EnvironmentKeepsLayerValuesAndPresenters)
{
    TGlobeLayer& layer = NewLayer();
    layer.SetName("Cidades");
    layer.ObjectSource();
    layer.SetShowTitles(false);
    layer.SetAnimated(true);
    layer.SetZoomUnits(TGlobeUnitTypes::Kilometer);
    layer.SetZoomMax(500);
    layer.Presenters().Add(std::make_unique<TPointPresenter>(&globe, 4));
    const auto element = globe.store->SaveEnvironment();
    EXPECT_FALSE(layer.Modified());
    EXPECT_EQ(
        element->ChildElement("Layer")->ChildElement("Objects")->StringAttr("Class"), "TGlobeObjectSource");

    LayerTestGlobe other;
    other.store->LoadEnvironment(element.get());
    ASSERT_EQ(other.store->Count(), 1);
    TGlobeLayer& back = other.store->Layers(0);
    EXPECT_EQ(back.Name(), "Cidades");
    EXPECT_FALSE(back.ShowTitles());
    EXPECT_TRUE(back.Animated());
    EXPECT_EQ(back.ZoomUnits(), TGlobeUnitTypes::Kilometer);
    EXPECT_EQ(back.ZoomMax(), 500);
    EXPECT_NE(back.Presenters().ByID(4, false), nullptr);
    EXPECT_TRUE(back.ObjectSource().Active());
    EXPECT_FALSE(back.Modified());

    TGlobeLayer& copy = other.store->CreateLayer("TGlobeLayer");
    copy.Assign(back);
    EXPECT_EQ(copy.AttachedSource(), back.AttachedSource());
    EXPECT_EQ(copy.ZoomMax(), 500);
}

TEST_F(LayerTest, ImpossibleLatitudesCrossingTheSeamDrawWithoutFault)
{
    // Fuzzer find: latitudes far beyond the poles overflowed the seam split.
    TGlobeLayer& layer = NewLayer();
    const int32_t lats[] = { -2147483647, -1740174848, 2000000000, 2147483647 };
    for (const int32_t a : lats)
        for (const int32_t b : lats) {
            auto* object = new TGeoDataObject(&layer.ObjectSource());
            object->Chains.Chain(0).Add({ 179 * GU_DEGREE, a, 0 });
            object->Chains.Chain(0).Add({ -100 * GU_DEGREE, b, 0 });
            object->Chains.Chain(0).Add({ 100 * GU_DEGREE, a, 0 });
            object->SetClosed(a < b);
        }
    globe.BeginDraw();
    layer.Render();
    EXPECT_EQ(globe.Picture().width(), 360);
}
