#include "projections/PlycnProjection.h"

#include <algorithm>
#include <cmath>

#include "coordsys/core/CsAngles.h"
#include "coordsys/core/CsCore.h"

namespace {

const CsPlycnConstants& Plycn(const CsProjectionConstants* constants) {
    return CS_constantsOf<CsPlycnConstants>(constants);
}

// Newton's rounds of the inverse latitude.
constexpr int kNewtonRounds = 11;

double ArcOf(const CsPlycnConstants& c, double phi) {
    return CS_meridionalArc(&c.arc, phi, std::sin(phi), std::cos(phi));
}

// The point (degrees) about the origin, before the false origin.
int Project(const CsPlycnConstants& c, double longitude, double latitude, double* x, double* y) {
    int status = 0;
    const double phi = CS_forwardLatitude(latitude, &status);
    double dl = CS_longitudeDifference(longitude, c.lambda0, &status, kCsLongitudeTowardCentre);
    // Longitudes a quarter turn or more from the central meridian are not
    // projected: they go to its edge on their own side.
    if (std::fabs(dl) >= kCsHalfPi) {
        CS_raiseStatus(&status, 2);
        dl = std::copysign(kCsMaxLatitude, dl);
    }
    if (std::fabs(phi) <= kCsAngularTolerance) {
        *x = c.ka * dl;
        *y = c.minusM0;
        return status;
    }
    const double sinPhi = std::sin(phi), cosPhi = std::cos(phi);
    const double cotPhi = cosPhi / sinPhi;
    const double e = dl * sinPhi;
    if (c.e == 0.0) {
        *x = c.ka * cotPhi * std::sin(e);
        *y = c.ka * (phi - c.phi0 + cotPhi * (1.0 - std::cos(e)));
    } else {
        const double n = c.ka / std::sqrt(1.0 - c.eSq * sinPhi * sinPhi);
        *x = n * cotPhi * std::sin(e);
        *y =
            CS_meridionalArc(&c.arc, phi, sinPhi, cosPhi) - c.m0 + n * cotPhi * (1.0 - std::cos(e));
    }
    return status;
}

void SetUsefulRange(CsParams* params, const CsPlycnConstants& c, double centralMeridian,
                    double phi0) {
    params->rangeCentralMeridian = centralMeridian;
    if (!CS_geoRangeFromDefinition(params, centralMeridian)) {
        if (phi0 >= 0.0) {
            CS_setGeoRange(params, -10.0, phi0, 10.0, phi0 + 10.0);
        } else {
            CS_setGeoRange(params, -10.0, phi0 - 10.0, 10.0, phi0);
        }
    }
    if (!CS_xyRangeFromDefinition(params)) {
        const double nearer = std::fabs(params->minLatitude) < std::fabs(params->maxLatitude)
                                  ? params->minLatitude
                                  : params->maxLatitude;
        double minX, minY, maxY, unused;
        Project(c, centralMeridian + params->minLongitude, nearer, &minX, &unused);
        Project(c, centralMeridian, params->minLatitude, &unused, &minY);
        Project(c, centralMeridian, params->maxLatitude, &unused, &maxY);
        CS_setXyRange(params, minX, minY, -minX, maxY, c.origin);
    }
}

constexpr CsSlots kPlycnSlots{
    .forward = CS_plycnForward,
    .inverse = CS_plycnInverse,
    .gridScale = CS_plycnScaleH,
    .parallelScale = CS_constantOne,
    .meridianScale = CS_plycnScaleH,
    .convergence = CS_plycnConvergence,
    .checkGeographic = CS_plycnGeoLimits,
    .checkCartesian = CS_plycnXYLimits,
};

}  // namespace

void CS_plycnSetup(CsParams* params) {
    CsPlycnConstants& c = CS_newConstants<CsPlycnConstants>(params);
    const CsCoordSysDef& def = params->csDef;
    c.lambda0 = def.parameters[0] * kCsDegToRad;
    c.phi0 = def.originLatitude * kCsDegToRad;
    c.origin = CS_falseOrigin(def);
    c.e = params->datum.eccentricity;
    c.eSq = c.e * c.e;
    c.a = params->datum.equatorialRadius;
    c.aSq = c.a * c.a;
    c.oneMinusESq = 1.0 - c.eSq;
    c.k = def.scale;
    c.ka = c.k * c.a;
    c.kaHalf = c.ka / 2.0;
    c.kaSq = c.ka * c.ka;
    c.equatorTolerance = c.ka * kCsAngularTolerance;
    if (c.e == 0.0) {
        c.m0 = c.ka * c.phi0;
        c.mp = c.ka * kCsHalfPi;
    } else {
        CS_meridionalArcSetup(&c.arc, c.ka, c.eSq);
        CS_cos2PolySetup(&c.arcDeriv, c.eSq);
        c.m0 = ArcOf(c, c.phi0);
        c.mp = CS_meridionalArc(&c.arc, kCsHalfPi, 1.0, 0.0);
    }
    c.minusM0 = -c.m0;
    c.mpSq = c.mp * c.mp;
    SetUsefulRange(params, c, def.parameters[0], def.originLatitude);
    CS_installSlots(params, kPlycnSlots);
}

int CS_plycnForward(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsPlycnConstants& c = Plycn(constants);
    double x, y;
    int status = Project(c, in[0], in[1], &x, &y);
    CS_forwardEpilogue(out, in, x, y, c.origin);
    return status;
}

int CS_plycnInverse(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsPlycnConstants& c = Plycn(constants);
    double x, y;
    CS_removeFalseOrigin(c.origin, in, &x, &y);
    int status = 0;
    double bigY = y + c.m0;
    const double radiusSq = x * x + bigY * bigY;
    if (radiusSq > c.mpSq) {
        const double onto = c.mp / std::sqrt(radiusSq);
        x *= onto;
        bigY *= onto;
        status = 2;
    }

    double phi, dl;
    if (std::fabs(bigY) < c.equatorTolerance) {
        phi = 0.0;
        dl = x / c.ka;
    } else {
        const double a = bigY / c.ka;
        const double b = a * a + x * x / c.kaSq;
        phi = a;
        bool settled = false;
        for (int round = 0; round < kNewtonRounds && !settled; ++round) {
            double step;
            if (c.e == 0.0) {
                const double tanPhi = std::tan(phi);
                step = (a * (phi * tanPhi + 1.0) - phi - 0.5 * (phi * phi + b) * tanPhi) /
                       ((phi - a) / tanPhi - 1.0);
            } else {
                const double sinPhi = std::sin(phi), sin2Phi = std::sin(2.0 * phi);
                const double cc = std::sqrt(1.0 - c.eSq * sinPhi * sinPhi) * std::tan(phi);
                const double ma = ArcOf(c, phi) / c.ka;
                const double mPrime = CS_cos2Poly(&c.arcDeriv, phi);
                step = (a * (cc * ma + 1.0) - ma - 0.5 * (ma * ma + b) * cc) /
                       (c.eSq * sin2Phi * (ma * ma + b - 2.0 * a * ma) / (4.0 * cc) +
                        (a - ma) * (cc * mPrime - 2.0 / sin2Phi) - mPrime);
            }
            phi -= step;
            settled = std::fabs(step) <= kCsAngularTolerance;
        }
        if (!settled) {
            phi = a;
            status = 2;
        }
        if (std::fabs(phi) >= kCsMaxLatitude) {
            dl = 0.0;
            CS_raiseStatus(&status, 1);
        } else {
            const double sinPhi = std::sin(phi);
            const double factor = c.e == 0.0
                                      ? std::tan(phi)
                                      : std::sqrt(1.0 - c.eSq * sinPhi * sinPhi) * std::tan(phi);
            dl = std::asin(std::clamp(x * factor / c.ka, -1.0, 1.0)) / sinPhi;
        }
    }
    if (std::fabs(dl) >= kCsPi) {
        status = 2;
        dl = CS_normLngRad(dl);
    }
    CS_inverseEpilogue(out, in, dl, phi, c.lambda0);
    return status;
}

double CS_plycnScaleH(const CsProjectionConstants* constants, const double ll[3]) {
    const CsPlycnConstants& c = Plycn(constants);
    const double phi = ll[1] * kCsDegToRad;
    if (std::fabs(phi) > kCsMaxLatitude) return 1.0;
    const double dl = CS_normLngRad(ll[0] * kCsDegToRad - c.lambda0);
    if (std::fabs(phi) <= kCsAngularTolerance) {
        if (c.e == 0.0) return 1.0 + dl * dl / 2.0;
        return (dl * dl / 2.0 + CS_cos2Poly(&c.arcDeriv, 0.0)) / c.oneMinusESq;
    }
    const double sinPhi = std::sin(phi), cosPhi = std::cos(phi);
    const double e = dl * sinPhi;
    const double secSq = 1.0 / (cosPhi * cosPhi);
    const double sinSq = sinPhi * sinPhi;
    const double halfE = std::sin(e / 2.0);
    if (c.e == 0.0) {
        const double d = std::atan((e - std::sin(e)) / (secSq - std::cos(e)));
        // 1 - cos^2 phi cos E, written so that it keeps its digits near the
        // equator.
        const double top = sinSq + 2.0 * cosPhi * cosPhi * halfE * halfE;
        return top / (sinSq * std::cos(d));
    }
    const double d =
        std::atan((e - std::sin(e)) / (secSq - std::cos(e) - c.eSq * sinSq / c.oneMinusESq));
    const double tanPhi = sinPhi / cosPhi;
    return (c.oneMinusESq + 2.0 * (1.0 - c.eSq * sinSq) * halfE * halfE / (tanPhi * tanPhi)) /
           (c.oneMinusESq * std::cos(d));
}

double CS_plycnConvergence(const CsProjectionConstants* constants, const double ll[3]) {
    return CS_numericConvergence(CS_plycnForward, constants, ll);
}

int CS_plycnGeoLimits(const CsProjectionConstants* constants, int count, const double points[][3]) {
    const CsPlycnConstants& c = Plycn(constants);
    return CS_pointLimits(count, points, [&](const double ll[3]) {
        return !(std::fabs(ll[0] * kCsDegToRad - c.lambda0) <= kCsHalfPi &&
                 std::fabs(ll[1] * kCsDegToRad) <= kCsHalfPi);
    });
}

int CS_plycnXYLimits(const CsProjectionConstants* constants, int count, const double points[][3]) {
    const CsPlycnConstants& c = Plycn(constants);
    return CS_pointLimits(count, points, [&](const double xy[3]) {
        double x, y;
        CS_removeFalseOrigin(c.origin, xy, &x, &y);
        const double bigY = y + c.m0;
        return !(x * x + bigY * bigY <= c.mpSq);
    });
}
