#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>

#include "coordsys/CsParams.h"
#include "projections/ProjectionTable.h"
#include "projections/TmSnyderProjection.h"
#include "projections/tests/FamilySystemChecks.h"
#include "testing/TestSupport.h"

namespace {

CsCoordSysDef Snyder(const char* ellipsoid = "GRS1980") {
    CsCoordSysDef def{};
    std::strcpy(def.key, "TEST-TMSNYDER");
    std::strcpy(def.ellipsoidKey, ellipsoid);
    std::strcpy(def.projectionKey, "TM-SNYDER");
    std::strcpy(def.unit, "METER");
    def.parameters[0] = -93.0;
    def.scaleReduction = 0.9996;
    def.falseEasting = 500000.0;
    def.mapScale = 1.0;
    def.quadrant = 1;
    return def;
}

class TmSnyderProjection : public familytest::FamilyTest {};

TEST_F(TmSnyderProjection, CheckReportsEachFault) {
    struct Case {
        const char* what;
        std::uint16_t code;
        std::function<void(CsCoordSysDef&)> change;
        int error;  // 0: valid
    } cases[] = {
        {"central meridian -180", kCsProjTmSnyder, [](auto& d) { d.parameters[0] = -180.0; }, 216},
        {"central meridian +180", kCsProjTmSnyder, [](auto& d) { d.parameters[0] = 180.0; }, 0},
        {"origin latitude", kCsProjTmSnyder, [](auto& d) { d.originLatitude = 90.5; }, 215},
        {"scale reduction", kCsProjTmSnyder, [](auto& d) { d.scaleReduction = 1.6; }, 227},
        {"scale reduction NaN", kCsProjTmSnyder, [](auto& d) { d.scaleReduction = NAN; }, 227},
        {"zone 0", kCsProjUtm, [](auto& d) { d.parameters[0] = 0.0; }, 246},
        {"zone 15", kCsProjUtm, [](auto& d) { d.parameters[0] = 15.0; }, 0},
        {"hemisphere", kCsProjUtm, [](auto& d) { d.parameters[0] = 15, d.parameters[1] = -2; },
         247},
    };
    for (const Case& c : cases) {
        CsCoordSysDef def = Snyder();
        c.change(def);
        int errors[4] = {};
        int count = CS_tmSnyderCheck(&def, c.code, errors, 4);
        EXPECT_EQ(count, c.error == 0 ? 0 : 1) << c.what;
        if (c.error != 0) {
            EXPECT_EQ(errors[0], c.error) << c.what;
        }
    }
}

TEST_F(TmSnyderProjection, TheDefaultWidthFollowsTheScaleReduction) {
    CsCoordSysDef def = Snyder();
    auto utm = Build(def);
    ASSERT_TRUE(utm);
    EXPECT_NEAR(utm->maxLongitude, 6.24, 0.01);
    EXPECT_NEAR(utm->minLongitude, -6.24, 0.01);
    EXPECT_EQ(utm->minLatitude, -84.0);
    EXPECT_EQ(utm->maxLatitude, 84.0);
    def.scaleReduction = 1.0;
    auto unreduced = Build(def);
    ASSERT_TRUE(unreduced);
    EXPECT_DOUBLE_EQ(unreduced->maxLongitude, 3.0);
    EXPECT_GT(unreduced->maxX, 500000.0);
    EXPECT_DOUBLE_EQ(unreduced->maxX + unreduced->minX, 1000000.0);
}

TEST_F(TmSnyderProjection, AnEastingBeyondTheLargestIsClampedWhateverTheFalseEasting) {
    for (double falseEasting : {0.0, 500000.0, -3000000.0}) {
        CsCoordSysDef def = Snyder();
        def.falseEasting = falseEasting;
        auto params = Build(def);
        ASSERT_TRUE(params);
        const double largest = CS_constantsOf<CsTmSnyderConstants>(params.get()).largestEasting;
        const double beyond[3] = {falseEasting + 1.5 * largest, 1000.0, 0.0};
        const double edge[3] = {falseEasting + largest, 1000.0, 0.0};
        double a[3], b[3];
        EXPECT_EQ(CS_inverseProject(params.get(), a, beyond), 2) << falseEasting;
        CS_inverseProject(params.get(), b, edge);
        EXPECT_DOUBLE_EQ(a[0], b[0]) << falseEasting;
        EXPECT_DOUBLE_EQ(a[1], b[1]) << falseEasting;
        const double inside[3] = {falseEasting + 0.5 * largest, 1000.0, 0.0};
        EXPECT_EQ(CS_inverseProject(params.get(), a, inside), 0) << falseEasting;
    }
}

TEST_F(TmSnyderProjection, TheSphereScaleIsInfiniteNinetyDegreesOut) {
    auto params = Build(Snyder("SPHERE"));
    ASSERT_TRUE(params);
    const CsProjectionConstants* c = CS_constants(params.get());
    const double out[3] = {-3.0, 0.0, 0.0};
    EXPECT_EQ(params->gridScale(c, out), 9999.99);
    const double near[3] = {-3.0001, 0.0, 0.0};
    double k = params->gridScale(c, near);
    EXPECT_TRUE(std::isfinite(k));
    EXPECT_GT(k, 500.0);
    const double meridian[3] = {-93.0, 40.0, 0.0};
    EXPECT_DOUBLE_EQ(params->gridScale(c, meridian), 0.9996);
}

}  // namespace
