#include "projections/MsteroProjection.h"

#include <algorithm>
#include <cmath>

#include "coordsys/core/CsAngles.h"
#include "coordsys/core/CsCore.h"

namespace {

const CsMsteroConstants& Mstero(const CsProjectionConstants* constants) {
    return CS_constantsOf<CsMsteroConstants>(constants);
}

constexpr CsSlots kMsteroSlots{
    .forward = CS_msteroForward,
    .inverse = CS_msteroInverse,
    .gridScale = CS_msteroK,
    .parallelScale = CS_msteroK,
    .meridianScale = CS_msteroK,
    .convergence = CS_msteroConvergence,
    .checkGeographic = CS_msteroLatLongLimits,
    .checkCartesian = CS_msteroXYLimits,
};

constexpr CsLongitudeRule kLongitudeRule{.wrap = CS_normLngRad};
constexpr int kNewtonCorrections = 6;

double Conformal(double e, double phi) {
    double eSin = e * std::sin(phi);
    return 2.0 * std::atan(std::pow((1.0 - eSin) / (1.0 + eSin), e / 2.0) *
                           std::tan(kCsPi / 4.0 + phi / 2.0)) -
           kCsHalfPi;
}

// The stereographic step (forward steps 1 to 4): the plane point z and s,
// the latitude's chi in *chi. Status 2 where D is floored.
struct Stereo {
    double z[2];
    double s;
    double chi;
    double phi;
    int status;
    bool floored;  // D was below 4.85e-8
};
Stereo Stereographic(const CsMsteroConstants& c, const double in[3]) {
    Stereo st{};
    st.phi = CS_forwardLatitude(in[1], &st.status);
    double dl = CS_longitudeDifference(in[0], c.lambda0, &st.status, kLongitudeRule);
    double sinRef = c.sinPhi1, cosRef = c.cosPhi1;
    st.chi = st.phi;
    if (c.e != 0.0) {
        st.chi = Conformal(c.e, st.phi);
        sinRef = c.sinChi1;
        cosRef = c.cosChi1;
    }
    const double sinChi = std::sin(st.chi), cosChi = std::cos(st.chi), cosDl = std::cos(dl);
    double d = 1.0 + sinChi * sinRef + cosChi * cosDl * cosRef;
    if (d < kCsAngularTolerance) {
        CS_raiseStatus(&st.status, 2);
        st.floored = true;
        d = kCsAngularTolerance;
    }
    st.s = 2.0 / d;
    st.z[0] = st.s * cosChi * std::sin(dl);
    st.z[1] = st.s * (sinChi * cosRef - cosChi * cosDl * sinRef);
    return st;
}

}  // namespace

int CS_msteroCheck(const CsCoordSysDef* def, std::uint16_t, int errors[], int capacity) {
    CsCheckErrors out(errors, capacity);
    out.Require(def->originLongitude > -180.0 && def->originLongitude <= 180.0,
                kCsErrOriginLongitude);
    out.Require(def->originLatitude >= -90.0 && def->originLatitude <= 90.0, kCsErrOriginLatitude);
    out.Require(
        def->scaleReduction >= kCsMinScaleReduction && def->scaleReduction <= kCsMaxScaleReduction,
        kCsErrScaleReduction);
    bool valid = true;
    for (double p : def->parameters) valid = valid && std::fabs(p) <= 1.0;
    out.Require(valid, kCsErrCoefficient);
    return out.Count();
}

void CS_msteroSetup(CsParams* params) {
    CsMsteroConstants& c = CS_newConstants<CsMsteroConstants>(params);
    const CsCoordSysDef& def = params->csDef;
    c.lambda0 = def.originLongitude * kCsDegToRad;
    c.phi1 = def.originLatitude * kCsDegToRad;
    c.k0 = def.scaleReduction;
    c.k = def.scale * def.scaleReduction;
    c.origin = CS_falseOrigin(def);
    c.e = params->datum.eccentricity;
    c.a = params->datum.equatorialRadius;
    c.r = c.a * c.k;
    c.tolerance = c.a <= 3.0 ? 2e-10 : 0.001 * c.k;
    c.cosPhi1 = std::cos(c.phi1);
    c.sinPhi1 = std::sin(c.phi1);
    if (c.e != 0.0) {
        c.eSq = c.e * c.e;
        c.eHalf = c.e / 2.0;
        double chi1 = Conformal(c.e, c.phi1);
        c.sinChi1 = std::sin(chi1);
        c.cosChi1 = std::cos(chi1);
        CS_conformalSeriesSetup(&c.fromConformal, c.eSq);
    }
    // The highest pair with any non-zero part fixes the degree; a purely
    // real coefficient (c1 = (1, 0) is the plain stereographic) counts.
    for (int j = 12; j >= 1; --j) {
        double re = def.parameters[2 * j - 2], im = def.parameters[2 * j - 1];
        if (c.degree == 0 && re == 0.0 && im == 0.0) continue;
        if (c.degree == 0) c.degree = static_cast<std::uint16_t>(j);
        c.coefficients[j][0] = re;
        c.coefficients[j][1] = im;
    }
    params->rangeCentralMeridian = def.originLongitude;
    if (!CS_geoRangeFromDefinition(params, def.originLongitude)) {
        CS_setGeoRange(params, -90.0, std::max(def.originLatitude - 45.0, -90.0), 90.0,
                       std::min(def.originLatitude + 45.0, 90.0));
    }
    if (!CS_xyRangeFromDefinition(params)) {
        double half = kCsHalfPi * c.r;
        CS_setXyRange(params, -half, -half, half, half, c.origin);
    }
    CS_installSlots(params, kMsteroSlots);
}

int CS_msteroForward(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsMsteroConstants& c = Mstero(constants);
    Stereo st = Stereographic(c, in);
    double zeta[2];
    CS_cmplxPolyEval(st.z, c.coefficients, c.degree, zeta);
    CS_forwardEpilogue(out, in, c.r * zeta[0], c.r * zeta[1], c.origin);
    return st.status;
}

int CS_msteroInverse(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsMsteroConstants& c = Mstero(constants);
    double x, y;
    CS_removeFalseOrigin(c.origin, in, &x, &y);
    double r = std::hypot(x, y);
    if (r < c.tolerance) {
        CS_inverseEpilogue(out, in, 0.0, c.phi1, c.lambda0);
        return 0;
    }
    int status = 0;
    if (r > c.r) {
        status = 2;
        x *= c.r / r;
        y *= c.r / r;
    }
    const double zeta[2] = {x / c.r, y / c.r};
    double z[2] = {zeta[0], zeta[1]};
    double value[2], d[2];
    CS_cmplxPolyEval(z, c.coefficients, c.degree, value);
    CS_cmplxSub(value, zeta, d);
    for (int corrections = 0; CS_cmplxAbs(d) >= 1e-12 && corrections < kNewtonCorrections;
         ++corrections) {
        double slope[2], step[2];
        CS_cmplxPolyDeriv(z, c.coefficients, c.degree, slope);
        CS_cmplxDiv(d, slope, step);
        CS_cmplxSub(z, step, z);
        CS_cmplxPolyEval(z, c.coefficients, c.degree, value);
        CS_cmplxSub(value, zeta, d);
    }
    // The centre in the radius's units, as the distance test above is in
    // system units.
    const double centre = c.tolerance / c.r;
    double rho = CS_cmplxAbs(z);
    double dl = 0.0, phi = c.phi1;
    if (!(rho < centre)) {
        const double sinRef = c.e != 0.0 ? c.sinChi1 : c.sinPhi1;
        const double cosRef = c.e != 0.0 ? c.cosChi1 : c.cosPhi1;
        double cc = 2.0 * std::atan(rho / 2.0);
        double sinC = std::sin(cc), cosC = std::cos(cc);
        double chi = std::asin(std::clamp(cosC * sinRef + sinC * cosRef * z[1] / rho, -1.0, 1.0));
        // atan2 throughout: a point across the pole on the central meridian
        // lies 180 degrees round.
        dl = std::atan2(sinC * z[0], cosC * cosRef * rho - sinC * sinRef * z[1]);
        phi = c.e != 0.0 ? CS_evalSinSeries(&c.fromConformal, chi) : chi;
    }
    if (std::fabs(phi) > kCsMaxLatitude && status == 0) status = 1;
    CS_inverseEpilogue(out, in, dl, phi, c.lambda0);
    return status;
}

double CS_msteroK(const CsProjectionConstants* constants, const double ll[3]) {
    const CsMsteroConstants& c = Mstero(constants);
    Stereo st = Stereographic(c, ll);
    if (st.floored) return -1.0;
    double s = st.s;
    if (c.e != 0.0) {
        double sinPhi = std::sin(st.phi);
        double m = std::cos(st.phi) / std::sqrt(1.0 - c.eSq * sinPhi * sinPhi);
        if (m > kCsAngularTolerance) s = s * std::cos(st.chi) / m;
    }
    if (std::fabs(st.z[0]) > 1.0 || std::fabs(st.z[1]) > 1.0) return -1.0;
    double slope[2];
    CS_cmplxPolyDeriv(st.z, c.coefficients, c.degree, slope);
    // The scale reduction is part of the grid's scale too.
    return c.k0 * CS_cmplxAbs(slope) * s;
}

double CS_msteroConvergence(const CsProjectionConstants* constants, const double ll[3]) {
    return CS_numericConvergence(CS_msteroForward, constants, ll);
}

int CS_msteroLatLongLimits(const CsProjectionConstants* constants, int count,
                           const double points[][3]) {
    return CS_routineLimits(CS_msteroForward, constants, count, points);
}

int CS_msteroXYLimits(const CsProjectionConstants* constants, int count, const double points[][3]) {
    return CS_routineLimits(CS_msteroInverse, constants, count, points);
}
