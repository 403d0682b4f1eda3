#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "coordsys/CsParams.h"
#include "coordsys/core/CsCore.h"
#include "projections/ProjectionTable.h"
#include "projections/Systm34Projection.h"
#include "projections/tests/FamilySystemChecks.h"

namespace {

CsCoordSysDef System34(const char* projection, double region) {
    CsCoordSysDef def{};
    std::strcpy(def.key, "TEST-S34");
    std::strcpy(def.datumKey, "ED50");
    std::strcpy(def.projectionKey, projection);
    std::strcpy(def.unit, "METER");
    def.parameters[0] = region;
    def.scaleReduction = 1.0;
    def.mapScale = 1.0;
    def.quadrant = 1;
    return def;
}

class Systm34Projection : public familytest::FamilyTest {};

TEST_F(Systm34Projection, CheckRefusesARegionOtherThanOneToThree) {
    const struct {
        double region;
        int errors;
    } cases[] = {{0.0, 1}, {1.0, 0}, {2.0, 0}, {3.0, 0}, {4.0, 1}, {3.5, 1}, {std::nan(""), 1}};
    for (const char* projection : {"SYSTM34", "SYSTM34-99"}) {
        for (const auto& c : cases) {
            CsCoordSysDef def = System34(projection, c.region);
            int errors[2] = {};
            EXPECT_EQ(CS_sys34Check(&def, CS_projectionLookupExact(projection)->code, errors, 2),
                      c.errors)
                << projection << " " << c.region;
            if (c.errors != 0) {
                EXPECT_EQ(errors[0], 253);
            }
        }
    }
}

// The UTM stage against PROJ's utm on International 1924 (zone 32 is 9
// degrees east, zone 33 15 degrees): within 1 mm, and back.
TEST_F(Systm34Projection, TheUtmStageMatchesProj) {
    const struct {
        const char* projection;
        double region, longitude, latitude, easting, northing;
        double backDegrees = 1e-8;
    } cases[] = {
        {"SYSTM34", 1, 9.5, 56.2, 531024.0499, 6228589.8136},
        {"SYSTM34", 1, 8.1, 55.0, 442426.3151, 6095294.4273},
        {"SYSTM34", 1, 10.9, 57.6, 613553.8602, 6385912.5306},
        {"SYSTM34", 2, 12.5, 55.7, 719936.1320, 6178379.1017},
        {"SYSTM34-99", 2, 11.0, 54.8, 628570.1868, 6074501.6618},
        // Bornholm: 15 degrees by the older tables, 9 by the 1999 ones.
        {"SYSTM34", 3, 14.9, 55.1, 493618.7551, 6106057.0072},
        // 5.9 degrees out the inverse series comes back within 1.3 mm.
        {"SYSTM34-99", 3, 14.9, 55.1, 876263.1840, 6121964.3642, 1.5e-8},
    };
    for (const auto& c : cases) {
        CsPtr<CsParams> params = Build(System34(c.projection, c.region));
        ASSERT_TRUE(params);
        const auto& k = CS_constantsOf<CsSys34Constants>(params.get());
        double e, n, lon, lat;
        EXPECT_EQ(CS_sys34UtmForward(k, c.longitude, c.latitude, &e, &n), 0);
        EXPECT_LE(std::hypot(e - c.easting, n - c.northing), 0.001)
            << c.projection << " " << c.region << ": " << e << " " << n;
        EXPECT_EQ(CS_sys34UtmInverse(k, c.easting, c.northing, &lon, &lat), 0);
        EXPECT_NEAR(lon, c.longitude, c.backDegrees) << c.projection << " " << c.region;
        EXPECT_NEAR(lat, c.latitude, c.backDegrees) << c.projection << " " << c.region;
    }
}

TEST_F(Systm34Projection, TheUtmStageBoundsItsDomain) {
    CsPtr<CsParams> params = Build(System34("SYSTM34", 1));
    ASSERT_TRUE(params);
    const auto& k = CS_constantsOf<CsSys34Constants>(params.get());
    double e, n, lon, lat;
    EXPECT_EQ(CS_sys34UtmForward(k, 9.0, 90.0, &e, &n), 1);
    EXPECT_EQ(CS_sys34UtmForward(k, 9.0, 91.0, &e, &n), 2);
    EXPECT_EQ(CS_sys34UtmForward(k, 9.0 + 91.0, 10.0, &e, &n), 2);
    // An easting beyond the stage's quarter turn is clamped.
    EXPECT_GT(k.eastingLimit, 1e7);
    EXPECT_EQ(CS_sys34UtmInverse(k, 500000.0 + 2.0 * k.eastingLimit, 6e6, &lon, &lat), 2);
    EXPECT_TRUE(std::isfinite(lon) && std::isfinite(lat));
}

TEST_F(Systm34Projection, KernelRegionsAndDomains) {
    double out1, out2;
    // The region's number or letter; no other value, and a direction.
    EXPECT_EQ(CSsys34(4, 1, 0, 531024.0, 6228589.0, &out1, &out2), -1);
    EXPECT_EQ(CS_lastError(), 139);
    EXPECT_STREQ(CS_lastMessage(), "Internal software error detected in module CSsys34:1.");
    EXPECT_EQ(CSsys34(1, 0, 0, 531024.0, 6228589.0, &out1, &out2), -1);
    EXPECT_STREQ(CS_lastMessage(), "Internal software error detected in module CSsys34:2.");
    const struct {
        int region, direction, vintage;
        double in1, in2;
        bool inside;
    } cases[] = {
        {1, 1, 0, 531024.0, 6228589.0, true},       {'j', 1, 0, 531024.0, 6228589.0, true},
        {1, 1, 0, 300000.0, 6228589.0, false},      {1, 1, 0, 300000.001, 6228589.0, true},
        {1, 1, 0, 531024.0, 6500000.0, false},      {2, 1, 0, 999999.0, 5900001.0, true},
        {'s', 1, 0, 719936.0, 6400000.0, false},    {3, 1, 0, 493618.0, 6106057.0, true},
        {'b', 1, 1999, 493618.0, 6106057.0, false}, {3, 1, 1999, 876263.0, 6121964.0, true},
        {1, -1, 0, -99999.0, 499999.0, true},       {1, -1, 0, -100000.0, 0.0, false},
        {2, -1, 1999, 399999.0, 0.0, true},         {2, -1, 1999, 400000.0, 0.0, false},
        {3, -1, 0, 149999.0, -49999.0, true},       {3, -1, 0, 0.0, 150000.0, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CS_sys34InDomain(c.region, c.direction, c.vintage, c.in1, c.in2), c.inside)
            << c.region << " " << c.direction << " " << c.in1 << " " << c.in2;
        // Outside: 1. Inside: the polynomials are wanted, and not available.
        EXPECT_EQ(CSsys34(c.region, c.direction, c.vintage, c.in1, c.in2, &out1, &out2),
                  c.inside ? -1 : 1);
        EXPECT_TRUE(std::isnan(out1) && std::isnan(out2));
        if (c.inside) {
            EXPECT_STREQ(CS_lastMessage(), "Internal software error detected in module CSsys34:3.");
        }
    }
}

// Degree-1 tables for region 1 that undo each other: -x = 200000 - (E -
// 500000), y = 100000 + (N - 6200000).
constexpr double kForward[] = {1, 100000, 1, 0, 6200000, 200000, -1, 0, 500000};
constexpr double kInverse[] = {1, 6200000, 1, 0, 100000, 500000, -1, 0, 200000};

TEST_F(Systm34Projection, EitherCoordinateOffFailsTheBackConversion) {
    const struct {
        double eastingOff, northingOff;
        int result;
    } cases[] = {
        {0.0, 0.0, 0}, {0.05, 0.0, 0}, {0.0, -0.059, 0}, {0.06, 0.0, 1},
        {0.0, 0.1, 1}, {-0.2, 0.0, 1}, {0.1, 0.1, 1},
    };
    for (const auto& c : cases) {
        double inverse[std::size(kInverse)];
        std::copy(std::begin(kInverse), std::end(kInverse), inverse);
        inverse[5] += c.eastingOff;   // P2's constant: the easting
        inverse[1] += c.northingOff;  // P1's constant: the northing
        CsSys34Tables tables{};
        tables.forward[0][0] = kForward;
        tables.inverse[0][0] = inverse;
        double out1, out2;
        EXPECT_EQ(CS_sys34Kernel(tables, 1, 1, 0, 531024.0, 6228589.0, &out1, &out2), c.result)
            << c.eastingOff << " " << c.northingOff;
        EXPECT_DOUBLE_EQ(out1, 200000.0 - 31024.0);
        EXPECT_DOUBLE_EQ(out2, 100000.0 + 28589.0);
    }
    EXPECT_TRUE(CS_sys34BackAgrees(1.0, 2.0, 1.0599, 1.9401));
    EXPECT_FALSE(CS_sys34BackAgrees(1.0, 2.0, 1.06, 2.0));
    EXPECT_FALSE(CS_sys34BackAgrees(1.0, 2.0, 1.0, 2.06));
}

TEST_F(Systm34Projection, PolynomialsRunInTheirStoredOrder) {
    // P1 = sum c[i][j] u^i v^j and P2 = sum d[i][j] v^i u^j, i-major, degree 2.
    const double c[] = {1, 2, 3, 4, 5, 6};  // c00 c01 c02 c10 c11 c20
    const double d[] = {7, 8, 9, 10, 11, 12};
    double table[1 + 6 + 1 + 6 + 1] = {2};
    std::copy(std::begin(c), std::end(c), table + 1);
    table[7] = 10.0;  // origin of the second input
    std::copy(std::begin(d), std::end(d), table + 8);
    table[14] = 20.0;  // origin of the first input
    const double u = 23.0 - 20.0, v = 12.5 - 10.0;
    double out1, out2;
    ASSERT_TRUE(CS_sys34Polynomial(table, 23.0, 12.5, &out1, &out2));
    EXPECT_DOUBLE_EQ(out2, 1 + 2 * v + 3 * v * v + 4 * u + 5 * u * v + 6 * u * u);
    EXPECT_DOUBLE_EQ(out1, 7 + 8 * u + 9 * u * u + 10 * v + 11 * v * u + 12 * v * v);
    table[0] = 21;
    EXPECT_FALSE(CS_sys34Polynomial(table, 23.0, 12.5, &out1, &out2));
}

// Without the coefficient tables a System 34 point is refused, never made up.
TEST_F(Systm34Projection, TheSlotsGiveNoSystem34Coordinates) {
    for (const char* key : {"EXAMPLE-S34J", "EXAMPLE-S34S-99"}) {
        CsPtr<CsParams> params(CS_loadCoordSys(key));
        ASSERT_TRUE(params) << key << ": " << CS_lastMessage();
        const double copenhagen[3] = {12.5, 55.7, 0.0};
        const double jylland[3] = {9.5, 56.2, 0.0};
        const double* point = params->csDef.parameters[0] == 2 ? copenhagen : jylland;
        double xy[3], ll[3];
        EXPECT_EQ(CS_forwardProject(params.get(), xy, point), 2) << key;
        EXPECT_TRUE(std::isnan(xy[0]) && std::isnan(xy[1])) << key;
        EXPECT_EQ(CS_lastError(), 139) << key;
        const double s34[3] = {-100000.0, 150000.0, 0.0};
        EXPECT_EQ(CS_inverseProject(params.get(), ll, s34), 2) << key;
        EXPECT_TRUE(std::isnan(ll[0]) && std::isnan(ll[1])) << key;
        const CsProjectionConstants* k = CS_constants(params.get());
        EXPECT_EQ(params->gridScale(k, point), -1.0);
        EXPECT_EQ(params->convergence(k, point), -360.0);
        const double points[1][3] = {{point[0], point[1], 0.0}};
        EXPECT_EQ(params->checkGeographic(k, 1, points), 0);
        // The default range holds the region, in absolute longitudes.
        const double cm = params->rangeCentralMeridian;
        EXPECT_EQ(cm, 9.0);
        EXPECT_LT(params->minLongitude + cm, point[0]);
        EXPECT_GT(params->maxLongitude + cm, point[0]);
        EXPECT_LT(params->minLatitude, point[1]);
        EXPECT_GT(params->maxLatitude, point[1]);
    }
}

TEST_F(Systm34Projection, DefaultRangesByRegion) {
    const struct {
        const char* projection;
        double region, cm, west, east, minX, maxX, minY, maxY;
    } cases[] = {
        {"SYSTM34", 1, 9.0, 6.0, 16.0, -500000, 100000, -500000, 500000},
        {"SYSTM34", 2, 9.0, 7.25, 17.3, -400000, 100000, -100000, 400000},
        {"SYSTM34", 3, 15.0, 13.25, 17.0, -150000, 150000, -50000, 50000},
        {"SYSTM34-99", 3, 9.0, 13.25, 17.0, -150000, 150000, -50000, 50000},
    };
    for (const auto& c : cases) {
        CsPtr<CsParams> params = Build(System34(c.projection, c.region));
        ASSERT_TRUE(params);
        EXPECT_DOUBLE_EQ(params->rangeCentralMeridian, c.cm);
        EXPECT_DOUBLE_EQ(params->minLongitude + c.cm, c.west);
        EXPECT_DOUBLE_EQ(params->maxLongitude + c.cm, c.east);
        EXPECT_EQ(params->minX, c.minX);
        EXPECT_EQ(params->maxX, c.maxX);
        EXPECT_EQ(params->minY, c.minY);
        EXPECT_EQ(params->maxY, c.maxY);
    }
}

}  // namespace
