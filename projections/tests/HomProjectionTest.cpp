#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>

#include "coordsys/CsParams.h"
#include "projections/HomProjection.h"
#include "projections/ProjectionTable.h"
#include "projections/tests/FamilySystemChecks.h"
#include "testing/TestSupport.h"

namespace {

// Alaska zone 1's central line on GRS 1980, or a two-point line over the
// Great Lakes.
CsCoordSysDef Oblique(const char* projection, const char* ellipsoid = "GRS1980") {
    CsCoordSysDef def{};
    std::strcpy(def.key, "TEST-HOM");
    std::strcpy(def.ellipsoidKey, ellipsoid);
    std::strcpy(def.projectionKey, projection);
    std::strcpy(def.unit, "METER");
    const bool twoPoint = std::strncmp(projection, "HOM2", 4) == 0;
    if (twoPoint) {
        const double points[] = {-87.0, 42.0, -77.0, 44.5};
        std::copy(std::begin(points), std::end(points), def.parameters);
        def.originLatitude = 43.0;
    } else {
        def.parameters[0] = -133.666666666667;
        def.parameters[1] = 57.0;
        def.parameters[2] = -36.8698976458333;
    }
    def.scaleReduction = 0.9999;
    def.falseEasting = 500000.0;
    def.falseNorthing = 200000.0;
    def.mapScale = 1.0;
    def.quadrant = 1;
    return def;
}

class HomProjection : public familytest::FamilyTest {
protected:
    static const CsHomConstants& Constants(const CsPtr<CsParams>& p) {
        return CS_constantsOf<CsHomConstants>(p.get());
    }
};

TEST_F(HomProjection, CheckReportsEachFault) {
    struct Case {
        const char* what;
        const char* projection;
        std::function<void(CsCoordSysDef&)> change;
        int error;  // 0: valid
    } cases[] = {
        {"longitude -180", "RSKEW", [](auto& d) { d.parameters[0] = -180.0; }, 205},
        {"longitude +180", "RSKEW", [](auto& d) { d.parameters[0] = 180.0; }, 0},
        {"latitude 89.9997222", "HOM1XY", [](auto& d) { d.parameters[1] = 89.9997222; }, 203},
        {"latitude NaN", "HOM1UV", [](auto& d) { d.parameters[1] = std::nan(""); }, 203},
        {"scale reduction 0.4", "RSKEWC", [](auto& d) { d.scaleReduction = 0.4; }, 227},
        {"scale reduction 1.6", "HOM2UV", [](auto& d) { d.scaleReduction = 1.6; }, 227},
        {"azimuth 0", "RSKEW", [](auto& d) { d.parameters[2] = 0.0; }, 201},
        {"azimuth 2e-5", "RSKEWO", [](auto& d) { d.parameters[2] = 2e-5; }, 201},
        {"azimuth 360", "HOM1XY", [](auto& d) { d.parameters[2] = 360.0; }, 201},
        {"azimuth -180", "HOM1UV", [](auto& d) { d.parameters[2] = -180.0; }, 201},
        {"azimuth 359", "RSKEWC", [](auto& d) { d.parameters[2] = 359.0; }, 0},
        {"azimuth 89.99972", "RSKEW", [](auto& d) { d.parameters[2] = 89.99972; }, 248},
        {"azimuth -179.99972", "RSKEW", [](auto& d) { d.parameters[2] = -179.99972; }, 248},
        {"azimuth 90", "RSKEW", [](auto& d) { d.parameters[2] = 90.0; }, 0},
        {"azimuth 180", "RSKEW", [](auto& d) { d.parameters[2] = 180.0; }, 0},
        {"origin latitude 90", "HOM2XY", [](auto& d) { d.originLatitude = 90.0; }, 203},
        {"second longitude 181", "HOM2XY", [](auto& d) { d.parameters[2] = 181.0; }, 205},
        {"second latitude -89.99973", "HOM2UV", [](auto& d) { d.parameters[3] = -89.99973; }, 203},
        {"first point on the equator", "HOM2UV", [](auto& d) { d.parameters[1] = 0.0; }, 203},
        {"both points at 40", "HOM2UV", [](auto& d) { d.parameters[1] = d.parameters[3] = 40.0; },
         209},
        {"the two-point forms have no azimuth", "HOM2XY", [](auto& d) { d.parameters[2] = 0.0; },
         0},
    };
    for (const Case& c : cases) {
        CsCoordSysDef def = Oblique(c.projection);
        c.change(def);
        int errors[4] = {};
        int count = CS_homCheck(&def, CS_projectionLookupExact(c.projection)->code, errors, 4);
        EXPECT_EQ(count, c.error == 0 ? 0 : 1) << c.what;
        if (c.error != 0) {
            EXPECT_EQ(errors[0], c.error) << c.what;
        }
    }
}

TEST_F(HomProjection, OnlyRskewcPutsTheCentreAtTheOrigin) {
    for (const char* projection : {"RSKEWC", "RSKEW"}) {
        for (double latitude : {57.0, -30.0}) {
            SCOPED_TRACE(std::string(projection) + " " + std::to_string(latitude));
            CsCoordSysDef def = Oblique(projection);
            def.parameters[1] = latitude;
            CsPtr<CsParams> p = Build(def);
            const double centre[3] = {def.parameters[0], latitude, 0.0};
            double xy[3], back[3];
            ASSERT_EQ(CS_forwardProject(p.get(), xy, centre), 0);
            const double offset = std::hypot(xy[0] - 500000.0, xy[1] - 200000.0);
            if (std::strcmp(projection, "RSKEWC") == 0) {
                EXPECT_LT(offset, 1e-6);
            } else {
                EXPECT_GT(offset, 1000.0);
            }
            ASSERT_EQ(CS_inverseProject(p.get(), back, xy), 0);
            EXPECT_NEAR(back[0], centre[0], 1e-9);
            EXPECT_NEAR(back[1], centre[1], 1e-9);
        }
    }
}

TEST_F(HomProjection, TheInverseClampsBeyondTheLargestU) {
    CsPtr<CsParams> p = Build(Oblique("HOM1UV"));
    const CsHomConstants& c = Constants(p);
    double ll[3], clamped[3];
    const double beyond[3] = {500000.0 + 1.5 * c.largestU, 200000.0, 0.0};
    const double edge[3] = {500000.0 + c.largestU, 200000.0, 0.0};
    EXPECT_EQ(CS_inverseProject(p.get(), ll, beyond), 2);
    CS_inverseProject(p.get(), clamped, edge);
    EXPECT_DOUBLE_EQ(ll[0], clamped[0]);
    EXPECT_DOUBLE_EQ(ll[1], clamped[1]);
    const double wide[3] = {500000.0, 200000.0 - 2.0 * c.largestV, 0.0};
    EXPECT_EQ(CS_inverseProject(p.get(), ll, wide), 2);
    EXPECT_TRUE(std::isfinite(ll[0]) && std::isfinite(ll[1]));
}

TEST_F(HomProjection, ThePoleOfTheObliqueIsOutside) {
    for (const char* ellipsoid : {"GRS1980", "SPHERE"}) {
        SCOPED_TRACE(ellipsoid);
        CsPtr<CsParams> p = Build(Oblique("HOM1XY", ellipsoid));
        const CsHomConstants& c = Constants(p);
        const CsProjectionConstants* k = CS_constants(p.get());
        const double pole[1][3] = {{c.lambdaP * kCsRadToDeg, c.phiP * kCsRadToDeg, 0.0}};
        const double antipode[1][3] = {
            {c.lambdaP * kCsRadToDeg - 180.0, -c.phiP * kCsRadToDeg, 0.0}};
        const double centre[1][3] = {{-133.666666666667, 57.0, 0.0}};
        EXPECT_EQ(p->checkGeographic(k, 1, pole), 2);
        EXPECT_EQ(p->checkGeographic(k, 1, antipode), 2);
        EXPECT_EQ(p->checkGeographic(k, 1, centre), 0);
        // A line must keep within 90 degrees of the natural origin's meridian.
        const double lambda0 = c.lambda0 * kCsRadToDeg;
        const double line[2][3] = {{lambda0 - 80.0, 50.0, 0.0}, {lambda0 + 80.0, 50.0, 0.0}};
        const double longLine[2][3] = {{lambda0, 50.0, 0.0}, {lambda0 + 95.0, 50.0, 0.0}};
        EXPECT_EQ(p->checkGeographic(k, 2, line), 0);
        EXPECT_EQ(p->checkGeographic(k, 2, longLine), 2);
        const double three[3][3] = {
            {lambda0, 50.0, 0.0}, {lambda0, 51.0, 0.0}, {lambda0, 52.0, 0.0}};
        EXPECT_EQ(p->checkGeographic(k, 3, three), 4096);
        // On the sphere the pole is the aposphere's too: the forward there
        // gives the domain's edge, on the side it nears.
        if (std::strcmp(ellipsoid, "SPHERE") != 0) continue;
        const double ll[3] = {pole[0][0], pole[0][1], 0.0};
        const double near[3] = {pole[0][0] + 0.1, pole[0][1] - 0.1, 0.0};
        double xy[3], xyNear[3];
        EXPECT_EQ(CS_forwardProject(p.get(), xy, ll), 2);
        EXPECT_EQ(CS_forwardProject(p.get(), xyNear, near), 0);
        double uv[3], uvNear[3];
        CsCoordSysDef flat = Oblique("HOM1UV", ellipsoid);
        CsPtr<CsParams> q = Build(flat);
        CS_forwardProject(q.get(), uv, ll);
        CS_forwardProject(q.get(), uvNear, near);
        EXPECT_NEAR(std::fabs(uv[1] - 200000.0), Constants(q).largestV, 1e-6);
        EXPECT_GT((uv[1] - 200000.0) * (uvNear[1] - 200000.0), 0.0);
        EXPECT_TRUE(std::isfinite(xy[0]) && std::isfinite(xy[1]));
    }
}

TEST_F(HomProjection, ALongitudeBeyondPiFromTheOriginIsReported) {
    CsPtr<CsParams> p = Build(Oblique("RSKEW"));
    const double lambda0 = Constants(p).lambda0 * kCsRadToDeg;
    ASSERT_LT(lambda0, 0.0);
    double xy[3];
    // West of a western origin: no turn toward its side can bring it in.
    const double far[3] = {lambda0 - 181.0, 0.0, 0.0};
    EXPECT_EQ(CS_forwardProject(p.get(), xy, far), 2);
    EXPECT_TRUE(std::isfinite(xy[0]) && std::isfinite(xy[1]));
    // East beyond pi turns back to the west.
    const double east[3] = {lambda0 + 181.0, 0.0, 0.0};
    const double west[3] = {lambda0 - 179.0, 0.0, 0.0};
    double a[3], b[3];
    EXPECT_EQ(CS_forwardProject(p.get(), a, east), 0);
    EXPECT_EQ(CS_forwardProject(p.get(), b, west), 0);
    EXPECT_NEAR(a[0], b[0], 1e-6);
    EXPECT_NEAR(a[1], b[1], 1e-6);
}

TEST_F(HomProjection, ATwoPointLineMayCrossTheAntimeridian) {
    // The same line 180 degrees round: every point lands where its twin does.
    for (const char* projection : {"HOM2UV", "HOM2XY"}) {
        SCOPED_TRACE(projection);
        CsCoordSysDef near = Oblique(projection), across = near;
        near.parameters[0] = -10.0;
        near.parameters[2] = 10.0;
        across.parameters[0] = 170.0;
        across.parameters[2] = -170.0;
        CsPtr<CsParams> a = Build(near), b = Build(across);
        EXPECT_NEAR(b->rangeCentralMeridian, 180.0, 1e-9);
        for (double longitude : {-12.0, 0.0, 5.0}) {
            const double here[3] = {longitude, 43.0, 0.0};
            const double there[3] = {longitude + 180.0, 43.0, 0.0};
            double xa[3], xb[3];
            ASSERT_EQ(CS_forwardProject(a.get(), xa, here), 0);
            ASSERT_EQ(CS_forwardProject(b.get(), xb, there), 0);
            EXPECT_NEAR(xa[0], xb[0], 1e-6) << longitude;
            EXPECT_NEAR(xa[1], xb[1], 1e-6) << longitude;
        }
    }
}

TEST_F(HomProjection, ThePolesComeBackAsPoles) {
    CsPtr<CsParams> p = Build(Oblique("HOM1XY"));
    for (double latitude : {90.0, -90.0}) {
        const double pole[3] = {-133.666666666667, latitude, 0.0};
        double xy[3], ll[3];
        EXPECT_EQ(CS_forwardProject(p.get(), xy, pole), 1) << latitude;
        EXPECT_EQ(CS_inverseProject(p.get(), ll, xy), 1) << latitude;
        EXPECT_EQ(ll[1], latitude);
    }
}

TEST_F(HomProjection, AnAzimuthOf90DegreesProjects) {
    // The check lets exactly 90 pass; on the equator the central line is the
    // equator itself.
    for (double latitude : {0.0, 57.0, -20.0}) {
        CsCoordSysDef def = Oblique("RSKEWC");
        def.parameters[1] = latitude;
        def.parameters[2] = 90.0;
        ASSERT_EQ(CS_homCheck(&def, kCsProjRskewc, nullptr, 0), 0);
        CsPtr<CsParams> p = Build(def);
        const double point[3] = {-130.0, latitude + 2.0, 0.0};
        double xy[3], ll[3];
        ASSERT_EQ(CS_forwardProject(p.get(), xy, point), 0) << latitude;
        ASSERT_EQ(CS_inverseProject(p.get(), ll, xy), 0) << latitude;
        // The natural origin lies a quarter turn west, across the
        // antimeridian: the longitude comes back as lambda0 plus its
        // difference, unwrapped.
        EXPECT_NEAR(std::remainder(ll[0] - point[0], 360.0), 0.0, 1e-9) << latitude;
        EXPECT_NEAR(ll[1], point[1], 1e-9) << latitude;
    }
}

TEST_F(HomProjection, TheDefaultRangeFollowsTheCentralLine) {
    CsPtr<CsParams> p = Build(Oblique("HOM1XY"));
    EXPECT_NEAR(p->rangeCentralMeridian, -133.666666666667, 1e-12);
    // w = 2 acos(0.9999) + 0.25 degrees; across 0.8 w + 0.6 * 10, along
    // 0.8 * 10 + 0.6 w.
    const double w = 2.0 * std::acos(0.9999) * kCsRadToDeg + 0.25;
    EXPECT_NEAR(p->maxLongitude, 0.8 * w + 6.0, 1e-9);
    EXPECT_NEAR(p->minLongitude, -(0.8 * w + 6.0), 1e-9);
    EXPECT_NEAR(p->maxLatitude, 57.0 + 8.0 + 0.6 * w, 1e-9);
    EXPECT_LT(p->minX, p->maxX);
    EXPECT_LT(p->minY, p->maxY);
    // A scale reduction above 1 and a centre near the pole still give a
    // finite range within the poles.
    CsCoordSysDef def = Oblique("RSKEW");
    def.scaleReduction = 1.2;
    def.parameters[1] = 85.0;
    p = Build(def);
    EXPECT_TRUE(std::isfinite(p->minLongitude) && std::isfinite(p->maxLongitude));
    EXPECT_LE(p->maxLatitude, 90.0);
    EXPECT_LT(p->minLongitude, p->maxLongitude);
}

TEST_F(HomProjection, ScaleAndConvergenceNearTheCentre) {
    for (const char* ellipsoid : {"GRS1980", "SPHERE"}) {
        SCOPED_TRACE(ellipsoid);
        CsPtr<CsParams> p = Build(Oblique("HOM1XY", ellipsoid));
        const CsProjectionConstants* c = CS_constants(p.get());
        const double centre[3] = {-133.666666666667, 57.0, 0.0};
        EXPECT_NEAR(p->gridScale(c, centre), 0.9999, 1e-9);
        // Rotated by the azimuth, grid north at the centre is the line's
        // direction turned back by it: no convergence.
        EXPECT_NEAR(p->convergence(c, centre), 0.0, 1e-6);
    }
}

TEST_F(HomProjection, WktReadsBackAndProjAcceptsIt) {
    for (const char* key : {"AK83-1", "GDM2000-PRSO", "GDM2000-BRSO", "EXAMPLE-HOM1UV",
                            "EXAMPLE-HOM2UV", "EXAMPLE-HOM2XY", "TIMBALAI-BRSO"}) {
        familytest::ExpectWktRoundTrip(key);
    }
}

TEST_F(HomProjection, ProgramConvertsAGoldenRow) {
    // ak83-1.golden
    familytest::ExpectProgramRoundTrip("AK83-1", -135.0, 58.0, 739841.599506214, 687227.401278765,
                                       1.0);
}

}  // namespace
