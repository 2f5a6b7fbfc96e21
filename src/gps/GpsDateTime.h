// Time stamps of the receiver's events: day counts as a double, whole days
// since 1899-12-30 in the integer part and the time of day as the fraction.
// Values are local wall-clock time (the receiver's UTC plus the computer's
// offset) and need not lie inside one day.
#pragma once

#include <QDate>
#include <QDateTime>

using TDateTime = double;

TDateTime dayCount(QDate date);

// The one conversion to QDateTime (local time) the program uses. Counts
// below zero run backwards from the epoch continuously; counts beyond any
// plausible date give an invalid QDateTime.
QDateTime toQDateTime(TDateTime days);

// The computer's current offset from UTC, in days (daylight saving included
// while it is in force).
double currentUtcOffsetDays();
