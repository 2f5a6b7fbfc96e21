#include "gps/GPS.h"

#include <algorithm>
#include <exception>
#include <limits>

namespace {

// From the knots and nautical miles of the sentences; both unit lists run
// kilometres, nautical miles, statute miles.
constexpr double kUnitFactors[] = { 1.851852, 1, 1.1481 };
// BOD bearings that are not numbers.
constexpr double kNoBearing = 1000;

} // namespace

void TWaypointList::AddPending(std::string name)
{
    if (pending_.size() < kMaxNames)
        pending_.push_back(std::move(name));
}

void TWaypointList::CompletePending()
{
    bool same = pending_.size() == items_.size();
    for (std::size_t i = 0; same && i < items_.size(); ++i)
        same = items_[i].Name == pending_[i];
    if (!same) {
        items_.clear();
        for (std::string& name : pending_)
            items_.push_back(TWaypointData { std::move(name), 0, 0 });
        Changed = true;
    }
    pending_.clear();
}

void TWaypointList::SetPosition(const std::string& name, double latitude, double longitude)
{
    for (TWaypointData& waypoint : items_)
        if (waypoint.Name == name && (waypoint.Latitude != latitude || waypoint.Longitude != longitude)) {
            waypoint.Latitude = latitude;
            waypoint.Longitude = longitude;
            Changed = true;
        }
}

struct TGPS::TDecoder {
    const char* type;
    std::size_t minFields;
    void (TGPS::*decode)();
};

const TGPS::TDecoder TGPS::kDecoders[] = {
    { "GGA", 13, &TGPS::decodeGGA },
    { "RMC", 10, &TGPS::decodeRMC },
    { "GLL", 6, &TGPS::decodeGLL },
    { "GSA", 17, &TGPS::decodeGSA },
    { "GSV", 7, &TGPS::decodeGSV },
    { "RMB", 13, &TGPS::decodeRMB },
    { "BOD", 6, &TGPS::decodeBOD },
    { "BWC", 12, &TGPS::decodeBWC },
    { "BWR", 12, &TGPS::decodeBWC },
    { "RTE", 0, &TGPS::decodeRTE },
    { "WPL", 5, &TGPS::decodeWPL },
};

TGPS::TGPS(QObject* owner)
    : QObject(owner)
    , utcOffsetDays_(currentUtcOffsetDays())
    , lastArrival_(Clock::now())
{
    pollTimer_.setInterval(kPollMs);
    connect(&pollTimer_, &QTimer::timeout, this, [this] { pollTick(); });
}

TGPS::~TGPS()
{
    pollTimer_.stop();
}

void TGPS::SetActive(bool active)
{
    status_ = TNMEAStatus::nsNoPort;
    if (!active) {
        pollTimer_.stop();
        driver_.Close();
        if (OnStatus)
            OnStatus(this, TNMEAStatus::nsNoPort);
        return;
    }
    if (!driver_.Open()) {
        pollTimer_.stop();
        if (OnStatus)
            OnStatus(this, TNMEAStatus::nsNoPort);
        return;
    }
    driver_.SetDTR(dtr_);
    driver_.SetRTS(rts_);
    // The receiver gets the whole time-out to start talking.
    lastArrival_ = Clock::now();
    status_ = TNMEAStatus::nsNoComm;
    latchedStatus_ = TNMEAStatus::nsNoComm;
    reportPending_ = true;
    pollTimer_.start();
}

void TGPS::pollTick()
{
    status_ = TNMEAStatus::nsNoComm;
    try {
        reconnectLostDevice();
        if (!readAvailable() && silentTooLong()) {
            if (clearDataOnNoComm_)
                raiseClearedEvents();
            latchStatus(TNMEAStatus::nsNoComm);
        }
        if (reportPending_ && OnStatus) {
            reportPending_ = false;
            OnStatus(this, latchedStatus_);
        }
    } catch (const std::exception& failure) {
        const QString message = QString::fromLocal8Bit(failure.what());
        if (OnTickFailure)
            OnTickFailure(this, message);
        else
            qWarning("GPS: %s", qPrintable(message));
    }
}

// A receiver unplugged and plugged in again comes back as a new device
// node; reading resumes as soon as it is there.
void TGPS::reconnectLostDevice()
{
    if (!driver_.DeviceLost() || !driver_.Reopen())
        return;
    driver_.SetDTR(dtr_);
    driver_.SetRTS(rts_);
}

// Takes everything the port holds, in reads of at most 64 bytes, so a fast
// receiver never leaves its positions waiting in the port's queue.
bool TGPS::readAvailable()
{
    int total = 0;
    std::string chunk;
    while (driver_.IsOpen() && total < kMaxBytesPerTick) {
        const int count = driver_.Read(chunk);
        if (count <= 0)
            break;
        total += count;
        status_ = TNMEAStatus::nsComm;
        lastArrival_ = Clock::now();
        ProcessBytes(chunk);
    }
    return total > 0;
}

bool TGPS::silentTooLong() const
{
    return Clock::now() - lastArrival_ > std::chrono::seconds(timeout_);
}

void TGPS::latchStatus(TNMEAStatus status)
{
    latchedStatus_ = status;
    reportPending_ = true;
}

void TGPS::raiseClearedEvents()
{
    static const std::string kNoName;
    if (OnPosition)
        OnPosition(this, 0, 0, 0, TGPSQuality::gpsqNone, 0, 0, 0, 0);
    if (OnSatteliteData)
        OnSatteliteData(this, 0, satellites_);
    if (OnBearing)
        OnBearing(this, 0, 0, kNoName, kNoName, false);
    if (OnNavigationInfo)
        OnNavigationInfo(this, true, false, 0, kNoName, kNoName, 0, 0, 0, 0, 0);
    if (OnMinGPSData)
        OnMinGPSData(this, true, 0, 0, 0, 0, 0, 0);
    if (OnGeoPosition)
        OnGeoPosition(this, false, 0, 0, 0);
    if (OnDOP)
        OnDOP(this, true, false, 0, 0, 0);
    if (OnBearingDistance)
        OnBearingDistance(this, 0, kNoName, 0, 0, 0, 0, 0);
}

void TGPS::ProcessBytes(std::string_view bytes)
{
    lines_.Append(bytes);
    std::string sentence;
    while (lines_.Next(sentence))
        decodeSentence(sentence);
}

void TGPS::decodeSentence(const std::string& text)
{
    nmea::TSentence sentence;
    if (!nmea::parseSentence(text, sentence))
        return;
    fields_ = std::move(sentence.fields);
    const TDecoder* decoder = nullptr;
    for (const TDecoder& candidate : kDecoders)
        if (sentence.type == candidate.type)
            decoder = &candidate;
    if (decoder) {
        status_ = TNMEAStatus::nsSentenceGPS;
        if (fields_.size() >= decoder->minFields)
            (this->*decoder->decode)();
    } else {
        status_ = TNMEAStatus::nsSentence;
        UnhandledSentence(sentence.talker, sentence.type);
    }
    if (!reportPending_)
        latchStatus(status_);
}

void TGPS::UnhandledSentence(const std::string& talker, const std::string& type)
{
    if (OnUnhandled)
        OnUnhandled(this, talker, type, fields_);
}

// Fields past the end read as empty, so no decoder can index past the list.
const std::string& TGPS::field(std::size_t index) const
{
    static const std::string kEmpty;
    return index < fields_.size() ? fields_[index] : kEmpty;
}

// The time of day of a field, refreshing the UTC offset when the hour turns
// (daylight saving may have begun or ended).
double TGPS::timeOfDay(std::size_t index)
{
    const auto time = nmea::toTimeOfDay(field(index));
    if (!time)
        return 0;
    if (time->hour != utcOffsetHour_) {
        utcOffsetDays_ = currentUtcOffsetDays();
        utcOffsetHour_ = time->hour;
    }
    return time->dayFraction;
}

nmea::TLatLon TGPS::latLon(std::size_t first) const
{
    return nmea::toLatLon(field(first), field(first + 1), field(first + 2), field(first + 3));
}

double TGPS::speedFactor() const
{
    return kUnitFactors[static_cast<std::size_t>(speedUnit_)];
}

double TGPS::distanceFactor() const
{
    return kUnitFactors[static_cast<std::size_t>(distanceUnit_)];
}

// $GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47
void TGPS::decodeGGA()
{
    if (!OnPosition)
        return;
    const double time = timeOfDay(0);
    const nmea::TLatLon position = latLon(1);
    const TGPSQuality quality = field(5) == "1" ? TGPSQuality::gpsqNormal
        : field(5) == "2"                       ? TGPSQuality::gpsqDifferential
                                                : TGPSQuality::gpsqNone;
    const auto satCount = nmea::toInt(field(6));
    const auto hdop = nmea::toDouble(field(7));
    const auto altitude = nmea::toDouble(field(8));
    // Without a fix receivers leave these empty: the report is all zero then.
    if (!satCount || !hdop || !altitude) {
        OnPosition(this, 0, 0, 0, TGPSQuality::gpsqNone, 0, 0, 0, 0);
        return;
    }
    // Many receivers never send the geoid height, even with a good fix.
    const double geoidHeight = nmea::toDoubleOr0(field(10));
    OnPosition(this, time + utcOffsetDays_, position.latitude, position.longitude, quality, *satCount, *hdop,
        *altitude, geoidHeight);
}

// $GPRMC,225446,A,4916.45,N,12311.12,W,000.5,054.7,191194,020.3,E*68
void TGPS::decodeRMC()
{
    if (!OnMinGPSData)
        return;
    const double time = timeOfDay(0);
    const bool warning = field(1) == "V";
    const nmea::TLatLon position = latLon(2);
    const double speed = nmea::toDoubleOr0(field(6)) * speedFactor();
    const double course = nmea::toDoubleOr0(field(7));
    const double date = nmea::toDate(field(8));
    double magVariation = 0;
    if (!field(9).empty() && !field(10).empty()) {
        magVariation = nmea::toDoubleOr0(field(9));
        if (field(10).front() == 'E')
            magVariation = -magVariation;
    }
    OnMinGPSData(this, warning, date + time + utcOffsetDays_, position.latitude, position.longitude, speed,
        course, magVariation);
}

// $GPGLL,4916.45,N,12311.12,W,225444,A,*1D
void TGPS::decodeGLL()
{
    if (!OnGeoPosition)
        return;
    const nmea::TLatLon position = latLon(0);
    const double time = timeOfDay(4);
    OnGeoPosition(this, field(5) == "A", time + utcOffsetDays_, position.latitude, position.longitude);
}

// $GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*39
void TGPS::decodeGSA()
{
    if (!OnDOP)
        return;
    usedInFix_.fill(false);
    for (std::size_t i = 2; i <= 13; ++i) {
        const auto prn = nmea::toInt(field(i));
        if (prn && *prn >= 0 && *prn < kSatteliteCount)
            usedInFix_[static_cast<std::size_t>(*prn)] = true;
    }
    OnDOP(this, field(0) == "A", field(1) == "3", nmea::toDoubleOr0(field(14)), nmea::toDoubleOr0(field(15)),
        nmea::toDoubleOr0(field(16)));
}

// $GPGSV,2,1,08,01,40,083,46,02,17,308,41,12,07,344,39,14,22,228,45*75
// Messages of one sequence arrive in order; the table holds 32 satellites and
// those of a ninth message or later are ignored.
void TGPS::decodeGSV()
{
    if (!OnSatteliteData)
        return;
    const auto total = nmea::toInt(field(0));
    const auto number = nmea::toInt(field(1));
    // Garbled counts are a garbled sentence: dropped like any other.
    if (!total || !number)
        return;
    if (field(1) == "1") {
        expectedGsvMessage_ = 1;
        satellites_ = {};
    }
    // Until a first message starts a sequence nothing is expected.
    if (expectedGsvMessage_ < 1 || *number != expectedGsvMessage_)
        return;
    const int firstRecord = (expectedGsvMessage_ - 1) * 4;
    const int completed = readSatellites(firstRecord);
    if (*total == expectedGsvMessage_)
        OnSatteliteData(this, std::min(firstRecord, kSatteliteCount) + completed, satellites_);
    expectedGsvMessage_ = expectedGsvMessage_ >= 32 ? 1 : expectedGsvMessage_ + 1;
}

// Reads up to four satellites into the records from firstRecord on; returns
// how many were read whole. The first field that is not a number ends it.
int TGPS::readSatellites(int firstRecord)
{
    int completed = 0;
    for (int i = 0; i < 4 && firstRecord + i < kSatteliteCount; ++i) {
        TSatteliteData& record = satellites_[static_cast<std::size_t>(firstRecord + i)];
        std::int32_t* const values[] = { &record.PRN, &record.Elevation, &record.Azimuth, &record.SNR };
        for (std::size_t v = 0; v < 4; ++v) {
            const auto value = nmea::toInt(field(static_cast<std::size_t>(4 * i + 3) + v));
            if (!value)
                return completed;
            *values[v] = *value;
        }
        record.Used = record.PRN >= 0 && record.PRN < kSatteliteCount
            && usedInFix_[static_cast<std::size_t>(record.PRN)];
        ++completed;
    }
    return completed;
}

// $GPRMB,A,0.66,L,003,004,4917.24,N,12309.57,W,001.3,052.5,000.5,V*20
void TGPS::decodeRMB()
{
    if (!OnNavigationInfo)
        return;
    double crossTrack = nmea::toDoubleOr0(field(1)) * distanceFactor();
    if (field(2) == "L")
        crossTrack = -crossTrack;
    const nmea::TLatLon destination = latLon(5);
    OnNavigationInfo(this, field(0) == "V", field(12) == "A", crossTrack, field(3), field(4),
        destination.latitude, destination.longitude, nmea::toDoubleOr0(field(9)) * distanceFactor(),
        nmea::toDoubleOr0(field(10)), nmea::toDoubleOr0(field(11)) * speedFactor());
}

// $GPBOD,099.3,T,105.6,M,POINTB,POINTA*48
// Receivers repeat BOD every second; only a new bearing is news.
void TGPS::decodeBOD()
{
    if (!OnBearing)
        return;
    const auto bearingTrue = nmea::toDouble(field(0));
    const auto bearingMag = nmea::toDouble(field(2));
    const double newTrue = bearingTrue && bearingMag ? *bearingTrue : kNoBearing;
    const double newMag = bearingTrue && bearingMag ? *bearingMag : kNoBearing;
    if (newTrue == lastBearingTrue_ && newMag == lastBearingMag_)
        return;
    lastBearingTrue_ = newTrue;
    lastBearingMag_ = newMag;
    OnBearing(this, newTrue, newMag, field(5), field(4), newTrue != kNoBearing);
}

// $GPBWC,225444,4917.24,N,12309.57,W,051.9,T,031.6,M,001.3,N,004*29 (BWR alike)
void TGPS::decodeBWC()
{
    if (!OnBearingDistance)
        return;
    const double time = timeOfDay(0);
    const nmea::TLatLon waypoint = latLon(1);
    OnBearingDistance(this, time + utcOffsetDays_, field(11), waypoint.latitude, waypoint.longitude,
        nmea::toDoubleOr0(field(5)), nmea::toDoubleOr0(field(7)), nmea::toDoubleOr0(field(9)));
}

// $GPRTE,2,1,c,0,W3IWI,DRIVWY,32CEDR,32-29,32BKLD,32-I95,32-US1,BW-32,BW-198*69
// A route longer than one sentence comes as numbered parts 1..total.
void TGPS::decodeRTE()
{
    if (!OnActiveRoute)
        return;
    const auto total = nmea::toInt(field(0));
    const auto number = nmea::toInt(field(1));
    // A part number that could not be followed by another is garbage.
    if (!total || !number || *number < 1 || *number == std::numeric_limits<int>::max())
        return;
    const int routeNo = nmea::toInt(field(3)).value_or(0);
    waypoints_.RouteNo = routeNo;
    if (*number == 1) {
        waypoints_.ClearPending();
    } else if (*number != expectedRteNumber_) {
        return;
    }
    for (std::size_t i = 4; i < fields_.size(); ++i)
        waypoints_.AddPending(fields_[i]);
    if (*total == *number || (*number == 1 && *total < *number)) {
        expectedRteNumber_ = 0;
        completeRoute(routeNo);
    } else if (*number == 1) {
        expectedRteNumber_ = 2;
    } else {
        ++expectedRteNumber_;
    }
}

void TGPS::completeRoute(int routeNo)
{
    waypoints_.CompletePending();
    OnActiveRoute(this, routeNo, waypoints_);
}

// $GPWPL,4917.16,N,12310.64,W,003*65
void TGPS::decodeWPL()
{
    if (!OnActiveRoute)
        return;
    const nmea::TLatLon position = latLon(0);
    waypoints_.SetPosition(field(4), position.latitude, position.longitude);
}
