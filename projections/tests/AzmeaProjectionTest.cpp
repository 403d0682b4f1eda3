#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>

#include "coordsys/CsParams.h"
#include "projections/AzmeaProjection.h"
#include "projections/ProjectionTable.h"
#include "projections/tests/FamilySystemChecks.h"
#include "testing/TestSupport.h"

namespace {

CsCoordSysDef EqualArea(const char* ellipsoid, double latitude) {
    CsCoordSysDef def{};
    std::strcpy(def.key, "TEST-AZMEA");
    std::strcpy(def.ellipsoidKey, ellipsoid);
    std::strcpy(def.projectionKey, "AZMEA");
    std::strcpy(def.unit, "METER");
    def.originLongitude = 10.0;
    def.originLatitude = latitude;
    def.scaleReduction = 1.0;
    def.mapScale = 1.0;
    def.quadrant = 1;
    return def;
}

class AzmeaProjection : public familytest::FamilyTest {};

TEST_F(AzmeaProjection, CheckReportsEachFault) {
    struct Case {
        const char* what;
        std::function<void(CsCoordSysDef&)> change;
        int error;  // 0: valid
    } cases[] = {
        {"origin longitude -180", [](auto& d) { d.originLongitude = -180.0; }, 216},
        {"origin latitude 90.1", [](auto& d) { d.originLatitude = 90.1; }, 215},
        {"azimuth 180", [](auto& d) { d.parameters[0] = 180.0; }, 202},
        {"azimuth -179.9", [](auto& d) { d.parameters[0] = -179.9; }, 0},
    };
    for (const Case& c : cases) {
        CsCoordSysDef def = EqualArea("GRS1980", 52.0);
        c.change(def);
        int errors[4] = {};
        EXPECT_EQ(CS_azmeaCheck(&def, kCsProjAzmea, errors, 4), c.error == 0 ? 0 : 1) << c.what;
        if (c.error != 0) {
            EXPECT_EQ(errors[0], c.error) << c.what;
        }
    }
}

// The polar ellipsoid's inverse reaches the southern hemisphere: it clamps
// at the opposite pole, not at the equator.
TEST_F(AzmeaProjection, PolarInverseReachesTheSouth) {
    CsPtr<CsParams> p = Build(EqualArea("WGS84", 90.0));
    for (double latitude : {10.0, -30.0, -75.0, -89.0}) {
        const double ll[3] = {40.0, latitude, 0.0};
        double xy[3], back[3];
        ASSERT_EQ(CS_forwardProject(p.get(), xy, ll), 0);
        ASSERT_EQ(CS_inverseProject(p.get(), back, xy), 0) << latitude;
        EXPECT_NEAR(back[0], 40.0, 1e-9);
        EXPECT_NEAR(back[1], latitude, 1e-9);
    }
    const double beyond[3] = {1e8, 0.0, 0.0};
    double back[3];
    EXPECT_EQ(CS_inverseProject(p.get(), back, beyond), 2);
    EXPECT_NEAR(back[1], -90.0, 1e-6);
}

TEST_F(AzmeaProjection, AntipodeAndScales) {
    for (const char* ellipsoid : {"GRS1980", "SPHERE"}) {
        SCOPED_TRACE(ellipsoid);
        CsPtr<CsParams> p = Build(EqualArea(ellipsoid, 40.0));
        const CsProjectionConstants* c = CS_constants(p.get());
        const double antipode[3] = {-170.0, -40.0, 0.0};
        double xy[3];
        EXPECT_EQ(CS_forwardProject(p.get(), xy, antipode), 2);
        EXPECT_TRUE(std::isfinite(xy[0]) && std::isfinite(xy[1]));
        const double origin[3] = {10.0, 40.0, 0.0};
        EXPECT_NEAR(p->meridianScale(c, origin), 1.0, 1e-6);
        EXPECT_NEAR(p->parallelScale(c, origin), 1.0, 1e-6);
        // Default range about latitude 40.
        EXPECT_EQ(p->minLongitude, -30.0);
        EXPECT_EQ(p->maxLongitude, 30.0);
        EXPECT_EQ(p->minLatitude, 10.0);
        EXPECT_EQ(p->maxLatitude, 70.0);
    }
    CsPtr<CsParams> sphere = Build(EqualArea("SPHERE", 40.0));
    const double antipode[3] = {-170.0, -40.0, 0.0};
    EXPECT_EQ(sphere->parallelScale(CS_constants(sphere.get()), antipode), 9999.99);
    EXPECT_EQ(sphere->meridianScale(CS_constants(sphere.get()), antipode), 0.0);
}

TEST_F(AzmeaProjection, AzimuthTurnsThePlane) {
    CsCoordSysDef plain = EqualArea("GRS1980", 52.0), turned = plain;
    turned.parameters[0] = 90.0;
    CsPtr<CsParams> a = Build(plain), b = Build(turned);
    const double ll[3] = {14.0, 55.0, 0.0};
    double xa[3], xb[3], back[3];
    ASSERT_EQ(CS_forwardProject(a.get(), xa, ll), 0);
    ASSERT_EQ(CS_forwardProject(b.get(), xb, ll), 0);
    EXPECT_NEAR(xb[0], -xa[1], 1e-6);
    EXPECT_NEAR(xb[1], xa[0], 1e-6);
    ASSERT_EQ(CS_inverseProject(b.get(), back, xb), 0);
    EXPECT_NEAR(back[0], 14.0, 1e-9);
    EXPECT_NEAR(back[1], 55.0, 1e-9);
}

TEST_F(AzmeaProjection, WktReadsBackAndProjAcceptsIt) {
    familytest::ExpectWktRoundTrip("ETRS89-LAEA");
}

TEST_F(AzmeaProjection, ProgramConvertsAGoldenRow) {
    // etrs89-laea.golden: cct +proj=laea +lat_0=52 +lon_0=10 ...
    familytest::ExpectProgramRoundTrip("ETRS89-LAEA", -9, 38.7, 2676732.112534874,
                                       1941329.084306973, 1.0);
}

}  // namespace
