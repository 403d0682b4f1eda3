#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>

#include "coordsys/CsParams.h"
#include "projections/CassiniProjection.h"
#include "projections/ProjectionTable.h"
#include "projections/tests/FamilySystemChecks.h"
#include "testing/TestSupport.h"

namespace {

CsCoordSysDef Soldner(const char* ellipsoid = "BESSEL", const char* projection = "CASSINI") {
    CsCoordSysDef def{};
    std::strcpy(def.key, "TEST-CASSINI");
    std::strcpy(def.ellipsoidKey, ellipsoid);
    std::strcpy(def.projectionKey, projection);
    std::strcpy(def.unit, "METER");
    def.parameters[0] = 13.6272036666667;
    def.originLatitude = 52.4186482777778;
    def.falseEasting = 40000.0;
    def.falseNorthing = 10000.0;
    def.scaleReduction = 1.0;
    def.mapScale = 1.0;
    def.quadrant = 1;
    return def;
}

class CassiniProjection : public familytest::FamilyTest {
protected:
};

// The polyconic shares the check.
TEST_F(CassiniProjection, CheckReportsEachFault) {
    struct Case {
        const char* what;
        std::function<void(CsCoordSysDef&)> change;
        int error;  // 0: valid
    } cases[] = {
        {"central meridian 180", [](auto& d) { d.parameters[0] = 180.0; }, 0},
        {"central meridian -180", [](auto& d) { d.parameters[0] = -180.0; }, 216},
        {"central meridian NaN", [](auto& d) { d.parameters[0] = std::nan(""); }, 216},
        {"origin latitude -90", [](auto& d) { d.originLatitude = -90.0; }, 0},
        {"origin latitude 90.01", [](auto& d) { d.originLatitude = 90.01; }, 215},
        {"the origin longitude is not used", [](auto& d) { d.originLongitude = 500.0; }, 0},
    };
    for (const char* projection : {"CASSINI", "PLYCN"}) {
        for (const Case& c : cases) {
            CsCoordSysDef def = Soldner("BESSEL", projection);
            c.change(def);
            int errors[4] = {};
            int count =
                CS_cassiniCheck(&def, CS_projectionLookupExact(projection)->code, errors, 4);
            EXPECT_EQ(count, c.error == 0 ? 0 : 1) << projection << " " << c.what;
            if (c.error != 0) {
                EXPECT_EQ(errors[0], c.error) << projection << " " << c.what;
            }
        }
    }
}

TEST_F(CassiniProjection, TheCentralMeridianIsTheMeridionalArc) {
    CsPtr<CsParams> params = Build(Soldner());
    ASSERT_TRUE(params);
    const CsCassiniConstants& c = CS_constantsOf<CsCassiniConstants>(params.get());
    for (double latitude : {-60.0, 0.0, 52.0, 70.0}) {
        const double phi = latitude * kCsDegToRad;
        double xy[3];
        EXPECT_EQ(Forward(params.get(), 13.6272036666667, latitude, xy), 0);
        EXPECT_EQ(xy[0], 40000.0) << latitude;
        EXPECT_DOUBLE_EQ(xy[1] - 10000.0,
                         CS_meridionalArc(&c.arc, phi, std::sin(phi), std::cos(phi)) - c.m0)
            << latitude;
        const double ll[3] = {13.6272036666667, latitude, 0.0};
        EXPECT_EQ(params->meridianScale(CS_constants(params.get()), ll), 1.0) << latitude;
    }
}

TEST_F(CassiniProjection, LongitudesBeyondAQuarterTurnAreClamped) {
    for (const char* ellipsoid : {"BESSEL", "SPHERE"}) {
        CsPtr<CsParams> params = Build(Soldner(ellipsoid));
        ASSERT_TRUE(params);
        const double edge = 13.6272036666667 + kCsMaxLatitude * kCsRadToDeg;
        double far[3], atEdge[3], west[3], westEdge[3];
        EXPECT_EQ(Forward(params.get(), 13.6272036666667 + 100.0, 30.0, far), 2) << ellipsoid;
        EXPECT_EQ(Forward(params.get(), edge, 30.0, atEdge), 0) << ellipsoid;
        EXPECT_NEAR(far[0], atEdge[0], 1e-6) << ellipsoid;
        EXPECT_NEAR(far[1], atEdge[1], 1e-6) << ellipsoid;
        EXPECT_EQ(Forward(params.get(), 13.6272036666667 - 100.0, 30.0, west), 2) << ellipsoid;
        EXPECT_EQ(Forward(params.get(), 2.0 * 13.6272036666667 - edge, 30.0, westEdge), 0);
        EXPECT_NEAR(west[0], westEdge[0], 1e-6) << ellipsoid;
        const double outside[1][3] = {{13.6272036666667 + 100.0, 30.0, 0.0}};
        const double inside[2][3] = {{13.0, 52.0, 0.0}, {15.0, 53.0, 0.0}};
        EXPECT_EQ(params->checkGeographic(CS_constants(params.get()), 1, outside), 2);
        EXPECT_EQ(params->checkGeographic(CS_constants(params.get()), 2, inside), 0);
        const double beyond[1][3] = {{40000.0 + 1.6 * 6378137.0, 10000.0, 0.0}};
        EXPECT_EQ(params->checkCartesian(CS_constants(params.get()), 1, beyond), 2);
        EXPECT_EQ(params->checkCartesian(CS_constants(params.get()), 1, inside), 0);
    }
}

TEST_F(CassiniProjection, TheSphereInverseOnTheCentralMeridianIsSingular) {
    CsPtr<CsParams> params = Build(Soldner("SPHERE"));
    ASSERT_TRUE(params);
    double ll[3];
    EXPECT_EQ(Inverse(params.get(), 40000.0, 10000.0 + 50000.0, ll), 1);
    EXPECT_NEAR(ll[0], 13.6272036666667, 1e-12);
    EXPECT_NEAR(ll[1], 52.4186482777778 + 50000.0 / 6370997.0 * kCsRadToDeg, 1e-9);
    // Off it the inverse is regular; on the ellipsoid the meridian is too.
    EXPECT_EQ(Inverse(params.get(), 41000.0, 60000.0, ll), 0);
    CsPtr<CsParams> ellipsoid = Build(Soldner());
    ASSERT_TRUE(ellipsoid);
    EXPECT_EQ(Inverse(ellipsoid.get(), 40000.0, 60000.0, ll), 0);
    EXPECT_NEAR(ll[0], 13.6272036666667, 1e-12);
}

TEST_F(CassiniProjection, TheDefaultRangeIsFiveDegreesEachSide) {
    CsPtr<CsParams> params = Build(Soldner());
    ASSERT_TRUE(params);
    EXPECT_EQ(params->rangeCentralMeridian, 13.6272036666667);
    EXPECT_EQ(params->minLongitude, -5.0);
    EXPECT_EQ(params->maxLatitude, 75.0);
    EXPECT_NEAR(params->minX + params->maxX, 2.0 * 40000.0, 1e-6);
    double top[3];
    Forward(params.get(), 13.6272036666667, 75.0, top);
    EXPECT_NEAR(params->maxY, top[1], 1e-6);
}

TEST_F(CassiniProjection, WktReadsBackAndProjAcceptsIt) {
    familytest::ExpectWktRoundTrip("DHDN-SOLDNER-BERLIN");
}

TEST_F(CassiniProjection, ProgramConvertsAGoldenRow) {
    // dhdn-soldner-berlin.golden: cct +proj=cass ... +ellps=bessel
    familytest::ExpectProgramRoundTrip("DHDN-SOLDNER-BERLIN", 13.4, 52.52, 24579.460428962,
                                       21301.008136331, 1.0);
}

}  // namespace
