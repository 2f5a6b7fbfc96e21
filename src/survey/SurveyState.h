// The running state of the road survey: the kilometre post and the three trip
// odometers. The odometers and their switches are kept in the settings; the
// kilometre post starts at 0 on every program start and the operator sets it
// at a known post.
#pragma once

#include "geo/GlobeTypes.h"
#include "survey/NavigationState.h"

#include <QString>

struct TSurveyState {
    static constexpr int OdometerCount = 3;

    double CurrentPK = 0; // km
    double PKStep = 0; // km, the last distance added to CurrentPK (signed)
    double O1 = 0, O2 = 0, O3 = 0; // odometers, km
    bool R1 = false, R2 = false, R3 = false; // selected for new records
    bool L1 = false, L2 = false, L3 = false; // running
    QString NextRefer; // reference prepared for the record being appended

    // Odometer i (0..2) and its switches.
    double& Odometer(int i);
    bool& Selected(int i);
    bool& Running(int i);
    // The selected odometer's value; false when none is selected.
    bool SelectedOdometer(double& value);

    // Advances by the distance from `previous` to `current`: every running
    // odometer grows, the kilometre post follows `inverso`. Nothing happens
    // without a previous position (0, 0).
    void CalculaPK(const TGeoPoint& current, const TGeoPoint& previous, bool inverso);
};

extern TSurveyState Survey;

// Rounded to one decimal, ties to even: posts and odometers in the tables.
double RoundToTenth(double km);
// "#,##0.0" in the user's locale: the post and odometer readouts.
QString KmText(double km);

// Whether a track step appends CurrentFix to a track of `trackPoints` points.
// The tests, in order: a forced point or an empty track; below 50 in the
// speed unit; a turn of more than 2 degrees; the kilometre post at a whole
// kilometre to one decimal (0, a survey that never ran, counts as whole).
bool TrackPointDue(const TNavigationState& nav, int trackPoints, double currentPK);
