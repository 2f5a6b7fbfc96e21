// A survey run for the kill test: the program's windows with the survey
// window open on the given table, a real log looping over a pseudo-terminal
// into the receiver, and the operator's "Novo F7" + "Salvar F8" on every
// second fix. After each save it prints "posted REFER", after each report
// "track ROWS", once the table has them; the test kills it at any moment.
//
// Usage: survey_kill_worker TABLE.DB LOG.nmea (XDG_DATA_HOME and the
// settings folder are the caller's).
#include "app/AppWindows.h"
#include "app/BrumexApplication.h"
#include "app/FormBrumex.h"
#include "app/FormConfig.h"
#include "app/GpsNavigation.h"
#include "gps/NmeaReplay.h"
#include "gps/PseudoTerminal.h"
#include "survey/DbControls.h"
#include "survey/FormRastr.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QKeyEvent>
#include <QSettings>
#include <cstdio>

namespace {

void Press(QWidget* to, Qt::Key key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(to, &press);
}

// The RMC sentences only, so that many fixes a second fit the receiver's pace.
std::string RmcOnly(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    std::string log;
    for (const QByteArray& line : file.readAll().split('\n'))
        if (line.startsWith("$GPRMC"))
            log += line.toStdString() + "\n";
    return log;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    QApplication app(argc, argv);
    TBrumexApplication::SetIdentity();
    QSettings(QSettings::NativeFormat, QSettings::UserScope, "Morvenko", "Brumex")
        .setValue("Conf/AnimarGlobo", false);
    auto main = CreateAppWindows();
    main->FormActivate();
    main->show();
    TPseudoTerminal pty;
    if (!pty.Open())
        return 3;
    main->Windows().FormConfig->SetDevice(0, pty.SlavePath());
    main->Windows().FormConfig->ApplySerialPort();

    TFormRastr& survey = *main->Windows().FormRastr;
    survey.ShowMessage = [](const QString& message) { std::fprintf(stderr, "%s\n", qPrintable(message)); };
    survey.TbDados.SetTableName(QString::fromLocal8Bit(argv[1]));
    survey.show();
    survey.CbTrilha->click();
    survey.SwGPS->click();
    if (!main->GPS.Active())
        return 4;

    int fixes = 0;
    main->GPS.OnMinGPSData = [&](TGPS* s, bool w, TDateTime t, double la, double lo, double sp, double c, double m) {
        main->Navigation->GPSMinGPSData(s, w, t, la, lo, sp, c, m);
        if (la == 0 && lo == 0)
            return;
        if (survey.TbTrilha.Active())
            std::printf("track %d\n", survey.TbTrilha.RecordCount());
        if (++fixes % 2 == 0) {
            Press(survey.GridDados, Qt::Key_F7);
            Press(survey.GridDados, Qt::Key_F8);
            if (!survey.TbDados.Editing())
                std::printf("posted %s\n", qPrintable(survey.TbDados.FieldValue("Refer").toString()));
        }
        std::fflush(stdout);
    };
    TNmeaReplay replay(replaySchedule(RmcOnly(QString::fromLocal8Bit(argv[2])), { 0, 0 }), 4800,
        [&pty](std::string_view bytes) { pty.Write(bytes); });
    replay.SetLoop(true);
    replay.Start();
    return app.exec();
}
