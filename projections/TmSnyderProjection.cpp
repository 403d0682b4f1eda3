#include "projections/TmSnyderProjection.h"

#include <algorithm>
#include <cmath>

#include "coordsys/core/CsAngles.h"
#include "coordsys/core/CsCore.h"

namespace {

const CsTmSnyderConstants& Snyder(const CsProjectionConstants* constants) {
    return CS_constantsOf<CsTmSnyderConstants>(constants);
}

double MeridionalDistance(const CsTmSnyderConstants& c, double phi) {
    return c.a * (c.arc[0] * phi - c.arc[1] * std::sin(2.0 * phi) + c.arc[2] * std::sin(4.0 * phi) -
                  c.arc[3] * std::sin(6.0 * phi));
}

// The point (degrees) about the central meridian and origin latitude,
// before the false origin.
int Project(const CsTmSnyderConstants& c, double longitude, double latitude, double* x, double* y) {
    CsGeoPoint p = CS_forwardPrologue(longitude, latitude, c.centralMeridian);
    int status = p.status;
    const double phi = p.phi, sinPhi = p.sinPhi, cosPhi = p.cosPhi, tanPhi = p.tanPhi;
    double dl = p.dLambda;
    if (std::fabs(dl) > kCsMaxLatitude) {
        CS_raiseStatus(&status, 2);
        // On the equator 90 degrees out the projection is infinite.
        if (std::fabs(std::fabs(dl) - kCsHalfPi) <= kCsAngularTolerance &&
            std::fabs(cosPhi) > 0.9999999515) {
            dl = std::copysign(kCsMaxLatitude, dl);
        }
    }
    if (c.e == 0.0) {
        double b = cosPhi * std::sin(dl);
        *x = c.rkHalf * std::log((1.0 + b) / (1.0 - b));
        *y = c.rk * (std::atan2(tanPhi, std::cos(dl)) - c.originLatitude);
        return status;
    }
    const double ep2 = c.ePrimeSq;
    double t = tanPhi * tanPhi;
    double cc = ep2 * cosPhi * cosPhi;
    double a1 = dl * cosPhi;
    double a2 = a1 * a1;
    double n = c.a / std::sqrt(1.0 - c.eSq * sinPhi * sinPhi);
    *x = c.k * n *
         (a1 + (1.0 - t + cc) * a1 * a2 / 6.0 +
          (5.0 - 18.0 * t + t * t + 72.0 * cc - 58.0 * ep2) * a1 * a2 * a2 / 120.0);
    *y = c.k * (MeridionalDistance(c, phi) - c.m0 +
                n * tanPhi *
                    (a2 / 2.0 + (5.0 - t + 9.0 * cc + 4.0 * cc * cc) * a2 * a2 / 24.0 +
                     (61.0 - 58.0 * t + t * t + 600.0 * cc - 330.0 * ep2) * a2 * a2 * a2 / 720.0));
    return status;
}

int Unproject(const CsTmSnyderConstants& c, double x, double y, double* dLambda, double* latitude) {
    int status = 0;
    if (std::fabs(x) > c.largestEasting) {
        status = 2;
        x = std::copysign(c.largestEasting, x);
    }
    double dl, phi;
    if (c.e == 0.0) {
        double d = y / c.rk + c.originLatitude;
        phi = std::asin(std::sin(d) / std::cosh(x / c.rk));
        if (std::fabs(std::cos(d)) <= kCsAngularTolerance) {
            dl = 0.0;
            CS_raiseStatus(&status, 1);
        } else {
            dl = std::atan2(std::sinh(x / c.rk), std::cos(d));
        }
    } else {
        double m = c.m0 + y / c.k;
        double mu = m / (c.a * c.arc[0]);
        double phi1 = mu + c.footpoint[0] * std::sin(2.0 * mu) +
                      c.footpoint[1] * std::sin(4.0 * mu) + c.footpoint[2] * std::sin(6.0 * mu) +
                      c.footpoint[3] * std::sin(8.0 * mu);
        double cos1 = std::cos(phi1);
        if (std::fabs(cos1) < kCsAngularTolerance) {
            dl = 0.0;
            phi = std::copysign(kCsHalfPi, phi1);
            CS_raiseStatus(&status, 1);
        } else {
            const double ep2 = c.ePrimeSq;
            double sin1 = std::sin(phi1);
            double tan1 = sin1 / cos1;
            double t1 = tan1 * tan1;
            double c1 = ep2 * cos1 * cos1;
            double w = 1.0 - c.eSq * sin1 * sin1;
            double n1 = c.a / std::sqrt(w);
            double r1 = c.a * (1.0 - c.eSq) / (w * std::sqrt(w));
            double d = x / (n1 * c.k);
            double d2 = d * d;
            phi = phi1 -
                  (n1 * tan1 / r1) *
                      (d2 / 2.0 -
                       (5.0 + 3.0 * t1 + 10.0 * c1 - 4.0 * c1 * c1 - 9.0 * ep2) * d2 * d2 / 24.0 +
                       (61.0 + 90.0 * t1 + 298.0 * c1 + 45.0 * t1 * t1 - 252.0 * ep2 -
                        3.0 * c1 * c1) *
                           d2 * d2 * d2 / 720.0);
            dl = (d - (1.0 + 2.0 * t1 + c1) * d * d2 / 6.0 +
                  (5.0 - 2.0 * c1 + 28.0 * t1 - 3.0 * c1 * c1 + 8.0 * ep2 + 24.0 * t1 * t1) * d *
                      d2 * d2 / 120.0) /
                 cos1;
        }
    }
    if (std::fabs(dl) > kCsPi) {
        status = 2;
        dl = CS_normLngRad(dl);
    }
    *dLambda = dl;
    *latitude = phi;
    return status;
}

void SetUsefulRange(CsParams* params, const CsTmSnyderConstants& c, double centralMeridian,
                    double originLatitude) {
    if (!CS_geoRangeFromDefinition(params, centralMeridian)) {
        double halfWidth = 2.0 * std::acos(std::min(c.k0, 1.0)) * kCsRadToDeg + 3.0;
        CS_setGeoRange(params, -halfWidth, -84.0, halfWidth, 84.0);
    }
    const CsCoordSysDef& def = params->csDef;
    if (def.minX == 0.0 && def.maxX == 0.0) {
        double x, y, yMin, yMax;
        Project(c, centralMeridian + params->maxLongitude, originLatitude, &x, &y);
        Project(c, centralMeridian, -84.0, &y, &yMin);
        Project(c, centralMeridian, 84.0, &y, &yMax);
        CS_setXyRange(params, -x, yMin, x, yMax, c.origin);
    } else {
        CS_setXyRange(params, def.minX, def.minY, def.maxX, def.maxY);
    }
}

constexpr CsSlots kTmSnyderSlots{
    .forward = CS_tmSnyderForward,
    .inverse = CS_tmSnyderInverse,
    .gridScale = CS_tmSnyderScale,
    .parallelScale = CS_tmSnyderScale,
    .meridianScale = CS_tmSnyderScale,
    .convergence = CS_tmSnyderConvergence,
    .checkGeographic = CS_tmSnyderGeoLimits,
    .checkCartesian = CS_tmSnyderXYLimits,
};

}  // namespace

int CS_tmSnyderCheck(const CsCoordSysDef* def, std::uint16_t code, int errors[], int capacity) {
    CsCheckErrors out(errors, capacity);
    const double* p = def->parameters;
    if (code == kCsProjUtm) {
        out.Require(p[0] >= 1.0 && p[0] <= 60.0, kCsErrUtmZone);
        out.Require(p[1] >= -1.0 && p[1] <= 1.0, kCsErrHemisphere);
        return out.Count();
    }
    out.Require(p[0] > -180.0 && p[0] <= 180.0, kCsErrOriginLongitude);
    out.Require(def->originLatitude >= -90.0 && def->originLatitude <= 90.0, kCsErrOriginLatitude);
    out.Require(
        def->scaleReduction >= kCsMinScaleReduction && def->scaleReduction <= kCsMaxScaleReduction,
        kCsErrScaleReduction);
    return out.Count();
}

void CS_tmSnyderSetup(CsParams* params) {
    CsTmSnyderConstants& c = CS_newConstants<CsTmSnyderConstants>(params);
    const CsCoordSysDef& def = params->csDef;
    c.centralMeridian = def.parameters[0] * kCsDegToRad;
    c.originLatitude = def.originLatitude * kCsDegToRad;
    c.k0 = def.scaleReduction;
    c.k = def.scale * c.k0;
    c.origin = CS_falseOrigin(def);
    c.e = params->datum.eccentricity;
    c.eSq = c.e * c.e;
    c.a = params->datum.equatorialRadius;
    c.rk = c.a * c.k;
    c.rkHalf = c.rk / 2.0;
    if (c.e != 0.0) {
        const double e2 = c.eSq, e4 = e2 * e2, e6 = e4 * e2;
        c.ePrimeSq = e2 / (1.0 - e2);
        c.arc[0] = 1.0 - e2 / 4.0 - 3.0 * e4 / 64.0 - 5.0 * e6 / 256.0;
        c.arc[1] = 3.0 * e2 / 8.0 + 3.0 * e4 / 32.0 + 45.0 * e6 / 1024.0;
        c.arc[2] = 15.0 * e4 / 256.0 + 45.0 * e6 / 1024.0;
        c.arc[3] = 35.0 * e6 / 3072.0;
        c.m0 = MeridionalDistance(c, c.originLatitude);
        const double root = std::sqrt(1.0 - e2);
        const double e1 = (1.0 - root) / (1.0 + root);
        const double e1Sq = e1 * e1;
        c.e1 = e1;
        c.footpoint[0] = 3.0 * e1 / 2.0 - 27.0 * e1 * e1Sq / 32.0;
        c.footpoint[1] = 21.0 * e1Sq / 16.0 - 55.0 * e1Sq * e1Sq / 32.0;
        c.footpoint[2] = 151.0 * e1 * e1Sq / 96.0;
        c.footpoint[3] = 1097.0 * e1Sq * e1Sq / 512.0;
    }
    double x, y;
    Project(c, CS_normLngRad(c.centralMeridian + kCsMaxLatitude) * kCsRadToDeg, 0.0, &x, &y);
    c.largestEasting = std::fabs(x);
    params->rangeCentralMeridian = def.parameters[0];
    SetUsefulRange(params, c, def.parameters[0], def.originLatitude);
    CS_installSlots(params, kTmSnyderSlots);
}

int CS_tmSnyderForward(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsTmSnyderConstants& c = Snyder(constants);
    double x, y;
    int status = Project(c, in[0], in[1], &x, &y);
    CS_forwardEpilogue(out, in, x, y, c.origin);
    return status;
}

int CS_tmSnyderInverse(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsTmSnyderConstants& c = Snyder(constants);
    double x, y, dl, phi;
    CS_removeFalseOrigin(c.origin, in, &x, &y);
    int status = Unproject(c, x, y, &dl, &phi);
    CS_inverseEpilogue(out, in, dl, phi, c.centralMeridian);
    return status;
}

double CS_tmSnyderScale(const CsProjectionConstants* constants, const double ll[3]) {
    const CsTmSnyderConstants& c = Snyder(constants);
    double phi = ll[1] * kCsDegToRad;
    bool pole = std::fabs(phi) > kCsMaxLatitude;
    double cosPhi = pole ? 0.0 : std::cos(phi);
    double dl = CS_normLngRad(ll[0] * kCsDegToRad - c.centralMeridian);
    if (c.e == 0.0) {
        double b = std::sin(dl) * cosPhi;
        double q = 1.0 - b * b;
        // On the equator 90 degrees out the scale is infinite.
        if (!(q > 0.0)) return kCsInfiniteScale;
        return c.k0 / std::sqrt(q);
    }
    double a2 = dl * dl * cosPhi * cosPhi;
    double t = pole ? kCsPoleTangent : std::tan(phi) * std::tan(phi);
    double cc = c.ePrimeSq * cosPhi * cosPhi;
    return c.k0 *
           (1.0 + (1.0 + cc) * a2 / 2.0 +
            (5.0 - 4.0 * t + 42.0 * cc + 13.0 * cc * cc - 28.0 * c.ePrimeSq) * a2 * a2 / 24.0 +
            (61.0 - 148.0 * t + 16.0 * t * t) * a2 * a2 * a2 / 720.0);
}

double CS_tmSnyderConvergence(const CsProjectionConstants* constants, const double ll[3]) {
    const CsTmSnyderConstants& c = Snyder(constants);
    double dl = CS_normLngRad(ll[0] * kCsDegToRad - c.centralMeridian);
    dl = std::clamp(dl, -kCsMaxLatitude, kCsMaxLatitude);
    double phi = ll[1] * kCsDegToRad;
    bool pole = std::fabs(phi) > kCsMaxLatitude;
    double tanPhi = pole ? std::copysign(kCsPoleTangent, phi) : std::tan(phi);
    double cosPhi = pole ? 0.0 : std::cos(phi);
    double a1 = dl * cosPhi;
    double a2 = a1 * a1;
    double cc = c.ePrimeSq * cosPhi * cosPhi;
    double t2 = tanPhi * tanPhi;
    double gamma =
        a1 * tanPhi *
        (1.0 + a2 * (1.0 + 3.0 * cc + 2.0 * cc * cc) / 3.0 + a2 * a2 * (2.0 - t2) / 15.0);
    return gamma * kCsRadToDeg;
}

int CS_tmSnyderGeoLimits(const CsProjectionConstants* constants, int count,
                         const double points[][3]) {
    const CsTmSnyderConstants& c = Snyder(constants);
    return CS_regionLimits(
        count, points,
        [&](const double ll[3]) {
            double phi = ll[1] * kCsDegToRad;
            if (!(std::fabs(phi) <= kCsHalfPi)) return true;
            double dl = CS_normLngRad(ll[0] * kCsDegToRad - c.centralMeridian);
            return std::fabs(phi) < kCsAngularTolerance &&
                   std::fabs(std::fabs(dl) - kCsHalfPi) <= kCsAngularTolerance;
        },
        [&](const double ll[3]) {
            double dl = CS_normLngRad(ll[0] * kCsDegToRad - c.centralMeridian);
            return std::fabs(dl) > kCsMaxLatitude;
        });
}

int CS_tmSnyderXYLimits(const CsProjectionConstants* constants, int count,
                        const double points[][3]) {
    const CsTmSnyderConstants& c = Snyder(constants);
    return CS_pointLimits(count, points, [&](const double xy[3]) {
        double x, y;
        CS_removeFalseOrigin(c.origin, xy, &x, &y);
        return std::fabs(x) > c.largestEasting;
    });
}
