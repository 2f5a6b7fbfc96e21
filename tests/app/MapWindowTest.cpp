// The map window's tools driven as a user drives them: the "Mapa" tab, the
// readouts that follow the mouse, the ruler and night shadow of every render,
// the measuring tool, the click dispatcher and the compass of the
// "Navegação" tab.
#include "MainWindowFixture.h"

#include "app/AppPaths.h"
#include "app/ClickDispatcher.h"
#include "app/Formatting.h"
#include "app/MapTool.h"
#include "app/Settings.h"
#include "app/UpDown.h"
#include "app/Vars.h"
#include "geo/GeoDataObject.h"
#include "geo/GlobeProjection.h"
#include "geo/GlobeUnits.h"
#include "view/Geodesy.h"
#include "view/Globe4.h"
#include "view/GlobeLayer.h"
#include "view/GlobeLayerStore.h"
#include "view/GlobeObjectSource.h"
#include "widgets/Compass.h"

#include <QAction>
#include <QDateTime>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>

#include <cmath>

namespace {

class MapWindowTest : public MainWindowFixture { };

} // namespace

TEST_F(MapWindowTest, TheCompassStandsOnTheNavigationTab)
{
    TCompass* compass = form->Bussola;
    ASSERT_NE(compass, nullptr);
    EXPECT_EQ(compass->parentWidget(), form->TabSheetGPS);
    EXPECT_EQ(compass->MkColor(), QColor(Qt::cyan)); // the main window's look
    EXPECT_FALSE(compass->Steer());
    EXPECT_EQ(QFontInfo(compass->font()).pixelSize(), 15);

    form->show();
    form->PageControlGPS->setCurrentWidget(form->TabSheetGPS);
    compass->SetHeading(60);
    EXPECT_TRUE(compass->isVisible());
    const QImage window = Picture(*form, "main-window-navigation-tab");
    const QPoint centre = compass->mapTo(form, compass->rect().center());
    EXPECT_EQ(window.pixelColor(centre + QPoint(30, 30)), QColor(0, 64, 128));
}

TEST_F(MapWindowTest, SixSmallZoomStepsMakeOneLargeOne)
{
    Start();
    const long double start = Projection().ScaleFactor();
    for (int i = 0; i < 6; ++i)
        QTest::mouseClick(form->SpeedButtonP, Qt::LeftButton);
    const long double sixSmall = Projection().ScaleFactor();
    EXPECT_NEAR(static_cast<double>(sixSmall / start), 1.771561, 1e-12);
    for (int i = 0; i < 6; ++i)
        QTest::mouseClick(form->SpeedButtonL, Qt::LeftButton);
    EXPECT_NEAR(static_cast<double>(Projection().ScaleFactor() / start), 1, 1e-12);

    QTest::mouseClick(form->SpeedButtonZoomPP, Qt::LeftButton);
    EXPECT_NEAR(static_cast<double>(Projection().ScaleFactor() / sixSmall), 1, 1e-12);
    QTest::mouseClick(form->SpeedButtonLL, Qt::LeftButton);
    EXPECT_NEAR(static_cast<double>(Projection().ScaleFactor() / start), 1, 1e-12);

    // The tool bar and the keypad run the same actions.
    QTest::mouseClick(form->BtZoomMais, Qt::LeftButton);
    EXPECT_NEAR(static_cast<double>(Projection().ScaleFactor() / sixSmall), 1, 1e-12);
    QWidget* focus = form->focusWidget() ? form->focusWidget() : form;
    QTest::keyClick(focus, Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_NEAR(static_cast<double>(Projection().ScaleFactor() / start), 1.61051, 1e-12);
    QTest::keyClick(focus, Qt::Key_Minus, Qt::KeypadModifier | Qt::ShiftModifier);
    EXPECT_NEAR(static_cast<double>(Projection().ScaleFactor() / start), 1 / 1.1, 1e-12);
}

TEST_F(MapWindowTest, TheWheelZoomsOneSmallStepANotch)
{
    Start();
    const long double start = Projection().ScaleFactor();
    const TGlobeViewState before = Globe().GetViewState();
    const struct {
        int angle;
        double factor; // from the start
    } steps[] = { { 120, 1.1 }, { 240, 1.331 }, { -120, 1.21 }, { 60, 1.21 }, { 60, 1.331 }, { -360, 1 } };
    for (const auto& step : steps) {
        Wheel(step.angle);
        EXPECT_NEAR(static_cast<double>(Projection().ScaleFactor() / start), step.factor, 1e-12)
            << step.angle;
    }
    // The view did not scroll instead.
    EXPECT_EQ(Globe().GetViewState().XOrigin, before.XOrigin);
    EXPECT_EQ(Globe().GetViewState().YOrigin, before.YOrigin);
}

TEST_F(MapWindowTest, PressingTheProjectionShownResetsTheZoom)
{
    Start();
    QTest::mouseClick(form->SpeedButtonEsferica, Qt::LeftButton);
    const long double world = Projection().ScaleFactor();
    form->ZoomMais->trigger();
    form->ZoomMais->trigger();
    QTest::mouseClick(form->SpeedButtonEsferica, Qt::LeftButton);
    EXPECT_EQ(Projection().ProjectionClass(), "TSphericalPrj");
    EXPECT_NEAR(static_cast<double>(Projection().ScaleFactor() / world), 1, 1e-9);
    EXPECT_TRUE(form->SpeedButtonEsferica->isChecked());

    QTest::mouseClick(form->SpeedButtonMercator, Qt::LeftButton);
    EXPECT_EQ(Projection().ProjectionClass(), "TMercatorPrj");
    EXPECT_TRUE(form->SpeedButtonMercator->isChecked());
    form->ZoomMais->trigger();
    const long double zoomed = Projection().ScaleFactor();
    QTest::mouseClick(form->SpeedButtonMercator, Qt::LeftButton);
    EXPECT_EQ(Projection().ProjectionClass(), "TMercatorPrj");
    EXPECT_LT(Projection().ScaleFactor(), zoomed);
    QTest::mouseClick(form->SpeedButtonCartesiana, Qt::LeftButton);
    EXPECT_EQ(Projection().ProjectionClass(), "TCartesianPrj");
}

TEST_F(MapWindowTest, GraticuleSpacingAndOverlay)
{
    Start();
    const struct {
        const char* typed;
        int32_t longitude; // the globe's step afterwards
    } cases[]
        = { { "30", 30 }, { "abc", 0 }, { "45", 45 }, { "200", 45 }, { "-5", 45 }, { "", 0 }, { "10", 10 } };
    for (const auto& c : cases) {
        form->EditLon->setText(c.typed);
        form->EditLat->setText(c.typed);
        EXPECT_EQ(Globe().GraticuleLongitudeStep(), c.longitude) << c.typed;
        GlobePicture(); // a step of 0 draws no lines and ends
    }
    EXPECT_EQ(Globe().GraticuleLatitudeStep(), 10);
    QTest::mouseClick(form->UpDownStepLat->NextButton(), Qt::LeftButton);
    EXPECT_EQ(form->EditLat->text(), "15");
    EXPECT_EQ(Globe().GraticuleLatitudeStep(), 15);

    QTest::mouseClick(form->CheckBoxSobreporLinhas, Qt::LeftButton);
    EXPECT_EQ(Globe().GraticuleDrawMode(), TGraticuleDraw::gdInFront);
    QTest::mouseClick(form->CheckBoxSobreporLinhas, Qt::LeftButton);
    EXPECT_EQ(Globe().GraticuleDrawMode(), TGraticuleDraw::gdBehind);
}

TEST_F(MapWindowTest, RotationUpDownsTurnByTheScaleAndTheirOwnStep)
{
    Start();
    TGlobeProjection& p = Projection();
    const long double g = p.GlobeUnitsPerInch() / 180000000.0L;
    const long double x = p.XRotation(), y = p.YRotation(), z = p.ZRotation();
    QTest::mouseClick(form->GiraNS->NextButton(), Qt::LeftButton);
    EXPECT_NEAR(static_cast<double>(p.XRotation() - x), static_cast<double>(g), 1e-9);
    QTest::mouseClick(form->GiraNS->PrevButton(), Qt::LeftButton);
    EXPECT_NEAR(static_cast<double>(p.XRotation() - x), 0, 1e-9);
    QTest::mouseClick(form->GiraEW->NextButton(), Qt::LeftButton);
    EXPECT_NEAR(static_cast<double>(p.YRotation() - y), static_cast<double>(g + 1), 1e-9);
    QTest::mouseClick(form->GiraZ->NextButton(), Qt::LeftButton);
    EXPECT_NEAR(static_cast<double>(p.ZRotation() - z), static_cast<double>(-g - 1), 1e-9);
    QTest::mouseClick(form->GiraZ->PrevButton(), Qt::LeftButton);
    EXPECT_NEAR(static_cast<double>(p.ZRotation() - z), 0, 1e-9);

    // The up-down's own count goes back to 0 once past 1000.
    form->GiraEW->SetPosition(1000);
    QTest::mouseClick(form->GiraEW->NextButton(), Qt::LeftButton);
    EXPECT_EQ(form->GiraEW->Position(), 0);
    form->GiraEW->SetPosition(-1000);
    QTest::mouseClick(form->GiraEW->PrevButton(), Qt::LeftButton);
    EXPECT_EQ(form->GiraEW->Position(), 0);
    form->GiraEW->SetPosition(999);
    QTest::mouseClick(form->GiraEW->NextButton(), Qt::LeftButton);
    EXPECT_EQ(form->GiraEW->Position(), 1000);
}

TEST_F(MapWindowTest, TheRulerStandsInTheLowerRightCorner)
{
    Start({ 544, 431 });
    form->EditLon->setText("0");
    form->EditLat->setText("0");
    const QImage image = GlobePicture("main-window-ruler");
    const QColor red(255, 0, 0);
    // The bracket: down from y = 385 at x = 398, along y = 389 to x = 494,
    // up to y = 384.
    for (const QPoint at :
        { QPoint(398, 385), QPoint(398, 389), QPoint(446, 389), QPoint(494, 389), QPoint(494, 384) })
        EXPECT_EQ(image.pixelColor(at), red) << at.x() << "," << at.y();
    for (const QPoint at :
        { QPoint(397, 389), QPoint(495, 389), QPoint(446, 390), QPoint(398, 384), QPoint(494, 383) })
        EXPECT_NE(image.pixelColor(at), red) << at.x() << "," << at.y();
    // "0" centred on x = 398 from y = 369 down, the length centred on 494.
    EXPECT_GT(CountReddish(image, QRect(392, 369, 13, 14)), 5);
    EXPECT_EQ(CountReddish(image, QRect(380, 355, 40, 13)), 0);
    EXPECT_GT(CountReddish(image, QRect(470, 369, 49, 14)), 10);
}

TEST_F(MapWindowTest, RulerTextChoosesItsUnitByTheLength)
{
    const struct {
        int32_t globeUnitsPerInch;
        const char* text;
    } cases[] = {
        { 48596112, "1000 KM" },
        { 485962, "10 KM" },
        { 485960, "10000 M" }, // just below 10 km
        { 24298, "500 M" },
        { 486, "10 M" },
        { 485, "998 CM" },
        { 1, "2 CM" },
        { 0, "0 CM" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(TMapTool::RulerText(c.globeUnitsPerInch), c.text) << c.globeUnitsPerInch;
}

TEST_F(MapWindowTest, NightShadowOnAndOff)
{
    Start();
    form->EditLon->setText("0");
    form->EditLat->setText("0");
    // Centred on the meridian a quarter turn west of the sun, so the terminator
    // crosses the view at whatever time the test runs.
    const QTime utc = QDateTime::currentDateTimeUtc().time();
    const double sunLongitude = (12.0 - utc.msecsSinceStartOfDay() / 3600000.0) * 15.0;
    form->Globo->CenterOn(DegToGU(std::remainder(sunLongitude - 90.0, 360.0)), 0);
    const QRect disc(Centre() - QPoint(150, 150), QSize(300, 300));
    const QColor sea(0, 255, 255);
    const int day = CountColour(GlobePicture(), sea, disc);
    QTest::mouseClick(form->SpeedButtonComSombra, Qt::LeftButton);
    EXPECT_TRUE(Vars.SombraNoite);
    const QImage shaded = GlobePicture("main-window-night-shadow");
    const int lit = CountColour(shaded, sea, disc);
    // Some of the visible half is always in the night or the twilight.
    EXPECT_LT(lit, day * 9 / 10);
    EXPECT_GT(CountColour(shaded, Qt::black, disc) + CountColour(shaded, QColor(0xC0, 0xC0, 0xC0), disc), 0);
    QTest::mouseClick(form->SpeedButtonSemSombra, Qt::LeftButton);
    EXPECT_FALSE(Vars.SombraNoite);
    EXPECT_EQ(CountColour(GlobePicture(), sea, disc), day);
}

TEST_F(MapWindowTest, ReadoutsFollowTheMouse)
{
    Start();
    const QPoint centre = Centre();
    AddSquare("Ilha", 7, GeoAt(centre), 5 * GU_DEGREE);
    AddSquare("Rochedo", 0, GeoAt(centre + QPoint(0, 120)), GU_DEGREE);

    MoveTo(centre);
    EXPECT_EQ(Vars.MousePosition, GeoAt(centre));
    EXPECT_EQ(form->LabelPosic->text(), CoordText(GeoAt(centre)));
    EXPECT_EQ(form->LabelPosicInf->text(), "Ilha 7");
    ASSERT_NE(Vars.HoverObject, nullptr);
    EXPECT_EQ(Vars.HoverObject->Title, "Ilha");
    // No moving marker: no distance nor direction.
    EXPECT_EQ(form->LabelDist->text(), "");
    EXPECT_EQ(form->LabelDir->text(), "");

    MoveTo(centre + QPoint(0, 120));
    EXPECT_EQ(form->LabelPosicInf->text(), "Rochedo"); // an ID of 0 is not shown

    // Off the globe both axes read 180 degrees.
    MoveTo(QPoint(2, 2));
    EXPECT_EQ(Vars.MousePosition, (TGeoPoint { GU_180_DEGREE, GU_180_DEGREE, 0 }));
    EXPECT_EQ(form->LabelPosic->text(), CoordText(TGeoPoint { GU_180_DEGREE, GU_180_DEGREE, 0 }));
    EXPECT_EQ(form->LabelPosicInf->text(), "");
    EXPECT_EQ(Vars.HoverObject, nullptr);

    QEvent leave(QEvent::Leave);
    MoveTo(centre);
    QApplication::sendEvent(form->Globo, &leave);
    for (QLabel* label : { form->LabelPosic, form->LabelPosicInf, form->LabelDist, form->LabelDir })
        EXPECT_EQ(label->text(), "") << label->objectName().toStdString();
}

TEST_F(MapWindowTest, InRouteModeTheCursorTellsAWaypointFromElsewhere)
{
    Start();
    const QPoint centre = Centre();
    AddSquare("Ponto 1", 0, GeoAt(centre), GU_DEGREE, "LayWaypt");
    AddSquare("Ilha", 0, GeoAt(centre + QPoint(100, 0)), GU_DEGREE);
    Vars.RouteEditMode = true;
    const struct {
        QPoint at;
        Qt::CursorShape cursor;
    } cases[] = { { centre, Qt::PointingHandCursor }, { centre + QPoint(100, 0), Qt::UpArrowCursor },
        { centre + QPoint(1, 1), Qt::PointingHandCursor }, { centre + QPoint(60, 60), Qt::UpArrowCursor } };
    for (const auto& c : cases) {
        MoveTo(c.at);
        EXPECT_EQ(Globe().cursor().shape(), c.cursor) << c.at.x() << "," << c.at.y();
    }
    // Outside the mode the mouse leaves the cursor alone.
    Vars.RouteEditMode = false;
    Globe().unsetCursor();
    MoveTo(centre);
    EXPECT_EQ(Globe().cursor().shape(), Qt::ArrowCursor);
}

TEST_F(MapWindowTest, DistanceAndDirectionFromTheMovingMarker)
{
    Start();
    const QPoint centre = Centre();
    const TGeoPoint marker = GeoAt(centre);
    AddSquare("Movel", 0, marker, GU_DEGREE / 10);
    const QPoint east = centre + QPoint(100, 0);
    MoveTo(east);
    const TGeoPoint mouse = GeoAt(east);
    EXPECT_EQ(form->LabelDist->text(), DistanceText(GreatCircleDistance(marker, mouse)));
    EXPECT_EQ(form->LabelDir->text(), HeadingText(CompassDegrees(InitialBearing(marker, mouse))));
    const double heading = CompassDegrees(InitialBearing(marker, mouse));
    EXPECT_GT(heading, 45);
    EXPECT_LT(heading, 135); // roughly east
}

TEST_F(MapWindowTest, MeasuringFromAShiftClickOrigin)
{
    Start();
    form->EditLon->setText("0");
    form->EditLat->setText("0");
    const QPoint a = Centre() - QPoint(120, 60);
    const QPoint b = Centre() + QPoint(100, 80);
    QTest::mouseClick(form->BtMedindo, Qt::LeftButton);
    EXPECT_TRUE(form->BtMedindo->isChecked());
    EXPECT_EQ(Globe().cursor().shape(), Qt::SizeAllCursor);

    // Without an origin the label stays hidden.
    MoveTo(a);
    EXPECT_TRUE(form->PanelMedida->isHidden());
    Click(a, Qt::ShiftModifier);
    EXPECT_EQ(Vars.MeasureOrigin, (TGeoPoint { GeoAt(a).Long, GeoAt(a).Lat, 0 }));
    MoveTo(b);
    ASSERT_TRUE(form->PanelMedida->isVisible());
    const int64_t distance = EllipsoidDistance(GeoAt(a), GeoAt(b), Projection().Spheroid());
    EXPECT_EQ(form->LabMedida->text(), MeasureText(distance));
    EXPECT_TRUE(form->LabMedida->text().endsWith(" km"));
    EXPECT_EQ(
        form->PanelMedida->pos(), Viewport()->mapTo(form->PanelMedida->parentWidget(), b + QPoint(10, 10)));

    // The great circle is drawn over the picture between the two points.
    const QImage line = GlobePicture();
    const QPoint middle = (a + b) / 2;
    EXPECT_GT(CountColour(line, Qt::red, QRect(middle - QPoint(12, 12), QSize(25, 25))), 5);
    Picture(*form, "main-window-measuring");

    // A click without Shift goes on to the other rows; the origin stays.
    Click(b);
    EXPECT_EQ(Vars.MeasureOrigin, (TGeoPoint { GeoAt(a).Long, GeoAt(a).Lat, 0 }));

    QTest::mouseClick(form->BtMedindo, Qt::LeftButton);
    EXPECT_EQ(Vars.MeasureOrigin, TGeoPoint {});
    EXPECT_TRUE(form->PanelMedida->isHidden());
    EXPECT_EQ(Globe().cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(CountColour(GlobePicture(), Qt::red, QRect(middle - QPoint(12, 12), QSize(25, 25))), 0);
}

TEST_F(MapWindowTest, AShiftClickWithoutModeOrMeasuringSelects)
{
    Start();
    TGeoDataObject& island = AddSquare("Ilha", 7, GeoAt(Centre()), 5 * GU_DEGREE);
    MoveTo(Centre());
    Click(Centre(), Qt::ShiftModifier);
    EXPECT_TRUE(island.Selected());
    EXPECT_EQ(Vars.MeasureOrigin, TGeoPoint {});
    Click(QPoint(2, 2), Qt::ShiftModifier);
    EXPECT_FALSE(island.Selected());
    Click(Centre());
    EXPECT_TRUE(island.Selected());
}

TEST_F(MapWindowTest, TheFirstModeInTheTableTakesTheClick)
{
    Start();
    using Mode = bool TVars::*;
    const Mode order[] = { &TVars::ChartMoveMode, &TVars::ChartStretchMode, &TVars::ObjectCentroidMode,
        &TVars::PointPlotMode, &TVars::WaypointCreateMode, &TVars::RouteEditMode };
    // Whether the hint is cleared by a Shift-click, and by a plain click.
    const bool clearedOnShift[] = { true, true, true, true, true, true };
    const bool clearedOnClick[] = { true, true, true, true, true, true };
    // Modes whose step completes on the click with this cursor; the chart
    // and object modes end because nothing is edited.
    const bool endsOnClick[] = { true, true, true, true, true, false };
    TClickDispatcher& dispatcher = *form->ClickDispatcher;
    for (size_t first = 0; first < std::size(order); ++first) {
        for (const bool shift : { true, false }) {
            Vars.ClearClickModes();
            for (size_t m = first; m < std::size(order); ++m)
                Vars.*order[m] = true;
            dispatcher.ShowHint("Clique.");
            dispatcher.SetCursor(Qt::CrossCursor);
            Click(Centre(), shift ? Qt::ShiftModifier : Qt::NoModifier);
            EXPECT_EQ(Vars.*order[first], !shift && !endsOnClick[first]) << first << " shift " << shift;
            for (size_t m = first + 1; m < std::size(order); ++m)
                EXPECT_TRUE(Vars.*order[m]) << first << " later " << m;
            const bool cleared = shift ? clearedOnShift[first] : clearedOnClick[first];
            EXPECT_EQ(form->PanelAvisoOper->isHidden(), cleared) << first << " shift " << shift;
            EXPECT_EQ(form->LabelAvisoOper->text().isEmpty(), cleared) << first << " shift " << shift;
            EXPECT_EQ(Globe().cursor().shape(), shift || endsOnClick[first] ? Qt::ArrowCursor : Qt::CrossCursor);
        }
    }
    // A measuring Shift-click sets the origin and leaves the modes alone.
    Vars.ClearClickModes();
    Vars.RouteEditMode = true;
    QTest::mouseClick(form->BtMedindo, Qt::LeftButton);
    MoveTo(Centre() + QPoint(30, 0));
    Click(Centre() + QPoint(30, 0), Qt::ShiftModifier);
    EXPECT_TRUE(Vars.RouteEditMode);
    const TGeoPoint at = GeoAt(Centre() + QPoint(30, 0));
    EXPECT_EQ(Vars.MeasureOrigin, (TGeoPoint { at.Long, at.Lat, 0 }));
}

TEST_F(MapWindowTest, TheHintPanelShowsAndClears)
{
    Start();
    TClickDispatcher& dispatcher = *form->ClickDispatcher;
    EXPECT_TRUE(form->PanelAvisoOper->isHidden());
    EXPECT_EQ(form->LabelAvisoOper->text(), "");
    dispatcher.ShowHint("Clique na nova posição. Shift+Click = Cancela");
    EXPECT_TRUE(form->PanelAvisoOper->isVisible());
    EXPECT_EQ(form->LabelAvisoOper->text(), "Clique na nova posição. Shift+Click = Cancela");
    Picture(*form, "main-window-hint");
    dispatcher.ClearHint();
    EXPECT_TRUE(form->PanelAvisoOper->isHidden());
    dispatcher.SetHintText("Posicione o cursor na nova posição desejada. Shift+Click = Cancela");
    EXPECT_TRUE(form->PanelAvisoOper->isHidden());
}

TEST_F(MapWindowTest, MouseUpGivesTheLeftButtonBackToSelection)
{
    Start();
    Globe().MouseSelectButton = TGlobeMouseButton::mzbNone;
    Click(Centre());
    EXPECT_EQ(Globe().MouseSelectButton, TGlobeMouseButton::mzbLeft);
}

TEST_F(MapWindowTest, ANewUserSeesTheWorldAndLaterStartsRestoreTheLastRun)
{
    // The world layer of the program, where the first start puts it.
    const QString layers = TAppPaths::Resolve(DefaultDirLayers);
    QDir().mkpath(layers);
    ASSERT_TRUE(QFile::copy(BRUMEX_SOURCE_DIR "/data/TGWorld.lyr", layers + "/TGWorld.lyr"));
    const auto worldShown
        = [this] { return form->Globo->LayerStore()->LayerByName("TGWorld.lyr") != nullptr; };
    Start(); // a store without settings: the first start
    ASSERT_EQ(TAppPaths::Resolve(Vars.DirLayers), QDir(layers).absolutePath());
    EXPECT_TRUE(worldShown());
    const QImage first = GlobePicture("first-start-world");
    const QRect disc(Centre() - QPoint(150, 150), QSize(300, 300));
    const int sea = CountColour(first, QColor(0, 255, 255), disc);
    EXPECT_LT(sea, disc.width() * disc.height() * 9 / 10); // land covers part of it
    Picture(*form, "first-start-main-window");

    const auto closeAndStartAgain = [this] {
        ASSERT_TRUE(form->close());
        DestroyWindows();
        Vars = TVars {};
        form = &CreateWindows();
        form->FormActivate();
    };
    // The close keeps the world in the environment; the next start shows it.
    closeAndStartAgain();
    EXPECT_TRUE(worldShown());
    // Closing without memorizing the layers: the next start has none of them.
    form->MemorizarLayers->setChecked(false);
    closeAndStartAgain();
    EXPECT_FALSE(worldShown());
}
