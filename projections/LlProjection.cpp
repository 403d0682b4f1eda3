#include "projections/LlProjection.h"

#include <cmath>

#include "coordsys/core/CsAngles.h"
#include "coordsys/core/CsCore.h"
#include "projections/ProjectionCommon.h"
#include "projections/ProjectionConstants.h"

namespace {

// Brings x (outside the window) back into it by whole cycles.
double FoldIntoWindow(const CsLlConstants& c, double x) {
    double r = std::fmod(x - c.west, c.cycle);
    if (r < 0.0) r += c.cycle;
    if (r > c.width) r -= c.cycle;
    return r + c.west;
}

}  // namespace

int CS_llCheck(const CsCoordSysDef* def, std::uint16_t, int errors[], int capacity) {
    int count = 0;
    if (def->originLongitude < -180.0 || def->originLongitude > 180.0) {
        CS_addCheckError(errors, capacity, count, kCsErrOriginLongitude);
    }
    double factor = CS_unitLookup(kCsAngularUnit, def->unit);
    if (factor == 0.0) {
        CS_addCheckError(errors, capacity, count, kCsErrUnit);
        return count;
    }
    double west = def->parameters[0];
    double east = def->parameters[1];
    if (west == 0.0 && east == 0.0) return count;
    double range = factor * (east - west);
    if (range < 0.0) {
        CS_addCheckError(errors, capacity, count, kCsErrRangeOrder);
    } else if (range < 360.0 || range > 540.0) {
        CS_addCheckError(errors, capacity, count, kCsErrRangeTooSmall);
    }
    return count;
}

void CS_llSetup(CsParams* params) {
    const CsCoordSysDef& def = params->csDef;
    CsLlConstants& c = CS_constants(params)->ll;
    c.originLongitude = def.originLongitude;
    c.scale = def.scale;
    c.gridScale = 1.0;
    c.cycle = 360.0 * c.scale;
    c.quadrant = static_cast<std::int16_t>(CS_quadrantFlags(def.quadrant));
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
    if (def.minLongitude == 0.0 && def.maxLongitude == 0.0) {
        params->minLongitude = -halfWidth;
        params->maxLongitude = halfWidth;
        params->minLatitude = -90.0;
        params->maxLatitude = 90.0;
    } else {
        params->minLongitude = CS_normDeg270(def.minLongitude);
        params->maxLongitude = CS_normDeg270(def.maxLongitude);
        params->minLatitude = def.minLatitude;
        params->maxLatitude = def.maxLatitude;
    }
    if (def.minX == 0.0 && def.maxX == 0.0) {
        params->minX = c.west;
        params->minY = -90.0 * c.scale;
        params->maxX = c.east;
        params->maxY = 90.0 * c.scale;
    } else {
        params->minX = def.minX;
        params->minY = def.minY;
        params->maxX = def.maxX;
        params->maxY = def.maxY;
    }

    params->forward = CS_llForward;
    params->inverse = CS_llInverse;
    params->gridScale = CS_llScale;
    params->parallelScale = CS_llScale;
    params->meridianScale = CS_llScale;
    params->convergence = CS_constantZero;
    params->checkGeographic = CS_llGeoLimits;
    params->checkCartesian = CS_llXYLimits;
}

int CS_llForward(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsLlConstants& c = constants->ll;
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
    CS_quadForward(out, x, y, 0.0, 0.0, c.quadrant);
    out[2] = in[2];
    return status;
}

int CS_llInverse(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsLlConstants& c = constants->ll;
    int status = 0;
    double x, y;
    CS_quadInverse(&x, &y, in, 0.0, 0.0, c.quadrant);
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
    return constants->ll.gridScale;
}

int CS_llGeoLimits(const CsProjectionConstants*, int count, const double points[][3]) {
    for (int i = 0; i < count; ++i) {
        if (std::fabs(points[i][1]) > 90.0 || std::fabs(points[i][0]) >= 270.0) return 2;
    }
    return 0;
}

int CS_llXYLimits(const CsProjectionConstants* constants, int count, const double points[][3]) {
    for (int i = 0; i < count; ++i) {
        double ll[3];
        if (CS_llInverse(constants, ll, points[i]) != 0) return 2;
    }
    return 0;
}
