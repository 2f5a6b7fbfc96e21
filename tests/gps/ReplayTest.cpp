// Log replay: its schedule, and brumex-tool nmea replay feeding the receiver
// through a pseudo-terminal and a Telnet client over loopback TCP.
#include "NmeaTestSupport.h"

#include "gps/NmeaReplay.h"

#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

std::vector<double> starts(const std::vector<TReplayBurst>& bursts)
{
    std::vector<double> result;
    for (const TReplayBurst& burst : bursts)
        result.push_back(burst.start);
    return result;
}

std::string joined(const std::vector<TReplayBurst>& bursts)
{
    std::string bytes;
    for (const TReplayBurst& burst : bursts)
        bytes += burst.bytes;
    return bytes;
}

// Starts brumex-tool with args and returns the address it announces.
QString startTool(QProcess& tool, const QStringList& args)
{
    tool.start(BRUMEX_TOOL, args);
    if (!tool.waitForStarted(10000))
        return {};
    while (!tool.canReadLine())
        if (!tool.waitForReadyRead(10000))
            return {};
    return QString::fromUtf8(tool.readLine()).trimmed();
}

std::vector<std::string> withoutStatus(const std::vector<std::string>& lines)
{
    std::vector<std::string> result;
    for (const std::string& line : lines)
        if (line.find("\"OnStatus\"") == std::string::npos)
            result.push_back(line);
    return result;
}

} // namespace

TEST(ReplaySchedule, OneBurstPerFixAtTheLogsPace)
{
    const std::string log = withChecksum("GPGGA,235958,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,")
        + withChecksum("GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1") + "garbage\r\n"
        + withChecksum("GPRMC,235958,A,4916.45,N,12311.12,W,000.5,054.7,191194,020.3,E")
        + withChecksum("GPGGA,235959.5,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,")
        + withChecksum("GPGLL,4916.45,N,12311.12,W,000001.5,A,") // past midnight
        + withChecksum("GPRMC,120000,A,4916.45,N,12311.12,W,000.5,054.7,191194,,") // a jump
        + withChecksum("GPRMC,115959,A,4916.45,N,12311.12,W,000.5,054.7,191194,,") // back
        + "$GPGSV,1,1,00*79"; // unfinished last line
    const std::vector<TReplayBurst> bursts = replaySchedule(log, TReplayPace { 1, 0 });
    EXPECT_EQ(joined(bursts), log);
    EXPECT_EQ(starts(bursts), (std::vector<double> { 0, 1.5, 3.5, 4.5, 5.5 }));
    EXPECT_EQ(starts(replaySchedule(log, TReplayPace { 2, 0 })),
        (std::vector<double> { 0, 0.75, 1.75, 2.25, 2.75 }));
    EXPECT_EQ(starts(replaySchedule(log, TReplayPace { 0, 0 })), (std::vector<double> { 0, 0, 0, 0, 0 }));
    // A slow line stretches the pauses: the first burst needs its bytes' time.
    const std::vector<TReplayBurst> slow = replaySchedule(log, TReplayPace { 0, 300 });
    EXPECT_DOUBLE_EQ(slow[1].start, slow[0].bytes.size() / 30.0);
    EXPECT_EQ(replaySchedule("no sentences at all\n", TReplayPace {}).size(), 1u);
    EXPECT_TRUE(replaySchedule("", TReplayPace {}).empty());
}

TEST(ReplayTool, PlaysALogThroughAPseudoTerminalIntoTheReceiver)
{
    const std::string log = readTestFile("nmea/bu353s4.nmea");
    QProcess tool;
    const QString device = startTool(tool,
        { "nmea", "replay", BRUMEX_TEST_DATA "/nmea/bu353s4.nmea", "--speed", "20", "--baud", "38400" });
    ASSERT_TRUE(device.startsWith("/dev/")) << device.toStdString();
    TGPS gps;
    TEventLog events(gps);
    gps.SetPortDevice(TCommName::cnCOM4, device);
    gps.SetPort(TCommName::cnCOM4);
    gps.SetPortBaud(38400);
    gps.SetActive(true);
    ASSERT_TRUE(gps.Active()) << gps.OpenErrorText().toStdString();
    ASSERT_TRUE(waitFor([&] { return tool.state() == QProcess::NotRunning; }, 30000));
    EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();

    TGPS reference;
    TEventLog expected(reference);
    reference.ProcessBytes(log);
    EXPECT_EQ(withoutStatus(events.lines), expected.lines);
}

TEST(ReplayTool, ServesTelnetOnLoopback)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("feed.nmea");
    const std::string log = "$GPGLL,4916.45,N,12311.12,W,225444,A,*1D\r\n\xff\xfe odd bytes\r\n"
                            "$GPGLL,4916.45,N,12311.12,W,225445,A,*1C\r\n";
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(log.data(), static_cast<qint64>(log.size()));
    file.close();

    QProcess tool;
    const QString address = startTool(tool, { "nmea", "replay", path, "--tcp", "0", "--speed", "10" });
    ASSERT_TRUE(address.startsWith("telnet://127.0.0.1:")) << address.toStdString();
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(address.section(':', -1).toUInt()));
    ASSERT_TRUE(client.waitForConnected(5000));
    // A telnet client's usual opening: terminal type and window size offered.
    client.write(QByteArray("\xff\xfb\x18\xff\xfb\x1f\xff\xfd\x03", 9));
    QByteArray received;
    waitFor(
        [&] {
            received += client.readAll();
            return client.state() == QAbstractSocket::UnconnectedState
                && tool.state() == QProcess::NotRunning;
        },
        20000);
    received += client.readAll();
    EXPECT_EQ(tool.exitCode(), 0);

    // Every offer refused, the text as sent with its 0xFF doubled.
    for (const char* answer : { "\xff\xfe\x18", "\xff\xfe\x1f", "\xff\xfc\x03" }) {
        const qsizetype at = received.indexOf(QByteArray(answer, 3));
        ASSERT_GE(at, 0) << answer;
        received.remove(at, 3);
    }
    EXPECT_EQ(received.toStdString(),
        "$GPGLL,4916.45,N,12311.12,W,225444,A,*1D\r\n\xff\xff\xfe odd bytes\r\n"
        "$GPGLL,4916.45,N,12311.12,W,225445,A,*1C\r\n");
}

TEST(ReplayTool, RejectsBadArguments)
{
    for (const QStringList& args :
        { QStringList { "nmea", "replay" }, QStringList { "nmea", "replay", "x", "--speed", "-1" },
            QStringList { "nmea", "replay", "x", "--tcp", "70000" },
            QStringList { "nmea", "replay", "/nonexistent.nmea" }, QStringList { "nmea", "play" } }) {
        QProcess tool;
        tool.start(BRUMEX_TOOL, args);
        ASSERT_TRUE(tool.waitForFinished(10000));
        EXPECT_EQ(tool.exitCode(), 1) << args.join(' ').toStdString();
        EXPECT_FALSE(tool.readAllStandardError().isEmpty());
    }
}
