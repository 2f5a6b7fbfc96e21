// Maths helpers of the globe library: rounding, geographic points and
// rectangles, scalar functions, vectors, quaternions and matrices. All
// floating-point work is in extended precision (long double).
#pragma once

#include "geo/GlobeTypes.h"

#include <cmath>
#include <cstdint>
#include <span>

// --- Rounding and integer arithmetic ----------------------------------------
// Round to nearest, ties to even. Values beyond int64 give an unspecified
// value, never undefined behaviour.
int64_t Rnd64(long double x);
// Round to nearest (ties to even) into an int32; values outside wrap as the
// integer arithmetic of the library does.
int32_t Rnd(long double x);
// v held within int32: sums of origins and offsets saturate instead of wrapping.
int32_t SaturatedInt32(int64_t v);
// a * b / c with a 64-bit intermediate, rounded to nearest (halves away from
// zero). A zero divisor or a result outside int32 answers -1.
int32_t MulDiv(int32_t a, int32_t b, int32_t c);

// --- Points and rectangles --------------------------------------------------
// One correction only: above 972,000,001 subtract 360 degrees, below
// -972,000,001 add 360 degrees.
// Inline: the flat models apply it to every point they draw.
inline int32_t NormalizeLong(int64_t longitude)
{
    if (longitude > GU_180_DEGREE + 1)
        longitude -= GU_360_DEGREE;
    else if (longitude < -(GU_180_DEGREE + 1))
        longitude += GU_360_DEGREE;
    return static_cast<int32_t>(longitude);
}
TGeoPoint MakeGeoPoint(int64_t longitude, int32_t lat);
TGeoPoint MakeGeoPointH(int64_t longitude, int32_t lat, int32_t height);
TMER MakeMER(int32_t left, int32_t bottom, int32_t width, int32_t height);
bool MERIsEmpty(const TMER& mer);
// Strict on every side: points on an edge are outside.
bool MERContainsPoint(const TGeoPoint& point, const TMER& mer);
// The narrower of the direct and the wrapping union across 180 degrees.
TMER MERUnion(const TMER& a, const TMER& b);
// (min x, min y, max x, max y) of device points; empty input gives (0,0,0,0).
TRect BoundsOfPoints(std::span<const TPoint> points);
// Shortest longitude distance; 0 is answered as 1.
int32_t LongSpan(int32_t long1, int32_t long2);
// Y to the north pole, Z to longitude 0 on the equator, X to 90 degrees east;
// the radius is GU_GLOBE_RADIUS + height.
TPoint3D GeoTo3D(long double longitude, long double lat, long double height);
// The same in extended arithmetic throughout; GeoTo3D gives its results.
TPoint3D GeoTo3DExtended(long double longitude, long double lat, long double height);
// x rounds to the same integer as any value within error of it; rounded is
// that integer (as the current rounding mode rounds). False beyond 2^51.
// Inline and without a library call (adding 1.5 * 2^52 leaves no fraction
// bits): the readers and the projections round every vertex with it.
inline bool RoundsUnambiguously(double x, double error, double& rounded)
{
    constexpr double roundingShift = 0x1.8p52;
    if (!(std::abs(x) < 0x1p51))
        return false;
    rounded = (x + roundingShift) - roundingShift;
    return std::abs(x - rounded) < 0.5 - error;
}
// Geographic point of a unit vector, truncated toward zero; Height 0. When
// v.Z is exactly 0 the longitude is +-90 degrees by the sign of v.X.
TGeoPoint VectorToGeo(const TVector3& v);

// --- Scalars ----------------------------------------------------------------
long double Clamp(long double value, long double min, long double max);
long double MinExt(long double a, long double b);
long double MaxExt(long double a, long double b);
int32_t MinInt(int32_t a, int32_t b);
int32_t MaxInt(int32_t a, int32_t b);
// 1 for x >= 0, else -1.
long double SignOf(long double x);
// Into [-180, 180] whatever the number of turns; NaN for NaN or infinity.
long double NormalizeDegrees(long double x);
long double NormalizeRadians(long double x);
void SinCos(long double angle, long double& sine, long double& cosine);
long double Hypot(long double a, long double b);
long double ArcTan2(long double y, long double x);
long double ArcSinSafe(long double x);
long double ArcCosSafe(long double x);
long double Tan(long double x);

// --- Vectors, quaternions, matrices -----------------------------------------
void VectorNormalize(TVector3& v);
long double VectorDot(const TVector3& a, const TVector3& b);
// The normalised cross product.
TVector3 VectorCross(const TVector3& a, const TVector3& b);
// m * v, normalised.
TVector3 MatrixMulVector(const TMatrix3& m, const TVector3& v);
TQuaternion QuatFromAxisAngle(const TVector3& axis, long double angleRadians);
// The first angle enters as 180 degrees minus the given value, which turns
// north up on a screen whose y grows downwards.
TQuaternion QuatFromEuler(long double xDeg, long double yDeg, long double zDeg);
TMatrix3 QuatToMatrix(const TQuaternion& q);
void MatrixScale(TMatrix3& m, long double s);
TMatrix3 MatrixTranspose(const TMatrix3& src);

// The point lies strictly closer than the tolerance to the segment, and its
// projection falls between the ends. A zero-length segment is never hit.
bool IsOnSegment(int32_t px, int32_t py, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t tolerance);
