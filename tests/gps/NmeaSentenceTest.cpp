#include "gps/NmeaSentence.h"
#include "gps/GpsDateTime.h"

#include <gtest/gtest.h>

using namespace nmea;

namespace {

std::vector<std::string> assemble(const std::vector<std::string>& chunks)
{
    TLineAssembler lines;
    std::vector<std::string> sentences;
    std::string sentence;
    for (const std::string& chunk : chunks) {
        lines.Append(chunk);
        while (lines.Next(sentence))
            sentences.push_back(sentence);
    }
    return sentences;
}

} // namespace

TEST(NmeaLineAssembler, CutsSentencesBetweenDollarAndCrLf)
{
    const std::vector<std::string> expected = { "GPGGA,1", "GPRMC,2" };
    EXPECT_EQ(assemble({ "$GPGGA,1\r\n$GPRMC,2\r\n" }), expected);
    // Boundary inside a sentence, between CR and LF, and right after CR LF.
    EXPECT_EQ(assemble({ "$GPG", "GA,1\r", "\n", "$GPRMC,2\r\n", "" }), expected);
    EXPECT_EQ(assemble({ "$GPGGA,1\r\n", "$GPRMC,2\r\n" }), expected);
}

TEST(NmeaLineAssembler, DropsGarbageAroundSentences)
{
    // Text before '$', a cut-off sentence spliced into the next, a lone LF, a
    // sentence not yet ended.
    EXPECT_EQ(assemble({ "+ 6: 28 (.....)\r\n$GPGGA,12$GPRMC,2\r\n$GPX\nY\r\n$GPGSV,3" }),
        (std::vector<std::string> { "GPRMC,2", "GPX\nY" }));
}

TEST(NmeaLineAssembler, ThrowsAwayOverlongLinesAndRecovers)
{
    const std::string flood = "$" + std::string(5000, 'A');
    EXPECT_EQ(assemble({ flood, "\r\n$GPGLL,1\r\n" }), std::vector<std::string> { "GPGLL,1" });
}

TEST(NmeaLineAssembler, TakesEverySentenceOfABlockOfAnySize)
{
    // 3000 sentences, about 100 KB, in one block and with garbage between
    // them: none is lost, whatever their number.
    std::string block;
    std::vector<std::string> expected;
    for (int i = 0; i < 3000; ++i) {
        expected.push_back("GPGGA," + std::to_string(i) + std::string(20, 'x'));
        block += (i % 7 == 0 ? "junk" : "") + ("$" + expected.back() + "\r\n");
    }
    ASSERT_GT(block.size(), 64u * 1024u);
    EXPECT_EQ(assemble({ block }), expected);
}

TEST(NmeaLineAssembler, KeepsUnscannedBytesWhenTheConsumerStops)
{
    TLineAssembler lines;
    lines.Append("$A,1\r\n$B,2\r\n");
    std::string sentence;
    ASSERT_TRUE(lines.Next(sentence));
    EXPECT_EQ(sentence, "A,1");
    lines.Append("$C,3\r\n");
    ASSERT_TRUE(lines.Next(sentence));
    EXPECT_EQ(sentence, "B,2");
    ASSERT_TRUE(lines.Next(sentence));
    EXPECT_EQ(sentence, "C,3");
    EXPECT_FALSE(lines.Next(sentence));
}

TEST(NmeaParseSentence, ChecksShapeAndChecksum)
{
    struct Case {
        const char* text;
        bool accepted;
    };
    const Case cases[] = {
        { "GPGLL,4916.45,N,12311.12,W,225444,A,*1D", true },
        { "GPGLL,4916.45,N,12311.12,W,225444,A,*1d", false }, // lower-case digits
        { "GPGLL,4916.45,N,12311.12,W,225444,A,*1E", false },
        { "GPGLL,4916.45,N,12311.12,W,225444,A,", true }, // no checksum at all
        { "GPBOD,,T,,M,,*", false }, // cut off before the digits
        { "GPBOD,,T,,M,,*4", false },
        { "GPGSA,A,3,,*3\x1b[H", false },
        { "PLCS,1,2", false }, // four-character address
        { "GPGGA", false },
        { "GPGGA,", false },
        { "GPGGAX,1", false },
        { "GPGGA,1", true },
    };
    for (const Case& c : cases) {
        TSentence sentence;
        EXPECT_EQ(parseSentence(c.text, sentence), c.accepted) << c.text;
    }
}

TEST(NmeaParseSentence, SplitsFieldsAfterTheAddress)
{
    TSentence sentence;
    ASSERT_TRUE(parseSentence("GPRTE,1,1,c,*37", sentence));
    EXPECT_EQ(sentence.talker, "GP");
    EXPECT_EQ(sentence.type, "RTE");
    EXPECT_EQ(sentence.fields, (std::vector<std::string> { "1", "1", "c", "" }));
}

TEST(NmeaParseSentence, IgnoresFieldsPastTheTable)
{
    std::string body = "GPXXX";
    for (int i = 0; i < 100; ++i)
        body += "," + std::to_string(i);
    TSentence sentence;
    ASSERT_TRUE(parseSentence(body, sentence));
    ASSERT_EQ(sentence.fields.size(), kMaxFields);
    EXPECT_EQ(sentence.fields.back(), "63");
}

TEST(NmeaNumbers, ReadDotDecimalsOnly)
{
    EXPECT_EQ(toDouble("4807.038"), 4807.038);
    EXPECT_EQ(toDouble(" -1.5 "), -1.5);
    EXPECT_EQ(toDouble("+2"), 2.0);
    EXPECT_EQ(toDouble("1e3"), 1000.0);
    for (const char* bad : { "", " ", "4807,038", "12abc", "nan", "inf", "1e999", "+-1", "0x10", "." })
        EXPECT_FALSE(toDouble(bad)) << bad;
    EXPECT_EQ(toDoubleOr0("12abc"), 0.0);
    EXPECT_EQ(toInt("08"), 8);
    EXPECT_EQ(toInt("-3"), -3);
    for (const char* bad : { "", "1.0", "99999999999", "a" })
        EXPECT_FALSE(toInt(bad)) << bad;
}

TEST(NmeaCoordinates, ConvertDegreesAndMinutesWithWestPositive)
{
    struct Case {
        const char *lat, *ns, *lon, *ew;
        double latitude, longitude;
    };
    const Case cases[] = {
        { "4807.038", "N", "01131.000", "E", 48.1173, -11.516666666666667 },
        { "3747.0873", "S", "17518.8938", "E", -37.784788333333, -175.31489666666667 },
        { "4916.45", "N", "12311.12", "W", 49.274166666666666, 123.18533333333333 },
        { "4134.49821229", "N", "09345.03351845", "W", 41.574970204833, 93.750558640833 },
        { "", "N", "12311.12", "W", 0, 0 },
        { "4916.45", "", "12311.12", "W", 0, 0 },
        { "abc", "N", "12311.12", "W", 0, 123.18533333333333 },
    };
    for (const Case& c : cases) {
        const TLatLon position = toLatLon(c.lat, c.ns, c.lon, c.ew);
        EXPECT_NEAR(position.latitude, c.latitude, 1e-9) << c.lat;
        EXPECT_NEAR(position.longitude, c.longitude, 1e-9) << c.lon;
    }
}

TEST(NmeaTime, ReadsHoursMinutesSecondsAndDecimals)
{
    struct Case {
        const char* field;
        bool valid;
        double seconds;
    };
    const Case cases[] = {
        { "225444", true, 22 * 3600 + 54 * 60 + 44 },
        { "225444.00", true, 22 * 3600 + 54 * 60 + 44 },
        { "030719.250", true, 3 * 3600 + 7 * 60 + 19.25 },
        { "000000", true, 0 },
        { "245444", false, 0 },
        { "226044", false, 0 },
        { "22544", false, 0 },
        { "2254a4", false, 0 },
        { "225444.", false, 0 },
        { "225444.1x", false, 0 },
        { "225444 ", false, 0 },
        { "", false, 0 },
    };
    for (const Case& c : cases) {
        const auto time = toTimeOfDay(c.field);
        ASSERT_EQ(time.has_value(), c.valid) << c.field;
        if (time) {
            EXPECT_NEAR(time->dayFraction * 86400, c.seconds, 1e-6) << c.field;
        }
    }
}

TEST(NmeaDate, GivesDayCountsWithACenturyPivot)
{
    EXPECT_EQ(toDate("191194"), dayCount(QDate(1994, 11, 19)));
    EXPECT_EQ(toDate("311214"), dayCount(QDate(2014, 12, 31)));
    EXPECT_EQ(toDate("220899"), dayCount(QDate(1999, 8, 22)));
    EXPECT_EQ(toDate("010180"), dayCount(QDate(1980, 1, 1)));
    EXPECT_EQ(toDate("010179"), dayCount(QDate(2079, 1, 1)));
    for (const char* bad : { "", "310299", "001294", "011394", "1911945", "19-194" })
        EXPECT_EQ(toDate(bad), 0) << bad;
}

TEST(GpsDateTime, DayCountsConvertToQDateTime)
{
    EXPECT_EQ(dayCount(QDate(1899, 12, 30)), 0);
    EXPECT_EQ(toQDateTime(dayCount(QDate(1994, 11, 19)) + 0.5),
        QDateTime(QDate(1994, 11, 19), QTime(12, 0), Qt::LocalTime));
    EXPECT_EQ(toQDateTime(-0.25), QDateTime(QDate(1899, 12, 29), QTime(18, 0), Qt::LocalTime));
    EXPECT_EQ(toQDateTime(1.0 / 86400 * 3661.5).time(), QTime(1, 1, 1, 500));
    EXPECT_FALSE(toQDateTime(std::nan("")).isValid());
    EXPECT_FALSE(toQDateTime(1e300).isValid());
}
