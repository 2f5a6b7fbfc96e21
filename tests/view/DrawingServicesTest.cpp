// Drawing services of the globe in geographic coordinates, day and night
// shading, and the pictures of the paint pipeline written for a look
// (the temporary folder's brumex-globe/).
#include "WorldOutline.h"
#include "geo/DevicePoints.h"
#include "geo/GeoMath.h"
#include "geo/GlobeProjection.h"
#include "geo/ProjectionModel.h"
#include "view/Colors.h"
#include "view/DayNight.h"
#include "view/Globe4.h"
#include "view/GlobeCanvas.h"

#include <QDate>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

const QColor DRAWN(Qt::red);

// A globe that draws into an image of its own through RenderToCanvas, with
// the calls under test made in OnRender.
class DrawingTest : public ::testing::Test {
protected:
    void SetUp() override { Resize(360, 180); }
    // The window the pictures are rendered like: same size, no scroll bars.
    void Resize(int width, int height)
    {
        globe.SetScrollBars(TScrollStyle::ssNone);
        globe.resize(width, height);
        globe.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&globe));
        ASSERT_EQ(globe.CanvasWidth(), width);
    }
    void Flat(const std::string& model = "TCartesianPrj")
    {
        globe.Projection().SetProjectionClass(model);
        globe.ZoomToRect(0, 0, 0, 0);
    }
    QImage Render(const std::function<void(TGlobe4&)>& draw, int width = 360, int height = 180)
    {
        globe.OnRender = [&](TGlobe4* g) {
            g->Canvas().SelectPen(QPen(DRAWN, 0));
            g->Canvas().SelectBrush(QBrush(DRAWN));
            draw(*g);
        };
        QImage image(width, height, QImage::Format_RGB32);
        image.setDotsPerMeterX(3780);
        image.setDotsPerMeterY(3780);
        QPainter painter(&image);
        globe.RenderToCanvas(painter, QRect(0, 0, width, height), true);
        return image;
    }
    // Pixels mostly red: antialiased text included.
    static int CountReddish(const QImage& image)
    {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                n += c.red() > 160 && c.green() < 120 && c.blue() < 120;
            }
        return n;
    }
    static int Count(const QImage& image, const QColor& color)
    {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += image.pixelColor(x, y) == color;
        return n;
    }
    TGlobe4 globe;
};

std::string PictureFolder()
{
    const std::string folder = std::filesystem::temp_directory_path().string() + "/brumex-globe";
    std::filesystem::create_directories(folder);
    return folder;
}

double DecemberSolsticeMidnight()
{
    return QDate(1899, 12, 30).daysTo(QDate(2026, 12, 21));
}

TEST_F(DrawingTest, LineFromEastToWestCrossesTheAntimeridian)
{
    Flat();
    globe.SetGraticuleDrawMode(TGraticuleDraw::gdNone);
    const QImage image = Render([](TGlobe4& g) {
        g.RenderLine(MakeGeoPoint(170 * GU_DEGREE, 0), MakeGeoPoint(-170 * GU_DEGREE, 0), 10);
    });
    const TProjectedPoint east = globe.Projection().LongLatToXY(175 * GU_DEGREE, 0);
    const TProjectedPoint middle = globe.Projection().LongLatToXY(0, 0);
    EXPECT_EQ(image.pixelColor(east.point.X, east.point.Y), DRAWN);
    EXPECT_NE(image.pixelColor(middle.point.X, middle.point.Y), DRAWN);
    EXPECT_LT(Count(image, DRAWN), 40);
}

TEST_F(DrawingTest, PolygonPolylineCircleAndGreatCircle)
{
    Flat();
    globe.SetGraticuleDrawMode(TGraticuleDraw::gdNone);
    const TGeoPoint square[]
        = { MakeGeoPoint(-20 * GU_DEGREE, -20 * GU_DEGREE), MakeGeoPoint(20 * GU_DEGREE, -20 * GU_DEGREE),
              MakeGeoPoint(20 * GU_DEGREE, 20 * GU_DEGREE), MakeGeoPoint(-20 * GU_DEGREE, 20 * GU_DEGREE) };
    const QImage filled = Render([&](TGlobe4& g) { g.RenderPolygon(square); });
    EXPECT_NEAR(Count(filled, DRAWN), 41 * 41, 120);
    const QImage outline = Render([&](TGlobe4& g) { g.RenderPolyline(square); });
    EXPECT_NEAR(Count(outline, DRAWN), 3 * 40, 10);

    const QImage circle = Render([](TGlobe4& g) { g.RenderCircle(MakeGeoPoint(0, 0), 10 * GU_DEGREE, 2); });
    const int ring = Count(circle, DRAWN);
    EXPECT_NEAR(ring, 2 * 3.14159 * 10, 15);
    EXPECT_EQ(circle.pixelColor(180, 90), ToQColor(0xFFFF00));

    const QImage equator = Render(
        [](TGlobe4& g) { g.RenderGreatCircle(MakeGeoPoint(0, 0), MakeGeoPoint(90 * GU_DEGREE, 0), 0); });
    EXPECT_NEAR(Count(equator, DRAWN), 91, 3);
    const QImage whole = Render(
        [](TGlobe4& g) { g.RenderGreatCircle(MakeGeoPoint(0, 0), MakeGeoPoint(90 * GU_DEGREE, 0), 2); });
    EXPECT_NEAR(Count(whole, DRAWN), 360, 6);

    // Below a degree the arc is one straight segment.
    globe.Projection().SetScaleFactor(80.0L / GU_DEGREE);
    globe.CenterOn(GU_DEGREE / 4, GU_DEGREE / 4);
    const TGeoPoint a = MakeGeoPoint(0, 0), b = MakeGeoPoint(GU_DEGREE / 2, GU_DEGREE / 3);
    const QImage shortArc = Render([&](TGlobe4& g) { g.RenderGreatCircle(a, b, 0); });
    EXPECT_GT(Count(shortArc, DRAWN), 30);
    EXPECT_EQ(shortArc, Render([&](TGlobe4& g) { g.RenderLine(a, b, 1); }));
}

TEST_F(DrawingTest, TextOnTheFarSideIsNotDrawn)
{
    globe.SetGraticuleDrawMode(TGraticuleDraw::gdNone);
    globe.Projection().SetXRotation(0);
    globe.Projection().SetYRotation(0);
    const auto text = [](int32_t longitude) {
        return [longitude](TGlobe4& g) {
            g.Canvas().SelectFont(QFont(QStringLiteral("DejaVu Sans"), 12));
            g.Canvas().SetTextColor(DRAWN);
            g.RenderTextOut(longitude, 0, TGlobeUnitTypes::Pixel, "Brumex");
        };
    };
    EXPECT_GT(CountReddish(Render(text(0))), 20);
    EXPECT_EQ(CountReddish(Render(text(180 * GU_DEGREE))), 0);
}

TEST(DayNightTest, SubsolarPointAtTheDecemberSolstice)
{
    const TGeoPoint midnight = SubsolarPoint(DecemberSolsticeMidnight());
    EXPECT_EQ(midnight.Long, GU_180_DEGREE);
    EXPECT_NEAR(midnight.Lat / static_cast<double>(GU_DEGREE), -23.43, 0.005);
    const TGeoPoint noon = SubsolarPoint(DecemberSolsticeMidnight() + 0.5);
    EXPECT_EQ(noon.Long, 0);
    EXPECT_EQ(SubsolarPoint(DecemberSolsticeMidnight() + 0.75).Long, -90 * GU_DEGREE);
    const TGeoPoint june = SubsolarPoint(QDate(1899, 12, 30).daysTo(QDate(2026, 6, 21)) + 0.5);
    EXPECT_NEAR(june.Lat / static_cast<double>(GU_DEGREE), 23.43, 0.05);
}

TEST_F(DrawingTest, DayNightShadesAtMostAQuarterOfTheNightAndLeavesTheDay)
{
    Flat();
    globe.SetGraticuleDrawMode(TGraticuleDraw::gdNone);
    const double noon = DecemberSolsticeMidnight() + 0.5;
    TGeoPoint sun;
    const QImage image = Render([&](TGlobe4& g) { sun = g.RenderDayNight(0x0000FF, 0x00FF00, 2, noon); });
    EXPECT_EQ(sun, SubsolarPoint(noon));
    TCustomProjectionModel& model = globe.Projection().ProjectionModel();
    int shadedSide = 0, touched = 0, touchedDay = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const TDayNightClass c = ClassifyPixel(model, sun, x, y);
            const QColor pixel = image.pixelColor(x, y);
            const bool changed = pixel == QColor(Qt::red) || pixel == QColor(Qt::green);
            shadedSide += c == TDayNightClass::dnNight || c == TDayNightClass::dnTwilight;
            touched += changed;
            touchedDay += changed && c == TDayNightClass::dnDay;
        }
    EXPECT_GT(shadedSide, 360 * 180 / 3);
    EXPECT_GT(touched, shadedSide / 5);
    EXPECT_LE(touched, shadedSide / 4 + 180);
    EXPECT_EQ(touchedDay, 0);
}

// The pictures: the world outline on each model, the far side of a
// transparent globe, the graticule, and the night at the December solstice.
TEST_F(DrawingTest, PicturesOfThePipeline)
{
    const auto world = WorldOutline();
    ASSERT_GT(world.size(), 200u);
    const auto drawWorld = [&](TGlobe4& g) {
        g.Canvas().SelectPen(QPen(Qt::darkGreen, 0));
        g.Canvas().SelectBrush(QBrush(QColor(0x9c, 0xd0, 0x7c)));
        for (const auto& ring : world)
            g.RenderPolygon(ring);
    };
    const std::string folder = PictureFolder();
    Resize(640, 400);
    for (const char* model : { "TSphericalPrj", "TCartesianPrj", "TMercatorPrj" }) {
        Flat(model);
        globe.Projection().SetXRotation(-20);
        globe.Projection().SetYRotation(50);
        const QImage image = Render(drawWorld, 640, 400);
        image.save(QString::fromStdString(folder + "/world-" + model + ".png"));
        EXPECT_GT(Count(image, QColor(0x9c, 0xd0, 0x7c)), 640 * 400 / 50) << model;
    }
    Flat("TSphericalPrj");
    globe.SetGlobeOptions(globe.GlobeOptions() + TGlobeOptionsSet { TGlobeOption::goTransparentGlobe });
    globe.SetGraticuleDrawMode(TGraticuleDraw::gdInFront);
    Render(drawWorld, 640, 400).save(QString::fromStdString(folder + "/transparent-globe.png"));
    globe.SetGlobeOptions(globe.GlobeOptions() - TGlobeOptionsSet { TGlobeOption::goTransparentGlobe });
    const double midnight = DecemberSolsticeMidnight();
    for (const char* model : { "TSphericalPrj", "TCartesianPrj" }) {
        Flat(model);
        Render(
            [&](TGlobe4& g) {
                drawWorld(g);
                g.RenderDayNight(0x000000, 0xC0C0C0, 2, midnight + 0.5);
            },
            640, 400)
            .save(QString::fromStdString(folder + "/daynight-" + model + ".png"));
    }
}

} // namespace
