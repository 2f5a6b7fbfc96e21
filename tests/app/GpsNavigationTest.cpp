// The navigation display in the real main window: reports handed to it, a
// real log over a pseudo-terminal into the receiver and over Telnet on
// loopback into the network feed.
#include "MainWindowFixture.h"

#include "app/FormConfig.h"
#include "app/Formatting.h"
#include "app/GpsNavigation.h"
#include "app/Vars.h"
#include "geo/GlobeUnits.h"
#include "gps/NmeaReplay.h"
#include "gps/PseudoTerminal.h"
#include "gps/TelnetFeedServer.h"
#include "survey/SurveyState.h"
#include "view/GlobePresenter.h"
#include "widgets/Compass.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

namespace {

class GpsNavigationTest : public MainWindowFixture {
protected:
    // A report at east-positive degrees, one second after the previous one.
    void Report(double lon, double lat, bool warning = false)
    {
        time += 1.0 / 86400;
        form->Navigation->GPSMinGPSData(form, warning, time, lat, -lon, 0, 0, 0);
    }
    int TrackPoints() const { return Vars.TrackObject ? Vars.TrackObject->Chains.Chain(0).Count() : 0; }
    int32_t MarkerAngle()
    {
        auto* p = dynamic_cast<TPointPresenter*>(Globe().LayerStore()->LayerByName("Trilha")->FindPresenter(Vars.PrMovelID));
        return p->PointFont.FontAngle();
    }
    bool WaitFor(const std::function<bool()>& done, int ms)
    {
        QElapsedTimer clock;
        clock.start();
        while (!done() && clock.elapsed() < ms) {
            QApplication::processEvents(QEventLoop::AllEvents, 5);
            QThread::msleep(2);
        }
        return done();
    }
    double time = 46000.5;
};

// The RMC sentences of a log with their east-positive positions.
struct Rmc {
    double lon, lat;
    QString time;
};
std::vector<Rmc> RmcOf(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    std::vector<Rmc> result;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QList<QByteArray> f = line.split(',');
        if (!line.startsWith("$GPRMC") || f.size() < 7 || f[3].isEmpty())
            continue;
        const auto deg = [](const QByteArray& v, int digits) {
            return v.left(digits).toDouble() + v.mid(digits).toDouble() / 60;
        };
        const QByteArray t = f[1];
        result.push_back({ deg(f[5], 3) * (f[6] == "W" ? -1 : 1), deg(f[3], 2) * (f[4] == "S" ? -1 : 1),
            QString::fromLatin1(t.left(2) + ":" + t.mid(2, 2) + ":" + t.mid(4, 2)) });
    }
    return result;
}

} // namespace

TEST_F(GpsNavigationTest, ReportsMoveTheMarkerTurnItAndGrowTheTrack)
{
    Start();
    Windows().FormConfig->RBEthernet->setChecked(true);
    QTest::mouseClick(form->SwGPS, Qt::LeftButton, {}, QPoint(5, form->SwGPS->height() / 2));
    ASSERT_TRUE(form->SwGPS->isChecked());
    ASSERT_NE(Vars.MovingMarker, nullptr);
    EXPECT_EQ(Vars.MovingMarker->Title, "Movel");

    Report(0, 0); // no data: nothing changes
    EXPECT_EQ(form->EdLat->text(), "");
    EXPECT_EQ(form->LastDataSource, "");

    Report(10, 0.0);
    EXPECT_FALSE(form->AtivarRota->isEnabled());
    EXPECT_EQ(Vars.SpeedGU, 0); // the first report has nothing to measure from
    EXPECT_EQ(TrackPoints(), 0);
    Report(10, 0.0); // same place: no speed, no turn, no track point
    EXPECT_TRUE(form->AtivarRota->isEnabled());
    EXPECT_EQ(Vars.SpeedGU, 0);
    EXPECT_EQ(TrackPoints(), 0);
    EXPECT_EQ(MarkerAngle(), 0);

    struct Step {
        double dLon, dLat;
        int32_t angle;
        const char* heading;
    };
    double lon = 10, lat = 0;
    for (const Step& s : { Step { 0, 0.001, 4500, "0°" }, Step { 0.001, 0, 3600, "90°" },
             Step { -0.001, 0, 1800, "270°" } }) {
        lon += s.dLon;
        lat += s.dLat;
        Report(lon, lat);
        EXPECT_EQ(MarkerAngle(), s.angle) << s.heading;
        EXPECT_EQ(form->PanelHeading->text(), QString::fromUtf8(s.heading));
        EXPECT_EQ(Vars.MovingMarker->GetCentroid(), (TGeoPoint { DegToGU(lon), DegToGU(lat), 0 }));
    }
    EXPECT_EQ(TrackPoints(), 3);
    // 0.001° of the equator in one second is about 400 km/h.
    EXPECT_NEAR(Vars.SpeedShown, 400.8, 0.5);
    EXPECT_EQ(form->EdVeloc->text().right(5), " km/h");
    Picture(*form, "navigation-reports");

    // Two reports in one second keep the speed instead of an infinite one.
    time -= 1.0 / 86400;
    Report(lon, lat + 0.001);
    EXPECT_NEAR(Vars.SpeedShown, 400.8, 1);
}

TEST_F(GpsNavigationTest, NauticalUnitsApplyTheTrackThresholdToKnots)
{
    Start();
    Windows().FormConfig->CbUnMed->setCurrentIndex(2);
    Report(10, 0);
    // 0.0005° a second along a meridian: about 108 kt, no track point past the first.
    for (int i = 1; i <= 3; ++i)
        Report(10, i * 0.0005);
    EXPECT_NEAR(Vars.SpeedShown, 108, 1);
    EXPECT_EQ(form->EdVeloc->text().right(3), " kt");
    // The kilometre post of a survey that never ran counts as whole.
    EXPECT_EQ(TrackPoints(), 3);
    Survey.CurrentPK = 1.25;
    Report(10, 0.002);
    EXPECT_EQ(TrackPoints(), 3);
    Vars.SpeedShown = 0;
    Survey.CurrentPK = 0;
}

TEST_F(GpsNavigationTest, ARealLogOverAPseudoTerminalDrivesTheDisplay)
{
    const QString path = QStringLiteral(BRUMEX_SOURCE_DIR "/data/nmea/garmin-geko201.nmea");
    const std::vector<Rmc> rmc = RmcOf(path);
    ASSERT_EQ(rmc.size(), 18u);
    Start();
    TPseudoTerminal pty;
    ASSERT_TRUE(pty.Open());
    Windows().FormConfig->SetDevice(0, pty.SlavePath());
    Windows().FormConfig->ApplySerialPort();
    QTest::mouseClick(form->SwGPS, Qt::LeftButton, {}, QPoint(5, form->SwGPS->height() / 2));
    ASSERT_TRUE(form->GPS.Active()) << form->GPS.OpenErrorText().toStdString();
    EXPECT_EQ(form->GPS.PortBaud(), 4800);

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    TNmeaReplay replay(replaySchedule(file.readAll().toStdString(), { 0, 6000 }), 6000,
        [&pty](std::string_view bytes) { pty.Write(bytes); });
    bool finished = false;
    replay.OnFinished = [&] { finished = true; };
    std::vector<TGeoPoint> marker;
    std::vector<QString> times;
    form->GPS.OnMinGPSData = [&](TGPS* s, bool w, TDateTime t, double la, double lo, double sp, double c, double m) {
        form->Navigation->GPSMinGPSData(s, w, t, la, lo, sp, c, m);
        if (la != 0 || lo != 0) {
            marker.push_back(Vars.MovingMarker->GetCentroid());
            times.push_back(form->EdHoraGPS->text().right(8));
        }
    };
    replay.Start();
    ASSERT_TRUE(WaitFor([&] { return finished && marker.size() >= rmc.size(); }, 60000));
    EXPECT_EQ(form->LabelValidos->text(), "Recebendo, sem posição válida"); // a demo log: status V
    Picture(*form->TabSheetGPS, "navigation-tab-pty");
    GlobePicture("navigation-globe-pty");
    ASSERT_EQ(marker.size(), rmc.size());
    for (std::size_t i = 0; i < rmc.size(); ++i) {
        EXPECT_NEAR(marker[i].Long, DegToGU(rmc[i].lon), 2) << i;
        EXPECT_NEAR(marker[i].Lat, DegToGU(rmc[i].lat), 2) << i;
    }
    // Under 50 km/h every step is a track point: the 17 moves of the log.
    EXPECT_EQ(TrackPoints(), 17);
    // Tests run in UTC: the local time is the log's.
    EXPECT_EQ(times.front(), rmc.front().time);
    EXPECT_EQ(times.back(), rmc.back().time);
    QTest::mouseClick(form->SwGPS, Qt::LeftButton, {}, QPoint(5, form->SwGPS->height() / 2));
    EXPECT_FALSE(form->GPS.Active());
}

TEST_F(GpsNavigationTest, TheSameLogOverTelnetSplitAtAwkwardPlacesWithACommaLocale)
{
    const QString path = QStringLiteral(BRUMEX_SOURCE_DIR "/data/nmea/garmin-geko201.nmea");
    const std::vector<Rmc> rmc = RmcOf(path);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const std::string log = file.readAll().toStdString() + "$GPGGA,end\r\n";
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    Start();
    TTelnetFeedServer server;
    ASSERT_TRUE(server.Listen(QHostAddress::LocalHost, 0));
    Windows().FormConfig->RBEthernet->setChecked(true);
    Windows().FormConfig->EdIPGPS->setText("127.0.0.1");
    Windows().FormConfig->EdPortGPS->setText(QString::number(server.Port()));
    std::vector<TGeoPoint> marker;
    form->Navigation->Feed.OnReport = [&](QObject* s, bool w, TDateTime t, double la, double lo, double sp,
                                          double c, double m) {
        form->Navigation->GPSMinGPSData(s, w, t, la, lo, sp, c, m);
        marker.push_back(Vars.CurrentFix);
    };
    QTest::mouseClick(form->SwGPS, Qt::LeftButton, {}, QPoint(5, form->SwGPS->height() / 2));
    ASSERT_TRUE(WaitFor([&] { return server.ClientCount() == 1; }, 5000));
    // Pieces cut inside "$GPRMC" and between CR and LF.
    std::size_t at = 0;
    while (at < log.size()) {
        std::size_t cut = log.find("$GPRMC", at + 1);
        cut = cut == std::string::npos ? log.size() : cut + 3;
        const std::size_t cr = log.find('\r', at);
        if (cr != std::string::npos && cr + 1 < cut && at % 2)
            cut = cr + 1;
        server.Send(std::string_view(log).substr(at, cut - at));
        QApplication::processEvents();
        at = cut;
    }
    EXPECT_TRUE(WaitFor([&] { return marker.size() >= rmc.size(); }, 10000));
    QLocale::setDefault(previous);
    ASSERT_EQ(marker.size(), rmc.size());
    for (std::size_t i = 0; i < rmc.size(); ++i) {
        EXPECT_NEAR(marker[i].Long, DegToGU(rmc[i].lon), 2) << i;
        EXPECT_NEAR(marker[i].Lat, DegToGU(rmc[i].lat), 2) << i;
    }
    EXPECT_TRUE(form->Navigation->Feed.GPSTelnet.Connected());
    EXPECT_FALSE(Windows().FormConfig->EdIPGPS->isEnabled() && Windows().FormConfig->isVisible());
    QTest::mouseClick(form->SwGPS, Qt::LeftButton, {}, QPoint(5, form->SwGPS->height() / 2));
    EXPECT_FALSE(form->Navigation->Feed.GPSTelnet.Connected());
}

TEST_F(GpsNavigationTest, AFailedConnectShowsTheClientsErrorAndTheBoxStaysChecked)
{
    quint16 closed = 0;
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        closed = probe.serverPort();
    }
    Start();
    Windows().FormConfig->RBEthernet->setChecked(true);
    Windows().FormConfig->EdIPGPS->setText("127.0.0.1");
    Windows().FormConfig->EdPortGPS->setText(QString::number(closed));
    CloseNextModal();
    QTest::mouseClick(form->SwGPS, Qt::LeftButton, {}, QPoint(5, form->SwGPS->height() / 2));
    ASSERT_TRUE(WaitFor([&] { return !ModalTexts().isEmpty(); }, 5000));
    EXPECT_EQ(ModalTexts().front(),
        QStringLiteral("Conexão com o GPS em 127.0.0.1:%1: Connection refused").arg(closed));
    EXPECT_TRUE(form->SwGPS->isChecked());
}

TEST_F(GpsNavigationTest, AConnectionLostAfterSomeSentencesSaysSoWithoutADialog)
{
    QTcpServer peer;
    ASSERT_TRUE(peer.listen(QHostAddress::LocalHost, 0));
    Start();
    Windows().FormConfig->RBEthernet->setChecked(true);
    Windows().FormConfig->EdIPGPS->setText("127.0.0.1");
    Windows().FormConfig->EdPortGPS->setText(QString::number(peer.serverPort()));
    // Any dialog would stop a driver: record and close it.
    QStringList dialogs;
    QTimer guard;
    QObject::connect(&guard, &QTimer::timeout, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            dialogs << modal->windowTitle();
            modal->close();
        }
    });
    guard.start(20);

    QTest::mouseClick(form->SwGPS, Qt::LeftButton, {}, QPoint(5, form->SwGPS->height() / 2));
    ASSERT_TRUE(WaitFor([&] { return peer.hasPendingConnections(); }, 5000));
    QTcpSocket* link = peer.nextPendingConnection();
    // Three sentences reach the display (each when the next "$" comes).
    link->write("$GPRMC,120000,A,2230.000,S,04300.000,W,0,0,091224,,*00\r\n"
                "$GPRMC,120001,A,2230.010,S,04300.000,W,0,0,091224,,*00\r\n"
                "$GPRMC,120002,A,2230.020,S,04300.000,W,0,0,091224,,*00\r\n"
                "$GPRMC,120003,A,2230.030,S,04300.000,W,0,0,091224,,*00\r\n");
    link->disconnectFromHost();
    ASSERT_TRUE(WaitFor([&] { return !form->SwGPS->isChecked(); }, 5000));
    EXPECT_EQ(form->LabelValidos->text(), "Conexão com o GPS perdida: o servidor fechou a conexão");
    EXPECT_EQ(form->EdLat->text(), GpsCoordText(u"Lat", -(22 + 30.02 / 60))); // the last position stays
    EXPECT_FALSE(form->Navigation->Feed.GPSTelnet.Connected());
    Picture(*form->TabSheetGPS, "navigation-tab-lost");
    // The message stays while nothing is connected (the state line refreshes every second).
    QTest::qWait(1100);
    EXPECT_EQ(form->LabelValidos->text(), "Conexão com o GPS perdida: o servidor fechou a conexão");

    // A click connects again.
    QTest::mouseClick(form->SwGPS, Qt::LeftButton, {}, QPoint(5, form->SwGPS->height() / 2));
    EXPECT_TRUE(WaitFor([&] { return form->LabelValidos->text() == "Sem dados do GPS"; }, 3000))
        << form->LabelValidos->text().toStdString();
    EXPECT_TRUE(form->Navigation->Feed.GPSTelnet.Connected());
    EXPECT_TRUE(dialogs.isEmpty()) << dialogs.join(", ").toStdString();
}
