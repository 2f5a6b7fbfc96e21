// The receiver against real captures: every log decodes without a failure
// escaping, and the positions of RMC and GGA agree with gpsd's decode.
#include "NmeaTestSupport.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <algorithm>
#include <gtest/gtest.h>
#include <optional>

namespace {

const char* const kLogs[] = {
    "GPSmap-76S",
    "bu353s4",
    "et-332",
    "garmin-geko201",
    "garmin38",
    "gp-320fw-2019-04-07-coldboot",
    "holux-gm-210",
    "hp58534a",
    "magellan-ec10",
    "neo-m8n",
    "nmea-fuzzy-cases",
    "telit-he910",
    "ublox-lea-4h",
};

struct Reference {
    std::string sentence; // as the log has it, without CR LF
    double latitude, longitude; // gpsd's, east positive
};

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> result;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        result.push_back(line);
        start = end + 1;
    }
    return result;
}

bool isPositionSentence(const std::string& line)
{
    return line.size() > 6 && (line.compare(3, 3, "RMC") == 0 || line.compare(3, 3, "GGA") == 0);
}

bool hasCoordinates(const std::string& line)
{
    return line.find(",N,") != std::string::npos || line.find(",S,") != std::string::npos;
}

// Each RMC or GGA with coordinates that gpsd answered with a position report
// before the next RMC or GGA.
std::vector<Reference> references(const std::string& chk)
{
    std::vector<Reference> result;
    std::optional<std::string> pending;
    for (const std::string& line : lines(chk)) {
        if (line.rfind("$", 0) == 0) {
            if (isPositionSentence(line))
                pending = hasCoordinates(line) ? std::optional(line) : std::nullopt;
            continue;
        }
        const QJsonObject report = QJsonDocument::fromJson(QByteArray::fromStdString(line)).object();
        if (pending && report.value("class") == "TPV" && report.contains("lat")) {
            result.push_back({ *pending, report.value("lat").toDouble(), report.value("lon").toDouble() });
            pending.reset();
        }
    }
    return result;
}

bool hasLowerCaseChecksum(const std::string& sentence)
{
    const std::size_t star = sentence.find('*');
    return star != std::string::npos && sentence.find_first_of("abcdef", star) != std::string::npos;
}

struct Decoded {
    int count = 0;
    double latitude = 0, longitude = 0;
};

Decoded decodePosition(const std::string& sentence)
{
    TGPS gps;
    Decoded decoded;
    gps.OnPosition = [&](TGPS*, TDateTime, double lat, double lon, TGPSQuality, int, double, double, double) {
        decoded = { decoded.count + 1, lat, lon };
    };
    gps.OnMinGPSData = [&](TGPS*, bool, TDateTime, double lat, double lon, double, double, double) {
        decoded = { decoded.count + 1, lat, lon };
    };
    gps.ProcessBytes(sentence + "\r\n");
    return decoded;
}

} // namespace

TEST(NmeaLogs, EveryLogDecodesInPortSizedChunks)
{
    for (const char* name : kLogs) {
        const std::string log = readTestFile(std::string("nmea/") + name + ".nmea");
        ASSERT_FALSE(log.empty()) << name;
        TGPS gps;
        TEventLog events(gps);
        for (std::size_t at = 0; at < log.size(); at += 64)
            EXPECT_NO_THROW(gps.ProcessBytes(std::string_view(log).substr(at, 64))) << name;
        EXPECT_FALSE(events.lines.empty()) << name;
    }
}

TEST(NmeaLogs, PositionsAgreeWithGpsd)
{
    int compared = 0;
    for (const char* name : kLogs) {
        const std::string log = readTestFile(std::string("nmea/") + name + ".nmea");
        for (const Reference& reference : references(readTestFile(std::string("nmea/") + name + ".chk"))) {
            ASSERT_NE(log.find(reference.sentence + "\r\n"), std::string::npos)
                << name << ": " << reference.sentence;
            const Decoded decoded = decodePosition(reference.sentence);
            if (hasLowerCaseChecksum(reference.sentence)) {
                // gpsd is lenient here; this receiver wants upper-case digits.
                EXPECT_EQ(decoded.count, 0) << reference.sentence;
                continue;
            }
            ASSERT_EQ(decoded.count, 1) << name << ": " << reference.sentence;
            EXPECT_NEAR(decoded.latitude, reference.latitude, 1e-6) << reference.sentence;
            EXPECT_NEAR(-decoded.longitude, reference.longitude, 1e-6) << reference.sentence;
            ++compared;
        }
    }
    EXPECT_GT(compared, 400);
}

TEST(NmeaLogs, ToolDecodeMatchesTheGoldenOutput)
{
    // Rebuild a golden file after a deliberate change with:
    //   brumex-tool nmea decode tests/data/nmea/NAME.nmea > tests/data/nmea/NAME.events.jsonl
    // telit-he910 is longer than 64 KiB: decoding must not depend on the
    // size of the file.
    for (const char* name : { "GPSmap-76S", "gp-320fw-2019-04-07-coldboot", "bu353s4", "telit-he910" }) {
        QProcess tool;
        tool.start(
            BRUMEX_TOOL, { "nmea", "decode", QStringLiteral(BRUMEX_TEST_DATA "/nmea/%1.nmea").arg(name) });
        ASSERT_TRUE(tool.waitForFinished(30000)) << name;
        EXPECT_EQ(tool.exitCode(), 0) << name;
        const QByteArray output = tool.readAllStandardOutput();
        const std::string golden = readTestFile(std::string("nmea/") + name + ".events.jsonl");
        ASSERT_FALSE(golden.empty()) << name;
        EXPECT_EQ(output.toStdString(), golden) << name;
    }
}

TEST(NmeaLogs, ToolDecodeOfALongLogGivesEveryFix)
{
    const std::string log = readTestFile("nmea/telit-he910.nmea");
    ASSERT_GT(log.size(), 64u * 1024u);
    QProcess tool;
    tool.start(BRUMEX_TOOL, { "nmea", "decode", QStringLiteral(BRUMEX_TEST_DATA "/nmea/telit-he910.nmea") });
    ASSERT_TRUE(tool.waitForFinished(30000));
    const QList<QByteArray> events = tool.readAllStandardOutput().split('\n');
    const auto count = [&events](const char* name) {
        return std::count_if(events.begin(), events.end(),
            [name](const QByteArray& line) { return line.startsWith(QByteArray("{\"event\":\"") + name); });
    };
    // One event per GGA and per RMC of the log, the first ones included.
    EXPECT_EQ(count("OnPosition"), 224);
    EXPECT_EQ(count("OnMinGPSData"), 224);
}

TEST(NmeaLogs, ToolDecodeReportsAMissingFile)
{
    QProcess tool;
    tool.start(BRUMEX_TOOL, { "nmea", "decode", "/nonexistent/log.nmea" });
    ASSERT_TRUE(tool.waitForFinished(30000));
    EXPECT_EQ(tool.exitCode(), 1);
    EXPECT_TRUE(tool.readAllStandardError().contains("cannot open /nonexistent/log.nmea"));
}
