// GPX, the exchange format of other navigation programs: waypoints and
// routes with their names. Writes GPX 1.1; reads 1.0 and 1.1 (elements are
// matched by local name, so either namespace, or none, is accepted).
#pragma once

#include <QByteArray>
#include <QString>

#include <string>
#include <vector>

struct TGpxPoint {
    double Lat = 0; // degrees, north positive
    double Lon = 0; // degrees, east positive
    QString Name;
    QString Symbol; // <sym>
    QString Type; // <type>
};

struct TGpxRoute {
    QString Name;
    std::vector<TGpxPoint> Points;
};

struct TGpxData {
    std::vector<TGpxPoint> Waypoints;
    std::vector<TGpxRoute> Routes;
};

// Raises EGlobeException naming `sourceName` and the line for input that is
// not well-formed XML, not a <gpx> document, or has a point without valid
// latitude and longitude.
TGpxData ReadGpx(const QByteArray& bytes, const std::string& sourceName);

// A GPX 1.1 document; coordinates with 9 decimals (finer than a GlobeUnit).
QByteArray WriteGpx(const TGpxData& data);
