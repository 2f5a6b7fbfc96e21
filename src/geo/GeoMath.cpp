#include "geo/GeoMath.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

int64_t Rnd64(long double x)
{
    // llrint rounds in the current mode (to nearest, ties to even) and answers
    // an unspecified value instead of undefined behaviour when out of range.
    return std::llrint(x);
}

int32_t Rnd(long double x)
{
    return static_cast<int32_t>(Rnd64(x));
}

int32_t SaturatedInt32(int64_t v)
{
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

int32_t MulDiv(int32_t a, int32_t b, int32_t c)
{
    if (c == 0)
        return -1;
    const int64_t product = static_cast<int64_t>(a) * b;
    const int64_t absC = std::abs(static_cast<int64_t>(c));
    int64_t q = product / c;
    const int64_t remainder = product % c;
    if (std::abs(remainder) * 2 >= absC)
        q += ((product < 0) != (c < 0)) ? -1 : 1;
    if (q > std::numeric_limits<int32_t>::max() || q < std::numeric_limits<int32_t>::min())
        return -1;
    return static_cast<int32_t>(q);
}

TGeoPoint MakeGeoPoint(int64_t longitude, int32_t lat)
{
    return { NormalizeLong(longitude), lat, 0 };
}

TGeoPoint MakeGeoPointH(int64_t longitude, int32_t lat, int32_t height)
{
    return { NormalizeLong(longitude), lat, height };
}

TMER MakeMER(int32_t left, int32_t bottom, int32_t width, int32_t height)
{
    return { left, bottom, width, height };
}

bool MERIsEmpty(const TMER& mer)
{
    return mer.Width == 0 && mer.Height == 0;
}

bool MERContainsPoint(const TGeoPoint& point, const TMER& mer)
{
    const int64_t top = int64_t { mer.Bottom } + mer.Height;
    if (!(mer.Bottom < point.Lat && point.Lat < top))
        return false;
    const int64_t left = mer.Left;
    const int64_t right = left + mer.Width;
    if (left < point.Long && point.Long < right)
        return true;
    const int64_t wrapped = int64_t { point.Long } + GU_360_DEGREE;
    return right > GU_180_DEGREE && left < wrapped && wrapped < right;
}

namespace {

int64_t WidthOrMax(int64_t width)
{
    // An int32 width that would overflow counts as the widest possible.
    return width > std::numeric_limits<int32_t>::max() ? std::numeric_limits<int32_t>::max() : width;
}

// Left and width of the union of two longitude spans, first.left <= second.left.
void UnionOfLongitudes(const TMER& first, const TMER& second, int64_t& left, int64_t& width)
{
    const int64_t l1 = first.Left, w1 = first.Width, l2 = second.Left, w2 = second.Width;
    if (l1 >= 0 || l2 <= 0) {
        left = l1;
        width = std::max(l2 + w2 - l1, w1);
        return;
    }
    if (l1 + w1 >= l2 + w2) {
        left = l1;
        width = w1;
        return;
    }
    const int64_t gap = l1 + GU_360_DEGREE - l2;
    if (gap <= w2 - w1) {
        left = l2;
        width = w2;
        return;
    }
    const int64_t wrapping = WidthOrMax(gap + w1);
    const int64_t direct = WidthOrMax(l2 - l1 + w2);
    if (direct < wrapping) {
        left = l1;
        width = direct;
    } else {
        left = l2;
        width = wrapping;
    }
    width = std::min<int64_t>(width, GU_360_DEGREE);
}

} // namespace

TMER MERUnion(const TMER& a, const TMER& b)
{
    if (MERIsEmpty(a))
        return b;
    if (MERIsEmpty(b))
        return a;
    int64_t left = 0, width = 0;
    if (a.Left <= b.Left)
        UnionOfLongitudes(a, b, left, width);
    else
        UnionOfLongitudes(b, a, left, width);
    const int32_t bottom = std::min(a.Bottom, b.Bottom);
    const int64_t top = std::max(int64_t { a.Bottom } + a.Height, int64_t { b.Bottom } + b.Height);
    return { static_cast<int32_t>(left), bottom, static_cast<int32_t>(width),
        static_cast<int32_t>(top - bottom) };
}

TRect BoundsOfPoints(std::span<const TPoint> points)
{
    if (points.empty())
        return {};
    TRect r { points[0].X, points[0].Y, points[0].X, points[0].Y };
    for (const TPoint& p : points) {
        r.Left = std::min(r.Left, p.X);
        r.Top = std::min(r.Top, p.Y);
        r.Right = std::max(r.Right, p.X);
        r.Bottom = std::max(r.Bottom, p.Y);
    }
    return r;
}

int32_t LongSpan(int32_t long1, int32_t long2)
{
    int64_t d = std::abs(int64_t { long2 } - long1);
    if (d >= GU_180_DEGREE)
        d = GU_360_DEGREE - d;
    return d == 0 ? 1 : static_cast<int32_t>(d);
}

TPoint3D GeoTo3DExtended(long double longitude, long double lat, long double height)
{
    const long double lambda = longitude * 2 * PI_L / GU_360_DEGREE;
    const long double phi = lat * 2 * PI_L / GU_360_DEGREE;
    const long double r = height + GU_GLOBE_RADIUS;
    const long double cosPhi = std::cos(phi);
    return { Rnd(r * cosPhi * std::sin(lambda)), Rnd(r * std::sin(phi)), Rnd(r * cosPhi * std::cos(lambda)) };
}

TPoint3D GeoTo3D(long double longitude, long double lat, long double height)
{
    // Double arithmetic is several times faster than extended. Its error on
    // a radius below 2^30 stays under 2e-6 GlobeUnits, so away from a half
    // it rounds as the extended result does; near a half, the extended one
    // decides.
    constexpr double TO_RADIANS = 2 * std::numbers::pi / GU_360_DEGREE;
    constexpr double ERROR = 1e-5;
    const auto l = static_cast<double>(longitude), p = static_cast<double>(lat),
               h = static_cast<double>(height);
    if (l == longitude && p == lat && h == height && std::abs(h) < 1e8) {
        const double r = h + GU_GLOBE_RADIUS;
        const double cosPhi = std::cos(p * TO_RADIANS);
        const double lambda = l * TO_RADIANS;
        const double x = r * cosPhi * std::sin(lambda), y = r * std::sin(p * TO_RADIANS),
                     z = r * cosPhi * std::cos(lambda);
        double rx, ry, rz;
        if (RoundsUnambiguously(x, ERROR, rx) && RoundsUnambiguously(y, ERROR, ry)
            && RoundsUnambiguously(z, ERROR, rz))
            return { static_cast<int32_t>(rx), static_cast<int32_t>(ry), static_cast<int32_t>(rz) };
    }
    return GeoTo3DExtended(longitude, lat, height);
}

TGeoPoint VectorToGeo(const TVector3& v)
{
    // Truncation toward zero, not rounding.
    return { static_cast<int32_t>(std::atan2(v.X, v.Z) * GU_PER_RADIAN),
        static_cast<int32_t>(ArcSinSafe(v.Y) * GU_PER_RADIAN), 0 };
}

long double Clamp(long double value, long double min, long double max)
{
    if (value < min)
        return min;
    if (value > max)
        return max;
    return value;
}

long double MinExt(long double a, long double b)
{
    return a < b ? a : b;
}

long double MaxExt(long double a, long double b)
{
    return a > b ? a : b;
}

int32_t MinInt(int32_t a, int32_t b)
{
    return a < b ? a : b;
}

int32_t MaxInt(int32_t a, int32_t b)
{
    return a > b ? a : b;
}

long double SignOf(long double x)
{
    return x >= 0 ? 1 : -1;
}

long double NormalizeDegrees(long double x)
{
    // One step for any number of turns: setters that normalise and notify
    // must reach a fixed point at once, not one turn per call.
    x = std::fmod(x, 360.0L);
    if (x > 180)
        return x - 360;
    if (x < -180)
        return x + 360;
    return x;
}

long double NormalizeRadians(long double x)
{
    if (x < -PI_L)
        return x + 2 * PI_L;
    if (x > PI_L)
        return x - 2 * PI_L;
    return x;
}

void SinCos(long double angle, long double& sine, long double& cosine)
{
    sine = std::sin(angle);
    cosine = std::cos(angle);
}

long double Hypot(long double a, long double b)
{
    a = std::fabs(a);
    b = std::fabs(b);
    if (a < b)
        std::swap(a, b);
    if (b == 0)
        return a;
    const long double ratio = b / a;
    return a * std::sqrt(ratio * ratio + 1);
}

long double ArcTan2(long double y, long double x)
{
    return std::atan2(y, x);
}

long double ArcSinSafe(long double x)
{
    if (std::fabs(x) >= 1)
        return SignOf(x) * PI_L / 2;
    return std::atan2(x, std::sqrt(1 - x * x));
}

long double ArcCosSafe(long double x)
{
    const long double k = 1 - x * x;
    if (k > 0)
        return std::atan2(std::sqrt(k), x);
    return x >= 0 ? 0 : PI_L;
}

long double Tan(long double x)
{
    return std::tan(x);
}

void VectorNormalize(TVector3& v)
{
    const long double sq = v.X * v.X + v.Y * v.Y + v.Z * v.Z;
    if (sq < 1e-10L)
        return;
    const long double f = 1 / std::sqrt(sq);
    v.X *= f;
    v.Y *= f;
    v.Z *= f;
}

long double VectorDot(const TVector3& a, const TVector3& b)
{
    return a.X * b.X + a.Y * b.Y + a.Z * b.Z;
}

TVector3 VectorCross(const TVector3& a, const TVector3& b)
{
    TVector3 v { a.Y * b.Z - a.Z * b.Y, a.Z * b.X - a.X * b.Z, a.X * b.Y - a.Y * b.X };
    VectorNormalize(v);
    return v;
}

TVector3 MatrixMulVector(const TMatrix3& m, const TVector3& v)
{
    TVector3 w;
    long double* out[3] = { &w.X, &w.Y, &w.Z };
    for (int i = 0; i < 3; ++i)
        *out[i] = m.m[3 * i] * v.X + m.m[3 * i + 1] * v.Y + m.m[3 * i + 2] * v.Z;
    VectorNormalize(w);
    return w;
}

TQuaternion QuatFromAxisAngle(const TVector3& axis, long double angleRadians)
{
    const long double s = std::sin(angleRadians / 2);
    return { axis.X * s, axis.Y * s, axis.Z * s, std::cos(angleRadians / 2) };
}

TQuaternion QuatFromEuler(long double xDeg, long double yDeg, long double zDeg)
{
    long double s1, c1, s2, c2, s3, c3;
    SinCos((PI_L - xDeg * PI_L / 180) / 2, s1, c1);
    SinCos(yDeg * PI_L / 180 / 2, s2, c2);
    SinCos(zDeg * PI_L / 180 / 2, s3, c3);
    return { s1 * c2 * c3 - c1 * s2 * s3, c1 * s2 * c3 + s1 * c2 * s3, c1 * c2 * s3 - s1 * s2 * c3,
        c1 * c2 * c3 + s1 * s2 * s3 };
}

TMatrix3 QuatToMatrix(const TQuaternion& q)
{
    const long double x2 = 2 * q.X, y2 = 2 * q.Y, z2 = 2 * q.Z;
    TMatrix3 m;
    m.m[0] = 1 - (q.Y * y2 + q.Z * z2);
    m.m[1] = q.X * y2 + q.W * z2;
    m.m[2] = q.X * z2 - q.W * y2;
    m.m[3] = q.X * y2 - q.W * z2;
    m.m[4] = 1 - (q.X * x2 + q.Z * z2);
    m.m[5] = q.Y * z2 + q.W * x2;
    m.m[6] = q.X * z2 + q.W * y2;
    m.m[7] = q.Y * z2 - q.W * x2;
    m.m[8] = 1 - (q.X * x2 + q.Y * y2);
    return m;
}

void MatrixScale(TMatrix3& m, long double s)
{
    for (long double& e : m.m)
        e *= s;
}

TMatrix3 MatrixTranspose(const TMatrix3& src)
{
    TMatrix3 dst;
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            dst.m[3 * col + row] = src.m[3 * row + col];
    return dst;
}

bool IsOnSegment(int32_t px, int32_t py, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t tolerance)
{
    const long double dx = static_cast<long double>(x2) - x1;
    const long double dy = static_cast<long double>(y2) - y1;
    const long double length2 = dx * dx + dy * dy;
    if (length2 == 0)
        return false;
    const long double u
        = ((static_cast<long double>(px) - x1) * dx + (static_cast<long double>(py) - y1) * dy) / length2;
    if (u < 0 || u > 1)
        return false;
    const long double distance
        = std::fabs((static_cast<long double>(y1) - py) * dx - (static_cast<long double>(x1) - px) * dy)
        / std::sqrt(length2);
    return distance < tolerance;
}
