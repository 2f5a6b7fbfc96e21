#include "survey/SurveyState.h"

#include "geo/GlobeUnits.h"
#include "view/Geodesy.h"

#include <QLocale>
#include <cmath>

TSurveyState Survey;

namespace {

// Below this speed every step is a track point.
constexpr double TRACK_SLOW_SPEED = 50;
// A turn of more than this many degrees is a track point.
constexpr double TRACK_TURN_DEGREES = 2;

} // namespace

bool TrackPointDue(const TNavigationState& nav, int trackPoints, double currentPK)
{
    return nav.ForceTrackPoint || trackPoints == 0 || nav.SpeedShown < TRACK_SLOW_SPEED
        || std::fabs(nav.CourseDeg - nav.PreviousCourseDeg) > TRACK_TURN_DEGREES
        // fmod: a post of any size typed with F6 stays a double.
        || std::fmod(std::nearbyint(currentPK * 10), 10) == 0;
}

double& TSurveyState::Odometer(int i)
{
    double* values[OdometerCount] = { &O1, &O2, &O3 };
    return *values[i];
}

bool& TSurveyState::Selected(int i)
{
    bool* values[OdometerCount] = { &R1, &R2, &R3 };
    return *values[i];
}

bool& TSurveyState::Running(int i)
{
    bool* values[OdometerCount] = { &L1, &L2, &L3 };
    return *values[i];
}

bool TSurveyState::SelectedOdometer(double& value)
{
    for (int i = 0; i < OdometerCount; ++i)
        if (Selected(i)) {
            value = Odometer(i);
            return true;
        }
    return false;
}

void TSurveyState::CalculaPK(const TGeoPoint& current, const TGeoPoint& previous, bool inverso)
{
    if (previous.Long == 0 && previous.Lat == 0)
        return;
    PKStep
        = static_cast<double>(GUToUnits(GreatCircleDistance(current, previous), TGlobeUnitTypes::Kilometer));
    for (int i = 0; i < OdometerCount; ++i)
        if (Running(i))
            Odometer(i) += PKStep;
    if (inverso)
        PKStep = -PKStep;
    CurrentPK += PKStep;
}

double RoundToTenth(double km)
{
    return std::nearbyint(km * 10) / 10;
}

QString KmText(double km)
{
    return QLocale().toString(km, 'f', 1);
}
