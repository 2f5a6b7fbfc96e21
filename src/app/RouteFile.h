// Route files (".Rot"): one initialisation-format section "Y<n>" per route
// point with the keys "M" (longitude) and "N" (latitude), GlobeUnits in
// decimal.
#pragma once

#include "geo/GlobeTypes.h"

#include <string>
#include <vector>

// For each section at position k of the file's section list whose name
// starts with "Y", the point of section "Y<k>" (missing keys read as 0, the
// longitude normalised). A file that cannot be read raises EGlobeException.
std::vector<TGeoPoint> ReadRouteFile(const std::string& fileName);

// Replaces the file with exactly these points, atomically.
void WriteRouteFile(const std::string& fileName, const std::vector<TGeoPoint>& points);
