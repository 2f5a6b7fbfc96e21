// Helpers on top of the globe control: opening a layer from a file of any
// supported format, zooming the view to a geographic rectangle, a layer or a
// raster object, and comparing device pixels of two points.
#pragma once

#include "geo/GlobeTypes.h"

#include <string>

class TBitmapObject;
class TGlobe4;
class TGlobeLayer;
class TGlobeProjection;

// The reader class for a file name by its extension (".LYR", ".SHP", ".MIF",
// any letter case); empty for other extensions.
std::string ReaderClassForFile(const std::string& fileName);
// A new layer showing the file, its source opened; the layer's index, or -1
// (and no layer) when the file cannot be found. Errors of opening propagate.
int OpenLayerFile(TGlobe4& globe, const std::string& fileName);

// Centres the view on the rectangle and, when it has an extent, fits it.
void ZoomToMER(TGlobe4& globe, const TMER& mer);
void ZoomToLayer(TGlobeLayer& layer);
void ZoomToBitmap(TGlobe4& globe, TBitmapObject& bitmap);
// Both points project to one device pixel, visible or not.
bool SameDevicePoint(const TGlobeProjection& projection, const TGeoPoint& a, const TGeoPoint& b);
