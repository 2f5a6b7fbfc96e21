#include "geo/GeoMath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {
constexpr int32_t DEG = GU_DEGREE;
}

TEST(GeoMath, RoundingAndMulDiv)
{
    EXPECT_EQ(Rnd(0.5L), 0);
    EXPECT_EQ(Rnd(1.5L), 2);
    EXPECT_EQ(Rnd(-1.5L), -2);
    EXPECT_EQ(Rnd(2.4999L), 2);
    EXPECT_EQ(MulDiv(10, 3, 4), 8); // 7.5 rounds away from zero
    EXPECT_EQ(MulDiv(-10, 3, 4), -8);
    EXPECT_EQ(MulDiv(10, 1, 3), 3);
    EXPECT_EQ(MulDiv(2000000000, 2000000000, 2000000000), 2000000000); // 64-bit intermediate
    EXPECT_EQ(MulDiv(1, 1, 0), -1);
    EXPECT_EQ(MulDiv(2000000000, 2, 1), -1);
}

TEST(GeoMath, NormalizeLongCorrectsOnce)
{
    EXPECT_EQ(NormalizeLong(972000001), 972000001);
    EXPECT_EQ(NormalizeLong(972000002), -971999998);
    EXPECT_EQ(NormalizeLong(-972000002), 971999998);
    EXPECT_EQ(NormalizeLong(-972000001), -972000001);
    EXPECT_EQ(NormalizeLong(3000000000LL), 1056000000); // one correction only
    EXPECT_EQ(MakeGeoPoint(972000002, 7), (TGeoPoint { -971999998, 7, 0 }));
    EXPECT_EQ(MakeGeoPointH(-972000002, 7, 9), (TGeoPoint { 971999998, 7, 9 }));
}

TEST(GeoMath, MERContainsPointIsStrictAndWraps)
{
    const TMER mer = MakeMER(10, 10, 20, 20);
    EXPECT_TRUE(MERContainsPoint({ 15, 15, 0 }, mer));
    EXPECT_FALSE(MERContainsPoint({ 10, 15, 0 }, mer));
    EXPECT_FALSE(MERContainsPoint({ 15, 30, 0 }, mer));
    EXPECT_FALSE(MERContainsPoint({ 30, 15, 0 }, mer));
    EXPECT_TRUE(MERIsEmpty(MakeMER(5, 5, 0, 0)));
    EXPECT_FALSE(MERIsEmpty(MakeMER(5, 5, 1, 0)));
    // 170E .. 170W across the antimeridian.
    const TMER across = MakeMER(170 * DEG, 0, 20 * DEG, 10 * DEG);
    EXPECT_TRUE(MERContainsPoint({ -175 * DEG, 5 * DEG, 0 }, across));
    EXPECT_TRUE(MERContainsPoint({ 175 * DEG, 5 * DEG, 0 }, across));
    EXPECT_FALSE(MERContainsPoint({ -165 * DEG, 5 * DEG, 0 }, across));
    // A full-width MER whose right edge lies beyond int32 does not overflow.
    const TMER wide = MakeMER(971999999, 0, 1943999998, 10);
    EXPECT_TRUE(MERContainsPoint({ 0, 5, 0 }, wide));
}

TEST(GeoMath, MERUnionTakesTheNarrowerWay)
{
    const struct {
        TMER a, b, expected;
    } rows[] = {
        // 175E width 4 with 178W width 2: wrapping 9 degrees beats direct 357.
        { MakeMER(175 * DEG, 0, 4 * DEG, DEG), MakeMER(-178 * DEG, 0, 2 * DEG, DEG),
            MakeMER(175 * DEG, 0, 9 * DEG, DEG) },
        { MakeMER(-178 * DEG, 0, 2 * DEG, DEG), MakeMER(175 * DEG, 0, 4 * DEG, DEG),
            MakeMER(175 * DEG, 0, 9 * DEG, DEG) },
        // Both east of 0: plain union, and heights joined.
        { MakeMER(10, 5, 10, 10), MakeMER(30, -5, 5, 5), MakeMER(10, -5, 25, 20) },
        // One inside the other.
        { MakeMER(-50 * DEG, 0, 100 * DEG, DEG), MakeMER(-10 * DEG, 0, 5 * DEG, DEG),
            MakeMER(-50 * DEG, 0, 100 * DEG, DEG) },
        // Near each other around 0: direct.
        { MakeMER(-10 * DEG, 0, 5 * DEG, DEG), MakeMER(10 * DEG, 0, 5 * DEG, DEG),
            MakeMER(-10 * DEG, 0, 25 * DEG, DEG) },
        // Equal widths (180 each way): the wrapping one.
        { MakeMER(-90 * DEG, 0, 0, DEG), MakeMER(90 * DEG, 0, 0, DEG), MakeMER(90 * DEG, 0, 180 * DEG, DEG) },
        // An empty rectangle yields the other one.
        { MakeMER(0, 0, 0, 0), MakeMER(1, 2, 3, 4), MakeMER(1, 2, 3, 4) },
        { MakeMER(1, 2, 3, 4), MakeMER(0, 0, 0, 0), MakeMER(1, 2, 3, 4) },
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(
            ::testing::Message() << r.a.Left << "+" << r.a.Width << " / " << r.b.Left << "+" << r.b.Width);
        EXPECT_EQ(MERUnion(r.a, r.b), r.expected);
    }
}

TEST(GeoMath, BoundsAndSpans)
{
    const std::vector<TPoint> points { { 5, 7 }, { -3, 9 }, { 4, -2 } };
    EXPECT_EQ(BoundsOfPoints(points), (TRect { -3, -2, 5, 9 }));
    EXPECT_EQ(BoundsOfPoints({}), (TRect {}));
    EXPECT_EQ(LongSpan(170 * DEG, -170 * DEG), 20 * DEG);
    EXPECT_EQ(LongSpan(-10 * DEG, 10 * DEG), 20 * DEG);
    EXPECT_EQ(LongSpan(5, 5), 1);
}

TEST(GeoMath, GeoTo3DAxesAndVectorToGeo)
{
    EXPECT_EQ(GeoTo3D(0, 0, 0), (TPoint3D { 0, 0, GU_GLOBE_RADIUS }));
    EXPECT_EQ(GeoTo3D(90.0L * DEG, 0, 0), (TPoint3D { GU_GLOBE_RADIUS, 0, 0 }));
    EXPECT_EQ(GeoTo3D(0, 90.0L * DEG, 0), (TPoint3D { 0, GU_GLOBE_RADIUS, 0 }));
    EXPECT_EQ(GeoTo3D(0, 0, 1000), (TPoint3D { 0, 0, GU_GLOBE_RADIUS + 1000 }));
    // VectorToGeo truncates toward zero.
    const TGeoPoint p = VectorToGeo({ std::sin(0.5L), 0, std::cos(0.5L) });
    EXPECT_EQ(p.Long, static_cast<int32_t>(0.5L * GU_PER_RADIAN));
    EXPECT_EQ(p.Lat, 0);
    EXPECT_NEAR(VectorToGeo({ 1, 0, 0 }).Long, 90 * DEG, 1);
    EXPECT_NEAR(VectorToGeo({ -1, 0, 0 }).Long, -90 * DEG, 1);
    EXPECT_NEAR(VectorToGeo({ 0, 1, 0 }).Lat, 90 * DEG, 1);
}

TEST(GeoMath, ScalarHelpers)
{
    EXPECT_EQ(Clamp(5, 0, 3), 3);
    EXPECT_EQ(Clamp(-1, 0, 3), 0);
    EXPECT_EQ(Clamp(-1, 5, 3), 5); // min wins when min > max
    EXPECT_EQ(SignOf(0), 1);
    EXPECT_EQ(SignOf(-0.1L), -1);
    EXPECT_EQ(NormalizeDegrees(190), -170);
    EXPECT_EQ(NormalizeDegrees(-190), 170);
    EXPECT_EQ(NormalizeDegrees(180), 180);
    EXPECT_NEAR(static_cast<double>(NormalizeRadians(4)), 4 - 2 * M_PI, 1e-15);
    EXPECT_EQ(Hypot(3, 4), 5);
    EXPECT_EQ(Hypot(-3, 0), 3);
    EXPECT_EQ(ArcSinSafe(2), PI_L / 2);
    EXPECT_EQ(ArcSinSafe(-1), -PI_L / 2);
    EXPECT_EQ(ArcCosSafe(1.5L), 0);
    EXPECT_EQ(ArcCosSafe(-1.5L), PI_L);
    EXPECT_NEAR(static_cast<double>(ArcCosSafe(0)), M_PI / 2, 1e-15);
    EXPECT_EQ(MinInt(3, -2), -2);
    EXPECT_EQ(MaxExt(3, -2), 3);
}

TEST(GeoMath, QuaternionsAndMatrices)
{
    // Identity angles except the X angle, which enters as 180 - x: x = 180
    // gives the identity matrix.
    const TMatrix3 identity = QuatToMatrix(QuatFromEuler(180, 0, 0));
    for (int i = 0; i < 9; ++i)
        EXPECT_NEAR(static_cast<double>(identity.m[i]), (i % 4 == 0) ? 1.0 : 0.0, 1e-15) << i;
    // x = 0 turns the globe upside down: Y and Z flip.
    const TMatrix3 flip = QuatToMatrix(QuatFromEuler(0, 0, 0));
    EXPECT_NEAR(static_cast<double>(flip.m[4]), -1, 1e-15);
    EXPECT_NEAR(static_cast<double>(flip.m[8]), -1, 1e-15);
    // A quarter turn about Y maps Z onto X.
    const TMatrix3 turn = QuatToMatrix(QuatFromAxisAngle({ 0, 1, 0 }, PI_L / 2));
    const TVector3 v = MatrixMulVector(turn, { 0, 0, 1 });
    EXPECT_NEAR(static_cast<double>(std::fabs(v.X)), 1, 1e-15);
    const TMatrix3 t = MatrixTranspose(turn);
    EXPECT_EQ(t.m[1], turn.m[3]);
    EXPECT_EQ(t.m[2], turn.m[6]);
    TMatrix3 scaled = turn;
    MatrixScale(scaled, 2);
    EXPECT_EQ(scaled.m[0], 2 * turn.m[0]);
}

TEST(GeoMath, VectorHelpers)
{
    TVector3 tiny { 1e-6L, 0, 0 };
    VectorNormalize(tiny); // below 1e-10 squared length: unchanged
    EXPECT_EQ(tiny.X, 1e-6L);
    TVector3 v { 3, 0, 4 };
    VectorNormalize(v);
    EXPECT_NEAR(static_cast<double>(v.X), 0.6, 1e-18);
    EXPECT_EQ(VectorDot({ 1, 2, 3 }, { 4, 5, 6 }), 32);
    const TVector3 c = VectorCross({ 2, 0, 0 }, { 0, 3, 0 });
    EXPECT_NEAR(static_cast<double>(c.Z), 1, 1e-18);
}

TEST(GeoMath, IsOnSegment)
{
    EXPECT_TRUE(IsOnSegment(5, 1, 0, 0, 10, 0, 2));
    EXPECT_FALSE(IsOnSegment(5, 2, 0, 0, 10, 0, 2)); // exactly at the tolerance: no hit
    EXPECT_FALSE(IsOnSegment(11, 0, 0, 0, 10, 0, 5)); // beyond the end: no hit even on the line
    EXPECT_FALSE(IsOnSegment(-1, 0, 0, 0, 10, 0, 5));
    EXPECT_FALSE(IsOnSegment(0, 0, 3, 3, 3, 3, 5)); // zero length
    EXPECT_TRUE(IsOnSegment(10, 0, 0, 0, 10, 0, 1)); // the end itself
}
