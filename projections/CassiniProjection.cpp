#include "projections/CassiniProjection.h"

#include <cmath>

#include "coordsys/core/CsAngles.h"
#include "coordsys/core/CsCore.h"

namespace {

const CsCassiniConstants& Cassini(const CsProjectionConstants* constants) {
    return CS_constantsOf<CsCassiniConstants>(constants);
}

// Series terms of the longitude difference.
constexpr double kSixth = 0.16666666666666666;
constexpr double k120th = 0.008333333333333333;
constexpr double k24th = 0.041666666666666664;
constexpr double kThird = 0.3333333333333333;
constexpr double k15th = 0.06666666666666667;

double ArcOf(const CsCassiniConstants& c, double phi) {
    return CS_meridionalArc(&c.arc, phi, std::sin(phi), std::cos(phi));
}

// x less the fifth-order term: the meridian scale's and the forward's x.
double EllipsoidX(double a, double t, double cc, double n) {
    const double a3 = a * a * a, a5 = a3 * a * a;
    return n * (a - t * a3 * kSixth - (8.0 - t + 8.0 * cc) * t * a5 * k120th);
}

// The point (degrees) about the origin, before the false origin.
int Project(const CsCassiniConstants& c, double longitude, double latitude, double* x, double* y) {
    CsGeoPoint p = CS_forwardPrologue(longitude, latitude, c.lambda0, kCsLongitudeWrapped);
    double dl = p.dLambda;
    if (std::fabs(dl) > kCsMaxLatitude) {
        CS_raiseStatus(&p.status, 2);
        dl = dl >= 0.0 ? kCsMaxLatitude : -kCsMaxLatitude;
    }
    if (c.e == 0.0) {
        *x = c.r * std::asin(std::sin(dl) * p.cosPhi);
        *y = c.r * (std::atan2(p.tanPhi / std::cos(dl), 1.0) - c.phi0);
    } else {
        const double a = dl * p.cosPhi;
        const double t = p.tanPhi * p.tanPhi;
        const double cc = c.ePrimeSq * p.cosPhi * p.cosPhi;
        const double n = c.r / std::sqrt(1.0 - c.eSq * p.sinPhi * p.sinPhi);
        const double m = CS_meridionalArc(&c.arc, p.phi, p.sinPhi, p.cosPhi);
        const double a2 = a * a;
        *x = EllipsoidX(a, t, cc, n);
        *y = m - c.m0 + n * p.tanPhi * (a2 / 2.0 + (5.0 - t + 6.0 * cc) * a2 * a2 * k24th);
    }
    return p.status;
}

void SetUsefulRange(CsParams* params, const CsCassiniConstants& c, double centralMeridian) {
    params->rangeCentralMeridian = centralMeridian;
    if (!CS_geoRangeFromDefinition(params, centralMeridian)) {
        CS_setGeoRange(params, -5.0, -75.0, 5.0, 75.0);
    }
    if (!CS_xyRangeFromDefinition(params)) {
        const double phi0 = c.phi0 * kCsRadToDeg;
        double minX, unused, minY, maxY;
        Project(c, CS_normDeg180(centralMeridian + params->minLongitude), phi0, &minX, &unused);
        Project(c, centralMeridian, 75.0, &unused, &maxY);
        Project(c, centralMeridian, -75.0, &unused, &minY);
        CS_setXyRange(params, minX, minY, -minX, maxY, c.origin);
    }
}

constexpr CsSlots kCassiniSlots{
    .forward = CS_cassiniForward,
    .inverse = CS_cassiniInverse,
    .gridScale = CS_cassiniH,
    .parallelScale = CS_constantOne,
    .meridianScale = CS_cassiniH,
    .convergence = CS_cassiniConvergence,
    .checkGeographic = CS_cassiniLatLongLimits,
    .checkCartesian = CS_cassiniXYLimits,
};

}  // namespace

int CS_cassiniCheck(const CsCoordSysDef* def, std::uint16_t /*code*/, int errors[], int capacity) {
    CsCheckErrors out(errors, capacity);
    out.Require(def->parameters[0] > -180.0 && def->parameters[0] <= 180.0, kCsErrOriginLongitude);
    out.Require(def->originLatitude >= -90.0 && def->originLatitude <= 90.0, kCsErrOriginLatitude);
    return out.Count();
}

void CS_cassiniSetup(CsParams* params) {
    CsCassiniConstants& c = CS_newConstants<CsCassiniConstants>(params);
    const CsCoordSysDef& def = params->csDef;
    c.lambda0 = def.parameters[0] * kCsDegToRad;
    c.phi0 = def.originLatitude * kCsDegToRad;
    c.scale = def.scale;
    c.origin = CS_falseOrigin(def);
    c.e = params->datum.eccentricity;
    c.eSq = c.e * c.e;
    c.a = params->datum.equatorialRadius;
    c.r = c.a * c.scale;
    c.maxX = kCsHalfPi * c.r;
    if (c.e == 0.0) {
        c.minY = (-kCsHalfPi - c.phi0) * c.r;
        c.maxY = (kCsHalfPi - c.phi0) * c.r;
    } else {
        c.ePrimeSq = c.eSq / (1.0 - c.eSq);
        c.rOneMinusESq = c.r * (1.0 - c.eSq);
        c.twoRSqOneMinusESq = 2.0 * c.r * c.r * (1.0 - c.eSq);
        CS_meridionalArcSetup(&c.arc, c.r, c.eSq);
        CS_inverseMeridionalArcSetup(&c.inverseArc, c.r, c.eSq);
        c.m0 = ArcOf(c, c.phi0);
        c.minY = CS_meridionalArc(&c.arc, -kCsHalfPi, -1.0, 0.0) - c.m0;
        c.maxY = CS_meridionalArc(&c.arc, kCsHalfPi, 1.0, 0.0) - c.m0;
    }
    SetUsefulRange(params, c, def.parameters[0]);
    CS_installSlots(params, kCassiniSlots);
}

int CS_cassiniForward(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsCassiniConstants& c = Cassini(constants);
    double x, y;
    int status = Project(c, in[0], in[1], &x, &y);
    CS_forwardEpilogue(out, in, x, y, c.origin);
    return status;
}

int CS_cassiniInverse(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsCassiniConstants& c = Cassini(constants);
    double x, y;
    CS_removeFalseOrigin(c.origin, in, &x, &y);
    int status = 0;
    if (std::fabs(x) > c.maxX) {
        status = 2;
        x = std::copysign(c.maxX, x);
    }
    if (!(y >= c.minY && y <= c.maxY)) status = 2;

    double phi, dl;
    if (c.e == 0.0) {
        const double d = y / c.r + c.phi0;
        const double xr = x / c.r;
        phi = std::asin(std::sin(d) * std::cos(xr));
        if (std::fabs(xr) <= kCsAngularTolerance) {
            dl = 0.0;
            CS_raiseStatus(&status, 1);
        } else {
            dl = std::atan2(std::tan(xr), std::cos(d));
        }
    } else {
        const double phi1 = CS_latitudeFromArc(&c.inverseArc, c.m0 + y);
        const double sin1 = std::sin(phi1), cos1 = std::cos(phi1);
        const bool pole = std::fabs(cos1) <= kCsAngularTolerance;
        const double tan1 = pole ? std::copysign(kCsPoleTangent, phi1) : sin1 / cos1;
        const double t1 = pole ? kCsPoleTangent : tan1 * tan1;
        const double w = 1.0 - c.eSq * sin1 * sin1;
        const double n1 = c.r / std::sqrt(w);
        const double r1 = c.rOneMinusESq / (w * std::sqrt(w));
        const double d = x / n1, d2 = d * d;
        phi = phi1 - (n1 * tan1 / r1) * (d2 / 2.0 - (1.0 + 3.0 * t1) * d2 * d2 * k24th);
        if (pole) {
            dl = 0.0;
            CS_raiseStatus(&status, 1);
        } else {
            dl = (d - t1 * d2 * d * kThird + (1.0 + 3.0 * t1) * t1 * d2 * d2 * d * k15th) / cos1;
        }
    }
    if (std::fabs(dl) > kCsPi) {
        dl = CS_normLngRad(dl);
        status = 2;
    }
    if (std::fabs(phi) > kCsHalfPi) {
        phi = CS_normLatRad(phi);
        status = 2;
    }
    CS_inverseEpilogue(out, in, dl, phi, c.lambda0);
    return status;
}

double CS_cassiniH(const CsProjectionConstants* constants, const double ll[3]) {
    const CsCassiniConstants& c = Cassini(constants);
    const double dl = CS_normLngRad(ll[0] * kCsDegToRad - c.lambda0);
    const double phi = ll[1] * kCsDegToRad;
    const double sinPhi = std::sin(phi), cosPhi = std::cos(phi);
    if (c.e == 0.0) {
        const double cs = cosPhi * std::sin(dl);
        const double rest = 1.0 - cs * cs;
        return rest <= kCsAngularTolerance ? kCsInfiniteScale : 1.0 / std::sqrt(rest);
    }
    const double a = dl * cosPhi;
    const double t = std::fabs(cosPhi) <= kCsAngularTolerance
                         ? kCsPoleTangent
                         : (sinPhi / cosPhi) * (sinPhi / cosPhi);
    const double cc = c.ePrimeSq * cosPhi * cosPhi;
    const double w = 1.0 - c.eSq * sinPhi * sinPhi;
    const double n = c.r / std::sqrt(w);
    const double xw = EllipsoidX(a, t, cc, n) * w;
    return 1.0 + xw * xw / c.twoRSqOneMinusESq;
}

double CS_cassiniConvergence(const CsProjectionConstants* constants, const double ll[3]) {
    return CS_numericConvergence(CS_cassiniForward, constants, ll);
}

int CS_cassiniLatLongLimits(const CsProjectionConstants* constants, int count,
                            const double points[][3]) {
    const CsCassiniConstants& c = Cassini(constants);
    return CS_pointLimits(count, points, [&](const double ll[3]) {
        const double dl = CS_normLngRad(ll[0] * kCsDegToRad - c.lambda0);
        return !(std::fabs(ll[1] * kCsDegToRad) <= kCsHalfPi && std::fabs(dl) <= kCsMaxLatitude);
    });
}

int CS_cassiniXYLimits(const CsProjectionConstants* constants, int count,
                       const double points[][3]) {
    const CsCassiniConstants& c = Cassini(constants);
    return CS_pointLimits(count, points, [&](const double xy[3]) {
        double x, y;
        CS_removeFalseOrigin(c.origin, xy, &x, &y);
        return !(std::fabs(x) <= c.maxX && std::fabs(y) <= c.maxY);
    });
}
