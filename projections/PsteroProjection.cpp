#include "projections/PsteroProjection.h"

#include <cmath>

#include "coordsys/core/CsAngles.h"
#include "coordsys/core/CsCore.h"

namespace {

const CsPsteroConstants& Pstero(const CsProjectionConstants* constants) {
    return CS_constantsOf<CsPsteroConstants>(constants);
}

constexpr CsSlots kPsteroSlots{
    .forward = CS_psteroForward,
    .inverse = CS_psteroInverse,
    .gridScale = CS_psteroK,
    .parallelScale = CS_psteroK,
    .meridianScale = CS_psteroK,
    .convergence = CS_psteroConvergence,
    .checkGeographic = CS_psteroLatLongLimits,
    .checkCartesian = CS_psteroXYLimits,
};

// tan(pi/4 - phi/2) over the ellipsoid's factor: Snyder's t.
double IsometricT(const CsPsteroConstants& c, double phi) {
    double eSin = c.e * std::sin(phi);
    return std::tan(kCsPi / 4.0 - phi / 2.0) / std::pow((1.0 - eSin) / (1.0 + eSin), c.eHalf);
}

// The scale factor at the pole: the definition's, or the standard circle's.
double PoleScale(const CsCoordSysDef& def, std::uint16_t code, double e) {
    if (code == kCsProjPstero) return def.scaleReduction;
    if (code != kCsProjPsterosl) return 1.0;
    double phiC = std::fabs(def.parameters[0]) * kCsDegToRad;
    double sinC = std::sin(phiC);
    if (e == 0.0) return (1.0 + sinC) / 2.0;
    double eSin = e * sinC;
    double m = std::cos(phiC) / std::sqrt(1.0 - eSin * eSin);
    double t = std::tan(kCsPi / 4.0 - phiC / 2.0) / std::pow((1.0 - eSin) / (1.0 + eSin), e / 2.0);
    double sqrtP = std::sqrt(std::pow(1.0 - e, 1.0 - e) * std::pow(1.0 + e, 1.0 + e));
    return 0.5 * m * sqrtP / t;
}

}  // namespace

int CS_psteroCheck(const CsCoordSysDef* def, std::uint16_t code, int errors[], int capacity) {
    CsCheckErrors out(errors, capacity);
    out.Require(def->originLongitude > -180.0 && def->originLongitude <= 180.0,
                kCsErrOriginLongitude);
    out.Require(def->originLatitude == 90.0 || def->originLatitude == -90.0, kCsErrNotPolar);
    if (code == kCsProjPstero) {
        out.Require(def->scaleReduction >= kCsMinScaleReduction &&
                        def->scaleReduction <= kCsMaxScaleReduction,
                    kCsErrScaleReduction);
    } else if (code == kCsProjPsterosl) {
        double phiC = def->parameters[0];
        out.Require(
            def->originLatitude == 90.0 ? phiC > 0.0 && phiC < 90.0 : phiC > -90.0 && phiC < 0.0,
            kCsErrStandardParallel);
    }
    return out.Count();
}

void CS_psteroSetup(CsParams* params) {
    CsPsteroConstants& c = CS_newConstants<CsPsteroConstants>(params);
    const CsCoordSysDef& def = params->csDef;
    const double scale = def.scale;
    c.lambda0 = def.originLongitude * kCsDegToRad;
    c.pole = def.originLatitude >= 0.0 ? 1 : 2;
    c.phi0 = c.pole == 1 ? kCsHalfPi : -kCsHalfPi;
    c.cosPhi0 = 0.0;
    c.sinPhi0 = c.pole == 1 ? 1.0 : -1.0;
    c.e = params->datum.eccentricity;
    c.a = params->datum.equatorialRadius;
    c.k0 = PoleScale(def, params->projectionCode, c.e);
    c.k = c.k0 * scale;
    c.origin = CS_falseOrigin(def);
    c.r = c.k * c.a;
    c.tolerance = 0.001 * scale;
    c.twoR = 2.0 * c.r;
    // The sphere's k at the pole is k0 for both rows (the standard circle's
    // k0 is not the definition's scale reduction).
    c.twoK0 = 2.0 * c.k0;
    if (c.e != 0.0) {
        c.eSq = c.e * c.e;
        c.eHalf = c.e / 2.0;
        c.sqrtP = std::sqrt(std::pow(1.0 - c.e, 1.0 - c.e) * std::pow(1.0 + c.e, 1.0 + c.e));
        CS_conformalSeriesSetup(&c.fromConformal, c.eSq);
    }
    params->rangeCentralMeridian = def.originLongitude;
    if (!CS_geoRangeFromDefinition(params, def.originLongitude)) {
        if (c.pole == 1) {
            CS_setGeoRange(params, -180.0, 1.0, 180.0, 90.0);
        } else {
            CS_setGeoRange(params, -180.0, -90.0, 180.0, -1.0);
        }
    }
    if (!CS_xyRangeFromDefinition(params)) CS_setXyRange(params, -c.r, -c.r, c.r, c.r, c.origin);
    CS_installSlots(params, kPsteroSlots);
}

int CS_psteroForward(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsPsteroConstants& c = Pstero(constants);
    int status = 0;
    double phi = CS_forwardLatitude(in[1], &status);
    double dl = CS_longitudeDifference(in[0], c.lambda0, &status, kCsLongitudeWrapped);
    double x, y;
    if (c.e == 0.0) {
        if (c.pole == 1) {
            double rho = c.twoR * std::tan(kCsPi / 4.0 - phi / 2.0);
            x = rho * std::sin(dl);
            y = -rho * std::cos(dl);
        } else {
            double rho = c.twoR * std::tan(kCsPi / 4.0 + phi / 2.0);
            x = rho * std::sin(dl);
            y = rho * std::cos(dl);
        }
    } else {
        if (c.pole == 2) {
            phi = -phi;
            dl = -dl;
        }
        double rho = c.twoR * IsometricT(c, phi) / c.sqrtP;
        x = rho * std::sin(dl);
        y = -rho * std::cos(dl);
        if (c.pole == 2) {
            x = -x;
            y = -y;
        }
    }
    CS_forwardEpilogue(out, in, x, y, c.origin);
    return status;
}

int CS_psteroInverse(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsPsteroConstants& c = Pstero(constants);
    double x, y;
    CS_removeFalseOrigin(c.origin, in, &x, &y);
    double rho = std::hypot(x, y);
    if (!(rho > c.tolerance)) {
        CS_inverseEpilogue(out, in, 0.0, c.phi0, c.lambda0);
        return 0;
    }
    const bool north = c.pole == 1;
    double dl = north ? std::atan2(x, -y) : std::atan2(x, y);
    double phi;
    if (c.e == 0.0) {
        double cosC = std::cos(2.0 * std::atan(rho / c.twoR));
        phi = north ? std::asin(cosC) : -std::asin(cosC);
    } else {
        double half = 2.0 * std::atan(rho * c.sqrtP / c.twoR);
        double chi = north ? kCsHalfPi - half : half - kCsHalfPi;
        phi = CS_evalSinSeries(&c.fromConformal, chi);
    }
    CS_inverseEpilogue(out, in, dl, phi, c.lambda0);
    return std::fabs(phi) > kCsMaxLatitude ? 1 : 0;
}

double CS_psteroK(const CsProjectionConstants* constants, const double ll[3]) {
    const CsPsteroConstants& c = Pstero(constants);
    double phi = ll[1] * kCsDegToRad;
    if (std::fabs(phi) > kCsHalfPi) return -1.0;
    double toward = c.pole == 1 ? phi : -phi;  // positive toward the centre pole
    if (toward < -kCsMaxLatitude) return kCsInfiniteScale;
    if (c.e == 0.0) return c.twoK0 / (1.0 + std::sin(toward));
    // A pure ratio: both distances in metres, whatever the system's unit.
    double eSin = c.e * std::sin(phi);
    double m = c.a * std::cos(phi) / std::sqrt(1.0 - eSin * eSin);
    if (!(m > 0.001)) return c.k0;
    double rho = 2.0 * c.a * c.k0 * IsometricT(c, toward) / c.sqrtP;
    return rho / m;
}

double CS_psteroConvergence(const CsProjectionConstants* constants, const double ll[3]) {
    return CS_numericConvergence(CS_psteroForward, constants, ll);
}

int CS_psteroLatLongLimits(const CsProjectionConstants* constants, int count,
                           const double points[][3]) {
    const CsPsteroConstants& c = Pstero(constants);
    // The centre pole is singular for the forward only: it lies well inside.
    return CS_pointLimits(count, points, [&](const double ll[3]) {
        double xy[3];
        int status = CS_psteroForward(constants, xy, ll);
        double toward = c.pole == 1 ? ll[1] : -ll[1];
        return status != 0 && !(status == 1 && toward > 0.0);
    });
}

int CS_psteroXYLimits(const CsProjectionConstants* constants, int count, const double points[][3]) {
    return CS_routineLimits(CS_psteroInverse, constants, count, points);
}
