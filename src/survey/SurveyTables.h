// The two tables of a road survey: the survey table, one record per feature
// the operator notes, and its track table, the vehicle's path with the
// kilometre post at each point.
#pragma once

#include "survey/DbTable.h"

#include <QString>
#include <QVariant>
#include <QVector>

// "Refer", "Lon", "Lat", "Odom", "PK", "Hora", "Obs"; unique key "Refer".
QVector<TFieldDef> SurveyTableFields();
// "Refer", "Lon", "Lat", "PK", "Hora"; no key.
QVector<TFieldDef> TrackTableFields();

// Create the table's file with its fields, open it once and close it.
void CriaTbDados(TDbTable& table);
void CriaTbTrilha(TDbTable& table);

// The track table beside a survey table: "Tr" before the first "." of the
// file name (BR101.DB gives BR101Tr.DB in the same folder), so dots in folder
// names do not matter.
QString TrackTablePath(const QString& surveyPath);

// The next reference for `fieldName`: one more than the largest value in the
// whole table, skipping values that begin with "9" (kept for special marks),
// zero-padded to the field's size for a text field. An empty table gives 1
// ("000001"). A current record whose value is not a number gives an empty
// text (a null value for a numeric field). The table's order, filter and
// position are kept.
QVariant NextKeyValue(TDbTable& table, const QString& fieldName);
