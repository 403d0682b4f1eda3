#include "projections/AzmedProjection.h"

#include <algorithm>
#include <cmath>

#include "coordsys/core/CsAngles.h"
#include "coordsys/core/CsCore.h"
#include "projections/GeodeticDistance.h"

namespace {

const CsAzmedConstants& Azmed(const CsProjectionConstants* constants) {
    return CS_constantsOf<CsAzmedConstants>(constants);
}

constexpr CsSlots kAzmedSlots{
    .forward = CS_azmedForward,
    .inverse = CS_azmedInverse,
    .gridScale = CS_azmedScale,
    .parallelScale = CS_azmedScale,
    .meridianScale = CS_constantOne,
    .convergence = CS_azmedConvergence,
    .checkGeographic = CS_azmedGeoLimits,
    .checkCartesian = CS_azmedXYLimits,
};

constexpr std::uint16_t kNorthPolar = 1;
constexpr std::uint16_t kSouthPolar = 2;
constexpr std::uint16_t kEquatorial = 3;
constexpr std::uint16_t kOblique = 4;
constexpr CsLongitudeRule kLongitudeRule{.wrap = CS_normLngRad};
constexpr double kAntipode = -0.9999999515;  // cos c beyond which the point is the antipode
constexpr double kMinElevation = -25000.0;
constexpr double kMaxElevation = 50000.0;

bool Polar(const CsAzmedConstants& c) {
    return c.aspect == kNorthPolar || c.aspect == kSouthPolar;
}

double Arc(const CsAzmedConstants& c, double phi) {
    return CS_meridionalArc(&c.arc, phi, std::sin(phi), std::cos(phi));
}

}  // namespace

int CS_azmedCheck(const CsCoordSysDef* def, std::uint16_t code, int errors[], int capacity) {
    CsCheckErrors out(errors, capacity);
    out.Require(def->originLongitude > -180.0 && def->originLongitude <= 180.0,
                kCsErrOriginLongitude);
    out.Require(def->originLatitude >= -90.0 && def->originLatitude <= 90.0, kCsErrOriginLatitude);
    out.Require(def->parameters[0] > -180.0 && def->parameters[0] < 180.0,
                kCsErrGreatCircleAzimuth);
    if (code == kCsProjAzmedElev) {
        out.Require(def->parameters[1] >= kMinElevation && def->parameters[1] <= kMaxElevation,
                    kCsErrElevation);
    }
    return out.Count();
}

void CS_azmedSetup(CsParams* params) {
    CsAzmedConstants& c = CS_newConstants<CsAzmedConstants>(params);
    const CsCoordSysDef& def = params->csDef;
    const double a = params->datum.equatorialRadius;
    c.lambda0 = def.originLongitude * kCsDegToRad;
    c.phi0 = def.originLatitude * kCsDegToRad;
    if (std::fabs(c.phi0) < kCsAngularTolerance) {
        c.aspect = kEquatorial;
        c.phi0 = 0.0;
    } else if (c.phi0 > kCsMaxLatitude) {
        c.aspect = kNorthPolar;
        c.phi0 = kCsHalfPi;
    } else if (c.phi0 < -kCsMaxLatitude) {
        c.aspect = kSouthPolar;
        c.phi0 = -kCsHalfPi;
    } else {
        c.aspect = kOblique;
    }
    c.k = def.scale;
    c.origin = CS_falseOrigin(def);
    double h = params->projectionCode == kCsProjAzmedElev ? def.unitScale * def.parameters[1] : 0.0;
    c.ka = (a + h) * c.k;
    c.twoKa = 2.0 * c.ka;
    c.azimuth = def.parameters[0] * kCsDegToRad;
    c.e = params->datum.eccentricity;
    c.eSq = c.e * c.e;
    c.oneMinusESq = 1.0 - c.eSq;
    c.sqrtOneMinusESq = std::sqrt(c.oneMinusESq);
    c.cosPhi0 = Polar(c) ? 0.0 : std::cos(c.phi0);
    c.sinPhi0 = c.aspect == kEquatorial ? 0.0 : std::sin(c.phi0);
    if (Polar(c)) c.sinPhi0 = c.aspect == kNorthPolar ? 1.0 : -1.0;
    c.cosSinPhi0 = c.cosPhi0 * c.sinPhi0;
    c.eSqCosSqPhi0 = c.eSq * c.cosPhi0 * c.cosPhi0;
    c.eSqSinSqPhi0 = c.eSq * c.sinPhi0 * c.sinPhi0;
    c.tolerance = a <= 3.0 ? c.ka * 1.5873015873015874e-10 : def.scale * 0.001;
    bool straight = std::fabs(c.azimuth) < kCsAngularTolerance;
    c.cosAzimuth = straight ? 1.0 : std::cos(c.azimuth);
    c.sinAzimuth = straight ? 0.0 : std::sin(c.azimuth);
    if (c.e == 0.0) {
        c.largestDistance = c.ka * kCsPi;
    } else {
        CS_meridionalArcSetup(&c.arc, c.ka, c.eSq);
        CS_inverseMeridionalArcSetup(&c.inverseArc, c.ka, c.eSq);
        c.mp = CS_meridionalArc(&c.arc, kCsHalfPi, 1.0, 0.0);
        c.m1 = CS_meridionalArc(&c.arc, c.phi0, c.sinPhi0, c.cosPhi0);
        c.largestDistance = 2.0 * c.mp;
        c.eSinPhi0 = c.e * c.sinPhi0;
        c.eCosPhi0 = c.e * c.cosPhi0;
        c.n1 = c.ka / std::sqrt(1.0 - c.eSqSinSqPhi0);
        c.n1ESqSinPhi0 = c.n1 * c.eSq * c.sinPhi0;
        c.g = c.eSinPhi0 / c.sqrtOneMinusESq;
        c.threeGSq = 3.0 * c.g * c.g;
    }
    params->rangeCentralMeridian = def.originLongitude;
    if (!CS_geoRangeFromDefinition(params, def.originLongitude)) {
        if (c.aspect == kNorthPolar) {
            CS_setGeoRange(params, -180.0, 60.0, 180.0, 90.0);
        } else if (c.aspect == kSouthPolar) {
            CS_setGeoRange(params, -180.0, -90.0, 180.0, -60.0);
        } else {
            CS_setGeoRange(params, -10.0, std::max(def.originLatitude - 10.0, -90.0), 10.0,
                           std::min(def.originLatitude + 10.0, 90.0));
        }
    }
    if (!CS_xyRangeFromDefinition(params)) {
        double half = 1200000.0 * def.scale;
        CS_setXyRange(params, -half, -half, half, half, c.origin);
    }
    CS_installSlots(params, kAzmedSlots);
}

int CS_azmedForward(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsAzmedConstants& c = Azmed(constants);
    int status = 0;
    double phi = CS_forwardLatitude(in[1], &status);
    double dl = CS_longitudeDifference(in[0], c.lambda0, &status, kLongitudeRule);
    if (dl <= -kCsPi) {
        CS_raiseStatus(&status, 2);
        dl = CS_normLngRad(dl);
    }
    const double sinPhi = std::sin(phi), cosPhi = std::cos(phi);
    const double sinDl = std::sin(dl), cosDl = std::cos(dl);
    double x = 0.0, y = 0.0;
    if (Polar(c)) {
        double rho;
        if (c.e == 0.0) {
            rho = (c.aspect == kNorthPolar ? kCsHalfPi - phi : kCsHalfPi + phi) * c.ka;
        } else {
            double m = Arc(c, phi);
            rho = c.aspect == kNorthPolar ? c.mp - m : c.mp + m;
        }
        x = rho * sinDl;
        y = c.aspect == kNorthPolar ? -rho * cosDl : rho * cosDl;
    } else if (c.e == 0.0) {
        double cosC = c.sinPhi0 * sinPhi + c.cosPhi0 * cosPhi * cosDl;
        double cc = std::acos(std::clamp(cosC, -1.0, 1.0));
        double vx = cosPhi * sinDl, vy = c.cosPhi0 * sinPhi - c.sinPhi0 * cosPhi * cosDl;
        if (cosC < kAntipode) {
            // The antipode: on the limiting circle, along the direction the
            // point leaves in (straight down at the antipode itself).
            CS_raiseStatus(&status, 2);
            double length = std::hypot(vx, vy);
            if (length > 0.0) {
                x = c.ka * kCsPi * vx / length;
                y = c.ka * kCsPi * vy / length;
            } else {
                y = -c.ka * kCsPi;
            }
        } else if (cc >= kCsAngularTolerance) {
            double kp = cc * c.ka / std::sin(cc);
            x = kp * vx;
            y = kp * vy;
        }
    } else {
        double n = c.ka / std::sqrt(1.0 - c.eSq * sinPhi * sinPhi);
        double psi = std::fabs(phi) > kCsMaxLatitude
                         ? std::copysign(kCsHalfPi, phi)
                         : std::atan(c.oneMinusESq * std::tan(phi) +
                                     c.eSq * c.n1 * c.sinPhi0 / (n * cosPhi));
        double sinPsi = std::sin(psi), cosPsi = std::cos(psi);
        double denominator = c.cosPhi0 * std::tan(psi) - c.sinPhi0 * cosDl;
        if (std::fabs(psi) == kCsHalfPi) denominator = std::copysign(1.0, psi) * c.cosPhi0;
        double sinAz, cosAz;
        if (std::fabs(sinDl) <= kCsAngularTolerance) {
            sinAz = 0.0;
            cosAz = denominator < 0.0 ? -1.0 : 1.0;
        } else {
            double az = std::atan2(sinDl, denominator);
            sinAz = std::sin(az);
            cosAz = std::cos(az);
        }
        double s =
            std::fabs(sinAz) >= kCsAngularTolerance
                ? std::asin(std::clamp(sinDl * cosPsi / sinAz, -1.0, 1.0))
                : std::copysign(
                      std::asin(std::clamp(c.cosPhi0 * sinPsi - c.sinPhi0 * cosPsi, -1.0, 1.0)),
                      cosAz);
        double hh = c.eCosPhi0 * cosAz / c.sqrtOneMinusESq;
        double h2 = hh * hh, s2 = s * s;
        double distance =
            c.n1 * s *
            (1.0 - s2 * h2 * (1.0 - h2) / 6.0 + (s2 * s / 8.0) * c.g * hh * (1.0 - 2.0 * h2) +
             (s2 * s2 / 120.0) * (h2 * (4.0 - 7.0 * h2) - c.threeGSq * (1.0 - 7.0 * h2)) -
             (s2 * s2 * s / 48.0) * c.g * hh);
        x = distance * sinAz;
        y = distance * cosAz;
    }
    double turned = x * c.cosAzimuth - y * c.sinAzimuth;
    y = x * c.sinAzimuth + y * c.cosAzimuth;
    CS_forwardEpilogue(out, in, turned, y, c.origin);
    return status;
}

int CS_azmedInverse(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsAzmedConstants& c = Azmed(constants);
    double px, py;
    CS_removeFalseOrigin(c.origin, in, &px, &py);
    double x = px * c.cosAzimuth + py * c.sinAzimuth;
    double y = py * c.cosAzimuth - px * c.sinAzimuth;
    double rho = std::hypot(x, y);
    if (rho < c.tolerance) {
        CS_inverseEpilogue(out, in, 0.0, c.phi0, c.lambda0);
        return Polar(c) ? 1 : 0;
    }
    int status = 0;
    if (rho >= c.largestDistance) {
        status = 2;
        x *= c.largestDistance / rho;
        y *= c.largestDistance / rho;
        rho = c.largestDistance;
    }
    double dl, phi;
    if (c.e == 0.0) {
        double cc = rho / c.ka;
        double sinC = std::sin(cc), cosC = std::cos(cc);
        switch (c.aspect) {
            case kNorthPolar:
                dl = std::atan2(x, -y);
                phi = std::asin(std::clamp(cosC, -1.0, 1.0));
                break;
            case kSouthPolar:
                dl = std::atan2(x, y);
                phi = -std::asin(std::clamp(cosC, -1.0, 1.0));
                break;
            case kEquatorial:
                dl = std::atan2(x * sinC, rho * cosC);
                phi = std::asin(std::clamp(y * sinC / rho, -1.0, 1.0));
                break;
            default:
                phi =
                    std::asin(std::clamp(cosC * c.sinPhi0 + y * sinC * c.cosPhi0 / rho, -1.0, 1.0));
                dl = std::atan2(x * sinC, rho * c.cosPhi0 * cosC - y * c.sinPhi0 * sinC);
        }
    } else if (c.aspect == kNorthPolar) {
        dl = std::atan2(x, -y);
        phi = CS_latitudeFromArc(&c.inverseArc, c.mp - rho);
    } else if (c.aspect == kSouthPolar) {
        dl = std::atan2(x, y);
        phi = CS_latitudeFromArc(&c.inverseArc, rho - c.mp);
    } else {
        double az = std::atan2(x, y);
        double sinAz = std::sin(az), cosAz = std::cos(az);
        double aa = -c.eSqCosSqPhi0 * cosAz * cosAz / c.oneMinusESq;
        double bb = 3.0 * c.eSq * (1.0 - aa) * c.cosSinPhi0 * cosAz / c.oneMinusESq;
        double d = rho / c.n1;
        double ee =
            d - aa * (1.0 + aa) * d * d * d / 6.0 - bb * (1.0 + 3.0 * aa) * d * d * d * d / 24.0;
        double ff = 1.0 - aa * ee * ee / 2.0 - bb * ee * ee * ee / 6.0;
        double psi = std::asin(
            std::clamp(c.sinPhi0 * std::cos(ee) + c.cosPhi0 * std::sin(ee) * cosAz, -1.0, 1.0));
        double cosPsi = std::cos(psi);
        dl = std::fabs(cosPsi) > kCsAngularTolerance
                 ? std::asin(std::clamp(sinAz * std::sin(ee) / cosPsi, -1.0, 1.0))
                 : 0.0;
        phi = std::fabs(psi) <= kCsAngularTolerance
                  ? 0.0
                  : std::atan((1.0 - c.eSq * ff * c.sinPhi0 / std::sin(psi)) * std::tan(psi) /
                              c.oneMinusESq);
    }
    if (std::fabs(phi) > kCsMaxLatitude && status == 0) status = 1;
    CS_inverseEpilogue(out, in, dl, phi, c.lambda0);
    return status;
}

double CS_azmedScale(const CsProjectionConstants* constants, const double ll[3]) {
    const CsAzmedConstants& c = Azmed(constants);
    double phi = ll[1] * kCsDegToRad;
    if (std::fabs(phi) > kCsHalfPi) return -1.0;
    if (Polar(c)) {
        double toward = c.aspect == kNorthPolar ? phi : -phi;
        if (toward > kCsMaxLatitude) return 1.0;
        if (toward < -kCsMaxLatitude) return kCsInfiniteScale;
        if (c.e == 0.0) return (kCsHalfPi - toward) / std::cos(phi);
        double sinPhi = std::sin(phi);
        double m = Arc(c, phi);
        double rho = c.aspect == kNorthPolar ? c.mp - m : c.mp + m;
        return rho * std::sqrt(1.0 - c.eSq * sinPhi * sinPhi) / (c.ka * std::cos(phi));
    }
    if (c.e == 0.0) {
        double dl = CS_normLngRad(ll[0] * kCsDegToRad - c.lambda0);
        double cosC = c.sinPhi0 * std::sin(phi) + c.cosPhi0 * std::cos(phi) * std::cos(dl);
        if (cosC > -kAntipode) return 1.0;
        if (cosC < kAntipode) return kCsInfiniteScale;
        double cc = std::acos(cosC);
        return cc / std::sin(cc);
    }
    const double centre[2] = {c.lambda0 * kCsRadToDeg, c.phi0 * kCsRadToDeg};
    const double point[2] = {ll[0], ll[1]};
    double left[2], right[2];
    CS_perpendicularPoints(centre, point, left, right);
    const double l3[3] = {left[0], left[1], 0.0}, r3[3] = {right[0], right[1], 0.0};
    double a[3], b[3];
    if (CS_azmedForward(constants, a, l3) != 0 || CS_azmedForward(constants, b, r3) != 0) {
        return -1.0;
    }
    double d;
    CS_geodeticDistAz(c.ka, c.eSq, left, right, &d);
    if (!(d > kCsAngularTolerance)) return kCsInfiniteScale;
    return std::hypot(b[0] - a[0], b[1] - a[1]) / d;
}

double CS_azmedConvergence(const CsProjectionConstants* constants, const double ll[3]) {
    return CS_numericConvergence(CS_azmedForward, constants, ll);
}

int CS_azmedGeoLimits(const CsProjectionConstants* constants, int count, const double points[][3]) {
    const CsAzmedConstants& c = Azmed(constants);
    return CS_pointLimits(count, points, [&](const double ll[3]) {
        double phi = ll[1] * kCsDegToRad;
        if (std::fabs(phi) > kCsHalfPi) return true;
        double dl = CS_normLngRad(ll[0] * kCsDegToRad - c.lambda0);
        return std::fabs(phi + c.phi0) <= kCsAngularTolerance &&
               std::fabs(std::fabs(dl) - kCsPi) < kCsAngularTolerance;
    });
}

int CS_azmedXYLimits(const CsProjectionConstants* constants, int count, const double points[][3]) {
    const CsAzmedConstants& c = Azmed(constants);
    return CS_pointLimits(count, points, [&](const double xy[3]) {
        return std::hypot(xy[0] - c.origin.falseEasting, xy[1] - c.origin.falseNorthing) >
               c.largestDistance;
    });
}
