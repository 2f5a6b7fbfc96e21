// Day and night on the globe: where the sun stands overhead at a moment, and
// the shading of the night side with a staggered dot pattern that leaves the
// picture readable beneath it.
#pragma once

#include "geo/GlobeTypes.h"

#include <QColor>
#include <cstdint>

class TCustomProjectionModel;
class TGlobeCanvas;

// The subsolar point for a UTC time in days since 30 December 1899: at 0 h
// over 180 degrees, at the December solstice over 23.43 degrees south.
TGeoPoint SubsolarPoint(double utcDays);

// Which side of the terminator a screen pixel lies on.
enum class TDayNightClass : uint8_t { dnOff, dnDay, dnTwilight, dnNight };
TDayNightClass ClassifyPixel(TCustomProjectionModel& model, const TGeoPoint& sun, int32_t x, int32_t y);

// Sets every step-th pixel of every step-th row (odd rows shifted by half a
// step) that lies in twilight or night; the day side is left alone.
void ShadeDayNight(TGlobeCanvas& canvas, TCustomProjectionModel& model, const TGeoPoint& sun,
    const QColor& night, const QColor& twilight, int32_t step);
