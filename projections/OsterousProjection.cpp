#include "projections/OsterousProjection.h"

#include <algorithm>
#include <cmath>

#include "coordsys/core/CsAngles.h"
#include "coordsys/core/CsCore.h"

namespace {

const CsOsterousConstants& Osterous(const CsProjectionConstants* constants) {
    return CS_constantsOf<CsOsterousConstants>(constants);
}

constexpr CsSlots kOsterousSlots{
    .forward = CS_osterousForward,
    .inverse = CS_osterousInverse,
    .gridScale = CS_osterousK,
    .parallelScale = CS_osterousK,
    .meridianScale = CS_osterousK,
    .convergence = CS_osterousConvergence,
    .checkGeographic = CS_osterousLatLongLimits,
    .checkCartesian = CS_osterousXYLimits,
};

constexpr std::uint16_t kEquatorial = 4;
constexpr std::uint16_t kOblique = 5;

// Off the equator 90 degrees of the useful range are more than a
// stereographic grid serves; a quarter of the sphere around the origin.
constexpr double kRangeHalfWidth = 45.0;

double Conformal(double e, double phi) {
    double eSin = e * std::sin(phi);
    return 2.0 * std::atan(std::pow((1.0 - eSin) / (1.0 + eSin), e / 2.0) *
                           std::tan(kCsPi / 4.0 + phi / 2.0)) -
           kCsHalfPi;
}

// The ellipsoid's denominator D (forward step 4, oblique form) and chi.
double EllipsoidD(const CsOsterousConstants& c, double phi, double dl, double* chi) {
    *chi = Conformal(c.e, phi);
    return c.cosChi1 *
           (1.0 + c.sinChi1 * std::sin(*chi) + c.cosChi1 * std::cos(*chi) * std::cos(dl));
}

}  // namespace

int CS_osterousCheck(const CsCoordSysDef* def, std::uint16_t, int errors[], int capacity) {
    CsCheckErrors out(errors, capacity);
    out.Require(def->originLongitude > -180.0 && def->originLongitude <= 180.0,
                kCsErrOriginLongitude);
    out.Require(def->originLatitude >= -kCsMaxParallel && def->originLatitude <= kCsMaxParallel,
                kCsErrPolar);
    out.Require(def->parameters[0] > -180.0 && def->parameters[0] < 180.0,
                kCsErrGreatCircleAzimuth);
    out.Require(
        def->scaleReduction >= kCsMinScaleReduction && def->scaleReduction <= kCsMaxScaleReduction,
        kCsErrScaleReduction);
    return out.Count();
}

void CS_osterousSetup(CsParams* params) {
    CsOsterousConstants& c = CS_newConstants<CsOsterousConstants>(params);
    const CsCoordSysDef& def = params->csDef;
    c.lambda0 = def.originLongitude * kCsDegToRad;
    c.phi1 = def.originLatitude * kCsDegToRad;
    c.aspect = std::fabs(c.phi1) < kCsAngularTolerance ? kEquatorial : kOblique;
    if (c.aspect == kEquatorial) c.phi1 = 0.0;
    c.k = def.scale * def.scaleReduction;
    c.origin = CS_falseOrigin(def);
    c.alpha = def.parameters[0] * kCsDegToRad;
    c.e = params->datum.eccentricity;
    c.a = params->datum.equatorialRadius;
    c.r = c.k * c.a;
    c.tolerance = 0.001 * c.k;
    c.twoR = 2.0 * c.r;
    c.cosPhi1 = c.aspect == kEquatorial ? 1.0 : std::cos(c.phi1);
    c.sinPhi1 = c.aspect == kEquatorial ? 0.0 : std::sin(c.phi1);
    c.cosAlpha = std::cos(c.alpha);
    c.sinAlpha = std::sin(c.alpha);
    c.unitsPerMetre = def.scale;
    if (c.e == 0.0) {
        c.twoK0 = 2.0 * def.scaleReduction;
    } else {
        c.eSq = c.e * c.e;
        c.eHalf = c.e / 2.0;
        double chi1 = Conformal(c.e, c.phi1);
        c.sinChi1 = std::sin(chi1);
        c.cosChi1 = std::cos(chi1);
        c.m1 = c.cosPhi1 / std::sqrt(1.0 - c.eSq * c.sinPhi1 * c.sinPhi1);
        c.twoRm1 = c.twoR * c.m1;
        CS_conformalSeriesSetup(&c.fromConformal, c.eSq);
    }
    params->rangeCentralMeridian = def.originLongitude;
    if (!CS_geoRangeFromDefinition(params, def.originLongitude)) {
        CS_setGeoRange(params, -kRangeHalfWidth,
                       std::max(def.originLatitude - kRangeHalfWidth, -90.0), kRangeHalfWidth,
                       std::min(def.originLatitude + kRangeHalfWidth, 90.0));
    }
    if (!CS_xyRangeFromDefinition(params)) CS_setXyRange(params, -c.r, -c.r, c.r, c.r, c.origin);
    CS_installSlots(params, kOsterousSlots);
}

int CS_osterousForward(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsOsterousConstants& c = Osterous(constants);
    int status = 0;
    double phi = CS_forwardLatitude(in[1], &status);
    constexpr CsLongitudeRule kRule{
        .limit = kCsPi, .adjust = CsLongitudeAdjust::kNone, .status = 2, .wrap = CS_normLngRad};
    double dl = CS_longitudeDifference(in[0], c.lambda0, &status, kRule);
    if (dl <= -kCsPi) {  // -pi is outside too
        CS_raiseStatus(&status, 2);
        dl = CS_normLngRad(dl);
    }
    const double sinPhi = std::sin(phi), cosPhi = std::cos(phi);
    const double sinDl = std::sin(dl), cosDl = std::cos(dl);
    double x, y;
    if (c.e == 0.0) {
        double d = c.aspect == kEquatorial ? 1.0 + cosPhi * cosDl
                                           : 1.0 + c.sinPhi1 * sinPhi + c.cosPhi1 * cosPhi * cosDl;
        if (d < kCsAngularTolerance) {
            CS_raiseStatus(&status, 2);
            d = kCsAngularTolerance;
        }
        double kp = c.twoR / d;
        x = kp * cosPhi * sinDl;
        y = c.aspect == kEquatorial ? kp * sinPhi
                                    : kp * (c.cosPhi1 * sinPhi - c.sinPhi1 * cosPhi * cosDl);
    } else {
        double chi;
        double d = EllipsoidD(c, phi, dl, &chi);
        if (d < kCsAngularTolerance) {
            CS_raiseStatus(&status, 2);
            d = kCsAngularTolerance;
        }
        double sinChi = std::sin(chi), cosChi = std::cos(chi);
        if (c.aspect == kEquatorial) {
            double aa = c.twoR / d;
            x = aa * cosChi * sinDl;
            y = aa * sinChi;
        } else {
            double aa = c.twoRm1 / d;
            x = aa * cosChi * sinDl;
            y = aa * (c.cosChi1 * sinChi - c.sinChi1 * cosChi * cosDl);
        }
    }
    if (c.alpha != 0.0) {
        double turned = x * c.cosAlpha - y * c.sinAlpha;
        y = y * c.cosAlpha + x * c.sinAlpha;
        x = turned;
    }
    CS_forwardEpilogue(out, in, x, y, c.origin);
    return status;
}

int CS_osterousInverse(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsOsterousConstants& c = Osterous(constants);
    double x, y;
    CS_removeFalseOrigin(c.origin, in, &x, &y);
    if (c.alpha != 0.0) {
        double turned = x * c.cosAlpha + y * c.sinAlpha;
        y = y * c.cosAlpha - x * c.sinAlpha;
        x = turned;
    }
    double rho = std::hypot(x, y);
    if (!(rho > c.tolerance)) {
        CS_inverseEpilogue(out, in, 0.0, c.phi1, c.lambda0);
        return 0;
    }
    double dl, phi;
    if (c.e == 0.0) {
        double cc = 2.0 * std::atan(rho / c.twoR);
        double sinC = std::sin(cc), cosC = std::cos(cc);
        if (c.aspect == kEquatorial) {
            dl = std::atan2(x * sinC, rho * cosC);
            phi = std::asin(std::clamp(y * sinC / rho, -1.0, 1.0));
        } else {
            dl = std::atan2(x * sinC, rho * c.cosPhi1 * cosC - y * c.sinPhi1 * sinC);
            phi = std::asin(std::clamp(cosC * c.sinPhi1 + y * sinC * c.cosPhi1 / rho, -1.0, 1.0));
        }
    } else {
        double cc = 2.0 * std::atan(rho * c.cosChi1 / c.twoRm1);
        double sinC = std::sin(cc), cosC = std::cos(cc);
        dl = std::atan2(x * sinC, rho * c.cosChi1 * cosC - y * c.sinChi1 * sinC);
        double chi =
            std::asin(std::clamp(cosC * c.sinChi1 + y * sinC * c.cosChi1 / rho, -1.0, 1.0));
        phi = CS_evalSinSeries(&c.fromConformal, chi);
    }
    CS_inverseEpilogue(out, in, dl, phi, c.lambda0);
    return std::fabs(phi) > kCsMaxLatitude ? 1 : 0;
}

double CS_osterousK(const CsProjectionConstants* constants, const double ll[3]) {
    const CsOsterousConstants& c = Osterous(constants);
    double phi = ll[1] * kCsDegToRad;
    if (std::fabs(phi) > kCsHalfPi) return -1.0;
    double dl = CS_normLngRad(ll[0] * kCsDegToRad - c.lambda0);
    if (c.e == 0.0) {
        double d = c.aspect == kEquatorial
                       ? 1.0 + std::cos(phi) * std::cos(dl)
                       : 1.0 + c.sinPhi1 * std::sin(phi) + c.cosPhi1 * std::cos(phi) * std::cos(dl);
        if (!(d > kCsAngularTolerance)) return kCsInfiniteScale;
        return c.twoK0 / d;
    }
    double chi;
    double d = std::max(EllipsoidD(c, phi, dl, &chi), kCsAngularTolerance);
    // A pure ratio: the grid distance A in system units over the
    // ellipsoid's in system units too.
    double aa = c.twoRm1 / d;
    double ground = c.a * c.unitsPerMetre;
    double sinPhi = std::sin(phi);
    double m = std::cos(phi) / std::sqrt(1.0 - c.eSq * sinPhi * sinPhi);
    if (!(m > kCsAngularTolerance)) return aa / ground;
    return aa * std::cos(chi) / (m * ground);
}

double CS_osterousConvergence(const CsProjectionConstants* constants, const double ll[3]) {
    return CS_numericConvergence(CS_osterousForward, constants, ll);
}

int CS_osterousLatLongLimits(const CsProjectionConstants* constants, int count,
                             const double points[][3]) {
    return CS_routineLimits(CS_osterousForward, constants, count, points);
}

int CS_osterousXYLimits(const CsProjectionConstants* constants, int count,
                        const double points[][3]) {
    return CS_routineLimits(CS_osterousInverse, constants, count, points);
}
