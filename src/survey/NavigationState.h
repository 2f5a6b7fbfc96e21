// The navigation state of the position reports, shared by the main window's
// navigation display and the road survey window (whichever is showing the
// reports writes it).
#pragma once

#include "geo/GlobeTypes.h"

#include <cstdint>

class TGeoDataObject;

struct TNavigationState {
    TGeoPoint CurrentFix; // latest report, GlobeUnits, height 0
    TGeoPoint PreviousFix; // the report before
    TGeoPoint EarlierFix; // the report before PreviousFix (route guidance)
    bool HasPreviousFix = false; // PreviousFix holds a report of this run
    double FixTime = 0; // local time of the latest report, days
    double PreviousFixTime = 0;
    int32_t StepDistance = 0; // PreviousFix to CurrentFix on the ellipsoid, GlobeUnits
    double SpeedGU = 0; // GlobeUnits per hour
    double SpeedShown = 0; // in the speed unit of the current unit system
    double PreviousSpeedShown = 0;
    int32_t CourseGU = 0; // initial bearing PreviousFix to CurrentFix
    double CourseDeg = 0; // course in degrees as the road survey takes it
    double PreviousCourseDeg = 0;
    TGeoDataObject* MovingMarker = nullptr; // "Movel" on layer "Trilha"
    TGeoDataObject* TrackObject = nullptr; // "Trilha" on layer "Trilha"
    bool ForceTrackPoint = false; // the next track step appends a point
};
