#include "projections/LlProjection.h"

#include <cmath>

#include "coordsys/core/CsAngles.h"
#include "coordsys/core/CsCore.h"

namespace {

const CsLlConstants& Ll(const CsProjectionConstants* constants) {
    return CS_constantsOf<CsLlConstants>(constants);
}

// Brings x (outside the window) back into it by whole cycles.
double FoldIntoWindow(const CsLlConstants& c, double x) {
    double r = std::fmod(x - c.west, c.cycle);
    if (r < 0.0) r += c.cycle;
    if (r > c.width) r -= c.cycle;
    return r + c.west;
}

constexpr CsSlots kLlSlots{
    .forward = CS_llForward,
    .inverse = CS_llInverse,
    .gridScale = CS_llScale,
    .parallelScale = CS_llScale,
    .meridianScale = CS_llScale,
    .convergence = CS_constantZero,
    .checkGeographic = CS_llGeoLimits,
    .checkCartesian = CS_llXYLimits,
};

}  // namespace

int CS_llCheck(const CsCoordSysDef* def, std::uint16_t, int errors[], int capacity) {
    CsCheckErrors out(errors, capacity);
    if (def->originLongitude < -180.0 || def->originLongitude > 180.0) {
        out.Add(kCsErrOriginLongitude);
    }
    double factor = CS_unitLookup(kCsAngularUnit, def->unit);
    if (factor == 0.0) {
        out.Add(kCsErrUnit);
        return out.Count();
    }
    double west = def->parameters[0];
    double east = def->parameters[1];
    if (west == 0.0 && east == 0.0) return out.Count();
    double range = factor * (east - west);
    if (range < 0.0) {
        out.Add(kCsErrRangeOrder);
    } else if (range < 360.0 || range > 540.0) {
        out.Add(kCsErrRangeTooSmall);
    }
    return out.Count();
}

void CS_llSetup(CsParams* params) {
    const CsCoordSysDef& def = params->csDef;
    CsLlConstants& c = CS_newConstants<CsLlConstants>(params);
    c.originLongitude = def.originLongitude;
    c.scale = def.scale;
    c.gridScale = 1.0;
    c.cycle = 360.0 * c.scale;
    c.origin = {0.0, 0.0, CS_quadrantCode(def.quadrant)};
    double west = def.parameters[0];
    double east = def.parameters[1];
    if (west == 0.0 && east == 0.0) {
        c.west = -180.0 * c.scale;
        c.east = 180.0 * c.scale;
    } else {
        c.west = (west - c.originLongitude) * c.scale;
        c.east = (east - c.originLongitude) * c.scale;
    }
    c.width = c.east - c.west;
    double halfWidth = c.width / 2.0 / c.scale;

    params->rangeCentralMeridian = c.originLongitude;
    // The definition's longitude limits stay as given, wrapped into +-270.
    if (!CS_geoRangeFromDefinition(params, 0.0, {.wrap = CS_normDeg270})) {
        CS_setGeoRange(params, -halfWidth, -90.0, halfWidth, 90.0);
    }
    if (!CS_xyRangeFromDefinition(params)) {
        CS_setXyRange(params, c.west, -90.0 * c.scale, c.east, 90.0 * c.scale);
    }
    CS_installSlots(params, kLlSlots);
}

int CS_llForward(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsLlConstants& c = Ll(constants);
    int status = 0;
    double longitude = in[0];
    double latitude = in[1];
    if (longitude < -270.0 || longitude > 270.0) {
        status = 2;
        longitude = CS_normDeg270(longitude);
    }
    if (latitude < -90.0 || latitude > 90.0) {
        status = 2;
        latitude = CS_normDeg90(latitude);
    }
    double x = (longitude - c.originLongitude) * c.scale;
    double y = latitude * c.scale;
    if (x < c.west || x > c.east) x = FoldIntoWindow(c, x);
    CS_forwardEpilogue(out, in, x, y, c.origin);
    return status;
}

int CS_llInverse(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsLlConstants& c = Ll(constants);
    int status = 0;
    double x, y;
    CS_removeFalseOrigin(c.origin, in, &x, &y);
    if (x < c.west || x > c.east) {
        x = FoldIntoWindow(c, x);
        status = 2;
    }
    double latitude = y / c.scale;
    if (latitude < -90.0 || latitude > 90.0) {
        latitude = CS_normDeg90(latitude);
        status = 2;
    }
    out[0] = CS_normDeg270(x / c.scale + c.originLongitude);
    out[1] = latitude;
    out[2] = in[2];
    return status;
}

double CS_llScale(const CsProjectionConstants* constants, const double[3]) {
    return Ll(constants).gridScale;
}

int CS_llGeoLimits(const CsProjectionConstants*, int count, const double points[][3]) {
    return CS_pointLimits(count, points, [](const double ll[3]) {
        return std::fabs(ll[1]) > 90.0 || std::fabs(ll[0]) >= 270.0;
    });
}

int CS_llXYLimits(const CsProjectionConstants* constants, int count, const double points[][3]) {
    return CS_routineLimits(CS_llInverse, constants, count, points);
}
