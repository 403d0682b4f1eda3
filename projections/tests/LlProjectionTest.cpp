#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "coordsys/CsParams.h"
#include "projections/LlProjection.h"

namespace {

struct Ll {
    const char* unit = "DEGREE";
    double west = 0.0, east = 0.0;  // parameters 1 and 2
    double originLongitude = 0.0;
    int quadrant = 1;
};

CsCoordSysDef Definition(const Ll& ll) {
    CsCoordSysDef def{};
    std::strcpy(def.key, "TEST-LL");
    std::strcpy(def.ellipsoidKey, "WGS84");
    std::strcpy(def.projectionKey, "LL");
    std::strcpy(def.unit, ll.unit);
    def.parameters[0] = ll.west;
    def.parameters[1] = ll.east;
    def.originLongitude = ll.originLongitude;
    def.mapScale = 1.0;
    def.scaleReduction = 1.0;
    def.quadrant = static_cast<std::int16_t>(ll.quadrant);
    return def;
}

CsPtr<CsParams> Build(const Ll& ll) {
    CsEllipsoidDef wgs84{};
    std::strcpy(wgs84.key, "WGS84");
    wgs84.equatorialRadius = 6378137.0;
    wgs84.flattening = 1.0 / 298.257223563;
    wgs84.polarRadius = 6378137.0 * (1.0 - wgs84.flattening);
    wgs84.eccentricity = std::sqrt(2 * wgs84.flattening - wgs84.flattening * wgs84.flattening);
    CsPtr<CsDatumBlock> datum(CS_makeDatumBlock(nullptr, &wgs84));
    CsCoordSysDef def = Definition(ll);
    CsPtr<CsParams> params(CS_buildParams(&def, datum.get()));
    EXPECT_TRUE(params) << CS_lastMessage();
    return params;
}

TEST(LlProjection, ForwardWrapsIntoTheWindow) {
    struct Case {
        Ll system;
        double longitude, latitude;
        double x, y;
        int status;
    } cases[] = {
        {{}, 10.0, 20.0, 10.0, 20.0, 0},
        {{}, 200.0, 10.0, -160.0, 10.0, 0},  // folded, but inside the domain
        {{}, -200.0, 10.0, 160.0, 10.0, 0},
        {{}, 180.0, 90.0, 180.0, 90.0, 0},
        {{}, 300.0, 0.0, -60.0, 0.0, 2},
        {{}, 10.0, 95.0, 10.0, -85.0, 2},
        {{.unit = "MINUTE"}, 10.0, 20.0, 600.0, 1200.0, 0},
        {{.originLongitude = 10.0}, 20.0, 0.0, 10.0, 0.0, 0},
        {{.west = 0.0, .east = 360.0}, -90.0, 0.0, 270.0, 0.0, 0},
        {{.quadrant = -1}, 10.0, 20.0, 20.0, 10.0, 0},  // axes swapped
    };
    for (const Case& c : cases) {
        CsPtr<CsParams> params = Build(c.system);
        ASSERT_TRUE(params);
        const double in[3] = {c.longitude, c.latitude, 5.0};
        double out[3];
        EXPECT_EQ(CS_latLongToXy(params.get(), out, in), c.status) << c.longitude;
        EXPECT_DOUBLE_EQ(out[0], c.x) << c.longitude;
        EXPECT_DOUBLE_EQ(out[1], c.y) << c.longitude;
        EXPECT_EQ(out[2], 5.0);
    }
}

TEST(LlProjection, InverseFoldsBothWays) {
    struct Case {
        double x, y;
        double longitude, latitude;
        int status;
    } cases[] = {
        {10.0, 20.0, 10.0, 20.0, 0},
        {200.0, 0.0, -160.0, 0.0, 2},
        // Below the window the remainder is negative: it is brought up a cycle.
        {-200.0, 0.0, 160.0, 0.0, 2},
        {-500.0, 0.0, -140.0, 0.0, 2},
        {0.0, 100.0, 0.0, -80.0, 2},
    };
    CsPtr<CsParams> params = Build({});
    ASSERT_TRUE(params);
    for (const Case& c : cases) {
        const double in[3] = {c.x, c.y, 0.0};
        double out[3];
        EXPECT_EQ(CS_xyToLatLong(params.get(), out, in), c.status) << c.x;
        EXPECT_DOUBLE_EQ(out[0], c.longitude) << c.x;
        EXPECT_DOUBLE_EQ(out[1], c.latitude) << c.x;
    }
}

TEST(LlProjection, CheckTheRangeAndUnit) {
    struct Case {
        Ll system;
        int error;  // 0: valid
    } cases[] = {
        {{.west = -180.0, .east = 180.0}, 0},  {{.west = -180.0, .east = 360.0}, 0},
        {{.west = -180.0, .east = 90.0}, 238}, {{.west = -180.0, .east = 400.0}, 238},
        {{.west = 10.0, .east = -10.0}, 239},  {{.unit = "METER"}, 234},
        {{.originLongitude = 181.0}, 216},
    };
    for (const Case& c : cases) {
        CsCoordSysDef def = Definition(c.system);
        int errors[4] = {};
        int count = CS_llCheck(&def, 1, errors, 4);
        EXPECT_EQ(count, c.error == 0 ? 0 : 1) << c.system.east;
        if (c.error != 0) {
            EXPECT_EQ(errors[0], c.error) << c.system.east;
        }
    }
}

TEST(LlProjection, ScaleConvergenceRangesAndLimits) {
    CsPtr<CsParams> params = Build({.unit = "MINUTE"});
    ASSERT_TRUE(params);
    const double ll[3] = {45.0, 60.0, 0.0};
    EXPECT_EQ(params->gridScale(CS_constants(params.get()), ll), 1.0);
    EXPECT_EQ(params->parallelScale(CS_constants(params.get()), ll), 1.0);
    EXPECT_EQ(params->convergence(CS_constants(params.get()), ll), 0.0);
    EXPECT_EQ(params->rangeCentralMeridian, 0.0);
    EXPECT_EQ(params->minLongitude, -180.0);
    EXPECT_EQ(params->maxLatitude, 90.0);
    EXPECT_EQ(params->minX, -180.0 * 60.0);
    EXPECT_EQ(params->maxY, 90.0 * 60.0);

    const double inside[2][3] = {{-269.0, 90.0, 0.0}, {10.0, -90.0, 0.0}};
    const double outside[2][3] = {{0.0, 0.0, 0.0}, {270.0, 0.0, 0.0}};
    EXPECT_EQ(params->checkGeographic(CS_constants(params.get()), 2, inside), 0);
    EXPECT_EQ(params->checkGeographic(CS_constants(params.get()), 2, outside), 2);
    EXPECT_EQ(params->checkGeographic(CS_constants(params.get()), 0, outside), 0);
    const double xy[2][3] = {{600.0, 0.0, 0.0}, {60.0 * 200.0, 0.0, 0.0}};
    EXPECT_EQ(params->checkCartesian(CS_constants(params.get()), 1, xy), 0);
    EXPECT_EQ(params->checkCartesian(CS_constants(params.get()), 2, xy), 2);
}

}  // namespace
