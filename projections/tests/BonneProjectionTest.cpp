#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>

#include "coordsys/CsParams.h"
#include "projections/BonneProjection.h"
#include "projections/GnomonicProjection.h"
#include "projections/ProjectionTable.h"
#include "projections/tests/FamilySystemChecks.h"
#include "testing/TestSupport.h"

namespace {

constexpr double kSphereRadius = 6370997.0;

CsCoordSysDef Bonne(double latitude, const char* ellipsoid = "SPHERE") {
    CsCoordSysDef def{};
    std::strcpy(def.key, "TEST-BONNE");
    std::strcpy(def.ellipsoidKey, ellipsoid);
    std::strcpy(def.projectionKey, "BONNE");
    std::strcpy(def.unit, "METER");
    def.originLongitude = 10.0;
    def.originLatitude = latitude;
    def.falseEasting = 1000.0;
    def.falseNorthing = 2000.0;
    def.scaleReduction = 1.0;
    def.mapScale = 1.0;
    def.quadrant = 1;
    return def;
}

class BonneProjection : public familytest::FamilyTest {
protected:
};

TEST_F(BonneProjection, CheckReportsEachFault) {
    const CsProjectionEntry* row = CS_projectionLookupExact("BONNE");
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->check, CS_gnomonicCheck);
    struct Case {
        const char* what;
        std::function<void(CsCoordSysDef&)> change;
        int error;  // 0: valid
    } cases[] = {
        {"origin longitude 180", [](auto& d) { d.originLongitude = 180.0; }, 0},
        {"origin longitude -180", [](auto& d) { d.originLongitude = -180.0; }, 216},
        {"origin longitude NaN", [](auto& d) { d.originLongitude = std::nan(""); }, 216},
        {"standard parallel -90", [](auto& d) { d.originLatitude = -90.0; }, 0},
        {"standard parallel 0", [](auto& d) { d.originLatitude = 0.0; }, 0},
        {"standard parallel 90.01", [](auto& d) { d.originLatitude = 90.01; }, 215},
    };
    for (const Case& c : cases) {
        CsCoordSysDef def = Bonne(45.0);
        c.change(def);
        int errors[4] = {};
        EXPECT_EQ(row->check(&def, row->code, errors, 4), c.error == 0 ? 0 : 1) << c.what;
        if (c.error != 0) {
            EXPECT_EQ(errors[0], c.error) << c.what;
        }
    }
}

TEST_F(BonneProjection, TheEquatorialFormIsTheSinusoidal) {
    CsPtr<CsParams> p = Build(Bonne(0.0));
    ASSERT_TRUE(p);
    EXPECT_EQ(CS_constantsOf<CsBonneConstants>(p.get()).form, kCsBonneEquatorial);
    double xy[3], ll[3];
    EXPECT_EQ(Forward(p.get(), 100.0, 0.0, xy), 0);
    EXPECT_NEAR(xy[0] - 1000.0, kSphereRadius * kCsHalfPi, 1e-6);
    EXPECT_NEAR(xy[1] - 2000.0, 0.0, 1e-9);
    EXPECT_EQ(Inverse(p.get(), xy[0], xy[1], ll), 0);
    EXPECT_NEAR(ll[0], 100.0, 1e-12);
    EXPECT_NEAR(ll[1], 0.0, 1e-12);
}

TEST_F(BonneProjection, ThePolarFormCentresOnThePole) {
    for (const char* ellipsoid : {"SPHERE", "BESSEL"}) {
        for (double pole : {90.0, -90.0}) {
            SCOPED_TRACE(std::string(ellipsoid) + " " + std::to_string(pole));
            CsPtr<CsParams> p = Build(Bonne(pole, ellipsoid));
            ASSERT_TRUE(p);
            EXPECT_EQ(CS_constantsOf<CsBonneConstants>(p.get()).form, kCsBonnePolar);
            double xy[3], ll[3];
            EXPECT_EQ(Forward(p.get(), 40.0, pole, xy), 1);
            EXPECT_NEAR(xy[0], 1000.0, 1e-6);
            EXPECT_NEAR(xy[1], 2000.0, 1e-6);
            EXPECT_EQ(Inverse(p.get(), 1000.0, 2000.0, ll), 1);
            EXPECT_EQ(ll[0], 10.0);
            EXPECT_NEAR(ll[1], pole, 1e-9);
            // Off the pole both polar forms spread out, the southern one too.
            const double latitude = pole > 0.0 ? 60.0 : -60.0;
            EXPECT_EQ(Forward(p.get(), 40.0, latitude, xy), 0);
            EXPECT_GT(std::hypot(xy[0] - 1000.0, xy[1] - 2000.0), 3.0e6);
            EXPECT_GT(xy[0], 1000.0);
            EXPECT_EQ(Inverse(p.get(), xy[0], xy[1], ll), 0);
            EXPECT_NEAR(ll[0], 40.0, 1e-9);
            EXPECT_NEAR(ll[1], latitude, 1e-9);
        }
    }
}

TEST_F(BonneProjection, LatitudesAtAndBeyondThePole) {
    CsPtr<CsParams> p = Build(Bonne(45.0));
    ASSERT_TRUE(p);
    double xy[3];
    EXPECT_EQ(Forward(p.get(), 10.0, 90.0000001, xy), 2);
    // Within the tolerance of the pole its cosine is 0: on the central meridian.
    EXPECT_EQ(Forward(p.get(), 50.0, 89.999999999, xy), 1);
    EXPECT_EQ(xy[0], 1000.0);
    double pole[3];
    EXPECT_EQ(Forward(p.get(), 10.0, 90.0, pole), 1);
    EXPECT_EQ(xy[1], pole[1]);
    // The inverse beyond the pole.
    double ll[3];
    EXPECT_EQ(Inverse(p.get(), 1000.0, pole[1] + 1000.0, ll), 2);
    EXPECT_EQ(ll[1], 90.0);
    // Beyond the back meridian a longitude moves to the central meridian's
    // side: west of it for an eastern central meridian, not east.
    EXPECT_EQ(Forward(p.get(), 10.0 - 190.0, 30.0, xy), 0);
    EXPECT_EQ(Forward(p.get(), 10.0 + 190.0, 30.0, xy), 2);
}

TEST_F(BonneProjection, TheDefaultRangeFollowsTheStandardParallel) {
    struct Case {
        double standardParallel;
        double minLatitude, maxLatitude;
    } cases[] = {{45.0, 0.0, 90.0}, {-30.0, -90.0, 0.0}, {0.0, -90.0, 90.0}, {90.0, 0.0, 90.0}};
    for (const char* ellipsoid : {"SPHERE", "BESSEL"}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(ellipsoid) + " " + std::to_string(c.standardParallel));
            CsPtr<CsParams> p = Build(Bonne(c.standardParallel, ellipsoid));
            ASSERT_TRUE(p);
            EXPECT_EQ(p->rangeCentralMeridian, 10.0);
            EXPECT_EQ(p->minLongitude, -90.0);
            EXPECT_EQ(p->maxLongitude, 90.0);
            EXPECT_EQ(p->minLatitude, c.minLatitude);
            EXPECT_EQ(p->maxLatitude, c.maxLatitude);
            EXPECT_NEAR(p->minX + p->maxX, 2.0 * 1000.0, 1e-6);
            double side[3], top[3], bottom[3];
            Forward(p.get(), 100.0, 0.0, side);
            Forward(p.get(), 10.0, c.maxLatitude, top);
            Forward(p.get(), 10.0, c.minLatitude, bottom);
            EXPECT_NEAR(p->maxX, side[0], 1e-6);
            EXPECT_NEAR(p->maxY, std::fmax(top[1], bottom[1]), 1e-6);
            EXPECT_NEAR(p->minY, std::fmin(top[1], bottom[1]), 1e-6);
        }
    }
}

TEST_F(BonneProjection, LimitChecks) {
    CsPtr<CsParams> p = Build(Bonne(45.0, "BESSEL"));
    ASSERT_TRUE(p);
    const CsProjectionConstants* c = CS_constants(p.get());
    const double inside[2][3] = {{-60.0, 30.0, 0.0}, {80.0, 60.0, 0.0}};
    const double beyondPole[1][3] = {{10.0, 90.5, 0.0}};
    const double beyondBack[1][3] = {{-171.0, 30.0, 0.0}};
    // Both within 180 degrees of the central meridian, but the segment runs
    // round the back.
    const double roundTheBack[2][3] = {{-80.0, 30.0, 0.0}, {110.0, 30.0, 0.0}};
    EXPECT_EQ(p->checkGeographic(c, 2, inside), 0);
    EXPECT_EQ(p->checkGeographic(c, 0, beyondPole), 0);
    EXPECT_EQ(p->checkGeographic(c, 1, beyondPole), 2);
    EXPECT_EQ(p->checkGeographic(c, 1, beyondBack), 2);
    EXPECT_EQ(p->checkGeographic(c, 2, roundTheBack), 2);

    double a[3], b[3];
    Forward(p.get(), inside[0][0], inside[0][1], a);
    Forward(p.get(), inside[1][0], inside[1][1], b);
    const double xy[2][3] = {{a[0], a[1], 0.0}, {b[0], b[1], 0.0}};
    EXPECT_EQ(p->checkCartesian(c, 2, xy), 0);
    Forward(p.get(), -80.0, 30.0, a);
    Forward(p.get(), 100.0, 30.0, b);
    const double backXy[2][3] = {{a[0], a[1], 0.0}, {b[0], b[1], 0.0}};
    EXPECT_EQ(p->checkCartesian(c, 2, backXy), 2);
    const double pastThePole[1][3] = {{1000.0, 2000.0 + 6.0e6, 0.0}};
    EXPECT_EQ(p->checkCartesian(c, 1, pastThePole), 2);
}

TEST_F(BonneProjection, MeridianScale) {
    for (const char* ellipsoid : {"SPHERE", "BESSEL"}) {
        SCOPED_TRACE(ellipsoid);
        CsPtr<CsParams> p = Build(Bonne(45.0, ellipsoid));
        ASSERT_TRUE(p);
        const CsProjectionConstants* c = CS_constants(p.get());
        const double central[3] = {10.0, 60.0, 0.0};
        const double nearPole[3] = {10.0, 89.99999, 0.0};
        EXPECT_NEAR(p->meridianScale(c, central), 1.0, 1e-6);
        EXPECT_EQ(p->gridScale(c, central), p->meridianScale(c, central));
        EXPECT_EQ(p->parallelScale(c, central), 1.0);
        EXPECT_EQ(p->meridianScale(c, nearPole), kCsInfiniteScale);
        EXPECT_EQ(p->convergence(c, nearPole), -360.0);
    }
}

TEST_F(BonneProjection, WktReadsBackAndProjAcceptsIt) {
    familytest::ExpectWktRoundTrip("LISBOA-BESSEL-BONNE");
}

TEST_F(BonneProjection, ProgramConvertsAGoldenRow) {
    // lisboa-bessel-bonne.golden: proj +proj=bonne ... +ellps=bessel
    familytest::ExpectProgramRoundTrip("LISBOA-BESSEL-BONNE", -9.14, 38.72, -87658.329192787,
                                       -104594.635777674, 1.0);
}

}  // namespace
