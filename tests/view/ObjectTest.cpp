#include "TestBitmap.h"
#include "TestGlobe.h"

#include "geo/BitmapObject.h"
#include "geo/GXml.h"
#include "geo/GeoDataObject.h"
#include "geo/GeoMath.h"
#include "view/Colors.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

using enum TGlobeObjectState;

namespace {

// An object source that owns its objects and counts what it is told.
class TestSource : public TCustomObjectSource {
public:
    explicit TestSource(TCustomGlobe4& globe)
        : m_globe(globe)
    {
    }
    ~TestSource() override
    {
        // Each object leaves the source while it is destroyed.
        while (!objects.empty()) {
            TGlobeObject* object = objects.back().release();
            objects.pop_back();
            delete object;
        }
    }
    std::string ClassName() const override { return "TestSource"; }
    void LoadEnvironment(const TGXML_Element*) override { }
    std::unique_ptr<TGXML_Element> SaveEnvironment() const override { return nullptr; }

    TCustomGlobe4& Globe() const override { return m_globe; }
    void AddObject(TGlobeObject& object) override
    {
        object.ObjectIndex = static_cast<int32_t>(objects.size());
        objects.emplace_back(&object);
        ++notifications[onObjectAdded];
    }
    void RemoveObject(TGlobeObject& object) override
    {
        for (auto& o : objects)
            if (o.get() == &object)
                (void)o.release();
        object.State = TGlobeObjectStateSet { osDeleted };
        object.ObjectIndex = -1;
    }
    void NotifyLayers(int kind, TGlobeObject*) override { ++notifications[kind]; }
    void SetObjectPresenterID(int index, int32_t id) override { objects.at(index)->SetPresenterID(id); }
    TGlobeObjectStateSet GetObjectState(int index) override { return objects.at(index)->State; }
    void SetObjectState(int index, TGlobeObjectStateSet state) override { objects.at(index)->State = state; }

    std::vector<std::unique_ptr<TGlobeObject>> objects;
    int notifications[6] = {};

private:
    TCustomGlobe4& m_globe;
};

TGeoPoint Deg(long double longitude, long double lat)
{
    return DegreesToGeoPoint(longitude, lat);
}

// A polygon from 170 degrees east across 180 to 170 degrees west, with
// points on 180 degrees on either side, as data crossing the antimeridian
// has them.
TGeoDataObject* SeamPolygon(TestSource& source)
{
    auto* o = new TGeoDataObject(&source);
    for (auto [x, y] : { std::pair { 170, 0 }, { 180, 0 }, { -180, 0 }, { -170, 0 }, { -170, 10 },
             { -180, 10 }, { 180, 10 }, { 170, 10 } })
        o->Chains.Chain(0).Add(MakeGeoPoint(int64_t { x } * GU_DEGREE, y * GU_DEGREE));
    o->SetClosed(true);
    return o;
}

} // namespace

TEST(GlobeObject, PointObjectWithoutChains)
{
    TGeoDataObject o(nullptr);
    EXPECT_EQ(o.ObjectIndex, -1);
    EXPECT_EQ(o.GetCentroid(), (TGeoPoint { 0, 0, 0 }));
    EXPECT_EQ(o.GetMER(), (TMER { 0, 0, 0, 0 }));
    EXPECT_TRUE(o.Has(osValidMER));
    EXPECT_TRUE(o.HitTest({ 0, 0, 0 }, 10));
    EXPECT_FALSE(o.HitTest({ 11, 0, 0 }, 10));
}

TEST(GlobeObject, JoiningAndLeavingTheSource)
{
    TestGlobe globe;
    TestSource source(globe);
    auto* a = new TGeoDataObject(&source);
    auto* b = new TGeoDataObject(&source);
    EXPECT_EQ(a->ObjectIndex, 0);
    EXPECT_EQ(b->ObjectIndex, 1);
    EXPECT_EQ(a->ObjectSource(), &source);
    delete source.objects[0].release();
    EXPECT_EQ(source.objects[0], nullptr);
}

TEST(GlobeObject, MERHitTestAcrossTheAntimeridian)
{
    TestGlobe globe;
    TestSource source(globe);
    TGeoDataObject* o = SeamPolygon(source);
    const TMER mer = o->GetMER();
    EXPECT_GT(int64_t { mer.Left } + mer.Width, GU_180_DEGREE);
    struct Case {
        long double longitude, lat;
        int side;
        bool hit;
    };
    for (const Case& c : { Case { 175, 5, 2, true }, { -175, 5, 1, true }, { 160, 5, 0, false },
             { -160, 5, 0, false }, { 175, 15, 0, false } }) {
        SCOPED_TRACE(c.longitude);
        EXPECT_EQ(o->MERHitTest(Deg(c.longitude, c.lat), 0), c.side);
        EXPECT_EQ(o->HitTest(Deg(c.longitude, c.lat), 0), c.hit);
    }
    o->SetHidden(true);
    EXPECT_EQ(o->MERHitTest(Deg(175, 5), 0), 0);
    EXPECT_FALSE(o->HitTest(Deg(175, 5), 0));
}

TEST(GlobeObject, MERHitTestEdgesWidenedByTheTolerance)
{
    TGeoDataObject o(nullptr);
    o.Chains.Chain(0).Add({ 100, 100, 0 });
    o.Chains.Chain(0).Add({ 200, 200, 0 });
    const TMER mer = o.GetMER();
    const int32_t t = 5;
    const int32_t west = mer.Left - t, south = mer.Bottom - t;
    const int32_t east = mer.Left + mer.Width + t, north = mer.Bottom + mer.Height + t;
    EXPECT_EQ(o.MERHitTest({ west, south, 0 }, t), 3);
    EXPECT_EQ(o.MERHitTest({ west - 1, south, 0 }, t), 0);
    EXPECT_EQ(o.MERHitTest({ west, south - 1, 0 }, t), 0);
    EXPECT_EQ(o.MERHitTest({ east - 1, north - 1, 0 }, t), 3);
    EXPECT_EQ(o.MERHitTest({ east, south, 0 }, t), 0);
    EXPECT_EQ(o.MERHitTest({ west, north, 0 }, t), 0);
}

TEST(GlobeObject, SelectingTwiceNotifiesOnce)
{
    TestGlobe globe;
    TestSource source(globe);
    auto* o = new TGeoDataObject(&source);
    o->SetSelected(true);
    o->SetSelected(true);
    EXPECT_EQ(source.notifications[onObjectSelectionChanged], 1);
    EXPECT_TRUE(source.GetObjectState(0).contains(osSelected));
    o->SetSelected(false);
    EXPECT_EQ(source.notifications[onObjectSelectionChanged], 2);
}

TEST(GlobeObject, SettersNotifyOnlyOnChange)
{
    TestGlobe globe;
    TestSource source(globe);
    auto* o = new TGeoDataObject(&source);
    o->SetClosed(false);
    o->SetHidden(false);
    o->SetPresenterID(0);
    EXPECT_EQ(source.notifications[onObjectChanged], 0);
    o->SetClosed(true);
    o->SetHidden(true);
    o->SetPresenterID(7);
    EXPECT_EQ(source.notifications[onObjectChanged], 3);
    EXPECT_TRUE(o->Has(osRedraw));
    EXPECT_EQ(o->PresenterID(), 7);
}

TEST(GlobeObject, MovingWithinOnePixelMovesTheChainsWithoutRedraw)
{
    TestGlobe globe;
    TestSource source(globe);
    auto* o = new TGeoDataObject(&source);
    o->Chains.Chain(0).Add(Deg(10, 10));
    o->Chains.Chain(0).Add(Deg(12, 10));
    o->Chains.Chain(0).Add(Deg(11, 12));
    o->SetClosed(true);
    const int changes = source.notifications[onObjectChanged];
    TGeoPoint c = o->GetCentroid();
    const TGeoPoint first = o->Chains.Chain(0).Point(0);
    c.Long += 1;
    o->SetCentroid(c);
    EXPECT_EQ(o->Chains.Chain(0).Point(0).Long, first.Long + 1);
    EXPECT_EQ(source.notifications[onObjectChanged], changes);

    c.Long += 5 * GU_DEGREE;
    o->SetCentroid(c);
    EXPECT_EQ(source.notifications[onObjectChanged], changes + 1);
    EXPECT_EQ(o->GetMER().Left, first.Long + 1 + 5 * GU_DEGREE);
}

TEST(GlobeObject, AssignAndCloneCopyTheGeometry)
{
    TestGlobe globe;
    TestSource source(globe);
    TGeoDataObject* o = SeamPolygon(source);
    o->Title = "Ilha";
    o->ID = 4;
    o->GUID = "g";
    o->Value = 2.5;
    o->SetPresenterID(3);
    auto* copy = dynamic_cast<TGeoDataObject*>(o->Clone());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->ObjectSource(), &source);
    EXPECT_EQ(copy->Title, "Ilha");
    EXPECT_EQ(copy->ID, 4);
    EXPECT_EQ(copy->PresenterID(), 3);
    EXPECT_TRUE(copy->Closed());
    EXPECT_EQ(copy->GUID, "");
    EXPECT_EQ(copy->Value, 0);
    ASSERT_EQ(copy->Chains.Count(), 1);
    EXPECT_EQ(copy->Chains.Chain(0).Count(), 8);
    EXPECT_NE(&copy->Chains.Chain(0), &o->Chains.Chain(0));
    EXPECT_EQ(copy->GetMER(), o->GetMER());
}

TEST(BitmapObject, RectangleFromTheBitmapSize)
{
    const std::string file = WriteTestBitmap("bitmap100x50", 100, 50);
    TBitmapObject o(nullptr);
    o.SetBMPFilename(file);
    EXPECT_EQ(o.Title, file);
    o.SetCentroid(Deg(10, 50));
    EXPECT_EQ(o.GetMER(), (TMER { 54000000, 265500000, 9000000, 4500000 }));
    EXPECT_EQ(o.TextureData().Corners().Point(1), (TGeoPoint { 63000000, 265500000, 0 }));
    EXPECT_TRUE(o.HitTest(Deg(11, 49.5L), 0));
    EXPECT_FALSE(o.HitTest(Deg(9, 49), 0));

    o.SetGlobeUnitsPerPixel(1, 2 * GU_MINUTE);
    EXPECT_EQ(o.GetMER().Width, 18000000);
}

TEST(BitmapObject, TransparentColourMustBeInThePalette)
{
    TBitmapObject o(nullptr);
    o.SetBMPFilename(WriteTestBitmap("bitmap8x8", 8, 8));
    o.SetTransparentColor(TestPaletteColor(3));
    EXPECT_EQ(o.TransparentIndex(), 3);
    EXPECT_EQ(o.TextureData().TransparentIndex, 3);
    EXPECT_EQ(o.TransparentColor(), TestPaletteColor(3));
    o.SetTransparentColor(0x123456);
    EXPECT_EQ(o.TransparentIndex(), -1);
    EXPECT_EQ(o.TextureData().TransparentIndex, -1);
}

TEST(GlobeObject, DrawnWithoutAPresenter)
{
    TestGlobe globe(360, 180);
    TestSource source(globe);
    globe.BeginDraw();
    TGlobeCanvas& canvas = globe.Canvas();
    canvas.Brush().SetBrushAttributes(0x00FF00, TGlobeBrushStyle::bsSolid);
    auto* box = new TGeoDataObject(&source);
    for (auto [x, y] : { std::pair { 0, 0 }, { 40, 0 }, { 40, 40 }, { 0, 40 } })
        box->Chains.Chain(0).Add(Deg(x, y));
    box->SetClosed(true);
    box->Render(globe, ALL_CLIP_STATES + TGlobeObjectStateSet { osClosed });
    auto* point = new TGeoDataObject(&source);
    point->SetCentroid(Deg(-90, 0));
    point->Render(globe, TGlobeObjectStateSet { osSelected });
    const QImage picture = globe.Picture();
    const TPoint inside = globe.Projection().LongLatToXY(20 * GU_DEGREE, 20 * GU_DEGREE).point;
    EXPECT_EQ(picture.pixelColor(inside.X, inside.Y), QColor(0, 255, 0));
    // The point is a small circle in the selected pen.
    const TPoint p = globe.Projection().LongLatToXY(-90 * GU_DEGREE, 0).point;
    EXPECT_EQ(picture.pixelColor(p.X - 2, p.Y), QColor(Qt::red));
    EXPECT_EQ(picture.pixelColor(p.X - 4, p.Y), QColor(Qt::white));
}

TEST(BitmapObject, RendersItsBitmapOverItsRectangle)
{
    TestGlobe globe(360, 180);
    TestSource source(globe);
    auto* chart = new TBitmapObject(&source);
    chart->SetBMPFilename(WriteTestBitmap("chart20x10", 20, 10, [](int, int) { return 7; }));
    chart->SetGlobeUnitsPerPixel(0, 2 * GU_DEGREE);
    chart->SetCentroid(Deg(-40, 30));
    globe.BeginDraw();
    chart->Render(globe, {});
    globe.SavePicture("bitmap-object");
    const QImage picture = globe.canvas->Image();
    auto at = [&](int longitude, int lat) {
        const TPoint p = globe.Projection().LongLatToXY(longitude * GU_DEGREE, lat * GU_DEGREE).point;
        return picture.pixelColor(p.X, p.Y);
    };
    EXPECT_EQ(at(-20, 20), ToQColor(TestPaletteColor(7)));
    EXPECT_EQ(at(-45, 20), QColor(Qt::white));
    EXPECT_EQ(at(-20, 35), QColor(Qt::white));
    EXPECT_EQ(at(5, 20), QColor(Qt::white));
}
