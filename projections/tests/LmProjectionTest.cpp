#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

#include "coordsys/CsParams.h"
#include "projections/LmProjection.h"
#include "projections/ProjectionTable.h"
#include "projections/tests/FamilySystemChecks.h"
#include "testing/TestSupport.h"

namespace {

CsCoordSysDef Conic(const char* projection = "LM", const char* ellipsoid = "GRS1980") {
    CsCoordSysDef def{};
    std::strcpy(def.key, "TEST-LM");
    std::strcpy(def.ellipsoidKey, ellipsoid);
    std::strcpy(def.projectionKey, projection);
    std::strcpy(def.unit, "METER");
    def.parameters[0] = 45.0;
    def.parameters[1] = 33.0;
    def.originLongitude = -96.0;
    def.originLatitude = 23.0;
    def.falseEasting = 1000000.0;
    def.falseNorthing = 200000.0;
    def.scaleReduction = 1.0;
    def.mapScale = 1.0;
    def.quadrant = 1;
    return def;
}

class LmProjection : public familytest::FamilyTest {
protected:
    static const CsLmConstants& Constants(const CsPtr<CsParams>& params) {
        return CS_constantsOf<CsLmConstants>(params.get());
    }
    static int Forward(const CsPtr<CsParams>& params, double lon, double lat, double out[3]) {
        const double in[3] = {lon, lat, 0.0};
        return CS_forwardProject(params.get(), out, in);
    }
    static int Inverse(const CsPtr<CsParams>& params, double x, double y, double out[3]) {
        const double in[3] = {x, y, 0.0};
        return CS_inverseProject(params.get(), out, in);
    }
    static CsPtr<CsParams> Load(const char* key) {
        CsPtr<CsParams> params(CS_loadCoordSys(key));
        EXPECT_TRUE(params) << CS_lastMessage();
        return params;
    }
};

TEST_F(LmProjection, CheckReportsEachFault) {
    using Change = std::function<void(CsCoordSysDef&)>;
    auto parallels = [](double p1, double p2) -> Change {
        return [=](CsCoordSysDef& d) {
            d.parameters[0] = p1;
            d.parameters[1] = p2;
        };
    };
    struct Case {
        const char* what;
        Change change;
        std::vector<int> errors;
    };
    // Every code but LM1SP takes its cone from parameters 1 and 2.
    const Case twoParallels[] = {
        {"valid", [](auto&) {}, {}},
        {"origin longitude -180", [](auto& d) { d.originLongitude = -180.0; }, {216}},
        {"origin longitude +180", [](auto& d) { d.originLongitude = 180.0; }, {}},
        {"origin longitude NaN", [](auto& d) { d.originLongitude = std::nan(""); }, {216}},
        {"origin latitude 90.5", [](auto& d) { d.originLatitude = 90.5; }, {215}},
        {"origin latitude -90", [](auto& d) { d.originLatitude = -90.0; }, {}},
        {"symmetric about the equator", parallels(30.0, -30.0), {231}},
        {"nearly symmetric", parallels(30.0, -30.00001), {231}},
        {"one tangent parallel", parallels(45.0, 45.0), {}},
        {"tangent at the equator", parallels(0.0, 0.0), {231}},
        {"tangent within 0.1 second of the equator", parallels(0.00002, 0.00002), {231}},
        {"one parallel on the equator", parallels(0.0, 10.0), {}},
        {"parallel 89.9997222", parallels(89.9997222, 45.0), {231}},
        {"parallel -89.9997222", parallels(33.0, -89.9997222), {231}},
        {"parallel 89.9997", parallels(89.9997, 45.0), {}},
        {"both beyond", parallels(90.0, -95.0), {231, 231}},
        {"parallel NaN", parallels(std::nan(""), 45.0), {231}},
        {"the scale reduction is not read", [](auto& d) { d.scaleReduction = 0.1; }, {}},
    };
    const Case oneParallel[] = {
        {"valid", [](auto&) {}, {}},
        {"scale reduction 0.4", [](auto& d) { d.scaleReduction = 0.4; }, {227}},
        {"scale reduction 1.6", [](auto& d) { d.scaleReduction = 1.6; }, {227}},
        {"scale reduction NaN", [](auto& d) { d.scaleReduction = std::nan(""); }, {227}},
        {"parameters are not read", parallels(30.0, -30.0), {}},
        {"origin longitude -180", [](auto& d) { d.originLongitude = -180.0; }, {216}},
        {"origin latitude 95", [](auto& d) { d.originLatitude = 95.0; }, {215}},
        // The origin latitude is the cone's parallel: none on the equator or a pole.
        {"origin latitude 0", [](auto& d) { d.originLatitude = 0.0; }, {231}},
        {"origin latitude -90", [](auto& d) { d.originLatitude = -90.0; }, {231}},
        {"origin latitude -60", [](auto& d) { d.originLatitude = -60.0; }, {}},
    };
    auto run = [](const char* projection, const Case& c) {
        CsCoordSysDef def = Conic(projection);
        c.change(def);
        int errors[4] = {};
        int count = CS_lmCheck(&def, CS_projectionLookupExact(projection)->code, errors, 4);
        EXPECT_EQ(std::vector<int>(errors, errors + std::min(count, 4)), c.errors)
            << projection << ": " << c.what;
    };
    for (const char* projection : {"LM", "LMBLGN", "LM-WCCS", "LM-MNDOT"}) {
        for (const Case& c : twoParallels) run(projection, c);
    }
    for (const Case& c : oneParallel) run("LM1SP", c);
}

TEST_F(LmProjection, TheApexPoleIsTheApexAndTheFarPoleTheConesEdge) {
    struct {
        const char* key;
        double apexLatitude;
    } cones[] = {{"CA83-III", 90.0}, {"VICGRID94", -90.0}};
    for (const auto& cone : cones) {
        SCOPED_TRACE(cone.key);
        CsPtr<CsParams> params = Load(cone.key);
        ASSERT_TRUE(params);
        const CsLmConstants& c = Constants(params);
        const double cm = params->csDef.originLongitude;
        const double apexX = params->csDef.falseEasting;
        const double apexY = c.rho0 + params->csDef.falseNorthing;
        double xy[3], ll[3];
        for (double latitude : {cone.apexLatitude, cone.apexLatitude * 0.99999999999}) {
            EXPECT_EQ(Forward(params, cm + 30.0, latitude, xy), 1) << latitude;
            EXPECT_DOUBLE_EQ(xy[0], apexX);
            EXPECT_DOUBLE_EQ(xy[1], apexY);
        }
        // The apex comes back as its pole, on the central meridian.
        EXPECT_EQ(Inverse(params, apexX, apexY, ll), 1);
        EXPECT_NEAR(ll[1], cone.apexLatitude, 1e-12);
        EXPECT_NEAR(ll[0], cm, 1e-12);

        // The far pole lies on the cone's edge, beyond the points near it.
        double near[3];
        EXPECT_EQ(Forward(params, cm, -cone.apexLatitude, xy), 2);
        EXPECT_EQ(Forward(params, cm, -cone.apexLatitude * 0.95, near), 0);
        EXPECT_NEAR(std::hypot(xy[0] - apexX, xy[1] - apexY), c.largestRadius,
                    1e-9 * c.largestRadius);
        EXPECT_GT(std::fabs(xy[1] - apexY), std::fabs(near[1] - apexY));
        EXPECT_EQ((xy[1] - apexY) > 0.0, (near[1] - apexY) > 0.0);
    }
}

TEST_F(LmProjection, OneTangentParallelConeHasNOfItsSine) {
    for (const char* ellipsoid : {"GRS1980", "SPHERE"}) {
        SCOPED_TRACE(ellipsoid);
        CsCoordSysDef def = Conic("LM", ellipsoid);
        def.parameters[0] = def.parameters[1] = 45.0;
        CsPtr<CsParams> params = Build(def);
        ASSERT_TRUE(params);
        EXPECT_DOUBLE_EQ(Constants(params).n, std::sin(45.0 * kCsDegToRad));
        const double onParallel[3] = {-80.0, 45.0, 0.0};
        EXPECT_NEAR(params->gridScale(CS_constants(params.get()), onParallel), 1.0, 1e-12);
        // Half a degree either side of the one parallel.
        EXPECT_NEAR(params->minLatitude, 44.5, 1e-9);
        EXPECT_NEAR(params->maxLatitude, 45.5, 1e-9);
    }
}

TEST_F(LmProjection, ScalesAreOneOnTheParallelsAndInfiniteAtThePoles) {
    for (const char* ellipsoid : {"GRS1980", "SPHERE"}) {
        SCOPED_TRACE(ellipsoid);
        CsPtr<CsParams> params = Build(Conic("LM", ellipsoid));
        ASSERT_TRUE(params);
        const CsProjectionConstants* c = CS_constants(params.get());
        for (double latitude : {33.0, 45.0}) {
            const double ll[3] = {-120.0, latitude, 0.0};
            EXPECT_NEAR(params->gridScale(c, ll), 1.0, 1e-12) << latitude;
        }
        const double between[3] = {-96.0, 39.0, 0.0};
        EXPECT_LT(params->gridScale(c, between), 1.0);
        // The apex's pole too: there the parallels shrink slower than the meridians.
        for (double latitude : {90.0, -90.0, 89.99999999}) {
            const double ll[3] = {0.0, latitude, 0.0};
            EXPECT_EQ(params->gridScale(c, ll), 9999.99) << latitude;
        }
    }
    // LM1SP: the scale reduction on its parallel.
    CsCoordSysDef def = Conic("LM1SP");
    def.originLatitude = 46.8;
    def.scaleReduction = 0.99987742;
    CsPtr<CsParams> params = Build(def);
    ASSERT_TRUE(params);
    const double origin[3] = {-96.0, 46.8, 0.0};
    EXPECT_NEAR(params->gridScale(CS_constants(params.get()), origin), 0.99987742, 1e-12);
}

TEST_F(LmProjection, BelgianVariationTurnsAboutTheApexAndNotTheConvergence) {
    CsCoordSysDef def = Conic("LM");
    CsPtr<CsParams> plain = Build(def);
    std::strcpy(def.projectionKey, "LMBLGN");
    CsPtr<CsParams> belgian = Build(def);
    ASSERT_TRUE(plain && belgian);
    const CsLmConstants& c = Constants(belgian);
    const double apexX = def.falseEasting, apexY = c.rho0 + def.falseNorthing;
    const struct {
        double first, second;
    } points[] = {{-96.0, 23.0}, {-70.0, 50.0}, {-130.0, -10.0}};
    for (const auto& point : points) {
        double a[3], b[3], back[3];
        ASSERT_EQ(Forward(plain, point.first, point.second, a), 0);
        ASSERT_EQ(Forward(belgian, point.first, point.second, b), 0);
        double turned =
            std::atan2(a[0] - apexX, apexY - a[1]) - std::atan2(b[0] - apexX, apexY - b[1]);
        EXPECT_NEAR(turned, 29.2985 / 3600.0 * kCsDegToRad, 1e-13) << point.first;
        EXPECT_NEAR(std::hypot(a[0] - apexX, a[1] - apexY), std::hypot(b[0] - apexX, b[1] - apexY),
                    1e-6);
        const double ll[3] = {point.first, point.second, 0.0};
        EXPECT_EQ(belgian->convergence(CS_constants(belgian.get()), ll),
                  plain->convergence(CS_constants(plain.get()), ll));
        ASSERT_EQ(Inverse(belgian, b[0], b[1], back), 0);
        EXPECT_NEAR(back[0], point.first, 1e-9);
        EXPECT_NEAR(back[1], point.second, 1e-9);
    }
}

TEST_F(LmProjection, LongitudesBeyond180DegreesGoToTheCentralMeridiansSide) {
    struct {
        const char* key;
        double beyond, same;  // the same meridian, within 180 degrees of the centre
        int status;
    } cases[] = {
        {"CA83-III", 70.0, -290.0, 0},   // 190.5 east, central meridian west
        {"CA83-III", -310.0, 50.0, 2},   // 189.5 west: outside, wrapped
        {"VICGRID94", -50.0, 310.0, 0},  // 195 west, central meridian east
        {"VICGRID94", 330.0, -30.0, 2},  // 185 east: outside, wrapped
    };
    for (const auto& c : cases) {
        CsPtr<CsParams> params = Load(c.key);
        ASSERT_TRUE(params);
        double a[3], b[3];
        EXPECT_EQ(Forward(params, c.beyond, 30.0, a), c.status) << c.key << " " << c.beyond;
        EXPECT_EQ(Forward(params, c.same, 30.0, b), 0) << c.key << " " << c.same;
        EXPECT_NEAR(a[0], b[0], 1e-6) << c.key << " " << c.beyond;
        EXPECT_NEAR(a[1], b[1], 1e-6) << c.key << " " << c.beyond;
    }
}

TEST_F(LmProjection, CountyVariantsRaiseTheirEllipsoid) {
    const double a = 6378137.0, b = a * (1.0 - 1.0 / 298.257222101);
    const double e = std::sqrt(1.0 - (b / a) * (b / a));
    const double foot = 0.3048006096012192;

    // LM-WCCS: both radii by the geoid height (metres) plus the elevation
    // (system units).
    CsCoordSysDef def = Conic("LM-WCCS");
    std::strcpy(def.unit, "FOOT");
    def.parameters[2] = -30.0;
    def.parameters[3] = 1000.0;
    CsPtr<CsParams> wccs = Build(def);
    ASSERT_TRUE(wccs);
    const double h = 1000.0 * foot - 30.0;
    const double raisedF = 1.0 - (b + h) / (a + h);
    EXPECT_NEAR(Constants(wccs).a, a + h, 1e-6);
    EXPECT_NEAR(Constants(wccs).e, std::sqrt(2.0 * raisedF - raisedF * raisedF), 1e-12);
    EXPECT_LT(Constants(wccs).e, e);

    // LM-MNDOT: the equatorial radius only, by parameter 3 (system units).
    def = Conic("LM-MNDOT");
    std::strcpy(def.unit, "FOOT");
    def.parameters[2] = 1475.0;
    CsPtr<CsParams> mndot = Build(def);
    ASSERT_TRUE(mndot);
    EXPECT_NEAR(Constants(mndot).a, a + 1475.0 * foot, 1e-6);
    EXPECT_NEAR(Constants(mndot).e, e, 1e-15);

    // Plain LM reads neither parameter.
    def = Conic("LM");
    def.parameters[2] = def.parameters[3] = 500.0;
    CsPtr<CsParams> plain = Build(def);
    ASSERT_TRUE(plain);
    EXPECT_EQ(Constants(plain).a, a);
}

TEST_F(LmProjection, InverseOutsideTheConeIsStatusTwo) {
    CsPtr<CsParams> params = Load("CA83-III");
    ASSERT_TRUE(params);
    const CsLmConstants& c = Constants(params);
    const double fe = params->csDef.falseEasting, fn = params->csDef.falseNorthing;
    const double apexY = c.rho0 + fn;
    const CsProjectionConstants* constants = CS_constants(params.get());
    double ll[3];
    // Beyond the far pole's radius.
    const double far[1][3] = {{fe, apexY - 1.5 * c.largestRadius, 0.0}};
    EXPECT_EQ(Inverse(params, far[0][0], far[0][1], ll), 2);
    EXPECT_TRUE(std::isfinite(ll[0]) && std::isfinite(ll[1]));
    EXPECT_EQ(params->checkCartesian(constants, 1, far), 2);
    // Behind the apex, in the gap the cone leaves open: the angle is clamped
    // to the cone's, the antimeridian.
    const double behind[1][3] = {{fe - 1000.0, apexY + 500000.0, 0.0}};
    EXPECT_EQ(Inverse(params, behind[0][0], behind[0][1], ll), 2);
    EXPECT_NEAR(ll[0], -120.5 - 180.0, 1e-9);
    EXPECT_EQ(params->checkCartesian(constants, 1, behind), 2);
    // Inside, a point and a segment; a segment across the gap is not.
    const double inside[2][3] = {{fe, fn, 0.0}, {fe + 100000.0, fn + 100000.0, 0.0}};
    EXPECT_EQ(params->checkCartesian(constants, 2, inside), 0);
    double west[3], east[3];
    Forward(params, -120.5 - 170.0, 10.0, west);
    Forward(params, -120.5 + 170.0, 10.0, east);
    const double across[2][3] = {{west[0], west[1], 0.0}, {east[0], east[1], 0.0}};
    EXPECT_EQ(params->checkCartesian(constants, 1, across), 0);
    EXPECT_EQ(params->checkCartesian(constants, 2, across), 2);
}

TEST_F(LmProjection, GeographicLimitsAllowTheApexPoleOnly) {
    struct {
        const char* key;
        double apexLatitude;
    } cones[] = {{"CA83-III", 90.0}, {"VICGRID94", -90.0}};
    for (const auto& cone : cones) {
        SCOPED_TRACE(cone.key);
        CsPtr<CsParams> params = Load(cone.key);
        ASSERT_TRUE(params);
        const CsProjectionConstants* c = CS_constants(params.get());
        const double cm = params->csDef.originLongitude;
        const double apex[1][3] = {{cm, cone.apexLatitude, 0.0}};
        const double far[1][3] = {{cm, -cone.apexLatitude, 0.0}};
        const double beyond[1][3] = {{cm, 90.5, 0.0}};
        EXPECT_EQ(params->checkGeographic(c, 1, apex), 0);
        EXPECT_EQ(params->checkGeographic(c, 1, far), 2);
        EXPECT_EQ(params->checkGeographic(c, 1, beyond), 2);
        // A segment round the back of the cone, and one the short way.
        const double back[2][3] = {{cm - 100.0, 10.0, 0.0}, {cm + 100.0, 10.0, 0.0}};
        const double front[2][3] = {{cm - 80.0, 10.0, 0.0}, {cm + 80.0, 10.0, 0.0}};
        EXPECT_EQ(params->checkGeographic(c, 2, back), 2);
        EXPECT_EQ(params->checkGeographic(c, 2, front), 0);
        const double region[4][3] = {
            {cm - 5, 30, 0}, {cm + 5, 30, 0}, {cm + 5, -30, 0}, {cm - 5, -30, 0}};
        EXPECT_EQ(params->checkGeographic(c, 4, region), 0);
    }
}

TEST_F(LmProjection, DefaultRangeSpansTheParallelsAndHalfTheirSeparation) {
    for (const char* key : {"CA83-III", "VICGRID94"}) {
        SCOPED_TRACE(key);
        CsPtr<CsParams> params = Load(key);
        ASSERT_TRUE(params);
        const double* p = params->csDef.parameters;
        const double south = std::min(p[0], p[1]), north = std::max(p[0], p[1]);
        EXPECT_EQ(params->rangeCentralMeridian, params->csDef.originLongitude);
        EXPECT_EQ(params->minLongitude, -10.0);
        EXPECT_EQ(params->maxLongitude, 10.0);
        EXPECT_NEAR(params->minLatitude, south - (north - south) / 2.0, 1e-12);
        EXPECT_NEAR(params->maxLatitude, north + (north - south) / 2.0, 1e-12);
        // A rough box (the sphere's radii) about the false origin, in order
        // for a southern cone too.
        EXPECT_LT(params->minX, params->csDef.falseEasting);
        EXPECT_GT(params->maxX, params->csDef.falseEasting);
        EXPECT_LT(params->minY, params->maxY);
        EXPECT_LT(params->maxY - params->minY, 2.0 * (north - south) * 111000.0 + 100000.0);
    }
    // Parallels near a pole: the range stops at the largest parallel.
    CsCoordSysDef def = Conic("LM");
    def.parameters[0] = 89.0;
    def.parameters[1] = 80.0;
    CsPtr<CsParams> polar = Build(def);
    ASSERT_TRUE(polar);
    EXPECT_EQ(polar->maxLatitude, 89.9997222);
    // A definition's own limits, longitudes relative to the central meridian.
    def = Conic("LM");
    def.minLongitude = -100.0;
    def.maxLongitude = -90.0;
    def.minLatitude = 20.0;
    def.maxLatitude = 50.0;
    def.minX = -1.0;
    def.maxX = 1.0;
    def.minY = -2.0;
    def.maxY = 2.0;
    CsPtr<CsParams> own = Build(def);
    ASSERT_TRUE(own);
    EXPECT_EQ(own->minLongitude, -4.0);
    EXPECT_EQ(own->maxLongitude, 6.0);
    EXPECT_EQ(own->minLatitude, 20.0);
    EXPECT_EQ(own->maxY, 2.0);
}

TEST_F(LmProjection, WktReadsBackAndProjAcceptsIt) {
    for (const char* key : {"CA83-III", "VICGRID94", "NTF-LAMBERT-IIE", "BELGE-LAMBERT-72",
                            "WCCS-DANE-M", "MNDOT-BECKER-FT"}) {
        familytest::ExpectWktRoundTrip(key);
    }
}

TEST_F(LmProjection, ProgramConvertsAGoldenRow) {
    // ca83-iii.golden: proj +proj=lcc +lat_0=36.5 +lon_0=-120.5 ...
    familytest::ExpectProgramRoundTrip("CA83-III", -122.4194, 37.7749, 1830924.185348721,
                                       643223.524855689, 1.0);
}

}  // namespace
