#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>

#include "coordsys/CsParams.h"
#include "projections/AzmedProjection.h"
#include "projections/ProjectionTable.h"
#include "projections/tests/FamilySystemChecks.h"
#include "testing/TestSupport.h"

namespace {

CsCoordSysDef Equidistant(const char* ellipsoid, double latitude,
                          const char* projection = "AZMED") {
    CsCoordSysDef def{};
    std::strcpy(def.key, "TEST-AZMED");
    std::strcpy(def.ellipsoidKey, ellipsoid);
    std::strcpy(def.projectionKey, projection);
    std::strcpy(def.unit, "METER");
    def.originLongitude = 7.5;
    def.originLatitude = latitude;
    def.falseEasting = 600000.0;
    def.falseNorthing = 200000.0;
    def.scaleReduction = 1.0;
    def.mapScale = 1.0;
    def.quadrant = 1;
    return def;
}

class AzmedProjection : public familytest::FamilyTest {};

TEST_F(AzmedProjection, CheckReportsEachFault) {
    struct Case {
        const char* what;
        const char* projection;
        std::function<void(CsCoordSysDef&)> change;
        int error;  // 0: valid
    } cases[] = {
        {"origin longitude -180", "AZMED", [](auto& d) { d.originLongitude = -180.0; }, 216},
        {"origin latitude -90.5", "AZMED", [](auto& d) { d.originLatitude = -90.5; }, 215},
        {"azimuth 180", "AZMED", [](auto& d) { d.parameters[0] = 180.0; }, 202},
        {"elevation 60000", "AZMED-ELEV", [](auto& d) { d.parameters[1] = 60000.0; }, 254},
        {"elevation -25000", "AZMED-ELEV", [](auto& d) { d.parameters[1] = -25000.0; }, 0},
        {"AZMED ignores the elevation", "AZMED", [](auto& d) { d.parameters[1] = 60000.0; }, 0},
    };
    for (const Case& c : cases) {
        CsCoordSysDef def = Equidistant("WGS84", 47.0, c.projection);
        c.change(def);
        int errors[4] = {};
        int count = CS_azmedCheck(&def, CS_projectionLookupExact(c.projection)->code, errors, 4);
        EXPECT_EQ(count, c.error == 0 ? 0 : 1) << c.what;
        if (c.error != 0) {
            EXPECT_EQ(errors[0], c.error) << c.what;
        }
    }
}

TEST_F(AzmedProjection, CentreAndAntipode) {
    for (const char* ellipsoid : {"WGS84", "SPHERE"}) {
        SCOPED_TRACE(ellipsoid);
        CsPtr<CsParams> p = Build(Equidistant(ellipsoid, 47.0));
        double xy[3], ll[3];
        const double centre[3] = {7.5, 47.0, 0.0};
        EXPECT_EQ(CS_forwardProject(p.get(), xy, centre), 0);
        EXPECT_NEAR(xy[0], 600000.0, 1e-9);
        EXPECT_NEAR(xy[1], 200000.0, 1e-9);
        EXPECT_EQ(CS_inverseProject(p.get(), ll, xy), 0);
        EXPECT_DOUBLE_EQ(ll[0], 7.5);
        EXPECT_DOUBLE_EQ(ll[1], 47.0);
        const CsProjectionConstants* c = CS_constants(p.get());
        const double antipode[1][3] = {{-172.5, -47.0, 0.0}};
        EXPECT_EQ(p->checkGeographic(c, 1, antipode), 2);
    }
    // On the sphere the antipode lies on the limiting circle, pi R out.
    CsPtr<CsParams> p = Build(Equidistant("SPHERE", 47.0));
    const double antipode[3] = {-172.5, -47.0, 0.0};
    double xy[3];
    EXPECT_EQ(CS_forwardProject(p.get(), xy, antipode), 2);
    EXPECT_NEAR(std::hypot(xy[0] - 600000.0, xy[1] - 200000.0), M_PI * 6370997.0, 1e-6);
    const CsProjectionConstants* c = CS_constants(p.get());
    const double beyond[1][3] = {{600000.0 + 3.2 * 6370997.0, 200000.0, 0.0}};
    EXPECT_EQ(p->checkCartesian(c, 1, beyond), 2);
}

TEST_F(AzmedProjection, ElevationRaisesTheRadiusOnly) {
    CsCoordSysDef plain = Equidistant("WGS84", 90.0), raised = plain;
    std::strcpy(raised.projectionKey, "AZMED-ELEV");
    raised.parameters[1] = 1000.0;
    CsPtr<CsParams> a = Build(plain), b = Build(raised);
    const auto& ca = CS_constantsOf<CsAzmedConstants>(a.get());
    const auto& cb = CS_constantsOf<CsAzmedConstants>(b.get());
    EXPECT_DOUBLE_EQ(cb.ka - ca.ka, 1000.0);
    EXPECT_EQ(cb.e, ca.e);
}

TEST_F(AzmedProjection, AzimuthTurnsThePlane) {
    CsCoordSysDef plain = Equidistant("WGS84", 47.0), turned = plain;
    turned.parameters[0] = 90.0;
    CsPtr<CsParams> a = Build(plain), b = Build(turned);
    // Up the central meridian: along the y axis, turned onto the x axis.
    const double north[3] = {7.5, 48.0, 0.0};
    double xa[3], xb[3], back[3];
    ASSERT_EQ(CS_forwardProject(a.get(), xa, north), 0);
    ASSERT_EQ(CS_forwardProject(b.get(), xb, north), 0);
    EXPECT_NEAR(xa[0], 600000.0, 1e-6);
    EXPECT_NEAR(xb[1], 200000.0, 1e-6);
    EXPECT_NEAR(xb[0] - 600000.0, -(xa[1] - 200000.0), 1e-6);
    ASSERT_EQ(CS_inverseProject(b.get(), back, xb), 0);
    EXPECT_NEAR(back[0], 7.5, 1e-9);
    EXPECT_NEAR(back[1], 48.0, 1e-6);
}

TEST_F(AzmedProjection, WktReadsBackAndProjAcceptsIt) {
    familytest::ExpectWktRoundTrip("EXAMPLE-AZMED");
}

TEST_F(AzmedProjection, ProgramConvertsAGoldenRow) {
    // example-azmed.golden: cct +proj=aeqd ... (the series' 2 cm)
    familytest::ExpectProgramRoundTrip("EXAMPLE-AZMED", 8.5, 47.2, 680347.387815498,
                                       228069.755828876, 1.0, 0.02);
}

}  // namespace
