// The OSTN grids on small generated files whose shifts vary linearly, so that
// bilinear interpolation gives them exactly.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "coordsys/core/CsOstnGrid.h"
#include "testing/TestSupport.h"

namespace {

double De(double e, double n) {
    return 90.0 + 0.002 * e - 0.001 * n;
}
double Dn(double e, double n) {
    return -80.0 + 0.0015 * e + 0.003 * n;
}

// Three rows of OSTN97 nodes; the rest of the grid has no shift.
std::string Ostn97Rows(int rows, bool lastNewline) {
    std::string text;
    char line[64];
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < 701; ++c) {
            std::snprintf(line, sizeof line, "%.4f %.4f", De(c * 1000.0, r * 1000.0),
                          Dn(c * 1000.0, r * 1000.0));
            text += line;
            if (lastNewline || r + 1 < rows || c + 1 < 701) text += "\n";
        }
    }
    return text;
}

TEST(OstnGrid, InterpolatesAndInvertsBilinearGrid) {
    wlxtest::TempDir dir;
    // Named in another letter case than asked for.
    wlxtest::WriteText(dir / "ostn97.txt", Ostn97Rows(3, false));
    CsOstnGrid* grid = CS_ostn97New((dir / "OSTN97.TXT").string().c_str());
    ASSERT_NE(grid, nullptr) << CS_lastMessage();
    EXPECT_TRUE(std::filesystem::exists(dir / "OSTN97._nt"));
    EXPECT_FALSE(std::filesystem::exists(dir / "OSTN97._nt.tmp"));
    const double en[2] = {1500.0, 1250.0};
    double out[2], back[2];
    ASSERT_EQ(CS_ostnForward(grid, out, en), 0);
    EXPECT_NEAR(out[0], en[0] + De(en[0], en[1]), 1e-4);
    EXPECT_NEAR(out[1], en[1] + Dn(en[0], en[1]), 1e-4);
    ASSERT_EQ(CS_ostnInverse(grid, back, out), 0);
    EXPECT_NEAR(back[0], en[0], 2e-4);
    EXPECT_NEAR(back[1], en[1], 2e-4);
    // Eastings in (-1000, 0) are outside, as is the last column; both give the input.
    for (const double e : {-999.0, -0.5, 700500.0}) {
        const double p[2] = {e, 1500.0};
        EXPECT_EQ(CS_ostnForward(grid, out, p), 1) << e;
        EXPECT_EQ(out[0], e);
    }
    CS_ostnFree(grid);
    // The binary file, newer than the text, is read again.
    grid = CS_ostn97New((dir / "OSTN97.TXT").string().c_str());
    ASSERT_NE(grid, nullptr);
    ASSERT_EQ(CS_ostnForward(grid, out, en), 0);
    EXPECT_NEAR(out[0], en[0] + De(en[0], en[1]), 1e-4);
    CS_ostnFree(grid);
}

TEST(OstnGrid, RefusesLineWithoutBlankAndPathWithoutExtension) {
    wlxtest::TempDir dir;
    wlxtest::WriteText(dir / "OSTN97.TXT", "1.0 2.0\n3.0\n");
    EXPECT_EQ(CS_ostn97New((dir / "OSTN97.TXT").string().c_str()), nullptr);
    EXPECT_EQ(CS_lastError(), 113);
    EXPECT_EQ(CS_ostn02New((dir / "OSTN02").string().c_str()), nullptr);
    EXPECT_EQ(CS_lastError(), 128);
    wlxtest::WriteText(dir / "OSTN02.TXT", "1,0,0,0,0,0,0\n2,1000,0,0,0,0,0");
    EXPECT_EQ(CS_ostn02New((dir / "OSTN02.TXT").string().c_str()), nullptr);
    EXPECT_EQ(CS_lastError(), 113);
    // Shifts that are not finite numbers.
    wlxtest::WriteText(dir / "OSTN97.TXT", "1.0 2.0\nnan 3.0\n");
    EXPECT_EQ(CS_ostn97New((dir / "OSTN97.TXT").string().c_str()), nullptr);
    EXPECT_EQ(CS_lastError(), 113);
    wlxtest::WriteText(dir / "OSTN02.TXT", "1,0,0,inf,1,1,1\n");
    EXPECT_EQ(CS_ostn02New((dir / "OSTN02.TXT").string().c_str()), nullptr);
    EXPECT_EQ(CS_lastError(), 113);
}

}  // namespace
