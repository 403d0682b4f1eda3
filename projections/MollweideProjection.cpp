#include "projections/MollweideProjection.h"

#include <algorithm>
#include <cmath>

#include "coordsys/core/CsAngles.h"
#include "coordsys/core/CsCore.h"
#include "projections/LatitudeLimits.h"

namespace {

const CsMollweideConstants& Mollweide(const CsProjectionConstants* constants) {
    return CS_constantsOf<CsMollweideConstants>(constants);
}

constexpr CsSlots kMollweideSlots{
    .forward = CS_mollweidForward,
    .inverse = CS_mollweidInverse,
    .gridScale = CS_mollweidK,
    .parallelScale = CS_mollweidK,
    .meridianScale = CS_mollweidH,
    .convergence = CS_mollweidConvergence,
    .checkGeographic = CS_latitudeLimitsCheck,
    .checkCartesian = CS_mollweidXYLimits,
};
constexpr CsSlots kGoodeSlots{
    .forward = CS_goodeForward,
    .inverse = CS_goodeInverse,
    .gridScale = CS_goodeK,
    .parallelScale = CS_goodeK,
    .meridianScale = CS_goodeH,
    .convergence = CS_goodeConvergence,
    .checkGeographic = CS_latitudeLimitsCheck,
    .checkCartesian = CS_goodeXYLimits,
};

// Up to 270 degrees from the reference meridian a longitude stays unwrapped.
constexpr CsLongitudeRule kMollweideLongitude{.limit = kCs270Degrees,
                                              .limitOutside = true,
                                              .adjust = CsLongitudeAdjust::kTowardCentre,
                                              .status = 2,
                                              .wrap = CS_normLngRad};

constexpr double kJoinLatitude = 0.7109888814835511;
constexpr double kGoodeOffset = 0.052803527368531;  // times R
// Near the poles Newton converges only linearly: within 0.001 degree of a pole
// 21 rounds do not settle it; 30 do everywhere off the pole band.
constexpr int kNewtonRounds = 40;
constexpr double kArcSecond = 4.848136811076368e-6;  // radians
constexpr double kArcSecondDegrees = 1.0 / 3600.0;

// Where a point's longitude is measured from: its zone's meridian and x, or
// the origin's (status 2 when zones are defined and none holds the point).
struct Reference {
    double centre;
    CsFalseOrigin origin;
    bool zoned;  // a zone holds the point
};

Reference ForwardReference(const CsMollweideConstants& c, double longitude, double phi,
                           int* status) {
    Reference ref{c.lambda0, c.origin, false};
    if (c.zoneCount == 0) return ref;
    if (const CsZone* zone = CS_zoneFindByLongitude(c.zones, c.zoneCount, longitude, phi)) {
        ref = {zone->central, c.origin, true};
        ref.origin.falseEasting = zone->xOffset;
    } else {
        CS_raiseStatus(status, 2);
    }
    return ref;
}

Reference InverseReference(const CsMollweideConstants& c, const double in[3], int* status) {
    Reference ref{c.lambda0, c.origin, false};
    if (c.zoneCount == 0) return ref;
    const bool swapped = (c.origin.quadrant & 4) != 0;
    double x = swapped ? in[1] : in[0], y = swapped ? in[0] : in[1];
    if (const CsZone* zone = CS_zoneFindByX(c.zones, c.zoneCount, x, y - c.origin.falseNorthing)) {
        ref = {zone->central, c.origin, true};
        ref.origin.falseEasting = zone->xOffset;
    } else {
        CS_raiseStatus(status, 2);
    }
    return ref;
}

// Mollweide's auxiliary angle theta of phi: 2 theta + sin 2 theta = pi sin phi.
// At the pole band the derivative vanishes: theta is the pole's. Status 2
// when Newton does not settle in its rounds (the last value stands).
double Theta(double phi, double tolerance, int* status) {
    if (std::fabs(phi) > kCsMaxLatitude) return phi > 0.0 ? kCsHalfPi : -kCsHalfPi;
    const double target = kCsPi * std::sin(phi);
    double t = phi;
    for (int round = 0; round < kNewtonRounds; ++round) {
        double delta = (target - t - std::sin(t)) / (1.0 + std::cos(t));
        t += delta;
        if (std::fabs(delta) < tolerance) return t / 2.0;
    }
    CS_raiseStatus(status, 2);
    return t / 2.0;
}

// The longitude back from the lobe's meridian, wrapped beyond 270 degrees.
void InverseEpilogue(double out[3], const double in[3], double dl, double phi, const Reference& ref,
                     int* status) {
    if (std::fabs(dl) >= kCs270Degrees) {
        CS_raiseStatus(status, 2);
        dl = CS_normLngRad(dl);
    }
    CS_inverseEpilogue(out, in, dl, phi, ref.centre);
    if (ref.zoned) CS_zoneEdgeLongitude(out);
}

double ParallelScale(CsProjectFn forward, const CsMollweideConstants& c,
                     const CsProjectionConstants* constants, const double ll[3]) {
    const double east[3] = {ll[0] + kArcSecondDegrees, ll[1], ll[2]};
    double a[3], b[3];
    if (forward(constants, a, ll) != 0 || forward(constants, b, east) != 0) return -1.0;
    const double d = std::cos(ll[1] * kCsDegToRad) * c.r * kArcSecond;
    if (!(d > c.threshold)) return kCsInfiniteScale;
    return std::hypot(b[0] - a[0], b[1] - a[1]) / d;
}

double MeridianScale(CsProjectFn forward, const CsMollweideConstants& c,
                     const CsProjectionConstants* constants, const double ll[3]) {
    const double north[3] = {ll[0], ll[1] + kArcSecondDegrees, ll[2]};
    double a[3], b[3];
    if (forward(constants, a, ll) != 0 || forward(constants, b, north) != 0) return -1.0;
    return std::hypot(b[0] - a[0], b[1] - a[1]) / (c.r * kArcSecond);
}

// The constants both families share; `zoneScale` places the zones (x per
// radian of longitude on the equator).
CsMollweideConstants& CommonSetup(CsParams* params, bool goode) {
    CsMollweideConstants& c = CS_newConstants<CsMollweideConstants>(params);
    const CsCoordSysDef& def = params->csDef;
    c.lambda0 = def.originLongitude * kCsDegToRad;
    c.origin = CS_falseOrigin(def);
    c.a = params->datum.equatorialRadius;
    c.scale = def.scale;
    c.r = c.a * c.scale;
    c.threshold = 0.01 * def.unitScale;
    if (goode ? c.a == 1.0 : c.a <= 3.0) c.threshold = 2e-10;
    c.tolerance = goode ? 4.85e-8 : 4.85e-9;
    c.cx = c.r * 0.9003163161571062;
    c.cy = c.r * 1.4142135623730951;
    c.invCy = 1.0 / c.cy;
    c.invCx = 1.0 / c.cx;
    if (goode) {
        c.joinLatitude = kJoinLatitude;
        c.joinY = c.r * kJoinLatitude;
        c.offset = c.r * kGoodeOffset;
        // The forward's extremes: the equator 270 degrees out, and the pole.
        c.xExtent = c.r * kCs270Degrees;
        c.yExtent = c.cy - c.offset;
    } else {
        c.xExtent = c.cx * kCs270Degrees;
        c.yExtent = c.cy * kCsHalfPi;
    }

    params->rangeCentralMeridian = def.originLongitude;
    if (!CS_geoRangeFromDefinition(params, def.originLongitude)) {
        CS_setGeoRange(params, -180.0, -90.0, 180.0, 90.0);
    }
    if (!CS_xyRangeFromDefinition(params)) {
        CS_setXyRange(params, -c.xExtent, -c.yExtent, c.xExtent, c.yExtent, c.origin);
    }

    // Goode's lobes meet on its sinusoidal equator, Mollweide's on its own.
    const double zoneScale = goode ? c.r : c.cx;
    c.zoneCount = static_cast<std::int16_t>(CS_zonesSetup(&def, c.zones));
    const double s = (c.origin.quadrant & 1) != 0 ? -1.0 : 1.0;
    auto place = [&](double longitude) {
        return (longitude - c.lambda0) * zoneScale * s + c.origin.falseEasting;
    };
    for (int i = 0; i < c.zoneCount; ++i) {
        CsZone& zone = c.zones[i];
        // The west edge as a longitude next to the meridian: -180 is held as +180.
        double offset = zone.central - zone.west;
        if (offset < 0.0) offset += kCsTwoPi;
        const double west = zone.central - offset;
        // A negated x puts the west edge on the right: the extent is ordered.
        const double a = place(west), b = place(west + zone.width);
        zone.minX = std::min(a, b);
        zone.maxX = std::max(a, b);
        zone.xOffset = place(zone.central);
    }
    return c;
}

}  // namespace

void CS_mollweidSetup(CsParams* params) {
    CommonSetup(params, false);
    CS_installSlots(params, kMollweideSlots);
}

void CS_goodeSetup(CsParams* params) {
    CommonSetup(params, true);
    CS_installSlots(params, kGoodeSlots);
}

int CS_mollweidForward(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsMollweideConstants& c = Mollweide(constants);
    int status = 0;
    const double phi = CS_forwardLatitude(in[1], &status);
    const Reference ref = ForwardReference(c, in[0] * kCsDegToRad, phi, &status);
    const double dl = CS_longitudeDifference(in[0], ref.centre, &status, kMollweideLongitude);
    const double theta = Theta(phi, c.tolerance, &status);
    CS_forwardEpilogue(out, in, c.cx * std::cos(theta) * dl, c.cy * std::sin(theta), ref.origin);
    return status;
}

int CS_goodeForward(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsMollweideConstants& c = Mollweide(constants);
    int status = 0;
    const double phi = CS_forwardLatitude(in[1], &status);
    const Reference ref = ForwardReference(c, in[0] * kCsDegToRad, phi, &status);
    const double dl = CS_longitudeDifference(in[0], ref.centre, &status, kMollweideLongitude);
    double x, y;
    if (std::fabs(phi) > c.joinLatitude) {
        const double theta = Theta(phi, c.tolerance, &status);
        x = c.cx * std::cos(theta) * dl;
        y = c.cy * std::sin(theta) + (phi > 0.0 ? -c.offset : c.offset);
    } else {
        x = c.r * std::cos(phi) * dl;
        y = c.r * phi;
    }
    CS_forwardEpilogue(out, in, x, y, ref.origin);
    return status;
}

int CS_mollweidInverse(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsMollweideConstants& c = Mollweide(constants);
    int status = 0;
    const Reference ref = InverseReference(c, in, &status);
    double x, y;
    CS_removeFalseOrigin(ref.origin, in, &x, &y);
    const double s = y * c.invCy;
    double phi, dl;
    if (std::fabs(s) < 0.9999999515) {
        const double theta = std::asin(s);
        phi = std::asin((2.0 * theta + std::sin(2.0 * theta)) / kCsPi);
        dl = x / (c.cx * std::cos(theta));
    } else {
        dl = 0.0;
        phi = s > 0.0 ? kCsHalfPi : -kCsHalfPi;
        CS_raiseStatus(&status, std::fabs(s) > 1.0 ? 2 : 1);
    }
    InverseEpilogue(out, in, dl, phi, ref, &status);
    return status;
}

int CS_goodeInverse(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsMollweideConstants& c = Mollweide(constants);
    int status = 0;
    const Reference ref = InverseReference(c, in, &status);
    double x, y;
    CS_removeFalseOrigin(ref.origin, in, &x, &y);
    double phi, dl;
    if (std::fabs(y) > c.joinY) {
        double s = (y <= 0.0 ? y - c.offset : y + c.offset) * c.invCy;
        if (std::fabs(s) > 1.0) {
            CS_raiseStatus(&status, 2);
            s = std::copysign(1.0, s);
        }
        const double theta = std::asin(s);
        phi = std::asin((2.0 * theta + std::sin(2.0 * theta)) / kCsPi);
        if (std::fabs(phi) >= kCsMaxLatitude) {
            dl = 0.0;
            if (status == 0) status = 1;
        } else {
            dl = x / (c.cx * std::cos(theta));
        }
    } else {
        phi = y / c.r;
        dl = x / (c.r * std::cos(phi));
    }
    InverseEpilogue(out, in, dl, phi, ref, &status);
    return status;
}

double CS_mollweidK(const CsProjectionConstants* constants, const double ll[3]) {
    return ParallelScale(CS_mollweidForward, Mollweide(constants), constants, ll);
}

double CS_mollweidH(const CsProjectionConstants* constants, const double ll[3]) {
    return MeridianScale(CS_mollweidForward, Mollweide(constants), constants, ll);
}

double CS_mollweidConvergence(const CsProjectionConstants* constants, const double ll[3]) {
    return CS_numericConvergence(CS_mollweidForward, constants, ll);
}

int CS_mollweidXYLimits(const CsProjectionConstants* constants, int count,
                        const double points[][3]) {
    return CS_routineLimits(CS_mollweidInverse, constants, count, points);
}

double CS_goodeK(const CsProjectionConstants* constants, const double ll[3]) {
    return ParallelScale(CS_goodeForward, Mollweide(constants), constants, ll);
}

double CS_goodeH(const CsProjectionConstants* constants, const double ll[3]) {
    return MeridianScale(CS_goodeForward, Mollweide(constants), constants, ll);
}

double CS_goodeConvergence(const CsProjectionConstants* constants, const double ll[3]) {
    return CS_numericConvergence(CS_goodeForward, constants, ll);
}

int CS_goodeXYLimits(const CsProjectionConstants* constants, int count, const double points[][3]) {
    return CS_routineLimits(CS_goodeInverse, constants, count, points);
}
