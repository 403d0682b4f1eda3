#include "projections/Systm34Projection.h"

#include <cmath>
#include <limits>

#include "coordsys/core/CsAngles.h"
#include "coordsys/core/CsCore.h"
#include "projections/GeodeticDistance.h"

namespace {

const CsSys34Constants& Sys34(const CsProjectionConstants* constants) {
    return CS_constantsOf<CsSys34Constants>(constants);
}

constexpr int kCsErrInternal = 139;
constexpr int kCsErrSys34Region = 253;
constexpr double kUtmScale = 0.9996;
constexpr double kUtmFalseEasting = 500000.0;
constexpr double kNineDegrees = 0.15707963267948966;
constexpr double kFifteenDegrees = 0.2617993877991494;
constexpr double kBackTolerance = 0.06;
constexpr int kLargestDegree = 20;
const double kNan = std::numeric_limits<double>::quiet_NaN();

// 1, 2 or 3 for the region's number or letter; 0 for any other value.
int RegionIndex(int region) {
    switch (region) {
        case 1:
        case 'j':
            return 1;
        case 2:
        case 's':
            return 2;
        case 3:
        case 'b':
            return 3;
        default:
            return 0;
    }
}

bool Between(double value, double low, double high) {
    return value > low && value < high;
}

// Sum over i of x^i (sum over j of c[i][j] y^j), c stored i-major with
// j = 0..n-i; `c` moves past the coefficients.
double Horner(const double*& c, int n, double x, double y) {
    // Rows are stored lowest power of x first: evaluate each row, then
    // combine them from the highest power down.
    double rows[kLargestDegree + 1];
    for (int i = 0; i <= n; ++i) {
        const int terms = n - i + 1;
        double row = 0.0;
        for (int j = terms - 1; j >= 0; --j) row = row * y + c[j];
        rows[i] = row;
        c += terms;
    }
    double sum = 0.0;
    for (int i = n; i >= 0; --i) sum = sum * x + rows[i];
    return sum;
}

// The default System 34 tables: none is available.
constexpr CsSys34Tables kNoTables{};

// The region step: UTM to System 34 x, y, or back. The kernel's result.
int RegionForward(const CsSys34Constants& c, int region, double e, double n, double* x, double* y) {
    double out1, out2;
    int result = CSsys34(region, +1, c.vintage, e, n, &out1, &out2);
    *x = -out1;
    *y = out2;
    return result;
}
int RegionInverse(const CsSys34Constants& c, int region, double x, double y, double* e, double* n) {
    return CSsys34(region, -1, c.vintage, -x, y, e, n);
}

constexpr CsSlots kSys34Slots{
    .forward = CS_sys34Forward,
    .inverse = CS_sys34Inverse,
    .gridScale = CS_sys34Scale,
    .parallelScale = CS_sys34Scale,
    .meridianScale = CS_sys34Scale,
    .convergence = CS_sys34Convergence,
    .checkGeographic = CS_alwaysZero,
    .checkCartesian = CS_alwaysZero,
};

}  // namespace

bool CS_sys34InDomain(int region, int direction, int vintage, double in1, double in2) {
    const bool v1999 = vintage == 1999;
    if (direction > 0) {
        switch (RegionIndex(region)) {
            case 1:
                return Between(in1, 300000.0, 900000.0) && Between(in2, 5900000.0, 6500000.0);
            case 2:
                return Between(in1, 400000.0, 1000000.0) && Between(in2, 5900000.0, 6400000.0);
            case 3:
                return (v1999 ? Between(in1, 650000.0, 1100000.0)
                              : Between(in1, 400000.0, 600000.0)) &&
                       Between(in2, 6000000.0, 6200000.0);
            default:
                return false;
        }
    }
    switch (RegionIndex(region)) {
        case 1:
            return Between(in1, -100000.0, 500000.0) && Between(in2, -100000.0, 500000.0);
        case 2:
            return Between(in1, -100000.0, 400000.0) && Between(in2, -100000.0, 400000.0);
        case 3:
            return Between(in1, -50000.0, 150000.0) && Between(in2, -50000.0, 150000.0);
        default:
            return false;
    }
}

bool CS_sys34Polynomial(const double* table, double in1, double in2, double* out1, double* out2) {
    *out1 = *out2 = kNan;
    if (!(table[0] >= 0.0 && table[0] < kLargestDegree + 1)) return false;
    const int n = static_cast<int>(table[0]);
    const double* c = table + 1;
    const double* p1 = c;
    const int m = (n + 1) * (n + 2) / 2;
    const double origin2 = c[m];
    const double* p2 = c + m + 1;
    const double origin1 = c[2 * m + 1];
    const double u = in1 - origin1, v = in2 - origin2;
    *out2 = Horner(p1, n, u, v);
    *out1 = Horner(p2, n, v, u);
    return true;
}

bool CS_sys34BackAgrees(double in1, double in2, double back1, double back2) {
    // Either coordinate off is a disagreement (not only both).
    return std::fabs(back1 - in1) < kBackTolerance && std::fabs(back2 - in2) < kBackTolerance;
}

int CS_sys34Kernel(const CsSys34Tables& tables, int region, int direction, int vintage, double in1,
                   double in2, double* out1, double* out2) {
    *out1 = *out2 = kNan;
    const int index = RegionIndex(region);
    if (index == 0 || direction == 0) {
        CS_setErrorContext(index == 0 ? "CSsys34:1" : "CSsys34:2");
        CS_reportError(kCsErrInternal);
        return -1;
    }
    const int v = vintage == 1999 ? 1 : 0;
    const double* table =
        direction > 0 ? tables.forward[v][index - 1] : tables.inverse[v][index - 1];
    const double* other =
        direction > 0 ? tables.inverse[v][index - 1] : tables.forward[v][index - 1];
    const bool inside = CS_sys34InDomain(index, direction, vintage, in1, in2);
    if (table == nullptr || other == nullptr) {
        // Without the coefficients there is nothing to give: no value is made up.
        if (!inside) return 1;
        CS_setErrorContext("CSsys34:3");
        CS_reportError(kCsErrInternal);
        return -1;
    }
    if (!CS_sys34Polynomial(table, in1, in2, out1, out2)) {
        CS_setErrorContext("CSsys34:4");
        CS_reportError(kCsErrInternal);
        return -1;
    }
    if (!inside) return 1;
    double back1, back2;
    if (!CS_sys34Polynomial(other, *out1, *out2, &back1, &back2)) return 1;
    return CS_sys34BackAgrees(in1, in2, back1, back2) ? 0 : 1;
}

int CSsys34(int region, int direction, int vintage, double in1, double in2, double* out1,
            double* out2) {
    return CS_sys34Kernel(kNoTables, region, direction, vintage, in1, in2, out1, out2);
}

int CS_sys34Check(const CsCoordSysDef* def, std::uint16_t /*code*/, int errors[], int capacity) {
    CsCheckErrors out(errors, capacity);
    out.Require(def->parameters[0] >= 1.0 && def->parameters[0] <= 3.0, kCsErrSys34Region);
    return out.Count();
}

void CS_sys34Setup(CsParams* params) {
    CsSys34Constants& c = CS_newConstants<CsSys34Constants>(params);
    const CsCoordSysDef& def = params->csDef;
    const bool v1999 = params->projectionCode == kCsProjSystm3499;
    c.region = static_cast<std::int16_t>(def.parameters[0]);
    c.vintage = v1999 ? 1999 : 0;
    c.lambda0 = c.region == 3 && !v1999 ? kFifteenDegrees : kNineDegrees;
    c.phi0 = 0.0;
    c.k = def.scale * kUtmScale;
    c.k0 = kUtmScale;
    c.e = params->datum.eccentricity;
    c.eSq = c.e * c.e;
    c.a = params->datum.equatorialRadius;
    c.ka = c.k * c.a;
    if (c.e == 0.0) {
        c.kaHalf = c.ka / 2.0;
    } else {
        c.ePrimeSq = c.eSq / (1.0 - c.eSq);
        CS_meridionalArcSetup(&c.arc, c.a, c.eSq);
        CS_inverseMeridionalArcSetup(&c.inverseArc, c.a, c.eSq);
    }
    c.quadrant = static_cast<std::int16_t>(CS_quadrantCode(def.quadrant));
    c.tolerance = 0.001 * def.scale;

    // The UTM stage's easting a quarter turn out bounds the inverse.
    double easting, northing;
    CS_sys34UtmForward(c, CS_normLngRad(c.lambda0 + kCsMaxLatitude) * kCsRadToDeg, 0.0, &easting,
                       &northing);
    c.eastingLimit = std::fabs(easting - kUtmFalseEasting);

    // The default ranges, given in absolute longitudes.
    const double cm = c.lambda0 * kCsRadToDeg;
    params->rangeCentralMeridian = cm;
    if (!CS_geoRangeFromDefinition(params, cm, {.allFour = true})) {
        switch (c.region) {
            case 2:
                CS_setGeoRange(params, 7.25 - cm, 53.0, 17.3 - cm, 57.5);
                break;
            case 3:
                CS_setGeoRange(params, 13.25 - cm, 54.0, 17.0 - cm, 56.25);
                break;
            default:
                CS_setGeoRange(params, 6.0 - cm, 53.0, 16.0 - cm, 58.5);
                break;
        }
    }
    if (!CS_xyRangeFromDefinition(params, {.allFour = true})) {
        switch (c.region) {
            case 2:
                CS_setXyRange(params, -400000.0, -100000.0, 100000.0, 400000.0);
                break;
            case 3:
                CS_setXyRange(params, -150000.0, -50000.0, 150000.0, 50000.0);
                break;
            default:
                CS_setXyRange(params, -500000.0, -500000.0, 100000.0, 500000.0);
                break;
        }
    }
    CS_installSlots(params, kSys34Slots);
}

int CS_sys34UtmForward(const CsSys34Constants& c, double longitude, double latitude,
                       double* easting, double* northing) {
    int status = 0;
    double phi = latitude * kCsDegToRad;
    if (std::fabs(phi) > kCsMaxLatitude) status = 1;
    if (std::fabs(phi) > kCsHalfPi) {
        status = 2;
        phi = CS_normLatRad(phi);
    }
    double sinPhi, cosPhi, tanPhi;
    if (phi >= kCsMaxLatitude) {
        sinPhi = 1.0, cosPhi = 0.0, tanPhi = kCsPoleTangent;
    } else if (phi <= -kCsMaxLatitude) {
        sinPhi = -1.0, cosPhi = 0.0, tanPhi = -kCsPoleTangent;
    } else {
        sinPhi = std::sin(phi), cosPhi = std::cos(phi), tanPhi = std::tan(phi);
    }
    double lambda = longitude * kCsDegToRad - c.lambda0;
    if (std::fabs(lambda) > kCsPi) lambda = CS_normLngRad(lambda);
    if (std::fabs(lambda) > kCsMaxLatitude) {
        status = 2;
        if (std::fabs(std::fabs(lambda) - kCsHalfPi) < kCsAngularTolerance &&
            std::fabs(cosPhi) > 0.9999999515) {
            lambda = std::copysign(kCsMaxLatitude, lambda);
        }
    }
    double e, n;
    if (c.e == 0.0) {
        const double b = cosPhi * std::sin(lambda);
        e = c.kaHalf * std::log((1.0 + b) / (1.0 - b));
        n = c.ka * (std::atan(tanPhi / std::cos(lambda)) - c.phi0);
    } else {
        const double nPhi = c.a / std::sqrt(1.0 - c.eSq * sinPhi * sinPhi);
        const double t = tanPhi * tanPhi;
        const double cc = c.ePrimeSq * cosPhi * cosPhi;
        const double a = lambda * cosPhi;
        const double a2 = a * a;
        const double m = CS_meridionalArc(&c.arc, phi, sinPhi, cosPhi);
        e = c.k * nPhi * a *
            (1.0 + a2 * (1.0 - t + cc) / 6.0 +
             a2 * a2 * (5.0 - 18.0 * t + t * t + 14.0 * cc - 58.0 * t * cc) / 120.0 +
             a2 * a2 * a2 * (61.0 - 479.0 * t + 179.0 * t * t - t * t * t) / 5040.0);
        n = c.k * m +
            c.k * nPhi * tanPhi * (a2 / 2.0) *
                (1.0 + a2 * (5.0 - t + 9.0 * cc + 4.0 * cc * cc) / 12.0 +
                 a2 * a2 * (61.0 - 58.0 * t + t * t + 270.0 * cc - 330.0 * t * cc) / 360.0);
    }
    *easting = e + kUtmFalseEasting;
    *northing = n;
    return status;
}

int CS_sys34UtmInverse(const CsSys34Constants& c, double easting, double northing,
                       double* longitude, double* latitude) {
    int status = 0;
    double e = easting - kUtmFalseEasting;
    if (std::fabs(e) > c.eastingLimit) {
        e = std::copysign(c.eastingLimit, e);
        status = 2;
    }
    double lambda, phi;
    if (c.e == 0.0) {
        const double d = northing / c.ka + c.phi0;
        phi = std::asin(std::sin(d) / std::cosh(e / c.ka));
        if (std::fabs(std::cos(d)) <= kCsAngularTolerance) {
            lambda = 0.0;
            CS_raiseStatus(&status, 1);
        } else {
            lambda = std::atan2(std::sinh(e / c.ka), std::cos(d));
        }
    } else {
        const double phi1 = CS_latitudeFromArc(&c.inverseArc, northing / c.k);
        const double cosPhi1 = std::cos(phi1);
        if (std::fabs(cosPhi1) < kCsAngularTolerance) {
            lambda = 0.0;
            phi = std::copysign(kCsHalfPi, phi1);
            CS_raiseStatus(&status, 1);
        } else {
            const double sinPhi1 = std::sin(phi1);
            const double t1 = std::tan(phi1);
            const double t = t1 * t1;
            const double cc = c.ePrimeSq * cosPhi1 * cosPhi1;
            const double n1 = c.a / std::sqrt(1.0 - c.eSq * sinPhi1 * sinPhi1);
            const double d = e / (n1 * c.k);
            const double d2 = d * d;
            lambda =
                (d / cosPhi1) *
                (1.0 - d2 * (1.0 + 2.0 * t + cc) / 6.0 +
                 d2 * d2 * (5.0 + 28.0 * t + 24.0 * t * t + 6.0 * cc + 8.0 * t * cc) / 120.0 -
                 d2 * d2 * d2 * (61.0 + 662.0 * t + 1320.0 * t * t + 720.0 * t * t * t) / 5040.0);
            phi =
                phi1 - (1.0 + cc) * t1 * (d2 / 2.0) *
                           (1.0 - d2 * (5.0 + 3.0 * t + cc - 9.0 * t * cc - 4.0 * cc * cc) / 12.0 +
                            d2 * d2 *
                                (61.0 + 90.0 * t + 45.0 * t * t + 46.0 * cc - 252.0 * t * cc -
                                 90.0 * t * t * cc) /
                                360.0);
        }
    }
    if (std::fabs(lambda) > kCsPi) {
        status = 2;
        lambda = CS_normLngRad(lambda);
    }
    *longitude = (lambda + c.lambda0) * kCsRadToDeg;
    *latitude = phi * kCsRadToDeg;
    return status;
}

int CS_sys34Forward(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsSys34Constants& c = Sys34(constants);
    double e, n;
    int status = CS_sys34UtmForward(c, in[0], in[1], &e, &n);
    int region = c.region;
    if (region < 1 || region > 3) {
        region = 1;
        status = 2;
    }
    double x, y;
    if (RegionForward(c, region, e, n, &x, &y) != 0) status = 2;
    CS_applyFalseOrigin({0.0, 0.0, c.quadrant}, x, y, out);
    out[2] = in[2];
    return status;
}

int CS_sys34Inverse(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsSys34Constants& c = Sys34(constants);
    int status = 0;
    double x, y;
    CS_removeFalseOrigin({0.0, 0.0, c.quadrant}, in, &x, &y);
    int region = c.region;
    if (region < 1 || region > 3) {
        region = 1;
        status = 2;
    }
    double e, n;
    if (RegionInverse(c, region, x, y, &e, &n) != 0) status = 2;
    double longitude, latitude;
    CS_raiseStatus(&status, CS_sys34UtmInverse(c, e, n, &longitude, &latitude));
    out[0] = longitude;
    out[1] = latitude;
    out[2] = in[2];
    return status;
}

double CS_sys34Scale(const CsProjectionConstants* constants, const double ll[3]) {
    const CsSys34Constants& c = Sys34(constants);
    constexpr double kHalfSecond = 1.0 / 7200.0;
    const double south[3] = {ll[0], ll[1] - kHalfSecond, ll[2]};
    const double north[3] = {ll[0], ll[1] + kHalfSecond, ll[2]};
    double a[3], b[3];
    CS_sys34Forward(constants, a, south);
    CS_sys34Forward(constants, b, north);
    const double projected = std::hypot(b[0] - a[0], b[1] - a[1]);
    // No System 34 coordinates, no scale.
    if (!std::isfinite(projected)) return -1.0;
    double distance = 0.0;
    CS_geodeticDistAz(c.ka, c.eSq, south, north, &distance);
    if (!(std::fabs(distance) > c.tolerance)) return kCsInfiniteScale;
    return projected / distance;
}

double CS_sys34Convergence(const CsProjectionConstants* constants, const double ll[3]) {
    const CsSys34Constants& c = Sys34(constants);
    constexpr double kStep = 5e-05;
    const double south[3] = {ll[0], ll[1] - kStep, ll[2]};
    const double north[3] = {ll[0], ll[1] + kStep, ll[2]};
    double a[3], b[3];
    if (CS_sys34Forward(constants, a, south) != 0 || CS_sys34Forward(constants, b, north) != 0)
        return -360.0;
    const double dx = b[0] - a[0], dy = b[1] - a[1];
    if (!(std::fabs(dx) + std::fabs(dy) >= c.tolerance)) return -360.0;
    return -std::atan2(dx, dy) * kCsRadToDeg;
}
