#include "projections/NeacylProjection.h"

#include <cmath>

#include "coordsys/core/CsAngles.h"
#include "coordsys/core/CsCore.h"
#include "projections/LatitudeLimits.h"

namespace {

const CsNeacylConstants& Neacyl(const CsProjectionConstants* constants) {
    return CS_constantsOf<CsNeacylConstants>(constants);
}

// Up to 270 degrees from the central meridian a longitude projects as given.
constexpr CsLongitudeRule kNeacylLongitude{.limit = kCs270Degrees,
                                           .limitOutside = true,
                                           .adjust = CsLongitudeAdjust::kTowardCentre,
                                           .status = 2,
                                           .wrap = CS_normLngRad};

// q of the authalic latitude, without the factor 1 - e^2.
double Q(const CsNeacylConstants& c, double sinPhi) {
    double es = c.e * sinPhi;
    return sinPhi / (1.0 - es * es) - c.oneOver2e * std::log((1.0 - es) / (1.0 + es));
}

constexpr CsSlots kNeacylSlots{
    .forward = CS_neacylForward,
    .inverse = CS_neacylInverse,
    .gridScale = CS_neacylK,
    .parallelScale = CS_neacylK,
    .meridianScale = CS_neacylH,
    .convergence = CS_constantZero,
    .checkGeographic = CS_latitudeLimitsCheck,
    .checkCartesian = CS_neacylXYLimits,
};

}  // namespace

int CS_neacylCheck(const CsCoordSysDef* def, std::uint16_t /*code*/, int errors[], int capacity) {
    CsCheckErrors out(errors, capacity);
    out.Require(def->originLongitude > -180.0 && def->originLongitude <= 180.0,
                kCsErrOriginLongitude);
    out.Require(def->parameters[0] > -80.0 && def->parameters[0] < 80.0, kCsErrStandardParallel);
    return out.Count();
}

void CS_neacylSetup(CsParams* params) {
    CsNeacylConstants& c = CS_newConstants<CsNeacylConstants>(params);
    const CsCoordSysDef& def = params->csDef;
    c.centralMeridian = def.originLongitude * kCsDegToRad;
    c.standardParallel = def.parameters[0] * kCsDegToRad;
    c.origin = CS_falseOrigin(def);
    c.a = params->datum.equatorialRadius;
    c.k = def.scale;
    c.r = c.a * c.k;
    c.e = params->datum.eccentricity;
    c.eSq = c.e * c.e;
    c.oneMinusESq = 1.0 - c.eSq;
    c.cosStandard = std::cos(c.standardParallel);
    if (c.e == 0.0) {
        c.rCosStandard = c.r * c.cosStandard;
        c.rOverCosStandard = c.r / c.cosStandard;
        c.cosStandardOverR = c.cosStandard / c.r;
        c.xExtent = kCsPi * c.rCosStandard;
        c.yExtent = c.rOverCosStandard;
    } else {
        double sinStandard = std::sin(c.standardParallel);
        c.k0 = c.cosStandard / std::sqrt(1.0 - c.eSq * sinStandard * sinStandard);
        c.rk0 = c.r * c.k0;
        c.rOver2k0 = c.r / (2.0 * c.k0);
        c.oneOverRk0 = 1.0 / c.rk0;
        c.oneOver2e = 1.0 / (2.0 * c.e);
        double qp = c.oneMinusESq * Q(c, 1.0);
        c.qFactor = 2.0 * c.k0 / (qp * c.r);
        CS_authalicSeriesSetup(&c.authalic, c.eSq);
        // The setup's own extents once left out the radius here; the
        // forward's extremes are what a map of the whole range needs.
        c.xExtent = kCsPi * c.rk0;
        c.yExtent = qp * c.rOver2k0;
    }

    params->rangeCentralMeridian = def.originLongitude;
    if (!CS_geoRangeFromDefinition(params, def.originLongitude)) {
        CS_setGeoRange(params, -180.0, -90.0, 180.0, 90.0);
    }
    if (!CS_xyRangeFromDefinition(params)) {
        CS_setXyRange(params, -c.xExtent, -c.yExtent, c.xExtent, c.yExtent, c.origin);
    }
    CS_installSlots(params, kNeacylSlots);
}

int CS_neacylForward(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsNeacylConstants& c = Neacyl(constants);
    int status = 0;
    double phi = CS_wrappedLatitude(in[1], &status);
    double dl = CS_longitudeDifference(in[0], c.centralMeridian, &status, kNeacylLongitude);
    double x, y;
    if (c.e == 0.0) {
        x = dl * c.rCosStandard;
        y = std::sin(phi) * c.rOverCosStandard;
    } else {
        x = dl * c.rk0;
        y = Q(c, std::sin(phi)) * c.oneMinusESq * c.rOver2k0;
    }
    CS_forwardEpilogue(out, in, x, y, c.origin);
    return status;
}

int CS_neacylInverse(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsNeacylConstants& c = Neacyl(constants);
    double x, y;
    CS_removeFalseOrigin(c.origin, in, &x, &y);
    int status = 0;
    double dl, phi;
    if (c.e == 0.0) {
        dl = x / c.rCosStandard;
        if (std::fabs(dl) > kCs270Degrees) {
            status = 2;
            dl = std::copysign(kCs270Degrees, dl);
        }
        if (std::fabs(y) > c.rOverCosStandard) {
            status = 2;
            y = std::copysign(c.rOverCosStandard, y);
        }
        phi = std::asin(y * c.cosStandardOverR);
    } else {
        dl = x * c.oneOverRk0;
        if (std::fabs(dl) >= kCs270Degrees) {
            status = 2;
            dl = std::copysign(kCs270Degrees, dl);
        }
        double t = y * c.qFactor;
        if (std::fabs(t) > 1.0) {
            status = 2;
            t = std::copysign(1.0, t);
        }
        phi = CS_authalicToGeodetic(&c.authalic, std::asin(t));
    }
    CS_inverseEpilogue(out, in, dl, phi, c.centralMeridian);
    return status;
}

double CS_neacylK(const CsProjectionConstants* constants, const double ll[3]) {
    const CsNeacylConstants& c = Neacyl(constants);
    double phi = ll[1] * kCsDegToRad;
    double magnitude = std::fabs(phi);
    if (magnitude <= kCsMaxLatitude) {
        if (c.e == 0.0) return c.cosStandard / std::cos(phi);
        double s = std::sin(phi);
        return c.k0 / std::cos(phi) * std::sqrt(1.0 - c.eSq * s * s);
    }
    return magnitude > kCsHalfPi ? -1.0 : kCsInfiniteScale;
}

double CS_neacylH(const CsProjectionConstants* constants, const double ll[3]) {
    double k = CS_neacylK(constants, ll);
    if (!(k > 0.0)) return -1.0;
    return k > 0.0001 ? 1.0 / k : kCsInfiniteScale;
}

int CS_neacylXYLimits(const CsProjectionConstants* constants, int count, const double points[][3]) {
    return CS_routineLimits(CS_neacylInverse, constants, count, points);
}
