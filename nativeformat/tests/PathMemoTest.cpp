#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "nativeformat/PathMemo.h"

namespace {

constexpr std::uint32_t kNone = CPathMemo::kNone;

CPathMemo::Path PathOf(std::uint32_t leaf, std::uint32_t parent, std::uint32_t above) {
    return {{leaf, parent, above}};
}

bool Same(const CPathMemo::Path& a, const CPathMemo::Path& b) {
    for (int i = 0; i < CPathMemo::kLevels; ++i)
        if (a.held[i] != b.held[i]) return false;
    return true;
}

// Places spread `spacing` apart on a square grid, enough for the memo to set
// its scale.
void SeeGrid(CPathMemo& memo, double spacing) {
    for (int i = 0; i < 64; ++i)
        for (int j = 0; j < 64; ++j) memo.See(i * spacing, j * spacing);
}

TEST(PathMemoTest, GivesBackWhatItRememberedForACell) {
    CPathMemo memo;
    const std::uint64_t a = memo.Cell(0.25, 0.5), b = memo.Cell(1.25, 0.5);
    EXPECT_TRUE(Same(memo.Find(a), PathOf(kNone, kNone, kNone))) << "nothing remembered yet";
    memo.Remember(a, PathOf(1, 2, 3));
    EXPECT_TRUE(Same(memo.Find(a), PathOf(1, 2, 3)));
    EXPECT_TRUE(Same(memo.Find(b), PathOf(kNone, kNone, kNone))) << "the next cell";
    memo.Remember(a, PathOf(4, 5, kNone));
    EXPECT_TRUE(Same(memo.Find(a), PathOf(4, 5, kNone))) << "the newest path";
}

// Each bucket keeps the cells remembered last: after far more cells than
// the memo holds, the last thousand are all there.
TEST(PathMemoTest, KeepsTheCellsRememberedLast) {
    CPathMemo memo;
    const int cells = 300000, kept = 1000;
    for (int i = 0; i < cells; ++i)
        memo.Remember(memo.Cell(i, 0), PathOf(static_cast<std::uint32_t>(i), 0, 0));
    for (int i = cells - kept; i < cells; ++i)
        EXPECT_EQ(memo.Find(memo.Cell(i, 0)).held[0], static_cast<std::uint32_t>(i));
}

TEST(PathMemoTest, CellsFollowTheSpacingOfThePlaces) {
    struct Case {
        double spacing, cell;
    };
    // A cell about two spacings wide, rounded up to a power of two.
    for (const Case c : {Case{1, 2}, Case{10, 32}, Case{0.001, 1.0 / 256}}) {
        SCOPED_TRACE(c.spacing);
        CPathMemo memo;
        SeeGrid(memo, c.spacing);
        EXPECT_EQ(memo.CellSize(), c.cell);
        EXPECT_EQ(memo.Cell(0, 0), memo.Cell(c.cell * 0.99, c.cell * 0.99));
        EXPECT_NE(memo.Cell(0, 0), memo.Cell(c.cell, 0));
        EXPECT_NE(memo.Cell(0, 0), memo.Cell(0, -c.cell / 2));
    }
    // Places on a line are spaced along it.
    CPathMemo line;
    for (int i = 0; i < 4096; ++i) line.See(i * 2.0, 7);
    EXPECT_EQ(line.CellSize(), 4);
}

TEST(PathMemoTest, APlaceAskedAgainAfterTheScaleChangedHasANewCell) {
    CPathMemo memo;
    const std::uint64_t small = memo.Cell(40, 0);
    SeeGrid(memo, 10);
    ASSERT_EQ(memo.CellSize(), 32);
    EXPECT_NE(memo.Cell(40, 0), small);
    EXPECT_EQ(memo.Cell(40, 0), memo.Cell(33, 0));
}

TEST(PathMemoTest, PlacesWithoutASpacingKeepTheScale) {
    const double huge = std::numeric_limits<double>::max();
    CPathMemo one, far;
    SeeGrid(one, 0);  // one place, over and over
    EXPECT_EQ(one.CellSize(), 1);
    for (int i = 0; i < 4096; ++i) far.See(i % 2 ? huge : -huge, i % 2 ? huge : -huge);
    EXPECT_EQ(far.CellSize(), 1) << "an infinite extent";
    // Any coordinates make a cell, and -0 is 0.
    EXPECT_EQ(far.Cell(-0.0, 0), far.Cell(0, -0.0));
    far.Remember(far.Cell(huge, -huge), PathOf(9, 9, 9));
    EXPECT_EQ(far.Find(far.Cell(huge, -huge)).held[0], 9u);
    EXPECT_EQ(far.Find(far.Cell(std::nan(""), 0)).held[0], kNone);
}

}  // namespace
