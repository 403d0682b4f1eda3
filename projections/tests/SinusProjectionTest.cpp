// The sinusoidal family, plain and interrupted; its check serves the world
// pseudocylindrical rows.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>

#include "coordsys/CsParams.h"
#include "projections/ProjectionTable.h"
#include "projections/SinusProjection.h"
#include "projections/tests/FamilySystemChecks.h"
#include "testing/TestSupport.h"

namespace {

constexpr double kR = 6370997.0;  // SPHERE

CsCoordSysDef Sinusoidal(const char* ellipsoid = "SPHERE") {
    CsCoordSysDef def{};
    std::strcpy(def.key, "TEST-SINUS");
    std::strcpy(def.ellipsoidKey, ellipsoid);
    std::strcpy(def.projectionKey, "SINUS");
    std::strcpy(def.unit, "METER");
    def.originLongitude = -60.0;
    def.falseEasting = 1000.0;
    def.falseNorthing = 2000.0;
    def.scaleReduction = 1.0;
    def.mapScale = 1.0;
    def.quadrant = 1;
    return def;
}

// Three zones: a northern one west of -20, a southern one west of -20, and
// one east of -20 for both hemispheres, with a gap from 100 to 140.
CsCoordSysDef Interrupted(int quadrant = 1) {
    CsCoordSysDef def = Sinusoidal();
    def.originLongitude = 0.0;
    def.quadrant = static_cast<std::int16_t>(quadrant);
    const double triples[] = {-1180, -100, -20, -2180, -60, -20, -20, 40, 100};
    for (std::size_t i = 0; i < std::size(triples); ++i) def.parameters[i] = triples[i];
    return def;
}

class SinusProjection : public familytest::FamilyTest {
protected:
    static int Forward(const CsParams& p, double lon, double lat, double out[3]) {
        const double in[3] = {lon, lat, 0.0};
        return p.forward(CS_constants(&p), out, in);
    }
    static int Inverse(const CsParams& p, double x, double y, double out[3]) {
        const double in[3] = {x, y, 0.0};
        return p.inverse(CS_constants(&p), out, in);
    }
};

TEST_F(SinusProjection, CheckRefusesOnlyTheOriginLongitudeForEveryWorldRow) {
    struct Case {
        const char* what;
        std::function<void(CsCoordSysDef&)> change;
        int error;  // 0: valid
    } cases[] = {
        {"origin longitude -180", [](auto& d) { d.originLongitude = -180.0; }, 216},
        {"origin longitude 180", [](auto& d) { d.originLongitude = 180.0; }, 0},
        {"origin longitude NaN", [](auto& d) { d.originLongitude = std::nan(""); }, 216},
        {"origin longitude 181, nothing else looked at",
         [](auto& d) {
             d.originLongitude = 181.0;
             d.originLatitude = 95.0;
             d.parameters[0] = 5000.0;
         },
         216},
    };
    for (const char* key : {"SINUS", "MOLLWEID", "GOODE", "ECKERT4", "ECKERT6"}) {
        const CsProjectionEntry* row = CS_projectionLookupExact(key);
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->check, CS_sinusCheck) << key;
        for (const Case& c : cases) {
            CsCoordSysDef def = Sinusoidal();
            c.change(def);
            int errors[4] = {};
            EXPECT_EQ(row->check(&def, row->code, errors, 4), c.error == 0 ? 0 : 1) << c.what;
            if (c.error != 0) {
                EXPECT_EQ(errors[0], c.error) << c.what;
            }
        }
    }
}

TEST_F(SinusProjection, LongitudesUpTo270DegreesOutStayUnwrapped) {
    CsCoordSysDef def = Sinusoidal();
    def.originLongitude = -100.0;
    CsPtr<CsParams> p = Build(def);
    double xy[3], ll[3];
    // A quarter round the equator from the origin.
    EXPECT_EQ(Forward(*p, -10.0, 0.0, xy), 0);
    EXPECT_NEAR(xy[0], kR * M_PI / 2.0 + 1000.0, 1e-6);
    EXPECT_NEAR(xy[1], 2000.0, 1e-9);
    // 260 degrees east stays 260 degrees east, and comes back so.
    EXPECT_EQ(Forward(*p, 160.0, 10.0, xy), 0);
    EXPECT_NEAR(xy[0] - 1000.0, kR * 260.0 * M_PI / 180.0 * std::cos(10.0 * M_PI / 180.0), 1e-6);
    EXPECT_EQ(Inverse(*p, xy[0], xy[1], ll), 0);
    EXPECT_NEAR(ll[0], 160.0, 1e-9);
    // Beyond 270 degrees on the origin's side: status 2, wrapped.
    def.originLongitude = 0.0;
    p = Build(def);
    EXPECT_EQ(Forward(*p, 280.0, 0.0, xy), 2);
    EXPECT_NEAR(xy[0] - 1000.0, -kR * 80.0 * M_PI / 180.0, 1e-6);
}

TEST_F(SinusProjection, ThePolesAndBeyond) {
    for (const char* ellipsoid : {"SPHERE", "WGS84"}) {
        SCOPED_TRACE(ellipsoid);
        CsPtr<CsParams> p = Build(Sinusoidal(ellipsoid));
        const auto& c = CS_constantsOf<CsSinusConstants>(p.get());
        double xy[3], ll[3];
        EXPECT_EQ(Forward(*p, 10.0, 90.0, xy), 1);
        EXPECT_NEAR(xy[1] - 2000.0, c.maxY, 1e-6);
        EXPECT_NEAR(xy[0], 1000.0, 1e-6);
        EXPECT_EQ(Forward(*p, 10.0, 91.0, xy), 2);
        EXPECT_LT(std::fabs(xy[1] - 2000.0), c.maxY);
        // An inverse beyond the pole line clamps with status 2; on it, 1.
        EXPECT_EQ(Inverse(*p, 1000.0, 2000.0 + 1.5 * c.maxY, ll), 2);
        EXPECT_NEAR(ll[1], 90.0, 1e-9);
        EXPECT_EQ(Inverse(*p, 1000.0, 2000.0 + c.maxY, ll), 1);
        EXPECT_NEAR(ll[1], 90.0, 1e-9);
        EXPECT_EQ(Inverse(*p, 1000.0 + 2.0 * c.maxX, 2000.0, ll), 2);
        const double pole[3] = {10.0, 90.0, 0.0};
        EXPECT_EQ(p->meridianScale(CS_constants(p.get()), pole), 1.0);
        const double beyond[3] = {0.0, 90.5, 0.0};
        EXPECT_EQ(p->meridianScale(CS_constants(p.get()), beyond), -1.0);
        const double points[1][3] = {{0.0, 90.5, 0.0}};
        EXPECT_EQ(p->checkGeographic(CS_constants(p.get()), 1, points), 2);
        // The whole sphere fits the default range.
        EXPECT_NEAR(p->maxY - 2000.0, c.maxY, 1e-6);
        EXPECT_NEAR(p->minX - 1000.0, -c.maxX, 1e-6);
    }
}

TEST_F(SinusProjection, AZonedPointTakesItsOwnZonesMeridian) {
    CsPtr<CsParams> zoned = Build(Interrupted());
    const auto& c = CS_constantsOf<CsSinusConstants>(zoned.get());
    ASSERT_EQ(c.zoneCount, 3);
    // The central x of a zone 40 degrees east sits 40 degrees of equator out.
    EXPECT_NEAR(c.zones[2].xOffset - 1000.0, kR * 40.0 * M_PI / 180.0, 1e-6);
    EXPECT_NEAR(c.zones[0].minX - 1000.0, -kR * M_PI, 1e-6);
    struct Case {
        double lon, lat, centre;
    } cases[] = {{-150, 30, -100}, {-150, -30, -60}, {-20, -30, 40}, {90, 60, 40}};
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << k.lon << " " << k.lat);
        CsCoordSysDef plain = Sinusoidal();
        plain.originLongitude = k.centre;
        plain.falseEasting = 1000.0 + kR * k.centre * M_PI / 180.0;
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
    // In the gap: about the origin, status 2.
    double xy[3], ll[3];
    EXPECT_EQ(Forward(*zoned, 120.0, 10.0, xy), 2);
    EXPECT_NEAR(xy[0] - 1000.0, kR * 120.0 * M_PI / 180.0 * std::cos(10.0 * M_PI / 180.0), 1e-6);
    // A point past its zone's east edge comes back on the edge.
    const double past = c.zones[2].xOffset + kR * 70.0 * M_PI / 180.0 * std::cos(1.0);
    EXPECT_EQ(Inverse(*zoned, past, 2000.0 + kR * 1.0, ll), 2);
    EXPECT_NEAR(ll[0], 100.0, 1e-9);
    // The limit checks keep a line within one zone.
    const CsProjectionConstants* k = CS_constants(zoned.get());
    const double oneZone[2][3] = {{-150, 30, 0}, {-30, 60, 0}};
    const double twoZones[2][3] = {{-150, 30, 0}, {-150, -30, 0}};
    const double gap[1][3] = {{120, 0, 0}};
    EXPECT_EQ(zoned->checkGeographic(k, 2, oneZone), 0);
    EXPECT_EQ(zoned->checkGeographic(k, 2, twoZones), 2);
    EXPECT_EQ(zoned->checkGeographic(k, 1, gap), 2);
    double xy1[3], xy2[3], xy3[3];
    Forward(*zoned, -150, 30, xy1);
    Forward(*zoned, -30, 60, xy2);
    Forward(*zoned, -150, -30, xy3);
    const double sameXy[2][3] = {{xy1[0], xy1[1], 0}, {xy2[0], xy2[1], 0}};
    const double otherXy[2][3] = {{xy1[0], xy1[1], 0}, {xy3[0], xy3[1], 0}};
    EXPECT_EQ(zoned->checkCartesian(k, 2, sameXy), 0);
    EXPECT_EQ(zoned->checkCartesian(k, 2, otherXy), 2);
    // The range is centred between the outer edges.
    EXPECT_DOUBLE_EQ(zoned->rangeCentralMeridian, -40.0);
    EXPECT_DOUBLE_EQ(zoned->minLongitude, -140.0);
    EXPECT_DOUBLE_EQ(zoned->maxLongitude, 140.0);
}

TEST_F(SinusProjection, AZoneMayTakeTheWholeRound) {
    // The north uninterrupted from -180 to 180, the south in two halves.
    CsCoordSysDef def = Interrupted();
    const double triples[] = {-1180, 0, 180, -2180, -90, 0, -2000, 90, 180};
    for (int i = 0; i < 24; ++i) def.parameters[i] = 0.0;
    for (std::size_t i = 0; i < std::size(triples); ++i) def.parameters[i] = triples[i];
    CsPtr<CsParams> zoned = Build(def);
    struct Case {
        double lon, lat, centre;
    } cases[] = {{-179, 40, 0}, {179, 40, 0}, {-179, -40, -90}, {100, -40, 90}, {-1, -1, -90}};
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << k.lon << " " << k.lat);
        double xy[3], ll[3];
        EXPECT_EQ(Forward(*zoned, k.lon, k.lat, xy), 0);
        const double dl = (k.lon - k.centre) * M_PI / 180.0;
        EXPECT_NEAR(xy[0] - 1000.0,
                    kR * (k.centre * M_PI / 180.0 + dl * std::cos(k.lat * M_PI / 180.0)), 1e-6);
        EXPECT_EQ(Inverse(*zoned, xy[0], xy[1], ll), 0);
        EXPECT_NEAR(ll[0], k.lon, 1e-9);
        EXPECT_NEAR(ll[1], k.lat, 1e-9);
    }
}

TEST_F(SinusProjection, ZonesAreFoundWhenTheQuadrantNegatesX) {
    // Quadrant 2: x grows westward. Each zone's extent is ordered after the
    // negation, so the inverse still finds it.
    CsPtr<CsParams> west = Build(Interrupted(2));
    const auto& c = CS_constantsOf<CsSinusConstants>(west.get());
    for (int i = 0; i < c.zoneCount; ++i) EXPECT_LT(c.zones[i].minX, c.zones[i].maxX) << i;
    CsPtr<CsParams> east = Build(Interrupted(1));
    for (auto [lon, lat] : {std::pair{-150.0, 30.0}, {-150.0, -30.0}, {60.0, 45.0}}) {
        double a[3], b[3], ll[3];
        EXPECT_EQ(Forward(*west, lon, lat, a), 0);
        EXPECT_EQ(Forward(*east, lon, lat, b), 0);
        EXPECT_NEAR(a[0] - 1000.0, -(b[0] - 1000.0), 1e-6);
        EXPECT_EQ(Inverse(*west, a[0], a[1], ll), 0) << lon << " " << lat;
        EXPECT_NEAR(ll[0], lon, 1e-9);
        EXPECT_NEAR(ll[1], lat, 1e-9);
    }
}

TEST_F(SinusProjection, TheMeridianScale) {
    CsPtr<CsParams> sphere = Build(Sinusoidal());
    const double ll[3] = {0.0, 60.0, 0.0};
    const double t = 60.0 * M_PI / 180.0 * std::sin(60.0 * M_PI / 180.0);
    EXPECT_NEAR(sphere->meridianScale(CS_constants(sphere.get()), ll), std::sqrt(1.0 + t * t),
                1e-12);
    EXPECT_EQ(sphere->parallelScale(CS_constants(sphere.get()), ll), 1.0);
    CsPtr<CsParams> zoned = Build(Interrupted());
    const double gap[3] = {120.0, 10.0, 0.0};
    EXPECT_EQ(zoned->meridianScale(CS_constants(zoned.get()), gap), -1.0);
}

TEST_F(SinusProjection, WktReadsBackAndProjAcceptsIt) {
    familytest::ExpectWktRoundTrip("WORLD-SINUSOIDAL");
    familytest::ExpectWktRoundTrip("EXAMPLE-SINUS-LOBES");
}

TEST_F(SinusProjection, ProgramConvertsAGoldenRow) {
    // world-sinusoidal.golden
    familytest::ExpectProgramRoundTrip("WORLD-SINUSOIDAL", 151.2, -33.87, 13989822.732103223,
                                       -3749241.684525111, 1.0);
}

}  // namespace
