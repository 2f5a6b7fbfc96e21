#include "view/DayNight.h"

#include "geo/DevicePoints.h"
#include "geo/GeoMath.h"
#include "geo/ProjectionModel.h"
#include "view/GlobeCanvas.h"

#include <QDate>
#include <QPainter>
#include <QPolygon>
#include <cmath>

namespace {

// About 2 / the globe radius in GlobeUnits: brings the dot product of two
// globe points into the range where the twilight limit below applies.
constexpr long double SUN_SCALE = 6.464181983788284e-09L;
// The sun up to about 6 degrees below the horizon.
constexpr long double TWILIGHT_LIMIT = -64800000;
// Samples between two classified ones on a row.
constexpr int32_t STRIDE = 16;

const QDate DAY_ZERO(1899, 12, 30);

int64_t DayNumber(const QDate& date)
{
    return DAY_ZERO.daysTo(date);
}

struct TSunVector {
    long double x, y, z;
};

TSunVector SunVector(const TGeoPoint& sun)
{
    const TPoint3D s = GeoTo3D(sun.Long, sun.Lat, sun.Height);
    return { s.X * SUN_SCALE, s.Y * SUN_SCALE, s.Z * SUN_SCALE };
}

TDayNightClass Classify(TCustomProjectionModel& model, const TSunVector& s, int32_t x, int32_t y)
{
    if (!model.ScreenToGeo(x, y, 0))
        return TDayNightClass::dnOff;
    const TPoint g = DevicePoints().Get(0);
    const TPoint3D p = GeoTo3D(g.X, g.Y, 0);
    const long double b = p.X * s.x + p.Y * s.y + p.Z * s.z;
    if (b > 0)
        return TDayNightClass::dnDay;
    return b >= TWILIGHT_LIMIT ? TDayNightClass::dnTwilight : TDayNightClass::dnNight;
}

struct TShadePoints {
    QPolygon night;
    QPolygon twilight;
    void Add(TDayNightClass c, int32_t x, int32_t y)
    {
        if (c == TDayNightClass::dnNight)
            night << QPoint(x, y);
        else if (c == TDayNightClass::dnTwilight)
            twilight << QPoint(x, y);
    }
};

void ShadeRow(TCustomProjectionModel& model, const TSunVector& sun, int32_t y, int32_t first, int32_t step,
    int32_t width, TShadePoints& points)
{
    int32_t x = first;
    TDayNightClass previous = Classify(model, sun, x, y);
    points.Add(previous, x, y);
    while (x < width) {
        const int32_t end = x + STRIDE * step;
        const TDayNightClass last = end < width ? Classify(model, sun, end, y) : TDayNightClass::dnOff;
        for (int32_t i = 1; i < STRIDE; ++i) {
            const int32_t xi = x + i * step;
            if (xi >= width)
                break;
            // Between two samples of one class the whole stretch is taken
            // to be of that class.
            if (last == previous)
                points.Add(last, xi, y);
            else
                points.Add(Classify(model, sun, xi, y), xi, y);
        }
        if (end < width)
            points.Add(last, end, y);
        previous = last;
        x = end;
    }
}

} // namespace

TGeoPoint SubsolarPoint(double utcDays)
{
    const double whole = std::trunc(utcDays);
    const int year = DAY_ZERO.addDays(static_cast<qint64>(whole)).year();
    const int64_t d = static_cast<int64_t>(whole) - DayNumber(QDate(year - 1, 12, 21));
    const long double declination = std::atan(0.4333823L * std::cos(2 * PI_L * d / 365.24225L)) * 180 / PI_L;
    const int64_t seconds = Rnd64((utcDays - whole) * 86400.0L);
    const int64_t minutes = Rnd64(seconds * 0.25L) % 21600;
    return MakeGeoPoint((10800 - minutes) * 90000, -Rnd(declination * GU_DEGREE));
}

TDayNightClass ClassifyPixel(TCustomProjectionModel& model, const TGeoPoint& sun, int32_t x, int32_t y)
{
    return Classify(model, SunVector(sun), x, y);
}

void ShadeDayNight(TGlobeCanvas& canvas, TCustomProjectionModel& model, const TGeoPoint& sun,
    const QColor& night, const QColor& twilight, int32_t step)
{
    step = std::max(step, 1);
    const TSunVector s = SunVector(sun);
    TShadePoints points;
    for (int32_t y = 0, row = 0; y < canvas.Height(); y += step, ++row)
        ShadeRow(model, s, y, row % 2 == 0 ? 0 : step / 2, step, canvas.Width(), points);
    QPainter* dc = canvas.DC();
    if (!dc)
        return;
    dc->save();
    dc->setPen(QPen(night, 0));
    dc->drawPoints(points.night);
    dc->setPen(QPen(twilight, 0));
    dc->drawPoints(points.twilight);
    dc->restore();
    canvas.ResetDrawState();
}
