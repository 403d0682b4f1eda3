#include "projections/SinusProjection.h"

#include <algorithm>
#include <cmath>

#include "coordsys/core/CsAngles.h"
#include "coordsys/core/CsCore.h"
#include "projections/GeodeticDistance.h"

namespace {

const CsSinusConstants& Sinus(const CsProjectionConstants* constants) {
    return CS_constantsOf<CsSinusConstants>(constants);
}

constexpr CsSlots kSinusSlots{
    .forward = CS_sinusForward,
    .inverse = CS_sinusInverse,
    .gridScale = CS_sinusH,
    .parallelScale = CS_constantOne,
    .meridianScale = CS_sinusH,
    .convergence = CS_sinusConvergence,
    .checkGeographic = CS_sinusLatLongLimits,
    .checkCartesian = CS_sinusXYLimits,
};

// Up to 270 degrees from the reference meridian a longitude stays unwrapped.
constexpr CsLongitudeRule kSinusLongitude{.limit = kCs270Degrees,
                                          .limitOutside = true,
                                          .adjust = CsLongitudeAdjust::kTowardCentre,
                                          .status = 2,
                                          .wrap = CS_normLngRad};

// The zone of a point (radians): null when the projection is not interrupted
// or no zone holds it.
const CsZone* ZoneOf(const CsSinusConstants& c, double lambda, double phi) {
    return CS_zoneFindByLongitude(c.zones, c.zoneCount, lambda, phi);
}

// The zone of a system point, found as the inverse finds it.
const CsZone* ZoneOfXy(const CsSinusConstants& c, const double xy[3]) {
    const bool swapped = (c.origin.quadrant & 4) != 0;
    double x = swapped ? xy[1] : xy[0], y = swapped ? xy[0] : xy[1];
    return CS_zoneFindByX(c.zones, c.zoneCount, x, y - c.origin.falseNorthing);
}

bool SameLobe(const CsZone* a, const CsZone* b) {
    return a->central == b->central && a->hemisphere == b->hemisphere;
}

}  // namespace

int CS_sinusCheck(const CsCoordSysDef* def, std::uint16_t /*code*/, int errors[], int capacity) {
    CsCheckErrors out(errors, capacity);
    out.Require(def->originLongitude > -180.0 && def->originLongitude <= 180.0,
                kCsErrOriginLongitude);
    return out.Count();
}

void CS_sinusSetup(CsParams* params) {
    CsSinusConstants& c = CS_newConstants<CsSinusConstants>(params);
    const CsCoordSysDef& def = params->csDef;
    c.lambda0 = def.originLongitude * kCsDegToRad;
    c.scale = def.scale;
    c.a = params->datum.equatorialRadius;
    c.r = c.a * c.scale;
    c.origin = CS_falseOrigin(def);
    c.e = params->datum.eccentricity;
    c.eSq = c.e * c.e;
    c.maxX = kCs270Degrees * c.r;
    c.tolerance = 0.001 * c.scale;
    if (c.e != 0.0) {
        CS_meridionalArcSetup(&c.arc, c.r, c.eSq);
        CS_inverseMeridionalArcSetup(&c.inverseArc, c.r, c.eSq);
        c.maxY = CS_meridionalArc(&c.arc, kCsHalfPi, 1.0, 0.0);
    } else {
        c.maxY = kCsHalfPi * c.r;
    }

    c.zoneCount = static_cast<std::int16_t>(CS_zonesSetup(&def, c.zones));
    const double s = (c.origin.quadrant & 1) != 0 ? -1.0 : 1.0;
    auto place = [&](double longitude) {
        return (longitude - c.lambda0) * c.r * s + c.origin.falseEasting;
    };
    double westmost = kCsPi, eastmost = -kCsPi;
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
        westmost = std::min(westmost, west);
        eastmost = std::max(eastmost, west + zone.width);
    }

    const double centre =
        c.zoneCount > 0 ? (westmost + eastmost) / 2.0 * kCsRadToDeg : def.originLongitude;
    params->rangeCentralMeridian = centre;
    if (!CS_geoRangeFromDefinition(params, centre)) {
        if (c.zoneCount > 0) {
            CS_setGeoRange(params, westmost * kCsRadToDeg - centre, -90.0,
                           eastmost * kCsRadToDeg - centre, 90.0);
        } else {
            CS_setGeoRange(params, -180.0, -90.0, 180.0, 90.0);
        }
    }
    if (!CS_xyRangeFromDefinition(params)) {
        CS_setXyRange(params, -c.maxX, -c.maxY, c.maxX, c.maxY, c.origin);
    }
    CS_installSlots(params, kSinusSlots);
}

int CS_sinusForward(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsSinusConstants& c = Sinus(constants);
    int status = 0;
    const double phi = CS_forwardLatitude(in[1], &status);
    CsFalseOrigin origin = c.origin;
    double centre = c.lambda0;
    if (c.zoneCount > 0) {
        if (const CsZone* zone = ZoneOf(c, in[0] * kCsDegToRad, phi)) {
            centre = zone->central;
            origin.falseEasting = zone->xOffset;
        } else {
            CS_raiseStatus(&status, 2);
        }
    }
    const double dl = CS_longitudeDifference(in[0], centre, &status, kSinusLongitude);
    const double sinPhi = std::sin(phi), cosPhi = std::cos(phi);
    double x, y;
    if (c.e == 0.0) {
        x = c.r * dl * cosPhi;
        y = c.r * phi;
    } else {
        x = c.r * dl * cosPhi / std::sqrt(1.0 - c.eSq * sinPhi * sinPhi);
        y = CS_meridionalArc(&c.arc, phi, sinPhi, cosPhi);
    }
    CS_forwardEpilogue(out, in, x, y, origin);
    return status;
}

int CS_sinusInverse(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsSinusConstants& c = Sinus(constants);
    int status = 0;
    CsFalseOrigin origin = c.origin;
    double centre = c.lambda0;
    const CsZone* zone = nullptr;
    if (c.zoneCount > 0) {
        zone = ZoneOfXy(c, in);
        if (zone != nullptr) {
            centre = zone->central;
            origin.falseEasting = zone->xOffset;
        } else {
            status = 2;
        }
    }
    double x, y;
    CS_removeFalseOrigin(origin, in, &x, &y);
    if (std::fabs(y) > c.maxY) {
        status = 2;
        y = std::copysign(c.maxY, y);
    }
    if (std::fabs(x) > c.maxX) {
        status = 2;
        x = std::copysign(c.maxX, x);
    }
    double phi, dl = 0.0;
    if (c.e == 0.0) {
        phi = y / c.r;
    } else {
        phi = CS_latitudeFromArc(&c.inverseArc, y);
    }
    if (std::fabs(phi) < kCsMaxLatitude) {
        double sinPhi = std::sin(phi);
        dl = x / (c.r * std::cos(phi));
        if (c.e != 0.0) dl *= std::sqrt(1.0 - c.eSq * sinPhi * sinPhi);
    } else if (status == 0) {
        phi = phi > 0.0 ? kCsHalfPi : -kCsHalfPi;
        status = 1;
    }
    if (std::fabs(dl) >= kCs270Degrees) {
        status = 2;
        dl = CS_normLngRad(dl);
    }
    if (zone != nullptr) {
        // The zone's edges about its own meridian, so that a zone across the
        // antimeridian clamps as any other; rounding on an edge is no fault.
        double offset = zone->central - zone->west;
        if (offset < 0.0) offset += kCsTwoPi;
        const double west = -offset, east = west + zone->width;
        if (dl < west - kCsAngularTolerance || dl > east + kCsAngularTolerance) status = 2;
        dl = std::min(std::max(dl, west), east);
    }
    CS_inverseEpilogue(out, in, dl, phi, centre);
    if (zone != nullptr) CS_zoneEdgeLongitude(out);
    return status;
}

double CS_sinusH(const CsProjectionConstants* constants, const double ll[3]) {
    const CsSinusConstants& c = Sinus(constants);
    const double phi = ll[1] * kCsDegToRad;
    if (!(std::fabs(phi) <= kCsHalfPi)) return -1.0;
    if (std::fabs(phi) > kCsMaxLatitude) return 1.0;
    double centre = c.lambda0;
    if (c.zoneCount > 0) {
        const CsZone* zone = ZoneOf(c, ll[0] * kCsDegToRad, phi);
        if (zone == nullptr) return -1.0;
        centre = zone->central;
    }
    if (c.e == 0.0) {
        // The difference the forward projects: up to 270 degrees unwrapped.
        int status = 0;
        const double dl = CS_longitudeDifference(ll[0], centre, &status, kSinusLongitude);
        const double t = dl * std::sin(phi);
        return std::sqrt(1.0 + t * t);
    }
    constexpr double kHalfSecond = 0.0001388888888888889;  // degrees
    const double south[3] = {ll[0], ll[1] - kHalfSecond, ll[2]};
    const double north[3] = {ll[0], ll[1] + kHalfSecond, ll[2]};
    double a[3], b[3];
    if (CS_sinusForward(constants, a, south) != 0 || CS_sinusForward(constants, b, north) != 0) {
        return -1.0;
    }
    double d = 0.0;
    CS_geodeticDistAz(c.r, c.eSq, south, north, &d);
    if (!(d > c.tolerance)) return kCsInfiniteScale;
    return std::hypot(b[0] - a[0], b[1] - a[1]) / d;
}

double CS_sinusConvergence(const CsProjectionConstants* constants, const double ll[3]) {
    return CS_numericConvergence(CS_sinusForward, constants, ll);
}

int CS_sinusLatLongLimits(const CsProjectionConstants* constants, int count,
                          const double points[][3]) {
    const CsSinusConstants& c = Sinus(constants);
    const CsZone* previous = nullptr;
    for (int i = 0; i < count; ++i) {
        const double phi = points[i][1] * kCsDegToRad;
        if (!(std::fabs(phi) <= kCsHalfPi)) return 2;
        if (c.zoneCount == 0) continue;
        const CsZone* zone = ZoneOf(c, points[i][0] * kCsDegToRad, phi);
        if (zone == nullptr || (previous != nullptr && !SameLobe(zone, previous))) return 2;
        previous = zone;
    }
    return 0;
}

int CS_sinusXYLimits(const CsProjectionConstants* constants, int count, const double points[][3]) {
    const CsSinusConstants& c = Sinus(constants);
    const CsZone* previous = nullptr;
    for (int i = 0; i < count; ++i) {
        double ll[3];
        if (CS_sinusInverse(constants, ll, points[i]) != 0) return 2;
        if (c.zoneCount == 0) continue;
        const CsZone* zone = ZoneOfXy(c, points[i]);
        if (zone == nullptr || (previous != nullptr && !SameLobe(zone, previous))) return 2;
        previous = zone;
    }
    return 0;
}
