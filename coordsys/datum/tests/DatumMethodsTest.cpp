// The parameter methods against PROJ (golden files of tests/data filled by
// cct pipelines) on the datums of the shipped dictionary, and their failures.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>

#include "coordsys/CsParams.h"
#include "coordsys/datum/DatumErrors.h"
#include "coordsys/datum/DatumMethods.h"
#include "coordsys/datum/tests/GoldenFile.h"
#include "testing/TestSupport.h"

namespace {

using datumtest::Golden;

class DatumMethods : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(CS_setDictionaryDirectory(wlxtest::BinDir().string().c_str()), 0);
    }
};

// The WGS84 block as the converter keeps it: no rotations, no scale.
CsPtr<CsDatumBlock> Wgs84() {
    CsPtr<CsDatumBlock> wgs84(CS_loadDatum("WGS84"));
    EXPECT_TRUE(wgs84) << CS_lastMessage();
    if (wgs84) wgs84->rotX = wgs84->rotY = wgs84->rotZ = wgs84->bwScale = 0.0;
    return wgs84;
}

CsDatumShiftMethod StepOfDatum(int datumMethod) {
    switch (datumMethod) {
        case 1:
            return CsDatumShiftMethod::kMolodensky;
        case 2:
            return CsDatumShiftMethod::kMultipleRegression;
        case 3:
            return CsDatumShiftMethod::kBursaWolf;
        case 9:
            return CsDatumShiftMethod::kSevenParameter;
        case 11:
            return CsDatumShiftMethod::kThreeParameter;
        case 12:
            return CsDatumShiftMethod::kSixParameter;
        case 13:
            return CsDatumShiftMethod::kFourParameter;
    }
    return CsDatumShiftMethod::kNone;
}

// A datum block of the given figure and parameters, without the dictionary.
CsDatumBlock Block(double a, double rf, double dx, double dy, double dz, double rx = 0,
                   double ry = 0, double rz = 0, double scale = 0) {
    CsDatumBlock b{};
    std::strcpy(b.key, "TEST");
    b.equatorialRadius = a;
    b.flattening = rf == 0 ? 0 : 1 / rf;
    b.polarRadius = a * (1 - b.flattening);
    b.eccentricity = std::sqrt(2 * b.flattening - b.flattening * b.flattening);
    b.deltaX = dx, b.deltaY = dy, b.deltaZ = dz;
    b.rotX = rx, b.rotY = ry, b.rotZ = rz;
    b.bwScale = scale;
    return b;
}

TEST_F(DatumMethods, MatchProjForwardAndInverse) {
    const std::vector<Golden> files = datumtest::GoldenFiles("method");
    ASSERT_GE(files.size(), 7u);
    CsPtr<CsDatumBlock> wgs84 = Wgs84();
    ASSERT_TRUE(wgs84);
    for (const Golden& golden : files) {
        SCOPED_TRACE(golden.path.filename().string());
        CsPtr<CsDatumBlock> datum(CS_loadDatum(golden.Field("datum").c_str()));
        ASSERT_TRUE(datum) << CS_lastMessage();
        const CsDatumShiftMethod method = StepOfDatum(datum->method);
        void* object = CS_datumShiftSetup(method, datum.get(), wgs84.get());
        ASSERT_NE(object, nullptr) << CS_lastMessage();
        const double tolerance = std::stod(golden.Field("tolerance", "1e-9"));
        double worstForward = 0, worstInverse = 0;
        for (const auto& row : golden.rows) {
            ASSERT_EQ(row.values.size(), 4u);
            const double in[3] = {row.values[0], row.values[1], 12.5};
            double out[3];
            EXPECT_EQ(CS_datumShiftForward(method, object, out, in), 0) << CS_lastMessage();
            worstForward = std::max({worstForward, std::fabs(out[0] - row.values[2]),
                                     std::fabs(out[1] - row.values[3])});
            EXPECT_EQ(out[2], 12.5);
            // The inverse of PROJ's forward result lands on the input, within
            // the tolerance as an arc on the ground: the inverse stops 1e-9
            // degree from the forward's target, and near a pole that is a
            // larger angle of longitude.
            const double shifted[3] = {row.values[2], row.values[3], -3.0};
            EXPECT_EQ(CS_datumShiftInverse(method, object, out, shifted), 0) << CS_lastMessage();
            const double cosLat = std::cos(row.values[1] * std::numbers::pi / 180);
            worstInverse = std::max(worstInverse, std::hypot((out[0] - row.values[0]) * cosLat,
                                                             out[1] - row.values[1]));
            EXPECT_EQ(out[2], -3.0);
        }
        EXPECT_LE(worstForward, tolerance);
        EXPECT_LE(worstInverse, tolerance);
        std::printf("%s: forward %.3g, inverse %.3g degree\n",
                    golden.path.filename().string().c_str(), worstForward, worstInverse);
        CS_datumShiftFree(method, object);
    }
}

TEST_F(DatumMethods, MolodenskyKeepsTheLongitudeAtThePoles) {
    CsDatumBlock wgs84 = Block(6378137, 298.257223563, 0, 0, 0);
    CsDatumBlock datum = Block(6378206.4, 294.9786982, -8, 160, 176);
    CsPtr<CsMolodensky> method(CS_molodenskySetup(&datum, &wgs84));
    ASSERT_TRUE(method);
    for (double latitude : {90.0, -90.0}) {
        const double in[3] = {-98.5, latitude, 0};
        double out[3];
        EXPECT_EQ(CS_molodenskyShift(out, in, method.get()), 0);
        EXPECT_EQ(out[0], -98.5);
        EXPECT_TRUE(std::isfinite(out[1]));
    }
}

TEST_F(DatumMethods, InversesThatCannotConvergeReportTheirMethod) {
    CsDatumBlock wgs84 = Block(6378137, 298.257223563, 0, 0, 0);
    // Shifts as large as the earth make the iteration wander.
    CsDatumBlock wild = Block(6378388, 297, 4e6, -3e6, 5e6, 1e5, -2e5, 3e5, 0);
    const struct {
        CsDatumShiftMethod method;
        int code;
    } cases[] = {
        {CsDatumShiftMethod::kMolodensky, kCsErrMolodenskyInverse},
        {CsDatumShiftMethod::kBursaWolf, kCsErrBursaWolfInverse},
        {CsDatumShiftMethod::kSevenParameter, kCsErrSevenParamInverse},
        {CsDatumShiftMethod::kSixParameter, kCsErrSixParamInverse},
        {CsDatumShiftMethod::kThreeParameter, kCsErrThreeParamInverse},
        {CsDatumShiftMethod::kFourParameter, kCsErrFourParamInverse},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.method));
        void* object = CS_datumShiftSetup(c.method, &wild, &wgs84);
        ASSERT_NE(object, nullptr);
        const double in[3] = {10.25, 60.5, 7};
        double out[3] = {1, 2, 3};
        CS_reportError(0);
        const int status = CS_datumShiftInverse(c.method, object, out, in);
        if (status == -1) {
            // The output holds the input.
            EXPECT_EQ(out[0], 10.25);
            EXPECT_EQ(out[1], 60.5);
        }
        EXPECT_TRUE(status == -1 || status == 1) << status;
        EXPECT_TRUE(CS_lastError() == c.code || CS_lastError() == kCsErrGeocentric)
            << CS_lastError();
        CS_datumShiftFree(c.method, object);
    }
}

TEST_F(DatumMethods, ScaleBearingSetupsRefuseAWgs84ScaleOfZero) {
    CsDatumBlock wgs84 = Block(6378137, 298.257223563, 0, 0, 0, 0, 0, 0, -1e6);
    CsDatumBlock datum = Block(6378388, 297, -87, -98, -121, 0, 0, 0, 1);
    for (auto method : {CsDatumShiftMethod::kBursaWolf, CsDatumShiftMethod::kSevenParameter,
                        CsDatumShiftMethod::kFourParameter}) {
        EXPECT_EQ(CS_datumShiftSetup(method, &datum, &wgs84), nullptr);
        EXPECT_EQ(CS_lastError(), kCsErrInternal);
    }
    void* six = CS_datumShiftSetup(CsDatumShiftMethod::kSixParameter, &datum, &wgs84);
    EXPECT_NE(six, nullptr);
    CS_free(six);
}

TEST(Geocentric, ConvertsBothWaysAndReportsNoConvergence) {
    const double a = 6378137, e2 = 0.00669437999014;
    double xyz[3], llh[3];
    const double equator[3] = {0, 0, 0};
    CS_geodeticToGeocentric(xyz, equator, a, e2);
    EXPECT_DOUBLE_EQ(xyz[0], a);
    EXPECT_NEAR(xyz[1], 0, 1e-9);
    const double point[3] = {-123.25, 49.75, 100.5};
    CS_geodeticToGeocentric(xyz, point, a, e2);
    ASSERT_EQ(CS_geocentricToGeodetic(llh, xyz, a, e2), 0);
    EXPECT_NEAR(llh[0], point[0], 1e-12);
    EXPECT_NEAR(llh[1], point[1], 1e-11);
    EXPECT_NEAR(llh[2], point[2], 1e-6);
    // An eccentricity close to 1 slows the latitude's iteration beyond 9 rounds.
    CS_geodeticToGeocentric(xyz, point, a, 0.999);
    EXPECT_EQ(CS_geocentricToGeodetic(llh, xyz, a, 0.999), -1);
    EXPECT_EQ(CS_lastError(), kCsErrGeocentric);
}

TEST(Wgs72, ShiftsByTheFormulaAndBack) {
    // Worked from the published formula: 0.554" east everywhere; at the
    // equator 0.145527" north and 0.6 m down.
    const struct {
        double latitude, dLatArcsec, dHeight;
    } cases[] = {{0, 0.1455271, -0.6}, {45, 0.1093409, 2.6815131}, {-45, 0.0964656, -3.6824479}};
    for (const auto& c : cases) {
        const double in[3] = {20, c.latitude, 10};
        double out[3], back[3];
        EXPECT_EQ(CS_wgs72Forward(out, in), 0);
        EXPECT_NEAR((out[0] - 20) * 3600, 0.554, 1e-9);
        EXPECT_NEAR((out[1] - c.latitude) * 3600, c.dLatArcsec, 1e-6) << c.latitude;
        EXPECT_NEAR(out[2] - 10, c.dHeight, 1e-6) << c.latitude;
        EXPECT_EQ(CS_wgs72Inverse(back, out), 0);
        EXPECT_NEAR(back[0], 20, 1e-12);
        EXPECT_NEAR(back[1], c.latitude, 1e-8);
    }
}

TEST(NullShift, CopiesThePoint) {
    const double in[3] = {1.5, -2.5, 3.5};
    double out[3];
    EXPECT_EQ(CS_nullShift(out, in), 0);
    EXPECT_EQ(std::memcmp(in, out, sizeof in), 0);
}

}  // namespace
