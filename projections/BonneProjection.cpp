#include "projections/BonneProjection.h"

#include <cmath>

#include "coordsys/core/CsAngles.h"
#include "coordsys/core/CsCore.h"
#include "projections/GeodeticDistance.h"

namespace {

const CsBonneConstants& Bonne(const CsProjectionConstants* constants) {
    return CS_constantsOf<CsBonneConstants>(constants);
}

constexpr CsSlots kBonneSlots{
    .forward = CS_bonneForward,
    .inverse = CS_bonneInverse,
    .gridScale = CS_bonneH,
    .parallelScale = CS_constantOne,
    .meridianScale = CS_bonneH,
    .convergence = CS_bonneConvergence,
    .checkGeographic = CS_bonneLatLongLimits,
    .checkCartesian = CS_bonneXYLimits,
};

// Half a second of arc each way, degrees, and one second in radians.
constexpr double kHalfSecond = 0.0001388888888888889;
constexpr double kOneSecond = 4.848136811076368e-6;

// The point (degrees) about the origin, before the false origin.
int Project(const CsBonneConstants& c, double longitude, double latitude, double* x, double* y) {
    CsGeoPoint p = CS_forwardPrologue(longitude, latitude, c.lambda0, kCsLongitudeTowardCentre);
    const double dl = p.dLambda;
    if (c.e == 0.0) {
        if (c.form == kCsBonneEquatorial) {
            *x = c.r * dl * p.cosPhi;
            *y = c.r * p.phi;
        } else {
            // The polar form's rho is negative about the south pole: its
            // size, not its sign, says whether the point is the pole.
            const double rho = (c.cotPhi1 + c.phi1 - p.phi) * c.r;
            if (c.form == kCsBonnePolar && std::fabs(rho) < c.tolerance) {
                *x = *y = 0.0;
            } else {
                const double e = c.r * dl * p.cosPhi / rho;
                *x = rho * std::sin(e);
                *y = c.rCotPhi1 - rho * std::cos(e);
            }
        }
    } else {
        const double arc = CS_meridionalArc(&c.arc, p.phi, p.sinPhi, p.cosPhi);
        const double m = p.cosPhi / std::sqrt(1.0 - c.eSq * p.sinPhi * p.sinPhi);
        if (c.form == kCsBonneEquatorial) {
            *x = m * c.r * dl;
            *y = arc;
        } else {
            const double rho = c.apexRadius - arc;
            const double e = std::fabs(rho) < c.tolerance ? 0.0 : c.r * m * dl / rho;
            *x = rho * std::sin(e);
            *y = c.apexY - rho * std::cos(e);
        }
    }
    return p.status;
}

}  // namespace

void CS_bonneSetup(CsParams* params) {
    CsBonneConstants& c = CS_newConstants<CsBonneConstants>(params);
    const CsCoordSysDef& def = params->csDef;
    c.lambda0 = def.originLongitude * kCsDegToRad;
    c.phi1 = def.originLatitude * kCsDegToRad;
    c.origin = CS_falseOrigin(def);
    c.e = params->datum.eccentricity;
    c.eSq = c.e * c.e;
    c.a = params->datum.equatorialRadius;
    c.scale = def.scale;
    c.r = c.a * c.scale;
    c.tolerance = kCsAngularTolerance * c.r;
    if (c.e != 0.0) c.tolerance *= std::sqrt(1.0 - c.eSq);
    if (std::fabs(c.phi1) < kCsAngularTolerance) {
        c.form = kCsBonneEquatorial;
    } else if (std::fabs(c.phi1) > kCsMaxLatitude) {
        c.form = kCsBonnePolar;
    } else {
        c.form = kCsBonneGeneral;
    }
    c.southern = c.phi1 < 0.0 ? 1 : 0;

    if (c.e == 0.0) {
        c.cotPhi1 = c.form == kCsBonneGeneral ? 1.0 / std::tan(c.phi1) : 0.0;
        c.rCotPhi1 = c.r * c.cotPhi1;
        c.phi1PlusCot = c.phi1 + c.cotPhi1;
    } else {
        c.sinPhi1 = std::sin(c.phi1);
        const double cosPhi1 = std::cos(c.phi1);
        c.m1 = cosPhi1 / std::sqrt(1.0 - c.eSq * c.sinPhi1 * c.sinPhi1);
        CS_meridionalArcSetup(&c.arc, c.r, c.eSq);
        CS_inverseMeridionalArcSetup(&c.inverseArc, c.r, c.eSq);
        c.arc1 = CS_meridionalArc(&c.arc, c.phi1, c.sinPhi1, cosPhi1);
        c.apexY = c.form == kCsBonneEquatorial ? 1e32 : c.r * c.m1 / c.sinPhi1;
        c.apexRadius = c.apexY + c.arc1;
    }

    params->rangeCentralMeridian = def.originLongitude;
    if (!CS_geoRangeFromDefinition(params, def.originLongitude)) {
        double minLatitude = 0.0, maxLatitude = 90.0;
        if (c.form == kCsBonneEquatorial) {
            minLatitude = -90.0;
        } else if (c.southern) {
            minLatitude = -90.0, maxLatitude = 0.0;
        }
        CS_setGeoRange(params, -90.0, minLatitude, 90.0, maxLatitude);
    }
    if (!CS_xyRangeFromDefinition(params)) {
        double maxX, minY, maxY, unused;
        Project(c, def.originLongitude, params->maxLatitude, &unused, &maxY);
        Project(c, def.originLongitude, params->minLatitude, &unused, &minY);
        Project(c, def.originLongitude + 90.0, 0.0, &maxX, &unused);
        CS_setXyRange(params, -maxX, minY, maxX, maxY, c.origin);
    }
    CS_installSlots(params, kBonneSlots);
}

int CS_bonneForward(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsBonneConstants& c = Bonne(constants);
    double x, y;
    int status = Project(c, in[0], in[1], &x, &y);
    CS_forwardEpilogue(out, in, x, y, c.origin);
    return status;
}

int CS_bonneInverse(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsBonneConstants& c = Bonne(constants);
    double x, y;
    CS_removeFalseOrigin(c.origin, in, &x, &y);
    double dl = 0.0, phi;
    const bool regular = [&] {
        if (c.form == kCsBonneEquatorial) {
            phi = c.e == 0.0 ? y / c.r : CS_latitudeFromArc(&c.inverseArc, y);
            if (std::fabs(phi) > kCsMaxLatitude) return false;
            const double sinPhi = std::sin(phi), cosPhi = std::cos(phi);
            dl = c.e == 0.0 ? x / (c.r * cosPhi)
                            : x * std::sqrt(1.0 - c.eSq * sinPhi * sinPhi) / (c.r * cosPhi);
            return true;
        }
        const double yy = (c.e == 0.0 ? c.rCotPhi1 : c.apexY) - y;
        double rho = std::hypot(x, yy);
        if (c.southern) rho = -rho;
        phi = c.e == 0.0 ? c.phi1PlusCot - rho / c.r
                         : CS_latitudeFromArc(&c.inverseArc, c.apexRadius - rho);
        if (std::fabs(phi) > kCsMaxLatitude) return false;
        const double e = c.southern ? std::atan2(-x, -yy) : std::atan2(x, yy);
        const double sinPhi = std::sin(phi), cosPhi = std::cos(phi);
        const double m = c.e == 0.0 ? cosPhi : cosPhi / std::sqrt(1.0 - c.eSq * sinPhi * sinPhi);
        dl = rho * e / (m * c.r);
        return true;
    }();
    int status = 0;
    if (!regular) {
        status = 1;
        if (std::fabs(phi) > kCsHalfPi) {
            status = 2;
            phi = std::copysign(kCsHalfPi, phi);
        }
    }
    if (std::fabs(dl) > kCsPi) {
        dl = CS_normLngRad(dl);
        status = 2;
    }
    CS_inverseEpilogue(out, in, dl, phi, c.lambda0);
    return status;
}

double CS_bonneH(const CsProjectionConstants* constants, const double ll[3]) {
    const CsBonneConstants& c = Bonne(constants);
    const double south[3] = {ll[0], ll[1] - kHalfSecond, 0.0};
    const double north[3] = {ll[0], ll[1] + kHalfSecond, 0.0};
    double a[3], b[3];
    if (CS_bonneForward(constants, a, south) != 0 || CS_bonneForward(constants, b, north) != 0) {
        return kCsInfiniteScale;
    }
    const double grid = std::hypot(b[0] - a[0], b[1] - a[1]);
    double ground = kOneSecond * c.r;
    if (c.e != 0.0) CS_geodeticDistAz(c.r, c.eSq, south, north, &ground);
    return kCsInfiniteScale * ground > grid ? grid / ground : kCsInfiniteScale;
}

double CS_bonneConvergence(const CsProjectionConstants* constants, const double ll[3]) {
    return CS_numericConvergence(CS_bonneForward, constants, ll);
}

int CS_bonneLatLongLimits(const CsProjectionConstants* constants, int count,
                          const double points[][3]) {
    const CsBonneConstants& c = Bonne(constants);
    auto difference = [&](const double ll[3]) { return ll[0] * kCsDegToRad - c.lambda0; };
    if (CS_pointLimits(count, points, [&](const double ll[3]) {
            return !(std::fabs(ll[1] * kCsDegToRad) <= kCsHalfPi &&
                     std::fabs(difference(ll)) <= kCsPi);
        }) != 0) {
        return 2;
    }
    return CS_segmentLimits(count, points, difference);
}

int CS_bonneXYLimits(const CsProjectionConstants* constants, int count, const double points[][3]) {
    const CsBonneConstants& c = Bonne(constants);
    if (CS_routineLimits(CS_bonneInverse, constants, count, points) != 0) return 2;
    return CS_segmentLimits(count, points, [&](const double xy[3]) {
        double ll[3];
        CS_bonneInverse(constants, ll, xy);
        return ll[0] * kCsDegToRad - c.lambda0;
    });
}
