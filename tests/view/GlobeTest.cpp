// The globe control as a real widget on the offscreen platform: properties,
// the paint pipeline and its stale picture, mouse handling with QTest events,
// scroll bars, zooming and panning, data files, the environment document and
// rendering onto another device.
#include "formats/GlobeLYRReader.h"
#include "geo/GXml.h"
#include "geo/GeoMath.h"
#include "geo/GlobeProjection.h"
#include "geo/TextureData.h"
#include "view/Colors.h"
#include "view/Globe4.h"
#include "view/GlobeCanvas.h"
#include "view/GlobeUtils.h"
#include "view/GlobeLayer.h"
#include "view/GlobeLayerStore.h"
#include "view/GlobeObjectSource.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <clocale>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

class GlobeWidgetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        globe.resize(420, 320);
        globe.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&globe));
    }
    QWidget* View() { return globe.viewport(); }
    // The flat map, zoomed into a square of 100 pixels: both bars can scroll.
    void ZoomIntoTheFlatMap()
    {
        TGlobeProjection& p = globe.Projection();
        p.SetProjectionClass("TCartesianPrj");
        globe.ZoomToRect(0, 0, 0, 0);
        const int32_t side = Rnd(100 / p.ScaleFactor());
        globe.ZoomToRect(side, side, side, side);
    }
    // Paints the window now and answers what it shows.
    QImage Shown()
    {
        globe.viewport()->repaint();
        return globe.viewport()->grab().toImage();
    }
    void Drag(Qt::MouseButton button, QPoint from, QPoint to)
    {
        QTest::mousePress(View(), button, {}, from);
        QTest::mouseMove(View(), to);
        QTest::mouseRelease(View(), button, {}, to);
    }

    TGlobe4 globe;
};

QColor Aqua()
{
    return ToQColor(0xFFFF00);
}

TEST_F(GlobeWidgetTest, DefaultsOfTheControl)
{
    EXPECT_EQ(globe.CacheCapacity(), 10240);
    EXPECT_EQ(globe.GlobeOptions(),
        (TGlobeOptionsSet { TGlobeOption::goCache3DPoints, TGlobeOption::goDoubleBuffered }));
    EXPECT_EQ(globe.GraticuleDrawMode(), TGraticuleDraw::gdBehind);
    EXPECT_EQ(globe.MinTextHeight(), 5);
    EXPECT_EQ(globe.MaxTextHeight(), 0);
    EXPECT_EQ(globe.SurfaceColor(), 0xFFFF00);
    EXPECT_EQ(globe.Color(), QColor(Qt::black));
    EXPECT_EQ(globe.MouseZoomButton, TGlobeMouseButton::mzbRight);
    EXPECT_EQ(globe.SelectedPen().color(), QColor(Qt::red));
    EXPECT_EQ(globe.TransparentBrush().color(), ToQColor(clSilver));
    EXPECT_EQ(globe.Projection().ProjectionClass(), "TSphericalPrj");
    EXPECT_EQ(globe.CanvasWidth(), View()->width());
    EXPECT_EQ(globe.CanvasHeight(), View()->height());
}

TEST_F(GlobeWidgetTest, GraticuleStepsOutsideTheirRangeAreIgnored)
{
    globe.SetGraticuleLatitudeStep(90);
    EXPECT_EQ(globe.GraticuleLatitudeStep(), 15);
    globe.SetGraticuleLatitudeStep(0);
    EXPECT_EQ(globe.GraticuleLatitudeStep(), 0);
    globe.SetGraticuleLongitudeStep(180);
    globe.SetGraticuleLongitudeStep(-1);
    EXPECT_EQ(globe.GraticuleLongitudeStep(), 15);
    globe.SetGraticuleLongitudeStep(179);
    EXPECT_EQ(globe.GraticuleLongitudeStep(), 179);
}

TEST_F(GlobeWidgetTest, DataDirectoryIsTrimmedAndEndsWithASeparator)
{
    QTemporaryDir dir;
    const std::string path = dir.path().toStdString();
    int notFound = 0;
    globe.OnDirectoryNotFound = [&](TGlobe4*, std::string& name) {
        ++notFound;
        name = path + "/";
    };
    globe.SetDataDirectory(" " + path);
    EXPECT_EQ(globe.DataDirectory(), path + "/");
    EXPECT_EQ(notFound, 0);
    globe.SetDataDirectory(path + "/missing ");
    EXPECT_EQ(notFound, 1);
    EXPECT_EQ(globe.DataDirectory(), path + "/");
    globe.SetDataDirectory("  ");
    EXPECT_EQ(globe.DataDirectory(), "");
}

TEST_F(GlobeWidgetTest, FindDataFileLooksInTheDataDirectoryAndAsksTheHandler)
{
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString() + "/";
    std::ofstream(folder + "layer.lyr") << "x";
    globe.SetDataDirectory(folder);
    EXPECT_EQ(globe.FindDataFile(folder + "layer.lyr"), folder + "layer.lyr");
    EXPECT_EQ(globe.FindDataFile("layer.lyr"), folder + "layer.lyr");
    EXPECT_EQ(globe.FindDataFile("C:\\Mapas\\layer.lyr"), folder + "layer.lyr");
    EXPECT_EQ(globe.FindDataFile("other.lyr"), "");

    std::vector<std::string> asked;
    globe.OnFileNotFound = [&](TGlobe4*, std::string& name, bool& tryName) {
        asked.push_back(name);
        tryName = asked.size() < 3;
        name = asked.size() == 2 ? "layer.lyr" : "still-missing.lyr";
    };
    EXPECT_EQ(globe.FindDataFile("other.lyr"), folder + "layer.lyr");
    EXPECT_EQ(asked, (std::vector<std::string> { "other.lyr", "still-missing.lyr" }));
    asked.clear();
    globe.OnFileNotFound = [&](TGlobe4*, std::string& name, bool& tryName) {
        asked.push_back(name);
        tryName = false;
    };
    EXPECT_EQ(globe.FindDataFile("other.lyr"), "");
    EXPECT_EQ(asked.size(), 1u);
}

TEST_F(GlobeWidgetTest, PictureIsRenderedOnlyWhenStale)
{
    int renders = 0, paints = 0;
    globe.OnRender = [&](TGlobe4*) { ++renders; };
    globe.OnPaint = [&](TGlobe4*) { ++paints; };
    globe.Redraw();
    Shown();
    EXPECT_FALSE(globe.PictureIsStale());
    const int rendersAfterFirst = renders;
    EXPECT_GE(rendersAfterFirst, 1);
    Shown();
    EXPECT_EQ(renders, rendersAfterFirst);
    EXPECT_GE(paints, 2);
    globe.Redraw();
    EXPECT_TRUE(globe.PictureIsStale());
    Shown();
    EXPECT_EQ(renders, rendersAfterFirst + 1);
}

TEST_F(GlobeWidgetTest, SurfaceBackgroundAndTransparentGlobe)
{
    globe.SetGraticuleDrawMode(TGraticuleDraw::gdNone);
    QImage shown = Shown();
    const QPoint centre(globe.Projection().XOrigin(), globe.Projection().YOrigin());
    EXPECT_EQ(shown.pixelColor(centre + QPoint(3, 3)), Aqua());
    EXPECT_EQ(shown.pixelColor(1, 1), QColor(Qt::black));

    globe.SetColor(Qt::darkBlue);
    globe.SetGlobeOptions(globe.GlobeOptions() + TGlobeOptionsSet { TGlobeOption::goTransparentGlobe });
    shown = Shown();
    EXPECT_EQ(shown.pixelColor(centre + QPoint(3, 3)), QColor(Qt::darkBlue));
    EXPECT_EQ(shown.pixelColor(1, 1), QColor(Qt::darkBlue));
}

TEST_F(GlobeWidgetTest, GraticuleIsDrawnUnlessSwitchedOff)
{
    globe.Projection().SetProjectionClass("TCartesianPrj");
    globe.ZoomToRect(0, 0, 0, 0);
    const TProjectedPoint equator = globe.Projection().LongLatToXY(GU_DEGREE * 7, 0);
    ASSERT_TRUE(equator.visible);
    const QPoint at(equator.point.X, equator.point.Y);
    EXPECT_EQ(Shown().pixelColor(at), ToQColor(clSilver));
    globe.SetGraticuleDrawMode(TGraticuleDraw::gdNone);
    EXPECT_EQ(Shown().pixelColor(at), Aqua());
    int custom = 0;
    globe.OnPaintGraticule = [&](TGlobe4*) { ++custom; };
    globe.SetGraticuleDrawMode(TGraticuleDraw::gdInFront);
    EXPECT_EQ(Shown().pixelColor(at), Aqua());
    EXPECT_EQ(custom, 1);
}

TEST_F(GlobeWidgetTest, FarSidePassDrawsTheBackGraticuleInTheTransparentPen)
{
    globe.SetGlobeOptions(globe.GlobeOptions() + TGlobeOptionsSet { TGlobeOption::goTransparentGlobe });
    const QImage shown = Shown();
    int grey = 0, silver = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x) {
            const QColor c = shown.pixelColor(x, y);
            grey += c == ToQColor(clGray);
            silver += c == ToQColor(clSilver);
        }
    EXPECT_GT(grey, 100);
    EXPECT_GT(silver, 100);
}

TEST_F(GlobeWidgetTest, ZoomRectangleTooSmallOrBackwardsOnlyInvalidates)
{
    const long double scale = globe.Projection().ScaleFactor();
    int zoomed = 0;
    globe.OnZoomed = [&](TGlobe4*, TGlobeRoot*) { ++zoomed; };
    const std::pair<QPoint, QPoint> drags[] = {
        { { 100, 100 }, { 109, 150 } }, // 9 x 50
        { { 100, 100 }, { 150, 109 } }, // 50 x 9
        { { 200, 200 }, { 120, 120 } }, // up and to the left
    };
    for (const auto& [from, to] : drags) {
        Drag(Qt::RightButton, from, to);
        EXPECT_EQ(globe.Projection().ScaleFactor(), scale);
    }
    EXPECT_EQ(zoomed, 0);
}

TEST_F(GlobeWidgetTest, ZoomRectangleZoomsIntoTheDraggedArea)
{
    const long double scale = globe.Projection().ScaleFactor();
    std::vector<TGlobeRoot*> senders;
    globe.OnZoomed = [&](TGlobe4*, TGlobeRoot* sender) { senders.push_back(sender); };
    const TScreenGeoPoint target = globe.Projection().XYToGeo(180, 140);
    Drag(Qt::RightButton, { 150, 110 }, { 210, 170 });
    EXPECT_GT(globe.Projection().ScaleFactor(), scale * 3);
    ASSERT_EQ(senders.size(), 2u);
    EXPECT_EQ(senders[0], &globe.Projection());
    EXPECT_EQ(senders[1], nullptr);
    const TScreenGeoPoint centre
        = globe.Projection().XYToGeo(globe.CanvasWidth() / 2, globe.CanvasHeight() / 2);
    ASSERT_TRUE(centre.onMap && target.onMap);
    EXPECT_NEAR(centre.point.Long, target.point.Long, GU_DEGREE);
    EXPECT_NEAR(centre.point.Lat, target.point.Lat, GU_DEGREE);
}

TEST_F(GlobeWidgetTest, SecondButtonCancelsTheZoomRectangleWithoutMouseDown)
{
    const long double scale = globe.Projection().ScaleFactor();
    int downs = 0;
    globe.OnMouseDown = [&](TGlobe4*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { ++downs; };
    QTest::mousePress(View(), Qt::RightButton, {}, { 100, 100 });
    QTest::mouseMove(View(), { 200, 200 });
    QTest::mousePress(View(), Qt::LeftButton, {}, { 200, 200 });
    EXPECT_EQ(downs, 1);
    QTest::mouseRelease(View(), Qt::LeftButton, {}, { 200, 200 });
    QTest::mouseRelease(View(), Qt::RightButton, {}, { 200, 200 });
    EXPECT_EQ(globe.Projection().ScaleFactor(), scale);
}

TEST_F(GlobeWidgetTest, LeftDragRotatesTheGlobe)
{
    const long double yRotation = globe.Projection().YRotation();
    int moves = 0, ups = 0, clicks = 0;
    globe.OnMouseMove = [&](TGlobe4*, Qt::KeyboardModifiers, int, int) { ++moves; };
    globe.OnMouseUp = [&](TGlobe4*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { ++ups; };
    globe.OnClick = [&](TGlobe4*) { ++clicks; };
    const QPoint centre(globe.CanvasWidth() / 2, globe.CanvasHeight() / 2);
    Drag(Qt::LeftButton, centre, centre + QPoint(40, 0));
    EXPECT_NE(globe.Projection().YRotation(), yRotation);
    EXPECT_GE(moves, 1);
    EXPECT_EQ(ups, 1);
    EXPECT_EQ(clicks, 1);
    // A modifier only reports the press.
    const long double rotated = globe.Projection().YRotation();
    QTest::mousePress(View(), Qt::LeftButton, Qt::ShiftModifier, centre);
    QTest::mouseMove(View(), centre + QPoint(40, 0));
    QTest::mouseRelease(View(), Qt::LeftButton, Qt::ShiftModifier, centre + QPoint(40, 0));
    EXPECT_EQ(globe.Projection().YRotation(), rotated);
}

TEST_F(GlobeWidgetTest, InterruptableDragSetsTheInterruptedFlag)
{
    Shown();
    globe.SetGlobeOptions(globe.GlobeOptions() + TGlobeOptionsSet { TGlobeOption::goInterruptable });
    QTest::mousePress(View(), Qt::RightButton, {}, { 100, 100 });
    QTest::mouseMove(View(), { 150, 150 });
    EXPECT_TRUE(globe.Interrupted());
    QTest::mouseRelease(View(), Qt::RightButton, {}, { 150, 150 });
}

TEST_F(GlobeWidgetTest, ZoomToRectWithoutExtentShowsTheWholeWorld)
{
    globe.Projection().SetProjectionClass("TCartesianPrj");
    globe.ZoomToRect(0, 0, 1000, 1000);
    globe.ZoomToRect(0, 0, 0, 10);
    const TRect world = globe.Projection().WorldExtent();
    const long double fit
        = std::min(static_cast<long double>(globe.CanvasWidth()) / (world.Right - world.Left),
            static_cast<long double>(globe.CanvasHeight()) / std::abs(world.Bottom - world.Top));
    EXPECT_NEAR(globe.Projection().ScaleFactor(), fit, fit * 1e-9);
}

TEST_F(GlobeWidgetTest, ZoomToRectScalesTheRectangleIntoTheWindow)
{
    const long double s = globe.Projection().ScaleFactor();
    const int32_t w = globe.CanvasWidth(), h = globe.CanvasHeight();
    const int32_t rw = Rnd(100 / s), rh = Rnd(50 / s);
    globe.ZoomToRect(Rnd(10 / s), Rnd(20 / s), rw, rh);
    const long double expected = std::min(static_cast<long double>(h) / rh, static_cast<long double>(w) / rw);
    EXPECT_NEAR(globe.Projection().ScaleFactor(), expected, expected * 1e-12);
    EXPECT_EQ(globe.ViewExtent(), (TRect { 0, 0, Rnd(w / expected), Rnd(h / expected) }));
    globe.ZoomToRect(0, 0, 1, 1);
    EXPECT_EQ(globe.Projection().ScaleFactor(), 3);
}

TEST_F(GlobeWidgetTest, PanMovesTheOriginAndFiresOnPanned)
{
    TGlobeProjection& p = globe.Projection();
    const int32_t x = p.XOrigin(), y = p.YOrigin();
    std::vector<TGlobeRoot*> senders;
    globe.OnPanned = [&](TGlobe4*, TGlobeRoot* sender) { senders.push_back(sender); };
    globe.Pan(0, 0);
    EXPECT_TRUE(senders.empty());
    globe.Pan(Rnd(10 / p.ScaleFactor()), Rnd(-4 / p.ScaleFactor()));
    EXPECT_EQ(p.XOrigin(), x - 10);
    EXPECT_EQ(p.YOrigin(), y + 4);
    ASSERT_FALSE(senders.empty());
    EXPECT_EQ(senders.back(), nullptr);
}

TEST_F(GlobeWidgetTest, CenterOnBringsThePointToTheMiddle)
{
    globe.CenterOn(DegToGU(-46.6), DegToGU(-23.5));
    EXPECT_NEAR(globe.Projection().CenterLongitude(), -46.6, 0.05);
    EXPECT_NEAR(globe.Projection().CenterLatitude(), -23.5, 0.05);
    ZoomToMER(globe, MakeMER(DegToGU(10), DegToGU(40), 0, 0));
    EXPECT_NEAR(globe.Projection().CenterLongitude(), 10, 0.05);
    EXPECT_NEAR(globe.Projection().CenterLatitude(), 40, 0.05);
}

TEST_F(GlobeWidgetTest, ScrollBarsWorkInGlobeUnits)
{
    TGlobeProjection& p = globe.Projection();
    ZoomIntoTheFlatMap();
    QScrollBar* bar = globe.horizontalScrollBar();
    EXPECT_EQ(bar->minimum(), -GU_180_DEGREE);
    EXPECT_EQ(bar->pageStep(), globe.ViewExtent().Right);
    EXPECT_EQ(bar->maximum(), GU_180_DEGREE - bar->pageStep());
    EXPECT_TRUE(bar->isEnabled());
    const int32_t x = p.XOrigin();
    const int32_t page = bar->pageStep();
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(p.XOrigin(), x - Rnd(page / 20 * p.ScaleFactor()));
    bar->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(p.XOrigin(), x - Rnd(page / 20 * p.ScaleFactor()) + Rnd(page / 2 * p.ScaleFactor()));

    const int32_t y = p.YOrigin();
    QScrollBar* vertical = globe.verticalScrollBar();
    vertical->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_LT(p.YOrigin(), y);
    EXPECT_EQ(vertical->value(), vertical->sliderPosition());

    globe.ZoomToRect(0, 0, 0, 0);
    EXPECT_FALSE(globe.verticalScrollBar()->isEnabled());
}

// Origins at the int32 limits, as an environment document may hold them,
// put the bars at their ends; panning further saturates instead of wrapping.
TEST_F(GlobeWidgetTest, OriginsAtTheInt32LimitsKeepTheScrollBarsAtTheirEnds)
{
    TGlobeProjection& p = globe.Projection();
    ZoomIntoTheFlatMap();
    QTemporaryDir dir;
    const std::string file = dir.path().toStdString() + "/limits.env";
    globe.SaveEnvironmentToFile(file);
    TGXML_Document document;
    ASSERT_TRUE(document.LoadFromFile(file));
    TGXML_Element& projection = *document.Root().ChildElement("TGlobe")->ChildElement("Projection");
    const struct {
        const char* x;
        const char* y;
        bool xAtMaximum, yAtMaximum;
    } rows[] = {
        { "-2147483648", "-2147483648", true, true },
        { "2147483647", "2147483647", false, false },
    };
    QScrollBar* horizontal = globe.horizontalScrollBar();
    QScrollBar* vertical = globe.verticalScrollBar();
    for (const auto& r : rows) {
        SCOPED_TRACE(r.x);
        projection.Clear();
        projection.AddAttribute("XOrigin", r.x);
        projection.AddAttribute("YOrigin", r.y);
        document.SaveToFile(file);
        globe.SetEnvironmentFile(file);
        EXPECT_EQ(std::to_string(p.XOrigin()), r.x);
        EXPECT_EQ(std::to_string(p.YOrigin()), r.y);
        EXPECT_EQ(horizontal->value(), r.xAtMaximum ? horizontal->maximum() : horizontal->minimum());
        EXPECT_EQ(vertical->value(), r.yAtMaximum ? vertical->maximum() : vertical->minimum());
        const int32_t push = r.xAtMaximum ? 1 : -1;
        globe.Pan(push * Rnd(1e6 / p.ScaleFactor()), push * Rnd(1e6 / p.ScaleFactor()));
        EXPECT_EQ(std::to_string(p.XOrigin()), r.x);
        EXPECT_EQ(std::to_string(p.YOrigin()), r.y);
    }
}

// A hundred layers of the shipped world layer load and draw; the objects
// kept in memory besides those of the frame stay within the cache budget.
TEST_F(GlobeWidgetTest, HundredWorldLayersStayWithinTheCache)
{
    const std::string data = std::string(BRUMEX_SOURCE_DIR) + "/data";
    std::string text = "<TGlobe DataDirectory=\"" + data + "\">\r\n <LayerStore>\r\n";
    for (int k = 0; k < 100; ++k)
        text += "  <Layer Class=\"TGlobeLayer\" Name=\"world " + std::to_string(k)
            + "\">\r\n   <Objects Class=\"TGlobeLYRReader\" Filename=\"TGWorld.lyr\" />\r\n  </Layer>\r\n";
    text += " </LayerStore>\r\n</TGlobe>\r\n";
    QTemporaryDir dir;
    const std::string file = dir.filePath("hundred.env").toStdString();
    std::ofstream(file, std::ios::binary) << text;
    RegisterLayerFileClasses();
    globe.SetSaveMetaDataLocation(TSaveMetaDataLocation::smdDiscard);
    globe.SetCacheCapacity(2048);
    globe.SetEnvironmentFile(file);
    ASSERT_EQ(globe.LayerStore()->Count(), 100);
    for (int k = 0; k < 100; ++k)
        ASSERT_GT(globe.LayerStore()->Layers(k).ObjectSource().Count(), 200) << k;
    const QImage picture = Shown();
    // Land in the middle of the globe, sea beside it.
    EXPECT_NE(picture.pixelColor(210, 160), Aqua());
    EXPECT_EQ(picture.pixelColor(210, 250), Aqua()); // the Gulf of Guinea
    picture.save(QDir::tempPath() + "/brumex-globe-hundred-layers.png");
    // Only the objects the frame drew may stay loaded over the budget.
    int64_t others = 0;
    for (int k = 0; k < 100; ++k) {
        TGlobeObjectSource& source = globe.LayerStore()->Layers(k).ObjectSource();
        for (int i = 0; i < source.Count(); ++i)
            if (const auto* object = dynamic_cast<const TGlobeObject*>(&source.GetObjectData(i));
                object && !globe.ObjectCache().UsedByLastFrame(*object))
                others += object->MemorySize();
    }
    EXPECT_LE(others, 2048 * 1024);
}

TEST_F(GlobeWidgetTest, ViewStateRoundTripsAndUnitsConvert)
{
    TGlobeProjection& p = globe.Projection();
    p.SetXRotation(12.5);
    p.SetYRotation(-40);
    const TGlobeViewState state = globe.GetViewState();
    EXPECT_EQ(state.XRotation, Rnd(12.5L * GU_DEGREE));
    EXPECT_EQ(state.YRotation, -40 * GU_DEGREE);
    p.SetXRotation(0);
    p.SetYRotation(0);
    p.SetOrigin({ 5, 6 });
    globe.SetViewState(state);
    EXPECT_EQ(globe.GetViewState().XOrigin, state.XOrigin);
    EXPECT_EQ(globe.GetViewState().YRotation, state.YRotation);
    EXPECT_NEAR(globe.GUToValue(GU_DEGREE, TGlobeUnitTypes::NauticalMile), 60, 1e-12);
    EXPECT_NEAR(globe.GUToValue(1000, TGlobeUnitTypes::Pixel), 1000 * p.ScaleFactor(), 1e-15);
}

TEST_F(GlobeWidgetTest, SameDevicePointComparesPixels)
{
    const TGlobeProjection& p = globe.Projection();
    const TGeoPoint a = MakeGeoPoint(0, 0);
    EXPECT_TRUE(SameDevicePoint(p, a, MakeGeoPoint(1000, 0)));
    EXPECT_FALSE(SameDevicePoint(p, a, MakeGeoPoint(GU_DEGREE * 10, 0)));
}

TEST_F(GlobeWidgetTest, RenderToCanvasDrawsAtTheTargetResolutionAndLeavesTheView)
{
    const TGlobeViewState before = globe.GetViewState();
    const int32_t width = globe.CanvasWidth();
    for (const bool buffered : { true, false }) {
        QImage target(840, 640, QImage::Format_RGB32);
        target.setDotsPerMeterX(7559); // 192 dpi
        target.setDotsPerMeterY(7559);
        target.fill(Qt::white);
        int renders = 0;
        globe.OnRender = [&](TGlobe4* g) {
            ++renders;
            EXPECT_EQ(g->Canvas().Width(), 800);
            EXPECT_EQ(g->Canvas().OutputPPI, 192);
        };
        {
            QPainter painter(&target);
            globe.RenderToCanvas(painter, QRect(20, 20, 800, 600), buffered);
        }
        EXPECT_EQ(renders, 1);
        EXPECT_EQ(target.pixelColor(5, 5), QColor(Qt::white));
        EXPECT_EQ(target.pixelColor(25, 25), QColor(Qt::black));
        EXPECT_EQ(target.pixelColor(427, 327), Aqua());
        EXPECT_EQ(globe.GetViewState().XOrigin, before.XOrigin);
        EXPECT_EQ(globe.GetViewState().ScaleFactor, before.ScaleFactor);
        EXPECT_EQ(globe.CanvasWidth(), width);
        EXPECT_EQ(globe.Canvas().OutputPPI, 96);
    }
}

TEST_F(GlobeWidgetTest, EnvironmentRoundTripWithACommaLocale)
{
    QTemporaryDir dir;
    const std::string file = dir.path().toStdString() + "/GlEnv";
    globe.SetDataDirectory(dir.path().toStdString());
    globe.SetSurfaceColor(0x123456);
    globe.SetMinTextHeight(7);
    globe.SetMaxTextHeight(30);
    globe.Projection().SetProjectionClass("TMercatorPrj");
    globe.Projection().SetScaleFactor(0.5e-6L);
    bool saved = false;
    globe.OnSaveEnvironment = [&](TGlobe4*, TGXML_Document& document) {
        saved = true;
        document.Root().AddElement("Extra", std::make_unique<TGXML_Element>());
    };
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    const std::string previous = old ? old : "C";
    std::setlocale(LC_NUMERIC, "pt_BR.UTF-8");
    globe.SaveEnvironmentToFile(file);
    std::setlocale(LC_NUMERIC, previous.c_str());
    EXPECT_TRUE(saved);
    EXPECT_EQ(globe.EnvironmentFile(), "");

    TGXML_Document document;
    ASSERT_TRUE(document.LoadFromFile(file));
    const TGXML_Element* element = document.Root().ChildElement("TGlobe");
    ASSERT_NE(element, nullptr);
    EXPECT_EQ(element->StringAttr("DataDirectory"), dir.path().toStdString() + "/");
    EXPECT_EQ(element->StringAttr("MinTextHeight"), "7");
    EXPECT_EQ(element->StringAttr("ScaleFactor"), "");
    ASSERT_NE(element->ChildElement("Projection"), nullptr);
    EXPECT_EQ(element->ChildElement("Projection")->StringAttr("ScaleFactor"), GXmlFloatText(0.5e-6L));
    EXPECT_EQ(GXmlFloatText(0.5e-6L).find(','), std::string::npos);
    EXPECT_NE(document.Root().ChildElement("Extra"), nullptr);

    TGlobe4 other;
    bool loaded = false;
    other.OnLoadEnvironment = [&](TGlobe4*, TGXML_Document& d) { loaded = d.Root().ChildElement("Extra"); };
    other.SetEnvironmentFile(file);
    EXPECT_TRUE(loaded);
    EXPECT_EQ(other.EnvironmentFile(), file);
    EXPECT_EQ(other.SurfaceColor(), 0x123456);
    EXPECT_EQ(other.MinTextHeight(), 7);
    EXPECT_EQ(other.MaxTextHeight(), 30);
    EXPECT_EQ(other.DataDirectory(), globe.DataDirectory());
    EXPECT_EQ(other.Projection().ProjectionClass(), "TMercatorPrj");

    other.SetEnvironmentFile(file + ".missing");
    EXPECT_EQ(other.EnvironmentFile(), "");
}

} // namespace

namespace {

TEST_F(GlobeWidgetTest, SurfaceTextureLoadsA256ColourBitmapOrForgetsTheName)
{
    QTemporaryDir dir;
    // An uncompressed bottom-up 8-bit bitmap, every texel of colour 0.
    const int32_t width = 36, height = 18, row = 36, paletteBytes = 256 * 4;
    const int32_t offset = 14 + 40 + paletteBytes, size = offset + row * height;
    QByteArray bmp;
    QDataStream out(&bmp, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint16(19778) << quint32(size) << quint32(0) << quint32(offset);
    out << quint32(40) << qint32(width) << qint32(height) << quint16(1) << quint16(8) << quint32(0)
        << quint32(row * height) << qint32(0) << qint32(0) << quint32(256) << quint32(0);
    out << quint32(0x000000C8);
    for (int i = 1; i < 256; ++i)
        out << quint32(0);
    for (int i = 0; i < row * height; ++i)
        out << quint8(0);
    const QString good = dir.path() + "/mundo.bmp";
    QFile file(good);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bmp);
    file.close();
    globe.SetDataDirectory(dir.path().toStdString());
    globe.SetSurfaceTextureName("mundo.bmp");
    EXPECT_EQ(globe.SurfaceTextureName(), "mundo.bmp");
    EXPECT_TRUE(globe.SurfaceTexture()->HasImage());
    const QImage shown = Shown();
    const QPoint centre(globe.Projection().XOrigin(), globe.Projection().YOrigin());
    EXPECT_EQ(shown.pixelColor(centre + QPoint(5, 5)), QColor(0, 0, 200));

    std::ofstream(dir.path().toStdString() + "/lixo.bmp") << "not a bitmap";
    globe.SetSurfaceTextureName("lixo.bmp");
    EXPECT_EQ(globe.SurfaceTextureName(), "");
    EXPECT_FALSE(globe.SurfaceTexture()->HasImage());
    globe.SetSurfaceTextureName("missing.bmp");
    EXPECT_EQ(globe.SurfaceTextureName(), "");
}

} // namespace
