#include "projections/AzmeaProjection.h"

#include <algorithm>
#include <cmath>

#include "coordsys/core/CsAngles.h"
#include "coordsys/core/CsCore.h"
#include "projections/GeodeticDistance.h"

namespace {

const CsAzmeaConstants& Azmea(const CsProjectionConstants* constants) {
    return CS_constantsOf<CsAzmeaConstants>(constants);
}

constexpr CsSlots kAzmeaSlots{
    .forward = CS_azmeaForward,
    .inverse = CS_azmeaInverse,
    .gridScale = CS_azmeaScale,
    .parallelScale = CS_azmeaScale,
    .meridianScale = CS_azmeaScaleH,
    .convergence = CS_azmeaConvergence,
    .checkGeographic = CS_azmeaGeoLimits,
    .checkCartesian = CS_azmeaXYLimits,
};

constexpr std::uint16_t kNorthPolar = 1;
constexpr std::uint16_t kSouthPolar = 2;
constexpr std::uint16_t kEquatorial = 3;
constexpr std::uint16_t kOblique = 4;
constexpr CsLongitudeRule kLongitudeRule{.wrap = CS_normLngRad};

bool Polar(const CsAzmeaConstants& c) {
    return c.aspect == kNorthPolar || c.aspect == kSouthPolar;
}

// q of the authalic latitude for sin phi.
double Q(double e, double eSq, double sinPhi) {
    double eSin = e * sinPhi;
    return (1.0 - eSq) * (sinPhi / (1.0 - eSin * eSin) -
                          (1.0 / (2.0 * e)) * std::log((1.0 - eSin) / (1.0 + eSin)));
}

// Whether a limits check counts the status as outside: the centre pole of a
// polar aspect is singular for the routines only.
bool Outside(const CsAzmeaConstants& c, int status, double latitude) {
    if (status == 0) return false;
    if (status == 1 && Polar(c)) return (c.aspect == kNorthPolar) != (latitude > 0.0);
    return true;
}

}  // namespace

int CS_azmeaCheck(const CsCoordSysDef* def, std::uint16_t, int errors[], int capacity) {
    CsCheckErrors out(errors, capacity);
    out.Require(def->originLongitude > -180.0 && def->originLongitude <= 180.0,
                kCsErrOriginLongitude);
    out.Require(def->originLatitude >= -90.0 && def->originLatitude <= 90.0, kCsErrOriginLatitude);
    out.Require(def->parameters[0] > -180.0 && def->parameters[0] < 180.0,
                kCsErrGreatCircleAzimuth);
    return out.Count();
}

void CS_azmeaSetup(CsParams* params) {
    CsAzmeaConstants& c = CS_newConstants<CsAzmeaConstants>(params);
    const CsCoordSysDef& def = params->csDef;
    const double a = params->datum.equatorialRadius;
    c.lambda0 = def.originLongitude * kCsDegToRad;
    c.phi0 = def.originLatitude * kCsDegToRad;
    c.k = def.scale;
    c.origin = CS_falseOrigin(def);
    c.azimuth = def.parameters[0] * kCsDegToRad;
    c.ka = c.k * a;
    c.tolerance = (a == 1.0 || a == 3.0) ? 2e-10 : 0.001 * def.scale;
    c.e = params->datum.eccentricity;
    c.eSq = c.e * c.e;
    c.oneMinusESq = 1.0 - c.eSq;
    c.largestDistance = 2.0 * c.ka;
    c.cosPhi0 = std::cos(c.phi0);
    c.sinPhi0 = std::sin(c.phi0);
    if (std::fabs(c.cosPhi0) < kCsAngularTolerance) {
        c.aspect = c.sinPhi0 >= 0.0 ? kNorthPolar : kSouthPolar;
        c.cosPhi0 = 0.0;
        c.sinPhi0 = c.aspect == kNorthPolar ? 1.0 : -1.0;
    } else if (std::fabs(c.sinPhi0) < kCsAngularTolerance) {
        c.aspect = kEquatorial;
        c.cosPhi0 = 1.0;
        c.sinPhi0 = 0.0;
    } else {
        c.aspect = kOblique;
    }
    bool straight = std::fabs(c.azimuth) < kCsAngularTolerance;
    c.cosAzimuth = straight ? 1.0 : std::cos(c.azimuth);
    c.sinAzimuth = straight ? 0.0 : std::sin(c.azimuth);
    if (c.e != 0.0) {
        c.halfOverE = 1.0 / (2.0 * c.e);
        double q1 = Q(c.e, c.eSq, c.sinPhi0);
        c.qp = Q(c.e, c.eSq, 1.0);
        c.beta1 = std::asin(std::clamp(q1 / c.qp, -1.0, 1.0));
        c.sinBeta1 = std::sin(c.beta1);
        c.cosBeta1 = std::cos(c.beta1);
        c.rq = c.ka * std::sqrt(c.qp / 2.0);
        c.d = Polar(c) ? 1.0
                       : (c.ka * c.cosPhi0 / std::sqrt(1.0 - c.eSq * c.sinPhi0 * c.sinPhi0)) /
                             (c.rq * c.cosBeta1);
        c.rqSqOverKa = c.rq * c.rq / c.ka;
        c.dCosBeta1 = c.d * c.cosBeta1;
        c.dSqSinBeta1 = c.d * c.d * c.sinBeta1;
        c.twoRq = 2.0 * c.rq;
        c.largestSquared = c.ka * c.ka * c.qp;
        c.twiceLargestSquared = 2.0 * c.largestSquared;
        CS_authalicSeriesSetup(&c.authalic, c.eSq);
    }
    params->rangeCentralMeridian = def.originLongitude;
    if (!CS_geoRangeFromDefinition(params, def.originLongitude)) {
        switch (c.aspect) {
            case kNorthPolar:
                params->rangeCentralMeridian = 0.0;
                CS_setGeoRange(params, -180.0, 75.0, 180.0, 90.0);
                break;
            case kSouthPolar:
                params->rangeCentralMeridian = 0.0;
                CS_setGeoRange(params, -180.0, -90.0, 180.0, -75.0);
                break;
            case kEquatorial:
                CS_setGeoRange(params, -90.0, -30.0, 90.0, 30.0);
                break;
            default:
                CS_setGeoRange(params, -30.0, std::max(def.originLatitude - 30.0, -90.0), 30.0,
                               std::min(def.originLatitude + 30.0, 90.0));
        }
    }
    if (!CS_xyRangeFromDefinition(params)) {
        CS_setXyRange(params, -c.ka, -c.ka, c.ka, c.ka, c.origin);
    }
    CS_installSlots(params, kAzmeaSlots);
}

int CS_azmeaForward(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsAzmeaConstants& c = Azmea(constants);
    int status = 0;
    double phi = CS_forwardLatitude(in[1], &status);
    double dl = CS_longitudeDifference(in[0], c.lambda0, &status, kLongitudeRule);
    if (dl <= -kCsPi) {
        CS_raiseStatus(&status, 2);
        dl = CS_normLngRad(dl);
    }
    const double sinPhi = std::sin(phi), cosPhi = std::cos(phi);
    const double sinDl = std::sin(dl), cosDl = std::cos(dl);
    double x, y;
    auto floored = [&](double d) {
        if (d < kCsAngularTolerance) {
            CS_raiseStatus(&status, 2);
            return kCsAngularTolerance;
        }
        return d;
    };
    if (c.e == 0.0) {
        if (c.aspect == kNorthPolar) {
            double rho = 2.0 * c.ka * std::sin(kCsPi / 4.0 - phi / 2.0);
            x = rho * sinDl;
            y = -rho * cosDl;
        } else if (c.aspect == kSouthPolar) {
            double rho = 2.0 * c.ka * std::cos(kCsPi / 4.0 - phi / 2.0);
            x = rho * sinDl;
            y = rho * cosDl;
        } else {
            double d = c.aspect == kEquatorial
                           ? 1.0 + cosPhi * cosDl
                           : 1.0 + c.sinPhi0 * sinPhi + c.cosPhi0 * cosPhi * cosDl;
            double kp = std::sqrt(2.0 / floored(d));
            x = c.ka * kp * cosPhi * sinDl;
            y = c.aspect == kEquatorial
                    ? c.ka * kp * sinPhi
                    : c.ka * kp * (c.cosPhi0 * sinPhi - c.sinPhi0 * cosPhi * cosDl);
        }
    } else {
        double q = Q(c.e, c.eSq, sinPhi);
        if (Polar(c)) {
            double rho =
                c.ka * std::sqrt(std::max(c.aspect == kNorthPolar ? c.qp - q : c.qp + q, 0.0));
            x = rho * sinDl;
            y = c.aspect == kNorthPolar ? -rho * cosDl : rho * cosDl;
        } else {
            double sinBeta = std::clamp(q / c.qp, -1.0, 1.0);
            double cosBeta = std::sqrt(1.0 - sinBeta * sinBeta);
            double b =
                c.rq *
                std::sqrt(2.0 / floored(1.0 + c.sinBeta1 * sinBeta + c.cosBeta1 * cosBeta * cosDl));
            x = b * c.d * cosBeta * sinDl;
            y = (b / c.d) * (c.cosBeta1 * sinBeta - c.sinBeta1 * cosBeta * cosDl);
        }
    }
    double turned = x * c.cosAzimuth - y * c.sinAzimuth;
    y = x * c.sinAzimuth + y * c.cosAzimuth;
    CS_forwardEpilogue(out, in, turned, y, c.origin);
    return status;
}

int CS_azmeaInverse(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsAzmeaConstants& c = Azmea(constants);
    double px, py;
    CS_removeFalseOrigin(c.origin, in, &px, &py);
    double x = px * c.cosAzimuth + py * c.sinAzimuth;
    double y = py * c.cosAzimuth - px * c.sinAzimuth;
    if (std::fabs(x) < c.tolerance && std::fabs(y) < c.tolerance) {
        CS_inverseEpilogue(out, in, 0.0, c.phi0, c.lambda0);
        return Polar(c) ? 1 : 0;
    }
    int status = 0;
    double dl, phi;
    if (c.e == 0.0) {
        double rho = std::hypot(x, y);
        if (rho > c.largestDistance) {
            status = 2;
            x *= c.largestDistance / rho;
            y *= c.largestDistance / rho;
            rho = c.largestDistance;
        }
        double cc = 2.0 * std::asin(std::min(rho / c.largestDistance, 1.0));
        double sinC = std::sin(cc), cosC = std::cos(cc);
        switch (c.aspect) {
            case kNorthPolar:
                dl = std::atan2(x, -y);
                phi = std::asin(cosC);
                break;
            case kSouthPolar:
                dl = std::atan2(x, y);
                phi = -std::asin(cosC);
                break;
            case kEquatorial:
                dl = std::atan2(x * sinC, rho * cosC);
                phi = std::asin(std::clamp(y * sinC / rho, -1.0, 1.0));
                break;
            default:
                dl = std::atan2(x * sinC, rho * c.cosPhi0 * cosC - y * c.sinPhi0 * sinC);
                phi =
                    std::asin(std::clamp(cosC * c.sinPhi0 + y * sinC * c.cosPhi0 / rho, -1.0, 1.0));
        }
    } else {
        double beta;
        if (Polar(c)) {
            // The forward reaches the opposite pole at twice the equator's
            // squared distance: clamp there, not at the equator.
            double rhoSq = x * x + y * y;
            if (rhoSq > c.twiceLargestSquared) {
                status = 2;
                rhoSq = c.twiceLargestSquared;
            }
            double s = std::clamp(1.0 - rhoSq / c.largestSquared, -1.0, 1.0);
            beta = c.aspect == kNorthPolar ? std::asin(s) : -std::asin(s);
            dl = c.aspect == kNorthPolar ? std::atan2(x, -y) : std::atan2(x, y);
        } else {
            double rho = std::hypot(x / c.d, c.d * y);
            if (rho > c.twoRq) {
                status = 2;
                x *= c.twoRq / rho;
                y *= c.twoRq / rho;
                rho = c.twoRq;
            }
            double ce = 2.0 * std::asin(std::min(rho / c.twoRq, 1.0));
            double sinCe = std::sin(ce), cosCe = std::cos(ce);
            beta = std::asin(
                std::clamp(cosCe * c.sinBeta1 + c.d * y * sinCe * c.cosBeta1 / rho, -1.0, 1.0));
            dl = std::atan2(x * sinCe,
                            c.d * rho * c.cosBeta1 * cosCe - c.d * c.d * y * c.sinBeta1 * sinCe);
        }
        phi = CS_authalicToGeodetic(&c.authalic, beta);
    }
    if (std::fabs(phi) > kCsMaxLatitude && status == 0) status = 1;
    CS_inverseEpilogue(out, in, dl, phi, c.lambda0);
    return status;
}

double CS_azmeaScale(const CsProjectionConstants* constants, const double ll[3]) {
    const CsAzmeaConstants& c = Azmea(constants);
    double phi = ll[1] * kCsDegToRad;
    if (std::fabs(phi) > kCsHalfPi) return -1.0;
    if (c.e == 0.0) {
        if (c.aspect == kNorthPolar) {
            if (phi < -kCsMaxLatitude) return kCsInfiniteScale;
            return 1.0 / std::cos(kCsPi / 4.0 - phi / 2.0);
        }
        if (c.aspect == kSouthPolar) {
            if (phi > kCsMaxLatitude) return kCsInfiniteScale;
            return 1.0 / std::sin(kCsPi / 4.0 - phi / 2.0);
        }
        double dl = CS_normLngRad(ll[0] * kCsDegToRad - c.lambda0);
        double d = 1.0 + c.sinPhi0 * std::sin(phi) + c.cosPhi0 * std::cos(phi) * std::cos(dl);
        return d > kCsAngularTolerance ? std::sqrt(2.0 / d) : kCsInfiniteScale;
    }
    if (Polar(c)) {
        double sinPhi = std::sin(phi);
        double q = Q(c.e, c.eSq, sinPhi);
        double m = std::cos(phi) / std::sqrt(1.0 - c.eSq * sinPhi * sinPhi);
        if (std::fabs(m) <= kCsAngularTolerance) return 1.0;
        return std::sqrt(std::max(c.qp + (c.aspect == kNorthPolar ? -q : q), 0.0)) / m;
    }
    const double centre[2] = {c.lambda0 * kCsRadToDeg, c.phi0 * kCsRadToDeg};
    const double point[2] = {ll[0], ll[1]};
    double left[2], right[2];
    CS_perpendicularPoints(centre, point, left, right);
    const double l3[3] = {left[0], left[1], 0.0}, r3[3] = {right[0], right[1], 0.0};
    double a[3], b[3];
    if (CS_azmeaForward(constants, a, l3) != 0 || CS_azmeaForward(constants, b, r3) != 0) {
        return -1.0;
    }
    double d;
    CS_geodeticDistAz(c.ka, c.eSq, left, right, &d);
    if (!(d > kCsAngularTolerance)) return kCsInfiniteScale;
    return std::hypot(b[0] - a[0], b[1] - a[1]) / d;
}

double CS_azmeaScaleH(const CsProjectionConstants* constants, const double ll[3]) {
    double k = CS_azmeaScale(constants, ll);
    if (k < 0.0) return k;
    if (k >= kCsInfiniteScale) return 0.0;
    return 1.0 / k;
}

double CS_azmeaConvergence(const CsProjectionConstants* constants, const double ll[3]) {
    return CS_numericConvergence(CS_azmeaForward, constants, ll);
}

int CS_azmeaGeoLimits(const CsProjectionConstants* constants, int count, const double points[][3]) {
    const CsAzmeaConstants& c = Azmea(constants);
    return CS_pointLimits(count, points, [&](const double ll[3]) {
        double xy[3];
        return Outside(c, CS_azmeaForward(constants, xy, ll), ll[1]);
    });
}

int CS_azmeaXYLimits(const CsProjectionConstants* constants, int count, const double points[][3]) {
    const CsAzmeaConstants& c = Azmea(constants);
    return CS_pointLimits(count, points, [&](const double xy[3]) {
        double ll[3];
        int status = CS_azmeaInverse(constants, ll, xy);
        return Outside(c, status, ll[1]);
    });
}
