// Drawing in geographic coordinates with the canvas's current pen and brush:
// polygons and polylines of points, lines straight in longitude and latitude,
// great-circle arcs and small circles. The globe's drawing services use them.
#pragma once

#include "geo/GlobeTypes.h"

#include <cstdint>
#include <span>

class TCustomProjectionModel;
class TGlobeCanvas;

void DrawGeoPolygon(TGlobeCanvas& canvas, std::span<const TGeoPoint> points);
void DrawGeoPolyline(TGlobeCanvas& canvas, std::span<const TGeoPoint> points);
// steps segments (at least one); a line between quarters beyond 90 degrees
// east and west crosses the antimeridian. Drawn only when it shows.
void DrawGeoLine(TGlobeCanvas& canvas, TCustomProjectionModel& model, const TGeoPoint& from,
    const TGeoPoint& to, int32_t steps);
// Mode 0 the short arc, 1 the long arc, any other the whole circle; one vertex
// a degree, and a straight line below a degree.
void DrawGreatCircle(TGlobeCanvas& canvas, TCustomProjectionModel& model, const TGeoPoint& from,
    const TGeoPoint& to, uint8_t mode);
// segments outside 3 .. 360 count as 36; the radius is an arc measured
// northwards along the meridian.
void DrawSmallCircle(TGlobeCanvas& canvas, const TGeoPoint& centre, int32_t radius, int32_t segments);
