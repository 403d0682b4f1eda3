// The Mollweide and Goode homolosine families, plain and interrupted, and a
// whole-world graticule through the program in Goode's land lobes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <sstream>
#include <utility>
#include <vector>

#include "coordsys/CsParams.h"
#include "coordsys/core/CsAngles.h"
#include "projections/MollweideProjection.h"
#include "projections/ProjectionTable.h"
#include "projections/tests/FamilySystemChecks.h"
#include "testing/OgrTools.h"
#include "testing/TestSupport.h"

namespace {

constexpr double kA = 6378137.0;  // WGS84
constexpr double kDeg = M_PI / 180.0;

CsCoordSysDef World(const char* projection, double originLongitude = 0.0) {
    CsCoordSysDef def{};
    std::strcpy(def.key, "TEST-WORLD");
    std::strcpy(def.datumKey, "WGS84");
    std::strcpy(def.projectionKey, projection);
    std::strcpy(def.unit, "METER");
    def.originLongitude = originLongitude;
    def.falseEasting = 1000.0;
    def.falseNorthing = 2000.0;
    def.scaleReduction = 1.0;
    def.mapScale = 1.0;
    def.quadrant = 1;
    return def;
}

// Two zones for both hemispheres with a gap: -90..0 about -45 and 0..90
// about 45.
CsCoordSysDef TwoZones(const char* projection, int quadrant = 1) {
    CsCoordSysDef def = World(projection);
    def.quadrant = static_cast<std::int16_t>(quadrant);
    const double triples[] = {-90, -45, 0, 0, 45, 90};
    for (std::size_t i = 0; i < std::size(triples); ++i) def.parameters[i] = triples[i];
    return def;
}

class MollweideProjection : public familytest::FamilyTest {
protected:
    static int Forward(const CsParams& p, double lon, double lat, double out[3]) {
        const double in[3] = {lon, lat, 0.0};
        return p.forward(CS_constants(&p), out, in);
    }
    static int Inverse(const CsParams& p, double x, double y, double out[3]) {
        const double in[3] = {x, y, 0.0};
        return p.inverse(CS_constants(&p), out, in);
    }
    static const CsMollweideConstants& Constants(const CsParams& p) {
        return CS_constantsOf<CsMollweideConstants>(&p);
    }
};

TEST_F(MollweideProjection, EveryLatitudeOffThePoleSettlesAndComesBack) {
    for (const char* projection : {"MOLLWEID", "GOODE"}) {
        SCOPED_TRACE(projection);
        CsPtr<CsParams> p = Build(World(projection));
        int worst = 0;
        double worstError = 0.0;
        for (double lat = -89.999; lat < 90.0; lat += 0.0137) {
            // The inverse takes s = y / Cy of 0.9999999515 and more, some 30 m
            // about a pole, as the pole itself.
            for (double lat2 : {lat, std::copysign(89.999 - 1e-3 * std::fabs(lat) / 90.0, lat)}) {
                double xy[3], ll[3];
                worst = std::max(worst, Forward(*p, 120.0, lat2, xy));
                worst = std::max(worst, Inverse(*p, xy[0], xy[1], ll));
                worstError = std::max(worstError, std::fabs(ll[1] - lat2));
                if (std::fabs(lat2) < 89.9) {
                    worstError = std::max(worstError, std::fabs(ll[0] - 120.0));
                }
            }
        }
        EXPECT_EQ(worst, 0);
        EXPECT_LT(worstError, 1e-9);
    }
}

TEST_F(MollweideProjection, ThePolesLieOnTheZonesMeridian) {
    for (const char* projection : {"MOLLWEID", "GOODE"}) {
        SCOPED_TRACE(projection);
        CsPtr<CsParams> p = Build(TwoZones(projection));
        const CsMollweideConstants& c = Constants(*p);
        const double top = projection[0] == 'M' ? c.cy : c.cy - c.offset;
        double xy[3], ll[3];
        EXPECT_EQ(Forward(*p, 60.0, 90.0, xy), 1);
        EXPECT_NEAR(xy[0], c.zones[1].xOffset, 1e-6);
        EXPECT_NEAR(xy[1] - 2000.0, top, 1e-6);
        EXPECT_EQ(Forward(*p, -60.0, -90.0, xy), 1);
        EXPECT_NEAR(xy[0], c.zones[0].xOffset, 1e-6);
        EXPECT_NEAR(xy[1] - 2000.0, -top, 1e-6);
        EXPECT_EQ(Inverse(*p, xy[0], xy[1], ll), 1);
        EXPECT_NEAR(ll[1], -90.0, 1e-9);
        // Beyond the pole line: clamped, status 2.
        EXPECT_EQ(Inverse(*p, xy[0], 2000.0 + 1.2 * top, ll), 2);
        EXPECT_NEAR(ll[1], 90.0, 1e-9);
        EXPECT_EQ(Forward(*p, 10.0, 91.0, xy), 2);
    }
}

TEST_F(MollweideProjection, ZonesGiveEachPointItsMeridianAndTheGapNone) {
    for (const char* projection : {"MOLLWEID", "GOODE"}) {
        SCOPED_TRACE(projection);
        CsPtr<CsParams> zoned = Build(TwoZones(projection));
        const CsMollweideConstants& c = Constants(*zoned);
        // Goode's lobes meet on its sinusoidal equator, Mollweide's on its own.
        const double perRadian = projection[0] == 'G' ? kA : c.cx;
        EXPECT_NEAR(c.zones[1].xOffset - 1000.0, perRadian * 45.0 * kDeg, 1e-6);
        EXPECT_NEAR(c.zones[0].minX - 1000.0, -perRadian * 90.0 * kDeg, 1e-6);
        struct Case {
            double lon, lat, centre;
        } cases[] = {{-60, 20, -45}, {30, -70, 45}, {0, 50, 45}, {90, 10, 45}, {-90, 10, -45}};
        for (const Case& k : cases) {
            SCOPED_TRACE(testing::Message() << k.lon << " " << k.lat);
            CsCoordSysDef plain = World(projection, k.centre);
            plain.falseEasting = 1000.0 + perRadian * k.centre * kDeg;
            CsPtr<CsParams> lobe = Build(plain);
            double a[3], b[3], ll[3];
            EXPECT_EQ(Forward(*zoned, k.lon, k.lat, a), 0);
            EXPECT_EQ(Forward(*lobe, k.lon, k.lat, b), 0);
            EXPECT_NEAR(a[0], b[0], 1e-6);
            EXPECT_NEAR(a[1], b[1], 1e-6);
            EXPECT_EQ(Inverse(*zoned, a[0], a[1], ll), 0);
            EXPECT_NEAR(ll[0], k.lon, 1e-9);
            EXPECT_NEAR(ll[1], k.lat, 1e-9);
        }
        // Outside every zone: about the origin, status 2, both ways.
        CsPtr<CsParams> plain = Build(World(projection));
        double a[3], b[3], ll[3];
        EXPECT_EQ(Forward(*zoned, 120.0, 10.0, a), 2);
        EXPECT_EQ(Forward(*plain, 120.0, 10.0, b), 0);
        EXPECT_NEAR(a[0], b[0], 1e-6);
        EXPECT_EQ(Inverse(*zoned, 1000.0 + perRadian * 2.5, 2000.0, ll), 2);
    }
}

TEST_F(MollweideProjection, ZonesAreFoundWhenTheQuadrantNegatesX) {
    for (const char* projection : {"MOLLWEID", "GOODE"}) {
        SCOPED_TRACE(projection);
        CsPtr<CsParams> west = Build(TwoZones(projection, 2));
        CsPtr<CsParams> east = Build(TwoZones(projection));
        const CsMollweideConstants& c = Constants(*west);
        for (int i = 0; i < c.zoneCount; ++i) EXPECT_LT(c.zones[i].minX, c.zones[i].maxX) << i;
        for (auto [lon, lat] : {std::pair{-60.0, 20.0}, {30.0, -70.0}, {89.0, 0.0}}) {
            double a[3], b[3], ll[3];
            EXPECT_EQ(Forward(*west, lon, lat, a), 0);
            EXPECT_EQ(Forward(*east, lon, lat, b), 0);
            EXPECT_NEAR(a[0] - 1000.0, -(b[0] - 1000.0), 1e-6);
            EXPECT_EQ(Inverse(*west, a[0], a[1], ll), 0) << lon << " " << lat;
            EXPECT_NEAR(ll[0], lon, 1e-9);
            EXPECT_NEAR(ll[1], lat, 1e-9);
        }
    }
}

TEST_F(MollweideProjection, LongitudesUpTo270DegreesOutStayUnwrapped) {
    for (const char* projection : {"MOLLWEID", "GOODE"}) {
        SCOPED_TRACE(projection);
        CsPtr<CsParams> p = Build(World(projection, -100.0));
        double xy[3], ll[3], ref[3];
        EXPECT_EQ(Forward(*p, 160.0, 10.0, xy), 0);
        EXPECT_EQ(Inverse(*p, xy[0], xy[1], ll), 0);
        EXPECT_NEAR(ll[0], 160.0, 1e-9);
        EXPECT_GT(xy[0] - 1000.0, 0.0) << "east of the origin";
        p = Build(World(projection));
        EXPECT_EQ(Forward(*p, 280.0, 10.0, xy), 2);
        EXPECT_EQ(Forward(*p, -80.0, 10.0, ref), 0);
        EXPECT_NEAR(xy[0], ref[0], 1e-6);
    }
}

TEST_F(MollweideProjection, GoodeJoinsItsTwoPartsAtTheJoinLatitude) {
    CsPtr<CsParams> p = Build(World("GOODE"));
    const CsMollweideConstants& c = Constants(*p);
    const double join = c.joinLatitude / kDeg;
    double at[3], below[3], above[3];
    EXPECT_EQ(Forward(*p, 50.0, join, at), 0);
    // The sinusoidal formulas hold on the join itself.
    EXPECT_NEAR(at[1] - 2000.0, kA * c.joinLatitude, 1e-6);
    EXPECT_NEAR(at[0] - 1000.0, kA * std::cos(c.joinLatitude) * 50.0 * kDeg, 1e-6);
    Forward(*p, 50.0, join - 1e-9, below);
    Forward(*p, 50.0, join + 1e-9, above);
    EXPECT_NEAR(above[0], below[0], 0.001);
    EXPECT_NEAR(above[1], below[1], 0.001);
}

TEST_F(MollweideProjection, TheDefaultRangeHoldsTheWholeWorld) {
    CsPtr<CsParams> goode = Build(World("GOODE"));
    const CsMollweideConstants& c = Constants(*goode);
    double pole[3];
    Forward(*goode, 0.0, 90.0, pole);
    // Goode's pole line, not a product of two radii.
    EXPECT_NEAR(goode->maxY, pole[1], 1e-6);
    EXPECT_NEAR(goode->maxX - 1000.0, kA * 1.5 * M_PI, 1e-3);
    EXPECT_NEAR(c.yExtent, c.cy - c.offset, 1e-9);
    CsPtr<CsParams> mollweide = Build(World("MOLLWEID"));
    EXPECT_NEAR(mollweide->maxX - 1000.0, Constants(*mollweide).cx * 1.5 * M_PI, 1e-3);
    EXPECT_GT(mollweide->maxY - 2000.0, Constants(*mollweide).cy);
    for (const CsParams* p : {goode.get(), mollweide.get()}) {
        EXPECT_EQ(p->minLongitude, -180.0);
        EXPECT_EQ(p->maxLatitude, 90.0);
        const double beyond[1][3] = {{0.0, 90.5, 0.0}};
        EXPECT_EQ(p->checkGeographic(CS_constants(p), 1, beyond), 2);
        const double inside[2][3] = {{-180.0, -90.0, 0.0}, {180.0, 90.0, 0.0}};
        EXPECT_EQ(p->checkGeographic(CS_constants(p), 2, inside), 0);
        const double far[1][3] = {{0.0, 3.0 * kA, 0.0}};
        EXPECT_EQ(p->checkCartesian(CS_constants(p), 1, far), 2);
    }
}

TEST_F(MollweideProjection, WktReadsBackAndProjAcceptsIt) {
    familytest::ExpectWktRoundTrip("WORLD-MOLLWEIDE");
    familytest::ExpectWktRoundTrip("EXAMPLE-GOODE");
    familytest::ExpectWktRoundTrip("WORLD-GOODE-LAND");
}

TEST_F(MollweideProjection, ProgramConvertsAGoldenRow) {
    // world-mollweide.golden and world-goode-land.golden
    familytest::ExpectProgramRoundTrip("WORLD-MOLLWEIDE", 12.5, 41.9, 1042636.549736021,
                                       5000646.662737804, 1.0);
    familytest::ExpectProgramRoundTrip("WORLD-GOODE-LAND", -73.98, 40.75, -8937472.420505838,
                                       4536269.194157822, 1.0);
}

// Every degree of latitude and longitude as lines: meridians pole to pole,
// parallels from -180 to +179 (+180 lands on -180 in Goode's lobes, which
// would close the line; the poles' own parallels are single points).
TEST_F(MollweideProjection, AWorldGraticuleComesBackFromGoodesLobes) {
    wlxtest::TempDir dir;
    std::vector<std::vector<std::pair<double, double>>> original;  // (lon, lat)
    for (int lon = -180; lon <= 180; ++lon) {
        original.emplace_back();
        for (int lat = -90; lat <= 90; ++lat) original.back().emplace_back(lon, lat);
    }
    for (int lat = -89; lat <= 89; ++lat) {
        original.emplace_back();
        for (int lon = -180; lon < 180; ++lon) original.back().emplace_back(lon, lat);
    }
    std::ostringstream wlt;
    for (std::size_t i = 0; i < original.size(); ++i) {
        wlt << "L,\"line " << i << "\",\"k" << i << "\",\"\"," << original[i].size() << "\n";
        for (auto [lon, lat] : original[i]) wlt << lat << ".0," << lon << ".0\n";
    }
    wlxtest::WriteText(dir / "graticule.wlt", wlt.str());
    wlxtest::RunOptions options;
    options.workingDirectory = dir.path();
    auto forward =
        wlxtest::RunWlxconv({"/IL", "/OL", "/COORDPREC:64",
                             "/COORDSYS:IN:LL84:OUT:WORLD-GOODE-LAND", "graticule.wlt", "goode"},
                            options);
    ASSERT_EQ(forward.exitCode, 0) << forward.out;
    auto back = wlxtest::RunWlxconv({"/IL", "/OL", "/COORDPREC:64",
                                     "/COORDSYS:IN:WORLD-GOODE-LAND:OUT:LL84", "goode.wlt", "back"},
                                    options);
    ASSERT_EQ(back.exitCode, 0) << back.out;

    const auto projected = wlxtest::ReadWlt(dir / "goode.wlt");
    const auto returned = wlxtest::ReadWlt(dir / "back.wlt");
    ASSERT_EQ(returned.size(), original.size());
    ASSERT_EQ(projected.size(), original.size());
    // The program projects each vertex as the library does, in its lobe.
    CsPtr<CsParams> goode(CS_loadCoordSys("WORLD-GOODE-LAND"));
    ASSERT_TRUE(goode) << CS_lastMessage();
    double worst = 0.0, worstProjected = 0.0;
    std::size_t vertices = 0;
    for (std::size_t i = 0; i < original.size(); ++i) {
        ASSERT_EQ(returned[i].points.size(), original[i].size()) << i;
        ASSERT_EQ(projected[i].points.size(), original[i].size()) << i;
        for (std::size_t j = 0; j < original[i].size(); ++j) {
            const auto [lon, lat] = original[i][j];
            const auto [lon2, lat2] = returned[i].points[j];
            const double east = CS_normDeg180(lon2 - lon) * 111320.0 * std::cos(lat * kDeg);
            const double north = (lat2 - lat) * 111132.0;
            worst = std::max(worst, std::hypot(east, north));
            double xy[3];
            Forward(*goode, lon, lat, xy);
            const auto [x, y] = projected[i].points[j];
            worstProjected = std::max(worstProjected, std::hypot(x - xy[0], y - xy[1]));
            ++vertices;
        }
    }
    EXPECT_EQ(vertices, 361u * 181u + 179u * 360u);
    EXPECT_LE(worstProjected, 0.001) << "metres";
    EXPECT_LE(worst, 0.001) << "metres";
}

}  // namespace
