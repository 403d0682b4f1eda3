#include "projections/EdcncProjection.h"

#include <algorithm>
#include <cmath>

#include "coordsys/core/CsAngles.h"

namespace {

const CsEdcncConstants& Edcnc(const CsProjectionConstants* constants) {
    return CS_constantsOf<CsEdcncConstants>(constants);
}

constexpr CsSlots kEdcncSlots{
    .forward = CS_edcncForward,
    .inverse = CS_edcncInverse,
    .gridScale = CS_edcncK,
    .parallelScale = CS_edcncK,
    .meridianScale = CS_constantOne,
    .convergence = CS_edcncConvergence,
    .checkGeographic = CS_edcncLatLongLimits,
    .checkCartesian = CS_edcncXYLimits,
};

double Arc(const CsEdcncConstants& c, double phi) {
    return CS_meridionalArc(&c.arc, phi, std::sin(phi), std::cos(phi));
}

// The signed radius of the parallel phi: negative on a southern cone.
double Rho(const CsEdcncConstants& c, double phi) {
    return c.e == 0.0 ? (c.g - phi) * c.r : c.gR - Arc(c, phi);
}

void Project(const CsEdcncConstants& c, double dLambda, double phi, double* x, double* y) {
    const double theta = c.n * dLambda;
    const double rho = Rho(c, phi);
    *x = rho * std::sin(theta);
    *y = c.rho0 - rho * std::cos(theta);
}

// The polar radius and angle of a point about the apex, unclamped; on a
// southern cone of the negated vector.
void Polar(const CsEdcncConstants& c, const double in[3], double* rho, double* theta) {
    double x, y;
    CS_removeFalseOrigin(c.origin, in, &x, &y);
    const double dy = c.rho0 - y;
    *rho = std::hypot(x, dy);
    *theta = c.n <= 0.0 ? std::atan2(-x, -dy) : std::atan2(x, dy);
}

}  // namespace

void CS_edcncSetup(CsParams* params) {
    CsEdcncConstants& c = CS_newConstants<CsEdcncConstants>(params);
    const CsCoordSysDef& def = params->csDef;
    c.phi1 = def.parameters[0] * kCsDegToRad;
    c.phi2 = def.parameters[1] * kCsDegToRad;
    c.lambda0 = def.originLongitude * kCsDegToRad;
    c.phi0 = def.originLatitude * kCsDegToRad;
    c.k = def.scale;
    c.r = params->datum.equatorialRadius * c.k;
    c.origin = CS_falseOrigin(def);
    c.e = params->datum.eccentricity;
    c.eSq = c.e * c.e;

    const bool twoParallels = std::fabs(c.phi1 - c.phi2) > kCsCheckTolerance;
    if (c.e == 0.0) {
        c.n = twoParallels ? (std::cos(c.phi1) - std::cos(c.phi2)) / (c.phi2 - c.phi1)
                           : std::sin(c.phi1);
        c.g = std::cos(c.phi1) / c.n + c.phi1;
        c.rho0 = (c.g - c.phi0) * c.r;
        c.rhoMin = (std::fabs(c.g) - kCsHalfPi) * c.r;
        c.rhoMax = (std::fabs(c.g) + kCsHalfPi) * c.r;
    } else {
        CS_meridionalArcSetup(&c.arc, c.r, c.eSq);
        CS_inverseMeridionalArcSetup(&c.inverseArc, c.r, c.eSq);
        const double m0 = Arc(c, c.phi0), m1 = Arc(c, c.phi1), m2 = Arc(c, c.phi2);
        auto m = [&](double phi) {
            double s = std::sin(phi);
            return std::cos(phi) / std::sqrt(1.0 - c.eSq * s * s);
        };
        const double small1 = m(c.phi1), small2 = m(c.phi2);
        c.n = twoParallels ? c.r * (small1 - small2) / (m2 - m1) : std::sin(c.phi1);
        c.g = small1 / c.n + m1 / c.r;
        c.gR = c.g * c.r;
        c.rho0 = c.gR - m0;
        const double quarter = CS_meridionalArc(&c.arc, kCsHalfPi, 1.0, 0.0);
        c.rhoMin = std::fabs(c.gR) - quarter;
        c.rhoMax = std::fabs(c.gR) + quarter;
    }
    c.largestAngle = std::fabs(c.n) * kCsPi;

    params->rangeCentralMeridian = def.originLongitude;
    if (!CS_geoRangeFromDefinition(params, def.originLongitude)) {
        double south = std::min(def.parameters[0], def.parameters[1]);
        double north = std::max(def.parameters[0], def.parameters[1]);
        // A band narrower than 5 degrees is widened about its middle.
        if (north - south < 5.0) {
            const double middle = (north + south) / 2.0;
            south = middle - 2.5;
            north = middle + 2.5;
        }
        CS_setGeoRange(params, -45.0, std::max(south, -kCsMaxParallel), 45.0,
                       std::min(north, kCsMaxParallel));
    }
    if (!CS_xyRangeFromDefinition(params)) {
        // The box round the geographic range's corners and its central meridian.
        double minX = 0.0, minY = 0.0, maxX = 0.0, maxY = 0.0;
        bool first = true;
        for (double longitude : {params->minLongitude, 0.0, params->maxLongitude}) {
            for (double latitude : {params->minLatitude, params->maxLatitude}) {
                double x, y;
                Project(c, longitude * kCsDegToRad, latitude * kCsDegToRad, &x, &y);
                minX = first ? x : std::min(minX, x);
                maxX = first ? x : std::max(maxX, x);
                minY = first ? y : std::min(minY, y);
                maxY = first ? y : std::max(maxY, y);
                first = false;
            }
        }
        CS_setXyRange(params, minX, minY, maxX, maxY, c.origin);
    }
    CS_installSlots(params, kEdcncSlots);
}

int CS_edcncForward(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsEdcncConstants& c = Edcnc(constants);
    int status = 0;
    const double phi = CS_wrappedLatitude(in[1], &status);
    const double dLambda =
        CS_longitudeDifference(in[0], c.lambda0, &status, kCsLongitudeTowardCentre);
    double x, y;
    Project(c, dLambda, phi, &x, &y);
    CS_forwardEpilogue(out, in, x, y, c.origin);
    return status;
}

int CS_edcncInverse(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsEdcncConstants& c = Edcnc(constants);
    int status = 0;
    double x, y;
    CS_removeFalseOrigin(c.origin, in, &x, &y);
    const double dy = c.rho0 - y;
    double rho = std::hypot(x, dy);
    if (rho < c.rhoMin) {
        rho = c.rhoMin;
        status = 2;
    } else if (rho > c.rhoMax) {
        rho = c.rhoMax;
        status = 2;
    }
    double theta;
    if (c.n <= 0.0) {
        theta = std::atan2(-x, -dy);
        rho = -rho;
    } else {
        theta = std::atan2(x, dy);
    }
    if (std::fabs(theta) > c.largestAngle) {
        theta = theta <= 0.0 ? -c.largestAngle : c.largestAngle;
        status = 2;
    }
    const double dLambda = theta / c.n;
    const double phi = c.e == 0.0 ? c.g - rho / c.r : CS_latitudeFromArc(&c.inverseArc, c.gR - rho);
    CS_inverseEpilogue(out, in, dLambda, phi, c.lambda0);
    return status;
}

double CS_edcncK(const CsProjectionConstants* constants, const double ll[3]) {
    const CsEdcncConstants& c = Edcnc(constants);
    const double phi = ll[1] * kCsDegToRad;
    if (!(std::fabs(phi) < kCsMaxLatitude)) return kCsInfiniteScale;
    if (c.e == 0.0) return c.n * (c.g - phi) / std::cos(phi);
    const double s = std::sin(phi);
    const double m = std::cos(phi) / std::sqrt(1.0 - c.eSq * s * s);
    return c.n * (c.g - Arc(c, phi) / c.r) / m;
}

double CS_edcncConvergence(const CsProjectionConstants* constants, const double ll[3]) {
    return CS_numericConvergence(CS_edcncForward, constants, ll);
}

int CS_edcncLatLongLimits(const CsProjectionConstants* constants, int count,
                          const double points[][3]) {
    const CsEdcncConstants& c = Edcnc(constants);
    if (CS_pointLimits(count, points, [](const double ll[3]) {
            return !(std::fabs(ll[1] * kCsDegToRad) <= kCsHalfPi);
        }) != 0) {
        return 2;
    }
    return CS_segmentLimits(count, points, [&](const double ll[3]) {
        return CS_normLngRad(ll[0] * kCsDegToRad - c.lambda0);
    });
}

int CS_edcncXYLimits(const CsProjectionConstants* constants, int count, const double points[][3]) {
    const CsEdcncConstants& c = Edcnc(constants);
    if (CS_pointLimits(count, points, [&](const double xy[3]) {
            double rho, theta;
            Polar(c, xy, &rho, &theta);
            return !(rho >= c.rhoMin && rho <= c.rhoMax && std::fabs(theta) <= c.largestAngle);
        }) != 0) {
        return 2;
    }
    return CS_segmentLimits(count, points, [&](const double xy[3]) {
        double rho, theta;
        Polar(c, xy, &rho, &theta);
        return theta;
    });
}
