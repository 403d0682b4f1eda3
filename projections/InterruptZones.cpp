#include "projections/InterruptZones.h"

#include <cmath>

#include "coordsys/core/CsAngles.h"
#include "projections/ProjectionTypes.h"

namespace {

// A latitude (or y) of this sign is served by the zone.
bool Admits(const CsZone& zone, double latitude) {
    return latitude < 0.0 ? zone.hemisphere != 1 : zone.hemisphere != -1;
}

}  // namespace

int CS_zoneSetup(CsZone* zone, double west, double central, double east) {
    *zone = CsZone{};
    if (west == 0.0 && east == 0.0) return 0;
    // In doubles: a wild value (or a NaN) is no hemisphere, never an overflow.
    const double code = std::fmod(std::trunc(std::fabs(west) / 1000.0), 4.0);
    zone->hemisphere = code == 1.0 ? 1 : code == 2.0 ? -1 : 0;
    zone->west = CS_normLngRad(std::fmod(west, 1000.0) * kCsDegToRad);
    zone->central = CS_normLngRad(central * kCsDegToRad);
    zone->east = CS_normLngRad(east * kCsDegToRad);
    zone->width = zone->east - zone->west;
    if (zone->width < 0.0) zone->width += kCsTwoPi;
    // -180 to +180 wraps to one meridian: the zone is the whole round.
    if (zone->width == 0.0 && std::fmod(west, 1000.0) != east) zone->width = kCsTwoPi;
    return 1;
}

int CS_zonesSetup(const CsCoordSysDef* def, CsZone zones[kCsMaxZones]) {
    int count = 0;
    for (int i = 0; i < kCsMaxZones; ++i) zones[i] = CsZone{};
    for (int i = 0; i < kCsMaxZones; ++i) {
        const double* triple = &def->parameters[3 * i];
        count += CS_zoneSetup(&zones[count], triple[0], triple[1], triple[2]);
    }
    CsZone* owner = nullptr;
    for (int i = 0; i < count; ++i) {
        if (owner == nullptr || zones[i].east > owner->east) owner = &zones[i];
    }
    if (owner != nullptr) owner->eastEdge = 1;
    return count;
}

const CsZone* CS_zoneFindByLongitude(const CsZone zones[], int count, double longitude,
                                     double latitude) {
    for (int i = 0; i < count; ++i) {
        const CsZone& zone = zones[i];
        if (!Admits(zone, latitude)) continue;
        double d = longitude - zone.west;
        if (d < 0.0) d += kCsTwoPi;
        if (d < zone.width || (d == zone.width && zone.eastEdge != 0)) return &zone;
    }
    return nullptr;
}

const CsZone* CS_zoneFindByX(const CsZone zones[], int count, double x, double y) {
    for (int i = 0; i < count; ++i) {
        const CsZone& zone = zones[i];
        if (!Admits(zone, y)) continue;
        if ((zone.minX <= x && x < zone.maxX) || (x == zone.maxX && zone.eastEdge != 0)) {
            return &zone;
        }
    }
    return nullptr;
}

void CS_zoneEdgeLongitude(double ll[3]) {
    const double beyond = std::fabs(ll[0]) - 180.0;
    if (beyond > 0.0 && beyond <= kCsAngularTolerance * kCsRadToDeg) {
        ll[0] = std::copysign(180.0, ll[0]);
    }
}
