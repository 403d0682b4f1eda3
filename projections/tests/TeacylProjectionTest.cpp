// The transverse equal-area cylindrical family: its check, the far half of
// the cylinder, the quarter meridian and the limit checks.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>

#include "coordsys/CsParams.h"
#include "projections/ProjectionTable.h"
#include "projections/TeacylProjection.h"
#include "projections/tests/FamilySystemChecks.h"
#include "testing/TestSupport.h"

namespace {

constexpr double kR = 6370997.0;  // SPHERE

CsCoordSysDef Teacyl(const char* ellipsoid = "SPHERE", double originLatitude = 0.0) {
    CsCoordSysDef def{};
    std::strcpy(def.key, "TEST-TEACYL");
    std::strcpy(def.ellipsoidKey, ellipsoid);
    std::strcpy(def.projectionKey, "TEACYL");
    std::strcpy(def.unit, "METER");
    def.originLongitude = -75.0;
    def.originLatitude = originLatitude;
    def.falseEasting = 500000.0;
    def.scaleReduction = 1.0;
    def.mapScale = 1.0;
    def.quadrant = 1;
    return def;
}

class TeacylProjection : public familytest::FamilyTest {
protected:
};

TEST_F(TeacylProjection, CheckReportsEachFault) {
    struct Case {
        const char* what;
        std::function<void(CsCoordSysDef&)> change;
        int error;  // 0: valid
    } cases[] = {
        {"origin longitude -180", [](auto& d) { d.originLongitude = -180.0; }, 216},
        {"origin longitude +180", [](auto& d) { d.originLongitude = 180.0; }, 0},
        {"origin latitude -90", [](auto& d) { d.originLatitude = -90.0; }, 0},
        {"origin latitude 90.5", [](auto& d) { d.originLatitude = 90.5; }, 215},
        {"origin latitude NaN", [](auto& d) { d.originLatitude = std::nan(""); }, 215},
        {"scale reduction 0.5", [](auto& d) { d.scaleReduction = 0.5; }, 0},
        {"scale reduction 1.5", [](auto& d) { d.scaleReduction = 1.5; }, 0},
        {"scale reduction 0.4999", [](auto& d) { d.scaleReduction = 0.4999; }, 227},
        {"scale reduction 1.5001", [](auto& d) { d.scaleReduction = 1.5001; }, 227},
    };
    for (const Case& c : cases) {
        CsCoordSysDef def = Teacyl();
        c.change(def);
        int errors[4] = {};
        int count = CS_teacylCheck(&def, kCsProjTeacyl, errors, 4);
        EXPECT_EQ(count, c.error == 0 ? 0 : 1) << c.what;
        if (c.error != 0) {
            EXPECT_EQ(errors[0], c.error) << c.what;
        }
    }
}

TEST_F(TeacylProjection, BeyondAQuarterOfTheWorldLiesOnTheFarHalfOfTheCylinder) {
    for (const char* ellipsoid : {"SPHERE", "WGS84"}) {
        SCOPED_TRACE(ellipsoid);
        auto params = Build(Teacyl(ellipsoid, 20.0));
        ASSERT_TRUE(params);
        double nearSide[3], farSide[3], ll[3];
        EXPECT_EQ(Forward(params.get(), -75.0 + 60.0, 30.0, nearSide), 0);
        EXPECT_EQ(Forward(params.get(), -75.0 + 120.0, 30.0, farSide), 0);
        // The same distance from the central meridian's plane, but past the
        // pole along the cylinder rather than folded back onto the near side.
        EXPECT_NEAR(farSide[0], nearSide[0], 1.0);
        EXPECT_GT(farSide[1] - nearSide[1], 0.5 * kR);
        for (const double* xy : {nearSide, farSide}) {
            EXPECT_EQ(Inverse(params.get(), xy[0], xy[1], ll), 0);
            EXPECT_NEAR(ll[1], 30.0, 1e-9);
        }
        EXPECT_NEAR(ll[0], -75.0 + 120.0, 1e-9);
        EXPECT_EQ(Forward(params.get(), -75.0 - 150.0, -40.0, farSide), 0);
        EXPECT_EQ(Inverse(params.get(), farSide[0], farSide[1], ll), 0);
        EXPECT_NEAR(ll[0], -75.0 - 150.0, 1e-9);
        EXPECT_NEAR(ll[1], -40.0, 1e-9);
    }
}

TEST_F(TeacylProjection, TheQuarterMeridianAndTheEndsOfTheCylinder) {
    auto ellipsoid = Build(Teacyl("WGS84"));
    ASSERT_TRUE(ellipsoid);
    const double a = 6378137.0;
    double xy[3], ll[3];
    EXPECT_EQ(Forward(ellipsoid.get(), -75.0 + 90.0, 0.0, xy), 2);
    EXPECT_NEAR(xy[0], 500000.0 + a, 1e-6);
    EXPECT_EQ(Forward(ellipsoid.get(), -75.0 - 90.0, 30.0, xy), 2);
    EXPECT_NEAR(xy[0], 500000.0 - a, 1e-6);

    auto sphere = Build(Teacyl("SPHERE", 40.0));
    ASSERT_TRUE(sphere);
    const double south = (-M_PI / 2.0 - 40.0 * M_PI / 180.0) * kR;
    EXPECT_EQ(Inverse(sphere.get(), 500000.0, south, ll), 1);
    EXPECT_DOUBLE_EQ(ll[1], -90.0);
    EXPECT_EQ(Forward(sphere.get(), -75.0, -90.0, xy), 1);
    EXPECT_NEAR(xy[1], south, 1e-6);
}

TEST_F(TeacylProjection, LimitChecksBoundBothSidesAndTheWholeCentralMeridian) {
    for (const char* ellipsoid : {"SPHERE", "WGS84"}) {
        SCOPED_TRACE(ellipsoid);
        auto params = Build(Teacyl(ellipsoid));
        ASSERT_TRUE(params);
        const CsProjectionConstants* c = CS_constants(params.get());
        const double inside[2][3] = {{-75.0 + 89.0, 10.0, 0.0}, {-75.0 - 89.0, -90.0, 0.0}};
        EXPECT_EQ(params->checkGeographic(c, 2, inside), 0);
        for (double longitude : {-75.0 + 91.0, -75.0 - 91.0}) {
            const double outside[1][3] = {{longitude, 10.0, 0.0}};
            EXPECT_EQ(params->checkGeographic(c, 1, outside), 2) << longitude;
        }
        const double overPole[1][3] = {{-75.0, 90.5, 0.0}};
        EXPECT_EQ(params->checkGeographic(c, 1, overPole), 2);
        // Every point of the near half's central meridian lies inside.
        double high[3], low[3];
        Forward(params.get(), -75.0, 89.0, high);
        Forward(params.get(), -75.0, -89.0, low);
        const double meridian[2][3] = {{high[0], high[1], 0.0}, {low[0], low[1], 0.0}};
        EXPECT_EQ(params->checkCartesian(c, 2, meridian), 0);
        const double east[1][3] = {{500000.0 + 1.01 * kR / 0.99, 0.0, 0.0}};
        EXPECT_EQ(params->checkCartesian(c, 1, east), 2);
        const double north[1][3] = {{500000.0, 1.6 * 6378137.0, 0.0}};
        EXPECT_EQ(params->checkCartesian(c, 1, north), 2);
    }
}

TEST_F(TeacylProjection, TheDefaultRangeFollowsTheScaleReduction) {
    CsCoordSysDef def = Teacyl();
    def.scaleReduction = 0.8;
    auto params = Build(def);
    ASSERT_TRUE(params);
    const double w = 2.0 * std::acos(0.8) * 180.0 / M_PI + 10.0;
    EXPECT_NEAR(params->maxLongitude, w, 1e-12);
    EXPECT_NEAR(params->minLongitude, -w, 1e-12);
    EXPECT_EQ(params->maxLatitude, 84.0);
    EXPECT_LT(params->minX, 500000.0);
    EXPECT_GT(params->maxX, 500000.0);
    EXPECT_NEAR(params->maxY, 84.0 * M_PI / 180.0 * kR * 0.8, 1e-3);
}

TEST_F(TeacylProjection, WktReadsBackAndProjAcceptsIt) {
    familytest::ExpectWktRoundTrip("EXAMPLE-TEACYL");
}

TEST_F(TeacylProjection, ProgramConvertsAGoldenRow) {
    // example-teacyl.golden: proj +proj=tcea +lon_0=-75 +lat_0=40 +R=6370997
    familytest::ExpectProgramRoundTrip("EXAMPLE-TEACYL", -70, 45, 892634.458013784,
                                       568119.247721608, 1.0);
}

}  // namespace
