// Coordinate and unit texts. Angles are GlobeUnits; the coordinate patterns
// are Windows-1252 bytes (degree sign 0xB0, quotes 0x92, 0x94 and the acute
// accent 0xB4), the texts shown to the user are QStrings. By default the
// helpers follow the settings dialog's current choices, so a change there
// applies to the next text produced; every helper also takes the choice
// explicitly.
#pragma once

#include "geo/GlobeTypes.h"

#include <QString>
#include <cstdint>
#include <string>
#include <string_view>

class TFormConfig;

// The dialog whose "CBFormCoord" and "CbUnMed" choices the texts follow.
// Without one (or once it is gone) the choices are format 0 and metric units.
void FollowFormatChoicesOf(TFormConfig* config);
// Item index of the coordinate format list; -1 when nothing is chosen.
int CurrentCoordFormat();
// Text of the chosen coordinate format ("ddd°mm.mmm’;" ...), empty when none.
QString CurrentCoordFormatText();
// 0 metric, 1 statute, 2 nautical.
int CurrentUnitSystem();

// Expands %D %M %I %S %Z %T %U (numbers, printed without sign) and %E %N
// (hemisphere letters) of the pattern; the letter after "%" is taken without
// regard to case and any other character after "%" stands for itself.
std::string FormatCoord(int32_t angle, std::string_view pattern);

struct TCoordPatterns {
    std::string Lon;
    std::string Lat;
};
// The longitude and latitude patterns of format 0, 1 or 2.
TCoordPatterns CoordPatterns(int format);

// Longitude, a blank, latitude; format 0 and 1 as given, any other index
// format 2.
QString CoordText(const TGeoPoint& point, int format = CurrentCoordFormat());

// A GPS readout of an angle in decimal degrees; axis "Lon" ends in E or W,
// any other in N or S.
QString GpsCoordText(QStringView axis, double degrees, int format = CurrentCoordFormat());

// The patterns of the coordinate edit fields, chosen by the beginning of the
// format text; a text that matches no format gives format 0. Also stored in
// Vars.LonPattern and Vars.LatPattern.
TCoordPatterns EditPatterns(const QString& formatText = CurrentCoordFormatText());

// FormatCoord with "0" put in front until the degree sign follows
// degreeDigits digits (3 for longitude, 2 for latitude).
QString CoordEditText(int32_t angle, std::string_view pattern, int degreeDigits);
// The edit mask of such a text: digits become "0" (a required digit), N S E W
// become ">L" (a required letter shown upper case), other characters stay,
// and ";1" keeps the literals in the edited text. QtInputMask (EditMask.h)
// makes it a QLineEdit input mask.
QString CoordEditMask(const QString& text);
// Reads a coordinate edit text by the pattern that produced it; it stops
// quietly where the text leaves the pattern and answers what it read so far.
int32_t ReadCoord(const QString& text, std::string_view pattern);

// A distance in the long unit of the unit system: one decimal from 10 units
// up, three below, with the locale's separators ("1.234,5 km").
QString DistanceText(long double globeUnits, int unitSystem = CurrentUnitSystem());
// GlobeUnits per hour as "12,3 km/h", "mi/h" or "kt".
QString SpeedText(long double globeUnitsPerHour, int unitSystem = CurrentUnitSystem());
// The measuring tool's label: km, m or cm (mi, Yds or inches; nm, feet or
// inches), three decimals, none above 100 of the long unit.
QString MeasureText(long double globeUnits, int unitSystem = CurrentUnitSystem());

// A library bearing (GlobeUnits, counter-clockwise) as a compass heading in
// degrees, 0 up to below 360.
double CompassDegrees(int32_t bearing);
// The heading rounded to whole degrees with "°", as the readouts show it.
QString HeadingText(double degrees);

// "#,##0.0 %": a share with the locale's separators ("87,5 %").
QString PercentText(double percent);
// The time of day of a date-time in days (a duration as hours, minutes and
// seconds), in the locale's long time format without a time zone.
QString LongTimeText(double days);
