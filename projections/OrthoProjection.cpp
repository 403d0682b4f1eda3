#include "projections/OrthoProjection.h"

#include <algorithm>
#include <cmath>

#include "coordsys/core/CsAngles.h"
#include "coordsys/core/CsCore.h"

namespace {

const CsOrthoConstants& Ortho(const CsProjectionConstants* constants) {
    return CS_constantsOf<CsOrthoConstants>(constants);
}

constexpr CsSlots kOrthoSlots{
    .forward = CS_orthoForward,
    .inverse = CS_orthoInverse,
    .gridScale = CS_orthoH,
    .parallelScale = CS_constantOne,
    .meridianScale = CS_orthoH,
    .convergence = CS_orthoConvergence,
    .checkGeographic = CS_orthoLatLongLimits,
    .checkCartesian = CS_orthoXYLimits,
};

constexpr CsLongitudeRule kLongitudeRule{.wrap = CS_normLngRad};

// Whether a limits check counts the status as outside: a polar aspect's
// centre pole is singular for the routines only.
bool Outside(const CsOrthoConstants& c, int status, double latitude) {
    if (status == 0) return false;
    return !(status == 1 && c.cosPhi0 == 0.0 && (c.sinPhi0 > 0.0) == (latitude > 0.0));
}

}  // namespace

void CS_orthoSetup(CsParams* params) {
    CsOrthoConstants& c = CS_newConstants<CsOrthoConstants>(params);
    const CsCoordSysDef& def = params->csDef;
    c.lambda0 = def.originLongitude * kCsDegToRad;
    c.phi0 = def.originLatitude * kCsDegToRad;
    c.scale = def.scale;
    c.origin = CS_falseOrigin(def);
    c.a = params->datum.equatorialRadius;
    c.r = c.a * c.scale;
    c.tolerance = c.a <= 3.0 ? 2e-10 : 0.001 * c.scale;
    c.cosPhi0 = std::cos(c.phi0);
    c.sinPhi0 = std::sin(c.phi0);
    if (c.phi0 >= kCsMaxLatitude) {
        c.phi0 = kCsHalfPi, c.cosPhi0 = 0.0, c.sinPhi0 = 1.0;
    } else if (c.phi0 < -kCsMaxLatitude) {
        c.phi0 = -kCsHalfPi, c.cosPhi0 = 0.0, c.sinPhi0 = -1.0;
    } else if (std::fabs(c.phi0) < kCsAngularTolerance) {
        c.phi0 = 0.0, c.cosPhi0 = 1.0, c.sinPhi0 = 0.0;
    }
    params->rangeCentralMeridian = def.originLongitude;
    if (!CS_geoRangeFromDefinition(params, def.originLongitude)) {
        CS_setGeoRange(params, -90.0, -90.0, 90.0, 90.0);
    }
    if (!CS_xyRangeFromDefinition(params)) CS_setXyRange(params, -c.r, -c.r, c.r, c.r, c.origin);
    CS_installSlots(params, kOrthoSlots);
}

int CS_orthoForward(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsOrthoConstants& c = Ortho(constants);
    int status = 0;
    double phi = CS_forwardLatitude(in[1], &status);
    double dl = CS_longitudeDifference(in[0], c.lambda0, &status, kLongitudeRule);
    const double sinPhi = std::sin(phi), cosPhi = std::cos(phi), cosDl = std::cos(dl);
    double cosC = c.sinPhi0 * sinPhi + c.cosPhi0 * cosPhi * cosDl;
    // The far hemisphere and its rim: projected all the same.
    if (cosC <= 0.0) CS_raiseStatus(&status, 2);
    double x = c.r * cosPhi * std::sin(dl);
    double y = c.r * (c.cosPhi0 * sinPhi - c.sinPhi0 * cosPhi * cosDl);
    CS_forwardEpilogue(out, in, x, y, c.origin);
    return status;
}

int CS_orthoInverse(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsOrthoConstants& c = Ortho(constants);
    double x, y;
    CS_removeFalseOrigin(c.origin, in, &x, &y);
    double rho = std::hypot(x, y);
    int status = 0;
    double dl = 0.0, phi = c.phi0;
    if (!(rho < c.tolerance)) {
        if (rho > c.r) {
            status = 2;
            x *= c.r / rho;
            y *= c.r / rho;
            rho = c.r;
        }
        double sinC = std::min(rho / c.r, 1.0);
        double cosC = std::sqrt(1.0 - sinC * sinC);
        phi = std::asin(std::clamp(cosC * c.sinPhi0 + y * sinC * c.cosPhi0 / rho, -1.0, 1.0));
        if (c.phi0 >= kCsMaxLatitude) {
            dl = std::atan2(x, -y);
        } else if (c.phi0 <= -kCsMaxLatitude) {
            dl = std::atan2(x, y);
        } else if (std::fabs(x) > c.tolerance) {
            dl = std::fabs(c.phi0) <= kCsAngularTolerance
                     ? std::atan2(x * sinC, rho * cosC)
                     : std::atan2(x * sinC, rho * cosC * c.cosPhi0 - y * sinC * c.sinPhi0);
        }
    }
    if (std::fabs(phi) > kCsMaxLatitude && status == 0) status = 1;
    CS_inverseEpilogue(out, in, dl, phi, c.lambda0);
    return status;
}

double CS_orthoH(const CsProjectionConstants* constants, const double ll[3]) {
    const CsOrthoConstants& c = Ortho(constants);
    double phi = ll[1] * kCsDegToRad;
    if (std::fabs(phi) > kCsHalfPi) return -1.0;
    if (c.phi0 >= kCsMaxLatitude) return std::sin(phi);
    if (c.phi0 <= -kCsMaxLatitude) return -std::sin(phi);
    double dl = CS_normLngRad(ll[0] * kCsDegToRad - c.lambda0);
    if (c.phi0 == 0.0) return std::cos(dl) * std::cos(phi);
    return c.sinPhi0 * std::sin(phi) + c.cosPhi0 * std::cos(phi) * std::cos(dl);
}

double CS_orthoConvergence(const CsProjectionConstants* constants, const double ll[3]) {
    return CS_numericConvergence(CS_orthoForward, constants, ll);
}

int CS_orthoLatLongLimits(const CsProjectionConstants* constants, int count,
                          const double points[][3]) {
    const auto& c = Ortho(constants);
    return CS_pointLimits(count, points, [&](const double ll[3]) {
        double xy[3];
        return Outside(c, CS_orthoForward(constants, xy, ll), ll[1]);
    });
}

int CS_orthoXYLimits(const CsProjectionConstants* constants, int count, const double points[][3]) {
    const auto& c = Ortho(constants);
    return CS_pointLimits(count, points, [&](const double xy[3]) {
        double ll[3];
        int status = CS_orthoInverse(constants, ll, xy);
        return Outside(c, status, ll[1]);
    });
}
