// The Winkel Tripel family: its check, the kernel's special points, the
// bounded inverse and the shared latitude-limits check.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>

#include "coordsys/CsParams.h"
#include "projections/LatitudeLimits.h"
#include "projections/ProjectionTable.h"
#include "projections/WinkelProjection.h"
#include "projections/tests/FamilySystemChecks.h"
#include "testing/TestSupport.h"

namespace {

constexpr double kR = 6370997.0;  // SPHERE

CsCoordSysDef Winkel(double standardParallel = 40.0) {
    CsCoordSysDef def{};
    std::strcpy(def.key, "TEST-WINKEL");
    std::strcpy(def.ellipsoidKey, "SPHERE");
    std::strcpy(def.projectionKey, "WINKEL");
    std::strcpy(def.unit, "METER");
    def.originLongitude = -100.0;
    def.parameters[0] = standardParallel;
    def.falseEasting = 1000.0;
    def.falseNorthing = 2000.0;
    def.scaleReduction = 1.0;
    def.mapScale = 1.0;
    def.quadrant = 1;
    return def;
}

class WinkelProjection : public familytest::FamilyTest {
protected:
    void SetUp() override {
        FamilyTest::SetUp();
        params_ = Build(Winkel());
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

TEST_F(WinkelProjection, CheckReportsEachFault) {
    struct Case {
        const char* what;
        std::function<void(CsCoordSysDef&)> change;
        int error;  // 0: valid
    } cases[] = {
        {"origin longitude -180", [](auto& d) { d.originLongitude = -180.0; }, 216},
        {"origin longitude +180", [](auto& d) { d.originLongitude = 180.0; }, 0},
        {"origin longitude NaN", [](auto& d) { d.originLongitude = std::nan(""); }, 216},
        {"standard parallel 88", [](auto& d) { d.parameters[0] = 88.0; }, 229},
        {"standard parallel -88", [](auto& d) { d.parameters[0] = -88.0; }, 229},
        {"standard parallel 87.9", [](auto& d) { d.parameters[0] = 87.9; }, 0},
        {"standard parallel NaN", [](auto& d) { d.parameters[0] = std::nan(""); }, 229},
    };
    for (const Case& c : cases) {
        CsCoordSysDef def = Winkel();
        c.change(def);
        int errors[4] = {};
        int count = CS_winkelCheck(&def, kCsProjWinkel, errors, 4);
        EXPECT_EQ(count, c.error == 0 ? 0 : 1) << c.what;
        if (c.error != 0) {
            EXPECT_EQ(errors[0], c.error) << c.what;
        }
    }
}

TEST_F(WinkelProjection, TheOriginAndTheEquatorsEnd) {
    double xy[3], ll[3];
    EXPECT_EQ(Forward(-100.0, 0.0, xy), 0);
    EXPECT_EQ(xy[0], 1000.0);
    EXPECT_EQ(xy[1], 2000.0);
    EXPECT_EQ(Forward(80.0, 0.0, xy), 0);  // 180 degrees east
    EXPECT_NEAR(xy[0] - 1000.0, M_PI * kR * (1.0 + std::cos(40.0 * M_PI / 180.0)) / 2.0, 1e-6);
    EXPECT_NEAR(xy[1], 2000.0, 1e-6);
    // The first estimate lies beyond 180 degrees here and starts just inside.
    EXPECT_EQ(Inverse(xy[0], xy[1], ll), 0);
    EXPECT_NEAR(std::fabs(ll[0] + 100.0), 180.0, 1e-7);
    EXPECT_NEAR(ll[1], 0.0, 1e-9);
}

TEST_F(WinkelProjection, TheInverseSettlesOverTheWorldAndGivesUpOutsideIt) {
    double worst = 0.0;
    int unsettled = 0;
    for (double latitude = -88.0; latitude <= 88.0; latitude += 4.0) {
        for (double dl = -179.0; dl <= 179.0; dl += 7.0) {
            double xy[3], ll[3];
            ASSERT_EQ(Forward(-100.0 + dl, latitude, xy), 0);
            if (Inverse(xy[0], xy[1], ll) != 0) {
                ++unsettled;
                continue;
            }
            double east = CS_normDeg180(ll[0] + 100.0 - dl);
            worst = std::max({worst, std::fabs(east), std::fabs(ll[1] - latitude)});
        }
    }
    EXPECT_EQ(unsettled, 0);
    EXPECT_LT(worst, 1e-7);  // degrees: about a centimetre
    // Far outside the map the fortieth round ends it, with the estimate.
    double ll[3];
    EXPECT_EQ(Inverse(40.0 * kR, -30.0 * kR, ll), 4096);
    EXPECT_TRUE(std::isfinite(ll[0]) && std::isfinite(ll[1]));
    const CsProjectionConstants* c = CS_constants(params_.get());
    const double outside[1][3] = {{40.0 * kR, -30.0 * kR, 0.0}};
    EXPECT_EQ(params_->checkCartesian(c, 1, outside), 2);
}

TEST_F(WinkelProjection, TheLatitudeLimitsCheckLooksAtLatitudesOnly) {
    const CsProjectionConstants* c = CS_constants(params_.get());
    EXPECT_EQ(params_->checkGeographic, CS_latitudeLimitsCheck);
    const double inside[2][3] = {{500.0, 90.0, 0.0}, {-720.0, -90.0, 0.0}};
    EXPECT_EQ(params_->checkGeographic(c, 2, inside), 0);
    for (double latitude : {90.000001, -90.000001, std::nan("")}) {
        const double outside[1][3] = {{0.0, latitude, 0.0}};
        EXPECT_EQ(params_->checkGeographic(c, 1, outside), 2) << latitude;
    }
    EXPECT_EQ(params_->checkGeographic(c, 0, inside), 0);
}

TEST_F(WinkelProjection, TheDefaultRangeIsTheWholeSphere) {
    EXPECT_EQ(params_->rangeCentralMeridian, -100.0);
    EXPECT_EQ(params_->minLongitude, -180.0);
    EXPECT_EQ(params_->maxLongitude, 180.0);
    EXPECT_EQ(params_->minLatitude, -90.0);
    const double cosStandard = std::cos(40.0 * M_PI / 180.0);
    EXPECT_NEAR(params_->maxX - 1000.0, M_PI * kR * cosStandard, 1e-6);
    EXPECT_NEAR(params_->minX - 1000.0, -M_PI * kR * cosStandard, 1e-6);
    EXPECT_NEAR(params_->maxY - 2000.0, kR * 1.5707962782948965, 1e-6);
}

// WINKEL has no WKT form, so the WLT files go without coordinate-system
// metadata.
TEST_F(WinkelProjection, ProgramConvertsAGoldenRow) {
    // world-winkel.golden: proj +proj=wintri +lat_1=50.467 +R=6378137
    wlxtest::TempDir dir;
    wlxtest::WriteText(dir / "pts.csv", "\"p1\",\"golden\",40,-75\n");
    wlxtest::RunOptions options;
    options.workingDirectory = dir.path();
    auto forward = wlxtest::RunWlxconv({"/IC", "/OL", "/COORDPREC:64", "/NOCSMETADATA",
                                        "/COORDSYS:IN:LL84:OUT:WORLD-WINKEL", "pts.csv", "out"},
                                       options);
    ASSERT_EQ(forward.exitCode, 0) << forward.out;
    std::vector<double> xy = familytest::WltPoint(wlxtest::ReadText(dir / "out.wlt"));
    ASSERT_EQ(xy.size(), 2u);
    EXPECT_LE(std::hypot(xy[0] + 6093881.769035219, xy[1] - 4594936.203582712), 0.001);
    auto back = wlxtest::RunWlxconv({"/IL", "/OL", "/COORDPREC:64", "/NOCSMETADATA",
                                     "/COORDSYS:IN:WORLD-WINKEL:OUT:LL84", "out.wlt", "back"},
                                    options);
    ASSERT_EQ(back.exitCode, 0) << back.out;
    std::vector<double> ll = familytest::WltPoint(wlxtest::ReadText(dir / "back.wlt"));
    ASSERT_EQ(ll.size(), 2u);
    EXPECT_NEAR(ll[0], -75.0, 1e-8);
    EXPECT_NEAR(ll[1], 40.0, 1e-8);
}

}  // namespace
