// The normal-aspect equal-area cylindrical family: its check, the
// 270-degree rule, the clamping inverse and the default extents.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>

#include "coordsys/CsParams.h"
#include "projections/NeacylProjection.h"
#include "projections/ProjectionTable.h"
#include "projections/tests/FamilySystemChecks.h"
#include "testing/TestSupport.h"

namespace {

constexpr double kR = 6370997.0;  // SPHERE

CsCoordSysDef Neacyl(const char* ellipsoid = "SPHERE") {
    CsCoordSysDef def{};
    std::strcpy(def.key, "TEST-NEACYL");
    std::strcpy(def.ellipsoidKey, ellipsoid);
    std::strcpy(def.projectionKey, "NEACYL");
    std::strcpy(def.unit, "METER");
    def.originLongitude = -100.0;
    def.parameters[0] = 30.0;
    def.falseEasting = 1000.0;
    def.scaleReduction = 1.0;
    def.mapScale = 1.0;
    def.quadrant = 1;
    return def;
}

class NeacylProjection : public familytest::FamilyTest {
protected:
};

TEST_F(NeacylProjection, CheckReportsEachFault) {
    struct Case {
        const char* what;
        std::function<void(CsCoordSysDef&)> change;
        int error;  // 0: valid
    } cases[] = {
        {"origin longitude -180", [](auto& d) { d.originLongitude = -180.0; }, 216},
        {"origin longitude +180", [](auto& d) { d.originLongitude = 180.0; }, 0},
        {"origin longitude NaN", [](auto& d) { d.originLongitude = std::nan(""); }, 216},
        {"standard parallel 80", [](auto& d) { d.parameters[0] = 80.0; }, 229},
        {"standard parallel -80", [](auto& d) { d.parameters[0] = -80.0; }, 229},
        {"standard parallel 79.9", [](auto& d) { d.parameters[0] = 79.9; }, 0},
    };
    for (const Case& c : cases) {
        CsCoordSysDef def = Neacyl();
        c.change(def);
        int errors[4] = {};
        int count = CS_neacylCheck(&def, kCsProjNeacyl, errors, 4);
        EXPECT_EQ(count, c.error == 0 ? 0 : 1) << c.what;
        if (c.error != 0) {
            EXPECT_EQ(errors[0], c.error) << c.what;
        }
    }
}

TEST_F(NeacylProjection, LongitudesUpTo270DegreesStayUnwrapped) {
    for (const char* ellipsoid : {"SPHERE", "WGS84"}) {
        SCOPED_TRACE(ellipsoid);
        auto params = Build(Neacyl(ellipsoid));
        ASSERT_TRUE(params);
        double xy[3], ll[3], base[3];
        ASSERT_EQ(Forward(params.get(), -99.0, 0.0, base), 0);
        const double degree = base[0] - 1000.0;
        EXPECT_EQ(Forward(params.get(), 100.0, 10.0, xy), 0);  // 200 east of -100
        EXPECT_NEAR(xy[0], 1000.0 + 200.0 * degree, 1e-6);
        EXPECT_EQ(Inverse(params.get(), xy[0], xy[1], ll), 0);
        EXPECT_NEAR(ll[0], 100.0, 1e-9);
        EXPECT_NEAR(ll[1], 10.0, 1e-9);
        EXPECT_EQ(Forward(params.get(), 180.0, 10.0, xy), 0);  // 280 east: 80 west
        EXPECT_NEAR(xy[0], 1000.0 - 80.0 * degree, 1e-6);
        EXPECT_EQ(Forward(params.get(), -100.0 - 275.0, 10.0, xy), 2);
        EXPECT_NEAR(xy[0], 1000.0 + 85.0 * degree, 1e-6);
        // The inverse holds longitudes to 270 degrees either side.
        EXPECT_EQ(Inverse(params.get(), 1000.0 - 300.0 * degree, 0.0, ll), 2);
        EXPECT_NEAR(ll[0], -100.0 - 270.0, 1e-9);
    }
}

TEST_F(NeacylProjection, InverseBeyondThePoleGivesThePoleWithStatus2) {
    auto params = Build(Neacyl());
    ASSERT_TRUE(params);
    const double top = kR / std::cos(M_PI / 6.0);
    double ll[3];
    EXPECT_EQ(Inverse(params.get(), 1000.0, top * 1.01, ll), 2);
    EXPECT_DOUBLE_EQ(ll[1], 90.0);
    EXPECT_EQ(Inverse(params.get(), 1000.0, -top * 1.5, ll), 2);
    EXPECT_DOUBLE_EQ(ll[1], -90.0);
    const CsProjectionConstants* c = CS_constants(params.get());
    const double outside[1][3] = {{1000.0, top * 1.01, 0.0}};
    EXPECT_EQ(params->checkCartesian(c, 1, outside), 2);
    const double equator[3] = {0.0, 0.0, 0.0}, pole[3] = {0.0, 90.0, 0.0};
    const double beyond[3] = {0.0, 90.5, 0.0};
    EXPECT_NEAR(params->parallelScale(c, equator), std::cos(M_PI / 6.0), 1e-15);
    EXPECT_NEAR(params->meridianScale(c, equator), 1.0 / std::cos(M_PI / 6.0), 1e-15);
    EXPECT_DOUBLE_EQ(params->parallelScale(c, pole), 9999.99);
    EXPECT_DOUBLE_EQ(params->parallelScale(c, beyond), -1.0);
    EXPECT_DOUBLE_EQ(params->meridianScale(c, beyond), -1.0);
    const double poles[2][3] = {{0.0, 90.0, 0.0}, {0.0, -90.0, 0.0}};
    EXPECT_EQ(params->checkGeographic(c, 2, poles), 0);
    const double over[1][3] = {{0.0, -90.000001, 0.0}};
    EXPECT_EQ(params->checkGeographic(c, 1, over), 2);
}

TEST_F(NeacylProjection, TheDefaultExtentsAreTheForwardsExtremes) {
    for (const char* ellipsoid : {"SPHERE", "WGS84"}) {
        SCOPED_TRACE(ellipsoid);
        auto params = Build(Neacyl(ellipsoid));
        ASSERT_TRUE(params);
        double east[3], north[3];
        Forward(params.get(), 80.0, 0.0, east);  // 180 degrees east
        Forward(params.get(), -100.0, 90.0, north);
        EXPECT_NEAR(params->maxX, east[0], 1e-6);
        EXPECT_NEAR(params->minX - 1000.0, -(east[0] - 1000.0), 1e-6);
        EXPECT_NEAR(params->maxY, north[1], 1e-6);
        EXPECT_NEAR(params->minY, -north[1], 1e-6);
    }
}

TEST_F(NeacylProjection, WktReadsBackAndProjAcceptsIt) {
    familytest::ExpectWktRoundTrip("EASE2-GLOBAL");
}

TEST_F(NeacylProjection, ProgramConvertsAGoldenRow) {
    // ease2-global.golden: proj +proj=cea +lat_ts=30 +ellps=WGS84
    familytest::ExpectProgramRoundTrip("EASE2-GLOBAL", -75, 40, -7236471.018817239,
                                       4707084.171338534, 1.0);
}

}  // namespace
