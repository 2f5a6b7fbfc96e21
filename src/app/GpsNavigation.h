// The navigation display of the main window: connecting the chosen position
// source, and turning each position report into the readouts of the
// "Navegação" tab, the compass, the moving marker centred on the globe and
// the track behind it.
#pragma once

#include "gps/GpsDateTime.h"
#include "gps/NetworkFeed.h"

#include <QObject>
#include <QTimer>
#include <chrono>

class TFormBrumex;
class TGeoDataObject;

class TGpsNavigation : public QObject {
public:
    // A source quiet for longer than this (the receiver's time-out) shows
    // its last position as stale.
    static constexpr int kStaleSeconds = 5;

    explicit TGpsNavigation(TFormBrumex& form);

    // The network position feed; its client is the window's GPSTelnet.
    TNetworkFeed Feed;

    // "Conectar GPS": connects or disconnects the source chosen in the
    // settings (serial receiver or network client).
    void SwGPSClick();
    // One position report of either source (longitude positive west).
    void GPSMinGPSData(QObject* Sender, bool Warning, TDateTime FixDateTime, double Latitude, double Longitude,
        double Speed, double Course, double MagVariation);
    // One track step.
    void TrataTrilha();
    // The marker "Movel" in layer "Trilha"; and the marker moved to
    // CurrentFix, turned to `heading` when `turn`, with the view centred on it.
    void CreateMovingMarker();
    void PlaceMarker(double heading, bool turn);
    // The track object "Trilha" with its first chain, made when missing; null
    // without a track layer.
    TGeoDataObject* ProvideTrackObject();

    // The route guidance step of each report while a route is active.
    std::function<void()> OnRouteStep;
    // The report goes to the road survey window while it is visible.
    std::function<bool()> SurveyVisible;
    std::function<void(bool Warning, TDateTime FixDateTime, double Latitude, double Longitude, double Speed,
        double Course, double MagVariation)>
        OnSurveyReport;

private:
    enum class TFeedState { None, NoData, NoFix, Valid, Lost };

    void ShowState();
    void ConnectFailed(const QString& message);
    // A network feed that ended by itself: the box no longer claims a
    // connection, and the state line says what happened until the next click.
    void ConnectionLost(const QString& reason);
    bool SourceOpen() const;

    TFormBrumex& m_form;
    TFeedState m_state = TFeedState::None;
    QString m_lostText;
    std::chrono::steady_clock::time_point m_lastReport;
    QTimer m_stateTimer;
};
