#include "app/Formatting.h"
#include "app/RouteGuidance.h"
#include "geo/GlobeUnits.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// GlobeUnits of a distance along the equator, where they equal longitude.
int32_t Km(double km) { return static_cast<int32_t>(std::lround(km * GlobeUnitsPerUnit(TGlobeUnitTypes::Kilometer))); }

TGeoPoint OnEquator(double km) { return {Km(km), 0, 0}; }

const double MINUTE = 1.0 / 1440;

} // namespace

TEST(RouteGuidance, DistancesAddUpAlongTheRouteFromTheNextPoint)
{
    // 1 km from point 0 to point 1, 2 km from point 1 to point 2; the
    // vehicle 0.5 km before point 0, coming 0.5 km nearer in a minute.
    const std::vector<TGeoPoint> route = {OnEquator(0), OnEquator(1), OnEquator(3)};
    const TGuidanceStep step = ComputeGuidance(route, 0, {OnEquator(-0.5), OnEquator(-1), 10 * MINUTE, 9 * MINUTE});
    ASSERT_EQ(step.Legs.size(), 3u);
    EXPECT_EQ(DistanceText(step.Legs[0].Distance, 0), "0.500 km");
    EXPECT_EQ(DistanceText(step.Legs[1].Distance, 0), "1.500 km");
    EXPECT_EQ(DistanceText(step.Legs[2].Distance, 0), "3.500 km");
    EXPECT_EQ(step.Closing, Km(0.5));
    EXPECT_EQ(step.Vmg, static_cast<int32_t>(std::trunc(Km(0.5) / (10 * MINUTE - 9 * MINUTE) / 24)));
    EXPECT_EQ(SpeedText(step.Vmg, 0), "30.0 km/h");
    EXPECT_NEAR(step.Legs[0].Eta * 1440, 1, 1e-3); // a minute to go
    EXPECT_NEAR(step.Legs[2].Eta * 1440, 7, 1e-3);
    for (const TRouteLeg& leg : step.Legs)
        EXPECT_EQ(CompassDegrees(leg.Bearing), 90); // every point lies due east
}

TEST(RouteGuidance, PointsBehindTheNextOneAreZero)
{
    const std::vector<TGeoPoint> route = {OnEquator(0), OnEquator(1), OnEquator(3)};
    const TGuidanceStep step = ComputeGuidance(route, 1, {OnEquator(0.5), OnEquator(0.25), 2 * MINUTE, MINUTE});
    EXPECT_EQ(step.Legs[0].Distance, 0);
    EXPECT_EQ(step.Legs[0].Eta, 0);
    EXPECT_EQ(CompassDegrees(step.Legs[0].Bearing), 270); // behind: due west
    EXPECT_EQ(DistanceText(step.Legs[1].Distance, 0), "0.500 km");
    EXPECT_EQ(DistanceText(step.Legs[2].Distance, 0), "2.500 km");
}

TEST(RouteGuidance, NoProgressGivesNoTimes)
{
    const std::vector<TGeoPoint> route = {OnEquator(0), OnEquator(2)};
    struct Case {
        const char* what;
        TGuidanceFix fix;
    };
    const Case cases[] = {
        {"standing still", {OnEquator(-1), OnEquator(-1), 2 * MINUTE, MINUTE}},
        {"moving away", {OnEquator(-1), OnEquator(-0.5), 2 * MINUTE, MINUTE}},
        {"two reports at one time", {OnEquator(-1), OnEquator(-2), MINUTE, MINUTE}},
    };
    for (const Case& c : cases) {
        const TGuidanceStep step = ComputeGuidance(route, 0, c.fix);
        EXPECT_LE(step.Vmg, 0) << c.what;
        for (const TRouteLeg& leg : step.Legs)
            EXPECT_EQ(leg.Eta, 0) << c.what;
    }
    EXPECT_EQ(ComputeGuidance(route, 0, cases[2].fix).Vmg, 0);
}

TEST(RouteGuidance, ARouteLongerThanAThousandPointsIsGuidedWhole)
{
    std::vector<TGeoPoint> route;
    for (int i = 0; i < 1500; ++i)
        route.push_back(OnEquator(i));
    const TGuidanceStep step = ComputeGuidance(route, 1200, {OnEquator(1199.5), OnEquator(1199), 2 * MINUTE, MINUTE});
    ASSERT_EQ(step.Legs.size(), 1500u);
    EXPECT_EQ(DistanceText(step.Legs[1499].Distance, 0), "299.5 km");
}

TEST(RouteGuidance, DistancesAlongAWorldLongRouteStopAtTheLargestValue)
{
    // Quarter turns around the equator: five of them pass the int32 range.
    std::vector<TGeoPoint> route;
    for (const int32_t longitude : {0, 486000000, 972000000, -486000000, 0, 486000000})
        route.push_back({longitude, 0, 0});
    const TGuidanceStep step = ComputeGuidance(route, 0, {route[0], route[0], 2 * MINUTE, MINUTE});
    EXPECT_EQ(step.Legs.back().Distance, INT32_MAX);
    EXPECT_EQ(step.Legs[4].Distance, 4 * 486000000);
}

TEST(RouteGuidance, ActivationPicksTheFirstPointTheVehicleNears)
{
    const std::vector<TGeoPoint> route = {OnEquator(0), OnEquator(5), OnEquator(10)};
    struct Case {
        double position, earlier;
        int expected;
    };
    const Case cases[] = {
        {-1, -2, 0},   // coming from the west: nearing every point, the first counts
        {2, 1, 1},     // past point 0, nearing point 1
        {11, 10.5, 0}, // past the end: nearing none
        {3, 3, 0},     // standing: nearing none
    };
    for (const Case& c : cases)
        EXPECT_EQ(FirstPointApproached(route, OnEquator(c.position), OnEquator(c.earlier)), c.expected)
            << c.position << " from " << c.earlier;
}
