#include "projections/WinkelProjection.h"

#include <cmath>

#include "coordsys/core/CsAngles.h"
#include "coordsys/core/CsCore.h"
#include "projections/LatitudeLimits.h"

namespace {

const CsWinkelConstants& Winkel(const CsProjectionConstants* constants) {
    return CS_constantsOf<CsWinkelConstants>(constants);
}

constexpr double kArcSecond = 4.848136811076368e-6;     // radians
constexpr double kTenThousandthDegree = 1.74532925e-6;  // radians
constexpr double kLargestStart = 3.141592605089793;     // pi less 4.85e-8
constexpr int kMostRounds = 40;
constexpr double kDamping = 0.9;

constexpr CsSlots kWinkelSlots{
    .forward = CS_winkelForward,
    .inverse = CS_winkelInverse,
    .gridScale = CS_winkelK,
    .parallelScale = CS_winkelK,
    .meridianScale = CS_winkelH,
    .convergence = CS_winkelConvergence,
    .checkGeographic = CS_latitudeLimitsCheck,
    .checkCartesian = CS_winkelXYLimits,
};

double NumericScale(const CsProjectionConstants* constants, const double p1[3], const double p2[3],
                    double length, double smallest) {
    double a[3], b[3];
    if (CS_winkelForward(constants, a, p1) != 0 || CS_winkelForward(constants, b, p2) != 0) {
        return -1.0;
    }
    if (!(length > smallest)) return kCsInfiniteScale;
    return std::hypot(b[0] - a[0], b[1] - a[1]) / length;
}

}  // namespace

int CS_winkelCheck(const CsCoordSysDef* def, std::uint16_t /*code*/, int errors[], int capacity) {
    CsCheckErrors out(errors, capacity);
    out.Require(def->originLongitude > -180.0 && def->originLongitude <= 180.0,
                kCsErrOriginLongitude);
    out.Require(def->parameters[0] > -88.0 && def->parameters[0] < 88.0, kCsErrStandardParallel);
    return out.Count();
}

void CS_winkelSetup(CsParams* params) {
    CsWinkelConstants& c = CS_newConstants<CsWinkelConstants>(params);
    const CsCoordSysDef& def = params->csDef;
    c.centralMeridian = def.originLongitude * kCsDegToRad;
    c.standardParallel = def.parameters[0] * kCsDegToRad;
    c.a = params->datum.equatorialRadius;
    c.cosStandard = std::cos(c.standardParallel);
    c.k = def.scale;
    c.r = c.a * c.k;
    c.twoR = 2.0 * c.r;
    c.rCosStandard = c.r * c.cosStandard;
    c.rHalfPi = c.r * kCsHalfPi;
    c.origin = CS_falseOrigin(def);
    c.tolerance = 0.001 * c.k;

    params->rangeCentralMeridian = def.originLongitude;
    if (!CS_geoRangeFromDefinition(params, def.originLongitude)) {
        CS_setGeoRange(params, -180.0, -90.0, 180.0, 90.0);
    }
    if (!CS_xyRangeFromDefinition(params)) {
        const double maxX = kCsPi * c.rCosStandard, maxY = c.r * kCsMaxLatitude;
        CS_setXyRange(params, -maxX, -maxY, maxX, maxY, c.origin);
    }
    CS_installSlots(params, kWinkelSlots);
}

int CS_winkelXY(const CsWinkelConstants& c, double* x, double* y, double lambda, double phi) {
    const double cosPhi = std::cos(phi);
    const double alpha = std::acos(std::cos(lambda / 2.0) * cosPhi);
    double xTerm = 0.0, yTerm = 0.0;
    if (alpha > kCsAngularTolerance) {
        const double s = std::clamp(std::sin(phi) / std::sin(alpha), -1.0, 1.0);
        yTerm = s * alpha * c.r;
        xTerm = std::sqrt(1.0 - s * s) * c.twoR * alpha;
        if (lambda < 0.0) xTerm = -xTerm;
    }
    *x = (xTerm + lambda * c.rCosStandard) / 2.0;
    *y = (yTerm + c.r * phi) / 2.0;
    return 0;
}

int CS_winkelForward(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsWinkelConstants& c = Winkel(constants);
    int unused = 0;
    double phi = CS_wrappedLatitude(in[1], &unused);
    double dl = CS_longitudeDifference(in[0], c.centralMeridian, &unused, kCsLongitudeWrapped);
    double x, y;
    CS_winkelXY(c, &x, &y, dl, phi);
    CS_forwardEpilogue(out, in, x, y, c.origin);
    return 0;
}

int CS_winkelInverse(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsWinkelConstants& c = Winkel(constants);
    double x, y;
    CS_removeFalseOrigin(c.origin, in, &x, &y);
    double phi = y / c.r;
    double lambda = x / c.rCosStandard * (1.0 + 0.38 * std::cos(phi));
    if (std::fabs(lambda) > kCsPi) lambda = std::copysign(kLargestStart, lambda);
    int status = 4096;
    for (int round = 0; round < kMostRounds; ++round) {
        double xe, ye;
        CS_winkelXY(c, &xe, &ye, lambda, phi);
        const double dx = xe - x, dy = ye - y;
        phi -= kDamping * dy / c.r;
        lambda -= kDamping * dx / c.rCosStandard;
        if (std::hypot(dx, dy) <= c.tolerance) {
            status = 0;
            break;
        }
    }
    lambda += c.centralMeridian;
    if (std::fabs(lambda) >= kCsPi) lambda = CS_normLngRad(lambda);
    CS_inverseEpilogue(out, in, lambda, phi, 0.0);
    return status;
}

double CS_winkelK(const CsProjectionConstants* constants, const double ll[3]) {
    const CsWinkelConstants& c = Winkel(constants);
    const double west[3] = {ll[0] - 1.0 / 7200.0, ll[1], 0.0};
    const double east[3] = {ll[0] + 1.0 / 7200.0, ll[1], 0.0};
    double d = c.r * std::cos(ll[1] * kCsDegToRad) * kArcSecond;
    return NumericScale(constants, west, east, d, 0.0);
}

double CS_winkelH(const CsProjectionConstants* constants, const double ll[3]) {
    const CsWinkelConstants& c = Winkel(constants);
    const double south[3] = {ll[0], ll[1] - 5e-5, 0.0};
    const double north[3] = {ll[0], ll[1] + 5e-5, 0.0};
    return NumericScale(constants, south, north, c.r * kTenThousandthDegree, c.tolerance);
}

double CS_winkelConvergence(const CsProjectionConstants* constants, const double ll[3]) {
    return CS_numericConvergence(CS_winkelForward, constants, ll);
}

int CS_winkelXYLimits(const CsProjectionConstants* constants, int count, const double points[][3]) {
    return CS_routineLimits(CS_winkelInverse, constants, count, points);
}
