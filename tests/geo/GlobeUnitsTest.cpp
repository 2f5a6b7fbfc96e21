#include "geo/GlobeUnits.h"
#include "geo/GeoMath.h"
#include "platform/GlobeException.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>

TEST(GlobeUnits, UnitTableGivesGlobeUnitsAndAbbreviations)
{
    struct Row {
        TGlobeUnitTypes unit;
        const char* abbreviation;
        long double factor;
    };
    const Row rows[] = {
        { TGlobeUnitTypes::Degree, "D", 5400000 },
        { TGlobeUnitTypes::Minute, "MN", 90000 },
        { TGlobeUnitTypes::NauticalMile, "NM", 90000 },
        { TGlobeUnitTypes::Kilometer, "KM", 48596.11231101512L },
        { TGlobeUnitTypes::Mile, "MI", 78157.89483968144L },
        { TGlobeUnitTypes::Second, "S", 1500 },
        { TGlobeUnitTypes::Third, "T", 250 },
        { TGlobeUnitTypes::Hundreth, "H", 15 },
        { TGlobeUnitTypes::Thousanth, "T", 1 },
        { TGlobeUnitTypes::Meter, "M", 48.59611231101512L },
        { TGlobeUnitTypes::CentiMeter, "CM", 0.48596112311015116L },
        { TGlobeUnitTypes::Fathom, "F", 88.8157895905471L },
        { TGlobeUnitTypes::Yard, "YD", 44.40789479527355L },
        { TGlobeUnitTypes::Foot, "FT", 14.802631598424515L },
        { TGlobeUnitTypes::Inch, "IN", 1.233552633202043L },
        { TGlobeUnitTypes::GlobeUnit, "GU", 1 },
        { TGlobeUnitTypes::Pixel, "PI", 0 },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.abbreviation);
        EXPECT_EQ(UnitsToStr(r.unit), r.abbreviation);
        EXPECT_EQ(GlobeUnitsPerUnit(r.unit), r.factor);
    }
    // 1 nautical mile is 1,852 m and 1 km is 1/111.12 of a degree.
    EXPECT_EQ(UnitsToGU(TGlobeUnitTypes::Meter, 1852), 90000);
    EXPECT_EQ(UnitsToGU(TGlobeUnitTypes::Kilometer, 111.12L), 5400000);
    EXPECT_DOUBLE_EQ(static_cast<double>(GUToUnits(5400000, TGlobeUnitTypes::Kilometer)), 111.12);
}

TEST(GlobeUnits, PixelHasNoFixedSize)
{
    EXPECT_EQ(UnitsToGU(TGlobeUnitTypes::Pixel, 12), 0);
    EXPECT_TRUE(std::isinf(GUToUnits(7, TGlobeUnitTypes::Pixel)));
}

TEST(GlobeUnits, UnitsToGURoundsTiesToEven)
{
    EXPECT_EQ(UnitsToGU(TGlobeUnitTypes::GlobeUnit, 2.5L), 2);
    EXPECT_EQ(UnitsToGU(TGlobeUnitTypes::GlobeUnit, 3.5L), 4);
    EXPECT_EQ(UnitsToGU(TGlobeUnitTypes::GlobeUnit, -2.5L), -2);
}

TEST(GlobeUnits, StrToUnitsFindsTheFirstAbbreviationIgnoringCase)
{
    EXPECT_EQ(StrToUnits("t"), TGlobeUnitTypes::Third);
    EXPECT_EQ(StrToUnits("km"), TGlobeUnitTypes::Kilometer);
    EXPECT_EQ(StrToUnits("Gu"), TGlobeUnitTypes::GlobeUnit);
    try {
        StrToUnits("xx");
        FAIL() << "no exception";
    } catch (const EGlobeException& e) {
        EXPECT_STREQ(e.what(), "StrToUnits: Unknown Unit xx");
    }
}

TEST(GlobeUnits, DegToGUSplitsDegreesMinutesSeconds)
{
    const struct {
        long double degrees;
        int32_t gu;
    } rows[] = {
        { -0.5L, -2700000 }, { 370, 54000000 }, // 10 degrees after the modulo
        { -370, -54000000 }, // the modulo keeps the sign
        { 359.5L, 1941300000 }, // not normalised to +-180
        { 12.5L, 67500000 }, { 0.0001L, 540 }, // 0.36 seconds
        { 1.0L / 3600 / 3, 500 }, // a third of a second
        { 0.0078125L, 42188 }, { -0.0234375L, -126562 }, // exact halves go to even
        { -43.2109375L, -233339062 }, // ...062.5
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(static_cast<double>(r.degrees));
        EXPECT_EQ(DegToGU(r.degrees), r.gu);
    }
    EXPECT_EQ(DegreesToGeoPoint(-45.25L, 10), (TGeoPoint { -244350000, 54000000, 0 }));
}

TEST(GlobeUnits, StrToLLParsesByFormat)
{
    const struct {
        const char* text;
        const char* format;
        int32_t gu;
    } rows[] = {
        { "-12\xB0"
          "30",
            "%D\xB0%M", 67500000 }, // the minus before more text is dropped
        { "12\xB0"
          "30",
            "%D\xB0%M", 67500000 },
        { "S12\xB0"
          "30",
            "%N%D\xB0%M", -67500000 },
        { "N12\xB0"
          "30",
            "%N%D\xB0%M", 67500000 },
        { "W045", "%E%D", -243000000 },
        { "e045", "%E%D", 243000000 },
        { "-5", "%D", -27000000 }, // a whole remainder keeps its sign
        { "10:20:30", "%D:%M:%S", 54000000 + 1800000 + 45000 },
        { "10 20", "%D:%M", 54000000 }, // a mismatch keeps what was read
        { "1.500", "%M.%I", 90000 + 45000 },
        { "$10", "%U", 16 },
        { "7", "%H", 105 },
        { "7", "%Z", 105 },
        { "3", "%T", 750 },
        { "", "%D", 0 },
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.text) + " / " + r.format);
        EXPECT_EQ(StrToLL(r.text, r.format), r.gu);
    }
    EXPECT_THROW(StrToLL("12", "%Q"), EGlobeException);
    EXPECT_THROW(StrToLL("12", "%"), EGlobeException);
    try {
        StrToLL("12", "%X");
    } catch (const EGlobeException& e) {
        EXPECT_STREQ(e.what(), "StrToLL: format error");
    }
}

TEST(GlobeUnits, StrToExtendedUsesAPointWhateverTheLocale)
{
    EXPECT_EQ(StrToExtended("0.5"), 0.5L);
    EXPECT_EQ(StrToExtended(" -12.25 "), -12.25L);
    EXPECT_EQ(StrToExtended("7.6750310411E-7"), 7.6750310411e-7L);
    for (const char* bad : { "", "0,5", "abc", "1.5x" }) {
        try {
            StrToExtended(bad);
            ADD_FAILURE() << bad;
        } catch (const EGlobeException& e) {
            EXPECT_EQ(std::string(e.what()), std::string("StrToExtended: Conversion failed for ") + bad);
        }
    }
}

TEST(GlobeUnits, TextHelpers)
{
    EXPECT_EQ(IfThenStr(true, "a", "b"), "a");
    EXPECT_EQ(IfThenStr(false, "a", "b"), "b");
    QTemporaryDir dir;
    EXPECT_TRUE(DirectoryExists(dir.path().toStdString()));
    EXPECT_FALSE(DirectoryExists(dir.path().toStdString() + "/missing"));
    EXPECT_FALSE(DirectoryExists(""));
}

TEST(GlobeUnits, SpheroidTable)
{
    EXPECT_EQ(SpheroidData(TSpheroid::WGS84).SemiMajorAxis, 309952662);
    EXPECT_EQ(SpheroidData(TSpheroid::WGS84).Flattening, 0.003352810664747481);
    EXPECT_EQ(SpheroidData(TSpheroid::Airy1830).SemiMajorAxis, 309924787);
    EXPECT_EQ(SpheroidData(TSpheroid::Clarke1866).Flattening, 0.0033900753040885176);
    // WGS84: 6,378,137 m * 90,000 / 1,852, rounded.
    EXPECT_EQ(SpheroidData(TSpheroid::WGS84).SemiMajorAxis, Rnd(6378137.0L * 90000 / 1852));
}
