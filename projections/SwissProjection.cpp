#include "projections/SwissProjection.h"

#include <algorithm>
#include <cmath>

#include "coordsys/core/CsAngles.h"
#include "coordsys/core/CsCore.h"
#include "projections/GeodeticDistance.h"

namespace {

const CsSwissConstants& Swiss(const CsProjectionConstants* constants) {
    return CS_constantsOf<CsSwissConstants>(constants);
}

// Toward the central meridian's side; what is still beyond pi stays as it is.
constexpr CsLongitudeRule kSwissLongitude{
    .limit = kCsPi, .adjust = CsLongitudeAdjust::kTowardCentre, .status = 2, .wrap = nullptr};
// The inverse latitude's rounds; each gains a factor of about e^2.
constexpr int kLatitudeRounds = 21;
// Half the step of the scale's two points, degrees (a quarter of a second).
constexpr double kScaleStep = 1.0 / 7200.0;
// The default useful range about the origin, degrees.
constexpr double kRangeHalfWidth = 10.0;

double LnTanHalf(double angle) {
    return std::log(std::tan(kCsPi / 4.0 + angle / 2.0));
}

double LnEccentric(const CsSwissConstants& c, double phi) {
    double es = c.e * std::sin(phi);
    return std::log((1.0 + es) / (1.0 - es));
}

double Asin(double value) {
    return std::asin(std::clamp(value, -1.0, 1.0));
}

constexpr CsSlots kSwissSlots{
    .forward = CS_swissForward,
    .inverse = CS_swissInverse,
    .gridScale = CS_swissScale,
    .parallelScale = CS_swissScale,
    .meridianScale = CS_swissScale,
    .convergence = CS_swissConvergence,
    .checkGeographic = CS_swissLlLimits,
    .checkCartesian = CS_alwaysZero,
};

}  // namespace

int CS_swissCheck(const CsCoordSysDef* def, std::uint16_t code, int errors[], int capacity) {
    CsCheckErrors out(errors, capacity);
    out.Require(def->originLongitude > -180.0 && def->originLongitude <= 180.0,
                kCsErrOriginLongitude);
    out.Require(def->originLatitude >= -90.0 && def->originLatitude <= 90.0, kCsErrOriginLatitude);
    if (code == kCsProjObqcyl) {
        out.Require(def->parameters[0] >= -90.0 && def->parameters[0] <= 90.0,
                    kCsErrStandardParallels);
        out.Require(def->scaleReduction >= 0.5 && def->scaleReduction <= 1.5, kCsErrScaleReduction);
    }
    return out.Count();
}

void CS_swissSetup(CsParams* params) {
    CsSwissConstants& c = CS_newConstants<CsSwissConstants>(params);
    const CsCoordSysDef& def = params->csDef;
    const bool general = params->projectionCode == kCsProjObqcyl;

    c.lambda0 = def.originLongitude * kCsDegToRad;
    c.phi0 = def.originLatitude * kCsDegToRad;
    c.phiS = general ? def.parameters[0] * kCsDegToRad : c.phi0;
    c.scale = def.scale;
    c.origin = CS_falseOrigin(def);

    c.e = params->datum.eccentricity;
    c.eSq = c.e * c.e;
    c.eHalf = c.e / 2.0;
    c.ka = params->datum.equatorialRadius * c.scale;

    c.k0 = general ? def.scaleReduction : 1.0;
    if (c.e == 0.0) {
        c.m = c.n = c.ka;
        c.rPrime = c.ka * c.k0;
    } else {
        double sinS = std::sin(c.phiS);
        double w = 1.0 - c.eSq * sinS * sinS;
        c.n = c.ka / std::sqrt(w);
        c.m = (1.0 - c.eSq) * c.ka / (std::sqrt(w) * w);
        c.rPrime = std::sqrt(c.m * c.n) * c.k0;
    }

    if (c.e == 0.0) {
        c.alpha = 1.0;
        c.alphaEHalf = 0.0;
        c.b0 = c.phi0;
        c.bigK = 0.0;
    } else {
        double cosS = std::cos(c.phiS);
        c.alpha = std::sqrt(1.0 + (c.eSq / (1.0 - c.eSq)) * cosS * cosS * cosS * cosS);
        c.alphaEHalf = c.alpha * c.eHalf;
        c.b0 = Asin(std::sin(c.phi0) / c.alpha);
        c.bigK =
            LnTanHalf(c.b0) - c.alpha * LnTanHalf(c.phi0) + c.alphaEHalf * LnEccentric(c, c.phi0);
    }
    c.sinB0 = std::sin(c.b0);
    c.cosB0 = std::cos(c.b0);
    c.tolerance = 0.001 * c.scale;

    params->rangeCentralMeridian = def.originLongitude;
    if (!CS_geoRangeFromDefinition(params, def.originLongitude)) {
        CS_setGeoRange(params, -kRangeHalfWidth,
                       std::max(def.originLatitude - kRangeHalfWidth, -90.0), kRangeHalfWidth,
                       std::min(def.originLatitude + kRangeHalfWidth, 90.0));
    }
    if (!CS_xyRangeFromDefinition(params)) {
        const double half = c.rPrime * kRangeHalfWidth * kCsDegToRad;
        CS_setXyRange(params, -half, -half, half, half, c.origin);
    }
    CS_installSlots(params, kSwissSlots);
}

int CS_swissForward(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsSwissConstants& c = Swiss(constants);
    int status = 0;
    double l = CS_longitudeDifference(in[0], c.lambda0, &status, kSwissLongitude);
    double phi = CS_clampedLatitude(in[1], &status);

    double b = phi;
    if (c.e != 0.0) {
        l *= c.alpha;
        b = 2.0 * std::atan(std::exp(c.alpha * LnTanHalf(phi) - c.alphaEHalf * LnEccentric(c, phi) +
                                     c.bigK)) -
            kCsHalfPi;
    }

    // The oblique system: its latitude by the arcsine, its longitude by atan2
    // so that it runs on past 90 degrees from the origin instead of folding.
    const double sinB = std::sin(b), cosB = std::cos(b), cosL = std::cos(l);
    double bBar = Asin(c.cosB0 * sinB - c.sinB0 * cosB * cosL);
    double lBar = std::atan2(std::sin(l) * cosB, c.sinB0 * sinB + c.cosB0 * cosB * cosL);

    double x = c.rPrime * lBar;
    if (std::fabs(bBar) > kCsMaxLatitude) {
        CS_raiseStatus(&status, 2);
        bBar = std::copysign(kCsMaxLatitude, bBar);
    }
    double y = c.rPrime * LnTanHalf(bBar);
    CS_forwardEpilogue(out, in, x, y, c.origin);
    return status;
}

int CS_swissInverse(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsSwissConstants& c = Swiss(constants);
    double x, y;
    CS_removeFalseOrigin(c.origin, in, &x, &y);
    int status = 0;
    double lBar = x / c.rPrime;
    if (std::fabs(lBar) >= kCsPi) {
        status = 2;
        lBar = std::copysign(kCsPi, lBar);
    }
    double u = y / c.rPrime;
    if (std::fabs(u) > 10.0) {
        status = 2;
        u = std::copysign(10.0, u);
    }
    double bBar = 2.0 * std::atan(std::exp(u)) - kCsHalfPi;

    const double sinBBar = std::sin(bBar), cosBBar = std::cos(bBar), cosLBar = std::cos(lBar);
    double b = Asin(sinBBar * c.cosB0 + cosBBar * c.sinB0 * cosLBar);
    double l =
        std::atan2(std::sin(lBar) * cosBBar, cosBBar * c.cosB0 * cosLBar - sinBBar * c.sinB0);

    double phi = b;
    if (c.e != 0.0) {
        l /= c.alpha;
        const double fixed = (LnTanHalf(b) - c.bigK) / c.alpha;
        phi = c.phi0;
        for (int round = 0; round < kLatitudeRounds; ++round) {
            double next =
                2.0 * std::atan(std::exp(c.eHalf * LnEccentric(c, phi) + fixed)) - kCsHalfPi;
            double change = std::fabs(next - phi);
            phi = next;
            if (!(change > kCsAngularTolerance)) break;
        }
    }
    out[0] = (l + c.lambda0) * kCsRadToDeg;
    out[1] = phi * kCsRadToDeg;
    out[2] = in[2];
    return status;
}

double CS_swissScale(const CsProjectionConstants* constants, const double ll[3]) {
    const CsSwissConstants& c = Swiss(constants);
    const double south[3] = {ll[0], ll[1] - kScaleStep, ll[2]};
    const double north[3] = {ll[0], ll[1] + kScaleStep, ll[2]};
    double a[3], b[3];
    CS_swissForward(constants, a, south);
    CS_swissForward(constants, b, north);
    double distance = 0.0;
    CS_geodeticDistAz(c.ka, c.eSq, south, north, &distance);
    if (!(std::fabs(distance) > c.tolerance)) return kCsInfiniteScale;
    return std::hypot(b[0] - a[0], b[1] - a[1]) / std::fabs(distance);
}

double CS_swissConvergence(const CsProjectionConstants* constants, const double ll[3]) {
    return CS_numericConvergence(CS_swissForward, constants, ll);
}

int CS_swissLlLimits(const CsProjectionConstants* constants, int count, const double points[][3]) {
    return CS_routineLimits(CS_swissForward, constants, count, points);
}
