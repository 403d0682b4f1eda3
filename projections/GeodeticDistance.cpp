#include "projections/GeodeticDistance.h"

#include <cmath>

#include "coordsys/core/CsAngles.h"
#include "projections/LatitudeSeries.h"
#include "projections/ProjectionTypes.h"

namespace {

// Meridional distance from the equator to phi.
double ArcTo(double radius, double eSq, const CsMeridionalArcBlock& arc, double phi) {
    if (eSq == 0.0) return radius * phi;
    return CS_meridionalArc(&arc, phi, std::sin(phi), std::cos(phi));
}

}  // namespace

double CS_geodeticDistAz(double radius, double eSq, const double p1[2], const double p2[2],
                         double* distance) {
    const double lambda1 = CS_normLngRad(p1[0] * kCsDegToRad);
    const double phi1 = CS_normLatRad(p1[1] * kCsDegToRad);
    const double lambda2 = CS_normLngRad(p2[0] * kCsDegToRad);
    const double phi2 = CS_normLatRad(p2[1] * kCsDegToRad);
    const double dLambda = CS_normLngRad(lambda2 - lambda1);
    const double dPhi = CS_normLatRad(phi2 - phi1);

    if (std::fabs(dLambda) <= kCsAngularTolerance && std::fabs(dPhi) <= kCsAngularTolerance) {
        *distance = 0.0;
        return 0.0;
    }
    CsMeridionalArcBlock arc{};
    if (eSq != 0.0) CS_meridionalArcSetup(&arc, radius, eSq);
    const double quarter = ArcTo(radius, eSq, arc, kCsHalfPi);

    // Antipodes on the equator: the shortest way runs over a pole.
    if (std::fabs(dLambda) > kCsPi - kCsAngularTolerance &&
        std::fabs(phi1 + phi2) < kCsAngularTolerance) {
        *distance = 2.0 * quarter;
        return 0.0;
    }
    if (std::fabs(phi1) <= kCsMaxLatitude && std::fabs(phi2) <= kCsMaxLatitude) {
        if (eSq != 0.0) {
            const double p[2] = {lambda2, phi2};
            const double q[2] = {lambda1, phi1};
            return CS_ellipsoidDistAz(p, q, radius, eSq, distance);
        }
        double sinHalfLambda = std::sin(dLambda / 2.0);
        double sinHalfPhi = std::sin(dPhi / 2.0);
        double s = std::cos(phi1) * std::cos(phi2) * sinHalfLambda * sinHalfLambda +
                   sinHalfPhi * sinHalfPhi;
        *distance = 2.0 * std::asin(std::sqrt(std::fmin(s, 1.0))) * radius;
        // atan2 keeps the directions with a southward component.
        return std::atan2(std::sin(dLambda) * std::cos(phi2),
                          std::cos(phi1) * std::sin(phi2) -
                              std::sin(phi1) * std::cos(phi2) * std::cos(dLambda)) *
               kCsRadToDeg;
    }
    // One point at a pole: along the meridian.
    double azimuth, other;
    if (std::fabs(phi2) <= kCsMaxLatitude) {
        azimuth = phi1 > 0.0 ? -180.0 : 0.0;
        other = ArcTo(radius, eSq, arc, phi2);
    } else {
        azimuth = phi2 > 0.0 ? 0.0 : -180.0;
        other = ArcTo(radius, eSq, arc, phi1);
    }
    *distance = phi1 * phi2 > 0.0 ? quarter - std::fabs(other) : quarter + std::fabs(other);
    return azimuth;
}
