#include "projections/VdgrntnProjection.h"

#include <cmath>

#include "coordsys/core/CsAngles.h"
#include "coordsys/core/CsCore.h"
#include "projections/LatitudeLimits.h"

namespace {

const CsVdgrntnConstants& Vdgrntn(const CsProjectionConstants* constants) {
    return CS_constantsOf<CsVdgrntnConstants>(constants);
}

constexpr double kArcSecond = 4.848136811076368e-6;     // radians
constexpr double kTenThousandthDegree = 1.74532925e-6;  // radians
constexpr double kThird = 0.3333333333333333;
constexpr double kPiOver3 = 1.0471975511965976;
constexpr double kOneOver27 = 0.037037037037037035;

constexpr CsSlots kVdgrntnSlots{
    .forward = CS_vdgrntnForward,
    .inverse = CS_vdgrntnInverse,
    .gridScale = CS_vdgrntnK,
    .parallelScale = CS_vdgrntnK,
    .meridianScale = CS_vdgrntnH,
    .convergence = CS_vdgrntnConvergence,
    .checkGeographic = CS_latitudeLimitsCheck,
    .checkCartesian = CS_vdgrntnXYLimits,
};

// The projected distance of two points over `length`, as the numeric scales
// take it.
double NumericScale(const CsProjectionConstants* constants, const double p1[3], const double p2[3],
                    double length, double smallest) {
    double a[3], b[3];
    if (CS_vdgrntnForward(constants, a, p1) != 0 || CS_vdgrntnForward(constants, b, p2) != 0) {
        return -1.0;
    }
    if (!(length > smallest)) return kCsInfiniteScale;
    return std::hypot(b[0] - a[0], b[1] - a[1]) / length;
}

}  // namespace

void CS_vdgrntnSetup(CsParams* params) {
    CsVdgrntnConstants& c = CS_newConstants<CsVdgrntnConstants>(params);
    const CsCoordSysDef& def = params->csDef;
    c.centralMeridian = def.originLongitude * kCsDegToRad;
    c.k = def.scale;
    c.origin = CS_falseOrigin(def);
    c.a = params->datum.equatorialRadius;
    c.r = c.a * c.k;
    c.tolerance = c.a <= 3.0 ? 2e-10 : 0.001 * c.k;
    c.piR = kCsPi * c.r;
    c.twoOverPi = 2.0 / kCsPi;

    params->rangeCentralMeridian = def.originLongitude;
    if (!CS_geoRangeFromDefinition(params, def.originLongitude)) {
        CS_setGeoRange(params, -180.0, -90.0, 180.0, 90.0);
    }
    if (!CS_xyRangeFromDefinition(params)) {
        CS_setXyRange(params, -c.piR, -c.piR, c.piR, c.piR, c.origin);
    }
    CS_installSlots(params, kVdgrntnSlots);
}

int CS_vdgrntnForward(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsVdgrntnConstants& c = Vdgrntn(constants);
    int status = 0;
    double dl = CS_longitudeDifference(in[0], c.centralMeridian, &status, kCsLongitudeTowardCentre);
    double phi = CS_forwardLatitude(in[1], &status);
    const double absPhi = std::fabs(phi), absDl = std::fabs(dl);
    double x, y;
    if (absPhi > kCsMaxLatitude) {
        x = 0.0;
        y = c.piR;
    } else if (absPhi <= kCsAngularTolerance) {
        x = c.r * absDl;
        y = 0.0;
    } else if (absDl < kCsAngularTolerance) {
        x = 0.0;
        y = c.piR * std::tan(std::asin(absPhi * c.twoOverPi) / 2.0);
    } else {
        const double sinTheta = absPhi * c.twoOverPi;
        const double cosTheta = std::sqrt(1.0 - sinTheta * sinTheta);
        const double a = std::fabs(kCsPi / dl - dl / kCsPi) / 2.0;
        const double aSq = a * a;
        const double g = cosTheta / (cosTheta + sinTheta - 1.0);
        const double p = g * (2.0 / sinTheta - 1.0);
        const double pSq = p * p;
        const double q = aSq + g;
        const double gp = g - pSq;
        const double denominator = pSq + aSq;
        x = c.piR *
            (a * gp + std::sqrt(std::max(0.0, aSq * gp * gp - denominator * (g * g - pSq)))) /
            denominator;
        y = c.piR * (p * q - a * std::sqrt(std::max(0.0, (aSq + 1.0) * denominator - q * q))) /
            denominator;
    }
    if (dl < 0.0) x = -x;
    if (phi < 0.0) y = -y;
    CS_forwardEpilogue(out, in, x, y, c.origin);
    return status;
}

int CS_vdgrntnInverse(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsVdgrntnConstants& c = Vdgrntn(constants);
    double x, y;
    CS_removeFalseOrigin(c.origin, in, &x, &y);
    int status = 0;
    const double rho = std::hypot(x, y);
    if (rho > c.piR) {
        status = 2;
        x *= c.piR / rho;
        y *= c.piR / rho;
    }
    const double bx = x / c.piR, by = y / c.piR;
    const double xSq = bx * bx, ySq = by * by, sumSq = xSq + ySq;
    const double c1 = -std::fabs(by) * (1.0 + sumSq);
    const double c2 = c1 - 2.0 * ySq + xSq;
    const double c3 = 1.0 - 2.0 * c1 + 2.0 * ySq + sumSq * sumSq;

    double phi = 0.0;
    if (std::fabs(y) > c.tolerance) {
        const double a1 = (c1 - c2 * c2 / (3.0 * c3)) / c3;
        const double m1 = 2.0 * std::sqrt(-a1 / 3.0);
        const double d =
            ySq / c3 +
            (2.0 * c2 * c2 * c2 / (c3 * c3 * c3) - 9.0 * c1 * c2 / (c3 * c3)) * kOneOver27;
        double t = 3.0 * d / (a1 * m1);
        if (std::fabs(t) >= 1.0) t = std::copysign(1.0, t);
        phi = kCsPi * (-m1 * std::cos(std::acos(t) * kThird + kPiOver3) - c2 * kThird / c3);
        if (y < 0.0) phi = -phi;
    }
    double dl = 0.0;
    if (std::fabs(x) >= c.tolerance) {
        dl =
            kCsPi * (sumSq - 1.0 + std::sqrt(1.0 + 2.0 * (xSq - ySq) + sumSq * sumSq)) / (2.0 * bx);
        if (std::fabs(dl) > kCsPi) {
            status = 2;
            dl = dl > 0.0 ? kCsPi : -kCsPi;
        }
    }
    if (std::fabs(phi) > kCsMaxLatitude) {
        CS_raiseStatus(&status, 1);
        if (std::fabs(phi) > kCsHalfPi) {
            status = 2;
            phi = std::copysign(kCsHalfPi, phi);
        }
    }
    CS_inverseEpilogue(out, in, dl, phi, c.centralMeridian);
    return status;
}

double CS_vdgrntnK(const CsProjectionConstants* constants, const double ll[3]) {
    const CsVdgrntnConstants& c = Vdgrntn(constants);
    const double west[3] = {ll[0] - 1.0 / 7200.0, ll[1], 0.0};
    const double east[3] = {ll[0] + 1.0 / 7200.0, ll[1], 0.0};
    double d = c.r * std::cos(ll[1] * kCsDegToRad) * kArcSecond;
    return NumericScale(constants, west, east, d, 0.0);
}

double CS_vdgrntnH(const CsProjectionConstants* constants, const double ll[3]) {
    const CsVdgrntnConstants& c = Vdgrntn(constants);
    const double south[3] = {ll[0], ll[1] - 5e-5, 0.0};
    const double north[3] = {ll[0], ll[1] + 5e-5, 0.0};
    return NumericScale(constants, south, north, c.r * kTenThousandthDegree, c.tolerance);
}

double CS_vdgrntnConvergence(const CsProjectionConstants* constants, const double ll[3]) {
    return CS_numericConvergence(CS_vdgrntnForward, constants, ll);
}

int CS_vdgrntnXYLimits(const CsProjectionConstants* constants, int count,
                       const double points[][3]) {
    return CS_routineLimits(CS_vdgrntnInverse, constants, count, points);
}
