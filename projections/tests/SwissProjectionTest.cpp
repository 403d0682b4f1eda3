#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>

#include "coordsys/CsParams.h"
#include "projections/GeodeticDistance.h"
#include "projections/ProjectionTable.h"
#include "projections/SwissProjection.h"
#include "projections/tests/FamilySystemChecks.h"
#include "testing/TestSupport.h"

namespace {

constexpr double kBernLongitude = 7.43958333333333;
constexpr double kBernLatitude = 46.9524055555556;

CsCoordSysDef Oblique(const char* projection = "SWISS", const char* ellipsoid = "BESSEL") {
    CsCoordSysDef def{};
    std::strcpy(def.key, "TEST-SWISS");
    std::strcpy(def.ellipsoidKey, ellipsoid);
    std::strcpy(def.projectionKey, projection);
    std::strcpy(def.unit, "METER");
    def.originLongitude = kBernLongitude;
    def.originLatitude = kBernLatitude;
    def.parameters[0] = kBernLatitude;
    def.falseEasting = 600000.0;
    def.falseNorthing = 200000.0;
    def.scaleReduction = 1.0;
    def.mapScale = 1.0;
    def.quadrant = 1;
    return def;
}

class SwissProjection : public familytest::FamilyTest {
protected:
};

TEST_F(SwissProjection, CheckReportsEachFault) {
    struct Case {
        const char* what;
        const char* projection;
        std::function<void(CsCoordSysDef&)> change;
        int error;  // 0: valid
    } cases[] = {
        {"origin longitude -180", "SWISS", [](auto& d) { d.originLongitude = -180.0; }, 216},
        {"origin longitude 180", "SWISS", [](auto& d) { d.originLongitude = 180.0; }, 0},
        {"origin latitude 90.5", "SWISS", [](auto& d) { d.originLatitude = 90.5; }, 215},
        {"origin latitude NaN", "OBQCYL", [](auto& d) { d.originLatitude = std::nan(""); }, 215},
        {"sphere latitude -91", "OBQCYL", [](auto& d) { d.parameters[0] = -91.0; }, 231},
        {"SWISS ignores parameter 1", "SWISS", [](auto& d) { d.parameters[0] = -91.0; }, 0},
        {"scale reduction 0.49", "OBQCYL", [](auto& d) { d.scaleReduction = 0.49; }, 227},
        {"scale reduction 1.5", "OBQCYL", [](auto& d) { d.scaleReduction = 1.5; }, 0},
        {"SWISS ignores the reduction", "SWISS", [](auto& d) { d.scaleReduction = 2.0; }, 0},
    };
    for (const Case& c : cases) {
        CsCoordSysDef def = Oblique(c.projection);
        c.change(def);
        int errors[4] = {};
        int count = CS_swissCheck(&def, CS_projectionLookupExact(c.projection)->code, errors, 4);
        EXPECT_EQ(count, c.error == 0 ? 0 : 1) << c.what;
        if (c.error != 0) {
            EXPECT_EQ(errors[0], c.error) << c.what;
        }
    }
}

// With the origin on the equator the rotation is the identity, so the
// oblique longitude is the longitude (times alpha on the ellipsoid) all the
// way round: past 90 degrees the arcsine's supplement, not a quarter turn.
TEST_F(SwissProjection, LongitudesPast90DegreesContinueTheProjection) {
    for (const char* ellipsoid : {"SPHERE", "BESSEL"}) {
        CsCoordSysDef def = Oblique("SWISS", ellipsoid);
        def.originLongitude = 10.0;
        def.originLatitude = 0.0;
        def.falseEasting = def.falseNorthing = 0.0;
        CsPtr<CsParams> params = Build(def);
        ASSERT_TRUE(params);
        const CsSwissConstants& c = CS_constantsOf<CsSwissConstants>(params.get());
        for (double dl : {60.0, 100.0, 120.0, 150.0, -135.0}) {
            double xy[3], ll[3];
            EXPECT_EQ(Forward(params.get(), 10.0 + dl, 0.0, xy), 0) << ellipsoid << " " << dl;
            const double expected = c.rPrime * c.alpha * dl * kCsDegToRad;
            if (std::fabs(c.alpha * dl) < 180.0) {
                EXPECT_NEAR(xy[0], expected, 1e-6) << ellipsoid << " " << dl;
                EXPECT_NEAR(xy[1], 0.0, 1e-6) << ellipsoid << " " << dl;
            }
            EXPECT_EQ(Inverse(params.get(), xy[0], xy[1], ll), 0) << ellipsoid << " " << dl;
            EXPECT_NEAR(ll[0], 10.0 + dl, 1e-9) << ellipsoid << " " << dl;
            EXPECT_NEAR(ll[1], 0.0, 1e-9) << ellipsoid << " " << dl;
        }
    }
    // About Bern, points beyond the oblique system's 90 degrees come back too.
    CsPtr<CsParams> swiss = Build(Oblique());
    ASSERT_TRUE(swiss);
    for (double lon : {100.0, 150.0, -120.0}) {
        for (double lat : {-30.0, 10.0, 40.0}) {
            double xy[3], ll[3];
            EXPECT_EQ(Forward(swiss.get(), lon, lat, xy), 0) << lon << " " << lat;
            EXPECT_EQ(Inverse(swiss.get(), xy[0], xy[1], ll), 0) << lon << " " << lat;
            EXPECT_NEAR(ll[0], lon, 1e-8) << lon << " " << lat;
            EXPECT_NEAR(ll[1], lat, 1e-8) << lon << " " << lat;
        }
    }
}

TEST_F(SwissProjection, TheGeneralFormWithTheOriginLatitudeAndNoReductionIsTheSwissGrid) {
    CsCoordSysDef swissDef = Oblique("SWISS");
    swissDef.parameters[0] = 40.0;  // both ignored by SWISS
    swissDef.scaleReduction = 0.9;
    CsPtr<CsParams> swiss = Build(swissDef), general = Build(Oblique("OBQCYL"));
    ASSERT_TRUE(swiss && general);
    const double points[][2] = {{6.15, 46.2}, {10.45, 46.55}};
    for (const auto& p : points) {
        double a[3], b[3];
        EXPECT_EQ(Forward(swiss.get(), p[0], p[1], a), 0);
        EXPECT_EQ(Forward(general.get(), p[0], p[1], b), 0);
        EXPECT_DOUBLE_EQ(a[0], b[0]);
        EXPECT_DOUBLE_EQ(a[1], b[1]);
    }
}

// PROJ has no form with the sphere's constants at another latitude: the
// origin still lands on the false origin, and points come back.
TEST_F(SwissProjection, TheGeneralFormWithItsOwnSphereLatitudeRoundTrips) {
    for (const char* ellipsoid : {"BESSEL", "SPHERE"}) {
        CsCoordSysDef def = Oblique("OBQCYL", ellipsoid);
        def.parameters[0] = 44.0;
        def.scaleReduction = 0.9995;
        CsPtr<CsParams> params = Build(def);
        ASSERT_TRUE(params);
        double xy[3], ll[3];
        EXPECT_EQ(Forward(params.get(), kBernLongitude, kBernLatitude, xy), 0);
        EXPECT_NEAR(xy[0], 600000.0, 1e-6) << ellipsoid;
        EXPECT_NEAR(xy[1], 200000.0, 1e-6) << ellipsoid;
        for (double lon : {2.0, 7.0, 13.0}) {
            for (double lat : {41.0, 47.0, 53.0}) {
                EXPECT_EQ(Forward(params.get(), lon, lat, xy), 0);
                EXPECT_EQ(Inverse(params.get(), xy[0], xy[1], ll), 0);
                EXPECT_NEAR(ll[0], lon, 1e-8) << ellipsoid << " " << lon << " " << lat;
                EXPECT_NEAR(ll[1], lat, 1e-8) << ellipsoid << " " << lon << " " << lat;
            }
        }
        // Conformal: the numeric scale is the same along the meridian and the
        // parallel.
        const CsSwissConstants& c = CS_constantsOf<CsSwissConstants>(params.get());
        const double p[3] = {9.0, 45.0, 0.0};
        double k = CS_swissScale(CS_constants(params.get()), p);
        double a[3], b[3];
        Forward(params.get(), 9.0 - 1.0 / 7200.0, 45.0, a);
        Forward(params.get(), 9.0 + 1.0 / 7200.0, 45.0, b);
        const double p1[2] = {9.0 - 1.0 / 7200.0, 45.0}, p2[2] = {9.0 + 1.0 / 7200.0, 45.0};
        double distance = 0.0;
        CS_geodeticDistAz(c.ka, c.eSq, p1, p2, &distance);
        EXPECT_NEAR(std::hypot(b[0] - a[0], b[1] - a[1]) / distance, k, 1e-7) << ellipsoid;
    }
}

TEST_F(SwissProjection, OutsideTheDomain) {
    CsPtr<CsParams> params = Build(Oblique());
    ASSERT_TRUE(params);
    const double rPrime = CS_constantsOf<CsSwissConstants>(params.get()).rPrime;
    double ll[3], xy[3];
    // y beyond 10 R' is taken at 10 R'.
    EXPECT_EQ(Inverse(params.get(), 600000.0, 200000.0 + 12.0 * rPrime, ll), 2);
    double atTen[3];
    EXPECT_EQ(Inverse(params.get(), 600000.0, 200000.0 + 10.0 * rPrime, atTen), 0);
    EXPECT_DOUBLE_EQ(ll[1], atTen[1]);
    EXPECT_EQ(Inverse(params.get(), 600000.0 + 4.0 * rPrime, 200000.0, ll), 2);
    EXPECT_TRUE(std::isfinite(ll[0]) && std::isfinite(ll[1]));
    // The poles are clamped.
    EXPECT_EQ(Forward(params.get(), 7.0, 90.0, xy), 2);
    EXPECT_TRUE(std::isfinite(xy[0]) && std::isfinite(xy[1]));
    const double pole[1][3] = {{7.0, 90.0, 0.0}};
    const double inside[2][3] = {{6.0, 46.0, 0.0}, {10.0, 47.5, 0.0}};
    EXPECT_EQ(params->checkGeographic(CS_constants(params.get()), 1, pole), 2);
    EXPECT_EQ(params->checkGeographic(CS_constants(params.get()), 2, inside), 0);
}

// The check admits an origin at a pole: the oblique system is then the
// transverse one and stays finite.
TEST_F(SwissProjection, AnOriginAtThePoleStaysFinite) {
    for (const char* ellipsoid : {"BESSEL", "SPHERE"}) {
        CsCoordSysDef def = Oblique("SWISS", ellipsoid);
        def.originLatitude = 90.0;
        CsPtr<CsParams> params = Build(def);
        ASSERT_TRUE(params);
        double xy[3], ll[3];
        EXPECT_EQ(Forward(params.get(), 20.0, 70.0, xy), 0) << ellipsoid;
        ASSERT_TRUE(std::isfinite(xy[0]) && std::isfinite(xy[1])) << ellipsoid;
        EXPECT_EQ(Inverse(params.get(), xy[0], xy[1], ll), 0) << ellipsoid;
        EXPECT_NEAR(ll[0], 20.0, 1e-6) << ellipsoid;
        EXPECT_NEAR(ll[1], 70.0, 1e-6) << ellipsoid;
    }
}

TEST_F(SwissProjection, WktReadsBackAndProjAcceptsIt) {
    familytest::ExpectWktRoundTrip("CH1903-LV03");
    familytest::ExpectWktRoundTrip("CH1903P-LV95");
}

TEST_F(SwissProjection, ProgramConvertsAGoldenRow) {
    // ch1903-lv03.golden: proj +proj=somerc ... +ellps=bessel
    familytest::ExpectProgramRoundTrip("CH1903-LV03", 8.54, 47.37, 683103.162020169,
                                       247004.056877302, 1.0);
}

}  // namespace
