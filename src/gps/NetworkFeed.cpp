#include "gps/NetworkFeed.h"

#include "platform/TextFields.h"

#include <QTime>
#include <cmath>

namespace {

// ddmm.mmmm as degrees; malformed numbers read as 0.
double NmeaDegrees(const std::string& field)
{
    const double v = FloatOrDefault(LocalDecimal(QString::fromLatin1(field.c_str())), 0) / 100;
    const double whole = std::trunc(v);
    return whole + (v - whole) / 0.6;
}

double Number(const std::string& field)
{
    return FloatOrDefault(LocalDecimal(QString::fromLatin1(field.c_str())), 0);
}

// The time of day of hhmmss as the computer's local time (the sentence has
// no date); the current date and time when the field is no time.
TDateTime LocalTimeOfDay(const std::string& field)
{
    const QString text = QString::fromLatin1(field.substr(0, 2).c_str()) + QLatin1Char(':')
        + QString::fromLatin1(field.size() > 2 ? field.substr(2, 2).c_str() : "") + QLatin1Char(':')
        + QString::fromLatin1(field.size() > 4 ? field.substr(4, 2).c_str() : "");
    const QTime time = QTime::fromString(text, QStringLiteral("hh:mm:ss"));
    if (!time.isValid()) {
        const QDateTime now = QDateTime::currentDateTime();
        return dayCount(now.date()) + now.time().msecsSinceStartOfDay() / 86400000.0;
    }
    const double local = time.msecsSinceStartOfDay() / 86400000.0 + currentUtcOffsetDays();
    return local - std::floor(local);
}

} // namespace

TNetworkFeed::TNetworkFeed(QObject* sender, QObject* parent)
    : QObject(parent)
    , sender_(sender)
{
    GPSTelnet.OnDataAvailable = [this](const std::string& text) { GPSTelnetDataAvailable(text); };
}

void TNetworkFeed::append(char c)
{
    if (TelnetBuffer.size() >= kMaxTelnetBuffer)
        TelnetBuffer.clear();
    TelnetBuffer += c;
}

void TNetworkFeed::GPSTelnetDataAvailable(std::string_view Buffer)
{
    if (Buffer.find('$') == std::string_view::npos) {
        for (const char c : Buffer)
            append(c);
        return;
    }
    for (const char c : Buffer) {
        if (c == '$') {
            if (TelnetBuffer.size() > 1 && TelnetBuffer.front() == '$')
                ProcessaSentGPS(TelnetBuffer);
            TelnetBuffer.clear();
        }
        append(c);
    }
}

void TNetworkFeed::ProcessaSentGPS(const std::string& sentence)
{
    if (sentence.compare(0, 6, "$GPRMC") != 0)
        return;
    int remaining = static_cast<int>(sentence.size());
    const auto next = [&] { return NextField(sentence, remaining, ","); };
    next(); // "$GPRMC"
    const TDateTime fixDateTime = LocalTimeOfDay(next());
    const bool warning = next() != "A";
    double latitude = NmeaDegrees(next());
    if (next() == "S")
        latitude = -latitude;
    double longitude = NmeaDegrees(next());
    if (next() == "E")
        longitude = -longitude;
    const double speed = Number(next());
    const double course = Number(next());
    const double magVariation = Number(next());
    if (OnReport)
        OnReport(sender_, warning, fixDateTime, latitude, longitude, speed, course, magVariation);
}
