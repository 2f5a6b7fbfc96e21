// Routes driven as a user drives them: "Nova" and the clicks that add
// points (snapping to waypoints), the route file commands, "Ativar", the
// route window and the guidance step with its read-outs.
#include "MainWindowFixture.h"
#include "ToolDialogs.h"

#include "app/FormConfig.h"
#include "app/FormRotas.h"
#include "app/RouteFile.h"
#include "app/RouteTool.h"
#include "app/UpDown.h"
#include "app/Vars.h"
#include "app/WaypointFile.h"
#include "app/WaypointTool.h"
#include "geo/GlobeUnits.h"
#include "view/GlobePresenter.h"
#include "widgets/Compass.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QTableWidget>
#include <QToolButton>

#include <cmath>

namespace {

int32_t Km(double km) { return static_cast<int32_t>(std::lround(km * GlobeUnitsPerUnit(TGlobeUnitTypes::Kilometer))); }
TGeoPoint OnEquator(double km) { return {Km(km), 0, 0}; }
const double MINUTE = 1.0 / 1440;

class RouteToolTest : public MainWindowFixture {
protected:
    TGlobeLayer& Layer() { return *Globe().LayerStore()->LayerByName("LayWaypt"); }
    QAction* Action(const char* name) { return form->findChild<QAction*>(name); }
    QString File(const QString& name) { return QDir(DataHome()).filePath(name); }
    TFormRotas& Window() { return *form->Windows().FormRotas; }
    TRouteTool& Tool() { return *form->RouteTool; }
    static std::string S(const QString& s) { return s.toStdString(); }

    void SetRoute(const std::vector<TGeoPoint>& points)
    {
        for (const TGeoPoint& p : points)
            Tool().AppendRoutePoint(p);
    }
    // The vehicle moved from `earlier` to `now` in a minute; one guidance step.
    void Report(const TGeoPoint& earlier, const TGeoPoint& now)
    {
        Vars.EarlierFix = earlier;
        Vars.PreviousFix = now;
        Vars.PreviousFixTime = Vars.FixTime;
        Vars.FixTime += MINUTE;
        Vars.SpeedGU = GreatCircleSpeed(earlier, now);
        Tool().TrataRota();
    }
    static double GreatCircleSpeed(const TGeoPoint& a, const TGeoPoint& b)
    {
        return std::abs(static_cast<double>(a.Long) - b.Long) / (MINUTE * 24);
    }
};

} // namespace

TEST_F(RouteToolTest, NovaThenClicksAppendPointsAndSnapToWaypoints)
{
    Start();
    TGeoDataObject* waypoint = form->WaypointTool->CreateWaypoint(GeoAt(Centre() + QPoint(60, 40)));
    ASSERT_NE(waypoint, nullptr);
    waypoint->SetCentroid({waypoint->GetCentroid().Long + 123, waypoint->GetCentroid().Lat, 0});
    Window().show();
    Action("Nova2")->trigger();
    EXPECT_TRUE(Vars.RouteEditMode);
    EXPECT_EQ(form->LabelAvisoOper->text(), "Indique com o cursor os novos pontos. Shift+Click = Termina");
    EXPECT_EQ(Globe().cursor().shape(), Qt::UpArrowCursor);
    ASSERT_NE(Vars.RouteObject, nullptr);
    EXPECT_EQ(Vars.RouteObject->Title, "Rota");
    EXPECT_EQ(Vars.RouteObject->ID, 2);
    EXPECT_EQ(Vars.RouteObject->PresenterID(), Vars.PrRotaID);

    const QPoint a = Centre() + QPoint(-120, -60), b = Centre() + QPoint(-20, 80);
    for (const QPoint at : {a, b}) {
        MoveTo(at);
        Click(at);
    }
    // Over the waypoint the cursor says that the click snaps to it.
    MoveTo(Centre() + QPoint(60, 40));
    EXPECT_EQ(Globe().cursor().shape(), Qt::PointingHandCursor);
    Click(Centre() + QPoint(60, 40));
    const std::vector<TGeoPoint> points = Tool().RoutePoints();
    ASSERT_EQ(points.size(), 3u);
    EXPECT_EQ(points[0], GeoAt(a));
    EXPECT_EQ(points[1], GeoAt(b));
    EXPECT_EQ(points[2], waypoint->GetCentroid()); // exactly, not the mouse position
    EXPECT_EQ(Window().RowCount(), 4);
    EXPECT_TRUE(Vars.RouteEditMode);
    EXPECT_TRUE(Layer().Modified());

    // The last click also selected the line under the mouse; unselected it
    // shows its own pen.
    Vars.RouteObject->SetSelected(false);
    Globe().Redraw();
    const QImage picture = GlobePicture("route-line");
    // The red line of width 3 between the first two points.
    int red = 0;
    for (int i = 1; i < 10; ++i) {
        const QPoint p = a + (b - a) * i / 10;
        for (int dy = -2; dy <= 2; ++dy)
            red += picture.pixelColor(p + QPoint(0, dy)) == QColor(255, 0, 0);
    }
    EXPECT_GE(red, 9 * 2);

    Click(Centre(), Qt::ShiftModifier);
    EXPECT_FALSE(Vars.RouteEditMode);
    EXPECT_EQ(Tool().RoutePoints().size(), 3u);
}

TEST_F(RouteToolTest, ClosingTheRouteWindowEndsTheEditing)
{
    Start();
    Window().show();
    Action("Nova2")->trigger();
    Window().close();
    EXPECT_FALSE(Vars.RouteEditMode);
    EXPECT_NE(Globe().cursor().shape(), Qt::UpArrowCursor);
    EXPECT_FALSE(form->PanelAvisoOper->isVisible());
}

TEST_F(RouteToolTest, RouteFilesThroughTheMenu)
{
    Start();
    WriteRouteFile(S(File("cinco.Rot")), {{0, 10, 0}, {1, 11, 0}, {2, 12, 0}, {3, 13, 0}, {4, 14, 0}});
    Window().show();
    Layer().SetModified(true);
    AnswerFileDialog(*form->ODBrumex, File("cinco.Rot"));
    Action("Carregar2")->trigger();
    EXPECT_EQ(form->ODBrumex->nameFilters(), QStringList{"Rotas (*.Rot)"});
    const std::vector<TGeoPoint> five = {{0, 10, 0}, {1, 11, 0}, {2, 12, 0}, {3, 13, 0}, {4, 14, 0}};
    EXPECT_EQ(Tool().RoutePoints(), five);
    EXPECT_EQ(Window().RowCount(), 6);
    EXPECT_FALSE(Layer().Modified());

    // A save over a longer route file holds exactly this route.
    WriteRouteFile(S(File("longa.Rot")), std::vector<TGeoPoint>(9, TGeoPoint{7, 7, 0}));
    Layer().SetModified(true);
    AnswerFileDialog(*form->SDBrumex, File("longa.Rot"));
    Action("Salvar3")->trigger();
    EXPECT_EQ(ReadRouteFile(S(File("longa.Rot"))), five);
    EXPECT_FALSE(Layer().Modified());

    // A cancelled load reads nothing and still clears the flag.
    Layer().SetModified(true);
    AnswerFileDialog(*form->ODBrumex, {});
    Action("Carregar2")->trigger();
    EXPECT_EQ(Tool().RoutePoints(), five);
    EXPECT_FALSE(Layer().Modified());
}

TEST_F(RouteToolTest, WithoutARouteLineNothingIsSaved)
{
    Start();
    EXPECT_FALSE(Tool().SaveRoute(File("nada.Rot")));
    EXPECT_FALSE(QFile::exists(File("nada.Rot")));
}

TEST_F(RouteToolTest, AtivarNeedsTwoReportsAndARouteWithPoints)
{
    Start();
    // Disabled until the second report after a connect.
    Action("AtivarRota")->trigger();
    EXPECT_FALSE(Vars.RouteActive);
    Action("AtivarRota")->setEnabled(true);
    Action("AtivarRota")->trigger(); // no report shown yet
    EXPECT_FALSE(Vars.RouteActive);
    form->LastDataSource = "GPSMinData";
    Action("AtivarRota")->trigger(); // no route line
    EXPECT_FALSE(Vars.RouteActive);
    Tool().EnsureRouteLine();
    Action("AtivarRota")->trigger(); // no point
    EXPECT_FALSE(Vars.RouteActive);

    SetRoute({OnEquator(0), OnEquator(5), OnEquator(10)});
    Vars.EarlierFix = OnEquator(1);
    Vars.PreviousFix = OnEquator(2); // past point 0, nearing point 1
    Action("AtivarRota")->trigger();
    EXPECT_TRUE(Vars.RouteActive);
    EXPECT_EQ(Vars.NextWaypoint, 1);
    EXPECT_TRUE(Window().isVisible());
    // Already active: a second activation changes nothing.
    Vars.NextWaypoint = 2;
    Action("AtivarRota")->trigger();
    EXPECT_EQ(Vars.NextWaypoint, 2);
}

TEST_F(RouteToolTest, GuidanceShowsTheNextPointAndAdvancesOnArrival)
{
    Start();
    form->Windows().FormConfig->EdDistCheg->setText("20");
    SetRoute({OnEquator(0), OnEquator(1), OnEquator(3)});
    TGeoDataObject* farol = form->WaypointTool->CreateWaypoint(OnEquator(1));
    farol->Title = "Farol";
    form->WaypointTool->CreateWaypoint({Km(3) + 1, 0, 0})->Title = "Perto";
    Vars.RouteActive = true;
    Vars.NextWaypoint = 0;
    Window().show();

    Report(OnEquator(-1), OnEquator(-0.5));
    EXPECT_EQ(Vars.NextWaypoint, 0);
    EXPECT_EQ(Window().LabelProx->text(), "Próximo = Ponto 0");
    EXPECT_EQ(Window().LabelDistProx->text(), "Distância = 0.500 km");
    EXPECT_EQ(Window().LabelTempo->text(), "Tempo = 00:01:00");
    EXPECT_EQ(Window().LabelVMG->text(), "VMG = 30.0 km/h 99.9 %");
    EXPECT_EQ(form->Bussola->ToSteer(), 90);
    EXPECT_EQ(Vars.StepDistance, Km(0.5));

    // 19.9 m before point 0 with an arrival distance of 20 m: on to point 1,
    // which lies exactly on a waypoint.
    Report(OnEquator(-0.5), OnEquator(-0.0199));
    EXPECT_EQ(Vars.NextWaypoint, 1);
    EXPECT_EQ(Window().LabelProx->text(), "Próximo = Farol");
    EXPECT_EQ(Window().LabelDistProx->text(), "Distância = 1.020 km");
    EXPECT_TRUE(Vars.RouteActive);

    Report(OnEquator(0.5), OnEquator(0.99));
    EXPECT_EQ(Vars.NextWaypoint, 2);
    // Near a waypoint but not on it: the point's number.
    EXPECT_EQ(Window().LabelProx->text(), "Próximo = Ponto 2");
    Picture(Window(), "route-window-guidance");

    // Arriving at the last point switches guidance off.
    Report(OnEquator(2.9), OnEquator(2.99));
    EXPECT_EQ(Vars.NextWaypoint, 2);
    EXPECT_FALSE(Vars.RouteActive);
}

TEST_F(RouteToolTest, StandingStillShowsNoTimeNorShare)
{
    Start();
    SetRoute({OnEquator(0), OnEquator(1)});
    Vars.RouteActive = true;
    Window().show();
    Report(OnEquator(-1), OnEquator(-1));
    EXPECT_EQ(Window().LabelTempo->text(), "Tempo = 00:00:00");
    EXPECT_EQ(Window().LabelVMG->text(), "VMG = 0.0 km/h");
    EXPECT_EQ(Vars.RouteLegs[1].Eta, 0);
}

TEST_F(RouteToolTest, AFreedRouteLineStopsGuidance)
{
    Start();
    SetRoute({OnEquator(0), OnEquator(1)});
    Vars.RouteActive = true;
    Window().show();
    Report(OnEquator(-1), OnEquator(-0.5));
    EXPECT_EQ(Window().RowCount(), 3);
    // A waypoint load frees every object of the layer.
    WriteWaypointFile(S(File("w.Wpt")), {{1, 2, "Um", 0}});
    ASSERT_TRUE(form->WaypointTool->LoadWaypoints(File("w.Wpt")));
    EXPECT_EQ(Vars.RouteObject, nullptr);
    EXPECT_FALSE(Vars.RouteActive);
    EXPECT_EQ(Window().RowCount(), 1);
    Tool().TrataRota(); // as a report would while guidance was on
    EXPECT_FALSE(Vars.RouteActive);
    Window().GridWayPtsRota->viewport()->repaint();
    Picture(Window(), "route-window-no-route");
    Action("Nova2")->trigger();
    ASSERT_NE(Vars.RouteObject, nullptr);
    EXPECT_TRUE(Tool().RoutePoints().empty());
}

TEST_F(RouteToolTest, TheRouteWindowAsDesigned)
{
    Start();
    SetRoute({OnEquator(0), OnEquator(1), OnEquator(3)});
    TFormRotas& w = Window();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    EXPECT_EQ(w.size(), QSize(397, 302));
    EXPECT_EQ(w.windowTitle(), "Rotas");
    EXPECT_TRUE(w.windowFlags() & Qt::WindowStaysOnTopHint);
    const int widths[] = {35, 69, 67, 62, 55, 53};
    const char* headers[] = {"Pto", "Lon", "Lat", "Dist", "Dir", "ETA"};
    for (int c = 0; c < 6; ++c) {
        EXPECT_EQ(w.GridWayPtsRota->columnWidth(c), widths[c]);
        EXPECT_EQ(w.GridWayPtsRota->horizontalHeaderItem(c)->text(), headers[c]);
    }
    EXPECT_EQ(w.GridWayPtsRota->rowHeight(0), 20);
    EXPECT_EQ(w.RowCount(), 4);
    EXPECT_EQ(w.UpDownPontosRota->Position(), 500);
    EXPECT_GT(w.LabelTempo->x(), w.LabelProx->x());
    EXPECT_GT(w.LabelDistProx->y(), w.LabelProx->y());
    EXPECT_LT(w.Splitter1->x(), w.GridWayPtsRota->x());

    Vars.RouteActive = true;
    Vars.NextWaypoint = 0;
    Report(OnEquator(-1), OnEquator(-0.5));
    // The up-down moves the next point within the route.
    QTest::mouseClick(w.UpDownPontosRota->NextButton(), Qt::LeftButton);
    EXPECT_EQ(Vars.NextWaypoint, 1);
    QTest::mouseClick(w.UpDownPontosRota->NextButton(), Qt::LeftButton);
    QTest::mouseClick(w.UpDownPontosRota->NextButton(), Qt::LeftButton);
    EXPECT_EQ(Vars.NextWaypoint, 2);
    for (int i = 0; i < 4; ++i)
        QTest::mouseClick(w.UpDownPontosRota->PrevButton(), Qt::LeftButton);
    EXPECT_EQ(Vars.NextWaypoint, 0);
    QTest::mouseClick(w.UpDownPontosRota->NextButton(), Qt::LeftButton);
    Report(OnEquator(-0.5), OnEquator(-0.25));

    w.GridWayPtsRota->viewport()->repaint();
    const QImage picture = Picture(w, "route-window");
    // The next point's row (point 1, grid row 2) is light blue after its number.
    const QRect second = w.GridWayPtsRota->visualRect(w.GridWayPtsRota->model()->index(1, 3));
    const QPoint inWindow = w.GridWayPtsRota->viewport()->mapTo(&w, second.topLeft() + QPoint(1, 1));
    EXPECT_EQ(picture.pixelColor(inWindow), QColor(0xA6, 0xCA, 0xF0));
    const QRect number = w.GridWayPtsRota->visualRect(w.GridWayPtsRota->model()->index(1, 0));
    EXPECT_EQ(picture.pixelColor(w.GridWayPtsRota->viewport()->mapTo(&w, number.topLeft() + QPoint(1, 1))),
              QColor(Qt::white));
}
