// NTv2 grid files: real published grids from PROJ's data and the nested
// fixture against `cct +proj=hgridshift` (golden files), the choice of the
// finest sub-grid, both header layouts, the edges and the cache rule.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "coordsys/datum/DatumErrors.h"
#include "coordsys/datum/DatumInverse.h"
#include "coordsys/datum/Ntv2GridFile.h"
#include "coordsys/datum/tests/GoldenFile.h"
#include "testing/GridFixtures.h"
#include "testing/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using datumtest::Golden;

struct Ntv2Closer {
    void operator()(CsNtv2File* file) const { CS_ntv2Close(file); }
};
using Ntv2Ptr = std::unique_ptr<CsNtv2File, Ntv2Closer>;

// A grid named by a golden file: a fixture of tests/data, else one of PROJ's
// data directory; empty when it is not installed.
fs::path GridPath(const std::string& name) {
    const fs::path fixture = wlxtest::SourcePath("coordsys/datum/tests/data") / name;
    if (fs::exists(fixture)) return fixture;
    for (const char* variable : {"PROJ_DATA", "PROJ_LIB"}) {
        if (const char* dir = std::getenv(variable); dir && fs::exists(fs::path(dir) / name)) {
            return fs::path(dir) / name;
        }
    }
    const fs::path system = fs::path("/usr/share/proj") / name;
    return fs::exists(system) ? system : fs::path();
}

int Forward(CsNtv2File* file, double out[3], const double in[3]) {
    double shift[2];
    const int status = CS_ntv2Shift(file, shift, in);
    out[0] = in[0], out[1] = in[1], out[2] = in[2];
    if (status == 0) CS_applyGridShift(out, in, shift);
    return status;
}

double Worst(double worst, const double a[2], double lon, double lat) {
    return std::max({worst, std::fabs(a[0] - lon), std::fabs(a[1] - lat)});
}

TEST(Ntv2GridFile, MatchesProjForwardAndInverse) {
    int checked = 0;
    for (const Golden& golden : datumtest::GoldenFiles("ntv2")) {
        SCOPED_TRACE(golden.path.filename().string());
        const fs::path path = GridPath(golden.Field("grid"));
        if (path.empty()) {
            std::printf("%s: not installed, skipped\n", golden.Field("grid").c_str());
            continue;
        }
        Ntv2Ptr file(CS_ntv2Open(5, path.c_str(), 0, 0.0));
        ASSERT_TRUE(file) << CS_lastMessage();
        double worstForward = 0, worstInverse = 0;
        for (const auto& row : golden.rows) {
            ASSERT_EQ(row.values.size(), 6u);
            const double lon = row.values[0], lat = row.values[1];
            SCOPED_TRACE(std::to_string(lon) + " " + std::to_string(lat));
            const double in[3] = {lon, lat, 0};
            double out[3];
            const int status = Forward(file.get(), out, in);
            if (std::isnan(row.values[2])) {
                EXPECT_EQ(status, 1);
                EXPECT_EQ(out[0], lon);
            } else {
                EXPECT_EQ(status, 0);
                worstForward = Worst(worstForward, out, row.values[2], row.values[3]);
            }
            auto forward = [&](double o[3], const double i[3]) {
                return Forward(file.get(), o, i);
            };
            const int inverse = CS_gridInverse(out, in, forward);
            const double expected[2] = {row.values[4], row.values[5]};
            // Where PROJ's inverse leaves the grid (it keeps its first guess
            // there) the library's has no grid point to land on.
            if (std::isnan(expected[0]) || CS_ntv2Coverage(file.get(), expected) == 0.0) {
                EXPECT_EQ(inverse, 1);
            } else {
                EXPECT_EQ(inverse, 0);
                worstInverse = Worst(worstInverse, out, expected[0], expected[1]);
            }
        }
        EXPECT_LE(worstForward, 1e-9);
        EXPECT_LE(worstInverse, 1e-9);
        std::printf("%s: forward %.3g, inverse %.3g degree\n",
                    golden.path.filename().string().c_str(), worstForward, worstInverse);
        ++checked;
    }
    if (checked == 0) GTEST_SKIP() << "no NTv2 grid installed";
}

std::string SubGridAt(const CsNtv2File* file, double lon, double lat) {
    const double ll[2] = {lon, lat};
    const std::uint16_t index = CS_ntv2FindSubGrid(file, ll);
    return index == kCsNtv2NoGrid ? "none" : file->subGrids[index].name;
}

TEST(Ntv2GridFile, ChoosesTheFinestSubGridHoldingThePoint) {
    const auto bytes = datumtest::Ntv2Bytes(datumtest::NestedGrids());
    Ntv2Ptr file(CS_ntv2OpenBytes(5, "nested.gsb", bytes, 0, 0.0));
    ASSERT_TRUE(file) << CS_lastMessage();
    ASSERT_EQ(file->subGrids.size(), 5u);
    EXPECT_EQ(file->subGrids[1].parent, 0);
    EXPECT_EQ(file->subGrids[0].firstChild, 1);
    const struct {
        double lon, lat;
        const char* grid;
        double density;
    } cases[] = {
        {-7.2, 41.7, "GRANDA  ", 0.125},   // the grandchild inside CHILDA
        {-7.8, 42.5, "CHILDA  ", 0.25},    // the child outside the grandchild
        {-6.0, 42.1, "CHILDA  ", 0.25},    // the shared edge: the first in file order
        {-5.0, 41.55, "CHILDB  ", 0.25},   // a child after another top-level grid
        {-9.0, 45.0, "PARENT  ", 1.0},     // the parent outside its children
        {-7.5, 41.75, "GRANDA  ", 0.125},  // edges are inclusive
        {5.5, 40.5, "ISLAND  ", 0.5},     {1.0, 45.0, "none", 0.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.lon) + " " + std::to_string(c.lat));
        EXPECT_EQ(SubGridAt(file.get(), c.lon, c.lat), c.grid);
        const double ll[2] = {c.lon, c.lat};
        EXPECT_EQ(CS_ntv2Coverage(file.get(), ll), c.density);
    }
}

TEST(Ntv2GridFile, ReadsOneNodeOnTheNorthWestCorner) {
    const auto bytes = datumtest::Ntv2Bytes(datumtest::NestedGrids());
    Ntv2Ptr file(CS_ntv2OpenBytes(5, "nested.gsb", bytes, 0, 0.0));
    ASSERT_TRUE(file);
    const auto [lat, lon] = datumtest::SmoothShift(-10.0, 46.0);
    const double ll[2] = {-10.0, 46.0};
    double shift[2];
    ASSERT_EQ(CS_ntv2Shift(file.get(), shift, ll), 0);
    EXPECT_EQ(shift[0], static_cast<float>(lon));
    EXPECT_EQ(shift[1], static_cast<float>(lat));
    EXPECT_EQ(file->longitudeCell.coefficients[1], 0.0);
    EXPECT_EQ(file->longitudeCell.coefficients[2], 0.0);
    // Outside every grid: 1 and no shift.
    const double away[2] = {20.0, 20.0};
    EXPECT_EQ(CS_ntv2Shift(file.get(), shift, away), 1);
    EXPECT_EQ(shift[0], 0.0);
    EXPECT_EQ(shift[1], 0.0);
}

TEST(Ntv2GridFile, BothLayoutsGiveTheSameShiftsButOnlyOneIsCached) {
    const auto sixteen = datumtest::Ntv2Bytes(datumtest::NestedGrids(), false);
    const auto twelve = datumtest::Ntv2Bytes(datumtest::NestedGrids(), true);
    ASSERT_EQ(sixteen.size() - twelve.size(), 4 * 3 + 4 * 5u);
    Ntv2Ptr a(CS_ntv2OpenBytes(5, "a.gsb", sixteen, 0, 0.0));
    Ntv2Ptr b(CS_ntv2OpenBytes(5, "b.gsb", twelve, 0, 0.0));
    ASSERT_TRUE(a && b) << CS_lastMessage();
    EXPECT_EQ(a->layout, 1);
    EXPECT_EQ(b->layout, 2);
    for (double lon = -9.9; lon < 0; lon += 0.37) {
        for (double lat = 40.1; lat < 46; lat += 0.29) {
            const double ll[2] = {lon, lat};
            double sa[2], sb[2];
            ASSERT_EQ(CS_ntv2Shift(a.get(), sa, ll), 0);
            EXPECT_TRUE(a->cellMayBeCached);
            ASSERT_EQ(CS_ntv2Shift(b.get(), sb, ll), 0);
            EXPECT_FALSE(b->cellMayBeCached);
            EXPECT_EQ(sa[0], sb[0]);
            EXPECT_EQ(sa[1], sb[1]);
        }
    }
}

TEST(Ntv2GridFile, NeverCachesCellsInTheFixedRectangles) {
    const auto bytes = datumtest::Ntv2Bytes({{"YUKON", "NONE", -136, 60, -131, 63, 0.5, 0.5, 0}});
    Ntv2Ptr file(CS_ntv2OpenBytes(5, "yukon.gsb", bytes, 0, 0.0));
    ASSERT_TRUE(file) << CS_lastMessage();
    const struct {
        double lon, lat;
        bool cached;
    } cases[] = {{-135.0, 60.75, false},
                 {-132.5, 62.0, false},
                 {-134.75, 61.0, false},
                 {-133.5, 61.0, true},
                 {-135.5, 60.75, true}};
    for (const auto& c : cases) {
        const double ll[2] = {c.lon, c.lat};
        double shift[2];
        ASSERT_EQ(CS_ntv2Shift(file.get(), shift, ll), 0);
        EXPECT_EQ(file->cellMayBeCached, c.cached) << c.lon << " " << c.lat;
    }
}

TEST(Ntv2GridFile, ReleasedFilesOpenAgainAndBuffersDoNotChangeShifts) {
    const fs::path path = GridPath("ntv2-nested.gsb");
    Ntv2Ptr small(CS_ntv2Open(5, path.c_str(), 1, 0.0));  // the 4096-byte minimum
    Ntv2Ptr large(CS_ntv2Open(5, path.c_str(), 1 << 20, 0.0));
    ASSERT_TRUE(small && large) << CS_lastMessage();
    EXPECT_EQ(small->bufferSize, 4096);
    EXPECT_FALSE(small->input.IsOpen());
    for (double lon = -9.95; lon < 0; lon += 0.41) {
        const double ll[2] = {lon, 42.2};
        double a[2], b[2];
        ASSERT_EQ(CS_ntv2Shift(small.get(), a, ll), 0);
        ASSERT_EQ(CS_ntv2Shift(large.get(), b, ll), 0);
        EXPECT_EQ(a[0], b[0]);
        EXPECT_EQ(a[1], b[1]);
        CS_ntv2Release(small.get());
        EXPECT_FALSE(small->input.IsOpen());
    }
}

TEST(Ntv2GridFile, OpensRegardlessOfLetterCase) {
    wlxtest::TempDir dir;
    wlxtest::WriteBytes(dir / "Nested.GSB", datumtest::Ntv2Bytes(datumtest::NestedGrids()));
    Ntv2Ptr file(CS_ntv2Open(5, (dir / "nested.gsb").c_str(), 0, 0.0));
    EXPECT_TRUE(file) << CS_lastMessage();
    EXPECT_EQ(CS_ntv2Open(5, (dir / "missing.gsb").c_str(), 0, 0.0), nullptr);
    EXPECT_EQ(CS_lastError(), kCsErrShiftFileOpen);
    EXPECT_NE(std::string(CS_lastMessage()).find("missing.gsb"), std::string::npos);
}

}  // namespace
