#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <new>

#include "coordsys/CsParams.h"
#include "projections/BipolarProjection.h"
#include "projections/tests/FamilySystemChecks.h"

namespace {

// The map of the Americas (EXAMPLE-BIPOLAR).
CsCoordSysDef Americas() {
    CsCoordSysDef def{};
    std::strcpy(def.key, "TEST-BIPOLAR");
    std::strcpy(def.ellipsoidKey, "SPHERE");
    std::strcpy(def.projectionKey, "BIPOLAR");
    std::strcpy(def.unit, "METER");
    const double parameters[] = {-110.0, -20.0, -19.9933333333333, 45.0, 104.0, 31.0, 73.0};
    std::copy(std::begin(parameters), std::end(parameters), def.parameters);
    def.scaleReduction = 1.0;
    def.mapScale = 1.0;
    def.quadrant = 1;
    return def;
}

class BipolarProjection : public familytest::FamilyTest {
protected:
    void SetUp() override {
        FamilyTest::SetUp();
        params_ = Build(Americas());
        ASSERT_TRUE(params_);
    }
    const CsBipolarConstants& Constants() const {
        return CS_constantsOf<CsBipolarConstants>(params_.get());
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

TEST_F(BipolarProjection, CheckReportsEachFault) {
    struct Case {
        const char* what;
        std::function<void(CsCoordSysDef&)> change;
        std::vector<int> errors;
    } cases[] = {
        {"the Americas", [](auto&) {}, {}},
        {"pole A longitude -180", [](auto& d) { d.parameters[0] = -180.0; }, {225}},
        {"pole A longitude 180", [](auto& d) { d.parameters[0] = 180.0; }, {}},
        {"pole A latitude 89.9998", [](auto& d) { d.parameters[1] = 89.9998; }, {224}},
        {"pole A latitude NaN", [](auto& d) { d.parameters[1] = std::nan(""); }, {224}},
        {"pole B longitude 181", [](auto& d) { d.parameters[2] = 181.0; }, {225}},
        // Pole B's latitude counts only when the distance comes from the poles.
        {"pole B latitude -90, distance given", [](auto& d) { d.parameters[3] = -90.0; }, {}},
        {"pole B latitude -90, distance from the poles",
         [](auto& d) {
             d.parameters[3] = -90.0;
             d.parameters[4] = 0.0;
         },
         {224, 219, 243}},
        {"poles together",
         [](auto& d) {
             d.parameters[2] = -110.0;
             d.parameters[3] = -20.0;
             d.parameters[4] = 0.0;
         },
         {223, 219, 243}},
        {"distance 180", [](auto& d) { d.parameters[4] = 180.0; }, {222, 243}},
        {"distance negative", [](auto& d) { d.parameters[4] = -1.0; }, {222, 243}},
        {"circle at its pole", [](auto& d) { d.parameters[5] = 0.0; }, {221, 243}},
        {"circle beyond 90",
         [](auto& d) {
             d.parameters[4] = 179.0;
             d.parameters[5] = 89.0;
             d.parameters[6] = 90.0;
         },
         {217}},
        {"circles the same", [](auto& d) { d.parameters[6] = 31.0; }, {218, 243}},
        {"circles out of order",
         [](auto& d) {
             d.parameters[5] = 73.0;
             d.parameters[6] = 31.0;
         },
         {220}},
        {"circle beyond the other pole",
         [](auto& d) {
             d.parameters[5] = 1.0;
             d.parameters[6] = 105.0;
         },
         {217, 219, 243}},
        {"circles not equidistant", [](auto& d) { d.parameters[6] = 72.0; }, {243}},
    };
    for (const Case& c : cases) {
        CsCoordSysDef def = Americas();
        c.change(def);
        int errors[8] = {};
        int count = CS_bipolarCheck(&def, 31, errors, 8);
        EXPECT_EQ(std::vector<int>(errors, errors + std::min(count, 8)), c.errors) << c.what;
    }
}

TEST_F(BipolarProjection, AGivenPoleDistancePlacesPoleBEastOfPoleA) {
    CsCoordSysDef def = Americas();
    def.parameters[2] = 50.0;  // replaced
    CsPtr<CsParams> params = Build(def);
    ASSERT_TRUE(params);
    const auto& c = CS_constantsOf<CsBipolarConstants>(params.get());
    EXPECT_NEAR(c.lambdaB * kCsRadToDeg, -19.99336, 1e-4);
    // Given the poles only, the distance follows from them.
    def.parameters[2] = -19.99336;
    def.parameters[4] = 0.0;
    params = Build(def);
    ASSERT_TRUE(params);
    EXPECT_NEAR(CS_constantsOf<CsBipolarConstants>(params.get()).zAB * kCsRadToDeg, 104.0, 1e-4);
    // The centre becomes the central meridian.
    EXPECT_NEAR(params->csDef.originLongitude,
                CS_constantsOf<CsBipolarConstants>(params.get()).lambdaC * kCsRadToDeg, 1e-12);
    EXPECT_EQ(params->rangeCentralMeridian, params->csDef.originLongitude);
}

TEST_F(BipolarProjection, RoundTripsAcrossTheMeetingBand) {
    // The refinement's band and both cones away from it.
    for (auto [lon, lat] : {std::pair{-77.0, 4.5},
                            {-80.0, 10.0},
                            {-60.0, 30.0},
                            {-70.0, 20.0},
                            {-100.0, 40.0},
                            {-60.0, -30.0},
                            {-50.0, 40.0}}) {
        double xy[3], ll[3];
        ASSERT_EQ(Forward(lon, lat, xy), 0) << lon << " " << lat;
        EXPECT_EQ(Inverse(xy[0], xy[1], ll), 0) << lon << " " << lat;
        EXPECT_NEAR(ll[0], lon, 1e-6) << lat;
        EXPECT_NEAR(ll[1], lat, 1e-6) << lon;
    }
}

// A refinement that never settles (no tolerance at all) stops at its bound
// with status 2 and the last estimate.
TEST_F(BipolarProjection, TheRefinementIsBounded) {
    auto unsettled = std::make_unique<CsParams>(*params_);
    auto* c = std::launder(reinterpret_cast<CsBipolarConstants*>(unsettled->constants.bytes));
    c->tolerance = -1.0;
    double xy[3], ll[3];
    ASSERT_EQ(Forward(-70.0, 20.0, xy), 0);
    EXPECT_EQ(CS_inverseProject(unsettled.get(), ll, xy), 2);
    EXPECT_NEAR(ll[0], -70.0, 1e-6);
    EXPECT_NEAR(ll[1], 20.0, 1e-6);
}

TEST_F(BipolarProjection, PolesAndPointsBeyondThem) {
    const auto& c = Constants();
    double xy[3], ll[3];
    // Pole B takes the azimuth from pole A and so lies on pole A's cone.
    EXPECT_EQ(Forward(c.lambdaB * kCsRadToDeg, 45.0, xy), 0);
    EXPECT_TRUE(std::isfinite(xy[0]) && std::isfinite(xy[1]));
    // Farther from both poles than they are from each other.
    EXPECT_EQ(Forward(120.0, -30.0, xy), 2);
    const double beyond[1][3] = {{120.0, -30.0, 0.0}};
    EXPECT_EQ(params_->checkGeographic(CS_constants(params_.get()), 1, beyond), 2);
    // The north pole comes back as the singular point.
    ASSERT_EQ(Forward(-100.0, 90.0, xy), 0);
    EXPECT_EQ(Inverse(xy[0], xy[1], ll), 1);
    EXPECT_NEAR(ll[1], 90.0, 1e-6);

    const double inside[2][3] = {{-100.0, 40.0, 0.0}, {-60.0, -30.0, 0.0}};
    EXPECT_EQ(params_->checkGeographic(CS_constants(params_.get()), 2, inside), 0);
    ASSERT_EQ(Forward(-100.0, 40.0, xy), 0);
    const double cartesian[2][3] = {{xy[0], xy[1], 0.0}, {0.0, 0.0, 0.0}};
    EXPECT_EQ(params_->checkCartesian(CS_constants(params_.get()), 2, cartesian), 0);
    const double far[1][3] = {{3.0 * c.rhoAB, 0.0, 0.0}};
    EXPECT_EQ(params_->checkCartesian(CS_constants(params_.get()), 1, far), 2);
    // An inverse that far out is clamped with status 2, never left unfinished.
    EXPECT_EQ(Inverse(3.0 * c.rhoAB, 0.0, ll), 2);
    EXPECT_TRUE(std::isfinite(ll[0]) && std::isfinite(ll[1]));
}

TEST_F(BipolarProjection, TheUsefulRangeIsOrdered) {
    EXPECT_EQ(params_->minLongitude, -90.0);
    EXPECT_EQ(params_->maxLatitude, 90.0);
    EXPECT_LT(params_->minX, params_->maxX);
    EXPECT_LT(params_->minY, params_->maxY);
    EXPECT_TRUE(std::isfinite(params_->minX) && std::isfinite(params_->maxY));
}

TEST(BipolarSystem, ConvertsWithTheProgramAndWritesWkt) {
    familytest::ExpectProgramRoundTrip("EXAMPLE-BIPOLAR", -100.0, 40.0, -2234817.966430550,
                                       2694575.598404880, 1.0);
    familytest::ExpectWktRoundTrip("EXAMPLE-BIPOLAR");
}

}  // namespace
