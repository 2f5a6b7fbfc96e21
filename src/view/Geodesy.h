// Geodesic measurements between two geographic points in GlobeUnits: the
// initial great-circle bearing, the distance on the globe's sphere and the
// distance on a reference ellipsoid (Vincenty's inverse formula).
#pragma once

#include "geo/GlobeTypes.h"
#include "geo/GlobeUnits.h"

#include <cstdint>

// Counter-clockwise from north in GlobeUnits: due east is -90 degrees, due
// west +90 degrees.
int32_t InitialBearing(const TGeoPoint& from, const TGeoPoint& to);
// Arc length on the sphere of radius 1,944,000,000 / 2 pi GlobeUnits.
int32_t GreatCircleDistance(const TGeoPoint& a, const TGeoPoint& b);
// Length of the geodesic on the spheroid. The iteration stops after a bounded
// number of passes (nearly antipodal points never settle) and uses the last.
int64_t EllipsoidDistance(const TGeoPoint& a, const TGeoPoint& b, TSpheroid spheroid);
