#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>

#include "coordsys/CsParams.h"
#include "projections/ProjectionTable.h"
#include "projections/PsteroProjection.h"
#include "projections/tests/FamilySystemChecks.h"
#include "testing/TestSupport.h"

namespace {

CsCoordSysDef Polar(const char* projection, const char* ellipsoid = "WGS84") {
    CsCoordSysDef def{};
    std::strcpy(def.key, "TEST-PS");
    std::strcpy(def.ellipsoidKey, ellipsoid);
    std::strcpy(def.projectionKey, projection);
    std::strcpy(def.unit, "METER");
    def.originLatitude = 90.0;
    def.parameters[0] = 70.0;
    def.scaleReduction = 0.994;
    def.falseEasting = 2000000.0;
    def.falseNorthing = 2000000.0;
    def.mapScale = 1.0;
    def.quadrant = 1;
    return def;
}

class PsteroProjection : public familytest::FamilyTest {};

TEST_F(PsteroProjection, CheckReportsEachFault) {
    struct Case {
        const char* what;
        const char* projection;
        std::function<void(CsCoordSysDef&)> change;
        int error;  // 0: valid
    } cases[] = {
        {"origin longitude -180", "PSTERO", [](auto& d) { d.originLongitude = -180.0; }, 216},
        {"origin longitude +180", "PSTERO", [](auto& d) { d.originLongitude = 180.0; }, 0},
        {"origin latitude 89", "PSTERO", [](auto& d) { d.originLatitude = 89.0; }, 244},
        {"origin latitude 89", "PSTEROSL",
         [](auto& d) { d.originLatitude = 89.0, d.parameters[0] = -70.0; }, 244},
        {"origin latitude NaN", "PSTERO", [](auto& d) { d.originLatitude = std::nan(""); }, 244},
        {"scale reduction 0.4", "PSTERO", [](auto& d) { d.scaleReduction = 0.4; }, 227},
        {"standard circle ignores it", "PSTEROSL", [](auto& d) { d.scaleReduction = 0.4; }, 0},
        {"standard circle 90", "PSTEROSL", [](auto& d) { d.parameters[0] = 90.0; }, 229},
        {"standard circle south of a north pole", "PSTEROSL",
         [](auto& d) { d.parameters[0] = -70.0; }, 229},
        {"south pole, southern circle", "PSTEROSL",
         [](auto& d) { d.originLatitude = -90.0, d.parameters[0] = -70.0; }, 0},
        {"south pole, circle 0", "PSTEROSL",
         [](auto& d) { d.originLatitude = -90.0, d.parameters[0] = 0.0; }, 229},
    };
    for (const Case& c : cases) {
        CsCoordSysDef def = Polar(c.projection);
        c.change(def);
        int errors[4] = {};
        int count = CS_psteroCheck(&def, CS_projectionLookupExact(c.projection)->code, errors, 4);
        EXPECT_EQ(count, c.error == 0 ? 0 : 1) << c.what;
        if (c.error != 0) {
            EXPECT_EQ(errors[0], c.error) << c.what;
        }
    }
}

TEST_F(PsteroProjection, PoleAndMeridians) {
    for (const char* ellipsoid : {"WGS84", "SPHERE"}) {
        SCOPED_TRACE(ellipsoid);
        CsCoordSysDef def = Polar("PSTERO", ellipsoid);
        def.originLongitude = -45.0;
        CsPtr<CsParams> p = Build(def);
        ASSERT_TRUE(p);
        double xy[3], ll[3];
        const double pole[3] = {-45.0, 90.0, 0.0};
        EXPECT_EQ(CS_forwardProject(p.get(), xy, pole), 1);
        EXPECT_DOUBLE_EQ(xy[0], 2000000.0);
        EXPECT_DOUBLE_EQ(xy[1], 2000000.0);
        EXPECT_EQ(CS_inverseProject(p.get(), ll, xy), 0);
        EXPECT_EQ(ll[0], -45.0);
        EXPECT_EQ(ll[1], 90.0);
        // Down the central meridian: the negative y axis.
        const double below[3] = {-45.0, 70.0, 0.0};
        EXPECT_EQ(CS_forwardProject(p.get(), xy, below), 0);
        EXPECT_NEAR(xy[0], 2000000.0, 1e-6);
        EXPECT_LT(xy[1], 2000000.0);
        // Beyond the pole: folded back with status 2.
        const double beyond[3] = {-45.0, 95.0, 0.0};
        EXPECT_EQ(CS_forwardProject(p.get(), xy, beyond), 2);
    }
}

TEST_F(PsteroProjection, SouthernSphereKeepsTheLongitude) {
    CsCoordSysDef def = Polar("PSTERO", "SPHERE");
    def.originLatitude = -90.0;
    def.originLongitude = 20.0;
    CsPtr<CsParams> p = Build(def);
    ASSERT_TRUE(p);
    const double point[3] = {50.0, -60.0, 0.0};
    double xy[3], ll[3];
    ASSERT_EQ(CS_forwardProject(p.get(), xy, point), 0);
    ASSERT_EQ(CS_inverseProject(p.get(), ll, xy), 0);
    EXPECT_NEAR(ll[0], 50.0, 1e-12);
    EXPECT_NEAR(ll[1], -60.0, 1e-12);
}

// The scale is a ratio in any unit: k0 at the pole, 1 on the standard circle.
TEST_F(PsteroProjection, ScaleIsAPureRatio) {
    struct Case {
        const char* projection;
        const char* ellipsoid;
        const char* unit;
        double latitude, k;
    } cases[] = {
        {"PSTERO", "WGS84", "FOOT", 90.0, 0.994},  {"PSTERO", "WGS84", "FOOT", 89.9999, 0.994},
        {"PSTERO", "SPHERE", "FOOT", 90.0, 0.994}, {"PSTEROSL", "WGS84", "FOOT", 70.0, 1.0},
        {"PSTEROSL", "SPHERE", "FOOT", 70.0, 1.0}, {"PSTEROSL", "SPHERE", "METER", 70.0, 1.0},
    };
    for (const auto& c : cases) {
        CsCoordSysDef def = Polar(c.projection, c.ellipsoid);
        std::strcpy(def.unit, c.unit);
        CsPtr<CsParams> p = Build(def);
        ASSERT_TRUE(p);
        const double ll[3] = {10.0, c.latitude, 0.0};
        EXPECT_NEAR(p->parallelScale(CS_constants(p.get()), ll), c.k, 1e-9)
            << c.projection << " " << c.ellipsoid << " " << c.unit << " " << c.latitude;
    }
    CsPtr<CsParams> p = Build(Polar("PSTERO"));
    const double opposite[3] = {0.0, -90.0, 0.0}, beyond[3] = {0.0, 91.0, 0.0};
    EXPECT_EQ(p->gridScale(CS_constants(p.get()), opposite), 9999.99);
    EXPECT_EQ(p->gridScale(CS_constants(p.get()), beyond), -1.0);
}

TEST_F(PsteroProjection, LimitChecks) {
    CsPtr<CsParams> p = Build(Polar("PSTERO"));
    const CsProjectionConstants* c = CS_constants(p.get());
    const double inside[2][3] = {{0, 60, 0}, {120, 80, 0}};
    const double outside[2][3] = {{0, 60, 0}, {120, 95, 0}};
    EXPECT_EQ(p->checkGeographic(c, 2, inside), 0);
    EXPECT_EQ(p->checkGeographic(c, 2, outside), 2);
    EXPECT_EQ(p->checkGeographic(c, 0, outside), 0);
    const double xy[1][3] = {{2500000, 1500000, 0}};
    EXPECT_EQ(p->checkCartesian(c, 1, xy), 0);
}

TEST_F(PsteroProjection, WktReadsBackAndProjAcceptsIt) {
    familytest::ExpectWktRoundTrip("UPS-N");
    familytest::ExpectWktRoundTrip("UPS-S");
}

TEST_F(PsteroProjection, ProgramConvertsAGoldenRow) {
    // ups-n.golden: proj +proj=ups +ellps=WGS84
    familytest::ExpectProgramRoundTrip("UPS-N", 45, 80, 2786975.296070091, 1213024.703929908, 1.0);
}

}  // namespace
