// The NMEA 0183 receiver component: polls its serial port every 100 ms on the
// GUI thread, assembles and checks sentences and raises one typed event per
// decoded sentence, with positions in degrees (longitude positive west),
// times shifted to local time and speeds and distances in the chosen units.
#pragma once

#include "gps/CommDriver.h"
#include "gps/GpsDateTime.h"
#include "gps/NmeaSentence.h"

#include <QObject>
#include <QTimer>
#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

enum class TNMEAStatus { nsNoPort, nsNoComm, nsComm, nsSentence, nsSentenceGPS };
enum class TGPSQuality { gpsqNone, gpsqNormal, gpsqDifferential };
enum class TSpeedUnit { suKm, suKnots, suMiles };
enum class TDistanceUnit { duKm, duNm, duMiles };

struct TSatteliteData {
    std::int32_t PRN = 0;
    std::int32_t Elevation = 0; // degrees
    std::int32_t Azimuth = 0; // degrees
    std::int32_t SNR = 0; // dB
    bool Used = false; // listed as used in the fix by the last GSA
};

inline constexpr int kSatteliteCount = 32;
using TSatteliteTable = std::array<TSatteliteData, kSatteliteCount>;

struct TWaypointData {
    std::string Name;
    double Latitude = 0;
    double Longitude = 0; // west positive
};

// The active route as RTE sentences name it and WPL sentences place it.
class TWaypointList {
public:
    // Names beyond this many in one route are ignored, so a hostile stream
    // cannot grow the list without bound.
    static constexpr std::size_t kMaxNames = 1024;

    int Count() const { return static_cast<int>(items_.size()); }
    const TWaypointData& operator[](int index) const { return items_.at(static_cast<std::size_t>(index)); }
    const std::vector<TWaypointData>& Items() const { return items_; }

    std::int32_t RouteNo = 0;
    // Set whenever names or coordinates change; the component never clears it.
    bool Changed = true;

    void ClearPending() { pending_.clear(); }
    void AddPending(std::string name);
    // Takes the pending names as the route; records and their coordinates
    // survive when the names are the same as before.
    void CompletePending();
    // Gives every waypoint of that name these coordinates.
    void SetPosition(const std::string& name, double latitude, double longitude);

private:
    std::vector<TWaypointData> items_;
    std::vector<std::string> pending_;
};

class TGPS;

using TStatusEvent = std::function<void(TGPS* Sender, TNMEAStatus Status)>;
using TPositionEvent = std::function<void(TGPS* Sender, TDateTime FixTime, double Latitude, double Longitude,
    TGPSQuality Quality, int SatCount, double HDOP, double Altitude, double GeodidHeight)>;
using TSatteliteDataEvent
    = std::function<void(TGPS* Sender, int SatCount, const TSatteliteTable& SatteliteData)>;
using TBearingEvent = std::function<void(TGPS* Sender, double BearingTrue, double BearingMag,
    const std::string& NameOrigin, const std::string& NameDest, bool Valid)>;
using TActiveRouteEvent = std::function<void(TGPS* Sender, int RouteNo, const TWaypointList& Waypoints)>;
using TNavigationInfoEvent = std::function<void(TGPS* Sender, bool Warning, bool Arrived, double CTE,
    const std::string& OriginWaypoint, const std::string& DestWaypoint, double DestLat, double DestLon,
    double RangeDest, double BearingDest, double Velocity)>;
using TMinGPSDataEvent = std::function<void(TGPS* Sender, bool Warning, TDateTime FixDateTime,
    double Latitude, double Longitude, double Speed, double Course, double MagVariation)>;
using TGeoPositionEvent
    = std::function<void(TGPS* Sender, bool Valid, TDateTime FixTime, double Latitude, double Longitude)>;
using TDOPEvent
    = std::function<void(TGPS* Sender, bool AutoSelect, bool Fix3D, double PDOP, double HDOP, double VDOP)>;
using TBearingDistanceEvent = std::function<void(TGPS* Sender, TDateTime Time, const std::string& Waypoint,
    double Latitude, double Longitude, double BearingTrue, double BearingMag, double Distance)>;
using TUnhandledEvent = std::function<void(
    TGPS* Sender, const std::string& Talker, const std::string& ID, const std::vector<std::string>& Data)>;
// A failure that escaped a poll tick (a handler threw); the application shows it.
using TTickFailureEvent = std::function<void(TGPS* Sender, const QString& Message)>;

class TGPS : public QObject {
public:
    static constexpr int kPollMs = 100;
    // Reads per tick stop here so one tick stays short however fast the
    // receiver talks; 4096 bytes per 100 ms is far above any NMEA rate.
    static constexpr int kMaxBytesPerTick = 4096;

    explicit TGPS(QObject* owner = nullptr);
    ~TGPS() override;

    // Published properties.
    TCommName Port() const { return driver_.Port(); }
    void SetPort(TCommName port) { driver_.SetPort(port); }
    std::int32_t PortBaud() const { return driver_.Baud(); }
    void SetPortBaud(std::int32_t baud) { driver_.SetBaud(baud); }
    std::int32_t PortDatabits() const { return driver_.DataBits(); }
    void SetPortDatabits(std::int32_t bits) { driver_.SetDataBits(bits); }
    TCommParity PortParity() const { return driver_.Parity(); }
    void SetPortParity(TCommParity parity) { driver_.SetParity(parity); }
    std::int32_t PortStopBits() const { return driver_.StopBits(); }
    void SetPortStopBits(std::int32_t bits) { driver_.SetStopBits(bits); }
    std::int32_t Timeout() const { return timeout_; }
    void SetTimeout(std::int32_t seconds) { timeout_ = seconds; }
    bool ClearDataOnNoComm() const { return clearDataOnNoComm_; }
    void SetClearDataOnNoComm(bool clear) { clearDataOnNoComm_ = clear; }
    TSpeedUnit SpeedUnit() const { return speedUnit_; }
    void SetSpeedUnit(TSpeedUnit unit) { speedUnit_ = unit; }
    TDistanceUnit DistanceUnit() const { return distanceUnit_; }
    void SetDistanceUnit(TDistanceUnit unit) { distanceUnit_ = unit; }

    // The device file each port name opens (defaults: defaultCommDevice).
    QString PortDevice(TCommName port) const { return driver_.Devices().Device(port); }
    void SetPortDevice(TCommName port, const QString& devicePath)
    {
        driver_.Devices().SetDevice(port, devicePath);
    }

    bool Active() const { return driver_.IsOpen(); }
    void SetActive(bool active);
    // Why the last attempt to open the port failed, in words for the user.
    const QString& OpenErrorText() const { return driver_.ErrorText(); }

    // Hands bytes to line assembly and decoding as if the port had delivered
    // them (used to decode logs). Failures raised by handlers propagate.
    void ProcessBytes(std::string_view bytes);

    const TWaypointList& Waypoints() const { return waypoints_; }

    TStatusEvent OnStatus;
    TPositionEvent OnPosition;
    TSatteliteDataEvent OnSatteliteData;
    TBearingEvent OnBearing;
    TActiveRouteEvent OnActiveRoute;
    TNavigationInfoEvent OnNavigationInfo;
    TMinGPSDataEvent OnMinGPSData;
    TGeoPositionEvent OnGeoPosition;
    TDOPEvent OnDOP;
    TBearingDistanceEvent OnBearingDistance;
    TUnhandledEvent OnUnhandled;
    TTickFailureEvent OnTickFailure;

protected:
    // Called for every well-formed sentence of a type not decoded here.
    virtual void UnhandledSentence(const std::string& talker, const std::string& type);

private:
    using Clock = std::chrono::steady_clock;
    struct TDecoder;

    void pollTick();
    void reconnectLostDevice();
    bool readAvailable();
    bool silentTooLong() const;
    void raiseClearedEvents();
    void latchStatus(TNMEAStatus status);
    void decodeSentence(const std::string& text);

    const std::string& field(std::size_t index) const;
    double timeOfDay(std::size_t index);
    nmea::TLatLon latLon(std::size_t first) const;
    double speedFactor() const;
    double distanceFactor() const;

    void decodeGGA();
    void decodeRMC();
    void decodeGLL();
    void decodeGSA();
    void decodeGSV();
    void decodeRMB();
    void decodeBOD();
    void decodeBWC();
    void decodeRTE();
    void decodeWPL();
    int readSatellites(int firstRecord);
    void completeRoute(int routeNo);

    static const TDecoder kDecoders[];

    TCommDriver driver_;
    bool dtr_ = true;
    bool rts_ = true;
    std::int32_t timeout_ = 5;
    bool clearDataOnNoComm_ = false;
    TSpeedUnit speedUnit_ = TSpeedUnit::suKm;
    TDistanceUnit distanceUnit_ = TDistanceUnit::duKm;

    nmea::TLineAssembler lines_;
    std::vector<std::string> fields_;
    TSatteliteTable satellites_ {};
    std::array<bool, kSatteliteCount> usedInFix_ {};
    int expectedGsvMessage_ = 0;
    double utcOffsetDays_ = 0;
    int utcOffsetHour_ = -1;
    Clock::time_point lastArrival_;
    TNMEAStatus status_ = TNMEAStatus::nsNoPort;
    TNMEAStatus latchedStatus_ = TNMEAStatus::nsNoPort;
    bool reportPending_ = false;
    double lastBearingTrue_ = 0;
    double lastBearingMag_ = 0;
    int expectedRteNumber_ = 0;
    TWaypointList waypoints_;
    QTimer pollTimer_;
};
