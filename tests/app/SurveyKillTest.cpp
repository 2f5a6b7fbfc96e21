// A survey killed with SIGKILL at random moments keeps every record it
// reported as saved and every track point, and its tables stay sound. Each
// run reopens the tables the run before left behind. BRUMEX_SURVEY_KILLS
// sets the number of runs (scripts/survey-kill.sh runs 20).
#include "survey/DbTable.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>

namespace {

QString IntegrityCheck(const QString& path)
{
    QString result;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "integrity");
        db.setDatabaseName(path);
        if (db.open()) {
            QSqlQuery query(db);
            if (query.exec("PRAGMA integrity_check") && query.next())
                result = query.value(0).toString();
        }
    }
    QSqlDatabase::removeDatabase("integrity");
    return result;
}

QStringList Column(const QString& path, const QString& field)
{
    TDbTable table;
    table.SetTableName(path);
    table.Open();
    QStringList values;
    for (table.First(); !table.Eof(); table.Next())
        values << table.FieldValue(field).toString();
    return values;
}

} // namespace

TEST(SurveyKillTest, EveryPostedRecordAndTrackPointSurvivesAKill)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString table = dir.path() + "/BR101.DB", track = dir.path() + "/BR101Tr.DB";
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_DATA_HOME", dir.path() + "/data");
    env.insert("XDG_CONFIG_HOME", dir.path() + "/config");
    env.insert("XDG_CACHE_HOME", dir.path() + "/cache");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    const int runs = qEnvironmentVariableIntValue("BRUMEX_SURVEY_KILLS") > 0
        ? qEnvironmentVariableIntValue("BRUMEX_SURVEY_KILLS")
        : 3;
    QRandomGenerator random(20240917);
    QStringList posted;
    int trackRows = 0;
    for (int run = 0; run < runs; ++run) {
        QProcess worker;
        worker.setProcessEnvironment(env);
        worker.start(SURVEY_KILL_WORKER, { table, BRUMEX_SOURCE_DIR "/data/nmea/garmin-geko201.nmea" });
        ASSERT_TRUE(worker.waitForStarted());
        // Killed some time after its first save of this run: mid-survey.
        QByteArray out;
        while (!out.contains("posted") && worker.state() == QProcess::Running && worker.waitForReadyRead(20000))
            out += worker.readAllStandardOutput();
        ASSERT_TRUE(out.contains("posted")) << run << worker.readAllStandardError().toStdString();
        QThread::msleep(random.bounded(50, 1500));
        ::kill(static_cast<pid_t>(worker.processId()), SIGKILL);
        ASSERT_TRUE(worker.waitForFinished(10000));
        out += worker.readAllStandardOutput();
        for (const QByteArray& line : out.split('\n')) {
            if (line.startsWith("posted "))
                posted << QString::fromLatin1(line.mid(7));
            if (line.startsWith("track "))
                trackRows = std::max(trackRows, line.mid(6).toInt());
        }

        ASSERT_EQ(IntegrityCheck(table), "ok") << run;
        ASSERT_EQ(IntegrityCheck(track), "ok") << run;
        const QStringList refers = Column(table, "Refer");
        for (const QString& refer : posted)
            EXPECT_TRUE(refers.contains(refer)) << refer.toStdString() << " lost in run " << run;
        EXPECT_GE(Column(track, "Refer").size(), trackRows) << run;
    }
    std::printf("%d kills, %lld records posted and kept, %d track points reported and kept\n", runs,
        static_cast<long long>(posted.size()), trackRows);
}
