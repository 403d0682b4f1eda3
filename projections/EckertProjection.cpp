#include "projections/EckertProjection.h"

#include <algorithm>
#include <cmath>

#include "coordsys/core/CsAngles.h"
#include "coordsys/core/CsCore.h"

namespace {

const CsEckertConstants& Eckert(const CsProjectionConstants* constants) {
    return CS_constantsOf<CsEckertConstants>(constants);
}

constexpr CsSlots kEckert4Slots{
    .forward = CS_eckert4Forward,
    .inverse = CS_eckert4Inverse,
    .gridScale = CS_eckert4K,
    .parallelScale = CS_eckert4K,
    .meridianScale = CS_eckert4H,
    .convergence = CS_eckert4Convergence,
    .checkGeographic = CS_eckert4LlLimits,
    .checkCartesian = CS_eckert4XYLimits,
};
constexpr CsSlots kEckert6Slots{
    .forward = CS_eckert6Forward,
    .inverse = CS_eckert6Inverse,
    .gridScale = CS_eckert6K,
    .parallelScale = CS_eckert6K,
    .meridianScale = CS_eckert6H,
    .convergence = CS_eckert6Convergence,
    .checkGeographic = CS_eckert4LlLimits,
    .checkCartesian = CS_eckert6XYLimits,
};

// Up to 270 degrees from the origin a longitude stays unwrapped.
constexpr CsLongitudeRule kEckertLongitude{.limit = kCs270Degrees,
                                           .limitOutside = true,
                                           .adjust = CsLongitudeAdjust::kTowardCentre,
                                           .status = 2,
                                           .wrap = CS_normLngRadAlt};
// Near the poles Eckert IV's Newton converges only linearly (26 rounds at
// worst off the pole band); a point that still has not settled is reported
// outside the domain.
constexpr int kNewtonRounds = 40;
constexpr double kArcSecond = 4.848136811076368e-6;  // radians
constexpr double kArcSecondDegrees = 1.0 / 3600.0;

CsEckertConstants& CommonSetup(CsParams* params) {
    CsEckertConstants& c = CS_newConstants<CsEckertConstants>(params);
    const CsCoordSysDef& def = params->csDef;
    c.lambda0 = def.originLongitude * kCsDegToRad;
    c.origin = CS_falseOrigin(def);
    c.a = params->datum.equatorialRadius;
    c.scale = def.scale;
    c.r = c.a * c.scale;
    c.threshold = c.a == 1.0 ? 2e-10 : 0.01 * def.unitScale;
    return c;
}

void SetRange(CsParams* params, const CsEckertConstants& c) {
    const CsCoordSysDef& def = params->csDef;
    params->rangeCentralMeridian = def.originLongitude;
    if (!CS_geoRangeFromDefinition(params, def.originLongitude)) {
        CS_setGeoRange(params, -180.0, -90.0, 180.0, 90.0);
    }
    if (!CS_xyRangeFromDefinition(params)) {
        CS_setXyRange(params, -c.xExtent, -c.yExtent, c.xExtent, c.yExtent, c.origin);
    }
}

// The projected distance of two forwards over `d`, or -1.0 when either fails.
double NumericScale(CsProjectFn forward, const CsProjectionConstants* constants, const double p[3],
                    const double q[3], double d, double threshold) {
    double a[3], b[3];
    if (forward(constants, a, p) != 0 || forward(constants, b, q) != 0) return -1.0;
    if (!(d > threshold)) return kCsInfiniteScale;
    return std::hypot(b[0] - a[0], b[1] - a[1]) / d;
}

double ParallelScale(CsProjectFn forward, const CsProjectionConstants* constants,
                     const double ll[3]) {
    const CsEckertConstants& c = Eckert(constants);
    const double east[3] = {ll[0] + kArcSecondDegrees, ll[1], ll[2]};
    const double d = std::cos(ll[1] * kCsDegToRad) * c.r * kArcSecond;
    return NumericScale(forward, constants, ll, east, d, c.threshold);
}

double MeridianScale(CsProjectFn forward, const CsProjectionConstants* constants,
                     const double ll[3]) {
    const CsEckertConstants& c = Eckert(constants);
    const double south[3] = {ll[0], ll[1] - kArcSecondDegrees / 2.0, ll[2]};
    const double north[3] = {ll[0], ll[1] + kArcSecondDegrees / 2.0, ll[2]};
    return NumericScale(forward, constants, south, north, c.r * kArcSecond, 0.0);
}

void InverseEpilogue(double out[3], const double in[3], double dl, double phi,
                     const CsEckertConstants& c, int* status) {
    if (std::fabs(dl) >= kCs270Degrees) {
        CS_raiseStatus(status, 2);
        dl = CS_normLngRad(dl);
    }
    CS_inverseEpilogue(out, in, dl, phi, c.lambda0);
}

// Clamps |value| to 1 with status 2.
double ClampUnit(double value, int* status) {
    if (std::fabs(value) > 1.0) {
        CS_raiseStatus(status, 2);
        return std::copysign(1.0, value);
    }
    return value;
}

}  // namespace

void CS_eckert4Setup(CsParams* params) {
    CsEckertConstants& c = CommonSetup(params);
    c.tolerance = 4.85e-9;
    c.c = 2.0 + kCsHalfPi;
    c.cx = c.r * 0.42223820031577125;
    c.cy = c.r * 1.3265004281770023;
    c.invCy = 2.6723758443732786 / (2.0 * std::sqrt(kCsPi) * c.r);
    c.invCx = 4.736662856426297 / (2.0 * c.r);
    // The forward's extremes: the equator 270 degrees out, and the pole line.
    c.xExtent = 2.0 * c.cx * kCs270Degrees;
    c.yExtent = c.cy;
    SetRange(params, c);
    CS_installSlots(params, kEckert4Slots);
}

void CS_eckert6Setup(CsParams* params) {
    CsEckertConstants& c = CommonSetup(params);
    constexpr double kRoot = 2.267508027238226;  // sqrt(2 + pi)
    c.tolerance = 1e-10;
    c.c = 1.0 + kCsHalfPi;
    c.cx = c.r / kRoot;
    c.cy = 2.0 * c.cx;
    c.invCy = kRoot / (2.0 * c.r);
    c.invCx = kRoot / c.r;
    c.xExtent = 2.0 * c.cx * kCs270Degrees;
    c.yExtent = c.cy * kCsHalfPi;
    SetRange(params, c);
    CS_installSlots(params, kEckert6Slots);
}

int CS_eckert4Forward(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsEckertConstants& c = Eckert(constants);
    int status = 0;
    const double dl = CS_longitudeDifference(in[0], c.lambda0, &status, kEckertLongitude);
    const double phi = CS_wrappedLatitude(in[1], &status);
    // At the poles the derivative vanishes; the root is the pole itself.
    double theta = phi > 0.0 ? kCsHalfPi : -kCsHalfPi;
    if (std::fabs(phi) <= kCsMaxLatitude) {
        const double target = c.c * std::sin(phi);
        theta = phi / 2.0;
        bool settled = false;
        for (int round = 0; round < kNewtonRounds && !settled; ++round) {
            const double sinT = std::sin(theta), cosT = std::cos(theta);
            const double delta =
                (target - theta - sinT * cosT - 2.0 * sinT) / (2.0 * cosT * (1.0 + cosT));
            // The last correction too: left out, it leaves up to 4 cm.
            theta += delta;
            settled = std::fabs(delta) < c.tolerance;
        }
        if (!settled) CS_raiseStatus(&status, 2);
    }
    const double x = c.cx * (1.0 + std::cos(theta)) * dl;
    CS_forwardEpilogue(out, in, x, c.cy * std::sin(theta), c.origin);
    return status;
}

int CS_eckert6Forward(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsEckertConstants& c = Eckert(constants);
    int status = 0;
    const double dl = CS_longitudeDifference(in[0], c.lambda0, &status, kEckertLongitude);
    const double phi = CS_wrappedLatitude(in[1], &status);
    const double target = c.c * std::sin(phi);
    double theta = phi;
    bool settled = false;
    for (int round = 0; round < kNewtonRounds && !settled; ++round) {
        const double delta = (target - theta - std::sin(theta)) / (1.0 + std::cos(theta));
        theta += delta;
        settled = std::fabs(delta) < c.tolerance;
    }
    if (!settled) CS_raiseStatus(&status, 2);
    // Rounding on the last step must not put the pole past its line.
    theta = std::clamp(theta, -kCsHalfPi, kCsHalfPi);
    const double x = c.cx * (1.0 + std::cos(theta)) * dl;
    CS_forwardEpilogue(out, in, x, c.cy * theta, c.origin);
    return status;
}

int CS_eckert4Inverse(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsEckertConstants& c = Eckert(constants);
    int status = 0;
    double x, y;
    CS_removeFalseOrigin(c.origin, in, &x, &y);
    // Divided, not multiplied by the reciprocal: the pole line's y gives 1 exactly.
    const double s = ClampUnit(y / c.cy, &status);
    const double cosT = std::sqrt(1.0 - s * s);
    const double theta = std::asin(s);
    const double phi = std::asin(ClampUnit((theta + s * cosT + 2.0 * s) / c.c, &status));
    InverseEpilogue(out, in, x / (c.cx * (1.0 + cosT)), phi, c, &status);
    return status;
}

int CS_eckert6Inverse(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsEckertConstants& c = Eckert(constants);
    int status = 0;
    double x, y;
    CS_removeFalseOrigin(c.origin, in, &x, &y);
    double theta = y / c.cy;  // the pole line's y gives pi/2 exactly
    if (std::fabs(theta) > kCsHalfPi) {
        status = 2;
        theta = std::copysign(kCsHalfPi, theta);
    }
    const double phi = std::asin((theta + std::sin(theta)) / c.c);
    InverseEpilogue(out, in, x / (c.cx * (1.0 + std::cos(theta))), phi, c, &status);
    return status;
}

double CS_eckert4K(const CsProjectionConstants* constants, const double ll[3]) {
    return ParallelScale(CS_eckert4Forward, constants, ll);
}

double CS_eckert4H(const CsProjectionConstants* constants, const double ll[3]) {
    return MeridianScale(CS_eckert4Forward, constants, ll);
}

double CS_eckert4Convergence(const CsProjectionConstants* constants, const double ll[3]) {
    return CS_numericConvergence(CS_eckert4Forward, constants, ll);
}

int CS_eckert4LlLimits(const CsProjectionConstants* constants, int count,
                       const double points[][3]) {
    const CsEckertConstants& c = Eckert(constants);
    return CS_pointLimits(count, points, [&](const double ll[3]) {
        if (!(std::fabs(ll[1]) <= 90.0)) return true;
        int status = 0;
        CsLongitudeRule rule = kEckertLongitude;
        rule.wrap = nullptr;
        CS_longitudeDifference(ll[0], c.lambda0, &status, rule);
        return status != 0;
    });
}

int CS_eckert4XYLimits(const CsProjectionConstants* constants, int count,
                       const double points[][3]) {
    return CS_routineLimits(CS_eckert4Inverse, constants, count, points);
}

double CS_eckert6K(const CsProjectionConstants* constants, const double ll[3]) {
    return ParallelScale(CS_eckert6Forward, constants, ll);
}

double CS_eckert6H(const CsProjectionConstants* constants, const double ll[3]) {
    return MeridianScale(CS_eckert6Forward, constants, ll);
}

double CS_eckert6Convergence(const CsProjectionConstants* constants, const double ll[3]) {
    return CS_numericConvergence(CS_eckert6Forward, constants, ll);
}

int CS_eckert6XYLimits(const CsProjectionConstants* constants, int count,
                       const double points[][3]) {
    return CS_routineLimits(CS_eckert6Inverse, constants, count, points);
}
