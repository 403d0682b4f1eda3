#include "projections/GnomonicProjection.h"

#include <algorithm>
#include <cmath>

#include "coordsys/core/CsAngles.h"
#include "coordsys/core/CsCore.h"

namespace {

const CsGnomonicConstants& Gnomonic(const CsProjectionConstants* constants) {
    return CS_constantsOf<CsGnomonicConstants>(constants);
}

constexpr CsSlots kGnomonicSlots{
    .forward = CS_gnomonicForward,
    .inverse = CS_gnomonicInverse,
    .gridScale = CS_gnomonicK,
    .parallelScale = CS_gnomonicK,
    .meridianScale = CS_gnomonicH,
    .convergence = CS_gnomonicConvergence,
    .checkGeographic = CS_gnomonicLatLongLimits,
    .checkCartesian = CS_gnomonicXYLimits,
};

constexpr CsLongitudeRule kLongitudeRule{.wrap = CS_normLngRad};
constexpr double kHorizon = 0.0015;

// cos c of the point (degrees); false beyond the poles.
bool CosC(const CsGnomonicConstants& c, const double ll[3], double* cosC) {
    double phi = ll[1] * kCsDegToRad;
    if (std::fabs(phi) > kCsHalfPi) return false;
    double dl = CS_normLngRad(ll[0] * kCsDegToRad - c.lambda0);
    *cosC = c.sinPhi0 * std::sin(phi) + c.cosPhi0 * std::cos(phi) * std::cos(dl);
    return true;
}

// Whether a limits check counts the status as outside: a polar aspect's
// centre pole is singular for the routines only.
bool Outside(const CsGnomonicConstants& c, int status, double latitude) {
    if (status == 0) return false;
    return !(status == 1 && c.cosPhi0 == 0.0 && (c.sinPhi0 > 0.0) == (latitude > 0.0));
}

}  // namespace

int CS_gnomonicCheck(const CsCoordSysDef* def, std::uint16_t, int errors[], int capacity) {
    CsCheckErrors out(errors, capacity);
    out.Require(def->originLongitude > -180.0 && def->originLongitude <= 180.0,
                kCsErrOriginLongitude);
    out.Require(def->originLatitude >= -90.0 && def->originLatitude <= 90.0, kCsErrOriginLatitude);
    return out.Count();
}

void CS_gnomonicSetup(CsParams* params) {
    CsGnomonicConstants& c = CS_newConstants<CsGnomonicConstants>(params);
    const CsCoordSysDef& def = params->csDef;
    c.lambda0 = def.originLongitude * kCsDegToRad;
    c.phi0 = def.originLatitude * kCsDegToRad;
    c.scale = def.scale;
    c.origin = CS_falseOrigin(def);
    c.a = params->datum.equatorialRadius;
    c.r = c.a * c.scale;
    c.tolerance = c.a <= 3.0 ? 1e-10 : 0.0001 * c.scale;
    c.cosPhi0 = std::cos(c.phi0);
    c.sinPhi0 = std::sin(c.phi0);
    if (c.sinPhi0 > 0.9999999515) {
        c.cosPhi0 = 0.0, c.sinPhi0 = 1.0;
    } else if (c.sinPhi0 < -0.9999999515) {
        c.cosPhi0 = 0.0, c.sinPhi0 = -1.0;
    } else if (std::fabs(c.sinPhi0) < kCsAngularTolerance) {
        c.cosPhi0 = 1.0, c.sinPhi0 = 0.0;
    }
    c.horizon = kHorizon;
    // Where the horizon's cos c lands: R tan c. (1 - 0.0015) R would put
    // the horizon 45 degrees out and clamp every inverse beyond that.
    c.limitRadius = c.r * std::sqrt(1.0 - kHorizon * kHorizon) / kHorizon;
    params->rangeCentralMeridian = def.originLongitude;
    if (!CS_geoRangeFromDefinition(params, def.originLongitude)) {
        CS_setGeoRange(params, -90.0, std::max(def.originLatitude - 89.0, -90.0), 90.0,
                       std::min(def.originLatitude + 89.0, 90.0));
    }
    if (!CS_xyRangeFromDefinition(params)) CS_setXyRange(params, -c.r, -c.r, c.r, c.r, c.origin);
    CS_installSlots(params, kGnomonicSlots);
}

int CS_gnomonicForward(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsGnomonicConstants& c = Gnomonic(constants);
    int status = 0;
    double phi = CS_forwardLatitude(in[1], &status);
    double dl = CS_longitudeDifference(in[0], c.lambda0, &status, kLongitudeRule);
    const double sinPhi = std::sin(phi), cosPhi = std::cos(phi), cosDl = std::cos(dl);
    double cosC = c.sinPhi0 * sinPhi + c.cosPhi0 * cosPhi * cosDl;
    double x, y;
    if (cosC < c.horizon) {
        // At and beyond the horizon: on the limit circle at the point's azimuth.
        CS_raiseStatus(&status, 2);
        const double from[2] = {c.lambda0 * kCsRadToDeg, c.phi0 * kCsRadToDeg};
        const double to[2] = {in[0], phi * kCsRadToDeg};
        double az = CS_azimuth(from, to) * kCsDegToRad;
        x = std::sin(az) * c.limitRadius;
        y = std::cos(az) * c.limitRadius;
    } else {
        x = c.r * cosPhi * std::sin(dl) / cosC;
        y = c.r * (c.cosPhi0 * sinPhi - c.sinPhi0 * cosPhi * cosDl) / cosC;
    }
    CS_forwardEpilogue(out, in, x, y, c.origin);
    return status;
}

int CS_gnomonicInverse(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsGnomonicConstants& c = Gnomonic(constants);
    double x, y;
    CS_removeFalseOrigin(c.origin, in, &x, &y);
    double rho = std::hypot(x, y);
    int status = 0;
    double dl = 0.0, phi = c.phi0;
    if (!(rho < c.tolerance)) {
        if (rho > c.limitRadius) {
            status = 2;
            x *= c.limitRadius / rho;
            y *= c.limitRadius / rho;
            rho = c.limitRadius;
        }
        double cc = std::atan(rho / c.r);
        double sinC = std::sin(cc), cosC = std::cos(cc);
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

double CS_gnomonicK(const CsProjectionConstants* constants, const double ll[3]) {
    double cosC;
    if (!CosC(Gnomonic(constants), ll, &cosC)) return -1.0;
    return cosC >= kHorizon ? 1.0 / cosC : kCsInfiniteScale;
}

double CS_gnomonicH(const CsProjectionConstants* constants, const double ll[3]) {
    double cosC;
    if (!CosC(Gnomonic(constants), ll, &cosC)) return -1.0;
    return cosC >= kHorizon ? 1.0 / (cosC * cosC) : kCsInfiniteScale;
}

double CS_gnomonicConvergence(const CsProjectionConstants* constants, const double ll[3]) {
    return CS_numericConvergence(CS_gnomonicForward, constants, ll);
}

int CS_gnomonicLatLongLimits(const CsProjectionConstants* constants, int count,
                             const double points[][3]) {
    const auto& c = Gnomonic(constants);
    return CS_pointLimits(count, points, [&](const double ll[3]) {
        double xy[3];
        return Outside(c, CS_gnomonicForward(constants, xy, ll), ll[1]);
    });
}

int CS_gnomonicXYLimits(const CsProjectionConstants* constants, int count,
                        const double points[][3]) {
    const auto& c = Gnomonic(constants);
    return CS_pointLimits(count, points, [&](const double xy[3]) {
        double ll[3];
        int status = CS_gnomonicInverse(constants, ll, xy);
        return Outside(c, status, ll[1]);
    });
}
