#include "gps/GpsEventJson.h"

#include "gps/GPS.h"
#include "platform/Cp1252.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace {

const char* statusName(TNMEAStatus status)
{
    static const char* const kNames[] = { "nsNoPort", "nsNoComm", "nsComm", "nsSentence", "nsSentenceGPS" };
    return kNames[static_cast<int>(status)];
}

const char* qualityName(TGPSQuality quality)
{
    static const char* const kNames[] = { "gpsqNone", "gpsqNormal", "gpsqDifferential" };
    return kNames[static_cast<int>(quality)];
}

std::string jsonString(const std::string& bytes)
{
    const QByteArray utf8 = fromCp1252(bytes).toUtf8();
    std::string text = "\"";
    for (const char c : utf8) {
        if (c == '"' || c == '\\') {
            text += '\\';
            text += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            text += escaped;
        } else {
            text += c;
        }
    }
    return text + '"';
}

std::string jsonNumber(double value)
{
    if (!std::isfinite(value))
        return "null";
    if (value == 0)
        return "0"; // also for -0, which east longitudes of 0 give

    char digits[32];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    return std::string(digits, result.ptr);
}

// One JSON object, members in the order they are added.
class TJsonObject {
public:
    TJsonObject& Raw(const char* key, const std::string& json)
    {
        text_ += text_.empty() ? "{" : ",";
        text_ += '"';
        text_ += key;
        text_ += "\":";
        text_ += json;
        return *this;
    }
    TJsonObject& Add(const char* key, double value) { return Raw(key, jsonNumber(value)); }
    TJsonObject& Add(const char* key, int value) { return Raw(key, std::to_string(value)); }
    TJsonObject& Add(const char* key, bool value) { return Raw(key, value ? "true" : "false"); }
    TJsonObject& Add(const char* key, const std::string& value) { return Raw(key, jsonString(value)); }
    TJsonObject& Add(const char* key, const char* value) { return Raw(key, jsonString(value)); }
    std::string Text() const { return text_ + "}"; }

private:
    std::string text_;
};

TJsonObject event(const char* name)
{
    TJsonObject object;
    object.Add("event", name);
    return object;
}

std::string satellitesJson(int count, const TSatteliteTable& table)
{
    std::string json = "[";
    for (int i = 0; i < count && i < kSatteliteCount; ++i) {
        const TSatteliteData& satellite = table[static_cast<std::size_t>(i)];
        json += i ? "," : "";
        json += TJsonObject()
                    .Add("PRN", satellite.PRN)
                    .Add("Elevation", satellite.Elevation)
                    .Add("Azimuth", satellite.Azimuth)
                    .Add("SNR", satellite.SNR)
                    .Add("Used", satellite.Used)
                    .Text();
    }
    return json + "]";
}

std::string waypointsJson(const TWaypointList& list)
{
    std::string json = "[";
    for (const TWaypointData& waypoint : list.Items()) {
        json += json.size() > 1 ? "," : "";
        json += TJsonObject()
                    .Add("Name", waypoint.Name)
                    .Add("Latitude", waypoint.Latitude)
                    .Add("Longitude", waypoint.Longitude)
                    .Text();
    }
    return json + "]";
}

std::string stringsJson(const std::vector<std::string>& strings)
{
    std::string json = "[";
    for (const std::string& text : strings)
        json += (json.size() > 1 ? "," : "") + jsonString(text);
    return json + "]";
}

} // namespace

void writeEventsAsJson(TGPS& gps, std::function<void(const std::string& line)> sink)
{
    gps.OnStatus = [sink](TGPS*, TNMEAStatus status) {
        sink(event("OnStatus").Raw("Status", jsonString(statusName(status))).Text());
    };
    gps.OnPosition = [sink](TGPS*, TDateTime fixTime, double latitude, double longitude, TGPSQuality quality,
                         int satCount, double hdop, double altitude, double geoidHeight) {
        sink(event("OnPosition")
                 .Add("FixTime", fixTime)
                 .Add("Latitude", latitude)
                 .Add("Longitude", longitude)
                 .Add("Quality", qualityName(quality))
                 .Add("SatCount", satCount)
                 .Add("HDOP", hdop)
                 .Add("Altitude", altitude)
                 .Add("GeodidHeight", geoidHeight)
                 .Text());
    };
    gps.OnSatteliteData = [sink](TGPS*, int satCount, const TSatteliteTable& table) {
        sink(event("OnSatteliteData")
                 .Add("SatCount", satCount)
                 .Raw("SatteliteData", satellitesJson(satCount, table))
                 .Text());
    };
    gps.OnBearing = [sink](TGPS*, double bearingTrue, double bearingMag, const std::string& origin,
                        const std::string& destination, bool valid) {
        sink(event("OnBearing")
                 .Add("BearingTrue", bearingTrue)
                 .Add("BearingMag", bearingMag)
                 .Add("NameOrigin", origin)
                 .Add("NameDest", destination)
                 .Add("Valid", valid)
                 .Text());
    };
    gps.OnActiveRoute = [sink](TGPS*, int routeNo, const TWaypointList& waypoints) {
        sink(
            event("OnActiveRoute").Add("RouteNo", routeNo).Raw("Waypoints", waypointsJson(waypoints)).Text());
    };
    gps.OnNavigationInfo = [sink](TGPS*, bool warning, bool arrived, double crossTrack,
                               const std::string& origin, const std::string& destination, double destLat,
                               double destLon, double range, double bearing, double velocity) {
        sink(event("OnNavigationInfo")
                 .Add("Warning", warning)
                 .Add("Arrived", arrived)
                 .Add("CTE", crossTrack)
                 .Add("OriginWaypoint", origin)
                 .Add("DestWaypoint", destination)
                 .Add("DestLat", destLat)
                 .Add("DestLon", destLon)
                 .Add("RangeDest", range)
                 .Add("BearingDest", bearing)
                 .Add("Velocity", velocity)
                 .Text());
    };
    gps.OnMinGPSData = [sink](TGPS*, bool warning, TDateTime fixDateTime, double latitude, double longitude,
                           double speed, double course, double magVariation) {
        sink(event("OnMinGPSData")
                 .Add("Warning", warning)
                 .Add("FixDateTime", fixDateTime)
                 .Add("Latitude", latitude)
                 .Add("Longitude", longitude)
                 .Add("Speed", speed)
                 .Add("Course", course)
                 .Add("MagVariation", magVariation)
                 .Text());
    };
    gps.OnGeoPosition = [sink](TGPS*, bool valid, TDateTime fixTime, double latitude, double longitude) {
        sink(event("OnGeoPosition")
                 .Add("Valid", valid)
                 .Add("FixTime", fixTime)
                 .Add("Latitude", latitude)
                 .Add("Longitude", longitude)
                 .Text());
    };
    gps.OnDOP = [sink](TGPS*, bool autoSelect, bool fix3D, double pdop, double hdop, double vdop) {
        sink(event("OnDOP")
                 .Add("AutoSelect", autoSelect)
                 .Add("Fix3D", fix3D)
                 .Add("PDOP", pdop)
                 .Add("HDOP", hdop)
                 .Add("VDOP", vdop)
                 .Text());
    };
    gps.OnBearingDistance = [sink](TGPS*, TDateTime time, const std::string& waypoint, double latitude,
                                double longitude, double bearingTrue, double bearingMag, double distance) {
        sink(event("OnBearingDistance")
                 .Add("Time", time)
                 .Add("Waypoint", waypoint)
                 .Add("Latitude", latitude)
                 .Add("Longitude", longitude)
                 .Add("BearingTrue", bearingTrue)
                 .Add("BearingMag", bearingMag)
                 .Add("Distance", distance)
                 .Text());
    };
    gps.OnUnhandled = [sink](TGPS*, const std::string& talker, const std::string& id,
                          const std::vector<std::string>& data) {
        sink(event("OnUnhandled").Add("Talker", talker).Add("ID", id).Raw("Data", stringsJson(data)).Text());
    };
}
