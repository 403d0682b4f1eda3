// NTv1 grid files: the published big-endian fixture against `cct
// +proj=hgridshift` (golden file), this system's little-endian layout, the
// coverage edges, the density and the read window.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "coordsys/core/CsCore.h"
#include "coordsys/datum/DatumErrors.h"
#include "coordsys/datum/DatumInverse.h"
#include "coordsys/datum/Ntv1GridFile.h"
#include "coordsys/datum/tests/GoldenFile.h"
#include "testing/GridFixtures.h"
#include "testing/TestSupport.h"

namespace {

struct Ntv1Free {
    void operator()(CsNtv1File* file) const { CS_ntv1Free(file); }
};
using Ntv1Ptr = std::unique_ptr<CsNtv1File, Ntv1Free>;

int Forward(CsNtv1File* file, double out[3], const double in[3]) {
    out[0] = in[0], out[1] = in[1], out[2] = in[2];
    if (CS_ntv1Coverage(file, in) == 0.0) return 1;
    double shift[2];
    const int status = CS_ntv1Shift(file, shift, in);
    if (status == 0) CS_applyGridShift(out, in, shift);
    return status;
}

TEST(Ntv1GridFile, MatchesProjForwardAndInverse) {
    const auto files = datumtest::GoldenFiles("ntv1");
    ASSERT_EQ(files.size(), 1u);
    const datumtest::Golden& golden = files[0];
    const auto path = golden.path.parent_path() / golden.Field("grid");
    Ntv1Ptr file(CS_ntv1Open(path.c_str(), 0, 0, 0.0));
    ASSERT_TRUE(file) << CS_lastMessage();
    EXPECT_TRUE(file->bigEndian);
    double worstForward = 0, worstInverse = 0;
    for (const auto& row : golden.rows) {
        ASSERT_EQ(row.values.size(), 6u);
        const double in[3] = {row.values[0], row.values[1], 0};
        double out[3];
        ASSERT_EQ(Forward(file.get(), out, in), 0) << in[0] << " " << in[1];
        worstForward = std::max(
            {worstForward, std::fabs(out[0] - row.values[2]), std::fabs(out[1] - row.values[3])});
        auto forward = [&](double o[3], const double i[3]) { return Forward(file.get(), o, i); };
        ASSERT_EQ(CS_gridInverse(out, in, forward), 0) << in[0] << " " << in[1];
        worstInverse = std::max(
            {worstInverse, std::fabs(out[0] - row.values[4]), std::fabs(out[1] - row.values[5])});
    }
    // PROJ keeps NTv1 shifts as floats in radians: about 1e-10 degree.
    EXPECT_LE(worstForward, 1e-9);
    EXPECT_LE(worstInverse, 1e-9);
    std::printf("ntv1-small.golden: forward %.3g, inverse %.3g degree\n", worstForward,
                worstInverse);
}

TEST(Ntv1GridFile, BothByteOrdersGiveTheSameShifts) {
    const auto big = datumtest::SmallNtv1(true), little = datumtest::SmallNtv1(false);
    Ntv1Ptr a(CS_ntv1OpenBytes("big.dac", big, 0, 0.0));
    Ntv1Ptr b(CS_ntv1OpenBytes("little.dac", little, 0, 0.0));
    ASSERT_TRUE(a && b) << CS_lastMessage();
    EXPECT_FALSE(b->bigEndian);
    EXPECT_EQ(a->columns, 5);
    EXPECT_EQ(a->rows, 7);
    for (double lon = -65.97; lon < -64; lon += 0.13) {
        for (double lat = 44.01; lat < 45.5; lat += 0.11) {
            const double ll[2] = {lon, lat};
            double sa[2], sb[2];
            ASSERT_EQ(CS_ntv1Shift(a.get(), sa, ll), 0);
            ASSERT_EQ(CS_ntv1Shift(b.get(), sb, ll), 0);
            EXPECT_EQ(sa[0], sb[0]);
            EXPECT_EQ(sa[1], sb[1]);
        }
    }
    // At a node the node's own values.
    const auto [lat, lon] = datumtest::SmoothShift(-65.0, 44.75);
    const double node[2] = {-65.0, 44.75};
    double shift[2];
    ASSERT_EQ(CS_ntv1Shift(a.get(), shift, node), 0);
    EXPECT_NEAR(shift[0], lon, 1e-12);
    EXPECT_NEAR(shift[1], lat, 1e-12);
}

TEST(Ntv1GridFile, CoversItsEastAndSouthEdgesOnly) {
    const auto bytes = datumtest::SmallNtv1(false);
    Ntv1Ptr file(CS_ntv1OpenBytes("small.dac", bytes, 0, 0.0));
    ASSERT_TRUE(file);
    // Steps 0.5 and 0.25: the density is the smaller plus one second.
    EXPECT_DOUBLE_EQ(file->density, 0.25 + 1.0 / 3600);
    const struct {
        double lon, lat;
        bool covered;
    } cases[] = {{-64.0, 44.5, true},  {-65.0, 44.0, true},  {-66.0, 44.5, false},
                 {-65.0, 45.5, false}, {-63.9, 44.5, false}, {-65.0, 43.9, false}};
    for (const auto& c : cases) {
        const double ll[2] = {c.lon, c.lat};
        EXPECT_EQ(CS_ntv1Coverage(file.get(), ll) != 0.0, c.covered) << c.lon << " " << c.lat;
        double shift[2];
        EXPECT_EQ(CS_ntv1Shift(file.get(), shift, ll), c.covered ? 0 : -1);
        if (!c.covered) {
            EXPECT_EQ(CS_lastError(), kCsErrInternal);
        }
    }
}

TEST(Ntv1GridFile, WindowsOfAnySizeGiveTheSameShifts) {
    const auto path = wlxtest::SourcePath("coordsys/datum/tests/data/ntv1-small.dat");
    Ntv1Ptr whole(CS_ntv1Open(path.c_str(), 1 << 20, 0, 0.0));
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->bufferSize, whole->fileSize);
    const int rowSize = whole->rowSize;
    for (int buffer : {0, 3 * rowSize, 4 * rowSize + 7, 6 * rowSize}) {
        SCOPED_TRACE(buffer);
        Ntv1Ptr file(CS_ntv1Open(path.c_str(), buffer, 0, 0.0));
        ASSERT_TRUE(file);
        EXPECT_EQ(file->bufferSize, static_cast<std::uint64_t>(std::max(buffer / rowSize, 2)) *
                                        static_cast<std::uint64_t>(rowSize));
        // Rows from the bottom to the top and back: every window placement.
        for (double lat : {44.01, 44.3, 44.8, 45.3, 45.49, 45.1, 44.6, 44.1}) {
            for (double lon : {-65.99, -64.01}) {
                const double ll[2] = {lon, lat};
                double a[2], b[2];
                ASSERT_EQ(CS_ntv1Shift(file.get(), a, ll), 0) << CS_lastMessage();
                ASSERT_EQ(CS_ntv1Shift(whole.get(), b, ll), 0);
                EXPECT_EQ(a[0], b[0]);
                EXPECT_EQ(a[1], b[1]);
            }
        }
        EXPECT_TRUE(file->input.IsOpen());
    }
    // A window of the whole file closes the file after its read.
    EXPECT_FALSE(whole->input.IsOpen());
}

}  // namespace
