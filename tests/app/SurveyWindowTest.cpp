// The road survey window inside the program: opened from the main menu, fed
// by the main window's reports, driven with the operator's keys, its records
// read back from the SQLite tables.
#include "MainWindowFixture.h"
#include "ToolDialogs.h"

#include "app/AppPaths.h"
#include "app/FormConfig.h"
#include "app/Formatting.h"
#include "app/GpsNavigation.h"
#include "app/Vars.h"
#include "geo/GlobeUnits.h"
#include "gps/NmeaReplay.h"
#include "gps/PseudoTerminal.h"
#include "survey/DbControls.h"
#include "survey/FormRastr.h"
#include "survey/SurveyState.h"
#include "survey/SurveyTables.h"
#include "view/GlobePresenter.h"
#include "widgets/Compass.h"

#include <QAction>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QPointer>
#include <QTimer>
#include <QToolButton>

namespace {

// One kilometre along a meridian, in degrees (1' of arc is a nautical mile).
constexpr double KM_NORTH = 48596.11231101512 / 5400000;

class SurveyWindowTest : public MainWindowFixture {
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        Start();
        survey = Windows().FormRastr;
        survey->ShowMessage = [this](const QString& message) { messages << message; };
        // A dialog nobody answers would stop the test for good: one still
        // open on two looks in a row is closed, and the test fails.
        QObject::connect(&guard, &QTimer::timeout, &guard, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal && modal == lastModal) {
                unanswered << modal->windowTitle();
                modal->close();
            }
            lastModal = modal;
        });
        guard.start(1000);
    }
    void TearDown() override
    {
        guard.stop();
        EXPECT_TRUE(unanswered.isEmpty()) << "unanswered dialogs: " << unanswered.join(", ").toStdString();
        MainWindowFixture::TearDown();
    }
    QAction& Ativar() { return *form->findChild<QAction*>("Ativar1"); }
    // Opens the window from the menu on the given table ("" cancels the dialog).
    void Open(const QString& table)
    {
        AnswerFileDialog(*survey->OpenDialogTbDados, table);
        Ativar().trigger();
        ASSERT_TRUE(survey->IsOpen());
        survey->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(survey));
    }
    // A report at east-positive degrees, one second after the previous one.
    void Report(double lon, double lat, double speed = 30, double course = 0)
    {
        time += 1.0 / 86400;
        form->Navigation->GPSMinGPSData(form, false, time, lat, -lon, speed, course, 0);
    }
    void Key(Qt::Key key, QWidget* to = nullptr) { QTest::keyClick(to ? to : survey->focusWidget(), key); }
    void Click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(4, 6)); }
    // Every record of a table file, as "Refer|PK|Odom|Obs".
    static QStringList Records(const QString& path)
    {
        TDbTable table;
        table.SetTableName(path);
        table.Open();
        QStringList rows;
        for (table.First(); !table.Eof(); table.Next()) {
            QStringList row;
            for (const char* field : { "Refer", "PK", "Odom", "Obs" })
                if (table.FieldIndex(field) >= 0)
                    row << table.FieldValue(field).toString();
            rows << row.join('|');
        }
        return rows;
    }
    QString TablePath(const QString& name) { return DataHome() + "/" + name; }

    TFormRastr* survey = nullptr;
    QStringList messages;
    QTimer guard;
    QPointer<QWidget> lastModal;
    QStringList unanswered;
    double time = 46000.5;
};

} // namespace

TEST_F(SurveyWindowTest, KeysRecordFeaturesWithPostOdometerAndPosition)
{
    QDir().mkpath(TablePath("Dados.2024"));
    Open(TablePath("Dados.2024/BR101"));
    EXPECT_EQ(Ativar().text(), "Desativar");
    EXPECT_EQ(survey->TbDados.TableName(), TablePath("Dados.2024/BR101.DB"));
    EXPECT_TRUE(QFileInfo::exists(TablePath("Dados.2024/BR101.DB")));
    EXPECT_TRUE(survey->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(survey->isModal());
    ASSERT_NE(Vars.MovingMarker, nullptr); // the window makes the marker

    Click(survey->CBOdom1);
    Click(survey->CBOdom2);
    Click(survey->RBOdom2);
    EXPECT_TRUE(Survey.L1 && Survey.L2 && !Survey.L3);
    EXPECT_TRUE(!Survey.R1 && Survey.R2 && !Survey.R3);

    Report(-40, -20);
    EXPECT_EQ(survey->LabelPKAtu->text(), "0.0");
    Key(Qt::Key_F5, survey->GridDados);
    EXPECT_EQ(survey->CalcPK->text(), "0.0");
    EXPECT_EQ(survey->focusWidget(), survey->CalcPK);
    QTest::keyClicks(survey->CalcPK, "101.5");
    Key(Qt::Key_F6);
    EXPECT_EQ(survey->LabelPKAtu->text(), "101.5");
    EXPECT_EQ(survey->focusWidget(), survey->BtNovo);

    Report(-40, -20 + 1.3 * KM_NORTH);
    EXPECT_EQ(survey->LabelPKAtu->text(), "102.8");
    EXPECT_EQ(survey->EdOdom1->text(), "1.3");
    EXPECT_EQ(survey->EdOdom3->text(), "0.0");
    // The main window's readouts stay as they were while the survey runs.
    EXPECT_EQ(form->EdLat->text(), "");
    EXPECT_FALSE(survey->EdLat->text().isEmpty());

    Key(Qt::Key_F7);
    EXPECT_EQ(survey->focusWidget(), survey->EdObs);
    QTest::keyClicks(survey->EdObs, "Ponte");
    Key(Qt::Key_F8);
    EXPECT_EQ(survey->focusWidget(), survey->BtNovo);
    Report(-40, -20 + 2 * KM_NORTH);
    Key(Qt::Key_F9);
    EXPECT_EQ(survey->EdObs->text(), "{Esp}");
    Picture(*survey, "survey-window-wide");

    // The record still being appended is posted when the window closes.
    Ativar().trigger();
    EXPECT_FALSE(survey->IsOpen());
    EXPECT_FALSE(survey->isVisible());
    EXPECT_EQ(Ativar().text(), "Ativar");
    EXPECT_EQ(Records(TablePath("Dados.2024/BR101.DB")),
        (QStringList { "000001|102.8|1.3|Ponte", "000002|103.5|2|{Esp}" }));

    TDbTable table;
    table.SetTableName(TablePath("Dados.2024/BR101.DB"));
    table.Open();
    table.First();
    EXPECT_EQ(table.FieldValue("Lon").toInt(), DegToGU(-40));
    EXPECT_EQ(table.FieldValue("Lat").toInt(), DegToGU(-20 + 1.3 * KM_NORTH));
    EXPECT_LE(std::abs(table.FieldValue("Hora").toDateTime().secsTo(QDateTime::currentDateTime())), 60);
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
}

TEST_F(SurveyWindowTest, WhileVisibleItTakesTheReportsAndTheMainDisplayStaysAsItWas)
{
    // The main window's display after a step north.
    Report(10, 0);
    Report(10, 0.001);
    const auto mainDisplay = [&] {
        return QStringList { form->EdLat->text(), form->EdLon->text(), form->EdVeloc->text(), form->EdHoraGPS->text(),
            form->PanelHeading->text(), QString::number(form->Bussola->Heading()),
            QString::number(Vars.TrackObject ? Vars.TrackObject->Chains.Chain(0).Count() : 0) };
    };
    const QStringList before = mainDisplay();
    ASSERT_EQ(before.mid(4), (QStringList { "0°", "0", "1" }));
    TPointPresenter* marker = dynamic_cast<TPointPresenter*>(
        Globe().LayerStore()->LayerByName("Trilha")->FindPresenter(Vars.PrMovelID));
    ASSERT_NE(marker, nullptr);

    // Two steps east while the survey window shows: the survey reads them and
    // moves the marker; the main window's readouts, compass and track stay.
    Open("");
    Report(10.001, 0.001, 30, 90);
    Report(10.002, 0.001, 30, 90);
    EXPECT_EQ(mainDisplay(), before);
    EXPECT_EQ(survey->EdLon->text(), GpsCoordText(u"Lon", 10.002));
    EXPECT_EQ(survey->EdVeloc->text(), "30.00 km/h");
    EXPECT_EQ(Vars.MovingMarker->GetCentroid(), (TGeoPoint { DegToGU(10.002), DegToGU(0.001), 0 }));
    EXPECT_EQ(marker->PointFont.FontAngle(), 3600);

    // Closed with the window's own close: the main window shows the reports
    // again, measured from the survey's last fix.
    survey->close();
    ASSERT_FALSE(survey->isVisible());
    Report(10.0021, 0.001);
    EXPECT_EQ(form->EdLon->text(), GpsCoordText(u"Lon", 10.0021));
    EXPECT_EQ(form->PanelHeading->text(), "90°");
    EXPECT_NEAR(Vars.SpeedShown, 40.1, 0.5); // 0.0001° of the equator in one second
    EXPECT_EQ(mainDisplay().last(), "2");

    // Only a window on the screen takes the reports.
    Open("");
    survey->hide();
    Report(10.0021, 0.0011);
    EXPECT_EQ(form->EdLat->text(), GpsCoordText(u"Lat", 0.0011));
    EXPECT_EQ(form->PanelHeading->text(), "0°");
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
}

TEST_F(SurveyWindowTest, ReadoutsShowTheReportAsItCame)
{
    Open("");
    EXPECT_EQ(survey->TbDados.TableName(), TAppPaths::DataFile("TbDados.DB")); // a cancelled choice
    const double before = Survey.CurrentPK;
    Report(0, 0); // a receiver with no data
    EXPECT_EQ(survey->EdHoraGPS->text(), "");
    // The fix time is the report's own local time.
    form->Navigation->GPSMinGPSData(form, false, dayCount(QDate(2024, 3, 9)) + 0.5, -20, 40, 87.456, 93, 0);
    EXPECT_EQ(survey->EdHoraGPS->text(), "09/03/24 12:00:00");
    EXPECT_EQ(survey->EdVeloc->text(), "87.46 km/h");
    EXPECT_EQ(survey->Bussola->Heading(), 93);
    EXPECT_EQ(Vars.CourseDeg, 93);
    EXPECT_EQ(Survey.CurrentPK, before); // the first report has nothing to measure from
    EXPECT_EQ(Vars.MovingMarker->GetCentroid(), (TGeoPoint { DegToGU(-40), DegToGU(-20), 0 }));
    EXPECT_EQ(survey->Bussola->MkColor(), QColor(Qt::white));
}

TEST_F(SurveyWindowTest, InversoLowersThePostWhileTheOdometersGrow)
{
    Open("");
    Click(survey->CBOdom1);
    Click(survey->CBOdom3);
    Click(survey->CBInverso);
    Survey.CurrentPK = 100;
    Report(10, 0);
    Report(10, 1.3 * KM_NORTH);
    EXPECT_NEAR(Survey.CurrentPK, 98.7, 1e-4);
    EXPECT_NEAR(Survey.O1, 1.3, 1e-4);
    EXPECT_EQ(Survey.O2, 0);
    EXPECT_NEAR(Survey.O3, 1.3, 1e-4);
    EXPECT_EQ(survey->LabelPKAtu->text(), "98.7");
    EXPECT_EQ(survey->EdOdom1->text(), "1.3");
    Click(survey->BtOdom3);
    EXPECT_EQ(Survey.O3, 0);
    EXPECT_EQ(survey->EdOdom3->text(), "0.0");
}

TEST_F(SurveyWindowTest, F6WithAWordKeepsThePostAndSaysWhy)
{
    Open("");
    struct Case {
        const char* typed;
        double post; // after F6
    };
    Survey.CurrentPK = 12.5;
    for (const Case& c : { Case { "doze", 12.5 }, Case { "", 12.5 }, Case { "1e999", 12.5 }, Case { "12.5.3", 12.5 },
             Case { " 7.25 ", 7.25 }, Case { "-3", -3 } }) {
        messages.clear();
        survey->CalcPK->setText(c.typed);
        Key(Qt::Key_F6, survey->CalcPK);
        EXPECT_EQ(Survey.CurrentPK, c.post) << c.typed;
        EXPECT_EQ(messages.size(), c.post == 12.5 ? 1 : 0) << c.typed;
        Survey.CurrentPK = 12.5;
    }
    survey->CalcPK->setText("doze");
    Key(Qt::Key_F6, survey->CalcPK);
    EXPECT_EQ(messages.value(0), "\"doze\" não é um número de quilômetro. O Km Atual continua 12.5.");
}

TEST_F(SurveyWindowTest, FastStraightDrivingMarksTheTrackAtWholeKilometresAndTurns)
{
    Open(TablePath("BR116"));
    Click(survey->CbTrilha);
    Survey.CurrentPK = 0.72;
    // 80 km/h north in steps of 100 m (the first report measures nothing):
    // posts 0.82 .. 1.32 straight on, then a turn of 5 degrees at 1.42 and
    // straight on again at 1.52. Points: the first, km 1.0 and the turn.
    double lat = 0;
    Report(10, lat, 80, 0);
    for (int i = 0; i < 6; ++i)
        Report(10, lat += 0.1 * KM_NORTH, 80, 0);
    Report(10, lat += 0.1 * KM_NORTH, 80, 5);
    Report(10, lat += 0.1 * KM_NORTH, 80, 5);
    ASSERT_NE(Vars.TrackObject, nullptr);
    EXPECT_EQ(Records(TablePath("BR116Tr.DB")), (QStringList { "|0.8", "|1", "|1.4" }));
    EXPECT_EQ(Vars.TrackObject->Chains.Chain(0).Count(), 3);

    // A new record always marks the track, with its reference.
    Key(Qt::Key_F7, survey->GridDados);
    Key(Qt::Key_F8);
    EXPECT_EQ(Records(TablePath("BR116Tr.DB")).last(), "000001|1.5");
    EXPECT_EQ(Vars.TrackObject->Chains.Chain(0).Count(), 4);
    GlobePicture("survey-track-globe");

    Click(survey->BtLimparTrilha);
    EXPECT_TRUE(Records(TablePath("BR116Tr.DB")).isEmpty());
    EXPECT_EQ(Vars.TrackObject->Chains.Chain(0).Count(), 0);
}

TEST_F(SurveyWindowTest, ReopeningLoadsTheTrackBeforeTheNextPoint)
{
    Open(TablePath("BR040"));
    Click(survey->CbTrilha);
    Report(10, 0, 20);
    Report(10, 0.1 * KM_NORTH, 20);
    Ativar().trigger();
    Vars.TrackObject->Chains.Chain(0).SetCount(0);
    Open(TablePath("BR040"));
    Report(10, 0.2 * KM_NORTH, 20);
    EXPECT_EQ(Records(TablePath("BR040Tr.DB")).size(), 2);
    EXPECT_EQ(Vars.TrackObject->Chains.Chain(0).Count(), 2);
}

TEST_F(SurveyWindowTest, ChangingTheRoadPostsThePendingRecordFirst)
{
    Open(TablePath("BR101"));
    Key(Qt::Key_F9, survey->GridDados);
    AnswerFileDialog(*survey->OpenDialogTbDados, TablePath("BR116.db"));
    form->findChild<QAction*>("MudarTabeladeDados1")->trigger();
    EXPECT_EQ(survey->TbDados.TableName(), TablePath("BR116.db"));
    EXPECT_TRUE(survey->TbDados.Active());
    EXPECT_EQ(Records(TablePath("BR101.DB")), QStringList { "000001|0||{Esp}" });
    EXPECT_TRUE(Records(TablePath("BR116.db")).isEmpty());
}

TEST_F(SurveyWindowTest, BtTamNarrowsToTheLeftPanelAndWidensAgain)
{
    Open("");
    EXPECT_EQ(survey->width(), TFormRastr::WideWidth);
    EXPECT_EQ(survey->BtTam->text(), "<-");
    Click(survey->BtTam);
    QApplication::processEvents();
    EXPECT_EQ(survey->width(), survey->PanelEsq->width() + 8);
    EXPECT_EQ(survey->BtTam->text(), "->");
    Picture(*survey, "survey-window-narrow");
    Click(survey->BtTam);
    QApplication::processEvents();
    EXPECT_EQ(survey->width(), TFormRastr::WideWidth);
    EXPECT_EQ(survey->BtTam->text(), "<-");
}

TEST_F(SurveyWindowTest, TheGridShowsTheTableColumnsAndFollowsTheRecord)
{
    Open(TablePath("BR153"));
    for (int i = 0; i < 3; ++i) {
        Key(Qt::Key_F7, survey->GridDados);
        Key(Qt::Key_F8);
    }
    TDbGridModel& model = survey->GridDados->Model();
    ASSERT_EQ(model.columnCount(), 4);
    const std::pair<const char*, int> columns[] = { { "Refer", 43 }, { "PK", 41 }, { "Odom", 49 }, { "Obs", 162 } };
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(), columns[c].first);
        EXPECT_EQ(survey->GridDados->columnWidth(c), columns[c].second);
    }
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(survey->GridDados->currentIndex().row(), 2);
    Click(survey->NavDados->Button(TDbNavigator::nbFirst));
    EXPECT_EQ(survey->EdRefer->text(), "000001");
    EXPECT_EQ(survey->GridDados->currentIndex().row(), 0);
}

namespace {

// The latitudes (minutes past 40°N) and longitude of a log's RMC sentences.
std::vector<double> RmcLatitudeMinutes(const QByteArray& log)
{
    std::vector<double> minutes;
    for (const QByteArray& line : log.split('\n'))
        if (line.startsWith("$GPRMC"))
            minutes.push_back(line.split(',')[3].mid(2).toDouble());
    return minutes;
}

} // namespace

TEST_F(SurveyWindowTest, ARealLogOverAPseudoTerminalIsSurveyedWithTheOperatorsKeys)
{
    QFile file(QStringLiteral(BRUMEX_SOURCE_DIR "/data/nmea/garmin-geko201.nmea"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray log = file.readAll();
    const std::vector<double> lat = RmcLatitudeMinutes(log);
    ASSERT_EQ(lat.size(), 18u);
    const double lon = -(3 + 39.1630 / 60);

    TPseudoTerminal pty;
    ASSERT_TRUE(pty.Open());
    Windows().FormConfig->SetDevice(0, pty.SlavePath());
    Windows().FormConfig->ApplySerialPort();
    Open(TablePath("A6"));
    Click(survey->SwGPS);
    ASSERT_TRUE(form->GPS.Active()) << form->GPS.OpenErrorText().toStdString();
    Click(survey->CbTrilha);
    Click(survey->CBOdom1);
    Click(survey->RBOdom1);

    // The operator's keys after chosen fixes (counted from 1).
    std::vector<TGeoPoint> fixes;
    const auto typed = [&] {
        switch (fixes.size()) {
        case 3: // at a known post
            Key(Qt::Key_F5, survey->GridDados);
            survey->CalcPK->selectAll();
            QTest::keyClicks(survey->CalcPK, "42.3");
            Key(Qt::Key_F6);
            break;
        case 6:
            Key(Qt::Key_F7);
            QTest::keyClicks(survey->EdObs, "Placa km 42");
            Key(Qt::Key_F8);
            break;
        case 12:
            Key(Qt::Key_F9);
            Picture(*survey, "survey-window-replay"); // in the middle of the drive
            break;
        case 15:
            Key(Qt::Key_F8);
            break;
        }
    };
    form->GPS.OnMinGPSData = [&](TGPS* s, bool w, TDateTime t, double la, double lo, double sp, double c, double m) {
        form->Navigation->GPSMinGPSData(s, w, t, la, lo, sp, c, m);
        if (la == 0 && lo == 0)
            return;
        fixes.push_back(Vars.CurrentFix);
        typed();
    };
    TNmeaReplay replay(replaySchedule(log.toStdString(), { 0, 6000 }), 6000,
        [&pty](std::string_view bytes) { pty.Write(bytes); });
    bool finished = false;
    replay.OnFinished = [&] { finished = true; };
    replay.Start();
    QElapsedTimer clock;
    clock.start();
    while (!(finished && fixes.size() >= lat.size()) && clock.elapsed() < 60000)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    ASSERT_EQ(fixes.size(), lat.size());
    Picture(*survey, "survey-window-pty");
    const int32_t south = DegToGU(40 + lat.front() / 60), north = DegToGU(40 + lat.back() / 60);
    Globe().ZoomToRect(DegToGU(lon) - (north - south), south - 50, 2 * (north - south), north - south + 100);
    Globe().CenterOn(DegToGU(lon), (south + north) / 2);
    Globe().Redraw();
    GlobePicture("survey-globe-pty");
    EXPECT_EQ(form->EdLat->text(), ""); // the main window showed none of it

    // 1' of latitude is 1.852 km; the post runs from fix 3, the odometer from fix 1.
    const auto km = [&](std::size_t from, std::size_t to) { return (lat[to - 1] - lat[from - 1]) * 1.852; };
    EXPECT_NEAR(Survey.CurrentPK, 42.3 + km(3, 18), 2e-4);
    EXPECT_NEAR(Survey.O1, km(1, 18), 2e-4);
    Ativar().trigger();
    EXPECT_FALSE(form->GPS.Active());

    TDbTable table;
    table.SetTableName(TablePath("A6.DB"));
    table.Open();
    struct Expected {
        const char* refer;
        std::size_t fix;
        const char* obs;
    };
    const Expected records[] = { { "000001", 6, "Placa km 42" }, { "000002", 12, "{Esp}" } };
    ASSERT_EQ(table.RecordCount(), 2);
    table.First();
    for (const Expected& r : records) {
        EXPECT_EQ(table.FieldValue("Refer").toString(), r.refer);
        EXPECT_EQ(table.FieldValue("Obs").toString(), r.obs);
        EXPECT_EQ(table.FieldValue("Lon").toInt(), DegToGU(lon));
        EXPECT_EQ(table.FieldValue("Lat").toInt(), DegToGU(40 + lat[r.fix - 1] / 60)) << r.refer;
        EXPECT_EQ(table.FieldValue("PK").toDouble(), RoundToTenth(42.3 + km(3, r.fix))) << r.refer;
        EXPECT_EQ(table.FieldValue("Odom").toDouble(), RoundToTenth(km(1, r.fix))) << r.refer;
        table.Next();
    }

    // At 20 km/h every step is a track point, and each new record one more.
    TDbTable track;
    track.SetTableName(TablePath("A6Tr.DB"));
    track.Open();
    ASSERT_EQ(track.RecordCount(), 17 + 2);
    std::vector<int32_t> trackLat;
    QStringList refers;
    for (track.First(); !track.Eof(); track.Next()) {
        trackLat.push_back(track.FieldValue("Lat").toInt());
        refers << track.FieldValue("Refer").toString();
    }
    std::vector<int32_t> expected;
    for (std::size_t fix = 2; fix <= 18; ++fix) {
        expected.push_back(DegToGU(40 + lat[fix - 1] / 60));
        if (fix == 6 || fix == 12)
            expected.push_back(expected.back()); // the record's own point
    }
    EXPECT_EQ(trackLat, expected);
    // Each point carries the reference of the record current at the time.
    EXPECT_EQ(refers.mid(0, 7).join(QLatin1Char(',')), ",,,,,000001,000001");
    EXPECT_EQ(Vars.TrackObject->Chains.Chain(0).Count(), 19);
}
