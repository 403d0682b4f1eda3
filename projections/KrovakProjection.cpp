#include "projections/KrovakProjection.h"

#include <algorithm>
#include <cmath>

#include "coordsys/core/CsAngles.h"
#include "coordsys/core/CsCore.h"

namespace {

const CsKrovakConstants& Krovak(const CsProjectionConstants* constants) {
    return CS_constantsOf<CsKrovakConstants>(constants);
}

constexpr CsSlots kKrovakSlots{
    .forward = CS_krovakForward,
    .inverse = CS_krovakInverse,
    .gridScale = CS_krovakK,
    .parallelScale = CS_krovakK,
    .meridianScale = CS_krovakK,
    .convergence = CS_krovakConvergence,
    .checkGeographic = CS_krovakLlLimits,
    .checkCartesian = CS_alwaysZero,
};

constexpr int kMaxIterations = 11;

// Where the 1995 adjustment's polynomial is centred, metres.
constexpr double kCorrectionX = 1089000.0;
constexpr double kCorrectionY = 654000.0;

// Rounding can carry a sine a little past 1.
double Asin(double sine) {
    return std::asin(std::clamp(sine, -1.0, 1.0));
}

// The latitude of a sine, without the sine's rounding past 1.
double LatitudeOfSine(double sine) {
    sine = std::clamp(sine, -1.0, 1.0);
    return std::atan2(sine, std::sqrt(1.0 - sine * sine));
}

double HalfLogRatio(double e, double sinPhi) {
    return std::log((1.0 + e * sinPhi) / (1.0 - e * sinPhi));
}

}  // namespace

double CS_krovakConformalLat(const CsKrovakConstants& c, double phi) {
    const double t = c.alpha * std::log(std::tan(phi / 2.0 + kCsPi / 4.0)) -
                     c.alphaHalfE * HalfLogRatio(c.e, std::sin(phi)) + c.lnK;
    return 2.0 * std::atan(std::exp(t)) - kCsHalfPi;
}

void CS_krovak95Correction(double x, double y, double* dx, double* dy) {
    const double u = x - kCorrectionX, v = y - kCorrectionY;
    const double p = u * u - v * v, q = 2.0 * u * v;
    *dx = 0.05839284707 + 8.227606925e-8 * u + 3.337763709e-7 * v + 8.850984442e-12 * p -
          1.444547818e-12 * q;
    *dy = 0.0471865841 + 8.227606925e-8 * v - 3.337763709e-7 * u + 8.850984442e-12 * q +
          1.444547818e-12 * p;
}

int CS_krovakCheck(const CsCoordSysDef* def, std::uint16_t /*code*/, int errors[], int capacity) {
    CsCheckErrors out(errors, capacity);
    // A pseudo standard parallel on the equator has no cone (n = 0).
    out.Require(std::fabs(def->parameters[2]) >= kCsCheckTolerance, kCsErrStandardParallel);
    return out.Count();
}

void CS_krovakSetup(CsParams* params) {
    CsKrovakConstants& c = CS_newConstants<CsKrovakConstants>(params);
    const CsCoordSysDef& def = params->csDef;
    c.lambda0 = def.originLongitude * kCsDegToRad;
    c.phi0 = def.originLatitude * kCsDegToRad;
    c.lambdaQ = def.parameters[0] * kCsDegToRad;
    c.phiQ = def.parameters[1] * kCsDegToRad;
    c.s0 = def.parameters[2] * kCsDegToRad;
    c.k0 = def.scaleReduction;
    c.origin = CS_falseOrigin(def);
    c.k0Scale = c.k0 * def.scale;

    c.e = params->datum.eccentricity;
    c.eSq = c.e * c.e;
    c.halfE = c.e / 2.0;
    const double sinPhi0 = std::sin(c.phi0), cosPhi0 = std::cos(c.phi0);
    c.k0ScaleA = c.k0Scale * params->datum.equatorialRadius;
    c.r = c.k0ScaleA * std::sqrt(1.0 - c.eSq) / (1.0 - c.eSq * sinPhi0 * sinPhi0);

    if (c.e == 0.0) {
        c.alpha = 1.0;
    } else {
        const double cos2 = cosPhi0 * cosPhi0;
        c.alpha = std::sqrt(1.0 + c.eSq * cos2 * cos2 / (1.0 - c.eSq));
        c.alphaHalfE = c.alpha * c.halfE;
        const double u0 = std::asin(sinPhi0 / c.alpha);
        c.lnK = c.alphaHalfE * HalfLogRatio(c.e, sinPhi0) +
                std::log(std::tan(u0 / 2.0 + kCsPi / 4.0)) -
                c.alpha * std::log(std::tan(c.phi0 / 2.0 + kCsPi / 4.0));
        c.k = std::exp(c.lnK);
    }

    c.n = std::sin(c.s0);
    c.rho0 = c.r / std::tan(c.s0);
    c.oneOverN = 1.0 / c.n;
    c.tanS0 = std::tan(c.s0 / 2.0 + kCsPi / 4.0);
    c.rho0TanS0N = c.rho0 * std::pow(c.tanS0, c.n);

    c.vQ = c.alpha * c.lambdaQ;
    c.uQ = c.e == 0.0 ? c.phiQ : CS_krovakConformalLat(c, c.phiQ);
    c.sinUQ = std::sin(c.uQ);
    c.cosUQ = std::cos(c.uQ);

    c.farRadius = 4.0 * c.rho0;
    c.apexRadius = kCsAngularTolerance * c.rho0;
    c.maxTheta = std::fabs(c.n) * kCsPi;
    c.iterationTolerance = kCsAngularTolerance;
    c.tolerance = 0.001 * c.k0Scale;
    c.corrected = params->projectionCode == kCsProjKrovak95 ? 1 : 0;

    params->rangeCentralMeridian = def.originLongitude;
    if (!CS_geoRangeFromDefinition(params, def.originLongitude)) {
        // The default is given from the origin longitude as it stands.
        CS_setGeoRange(params, 17.0, 42.0, 47.0, 55.0);
    }
    if (!CS_xyRangeFromDefinition(params)) {
        const CsProjectionConstants* constants = CS_constants(params);
        const double low[3] = {def.originLongitude + params->minLongitude, params->minLatitude,
                               0.0};
        const double high[3] = {def.originLongitude + params->maxLongitude, params->maxLatitude,
                                0.0};
        double a[3], b[3];
        CS_krovakForward(constants, a, low);
        CS_krovakForward(constants, b, high);
        // A quadrant may turn the corners round.
        CS_setXyRange(params, std::fmin(a[0], b[0]), std::fmin(a[1], b[1]), std::fmax(a[0], b[0]),
                      std::fmax(a[1], b[1]));
    }
    CS_installSlots(params, kKrovakSlots);
}

int CS_krovakCone(const CsKrovakConstants& c, const double ll[3], double vu[2], double ds[2],
                  double* theta, double* rho) {
    int status = 0;
    const double dl = ll[0] * kCsDegToRad - c.lambda0;
    const double phi = CS_clampedLatitude(ll[1], &status);
    double v = dl, u = phi;
    if (c.e != 0.0) {
        v = c.alpha * dl;
        u = CS_krovakConformalLat(c, phi);
    }
    const double cosU = std::cos(u);
    const double sinS = std::sin(u) * c.sinUQ + cosU * c.cosUQ * std::cos(c.vQ - v);
    const double s = LatitudeOfSine(sinS);
    const double cosS = std::cos(s);
    // At the oblique pole every oblique longitude is the same point.
    const double d = cosS > 0.0 ? Asin(cosU * std::sin(c.vQ - v) / cosS) : 0.0;
    vu[0] = v, vu[1] = u;
    ds[0] = d, ds[1] = s;
    *theta = c.n * d;
    *rho = c.rho0 * std::pow(c.tanS0 / std::tan(s / 2.0 + kCsPi / 4.0), c.n);
    return status;
}

int CS_krovakForward(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsKrovakConstants& c = Krovak(constants);
    double vu[2], ds[2], theta, rho;
    const int status = CS_krovakCone(c, in, vu, ds, &theta, &rho);
    double x = rho * std::cos(theta), y = rho * std::sin(theta);
    if (c.corrected) {
        double dx, dy;
        CS_krovak95Correction(x, y, &dx, &dy);
        x -= dx, y -= dy;
    }
    CS_forwardEpilogue(out, in, x, y, c.origin);
    out[0] = -out[0];
    out[1] = -out[1];
    return status;
}

int CS_krovakInverse(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsKrovakConstants& c = Krovak(constants);
    const double negated[2] = {-in[0], -in[1]};
    double x, y;
    CS_removeFalseOrigin(c.origin, negated, &x, &y);
    if (c.corrected) {
        double dx, dy;
        CS_krovak95Correction(x, y, &dx, &dy);
        x += dx, y += dy;
    }
    double theta = std::atan2(y, x);
    const double rho = std::hypot(x, y);
    double lambda, phi;
    if (rho < c.apexRadius) {
        lambda = c.lambdaQ, phi = c.phiQ;
    } else if (rho > c.farRadius) {
        lambda = CS_normLngRad(c.lambdaQ - kCsPi), phi = -c.phiQ;
    } else {
        theta = std::clamp(theta, -c.maxTheta, c.maxTheta);
        const double d = theta / c.n;
        const double s = 2.0 * std::atan(std::pow(c.rho0TanS0N / rho, c.oneOverN)) - kCsHalfPi;
        const double sinS = std::sin(s), cosS = std::cos(s);
        const double u = LatitudeOfSine(sinS * c.sinUQ - std::cos(d) * c.cosUQ * cosS);
        const double v = c.vQ - Asin(std::sin(d) * cosS / std::cos(u));
        if (c.e == 0.0) {
            lambda = v, phi = u;
        } else {
            lambda = v / c.alpha;
            const double isometric = (std::log(std::tan(u / 2.0 + kCsPi / 4.0)) - c.lnK) / c.alpha;
            phi = c.phi0;
            for (int i = 0; i < kMaxIterations; ++i) {
                const double next =
                    2.0 * std::atan(
                              std::exp(c.halfE * HalfLogRatio(c.e, std::sin(phi)) + isometric)) -
                    kCsHalfPi;
                const bool settled = std::fabs(next - phi) <= c.iterationTolerance;
                phi = next;
                if (settled) break;
            }
        }
    }
    CS_inverseEpilogue(out, in, lambda, phi, c.lambda0);
    return 0;
}

double CS_krovakK(const CsProjectionConstants* constants, const double ll[3]) {
    const CsKrovakConstants& c = Krovak(constants);
    double vu[2], ds[2], theta, rho;
    CS_krovakCone(c, ll, vu, ds, &theta, &rho);
    if (!(std::fabs(ds[1]) < kCsMaxLatitude)) return kCsInfiniteScale;
    return rho * c.n / ((c.r / c.k0) * std::cos(ds[1]));
}

double CS_krovakConvergence(const CsProjectionConstants* constants, const double ll[3]) {
    const CsKrovakConstants& c = Krovak(constants);
    double vu[2], ds[2], theta, rho;
    if (CS_krovakCone(c, ll, vu, ds, &theta, &rho) != 0 || !(std::fabs(ds[1]) < kCsMaxLatitude)) {
        return -360.0;
    }
    // The angle at the point between its meridian and its oblique meridian,
    // by the sine rule in the triangle of the two poles and the point.
    const double r = std::clamp(c.cosUQ * std::sin(ds[0]) / std::cos(vu[1]), -1.0, 1.0);
    return (std::asin(r) - theta) * kCsRadToDeg;
}

int CS_krovakLlLimits(const CsProjectionConstants* constants, int count, const double points[][3]) {
    return CS_routineLimits(CS_krovakForward, constants, count, points) != 0 ? 2 : 0;
}
