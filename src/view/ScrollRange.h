// The scroll bars of the globe control work in GlobeUnits of the projected
// plane; this is the arithmetic of one bar.
#pragma once

#include <cstdint>

class TGlobeProjection;

// One scroll bar in GlobeUnits: its range, its page and the view position,
// clamped so that the page stays inside the range (the lower end wins).
struct TScrollRange {
    long double min = 0;
    long double max = 0;
    int32_t page = 0;
    long double halfPage = 0;
    long double position = 0;
};

// latitude: the vertical bar; extent: the view extent along the bar;
// offset: where the view's middle lies, in GlobeUnits from the origin.
TScrollRange ScrollRange(const TGlobeProjection& p, bool latitude, int32_t extent, long double offset);
// With the limits on, a window wider than the limits zooms in to fit them
// (the new scale updates the bars again); answers whether it did.
bool FitLimits(TGlobeProjection& p, const TScrollRange& r, int32_t windowSize);
