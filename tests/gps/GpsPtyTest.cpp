// The receiver on a real serial device: a pseudo-terminal whose master side
// plays the part of the GPS.
#include "NmeaTestSupport.h"

#include "gps/NmeaReplay.h"
#include "gps/PseudoTerminal.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace {

bool isStatus(const std::string& line)
{
    return line.rfind("{\"event\":\"OnStatus\"", 0) == 0;
}

std::string status(const char* name)
{
    return std::string("{\"event\":\"OnStatus\",\"Status\":\"") + name + "\"}";
}

std::vector<std::string> withoutStatus(const std::vector<std::string>& lines)
{
    std::vector<std::string> result;
    for (const std::string& line : lines)
        if (!isStatus(line))
            result.push_back(line);
    return result;
}

// The events a log gives when decoded in one piece, for comparison.
std::vector<std::string> decodedEvents(const std::string& log)
{
    TGPS gps;
    TEventLog events(gps);
    gps.ProcessBytes(log);
    return events.lines;
}

class GpsOnPty : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.Open()) << pty.ErrorText().toStdString();
        gps.SetPortDevice(TCommName::cnCOM1, pty.SlavePath());
        gps.SetPortBaud(4800);
    }

    // Plays a log into the master at the given pace; returns once all of it
    // has been written and the receiver had time to take the rest.
    void play(const std::string& log, const TReplayPace& pace)
    {
        TNmeaReplay replay(replaySchedule(log, pace), pace.baud, [this](std::string_view bytes) {
            ASSERT_EQ(pty.Write(bytes), bytes.size());
            written += bytes;
        });
        bool finished = false;
        replay.OnFinished = [&] { finished = true; };
        replay.Start();
        ASSERT_TRUE(waitFor([&] { return finished; }, 60000));
        waitFor([] { return false; }, 3 * TGPS::kPollMs);
    }

    TPseudoTerminal pty;
    TGPS gps;
    std::string written;
};

} // namespace

TEST_F(GpsOnPty, StatusFollowsTheLinkAndSilenceClearsTheData)
{
    TEventLog log(gps);
    gps.SetTimeout(1);
    gps.SetClearDataOnNoComm(true);
    gps.SetActive(true);
    ASSERT_TRUE(gps.Active()) << gps.OpenErrorText().toStdString();
    ASSERT_TRUE(waitFor([&] { return !log.lines.empty(); }, 2000));
    EXPECT_EQ(log.lines, std::vector<std::string> { status("nsNoComm") });

    pty.Write("$GPGLL,4916.45,N,12311.12,W,225444,A,*1D\r\n$GPXYZ,1\r\n");
    ASSERT_TRUE(waitFor([&] { return log.lines.size() >= 3; }, 2000));
    EXPECT_EQ(log.lines[1].rfind("{\"event\":\"OnGeoPosition\",\"Valid\":true", 0), 0u) << log.lines[1];
    EXPECT_EQ(log.lines[2], "{\"event\":\"OnUnhandled\",\"Talker\":\"GP\",\"ID\":\"XYZ\",\"Data\":[\"1\"]}");
    ASSERT_TRUE(waitFor([&] { return log.lines.size() >= 4; }, 2000));
    EXPECT_EQ(log.lines[3], status("nsSentenceGPS")) << "the first sentence of the tick is reported";

    // Silent past the time-out: every tick clears every consumer and reports.
    const std::size_t before = log.lines.size();
    ASSERT_TRUE(waitFor([&] { return log.lines.size() >= before + 3 * 9; }, 3000));
    const std::vector<std::string> cleared(
        log.lines.begin() + static_cast<long>(before), log.lines.begin() + static_cast<long>(before) + 9);
    const std::vector<std::string> expected = {
        "{\"event\":\"OnPosition\",\"FixTime\":0,\"Latitude\":0,\"Longitude\":0,\"Quality\":\"gpsqNone\","
        "\"SatCount\":0,\"HDOP\":0,\"Altitude\":0,\"GeodidHeight\":0}",
        "{\"event\":\"OnSatteliteData\",\"SatCount\":0,\"SatteliteData\":[]}",
        "{\"event\":\"OnBearing\",\"BearingTrue\":0,\"BearingMag\":0,\"NameOrigin\":\"\",\"NameDest\":\"\","
        "\"Valid\":false}",
        "{\"event\":\"OnNavigationInfo\",\"Warning\":true,\"Arrived\":false,\"CTE\":0,\"OriginWaypoint\":"
        "\"\","
        "\"DestWaypoint\":\"\",\"DestLat\":0,\"DestLon\":0,\"RangeDest\":0,\"BearingDest\":0,\"Velocity\":0}",
        "{\"event\":\"OnMinGPSData\",\"Warning\":true,\"FixDateTime\":0,\"Latitude\":0,\"Longitude\":0,"
        "\"Speed\":0,\"Course\":0,\"MagVariation\":0}",
        "{\"event\":\"OnGeoPosition\",\"Valid\":false,\"FixTime\":0,\"Latitude\":0,\"Longitude\":0}",
        "{\"event\":\"OnDOP\",\"AutoSelect\":true,\"Fix3D\":false,\"PDOP\":0,\"HDOP\":0,\"VDOP\":0}",
        "{\"event\":\"OnBearingDistance\",\"Time\":0,\"Waypoint\":\"\",\"Latitude\":0,\"Longitude\":0,"
        "\"BearingTrue\":0,\"BearingMag\":0,\"Distance\":0}",
        status("nsNoComm"),
    };
    EXPECT_EQ(cleared, expected);
    EXPECT_EQ(std::vector<std::string>(log.lines.end() - 9, log.lines.end()), expected)
        << "repeated every tick";

    gps.SetActive(false);
    EXPECT_FALSE(gps.Active());
    EXPECT_EQ(log.lines.back(), status("nsNoPort"));
}

TEST_F(GpsOnPty, WithoutClearingSilenceOnlyReportsNoComm)
{
    std::vector<TNMEAStatus> statuses;
    int positions = 0;
    gps.OnStatus = [&](TGPS*, TNMEAStatus s) { statuses.push_back(s); };
    gps.OnMinGPSData = [&](TGPS*, bool, TDateTime, double, double, double, double, double) { ++positions; };
    gps.SetTimeout(1);
    gps.SetActive(true);
    ASSERT_TRUE(waitFor([&] { return statuses.size() >= 3; }, 3000));
    EXPECT_EQ(statuses, std::vector<TNMEAStatus>(statuses.size(), TNMEAStatus::nsNoComm));
    EXPECT_EQ(positions, 0);
}

TEST_F(GpsOnPty, OpenFailureReportsNoPort)
{
    std::vector<TNMEAStatus> statuses;
    gps.OnStatus = [&](TGPS*, TNMEAStatus s) { statuses.push_back(s); };
    gps.SetPortDevice(TCommName::cnCOM1, "/dev/brumex-no-such-port");
    gps.SetActive(true);
    EXPECT_FALSE(gps.Active());
    EXPECT_EQ(statuses, std::vector<TNMEAStatus> { TNMEAStatus::nsNoPort });
    EXPECT_TRUE(gps.OpenErrorText().contains("/dev/brumex-no-such-port"));
    waitFor([] { return false; }, 2 * TGPS::kPollMs);
    EXPECT_EQ(statuses.size(), 1u) << "a closed receiver raises nothing else";
}

TEST_F(GpsOnPty, LogAtFourThousandEightHundredBaudGivesItsEventsInOrder)
{
    const std::string log = readTestFile("nmea/garmin38.nmea").substr(0, 1300);
    TEventLog events(gps);
    gps.SetActive(true);
    ASSERT_TRUE(gps.Active());
    ASSERT_TRUE(waitFor([&] { return !events.lines.empty(); }, 2000));
    EXPECT_EQ(events.lines, std::vector<std::string> { status("nsNoComm") });
    play(log, TReplayPace { 4, 4800 });
    EXPECT_EQ(written, log);
    EXPECT_EQ(withoutStatus(events.lines), decodedEvents(log));
    EXPECT_NE(
        std::find(events.lines.begin(), events.lines.end(), status("nsSentenceGPS")), events.lines.end());
}

TEST_F(GpsOnPty, FastReceiverIsReadWithoutLag)
{
    // 115200 baud and ten fixes a second: about 3.7 kB/s, six times what
    // 64 bytes per tick could take.
    const std::string log = readTestFile("nmea/telit-he910.nmea").substr(0, 12000);
    int fixes = 0;
    int fixesWritten = 0;
    QElapsedTimer lastWrite;
    qint64 worstLagMs = 0;
    gps.OnMinGPSData = [&](TGPS*, bool, TDateTime, double, double, double, double, double) {
        ++fixes;
        if (fixes == fixesWritten)
            worstLagMs = std::max(worstLagMs, lastWrite.elapsed());
    };
    gps.SetPortBaud(115200);
    gps.SetActive(true);
    ASSERT_TRUE(gps.Active());
    TNmeaReplay replay(replaySchedule(log, TReplayPace { 10, 115200 }), 115200, [&](std::string_view bytes) {
        ASSERT_EQ(pty.Write(bytes), bytes.size());
        written += bytes;
        // Complete RMC sentences so far.
        fixesWritten = 0;
        for (std::size_t at = written.find("RMC"); at != std::string::npos; at = written.find("RMC", at + 1))
            fixesWritten += written.find('\n', at) != std::string::npos;
        lastWrite.start();
    });
    bool finished = false;
    replay.OnFinished = [&] { finished = true; };
    replay.Start();
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(waitFor([&] { return finished; }, 30000));
    const qint64 playMs = clock.elapsed();
    ASSERT_TRUE(waitFor([&] { return fixes == fixesWritten; }, 1000)) << fixes << " of " << fixesWritten;
    EXPECT_GT(fixesWritten, 30);
    EXPECT_LT(playMs, fixesWritten * 100 + 1000);
    // A tick every 100 ms takes all there is; a slower intake would fall
    // further behind with every fix.
    EXPECT_LT(worstLagMs, 600);
}

TEST_F(GpsOnPty, FailureInAHandlerIsReportedAndPollingGoesOn)
{
    std::vector<QString> failures;
    int calls = 0;
    gps.OnTickFailure = [&](TGPS* sender, const QString& message) {
        EXPECT_EQ(sender, &gps);
        failures.push_back(message);
    };
    gps.OnGeoPosition = [&](TGPS*, bool, TDateTime, double, double) {
        if (++calls == 1)
            throw std::runtime_error("handler failed");
    };
    gps.SetActive(true);
    ASSERT_TRUE(gps.Active());
    pty.Write("$GPGLL,4916.45,N,12311.12,W,225444,A,*1D\r\n");
    ASSERT_TRUE(waitFor([&] { return !failures.empty(); }, 2000));
    EXPECT_EQ(failures, std::vector<QString> { "handler failed" });
    pty.Write("$GPGLL,4916.45,N,12311.12,W,225444,A,*1D\r\n");
    ASSERT_TRUE(waitFor([&] { return calls == 2; }, 2000));
    EXPECT_EQ(failures.size(), 1u);
}

TEST_F(GpsOnPty, AReceiverPluggedInAgainIsReadAgain)
{
    int positions = 0;
    gps.OnGeoPosition = [&](TGPS*, bool, TDateTime, double, double) { ++positions; };
    gps.SetActive(true);
    ASSERT_TRUE(gps.Active());
    const std::string gll = "$GPGLL,4916.45,N,12311.12,W,225444,A,*1D\r\n";
    pty.Write(gll);
    ASSERT_TRUE(waitFor([&] { return positions == 1; }, 2000));

    // Unplugged: the device goes away, the component stays active and silent.
    pty.Close();
    waitFor([] { return false; }, 3 * TGPS::kPollMs);
    EXPECT_TRUE(gps.Active());
    // Plugged in again; the system names it anew here, as the settings would.
    TPseudoTerminal replugged;
    ASSERT_TRUE(replugged.Open());
    gps.SetPortDevice(TCommName::cnCOM1, replugged.SlavePath());
    ASSERT_TRUE(waitFor([&] { return replugged.HasReader(); }, 2000));
    replugged.Write(gll);
    ASSERT_TRUE(waitFor([&] { return positions == 2; }, 2000));
    EXPECT_TRUE(gps.Active());
}
