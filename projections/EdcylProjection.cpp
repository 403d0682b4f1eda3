#include "projections/EdcylProjection.h"

#include <cmath>

#include "coordsys/core/CsAngles.h"
#include "coordsys/core/CsCore.h"
#include "projections/LatitudeLimits.h"

namespace {

const CsEdcylConstants& Edcyl(const CsProjectionConstants* constants) {
    return CS_constantsOf<CsEdcylConstants>(constants);
}

// Up to 270 degrees from the central meridian a longitude projects as given.
constexpr CsLongitudeRule kEdcylLongitude{.limit = kCs270Degrees,
                                          .limitOutside = true,
                                          .adjust = CsLongitudeAdjust::kTowardCentre,
                                          .status = 2,
                                          .wrap = CS_normLngRad};

constexpr CsSlots kEdcylSlots{
    .forward = CS_edcylForward,
    .inverse = CS_edcylInverse,
    .gridScale = CS_edcylK,
    .parallelScale = CS_edcylK,
    .meridianScale = CS_constantOne,
    .convergence = CS_edcylConvergence,
    .checkGeographic = CS_latitudeLimitsCheck,
    .checkCartesian = CS_edcylXYLimits,
};

}  // namespace

int CS_edcylCheck(const CsCoordSysDef* def, std::uint16_t /*code*/, int errors[], int capacity) {
    CsCheckErrors out(errors, capacity);
    out.Require(def->originLongitude > -180.0 && def->originLongitude <= 180.0,
                kCsErrOriginLongitude);
    out.Require(def->originLatitude >= -90.0 && def->originLatitude <= 90.0, kCsErrOriginLatitude);
    out.Require(def->parameters[0] > -88.0 && def->parameters[0] < 88.0, kCsErrStandardParallel);
    return out.Count();
}

void CS_edcylSetup(CsParams* params) {
    CsEdcylConstants& c = CS_newConstants<CsEdcylConstants>(params);
    const CsCoordSysDef& def = params->csDef;
    c.centralMeridian = def.originLongitude * kCsDegToRad;
    c.originLatitude = def.originLatitude * kCsDegToRad;
    c.standardParallel = def.parameters[0] * kCsDegToRad;
    c.k = def.scale;
    c.origin = CS_falseOrigin(def);
    c.a = params->datum.equatorialRadius;
    c.r = c.a * c.k;
    c.tolerance = 0.001 * c.k;
    c.cosStandard = std::cos(c.standardParallel);
    c.rCosStandard = c.r * c.cosStandard;

    params->rangeCentralMeridian = def.originLongitude;
    if (!CS_geoRangeFromDefinition(params, def.originLongitude)) {
        CS_setGeoRange(params, -180.0, -90.0, 180.0, 90.0);
    }
    if (!CS_xyRangeFromDefinition(params)) {
        // y counts from the origin latitude: the poles lie at R (+-pi/2 - phi0).
        double south = -kCsMaxLatitude - c.originLatitude;
        double north = kCsMaxLatitude - c.originLatitude;
        CS_setXyRange(params, -kCsPi * c.rCosStandard, c.r * south, kCsPi * c.rCosStandard,
                      c.r * north, c.origin);
    }
    CS_installSlots(params, kEdcylSlots);
}

int CS_edcylForward(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsEdcylConstants& c = Edcyl(constants);
    int status = 0;
    double phi = CS_wrappedLatitude(in[1], &status);
    double dl = CS_longitudeDifference(in[0], c.centralMeridian, &status, kEdcylLongitude);
    CS_forwardEpilogue(out, in, c.rCosStandard * dl, c.r * (phi - c.originLatitude), c.origin);
    return status;
}

int CS_edcylInverse(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsEdcylConstants& c = Edcyl(constants);
    double x, y;
    CS_removeFalseOrigin(c.origin, in, &x, &y);
    int status = 0;
    double dl = x / c.rCosStandard;
    if (std::fabs(dl) >= kCs270Degrees) {
        status = 2;
        dl = CS_normLngRad(dl);
    }
    double phi = y / c.r + c.originLatitude;
    if (std::fabs(phi) > kCsHalfPi) {
        status = 2;
        phi = CS_normLatRad(phi);
    }
    CS_inverseEpilogue(out, in, dl, phi, c.centralMeridian);
    return status;
}

double CS_edcylK(const CsProjectionConstants* constants, const double ll[3]) {
    const CsEdcylConstants& c = Edcyl(constants);
    double phi = std::fabs(ll[1] * kCsDegToRad);
    if (phi <= kCsMaxLatitude) return c.cosStandard / std::cos(phi);
    return phi <= kCsHalfPi ? kCsInfiniteScale : -1.0;
}

double CS_edcylConvergence(const CsProjectionConstants* constants, const double ll[3]) {
    return CS_numericConvergence(CS_edcylForward, constants, ll);
}

int CS_edcylXYLimits(const CsProjectionConstants* constants, int count, const double points[][3]) {
    return CS_routineLimits(CS_edcylInverse, constants, count, points);
}
