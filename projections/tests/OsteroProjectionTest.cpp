#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>

#include "coordsys/CsParams.h"
#include "projections/OsteroProjection.h"
#include "projections/OsterousProjection.h"
#include "projections/ProjectionTable.h"
#include "projections/tests/FamilySystemChecks.h"
#include "testing/TestSupport.h"

namespace {

CsCoordSysDef Double(const char* ellipsoid = "BESSEL", const char* projection = "OSTERO") {
    CsCoordSysDef def{};
    std::strcpy(def.key, "TEST-OSTERO");
    std::strcpy(def.ellipsoidKey, ellipsoid);
    std::strcpy(def.projectionKey, projection);
    std::strcpy(def.unit, "METER");
    def.originLongitude = 5.38763888888889;
    def.originLatitude = 52.15616055555555;
    def.scaleReduction = 0.9999079;
    def.falseEasting = 155000.0;
    def.falseNorthing = 463000.0;
    def.mapScale = 1.0;
    def.quadrant = 1;
    return def;
}

class OsteroProjection : public familytest::FamilyTest {};

TEST_F(OsteroProjection, CheckReportsEachFault) {
    struct Case {
        const char* what;
        std::function<void(CsCoordSysDef&)> change;
        int error;  // 0: valid
    } cases[] = {
        {"origin longitude 180.5", [](auto& d) { d.originLongitude = 180.5; }, 216},
        {"origin latitude 89.9998", [](auto& d) { d.originLatitude = 89.9998; }, 245},
        {"origin latitude -89.9997222", [](auto& d) { d.originLatitude = -89.9997222; }, 0},
        {"scale reduction 0.4", [](auto& d) { d.scaleReduction = 0.4; }, 227},
    };
    for (const Case& c : cases) {
        CsCoordSysDef def = Double();
        c.change(def);
        int errors[4] = {};
        EXPECT_EQ(CS_osteroCheck(&def, kCsProjOstero, errors, 4), c.error == 0 ? 0 : 1) << c.what;
        if (c.error != 0) {
            EXPECT_EQ(errors[0], c.error) << c.what;
        }
    }
}

TEST_F(OsteroProjection, OriginAntipodeAndInverseBound) {
    CsPtr<CsParams> p = Build(Double());
    double xy[3], ll[3];
    const double origin[3] = {5.38763888888889, 52.15616055555555, 0.0};
    EXPECT_EQ(CS_forwardProject(p.get(), xy, origin), 0);
    EXPECT_NEAR(xy[0], 155000.0, 1e-6);
    EXPECT_NEAR(xy[1], 463000.0, 1e-6);
    EXPECT_EQ(CS_inverseProject(p.get(), ll, xy), 0);
    EXPECT_DOUBLE_EQ(ll[0], origin[0]);
    EXPECT_DOUBLE_EQ(ll[1], origin[1]);
    // The antipode (on the sphere; the conformal sphere's is elsewhere).
    CsPtr<CsParams> sphere = Build(Double("SPHERE"));
    const double antipode[3] = {-174.61236111111111, -52.15616055555555, 0.0};
    EXPECT_EQ(CS_forwardProject(sphere.get(), xy, antipode), 2);
    EXPECT_TRUE(std::isfinite(xy[0]) && std::isfinite(xy[1]));
    // Far outside: the latitude iteration is bounded and the result finite.
    const double far[3] = {1e15, -1e15, 0.0};
    CS_inverseProject(p.get(), ll, far);
    EXPECT_TRUE(std::isfinite(ll[0]) && std::isfinite(ll[1]));
}

// On the sphere the double stereographic is Snyder's single one.
TEST_F(OsteroProjection, SphereAgreesWithTheSnyderForm) {
    CsPtr<CsParams> a = Build(Double("SPHERE")), b = Build(Double("SPHERE", "OSTEROUS"));
    for (const auto& point : {std::pair{5.0, 52.0}, {20.0, 10.0}, {-60.0, 70.0}}) {
        const double ll[3] = {point.first, point.second, 0.0};
        double xa[3], xb[3];
        ASSERT_EQ(CS_forwardProject(a.get(), xa, ll), 0);
        ASSERT_EQ(CS_forwardProject(b.get(), xb, ll), 0);
        EXPECT_NEAR(xa[0], xb[0], 1e-6);
        EXPECT_NEAR(xa[1], xb[1], 1e-6);
    }
}

// The scale is the same ratio in any unit, k0 at the origin.
// The scale is measured along a short geodesic: good to a few parts in 1e9.
TEST_F(OsteroProjection, ScaleIsAPureRatio) {
    for (const char* ellipsoid : {"BESSEL", "SPHERE"}) {
        CsCoordSysDef metres = Double(ellipsoid), feet = metres;
        std::strcpy(feet.unit, "FOOT");
        CsPtr<CsParams> m = Build(metres), f = Build(feet);
        const double origin[3] = {5.38763888888889, 52.15616055555555, 0.0};
        EXPECT_NEAR(m->gridScale(CS_constants(m.get()), origin), 0.9999079, 5e-9) << ellipsoid;
        EXPECT_NEAR(f->gridScale(CS_constants(f.get()), origin), 0.9999079, 5e-9) << ellipsoid;
    }
}

TEST_F(OsteroProjection, WktReadsBackAndProjAcceptsIt) {
    familytest::ExpectWktRoundTrip("RD-NEW");
    familytest::ExpectWktRoundTrip("NB83-STEREO");
}

TEST_F(OsteroProjection, ProgramConvertsAGoldenRow) {
    // rd-new.golden: proj +proj=sterea ... +ellps=bessel
    familytest::ExpectProgramRoundTrip("RD-NEW", 4.9, 52.37, 121793.919397385, 486901.274179562,
                                       1.0);
}

}  // namespace
