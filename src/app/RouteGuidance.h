// One step of route guidance, as numbers: for every route point the distance
// along the route from the vehicle, the bearing from the vehicle and the time
// to arrive, and the velocity made good towards the next point.
#pragma once

#include "app/Vars.h"
#include "geo/GlobeTypes.h"

#include <cstdint>
#include <vector>

class TGeoDataObject;

// The points of a route line's first chain; none for a null line.
std::vector<TGeoPoint> RoutePointsOf(TGeoDataObject* route);

struct TGuidanceFix {
    TGeoPoint Position; // the current report
    TGeoPoint Earlier; // the report before
    double Time = 0; // days
    double EarlierTime = 0;
};

struct TGuidanceStep {
    std::vector<TRouteLeg> Legs; // one per route point
    int32_t Vmg = 0; // GlobeUnits per hour
    int32_t Closing = 0; // how much nearer the next point came, GlobeUnits
};

// `next` must index a point of a route that has one.
TGuidanceStep ComputeGuidance(const std::vector<TGeoPoint>& route, int next, const TGuidanceFix& fix);

// The first route point that the vehicle came nearer to between the two
// reports, or 0.
int FirstPointApproached(const std::vector<TGeoPoint>& route, const TGeoPoint& position, const TGeoPoint& earlier);
