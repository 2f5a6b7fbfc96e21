#include "TestBitmap.h"
#include "TestGlobe.h"

#include "geo/ChainStore.h"
#include "geo/GeoMath.h"
#include "view/Colors.h"

#include <gtest/gtest.h>

#include <vector>

using enum TGlobeObjectState;

namespace {

const QColor WHITE(255, 255, 255);

void PutPoints(const std::vector<TPoint>& points)
{
    for (size_t i = 0; i < points.size(); ++i)
        DevicePoints().Put(static_cast<int>(i), points[i]);
}

std::vector<TPoint> GetPoints(int count)
{
    return { DevicePoints().Data(), DevicePoints().Data() + count };
}

TChainStore Ring(std::initializer_list<std::pair<long double, long double>> degrees)
{
    TChainStore chains;
    for (auto [x, y] : degrees)
        chains.Chain(0).Add(DegreesToGeoPoint(x, y));
    return chains;
}

// Draws with a black pen and a red brush.
void UsePenAndBrush(TestGlobe& globe, TColor brush = clRed)
{
    TGlobeCanvas& canvas = globe.Canvas();
    canvas.Pen().SetPenAttributes(clBlack, TPenStyle::psSolid, 1, TGlobeUnitTypes::Pixel);
    canvas.Brush().SetBrushAttributes(brush, TGlobeBrushStyle::bsSolid);
    canvas.Pen().Select(canvas, false);
    canvas.Brush().Select(canvas, false);
}

bool IsRed(const QImage& image, int x, int y)
{
    return image.pixelColor(x, y) == QColor(255, 0, 0);
}

} // namespace

TEST(GlobeCanvas, NilGlobeIsRefused)
{
    EXPECT_THROW(TGlobeCanvas(nullptr), EGlobeException);
}

TEST(GlobeCanvas, ImageIsRGB32WithAlignedRows)
{
    // The format QPainter draws fastest and the window shows without a
    // conversion.
    TestGlobe globe(101, 50);
    EXPECT_EQ(globe.Canvas().Image().format(), QImage::Format_RGB32);
    EXPECT_EQ(globe.Canvas().ImageStride(), 101 * 4);
    EXPECT_EQ(globe.Canvas().Width(), 101);
    EXPECT_FALSE(globe.Canvas().SetCanvasSize(0, 10));
    EXPECT_EQ(globe.Canvas().Width(), 101);
}

TEST(GlobeCanvas, ColourAdjustmentBlendsTowardsTheTarget)
{
    TestGlobe globe;
    TGlobeCanvas& canvas = globe.Canvas();
    EXPECT_EQ(canvas.AdjustColor(clRed), clRed);
    const int32_t count = canvas.ChangeCount();
    canvas.SetColorAdjustPercent(50);
    canvas.SetColorAdjustPercent(50);
    canvas.SetColorAdjustTarget(clSilver);
    EXPECT_EQ(canvas.ChangeCount(), count + 1);
    EXPECT_EQ(ToQColor(canvas.AdjustColor(clRed)), QColor(224, 96, 96));

    // A pen realised before the change is made again in the adjusted colour.
    canvas.SetColorAdjustPercent(0);
    TGlobePen pen;
    pen.SetPenAttributes(clRed, TPenStyle::psSolid, 3, TGlobeUnitTypes::Pixel);
    pen.Select(canvas, false);
    EXPECT_EQ(pen.Handle()->color(), QColor(255, 0, 0));
    canvas.SetColorAdjustPercent(50);
    pen.Select(canvas, false);
    EXPECT_EQ(pen.Handle()->color(), QColor(224, 96, 96));
    globe.BeginDraw();
    PutPoints({ { 10, 50 }, { 100, 50 } });
    canvas.RenderPoints(2, {}, 3);
    EXPECT_EQ(globe.Picture().pixelColor(50, 50), QColor(224, 96, 96));
}

TEST(GlobeCanvas, UnitConversions)
{
    TestGlobe globe(360, 180);
    TGlobeCanvas& canvas = globe.Canvas();
    EXPECT_EQ(canvas.UnitsToPixels(10, TGlobeUnitTypes::Pixel), 10);
    canvas.OutputPPI = 192;
    EXPECT_EQ(canvas.UnitsToPixels(10, TGlobeUnitTypes::Pixel), 20);
    EXPECT_EQ(canvas.UnitSizeToPixels(10, TGlobeUnitTypes::Pixel), 20);
    // One pixel a degree.
    EXPECT_EQ(canvas.UnitsToPixels(3, TGlobeUnitTypes::Degree), 3);
    EXPECT_EQ(canvas.ValueToGU(TGlobeUnitTypes::Degree, 2), 2 * GU_DEGREE);
    EXPECT_EQ(canvas.ValueToGU(TGlobeUnitTypes::Pixel, 2), 2 * GU_DEGREE);
    EXPECT_EQ(canvas.UnitsToPixels(120, TGlobeUnitTypes::Minute), 2);
}

TEST(GlobeCanvas, ResizeKeepsTheCentreAndScalesWithTheDiagonal)
{
    TestGlobe globe(360, 180);
    TGlobeProjection& projection = globe.Projection();
    projection.SetCenterLongitude(30);
    projection.SetCenterLatitude(10);
    const long double scale = projection.ScaleFactor();
    ASSERT_TRUE(globe.Canvas().SetCanvasSize(720, 360));
    EXPECT_NEAR(static_cast<double>(projection.ScaleFactor() / scale), 2.0, 1e-9);
    EXPECT_NEAR(static_cast<double>(projection.CenterLongitude()), 30, 0.5);
    EXPECT_NEAR(static_cast<double>(projection.CenterLatitude()), 10, 0.5);
    EXPECT_EQ(globe.viewExtent.Right, Rnd(720 / projection.ScaleFactor()));

    globe.options = { TGlobeOption::goConstantScaleOnResize, TGlobeOption::goFixedCenterXYOnResize };
    const int32_t x = projection.XOrigin();
    ASSERT_TRUE(globe.Canvas().SetCanvasSize(300, 200));
    EXPECT_EQ(projection.XOrigin(), x);
    EXPECT_NEAR(static_cast<double>(projection.ScaleFactor() / scale), 2.0, 1e-9);
}

TEST(GlobeCanvas, ClippingAgainstTheViewEdges)
{
    TestGlobe globe(100, 100);
    TGlobeCanvas& canvas = globe.Canvas();
    struct Case {
        const char* name;
        std::vector<TPoint> in;
        TGlobeObjectStateSet state;
        int32_t margin;
        std::vector<TPoint> out;
    };
    const TGlobeObjectStateSet open = ALL_CLIP_STATES;
    const TGlobeObjectStateSet closed = ALL_CLIP_STATES + TGlobeObjectStateSet { osClosed };
    const Case cases[] = {
        { "inside stays", { { 10, 10 }, { 90, 90 } }, open, 0, { { 10, 10 }, { 90, 90 } } },
        { "a point on the edge is inside", { { 0, 50 }, { 50, 50 } }, open, 0, { { 0, 50 }, { 50, 50 } } },
        { "cut at the left edge", { { -50, 50 }, { 50, 50 } }, open, 0, { { 0, 50 }, { 50, 50 } } },
        { "margin moves the crossing", { { -50, 50 }, { 50, 50 } }, open, 3, { { -3, 50 }, { 50, 50 } } },
        { "no clip bits: untouched", { { -50, 50 }, { 50, 50 } }, {}, 0, { { -50, 50 }, { 50, 50 } } },
        { "only the right edge", { { -50, 50 }, { 150, 50 } }, TGlobeObjectStateSet { osClipRight }, 0,
            { { -50, 50 }, { 100, 50 } } },
        { "triangle over the top", { { 50, -50 }, { 90, 50 }, { 10, 50 } }, closed, 0,
            { { 70, 0 }, { 90, 50 }, { 10, 50 }, { 30, 0 } } },
        { "huge margins are held", { { -50, 50 }, { 50, 50 } }, open, INT32_MAX,
            { { -(1 << 20), 50 }, { 50, 50 } } },
        { "wholly outside", { { -50, -50 }, { -10, -50 }, { -30, -10 } }, closed, 0, {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PutPoints(c.in);
        const int n = canvas.ClipPoints(static_cast<int>(c.in.size()), c.state, c.margin);
        EXPECT_EQ(GetPoints(n), c.out);
    }
}

TEST(GlobeCanvas, ClippingAHugeZigzagStaysInsideTheBuffers)
{
    TestGlobe globe(100, 100);
    // Every segment crosses both side edges, so clipping doubles the points.
    const int count = DEVICE_POINTS_CAPACITY;
    for (int i = 0; i < count; ++i)
        DevicePoints().Put(i, { i % 2 ? -1000 : 1000, 50 + i % 7 });
    const int n = globe.Canvas().ClipPoints(count, ALL_CLIP_STATES + TGlobeObjectStateSet { osClosed }, 1);
    EXPECT_GT(n, count);
    EXPECT_LE(n, 2 * count);
    for (const TPoint& p : GetPoints(n))
        ASSERT_TRUE(p.X >= -1 && p.X <= 101 && p.Y >= 0 && p.Y <= 100) << p.X << "," << p.Y;
}

TEST(GlobeCanvas, ChainsLongerThanTheBuffersAreDrawn)
{
    TestGlobe globe(360, 180);
    TChainStore chains;
    const int count = 2 * DEVICE_POINTS_CAPACITY;
    for (int i = 0; i < count; ++i)
        chains.Chain(0).Add(
            { static_cast<int32_t>(-170 * GU_DEGREE + int64_t { i } * 340 * GU_DEGREE / count),
                (i % 2) * 3 * GU_DEGREE, 0 });
    globe.BeginDraw();
    UsePenAndBrush(globe);
    globe.Canvas().RenderChains(chains, ALL_CLIP_STATES, 1);
    const QImage picture = globe.Picture();
    const TPoint p = globe.Projection().LongLatToXY(0, GU_DEGREE).point;
    EXPECT_EQ(picture.pixelColor(p.X, p.Y), QColor(0, 0, 0));
}

TEST(GlobeCanvas, ShortChainsDrawNothing)
{
    TestGlobe globe(100, 100);
    globe.BeginDraw();
    UsePenAndBrush(globe);
    PutPoints({ { 50, 50 } });
    globe.Canvas().RenderPoints(1, {}, 0);
    TChainStore single = Ring({ { 0, 0 } });
    globe.Canvas().RenderChains(single, { osClosed }, 0);
    const QImage picture = globe.Picture();
    EXPECT_EQ(picture.pixelColor(50, 50), WHITE);
    EXPECT_EQ(picture.pixelColor(49, 49), WHITE);
}

// A ring around the south pole crosses the seam once: it is closed along the
// seam through the pole, so everything south of it is filled.
TEST(GlobeCanvas, PolygonCrossingTheSeamOnceEnclosesThePole)
{
    for (const char* model : { "TCartesianPrj", "TMercatorPrj" }) {
        SCOPED_TRACE(model);
        TestGlobe globe(360, 360, model);
        globe.Projection().SetScaleFactor(globe.Projection().ScaleFactor() * 0.9L);
        globe.BeginDraw();
        UsePenAndBrush(globe);
        TChainStore ring;
        for (int i = 0; i < 36; ++i)
            ring.Chain(0).Add(DegreesToGeoPoint(-175 + 10 * i, -60 + 5 * std::sin(i / 3.0)));
        globe.Canvas().RenderChains(ring, ALL_CLIP_STATES + TGlobeObjectStateSet { osClosed }, 1);
        const TProjectedPoint south = globe.Projection().LongLatToXY(0, -75 * GU_DEGREE);
        const TProjectedPoint north = globe.Projection().LongLatToXY(0, 0);
        const TProjectedPoint westEdge = globe.Projection().LongLatToXY(-179 * GU_DEGREE, -75 * GU_DEGREE);
        const TProjectedPoint eastEdge = globe.Projection().LongLatToXY(179 * GU_DEGREE, -75 * GU_DEGREE);
        globe.SavePicture(std::string("seam-once-") + model);
        const QImage picture = globe.canvas->Image();
        EXPECT_TRUE(IsRed(picture, south.point.X, south.point.Y));
        EXPECT_TRUE(IsRed(picture, westEdge.point.X, westEdge.point.Y));
        EXPECT_TRUE(IsRed(picture, eastEdge.point.X, eastEdge.point.Y));
        EXPECT_EQ(picture.pixelColor(north.point.X, north.point.Y), WHITE);
    }
}

// A box from 170 E to 170 W crosses the seam twice: two polygons, one at each
// edge of the map, and nothing in between.
TEST(GlobeCanvas, PolygonCrossingTheSeamTwiceIsDrawnOnBothSides)
{
    for (const char* model : { "TCartesianPrj", "TMercatorPrj" }) {
        SCOPED_TRACE(model);
        TestGlobe globe(360, 360, model);
        globe.Projection().SetScaleFactor(globe.Projection().ScaleFactor() * 0.9L);
        globe.BeginDraw();
        UsePenAndBrush(globe);
        TChainStore box = Ring({ { 160, 10 }, { 200, 10 }, { 200, 40 }, { 160, 40 } });
        globe.Canvas().RenderChains(box, ALL_CLIP_STATES + TGlobeObjectStateSet { osClosed }, 1);
        globe.SavePicture(std::string("seam-twice-") + model);
        const QImage picture = globe.canvas->Image();
        auto at = [&](long double x, long double y) {
            return globe.Projection().LongLatToXY(DegToGU(x), DegToGU(y)).point;
        };
        const TPoint east = at(170, 25), west = at(-170, 25), middle = at(0, 25);
        EXPECT_TRUE(IsRed(picture, east.X, east.Y));
        EXPECT_TRUE(IsRed(picture, west.X, west.Y));
        EXPECT_EQ(picture.pixelColor(middle.X, middle.Y), WHITE);
    }
}

TEST(GlobeCanvas, PolylinesAreSplitAtTheSeam)
{
    TestGlobe globe(360, 180);
    globe.BeginDraw();
    UsePenAndBrush(globe);
    TChainStore line = Ring({ { 170, 0 }, { -170, 0 } });
    globe.Canvas().RenderChains(line, ALL_CLIP_STATES, 1);
    const QImage picture = globe.Picture();
    const TPoint middle = globe.Projection().LongLatToXY(0, 0).point;
    const TPoint east = globe.Projection().LongLatToXY(175 * GU_DEGREE, 0).point;
    const TPoint west = globe.Projection().LongLatToXY(-175 * GU_DEGREE, 0).point;
    EXPECT_EQ(picture.pixelColor(middle.X, middle.Y), WHITE);
    EXPECT_EQ(picture.pixelColor(east.X, east.Y), QColor(0, 0, 0));
    EXPECT_EQ(picture.pixelColor(west.X, west.Y), QColor(0, 0, 0));
}

TEST(GlobeCanvas, FarSidePassDrawsWithTheTransparentPenAndBrush)
{
    TestGlobe globe(360, 180);
    globe.Projection().FarSidePass = true;
    globe.BeginDraw();
    UsePenAndBrush(globe);
    TChainStore box = Ring({ { 0, 0 }, { 40, 0 }, { 40, 40 }, { 0, 40 } });
    globe.Canvas().RenderChains(box, ALL_CLIP_STATES + TGlobeObjectStateSet { osClosed }, 1);
    const TPoint inside = globe.Projection().LongLatToXY(20 * GU_DEGREE, 20 * GU_DEGREE).point;
    EXPECT_EQ(globe.Picture().pixelColor(inside.X, inside.Y), QColor(Qt::lightGray));
}

TEST(GlobeCanvas, SphericalViewDrawsPolygonsWhole)
{
    TestGlobe globe(300, 300, "TSphericalPrj");
    globe.Projection().SetXRotation(20);
    globe.Projection().SetCenterLongitude(180);
    globe.BeginDraw();
    UsePenAndBrush(globe, 0xF0E0C0);
    globe.Projection().ProjectionModel().PaintSurface();
    UsePenAndBrush(globe);
    // A box across the antimeridian seen from the front, and one reaching
    // behind the globe, which follows the rim there.
    TChainStore box = Ring({ { 160, 10 }, { -160, 10 }, { -160, 40 }, { 160, 40 } });
    globe.Canvas().RenderChains(box, TGlobeObjectStateSet { osClosed, osFace }, 1);
    TChainStore behind;
    for (int x = 170; x <= 300; x += 2)
        behind.Chain(0).Add(DegreesToGeoPoint(x, -20));
    for (int x = 300; x >= 170; x -= 2)
        behind.Chain(0).Add(DegreesToGeoPoint(x, -50));
    globe.Canvas().Brush().SetBrushAttributes(0xFF0000, TGlobeBrushStyle::bsSolid);
    globe.Canvas().Brush().Select(globe.Canvas(), false);
    globe.Canvas().RenderChains(behind, TGlobeObjectStateSet { osClosed, osFace, osBackFace }, 1);
    TChainStore line = Ring({ { 150, 0 }, { -150, 0 } });
    globe.Canvas().RenderChains(line, TGlobeObjectStateSet { osFace }, 1);
    globe.SavePicture("spherical");
    const QImage picture = globe.canvas->Image();
    const TPoint inside = globe.Projection().LongLatToXY(180 * GU_DEGREE, 25 * GU_DEGREE).point;
    EXPECT_TRUE(IsRed(picture, inside.X, inside.Y));
    const TPoint blue = globe.Projection().LongLatToXY(-130 * GU_DEGREE, -35 * GU_DEGREE).point;
    EXPECT_EQ(picture.pixelColor(blue.X, blue.Y), QColor(0, 0, 255));
}

TEST(GlobeCanvas, RotatedPathDrawsTheEquator)
{
    TestGlobe globe(360, 180);
    globe.BeginDraw();
    UsePenAndBrush(globe);
    // A quarter turn about the polar axis in 90 steps of one degree.
    const TMatrix3 turn = QuatToMatrix(QuatFromAxisAngle({ 0, 1, 0 }, PI_L / 180));
    globe.Canvas().RenderRotatedPath({ 0, 0, 1 }, turn, 90, false);
    const QImage picture = globe.Picture();
    const TPoint p = globe.Projection().LongLatToXY(45 * GU_DEGREE, 0).point;
    const TPoint q = globe.Projection().LongLatToXY(-45 * GU_DEGREE, 0).point;
    EXPECT_TRUE(
        picture.pixelColor(p.X, p.Y) == QColor(0, 0, 0) || picture.pixelColor(q.X, q.Y) == QColor(0, 0, 0));
}

TEST(GlobeCanvas, TexturedTrianglesWriteThePaletteColours)
{
    TestGlobe globe(360, 180);
    TTextureData texture;
    // 36 x 18 texels of 10 degrees in blocks of 3 x 3; index 5 is transparent.
    texture.LoadFromBytes(TestBitmapBytes(
        36, 18, [](int x, int y) { return (x / 3 + y / 3) % 2 ? 5 : 1 + (x / 3 + y / 6) % 4; }));
    texture.TransparentIndex = 5;
    texture.SetCorner(-180 * GU_DEGREE, 90 * GU_DEGREE, 0, 0);
    texture.SetCorner(180 * GU_DEGREE, -90 * GU_DEGREE, 36, 18);
    globe.BeginDraw();
    globe.Canvas().RenderTexture(texture);
    globe.SavePicture("texture");
    const QImage picture = globe.canvas->Image();
    int painted = 0, untouched = 0;
    for (int y = 2; y < 178; y += 7)
        for (int x = 2; x < 358; x += 7) {
            const QColor c = picture.pixelColor(x, y);
            if (c == WHITE)
                ++untouched;
            else
                ++painted;
        }
    EXPECT_GT(painted, 200);
    EXPECT_GT(untouched, 200);
    // The middle of the top-left block has index 1, the block right of it is
    // transparent, and the one below that has index 2.
    auto at = [&](int longitude, int lat) {
        const TPoint p = globe.Projection().LongLatToXY(longitude * GU_DEGREE, lat * GU_DEGREE).point;
        return picture.pixelColor(p.X, p.Y);
    };
    EXPECT_EQ(at(-165, 75), ToQColor(TestPaletteColor(1)));
    EXPECT_EQ(at(-135, 75), WHITE);
    EXPECT_EQ(at(-135, 45), ToQColor(TestPaletteColor(2)));
}

TEST(GlobeCanvas, TexturedTrianglesAcrossTheSeamAreSkipped)
{
    TestGlobe globe(360, 180);
    globe.Projection().SetCentralMeridian(30);
    TTextureData texture;
    texture.LoadFromBytes(TestBitmapBytes(4, 4, [](int, int) { return 1; }));
    texture.SetCorner(-180 * GU_DEGREE, 90 * GU_DEGREE, 0, 0);
    texture.SetCorner(180 * GU_DEGREE, -90 * GU_DEGREE, 4, 4);
    auto painted = [&](long double a, long double b) {
        globe.canvas->SetImageSize(360, 180, 96);
        globe.Projection().SetScaleFactor(0);
        globe.BeginDraw();
        const TGeoPoint corners[3]
            = { DegreesToGeoPoint(a, 0), DegreesToGeoPoint(b, 0), DegreesToGeoPoint(b, 20) };
        globe.Canvas().RenderTextureTriangle(corners, texture);
        const QImage picture = globe.Picture();
        int n = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                n += picture.pixelColor(x, y) != WHITE;
        return n;
    };
    EXPECT_EQ(painted(-155, -145), 0);
    EXPECT_GT(painted(-145, 170), 0);
}
