#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>

#include "coordsys/CsParams.h"
#include "projections/MrcatProjection.h"
#include "projections/ProjectionTable.h"
#include "testing/TestSupport.h"

namespace {

CsCoordSysDef Mercator(const char* projection = "MRCAT") {
    CsCoordSysDef def{};
    std::strcpy(def.key, "TEST-MRCAT");
    std::strcpy(def.ellipsoidKey, "WGS84");
    std::strcpy(def.projectionKey, projection);
    std::strcpy(def.unit, "METER");
    def.parameters[0] = 20.0;
    def.parameters[1] = 30.0;
    def.scaleReduction = 1.0;
    def.mapScale = 1.0;
    def.quadrant = 1;
    return def;
}

class MrcatProjection : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(CS_setDictionaryDirectory(wlxtest::BinDir().string().c_str()), 0);
        params_.reset(CS_paramsFromDef(&def_));
        ASSERT_TRUE(params_) << CS_lastMessage();
    }
    int Forward(double lon, double lat, double out[3]) const {
        const double in[3] = {lon, lat, 0.0};
        return CS_forwardProject(params_.get(), out, in);
    }
    const CsMrcatConstants& Constants() const {
        return CS_constantsOf<CsMrcatConstants>(params_.get());
    }
    CsCoordSysDef def_ = Mercator();
    CsPtr<CsParams> params_;
};

TEST_F(MrcatProjection, CheckReportsEachFault) {
    struct Case {
        const char* what;
        std::function<void(CsCoordSysDef&)> change;
        int error;  // 0: valid
    } cases[] = {
        {"central meridian -180", [](auto& d) { d.parameters[0] = -180.0; }, 216},
        {"central meridian +180", [](auto& d) { d.parameters[0] = 180.0; }, 0},
        {"central meridian NaN", [](auto& d) { d.parameters[0] = std::nan(""); }, 216},
        {"standard parallel 80", [](auto& d) { d.parameters[1] = 80.0; }, 229},
        {"standard parallel 79.9", [](auto& d) { d.parameters[1] = 79.9; }, 0},
        {"standard parallel -80", [](auto& d) { d.parameters[1] = -80.0; }, 229},
        {"the scale reduction is not checked", [](auto& d) { d.scaleReduction = 7.0; }, 0},
    };
    for (const char* projection : {"MRCAT", "MRCATK"}) {
        for (const Case& c : cases) {
            CsCoordSysDef def = Mercator(projection);
            c.change(def);
            int errors[4] = {};
            int count = CS_mrcatCheck(&def, CS_projectionLookupExact(projection)->code, errors, 4);
            EXPECT_EQ(count, c.error == 0 ? 0 : 1) << projection << " " << c.what;
            if (c.error != 0) {
                EXPECT_EQ(errors[0], c.error) << projection << " " << c.what;
            }
        }
    }
}

TEST_F(MrcatProjection, LongitudesUpTo270DegreesOutProjectUnwrapped) {
    const double rk0 = Constants().rk0;
    double xy[3];
    EXPECT_EQ(Forward(20.0 + 200.0, 10.0, xy), 0);
    EXPECT_NEAR(xy[0], rk0 * 200.0 * M_PI / 180.0, 1e-6);
    EXPECT_EQ(Forward(20.0 + 280.0, 10.0, xy), 2);
    EXPECT_NEAR(xy[0], rk0 * -80.0 * M_PI / 180.0, 1e-6);
    // A negative central meridian takes a point beyond 270 degrees east round
    // to its own side.
    def_.parameters[0] = -100.0;
    params_.reset(CS_paramsFromDef(&def_));
    ASSERT_TRUE(params_);
    EXPECT_EQ(Forward(160.0, 10.0, xy), 0);
    EXPECT_NEAR(xy[0], rk0 * 260.0 * M_PI / 180.0, 1e-6);
    EXPECT_EQ(Forward(180.0, 10.0, xy), 0);
    EXPECT_NEAR(xy[0], rk0 * -80.0 * M_PI / 180.0, 1e-6);
}

TEST_F(MrcatProjection, ThePolesGiveTheLargestNorthingNeverAnInfinity) {
    const double largest = Constants().largestNorthing;
    for (double latitude : {90.0, -90.0, 89.999999999}) {
        double xy[3];
        EXPECT_EQ(Forward(20.0, latitude, xy), 2) << latitude;
        EXPECT_TRUE(std::isfinite(xy[1])) << latitude;
        EXPECT_DOUBLE_EQ(std::fabs(xy[1]), largest) << latitude;
    }
    // Beyond the largest northing the inverse clamps.
    const double beyond[3] = {0.0, 3.0 * largest, 0.0};
    double ll[3];
    EXPECT_EQ(CS_inverseProject(params_.get(), ll, beyond), 2);
    EXPECT_NEAR(ll[1], kCsMaxLatitude * kCsRadToDeg, 1e-6);
    const double points[1][3] = {{0.0, 3.0 * largest, 0.0}};
    EXPECT_EQ(params_->checkCartesian(CS_constants(params_.get()), 1, points), 2);
    const double pole[1][3] = {{20.0, 90.0, 0.0}};
    EXPECT_EQ(params_->checkGeographic(CS_constants(params_.get()), 1, pole), 2);
    const double inside[2][3] = {{20.0, 89.0, 0.0}, {-170.0, -89.0, 0.0}};
    EXPECT_EQ(params_->checkGeographic(CS_constants(params_.get()), 2, inside), 0);
}

TEST_F(MrcatProjection, TheScaleIsCappedNearThePole) {
    const double near[3] = {0.0, 89.99999, 0.0};
    EXPECT_DOUBLE_EQ(params_->gridScale(CS_constants(params_.get()), near), 9999.99);
    const double pole[3] = {0.0, 90.0, 0.0};
    EXPECT_DOUBLE_EQ(params_->gridScale(CS_constants(params_.get()), pole), 9999.99);
    const double parallel[3] = {0.0, 30.0, 0.0};
    EXPECT_NEAR(params_->gridScale(CS_constants(params_.get()), parallel), 1.0, 1e-12);
}

TEST_F(MrcatProjection, TheDefaultRangeIsTheWholeWorld) {
    EXPECT_EQ(params_->rangeCentralMeridian, 0.0);
    EXPECT_EQ(params_->minLongitude, -180.0);
    EXPECT_EQ(params_->maxLatitude, 90.0);
    EXPECT_NEAR(params_->maxY, Constants().largestNorthing, 1e-6);
    EXPECT_NEAR(params_->minX, -Constants().rk0 * 200.0 * M_PI / 180.0, 1e-6);
    // A definition's own limits are relative to the central meridian.
    def_.minLongitude = 0.0;
    def_.maxLongitude = 40.0;
    def_.minLatitude = -60.0;
    def_.maxLatitude = 60.0;
    params_.reset(CS_paramsFromDef(&def_));
    ASSERT_TRUE(params_);
    EXPECT_EQ(params_->rangeCentralMeridian, 20.0);
    EXPECT_EQ(params_->minLongitude, -20.0);
    EXPECT_EQ(params_->maxLongitude, 20.0);
}

}  // namespace
