#include "projections/ProjectionKit.h"

#include <cmath>

#include "coordsys/core/CsCore.h"

void CS_installSlots(CsParams* params, const CsSlots& slots) {
    params->forward = slots.forward;
    params->inverse = slots.inverse;
    params->gridScale = slots.gridScale;
    params->parallelScale = slots.parallelScale;
    params->meridianScale = slots.meridianScale;
    params->convergence = slots.convergence;
    params->checkGeographic = slots.checkGeographic;
    params->checkCartesian = slots.checkCartesian;
}

double CS_constantZero(const CsProjectionConstants*, const double[3]) {
    return 0.0;
}

double CS_constantOne(const CsProjectionConstants*, const double[3]) {
    return 1.0;
}

int CS_alwaysZero(const CsProjectionConstants*, int, const double[][3]) {
    return 0;
}

int CS_quadrantCode(int quadrant, CsQuadrantTable table) {
    if (table == CsQuadrantTable::kNormal) return CS_quadrantFlags(quadrant);
    static constexpr int kSouthOriented[9] = {5, 4, 6, 7, 3, 3, 2, 0, 1};
    return (quadrant < -4 || quadrant > 4) ? 0 : kSouthOriented[quadrant + 4];
}

CsFalseOrigin CS_falseOrigin(const CsCoordSysDef& def, CsQuadrantTable table) {
    return {def.falseEasting, def.falseNorthing, CS_quadrantCode(def.quadrant, table)};
}

void CS_applyFalseOrigin(const CsFalseOrigin& origin, double x, double y, double out[2]) {
    if (origin.quadrant == 0) {
        out[0] = x + origin.falseEasting;
        out[1] = y + origin.falseNorthing;
    } else {
        CS_quadForward(out, x, y, origin.falseEasting, origin.falseNorthing, origin.quadrant);
    }
}

void CS_removeFalseOrigin(const CsFalseOrigin& origin, const double in[2], double* x, double* y) {
    if (origin.quadrant == 0) {
        *x = in[0] - origin.falseEasting;
        *y = in[1] - origin.falseNorthing;
    } else {
        CS_quadInverse(x, y, in, origin.falseEasting, origin.falseNorthing, origin.quadrant);
    }
}

double CS_forwardLatitude(double latitude, int* status) {
    double phi = latitude * kCsDegToRad;
    if (std::fabs(phi) > kCsMaxLatitude) CS_raiseStatus(status, 1);
    return CS_wrappedLatitude(latitude, status);
}

double CS_wrappedLatitude(double latitude, int* status) {
    double phi = latitude * kCsDegToRad;
    if (std::fabs(phi) > kCsHalfPi) {
        CS_raiseStatus(status, 2);
        phi = CS_normLatRad(phi);
    }
    return phi;
}

double CS_clampedLatitude(double latitude, int* status) {
    double phi = latitude * kCsDegToRad;
    if (std::fabs(phi) > kCsMaxLatitude) {
        CS_raiseStatus(status, 2);
        phi = CS_normLatRad(phi);
        if (std::fabs(phi) > kCsMaxLatitude) phi = std::copysign(kCsMaxLatitude, phi);
    }
    return phi;
}

CsLatitude CS_poleLatitude(double phi) {
    if (std::fabs(phi) > kCsMaxLatitude) {
        return {std::copysign(kCsHalfPi, phi), std::copysign(1.0, phi), 0.0,
                std::copysign(kCsPoleTangent, phi), true};
    }
    double sinPhi = std::sin(phi), cosPhi = std::cos(phi);
    return {phi, sinPhi, cosPhi, sinPhi / cosPhi, false};
}

double CS_longitudeDifference(double longitude, double centralMeridian, int* status,
                              const CsLongitudeRule& rule) {
    double dl = longitude * kCsDegToRad - centralMeridian;
    const bool toward = rule.adjust == CsLongitudeAdjust::kTowardCentre;
    if (rule.adjust != CsLongitudeAdjust::kNone) {
        if (dl > rule.limit && (!toward || centralMeridian < 0.0)) {
            dl -= kCsTwoPi;
        } else if (dl < -rule.limit && (!toward || centralMeridian > 0.0)) {
            dl += kCsTwoPi;
        }
    }
    bool outside = rule.limitOutside ? std::fabs(dl) >= rule.limit : std::fabs(dl) > rule.limit;
    if (outside) {
        CS_raiseStatus(status, rule.status);
        if (rule.wrap != nullptr) dl = rule.wrap(dl);
    }
    return dl;
}

CsGeoPoint CS_forwardPrologue(double longitude, double latitude, double centralMeridian,
                              const CsLongitudeRule& rule) {
    CsGeoPoint point{};
    static_cast<CsLatitude&>(point) = CS_poleLatitude(CS_forwardLatitude(latitude, &point.status));
    point.dLambda = CS_longitudeDifference(longitude, centralMeridian, &point.status, rule);
    return point;
}

void CS_forwardEpilogue(double out[3], const double in[3], double x, double y,
                        const CsFalseOrigin& origin) {
    CS_applyFalseOrigin(origin, x, y, out);
    out[2] = in[2];
}

void CS_inverseEpilogue(double out[3], const double in[3], double dLambda, double phi,
                        double centralMeridian) {
    out[0] = (dLambda + centralMeridian) * kCsRadToDeg;
    // The world's edge, missed by rounding, would read as out of range.
    if (std::fabs(out[0]) > 180.0 && std::fabs(out[0]) < 180.0 + 1e-9)
        out[0] = std::copysign(180.0, out[0]);
    out[1] = phi * kCsRadToDeg;
    out[2] = in[2];
}

double CS_numericConvergence(CsProjectFn forward, const CsProjectionConstants* constants,
                             const double ll[3]) {
    constexpr double kStep = 5e-05;  // degrees of latitude each way
    const double south[3] = {ll[0], ll[1] - kStep, ll[2]};
    const double north[3] = {ll[0], ll[1] + kStep, ll[2]};
    double a[3], b[3];
    if (forward(constants, a, south) != 0 || forward(constants, b, north) != 0) return -360.0;
    double dx = b[0] - a[0], dy = b[1] - a[1];
    if (!(std::fabs(dx) + std::fabs(dy) > 0.0)) return -360.0;
    return -std::atan2(dx, dy) * kCsRadToDeg;
}

int CS_threePointRegion() {
    CS_reportError(kCsErrRegionPoints);
    return 4096;
}

int CS_routineLimits(CsProjectFn routine, const CsProjectionConstants* constants, int count,
                     const double points[][3]) {
    return CS_pointLimits(count, points, [&](const double point[3]) {
        double out[3];
        return routine(constants, out, point) != 0;
    });
}

namespace {

double Relative(double longitude, double centralMeridian, double (*wrap)(double)) {
    double relative = longitude - centralMeridian;
    return wrap != nullptr ? wrap(relative) : relative;
}

}  // namespace

bool CS_geoRangeFromDefinition(CsParams* params, double centralMeridian, const CsRangeRule& rule) {
    const CsCoordSysDef& def = params->csDef;
    bool none = def.minLongitude == 0.0 && def.maxLongitude == 0.0 &&
                (!rule.allFour || (def.minLatitude == 0.0 && def.maxLatitude == 0.0));
    if (none) return false;
    CS_setGeoRange(params, Relative(def.minLongitude, centralMeridian, rule.wrap), def.minLatitude,
                   Relative(def.maxLongitude, centralMeridian, rule.wrap), def.maxLatitude);
    return true;
}

bool CS_xyRangeFromDefinition(CsParams* params, const CsRangeRule& rule) {
    const CsCoordSysDef& def = params->csDef;
    bool none = def.minX == 0.0 && def.maxX == 0.0 &&
                (!rule.allFour || (def.minY == 0.0 && def.maxY == 0.0));
    if (none) return false;
    CS_setXyRange(params, def.minX, def.minY, def.maxX, def.maxY);
    return true;
}

void CS_setGeoRange(CsParams* params, double minLongitude, double minLatitude, double maxLongitude,
                    double maxLatitude) {
    params->minLongitude = minLongitude;
    params->minLatitude = minLatitude;
    params->maxLongitude = maxLongitude;
    params->maxLatitude = maxLatitude;
}

void CS_setXyRange(CsParams* params, double minX, double minY, double maxX, double maxY,
                   const CsFalseOrigin& origin) {
    double min[2] = {minX, minY}, max[2] = {maxX, maxY};
    CS_quadMinMax(min, max, origin.falseEasting, origin.falseNorthing, origin.quadrant);
    CS_setXyRange(params, min[0], min[1], max[0], max[1]);
}

void CS_setXyRange(CsParams* params, double minX, double minY, double maxX, double maxY) {
    params->minX = minX;
    params->minY = minY;
    params->maxX = maxX;
    params->maxY = maxY;
}
