#include <gtest/gtest.h>

#include <complex>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>

#include "coordsys/core/CsCore.h"
#include "coordsys/core/CsDictionary.h"
#include "testing/TestSupport.h"

namespace {

std::string Message(int code) {
    char buffer[kCsMessageSize];
    CS_formatErrorMessage(buffer, sizeof buffer, code);
    return buffer;
}

TEST(UnitTable, HoldsSixtyUnitsThenFreeRows) {
    int linear = 0, angular = 0, free = 0, rows = 0;
    for (const CsUnitEntry* u = cs_UnitTable; u->type != 0; ++u, ++rows) {
        linear += u->type == kCsLinearUnit;
        angular += u->type == kCsAngularUnit;
        free += u->type == 'z';
    }
    EXPECT_EQ(linear, 49);
    EXPECT_EQ(angular, 11);
    EXPECT_EQ(free, 8);
    EXPECT_EQ(rows, 68);
}

TEST(UnitLookup, FindsByNameThenAbbreviation) {
    struct Case {
        int type;
        const char* name;
        double factor;
    } cases[] = {
        {'L', " [Foot] ", 0.3048006096012192},
        {'L', "FT", 0.3048006096012192},
        {'L', "(meter)", 1.0},
        {'L', "IFoot", 0.3048},
        {'L', "MicroInch", 2.54e-08},
        {'L', "Mil", 2.54e-05},
        {'L', "ML", 2.54e-05},
        {'L', "Dekameter", 10.0},
        {'R', "Mil", 0.05625},
        {'R', "Grad", 0.9},
        {'R', "GRADE", 0.9},
        {'R', "degree", 1.0},
        {'R', "RA", 57.29577951308232},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CS_unitLookup(c.type, c.name), c.factor) << c.name;
    }
}

TEST(UnitLookup, ReportsUnknownNamesAndTypes) {
    EXPECT_EQ(CS_unitLookup('L', "Degree"), 0.0);
    EXPECT_EQ(CS_lastError(), 119);
    EXPECT_STREQ(CS_lastMessage(), "Unknown unit name (Degree) detected.");
    EXPECT_EQ(CS_unitLookup('L', "   "), 0.0);
    EXPECT_EQ(CS_lastError(), 119);
    EXPECT_EQ(CS_unitLookup('X', "Meter"), -183.0);
    EXPECT_EQ(CS_lastError(), 183);
}

TEST(ErrorTable, CodesAreUniqueAndKindsKnown) {
    std::set<int> codes;
    int rows = 0;
    for (const CsErrorEntry* e = cs_ErrorTable; e->code != 0; ++e, ++rows) {
        EXPECT_TRUE(codes.insert(e->code).second) << e->code;
        EXPECT_GE(e->kind, 0);
        EXPECT_LE(e->kind, 2);
        if (e->kind == kCsPlainMessage) {
            EXPECT_EQ(std::strstr(e->text, "%s"), nullptr) << e->code;
        }
    }
    EXPECT_EQ(rows, 270);
}

TEST(ErrorTable, FormatsEachKind) {
    CS_setErrorContext("UTM83-10");
    EXPECT_EQ(Message(103), "Coordinate system named UTM83-10 does not exist.");
    EXPECT_EQ(Message(211), "UTM83-10 :: System must be referenced to a datum or an ellipsoid.");
    EXPECT_EQ(Message(253),
              "UTM83-10 :: OSTN97.TXT grid shift file could not be located or opened with read "
              "access.");
    EXPECT_EQ(Message(104), "Insufficient memory available.");
    EXPECT_EQ(Message(369),
              "Data to be converted was outside the usable range of the multiple regression "
              "formula, and fallback data is not supplied in definition.");
    CS_setErrorPosition(-12, 45);
    EXPECT_EQ(Message(131), "NADCON data for 12W:45N is not available.");
    CS_setErrorPosition(7, -3);
    EXPECT_EQ(Message(131), "NADCON data for 7E:3S is not available.");
    EXPECT_EQ(Message(999), "Error condition #999 encountered; no message in table.");
    EXPECT_EQ(CS_lastError(), 999);
}

TEST(ErrorTable, StopsAtTheBufferSize) {
    char buffer[12];
    std::memset(buffer, 'x', sizeof buffer);
    CS_setErrorContext("ABCDEFGHIJKLMNOP");
    CS_formatErrorMessage(buffer, 8, 118);
    EXPECT_STREQ(buffer, "ABCDEFG");
    EXPECT_EQ(buffer[8], 'x');
    CS_reportError(118);
    EXPECT_STREQ(CS_lastMessage(), "ABCDEFGHIJKLMNOP is not a valid key name.");
}

TEST(KeyName, AcceptsAndNormalises) {
    struct Case {
        const char* input;
        int error;  // 0: accepted
        const char* normalised;
    } cases[] = {
        {"UTM83-10", 0, "UTM83-10"},
        {"LL84", 0, "LL84"},
        {"  [LL84]  ", 0, "LL84"},
        {"(NAD 27)", 0, "NAD 27"},
        {":12AB", 0, ":12AB"},
        {"_X", 0, "_X"},
        {"ABCDEFGHIJKLMNOPQRSTUVW", 0, "ABCDEFGHIJKLMNOPQRSTUVW"},  // 23 characters
        {"ABCDEFGHIJKLMNOPQRSTUVWX", 118, nullptr},                 // 24: never cut
        {"A  B", 193, nullptr},
        {"123", 118, nullptr},
        {"A:B:C", 118, nullptr},
        {"12-AB", 118, nullptr},
        {"A*B", 118, nullptr},
        {"", 118, nullptr},
        {"[]", 118, nullptr},
    };
    for (const Case& c : cases) {
        char name[64];
        std::strcpy(name, c.input);
        int result = CS_checkKeyName(name);
        if (c.error == 0) {
            EXPECT_EQ(result, 0) << c.input;
            EXPECT_STREQ(name, c.normalised);
        } else {
            EXPECT_EQ(result, -1) << c.input;
            EXPECT_EQ(CS_lastError(), c.error) << c.input;
        }
    }
}

TEST(Quadrant, FlagsRoundTripAndOrder) {
    const int expected[9] = {6, 7, 5, 4, 0, 0, 1, 3, 2};
    for (int q = -4; q <= 4; ++q) EXPECT_EQ(CS_quadrantFlags(q), expected[q + 4]) << q;

    double out[2];
    CS_quadForward(out, 3.0, 5.0, 100.0, 200.0, CS_quadrantFlags(-1));
    EXPECT_EQ(out[0], 205.0);  // quadrant -1 swaps: x goes second
    EXPECT_EQ(out[1], 103.0);
    for (int flags = 0; flags < 8; ++flags) {
        CS_quadForward(out, 3.0, -5.0, 10.0, 20.0, flags);
        double x, y;
        CS_quadInverse(&x, &y, out, 10.0, 20.0, flags);
        EXPECT_EQ(x, 3.0) << flags;
        EXPECT_EQ(y, -5.0) << flags;
    }
    double min[2] = {-1.0, -2.0}, max[2] = {3.0, 4.0};
    CS_quadMinMax(min, max, 10.0, 20.0, 3);  // both negated
    EXPECT_EQ(min[0], 7.0);
    EXPECT_EQ(min[1], 16.0);
    EXPECT_EQ(max[0], 11.0);
    EXPECT_EQ(max[1], 22.0);
}

TEST(Strings, FoldAsciiLettersOnly) {
    EXPECT_EQ(CS_stricmp("utm27-10", "UTM27-10"), 0);
    EXPECT_LT(CS_stricmp("LL27", "LL83"), 0);
    EXPECT_EQ(CS_stricmp("[", "{"), '[' - '{');  // only 'A'-'Z' fold
    EXPECT_EQ(CS_strnicmp("ABCx", "abcy", 3), 0);
    EXPECT_EQ(CS_strnicmp("A", "B", 0), 0);
    const char* hay = "Transverse Mercator";
    EXPECT_EQ(CS_stristr(hay, "MERC"), hay + 11);
    EXPECT_EQ(CS_stristr(hay, ""), nullptr);
    EXPECT_EQ(CS_stristr(hay, "lambert"), nullptr);

    char text[32] = " \t key name \r\n";
    EXPECT_EQ(CS_trim(text), 8);
    EXPECT_STREQ(text, "key name");
    char dest[8];
    EXPECT_EQ(CS_strNCopy(dest, "abcdefghij", 5), dest + 4);
    EXPECT_STREQ(dest, "abcd");
    EXPECT_EQ(CS_strNCopy(dest, "abc", 0), nullptr);
    EXPECT_EQ(CS_strCopy(dest, "xyz"), dest + 3);
}

TEST(Numbers, ArcsecondsAndIntegers) {
    EXPECT_EQ(CS_degToArcsec(1.0), 3600);
    EXPECT_EQ(CS_degToArcsec(-0.5), -1800);
    EXPECT_EQ(CS_degToArcsec(1.0 / 3600.0), 1);  // the 1e-12 nudge survives rounding
    char buffer[5];
    CS_formatInt(buffer, sizeof buffer, -123);
    EXPECT_STREQ(buffer, "-123");
    CS_formatInt(buffer, sizeof buffer, 123456);
    EXPECT_STREQ(buffer, "123*");
}

TEST(ByteOrder, SwapsByFormat) {
    unsigned char record[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17};
    CS_swapByFormat(record, "cs2xld");
    const unsigned char expected[] = {1, 3, 2, 4, 5, 9, 8, 7, 6, 17, 16, 15, 14, 13, 12, 11, 10};
    EXPECT_EQ(std::memcmp(record, expected, sizeof record), 0);
    unsigned char twice[] = {1, 2, 3, 4};
    CS_swapByFormat(twice, "2s");
    EXPECT_EQ(twice[0], 2);
    EXPECT_EQ(twice[3], 3);
    unsigned char host[4] = {1, 2, 3, 4};
    EXPECT_EQ(CS_byteSwap(host, "l"), 0);  // the build hosts are little-endian
    EXPECT_EQ(host[0], 1);
}

TEST(Complex, ArithmeticAndPolynomials) {
    const double a[2] = {1.5, -2.0}, b[2] = {0.5, 3.0}, zero[2] = {0.0, 0.0};
    double out[2];
    CS_cmplxDiv(a, zero, out);
    EXPECT_EQ(out[0], 1e32);
    EXPECT_EQ(out[1], 1e32);
    CS_cmplxDiv(a, b, out);
    std::complex<double> q = std::complex<double>(1.5, -2.0) / std::complex<double>(0.5, 3.0);
    EXPECT_NEAR(out[0], q.real(), 1e-15);
    EXPECT_NEAR(out[1], q.imag(), 1e-15);
    EXPECT_DOUBLE_EQ(CS_cmplxAbs(b), std::abs(std::complex<double>(0.5, 3.0)));

    const double c[5][2] = {{1, 2}, {-3, 0.5}, {0.25, -1}, {2, 2}, {-0.5, 1.5}};
    const double z[2] = {0.7, -0.4};
    std::complex<double> zz(z[0], z[1]), sum, derivative, weighted;
    for (int k = 0; k <= 4; ++k) {
        std::complex<double> ck(c[k][0], c[k][1]);
        sum += ck * std::pow(zz, k);
        if (k >= 1) derivative += double(k) * ck * std::pow(zz, k - 1);
        if (k >= 2) weighted += double(k - 1) * ck * std::pow(zz, k);
    }
    CS_cmplxPolyEval(z, c, 4, out);
    EXPECT_NEAR(out[0], sum.real(), 1e-12);
    EXPECT_NEAR(out[1], sum.imag(), 1e-12);
    CS_cmplxPolyDeriv(z, c, 4, out);
    EXPECT_NEAR(out[0], derivative.real(), 1e-12);
    EXPECT_NEAR(out[1], derivative.imag(), 1e-12);
    CS_cmplxPolyWeighted(z, c, 4, out);
    EXPECT_NEAR(out[0], weighted.real(), 1e-12);
    EXPECT_NEAR(out[1], weighted.imag(), 1e-12);
}

TEST(Crc16, IsTheCcittPolynomialWithoutFinalXor) {
    EXPECT_EQ(CS_crc16(0, "123456789", 9), 0x31C3u);
    EXPECT_EQ(CS_crc16(0xFFFF, "123456789", 9), 0x29B1u);
}

int CompareInts(const void* a, const void* b) {
    int x, y;
    std::memcpy(&x, a, sizeof x);
    std::memcpy(&y, b, sizeof y);
    return (x > y) - (x < y);
}

TEST(FileSearch, SortsThenFindsTheFirstEqualRecord) {
    wlxtest::TempDir dir;
    std::string path = (dir / "records").string();
    std::FILE* file = std::fopen(path.c_str(), "w+b");
    ASSERT_NE(file, nullptr);
    const int header = 77;
    const int values[] = {9, 4, 7, 4, 1, 4, 12, 3};
    std::fwrite(&header, sizeof header, 1, file);
    std::fwrite(values, sizeof values[0], std::size(values), file);
    std::fseek(file, sizeof header, SEEK_SET);
    ASSERT_EQ(CS_sortFile(file, sizeof(int), 0, CompareInts), 1);
    EXPECT_EQ(std::ftell(file), static_cast<long>(sizeof header));

    int key = 4;
    ASSERT_EQ(CS_bsearchFile(file, 4, 0, sizeof(int), &key, CompareInts), 1);
    EXPECT_EQ(std::ftell(file), 4 + 2 * 4);  // 1 3 [4] 4 4 7 9 12
    key = 5;
    EXPECT_EQ(CS_bsearchFile(file, 4, 0, sizeof(int), &key, CompareInts), 0);
    key = 12;
    EXPECT_EQ(CS_bsearchFile(file, 4, 0, sizeof(int), &key, CompareInts), 1);
    EXPECT_EQ(std::ftell(file), 4 + 7 * 4);
    std::fclose(file);
}

// Every test leaves the dictionary directory where the build put the
// dictionaries: beside the test programs.
class DictionaryDirectory : public ::testing::Test {
protected:
    void TearDown() override {
        ASSERT_EQ(CS_setDictionaryDirectory(wlxtest::BinDir().string().c_str()), 0);
    }
};

TEST_F(DictionaryDirectory, NeedsTheCoordinateSystemDictionary) {
    std::string bin = wlxtest::BinDir().string() + "/";
    ASSERT_EQ(CS_setDictionaryDirectory(bin.c_str()), 0);
    EXPECT_EQ(std::string(CS_dictionaryDirectory()), bin);

    wlxtest::TempDir empty;
    EXPECT_EQ(CS_setDictionaryDirectory(empty.path().string().c_str()), -1);
    EXPECT_EQ(std::string(CS_dictionaryDirectory()), bin);

    // Files the library names itself are found in any letter case.
    wlxtest::TempDir lower;
    wlxtest::WriteText(lower / "coordsys.csd", "");
    std::string lowerDir = lower.path().string();
    ASSERT_EQ(CS_setDictionaryDirectory(lowerDir.c_str()), 0);
    EXPECT_EQ(std::string(CS_dictionaryDirectory()), lowerDir + "/");
    EXPECT_EQ(std::string(CS_dataFilePath("Datums.CSD")), lowerDir + "/Datums.CSD");

    // The current directory, named by an empty text, holds the dictionaries
    // when the tests run.
    EXPECT_EQ(CS_setDictionaryDirectory(""), 0);
    EXPECT_STREQ(CS_dictionaryDirectory(), "./");
}

TEST_F(DictionaryDirectory, TakesTheEnvironmentForNull) {
    wlxtest::TempDir dir;
    wlxtest::WriteText(dir / "Coordsys.CSD", "");
    ::setenv("CS_KORE_DIR", dir.path().string().c_str(), 1);
    EXPECT_EQ(CS_setDictionaryDirectory(nullptr), 0);
    EXPECT_EQ(std::string(CS_dictionaryDirectory()), dir.path().string() + "/");
    ::unsetenv("CS_KORE_DIR");
}

TEST_F(DictionaryDirectory, RefusesPathsLongerThanTheBuffer) {
    std::string bin = wlxtest::BinDir().string() + "/";
    ASSERT_EQ(CS_setDictionaryDirectory(bin.c_str()), 0);
    std::string longDir = "/" + std::string(250, 'd');
    EXPECT_EQ(CS_setDictionaryDirectory(longDir.c_str()), -1);
    EXPECT_EQ(CS_lastError(), 158);
    ::setenv("CS_KORE_DIR", longDir.c_str(), 1);
    EXPECT_EQ(CS_setDictionaryDirectory(nullptr), -1);
    ::unsetenv("CS_KORE_DIR");
    EXPECT_EQ(std::string(CS_dictionaryDirectory()), bin);

    std::string longName(kCsPathSize, 'n');
    EXPECT_EQ(CS_dataFilePath(longName.c_str()), nullptr);
    EXPECT_EQ(CS_lastError(), 158);
    EXPECT_EQ(std::string(CS_dictionaryDirectory()), bin);
}

}  // namespace
