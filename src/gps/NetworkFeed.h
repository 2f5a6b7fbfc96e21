// The network position feed: NMEA text from a host over Telnet, cut into
// sentences at each "$", and every "$GPRMC" turned into the position report
// that the serial receiver raises as OnMinGPSData.
#pragma once

#include "gps/GpsDateTime.h"
#include "gps/TelnetClient.h"

#include <QObject>
#include <functional>
#include <string>
#include <string_view>

// Sender is whoever the feed reports for (the main window).
using TPositionReport = std::function<void(QObject* Sender, bool Warning, TDateTime FixDateTime,
    double Latitude, double Longitude, double Speed, double Course, double MagVariation)>;

class TNetworkFeed : public QObject {
public:
    // Text without a "$" is kept up to this much; beyond it, it is garbage
    // (no sentence is this long) and goes.
    static constexpr std::size_t kMaxTelnetBuffer = 4096;

    explicit TNetworkFeed(QObject* sender, QObject* parent = nullptr);

    TTelnetClient GPSTelnet;
    // The text received since the last "$": the sentence being assembled.
    // It survives a disconnect, so the next connection completes it.
    std::string TelnetBuffer;

    // The client's data event: Buffer is the text received since the last one.
    void GPSTelnetDataAvailable(std::string_view Buffer);
    // Parses one sentence; a "$GPRMC" becomes a report, anything else is dropped.
    void ProcessaSentGPS(const std::string& sentence);

    TPositionReport OnReport;

private:
    void append(char c);

    QObject* sender_;
};
