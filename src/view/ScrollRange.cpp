#include "view/ScrollRange.h"

#include "geo/GeoMath.h"
#include "geo/GlobeProjection.h"

#include <algorithm>

TScrollRange ScrollRange(const TGlobeProjection& p, bool latitude, int32_t extent, long double offset)
{
    const TRect world = p.WorldExtent();
    const int32_t a = latitude ? world.Top : world.Left, b = latitude ? world.Bottom : world.Right;
    const int32_t bound = latitude ? GU_90_DEGREE : GU_180_DEGREE;
    TScrollRange r;
    r.min = std::min(a, b);
    r.max = std::max(a, b);
    if (p.UseMinMaxLimits()) {
        r.min
            = std::max<long double>(r.min, Rnd((latitude ? p.MinLatitude() : p.MinLongitude()) * GU_DEGREE));
        r.max
            = std::min<long double>(r.max, Rnd((latitude ? p.MaxLatitude() : p.MaxLongitude()) * GU_DEGREE));
    }
    r.min = std::max<long double>(r.min, -bound);
    r.max = std::min<long double>(r.max, bound);
    r.page = std::min(2 * bound, extent);
    r.halfPage = r.page / 2.0L;
    r.position = Clamp(offset, r.min + r.halfPage, r.max - r.halfPage);
    return r;
}

bool FitLimits(TGlobeProjection& p, const TScrollRange& r, int32_t windowSize)
{
    if (!p.UseMinMaxLimits() || r.max - r.min >= r.page)
        return false;
    if (r.max > r.min)
        p.SetScaleFactor(windowSize / (r.max - r.min));
    return true;
}
