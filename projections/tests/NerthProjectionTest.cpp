#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "coordsys/CsParams.h"
#include "coordsys/DatumConverter.h"
#include "coordsys/core/CsCore.h"
#include "projections/NerthProjection.h"
#include "projections/ProjectionTable.h"
#include "projections/tests/FamilySystemChecks.h"

namespace {

CsCoordSysDef Plain() {
    CsCoordSysDef def{};
    std::strcpy(def.key, "TEST-NERTH");
    std::strcpy(def.ellipsoidKey, "WGS84");
    std::strcpy(def.projectionKey, "NERTH");
    std::strcpy(def.unit, "METER");
    def.scaleReduction = 1.0;
    def.mapScale = 1.0;
    def.quadrant = 1;
    return def;
}

class NerthProjection : public familytest::FamilyTest {};

TEST_F(NerthProjection, CheckRefusesADatum) {
    struct Case {
        const char* what;
        std::function<void(CsCoordSysDef&)> change;
        int error;  // 0: valid
    } cases[] = {
        {"an ellipsoid only", [](auto&) {}, 0},
        {"a datum", [](auto& d) { std::strcpy(d.datumKey, "WGS84"); }, 252},
    };
    for (const Case& c : cases) {
        CsCoordSysDef def = Plain();
        c.change(def);
        int errors[4] = {};
        EXPECT_EQ(CS_nerthCheck(&def, 55, errors, 4), c.error == 0 ? 0 : 1) << c.what;
        EXPECT_EQ(errors[0], c.error) << c.what;
    }
}

TEST_F(NerthProjection, ScalesByTenToTheFifty) {
    CsPtr<CsParams> params = Build(Plain());
    ASSERT_TRUE(params);
    const double in[3] = {1e-50, 0.0, 0.0};
    double xy[3];
    EXPECT_EQ(CS_forwardProject(params.get(), xy, in), 0);
    EXPECT_DOUBLE_EQ(xy[0], 1.0);
    EXPECT_EQ(xy[1], 0.0);

    // A false origin and a quadrant both ways, back exactly up to rounding.
    for (int quadrant : {1, 2, -3}) {
        CsCoordSysDef def = Plain();
        def.falseEasting = 1000.0;
        def.falseNorthing = -500.0;
        def.quadrant = static_cast<std::int16_t>(quadrant);
        params = Build(def);
        ASSERT_TRUE(params);
        const double point[3] = {123.25e-50, -77.5e-50, 4.0};
        double back[3];
        ASSERT_EQ(CS_forwardProject(params.get(), xy, point), 0);
        if (quadrant == 1) {
            EXPECT_DOUBLE_EQ(xy[0], 1123.25);
            EXPECT_DOUBLE_EQ(xy[1], -577.5);
        }
        ASSERT_EQ(CS_inverseProject(params.get(), back, xy), 0);
        EXPECT_NEAR(back[0] / point[0], 1.0, 1e-14) << quadrant;
        EXPECT_NEAR(back[1] / point[1], 1.0, 1e-14) << quadrant;
        EXPECT_EQ(back[2], 4.0);
    }
}

TEST_F(NerthProjection, LimitChecksRefuseAxesAndRealAngles) {
    CsPtr<CsParams> params = Build(Plain());
    ASSERT_TRUE(params);
    const CsProjectionConstants* c = CS_constants(params.get());
    struct Case {
        double x, y;
        int cartesian;
    } xyCases[] = {
        {5.0, 7.0, 0},        {0.0, 7.0, 1}, {5.0, 1e-41, 1},
        {-9999999.0, 7.0, 0}, {1e7, 7.0, 1}, {5.0, -10000000.0, 1},
    };
    for (const Case& k : xyCases) {
        const double points[2][3] = {{1.0, 1.0, 0.0}, {k.x, k.y, 0.0}};
        EXPECT_EQ(params->checkCartesian(c, 2, points), k.cartesian) << k.x << " " << k.y;
    }
    const double scaled[1][3] = {{3e-48, -2e-47, 0.0}};
    EXPECT_EQ(params->checkGeographic(c, 1, scaled), 0);
    const double real[2][3] = {{3e-48, -2e-47, 0.0}, {-123.0, 45.0, 0.0}};
    EXPECT_EQ(params->checkGeographic(c, 2, real), 1);
    const double tiny[1][3] = {{0.0, 1e-39, 0.0}};
    EXPECT_EQ(params->checkGeographic(c, 1, tiny), 1);

    // Default ranges: +-f in "degrees", +-1e7 in x and y.
    EXPECT_EQ(params->minLongitude, -1e-50);
    EXPECT_EQ(params->maxLatitude, 1e-50);
    EXPECT_EQ(params->minX, -1e7);
    EXPECT_EQ(params->maxY, 1e7);
}

// Non-earth coordinates have no longitude and latitude to give: the library
// builds no conversion between such a system and an earth one.
TEST_F(NerthProjection, NoConversionToOrFromTheEarth) {
    CsPtr<CsParams> plain(CS_loadCoordSys("EXAMPLE-NERTH"));
    ASSERT_TRUE(plain) << CS_lastMessage();
    CsPtr<CsParams> geographic(CS_loadCoordSys("LL84"));
    ASSERT_TRUE(geographic) << CS_lastMessage();
    EXPECT_EQ(CS_datumConverterNew(plain.get(), geographic.get(), 3, 3), nullptr);
    EXPECT_EQ(CS_lastError(), 358);
    EXPECT_STREQ(CS_lastMessage(),
                 "Conversion from a NERTH type definition to another type is not supported.");
    EXPECT_EQ(CS_datumConverterNew(geographic.get(), plain.get(), 3, 3), nullptr);
    EXPECT_EQ(CS_lastError(), 358);
    CsDatumConverter* same = CS_datumConverterNew(plain.get(), plain.get(), 3, 3);
    EXPECT_NE(same, nullptr);
    CS_datumConverterFree(same);
}

TEST_F(NerthProjection, TheProgramRefusesToConvertLatLongToIt) {
    for (const char* option :
         {"/COORDSYS:IN:LL84:OUT:EXAMPLE-NERTH", "/COORDSYS:IN:EXAMPLE-NERTH:OUT:LL84"}) {
        SCOPED_TRACE(option);
        wlxtest::TempDir dir;
        wlxtest::WriteText(dir / "pts.csv", "\"p1\",\"plain\",45.5,-123.25\n");
        wlxtest::RunOptions options;
        options.workingDirectory = dir.path();
        auto run =
            wlxtest::RunWlxconv({"/IC", "/OL", "/COORDPREC:64", option, "pts.csv", "out"}, options);
        EXPECT_EQ(run.exitCode, 1) << run.out;
        const std::string message =
            "*Error* : Conversion from a NERTH type definition to another type is not "
            "supported.\n";
        EXPECT_NE(run.out.find(message), std::string::npos) << run.out;
        EXPECT_FALSE(std::filesystem::exists(dir / "out.wlt")) << run.out;
    }
}

}  // namespace
