// brumex-tool gpx against the readers and writers of other programs:
// gpsbabel always, GDAL where it is installed.
#include "app/RouteFile.h"
#include "app/WaypointFile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::HasSubstr;

namespace {

struct TRun {
    int exitCode = -1;
    QString out;
    QString err;
};

TRun RunProgram(const QString& program, const QStringList& args)
{
    QProcess process;
    process.start(program, args);
    process.waitForFinished(60000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

TRun Tool(const QStringList& args) { return RunProgram(QStringLiteral(BRUMEX_TOOL), QStringList{"gpx"} + args); }

// gpsbabel's comma-separated listing of a GPX file (header line first),
// one text for a readable failure.
std::string Babel(const QString& gpx, const QString& kind)
{
    const TRun run = RunProgram("gpsbabel", {"-" + kind, "-i", "gpx", "-f", gpx, "-o", "unicsv", "-F", "-"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    return run.out.toStdString();
}

// gpsbabel's own GPX rewrite of a file, which keeps the coordinates to nine decimals.
void BabelRewrite(const QString& gpx, const QString& kind, const QString& out)
{
    const TRun run = RunProgram("gpsbabel", {"-" + kind, "-i", "gpx", "-f", gpx, "-o", "gpx", "-F", out});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
}

void WriteText(const QString& path, const char* text)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

class GpxTool : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable("gpsbabel").isEmpty())
            FAIL() << "gpsbabel is missing: run scripts/setup.sh";
    }
    QString File(const QString& name) const { return dir.filePath(name); }
    static std::string S(const QString& s) { return s.toStdString(); }

    QTemporaryDir dir;
    // Florianópolis and two islands: south and west are negative.
    const std::vector<TWaypointRecord> waypoints = {
        {-263250000, -149040000, "Ponte", 4},
        {-262440000, -148500000, "A\xE7ude S\xE3" "o Jo\xE3" "o", 1},
        {-262980000, -149580000, "Sem \xED" "cone", 77},
    };
};

} // namespace

TEST_F(GpxTool, ExportedWaypointsReadInGpsbabelAndBack)
{
    WriteWaypointFile(S(File("w.Wpt")), waypoints);
    const TRun run = Tool({"export", File("w.Wpt"), File("w.gpx")});
    ASSERT_EQ(run.exitCode, 0) << S(run.err);
    EXPECT_EQ(Babel(File("w.gpx"), "w"), "No,Latitude,Longitude,Name,Symbol\r\n"
                                         "1,-27.600000,-48.750000,\"Ponte\",\"Bridge\"\r\n"
                                         "2,-27.500000,-48.600000,\"Açude São João\",\"Anchor\"\r\n"
                                         "3,-27.700000,-48.700000,\"Sem ícone\",\"Waypoint\"\r\n");
    // Icon numbers travel in <type> with a fitting symbol name.
    QFile gpx(File("w.gpx"));
    ASSERT_TRUE(gpx.open(QIODevice::ReadOnly));
    const std::string text = gpx.readAll().toStdString();
    EXPECT_THAT(text, HasSubstr("<sym>Bridge</sym>\n        <type>4</type>"));
    EXPECT_THAT(text, HasSubstr("<sym>Anchor</sym>"));

    // Back from our file and from gpsbabel's rewrite of it, to the GlobeUnit.
    std::vector<TWaypointRecord> expected = waypoints;
    expected[2].Icon = 0; // an icon we do not have is not exported
    BabelRewrite(File("w.gpx"), "w", File("babel.gpx"));
    for (const QString& gpx : {File("w.gpx"), File("babel.gpx")}) {
        ASSERT_EQ(Tool({"import", gpx, File("back.Wpt")}).exitCode, 0);
        EXPECT_EQ(ReadWaypointFile(S(File("back.Wpt"))), expected) << S(gpx);
    }
}

TEST_F(GpxTool, ExportedRouteReadsInGpsbabelAndBack)
{
    const std::vector<TGeoPoint> route = {{-263250000, -149040000, 0}, {-262440000, -148500000, 0}, {1, -1, 0}};
    WriteRouteFile(S(File("r.Rot")), route);
    ASSERT_EQ(Tool({"export", File("r.Rot"), File("r.gpx")}).exitCode, 0);
    EXPECT_EQ(Babel(File("r.gpx"), "r"), "No,Latitude,Longitude,Name\r\n"
                                         "1,-27.600000,-48.750000,\"Ponto 0\"\r\n"
                                         "2,-27.500000,-48.600000,\"Ponto 1\"\r\n"
                                         "3,-0.000000,0.000000,\"Ponto 2\"\r\n");
    BabelRewrite(File("r.gpx"), "r", File("babel.gpx"));
    ASSERT_EQ(Tool({"import", File("babel.gpx"), File("back.Rot")}).exitCode, 0);
    EXPECT_EQ(ReadRouteFile(S(File("back.Rot"))), route);
}

TEST_F(GpxTool, GpxWrittenByGpsbabelImports)
{
    WriteText(File("in.csv"), "lat,lon,name\n-27.6,-48.75,Farol\n-27.5,-48.6,\xE2\x9C\x88 Aeroporto\n");
    for (const QString version : {"1.0", "1.1"}) {
        const QString gpx = File("babel" + version + ".gpx");
        ASSERT_EQ(RunProgram("gpsbabel", {"-i", "unicsv", "-f", File("in.csv"), "-o", "gpx,gpxver=" + version, "-F", gpx}).exitCode, 0);
        const TRun run = Tool({"import", gpx, File("in.Wpt")});
        ASSERT_EQ(run.exitCode, 0) << S(run.err);
        // The airplane has no Windows-1252 code: replaced, with a warning.
        EXPECT_THAT(S(run.err), HasSubstr("warning: point 1"));
        const std::vector<TWaypointRecord> expected = {{-263250000, -149040000, "Farol", 0},
                                                       {-262440000, -148500000, "? Aeroporto", 0}};
        EXPECT_EQ(ReadWaypointFile(S(File("in.Wpt"))), expected) << S(version);
    }
}

TEST_F(GpxTool, GdalReadsWhatWeWriteAndWritesWhatWeRead)
{
    if (QStandardPaths::findExecutable("ogr2ogr").isEmpty())
        GTEST_SKIP() << "GDAL is not installed";
    WriteWaypointFile(S(File("w.Wpt")), waypoints);
    ASSERT_EQ(Tool({"export", File("w.Wpt"), File("w.gpx")}).exitCode, 0);
    const TRun info = RunProgram("ogrinfo", {"-ro", "-al", "-q", File("w.gpx"), "waypoints"});
    ASSERT_EQ(info.exitCode, 0) << S(info.err);
    EXPECT_THAT(S(info.out), HasSubstr("name (String) = Ponte"));
    EXPECT_THAT(S(info.out), HasSubstr("name (String) = Açude São João"));
    EXPECT_THAT(S(info.out), HasSubstr("POINT (-48.75 -27.6)"));

    // A shapefile of points made by GDAL, then GPX from it.
    WriteText(File("pts.csv"), "name,x,y\nCais,-48.55,-27.59\nMorro,-48.5,-27.45\n");
    ASSERT_EQ(RunProgram("ogr2ogr", {"-f", "ESRI Shapefile", File("pts.shp"), File("pts.csv"), "-oo", "X_POSSIBLE_NAMES=x",
                              "-oo", "Y_POSSIBLE_NAMES=y", "-a_srs", "EPSG:4326"}).exitCode, 0);
    ASSERT_EQ(RunProgram("ogr2ogr", {"-f", "GPX", File("pts.gpx"), File("pts.shp")}).exitCode, 0);
    ASSERT_EQ(Tool({"import", File("pts.gpx"), File("pts.Wpt")}).exitCode, 0);
    const std::vector<TWaypointRecord> expected = {{-262170000, -148986000, "Cais", 0},
                                                   {-261900000, -148230000, "Morro", 0}};
    EXPECT_EQ(ReadWaypointFile(S(File("pts.Wpt"))), expected);
}

TEST_F(GpxTool, ErrorsSayWhatIsWrong)
{
    WriteText(File("bad.gpx"), "<gpx><wpt lat=\"1\" lon=\"2\"><name>x</name></wpt>");
    WriteWaypointFile(S(File("keep.Wpt")), waypoints);
    const struct {
        QStringList args;
        const char* message;
    } cases[] = {
        {{"import", File("bad.gpx"), File("keep.Wpt")}, "bad.gpx, line 1: "},
        {{"import", File("none.gpx"), File("x.Wpt")}, "none.gpx: cannot read"},
        {{"import", File("bad.gpx"), File("x.txt")}, "not a waypoint file (.Wpt) or route file (.Rot)"},
        {{"export", File("none.Wpt"), File("x.gpx")}, "none.Wpt: no such file"},
        {{"export", File("keep.Wpt")}, "usage:\n  gpx export"},
    };
    for (const auto& c : cases) {
        const TRun run = Tool(c.args);
        EXPECT_EQ(run.exitCode, 1) << S(c.args.join(' '));
        EXPECT_THAT(S(run.err), HasSubstr(c.message));
    }
    // A failed import leaves the file it would have replaced.
    EXPECT_EQ(ReadWaypointFile(S(File("keep.Wpt"))), waypoints);
    // A GPX without routes does not make an empty route file.
    WriteWaypointFile(S(File("w.Wpt")), waypoints);
    ASSERT_EQ(Tool({"export", File("w.Wpt"), File("w.gpx")}).exitCode, 0);
    const TRun noRoute = Tool({"import", File("w.gpx"), File("r.Rot")});
    EXPECT_THAT(S(noRoute.err), HasSubstr("w.gpx: no route"));
    EXPECT_FALSE(QFile::exists(File("r.Rot")));
}
