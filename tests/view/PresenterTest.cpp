#include "TestGlobe.h"

#include "geo/GXml.h"
#include "geo/GeoDataObject.h"
#include "geo/GeoMath.h"
#include "geo/GlobeStream.h"
#include "platform/BoundedReader.h"
#include "view/Colors.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <vector>

using enum TGlobeObjectState;
using enum TPointPresenterType;

namespace {

const QColor WHITE(255, 255, 255);

std::vector<uint8_t> Record(const TGlobePresenter& p)
{
    TGlobeStreamWriter writer;
    p.WriteToStream(writer);
    return writer.Bytes();
}

void ReadRecord(TGlobePresenter& p, const std::vector<uint8_t>& bytes, uint16_t version)
{
    SetGlobeFileVersion(version);
    TBoundedReader bounded(bytes, "test");
    TGlobeStreamReader reader(bounded);
    p.ReadFromStream(reader);
    SetGlobeFileVersion(GLOBE_FILE_VERSION);
    EXPECT_TRUE(bounded.AtEnd());
}

std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts)
{
    std::vector<uint8_t> all;
    for (const auto& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

// Title font record of a new presenter: black, Pixel, 9, angle 0, no style, "Arial".
const std::vector<uint8_t> TITLE_FONT { 0, 0, 0, 0, 16, 9, 0, 0, 0, 0, 5, 'A', 'r', 'i', 'a', 'l' };

// The bounding box of the pixels that are not white.
QRect Inked(const QImage& image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) != WHITE)
                box |= QRect(x, y, 1, 1);
    return box;
}

} // namespace

TEST(GlobePresenter, NilGlobeIsRefused)
{
    EXPECT_THROW(TPointPresenter(nullptr, 0), EGlobeException);
    EXPECT_THROW(TGlobePresenterStore(nullptr), EGlobeException);
}

TEST(GlobePresenter, Defaults)
{
    TestGlobe globe;
    TPointPresenter point(&globe, 3);
    EXPECT_EQ(point.Name, "Point Presenter");
    EXPECT_EQ(point.PointType, ppCircle);
    EXPECT_EQ(point.PointSize(), 6);
    EXPECT_EQ(point.PointUnit(), TGlobeUnitTypes::Pixel);
    EXPECT_EQ(point.TitleAlignment, TTitleAlignment::taNone);
    EXPECT_TRUE(point.TitleFont.Equals(globe.Canvas().TitleFont()));
    EXPECT_EQ(TPolygonPresenter(&globe, 0).Name, "Polygon Presenter");
    EXPECT_EQ(TPolylinePresenter(&globe, 0).Name, "Poly Presenter");
    EXPECT_EQ(TPolylinePresenter(&globe, 0).Description(), "TPolylinePresenter");
}

TEST(GlobePresenter, PolyRecordsAtTheCurrentVersion)
{
    TestGlobe globe;
    TPolygonPresenter polygon(&globe, 5);
    polygon.Name = "Rio";
    polygon.TitleOffset = 2;
    polygon.TitleAlignment = TTitleAlignment::taTopRight;
    polygon.PolyPen.SetPenAttributes(clRed, TPenStyle::psSolid, 2, TGlobeUnitTypes::Pixel);
    polygon.PolyBrush.SetBrushAttributes(0x00FF00, TGlobeBrushStyle::bsSolid);
    const std::vector<uint8_t> common
        = Concat({ { 5, 0, 0, 0, 2, 0, 0, 0, 3, 'R', 'i', 'o', 6 }, TITLE_FONT });
    const std::vector<uint8_t> pen { 0xFF, 0, 0, 0, 0, 2, 0, 0, 0, 16 };
    const std::vector<uint8_t> brush { 0, 0xFF, 0, 0, 0, 0xFF, 0, 0, 0 };
    EXPECT_EQ(Record(polygon), Concat({ common, pen, brush }));

    TPolylinePresenter line(&globe, 0);
    line.Assign(polygon);
    EXPECT_EQ(Record(line), Concat({ common, pen }));

    TPolygonPresenter back(&globe, 0);
    ReadRecord(back, Record(polygon), 1029);
    EXPECT_EQ(back.PresenterID, 5);
    EXPECT_EQ(back.Name, "Rio");
    EXPECT_EQ(back.TitleOffset, 2);
    EXPECT_TRUE(back.PolyBrush.Equals(polygon.PolyBrush));
    TPolylinePresenter lineBack(&globe, 0);
    ReadRecord(lineBack, Record(line), 1029);
    EXPECT_TRUE(lineBack.PolyPen.Equals(polygon.PolyPen));
}

TEST(GlobePresenter, PointRecordWithAndWithoutMaximumSize)
{
    TestGlobe globe;
    TPointPresenter p(&globe, 1);
    p.Name = "P";
    p.PointType = ppSquare;
    p.SetPointSize(10);
    p.SetMaxPointSize(6);
    p.SymbolIndex = 81;
    const std::vector<uint8_t> common = Concat({ { 1, 0, 0, 0, 0, 0, 0, 0, 1, 'P', 0 }, TITLE_FONT });
    const std::vector<uint8_t> tail = Concat({ { 81, 0, 0 }, { 0, 0, 0, 0, 0, 0, 0, 0, 0, 16 },
        { 0, 0, 0, 0, 0, 0, 0, 0, 0 }, { 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 } });
    EXPECT_EQ(Record(p), Concat({ common, { 5, 16, 0xF6, 0xFF, 0xFF, 0xFF, 6, 0, 0, 0 }, tail }));

    TPointPresenter back(&globe, 0);
    ReadRecord(back, Record(p), 1029);
    EXPECT_EQ(back.PointSize(), 10);
    EXPECT_EQ(back.MaxPointSize(), 6);
    EXPECT_EQ(back.PointType, ppSquare);
    EXPECT_EQ(back.SymbolIndex, 81);

    p.SetMaxPointSize(0);
    EXPECT_EQ(Record(p), Concat({ common, { 5, 16, 10, 0, 0, 0 }, tail }));
}

TEST(GlobePresenter, OldRecordsKeepOrNarrowTheTitleOffset)
{
    TestGlobe globe;
    const std::vector<uint8_t> font { 0xFF, 0, 0, 0, 16, 9, 0, 0, 0, 0, 0 };
    const std::vector<uint8_t> oldPen { 0, 0, 0xFF, 0, 0, 2 };
    const std::vector<uint8_t> oldBrush { 0, 0xFF, 0, 0, 0 };
    TPolyPresenter v768(&globe, 0);
    v768.TitleOffset = 7;
    ReadRecord(v768, Concat({ { 9, 0, 0, 0, 1, 'A', 2 }, font, oldPen, oldBrush }), 768);
    EXPECT_EQ(v768.PresenterID, 9);
    EXPECT_EQ(v768.TitleOffset, 7);
    EXPECT_EQ(v768.TitleAlignment, TTitleAlignment::taLeft);
    EXPECT_EQ(v768.PolyPen.PenWidth(), 2);
    EXPECT_EQ(v768.PolyPen.PenUnit(), TGlobeUnitTypes::Pixel);
    EXPECT_EQ(v768.PolyBrush.BrushBkColor(), 0x00FF00);

    TPolyPresenter v1024(&globe, 0);
    const std::vector<uint8_t> pen1024 { 0, 0, 0xFF, 0, 0, 2, 0, 0, 0, 16 };
    ReadRecord(
        v1024, Concat({ { 9, 0, 0, 0, 0xFB, 0xFF, 0xFF, 0xFF, 1, 'A', 2 }, font, pen1024, oldBrush }), 1024);
    EXPECT_EQ(v1024.TitleOffset, -5);
    EXPECT_EQ(v1024.PolyBrush.BrushBkColor(), 0x00FF00);

    TPolyPresenter v1023(&globe, 0);
    ReadRecord(v1023, Concat({ { 9, 0, 0, 0, 0xFB, 1, 'A', 2 }, font, oldPen, oldBrush }), 1023);
    EXPECT_EQ(v1023.TitleOffset, -5);
}

TEST(GlobePresenterStore, IdentifierRules)
{
    TestGlobe globe;
    TGlobePresenterStore store(&globe);
    EXPECT_EQ(store.Add(nullptr), 0);
    EXPECT_EQ(store.Add(std::make_unique<TPointPresenter>(&globe, 0)), 1);
    EXPECT_EQ(store.Add(std::make_unique<TPolyPresenter>(&globe, 0)), 2);
    std::unique_ptr<TGlobePresenter> duplicate = std::make_unique<TPolyPresenter>(&globe, 2);
    EXPECT_EQ(store.Add(duplicate), 2);
    EXPECT_NE(duplicate, nullptr);
    EXPECT_EQ(store.Count(), 2);

    TGlobePresenterStore global(&globe);
    global.Add(std::make_unique<TPointPresenter>(&globe, -1));
    global.Add(std::make_unique<TPolyPresenter>(&globe, -2));
    EXPECT_EQ(global.Add(std::make_unique<TPolyPresenter>(&globe, 0)), 1);
}

TEST(GlobePresenterStore, ByIDFallsBackToTheGlobalStore)
{
    TestGlobe globe;
    globe.GlobalPresenters()->Add(std::make_unique<TPointPresenter>(&globe, -1));
    TGlobePresenterStore store(&globe);
    store.Add(std::make_unique<TPolyPresenter>(&globe, 4));
    EXPECT_EQ(store.ByID(4, false)->PresenterID, 4);
    EXPECT_EQ(store.ByID(-1, false), nullptr);
    EXPECT_EQ(store.ByID(-1, true)->ClassName(), "TPointPresenter");
    auto removed = store.Remove(*store.ByID(4, false));
    EXPECT_EQ(store.Count(), 0);
    EXPECT_TRUE(store.Modified());
    store.Clear();
    EXPECT_FALSE(store.Modified());
}

TEST(GlobePresenterStore, LookupsByAttributes)
{
    TestGlobe globe;
    TGlobePresenterStore store(&globe);
    auto point = std::make_unique<TPointPresenter>(&globe, 0);
    point->PointPen.SetPenColor(clRed);
    point->PointType = ppSquare;
    point->SetPointSize(8);
    store.Add(std::move(point));
    auto poly = std::make_unique<TPolygonPresenter>(&globe, 0);
    poly->PolyBrush.SetBrushAttributes(clYellow, TGlobeBrushStyle::bsSolid);
    store.Add(std::move(poly));

    TGlobePen red;
    red.SetPenColor(clRed);
    EXPECT_EQ(
        FindPointPresenter(store, &red, nullptr, nullptr, nullptr, ppSquare, TGlobeUnitTypes::Pixel, 8, ""),
        1);
    EXPECT_EQ(
        FindPointPresenter(store, &red, nullptr, nullptr, nullptr, ppSquare, TGlobeUnitTypes::Pixel, 9, ""),
        0);
    TGlobePen black;
    EXPECT_EQ(
        FindPointPresenter(store, &black, nullptr, nullptr, nullptr, ppSquare, TGlobeUnitTypes::Pixel, 8, ""),
        0);
    TGlobeBrush yellow;
    yellow.SetBrushAttributes(clYellow, TGlobeBrushStyle::bsSolid);
    EXPECT_EQ(FindPolyPresenter(store, nullptr, &yellow, nullptr), 2);
    EXPECT_EQ(FindPolyPresenter(store, nullptr, &yellow, &globe.Canvas().TitleFont()), 2);
    EXPECT_EQ(FindPolyPresenter(store, &red, nullptr, nullptr), 0);
}

TEST(GlobePresenterStore, EnvironmentRoundTrip)
{
    TestGlobe globe;
    TGlobePresenterStore store(&globe);
    auto point = std::make_unique<TPointPresenter>(&globe, 7);
    point->Name = "Marcador";
    point->Hidden = true;
    point->TitleAlignment = TTitleAlignment::taBottom;
    point->SetMaxPointSize(12);
    point->PointBrush.SetBrushAttributes(clRed, static_cast<TGlobeBrushStyle>(10));
    store.Add(std::move(point));
    auto line = std::make_unique<TPolylinePresenter>(&globe, 0);
    line->PolyPen.SetPenAttributes(clRed, TPenStyle::psDot, 2, TGlobeUnitTypes::Kilometer);
    store.Add(std::move(line));

    TGXML_Document document;
    document.Root().AddElement("Presenters", store.SaveEnvironment());
    TGXML_Document parsed;
    parsed.Parse(document.AsText());

    TGlobePresenterStore loaded(&globe);
    loaded.LoadEnvironment(parsed.Root().ChildElement("Presenters"));
    ASSERT_EQ(loaded.Count(), 2);
    const auto* p = dynamic_cast<const TPointPresenter*>(&loaded.Presenters(0));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->PresenterID, 7);
    EXPECT_EQ(p->Name, "Marcador");
    EXPECT_TRUE(p->Hidden);
    EXPECT_EQ(p->TitleAlignment, TTitleAlignment::taBottom);
    EXPECT_EQ(p->MaxPointSize(), 12);
    EXPECT_TRUE(p->PointBrush.Equals(store.Presenters(0).ClassName() == "TPointPresenter"
            ? dynamic_cast<const TPointPresenter&>(store.Presenters(0)).PointBrush
            : TGlobeBrush()));
    const auto* l = dynamic_cast<const TPolylinePresenter*>(&loaded.Presenters(1));
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(l->PresenterID, 8);
    EXPECT_EQ(l->PolyPen.PenUnit(), TGlobeUnitTypes::Kilometer);

    TGXML_Element unknown;
    auto child = std::make_unique<TGXML_Element>();
    child->AddAttribute("Class", "TNoSuchPresenter");
    unknown.AddElement("Presenter", std::move(child));
    EXPECT_THROW(loaded.LoadEnvironment(&unknown), EGlobeException);
}

TEST(GlobePresenterStore, AssignClonesEveryPresenter)
{
    TestGlobe globe;
    TGlobePresenterStore store(&globe);
    store.Add(std::make_unique<TPolygonPresenter>(&globe, 3));
    TGlobePresenterStore copy(&globe);
    copy.Assign(store);
    ASSERT_EQ(copy.Count(), 1);
    EXPECT_NE(&copy.Presenters(0), &store.Presenters(0));
    EXPECT_EQ(copy.Presenters(0).ClassName(), "TPolygonPresenter");
    copy.Assign(store.Presenters(0));
    EXPECT_EQ(copy.Count(), 1); // same ID: not added again
}

// Every point type side by side, with a red pen and a yellow brush.
TEST(PointPresenter, EveryPointType)
{
    TestGlobe globe(440, 60);
    globe.BeginDraw();
    QImage image(10, 20, QImage::Format_RGB32);
    image.fill(Qt::blue);
    for (int type = 0; type < POINT_PRESENTER_TYPE_COUNT; ++type) {
        TPointPresenter p(&globe, 0);
        p.PointType = static_cast<TPointPresenterType>(type);
        p.SetPointSize(24);
        p.PointPen.SetPenAttributes(0x0000C0, TPenStyle::psSolid, 1, TGlobeUnitTypes::Pixel);
        p.PointBrush.SetBrushAttributes(clYellow, TGlobeBrushStyle::bsSolid);
        p.PointFont.SetFontAttributes("WingDings", 0x800000, 0, 0, TGlobeUnitTypes::Pixel, 24);
        p.SymbolIndex = 81;
        p.SetImage(image);
        TGeoDataObject o(nullptr);
        o.SetCentroid(globe.Projection().XYToGeo(20 + 40 * type, 30).point);
        p.RenderObject(globe, o, {});
    }
    globe.SavePicture("point-types");
    const QImage picture = globe.canvas->Image();
    auto at = [&](int type, int dx, int dy) { return picture.pixelColor(20 + 40 * type + dx, 30 + dy); };
    EXPECT_EQ(Inked(picture.copy(0, 0, 40, 60)), QRect()); // ppNone
    EXPECT_NE(Inked(picture.copy(40, 0, 40, 60)), QRect()); // ppFontSymbol
    EXPECT_EQ(at(2, 0, 0), QColor(Qt::blue)); // ppImage
    EXPECT_EQ(at(3, 0, 0), QColor(0xC0, 0, 0)); // ppDot
    for (int type = 4; type < POINT_PRESENTER_TYPE_COUNT; ++type) {
        SCOPED_TRACE(type);
        EXPECT_EQ(at(type, 0, 1), QColor(Qt::yellow));
        EXPECT_EQ(at(type, 0, 15), WHITE);
    }
    EXPECT_EQ(at(7, 0, -8), QColor(Qt::yellow)); // the up triangle's tip half
    EXPECT_EQ(at(7, 0, 8), QColor(Qt::yellow));
    EXPECT_EQ(at(7, -10, -8), WHITE);
}

TEST(PointPresenter, FontSymbolIsCentredOnThePoint)
{
    for (int angle : { 0, 900 }) {
        SCOPED_TRACE(angle);
        TestGlobe globe(100, 100);
        globe.BeginDraw();
        TPointPresenter p(&globe, 0);
        p.PointType = ppFontSymbol;
        p.PointFont.SetFontAttributes("Arial", clBlack, 0, angle, TGlobeUnitTypes::Pixel, 40);
        p.SymbolIndex = 'H';
        TGeoDataObject o(nullptr);
        o.SetCentroid(globe.Projection().XYToGeo(50, 50).point);
        p.RenderObject(globe, o, {});
        const QRect box = Inked(globe.Picture());
        EXPECT_NEAR(box.center().x(), 50, 4);
        EXPECT_NEAR(box.center().y(), 50, 6);
    }
}

TEST(PointPresenter, MaximumSizeFollowsTheOutputResolution)
{
    TestGlobe globe(100, 100);
    TPointPresenter p(&globe, 0);
    p.PointType = ppSquare;
    p.SetPointSize(10);
    p.SetMaxPointSize(6);
    TGeoDataObject o(nullptr);
    o.SetCentroid(globe.Projection().XYToGeo(50, 50).point);
    globe.BeginDraw();
    p.RenderObject(globe, o, {});
    EXPECT_EQ(Inked(globe.Picture()).width(), 6);
    globe.Canvas().OutputPPI = 192;
    globe.canvas->SetImageSize(100, 100, 192);
    globe.BeginDraw();
    p.RenderObject(globe, o, {});
    EXPECT_EQ(Inked(globe.Picture()).width(), 12);
}

TEST(PointPresenter, HitTestUsesTheSymbolSize)
{
    TestGlobe globe(360, 180); // one pixel a degree
    TPointPresenter p(&globe, 0);
    p.SetPointSize(10);
    TGeoDataObject o(nullptr);
    o.SetCentroid(DegreesToGeoPoint(10, 10));
    EXPECT_TRUE(p.HitTest(globe, DegreesToGeoPoint(14, 6), 0, o));
    EXPECT_FALSE(p.HitTest(globe, DegreesToGeoPoint(16, 10), 0, o));
    p.SetMaxPointSize(4);
    EXPECT_FALSE(p.HitTest(globe, DegreesToGeoPoint(14, 10), 0, o));
}

TEST(PointPresenter, HitTestAroundCentresAtTheIntegerLimits)
{
    // Centres a damaged layer file can hold; the square around them must not
    // overflow (the sanitizer build traps it) and still holds its centre.
    TestGlobe globe(360, 180);
    TPointPresenter p(&globe, 0);
    p.SetPointSize(10);
    const std::pair<int32_t, int32_t> centres[]
        = { { 0, -2060974472 }, { INT32_MIN, INT32_MIN }, { INT32_MAX, INT32_MAX }, { INT32_MIN, INT32_MAX } };
    for (const auto& [longitude, lat] : centres) {
        SCOPED_TRACE(std::to_string(longitude) + "," + std::to_string(lat));
        TGeoDataObject o(nullptr);
        o.SetCentroid(MakeGeoPoint(longitude, lat));
        EXPECT_FALSE(p.HitTest(globe, DegreesToGeoPoint(10, 10), 0, o));
    }
}

TEST(PolyPresenter, PolygonAndPolylinePresentersSetTheObjectShape)
{
    TestGlobe globe(360, 180);
    TGeoDataObject o(nullptr);
    for (auto [x, y] : { std::pair { 0, 0 }, { 40, 0 }, { 40, 40 }, { 0, 40 } })
        o.Chains.Chain(0).Add(DegreesToGeoPoint(x, y));
    TPolygonPresenter polygon(&globe, 0);
    polygon.PolyBrush.SetBrushAttributes(clRed, TGlobeBrushStyle::bsSolid);
    globe.BeginDraw();
    polygon.RenderObject(globe, o, ALL_CLIP_STATES);
    EXPECT_TRUE(o.Closed());
    const TPoint inside = globe.Projection().LongLatToXY(20 * GU_DEGREE, 20 * GU_DEGREE).point;
    EXPECT_EQ(globe.Picture().pixelColor(inside.X, inside.Y), QColor(255, 0, 0));

    TPolylinePresenter line(&globe, 0);
    globe.canvas->SetImageSize(360, 180, 96);
    globe.BeginDraw();
    line.RenderObject(globe, o, ALL_CLIP_STATES + TGlobeObjectStateSet { osClosed });
    EXPECT_FALSE(o.Closed());
    EXPECT_EQ(globe.Picture().pixelColor(inside.X, inside.Y), WHITE);
}

TEST(GlobePresenter, TitleTopRightWithOffsetFive)
{
    TestGlobe globe(200, 100);
    TPolyPresenter p(&globe, 0);
    p.TitleAlignment = TTitleAlignment::taTopRight;
    p.TitleOffset = 5;
    p.TitleFont.SetFontAttributes("Arial", clBlack, 0, 0, TGlobeUnitTypes::Pixel, 14);
    TGeoDataObject o(nullptr);
    o.Title = "Santos";
    o.SetCentroid(globe.Projection().XYToGeo(100, 50).point);
    const TPoint at = globe.Projection().LongLatToXY(o.GetCentroid().Long, o.GetCentroid().Lat).point;
    globe.BeginDraw();
    p.RenderTitle(globe, o, {});
    globe.SavePicture("title-top-right");
    const QRect box = Inked(globe.canvas->Image());
    ASSERT_FALSE(box.isEmpty());
    EXPECT_GE(box.left(), at.X + 5);
    EXPECT_LE(box.left(), at.X + 7);
    EXPECT_LE(box.bottom(), at.Y - 5);
    EXPECT_GE(box.bottom(), at.Y - 9);
}

// Where the title lands for every alignment: horizontal -1 left of the point,
// 0 across it, 1 right of it; vertical -1 above, 0 on the baseline, 1 below.
TEST(GlobePresenter, TitleAlignmentTable)
{
    using enum TTitleAlignment;
    struct Case {
        TTitleAlignment alignment;
        int horizontal, vertical;
    };
    const Case cases[]
        = { { taCenter, 0, 0 }, { taLeft, -1, 0 }, { taRight, 1, 0 }, { taTopLeft, -1, -1 }, { taTop, 0, -1 },
              { taTopRight, 1, -1 }, { taBottomLeft, -1, 1 }, { taBottom, 0, 1 }, { taBottomRight, 1, 1 } };
    constexpr int d = 4;
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.alignment));
        TestGlobe globe(200, 100);
        TPolyPresenter p(&globe, 0);
        p.TitleAlignment = c.alignment;
        p.TitleOffset = d;
        p.TitleFont.SetFontAttributes("Arial", clBlack, 0, 0, TGlobeUnitTypes::Pixel, 14);
        TGeoDataObject o(nullptr);
        o.Title = "Santos";
        o.SetCentroid(globe.Projection().XYToGeo(100, 50).point);
        const TPoint at = globe.Projection().LongLatToXY(o.GetCentroid().Long, o.GetCentroid().Lat).point;
        globe.BeginDraw();
        p.RenderTitle(globe, o, {});
        const QRect box = Inked(globe.Picture());
        ASSERT_FALSE(box.isEmpty());
        if (c.horizontal < 0)
            EXPECT_LE(box.right(), at.X - d);
        else if (c.horizontal > 0)
            EXPECT_GE(box.left(), at.X + d);
        else
            EXPECT_NEAR(box.center().x(), at.X, 2);
        if (c.vertical < 0)
            EXPECT_LE(box.bottom(), at.Y - d);
        else if (c.vertical > 0)
            EXPECT_GE(box.top(), at.Y + d);
        else
            EXPECT_EQ(box.bottom(), at.Y - 1); // no descenders: the baseline is the bottom
    }
}

TEST(GlobePresenter, TitlesBelowTheMinimumHeightAreNotDrawn)
{
    TestGlobe globe(200, 100);
    TPolyPresenter p(&globe, 0);
    p.TitleAlignment = TTitleAlignment::taCenter;
    p.TitleFont.SetFontSize(4);
    TGeoDataObject o(nullptr);
    o.Title = "x";
    globe.BeginDraw();
    p.RenderTitle(globe, o, {});
    EXPECT_EQ(Inked(globe.Picture()), QRect());
}
