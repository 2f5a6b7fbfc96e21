#include "gps/GpsDateTime.h"

#include <cmath>

namespace {

constexpr double kMsecsPerDay = 86400000.0;

QDate epoch()
{
    return QDate(1899, 12, 30);
}

} // namespace

TDateTime dayCount(QDate date)
{
    return static_cast<double>(epoch().daysTo(date));
}

QDateTime toQDateTime(TDateTime days)
{
    // Far beyond any date a receiver sends: no valid date-time.
    if (!std::isfinite(days) || std::fabs(days) > 3.0e6)
        return {};
    const qint64 msecs = std::llround(days * kMsecsPerDay);
    const qint64 wholeDays = msecs >= 0 ? msecs / 86400000 : -((-msecs + 86399999) / 86400000);
    const qint64 msecOfDay = msecs - wholeDays * 86400000;
    return QDateTime(epoch().addDays(wholeDays), QTime::fromMSecsSinceStartOfDay(static_cast<int>(msecOfDay)),
        Qt::LocalTime);
}

double currentUtcOffsetDays()
{
    return QDateTime::currentDateTime().offsetFromUtc() / 86400.0;
}
