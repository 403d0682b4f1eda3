// The equidistant cylindrical family: its check, the 270-degree rule and
// what the golden files cannot show.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>

#include "coordsys/CsParams.h"
#include "projections/EdcylProjection.h"
#include "projections/ProjectionTable.h"
#include "projections/tests/FamilySystemChecks.h"
#include "testing/TestSupport.h"

namespace {

constexpr double kR = 6370997.0;  // SPHERE

CsCoordSysDef Edcyl(double centralMeridian = -100.0) {
    CsCoordSysDef def{};
    std::strcpy(def.key, "TEST-EDCYL");
    std::strcpy(def.ellipsoidKey, "SPHERE");
    std::strcpy(def.projectionKey, "EDCYL");
    std::strcpy(def.unit, "METER");
    def.originLongitude = centralMeridian;
    def.falseEasting = 1000.0;
    def.falseNorthing = 2000.0;
    def.scaleReduction = 1.0;
    def.mapScale = 1.0;
    def.quadrant = 1;
    return def;
}

class EdcylProjection : public familytest::FamilyTest {
protected:
};

TEST_F(EdcylProjection, CheckReportsEachFault) {
    struct Case {
        const char* what;
        std::function<void(CsCoordSysDef&)> change;
        int error;  // 0: valid
    } cases[] = {
        {"origin longitude -180", [](auto& d) { d.originLongitude = -180.0; }, 216},
        {"origin longitude +180", [](auto& d) { d.originLongitude = 180.0; }, 0},
        {"origin longitude NaN", [](auto& d) { d.originLongitude = std::nan(""); }, 216},
        {"origin latitude 90", [](auto& d) { d.originLatitude = 90.0; }, 0},
        {"origin latitude -90.001", [](auto& d) { d.originLatitude = -90.001; }, 215},
        {"standard parallel 88", [](auto& d) { d.parameters[0] = 88.0; }, 229},
        {"standard parallel -88", [](auto& d) { d.parameters[0] = -88.0; }, 229},
        {"standard parallel 87.9", [](auto& d) { d.parameters[0] = 87.9; }, 0},
        {"standard parallel NaN", [](auto& d) { d.parameters[0] = std::nan(""); }, 229},
    };
    for (const Case& c : cases) {
        CsCoordSysDef def = Edcyl();
        c.change(def);
        int errors[4] = {};
        int count = CS_edcylCheck(&def, kCsProjEdcyl, errors, 4);
        EXPECT_EQ(count, c.error == 0 ? 0 : 1) << c.what;
        if (c.error != 0) {
            EXPECT_EQ(errors[0], c.error) << c.what;
        }
    }
}

TEST_F(EdcylProjection, PlateCarreeKeepsLongitudesUpTo270Degrees) {
    auto params = Build(Edcyl(-100.0));
    ASSERT_TRUE(params);
    const double degree = kR * M_PI / 180.0;
    double xy[3];
    EXPECT_EQ(Forward(params.get(), -99.0, 1.0, xy), 0);
    EXPECT_NEAR(xy[0], 1000.0 + degree, 1e-6);
    EXPECT_NEAR(xy[1], 2000.0 + degree, 1e-6);
    // 260 degrees east stays; 280 degrees east of a negative central meridian
    // comes round to its west side.
    EXPECT_EQ(Forward(params.get(), 160.0, 0.0, xy), 0);
    EXPECT_NEAR(xy[0], 1000.0 + 260.0 * degree, 1e-6);
    EXPECT_EQ(Forward(params.get(), 180.0, 0.0, xy), 0);
    EXPECT_NEAR(xy[0], 1000.0 - 80.0 * degree, 1e-6);
    // Still 270 degrees or more away: wrapped into +-180 with status 2.
    EXPECT_EQ(Forward(params.get(), -100.0 - 275.0, 0.0, xy), 2);
    EXPECT_NEAR(xy[0], 1000.0 + 85.0 * degree, 1e-6);

    auto east = Build(Edcyl(100.0));
    ASSERT_TRUE(east);
    EXPECT_EQ(Forward(east.get(), 100.0 + 250.0, 0.0, xy), 0);
    EXPECT_NEAR(xy[0], 1000.0 + 250.0 * degree, 1e-6);
    EXPECT_EQ(Forward(east.get(), 100.0 - 280.0, 0.0, xy), 0);
    EXPECT_NEAR(xy[0], 1000.0 + 80.0 * degree, 1e-6);
    EXPECT_EQ(Forward(east.get(), 100.0 + 280.0, 0.0, xy), 2);
    EXPECT_NEAR(xy[0], 1000.0 - 80.0 * degree, 1e-6);
}

TEST_F(EdcylProjection, InverseWrapsWhatLiesBeyondTheMap) {
    auto params = Build(Edcyl(0.0));
    ASSERT_TRUE(params);
    const double degree = kR * M_PI / 180.0;
    double ll[3];
    EXPECT_EQ(Inverse(params.get(), 1000.0 + 300.0 * degree, 2000.0 + 10.0 * degree, ll), 2);
    EXPECT_NEAR(ll[0], -60.0, 1e-9);
    EXPECT_NEAR(ll[1], 10.0, 1e-9);
    EXPECT_EQ(Inverse(params.get(), 1000.0 + 200.0 * degree, 2000.0, ll), 0);
    EXPECT_NEAR(ll[0], 200.0, 1e-9);
    EXPECT_EQ(Inverse(params.get(), 1000.0, 2000.0 + 100.0 * degree, ll), 2);
    EXPECT_LE(std::fabs(ll[1]), 90.0);
    const double beyond[1][3] = {{1000.0, 2000.0 + 91.0 * degree, 0.0}};
    EXPECT_EQ(params->checkCartesian(CS_constants(params.get()), 1, beyond), 2);
    const double inside[2][3] = {{1000.0, 2000.0, 0.0}, {1000.0 - 250.0 * degree, 0.0, 0.0}};
    EXPECT_EQ(params->checkCartesian(CS_constants(params.get()), 2, inside), 0);
}

TEST_F(EdcylProjection, LimitsScalesAndRange) {
    CsCoordSysDef def = Edcyl(-100.0);
    def.originLatitude = 60.0;
    def.parameters[0] = 45.0;
    auto params = Build(def);
    ASSERT_TRUE(params);
    const CsProjectionConstants* c = CS_constants(params.get());
    const double poles[2][3] = {{0.0, 90.0, 0.0}, {0.0, -90.0, 0.0}};
    EXPECT_EQ(params->checkGeographic(c, 2, poles), 0);
    const double beyond[1][3] = {{0.0, 90.000001, 0.0}};
    EXPECT_EQ(params->checkGeographic(c, 1, beyond), 2);
    const double pole[3] = {0.0, 90.0, 0.0}, over[3] = {0.0, 91.0, 0.0}, at[3] = {5.0, 0.0, 0.0};
    EXPECT_DOUBLE_EQ(params->parallelScale(c, pole), 9999.99);
    EXPECT_DOUBLE_EQ(params->parallelScale(c, over), -1.0);
    EXPECT_NEAR(params->parallelScale(c, at), std::cos(M_PI / 4.0), 1e-15);
    EXPECT_DOUBLE_EQ(params->meridianScale(c, at), 1.0);
    // The default range: the whole world, y from the south pole to the
    // north pole, which lies only 30 degrees north of the origin.
    EXPECT_EQ(params->rangeCentralMeridian, -100.0);
    EXPECT_EQ(params->minLongitude, -180.0);
    EXPECT_EQ(params->maxLatitude, 90.0);
    EXPECT_NEAR(params->maxX - 1000.0, M_PI * kR * std::cos(M_PI / 4.0), 1e-6);
    // (The poles less the library's 4.85e-8 radians.)
    EXPECT_NEAR(params->maxY - 2000.0, kR * (M_PI / 2.0 - M_PI / 3.0), 0.5);
    EXPECT_NEAR(params->minY - 2000.0, -kR * (M_PI / 2.0 + M_PI / 3.0), 0.5);
}

TEST_F(EdcylProjection, WktReadsBackAndProjAcceptsIt) {
    familytest::ExpectWktRoundTrip("WORLD-EQDCYL");
}

TEST_F(EdcylProjection, ProgramConvertsAGoldenRow) {
    // world-eqdcyl.golden: proj +proj=eqc +R=6378137
    familytest::ExpectProgramRoundTrip("WORLD-EQDCYL", -75, 40, -8348961.809495518,
                                       4452779.631730943, 1.0);
}

}  // namespace
