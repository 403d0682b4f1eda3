#include "projections/TeacylProjection.h"

#include <cmath>

#include "coordsys/core/CsAngles.h"
#include "coordsys/core/CsCore.h"
#include "projections/GeodeticDistance.h"

namespace {

const CsTeacylConstants& Teacyl(const CsProjectionConstants* constants) {
    return CS_constantsOf<CsTeacylConstants>(constants);
}

constexpr double kArcSecond = 4.848136811076368e-6;  // radians
constexpr double kHalfArcSecond = 1.0 / 7200.0;      // degrees

// q(phi) (1 - e^2) / qp: the sine of the authalic latitude.
double AuthalicSine(const CsTeacylConstants& c, double sinPhi) {
    double es = c.e * sinPhi;
    double q = sinPhi / (1.0 - es * es) - c.oneOver2e * std::log((1.0 - es) / (1.0 + es));
    return std::clamp(q * c.oneMinusESq / c.qp, -1.0, 1.0);
}

double Arc(const CsTeacylConstants& c, double phi) {
    return CS_meridionalArc(&c.arc, phi, std::sin(phi), std::cos(phi));
}

// The point (degrees) about the false origin.
int Project(const CsTeacylConstants& c, double longitude, double latitude, double* x, double* y) {
    int status = 0;
    double dl = CS_longitudeDifference(longitude, c.centralMeridian, &status, kCsLongitudeWrapped);
    double phi = CS_forwardLatitude(latitude, &status);
    const double cosDl = std::cos(dl), sinDl = std::sin(dl);
    // Beyond 90 degrees from the central meridian the point lies on the far
    // half of the cylinder: atan2 keeps the quadrant that a plain arctangent
    // of the quotient would fold back.
    const bool onQuarter = std::fabs(cosDl) <= kCsAngularTolerance;
    if (c.e == 0.0) {
        *x = c.rOverK0 * std::cos(phi) * sinDl;
        double transverse;
        if (onQuarter) {
            status = 2;
            transverse = std::fabs(phi) < kCsAngularTolerance ? 0.0 : std::copysign(kCsHalfPi, phi);
        } else {
            transverse = std::atan2(std::tan(phi), cosDl);
        }
        *y = (transverse - c.originLatitude) * c.rk0;
        return status;
    }
    double beta = std::asin(AuthalicSine(c, std::sin(phi)));
    double betaC;
    if (onQuarter) {
        status = 2;
        betaC = std::fabs(beta) <= kCsAngularTolerance ? 0.0 : std::copysign(kCsHalfPi, beta);
    } else {
        betaC = std::atan2(std::tan(beta), cosDl);
    }
    double phiC = CS_authalicToGeodetic(&c.authalic, betaC);
    *y = (Arc(c, phiC) - c.m0) * c.k0;
    if (onQuarter) {
        *x = std::copysign(c.rOverK0, sinDl);
    } else {
        double sinPhiC = std::sin(phiC);
        *x = c.rOverK0 * std::cos(beta) * std::cos(phiC) * sinDl /
             (std::cos(betaC) * std::sqrt(1.0 - c.eSq * sinPhiC * sinPhiC));
    }
    return status;
}

void SetUsefulRange(CsParams* params, const CsTeacylConstants& c, double centralMeridian) {
    params->rangeCentralMeridian = centralMeridian;
    if (!CS_geoRangeFromDefinition(params, centralMeridian)) {
        double w = 2.0 * std::acos(std::min(c.k0, 1.0)) * kCsRadToDeg + 10.0;
        CS_setGeoRange(params, -w, -84.0, w, 84.0);
    }
    if (!CS_xyRangeFromDefinition(params)) {
        const double originLatitude = c.originLatitude * kCsRadToDeg;
        double west, east, south, north, unused;
        Project(c, centralMeridian + params->minLongitude, originLatitude, &west, &unused);
        Project(c, centralMeridian + params->maxLongitude, originLatitude, &east, &unused);
        Project(c, centralMeridian, params->minLatitude, &unused, &south);
        Project(c, centralMeridian, params->maxLatitude, &unused, &north);
        CS_setXyRange(params, west, south, east, north, c.origin);
    }
}

constexpr CsSlots kTeacylSlots{
    .forward = CS_teacylForward,
    .inverse = CS_teacylInverse,
    .gridScale = CS_teacylK,
    .parallelScale = CS_teacylK,
    .meridianScale = CS_teacylH,
    .convergence = CS_teacylConvergence,
    .checkGeographic = CS_teacylLlLimits,
    .checkCartesian = CS_teacylXYLimits,
};

// The projected distance of two points over their distance on the ground.
double Scale(const CsProjectionConstants* constants, const double p1[3], const double p2[3],
             double sphereLength, bool coincidentFails) {
    const CsTeacylConstants& c = Teacyl(constants);
    double a[3], b[3];
    if (CS_teacylForward(constants, a, p1) != 0 || CS_teacylForward(constants, b, p2) != 0) {
        return -1.0;
    }
    double projected = std::hypot(b[0] - a[0], b[1] - a[1]);
    if (coincidentFails && projected == 0.0) return -1.0;
    double length = sphereLength;
    if (c.e != 0.0) CS_geodeticDistAz(c.r, c.eSq, p1, p2, &length);
    const double smallest = coincidentFails ? kCsAngularTolerance : 0.0;
    return length > smallest ? projected / length : kCsInfiniteScale;
}

}  // namespace

int CS_teacylCheck(const CsCoordSysDef* def, std::uint16_t /*code*/, int errors[], int capacity) {
    CsCheckErrors out(errors, capacity);
    out.Require(def->originLongitude > -180.0 && def->originLongitude <= 180.0,
                kCsErrOriginLongitude);
    out.Require(def->originLatitude >= -90.0 && def->originLatitude <= 90.0, kCsErrOriginLatitude);
    out.Require(
        def->scaleReduction >= kCsMinScaleReduction && def->scaleReduction <= kCsMaxScaleReduction,
        kCsErrScaleReduction);
    return out.Count();
}

void CS_teacylSetup(CsParams* params) {
    CsTeacylConstants& c = CS_newConstants<CsTeacylConstants>(params);
    const CsCoordSysDef& def = params->csDef;
    c.centralMeridian = def.originLongitude * kCsDegToRad;
    c.originLatitude = def.originLatitude * kCsDegToRad;
    c.k0 = def.scaleReduction;
    c.origin = CS_falseOrigin(def);
    c.a = params->datum.equatorialRadius;
    c.k0Scale = c.k0 * def.scale;
    c.r = c.a * def.scale;
    c.e = params->datum.eccentricity;
    c.eSq = c.e * c.e;
    c.oneMinusESq = 1.0 - c.eSq;
    c.rk0 = c.r * c.k0;
    c.rOverK0 = c.r / c.k0;
    c.k0OverR = c.k0 / c.r;
    // The useful half of the cylinder spans a quarter meridian each side of
    // the origin latitude's line; a bound of one radian alone refused every
    // point beyond 57 degrees on the central meridian.
    if (c.e == 0.0) {
        c.xBound = c.rOverK0;
        c.yBound = (kCsHalfPi + std::fabs(c.originLatitude)) * c.rk0;
    } else {
        c.oneOver2e = 1.0 / (2.0 * c.e);
        c.qp = 1.0 - c.oneOver2e * c.oneMinusESq * std::log((1.0 - c.e) / (1.0 + c.e));
        CS_authalicSeriesSetup(&c.authalic, c.eSq);
        CS_meridionalArcSetup(&c.arc, c.r, c.eSq);
        CS_inverseMeridionalArcSetup(&c.inverseArc, c.r, c.eSq);
        c.m0 = Arc(c, c.originLatitude);
        c.xBound = c.rOverK0 / c.oneMinusESq;
        c.yBound = c.k0 * (Arc(c, kCsHalfPi) + std::fabs(c.m0));
    }
    SetUsefulRange(params, c, def.originLongitude);
    CS_installSlots(params, kTeacylSlots);
}

int CS_teacylForward(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsTeacylConstants& c = Teacyl(constants);
    double x, y;
    int status = Project(c, in[0], in[1], &x, &y);
    CS_forwardEpilogue(out, in, x, y, c.origin);
    return status;
}

int CS_teacylInverse(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsTeacylConstants& c = Teacyl(constants);
    double x, y;
    CS_removeFalseOrigin(c.origin, in, &x, &y);
    int status = 0;
    double dl = 0.0, phi;
    if (c.e == 0.0) {
        double d = y / c.rk0 + c.originLatitude;
        if (std::fabs(std::cos(d)) < kCsAngularTolerance) {
            status = 1;
            phi = std::sin(d) > 0.0 ? kCsHalfPi : -kCsHalfPi;
        } else {
            double u = x * c.k0OverR;
            double r = 1.0 - u * u;
            if (r < kCsAngularTolerance) {
                if (r < 0.0) status = 2;
                r = 0.0;
            } else {
                r = std::sqrt(r);
            }
            phi = std::asin(r * std::sin(d));
            dl = std::atan2(u, r * std::cos(d));
        }
    } else {
        double phi1 = CS_latitudeFromArc(&c.inverseArc, y / c.k0 + c.m0);
        double cosPhi1 = std::cos(phi1), sinPhi1 = std::sin(phi1);
        if (std::fabs(cosPhi1) <= kCsAngularTolerance) {
            status = 1;
            phi = phi1 > 0.0 ? kCsHalfPi : -kCsHalfPi;
        } else {
            double beta1 = std::asin(AuthalicSine(c, sinPhi1));
            // A footpoint beyond the pole lies on the far half of the
            // cylinder: its authalic latitude goes on past the pole too.
            if (cosPhi1 < 0.0) beta1 = std::copysign(kCsPi, beta1) - beta1;
            double t = std::cos(beta1) / cosPhi1 * std::sqrt(1.0 - c.eSq * sinPhi1 * sinPhi1) *
                       c.k0OverR * x;
            if (std::fabs(t) > 1.0) {
                status = 2;
                t = std::copysign(1.0, t);
            }
            double betaT = std::asin(t);
            dl = std::atan2(std::tan(betaT), std::cos(beta1));
            phi = CS_authalicToGeodetic(&c.authalic, std::asin(std::cos(betaT) * std::sin(beta1)));
        }
    }
    if (std::fabs(dl) > kCsPi) {
        dl = CS_normLngRad(dl);
        status = 2;
    }
    if (std::fabs(phi) > kCsHalfPi) {
        status = 2;
        phi = CS_normLatRad(phi);
    }
    CS_inverseEpilogue(out, in, dl, phi, c.centralMeridian);
    return status;
}

double CS_teacylK(const CsProjectionConstants* constants, const double ll[3]) {
    const CsTeacylConstants& c = Teacyl(constants);
    const double west[3] = {ll[0] - kHalfArcSecond, ll[1], 0.0};
    const double east[3] = {ll[0] + kHalfArcSecond, ll[1], 0.0};
    return Scale(constants, west, east, std::cos(ll[1] * kCsDegToRad) * c.r * kArcSecond, true);
}

double CS_teacylH(const CsProjectionConstants* constants, const double ll[3]) {
    const CsTeacylConstants& c = Teacyl(constants);
    const double south[3] = {ll[0], ll[1] - kHalfArcSecond, 0.0};
    const double north[3] = {ll[0], ll[1] + kHalfArcSecond, 0.0};
    return Scale(constants, south, north, c.r * kArcSecond, false);
}

double CS_teacylConvergence(const CsProjectionConstants* constants, const double ll[3]) {
    return CS_numericConvergence(CS_teacylForward, constants, ll);
}

int CS_teacylLlLimits(const CsProjectionConstants* constants, int count, const double points[][3]) {
    const CsTeacylConstants& c = Teacyl(constants);
    return CS_pointLimits(count, points, [&](const double ll[3]) {
        if (!(std::fabs(ll[1]) <= 90.0)) return true;
        // A quarter of the world each side of the central meridian, west as
        // well as east.
        double dl = CS_normLngRad(ll[0] * kCsDegToRad - c.centralMeridian);
        return !(std::fabs(dl) <= kCsHalfPi - kCsAngularTolerance);
    });
}

int CS_teacylXYLimits(const CsProjectionConstants* constants, int count, const double points[][3]) {
    const CsTeacylConstants& c = Teacyl(constants);
    return CS_pointLimits(count, points, [&](const double xy[3]) {
        double x, y;
        CS_removeFalseOrigin(c.origin, xy, &x, &y);
        return !(std::fabs(x) <= c.xBound && std::fabs(y) <= c.yBound);
    });
}
