#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>

#include "coordsys/CsParams.h"
#include "projections/ModpcProjection.h"
#include "projections/ProjectionTable.h"
#include "projections/tests/FamilySystemChecks.h"
#include "testing/TestSupport.h"

namespace {

CsCoordSysDef Sheet(const char* ellipsoid = "INTNL") {
    CsCoordSysDef def{};
    std::strcpy(def.key, "TEST-MODPC");
    std::strcpy(def.ellipsoidKey, ellipsoid);
    std::strcpy(def.projectionKey, "MODPC");
    std::strcpy(def.unit, "METER");
    def.parameters[0] = 15.0;
    def.parameters[1] = 17.0;
    def.parameters[2] = 52.0;
    def.parameters[3] = 48.0;
    def.falseEasting = 500000.0;
    def.scaleReduction = 1.0;
    def.mapScale = 1.0;
    def.quadrant = 1;
    return def;
}

class ModpcProjection : public familytest::FamilyTest {
protected:
};

TEST_F(ModpcProjection, CheckReportsEachFault) {
    struct Case {
        const char* what;
        std::function<void(CsCoordSysDef&)> change;
        int error;  // 0: valid
    } cases[] = {
        {"an IMW sheet: meridians 8 apart, parallels 4",
         [](auto& d) {
             d.parameters[0] = 10.0;
             d.parameters[1] = 18.0;
         },
         0},
        {"central meridian -180",
         [](auto& d) {
             d.parameters[0] = -180.0;
             d.parameters[1] = -175.0;
         },
         216},
        {"eastern meridian 180.5",
         [](auto& d) {
             d.parameters[0] = 170.0;
             d.parameters[1] = 180.5;
         },
         230},
        {"meridians equal", [](auto& d) { d.parameters[1] = 15.00001; }, 206},
        {"eastern meridian west", [](auto& d) { d.parameters[1] = 13.0; }, 233},
        {"eastern meridian 16 out", [](auto& d) { d.parameters[1] = 31.0; }, 249},
        {"northern parallel 89.9998",
         [](auto& d) {
             d.parameters[2] = 89.9998;
             d.parameters[3] = 85.0;
         },
         213},
        {"southern parallel NaN", [](auto& d) { d.parameters[3] = std::nan(""); }, 228},
        {"parallels equal", [](auto& d) { d.parameters[3] = 52.00001; }, 204},
        {"southern north of northern", [](auto& d) { d.parameters[3] = 53.0; }, 232},
        {"parallels 16 apart", [](auto& d) { d.parameters[3] = 36.0; }, 232},
    };
    for (const Case& c : cases) {
        CsCoordSysDef def = Sheet();
        c.change(def);
        int errors[4] = {};
        int count = CS_modpcCheck(&def, CS_projectionLookupExact("MODPC")->code, errors, 4);
        EXPECT_EQ(count, c.error == 0 ? 0 : 1) << c.what;
        if (c.error != 0) {
            EXPECT_EQ(errors[0], c.error) << c.what;
        }
    }
}

TEST_F(ModpcProjection, ASheetEndsFortyFiveDegreesOutAndOneSpacingBeyondItsParallels) {
    CsPtr<CsParams> params = Build(Sheet());
    ASSERT_TRUE(params);
    double far[3], edge[3];
    EXPECT_EQ(Forward(params.get(), 15.0 + 50.0, 50.0, far), 2);
    EXPECT_EQ(Forward(params.get(), 15.0 + 45.0, 50.0, edge), 2);
    EXPECT_DOUBLE_EQ(far[0], edge[0]);
    EXPECT_DOUBLE_EQ(far[1], edge[1]);
    EXPECT_EQ(Forward(params.get(), 15.0 + 44.0, 50.0, edge), 0);
    double north[3], limit[3];
    EXPECT_EQ(Forward(params.get(), 16.0, 58.0, north), 2);
    EXPECT_EQ(Forward(params.get(), 16.0, 56.0, limit), 0);
    EXPECT_NEAR(north[1], limit[1], 1e-6);
    EXPECT_EQ(params->minLongitude, -45.0);
    EXPECT_NEAR(params->minLatitude, 44.0, 1e-12);
    EXPECT_NEAR(params->maxLatitude, 56.0, 1e-12);
    const double outside[2][3] = {{15.0, 50.0, 0.0}, {61.0, 50.0, 0.0}};
    const double inside[2][3] = {{15.0, 50.0, 0.0}, {59.0, 45.0, 0.0}};
    EXPECT_EQ(params->checkGeographic(CS_constants(params.get()), 2, outside), 2);
    EXPECT_EQ(params->checkGeographic(CS_constants(params.get()), 2, inside), 0);
    const double beyond[1][3] = {{500000.0, params->maxY + 1.0, 0.0}};
    EXPECT_EQ(params->checkCartesian(CS_constants(params.get()), 1, beyond), 2);
}

TEST_F(ModpcProjection, TheInverseIsBoundedAndClamps) {
    CsPtr<CsParams> params = Build(Sheet());
    ASSERT_TRUE(params);
    double ll[3], xy[3];
    // Beyond the sheet's northern northing: clamped, status 2. (The secant
    // step overshoots the limit there, and the clamped forward stops it.)
    EXPECT_EQ(Inverse(params.get(), 500000.0, params->maxY + 50000.0, ll), 2);
    EXPECT_NEAR(ll[1], 56.0, 0.01);
    // Far out on a sheet twelve evaluations do not settle: status 2.
    EXPECT_EQ(Forward(params.get(), -20.0, 55.0, xy), 0);
    EXPECT_EQ(Inverse(params.get(), xy[0], xy[1], ll), 2);
    EXPECT_TRUE(std::isfinite(ll[0]) && std::isfinite(ll[1]));
    // On the sheet, points come back within the iteration's millimetre.
    for (double lon : {10.0, 12.0, 16.5, 20.0}) {
        for (double lat : {45.0, 49.5, 55.0}) {
            EXPECT_EQ(Forward(params.get(), lon, lat, xy), 0) << lon << " " << lat;
            EXPECT_EQ(Inverse(params.get(), xy[0], xy[1], ll), 0) << lon << " " << lat;
            EXPECT_NEAR(ll[0], lon, 2e-8) << lat;
            EXPECT_NEAR(ll[1], lat, 2e-8) << lon;
        }
    }
}

TEST_F(ModpcProjection, WktReadsBackAndProjAcceptsIt) {
    familytest::ExpectWktRoundTrip("EXAMPLE-MODPC");
}

TEST_F(ModpcProjection, ProgramConvertsAGoldenRow) {
    // example-modpc.golden: proj +proj=imw_p ... +ellps=intl
    familytest::ExpectProgramRoundTrip("EXAMPLE-MODPC", -58.3, 1.1, 355375.279251737,
                                       121590.054040036, 1.0);
}

}  // namespace
