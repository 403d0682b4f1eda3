// The Miller cylindrical family: its check, the longitude rule, the poles
// and the clamping inverse.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>

#include "coordsys/CsParams.h"
#include "projections/MillerProjection.h"
#include "projections/ProjectionTable.h"
#include "projections/tests/FamilySystemChecks.h"
#include "testing/TestSupport.h"

namespace {

constexpr double kR = 6370997.0;  // SPHERE

CsCoordSysDef Miller(double centralMeridian = 150.0) {
    CsCoordSysDef def{};
    std::strcpy(def.key, "TEST-MILLER");
    std::strcpy(def.ellipsoidKey, "SPHERE");
    std::strcpy(def.projectionKey, "MILLER");
    std::strcpy(def.unit, "METER");
    def.parameters[0] = centralMeridian;
    def.scaleReduction = 1.0;
    def.mapScale = 1.0;
    def.quadrant = 1;
    return def;
}

class MillerProjection : public familytest::FamilyTest {
protected:
    void SetUp() override {
        FamilyTest::SetUp();
        params_ = Build(Miller());
        ASSERT_TRUE(params_);
    }
    int Forward(double lon, double lat, double out[3]) const {
        const double in[3] = {lon, lat, 0.0};
        return CS_forwardProject(params_.get(), out, in);
    }
    int Inverse(double x, double y, double out[3]) const {
        const double in[3] = {x, y, 0.0};
        return CS_inverseProject(params_.get(), out, in);
    }
    CsPtr<CsParams> params_;
};

TEST_F(MillerProjection, CheckReportsEachFault) {
    struct Case {
        const char* what;
        std::function<void(CsCoordSysDef&)> change;
        int error;  // 0: valid
    } cases[] = {
        {"central meridian -180", [](auto& d) { d.parameters[0] = -180.0; }, 216},
        {"central meridian +180", [](auto& d) { d.parameters[0] = 180.0; }, 0},
        {"central meridian NaN", [](auto& d) { d.parameters[0] = std::nan(""); }, 216},
        {"the origin longitude is not used", [](auto& d) { d.originLongitude = 500.0; }, 0},
    };
    for (const Case& c : cases) {
        CsCoordSysDef def = Miller();
        c.change(def);
        int errors[4] = {};
        int count = CS_millerCheck(&def, kCsProjMiller, errors, 4);
        EXPECT_EQ(count, c.error == 0 ? 0 : 1) << c.what;
        if (c.error != 0) {
            EXPECT_EQ(errors[0], c.error) << c.what;
        }
    }
}

TEST_F(MillerProjection, ThePolesGiveTheLargestNorthing) {
    const double maxY = 0.625 * kR * 3.685460063;
    double xy[3], ll[3];
    EXPECT_EQ(Forward(150.0, 0.0, xy), 0);
    EXPECT_NEAR(xy[1], 0.0, 1e-9);
    EXPECT_EQ(Forward(150.0, 90.0, xy), 0);
    EXPECT_NEAR(xy[1], maxY, 0.05);  // the constant's ten digits
    EXPECT_EQ(Inverse(0.0, maxY, ll), 0);
    EXPECT_NEAR(ll[1], 90.0, 1e-7);
    EXPECT_EQ(Inverse(0.0, -2.0 * maxY, ll), 2);
    EXPECT_NEAR(ll[1], -90.0, 1e-7);
    // The inverse clamps x to 270 degrees either side.
    EXPECT_EQ(Inverse(3.0 * M_PI * kR, 0.0, ll), 2);
    EXPECT_NEAR(ll[0], 150.0 + 270.0, 1e-9);
    const double pole[3] = {0.0, 90.0, 0.0}, over[3] = {0.0, 90.5, 0.0};
    const CsProjectionConstants* c = CS_constants(params_.get());
    EXPECT_DOUBLE_EQ(params_->parallelScale(c, pole), 9999.99);
    EXPECT_NEAR(params_->meridianScale(c, pole), 1.0 / std::cos(0.4 * M_PI), 1e-12);
    EXPECT_DOUBLE_EQ(params_->meridianScale(c, over), -1.0);
    EXPECT_DOUBLE_EQ(params_->convergence(c, pole), 0.0);
}

TEST_F(MillerProjection, LongitudesWrapAt180DegreesWhateverTheCentralMeridian) {
    double xy[3];
    EXPECT_EQ(Forward(-170.0, 10.0, xy), 0);  // 320 degrees west: 40 east
    EXPECT_NEAR(xy[0], kR * 40.0 * M_PI / 180.0, 1e-6);
    EXPECT_EQ(Forward(100.0, 10.0, xy), 0);
    EXPECT_NEAR(xy[0], -kR * 50.0 * M_PI / 180.0, 1e-6);
    EXPECT_EQ(Forward(150.0 - 180.0, 10.0, xy), 2);
    EXPECT_NEAR(std::fabs(xy[0]), kR * M_PI, 1e-6);
    const CsProjectionConstants* c = CS_constants(params_.get());
    const double antipodal[1][3] = {{-30.0, 10.0, 0.0}};
    EXPECT_EQ(params_->checkGeographic(c, 1, antipodal), 2);
    const double inside[2][3] = {{-170.0, 90.0, 0.0}, {100.0, -90.0, 0.0}};
    EXPECT_EQ(params_->checkGeographic(c, 2, inside), 0);
    const double beyond[1][3] = {{0.0, 3.0 * kR, 0.0}};
    EXPECT_EQ(params_->checkCartesian(c, 1, beyond), 2);
}

TEST_F(MillerProjection, TheDefaultRangeIsSymmetric) {
    EXPECT_EQ(params_->rangeCentralMeridian, 150.0);
    EXPECT_EQ(params_->minLongitude, -270.0);
    EXPECT_EQ(params_->maxLongitude, 270.0);
    EXPECT_NEAR(params_->maxX, 1.5 * M_PI * kR, 1e-6);
    EXPECT_NEAR(params_->minX, -1.5 * M_PI * kR, 1e-6);
    EXPECT_NEAR(params_->maxY, 2.3034125 * kR, 1e-3 * kR);
    EXPECT_DOUBLE_EQ(params_->minY, -params_->maxY);
}

TEST_F(MillerProjection, WktReadsBackAndProjAcceptsIt) {
    familytest::ExpectWktRoundTrip("WORLD-MILLER");
}

TEST_F(MillerProjection, ProgramConvertsAGoldenRow) {
    // world-miller.golden: proj +proj=mill +R=6378137
    familytest::ExpectProgramRoundTrip("WORLD-MILLER", -75, 40, -8348961.809495518,
                                       4704138.283930816, 1.0);
}

}  // namespace
