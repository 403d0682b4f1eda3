#include "projections/ModpcProjection.h"

#include <algorithm>
#include <cmath>

#include "coordsys/core/CsAngles.h"
#include "coordsys/core/CsCore.h"
#include "projections/GeodeticDistance.h"

namespace {

const CsModpcConstants& Modpc(const CsProjectionConstants* constants) {
    return CS_constantsOf<CsModpcConstants>(constants);
}

// The check's codes of this family.
constexpr int kErrParallelsEqual = 204;
constexpr int kErrMeridiansEqual = 206;
constexpr int kErrNorthernParallel = 213;
constexpr int kErrSouthernParallel = 228;
constexpr int kErrEasternMeridian = 230;
constexpr int kErrParallelOrder = 232;
constexpr int kErrMeridianOrder = 233;
constexpr int kErrMeridianSpread = 249;

constexpr double kLargestParallel = 89.9997222;  // degrees
constexpr double kCheckTolerance = 2.78e-05;     // degrees
constexpr double kQuarterPi = kCsPi / 4.0;
// The inverse's forward evaluations.
constexpr int kInverseRounds = 12;
// Half the step of the scales' two points, degrees.
constexpr double kScaleStep = 0.0001388888888888889;

double ArcOf(const CsModpcConstants& c, double phi) {
    return CS_meridionalArc(&c.arc, phi, std::sin(phi), std::cos(phi));
}

double Radius(const CsModpcConstants& c, double phi) {
    const double sinPhi = std::sin(phi);
    return c.ak * (std::cos(phi) / sinPhi) / std::sqrt(1.0 - c.eSq * sinPhi * sinPhi);
}

// A standard parallel's point at the longitude difference dl.
void ParallelPoint(const CsModpcConstants& c, double phi, double r, double dl, double* x,
                   double* y) {
    if (phi == 0.0) {
        *x = c.ak * dl;
        *y = 0.0;
    } else {
        const double f = dl * std::sin(phi);
        *x = r * std::sin(f);
        *y = r * (1.0 - std::cos(f));
    }
}

// The root of a radicand that should not be negative: 0 and status 2 when it is.
double Root(double radicand, int* status) {
    if (radicand >= 0.0) return std::sqrt(radicand);
    CS_raiseStatus(status, 2);
    return 0.0;
}

// The scale between two points either side of ll: grid over ellipsoid.
double Scale(const CsModpcConstants& c, const CsProjectionConstants* constants, const double p1[3],
             const double p2[3]) {
    double a[3], b[3];
    if (CS_modpcForward(constants, a, p1) != 0 || CS_modpcForward(constants, b, p2) != 0) {
        return -1.0;
    }
    double distance = 0.0;
    CS_geodeticDistAz(c.ak, c.eSq, p1, p2, &distance);
    if (!(std::fabs(distance) > c.tolerance)) return kCsInfiniteScale;
    return std::hypot(b[0] - a[0], b[1] - a[1]) / std::fabs(distance);
}

constexpr CsSlots kModpcSlots{
    .forward = CS_modpcForward,
    .inverse = CS_modpcInverse,
    .gridScale = CS_modpcScaleH,
    .parallelScale = CS_modpcScaleK,
    .meridianScale = CS_modpcScaleH,
    .convergence = CS_modpcConvergence,
    .checkGeographic = CS_modpcGeoLimits,
    .checkCartesian = CS_modpcXYLimits,
};

}  // namespace

int CS_modpcCheck(const CsCoordSysDef* def, std::uint16_t /*code*/, int errors[], int capacity) {
    CsCheckErrors out(errors, capacity);
    const double* p = def->parameters;
    out.Require(p[0] > -180.0 && p[0] <= 180.0, kCsErrOriginLongitude);
    out.Require(p[1] > -180.0 && p[1] <= 180.0, kErrEasternMeridian);
    const double d = p[1] - p[0];
    if (std::fabs(d) < kCheckTolerance) {
        out.Add(kErrMeridiansEqual);
    } else if (d < 0.0) {
        out.Add(kErrMeridianOrder);
    } else if (d > 15.0) {
        out.Add(kErrMeridianSpread);
    }
    out.Require(p[2] > -kLargestParallel && p[2] < kLargestParallel, kErrNorthernParallel);
    out.Require(p[3] > -kLargestParallel && p[3] < kLargestParallel, kErrSouthernParallel);
    const double spacing = p[2] - p[3];
    if (std::fabs(spacing) < kCheckTolerance) {
        out.Add(kErrParallelsEqual);
    } else if (spacing < 0.0 || spacing > 15.0) {
        out.Add(kErrParallelOrder);
    }
    return out.Count();
}

void CS_modpcSetup(CsParams* params) {
    CsModpcConstants& c = CS_newConstants<CsModpcConstants>(params);
    const CsCoordSysDef& def = params->csDef;
    auto parallel = [](double degrees) {
        double phi = degrees * kCsDegToRad;
        return std::fabs(phi) <= kCsAngularTolerance ? 0.0 : phi;
    };
    c.lambda0 = def.parameters[0] * kCsDegToRad;
    c.lambdaE = def.parameters[1] * kCsDegToRad;
    c.phiN = parallel(def.parameters[2]);
    c.phiS = parallel(def.parameters[3]);
    c.origin = CS_falseOrigin(def);
    c.e = params->datum.eccentricity;
    c.eSq = c.e * c.e;
    c.a = params->datum.equatorialRadius;
    const double spacing = c.phiN - c.phiS;
    c.northLimit = std::min(c.phiN + spacing, kCsMaxLatitude);
    c.southLimit = std::max(c.phiS - spacing, -kCsMaxLatitude);
    c.k = def.scale;
    c.tolerance = 0.001 * c.k;
    c.ak = c.a * c.k;
    CS_meridionalArcSetup(&c.arc, c.ak, c.eSq);
    if (c.phiS != 0.0) c.rS = Radius(c, c.phiS);
    if (c.phiN != 0.0) c.rN = Radius(c, c.phiN);
    c.sinN = std::sin(c.phiN);
    c.sinS = std::sin(c.phiS);
    c.cosN = std::cos(c.phiN);

    const double dlE = c.lambdaE - c.lambda0;
    double xS, yS, xN, yN;
    ParallelPoint(c, c.phiS, c.rS, dlE, &xS, &yS);
    ParallelPoint(c, c.phiN, c.rN, dlE, &xN, &yN);
    const double m1 = ArcOf(c, c.phiS), m2 = ArcOf(c, c.phiN), dm = m2 - m1;
    const double yPrime = std::sqrt(dm * dm - (xN - xS) * (xN - xS)) + yS;
    c.c2 = yPrime - yN;
    c.p = (yS * m2 - yPrime * m1) / dm;
    c.q = (yPrime - yS) / dm;
    c.pPrime = (xS * m2 - xN * m1) / dm;
    c.qPrime = (xN - xS) / dm;

    c.maxX = std::max(c.rS, c.rN) * kQuarterPi;
    double x, ySouth;
    CS_modpcXY(c, c.lambda0, c.northLimit, &x, &c.northY, &ySouth);
    CS_modpcXY(c, c.lambda0, c.southLimit, &x, &c.southY, &ySouth);

    params->rangeCentralMeridian = def.parameters[0];
    if (!CS_geoRangeFromDefinition(params, def.parameters[0])) {
        CS_setGeoRange(params, -45.0, c.southLimit * kCsRadToDeg, 45.0, c.northLimit * kCsRadToDeg);
    }
    if (!CS_xyRangeFromDefinition(params)) {
        CS_setXyRange(params, -c.maxX, c.southY, c.maxX, c.northY, c.origin);
    }
    CS_installSlots(params, kModpcSlots);
}

int CS_modpcXY(const CsModpcConstants& c, double lambda, double phi, double* x, double* y,
               double* ySouth) {
    int status = 0;
    if (phi > c.northLimit) {
        phi = c.northLimit;
        status = 2;
    } else if (phi < c.southLimit) {
        phi = c.southLimit;
        status = 2;
    }
    double dl = lambda - c.lambda0;
    if (dl > kCsPi && c.lambda0 < 0.0) {
        dl -= kCsTwoPi;
    } else if (dl < -kCsPi && c.lambda0 > 0.0) {
        dl += kCsTwoPi;
    }
    if (std::fabs(dl) >= kQuarterPi) {
        dl = std::copysign(kQuarterPi, dl);
        status = 2;
    }

    const double m = ArcOf(c, phi);
    const double xm = c.pPrime + c.qPrime * m;
    double x1, y1, x2, y2;
    ParallelPoint(c, c.phiS, c.rS, dl, &x1, &y1);
    ParallelPoint(c, c.phiN, c.rN, dl, &x2, &y2);
    y2 += c.c2;
    *ySouth = y1;

    if (std::fabs(phi) <= kCsAngularTolerance) {
        *x = dl * c.ak;
        *y = 0.0;
        return status;
    }
    const double r = Radius(c, phi);
    const double s = Root(r * r - xm * xm, &status);
    const double yC = c.p + c.q * m + (phi > 0.0 ? s : -s);
    const double t = (x2 - x1) / (y2 - y1);
    const double onePlusTSq = 1.0 + t * t;
    const double u = (yC - y1) * t + x1;
    const double w = Root(onePlusTSq * r * r - u * u, &status) * t;
    *x = (phi > 0.0 ? u - w : u + w) / onePlusTSq;
    const double v = Root(r * r - *x * *x, &status);
    *y = phi >= 0.0 ? yC - v : yC + v;
    return status;
}

int CS_modpcForward(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsModpcConstants& c = Modpc(constants);
    double x, y, ySouth;
    int status = CS_modpcXY(c, in[0] * kCsDegToRad, in[1] * kCsDegToRad, &x, &y, &ySouth);
    CS_forwardEpilogue(out, in, x, y, c.origin);
    return status;
}

int CS_modpcInverse(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsModpcConstants& c = Modpc(constants);
    double x, y;
    CS_removeFalseOrigin(c.origin, in, &x, &y);
    int status = 0;
    if (std::fabs(x) > c.maxX) {
        x = std::copysign(c.maxX, x);
        status = 2;
    }
    if (y > c.northY) {
        y = c.northY;
        status = 2;
    } else if (y < c.southY) {
        y = c.southY;
        status = 2;
    }

    double lambda = c.lambda0 + x / (c.ak * c.cosN);
    double phi = c.phiN;
    bool settled = false;
    for (int round = 0; round < kInverseRounds; ++round) {
        double xr, yr, ySouth;
        if (CS_modpcXY(c, lambda, phi, &xr, &yr, &ySouth) != 0) status = 2;
        if (std::fabs(x - xr) < c.tolerance && std::fabs(y - yr) < c.tolerance) {
            settled = true;
            break;
        }
        if (std::fabs(xr) > c.tolerance) lambda = c.lambda0 + (lambda - c.lambda0) * x / xr;
        if (std::fabs(yr - ySouth) > c.tolerance) {
            phi = c.phiS + (y - ySouth) * (phi - c.phiS) / (yr - ySouth);
        }
    }
    if (!settled) status = 2;
    if (status == 0 && std::fabs(phi) > kCsMaxLatitude) status = 1;
    out[0] = lambda * kCsRadToDeg;
    out[1] = phi * kCsRadToDeg;
    out[2] = in[2];
    return status;
}

double CS_modpcScaleH(const CsProjectionConstants* constants, const double ll[3]) {
    const double south[3] = {ll[0], ll[1] - kScaleStep, ll[2]};
    const double north[3] = {ll[0], ll[1] + kScaleStep, ll[2]};
    return Scale(Modpc(constants), constants, south, north);
}

double CS_modpcScaleK(const CsProjectionConstants* constants, const double ll[3]) {
    const double west[3] = {ll[0] - kScaleStep, ll[1], ll[2]};
    const double east[3] = {ll[0] + kScaleStep, ll[1], ll[2]};
    return Scale(Modpc(constants), constants, west, east);
}

double CS_modpcConvergence(const CsProjectionConstants* constants, const double ll[3]) {
    return CS_numericConvergence(CS_modpcForward, constants, ll);
}

int CS_modpcGeoLimits(const CsProjectionConstants* constants, int count, const double points[][3]) {
    const CsModpcConstants& c = Modpc(constants);
    return CS_pointLimits(count, points, [&](const double ll[3]) {
        const double phi = ll[1] * kCsDegToRad;
        return !(phi >= c.southLimit && phi <= c.northLimit &&
                 std::fabs(ll[0] * kCsDegToRad - c.lambda0) <= kQuarterPi);
    });
}

int CS_modpcXYLimits(const CsProjectionConstants* constants, int count, const double points[][3]) {
    const CsModpcConstants& c = Modpc(constants);
    return CS_pointLimits(count, points, [&](const double xy[3]) {
        double x, y;
        CS_removeFalseOrigin(c.origin, xy, &x, &y);
        return !(std::fabs(x) <= c.maxX && y >= c.southY && y <= c.northY);
    });
}
