#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>

#include "coordsys/CsParams.h"
#include "projections/MsteroProjection.h"
#include "projections/ProjectionTable.h"
#include "projections/tests/FamilySystemChecks.h"
#include "testing/TestSupport.h"

namespace {

CsCoordSysDef Modified(const char* ellipsoid = "CLRK66") {
    CsCoordSysDef def{};
    std::strcpy(def.key, "TEST-MSTERO");
    std::strcpy(def.ellipsoidKey, ellipsoid);
    std::strcpy(def.projectionKey, "MSTERO");
    std::strcpy(def.unit, "METER");
    def.originLongitude = -152.0;
    def.originLatitude = 64.0;
    def.scaleReduction = 1.0;
    def.falseEasting = 100000.0;
    def.mapScale = 1.0;
    def.quadrant = 1;
    return def;
}

class MsteroProjection : public familytest::FamilyTest {};

TEST_F(MsteroProjection, CheckReportsEachFault) {
    struct Case {
        const char* what;
        std::function<void(CsCoordSysDef&)> change;
        int error;  // 0: valid
    } cases[] = {
        {"origin longitude -180", [](auto& d) { d.originLongitude = -180.0; }, 216},
        {"origin latitude -90", [](auto& d) { d.originLatitude = -90.0; }, 0},
        {"origin latitude 90.5", [](auto& d) { d.originLatitude = 90.5; }, 215},
        {"scale reduction 0.4", [](auto& d) { d.scaleReduction = 0.4; }, 227},
        {"coefficient 1.5", [](auto& d) { d.parameters[7] = 1.5; }, 210},
        {"coefficient -1.0", [](auto& d) { d.parameters[23] = -1.0; }, 0},
        {"coefficient NaN", [](auto& d) { d.parameters[0] = std::nan(""); }, 210},
    };
    for (const Case& c : cases) {
        CsCoordSysDef def = Modified();
        c.change(def);
        int errors[4] = {};
        EXPECT_EQ(CS_msteroCheck(&def, kCsProjMstero, errors, 4), c.error == 0 ? 0 : 1) << c.what;
        if (c.error != 0) {
            EXPECT_EQ(errors[0], c.error) << c.what;
        }
    }
    // Several large coefficients are one error.
    CsCoordSysDef def = Modified();
    def.parameters[0] = def.parameters[5] = 2.0;
    int errors[4] = {};
    EXPECT_EQ(CS_msteroCheck(&def, kCsProjMstero, errors, 4), 1);
}

// The degree is the highest pair with any non-zero part: c1 = (1, 0) alone
// is the plain stereographic, not a map of every point to the origin.
TEST_F(MsteroProjection, APurelyRealCoefficientIsKept) {
    CsCoordSysDef none = Modified("SPHERE"), real = none, complex = none;
    real.parameters[0] = 1.0;
    complex.parameters[0] = 1.0;
    complex.parameters[1] = 0.5;
    CsPtr<CsParams> p0 = Build(none), p1 = Build(real), p2 = Build(complex);
    EXPECT_EQ(CS_constantsOf<CsMsteroConstants>(p0.get()).degree, 0);
    EXPECT_EQ(CS_constantsOf<CsMsteroConstants>(p1.get()).degree, 1);
    EXPECT_EQ(CS_constantsOf<CsMsteroConstants>(p2.get()).degree, 1);

    const double point[3] = {-140.0, 60.0, 0.0};
    double x0[3], x1[3], x2[3];
    ASSERT_EQ(CS_forwardProject(p0.get(), x0, point), 0);
    EXPECT_EQ(x0[0], 100000.0);  // degree 0: the false origin
    EXPECT_EQ(x0[1], 0.0);
    ASSERT_EQ(CS_forwardProject(p1.get(), x1, point), 0);
    ASSERT_EQ(CS_forwardProject(p2.get(), x2, point), 0);
    // The plain stereographic of the sphere: 2R tan(c/2) from the origin.
    const double origin[2] = {-152.0 * M_PI / 180, 64.0 * M_PI / 180};
    const double at[2] = {-140.0 * M_PI / 180, 60.0 * M_PI / 180};
    double c = std::acos(std::sin(origin[1]) * std::sin(at[1]) +
                         std::cos(origin[1]) * std::cos(at[1]) * std::cos(at[0] - origin[0]));
    EXPECT_NEAR(std::hypot(x1[0] - 100000.0, x1[1]), 2 * 6370997.0 * std::tan(c / 2), 1e-6);
    // (1 + 0.5i) times the same point.
    double u = x1[0] - 100000.0, v = x1[1];
    EXPECT_NEAR(x2[0] - 100000.0, u - 0.5 * v, 1e-6);
    EXPECT_NEAR(x2[1], v + 0.5 * u, 1e-6);
    double back[3];
    ASSERT_EQ(CS_inverseProject(p2.get(), back, x2), 0);
    EXPECT_NEAR(back[0], -140.0, 1e-10);
    EXPECT_NEAR(back[1], 60.0, 1e-10);
}

TEST_F(MsteroProjection, OriginAndEdges) {
    CsPtr<CsParams> p(CS_loadCoordSys("ALASKA-MODSTEREO"));
    ASSERT_TRUE(p) << CS_lastMessage();
    const double origin[3] = {-152.0, 64.0, 0.0};
    double xy[3], ll[3];
    EXPECT_EQ(CS_forwardProject(p.get(), xy, origin), 0);
    EXPECT_EQ(xy[0], 0.0);
    EXPECT_EQ(xy[1], 0.0);
    EXPECT_EQ(CS_inverseProject(p.get(), ll, xy), 0);
    EXPECT_EQ(ll[0], -152.0);
    EXPECT_EQ(ll[1], 64.0);
    const double antipode[3] = {28.0, -64.0, 0.0};
    EXPECT_EQ(CS_forwardProject(p.get(), xy, antipode), 2);
    EXPECT_TRUE(std::isfinite(xy[0]) && std::isfinite(xy[1]));
    // Beyond the radius: pulled back, status 2, at most six corrections.
    const double far[3] = {9e6, 9e6, 0.0};
    EXPECT_EQ(CS_inverseProject(p.get(), ll, far), 2);
    EXPECT_TRUE(std::isfinite(ll[0]) && std::isfinite(ll[1]));
    const CsProjectionConstants* c = CS_constants(p.get());
    const double outside[1][3] = {{9e6, 9e6, 0.0}};
    EXPECT_EQ(p->checkCartesian(c, 1, outside), 2);
    const double inside[1][3] = {{1e5, 1e5, 0.0}};
    EXPECT_EQ(p->checkCartesian(c, 1, inside), 0);
    const double opposite[1][3] = {{28.0, -64.0, 0.0}};
    EXPECT_EQ(p->checkGeographic(c, 1, opposite), 2);
}

TEST_F(MsteroProjection, ScaleCarriesTheScaleReduction) {
    CsCoordSysDef one = Modified("SPHERE"), reduced = one;
    one.parameters[0] = 1.0;
    reduced.parameters[0] = 1.0;
    reduced.scaleReduction = 0.9;
    CsPtr<CsParams> a = Build(one), b = Build(reduced);
    const double origin[3] = {-152.0, 64.0, 0.0};
    EXPECT_NEAR(a->gridScale(CS_constants(a.get()), origin), 1.0, 1e-12);
    EXPECT_NEAR(b->gridScale(CS_constants(b.get()), origin), 0.9, 1e-12);
}

TEST_F(MsteroProjection, WktReadsBackAndProjAcceptsIt) {
    familytest::ExpectWktRoundTrip("ALASKA-MODSTEREO");
}

TEST_F(MsteroProjection, ProgramConvertsAGoldenRow) {
    // gs50-modstereo.golden: proj +proj=gs50 +ellps=clrk66 (its own e^2: 3.4 mm)
    familytest::ExpectProgramRoundTrip("GS50-MODSTEREO", -100, 40, 1672352.402124743,
                                       -347454.747724369, 1.0, 0.004);
}

}  // namespace
