#include "projections/LmtanProjection.h"

#include <algorithm>
#include <cmath>

#include "coordsys/core/CsAngles.h"
#include "coordsys/core/CsCore.h"
#include "projections/GeodeticDistance.h"

namespace {

const CsLmtanConstants& Lmtan(const CsProjectionConstants* constants) {
    return CS_constantsOf<CsLmtanConstants>(constants);
}

constexpr CsSlots kLmtanSlots{
    .forward = CS_lmtanForward,
    .inverse = CS_lmtanInverse,
    .gridScale = CS_lmtanScale,
    .parallelScale = CS_lmtanScale,
    .meridianScale = CS_lmtanScaleH,
    .convergence = CS_lmtanConvergence,
    .checkGeographic = CS_lmtanGeoLimits,
    .checkCartesian = CS_lmtanXYLimits,
};

// Half a second of arc each way along the meridian.
constexpr double kScaleStep = 0.0001388888888888889;
// The inverse's iteration ends when a step is this small (radians): a step
// of 4.85e-8 still leaves 1e-10, 0.7 mm.
constexpr double kSettled = 1e-12;
constexpr int kMaxEvaluations = 14;

double Isometric(const CsLmtanConstants& c, double phi) {
    const double eSin = c.e * std::sin(phi);
    return std::log(std::tan(kCsPi / 4.0 + phi / 2.0)) -
           c.halfE * std::log((1.0 + eSin) / (1.0 - eSin));
}

// x, y about the origin; the status raised at the far pole.
void Project(const CsLmtanConstants& c, double dLambda, double phi, double* x, double* y,
             int* status) {
    const double theta = c.n * dLambda;
    double rho;
    if (std::fabs(phi) > kCsMaxLatitude) {
        if ((phi > 0.0) == (c.n > 0.0)) {
            rho = 0.0;  // the apex
        } else {
            // The far pole lies at infinity: clamped.
            rho = std::copysign(c.rhoMax, c.bigK);
            CS_raiseStatus(status, 2);
        }
    } else {
        rho = c.bigK * std::exp(-c.n * Isometric(c, phi));
    }
    *x = rho * std::sin(theta);
    *y = c.rho0 - rho * std::cos(theta);
}

// The polar angle about the apex. A southern cone's radii are negative, so
// its angle is taken of the negated vector.
double Theta(const CsLmtanConstants& c, double x, double y) {
    return c.n < 0.0 ? std::atan2(-x, -(c.rho0 - y)) : std::atan2(x, c.rho0 - y);
}

}  // namespace

int CS_lmtanCheck(const CsCoordSysDef* def, std::uint16_t, int errors[], int capacity) {
    CsCheckErrors out(errors, capacity);
    out.Require(def->originLongitude > -180.0 && def->originLongitude <= 180.0,
                kCsErrOriginLongitude);
    const double phi0 = def->originLatitude;
    out.Require(
        phi0 > -kCsMaxParallel && phi0 < kCsMaxParallel && std::fabs(phi0) >= kCsCheckTolerance,
        kCsErrOriginLatitude);
    out.Require(
        def->scaleReduction >= kCsMinScaleReduction && def->scaleReduction <= kCsMaxScaleReduction,
        kCsErrScaleReduction);
    return out.Count();
}

void CS_lmtanSetup(CsParams* params) {
    CsLmtanConstants& c = CS_newConstants<CsLmtanConstants>(params);
    const CsCoordSysDef& def = params->csDef;
    const double a = params->datum.equatorialRadius;
    c.lambda0 = def.originLongitude * kCsDegToRad;
    c.phi0 = def.originLatitude * kCsDegToRad;
    c.k = def.scaleReduction * def.scale;
    c.origin = CS_falseOrigin(def);
    c.e = params->datum.eccentricity;
    c.eSq = c.e * c.e;
    c.halfE = c.e / 2.0;
    c.ka = def.scale * a;
    c.akk = a * c.k;
    const double sinPhi0 = std::sin(c.phi0);
    c.n = sinPhi0;
    c.tolerance = def.scale * 0.001;
    c.largestAngle = std::fabs(c.n) * kCsPi;
    c.n0 = c.akk / std::sqrt(1.0 - c.eSq * sinPhi0 * sinPhi0);
    c.rho0 = c.n0 / std::tan(c.phi0);
    c.psi0 = Isometric(c, c.phi0);
    c.bigK = c.rho0 * std::exp(c.n * c.psi0);
    c.absK = std::fabs(c.bigK);
    // Taken with |n| so that a southern cone's far pole, the north pole, lies
    // far out too.
    c.rhoMax = c.absK * std::pow(std::tan(kCsMaxLatitude), std::fabs(c.n));

    params->rangeCentralMeridian = def.originLongitude;
    if (!CS_geoRangeFromDefinition(params, def.originLongitude)) {
        CS_setGeoRange(params, -45.0, std::max(def.originLatitude - 15.0, -kCsMaxParallel), 45.0,
                       std::min(def.originLatitude + 15.0, kCsMaxParallel));
    }
    if (!CS_xyRangeFromDefinition(params)) {
        int ignored = 0;
        const double west = params->minLongitude * kCsDegToRad;
        double x1, y1, x2, y2;
        Project(c, west, params->minLatitude * kCsDegToRad, &x1, &y1, &ignored);
        Project(c, west, params->maxLatitude * kCsDegToRad, &x2, &y2, &ignored);
        const double minX = c.n > 0.0 ? x1 : x2;
        CS_setXyRange(params, minX, y1, -minX, y2, c.origin);
    }
    CS_installSlots(params, kLmtanSlots);
}

int CS_lmtanForward(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsLmtanConstants& c = Lmtan(constants);
    int status = 0;
    const double dLambda =
        CS_longitudeDifference(in[0], c.lambda0, &status, kCsLongitudeTowardCentre);
    const double phi = CS_forwardLatitude(in[1], &status);
    double x, y;
    Project(c, dLambda, phi, &x, &y, &status);
    CS_forwardEpilogue(out, in, x, y, c.origin);
    return status;
}

int CS_lmtanInverse(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsLmtanConstants& c = Lmtan(constants);
    int status = 0;
    double x, y;
    CS_removeFalseOrigin(c.origin, in, &x, &y);
    double rho = std::hypot(x, y - c.rho0);
    if (rho > c.rhoMax) {
        rho = c.rhoMax;
        status = 2;
    }
    double theta = 0.0, phi;
    if (rho <= c.tolerance) {
        CS_raiseStatus(&status, 1);
        phi = std::copysign(kCsHalfPi, c.n);
    } else {
        theta = Theta(c, x, y);
        const double t = std::exp(-std::log(rho / c.absK) / c.n);
        phi = 2.0 * std::atan(t) - kCsHalfPi;
        for (int evaluation = 1;; ++evaluation) {
            const double eSin = c.e * std::sin(phi);
            const double next =
                2.0 * std::atan(t * std::pow((1.0 + eSin) / (1.0 - eSin), c.halfE)) - kCsHalfPi;
            const bool settled = std::fabs(next - phi) <= kSettled;
            phi = next;
            if (settled) break;
            if (evaluation == kMaxEvaluations) {
                CS_raiseStatus(&status, 2);
                break;
            }
        }
    }
    if (std::fabs(theta) > c.largestAngle) {
        theta = std::copysign(c.largestAngle, theta);
        CS_raiseStatus(&status, 2);
    }
    CS_inverseEpilogue(out, in, theta / c.n, phi, c.lambda0);
    return status;
}

namespace {

// The grid distance between the points half a second of arc south and north
// of ll over their distance on the ellipsoid; the two forwards' statuses.
double MeasuredScale(const CsProjectionConstants* constants, const double ll[3], int* statuses) {
    const CsLmtanConstants& c = Lmtan(constants);
    const double south[3] = {ll[0], ll[1] - kScaleStep, 0.0};
    const double north[3] = {ll[0], ll[1] + kScaleStep, 0.0};
    double a[3], b[3];
    *statuses = CS_lmtanForward(constants, a, south) | CS_lmtanForward(constants, b, north);
    double distance = 0.0;
    CS_geodeticDistAz(c.ka, c.eSq, south, north, &distance);
    if (!(distance > c.tolerance)) return kCsInfiniteScale;
    return std::hypot(b[0] - a[0], b[1] - a[1]) / distance;
}

}  // namespace

double CS_lmtanScale(const CsProjectionConstants* constants, const double ll[3]) {
    int statuses;
    return MeasuredScale(constants, ll, &statuses);
}

double CS_lmtanScaleH(const CsProjectionConstants* constants, const double ll[3]) {
    int statuses;
    double k = MeasuredScale(constants, ll, &statuses);
    return statuses != 0 ? -1.0 : k;
}

double CS_lmtanConvergence(const CsProjectionConstants* constants, const double ll[3]) {
    return CS_numericConvergence(CS_lmtanForward, constants, ll);
}

int CS_lmtanGeoLimits(const CsProjectionConstants* constants, int count, const double points[][3]) {
    const CsLmtanConstants& c = Lmtan(constants);
    if (CS_pointLimits(count, points, [](const double ll[3]) {
            return !(std::fabs(ll[1] * kCsDegToRad) <= kCsMaxLatitude);
        }) != 0) {
        return 2;
    }
    return CS_segmentLimits(count, points, [&](const double ll[3]) {
        return CS_normLngRad(ll[0] * kCsDegToRad - c.lambda0);
    });
}

int CS_lmtanPointXYLimit(const CsLmtanConstants& c, const double xy[3], double* theta) {
    double x, y;
    CS_removeFalseOrigin(c.origin, xy, &x, &y);
    const double rho = std::hypot(x, y - c.rho0);
    *theta = Theta(c, x, y);
    if (!(rho >= c.tolerance && rho <= c.rhoMax)) return 2;
    return std::fabs(*theta) <= c.largestAngle ? 0 : 2;
}

int CS_lmtanXYLimits(const CsProjectionConstants* constants, int count, const double points[][3]) {
    const CsLmtanConstants& c = Lmtan(constants);
    double theta = 0.0;
    if (CS_pointLimits(count, points, [&](const double xy[3]) {
            return CS_lmtanPointXYLimit(c, xy, &theta) != 0;
        }) != 0) {
        return 2;
    }
    return CS_segmentLimits(count, points, [&](const double xy[3]) {
        CS_lmtanPointXYLimit(c, xy, &theta);
        return theta;
    });
}
