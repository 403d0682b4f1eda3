#include "projections/AeProjection.h"

#include <algorithm>
#include <cmath>

#include "coordsys/core/CsAngles.h"

namespace {

const CsAeConstants& Ae(const CsProjectionConstants* constants) {
    return CS_constantsOf<CsAeConstants>(constants);
}

constexpr CsSlots kAeSlots{
    .forward = CS_aeForward,
    .inverse = CS_aeInverse,
    .gridScale = CS_aeScale,
    .parallelScale = CS_aeScale,
    .meridianScale = CS_aeScaleH,
    .convergence = CS_aeConvergence,
    .checkGeographic = CS_aeGeoLimits,
    .checkCartesian = CS_aeXYLimits,
};

// q of the authalic latitude for sin phi.
double Q(const CsAeConstants& c, double sinPhi) {
    double eSin = c.e * sinPhi;
    return c.oneMinusESq *
           (sinPhi / (1.0 - eSin * eSin) - c.halfOverE * std::log((1.0 - eSin) / (1.0 + eSin)));
}

// C - n q, or its sphere form C - 2 n sin phi; never below 0, which rounding
// at a pole can reach.
double Radicand(const CsAeConstants& c, double sinPhi) {
    double nq = c.e == 0.0 ? 2.0 * c.n * sinPhi : c.n * Q(c, sinPhi);
    return std::max(c.c - nq, 0.0);
}

// The signed radius of the parallel: negative on a southern cone.
double Rho(const CsAeConstants& c, double sinPhi) {
    return c.kaOverN * std::sqrt(Radicand(c, sinPhi));
}

// (dLambda, phi) in radians to x, y about the origin.
void Project(const CsAeConstants& c, double dLambda, double phi, double* x, double* y) {
    double theta = c.n * dLambda;
    double rho = Rho(c, std::sin(phi));
    *x = rho * std::sin(theta);
    *y = c.rho0 - rho * std::cos(theta);
}

}  // namespace

void CS_aeSetup(CsParams* params) {
    CsAeConstants& c = CS_newConstants<CsAeConstants>(params);
    const CsCoordSysDef& def = params->csDef;
    c.phi1 = def.parameters[0] * kCsDegToRad;
    c.phi2 = def.parameters[1] * kCsDegToRad;
    c.lambda0 = def.originLongitude * kCsDegToRad;
    c.phi0 = def.originLatitude * kCsDegToRad;
    c.k = def.scale;
    c.origin = CS_falseOrigin(def);
    c.ka = params->datum.equatorialRadius * c.k;
    c.e = params->datum.eccentricity;
    c.eSq = c.e * c.e;
    c.oneMinusESq = 1.0 - c.eSq;

    const bool oneParallel = std::fabs(c.phi1 - c.phi2) <= kCsAngularTolerance;
    const double sin1 = std::sin(c.phi1), cos1 = std::cos(c.phi1);
    const double sin2 = std::sin(c.phi2), cos2 = std::cos(c.phi2);
    double northPole, southPole;  // the radicands at the poles
    if (c.e == 0.0) {
        c.n = oneParallel ? sin1 : (sin1 + sin2) / 2.0;
        c.c = cos1 * cos1 + 2.0 * c.n * sin1;
        northPole = c.c - 2.0 * c.n;
        southPole = c.c + 2.0 * c.n;
        c.kaOverN = c.ka / c.n;
        c.rho0 = c.kaOverN * std::sqrt(std::max(c.c - 2.0 * c.n * std::sin(c.phi0), 0.0));
    } else {
        c.halfOverE = 1.0 / (2.0 * c.e);
        c.qp = 1.0 - c.oneMinusESq * c.halfOverE * std::log((1.0 - c.e) / (1.0 + c.e));
        auto m = [&](double s, double co) { return co / std::sqrt(1.0 - c.eSq * s * s); };
        const double m1 = m(sin1, cos1), m2 = m(sin2, cos2);
        const double q1 = Q(c, sin1), q2 = Q(c, sin2);
        c.n = oneParallel ? sin1 : (m1 * m1 - m2 * m2) / (q2 - q1);
        c.c = m1 * m1 + c.n * q1;
        northPole = c.c - c.n * c.qp;
        southPole = c.c + c.n * c.qp;
        c.kaOverN = c.ka / c.n;
        c.rho0 = c.kaOverN * std::sqrt(std::max(c.c - c.n * Q(c, std::sin(c.phi0)), 0.0));
        CS_authalicSeriesSetup(&c.authalic, c.eSq);
    }
    // The apex lies over the pole on the cone's side.
    const double apex = c.n >= 0.0 ? northPole : southPole;
    const double far = c.n >= 0.0 ? southPole : northPole;
    c.rhoMin = std::fabs(c.kaOverN) * std::sqrt(std::max(apex, 0.0));
    c.rhoMax = std::fabs(c.kaOverN) * std::sqrt(std::max(far, 0.0));
    c.largestAngle = std::fabs(c.n) * kCsPi;
    c.tolerance = def.scale * 0.001;

    params->rangeCentralMeridian = def.originLongitude;
    if (!CS_geoRangeFromDefinition(params, def.originLongitude)) {
        const double south = std::min(def.parameters[0], def.parameters[1]);
        const double north = std::max(def.parameters[0], def.parameters[1]);
        const double d = std::max(north - south, 5.0);
        CS_setGeoRange(params, -45.0, std::max(south - d, -kCsMaxParallel), 45.0,
                       std::min(north + d, kCsMaxParallel));
    }
    if (!CS_xyRangeFromDefinition(params)) {
        const double minPhi = params->minLatitude * kCsDegToRad;
        const double maxPhi = params->maxLatitude * kCsDegToRad;
        const double farRho = Rho(c, std::sin(c.n >= 0.0 ? minPhi : maxPhi));
        const double y1 = c.rho0 - Rho(c, std::sin(minPhi));
        const double y2 = c.rho0 - Rho(c, std::sin(maxPhi));
        CS_setXyRange(
            params, std::sin(params->minLongitude * kCsDegToRad) * c.n * farRho + def.falseEasting,
            std::min(y1, y2) + def.falseNorthing,
            std::sin(params->maxLongitude * kCsDegToRad) * c.n * farRho + def.falseEasting,
            std::max(y1, y2) + def.falseNorthing);
    }
    CS_installSlots(params, kAeSlots);
}

int CS_aeForward(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsAeConstants& c = Ae(constants);
    int status = 0;
    double dLambda = CS_longitudeDifference(in[0], c.lambda0, &status, kCsLongitudeTowardCentre);
    double phi = CS_wrappedLatitude(in[1], &status);
    double x, y;
    Project(c, dLambda, phi, &x, &y);
    CS_forwardEpilogue(out, in, x, y, c.origin);
    return status;
}

int CS_aeInverse(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsAeConstants& c = Ae(constants);
    int status = 0;
    double x, y;
    CS_removeFalseOrigin(c.origin, in, &x, &y);
    double dy = c.rho0 - y;
    double rho = std::hypot(x, dy);
    // A radius held at a pole's is that pole: q from it would lose its last
    // digits in the arcsine.
    double pole = 0.0;
    if (rho > c.rhoMax) {
        rho = c.rhoMax;
        pole = c.n >= 0.0 ? -kCsHalfPi : kCsHalfPi;
        status = 2;
    } else if (rho < c.rhoMin) {
        if (rho < c.tolerance) {
            // At the apex itself the direction is lost: take the central meridian.
            x = 0.0;
            dy = c.n * c.tolerance;
        }
        rho = c.rhoMin;
        pole = c.n >= 0.0 ? kCsHalfPi : -kCsHalfPi;
        status = 2;
    }
    if (c.n < 0.0) {
        rho = -rho;
        x = -x;
        dy = -dy;
    }
    double theta = std::atan2(x, dy);
    if (std::fabs(theta) > c.largestAngle) {
        theta = std::copysign(c.largestAngle, theta);
        status = 2;
    }
    const double dLambda = theta / c.n;
    const double ratio = rho * c.n / c.ka;
    const double q = (c.c - ratio * ratio) / c.n;
    double phi;
    if (pole != 0.0) {
        phi = pole;
    } else if (c.e == 0.0) {
        if (std::fabs(q) <= 2.0) {
            phi = std::asin(q / 2.0);
        } else {
            phi = std::copysign(kCsHalfPi, q);
            status = 2;
        }
    } else if (std::fabs(q) < c.qp) {
        phi = CS_authalicToGeodetic(&c.authalic, std::asin(q / c.qp));
    } else {
        phi = std::copysign(kCsHalfPi, q);
        if (std::fabs(q) > c.qp) status = 2;
    }
    CS_inverseEpilogue(out, in, dLambda, phi, c.lambda0);
    return status;
}

double CS_aeScale(const CsProjectionConstants* constants, const double ll[3]) {
    const CsAeConstants& c = Ae(constants);
    const double phi = ll[1] * kCsDegToRad;
    if (!(std::fabs(phi) <= kCsMaxLatitude)) return kCsInfiniteScale;
    const double sinPhi = std::sin(phi), cosPhi = std::cos(phi);
    const double m = c.e == 0.0 ? cosPhi : cosPhi / std::sqrt(1.0 - c.eSq * sinPhi * sinPhi);
    return std::sqrt(Radicand(c, sinPhi)) / m;
}

double CS_aeScaleH(const CsProjectionConstants* constants, const double ll[3]) {
    const double k = CS_aeScale(constants, ll);
    // The pole is an arc: the meridians meet it at no length.
    return k >= kCsInfiniteScale ? 0.0 : 1.0 / k;
}

double CS_aeConvergence(const CsProjectionConstants* constants, const double ll[3]) {
    return CS_numericConvergence(CS_aeForward, constants, ll);
}

int CS_aeGeoLimits(const CsProjectionConstants* constants, int count, const double points[][3]) {
    const CsAeConstants& c = Ae(constants);
    if (CS_pointLimits(count, points, [](const double ll[3]) {
            return !(std::fabs(ll[1] * kCsDegToRad) <= kCsHalfPi);
        }) != 0) {
        return 2;
    }
    return CS_segmentLimits(count, points, [&](const double ll[3]) {
        return CS_normLngRad(ll[0] * kCsDegToRad - c.lambda0);
    });
}

int CS_aePointXYLimit(const CsAeConstants& c, const double xy[3], double* theta) {
    double x, y;
    CS_removeFalseOrigin(c.origin, xy, &x, &y);
    double dy = c.rho0 - y;
    const double rho = std::hypot(x, dy);
    if (c.n < 0.0) {
        x = -x;
        dy = -dy;
    }
    *theta = std::atan2(x, dy);
    if (!(rho >= c.rhoMin && rho <= c.rhoMax)) return 2;
    return std::fabs(*theta) <= c.largestAngle ? 0 : 2;
}

int CS_aeXYLimits(const CsProjectionConstants* constants, int count, const double points[][3]) {
    const CsAeConstants& c = Ae(constants);
    double theta = 0.0;
    if (CS_pointLimits(count, points, [&](const double xy[3]) {
            return CS_aePointXYLimit(c, xy, &theta) != 0;
        }) != 0) {
        return 2;
    }
    return CS_segmentLimits(count, points, [&](const double xy[3]) {
        CS_aePointXYLimit(c, xy, &theta);
        return theta;
    });
}
