// Multiple regression: .MRT files written field by field at their documented
// offsets, the polynomials, the fallback outside their range and the failures.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "common/ByteOrder.h"
#include "coordsys/CsParams.h"
#include "coordsys/datum/DatumErrors.h"
#include "coordsys/datum/MultipleRegression.h"
#include "testing/TestSupport.h"

namespace {

using byteorder::Endian;

constexpr double kK = 0.05;
constexpr double kLatOffset = -50.0, kLonOffset = -10.0;

// A record with longitude = 2 + 3 U, latitude = 0.5 V - 0.25 U V (seconds)
// and height = 1.5 U^2 V^3 (metres), written byte by byte; the four bytes at
// 12 hold a pattern that must not be read as a mask.
std::vector<std::uint8_t> MrtBytes() {
    std::vector<std::uint8_t> b(1288, 0);
    byteorder::Store<Endian::kLittle>(std::uint32_t{0x800d0019}, &b[0]);
    byteorder::Store<Endian::kLittle>(std::int32_t{1288}, &b[4]);
    b[8] = 4;   // powers of U
    b[9] = 4;   // powers of V
    b[10] = 2;  // first latitude coefficient
    b[11] = 4;  // first height coefficient
    byteorder::Store<Endian::kLittle>(std::uint32_t{0xFFFFFFFF}, &b[12]);
    auto bit = [](int n) { return 0x80000000u >> n; };
    byteorder::Store<Endian::kLittle>(bit(0) | bit(1), &b[16]);        // U^0 V^0, U^1 V^0
    byteorder::Store<Endian::kLittle>(bit(10) | bit(11), &b[32]);      // V, U V
    byteorder::Store<Endian::kLittle>(std::uint32_t{bit(0)}, &b[52]);  // bit 32: U^2 V^3
    byteorder::Store<Endian::kLittle>(kK, &b[64]);
    byteorder::Store<Endian::kLittle>(kLatOffset, &b[72]);
    byteorder::Store<Endian::kLittle>(kLonOffset, &b[80]);
    const double coefficients[] = {2.0, 3.0, 0.5, -0.25, 1.5};
    for (int i = 0; i < 5; ++i) byteorder::Store<Endian::kLittle>(coefficients[i], &b[88 + 8 * i]);
    return b;
}

CsDatumBlock Datum(const char* key, double dx, double dy, double dz) {
    CsDatumBlock d{};
    std::strcpy(d.key, key);
    d.equatorialRadius = 6378388.0;
    d.flattening = 1 / 297.0;
    d.polarRadius = d.equatorialRadius * (1 - d.flattening);
    d.eccentricity = std::sqrt(2 * d.flattening - d.flattening * d.flattening);
    d.deltaX = dx, d.deltaY = dy, d.deltaZ = dz;
    return d;
}

CsDatumBlock Wgs84() {
    CsDatumBlock w = Datum("WGS84", 0, 0, 0);
    w.equatorialRadius = 6378137.0;
    w.flattening = 1 / 298.257223563;
    w.polarRadius = w.equatorialRadius * (1 - w.flattening);
    w.eccentricity = std::sqrt(2 * w.flattening - w.flattening * w.flattening);
    return w;
}

// A dictionary directory of its own holding .MRT files.
class MultipleRegression : public ::testing::Test {
protected:
    void SetUp() override {
        wlxtest::WriteText(dir_ / "Coordsys.CSD", "");
        ASSERT_EQ(CS_setDictionaryDirectory(dir_.path().string().c_str()), 0);
    }
    void TearDown() override { CS_setDictionaryDirectory(wlxtest::BinDir().string().c_str()); }

    wlxtest::TempDir dir_;
    CsDatumBlock wgs84_ = Wgs84();
};

TEST_F(MultipleRegression, EvaluatesTheFilesPolynomialsAtTheirOffsets) {
    wlxtest::WriteBytes(dir_ / "mregtest.mrt", MrtBytes());  // found in any letter case
    CsDatumBlock datum = Datum("MREGTEST", -87, -98, -121);
    CsMultipleRegression* method = CS_setupMultipleRegression(&datum, &wgs84_);
    ASSERT_NE(method, nullptr) << CS_lastMessage();
    EXPECT_EQ(method->fallbackKind, CsDatumShiftMethod::kMolodensky);

    const double in[3] = {14.0, 58.0, 100.0};
    const double u = (58.0 + kLatOffset) * kK, v = (14.0 + kLonOffset) * kK;
    double out[3];
    ASSERT_EQ(CS_evalMultipleRegression(out, in, method), 0);
    EXPECT_NEAR(out[0], 14.0 + (2 + 3 * u) / 3600, 1e-15);
    EXPECT_NEAR(out[1], 58.0 + (0.5 * v - 0.25 * u * v) / 3600, 1e-15);
    EXPECT_NEAR(out[2], 100.0 + 1.5 * u * u * v * v * v, 1e-12);

    ASSERT_EQ(CS_multipleRegressionForward(out, in, method), 0);
    EXPECT_EQ(out[2], 100.0);
    double back[3];
    ASSERT_EQ(CS_multipleRegressionInverse(back, out, method), 0);
    EXPECT_NEAR(back[0], 14.0, 1e-9);
    EXPECT_NEAR(back[1], 58.0, 1e-9);
    CS_multipleRegressionFree(method);
}

TEST_F(MultipleRegression, FallsBackOutsideItsRangeAndSaysSo) {
    wlxtest::WriteBytes(dir_ / "MREGTEST.MRT", MrtBytes());
    CsDatumBlock datum = Datum("MREGTEST", -87, -98, -121);
    CsMultipleRegression* method = CS_setupMultipleRegression(&datum, &wgs84_);
    ASSERT_NE(method, nullptr) << CS_lastMessage();
    // |U| = 1.401 lies at latitude 50 + 28.02.
    const double inside[3] = {10.0, 50.0 + 28.0199, 0};
    const double outside[3] = {10.0, 50.0 + 28.0201, 0};
    double out[3];
    CS_reportError(0);
    EXPECT_EQ(CS_multipleRegressionForward(out, inside, method), 0);
    EXPECT_EQ(CS_lastError(), 0);
    // The fallback's result is a fallback (2), never an inverse that failed.
    EXPECT_EQ(CS_multipleRegressionForward(out, outside, method), 2);
    EXPECT_EQ(CS_lastError(), kCsErrMregRange);
    double molodensky[3];
    CsMolodensky* fallback = CS_molodenskySetup(&datum, &wgs84_);
    CS_molodenskyForward(molodensky, outside, fallback);
    EXPECT_EQ(out[0], molodensky[0]);
    EXPECT_EQ(out[1], molodensky[1]);
    double back[3];
    EXPECT_EQ(CS_multipleRegressionInverse(back, out, method), 2);
    EXPECT_NEAR(back[1], outside[1], 1e-9);
    CS_free(fallback);
    CS_multipleRegressionFree(method);
}

TEST_F(MultipleRegression, WithoutTranslationsThereIsNoFallback) {
    wlxtest::WriteBytes(dir_ / "MREGTEST.MRT", MrtBytes());
    CsDatumBlock datum = Datum("MREGTEST", 0, 0, 0);
    CsMultipleRegression* method = CS_setupMultipleRegression(&datum, &wgs84_);
    ASSERT_NE(method, nullptr);
    EXPECT_EQ(method->fallbackKind, CsDatumShiftMethod::kNone);
    const double far[3] = {80.0, 0.0, 0};
    double out[3];
    EXPECT_EQ(CS_multipleRegressionForward(out, far, method), -1);
    EXPECT_EQ(CS_lastError(), kCsErrMregNoFallback);
    EXPECT_EQ(out[0], 80.0);
    CS_multipleRegressionFree(method);
}

TEST_F(MultipleRegression, RefusesMissingAndDamagedFiles) {
    auto patched = [](std::size_t at, std::vector<std::uint8_t> bytes) {
        std::vector<std::uint8_t> b = MrtBytes();
        std::copy(bytes.begin(), bytes.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
        return b;
    };
    std::vector<std::uint8_t> truncated = MrtBytes();
    truncated.resize(6);
    std::vector<std::uint8_t> shorter = MrtBytes();
    shorter.resize(1000);
    byteorder::Store<Endian::kLittle>(std::int32_t{1000}, &shorter[4]);
    const struct {
        const char* what;
        std::vector<std::uint8_t> bytes;
        int code;
    } cases[] = {
        {"another magic", patched(0, {0x18, 0x00, 0x0d, 0x80}), kCsErrMregCorrupt},
        {"a record size that is not the file's", patched(4, {0x00, 0x05, 0, 0}), kCsErrCorrupt},
        {"a record that says it is shorter", shorter, kCsErrCorrupt},
        {"truncated", truncated, kCsErrCorrupt},
        {"eleven powers of U", patched(8, {11}), kCsErrMregCorrupt},
        {"terms beyond the 150 coefficients", patched(11, {150}), kCsErrMregCorrupt},
        {"a scale that is not a number", patched(64, {0, 0, 0, 0, 0, 0, 0xf8, 0x7f}),
         kCsErrMregCorrupt},
    };
    CsDatumBlock datum = Datum("MREGTEST", -87, -98, -121);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        wlxtest::WriteBytes(dir_ / "MREGTEST.MRT", c.bytes);
        EXPECT_EQ(CS_setupMultipleRegression(&datum, &wgs84_), nullptr);
        EXPECT_EQ(CS_lastError(), c.code);
        EXPECT_NE(std::string(CS_errorContext()).find("MREGTEST.MRT"), std::string::npos);
    }
    std::filesystem::remove(dir_ / "MREGTEST.MRT");
    EXPECT_EQ(CS_setupMultipleRegression(&datum, &wgs84_), nullptr);
    EXPECT_EQ(CS_lastError(), kCsErrMregMissing);
    EXPECT_EQ(std::string(CS_lastMessage()), "Multiple Regression file named " +
                                                 (dir_ / "MREGTEST.MRT").string() +
                                                 " not found in data directory.");
}

// The shipped ED50-MREG.MRT follows its datum's Molodensky shift as closely as
// its fit promises (data/fit_ed50_mrt.py).
TEST(ShippedMultipleRegression, FollowsItsFallbackInsideItsRange) {
    ASSERT_EQ(CS_setDictionaryDirectory(wlxtest::BinDir().string().c_str()), 0);
    CsPtr<CsDatumBlock> datum(CS_loadDatum("ED50-MREG"));
    CsPtr<CsDatumBlock> wgs84(CS_loadDatum("WGS84"));
    ASSERT_TRUE(datum && wgs84) << CS_lastMessage();
    CsMultipleRegression* method = CS_setupMultipleRegression(datum.get(), wgs84.get());
    ASSERT_NE(method, nullptr) << CS_lastMessage();
    ASSERT_EQ(method->fallbackKind, CsDatumShiftMethod::kMolodensky);
    for (double lat : {36.0, 45.5, 52.0, 60.25, 70.0}) {
        for (double lon : {-8.0, 2.5, 10.0, 20.0, 30.0}) {
            const double in[3] = {lon, lat, 0};
            double regression[3], molodensky[3];
            ASSERT_EQ(CS_multipleRegressionForward(regression, in, method), 0);
            CS_datumShiftForward(method->fallbackKind, method->fallback, molodensky, in);
            EXPECT_NEAR(regression[0], molodensky[0], 0.27 / 3600) << lon << " " << lat;
            EXPECT_NEAR(regression[1], molodensky[1], 0.001 / 3600) << lon << " " << lat;
        }
    }
    CS_multipleRegressionFree(method);
}

}  // namespace
