// The zones (lobes) of the interrupted pseudocylindrical projections: up to
// eight, each with its own central meridian and longitude extent, optionally
// serving one hemisphere only. The families place each zone's cartesian
// extent themselves, in their own x scale.
#pragma once

#include <cstdint>

#include "coordsys/core/CsRecords.h"

struct CsZone {
    double west;     // radians, within +-pi
    double central;  // radians, within +-pi
    double east;     // radians, within +-pi
    double width;    // east less west, plus 2 pi when negative
    double minX;     // system units with the false easting; set by the family
    double maxX;
    double xOffset;           // the x of the central meridian
    std::int16_t hemisphere;  // +1 northern only, -1 southern only, 0 both
    std::uint16_t eastEdge;   // 1: the zone also owns points on its east edge
};

inline constexpr int kCsMaxZones = 8;

// One zone from its triple in degrees; the west value's thousands carry the
// hemisphere (1 northern, 2 southern). 1 when filled, 0 when west and east
// are both zero (the zone is absent and left all zero).
int CS_zoneSetup(CsZone* zone, double west, double central, double east);
// The definition's eight parameter triples as zones, packed to the front, and
// their east-edge flags; returns the count (0: not interrupted).
int CS_zonesSetup(const CsCoordSysDef* def, CsZone zones[kCsMaxZones]);
// The first zone whose hemisphere admits the latitude and whose extent holds
// the longitude (radians); null when none does.
const CsZone* CS_zoneFindByLongitude(const CsZone zones[], int count, double longitude,
                                     double latitude);
// The first zone whose hemisphere admits the sign of y and whose cartesian
// extent holds x (false easting included, false northing removed).
const CsZone* CS_zoneFindByX(const CsZone zones[], int count, double x, double y);

// The lobes cover the world once: a zoned inverse's longitude (degrees) past
// +-180 by no more than the angular tolerance, as rounding on the world's
// edge leaves it, is put on the edge.
void CS_zoneEdgeLongitude(double ll[3]);
