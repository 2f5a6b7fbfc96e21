// Survey tables for the office: the records as CSV, the records and the
// track as GPX 1.1 (records as waypoints, the track as a track).
#pragma once

#include <QString>

class TDbTable;

struct TCsvOptions {
    QChar separator = QLatin1Char(';');
};

// The survey records in key order: "Refer", the GlobeUnits "Lon" and "Lat",
// the same position in decimal degrees, "Odom", "PK", "Hora" (ISO local
// time) and "Obs". UTF-8, numbers with ".", fields quoted when they need it.
QByteArray SurveyCsv(TDbTable& survey, const TCsvOptions& options);

// Waypoints named by "Refer", with "Obs" as description and the kilometre
// post (and odometer) as comment; the track table's points as one track
// segment. Times in UTC. `track` may be null; records without a position are
// left out.
QByteArray SurveyGpx(TDbTable& survey, TDbTable* track, const QString& name);

// Writes the survey table at `tablePath` to `outPath`: GPX when it ends in
// ".gpx" (with the track table beside the survey table, when there is one),
// CSV otherwise. The output replaces an old file only when complete. Throws
// EDbTableError or std::runtime_error with a message for the user.
void ExportSurvey(const QString& tablePath, const QString& outPath, const TCsvOptions& options);
