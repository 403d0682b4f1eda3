#include "projections/MrcatProjection.h"

#include <cmath>

#include "coordsys/core/CsAngles.h"
#include "coordsys/core/CsCore.h"

namespace {

const CsMrcatConstants& Mrcat(const CsProjectionConstants* constants) {
    return CS_constantsOf<CsMrcatConstants>(constants);
}

// Up to 270 degrees from the central meridian a longitude projects as given,
// so that a map may run past the antimeridian.
constexpr CsLongitudeRule kMrcatLongitude{.limit = kCs270Degrees,
                                          .limitOutside = true,
                                          .adjust = CsLongitudeAdjust::kTowardCentre,
                                          .status = 2,
                                          .wrap = CS_normLngRad};

double Northing(const CsMrcatConstants& c, double phi) {
    double sinPhi = std::sin(phi);
    double q = (1.0 + sinPhi) / (1.0 - sinPhi);
    if (c.e != 0.0) {
        double es = c.e * sinPhi;
        q *= std::pow((1.0 - es) / (1.0 + es), c.e);
    }
    return c.rk0Half * std::log(q);
}

// The point (degrees) about the central meridian, before the false origin.
int Project(const CsMrcatConstants& c, double longitude, double latitude, double* x, double* y) {
    int status = 0;
    double dl = CS_longitudeDifference(longitude, c.centralMeridian, &status, kMrcatLongitude);
    double phi = CS_clampedLatitude(latitude, &status);
    *x = c.rk0 * dl;
    *y = Northing(c, phi);
    return status;
}

void SetUsefulRange(CsParams* params, const CsMrcatConstants& c, double centralMeridian) {
    params->rangeCentralMeridian = centralMeridian;
    if (!CS_geoRangeFromDefinition(params, centralMeridian)) {
        params->rangeCentralMeridian = 0.0;
        CS_setGeoRange(params, -180.0, -90.0, 180.0, 90.0);
    }
    const CsCoordSysDef& def = params->csDef;
    if (def.minX == 0.0 && def.maxY == 0.0) {
        const double cm = params->rangeCentralMeridian;
        double minX, minY, maxX, maxY;
        Project(c, params->minLongitude + cm, params->minLatitude, &minX, &minY);
        Project(c, params->maxLongitude + cm, params->maxLatitude, &maxX, &maxY);
        CS_setXyRange(params, minX, minY, maxX, maxY, c.origin);
    } else {
        CS_setXyRange(params, def.minX, def.minY, def.maxX, def.maxY);
    }
}

constexpr CsSlots kMrcatSlots{
    .forward = CS_mrcatForward,
    .inverse = CS_mrcatInverse,
    .gridScale = CS_mrcatScale,
    .parallelScale = CS_mrcatScale,
    .meridianScale = CS_mrcatScale,
    .convergence = CS_constantZero,
    .checkGeographic = CS_mrcatGeoLimits,
    .checkCartesian = CS_mrcatXYLimits,
};

}  // namespace

int CS_mrcatCheck(const CsCoordSysDef* def, std::uint16_t /*code*/, int errors[], int capacity) {
    CsCheckErrors out(errors, capacity);
    const double* p = def->parameters;
    out.Require(p[0] > -180.0 && p[0] <= 180.0, kCsErrOriginLongitude);
    out.Require(p[1] > -80.0 && p[1] < 80.0, kCsErrStandardParallel);
    return out.Count();
}

void CS_mrcatSetup(CsParams* params) {
    CsMrcatConstants& c = CS_newConstants<CsMrcatConstants>(params);
    const CsCoordSysDef& def = params->csDef;
    const bool reduced = params->projectionCode == kCsProjMrcatk;
    c.centralMeridian = def.parameters[0] * kCsDegToRad;
    c.standardParallel = reduced ? 0.0 : def.parameters[1] * kCsDegToRad;
    c.k = def.scale;
    c.origin = CS_falseOrigin(def);
    c.e = params->datum.eccentricity;
    c.eSq = c.e * c.e;
    if (reduced) {
        c.k0 = def.scaleReduction;
    } else {
        double sinPs = std::sin(c.standardParallel);
        c.k0 = std::cos(c.standardParallel) / std::sqrt(1.0 - c.eSq * sinPs * sinPs);
    }
    c.rk = params->datum.equatorialRadius * c.k;
    c.rkHalf = c.rk / 2.0;
    c.rk0 = c.k0 * c.rk;
    c.rk0Half = c.rk0 / 2.0;
    c.largestNorthing = Northing(c, kCsMaxLatitude);
    if (c.e != 0.0) CS_conformalSeriesSetup(&c.fromConformal, c.eSq);
    SetUsefulRange(params, c, def.parameters[0]);
    CS_installSlots(params, kMrcatSlots);
}

int CS_mrcatForward(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsMrcatConstants& c = Mrcat(constants);
    double x, y;
    int status = Project(c, in[0], in[1], &x, &y);
    CS_forwardEpilogue(out, in, x, y, c.origin);
    return status;
}

int CS_mrcatInverse(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsMrcatConstants& c = Mrcat(constants);
    double x, y;
    CS_removeFalseOrigin(c.origin, in, &x, &y);
    int status = 0;
    if (std::fabs(y) > c.largestNorthing) {
        status = 2;
        y = std::copysign(c.largestNorthing, y);
    }
    double dl = x / c.rk0;
    if (std::fabs(dl) >= kCs270Degrees) {
        status = 2;
        dl = CS_normLngRad(dl);
    }
    double chi = kCsHalfPi - 2.0 * std::atan(std::exp(-y / c.rk0));
    double phi = c.e == 0.0 ? chi : CS_evalSinSeries(&c.fromConformal, chi);
    CS_inverseEpilogue(out, in, dl, phi, c.centralMeridian);
    return status;
}

double CS_mrcatScale(const CsProjectionConstants* constants, const double ll[3]) {
    const CsMrcatConstants& c = Mrcat(constants);
    double phi = ll[1] * kCsDegToRad;
    if (!(std::fabs(phi) <= kCsMaxLatitude)) return kCsInfiniteScale;
    double sinPhi = std::sin(phi);
    double k = c.k0 * std::sqrt(1.0 - c.eSq * sinPhi * sinPhi) / std::cos(phi);
    return std::min(k, kCsInfiniteScale);
}

int CS_mrcatGeoLimits(const CsProjectionConstants* /*constants*/, int count,
                      const double points[][3]) {
    return CS_pointLimits(count, points, [](const double ll[3]) {
        return !(std::fabs(ll[1] * kCsDegToRad) <= kCsMaxLatitude);
    });
}

int CS_mrcatXYLimits(const CsProjectionConstants* constants, int count, const double points[][3]) {
    const CsMrcatConstants& c = Mrcat(constants);
    return CS_pointLimits(count, points, [&](const double xy[3]) {
        double x, y;
        CS_removeFalseOrigin(c.origin, xy, &x, &y);
        return std::fabs(y) > c.largestNorthing;
    });
}
