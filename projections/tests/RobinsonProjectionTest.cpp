// The Robinson family: the table's nodes, the 270-degree rule, the clamping
// inverse and its tolerance in any unit.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <sstream>
#include <string>

#include "coordsys/CsParams.h"
#include "projections/ProjectionTable.h"
#include "projections/RobinsonProjection.h"
#include "projections/SinusProjection.h"
#include "projections/tests/FamilySystemChecks.h"
#include "testing/OgrTools.h"
#include "testing/TestSupport.h"

namespace {

constexpr double kR = 6370997.0;  // SPHERE

CsCoordSysDef Robinson(const char* unit = "METER", const char* projection = "ROBINSON") {
    CsCoordSysDef def{};
    std::strcpy(def.key, "TEST-ROBINSON");
    std::strcpy(def.ellipsoidKey, "SPHERE");
    std::strcpy(def.projectionKey, projection);
    std::strcpy(def.unit, unit);
    def.originLongitude = -100.0;
    def.scaleReduction = 1.0;
    def.mapScale = 1.0;
    def.quadrant = 1;
    return def;
}

class RobinsonProjection : public familytest::FamilyTest {
protected:
    void SetUp() override {
        FamilyTest::SetUp();
        params_ = Build(Robinson());
        ASSERT_TRUE(params_);
    }
    CsPtr<CsParams> params_;
};

// The sinusoidal family's check, which Robinson and Van der Grinten share.
TEST_F(RobinsonProjection, CheckReportsEachFault) {
    struct Case {
        const char* what;
        std::function<void(CsCoordSysDef&)> change;
        int error;  // 0: valid
    } cases[] = {
        {"origin longitude -180", [](auto& d) { d.originLongitude = -180.0; }, 216},
        {"origin longitude +180", [](auto& d) { d.originLongitude = 180.0; }, 0},
        {"origin longitude NaN", [](auto& d) { d.originLongitude = std::nan(""); }, 216},
        {"nothing else is looked at", [](auto& d) { d.originLatitude = 300.0; }, 0},
    };
    for (const char* projection : {"ROBINSON", "VDGRNTN"}) {
        EXPECT_EQ(CS_projectionLookupExact(projection)->check, CS_sinusCheck) << projection;
        for (const Case& c : cases) {
            CsCoordSysDef def = Robinson("METER", projection);
            c.change(def);
            int errors[4] = {};
            int count = CS_sinusCheck(&def, CS_projectionLookupExact(projection)->code, errors, 4);
            EXPECT_EQ(count, c.error == 0 ? 0 : 1) << projection << " " << c.what;
            if (c.error != 0) {
                EXPECT_EQ(errors[0], c.error) << projection << " " << c.what;
            }
        }
    }
}

TEST_F(RobinsonProjection, TheTablesNodesProjectExactly) {
    const double rx = 0.8487 * kR, ry = 1.3523 * kR;
    double xy[3], ll[3];
    EXPECT_EQ(Forward(params_.get(), -90.0, 45.0, xy), 0);
    EXPECT_NEAR(xy[0], 0.8962 * rx * 10.0 * M_PI / 180.0, 1e-6);
    EXPECT_NEAR(xy[1], 0.5571 * ry, 1e-6);
    EXPECT_EQ(Forward(params_.get(), -100.0, 90.0, xy), 1);
    EXPECT_DOUBLE_EQ(xy[1], ry);
    EXPECT_EQ(Forward(params_.get(), -100.0, -90.0, xy), 1);
    EXPECT_DOUBLE_EQ(xy[1], -ry);
    EXPECT_EQ(Forward(params_.get(), -80.0, 0.0, xy), 0);
    EXPECT_EQ(xy[1], 0.0);
    EXPECT_EQ(Inverse(params_.get(), 1000.0, 0.0, ll), 0);
    EXPECT_EQ(ll[1], 0.0);
    EXPECT_EQ(Inverse(params_.get(), 0.0, ry, ll), 1);
    EXPECT_NEAR(ll[1], 90.0, 1e-9);
    EXPECT_NEAR(ll[0], -100.0, 1e-12);
}

TEST_F(RobinsonProjection, LongitudesUpTo270DegreesStayUnwrapped) {
    double xy[3], edge[3], ll[3];
    ASSERT_EQ(Forward(params_.get(), 80.0, 20.0, edge), 0);  // 180 degrees east
    EXPECT_EQ(Forward(params_.get(), 100.0, 20.0, xy), 0);   // 200 degrees east
    EXPECT_GT(xy[0], edge[0]);
    EXPECT_NEAR(xy[0], edge[0] * 200.0 / 180.0, 1e-6);
    EXPECT_EQ(Inverse(params_.get(), xy[0], xy[1], ll), 0);
    EXPECT_NEAR(ll[0], 100.0, 1e-9);
    EXPECT_NEAR(ll[1], 20.0, 1e-9);
    EXPECT_EQ(Forward(params_.get(), 180.0, 20.0, xy), 0);  // 280 east: 80 west
    EXPECT_NEAR(xy[0], -edge[0] * 80.0 / 180.0, 1e-6);
    EXPECT_EQ(Forward(params_.get(), -100.0 - 275.0, 20.0, xy), 2);
    EXPECT_NEAR(xy[0], edge[0] * 85.0 / 180.0, 1e-6);
    const CsProjectionConstants* c = CS_constants(params_.get());
    const double far[1][3] = {{100.0, 20.0, 0.0}};
    EXPECT_EQ(params_->checkGeographic(c, 1, far), 2);
    const double inside[2][3] = {{79.0, 90.0, 0.0}, {-279.0, -90.0, 0.0}};
    EXPECT_EQ(params_->checkGeographic(c, 2, inside), 0);
}

TEST_F(RobinsonProjection, InverseClampsWhatLiesBeyondTheMap) {
    const double rx = 0.8487 * kR, ry = 1.3523 * kR;
    double ll[3];
    // Clamped to 270 degrees east, which lies outside too and wraps.
    EXPECT_EQ(Inverse(params_.get(), 2.0 * M_PI * rx, 0.0, ll), 2);
    EXPECT_NEAR(ll[0], -100.0 - 90.0, 1e-6);
    EXPECT_EQ(Inverse(params_.get(), 0.0, -1.5 * ry, ll), 2);
    EXPECT_NEAR(ll[1], -90.0, 1e-9);
    const CsProjectionConstants* c = CS_constants(params_.get());
    const double outside[1][3] = {{0.0, 1.5 * ry, 0.0}};
    EXPECT_EQ(params_->checkCartesian(c, 1, outside), 2);
    EXPECT_NEAR(params_->maxX, 1.5 * M_PI * rx, 1e-6);
    EXPECT_NEAR(params_->maxY, ry, 1e-6);
    const double pole[3] = {0.0, 89.9999, 0.0}, equator[3] = {-100.0, 0.0, 0.0};
    EXPECT_DOUBLE_EQ(params_->parallelScale(c, pole), 9999.99);
    EXPECT_DOUBLE_EQ(params_->meridianScale(c, pole), 9999.99);
    EXPECT_NEAR(params_->parallelScale(c, equator), 0.8487, 1e-9);
}

// A point between the nodes goes round to within a millimetre in metres and
// in kilometres alike: the refinement's tolerance is a length on the ground,
// not a fraction of the unit.
TEST_F(RobinsonProjection, TheInverseToleranceDoesNotGrowWithTheUnit) {
    for (const char* unit : {"METER", "KILOMETER"}) {
        SCOPED_TRACE(unit);
        auto params = Build(Robinson(unit));
        ASSERT_TRUE(params);
        for (double latitude : {-87.3, -61.7, -33.3, 2.4, 18.8, 41.1, 57.2, 73.9, 88.6}) {
            double xy[3], ll[3];
            ASSERT_EQ(Forward(params.get(), -12.5, latitude, xy), 0);
            ASSERT_EQ(Inverse(params.get(), xy[0], xy[1], ll), 0);
            EXPECT_NEAR(ll[1], latitude, 1e-8) << latitude;  // about a millimetre
            EXPECT_NEAR(ll[0], -12.5, 1e-8) << latitude;
        }
    }
}

// Every degree of latitude and longitude as lines, to World Robinson and
// back with the real program: every vertex comes home within a millimetre,
// the poles' and the antimeridian's included.
TEST_F(RobinsonProjection, AWholeWorldGraticuleGoesThroughTheProgramAndBack) {
    wlxtest::TempDir dir;
    std::ostringstream wlt;
    wlt << "#VERSION=2.0\n";
    // Decimals keep a point line from looking like a record header ("5,...").
    wlt << std::fixed;
    wlt.precision(1);
    for (int longitude = -180; longitude <= 180; ++longitude) {
        wlt << "L,\"meridian " << longitude << "\",\"\",\"\",181\n";
        for (int latitude = -90; latitude <= 90; ++latitude)
            wlt << double(latitude) << "," << double(longitude) << "\n";
    }
    for (int latitude = -90; latitude <= 90; ++latitude) {
        wlt << "L,\"parallel " << latitude << "\",\"\",\"\",361\n";
        for (int longitude = -180; longitude <= 180; ++longitude)
            wlt << double(latitude) << "," << double(longitude) << "\n";
    }
    wlxtest::WriteText(dir / "graticule.wlt", wlt.str());
    wlxtest::RunOptions options;
    options.workingDirectory = dir.path();
    auto forward =
        wlxtest::RunWlxconv({"/IL", "/OL", "/COORDPREC:64", "/COORDSYS:IN:LL84:OUT:WORLD-ROBINSON",
                             "graticule.wlt", "robinson"},
                            options);
    ASSERT_EQ(forward.exitCode, 0) << forward.out;
    auto back =
        wlxtest::RunWlxconv({"/IL", "/OL", "/COORDPREC:64", "/COORDSYS:IN:WORLD-ROBINSON:OUT:LL84",
                             "robinson.wlt", "back"},
                            options);
    // The antimeridian comes back on the world's edge, not a rounding beyond it.
    ASSERT_EQ(back.exitCode, 0) << back.out;
    EXPECT_EQ(back.out.find("*Error*"), std::string::npos) << back.out;

    const auto original = wlxtest::ReadWlt(dir / "graticule.wlt");
    const auto projected = wlxtest::ReadWlt(dir / "robinson.wlt");
    const auto returned = wlxtest::ReadWlt(dir / "back.wlt");
    ASSERT_EQ(original.size(), 361u + 181u);
    ASSERT_EQ(projected.size(), original.size());
    ASSERT_EQ(returned.size(), original.size());
    double worst = 0.0;
    std::size_t vertices = 0;
    for (std::size_t r = 0; r < original.size(); ++r) {
        SCOPED_TRACE(original[r].name);
        ASSERT_EQ(returned[r].points.size(), original[r].points.size());
        EXPECT_GT(
            std::fabs(projected[r].points.back().first - projected[r].points.front().first) +
                std::fabs(projected[r].points.back().second - projected[r].points.front().second),
            1e5);
        for (std::size_t i = 0; i < original[r].points.size(); ++i) {
            const auto [lon, lat] = original[r].points[i];
            const auto [lon2, lat2] = returned[r].points[i];
            double north = (lat2 - lat) * 111132.0;
            double east = (lon2 - lon) * 111320.0 * std::cos(lat * M_PI / 180.0);
            worst = std::max(worst, std::hypot(north, east));
            ++vertices;
        }
    }
    EXPECT_EQ(vertices, 2u * 361u * 181u);
    EXPECT_LE(worst, 0.001) << "metres";
}

TEST_F(RobinsonProjection, WktReadsBackAndProjAcceptsIt) {
    familytest::ExpectWktRoundTrip("WORLD-ROBINSON");
}

TEST_F(RobinsonProjection, ProgramConvertsAGoldenRow) {
    // world-robinson.golden: proj +proj=robin +R=6378137, whose cubics miss
    // the table's 40-degree node by 0.15 m here.
    familytest::ExpectProgramRoundTrip("WORLD-ROBINSON", -75, 40, -6530239.886747005,
                                       4276351.583838239, 1.0, 0.2);
}

}  // namespace
