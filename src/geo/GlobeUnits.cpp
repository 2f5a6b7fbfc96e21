#include "geo/GlobeUnits.h"

#include "geo/GeoMath.h"
#include "platform/Cp1252.h"
#include "platform/GlobeException.h"

#include <QFileInfo>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace {

struct UnitRow {
    const char* abbreviation;
    long double globeUnits;
};

// Ordinal order of TGlobeUnitTypes.
constexpr std::array<UnitRow, GLOBE_UNIT_TYPE_COUNT> UNIT_TABLE { {
    { "D", 5400000.0L },
    { "MN", 90000.0L },
    { "NM", 90000.0L },
    { "KM", 48596.11231101512L },
    { "MI", 78157.89483968144L },
    { "S", 1500.0L },
    { "T", 250.0L },
    { "H", 15.0L },
    { "T", 1.0L },
    { "M", 48.59611231101512L },
    { "CM", 0.48596112311015116L },
    { "F", 88.8157895905471L },
    { "YD", 44.40789479527355L },
    { "FT", 14.802631598424515L },
    { "IN", 1.233552633202043L },
    { "GU", 1.0L },
    { "PI", 0.0L },
} };

constexpr std::array<TSpheroidData, SPHEROID_COUNT> SPHEROID_TABLE { {
    { 309924787, 0.0033408506414970775 },
    { 309953780, 0.003352891869237217 },
    { 309916708, 0.003342773182174806 },
    { 309956035, 0.0033900753040885176 },
    { 309958112, 0.003407561378699334 },
    { 309910838, 0.0033244492966628845 },
    { 309953780, 0.003352923712996414 },
    { 309952662, 0.003352810681182319 },
    { 309955724, 0.003352329869259135 },
    { 309959125, 0.003367003367003367 },
    { 309964860, 0.003367003367003367 },
    { 309957910, 0.003352329869259135 },
    { 309953780, 0.003352891869237217 },
    { 309954023, 0.003352329869259135 },
    { 309953051, 0.003352891869237217 },
    { 309952565, 0.003352779454167505 },
    { 309952662, 0.003352810664747481 },
} };

char Upper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// What the platform's integer conversion takes from the start of a text.
struct LeadingInteger {
    int64_t value = 0;
    bool whole = false; // the whole text was a number
    size_t taken = 0; // characters consumed
};

int DigitValue(char c, int base)
{
    int d = 36;
    if (c >= '0' && c <= '9')
        d = c - '0';
    else if (Upper(c) >= 'A' && Upper(c) <= 'F')
        d = Upper(c) - 'A' + 10;
    return d < base ? d : -1;
}

// Blanks, an optional sign, then decimal digits, or hexadecimal after "$",
// "x" or "0x". Digits that would overflow an int32 end the number there.
LeadingInteger ReadLeadingInteger(std::string_view text)
{
    LeadingInteger r;
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    int base = 10;
    if (i < text.size() && (text[i] == '$' || Upper(text[i]) == 'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && Upper(text[i + 1]) == 'X') {
        base = 16;
        i += 2;
    }
    const size_t firstDigit = i;
    int64_t value = 0;
    for (; i < text.size(); ++i) {
        const int d = DigitValue(text[i], base);
        if (d < 0 || value * base + d > int64_t { 1 } << 31)
            break;
        value = value * base + d;
    }
    r.taken = i;
    r.whole = i == text.size() && i > firstDigit;
    // A minus sign counts only when the whole remainder was the number.
    r.value = (r.whole && negative) ? -value : value;
    return r;
}

} // namespace

long double GlobeUnitsPerUnit(TGlobeUnitTypes unit)
{
    const auto index = static_cast<size_t>(unit);
    return index < UNIT_TABLE.size() ? UNIT_TABLE[index].globeUnits : 0.0L;
}

long double GUToUnits(int32_t gu, TGlobeUnitTypes unit)
{
    return gu / GlobeUnitsPerUnit(unit);
}

int64_t UnitsToGU(TGlobeUnitTypes unit, long double value)
{
    return Rnd64(value * GlobeUnitsPerUnit(unit));
}

int32_t DegToGU(long double degrees)
{
    // The sum of the parts below is the exact product rounded once (ties to
    // even: every part but the last is even). A double product is off by at
    // most 2.2e-7 GlobeUnits, so away from a half it rounds the same way.
    const auto d = static_cast<double>(degrees);
    if (d == degrees) {
        // fmod is exact, and the identity below a turn.
        const double gu = (std::abs(d) < 360 ? d : std::fmod(d, 360.0)) * GU_DEGREE;
        double rounded;
        if (RoundsUnambiguously(gu, DEG_TO_GU_ERROR, rounded))
            return static_cast<int32_t>(rounded);
    }
    return DegToGUExtended(degrees);
}

int32_t DegToGUExtended(long double degrees)
{
    const long double wholeDegrees = std::trunc(degrees);
    const long double minutesAll = (degrees - wholeDegrees) * 60;
    const long double wholeMinutes = std::trunc(minutesAll);
    const long double secondsAll = (minutesAll - wholeMinutes) * 60;
    const long double wholeSeconds = std::trunc(secondsAll);
    const long double fraction = secondsAll - wholeSeconds;
    const long double d = std::fmod(wholeDegrees, 360.0L);
    return static_cast<int32_t>(Rnd64(d) * GU_DEGREE + Rnd64(wholeMinutes) * GU_MINUTE
        + Rnd64(wholeSeconds) * GU_SECOND + Rnd64(fraction * GU_SECOND));
}

TGeoPoint DegreesToGeoPoint(long double longDeg, long double latDeg)
{
    return MakeGeoPoint(DegToGU(longDeg), DegToGU(latDeg));
}

TGlobeUnitTypes StrToUnits(std::string_view text)
{
    for (size_t i = 0; i < UNIT_TABLE.size(); ++i)
        if (SameText(text, UNIT_TABLE[i].abbreviation))
            return static_cast<TGlobeUnitTypes>(i);
    throw EGlobeException("StrToUnits: Unknown Unit " + Excerpt(text));
}

std::string UnitsToStr(TGlobeUnitTypes unit)
{
    const auto index = static_cast<size_t>(unit);
    return index < UNIT_TABLE.size() ? UNIT_TABLE[index].abbreviation : "";
}

long double StrToExtended(std::string_view text)
{
    std::string_view t = text;
    while (!t.empty() && IsBlank(t.front()))
        t.remove_prefix(1);
    while (!t.empty() && IsBlank(t.back()))
        t.remove_suffix(1);
    if (!t.empty() && t.front() == '+')
        t.remove_prefix(1);
    long double value = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
    if (t.empty() || ec != std::errc() || end != t.data() + t.size() || !std::isfinite(value))
        throw EGlobeException("StrToExtended: Conversion failed for " + Excerpt(text));
    return value;
}

int32_t StrToLL(std::string_view text, std::string_view format)
{
    // Values read per format letter; H and Z both count hundredths of a second.
    constexpr std::string_view letters = "DMISTHZU";
    constexpr std::array<int64_t, 8> weights { GU_DEGREE, GU_MINUTE, 90, GU_SECOND, 250, 15, 15, 1 };
    std::array<int64_t, 8> values {};
    bool negative = false;
    std::string_view rest = text;
    size_t cut = 0; // 1-based position the next step cuts the rest at
    size_t f = 0;
    while (f < format.size() && rest.size() >= cut) {
        if (cut > 1)
            rest.remove_prefix(cut - 1);
        cut = 2; // drop one character next time unless a number says otherwise
        const char fc = format[f++];
        if (fc != '%') {
            if (rest.empty() || rest.front() != fc)
                break;
            continue;
        }
        const char letter = f < format.size() ? Upper(format[f++]) : '\0';
        if (letter == 'E' || letter == 'N') {
            negative = rest.empty() || Upper(rest.front()) != letter;
            continue;
        }
        const size_t slot = letter == '\0' ? std::string_view::npos : letters.find(letter);
        if (slot == std::string_view::npos)
            throw EGlobeException("StrToLL: format error");
        const LeadingInteger n = ReadLeadingInteger(rest);
        values[slot] = n.value;
        cut = n.whole ? 0 : n.taken + 1;
    }
    int64_t result = 0;
    for (size_t i = 0; i < values.size(); ++i)
        result += values[i] * weights[i];
    return static_cast<int32_t>(negative ? -result : result);
}

std::string_view TrimSpaces(std::string_view s)
{
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ')
        s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ')
        s.remove_suffix(1);
    return s;
}

bool SameText(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Upper(a[i]) != Upper(b[i]))
            return false;
    return true;
}

std::string IfThenStr(bool flag, const std::string& a, const std::string& b)
{
    return flag ? a : b;
}

bool DirectoryExists(const std::string& path)
{
    return !path.empty() && QFileInfo(fromCp1252(path)).isDir();
}

const TSpheroidData& SpheroidData(TSpheroid spheroid)
{
    const auto index = static_cast<size_t>(spheroid);
    return SPHEROID_TABLE[index < SPHEROID_TABLE.size() ? index : static_cast<size_t>(TSpheroid::WGS84)];
}
