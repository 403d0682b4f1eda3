#include "projections/HomProjection.h"

#include <algorithm>
#include <cmath>

#include "coordsys/core/CsAngles.h"
#include "coordsys/core/CsCore.h"

namespace {

const CsHomConstants& Hom(const CsProjectionConstants* constants) {
    return CS_constantsOf<CsHomConstants>(constants);
}

// The largest |U| (the sine of the distance from the central line on the
// aposphere) treated as regular.
constexpr double kLargestU = 0.9999999515;
// pi less the tolerance: u of the central line's far end.
constexpr double kLargestArc = 3.141592605089793;

// The projection works with lambda - lambda0 as given, through its sines and
// cosines: beyond pi it is only reported.
constexpr CsLongitudeRule kHomLongitude{
    .limit = kCsPi, .adjust = CsLongitudeAdjust::kTowardCentre, .status = 2, .wrap = nullptr};

bool IsCentralPoint(std::uint16_t code) {
    return code != kCsProjHom2uv && code != kCsProjHom2xy;
}

// Snyder's t: tan(pi/4 - phi/2) over the ellipsoid's correction.
double Tsfn(const CsHomConstants& c, double phi) {
    double t = std::tan(kCsPi / 4.0 - phi / 2.0);
    if (c.e == 0.0) return t;
    double es = c.e * std::sin(phi);
    return t / std::pow((1.0 - es) / (1.0 + es), c.eHalf);
}

// asin of a value that rounding may carry just past +-1; NaN stays NaN.
double SafeAsin(double value) {
    return std::asin(std::clamp(value, -1.0, 1.0));
}

// Pole of the oblique: the northern one of the central line's two poles.
void SetPole(CsHomConstants& c) {
    if (c.centralPoint) {
        c.phiP = std::asin(std::cos(c.phiC) * std::sin(c.alphaC));
        c.lambdaP = CS_normLngRad(
            c.lambdaC + std::atan2(-std::cos(c.alphaC), -std::sin(c.phiC) * std::sin(c.alphaC)));
    } else {
        const double l1 = c.lambda1, p1 = c.phi1, l2 = c.lambda2, p2 = c.phi2;
        c.lambdaP = CS_normLngRad(std::atan2(
            std::cos(l1) * std::cos(p1) * std::sin(p2) - std::cos(l2) * std::sin(p1) * std::cos(p2),
            std::sin(l2) * std::sin(p1) * std::cos(p2) -
                std::sin(l1) * std::cos(p1) * std::sin(p2)));
        c.phiP = std::atan(-std::cos(c.lambdaP - l1) / std::tan(p1));
        // The great circle's azimuth at the first point toward the second.
        const double dPhi = CS_normLngRad(p2 - p1), dLambda = CS_normLngRad(l2 - l1);
        const double s1 = std::sin(dPhi / 2.0), s2 = std::sin(dLambda / 2.0);
        const double d =
            2.0 * std::asin(std::sqrt(s1 * s1 + std::cos(p1) * std::cos(p2) * s2 * s2));
        c.alphaC = std::atan2(
            std::sin(dLambda) * std::cos(p2) / std::sin(d),
            (std::cos(p1) * std::sin(p2) - std::sin(p1) * std::cos(p2) * std::cos(dLambda)) /
                std::sin(d));
    }
    if (c.phiP < 0.0) {
        c.phiP = -c.phiP;
        c.lambdaP = CS_normLngRad(c.lambdaP + kCsPi);
    }
    c.sinPhiP = std::sin(c.phiP);
    c.cosPhiP = std::cos(c.phiP);
}

// Hotine's constants of the aposphere. On the sphere (e = 0) they reduce to
// the spherical oblique Mercator, with u and v in the ellipsoid's sense.
void SetAposphere(CsHomConstants& c, bool rskewc) {
    const double sinC = std::sin(c.phiC), cosC = std::cos(c.phiC);
    const double con = 1.0 - c.eSq * sinC * sinC;
    const double cos2 = cosC * cosC;
    c.B = std::sqrt(1.0 + c.eSq * cos2 * cos2 / (1.0 - c.eSq));
    c.A = c.ak * c.B * std::sqrt(1.0 - c.eSq) / con;
    const double t0 = Tsfn(c, c.phiC);
    double d = c.B * std::sqrt(1.0 - c.eSq) / (cosC * std::sqrt(con));
    double dSq = std::max(d * d, 1.0);
    d = std::sqrt(dSq);
    const double f = d + std::copysign(std::sqrt(dSq - 1.0), c.phiC);
    c.E = f * std::pow(t0, c.B);
    if (!c.centralPoint) {
        const double h = std::pow(Tsfn(c, c.phi1), c.B);
        const double l = std::pow(Tsfn(c, c.phi2), c.B);
        const double fp = c.E / h;
        const double g = (fp - 1.0 / fp) / 2.0;
        const double j = (c.E * c.E - l * h) / (c.E * c.E + l * h);
        const double p = (l - h) / (l + h);
        c.lambda0 =
            CS_normLngRad((c.lambda1 + c.lambda2) / 2.0 -
                          std::atan(j * std::tan(c.B * (c.lambda1 - c.lambda2) / 2.0) / p) / c.B);
        c.gamma0 = std::atan(std::sin(c.B * (c.lambda1 - c.lambda0)) / g);
        c.alphaC = SafeAsin(d * std::sin(c.gamma0));
    } else {
        if (c.skewAzimuth) {
            c.alphaC = SafeAsin(d * std::sin(c.gamma0));
        } else {
            c.gamma0 = SafeAsin(std::sin(c.alphaC) / d);
        }
        const double g = (f - 1.0 / f) / 2.0;
        double shift = SafeAsin(g * std::tan(c.gamma0)) / c.B;
        // A central line along the equator: the origin is the centre.
        if (std::isnan(shift)) shift = 0.0;
        c.lambda0 = CS_normLngRad(c.lambdaC - shift);
    }
    c.AoverB = c.A / c.B;
    c.oneOverB = 1.0 / c.B;
    if (rskewc) {
        c.cosAlphaC = std::cos(c.alphaC);
        if (std::fabs(c.cosAlphaC) <= kCsAngularTolerance) {
            c.uOffset = c.A * (c.lambdaC - c.lambda0);
        } else {
            c.uOffset = c.AoverB * std::atan(std::sqrt(dSq - 1.0) / c.cosAlphaC);
            if (c.phiC < 0.0) c.uOffset = -c.uOffset;
        }
    }
    c.largestV = c.AoverB * std::log((1.0 + kLargestU) / (1.0 - kLargestU)) / 2.0;
    c.largestU = c.AoverB * kLargestArc;
    if (c.e != 0.0) CS_conformalSeriesSetup(&c.fromConformal, c.eSq);
}

void SetUsefulRange(CsParams* params, const CsHomConstants& c) {
    const double centre = c.lambdaC * kCsRadToDeg;
    params->rangeCentralMeridian = centre;
    if (!CS_geoRangeFromDefinition(params, centre)) {
        // A scale reduction above 1 has no line of true scale: the band is
        // its least.
        const double w = 2.0 * std::acos(std::min(c.k0, 1.0)) * kCsRadToDeg + 0.25;
        const double across = std::fabs(c.cosAlphaC), along = std::fabs(c.sinAlphaC);
        const double lon = across * w + along * 10.0;
        const double lat = across * 10.0 + along * w;
        const double phiC = c.phiC * kCsRadToDeg;
        CS_setGeoRange(params, -lon, std::max(phiC - lat, -90.0), lon, std::min(phiC + lat, 90.0));
    }
    if (!CS_xyRangeFromDefinition(params)) {
        double maxX, maxY;
        if (c.rectification == 0) {
            maxX = c.largestV;
            maxY = c.largestU;
        } else {
            maxX = c.sinAlphaC * c.largestU + c.cosAlphaC * c.largestV;
            maxY = c.cosAlphaC * c.largestU - c.sinAlphaC * c.largestV;
        }
        CS_setXyRange(params, -maxX, -maxY, maxX, maxY, c.origin);
    }
}

// The rotation of the (u, v) axes onto the grid: sine and cosine.
void Rotation(const CsHomConstants& c, double* sinG, double* cosG) {
    if (c.rectification == 2) {
        *sinG = c.sinAlphaC;
        *cosG = c.cosAlphaC;
    } else {
        *sinG = c.sinGamma0;
        *cosG = c.cosGamma0;
    }
}

constexpr CsSlots kHomSlots{
    .forward = CS_homForward,
    .inverse = CS_homInverse,
    .gridScale = CS_homScale,
    .parallelScale = CS_homScale,
    .meridianScale = CS_homScale,
    .convergence = CS_homConvergence,
    .checkGeographic = CS_homGeoLimits,
    .checkCartesian = CS_alwaysZero,
};

}  // namespace

int CS_homCheck(const CsCoordSysDef* def, std::uint16_t code, int errors[], int capacity) {
    CsCheckErrors out(errors, capacity);
    const double* p = def->parameters;
    out.Require(p[0] > -180.0 && p[0] <= 180.0, kCsErrLongitude);
    out.Require(p[1] > -kCsMaxParallel && p[1] < kCsMaxParallel, kCsErrLatitude);
    out.Require(
        def->scaleReduction >= kCsMinScaleReduction && def->scaleReduction <= kCsMaxScaleReduction,
        kCsErrScaleReduction);
    if (IsCentralPoint(code)) {
        const double azimuth = p[2];
        out.Require(std::fabs(azimuth) >= kCsCheckTolerance && azimuth < 360.0 && azimuth > -180.0,
                    kCsErrAzimuth);
        const double magnitude = std::fabs(azimuth);
        if (std::fabs(magnitude - kCsMaxParallel) < kCsCheckTolerance ||
            std::fabs(magnitude - (kCsMaxParallel + 90.0)) < kCsCheckTolerance) {
            out.Add(kCsErrSwissAzimuth);
        }
    } else {
        out.Require(def->originLatitude > -kCsMaxParallel && def->originLatitude <= kCsMaxParallel,
                    kCsErrLatitude);
        out.Require(p[2] > -180.0 && p[2] <= 180.0, kCsErrLongitude);
        out.Require(p[3] > -kCsMaxParallel && p[3] <= kCsMaxParallel, kCsErrLatitude);
        // Only when the latitude is a number: a NaN has its own error above.
        if (std::fabs(p[1]) < kCsCheckTolerance) out.Add(kCsErrLatitude);
        if (std::fabs(p[1] - p[3]) <= kCsCheckTolerance) out.Add(kCsErrCentralLineParallel);
    }
    return out.Count();
}

void CS_homSetup(CsParams* params) {
    CsHomConstants& c = CS_newConstants<CsHomConstants>(params);
    const CsCoordSysDef& def = params->csDef;
    const std::uint16_t code = params->projectionCode;
    const double* p = def.parameters;

    // 1. The form and the central line.
    c.centralPoint = IsCentralPoint(code) ? 1 : 0;
    c.originAtCentre = code == kCsProjRskewc ? 1 : 0;
    c.skewAzimuth = code == kCsProjRskewo ? 1 : 0;
    switch (code) {
        case kCsProjHom1uv:
        case kCsProjHom2uv:
            c.rectification = 0;
            break;
        case kCsProjHom1xy:
        case kCsProjHom2xy:
            c.rectification = 2;
            break;
        default:
            c.rectification = 1;
            break;
    }
    if (c.centralPoint) {
        c.lambdaC = p[0] * kCsDegToRad;
        c.phiC = p[1] * kCsDegToRad;
        if (c.skewAzimuth) {
            c.gamma0 = p[2] * kCsDegToRad;
        } else {
            c.alphaC = p[2] * kCsDegToRad;
        }
    } else {
        c.lambda1 = p[0] * kCsDegToRad;
        c.phi1 = p[1] * kCsDegToRad;
        c.lambda2 = p[2] * kCsDegToRad;
        c.phi2 = p[3] * kCsDegToRad;
        // A line across the antimeridian: the second point on the first's
        // side, so that their mean lies between them.
        if (c.lambda1 - c.lambda2 > kCsPi) {
            c.lambda2 += kCsTwoPi;
        } else if (c.lambda1 - c.lambda2 < -kCsPi) {
            c.lambda2 -= kCsTwoPi;
        }
        c.lambdaC = CS_normLngRad((c.lambda1 + c.lambda2) / 2.0);
        c.phiC = def.originLatitude * kCsDegToRad;
    }
    c.phiConstants = c.phiC;

    // 2. Scale, false origin, figure.
    c.k0 = def.scaleReduction;
    c.k = def.scale * c.k0;
    c.origin = CS_falseOrigin(def);
    c.e = params->datum.eccentricity;
    c.eSq = c.e * c.e;
    c.eHalf = c.e / 2.0;
    c.a = params->datum.equatorialRadius;
    c.ak = c.a * c.k;

    // 3-5. The two-point form's pole comes from its great circle, whose
    // azimuth the aposphere's then replaces; RSKEWO's azimuth comes from the
    // aposphere before its pole can be found.
    if (!c.centralPoint) SetPole(c);
    SetAposphere(c, c.originAtCentre != 0);
    if (c.centralPoint) SetPole(c);
    c.sinAlphaC = std::sin(c.alphaC);
    c.cosAlphaC = std::cos(c.alphaC);
    c.sinGamma0 = std::sin(c.gamma0);
    c.cosGamma0 = std::cos(c.gamma0);

    // 6-8.
    SetUsefulRange(params, c);
    CS_installSlots(params, kHomSlots);
}

int CS_homUV(const CsHomConstants& c, double dLambda, double phi, double* u, double* v) {
    if (std::fabs(phi) > kCsMaxLatitude) {
        const double half = c.gamma0 / 2.0;
        *v = c.AoverB * std::log(std::tan(kCsPi / 4.0 + (phi > 0.0 ? -half : half)));
        *u = c.AoverB * phi;
        return 0;
    }
    int status = 0;
    const double q = c.E / std::pow(Tsfn(c, phi), c.B);
    const double s = (q - 1.0 / q) / 2.0, t = (q + 1.0 / q) / 2.0;
    const double bl = c.B * dLambda;
    const double sinBl = std::sin(bl), cosBl = std::cos(bl);
    const double bigU = (s * c.sinGamma0 - sinBl * c.cosGamma0) / t;
    if (!(std::fabs(bigU) <= kLargestU)) {
        // The side the formula approaches: v falls as U rises.
        *v = -std::copysign(c.largestV, bigU);
        status = 2;
    } else {
        *v = c.AoverB / 2.0 * std::log((1.0 - bigU) / (1.0 + bigU));
    }
    if (std::fabs(cosBl) < kCsAngularTolerance) {
        *u = c.A * dLambda;
        status = 2;
    } else {
        *u = c.AoverB * std::atan2(s * c.cosGamma0 + sinBl * c.sinGamma0, cosBl);
    }
    return status;
}

int CS_homForward(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsHomConstants& c = Hom(constants);
    int status = 0;
    const double phi = CS_forwardLatitude(in[1], &status);
    const double dLambda = CS_longitudeDifference(in[0], c.lambda0, &status, kHomLongitude);
    double u, v;
    int uvStatus = CS_homUV(c, dLambda, phi, &u, &v);
    if (uvStatus != 0) status = uvStatus;
    u -= c.uOffset;
    double x = u, y = v;
    if (c.rectification != 0) {
        double sinG, cosG;
        Rotation(c, &sinG, &cosG);
        x = v * cosG + u * sinG;
        y = u * cosG - v * sinG;
    }
    CS_forwardEpilogue(out, in, x, y, c.origin);
    return status;
}

int CS_homInverse(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsHomConstants& c = Hom(constants);
    double x, y;
    CS_removeFalseOrigin(c.origin, in, &x, &y);
    double u = x, v = y;
    if (c.rectification != 0) {
        double sinG, cosG;
        Rotation(c, &sinG, &cosG);
        u = x * sinG + y * cosG;
        v = x * cosG - y * sinG;
    }
    u += c.uOffset;
    int status = 0;
    if (!(std::fabs(u) <= c.largestU)) {
        status = 2;
        u = std::copysign(c.largestU, u);
    }
    if (!(std::fabs(v) <= c.largestV)) {
        status = 2;
        v = std::copysign(c.largestV, v);
    }
    const double q = std::exp(-c.B * v / c.A);
    const double s = (q - 1.0 / q) / 2.0, t = (q + 1.0 / q) / 2.0;
    const double bu = c.B * u / c.A;
    const double sinBu = std::sin(bu);
    const double bigU = (sinBu * c.cosGamma0 + s * c.sinGamma0) / t;
    double phi, dLambda;
    if (std::fabs(bigU) > kLargestU) {
        phi = std::copysign(kCsHalfPi, bigU);
        dLambda = 0.0;
        CS_raiseStatus(&status, 1);
    } else {
        const double ts = std::pow(c.E / std::sqrt((1.0 + bigU) / (1.0 - bigU)), c.oneOverB);
        const double chi = kCsHalfPi - 2.0 * std::atan(ts);
        phi = c.e == 0.0 ? chi : CS_evalSinSeries(&c.fromConformal, chi);
        dLambda = -std::atan2(s * c.cosGamma0 - sinBu * c.sinGamma0, std::cos(bu)) / c.B;
    }
    if (std::fabs(dLambda) > kCsPi) {
        CS_raiseStatus(&status, 2);
        dLambda = CS_normLngRad(dLambda);
    }
    CS_inverseEpilogue(out, in, dLambda, phi, c.lambda0);
    return status;
}

double CS_homScale(const CsProjectionConstants* constants, const double ll[3]) {
    const CsHomConstants& c = Hom(constants);
    int status = 0;
    const double phi = CS_forwardLatitude(ll[1], &status);
    if (c.e == 0.0) {
        // About the pole of the oblique, whose origin lies 90 degrees east.
        const double dl = ll[0] * kCsDegToRad - c.lambdaP - kCsHalfPi;
        const double a = c.sinPhiP * std::sin(phi) - c.cosPhiP * std::cos(phi) * std::sin(dl);
        const double q = 1.0 - a * a;
        return q > kCsAngularTolerance ? c.k0 / std::sqrt(q) : kCsInfiniteScale;
    }
    const double dLambda = CS_longitudeDifference(ll[0], c.lambda0, &status, kHomLongitude);
    double u, v;
    if (CS_homUV(c, dLambda, phi, &u, &v) != 0) return kCsInfiniteScale;
    const double denominator = std::cos(phi) * std::cos(c.B * dLambda);
    if (!(denominator > kCsAngularTolerance)) return kCsInfiniteScale;
    const double sinPhi = std::sin(phi);
    // A carries a and the definition's scale; the ratio below does not.
    return c.k0 * (c.A / c.ak) * std::cos(c.B * u / c.A) *
           std::sqrt(1.0 - c.eSq * sinPhi * sinPhi) / denominator;
}

double CS_homConvergence(const CsProjectionConstants* constants, const double ll[3]) {
    return CS_numericConvergence(CS_homForward, constants, ll);
}

int CS_homPointLimit(const CsHomConstants& c, double lambda, double phi) {
    const double point[2] = {lambda, phi};
    const double pole[2] = {c.lambdaP, c.phiP};
    const double antipode[2] = {CS_normLngRad(c.lambdaP + kCsPi), -c.phiP};
    if (CS_angularDistanceRad(point, pole) < kCsAngularTolerance ||
        CS_angularDistanceRad(point, antipode) < kCsAngularTolerance) {
        return 2;
    }
    return 0;
}

int CS_homGeoLimits(const CsProjectionConstants* constants, int count, const double points[][3]) {
    const CsHomConstants& c = Hom(constants);
    return CS_regionLimits(
        count, points,
        [&](const double ll[3]) {
            return CS_homPointLimit(c, ll[0] * kCsDegToRad, ll[1] * kCsDegToRad) != 0;
        },
        [&](const double ll[3]) {
            return !(std::fabs(CS_normLngRad(ll[0] * kCsDegToRad - c.lambda0)) <= kCsMaxLatitude);
        });
}
