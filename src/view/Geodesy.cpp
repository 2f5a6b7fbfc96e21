#include "view/Geodesy.h"

#include "geo/GeoMath.h"

#include <cmath>

namespace {

constexpr long double SPHERE_RADIUS = 309397209.37064453L;
constexpr long double LAMBDA_TOLERANCE = 1e-12L;
constexpr int MAX_PASSES = 200;

long double Radians(int64_t gu)
{
    return gu * GU_TO_RADIANS;
}

long double Square(long double x)
{
    return x * x;
}

// The quantities of one pass of Vincenty's iteration for a given lambda.
struct TVincentyPass {
    long double sinSigma = 0, cosSigma = 0, sigma = 0, cos2Alpha = 0, cos2SigmaM = 0, sinAlpha = 0;
};

TVincentyPass Pass(
    long double lambda, long double sinU1, long double cosU1, long double sinU2, long double cosU2)
{
    TVincentyPass p;
    const long double sinLambda = std::sin(lambda), cosLambda = std::cos(lambda);
    p.sinSigma = std::sqrt(Square(cosU2 * sinLambda) + Square(cosU1 * sinU2 - sinU1 * cosU2 * cosLambda));
    p.cosSigma = sinU1 * sinU2 + cosU1 * cosU2 * cosLambda;
    p.sigma = std::atan2(p.sinSigma, p.cosSigma);
    p.sinAlpha = p.sinSigma == 0 ? 0 : cosU1 * cosU2 * sinLambda / p.sinSigma;
    p.cos2Alpha = 1 - Square(p.sinAlpha);
    p.cos2SigmaM = p.cos2Alpha > 0 ? p.cosSigma - 2 * sinU1 * sinU2 / p.cos2Alpha : 2 * sinU1 * sinU2;
    return p;
}

} // namespace

int32_t InitialBearing(const TGeoPoint& from, const TGeoPoint& to)
{
    const long double phi1 = Radians(from.Lat), phi2 = Radians(to.Lat);
    const long double dLambda = Radians(int64_t { from.Long } - to.Long);
    const long double theta = std::atan2(std::cos(phi2) * std::sin(dLambda),
        std::cos(phi1) * std::sin(phi2) - std::sin(phi1) * std::cos(phi2) * std::cos(dLambda));
    return Rnd(NormalizeRadians(theta) * GU_PER_RADIAN);
}

int32_t GreatCircleDistance(const TGeoPoint& a, const TGeoPoint& b)
{
    const long double phi1 = Radians(a.Lat), phi2 = Radians(b.Lat);
    const long double dPhi = Radians(int64_t { a.Lat } - b.Lat);
    const long double dLambda = Radians(int64_t { a.Long } - b.Long);
    const long double h
        = Square(std::sin(dPhi / 2)) + std::cos(phi1) * std::cos(phi2) * Square(std::sin(dLambda / 2));
    return Rnd(2 * ArcSinSafe(std::sqrt(h)) * SPHERE_RADIUS);
}

int64_t EllipsoidDistance(const TGeoPoint& a, const TGeoPoint& b, TSpheroid spheroid)
{
    if (a.Long == b.Long && a.Lat == b.Lat)
        return 0;
    const TSpheroidData& data = SpheroidData(spheroid);
    const long double f = data.Flattening;
    const long double tanU1 = (1 - f) * std::tan(Radians(a.Lat));
    const long double tanU2 = (1 - f) * std::tan(Radians(b.Lat));
    const long double cosU1 = 1 / std::sqrt(Square(tanU1) + 1), sinU1 = tanU1 * cosU1;
    const long double cosU2 = 1 / std::sqrt(Square(tanU2) + 1), sinU2 = tanU2 * cosU2;
    const long double L = Radians(int64_t { b.Long } - a.Long);
    long double lambda = L;
    TVincentyPass p;
    for (int pass = 0; pass < MAX_PASSES; ++pass) {
        p = Pass(lambda, sinU1, cosU1, sinU2, cosU2);
        const long double C = f / 16 * p.cos2Alpha * (4 + f * (4 - 3 * p.cos2Alpha));
        const long double next = L
            + (1 - C) * f * p.sinAlpha
                * (p.sigma
                    + C * p.sinSigma * (p.cos2SigmaM + C * p.cosSigma * (2 * Square(p.cos2SigmaM) - 1)));
        const bool settled = std::fabs(next - lambda) <= LAMBDA_TOLERANCE;
        lambda = next;
        if (settled)
            break;
    }
    const long double u2 = p.cos2Alpha * (1 / Square(1 - f) - 1);
    const long double root = std::sqrt(1 + u2);
    const long double k = (root - 1) / (root + 1);
    const long double A = (1 + Square(k) / 4) / (1 - k);
    const long double B = k * (1 - 3 * Square(k) / 8);
    const long double deltaSigma = B * p.sinSigma
        * (p.cos2SigmaM
            + B / 4
                * (p.cosSigma * (2 * Square(p.cos2SigmaM) - 1)
                    - B / 6 * p.cos2SigmaM * (4 * Square(p.sinSigma) - 3) * (4 * Square(p.cos2SigmaM) - 3)));
    return Rnd64(data.SemiMajorAxis * (1 - f) * A * (p.sigma - deltaSigma));
}
