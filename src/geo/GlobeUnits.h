// Measurement units, the spheroid table and the text conversions of
// coordinates. Text is 8-bit (Windows-1252) as files hold it.
#pragma once

#include "geo/GeoMath.h"
#include "geo/GlobeTypes.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

enum class TGlobeUnitTypes : uint8_t {
    Degree = 0,
    Minute,
    NauticalMile,
    Kilometer,
    Mile,
    Second,
    Third,
    Hundreth,
    Thousanth,
    Meter,
    CentiMeter,
    Fathom,
    Yard,
    Foot,
    Inch,
    GlobeUnit,
    Pixel,
};
inline constexpr int GLOBE_UNIT_TYPE_COUNT = 17;

// GlobeUnits per unit. Pixel has no fixed size and answers 0: convert pixels
// through the projection's scale instead.
long double GlobeUnitsPerUnit(TGlobeUnitTypes unit);

// gu / factor(unit). Pixel divides by zero (an infinity, as the factor says).
long double GUToUnits(int32_t gu, TGlobeUnitTypes unit);
// value * factor(unit), rounded to nearest (ties to even).
int64_t UnitsToGU(TGlobeUnitTypes unit, long double value);
// Bound of the error of a double product of degrees and GU_DEGREE, with a
// margin.
inline constexpr double DEG_TO_GU_ERROR = 1e-6;
// Degrees, minutes, seconds and the rest of a second, each truncated, with the
// whole degrees taken modulo 360 (keeping the sign); not normalised to +-180.
int32_t DegToGU(long double degrees);
// DegToGU of a double inline, for the readers' every vertex.
inline int32_t DegToGUOfDouble(double degrees)
{
    double rounded;
    if (std::abs(degrees) < 360 && RoundsUnambiguously(degrees * GU_DEGREE, DEG_TO_GU_ERROR, rounded))
        return static_cast<int32_t>(rounded);
    return DegToGU(degrees);
}
// The same in extended arithmetic part by part; DegToGU gives its results.
int32_t DegToGUExtended(long double degrees);
TGeoPoint DegreesToGeoPoint(long double longDeg, long double latDeg);

// Case-insensitive lookup of the abbreviation, first match in ordinal order
// ("T" yields Third). Unknown text raises "StrToUnits: Unknown Unit <text>".
TGlobeUnitTypes StrToUnits(std::string_view text);
std::string UnitsToStr(TGlobeUnitTypes unit);

// A finite decimal number with "." as separator whatever the locale;
// surrounding blanks are allowed. Failure raises "StrToExtended: Conversion failed for <text>".
long double StrToExtended(std::string_view text);

// Parses a coordinate by a format of literal characters and %D %M %I %S %T
// %H %Z %U (numbers) and %E %N (hemisphere signs). An unknown letter raises
// EGlobeException "StrToLL: format error".
int32_t StrToLL(std::string_view text, std::string_view format);

// Equal regardless of ASCII letter case (class names, abbreviations, keys).
bool SameText(std::string_view a, std::string_view b);
// Without leading and trailing blanks and control characters.
std::string_view TrimSpaces(std::string_view s);

std::string IfThenStr(bool flag, const std::string& a, const std::string& b);
// The path (8-bit text) names an existing folder.
bool DirectoryExists(const std::string& path);

// --- Spheroids --------------------------------------------------------------
enum class TSpheroid : uint8_t {
    Airy1830 = 0,
    Australian1965,
    Bessel1841,
    Clarke1866,
    Clarke1880,
    Everest1830,
    GRS1967,
    GRS1980,
    Helmert1906,
    Hough,
    International1920,
    Krassovsky1940,
    SouthAmerican1969,
    WGS60,
    WGS66,
    WGS72,
    WGS84,
};
inline constexpr int SPHEROID_COUNT = 17;

struct TSpheroidData {
    int32_t SemiMajorAxis; // GlobeUnits: metres * 90,000 / 1,852, rounded
    double Flattening;
};

// The row of a spheroid; values outside the table answer WGS84's row.
const TSpheroidData& SpheroidData(TSpheroid spheroid);
