#include "projections/LmProjection.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "coordsys/core/CsAngles.h"
#include "coordsys/core/CsCore.h"

namespace {

const CsLmConstants& Lm(const CsProjectionConstants* constants) {
    return CS_constantsOf<CsLmConstants>(constants);
}

// 29.2985 seconds of arc.
constexpr double kBelgianAngle = 0.0001420431363598774;

double ConeTangent(double phi) {
    return std::tan(kCsPi / 4.0 + phi / 2.0);
}

// Snyder's t, with the eccentricity term taken at `sinForE`.
double IsometricT(double e, double eHalf, double phi, double sinForE) {
    double es = e * sinForE;
    return std::tan(kCsPi / 4.0 - phi / 2.0) / std::pow((1.0 - es) / (1.0 + es), eHalf);
}

double ConformalM(double eSq, double phi) {
    double s = std::sin(phi);
    return std::cos(phi) / std::sqrt(1.0 - eSq * s * s);
}

// The cone's radius of a regular latitude.
double Radius(const CsLmConstants& c, double phi) {
    if (c.e == 0.0) return c.aF / std::pow(ConeTangent(phi), c.n);
    return c.aF * std::pow(IsometricT(c.e, c.eHalf, phi, std::sin(phi)), c.n);
}

// The radius of a system point about the apex (signed as n) and its angle
// from the central meridian's ray, before the Belgian angle.
struct Polar {
    double rho;
    double theta;
    bool apex;
    bool beyondRadius;
};
Polar ToPolar(const CsLmConstants& c, const double xy[2]) {
    double x, y;
    CS_removeFalseOrigin(c.origin, xy, &x, &y);
    const double dy = c.rho0 - y;
    Polar p{};
    p.rho = std::sqrt(x * x + dy * dy);
    p.beyondRadius = p.rho > c.largestRadius;
    if (c.n < 0.0) p.rho = -p.rho;
    p.apex = std::fabs(p.rho) <= c.smallRadius;
    if (!p.apex) p.theta = c.n > 0.0 ? std::atan2(x, dy) : std::atan2(-x, -dy);
    return p;
}

// Which parallels, figure and scale a definition's variant gives.
struct LmDefinition {
    double phi1;  // radians
    double phi2;
    double a;  // metres
    double e;
    double k;
    double k0;
};

LmDefinition ReadVariant(const CsParams& params) {
    const CsCoordSysDef& def = params.csDef;
    const CsDatumBlock& datum = params.datum;
    const double* p = def.parameters;
    LmDefinition d{p[0] * kCsDegToRad, p[1] * kCsDegToRad, datum.equatorialRadius,
                   datum.eccentricity, def.scale,          1.0};
    switch (params.projectionCode) {
        case kCsProjLm1sp:
            d.phi1 = d.phi2 = def.originLatitude * kCsDegToRad;
            d.k0 = def.scaleReduction;
            d.k = def.scale * d.k0;
            break;
        case kCsProjLmWccs: {
            // Both radii raised to the county's mean surface above the ellipsoid.
            double h = p[3] * def.unitScale + p[2];
            double raisedA = d.a + h;
            double raisedB = datum.polarRadius + h;
            double f = 1.0 - raisedB / raisedA;
            d.a = raisedA;
            d.e = std::sqrt(2.0 * f - f * f);
            break;
        }
        case kCsProjLmMndot:
            d.a += p[2] * def.unitScale;
            break;
        default:  // LM, LMBLGN
            break;
    }
    return d;
}

// n, F, rho0 and the rest of the cone on the variant's figure.
void SetCone(CsLmConstants& c, const LmDefinition& d) {
    c.a = d.a;
    c.e = d.e;
    c.eSq = d.e * d.e;
    c.eHalf = d.e / 2.0;
    c.k = d.k;
    c.k0 = d.k0;
    const double phi1 = d.phi1, phi2 = d.phi2;
    const bool tangent = std::fabs(phi1 - phi2) <= kCsAngularTolerance;
    if (c.e == 0.0) {
        c.n = tangent ? std::sin(phi1)
                      : std::log(std::cos(phi1) / std::cos(phi2)) /
                            std::log(ConeTangent(phi2) / ConeTangent(phi1));
        c.sphereScaleNumerator = std::cos(phi1) * std::pow(ConeTangent(phi1), c.n);
        c.f = c.sphereScaleNumerator / c.n;
        c.aF = c.f * c.a * c.k;
        c.rho0 = c.aF / std::pow(ConeTangent(c.originLatitude), c.n);
    } else {
        const double m1 = ConformalM(c.eSq, phi1);
        c.t1 = IsometricT(c.e, c.eHalf, phi1, std::sin(phi1));
        if (tangent) {
            c.n = std::sin(phi1);
        } else {
            const double m2 = ConformalM(c.eSq, phi2);
            const double t2 = IsometricT(c.e, c.eHalf, phi2, std::sin(phi2));
            c.n = (std::log(m1) - std::log(m2)) / (std::log(c.t1) - std::log(t2));
        }
        c.f = m1 / (c.n * std::pow(c.t1, c.n));
        c.aF = c.a * c.k * c.f;
        const double t0 = IsometricT(c.e, c.eHalf, c.originLatitude, std::sin(c.originLatitude));
        c.rho0 = c.aF * std::pow(t0, c.n);
        CS_conformalSeriesSetup(&c.fromConformal, c.eSq);
    }
    c.apexLatitude = c.n > 0.0 ? kCsHalfPi : -kCsHalfPi;
    c.oneOverN = 1.0 / c.n;
    c.largestAngle = std::fabs(c.n) * kCsPi;
    // aF is negative for a southern cone; the apex test compares magnitudes.
    c.smallRadius = std::fabs(c.aF) * kCsAngularTolerance;
    const double farEdge = c.n > 0.0 ? -kCsMaxLatitude : kCsMaxLatitude;
    const double t = IsometricT(c.e, c.eHalf, farEdge, std::sin(kCsMaxLatitude));
    c.largestRadius = std::fabs(c.aF) * std::pow(t, c.n);
}

void SetUsefulRange(CsParams* params, const CsLmConstants& c, const LmDefinition& d) {
    const double centralMeridian = params->csDef.originLongitude;
    params->rangeCentralMeridian = centralMeridian;
    if (!CS_geoRangeFromDefinition(params, centralMeridian)) {
        double south = std::min(d.phi1, d.phi2) * kCsRadToDeg;
        double north = std::max(d.phi1, d.phi2) * kCsRadToDeg;
        double margin =
            std::fabs(d.phi1 - d.phi2) <= kCsAngularTolerance ? 0.5 : (north - south) / 2.0;
        CS_setGeoRange(params, -10.0, std::max(south - margin, -kCsMaxParallel), 10.0,
                       std::min(north + margin, kCsMaxParallel));
    }
    if (!CS_xyRangeFromDefinition(params)) {
        // The sphere's radius serves both figures: a rough box is enough here.
        auto radius = [&](double latitude) {
            return c.aF / std::pow(ConeTangent(latitude * kCsDegToRad), c.n);
        };
        double rho1 = radius(params->minLatitude), rho2 = radius(params->maxLatitude);
        if (c.n < 0.0) std::swap(rho1, rho2);
        const double fe = c.origin.falseEasting, fn = c.origin.falseNorthing;
        double x1 = rho1 * std::sin(c.n * params->minLongitude * kCsDegToRad) + fe;
        double x2 = rho1 * std::sin(c.n * params->maxLongitude * kCsDegToRad) + fe;
        double y1 = c.rho0 - rho1 + fn;
        double y2 = c.rho0 - rho2 + fn;
        CS_setXyRange(params, std::min(x1, x2), std::min(y1, y2), std::max(x1, x2),
                      std::max(y1, y2));
    }
}

constexpr CsSlots kLmSlots{
    .forward = CS_lmForward,
    .inverse = CS_lmInverse,
    .gridScale = CS_lmScale,
    .parallelScale = CS_lmScale,
    .meridianScale = CS_lmScale,
    .convergence = CS_lmConvergence,
    .checkGeographic = CS_lmGeoLimits,
    .checkCartesian = CS_lmXYLimits,
};

bool ValidParallel(double latitude) {
    return latitude > -kCsMaxParallel && latitude < kCsMaxParallel;
}

}  // namespace

int CS_lmCheck(const CsCoordSysDef* def, std::uint16_t code, int errors[], int capacity) {
    CsCheckErrors out(errors, capacity);
    const double latitude = def->originLatitude;
    out.Require(def->originLongitude > -180.0 && def->originLongitude <= 180.0,
                kCsErrOriginLongitude);
    out.Require(latitude >= -90.0 && latitude <= 90.0, kCsErrOriginLatitude);
    if (code == kCsProjLm1sp) {
        out.Require(def->scaleReduction >= kCsMinScaleReduction &&
                        def->scaleReduction <= kCsMaxScaleReduction,
                    kCsErrScaleReduction);
        // The origin latitude is the cone's one parallel: on the equator the
        // cone opens into a cylinder (n = 0), at a pole it has no size.
        if (latitude >= -90.0 && latitude <= 90.0) {
            out.Require(ValidParallel(latitude) && std::fabs(latitude) >= kCsCheckTolerance,
                        kCsErrStandardParallels);
        }
        return out.Count();
    }
    const double p1 = def->parameters[0], p2 = def->parameters[1];
    out.Require(ValidParallel(p1), kCsErrStandardParallels);
    out.Require(ValidParallel(p2), kCsErrStandardParallels);
    if (std::fabs(p1 - p2) > kCsCheckTolerance) {
        // Parallels symmetric about the equator make no cone.
        bool opposite = (p1 <= 0.0 && p2 > 0.0) || (p2 <= 0.0 && p1 > 0.0);
        if (opposite && std::fabs(std::fabs(p1) - std::fabs(p2)) < kCsCheckTolerance) {
            out.Add(kCsErrStandardParallels);
        }
    } else if (std::fabs(p1) < kCsCheckTolerance || std::fabs(p2) < kCsCheckTolerance) {
        out.Add(kCsErrStandardParallels);
    }
    return out.Count();
}

void CS_lmSetup(CsParams* params) {
    CsLmConstants& c = CS_newConstants<CsLmConstants>(params);
    const CsCoordSysDef& def = params->csDef;
    c.centralMeridian = def.originLongitude * kCsDegToRad;
    c.originLatitude = def.originLatitude * kCsDegToRad;
    c.origin = CS_falseOrigin(def);
    c.belgianAngle = params->projectionCode == kCsProjLmblgn ? kBelgianAngle : 0.0;
    const LmDefinition d = ReadVariant(*params);
    SetCone(c, d);
    SetUsefulRange(params, c, d);
    CS_installSlots(params, kLmSlots);
}

int CS_lmForward(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsLmConstants& c = Lm(constants);
    int status = 0;
    double dl = CS_longitudeDifference(in[0], c.centralMeridian, &status, kCsLongitudeTowardCentre);
    double phi = CS_wrappedLatitude(in[1], &status);
    double rho;
    // The apex's pole projects to the apex; the far pole to the cone's edge,
    // on the side its radius's sign gives.
    if (phi >= kCsMaxLatitude || phi <= -kCsMaxLatitude) {
        const bool apex = (phi > 0.0) == (c.n > 0.0);
        rho = apex ? 0.0 : std::copysign(c.largestRadius, c.aF);
        CS_raiseStatus(&status, apex ? 1 : 2);
    } else {
        rho = Radius(c, phi);
    }
    const double theta = c.n * dl - c.belgianAngle;
    CS_forwardEpilogue(out, in, rho * std::sin(theta), c.rho0 - rho * std::cos(theta), c.origin);
    return status;
}

int CS_lmInverse(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsLmConstants& c = Lm(constants);
    Polar p = ToPolar(c, in);
    int status = p.beyondRadius ? 2 : 0;
    if (p.apex) CS_raiseStatus(&status, 1);
    if (std::fabs(p.theta) > c.largestAngle) {
        CS_raiseStatus(&status, 2);
        p.theta = std::copysign(c.largestAngle, p.theta);
    }
    const double dl = (p.theta + c.belgianAngle) * c.oneOverN;
    double phi;
    if (p.apex) {
        phi = c.apexLatitude;
    } else if (c.e == 0.0) {
        phi = 2.0 * std::atan(std::pow(c.aF / p.rho, c.oneOverN)) - kCsHalfPi;
    } else {
        double t = std::pow(p.rho / c.aF, c.oneOverN);
        phi = CS_evalSinSeries(&c.fromConformal, kCsHalfPi - 2.0 * std::atan(t));
    }
    CS_inverseEpilogue(out, in, dl, phi, c.centralMeridian);
    return status;
}

double CS_lmScale(const CsProjectionConstants* constants, const double ll[3]) {
    const CsLmConstants& c = Lm(constants);
    const double phi = ll[1] * kCsDegToRad;
    // Infinite at both poles: at the far one the radius grows without bound,
    // at the apex the parallels shrink slower than the meridians (n < 1).
    if (phi >= kCsMaxLatitude || phi <= -kCsMaxLatitude) return kCsInfiniteScale;
    if (c.e == 0.0) {
        return c.k0 * c.sphereScaleNumerator / (std::cos(phi) * std::pow(ConeTangent(phi), c.n));
    }
    const double t = IsometricT(c.e, c.eHalf, phi, std::sin(phi));
    return c.n * c.k0 * c.f * std::pow(t, c.n) / ConformalM(c.eSq, phi);
}

double CS_lmConvergence(const CsProjectionConstants* constants, const double ll[3]) {
    const CsLmConstants& c = Lm(constants);
    return c.n * CS_normLngRad(ll[0] * kCsDegToRad - c.centralMeridian) * kCsRadToDeg;
}

int CS_lmGeoLimits(const CsProjectionConstants* constants, int count, const double points[][3]) {
    const CsLmConstants& c = Lm(constants);
    // The apex's pole is inside, the far pole is not.
    const double south = c.n < 0.0 ? -kCsHalfPi : -kCsMaxLatitude;
    const double north = c.n < 0.0 ? kCsMaxLatitude : kCsHalfPi;
    if (CS_pointLimits(count, points, [&](const double ll[3]) {
            double phi = ll[1] * kCsDegToRad;
            return !(phi >= south && phi <= north);
        }) != 0) {
        return 2;
    }
    return CS_segmentLimits(count, points, [&](const double ll[3]) {
        return CS_normLngRad(ll[0] * kCsDegToRad - c.centralMeridian);
    });
}

int CS_lmPointXYLimit(const CsLmConstants* lm, const double xy[3]) {
    Polar p = ToPolar(*lm, xy);
    return p.beyondRadius || std::fabs(p.theta) > lm->largestAngle ? 2 : 0;
}

int CS_lmXYLimits(const CsProjectionConstants* constants, int count, const double points[][3]) {
    const CsLmConstants& c = Lm(constants);
    if (CS_pointLimits(count, points,
                       [&](const double xy[3]) { return CS_lmPointXYLimit(&c, xy) != 0; }) != 0) {
        return 2;
    }
    return CS_segmentLimits(count, points,
                            [&](const double xy[3]) { return ToPolar(c, xy).theta; });
}
