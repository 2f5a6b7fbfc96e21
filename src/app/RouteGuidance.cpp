#include "app/RouteGuidance.h"

#include "geo/GeoDataObject.h"
#include "view/Geodesy.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

int32_t ClampToInt32(long double value)
{
    constexpr auto low = static_cast<long double>(std::numeric_limits<int32_t>::min());
    constexpr auto high = static_cast<long double>(std::numeric_limits<int32_t>::max());
    if (!std::isfinite(value))
        return 0;
    return static_cast<int32_t>(std::trunc(std::clamp(value, low, high)));
}

double EtaOf(int32_t distance, int32_t vmg) { return vmg > 0 ? distance / static_cast<double>(vmg) / 24 : 0; }

} // namespace

std::vector<TGeoPoint> RoutePointsOf(TGeoDataObject* route)
{
    std::vector<TGeoPoint> points;
    if (!route || route->Chains.Count() == 0)
        return points;
    const TPointStore& chain = route->Chains.Chain(0);
    for (int i = 0; i < chain.Count(); ++i)
        points.push_back(chain.Point(i));
    return points;
}

TGuidanceStep ComputeGuidance(const std::vector<TGeoPoint>& route, int next, const TGuidanceFix& fix)
{
    TGuidanceStep step;
    step.Legs.resize(route.size());
    for (int i = 0; i < static_cast<int>(route.size()); ++i) {
        TRouteLeg& leg = step.Legs[static_cast<std::size_t>(i)];
        const TGeoPoint& point = route[static_cast<std::size_t>(i)];
        if (i == next) {
            leg.Distance = GreatCircleDistance(fix.Position, point);
            step.Closing = GreatCircleDistance(fix.Earlier, point) - leg.Distance;
            // Two reports with the same time give no speed rather than an
            // infinite one.
            const double days = fix.Time - fix.EarlierTime;
            step.Vmg = days != 0 ? ClampToInt32(step.Closing / days / 24) : 0;
            leg.Eta = EtaOf(leg.Distance, step.Vmg);
        } else if (i > next) {
            const TRouteLeg& before = step.Legs[static_cast<std::size_t>(i - 1)];
            leg.Distance = ClampToInt32(static_cast<long double>(before.Distance)
                                        + GreatCircleDistance(route[static_cast<std::size_t>(i - 1)], point));
            leg.Eta = EtaOf(leg.Distance, step.Vmg);
        }
        leg.Bearing = InitialBearing(fix.Position, point);
    }
    return step;
}

int FirstPointApproached(const std::vector<TGeoPoint>& route, const TGeoPoint& position, const TGeoPoint& earlier)
{
    for (std::size_t i = 0; i < route.size(); ++i)
        if (GreatCircleDistance(position, route[i]) < GreatCircleDistance(earlier, route[i]))
            return static_cast<int>(i);
    return 0;
}
