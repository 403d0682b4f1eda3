#include "projections/MillerProjection.h"

#include <cmath>

#include "coordsys/core/CsAngles.h"
#include "coordsys/core/CsCore.h"

namespace {

const CsMillerConstants& Miller(const CsProjectionConstants* constants) {
    return CS_constantsOf<CsMillerConstants>(constants);
}

// Taken round by 2 pi beyond +-180 degrees whatever the central meridian's
// sign; a difference of 180 degrees or more after that is outside.
constexpr CsLongitudeRule kMillerLongitude{.limit = kCsPi,
                                           .limitOutside = true,
                                           .adjust = CsLongitudeAdjust::kAlways,
                                           .status = 2,
                                           .wrap = CS_normLngRad};

// ln((1 + sin 0.8 phi) / (1 - sin 0.8 phi)) at the pole.
constexpr double kPoleFactor = 3.685460063;
constexpr double kFiveEighthsPi = 1.9634954084936207;

constexpr CsSlots kMillerSlots{
    .forward = CS_millerForward,
    .inverse = CS_millerInverse,
    .gridScale = CS_millerK,
    .parallelScale = CS_millerK,
    .meridianScale = CS_millerH,
    .convergence = CS_constantZero,
    .checkGeographic = CS_millerLatLongLimits,
    .checkCartesian = CS_millerXYLimits,
};

}  // namespace

int CS_millerCheck(const CsCoordSysDef* def, std::uint16_t /*code*/, int errors[], int capacity) {
    CsCheckErrors out(errors, capacity);
    out.Require(def->parameters[0] > -180.0 && def->parameters[0] <= 180.0, kCsErrOriginLongitude);
    return out.Count();
}

void CS_millerSetup(CsParams* params) {
    CsMillerConstants& c = CS_newConstants<CsMillerConstants>(params);
    const CsCoordSysDef& def = params->csDef;
    c.centralMeridian = def.parameters[0] * kCsDegToRad;
    c.k = def.scale;
    c.origin = CS_falseOrigin(def);
    c.r = params->datum.equatorialRadius * c.k;
    c.r625 = 0.625 * c.r;
    c.rInv08 = 0.8 / c.r;
    c.maxX = kCs270Degrees * c.r;
    c.maxY = c.r625 * kPoleFactor;

    params->rangeCentralMeridian = def.parameters[0];
    if (!CS_geoRangeFromDefinition(params, def.parameters[0])) {
        CS_setGeoRange(params, -270.0, -90.0, 270.0, 90.0);
    }
    if (!CS_xyRangeFromDefinition(params)) {
        CS_setXyRange(params, -c.maxX, -c.maxY, c.maxX, c.maxY, c.origin);
    }
    CS_installSlots(params, kMillerSlots);
}

int CS_millerForward(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsMillerConstants& c = Miller(constants);
    int status = 0;
    double phi = CS_wrappedLatitude(in[1], &status);
    double dl = CS_longitudeDifference(in[0], c.centralMeridian, &status, kMillerLongitude);
    double s = std::sin(0.8 * phi);
    CS_forwardEpilogue(out, in, c.r * dl, c.r625 * std::log((1.0 + s) / (1.0 - s)), c.origin);
    return status;
}

int CS_millerInverse(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsMillerConstants& c = Miller(constants);
    double x, y;
    CS_removeFalseOrigin(c.origin, in, &x, &y);
    int status = 0;
    if (std::fabs(x) > c.maxX) {
        status = 2;
        x = std::copysign(c.maxX, x);
    }
    if (std::fabs(y) > c.maxY) {
        status = 2;
        y = std::copysign(c.maxY, y);
    }
    double phi = 2.5 * std::atan(std::exp(c.rInv08 * y)) - kFiveEighthsPi;
    CS_inverseEpilogue(out, in, x / c.r, phi, c.centralMeridian);
    return status;
}

double CS_millerK(const CsProjectionConstants* /*constants*/, const double ll[3]) {
    double phi = ll[1] * kCsDegToRad;
    return std::fabs(phi) < kCsMaxLatitude ? 1.0 / std::cos(phi) : kCsInfiniteScale;
}

double CS_millerH(const CsProjectionConstants* /*constants*/, const double ll[3]) {
    double phi = ll[1] * kCsDegToRad;
    return std::fabs(phi) <= kCsHalfPi ? 1.0 / std::cos(0.8 * phi) : -1.0;
}

int CS_millerLatLongLimits(const CsProjectionConstants* constants, int count,
                           const double points[][3]) {
    return CS_routineLimits(CS_millerForward, constants, count, points);
}

int CS_millerXYLimits(const CsProjectionConstants* constants, int count, const double points[][3]) {
    return CS_routineLimits(CS_millerInverse, constants, count, points);
}
