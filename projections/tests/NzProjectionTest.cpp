#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>

#include "coordsys/CsParams.h"
#include "projections/NzProjection.h"
#include "projections/ProjectionTable.h"
#include "projections/tests/FamilySystemChecks.h"
#include "testing/TestSupport.h"

namespace {

class NzProjection : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(CS_setDictionaryDirectory(wlxtest::BinDir().string().c_str()), 0);
        params.reset(CS_loadCoordSys("NZMG"));
        ASSERT_TRUE(params) << CS_lastMessage();
    }
    CsPtr<CsParams> params;
};

TEST_F(NzProjection, CheckReportsEachFault) {
    struct Case {
        const char* what;
        std::function<void(CsCoordSysDef&)> change;
        int error;  // 0: valid
    } cases[] = {
        {"origin longitude -180", [](auto& d) { d.originLongitude = -180.0; }, 216},
        {"origin latitude -90", [](auto& d) { d.originLatitude = -90.0; }, 215},
        {"origin latitude 89.9", [](auto& d) { d.originLatitude = 89.9; }, 0},
        {"scale reduction 1.5", [](auto& d) { d.scaleReduction = 1.5; }, 0},
        {"scale reduction 1.51", [](auto& d) { d.scaleReduction = 1.51; }, 227},
    };
    for (const Case& c : cases) {
        CsCoordSysDef def = params->csDef;
        c.change(def);
        int errors[4] = {};
        EXPECT_EQ(CS_nzCheck(&def, kCsProjNzealand, errors, 4), c.error == 0 ? 0 : 1) << c.what;
        if (c.error != 0) {
            EXPECT_EQ(errors[0], c.error) << c.what;
        }
    }
}

TEST_F(NzProjection, OriginAndClamps) {
    double xy[3], ll[3];
    const double origin[3] = {173.0, -41.0, 0.0};
    EXPECT_EQ(CS_forwardProject(params.get(), xy, origin), 0);
    EXPECT_EQ(xy[0], 2510000.0);
    EXPECT_EQ(xy[1], 6023150.0);
    EXPECT_EQ(CS_inverseProject(params.get(), ll, xy), 0);
    EXPECT_EQ(ll[0], 173.0);
    EXPECT_EQ(ll[1], -41.0);
    // Ten degrees east is projected as eight, with status 2.
    const double ten[3] = {183.0, -41.0, 0.0}, eight[3] = {181.0, -41.0, 0.0};
    double x10[3], x8[3];
    EXPECT_EQ(CS_forwardProject(params.get(), x10, ten), 2);
    EXPECT_EQ(CS_forwardProject(params.get(), x8, eight), 0);
    EXPECT_EQ(x10[0], x8[0]);
    EXPECT_EQ(x10[1], x8[1]);
    // Beyond the radius on both axes: pulled back to the unit circle.
    const double far[3] = {2510000.0 + 2e7, 6023150.0 + 2e7, 0.0};
    EXPECT_EQ(CS_inverseProject(params.get(), ll, far), 2);
    EXPECT_TRUE(std::isfinite(ll[0]) && std::isfinite(ll[1]));
    const CsProjectionConstants* c = CS_constants(params.get());
    const double outside[1][3] = {{183.0, -41.0, 0.0}};
    EXPECT_EQ(params->checkGeographic(c, 1, outside), 2);
    const double cartesian[1][3] = {{far[0], far[1], 0.0}};
    EXPECT_EQ(params->checkCartesian(c, 1, cartesian), 2);
}

TEST_F(NzProjection, ScaleIsAPureRatio) {
    CsCoordSysDef feet = params->csDef;
    std::strcpy(feet.unit, "FOOT");
    feet.falseEasting = feet.falseNorthing = 0.0;
    CsPtr<CsParams> f(CS_paramsFromDef(&feet));
    ASSERT_TRUE(f) << CS_lastMessage();
    const double ll[3] = {174.76, -36.85, 0.0};
    // nzmg.golden: proj -V gives 0.99998036
    EXPECT_NEAR(params->gridScale(CS_constants(params.get()), ll), 0.99998036, 1e-8);
    EXPECT_NEAR(f->gridScale(CS_constants(f.get()), ll), 0.99998036, 1e-8);
}

TEST_F(NzProjection, WktReadsBackAndProjAcceptsIt) {
    familytest::ExpectWktRoundTrip("NZMG");
}

TEST_F(NzProjection, ProgramConvertsAGoldenRow) {
    // nzmg.golden: proj +proj=nzmg ... +ellps=intl
    familytest::ExpectProgramRoundTrip("NZMG", 174.76, -36.85, 2667368.262926823, 6482219.908298107,
                                       1.0);
}

}  // namespace
