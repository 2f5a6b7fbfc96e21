// Guidance along a real log: a route of four positions of the log, the log
// played over a pseudo-terminal into the main window's receiver at a fast
// pace, "Conectar GPS" clicked, the route activated after the second report.
#include "MainWindowFixture.h"

#include "app/FormConfig.h"
#include "app/FormRotas.h"
#include "app/GpsNavigation.h"
#include "app/RouteFile.h"
#include "app/RouteTool.h"
#include "app/Vars.h"
#include "geo/GlobeUnits.h"
#include "gps/NmeaReplay.h"
#include "gps/PseudoTerminal.h"

#include <QAction>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QThread>

namespace {

// The RMC sentences of a log with a valid fix, in order.
std::vector<std::string> ValidRmc(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    std::vector<std::string> lines;
    for (const QByteArray& line : file.readAll().split('\n'))
        if (line.contains("RMC,") && line.split(',').value(2) == "A")
            lines.push_back(line.trimmed().toStdString() + "\r\n");
    return lines;
}

TGeoPoint PositionOf(const std::string& rmc)
{
    const QList<QByteArray> f = QByteArray::fromStdString(rmc).split(',');
    const auto degrees = [](const QByteArray& value, int degreeDigits, bool negative) {
        const double d = value.left(degreeDigits).toDouble() + value.mid(degreeDigits).toDouble() / 60;
        return negative ? -d : d;
    };
    return {DegToGU(degrees(f[5], 3, f[6] == "W")), DegToGU(degrees(f[3], 2, f[4] == "S")), 0};
}

class RouteReplayTest : public MainWindowFixture { };

} // namespace

TEST_F(RouteReplayTest, NextWaypointAdvancesAtEachPointAndGuidanceStopsAtTheLast)
{
    const std::vector<std::string> fixes = ValidRmc(QStringLiteral(BRUMEX_TEST_DATA "/nmea/telit-he910.nmea"));
    ASSERT_GE(fixes.size(), 170u);
    // The route: every 40th fix. With an arrival distance of 0 m a point is
    // reached only on the report made exactly there.
    std::vector<TGeoPoint> route;
    for (std::size_t i = 40; i <= 160; i += 40)
        route.push_back(PositionOf(fixes[i]));
    Start();
    const QString routeFile = QDir(DataHome()).filePath("log.Rot");
    WriteRouteFile(routeFile.toStdString(), route);
    ASSERT_TRUE(form->RouteTool->LoadRoute(routeFile));
    form->Windows().FormConfig->EdDistCheg->setText("0");

    // The window's own report handler and guidance step, watched from
    // outside: the report count, and each step that moves the next point.
    std::vector<std::pair<int, int>> advances; // report number, new NextWaypoint
    int reports = 0;
    const auto handler = form->GPS.OnMinGPSData;
    form->GPS.OnMinGPSData = [&](TGPS* s, bool w, TDateTime t, double lat, double lon, double sp, double c, double m) {
        handler(s, w, t, lat, lon, sp, c, m);
        if (lat == 0 && lon == 0)
            return;
        ++reports;
        if (reports == 2) {
            EXPECT_TRUE(form->AtivarRota->isEnabled());
            form->AtivarRota->trigger();
        }
    };
    const auto routeStep = form->Navigation->OnRouteStep;
    form->Navigation->OnRouteStep = [&] {
        const int before = Vars.NextWaypoint;
        routeStep();
        if (Vars.NextWaypoint != before || !Vars.RouteActive)
            advances.emplace_back(reports + 1, Vars.RouteActive ? Vars.NextWaypoint : -1);
    };

    TPseudoTerminal pty;
    ASSERT_TRUE(pty.Open()) << pty.ErrorText().toStdString();
    form->Windows().FormConfig->SetDevice(0, pty.SlavePath());
    form->Windows().FormConfig->ApplySerialPort();
    QTest::mouseClick(form->SwGPS, Qt::LeftButton, {}, QPoint(5, form->SwGPS->height() / 2));
    ASSERT_TRUE(form->GPS.Active()) << form->GPS.OpenErrorText().toStdString();
    EXPECT_EQ(form->GPS.PortBaud(), 4800);
    std::string log;
    for (std::size_t i = 0; i <= 165; ++i)
        log += fixes[i];
    // As fast as the receiver reads: 64 bytes every 100 ms.
    TNmeaReplay replay(replaySchedule(log, {0, 6000}), 6000, [&pty](std::string_view bytes) { pty.Write(bytes); });
    bool finished = false;
    replay.OnFinished = [&] { finished = true; };
    replay.Start();
    QElapsedTimer clock;
    clock.start();
    while ((!finished || reports < 166) && clock.elapsed() < 60000) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
    QTest::mouseClick(form->SwGPS, Qt::LeftButton, {}, QPoint(5, form->SwGPS->height() / 2));
    EXPECT_FALSE(form->GPS.Active());
    ASSERT_EQ(reports, 166);

    // Activated after report 2 on point 0 (the first the receiver nears); a
    // point is reached on the first later report made exactly there (the
    // receiver stood still, so some positions repeat).
    std::vector<std::pair<int, int>> expected;
    int next = 0;
    for (int report = 3; report <= 166 && next < 4; ++report)
        if (PositionOf(fixes[static_cast<std::size_t>(report - 1)]) == route[static_cast<std::size_t>(next)]) {
            ++next;
            expected.emplace_back(report, next < 4 ? next : -1);
        }
    ASSERT_EQ(expected.size(), 4u);
    EXPECT_EQ(expected.back().first, 161); // the last point, itself
    EXPECT_EQ(advances, expected);
    EXPECT_FALSE(Vars.RouteActive);
    TFormRotas& window = *form->Windows().FormRotas;
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.RowCount(), 5);
    EXPECT_EQ(window.LabelProx->text(), "Próximo = Ponto 3");
    EXPECT_EQ(window.LabelDistProx->text(), "Distância = 0.000 km");
    window.GridWayPtsRota->viewport()->repaint();
    Picture(window, "route-window-log");
}
