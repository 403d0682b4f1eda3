#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>

#include "coordsys/CsParams.h"
#include "projections/KrovakProjection.h"
#include "projections/ProjectionTable.h"
#include "projections/tests/FamilySystemChecks.h"
#include "testing/TestSupport.h"

namespace {

// S-JTSK / Krovak East North on Bessel 1841, as the dictionary has it.
CsCoordSysDef Sjtsk(const char* projection = "KROVAK", const char* ellipsoid = "BESSEL") {
    CsCoordSysDef def{};
    std::strcpy(def.key, "TEST-KROVAK");
    std::strcpy(def.ellipsoidKey, ellipsoid);
    std::strcpy(def.projectionKey, projection);
    std::strcpy(def.unit, "METER");
    def.originLongitude = -17.6666666666667;
    def.originLatitude = 49.5;
    def.parameters[0] = 42.5;
    def.parameters[1] = 59.7575985630663;
    def.parameters[2] = 78.5;
    def.scaleReduction = 0.9999;
    def.mapScale = 1.0;
    def.quadrant = -1;
    return def;
}

class KrovakProjection : public familytest::FamilyTest {
protected:
};

TEST_F(KrovakProjection, CheckReportsEachFault) {
    struct Case {
        const char* what;
        std::function<void(CsCoordSysDef&)> change;
        int error;  // 0: valid
    } cases[] = {
        {"as the dictionary has it", [](auto&) {}, 0},
        {"a southern pseudo standard parallel", [](auto& d) { d.parameters[2] = -78.5; }, 0},
        {"the origin longitude is not checked", [](auto& d) { d.originLongitude = 500.0; }, 0},
        {"pseudo standard parallel 0", [](auto& d) { d.parameters[2] = 0.0; }, 229},
        {"pseudo standard parallel 1e-6", [](auto& d) { d.parameters[2] = 1e-6; }, 229},
        {"pseudo standard parallel NaN", [](auto& d) { d.parameters[2] = std::nan(""); }, 229},
    };
    for (const char* projection : {"KROVAK", "KROVAK95"}) {
        const CsProjectionEntry* row = CS_projectionLookupExact(projection);
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->check, CS_krovakCheck);
        for (const Case& c : cases) {
            CsCoordSysDef def = Sjtsk(projection);
            c.change(def);
            int errors[4] = {};
            EXPECT_EQ(row->check(&def, row->code, errors, 4), c.error == 0 ? 0 : 1)
                << projection << " " << c.what;
            if (c.error != 0) {
                EXPECT_EQ(errors[0], c.error) << projection << " " << c.what;
            }
        }
    }
    // A refused definition builds no block.
    CsCoordSysDef flat = Sjtsk();
    flat.parameters[2] = 0.0;
    EXPECT_FALSE(CsPtr<CsParams>(CS_paramsFromDef(&flat)));
}

TEST_F(KrovakProjection, The95CorrectionPolynomial) {
    struct Case {
        double x, y;  // the cone's southing and westing
        double dx, dy;
    } cases[] = {
        // The polynomial's centre: its constant terms alone.
        {1089000.0, 654000.0, 0.05839284707, 0.0471865841},
        {1100000.0, 700000.0, 0.055532000540, 0.053375066564},
        {1000000.0, 500000.0, -0.179730528260, 0.284028719184},
        {1250000.0, 850000.0, -0.064701889577, 0.550128403076},
    };
    for (const Case& c : cases) {
        double dx, dy;
        CS_krovak95Correction(c.x, c.y, &dx, &dy);
        EXPECT_NEAR(dx, c.dx, 1e-11) << c.x << " " << c.y;
        EXPECT_NEAR(dy, c.dy, 1e-11) << c.x << " " << c.y;
    }
}

TEST_F(KrovakProjection, The95AdjustmentMovesTheConeCoordinates) {
    CsPtr<CsParams> plain = Build(Sjtsk("KROVAK"));
    CsPtr<CsParams> adjusted = Build(Sjtsk("KROVAK95"));
    ASSERT_TRUE(plain && adjusted);
    // The point whose cone coordinates are the polynomial's centre; x is the
    // negated westing, y the negated southing.
    double ll[3], a[3], b[3];
    EXPECT_EQ(Inverse(plain.get(), -654000.0, -1089000.0, ll), 0);
    EXPECT_EQ(Forward(plain.get(), ll[0], ll[1], a), 0);
    // Within the inverse's iteration tolerance (4.85e-8 radians).
    EXPECT_NEAR(a[0], -654000.0, 0.002);
    EXPECT_NEAR(a[1], -1089000.0, 0.002);
    EXPECT_EQ(Forward(adjusted.get(), ll[0], ll[1], b), 0);
    EXPECT_NEAR(b[0] - a[0], 0.0471865841, 1e-9);
    EXPECT_NEAR(b[1] - a[1], 0.05839284707, 1e-9);
    // And back through the adjusted inverse.
    double back[3];
    EXPECT_EQ(Inverse(adjusted.get(), b[0], b[1], back), 0);
    EXPECT_NEAR(back[0], ll[0], 1e-8);
    EXPECT_NEAR(back[1], ll[1], 1e-8);
}

TEST_F(KrovakProjection, ForwardThenInverseReturnsThePoint) {
    for (const char* projection : {"KROVAK", "KROVAK95"}) {
        for (const char* ellipsoid : {"BESSEL", "SPHERE"}) {
            CsPtr<CsParams> p = Build(Sjtsk(projection, ellipsoid));
            ASSERT_TRUE(p);
            // South of the oblique pole, where the oblique longitude stays
            // within the arcsine's quarter turn.
            for (double lon = 5.0; lon <= 35.0; lon += 5.0) {
                for (double lat = 40.0; lat <= 55.0; lat += 5.0) {
                    double xy[3], ll[3];
                    EXPECT_EQ(Forward(p.get(), lon, lat, xy), 0);
                    EXPECT_EQ(Inverse(p.get(), xy[0], xy[1], ll), 0);
                    // The iteration's tolerance, in degrees.
                    EXPECT_NEAR(ll[0], lon, 2.8e-6) << projection << " " << ellipsoid;
                    EXPECT_NEAR(ll[1], lat, 2.8e-6) << projection << " " << ellipsoid;
                }
            }
        }
    }
}

TEST_F(KrovakProjection, TheApexAndItsFarSide) {
    CsPtr<CsParams> p = Build(Sjtsk());
    ASSERT_TRUE(p);
    double ll[3];
    // The cone's apex is the oblique pole.
    EXPECT_EQ(Inverse(p.get(), 0.0, 0.0, ll), 0);
    EXPECT_NEAR(ll[0], -17.6666666666667 + 42.5, 1e-12);
    EXPECT_NEAR(ll[1], 59.7575985630663, 1e-12);
    EXPECT_EQ(Inverse(p.get(), 0.0, -0.01, ll), 0);
    EXPECT_NEAR(ll[0], 24.8333333333333, 1e-12);
    // Beyond four apex distances: the oblique pole's antipode.
    EXPECT_EQ(Inverse(p.get(), 0.0, -6.0e6, ll), 0);
    EXPECT_NEAR(ll[0], 24.8333333333333 - 180.0, 1e-9);
    EXPECT_NEAR(ll[1], -59.7575985630663, 1e-12);
    // Forward: the oblique pole lands on the apex.
    double xy[3];
    EXPECT_EQ(Forward(p.get(), 24.8333333333333, 59.7575985630663, xy), 0);
    // Within half a metre: the oblique latitude's sine is 1 there to its last
    // digits.
    EXPECT_NEAR(xy[0], 0.0, 0.5);
    EXPECT_NEAR(xy[1], 0.0, 0.5);
}

TEST_F(KrovakProjection, LatitudesBeyondThePole) {
    CsPtr<CsParams> p = Build(Sjtsk());
    ASSERT_TRUE(p);
    const CsProjectionConstants* c = CS_constants(p.get());
    double xy[3];
    EXPECT_EQ(Forward(p.get(), 15.0, 90.0, xy), 2);
    EXPECT_TRUE(std::isfinite(xy[0]) && std::isfinite(xy[1]));
    EXPECT_EQ(Forward(p.get(), 15.0, -95.0, xy), 2);
    const double inside[2][3] = {{14.42, 50.08, 0.0}, {21.26, 48.72, 0.0}};
    const double pole[2][3] = {{14.42, 50.08, 0.0}, {15.0, 90.0, 0.0}};
    EXPECT_EQ(p->checkGeographic(c, 2, inside), 0);
    EXPECT_EQ(p->checkGeographic(c, 2, pole), 2);
    const double anywhere[1][3] = {{1e9, -1e9, 0.0}};
    EXPECT_EQ(p->checkCartesian(c, 1, anywhere), 0);
    const double ll[3] = {15.0, 90.0, 0.0};
    EXPECT_EQ(p->convergence(c, ll), -360.0);
}

TEST_F(KrovakProjection, TheConvergenceFollowsTheDefinitionsConeAxis) {
    // The cone axis' co-latitude 34 degrees on a Gaussian sphere about 48
    // north, against the direction of the projected meridian.
    CsCoordSysDef other = Sjtsk();
    other.originLongitude = 0.0;
    other.originLatitude = 48.0;
    other.parameters[0] = 15.0;
    other.parameters[1] = 56.0493350650970;
    for (const CsCoordSysDef& def : {Sjtsk(), other}) {
        CsPtr<CsParams> p = Build(def);
        ASSERT_TRUE(p);
        const CsProjectionConstants* c = CS_constants(p.get());
        const double points[][3] = {{8.0, 46.0, 0.0}, {22.0, 51.0, 0.0}, {30.0, 55.0, 0.0}};
        for (const auto& ll : points) {
            const double numeric = CS_numericConvergence(CS_krovakForward, c, ll);
            EXPECT_NEAR(p->convergence(c, ll), numeric, 1e-6) << def.parameters[1] << " " << ll[0];
            EXPECT_GT(std::fabs(numeric), 1.0);
        }
        // On the oblique pole's meridian grid north is true north.
        const double central[3] = {def.originLongitude + def.parameters[0], 50.0, 0.0};
        EXPECT_NEAR(p->convergence(c, central), 0.0, 1e-12);
    }
}

TEST_F(KrovakProjection, TheDefaultRangeIsFromTheOriginLongitude) {
    CsPtr<CsParams> p = Build(Sjtsk());
    ASSERT_TRUE(p);
    EXPECT_EQ(p->rangeCentralMeridian, -17.6666666666667);
    EXPECT_EQ(p->minLongitude, 17.0);
    EXPECT_EQ(p->maxLongitude, 47.0);
    EXPECT_EQ(p->minLatitude, 42.0);
    EXPECT_EQ(p->maxLatitude, 55.0);
    double corner[3];
    Forward(p.get(), -17.6666666666667 + 17.0, 42.0, corner);
    EXPECT_EQ(p->minX, corner[0]);
    EXPECT_EQ(p->minY, corner[1]);
    Forward(p.get(), -17.6666666666667 + 47.0, 55.0, corner);
    EXPECT_EQ(p->maxX, corner[0]);
    EXPECT_EQ(p->maxY, corner[1]);
    // South and west positive (quadrant 3): the corners turn round.
    CsCoordSysDef southWest = Sjtsk();
    southWest.quadrant = 3;
    CsPtr<CsParams> q = Build(southWest);
    ASSERT_TRUE(q);
    EXPECT_LT(q->minX, q->maxX);
    EXPECT_LT(q->minY, q->maxY);
    double prague[3];
    EXPECT_EQ(Forward(q.get(), 14.42, 50.08, prague), 0);
    EXPECT_NEAR(prague[0], 1043898.660355862, 1e-3);  // the cone's southing
    EXPECT_NEAR(prague[1], 743101.013894535, 1e-3);   // and westing
}

TEST_F(KrovakProjection, WktReadsBackAndProjAcceptsIt) {
    familytest::ExpectWktRoundTrip("S-JTSK-KROVAK-EN");
    familytest::ExpectWktRoundTrip("EXAMPLE-KROVAK95");
}

TEST_F(KrovakProjection, ProgramConvertsAGoldenRow) {
    // s-jtsk-krovak-en.golden: proj +proj=krovak ... +ellps=bessel
    familytest::ExpectProgramRoundTrip("S-JTSK-KROVAK-EN", 14.42, 50.08, -743101.013894535,
                                       -1043898.660355862, 1.0);
}

}  // namespace
