#include "app/Formatting.h"
#include "app/EditMask.h"
#include "app/FormConfig.h"
#include "app/Vars.h"
#include "geo/GlobeUnits.h"
#include "platform/Cp1252.h"

#include "../common/LocaleScope.h"
#include <QComboBox>
#include <QLineEdit>

#include <QLocale>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

constexpr int32_t DEG = GU_DEGREE;
constexpr int32_t MIN = GU_MINUTE;
constexpr int32_t SEC = GU_SECOND;

long double In(TGlobeUnitTypes unit, long double value)
{
    return value * GlobeUnitsPerUnit(unit);
}

} // namespace

TEST(FormatCoord, ExpandsEveryPlaceholder)
{
    const struct {
        int32_t angle;
        const char* pattern;
        const char* expected;
    } cases[] = {
        { -1, "%D\xB0%M.%I\x92%E",
            "0\xB0"
            "00.000\x92W" },
        { DEG + MIN + SEC + 15, "%D\xB0%M\x92%S.%Z\"%N",
            "1\xB0"
            "01\x92"
            "01.01\"N" },
        { -126900000, "%D\xB0%M.%I\x92%N",
            "23\xB0"
            "30.000\x92S" },
        // 2 degrees 3 minutes 4 seconds, 2 sixths and 7 GlobeUnits.
        { 2 * DEG + 3 * MIN + 4 * SEC + 2 * 250 + 7, "%d|%m|%s|%t|%u|%z|%i", "2|03|04|02|07|33|072" },
        { 2 * DEG, "%t%U", "0000" },
        { 200 * DEG, "%D%E", "200E" },
        { 12345678, "%x% %%|%", "x %|" },
        { INT32_MIN, "%D\xB0%M%E",
            "397\xB0"
            "40W" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatCoord(c.angle, c.pattern), c.expected) << c.pattern;
}

TEST(FormatCoord, CoordTextUsesTheLongitudeAndLatitudePatternsOfTheFormat)
{
    const TGeoPoint point { -(46 * DEG + 38 * MIN + 10 * SEC + 300), -(23 * DEG + 32 * MIN + 51 * SEC) };
    const struct {
        int format;
        const char* expected;
    } cases[] = {
        { 0,
            "46\xB0"
            "38.170\x92W 23\xB0"
            "32.850\x92S" },
        { 1,
            "46\xB0"
            "38\x92"
            "10.20\"W 23\xB0"
            "32\x92"
            "51.00\"S" },
        { 2,
            "46\xB0"
            "38\x92"
            "10\x94"
            "01W 23\xB0"
            "32\x92"
            "51\x94"
            "00S" },
        { 5,
            "46\xB0"
            "38\x92"
            "10\x94"
            "01W 23\xB0"
            "32\x92"
            "51\x94"
            "00S" },
        { -1,
            "46\xB0"
            "38\x92"
            "10\x94"
            "01W 23\xB0"
            "32\x92"
            "51\x94"
            "00S" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(toCp1252(CoordText(point, c.format)), c.expected) << c.format;
}

TEST(FormatCoord, GpsReadoutsUseTheAcuteAccentAndABlankBeforeTheLetter)
{
    const struct {
        const char* axis;
        double degrees;
        int format;
        const char* expected;
    } cases[] = {
        { "Lat", -23.5, 0,
            "23\xB0"
            "30.000 S" },
        { "Lon", -46.5, 0,
            "46\xB0"
            "30.000 W" },
        { "Lon", 46.75, 1,
            "46\xB0"
            "45\xB4"
            "00.00\" E" },
        { "Lat", 10.125, 2,
            "10\xB0"
            "07\xB4"
            "30\"00 N" },
        { "lon", 10, 0,
            "10\xB0"
            "00.000 N" }, // only "Lon" names the longitude
        { "Lon", 370.5, 0,
            "10\xB0"
            "30.000 E" }, // the degrees are taken modulo 360
        { "Lon", -46.5, 3, "E" },
        { "Lat", -23.5, -1, "N" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(toCp1252(GpsCoordText(QString(c.axis), c.degrees, c.format)), c.expected)
            << c.axis << " " << c.degrees << " " << c.format;
}

TEST(FormatCoord, EditPatternsFollowTheBeginningOfTheFormatText)
{
    const struct {
        QString text;
        const char* lon;
        const char* lat;
    } cases[] = {
        { "ddd°mm.mmm’;", "%D\xB0%M.%I\x92%E", "%D\xB0%M.%I\x92%N" },
        { "ddd°mm’ss.s\";", "%D\xB0%M\x92%S.%Z\"%E", "%D\xB0%M\x92%S.%Z\"%N" },
        { "ddd°mm’ss\"tt;", "%d\xB0%m\x92%s\x94%t%E", "%d\xB0%m\x92%s\x94%t%N" },
        // No format chosen, or a text of no format: format 0.
        { "", "%D\xB0%M.%I\x92%E", "%D\xB0%M.%I\x92%N" },
        { "ddd°mm’s", "%D\xB0%M.%I\x92%E", "%D\xB0%M.%I\x92%N" },
    };
    for (const auto& c : cases) {
        Vars = TVars {};
        const TCoordPatterns patterns = EditPatterns(c.text);
        EXPECT_EQ(patterns.Lon, c.lon) << c.text.toStdString();
        EXPECT_EQ(patterns.Lat, c.lat) << c.text.toStdString();
        EXPECT_EQ(Vars.LonPattern, c.lon);
        EXPECT_EQ(Vars.LatPattern, c.lat);
    }
}

TEST(FormatCoord, EditTextHasAFixedWidthMaskAndReadsBack)
{
    const std::string lat0 = CoordPatterns(0).Lat;
    const QString text = CoordEditText(12345678, lat0, 2);
    EXPECT_EQ(toCp1252(text),
        "02\xB0"
        "17.174\x92N");
    EXPECT_EQ(toCp1252(CoordEditMask(text)),
        "00\xB0"
        "00.000\x92>L;1");
    // The thousandths of a minute drop the last 18 GlobeUnits.
    EXPECT_EQ(ReadCoord(text, lat0), 12345660);

    const struct {
        int32_t angle;
        int format;
        bool longitude;
        const char* expected;
    } cases[] = {
        { -(5 * DEG + 7 * MIN), 0, true,
            "005\xB0"
            "07.000\x92W" },
        { 179 * DEG, 1, true,
            "179\xB0"
            "00\x92"
            "00.00\"E" },
        { 0, 2, false,
            "00\xB0"
            "00\x92"
            "00\x94"
            "00N" },
        { 123 * DEG, 0, false,
            "123\xB0"
            "00.000\x92N" }, // wider than its digits: left as it is
    };
    for (const auto& c : cases) {
        const TCoordPatterns patterns = CoordPatterns(c.format);
        EXPECT_EQ(
            toCp1252(CoordEditText(c.angle, c.longitude ? patterns.Lon : patterns.Lat, c.longitude ? 3 : 2)),
            c.expected);
    }
    // A pattern without a degree sign is not padded (and does not loop).
    EXPECT_EQ(CoordEditText(5 * DEG, "%D.%M", 3), "5.00");
    EXPECT_EQ(CoordEditText(5 * DEG, "", 3), "");
}

TEST(FormatCoord, EveryFormatReadsBackToItsOwnResolution)
{
    // Thousandths of a minute, hundredths of a second, sixths of a second.
    const int32_t resolution[] = { 90, 15, 250 };
    const int32_t values[] = { 12345678, -12345678, 0, 1, 89 * DEG + 59 * MIN + 59 * SEC + 1499, -971999999 };
    for (int format = 0; format < 3; ++format) {
        for (const int32_t v : values) {
            for (const bool longitude : { true, false }) {
                const TCoordPatterns patterns = CoordPatterns(format);
                const std::string& pattern = longitude ? patterns.Lon : patterns.Lat;
                const QString text = CoordEditText(v, pattern, longitude ? 3 : 2);
                EXPECT_EQ(ReadCoord(text, pattern), v - v % resolution[format])
                    << format << " " << toCp1252(text);
            }
        }
    }
}

TEST(FormatCoord, ReadingStopsQuietlyWhereTheTextLeavesThePattern)
{
    const std::string lat0 = CoordPatterns(0).Lat;
    const struct {
        const char* text;
        int32_t expected;
    } cases[] = {
        { "02\xB0"
          "17x174\x92N",
            2 * DEG + 17 * MIN },
        { "02\xB0"
          "17.174\x92Q",
            -(2 * DEG + 17 * MIN + 174 * 90) },
        { "02\xB0"
          "17.174\x92s",
            -(2 * DEG + 17 * MIN + 174 * 90) },
        { "02\xB0"
          "17.174\x92n",
            2 * DEG + 17 * MIN + 174 * 90 },
        { "", 0 },
        { "ab", 0 },
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadCoord(fromCp1252(c.text), lat0), c.expected) << c.text;
}

TEST(EditMask, ClassicMasksBecomeInputMasks)
{
    const struct {
        QString classic;
        QString input;
    } cases[] = {
        { "00°00.000’>L;1", "99°99.999’>A;_" },
        { "000°00’00.00\">L;1", "999°99’99.99\">A;_" },
        { "00;1;*", "99;*" },
        { "00;0", "99;_" },
        { "00", "99;_" },
        { "\\L0", "L9;_" },
        { "Ll Aa Cc 9#", "Aa Nn Xx 0#;_" },
        { "N0x", "\\N9\\x;_" },
        { "<>0!", "!9;_" },
        { "_0", " 9;_" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(QtInputMask(c.classic), c.input) << c.classic.toStdString();
}

TEST(EditMask, ACoordinateFieldTakesOnlyWhatItsMaskAllows)
{
    const QString text = CoordEditText(12345678, CoordPatterns(0).Lat, 2);
    QLineEdit edit;
    ApplyEditMask(edit, CoordEditMask(text));
    edit.setText(text);
    EXPECT_EQ(edit.text(), text);
    EXPECT_TRUE(edit.hasAcceptableInput());

    edit.clear();
    edit.setFocus();
    edit.home(false);
    // The literals stand in place, the hemisphere letter turns upper case,
    // and a field with places left open is not acceptable.
    QTest::keyClicks(&edit, "19");
    EXPECT_FALSE(edit.hasAcceptableInput());
    QTest::keyClicks(&edit, "47123s");
    EXPECT_EQ(edit.text(), QString::fromUtf8("19°47.123’S"));
    EXPECT_TRUE(edit.hasAcceptableInput());
    EXPECT_EQ(ReadCoord(edit.text(), CoordPatterns(0).Lat), -(19 * DEG + 47 * MIN + 123 * 90));
}

TEST(UnitTexts, DistanceHasOneDecimalFromTenUnitsUp)
{
    LocaleScope english(QLocale(QLocale::English, QLocale::UnitedStates));
    const struct {
        long double gu;
        int system;
        const char* expected;
    } cases[] = {
        { 900000, 2, "10.0 nm" }, { 899999, 2, "10.000 nm" }, { 45000, 2, "0.500 nm" },
        { 90000.0L * 1234.5L, 2, "1,234.5 nm" }, { 60000000, 0, "1,234.7 km" },
        { In(TGlobeUnitTypes::Kilometer, 9.5L), 0, "9.500 km" }, { 60000000, 1, "767.7 mi" },
        { In(TGlobeUnitTypes::Mile, 2.25L), 1, "2.250 mi" },
        { 60000000, 7, "1,234.7 km" }, // an unknown system counts as metric
    };
    for (const auto& c : cases)
        EXPECT_EQ(DistanceText(c.gu, c.system), c.expected) << c.expected;

    LocaleScope brazil(QLocale(QLocale::Portuguese, QLocale::Brazil));
    EXPECT_EQ(DistanceText(90000.0L * 1234.5L, 2), "1.234,5 nm");
    EXPECT_EQ(DistanceText(45000, 2), "0,500 nm");
}

TEST(UnitTexts, SpeedIsRoundedToWholeGlobeUnitsFirst)
{
    LocaleScope english(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(SpeedText(900000.4L, 2), "10.0 kt");
    EXPECT_EQ(SpeedText(90000.0L * 1500, 2), "1,500.0 kt");
    EXPECT_EQ(SpeedText(In(TGlobeUnitTypes::Kilometer, 80), 0), "80.0 km/h");
    EXPECT_EQ(SpeedText(In(TGlobeUnitTypes::Mile, 55), 1), "55.0 mi/h");
    EXPECT_EQ(SpeedText(0, 0), "0.0 km/h");
}

TEST(UnitTexts, MeasureTextChangesUnitAboveOneAndDropsDecimalsAboveAHundred)
{
    LocaleScope english(QLocale(QLocale::English, QLocale::UnitedStates));
    using U = TGlobeUnitTypes;
    const struct {
        long double gu;
        int system;
        const char* expected;
    } cases[] = {
        { In(U::Kilometer, 1500.4L), 0, "1500 km" },
        { In(U::Kilometer, 100.2L), 0, "100 km" },
        { In(U::Kilometer, 99.9L), 0, "99.900 km" },
        { In(U::Kilometer, 1.5L), 0, "1.500 km" },
        { In(U::Meter, 999), 0, "999.000 m" },
        { In(U::Meter, 2), 0, "2.000 m" },
        { In(U::Meter, 0.5L), 0, "50.000 cm" },
        { 0, 0, "0.000 cm" },
        { In(U::Mile, 150), 1, "150 mi" },
        { In(U::Mile, 1.5L), 1, "1.500 mi" },
        { In(U::Yard, 10), 1, "10.000 Yds" },
        { In(U::Yard, 0.5L), 1, "18.000'" },
        { In(U::NauticalMile, 150), 2, "150 nm" },
        { In(U::NauticalMile, 1.5L), 2, "1.500 nm" },
        { In(U::NauticalMile, 0.5L), 2, "3040.000\"" }, // feet above one yard
        { In(U::Yard, 0.5L), 2, "18.000'" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(MeasureText(c.gu, c.system), c.expected) << c.expected;

    LocaleScope brazil(QLocale(QLocale::Portuguese, QLocale::Brazil));
    EXPECT_EQ(MeasureText(In(U::NauticalMile, 0.5L), 2), "3040,000\"");
    EXPECT_EQ(MeasureText(In(U::Kilometer, 1.5L), 0), "1,500 km");
}

TEST(UnitTexts, CompassDegreesTurnTheLibraryBearingAround)
{
    const struct {
        int32_t bearing;
        double degrees;
        const char* shown;
    } cases[] = {
        { -90 * DEG, 90, "90°" },
        { 90 * DEG, 270, "270°" },
        { 0, 0, "0°" },
        { 180 * DEG, 180, "180°" },
        { -180 * DEG, 180, "180°" },
        { DEG / 2, 359.5, "360°" }, // ties to even
        { -DEG * 3 / 2, 1.5, "2°" },
        { -DEG / 2, 0.5, "0°" },
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(CompassDegrees(c.bearing), c.degrees) << c.bearing;
        EXPECT_EQ(HeadingText(CompassDegrees(c.bearing)), QString::fromUtf8(c.shown)) << c.bearing;
    }
}

TEST(UnitTexts, TheTextsFollowTheSettingsDialog)
{
    LocaleScope english(QLocale(QLocale::English, QLocale::UnitedStates));
    const TGeoPoint point { 10 * DEG, -(5 * DEG + 30 * MIN) };
    auto config = std::make_unique<TFormConfig>();
    FollowFormatChoicesOf(config.get());
    config->CBFormCoord->setCurrentIndex(1);
    config->CbUnMed->setCurrentIndex(2);
    EXPECT_EQ(toCp1252(CoordText(point)),
        "10\xB0"
        "00\x92"
        "00.00\"E 5\xB0"
        "30\x92"
        "00.00\"S");
    EXPECT_EQ(DistanceText(900000), "10.0 nm");
    EXPECT_EQ(EditPatterns().Lat, CoordPatterns(1).Lat);

    config->CBFormCoord->setCurrentIndex(-1); // a stored format of no item
    EXPECT_EQ(toCp1252(CoordText(point)),
        "10\xB0"
        "00\x92"
        "00\x94"
        "00E 5\xB0"
        "30\x92"
        "00\x94"
        "00S");
    EXPECT_EQ(GpsCoordText(u"Lat", -5.5), "N");
    EXPECT_EQ(EditPatterns().Lat, CoordPatterns(0).Lat);

    config.reset(); // without a dialog: format 0, metric units
    EXPECT_EQ(toCp1252(CoordText(point)),
        "10\xB0"
        "00.000\x92"
        "E 5\xB0"
        "30.000\x92S");
    EXPECT_EQ(DistanceText(60000000), "1,234.7 km");
}
