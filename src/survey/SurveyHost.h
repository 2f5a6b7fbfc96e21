// What the road survey window needs from the program around it: the
// receiver, the coordinate texts of the chosen format, the navigation state
// and the marker and track on the globe. The main window implements it.
#pragma once

#include <QString>
#include <QStringView>

class TGeoDataObject;
class TGPS;
struct TNavigationState;

class TSurveyHost {
public:
    virtual ~TSurveyHost() = default;

    virtual TGPS& Receiver() = 0;
    virtual TNavigationState& Navigation() = 0;
    // "Lat"/"Lon" readout text of a position in degrees (east and north positive).
    virtual QString CoordText(QStringView axis, double degrees) = 0;
    // The survey table used when the operator chooses none.
    virtual QString DefaultTablePath() = 0;
    // Creates the moving marker "Movel" when the globe has none.
    virtual void ProvideMovingMarker() = 0;
    // Moves the marker to CurrentFix turned to `course` and centres the view on it.
    virtual void PlaceMarker(double course) = 0;
    // The track object with its first chain, created when missing; null
    // when the globe has no track layer.
    virtual TGeoDataObject* ProvideTrackObject() = 0;
    virtual void RedrawGlobe() = 0;
};
