#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "coordsys/CsParams.h"
#include "projections/PlycnProjection.h"
#include "projections/tests/FamilySystemChecks.h"
#include "testing/TestSupport.h"

namespace {

CsCoordSysDef Polyconic(const char* ellipsoid = "GRS1980", double originLatitude = 0.0) {
    CsCoordSysDef def{};
    std::strcpy(def.key, "TEST-PLYCN");
    std::strcpy(def.ellipsoidKey, ellipsoid);
    std::strcpy(def.projectionKey, "PLYCN");
    std::strcpy(def.unit, "METER");
    def.parameters[0] = -54.0;
    def.originLatitude = originLatitude;
    def.falseEasting = 5000000.0;
    def.falseNorthing = 10000000.0;
    def.scaleReduction = 1.0;
    def.mapScale = 1.0;
    def.quadrant = 1;
    return def;
}

class PlycnProjection : public familytest::FamilyTest {
protected:
};

// East stays east: 100 degrees out lands on the edge a quarter turn out on
// its own side, never folded back to 80 degrees on the other.
TEST_F(PlycnProjection, LongitudesAQuarterTurnOutGoToTheEdgeOnTheirSide) {
    for (const char* ellipsoid : {"GRS1980", "SPHERE"}) {
        CsPtr<CsParams> params = Build(Polyconic(ellipsoid, 20.0));
        ASSERT_TRUE(params);
        const double edge = kCsMaxLatitude * kCsRadToDeg;
        for (double side : {1.0, -1.0}) {
            double far[3], atEdge[3];
            EXPECT_EQ(Forward(params.get(), -54.0 + side * 100.0, 40.0, far), 2) << ellipsoid;
            EXPECT_EQ(Forward(params.get(), -54.0 + side * edge, 40.0, atEdge), 0) << ellipsoid;
            EXPECT_NEAR(far[0], atEdge[0], 1e-6) << ellipsoid << " " << side;
            EXPECT_NEAR(far[1], atEdge[1], 1e-6) << ellipsoid << " " << side;
            EXPECT_GT(side * (far[0] - 5000000.0), 0.0) << ellipsoid << " " << side;
        }
        const double outside[1][3] = {{-54.0 + 100.0, 40.0, 0.0}};
        const double inside[2][3] = {{-60.0, 25.0, 0.0}, {-50.0, 35.0, 0.0}};
        EXPECT_EQ(params->checkGeographic(CS_constants(params.get()), 1, outside), 2);
        EXPECT_EQ(params->checkGeographic(CS_constants(params.get()), 2, inside), 0);
    }
}

TEST_F(PlycnProjection, TheEquatorIsStraightAndTrueToScaleInX) {
    for (const char* ellipsoid : {"GRS1980", "SPHERE"}) {
        CsPtr<CsParams> params = Build(Polyconic(ellipsoid, 10.0));
        ASSERT_TRUE(params);
        const CsPlycnConstants& c = CS_constantsOf<CsPlycnConstants>(params.get());
        for (double dl : {-30.0, 0.0, 12.5}) {
            double xy[3], ll[3];
            EXPECT_EQ(Forward(params.get(), -54.0 + dl, 0.0, xy), 0);
            EXPECT_DOUBLE_EQ(xy[0] - 5000000.0, c.ka * dl * kCsDegToRad) << ellipsoid << dl;
            EXPECT_DOUBLE_EQ(xy[1] - 10000000.0, -c.m0) << ellipsoid << " " << dl;
            EXPECT_EQ(Inverse(params.get(), xy[0], xy[1], ll), 0);
            EXPECT_NEAR(ll[0], -54.0 + dl, 1e-12) << ellipsoid << " " << dl;
            EXPECT_EQ(ll[1], 0.0) << ellipsoid << " " << dl;
        }
        const double origin[3] = {-54.0, 0.0, 0.0};
        EXPECT_NEAR(params->meridianScale(CS_constants(params.get()), origin), 1.0, 1e-12);
        // Off the central meridian the equator's h joins the general formula.
        const double onEquator[3] = {-64.0, 0.0, 0.0}, justNorth[3] = {-64.0, 1e-4, 0.0};
        EXPECT_NEAR(params->meridianScale(CS_constants(params.get()), onEquator),
                    params->meridianScale(CS_constants(params.get()), justNorth), 1e-8)
            << ellipsoid;
        EXPECT_EQ(params->parallelScale(CS_constants(params.get()), origin), 1.0);
    }
}

TEST_F(PlycnProjection, TheInverseIsBounded) {
    CsPtr<CsParams> params = Build(Polyconic());
    ASSERT_TRUE(params);
    const CsPlycnConstants& c = CS_constantsOf<CsPlycnConstants>(params.get());
    double ll[3];
    // Beyond the pole's circle the point is taken onto it.
    EXPECT_EQ(Inverse(params.get(), 5000000.0 + 3.0 * c.mp, 10000000.0 + 0.5 * c.mp, ll), 2);
    EXPECT_TRUE(std::isfinite(ll[0]) && std::isfinite(ll[1]));
    const double beyond[1][3] = {{5000000.0 + 3.0 * c.mp, 10000000.0, 0.0}};
    const double inside[1][3] = {{5100000.0, 9000000.0, 0.0}};
    EXPECT_EQ(params->checkCartesian(CS_constants(params.get()), 1, beyond), 2);
    EXPECT_EQ(params->checkCartesian(CS_constants(params.get()), 1, inside), 0);
    // Points far out on the plane that Newton cannot settle in eleven rounds
    // come back with the first guess and status 2, never a NaN.
    int unsettled = 0;
    for (double fx : {0.2, 0.6, 0.9, 0.99}) {
        for (double fy : {0.05, 0.3, 0.7}) {
            if (fx * fx + fy * fy >= 1.0) continue;  // onto the circle, above
            const double x = 5000000.0 + fx * c.mp, y = 10000000.0 + fy * c.mp;
            int status = Inverse(params.get(), x, y, ll);
            EXPECT_TRUE(std::isfinite(ll[0]) && std::isfinite(ll[1])) << fx << " " << fy;
            if (status == 2) {
                ++unsettled;
                EXPECT_NEAR(ll[1], fy * c.mp / c.ka * kCsRadToDeg, 1e-9) << fx << " " << fy;
            }
        }
    }
    EXPECT_GT(unsettled, 0);
}

TEST_F(PlycnProjection, TheDefaultRangeRunsTenDegreesPoleward) {
    CsPtr<CsParams> north = Build(Polyconic("GRS1980", 20.0));
    CsPtr<CsParams> south = Build(Polyconic("GRS1980", -20.0));
    ASSERT_TRUE(north && south);
    EXPECT_EQ(north->minLatitude, 20.0);
    EXPECT_EQ(north->maxLatitude, 30.0);
    EXPECT_EQ(south->minLatitude, -30.0);
    EXPECT_EQ(south->maxLatitude, -20.0);
    EXPECT_EQ(north->minLongitude, -10.0);
    EXPECT_NEAR(north->minX + north->maxX, 2.0 * 5000000.0, 1e-6);
    double corner[3];
    Forward(north.get(), -64.0, 20.0, corner);
    EXPECT_NEAR(north->minX, corner[0], 1e-6);
}

TEST_F(PlycnProjection, WktReadsBackAndProjAcceptsIt) {
    familytest::ExpectWktRoundTrip("SIRGAS2000-POLYCONIC");
}

TEST_F(PlycnProjection, ProgramConvertsAGoldenRow) {
    // sirgas2000-polyconic.golden: proj +proj=poly ... +ellps=GRS80
    familytest::ExpectProgramRoundTrip("SIRGAS2000-POLYCONIC", -47.9, -15.8, 5653463.734227156,
                                       8243016.222029742, 1.0);
}

}  // namespace
