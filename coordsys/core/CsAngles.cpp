#include "coordsys/core/CsAngles.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDegToRad = kPi / 180.0;
constexpr double kRadToDeg = 180.0 / kPi;
constexpr double kMaxLatitude = 1.5707962782948965;  // pi/2 less 4.85e-8
// The arc of CS_perpendicularPoints, 1e-6 radians, as its sine and cosine.
constexpr double kSideArcSine = 9.999999999998333e-07;
constexpr double kSideArcCosine = 0.9999999999995;

// x unchanged within (-half, +half]; otherwise its remainder of `period`
// brought into that range.
double Wrap(double x, double half, double period) {
    if (std::fabs(x) < half || x == half) return x;
    double r = std::fmod(x, period);
    if (r <= -half) r += period;
    if (r > half) r -= period;
    return r;
}

// cos Uq sin Up - sin Uq cos Up cos lambda, written so that it keeps its
// digits for short lines: sin(Up - Uq) + 2 sin Uq cos Up sin^2(lambda / 2).
double NorthComponent(double uP, double uQ, double sinUq, double cosUp, double lambda) {
    double half = std::sin(lambda / 2.0);
    return std::sin(uP - uQ) + 2.0 * sinUq * cosUp * half * half;
}

}  // namespace

double CS_normDeg180(double degrees) {
    return Wrap(degrees, 180.0, 360.0);
}

double CS_normDeg90(double degrees) {
    return Wrap(degrees, 90.0, 180.0);
}

double CS_normDeg270(double degrees) {
    return Wrap(degrees, 270.0, 360.0);
}

double CS_normLngRad(double radians) {
    return Wrap(radians, kPi, 2.0 * kPi);
}

double CS_normLatRad(double radians) {
    if (std::fabs(radians) <= kPi / 2.0) return radians;
    double r = std::fmod(radians, kPi);
    if (r <= -kPi / 2.0) r += kPi;
    if (r > kPi / 2.0) r -= kPi;
    return r;
}

double CS_normLngRadAlt(double radians) {
    if (std::fabs(radians) <= kPi) return radians;
    double r = std::fmod(radians, 2.0 * kPi);
    if (r > kPi) r -= 2.0 * kPi;
    if (r < -kPi) r += 2.0 * kPi;
    return r;
}

int CS_normGeographic(double ll[2]) {
    int changed = 0;
    if (std::fabs(ll[1]) > 90.0) {
        double latitude = std::fmod(ll[1], 180.0);
        if (latitude > 90.0) latitude = 180.0 - latitude;
        if (latitude < -90.0) latitude = -180.0 - latitude;
        ll[1] = latitude;
        changed = 1;
    }
    if (std::fabs(ll[0]) > 270.0) {
        double longitude = std::fmod(ll[0], 360.0);
        while (longitude <= -180.0) longitude += 360.0;
        while (longitude > 180.0) longitude -= 360.0;
        ll[0] = longitude;
        changed = 1;
    }
    return changed;
}

double CS_azimuth(const double from[2], const double to[2]) {
    double phi1 = from[1] * kDegToRad;
    double phi2 = to[1] * kDegToRad;
    double dLambda = CS_normLngRad((to[0] - from[0]) * kDegToRad);
    double east = std::sin(dLambda) * std::cos(phi2);
    double north =
        std::sin(phi2) * std::cos(phi1) - std::cos(dLambda) * std::sin(phi1) * std::cos(phi2);
    // Both components vanish only on a meridian through a pole; along the
    // equator the northern one alone does and the direction is still east or west.
    if (std::fabs(north) <= 1e-8 && std::fabs(east) <= 1e-8) return dLambda * kRadToDeg;
    return std::atan2(east, north) * kRadToDeg;
}

double CS_angularDistanceRad(const double a[2], const double b[2]) {
    double dLambda = CS_normLngRad(b[0] - a[0]);
    double dPhi = CS_normLatRad(b[1] - a[1]);
    double phi1 = CS_normLatRad(a[1]);
    double phi2 = CS_normLatRad(b[1]);
    double sinHalfLambda = std::sin(dLambda / 2.0);
    double sinHalfPhi = std::sin(dPhi / 2.0);
    double s =
        std::cos(phi1) * std::cos(phi2) * sinHalfLambda * sinHalfLambda + sinHalfPhi * sinHalfPhi;
    if (!(s > 0.0)) return 0.0;
    return 2.0 * std::asin(std::sqrt(std::min(s, 1.0)));
}

double CS_angularDistanceDeg(const double a[2], const double b[2]) {
    double ra[2] = {a[0] * kDegToRad, a[1] * kDegToRad};
    double rb[2] = {b[0] * kDegToRad, b[1] * kDegToRad};
    return CS_angularDistanceRad(ra, rb) * kRadToDeg;
}

double CS_ellipsoidDistAz(const double p[2], const double q[2], double radius, double eSq,
                          double* distance) {
    const double f = 1.0 - std::sqrt(1.0 - eSq);
    const double b = radius * (1.0 - f);
    const double uP = std::atan((1.0 - f) * std::tan(p[1]));
    const double uQ = std::atan((1.0 - f) * std::tan(q[1]));
    const double sinUp = std::sin(uP), cosUp = std::cos(uP);
    const double sinUq = std::sin(uQ), cosUq = std::cos(uQ);
    const double l = CS_normLngRad(p[0] - q[0]);

    double lambda = l;
    double sinSigma = 0.0, cosSigma = 1.0, sigma = 0.0, cosSqAlpha = 1.0, cos2SigmaM = 0.0;
    for (int round = 0; round < 15; ++round) {
        double sinLambda = std::sin(lambda), cosLambda = std::cos(lambda);
        double east = cosUp * sinLambda;
        double north = NorthComponent(uP, uQ, sinUq, cosUp, lambda);
        sinSigma = std::sqrt(east * east + north * north);
        if (sinSigma == 0.0) {  // the same point
            *distance = 0.0;
            return 0.0;
        }
        cosSigma = sinUq * sinUp + cosUq * cosUp * cosLambda;
        sigma = std::atan2(sinSigma, cosSigma);
        double sinAlpha = cosUq * cosUp * sinLambda / sinSigma;
        cosSqAlpha = 1.0 - sinAlpha * sinAlpha;
        // Along the equator cos^2 alpha is 0 and the term drops out.
        cos2SigmaM = cosSqAlpha != 0.0 ? cosSigma - 2.0 * sinUq * sinUp / cosSqAlpha : 0.0;
        double c = f / 16.0 * cosSqAlpha * (4.0 + f * (4.0 - 3.0 * cosSqAlpha));
        double next =
            l +
            (1.0 - c) * f * sinAlpha *
                (sigma + c * sinSigma *
                             (cos2SigmaM + c * cosSigma * (-1.0 + 2.0 * cos2SigmaM * cos2SigmaM)));
        bool settled = std::fabs(next - lambda) < 5e-14;
        lambda = next;
        if (settled) break;
    }
    double uSq = (radius * radius / (b * b) - 1.0) * cosSqAlpha;
    double root = std::sqrt(1.0 + uSq);
    double k1 = (root - 1.0) / (root + 1.0);
    double bigA = (1.0 + k1 * k1 / 4.0) / (1.0 - k1);
    double bigB = k1 * (1.0 - 3.0 * k1 * k1 / 8.0);
    double c2 = cos2SigmaM * cos2SigmaM;
    double dSigma = bigB * sinSigma *
                    (cos2SigmaM + bigB / 4.0 *
                                      (cosSigma * (2.0 * c2 - 1.0) -
                                       bigB / 6.0 * cos2SigmaM * (4.0 * sinSigma * sinSigma - 3.0) *
                                           (4.0 * c2 - 3.0)));
    *distance = b * bigA * (sigma - dSigma);
    return std::atan2(cosUp * std::sin(lambda), NorthComponent(uP, uQ, sinUq, cosUp, lambda)) *
           kRadToDeg;
}

int CS_perpendicularPoints(const double from[2], const double to[2], double left[2],
                           double right[2]) {
    double azimuth = 0.0;
    double phiFrom = from[1] * kDegToRad;
    if (std::fabs(phiFrom) <= kMaxLatitude) {
        double phiTo = to[1] * kDegToRad;
        double dLambda = CS_normLngRad((to[0] - from[0]) * kDegToRad);
        double east = std::sin(dLambda) * std::cos(phiTo);
        double north = std::sin(phiTo) * std::cos(phiFrom) -
                       std::cos(dLambda) * std::sin(phiFrom) * std::cos(phiTo);
        if (std::fabs(east) >= 1e-6 || std::fabs(north) >= 1e-6) azimuth = std::atan2(east, north);
    }
    const double lambda = to[0] * kDegToRad;
    const double phi = to[1] * kDegToRad;
    const double sinPhi = std::sin(phi), cosPhi = std::cos(phi);
    auto along = [&](double bearing, double out[2]) {
        double sinPhi2 = sinPhi * kSideArcCosine + cosPhi * kSideArcSine * std::cos(bearing);
        double phi2 = std::asin(std::clamp(sinPhi2, -1.0, 1.0));
        double lambda2 = lambda + std::atan2(std::sin(bearing) * kSideArcSine * cosPhi,
                                             kSideArcCosine - sinPhi * sinPhi2);
        out[0] = CS_normDeg180(lambda2 * kRadToDeg);
        out[1] = phi2 * kRadToDeg;
    };
    along(azimuth + kPi / 2.0, right);
    along(azimuth - kPi / 2.0, left);
    return 0;
}
