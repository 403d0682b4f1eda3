#include "projections/BipolarProjection.h"

#include <cmath>

#include "coordsys/core/CsAngles.h"
#include "coordsys/core/CsCore.h"

namespace {

const CsBipolarConstants& Bipolar(const CsProjectionConstants* constants) {
    return CS_constantsOf<CsBipolarConstants>(constants);
}

constexpr int kCsErrParallelBeyond90 = 217;
constexpr int kCsErrParallelsSame = 218;
constexpr int kCsErrParallelsNotBetweenPoles = 219;
constexpr int kCsErrParallelsOrder = 220;
constexpr int kCsErrParallelZero = 221;
constexpr int kCsErrPolesTooFar = 222;
constexpr int kCsErrPolesTooClose = 223;
constexpr int kCsErrPoleLatitude = 224;
constexpr int kCsErrPoleLongitude = 225;
constexpr int kCsErrParallelsNotEquidistant = 243;

constexpr double kMaxPoleDistance = 179.9997222;

// An arc-cosine whose argument rounding may have carried past +-1.
double SafeAcos(double value) {
    return std::acos(std::clamp(value, -1.0, 1.0));
}

// A longitude difference about a pole's longitude: toward the pole's side,
// then wrapped (status 2) when still beyond pi.
double PoleDifference(double difference, double poleLongitude, int* status) {
    if (difference > kCsPi && poleLongitude < 0.0) {
        difference -= kCsTwoPi;
    } else if (difference < -kCsPi && poleLongitude > 0.0) {
        difference += kCsTwoPi;
    }
    if (std::fabs(difference) > kCsPi) {
        CS_raiseStatus(status, 2);
        difference = CS_normLngRad(difference);
    }
    return difference;
}

// The point (degrees) to x, y about the false origin.
int Project(const CsBipolarConstants& c, double longitude, double latitude, double* x, double* y) {
    int status = 0;
    const double lambda = longitude * kCsDegToRad;
    const double phi = CS_wrappedLatitude(latitude, &status);
    const double sinPhi = std::sin(phi), cosPhi = std::cos(phi), tanPhi = std::tan(phi);

    const double dLambdaB = PoleDifference(c.lambdaB - lambda, c.lambdaB, &status);
    const double sinB = std::sin(dLambdaB);
    const double denominatorB = tanPhi * c.cosPhiB - std::cos(dLambdaB) * c.sinPhiB;
    double azB = std::atan2(sinB, denominatorB);
    if (std::fabs(sinB) <= kCsAngularTolerance && std::fabs(denominatorB) <= kCsAngularTolerance) {
        azB = c.azBA;  // at pole B
    }
    const bool coneB = c.az0 < azB && azB < c.azBA;
    double z, alpha;
    if (coneB) {
        z = SafeAcos(std::cos(dLambdaB) * c.cosPhiB * cosPhi + sinPhi * c.sinPhiB);
        alpha = c.azBA - azB;
    } else {
        const double dLambdaA = PoleDifference(lambda - c.lambdaA, c.lambdaA, &status);
        z = SafeAcos(std::cos(dLambdaA) * c.cosPhiA * cosPhi + sinPhi * c.sinPhiA);
        double azA = c.azAB;
        if (z > kCsAngularTolerance) {
            azA =
                std::atan2(std::sin(dLambdaA), tanPhi * c.cosPhiA - std::cos(dLambdaA) * c.sinPhiA);
        }
        alpha = c.azAB - azA;
    }
    if (std::fabs(alpha) > kCsPi) {
        CS_raiseStatus(&status, 2);
        alpha = CS_normLngRad(alpha);
    }
    const double t = std::pow(std::tan(z / 2.0), c.n);
    double rho = c.f * t;
    double w;
    if (z <= c.zAB) {
        w = SafeAcos((std::pow(std::tan((c.zAB - z) / 2.0), c.n) + t) / c.s);
    } else {
        w = SafeAcos(std::pow(std::tan(c.zAB / 2.0), c.n) / c.s);
        CS_raiseStatus(&status, 2);
    }
    const double nAlpha = c.n * alpha;
    if (std::fabs(nAlpha) < w) rho /= std::cos(coneB ? w - nAlpha : w + nAlpha);
    const double u = rho * std::sin(nAlpha);
    const double v = coneB ? rho * std::cos(nAlpha) - c.rhoC : c.rhoC - rho * std::cos(nAlpha);
    *x = -u * c.cosAzC - v * c.sinAzC;
    *y = u * c.sinAzC - v * c.cosAzC;
    return status;
}

// U and V0 of a point about the false origin: across and along the axis.
void AxisCoordinates(const CsBipolarConstants& c, const double xy[3], double* u, double* v0) {
    double x, y;
    CS_removeFalseOrigin(c.origin, xy, &x, &y);
    *u = y * c.sinAzC - x * c.cosAzC;
    *v0 = -x * c.sinAzC - y * c.cosAzC;
}

void SetUsefulRange(CsParams* params, const CsBipolarConstants& c, double centralMeridian) {
    params->rangeCentralMeridian = centralMeridian;
    const CsCoordSysDef& def = params->csDef;
    if (!CS_geoRangeFromDefinition(params, centralMeridian)) {
        CS_setGeoRange(params, -90.0, -90.0, 90.0, 90.0);
    }
    if (def.minX == 0.0 && def.maxX == 0.0) {
        double x1, north, south, unused;
        Project(c, CS_normDeg180(params->minLongitude + centralMeridian), 0.0, &x1, &unused);
        Project(c, centralMeridian, 90.0, &unused, &north);
        Project(c, centralMeridian, -90.0, &unused, &south);
        CS_setXyRange(params, x1, north, -x1, south, c.origin);
    } else {
        CS_setXyRange(params, def.minX, def.minY, def.maxX, def.maxY);
    }
}

constexpr CsSlots kBipolarSlots{
    .forward = CS_bipolarForward,
    .inverse = CS_bipolarInverse,
    .gridScale = CS_bipolarK,
    .parallelScale = CS_bipolarK,
    .meridianScale = CS_bipolarK,
    .convergence = CS_bipolarConvergence,
    .checkGeographic = CS_bipolarLlLimits,
    .checkCartesian = CS_bipolarXYLimits,
};

}  // namespace

int CS_bipolarCheck(const CsCoordSysDef* def, std::uint16_t /*code*/, int errors[], int capacity) {
    CsCheckErrors out(errors, capacity);
    const double* p = def->parameters;
    auto longitude = [](double v) { return v > -180.0 && v <= 180.0; };
    auto latitude = [](double v) { return std::fabs(v) < kCsMaxParallel; };
    out.Require(longitude(p[0]), kCsErrPoleLongitude);
    out.Require(latitude(p[1]), kCsErrPoleLatitude);
    out.Require(longitude(p[2]), kCsErrPoleLongitude);
    double distance = p[4];
    if (p[4] == 0.0) {
        out.Require(latitude(p[3]), kCsErrPoleLatitude);
        const double a[2] = {p[0], p[1]}, b[2] = {p[2], p[3]};
        distance = CS_angularDistanceDeg(a, b);
        out.Require(distance >= kCsCheckTolerance, kCsErrPolesTooClose);
    } else if (!(p[4] >= 0.0 && p[4] < kMaxPoleDistance)) {
        out.Add(kCsErrPolesTooFar);
        distance = kMaxPoleDistance;
    }
    const double t1 = p[5], t2 = p[6];
    out.Require(t1 >= kCsCheckTolerance && t2 >= kCsCheckTolerance, kCsErrParallelZero);
    out.Require(t1 <= kCsMaxParallel && t2 <= kCsMaxParallel, kCsErrParallelBeyond90);
    out.Require(std::fabs(t2 - t1) > kCsCheckTolerance, kCsErrParallelsSame);
    out.Require(t2 - t1 >= 0.0, kCsErrParallelsOrder);
    out.Require(t1 <= distance && t2 <= distance, kCsErrParallelsNotBetweenPoles);
    out.Require(std::fabs(t1 + t2 - distance) <= kCsCheckTolerance, kCsErrParallelsNotEquidistant);
    return out.Count();
}

void CS_bipolarSetup(CsParams* params) {
    CsBipolarConstants& c = CS_newConstants<CsBipolarConstants>(params);
    CsCoordSysDef& def = params->csDef;
    const double* p = def.parameters;
    c.lambdaA = p[0] * kCsDegToRad;
    c.phiA = p[1] * kCsDegToRad;
    c.lambdaB = p[2] * kCsDegToRad;
    c.phiB = p[3] * kCsDegToRad;
    c.zAB = p[4] * kCsDegToRad;
    c.t1 = p[5] * kCsDegToRad;
    c.t2 = p[6] * kCsDegToRad;
    c.origin = CS_falseOrigin(def);
    const double a = params->datum.equatorialRadius;
    c.radius = a * def.scale;
    c.tolerance = a == 1.0 ? 2e-09 : 0.01 * def.scale;
    c.sinPhiA = std::sin(c.phiA);
    c.cosPhiA = std::cos(c.phiA);
    c.sinPhiB = std::sin(c.phiB);
    c.cosPhiB = std::cos(c.phiB);

    // The pole distance, or pole B's longitude from it (east of pole A).
    if (c.zAB > 0.0) {
        c.lambdaB = c.lambdaA +
                    SafeAcos((std::cos(c.zAB) - c.sinPhiA * c.sinPhiB) / (c.cosPhiA * c.cosPhiB));
    } else {
        c.zAB = SafeAcos(c.sinPhiA * c.sinPhiB +
                         c.cosPhiA * c.cosPhiB * std::cos(c.lambdaB - c.lambdaA));
    }

    // The cone.
    const double tanHalf1 = std::tan(c.t1 / 2.0), tanHalf2 = std::tan(c.t2 / 2.0);
    if (std::fabs(c.t1 - c.t2) <= 1e-6) {
        c.n = std::sin(c.t1);
        c.s = 1.0;
    } else {
        c.n = (std::log(std::sin(c.t1)) - std::log(std::sin(c.t2))) /
              (std::log(tanHalf1) - std::log(tanHalf2));
        c.s = std::pow(tanHalf1, c.n) + std::pow(tanHalf2, c.n);
    }
    c.f0 = c.radius * std::sin(c.t1) / (c.n * std::pow(tanHalf1, c.n));
    c.k0 = 2.0 /
           (c.n * c.f0 * std::pow(std::tan(c.zAB / 4.0), c.n) / (c.radius * std::sin(c.zAB / 2.0)) +
            1.0);
    c.f = c.k0 * c.f0;

    // The poles' azimuths, each in 0..pi.
    const double dLambda = c.lambdaB - c.lambdaA;
    const double sinZ = std::sin(c.zAB);
    c.azAB = SafeAcos((c.sinPhiB * c.cosPhiA - c.cosPhiB * c.sinPhiA * std::cos(dLambda)) / sinZ);
    c.azBA = SafeAcos((c.cosPhiB * c.sinPhiA - c.sinPhiB * c.cosPhiA * std::cos(dLambda)) / sinZ);
    c.az0 = CS_normLngRad(c.azBA - kCsPi);

    // The centre, where the cones meet, and the axis through it.
    c.rhoC = c.s * c.f / 2.0;
    c.zC = 2.0 * std::atan(std::pow(c.s / 2.0, 1.0 / c.n));
    c.phiC = std::asin(std::cos(c.zC) * c.sinPhiA + std::sin(c.zC) * c.cosPhiA * std::cos(c.azAB));
    const double cosPhiC = std::cos(c.phiC);
    c.lambdaC = c.lambdaA + std::asin(std::sin(c.zC) * std::sin(c.azAB) / cosPhiC);
    c.azC = std::asin(c.cosPhiA * std::sin(c.azAB) / cosPhiC);
    c.sinAzC = std::sin(c.azC);
    c.cosAzC = std::cos(c.azC);
    c.rhoAB = c.f * std::pow(std::tan(c.zAB / 2.0), c.n);
    c.angularLimit = c.n * kCsPi;

    def.originLongitude = c.lambdaC * kCsRadToDeg;
    SetUsefulRange(params, c, def.originLongitude);
    CS_installSlots(params, kBipolarSlots);
}

int CS_bipolarForward(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsBipolarConstants& c = Bipolar(constants);
    double x, y;
    int status = Project(c, in[0], in[1], &x, &y);
    CS_forwardEpilogue(out, in, x, y, c.origin);
    return status;
}

int CS_bipolarInverse(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsBipolarConstants& c = Bipolar(constants);
    int status = 0;
    double u, v0;
    AxisCoordinates(c, in, &u, &v0);
    const bool coneA = u < 0.0;
    const double v = coneA ? c.rhoC - v0 : v0 + c.rhoC;
    const double baseAzimuth = coneA ? c.azAB : c.azBA;
    const double rho = std::hypot(u, v);
    double nAlpha = std::atan2(u, v);
    if (std::fabs(nAlpha) > c.angularLimit) {
        CS_raiseStatus(&status, 2);
        nAlpha = nAlpha < 0.0 ? -c.angularLimit : c.angularLimit;
    }
    const double inverseN = 1.0 / c.n;
    double z = 2.0 * std::atan(std::pow(rho / c.f, inverseN));
    // Near the cones' meeting line the radius is refined until it settles.
    double previous = rho;
    for (int round = 0;; ++round) {
        if (z > c.zAB) {
            z = c.zAB;
            CS_raiseStatus(&status, 2);
            break;
        }
        if (z < 0.0) {
            z = 0.0;
            CS_raiseStatus(&status, 2);
            break;
        }
        if (round == kCsBipolarMaxRefinements) {
            CS_raiseStatus(&status, 2);
            break;
        }
        const double w = SafeAcos(
            (std::pow(std::tan((c.zAB - z) / 2.0), c.n) + std::pow(std::tan(z / 2.0), c.n)) / c.s);
        if (round == 0 && std::fabs(nAlpha) >= w) break;
        const double refined = rho * std::cos(coneA ? w + nAlpha : w - nAlpha);
        if (std::fabs(previous - refined) < c.tolerance) break;
        z = 2.0 * std::atan(std::pow(refined / c.f, inverseN));
        previous = refined;
    }
    const double az = baseAzimuth - nAlpha / c.n;
    const double sinPole = coneA ? c.sinPhiA : c.sinPhiB;
    const double cosPole = coneA ? c.cosPhiA : c.cosPhiB;
    const double phi = std::asin(
        std::clamp(std::sin(z) * cosPole * std::cos(az) + std::cos(z) * sinPole, -1.0, 1.0));
    const double across =
        z <= kCsAngularTolerance ? kCsPoleTangent : cosPole / std::tan(z) - std::cos(az) * sinPole;
    double d = std::atan2(std::sin(az), across);
    if (std::fabs(d) > kCsPi) {
        CS_raiseStatus(&status, 2);
        d = CS_normLngRad(d);
    }
    const double lambda = coneA ? c.lambdaA + d : c.lambdaB - d;
    if (std::fabs(phi) > kCsMaxLatitude && status == 0) status = 1;
    out[0] = lambda * kCsRadToDeg;
    out[1] = phi * kCsRadToDeg;
    out[2] = in[2];
    return status;
}

double CS_bipolarK(const CsProjectionConstants* constants, const double ll[3]) {
    const CsBipolarConstants& c = Bipolar(constants);
    constexpr double kHalfSecond = 1.0 / 7200.0;
    const double south[3] = {ll[0], ll[1] - kHalfSecond, ll[2]};
    const double north[3] = {ll[0], ll[1] + kHalfSecond, ll[2]};
    double a[3], b[3];
    if (CS_bipolarForward(constants, a, south) != 0 || CS_bipolarForward(constants, b, north) != 0)
        return -1.0;
    const double arc = c.radius * 4.848136811076368e-6;  // one second of arc
    if (!(arc > c.tolerance)) return kCsInfiniteScale;
    return std::hypot(b[0] - a[0], b[1] - a[1]) / arc;
}

double CS_bipolarConvergence(const CsProjectionConstants* constants, const double ll[3]) {
    return CS_numericConvergence(CS_bipolarForward, constants, ll);
}

int CS_bipolarLlLimits(const CsProjectionConstants* constants, int count,
                       const double points[][3]) {
    return CS_routineLimits(CS_bipolarForward, constants, count, points);
}

int CS_bipolarXYLimits(const CsProjectionConstants* constants, int count,
                       const double points[][3]) {
    const CsBipolarConstants& c = Bipolar(constants);
    return CS_pointLimits(count, points, [&](const double xy[3]) {
        double u, v0;
        AxisCoordinates(c, xy, &u, &v0);
        return std::fabs(v0) > c.rhoC || std::fabs(u) > c.rhoAB;
    });
}
