#include "projections/OsteroProjection.h"

#include <algorithm>
#include <cmath>

#include "coordsys/core/CsAngles.h"
#include "coordsys/core/CsCore.h"
#include "projections/GeodeticDistance.h"

namespace {

const CsOsteroConstants& Ostero(const CsProjectionConstants* constants) {
    return CS_constantsOf<CsOsteroConstants>(constants);
}

constexpr CsSlots kOsteroSlots{
    .forward = CS_osteroForward,
    .inverse = CS_osteroInverse,
    .gridScale = CS_osteroK,
    .parallelScale = CS_osteroK,
    .meridianScale = CS_osteroK,
    .convergence = CS_osteroConvergence,
    .checkGeographic = CS_osteroLatLongLimits,
    .checkCartesian = CS_osteroXYLimits,
};

constexpr std::uint16_t kEquatorial = 4;
constexpr std::uint16_t kOblique = 5;
// A national grid's useful range: 20 degrees about the origin.
constexpr double kRangeHalfWidth = 20.0;
// Newton's rounds of the inverse latitude; it settles in four or five.
constexpr int kLatitudeRounds = 30;

// w of the conformal sphere for a latitude's sine, before the factor c.
double W(const CsOsteroConstants& c, double sinPhi) {
    double eSin = c.e * sinPhi;
    return std::pow((1.0 + sinPhi) / (1.0 - sinPhi) * std::pow((1.0 - eSin) / (1.0 + eSin), c.e),
                    c.n);
}

}  // namespace

int CS_osteroCheck(const CsCoordSysDef* def, std::uint16_t, int errors[], int capacity) {
    CsCheckErrors out(errors, capacity);
    out.Require(def->originLongitude > -180.0 && def->originLongitude <= 180.0,
                kCsErrOriginLongitude);
    out.Require(def->originLatitude >= -kCsMaxParallel && def->originLatitude <= kCsMaxParallel,
                kCsErrPolar);
    out.Require(
        def->scaleReduction >= kCsMinScaleReduction && def->scaleReduction <= kCsMaxScaleReduction,
        kCsErrScaleReduction);
    return out.Count();
}

void CS_osteroSetup(CsParams* params) {
    CsOsteroConstants& c = CS_newConstants<CsOsteroConstants>(params);
    const CsCoordSysDef& def = params->csDef;
    c.lambda0 = def.originLongitude * kCsDegToRad;
    c.phi0 = def.originLatitude * kCsDegToRad;
    c.aspect = std::fabs(c.phi0) < kCsAngularTolerance ? kEquatorial : kOblique;
    if (c.aspect == kEquatorial) c.phi0 = 0.0;
    c.k = def.scale * def.scaleReduction;
    c.origin = CS_falseOrigin(def);
    c.tolerance = 0.001 * def.scale;
    c.e = params->datum.eccentricity;
    c.a = params->datum.equatorialRadius;
    c.cosPhi0 = c.aspect == kEquatorial ? 1.0 : std::cos(c.phi0);
    c.sinPhi0 = c.aspect == kEquatorial ? 0.0 : std::sin(c.phi0);
    c.latitudeTolerance = kCsAngularTolerance;
    c.unitsPerMetre = def.scale;
    if (c.e == 0.0) {
        c.r = c.k * c.a;
        c.twoK0 = 2.0 * def.scaleReduction;
    } else {
        c.eSq = c.e * c.e;
        c.eHalf = c.e / 2.0;
        c.oneMinusESq = 1.0 - c.eSq;
        double q = 1.0 - c.eSq * c.sinPhi0 * c.sinPhi0;
        c.nu0 = c.a / std::sqrt(q);
        c.rho0 = c.a * c.oneMinusESq / std::pow(q, 1.5);
        c.r = c.k * std::sqrt(c.rho0 * c.nu0);
        double cos2 = c.cosPhi0 * c.cosPhi0;
        c.n = std::sqrt(1.0 + c.eSq * cos2 * cos2 / c.oneMinusESq);
        if (c.aspect == kEquatorial) {
            c.c = 1.0;
        } else {
            double w1 = W(c, c.sinPhi0);
            double s1 = (w1 - 1.0) / (w1 + 1.0);
            c.c = (c.n + c.sinPhi0) * (1.0 - s1) / ((c.n - c.sinPhi0) * (1.0 + s1));
            double w2 = c.c * w1;
            c.chi0 = std::asin((w2 - 1.0) / (w2 + 1.0));
        }
        c.sinChi0 = std::sin(c.chi0);
        c.cosChi0 = std::cos(c.chi0);
    }
    c.twoR = 2.0 * c.r;
    if (c.e != 0.0) {
        if (c.aspect == kEquatorial) {
            c.g = c.h = c.twoR;
        } else {
            c.g = c.twoR * std::tan(kCsPi / 4.0 - c.chi0 / 2.0);
            c.h = 2.0 * c.twoR * std::tan(c.chi0) + c.g;
        }
    }
    params->rangeCentralMeridian = def.originLongitude;
    if (!CS_geoRangeFromDefinition(params, def.originLongitude)) {
        CS_setGeoRange(params, -kRangeHalfWidth,
                       std::max(def.originLatitude - kRangeHalfWidth, -90.0), kRangeHalfWidth,
                       std::min(def.originLatitude + kRangeHalfWidth, 90.0));
    }
    if (!CS_xyRangeFromDefinition(params)) CS_setXyRange(params, -c.r, -c.r, c.r, c.r, c.origin);
    CS_installSlots(params, kOsteroSlots);
}

int CS_osteroForward(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsOsteroConstants& c = Ostero(constants);
    int status = 0;
    double phi = CS_forwardLatitude(in[1], &status);
    double dl = in[0] * kCsDegToRad - c.lambda0;
    if (dl > kCsPi || dl <= -kCsPi) {
        CS_raiseStatus(&status, 2);
        dl = CS_normLngRad(dl);
    }
    double x, y;
    if (c.e == 0.0) {
        const double sinPhi = std::sin(phi), cosPhi = std::cos(phi), cosDl = std::cos(dl);
        double d = c.aspect == kEquatorial ? 1.0 + cosPhi * cosDl
                                           : 1.0 + c.sinPhi0 * sinPhi + c.cosPhi0 * cosPhi * cosDl;
        if (d < kCsAngularTolerance) {
            CS_raiseStatus(&status, 2);
            d = kCsAngularTolerance;
        }
        double kp = c.twoR / d;
        x = kp * cosPhi * std::sin(dl);
        y = c.aspect == kEquatorial ? kp * sinPhi
                                    : kp * (c.cosPhi0 * sinPhi - c.sinPhi0 * cosPhi * cosDl);
    } else {
        double lambda = c.n * dl;
        double sinChi, cosChi;
        if (std::fabs(phi) > kCsMaxLatitude) {
            sinChi = std::copysign(1.0, phi);
            cosChi = 0.0;
        } else {
            double w = c.c * W(c, std::sin(phi));
            sinChi = (w - 1.0) / (w + 1.0);
            cosChi = std::sqrt(1.0 - sinChi * sinChi);
        }
        const double cosL = std::cos(lambda);
        // The antipode of the origin: floored like the sphere's, status 2.
        double d = 1.0 + sinChi * c.sinChi0 + cosChi * c.cosChi0 * cosL;
        if (d < kCsAngularTolerance) {
            CS_raiseStatus(&status, 2);
            d = kCsAngularTolerance;
        }
        double b = 1.0 / d;
        x = c.twoR * b * cosChi * std::sin(lambda);
        y = c.twoR * b * (sinChi * c.cosChi0 - cosChi * c.sinChi0 * cosL);
    }
    CS_forwardEpilogue(out, in, x, y, c.origin);
    return status;
}

int CS_osteroInverse(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsOsteroConstants& c = Ostero(constants);
    double x, y;
    CS_removeFalseOrigin(c.origin, in, &x, &y);
    double rho = std::hypot(x, y);
    if (!(rho > c.tolerance)) {
        CS_inverseEpilogue(out, in, 0.0, c.phi0, c.lambda0);
        return 0;
    }
    int status = 0;
    double dl, phi;
    if (c.e == 0.0) {
        double cc = 2.0 * std::atan(rho / c.twoR);
        double sinC = std::sin(cc), cosC = std::cos(cc);
        if (c.aspect == kEquatorial) {
            dl = std::atan2(x * sinC, rho * cosC);
            phi = std::asin(std::clamp(y * sinC / rho, -1.0, 1.0));
        } else {
            dl = std::atan2(x * sinC, rho * c.cosPhi0 * cosC - y * c.sinPhi0 * sinC);
            phi = std::asin(std::clamp(cosC * c.sinPhi0 + y * sinC * c.cosPhi0 / rho, -1.0, 1.0));
        }
    } else {
        double i = std::atan2(x, c.h + y);
        double j = std::atan2(x, c.g - y) - i;
        dl = (j + 2.0 * i) / c.n;
        double chi = c.chi0 + 2.0 * std::atan((y - x * std::tan(j / 2.0)) / c.twoR);
        double sinChi = std::sin(chi);
        double psi = 0.5 * std::log((1.0 + sinChi) / (c.c * (1.0 - sinChi))) / c.n;
        phi = 2.0 * std::atan(std::exp(psi)) - kCsHalfPi;
        bool settled = false;
        for (int round = 0; round < kLatitudeRounds && !settled; ++round) {
            double sinPhi = std::sin(phi);
            double eSin = c.e * sinPhi;
            double psiPhi = std::log(std::tan(kCsPi / 4.0 + phi / 2.0) *
                                     std::pow((1.0 - eSin) / (1.0 + eSin), c.eHalf));
            double step = (psiPhi - psi) * std::cos(phi) * (1.0 - eSin * eSin) / c.oneMinusESq;
            phi -= step;
            settled = std::fabs(step) < c.latitudeTolerance;
        }
        if (!settled || !std::isfinite(phi)) {
            // Outside the domain: the iteration does not settle.
            status = 2;
            if (!std::isfinite(phi)) phi = std::copysign(kCsHalfPi, chi);
        }
    }
    if (std::fabs(phi) > kCsMaxLatitude && status == 0) status = 1;
    CS_inverseEpilogue(out, in, dl, phi, c.lambda0);
    return status;
}

double CS_osteroK(const CsProjectionConstants* constants, const double ll[3]) {
    const CsOsteroConstants& c = Ostero(constants);
    constexpr double kHalfArcSecond = 1.0 / 7200.0;
    const double west[3] = {ll[0] - kHalfArcSecond, ll[1], 0.0};
    const double east[3] = {ll[0] + kHalfArcSecond, ll[1], 0.0};
    double a[3], b[3];
    if (CS_osteroForward(constants, a, west) != 0 || CS_osteroForward(constants, b, east) != 0) {
        return -1.0;
    }
    double g = std::hypot(b[0] - a[0], b[1] - a[1]);
    if (!(g > 0.0)) return -1.0;
    // A pure ratio: the ground distance on the ellipsoid itself, in system
    // units like the grid distance.
    double d;
    CS_geodeticDistAz(c.a * c.unitsPerMetre, c.eSq, west, east, &d);
    return d > kCsAngularTolerance ? g / d : kCsInfiniteScale;
}

double CS_osteroConvergence(const CsProjectionConstants* constants, const double ll[3]) {
    return CS_numericConvergence(CS_osteroForward, constants, ll);
}

int CS_osteroLatLongLimits(const CsProjectionConstants* constants, int count,
                           const double points[][3]) {
    return CS_routineLimits(CS_osteroForward, constants, count, points);
}

int CS_osteroXYLimits(const CsProjectionConstants* constants, int count, const double points[][3]) {
    return CS_routineLimits(CS_osteroInverse, constants, count, points);
}
