#include "SurveyTableFixture.h"

#include "survey/SurveyExport.h"

#include <QFile>
#include <QProcess>
#include <QTimeZone>

namespace {

class SurveyExportTest : public SurveyTableFixture {
protected:
    void SetUp() override
    {
        // Times are local in the tables and UTC in GPX: one fixed zone.
        qputenv("TZ", "America/Sao_Paulo");
        survey.SetTableName(Path("BR101.DB"));
        CriaTbDados(survey);
        survey.Open();
        AddRecord("000001", -233280000, -122580000, 12.3, 101.5, "Ponte; \"rio\" Doce");
        AddRecord("000002", -233290000, -122570000, QVariant(), 101.6, "Placa km 102");
        AddRecord("000003", QVariant(), QVariant(), QVariant(), 0, QString()); // no position yet
        track.SetTableName(TrackTablePath(Path("BR101.DB")));
        CriaTbTrilha(track);
        track.Open();
        for (int i = 0; i < 3; ++i) {
            track.Append();
            track.SetFieldValue("Refer", "000001");
            track.SetFieldValue("Lon", -233280000 - 5000 * i);
            track.SetFieldValue("Lat", -122580000 + 5000 * i);
            track.SetFieldValue("PK", 101.5 + 0.1 * i);
            track.SetFieldValue("Hora", QDateTime(QDate(2024, 3, 9), QTime(14, 5, 7 + i)));
            track.Post();
        }
    }
    void TearDown() override { qunsetenv("TZ"); }

    void AddRecord(const QString& refer, const QVariant& lon, const QVariant& lat, const QVariant& odom,
        double pk, const QString& obs)
    {
        survey.Append();
        survey.SetFieldValue("Refer", refer);
        survey.SetFieldValue("Lon", lon);
        survey.SetFieldValue("Lat", lat);
        survey.SetFieldValue("Odom", odom);
        survey.SetFieldValue("PK", pk);
        survey.SetFieldValue("Hora", QDateTime(QDate(2024, 3, 9), QTime(14, 5, 0)));
        survey.SetFieldValue("Obs", obs);
        survey.Post();
    }

    static std::string Gpsbabel(const QStringList& args)
    {
        QProcess p;
        p.start("gpsbabel", args);
        EXPECT_TRUE(p.waitForFinished(30000)) << "gpsbabel is installed by scripts/setup.sh";
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        return p.readAllStandardOutput().toStdString();
    }

    TDbTable survey, track;
};

TEST_F(SurveyExportTest, CsvHoldsEveryRecordWithDegreesBesideGlobeUnits)
{
    EXPECT_EQ(SurveyCsv(survey, {}),
        "Refer;Lon;Lat;Longitude;Latitude;Odom;PK;Hora;Obs\r\n"
        "000001;-233280000;-122580000;-43.2000000;-22.7000000;12.3;101.5;2024-03-09 14:05:00;"
        "\"Ponte; \"\"rio\"\" Doce\"\r\n"
        "000002;-233290000;-122570000;-43.2018519;-22.6981481;;101.6;2024-03-09 14:05:00;Placa km 102\r\n"
        "000003;;;;;;0;2024-03-09 14:05:00;\r\n");
    const QByteArray comma = SurveyCsv(survey, { QLatin1Char(',') });
    EXPECT_TRUE(comma.startsWith("Refer,Lon,Lat,"));
    EXPECT_TRUE(comma.contains(",\"Ponte; \"\"rio\"\" Doce\"\r\n"));
}

TEST_F(SurveyExportTest, CsvIsUtf8)
{
    survey.First();
    survey.Edit();
    survey.SetFieldValue("Obs", "Ponte São João");
    survey.Post();
    EXPECT_TRUE(SurveyCsv(survey, {}).contains("Ponte S\xc3\xa3o Jo\xc3\xa3o"));
}

TEST_F(SurveyExportTest, GpsbabelReadsTheWaypointsAndTheTrack)
{
    survey.Close();
    track.Close();
    const QString gpx = Path("BR101.gpx");
    ExportSurvey(Path("BR101.DB"), gpx, {});
    EXPECT_EQ(Gpsbabel({ "-i", "gpx", "-f", gpx, "-o", "unicsv,utc=0", "-F", "-" }),
        "No,Latitude,Longitude,Name,Description,Notes,Date,Time\r\n"
        "1,-22.700000,-43.200000,\"000001\",\"Km 101.5 Od. 12.3\",\"Ponte; \"\"rio\"\" "
        "Doce\",2024/03/09,17:05:00\r\n"
        "2,-22.698148,-43.201852,\"000002\",\"Km 101.6\",\"Placa km 102\",2024/03/09,17:05:00\r\n");
    EXPECT_EQ(Gpsbabel({ "-t", "-i", "gpx", "-f", gpx, "-o", "unicsv,utc=0", "-F", "-" }),
        "No,Latitude,Longitude,Description,Date,Time\r\n"
        "1,-22.700000,-43.200000,\"Km 101.5\",2024/03/09,17:05:07\r\n"
        "2,-22.699074,-43.200926,\"Km 101.6\",2024/03/09,17:05:08\r\n"
        "3,-22.698148,-43.201852,\"Km 101.7\",2024/03/09,17:05:09\r\n");
    const QString text = [&] {
        QFile f(gpx);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return QString::fromUtf8(f.readAll());
    }();
    EXPECT_TRUE(text.contains("<cmt>Km 101.5 Od. 12.3</cmt>"));
    EXPECT_TRUE(text.contains(
        "<gpx xmlns=\"http://www.topografix.com/GPX/1/1\" version=\"1.1\" creator=\"Brumex\">"));
}

TEST_F(SurveyExportTest, WithoutATrackTableOnlyWaypoints)
{
    survey.Close();
    track.Close();
    QFile::remove(TrackTablePath(Path("BR101.DB")));
    ExportSurvey(Path("BR101.DB"), Path("so.gpx"), {});
    EXPECT_EQ(Gpsbabel({ "-t", "-i", "gpx", "-f", Path("so.gpx"), "-o", "unicsv", "-F", "-" }),
        "No,Latitude,Longitude\r\n");
}

TEST_F(SurveyExportTest, TheToolWritesCsvAndGpxAndKeepsAnOldFileOnFailure)
{
    survey.Close();
    track.Close();
    QProcess tool;
    tool.start(BRUMEX_TOOL, { "survey", "export", Path("BR101.DB"), Path("out.csv"), "--separator", "\t" });
    ASSERT_TRUE(tool.waitForFinished(30000));
    EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    QFile csv(Path("out.csv"));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    EXPECT_TRUE(csv.readLine().startsWith("Refer\tLon\tLat\t"));
    csv.close();

    tool.start(BRUMEX_TOOL, { "survey", "export", Path("Nada.DB"), Path("out.csv") });
    ASSERT_TRUE(tool.waitForFinished(30000));
    EXPECT_EQ(tool.exitCode(), 1);
    EXPECT_TRUE(tool.readAllStandardError().endsWith(
        "brumex-tool survey: A tabela " + Path("Nada.DB").toUtf8() + " não existe.\n"));
    EXPECT_TRUE(QFile::exists(Path("out.csv")));

    tool.start(BRUMEX_TOOL, { "survey", "export", Path("BR101.DB") });
    ASSERT_TRUE(tool.waitForFinished(30000));
    EXPECT_EQ(tool.exitCode(), 1);
}

} // namespace
