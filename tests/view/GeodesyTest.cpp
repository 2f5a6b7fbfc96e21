// Bearings and distances between geographic points, on the globe's sphere and
// on the WGS84 ellipsoid. The ellipsoid reference distances come from
// GeographicLib (GeodSolve -i -p 9, WGS84), in metres.
#include "view/Geodesy.h"
#include "geo/GeoMath.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

constexpr long double GU_PER_METRE = 48.59611231101512L;

TGeoPoint Deg(long double longitude, long double lat)
{
    return MakeGeoPoint(Rnd(longitude * GU_DEGREE), Rnd(lat * GU_DEGREE));
}

TEST(GeodesyTest, ValuesOfTheMeasurementRules)
{
    const TGeoPoint origin = Deg(0, 0);
    EXPECT_EQ(EllipsoidDistance(origin, Deg(0, 10), TSpheroid::WGS84), 53740246);
    EXPECT_EQ(EllipsoidDistance(origin, Deg(90, 0), TSpheroid::WGS84), 486872503);
    EXPECT_EQ(EllipsoidDistance(Deg(-46.6, -23.5), Deg(-46.6, -23.5), TSpheroid::WGS84), 0);
    EXPECT_EQ(GreatCircleDistance(origin, Deg(90, 0)), 486000000);
    EXPECT_EQ(GreatCircleDistance(origin, origin), 0);
    EXPECT_EQ(InitialBearing(origin, Deg(0, 10)), 0);
    EXPECT_EQ(InitialBearing(origin, Deg(10, 0)), -486000000);
    EXPECT_EQ(InitialBearing(origin, Deg(-10, 0)), 486000000);
    EXPECT_EQ(InitialBearing(origin, Deg(0, -10)), GU_180_DEGREE);
}

struct GeodesicCase {
    long double long1, lat1, long2, lat2;
    long double metres; // GeographicLib
};

TEST(GeodesyTest, EllipsoidDistanceAgreesWithGeographicLib)
{
    const GeodesicCase cases[] = {
        { 0, 0, 0, 10, 1105854.833234372 },
        { 0, 0, 90, 0, 10018754.171394622 },
        { -46.6, -23.5, -43.2, -22.9, 354336.764458498 },
        { -0.12, 51.5, -74.0, 40.7, 5586501.473062146 },
        { 151.2, -33.9, 139.7, 35.7, 7797236.865157441 },
        { 0, 89, 1, -89, 19780552.236365087 },
        { -47.9, -15.8, -47.89, -15.8, 1071.402071032 },
        { 45, 45, 45.00001, 45.00001, 1.362611256 },
    };
    for (const GeodesicCase& c : cases) {
        const long double expected = c.metres * GU_PER_METRE;
        const int64_t got = EllipsoidDistance(Deg(c.long1, c.lat1), Deg(c.long2, c.lat2), TSpheroid::WGS84);
        // The semi-major axis is held in whole GlobeUnits: a few parts in 1e9.
        EXPECT_NEAR(got, expected, 2 + expected * 3e-9L)
            << c.long1 << " " << c.lat1 << " " << c.long2 << " " << c.lat2;
    }
}

TEST(GeodesyTest, NearlyAntipodalPointsEndAfterBoundedPasses)
{
    // Vincenty's iteration does not settle here; the answer stays finite and
    // near the geodesic, within the width of the failure zone.
    const GeodesicCase cases[] = {
        { 0, 0, 179.7, 0.5, 19944127.420750458 },
        { 0, 0, 179.5, 0.5, 19936288.578965314 },
        { 0, 0, 179.9, -0.2, 19981122.973113053 },
        { 20, 10, -160.2, -10.1, 19989724.584658708 },
    };
    for (const GeodesicCase& c : cases) {
        const long double expected = c.metres * GU_PER_METRE;
        const int64_t got = EllipsoidDistance(Deg(c.long1, c.lat1), Deg(c.long2, c.lat2), TSpheroid::WGS84);
        EXPECT_NEAR(got, expected, expected * 0.01L) << c.long2 << " " << c.lat2;
    }
}

TEST(GeodesyTest, GreatCircleDistanceIsTheSphericalArc)
{
    const TGeoPoint a = Deg(-46.6, -23.5), b = Deg(-43.2, -22.9);
    const long double phi1 = -23.5L * PI_L / 180, phi2 = -22.9L * PI_L / 180;
    const long double dl = 3.4L * PI_L / 180;
    const long double arc
        = std::acos(std::sin(phi1) * std::sin(phi2) + std::cos(phi1) * std::cos(phi2) * std::cos(dl));
    EXPECT_NEAR(GreatCircleDistance(a, b), arc * GU_PER_RADIAN, 2);
    EXPECT_EQ(GreatCircleDistance(a, b), GreatCircleDistance(b, a));
}

} // namespace
