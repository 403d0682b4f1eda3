#include <gtest/gtest.h>

#include <cmath>
#include <iterator>

#include "coordsys/core/CsAngles.h"
#include "coordsys/core/CsRecords.h"
#include "projections/InterruptZones.h"
#include "projections/ProjectionTypes.h"

namespace {

constexpr double kDeg = kCsDegToRad;

// Goode's six land lobes: two northern, four southern.
CsCoordSysDef GoodeLand() {
    CsCoordSysDef def{};
    const double triples[] = {-1180, -100, -40, -1040, 30, 180, -2180, -160, -100,
                              -2100, -60,  -20, -2020, 20, 80,  2080,  140,  180};
    for (std::size_t i = 0; i < std::size(triples); ++i) def.parameters[i] = triples[i];
    return def;
}

TEST(InterruptZones, AZeroTripleIsNoZoneAndTheOthersPackToTheFront) {
    CsCoordSysDef def{};
    CsZone zones[kCsMaxZones];
    EXPECT_EQ(CS_zonesSetup(&def, zones), 0);
    EXPECT_EQ(CS_zoneFindByLongitude(zones, 0, 0.0, 0.0), nullptr);
    EXPECT_EQ(CS_zoneFindByX(zones, 0, 0.0, 0.0), nullptr);
    // Only the third triple is present; a central meridian alone makes none.
    def.parameters[1] = 10.0;
    def.parameters[6] = -30.0;
    def.parameters[8] = 30.0;
    ASSERT_EQ(CS_zonesSetup(&def, zones), 1);
    EXPECT_DOUBLE_EQ(zones[0].west, -30.0 * kDeg);
    EXPECT_DOUBLE_EQ(zones[0].east, 30.0 * kDeg);
    EXPECT_DOUBLE_EQ(zones[0].width, 60.0 * kDeg);
    EXPECT_EQ(zones[0].hemisphere, 0);
    EXPECT_EQ(zones[0].eastEdge, 1);
    EXPECT_EQ(zones[1].width, 0.0);
}

TEST(InterruptZones, TheWestValueCarriesTheHemisphere) {
    struct Case {
        double west;
        int hemisphere;
        double longitude;
    } cases[] = {
        {-1180, 1, -180}, {-2180, -1, -180}, {2080, -1, 80},
        {-3020, 0, -20},  {-5020, 1, -20},   {-20, 0, -20},
    };
    for (const Case& c : cases) {
        CsZone zone;
        ASSERT_EQ(CS_zoneSetup(&zone, c.west, 100.0, 160.0), 1) << c.west;
        EXPECT_EQ(zone.hemisphere, c.hemisphere) << c.west;
        EXPECT_DOUBLE_EQ(zone.west, CS_normLngRad(c.longitude * kDeg)) << c.west;
    }
    // A wild west value names no hemisphere.
    for (double wild : {1e300, -1e300, std::nan("")}) {
        CsZone zone;
        ASSERT_EQ(CS_zoneSetup(&zone, wild, 0.0, 10.0), 1) << wild;
        EXPECT_EQ(zone.hemisphere, 0) << wild;
    }
    // A northern-only zone from -180 to -20 about -100.
    CsZone zone;
    ASSERT_EQ(CS_zoneSetup(&zone, -1180, -100, -20), 1);
    EXPECT_NEAR(zone.width, 160.0 * kDeg, 1e-15);
    zone.eastEdge = 1;
    EXPECT_EQ(CS_zoneFindByLongitude(&zone, 1, -150.0 * kDeg, 10.0 * kDeg), &zone);
    EXPECT_EQ(CS_zoneFindByLongitude(&zone, 1, -150.0 * kDeg, -10.0 * kDeg), nullptr);
    EXPECT_EQ(CS_zoneFindByLongitude(&zone, 1, -150.0 * kDeg, 0.0), &zone);
}

TEST(InterruptZones, AZoneAcrossTheAntimeridianHoldsBothSides) {
    CsZone zone;
    ASSERT_EQ(CS_zoneSetup(&zone, 160, 180, -160), 1);
    EXPECT_NEAR(zone.width, 40.0 * kDeg, 1e-14);
    for (double longitude : {170.0, -170.0, 160.0, 180.0, -180.0}) {
        EXPECT_EQ(CS_zoneFindByLongitude(&zone, 1, longitude * kDeg, 0.0), &zone) << longitude;
    }
    EXPECT_EQ(CS_zoneFindByLongitude(&zone, 1, -150.0 * kDeg, 0.0), nullptr);
    EXPECT_EQ(CS_zoneFindByLongitude(&zone, 1, -160.0 * kDeg, 0.0), nullptr) << "no east edge";
}

TEST(InterruptZones, AZoneFromMinus180To180HoldsTheWholeRound) {
    CsZone zone;
    ASSERT_EQ(CS_zoneSetup(&zone, -1180, 0, 180), 1);
    EXPECT_DOUBLE_EQ(zone.width, 2.0 * kCsPi);
    for (double longitude : {-180.0, -90.0, 0.0, 90.0, 179.999}) {
        EXPECT_EQ(CS_zoneFindByLongitude(&zone, 1, longitude * kDeg, 1.0), &zone) << longitude;
    }
    // A zone of one meridian stays one.
    ASSERT_EQ(CS_zoneSetup(&zone, 10, 10, 10), 1);
    EXPECT_EQ(zone.width, 0.0);
}

TEST(InterruptZones, OnlyTheEdgeOwnerHoldsItsEastEdge) {
    CsCoordSysDef def = GoodeLand();
    CsZone zones[kCsMaxZones];
    ASSERT_EQ(CS_zonesSetup(&def, zones), 6);
    // The first of the two lobes that end at 180.
    for (int i = 0; i < 6; ++i) EXPECT_EQ(zones[i].eastEdge, i == 1 ? 1 : 0) << i;
    struct Case {
        double longitude, latitude;
        int zone;  // -1: none
    } cases[] = {
        // A west edge of -180 is held as +180: both ends of the world fall
        // at its start.
        {180, 10, 0}, {180, -10, 2},       {-180, 10, 0},  {-180, -10, 2},
        {-40, 10, 1}, {-40.000001, 10, 0}, {-100, -10, 3}, {-100, 10, 0},
        {80, -1, 5},  {0, 0, 1},           {200, 10, 0},  // -160
    };
    for (const Case& c : cases) {
        const CsZone* zone =
            CS_zoneFindByLongitude(zones, 6, c.longitude * kDeg, c.latitude * kDeg);
        EXPECT_EQ(zone == nullptr ? -1 : zone - zones, c.zone) << c.longitude << " " << c.latitude;
    }
    // Two zones, the first ending at +180: it alone owns the edge.
    CsCoordSysDef two{};
    const double triples[] = {0, 90, 180, -180, -90, 0};
    for (std::size_t i = 0; i < std::size(triples); ++i) two.parameters[i] = triples[i];
    ASSERT_EQ(CS_zonesSetup(&two, zones), 2);
    EXPECT_EQ(zones[0].eastEdge, 1);
    EXPECT_EQ(zones[1].eastEdge, 0);
    EXPECT_EQ(CS_zoneFindByLongitude(zones, 2, kCsPi, 0.0), &zones[0]);
    EXPECT_EQ(CS_zoneFindByLongitude(zones, 2, 0.0, 0.0), &zones[0]);
    EXPECT_EQ(CS_zoneFindByLongitude(zones, 2, -1e-9, 0.0), &zones[1]);
}

TEST(InterruptZones, FindByXTakesTheExtentAndTheSignOfY) {
    CsCoordSysDef def = GoodeLand();
    CsZone zones[kCsMaxZones];
    ASSERT_EQ(CS_zonesSetup(&def, zones), 6);
    // Extents of one unit a degree, as a family would place them.
    const double wests[] = {-180, -40, -180, -100, -20, 80};
    for (int i = 0; i < 6; ++i) {
        zones[i].minX = wests[i];
        zones[i].maxX = wests[i] + zones[i].width / kDeg;
    }
    struct Case {
        double x, y;
        int zone;
    } cases[] = {
        // The table's edge owner holds x = its maximum; the other lobe ending
        // at 180 does not.
        {-180, 1, 0},  {-40, 1, 1},    {-40.5, 1, 0},  {180, 1, 1},
        {180, -1, -1}, {-180, -1, 2},  {-99.5, -1, 3}, {-100.5, -1, 2},
        {0, 0, 1},     {180.5, 1, -1}, {-181, -1, -1},
    };
    for (const Case& c : cases) {
        const CsZone* zone = CS_zoneFindByX(zones, 6, c.x, c.y);
        EXPECT_EQ(zone == nullptr ? -1 : zone - zones, c.zone) << c.x << " " << c.y;
    }
}

}  // namespace
