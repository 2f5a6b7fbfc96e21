// Helpers on top of the globe control: zooming the view to a geographic
// rectangle or a raster object, and comparing device pixels of two points.
#pragma once

#include "geo/GlobeTypes.h"

class TBitmapObject;
class TGlobe4;
class TGlobeProjection;

// Centres the view on the rectangle and, when it has an extent, fits it.
void ZoomToMER(TGlobe4& globe, const TMER& mer);
void ZoomToBitmap(TGlobe4& globe, TBitmapObject& bitmap);
// Both points project to one device pixel, visible or not.
bool SameDevicePoint(const TGlobeProjection& projection, const TGeoPoint& a, const TGeoPoint& b);
