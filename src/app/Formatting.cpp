#include "app/Formatting.h"

#include "app/FormConfig.h"
#include "app/Vars.h"
#include "geo/GlobeUnits.h"
#include "platform/Cp1252.h"

#include <QComboBox>
#include <QLocale>
#include <QPointer>
#include <QTime>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdlib>

namespace {

QPointer<TFormConfig> FormatChoices;

std::string Padded(int64_t value, size_t width)
{
    std::string digits = std::to_string(std::llabs(value));
    if (digits.size() < width)
        digits.insert(0, width - digits.size(), '0');
    return digits;
}

// Longitude and latitude patterns of the three coordinate formats.
const std::array<TCoordPatterns, 3> EDIT_PATTERNS { {
    { "%D\xB0%M.%I\x92%E", "%D\xB0%M.%I\x92%N" },
    { "%D\xB0%M\x92%S.%Z\"%E", "%D\xB0%M\x92%S.%Z\"%N" },
    { "%d\xB0%m\x92%s\x94%t%E", "%d\xB0%m\x92%s\x94%t%N" },
} };

// The GPS readouts' patterns, before the hemisphere letter is appended.
const std::array<std::string_view, 3> GPS_PATTERNS { "%d\xB0%m.%I% %", "%d\xB0%m\xB4%s.%z\"% %",
    "%d\xB0%m\xB4%s\"%t %" };

struct TUnitSystem {
    TGlobeUnitTypes Long;
    TGlobeUnitTypes Middle;
    TGlobeUnitTypes Short;
    const char* LongName; // " km"
    const char* MiddleName; // " m"
    const char* ShortName; // " cm"
    const char* SpeedName; // " km/h"
};

const std::array<TUnitSystem, 3> UNIT_SYSTEMS { {
    { TGlobeUnitTypes::Kilometer, TGlobeUnitTypes::Meter, TGlobeUnitTypes::CentiMeter, " km", " m", " cm",
        " km/h" },
    { TGlobeUnitTypes::Mile, TGlobeUnitTypes::Yard, TGlobeUnitTypes::Inch, " mi", " Yds", "'", " mi/h" },
    { TGlobeUnitTypes::NauticalMile, TGlobeUnitTypes::Foot, TGlobeUnitTypes::Inch, " nm", "\"", "'", " kt" },
} };

const TUnitSystem& UnitSystem(int index)
{
    return UNIT_SYSTEMS[index >= 0 && index < 3 ? index : 0];
}

long double InUnits(long double globeUnits, TGlobeUnitTypes unit)
{
    return globeUnits / GlobeUnitsPerUnit(unit);
}

// "#,##0.0"-style pictures: the locale's thousands and decimal separators.
QString Grouped(long double value, int decimals)
{
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return locale.toString(static_cast<double>(value), 'f', decimals);
}

// Fixed notation: the locale's decimal separator, no thousands separator.
QString Fixed(long double value, int decimals)
{
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    return locale.toString(static_cast<double>(value), 'f', decimals);
}

// The text of "%" and a letter for the angle v; numbers are printed without
// their sign, and any other character stands for itself.
std::string Placeholder(char letter, int64_t v)
{
    const int64_t inDegree = v % GU_DEGREE;
    const int64_t inMinute = inDegree % GU_MINUTE;
    const int64_t inSecond = inMinute % GU_SECOND;
    switch (std::toupper(static_cast<unsigned char>(letter))) {
    case 'D':
        return Padded(v / GU_DEGREE, 0);
    case 'M':
        return Padded(inDegree / GU_MINUTE, 2);
    case 'I':
        return Padded(inMinute / 90, 3); // thousandths of a minute
    case 'S':
        return Padded(inMinute / GU_SECOND, 2);
    case 'Z':
        return Padded(inSecond / 15, 2); // hundredths of a second
    case 'T':
        return Padded(inSecond / 250, 2); // sixths of a second
    case 'U':
        return Padded(inSecond % 250, 2);
    case 'E':
        return v < 0 ? "W" : "E";
    case 'N':
        return v < 0 ? "S" : "N";
    default:
        return std::string(1, letter);
    }
}

} // namespace

void FollowFormatChoicesOf(TFormConfig* config)
{
    FormatChoices = config;
}

int CurrentCoordFormat()
{
    return FormatChoices ? FormatChoices->CBFormCoord->currentIndex() : 0;
}

QString CurrentCoordFormatText()
{
    return FormatChoices ? FormatChoices->CBFormCoord->currentText() : QStringLiteral("ddd°mm.mmm’;");
}

int CurrentUnitSystem()
{
    return FormatChoices ? FormatChoices->CbUnMed->currentIndex() : 0;
}

std::string FormatCoord(int32_t angle, std::string_view pattern)
{
    std::string text;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%')
            text += pattern[i];
        else if (++i < pattern.size())
            text += Placeholder(pattern[i], angle);
    }
    return text;
}

TCoordPatterns CoordPatterns(int format)
{
    return EDIT_PATTERNS[format == 0 || format == 1 ? format : 2];
}

QString CoordText(const TGeoPoint& point, int format)
{
    const TCoordPatterns patterns = CoordPatterns(format);
    return fromCp1252(FormatCoord(point.Long, patterns.Lon) + ' ' + FormatCoord(point.Lat, patterns.Lat));
}

QString GpsCoordText(QStringView axis, double degrees, int format)
{
    std::string pattern = format >= 0 && format < 3 ? std::string(GPS_PATTERNS[format]) : std::string();
    pattern += axis == u"Lon" ? 'E' : 'N';
    return fromCp1252(FormatCoord(DegToGU(degrees), pattern));
}

TCoordPatterns EditPatterns(const QString& formatText)
{
    int format = 0;
    if (formatText.startsWith(QStringLiteral("ddd°mm’ss.s")))
        format = 1;
    else if (formatText.startsWith(QStringLiteral("ddd°mm’ss\"tt")))
        format = 2;
    const TCoordPatterns& patterns = EDIT_PATTERNS[format];
    Vars.LonPattern = patterns.Lon;
    Vars.LatPattern = patterns.Lat;
    return patterns;
}

QString CoordEditText(int32_t angle, std::string_view pattern, int degreeDigits)
{
    std::string text = FormatCoord(angle, pattern);
    const size_t degree = text.find('\xB0');
    if (degree != std::string::npos && degree < static_cast<size_t>(std::max(degreeDigits, 0)))
        text.insert(0, degreeDigits - degree, '0');
    return fromCp1252(text);
}

QString CoordEditMask(const QString& text)
{
    QString mask;
    for (const QChar c : text) {
        if (c.isDigit() && c.unicode() < 128)
            mask += QLatin1Char('0');
        else if (QStringView(u"NSEW").contains(c))
            mask += QStringLiteral(">L");
        else
            mask += c;
    }
    return mask + QStringLiteral(";1");
}

int32_t ReadCoord(const QString& text, std::string_view pattern)
{
    return StrToLL(toCp1252(text), pattern);
}

QString DistanceText(long double globeUnits, int unitSystem)
{
    const TUnitSystem& system = UnitSystem(unitSystem);
    const long double value = InUnits(globeUnits, system.Long);
    return Grouped(value, value >= 10 ? 1 : 3) + QLatin1String(system.LongName);
}

QString SpeedText(long double globeUnitsPerHour, int unitSystem)
{
    const TUnitSystem& system = UnitSystem(unitSystem);
    const long double value = InUnits(std::nearbyint(globeUnitsPerHour), system.Long);
    return Grouped(value, 1) + QLatin1String(system.SpeedName);
}

QString MeasureText(long double globeUnits, int unitSystem)
{
    const TUnitSystem& system = UnitSystem(unitSystem);
    const long double longValue = InUnits(globeUnits, system.Long);
    if (longValue > 100)
        return Fixed(longValue, 0) + QLatin1String(system.LongName);
    if (longValue > 1)
        return Fixed(longValue, 3) + QLatin1String(system.LongName);
    // Statute and nautical systems leave the short unit above one yard.
    const TGlobeUnitTypes middleLimit
        = system.Long == TGlobeUnitTypes::Kilometer ? TGlobeUnitTypes::Meter : TGlobeUnitTypes::Yard;
    if (InUnits(globeUnits, middleLimit) > 1)
        return Fixed(InUnits(globeUnits, system.Middle), 3) + QLatin1String(system.MiddleName);
    return Fixed(InUnits(globeUnits, system.Short), 3) + QLatin1String(system.ShortName);
}

double CompassDegrees(int32_t bearing)
{
    const double d = bearing / static_cast<double>(GU_DEGREE);
    if (d > 0)
        return 360 - d;
    if (d < 0)
        return -d;
    return 0;
}

QString HeadingText(double degrees)
{
    return QString::number(std::nearbyint(degrees), 'f', 0) + QStringLiteral("°");
}

QString PercentText(double percent)
{
    return Grouped(percent, 1) + QStringLiteral(" %");
}

QString LongTimeText(double days)
{
    const double dayPart = days - std::floor(days);
    const auto ms = static_cast<int>(std::nearbyint(dayPart * 86400000.0)) % 86400000;
    QString format = QLocale().timeFormat(QLocale::LongFormat);
    // The long format names the time zone, which a duration has not.
    format.remove(QLatin1Char('t'));
    return QTime::fromMSecsSinceStartOfDay(ms).toString(format.trimmed());
}
