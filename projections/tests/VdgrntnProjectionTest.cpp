// The Van der Grinten family: its special lines, the poles, the bounding
// circle and the closed-form inverse over the whole world.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "coordsys/CsParams.h"
#include "projections/ProjectionTable.h"
#include "projections/VdgrntnProjection.h"
#include "projections/tests/FamilySystemChecks.h"
#include "testing/TestSupport.h"

namespace {

constexpr double kR = 6370997.0;  // SPHERE

CsCoordSysDef Vdgrntn(double centralMeridian = 150.0) {
    CsCoordSysDef def{};
    std::strcpy(def.key, "TEST-VDGRNTN");
    std::strcpy(def.ellipsoidKey, "SPHERE");
    std::strcpy(def.projectionKey, "VDGRNTN");
    std::strcpy(def.unit, "METER");
    def.originLongitude = centralMeridian;
    def.scaleReduction = 1.0;
    def.mapScale = 1.0;
    def.quadrant = 1;
    return def;
}

class VdgrntnProjection : public familytest::FamilyTest {
protected:
    void SetUp() override {
        FamilyTest::SetUp();
        params_ = Build(Vdgrntn());
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

TEST_F(VdgrntnProjection, TheEquatorTheCentralMeridianAndThePoles) {
    double xy[3], ll[3];
    EXPECT_EQ(Forward(150.0 + 90.0, 0.0, xy), 0);
    EXPECT_NEAR(xy[0], kR * M_PI / 2.0, 1e-6);
    EXPECT_EQ(xy[1], 0.0);
    EXPECT_EQ(Forward(150.0, 45.0, xy), 0);
    EXPECT_EQ(xy[0], 0.0);
    EXPECT_NEAR(xy[1], M_PI * kR * std::tan(std::asin(0.5) / 2.0), 1e-6);
    for (double latitude : {90.0, -90.0}) {
        EXPECT_EQ(Forward(10.0, latitude, xy), 1) << latitude;
        EXPECT_EQ(xy[0], 0.0);
        EXPECT_DOUBLE_EQ(xy[1], std::copysign(M_PI * kR, latitude));
    }
    EXPECT_EQ(Inverse(0.0, 0.0, ll), 0);
    EXPECT_EQ(ll[0], 150.0);
    EXPECT_EQ(ll[1], 0.0);
    EXPECT_EQ(Inverse(0.0, M_PI * kR, ll), 1);
    EXPECT_NEAR(ll[1], 90.0, 1e-9);
}

TEST_F(VdgrntnProjection, InverseOutsideTheCirclePullsThePointOntoIt) {
    double ll[3], edge[3];
    EXPECT_EQ(Inverse(1.2 * M_PI * kR, 0.0, ll), 2);
    EXPECT_NEAR(ll[0], 150.0 + 180.0, 1e-9);
    EXPECT_NEAR(ll[1], 0.0, 1e-12);
    const double r = 1.5 * M_PI * kR;
    EXPECT_EQ(Inverse(r * std::cos(0.6), r * std::sin(0.6), ll), 2);
    EXPECT_EQ(Inverse(M_PI * kR * std::cos(0.6), M_PI * kR * std::sin(0.6), edge), 0);
    EXPECT_NEAR(ll[0], edge[0], 1e-9);
    EXPECT_NEAR(ll[1], edge[1], 1e-9);
    const CsProjectionConstants* c = CS_constants(params_.get());
    const double outside[1][3] = {{r, 0.0, 0.0}};
    EXPECT_EQ(params_->checkCartesian(c, 1, outside), 2);
    const double inside[2][3] = {{0.0, 0.0, 0.0}, {0.5 * kR, -kR, 0.0}};
    EXPECT_EQ(params_->checkCartesian(c, 2, inside), 0);
    EXPECT_NEAR(params_->maxX, M_PI * kR, 1e-6);
    EXPECT_NEAR(params_->minY, -M_PI * kR, 1e-6);
}

TEST_F(VdgrntnProjection, LongitudesComeTowardTheCentralMeridiansSide) {
    double xy[3], expected[3];
    EXPECT_EQ(Forward(-170.0, 30.0, xy), 0);  // 320 west: 40 east
    EXPECT_EQ(Forward(190.0, 30.0, expected), 0);
    EXPECT_NEAR(xy[0], expected[0], 1e-6);
    EXPECT_NEAR(xy[1], expected[1], 1e-6);
    EXPECT_GT(xy[0], 0.0);
    EXPECT_EQ(Forward(150.0 + 200.0, 30.0, xy), 2);
    EXPECT_LT(xy[0], 0.0);
}

TEST_F(VdgrntnProjection, TheInverseSolvesTheWholeWorld) {
    double worst = 0.0;
    for (double latitude = -88.0; latitude <= 88.0; latitude += 4.0) {
        for (double dl = -179.0; dl <= 179.0; dl += 7.0) {
            double xy[3], ll[3];
            ASSERT_EQ(Forward(150.0 + dl, latitude, xy), 0);
            ASSERT_EQ(Inverse(xy[0], xy[1], ll), 0) << dl << " " << latitude;
            worst = std::max({worst, std::fabs(ll[0] - 150.0 - dl), std::fabs(ll[1] - latitude)});
        }
    }
    EXPECT_LT(worst, 1e-8);  // degrees: about a millimetre
}

TEST_F(VdgrntnProjection, WktReadsBackAndProjAcceptsIt) {
    familytest::ExpectWktRoundTrip("WORLD-VDGRNTN");
}

TEST_F(VdgrntnProjection, ProgramConvertsAGoldenRow) {
    // world-vdgrntn.golden: proj +proj=vandg +R=6378137
    familytest::ExpectProgramRoundTrip("WORLD-VDGRNTN", -75, 40, -7925193.231601850,
                                       4872113.223354276, 1.0);
}

}  // namespace
