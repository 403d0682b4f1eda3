#include "projections/NzProjection.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "coordsys/core/CsAngles.h"
#include "coordsys/core/CsCore.h"
#include "projections/GeodeticDistance.h"

namespace {

const CsNzConstants& Nz(const CsProjectionConstants* constants) {
    return CS_constantsOf<CsNzConstants>(constants);
}

constexpr CsSlots kNzSlots{
    .forward = CS_nzForward,
    .inverse = CS_nzInverse,
    .gridScale = CS_nzK,
    .parallelScale = CS_nzK,
    .meridianScale = CS_nzK,
    .convergence = CS_nzConvergence,
    .checkGeographic = CS_nzLatLongLimits,
    .checkCartesian = CS_nzXYLimits,
};

// The published New Zealand Map Grid series.
constexpr double kA[10] = {0.6399175073, -0.1358797613, 0.063294409, -0.02526853, 0.0117879,
                           -0.0055161,   0.0026906,     -0.001333,   0.00067,     -0.00034};
constexpr double kB[7][2] = {{0.0, 0.0},
                             {0.7557853228, 0.0},
                             {0.249204646, 0.003371507},
                             {-0.001541739, 0.04105856},
                             {-0.10162907, 0.01727609},
                             {-0.26623489, -0.36249218},
                             {-0.6870983, -1.1651967}};
constexpr double kC[7][2] = {{0.0, 0.0},
                             {1.3231270439, 0.0},
                             {-0.577245789, -0.007809598},
                             {0.508307513, -0.112208952},
                             {-0.15094762, 0.18200602},
                             {1.01418179, 1.64497696},
                             {1.9660549, 2.5127645}};
constexpr double kD[9] = {1.5627014243, 0.5185406398, -0.03333098, -0.1052906, -0.0368594,
                          0.007317,     0.0122,       0.00394,     -0.0013};
constexpr int kDegree = 6;
constexpr double kLimit = 8.0;  // degrees about the origin the series serve

// sum of c[k] u^k, k = 1..n, by Horner from the highest.
double Series(const double* c, int n, double u) {
    double sum = 0.0;
    for (int k = n - 1; k >= 0; --k) sum = (sum + c[k]) * u;
    return sum;
}

}  // namespace

int CS_nzCheck(const CsCoordSysDef* def, std::uint16_t, int errors[], int capacity) {
    CsCheckErrors out(errors, capacity);
    out.Require(def->originLongitude > -180.0 && def->originLongitude <= 180.0,
                kCsErrOriginLongitude);
    out.Require(def->originLatitude > -90.0 && def->originLatitude < 90.0, kCsErrOriginLatitude);
    out.Require(
        def->scaleReduction >= kCsMinScaleReduction && def->scaleReduction <= kCsMaxScaleReduction,
        kCsErrScaleReduction);
    return out.Count();
}

void CS_nzSetup(CsParams* params) {
    CsNzConstants& c = CS_newConstants<CsNzConstants>(params);
    const CsCoordSysDef& def = params->csDef;
    c.lambda0 = def.originLongitude;
    c.phi0 = def.originLatitude;
    c.k = def.scale * def.scaleReduction;
    c.origin = CS_falseOrigin(def);
    c.e = params->datum.eccentricity;
    c.a = params->datum.equatorialRadius;
    c.eSq = c.e * c.e;
    c.r = c.a * c.k;
    c.tenThousandthK = 0.0001 * c.k;
    c.degreesToSeries = 0.036;
    c.unitsPerMetre = def.scale;
    std::memcpy(c.latitudeSeries, kA, sizeof kA);
    std::memcpy(c.forward, kB, sizeof kB);
    std::memcpy(c.inverse, kC, sizeof kC);
    std::memcpy(c.inverseLatitude, kD, sizeof kD);
    params->rangeCentralMeridian = c.lambda0;
    if (!CS_geoRangeFromDefinition(params, c.lambda0)) {
        CS_setGeoRange(params, -15.0, c.phi0 - 15.0, 15.0, c.phi0 + 15.0);
    }
    if (!CS_xyRangeFromDefinition(params)) {
        CS_setXyRange(params, -8.0 * c.r, -8.0 * c.r, 8.0 * c.r, 8.0 * c.r, c.origin);
    }
    CS_installSlots(params, kNzSlots);
}

int CS_nzForward(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsNzConstants& c = Nz(constants);
    int status = 0;
    double dl = in[0] - c.lambda0;
    if (dl > 180.0 && c.lambda0 < 0.0) {
        dl -= 360.0;
    } else if (dl < -180.0 && c.lambda0 > 0.0) {
        dl += 360.0;
    }
    if (!(std::fabs(dl) <= kLimit)) {
        status = 2;
        dl = std::copysign(kLimit, dl);
    }
    double theta = dl * kCsDegToRad;
    double dp = in[1] - c.phi0;
    if (!(std::fabs(dp) <= kLimit)) {
        status = 2;
        dp = std::copysign(kLimit, dp);
    }
    double psi = Series(c.latitudeSeries, 10, c.degreesToSeries * dp);
    if (std::fabs(theta) > 1.0) {
        status = 2;
        theta = std::copysign(1.0, theta);
    }
    if (std::fabs(psi) > 1.0) {
        status = 2;
        psi = std::copysign(1.0, psi);
    }
    const double z[2] = {psi, theta};
    double zeta[2];
    CS_cmplxPolyEval(z, c.forward, kDegree, zeta);
    CS_forwardEpilogue(out, in, c.r * zeta[1], c.r * zeta[0], c.origin);
    return status;
}

int CS_nzInverse(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsNzConstants& c = Nz(constants);
    double x, y;
    CS_removeFalseOrigin(c.origin, in, &x, &y);
    int status = 0;
    x /= c.r;
    y /= c.r;
    if (!(std::fabs(x) <= 1.0 && std::fabs(y) <= 1.0)) {
        status = 2;
        double norm = std::hypot(x, y);
        if (norm > 0.0 && std::isfinite(norm)) {
            x /= norm;
            y /= norm;
        } else {
            x = y = 0.0;
        }
    }
    const double zeta[2] = {y, x};
    double z[2];
    CS_cmplxPolyEval(zeta, c.inverse, kDegree, z);
    for (int round = 0; round < 2; ++round) {
        double weighted[2], slope[2], numerator[2];
        CS_cmplxPolyWeighted(z, c.forward, kDegree, weighted);
        CS_cmplxPolyDeriv(z, c.forward, kDegree, slope);
        CS_cmplxAdd(zeta, weighted, numerator);
        CS_cmplxDiv(numerator, slope, z);
    }
    double dp = Series(c.inverseLatitude, 9, z[0]);
    out[0] = CS_normDeg180(z[1] * kCsRadToDeg) + c.lambda0;
    double latitude = CS_normDeg90(dp / c.degreesToSeries) + c.phi0;
    if (std::fabs(latitude) > 90.0) {
        latitude = CS_normDeg90(latitude);
        status = 2;
    }
    out[1] = latitude;
    out[2] = in[2];
    return status;
}

double CS_nzK(const CsProjectionConstants* constants, const double ll[3]) {
    const CsNzConstants& c = Nz(constants);
    constexpr double kHalfArcSecond = 0.0001388888888888889;
    const double south[3] = {ll[0], ll[1] - kHalfArcSecond, 0.0};
    const double north[3] = {ll[0], ll[1] + kHalfArcSecond, 0.0};
    double a[3], b[3];
    if (CS_nzForward(constants, a, south) != 0 || CS_nzForward(constants, b, north) != 0) {
        return -1.0;
    }
    // A pure ratio: the ground distance on the ellipsoid in system units.
    double d;
    CS_geodeticDistAz(c.a * c.unitsPerMetre, c.eSq, south, north, &d);
    return d > 0.0 ? std::hypot(b[0] - a[0], b[1] - a[1]) / d : kCsInfiniteScale;
}

double CS_nzConvergence(const CsProjectionConstants* constants, const double ll[3]) {
    return CS_numericConvergence(CS_nzForward, constants, ll);
}

int CS_nzLatLongLimits(const CsProjectionConstants* constants, int count,
                       const double points[][3]) {
    return CS_routineLimits(CS_nzForward, constants, count, points);
}

int CS_nzXYLimits(const CsProjectionConstants* constants, int count, const double points[][3]) {
    return CS_routineLimits(CS_nzInverse, constants, count, points);
}
