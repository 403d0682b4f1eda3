#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>

#include "coordsys/CsParams.h"
#include "projections/OsterousProjection.h"
#include "projections/ProjectionTable.h"
#include "projections/tests/FamilySystemChecks.h"
#include "testing/TestSupport.h"

namespace {

CsCoordSysDef Oblique(const char* ellipsoid = "GRS1980") {
    CsCoordSysDef def{};
    std::strcpy(def.key, "TEST-OSTEROUS");
    std::strcpy(def.ellipsoidKey, ellipsoid);
    std::strcpy(def.projectionKey, "OSTEROUS");
    std::strcpy(def.unit, "METER");
    def.originLongitude = -66.5;
    def.originLatitude = 46.5;
    def.scaleReduction = 0.999912;
    def.falseEasting = 2500000.0;
    def.falseNorthing = 7500000.0;
    def.mapScale = 1.0;
    def.quadrant = 1;
    return def;
}

class OsterousProjection : public familytest::FamilyTest {};

TEST_F(OsterousProjection, CheckReportsEachFault) {
    struct Case {
        const char* what;
        std::function<void(CsCoordSysDef&)> change;
        int error;  // 0: valid
    } cases[] = {
        {"origin longitude -180", [](auto& d) { d.originLongitude = -180.0; }, 216},
        {"origin latitude 89.9998", [](auto& d) { d.originLatitude = 89.9998; }, 245},
        {"origin latitude -89.9997", [](auto& d) { d.originLatitude = -89.9997; }, 0},
        {"azimuth 180", [](auto& d) { d.parameters[0] = 180.0; }, 202},
        {"azimuth -179", [](auto& d) { d.parameters[0] = -179.0; }, 0},
        {"azimuth NaN", [](auto& d) { d.parameters[0] = std::nan(""); }, 202},
        {"scale reduction 1.6", [](auto& d) { d.scaleReduction = 1.6; }, 227},
    };
    for (const Case& c : cases) {
        CsCoordSysDef def = Oblique();
        c.change(def);
        int errors[4] = {};
        EXPECT_EQ(CS_osterousCheck(&def, kCsProjOsterous, errors, 4), c.error == 0 ? 0 : 1)
            << c.what;
        if (c.error != 0) {
            EXPECT_EQ(errors[0], c.error) << c.what;
        }
    }
}

TEST_F(OsterousProjection, OriginAndAntipode) {
    for (const char* ellipsoid : {"GRS1980", "SPHERE"}) {
        SCOPED_TRACE(ellipsoid);
        CsPtr<CsParams> p = Build(Oblique(ellipsoid));
        double xy[3], ll[3];
        const double origin[3] = {-66.5, 46.5, 0.0};
        EXPECT_EQ(CS_forwardProject(p.get(), xy, origin), 0);
        EXPECT_NEAR(xy[0], 2500000.0, 1e-6);
        EXPECT_NEAR(xy[1], 7500000.0, 1e-6);
        EXPECT_EQ(CS_inverseProject(p.get(), ll, xy), 0);
        EXPECT_DOUBLE_EQ(ll[0], -66.5);
        EXPECT_DOUBLE_EQ(ll[1], 46.5);
        const double antipode[3] = {113.5, -46.5, 0.0};
        EXPECT_EQ(CS_forwardProject(p.get(), xy, antipode), 2);
        EXPECT_TRUE(std::isfinite(xy[0]) && std::isfinite(xy[1]));
    }
}

TEST_F(OsterousProjection, AzimuthTurnsTheGrid) {
    CsCoordSysDef plain = Oblique("SPHERE"), turned = plain;
    turned.parameters[0] = 90.0;
    CsPtr<CsParams> a = Build(plain), b = Build(turned);
    const double east[3] = {-60.0, 46.5, 0.0};
    double xa[3], xb[3], back[3];
    ASSERT_EQ(CS_forwardProject(a.get(), xa, east), 0);
    ASSERT_EQ(CS_forwardProject(b.get(), xb, east), 0);
    EXPECT_NEAR(xb[0] - 2500000.0, -(xa[1] - 7500000.0), 1e-6);
    EXPECT_NEAR(xb[1] - 7500000.0, xa[0] - 2500000.0, 1e-6);
    EXPECT_GT(xb[1], 7500000.0);
    ASSERT_EQ(CS_inverseProject(b.get(), back, xb), 0);
    EXPECT_NEAR(back[0], -60.0, 1e-10);
    EXPECT_NEAR(back[1], 46.5, 1e-10);
}

// The scale is the same ratio whatever the system's unit.
TEST_F(OsterousProjection, ScaleIsAPureRatio) {
    for (const char* ellipsoid : {"GRS1980", "SPHERE"}) {
        CsCoordSysDef metres = Oblique(ellipsoid), feet = metres;
        std::strcpy(feet.unit, "FOOT");
        CsPtr<CsParams> m = Build(metres), f = Build(feet);
        for (double latitude : {46.5, 30.0, 60.0}) {
            const double ll[3] = {-60.0, latitude, 0.0};
            double km = m->parallelScale(CS_constants(m.get()), ll);
            EXPECT_NEAR(f->parallelScale(CS_constants(f.get()), ll), km, 1e-12) << ellipsoid;
            EXPECT_GT(km, 0.99) << ellipsoid;
            EXPECT_LT(km, 1.03) << ellipsoid;
        }
        const double origin[3] = {-66.5, 46.5, 0.0};
        EXPECT_NEAR(f->gridScale(CS_constants(f.get()), origin), 0.999912, 1e-12) << ellipsoid;
        const double beyond[3] = {0.0, 91.0, 0.0};
        EXPECT_EQ(f->gridScale(CS_constants(f.get()), beyond), -1.0);
    }
}

TEST_F(OsterousProjection, LimitChecks) {
    CsPtr<CsParams> p = Build(Oblique());
    const CsProjectionConstants* c = CS_constants(p.get());
    const double inside[2][3] = {{-66, 46, 0}, {-60, 50, 0}};
    const double outside[2][3] = {{-66, 46, 0}, {113.5, -46.5, 0}};
    EXPECT_EQ(p->checkGeographic(c, 2, inside), 0);
    EXPECT_EQ(p->checkGeographic(c, 2, outside), 2);
    const double xy[1][3] = {{2600000, 7400000, 0}};
    EXPECT_EQ(p->checkCartesian(c, 1, xy), 0);
}

TEST_F(OsterousProjection, WktReadsBackAndProjAcceptsIt) {
    familytest::ExpectWktRoundTrip("EXAMPLE-OSTEROUS");
}

TEST_F(OsterousProjection, ProgramConvertsAGoldenRow) {
    // example-osterous.golden: proj +proj=stere +lat_0=46.5 +lon_0=-66.5 ...
    familytest::ExpectProgramRoundTrip("EXAMPLE-OSTEROUS", -64, 47.5, 2688349.915413290,
                                       7614163.563279636, 1.0);
}

}  // namespace
