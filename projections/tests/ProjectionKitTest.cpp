// The family kit, piece by piece, on made-up families and blocks.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

#include "coordsys/core/CsCore.h"
#include "projections/ProjectionKit.h"

namespace {

constexpr double kDeg = kCsDegToRad;

struct Record {
    double a;
    int b;
};

TEST(ProjectionKit, ConstantsStartZeroedInTheBlocksArea) {
    auto params = std::make_unique<CsParams>();
    std::memset(params->constants.bytes, 0xAB, sizeof params->constants.bytes);
    Record& record = CS_newConstants<Record>(params.get());
    EXPECT_EQ(record.a, 0.0);
    EXPECT_EQ(record.b, 0);
    record.b = 7;
    EXPECT_EQ(static_cast<const void*>(&record), params->constants.bytes);
    EXPECT_EQ(CS_constantsOf<Record>(params.get()).b, 7);
    EXPECT_EQ(&CS_constantsOf<Record>(CS_constants(params.get())), &record);
}

int Forward(const CsProjectionConstants*, double out[3], const double in[3]) {
    out[0] = in[0], out[1] = in[1], out[2] = in[2];
    return 0;
}
int Inverse(const CsProjectionConstants* c, double out[3], const double in[3]) {
    return Forward(c, out, in);
}
double Two(const CsProjectionConstants*, const double[3]) {
    return 2.0;
}
int AlwaysTwo(const CsProjectionConstants*, int, const double[][3]) {
    return 2;
}

TEST(ProjectionKit, InstallsTheEightSlotsInOrder) {
    const CsSlots slots{Forward,        Inverse,         CS_constantOne, Two,
                        CS_constantOne, CS_constantZero, AlwaysTwo,      CS_alwaysZero};
    auto params = std::make_unique<CsParams>();
    CS_installSlots(params.get(), slots);
    EXPECT_EQ(params->forward, Forward);
    EXPECT_EQ(params->inverse, Inverse);
    EXPECT_EQ(params->gridScale, CS_constantOne);
    EXPECT_EQ(params->parallelScale, Two);
    EXPECT_EQ(params->meridianScale, CS_constantOne);
    EXPECT_EQ(params->convergence, CS_constantZero);
    EXPECT_EQ(params->checkGeographic, AlwaysTwo);
    EXPECT_EQ(params->checkCartesian, CS_alwaysZero);
    const double point[1][3] = {{1, 2, 3}};
    EXPECT_EQ(CS_constantZero(nullptr, point[0]), 0.0);
    EXPECT_EQ(CS_constantOne(nullptr, point[0]), 1.0);
    EXPECT_EQ(CS_alwaysZero(nullptr, 1, point), 0);
}

TEST(ProjectionKit, QuadrantTables) {
    const int normal[] = {0, 6, 7, 5, 4, 0, 0, 1, 3, 2, 0};
    const int south[] = {0, 5, 4, 6, 7, 3, 3, 2, 0, 1, 0};
    for (int quadrant = -5; quadrant <= 5; ++quadrant) {
        EXPECT_EQ(CS_quadrantCode(quadrant), normal[quadrant + 5]) << quadrant;
        EXPECT_EQ(CS_quadrantCode(quadrant), CS_quadrantFlags(quadrant)) << quadrant;
        EXPECT_EQ(CS_quadrantCode(quadrant, CsQuadrantTable::kSouthOriented), south[quadrant + 5])
            << quadrant;
    }
    CsCoordSysDef def{};
    def.falseEasting = 100.0;
    def.falseNorthing = 50.0;
    def.quadrant = 1;
    CsFalseOrigin south1 = CS_falseOrigin(def, CsQuadrantTable::kSouthOriented);
    EXPECT_EQ(south1.falseEasting, 100.0);
    EXPECT_EQ(south1.falseNorthing, 50.0);
    EXPECT_EQ(south1.quadrant, 3);
    EXPECT_EQ(CS_falseOrigin(def).quadrant, 0);
}

TEST(ProjectionKit, FalseOriginAndQuadrantRoundTrip) {
    struct Case {
        int code;
        double x, y;  // of the point (3, 4) about the origin (100, 50)
    } cases[] = {
        {0, 103, 54}, {1, 97, 54}, {2, 103, 46}, {3, 97, 46},
        {4, 54, 103}, {5, 54, 97}, {6, 46, 103}, {7, 46, 97},
    };
    for (const Case& c : cases) {
        const CsFalseOrigin origin{100.0, 50.0, c.code};
        double out[3] = {0, 0, 0};
        const double in[3] = {0, 0, 9};
        CS_forwardEpilogue(out, in, 3.0, 4.0, origin);
        EXPECT_EQ(out[0], c.x) << c.code;
        EXPECT_EQ(out[1], c.y) << c.code;
        EXPECT_EQ(out[2], 9.0);
        double x, y;
        CS_removeFalseOrigin(origin, out, &x, &y);
        EXPECT_EQ(x, 3.0) << c.code;
        EXPECT_EQ(y, 4.0) << c.code;
    }
}

TEST(ProjectionKit, LatitudeRules) {
    const double band = kCsMaxLatitude / kDeg;  // 89.99999722...
    struct Case {
        double latitude;
        int forward, wrapped, clamped;  // statuses
        double forwardPhi, clampedPhi;  // degrees
    } cases[] = {
        {0.0, 0, 0, 0, 0.0, 0.0},
        {-45.0, 0, 0, 0, -45.0, -45.0},
        {89.9999, 0, 0, 0, 89.9999, 89.9999},
        {89.999999, 1, 0, 2, 89.999999, band},
        {-90.0, 1, 0, 2, -90.0, -band},
        {90.5, 2, 2, 2, -89.5, -89.5},  // wrapped over the period of 180 degrees
        {-100.0, 2, 2, 2, 80.0, 80.0},
        {200.0, 2, 2, 2, 20.0, 20.0},
    };
    for (const Case& c : cases) {
        int forward = 0, wrapped = 0, clamped = 0;
        double phi = CS_forwardLatitude(c.latitude, &forward);
        EXPECT_EQ(forward, c.forward) << c.latitude;
        EXPECT_NEAR(phi / kDeg, c.forwardPhi, 1e-9) << c.latitude;
        EXPECT_EQ(CS_wrappedLatitude(c.latitude, &wrapped), phi) << c.latitude;
        EXPECT_EQ(wrapped, c.wrapped) << c.latitude;
        EXPECT_NEAR(CS_clampedLatitude(c.latitude, &clamped) / kDeg, c.clampedPhi, 1e-9)
            << c.latitude;
        EXPECT_EQ(clamped, c.clamped) << c.latitude;
    }
    // A status only rises.
    int status = 2;
    CS_forwardLatitude(10.0, &status);
    EXPECT_EQ(status, 2);
}

TEST(ProjectionKit, PoleBandTakesThePolesValues) {
    CsLatitude north = CS_poleLatitude(kCsMaxLatitude + 1e-12);
    EXPECT_TRUE(north.pole);
    EXPECT_EQ(north.phi, kCsHalfPi);
    EXPECT_EQ(north.sinPhi, 1.0);
    EXPECT_EQ(north.cosPhi, 0.0);
    EXPECT_EQ(north.tanPhi, 1e32);
    CsLatitude south = CS_poleLatitude(-kCsHalfPi);
    EXPECT_EQ(south.phi, -kCsHalfPi);
    EXPECT_EQ(south.sinPhi, -1.0);
    EXPECT_EQ(south.tanPhi, -1e32);
    CsLatitude regular = CS_poleLatitude(kCsMaxLatitude);
    EXPECT_FALSE(regular.pole);
    EXPECT_EQ(regular.sinPhi, std::sin(kCsMaxLatitude));
    EXPECT_EQ(regular.tanPhi, std::sin(kCsMaxLatitude) / std::cos(kCsMaxLatitude));
}

TEST(ProjectionKit, LongitudeRules) {
    const CsLongitudeRule always{.adjust = CsLongitudeAdjust::kAlways, .wrap = CS_normLngRad};
    const CsLongitudeRule kept{.adjust = CsLongitudeAdjust::kNone, .wrap = nullptr};
    const CsLongitudeRule wide{.limit = kCs270Degrees, .limitOutside = true, .wrap = CS_normLngRad};
    const CsLongitudeRule toOne{.limit = 1.0, .limitOutside = true, .wrap = nullptr};
    struct Case {
        const char* what;
        const CsLongitudeRule& rule;
        double longitude;        // degrees
        double centralMeridian;  // radians
        double dLambda;          // degrees
        int status;
    } cases[] = {
        {"wrapped, no status", kCsLongitudeWrapped, 190.0, 0.0, -170.0, 0},
        {"wrapped west", kCsLongitudeWrapped, -181.0, 0.0, 179.0, 0},
        {"wrapped keeps 180", kCsLongitudeWrapped, 180.0, 0.0, 180.0, 0},
        {"toward a western centre", kCsLongitudeTowardCentre, 175.0, -10.0 * kDeg, -175.0, 0},
        {"toward an eastern centre", kCsLongitudeTowardCentre, -175.0, 10.0 * kDeg, 175.0, 0},
        {"not toward the other side", kCsLongitudeTowardCentre, 200.0, 10.0 * kDeg, -170.0, 2},
        {"always", always, 200.0, 10.0 * kDeg, -170.0, 0},
        {"kept outside", kept, 200.0, 0.0, 200.0, 2},
        {"270 degrees inside", wide, 269.0, 0.0, 269.0, 0},
        {"270 degrees toward the centre", wide, 260.0, -20.0 * kDeg, -80.0, 0},
        {"beyond 270 degrees", wide, 275.0, 0.0, -85.0, 2},
        {"the limit itself", toOne, 0.0, -1.0, 1.0 / kDeg, 2},
    };
    for (const Case& c : cases) {
        int status = 0;
        double dl = CS_longitudeDifference(c.longitude, c.centralMeridian, &status, c.rule);
        EXPECT_NEAR(dl / kDeg, c.dLambda, 1e-9) << c.what;
        EXPECT_EQ(status, c.status) << c.what;
    }
}

TEST(ProjectionKit, ForwardPrologueAndInverseEpilogue) {
    CsGeoPoint pole = CS_forwardPrologue(190.0, 90.0, 0.0);
    EXPECT_EQ(pole.status, 1);
    EXPECT_TRUE(pole.pole);
    EXPECT_EQ(pole.cosPhi, 0.0);
    EXPECT_NEAR(pole.dLambda / kDeg, -170.0, 1e-9);
    CsGeoPoint outside = CS_forwardPrologue(200.0, 10.0, 10.0 * kDeg, kCsLongitudeTowardCentre);
    EXPECT_EQ(outside.status, 2);
    EXPECT_FALSE(outside.pole);
    EXPECT_EQ(outside.sinPhi, std::sin(10.0 * kDeg));

    const double in[3] = {0, 0, 42};
    double out[3];
    CS_inverseEpilogue(out, in, 0.25, -0.5, 0.125);
    EXPECT_EQ(out[0], 0.375 * kCsRadToDeg);
    EXPECT_EQ(out[1], -0.5 * kCsRadToDeg);
    EXPECT_EQ(out[2], 42.0);
    // A rounding past the world's edge is the edge; a real excess stays.
    const struct {
        double dLambda, expected;
    } edges[] = {{std::nextafter(kCsPi, 4.0), 180.0},
                 {-std::nextafter(kCsPi, 4.0), -180.0},
                 {kCsPi + 1e-6, (kCsPi + 1e-6) * kCsRadToDeg}};
    for (const auto& e : edges) {
        CS_inverseEpilogue(out, in, e.dLambda, 0.0, 0.0);
        EXPECT_EQ(out[0], e.expected) << e.dLambda;
    }
}

// A made-up forward: north tilted by 10 degrees (x grows with latitude),
// failing above 89 degrees; a second one maps everything to one point.
int Tilted(const CsProjectionConstants*, double out[3], const double in[3]) {
    out[0] = in[0] + std::tan(10.0 * kDeg) * in[1];
    out[1] = in[1];
    return in[1] > 89.0 ? 2 : 0;
}
int Collapsed(const CsProjectionConstants*, double out[3], const double[3]) {
    out[0] = out[1] = 5.0;
    return 0;
}

TEST(ProjectionKit, NumericConvergence) {
    const double regular[3] = {3.0, 40.0, 0.0};
    EXPECT_NEAR(CS_numericConvergence(Tilted, nullptr, regular), -10.0, 1e-6);
    const double edge[3] = {3.0, 88.99999, 0.0};  // its northern point fails
    EXPECT_EQ(CS_numericConvergence(Tilted, nullptr, edge), -360.0);
    EXPECT_EQ(CS_numericConvergence(Collapsed, nullptr, regular), -360.0);
}

TEST(ProjectionKit, RegionLimits) {
    auto outside = [](const double p[3]) { return p[0] > 10.0; };    // any point
    auto badVertex = [](const double p[3]) { return p[1] > 10.0; };  // lines and regions
    struct Case {
        const char* what;
        int count;
        double points[4][3];
        int result;
    } cases[] = {
        {"no points", 0, {{99, 99, 0}}, 0},
        {"one point", 1, {{1, 50, 0}}, 0},
        {"one point outside", 1, {{11, 0, 0}}, 2},
        {"a line", 2, {{1, 1, 0}, {2, 2, 0}}, 0},
        {"a line with a bad end", 2, {{1, 1, 0}, {2, 20, 0}}, 2},
        {"a region", 4, {{1, 1, 0}, {2, 2, 0}, {3, 1, 0}, {1, 1, 0}}, 0},
        {"a region with a bad vertex", 4, {{1, 1, 0}, {2, 20, 0}, {3, 1, 0}, {1, 1, 0}}, 2},
        {"three points", 3, {{1, 1, 0}, {2, 20, 0}, {3, 1, 0}}, 4096},
        {"three points, one outside", 3, {{1, 1, 0}, {20, 2, 0}, {3, 1, 0}}, 2},
    };
    for (const Case& c : cases) {
        CS_reportError(kCsErrUnit);
        EXPECT_EQ(CS_regionLimits(c.count, c.points, outside, badVertex), c.result) << c.what;
        EXPECT_EQ(CS_lastError(), c.result == 4096 ? kCsErrRegionPoints : kCsErrUnit) << c.what;
    }
}

TEST(ProjectionKit, SegmentAndRoutineLimits) {
    struct Case {
        int count;
        double angles[3];
        int result;
    } cases[] = {
        {2, {-1.0, 1.0}, 0},      {2, {-2.0, 2.0}, 2}, {2, {0.0, -3.5}, 2}, {2, {-1.0, -3.0}, 0},
        {3, {1.0, 2.0, -2.0}, 2}, {1, {-3.0}, 0},      {0, {-3.0, 3.0}, 0},
    };
    for (const Case& c : cases) {
        double points[3][3] = {};
        for (int i = 0; i < 3; ++i) points[i][0] = c.angles[i];
        EXPECT_EQ(CS_segmentLimits(c.count, points, [](const double p[3]) { return p[0]; }),
                  c.result)
            << c.angles[0] << " " << c.angles[1];
    }
    const double points[2][3] = {{0, 10, 0}, {0, 89.5, 0}};
    EXPECT_EQ(CS_routineLimits(Tilted, nullptr, 1, points), 0);
    EXPECT_EQ(CS_routineLimits(Tilted, nullptr, 2, points), 2);
    EXPECT_EQ(CS_routineLimits(Tilted, nullptr, 0, points + 1), 0);
}

TEST(ProjectionKit, UsefulRangeFromTheDefinitionOrTheDefault) {
    auto params = std::make_unique<CsParams>();
    CsCoordSysDef& def = params->csDef;
    const CsRangeRule allFour{.allFour = true};
    // No limits: nothing copied.
    params->minLongitude = 123.0;
    EXPECT_FALSE(CS_geoRangeFromDefinition(params.get(), 10.0));
    EXPECT_FALSE(CS_geoRangeFromDefinition(params.get(), 10.0, allFour));
    EXPECT_FALSE(CS_xyRangeFromDefinition(params.get()));
    EXPECT_EQ(params->minLongitude, 123.0);

    // Latitudes alone count only when all four are looked at.
    def.minLatitude = -10.0;
    def.maxLatitude = 20.0;
    EXPECT_FALSE(CS_geoRangeFromDefinition(params.get(), 10.0));
    EXPECT_TRUE(CS_geoRangeFromDefinition(params.get(), 10.0, allFour));
    EXPECT_EQ(params->minLongitude, -10.0);
    EXPECT_EQ(params->maxLatitude, 20.0);

    // Longitudes relative to the central meridian, wrapped (or kept).
    def.minLongitude = -175.0;
    def.maxLongitude = 170.0;
    EXPECT_TRUE(CS_geoRangeFromDefinition(params.get(), 10.0));
    EXPECT_EQ(params->minLongitude, 175.0);
    EXPECT_EQ(params->maxLongitude, 160.0);
    EXPECT_EQ(params->minLatitude, -10.0);
    EXPECT_TRUE(CS_geoRangeFromDefinition(params.get(), 10.0, {.wrap = nullptr}));
    EXPECT_EQ(params->minLongitude, -185.0);

    def.minY = 5.0;
    EXPECT_FALSE(CS_xyRangeFromDefinition(params.get()));
    EXPECT_TRUE(CS_xyRangeFromDefinition(params.get(), allFour));
    EXPECT_EQ(params->minY, 5.0);

    // A default about the false origin, through the quadrant (x west).
    CS_setXyRange(params.get(), -10.0, -5.0, 10.0, 20.0, {100.0, 50.0, 1});
    EXPECT_EQ(params->minX, 90.0);
    EXPECT_EQ(params->maxX, 110.0);
    EXPECT_EQ(params->minY, 45.0);
    EXPECT_EQ(params->maxY, 70.0);
    CS_setXyRange(params.get(), 1.0, 2.0, 3.0, 4.0, {0.0, 0.0, 4});  // axes swapped
    EXPECT_EQ(params->minX, 2.0);
    EXPECT_EQ(params->maxY, 3.0);
}

TEST(ProjectionKit, CheckErrorsCountBeyondTheArray) {
    int errors[2] = {0, 0};
    CsCheckErrors out(errors, 2);
    out.Require(true, 215);
    out.Require(std::nan("") > 0.0, 216);  // a NaN fails a condition written for the valid case
    out.Add(227);
    out.Add(231);
    EXPECT_EQ(out.Count(), 3);
    EXPECT_EQ(errors[0], 216);
    EXPECT_EQ(errors[1], 227);
    CsCheckErrors none(nullptr, 4);
    none.Add(215);
    EXPECT_EQ(none.Count(), 1);
}

}  // namespace
