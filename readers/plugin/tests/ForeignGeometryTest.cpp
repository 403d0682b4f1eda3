#include <gtest/gtest.h>

#include <cmath>

#include "readers/plugin/CellNesting.h"
#include "readers/plugin/ForeignGeometry.h"

namespace {

using foreign::SArc;
using foreign::StrokeArc;

PointList Stroke(const SArc& arc) {
    PointList points;
    StrokeArc(arc, points);
    return points;
}

TEST(ArcStrokeTest, EveryThreeDegreesFromStartToEnd) {
    struct Case {
        SArc arc;
        std::size_t points;
    } cases[] = {
        // 30 steps; the 30th lands a few digits off the end and is kept.
        {{0, 0, 0, 90, 10, 10, true}, 32},
        {{0, 0, 90, 0, 10, 10, false}, 32},
        // The other three quarters.
        {{0, 0, 90, 0, 10, 10, true}, 92},
        {{0, 0, 0, 90, 10, 10, false}, 92},
        // Start equal to end: the whole ellipse, 120 steps.
        {{0, 0, 45, 45, 20, 10, true}, 122},
        {{0, 0, 405, 45, 20, 10, false}, 122},
        // A zero semi-axis: the center alone.
        {{5, 6, 0, 180, 0, 10, true}, 1},
        {{5, 6, 0, 180, 10, 0, true}, 1},
    };
    for (const Case& c : cases) {
        const PointList points = Stroke(c.arc);
        EXPECT_EQ(points.size(), c.points) << c.arc.start << " " << c.arc.end;
    }
    const PointList quarter = Stroke({0, 0, 0, 90, 10, 10, true});
    EXPECT_DOUBLE_EQ(quarter.front().x, 10.0);
    EXPECT_DOUBLE_EQ(quarter.front().y, 0.0);
    EXPECT_NEAR(quarter.back().x, 0.0, 1e-9);
    EXPECT_DOUBLE_EQ(quarter.back().y, 10.0);
    EXPECT_NEAR(quarter[30].x, quarter[31].x, 1e-9);
    EXPECT_NE(quarter[30].x, quarter[31].x);
    // The clockwise quarter runs the same way back: 87 degrees is the 29th step up.
    const PointList back = Stroke({0, 0, 90, 0, 10, 10, false});
    for (std::size_t i = 0; i <= 30; ++i) {
        EXPECT_NEAR(back[i].x, quarter[30 - i].x, 1e-9) << i;
        EXPECT_NEAR(back[i].y, quarter[30 - i].y, 1e-9) << i;
    }
    const PointList ellipse = Stroke({0, 0, 45, 45, 20, 10, true});
    EXPECT_EQ(ellipse.front(), ellipse.back());
    EXPECT_EQ(Stroke({5, 6, 0, 180, 0, 10, true}), (PointList{{5, 6}}));
}

TEST(ArcStrokeTest, AnglesFarOutsideOneTurnOrNotNumbersEndTheStroke) {
    for (double start : {1e300, -1e300}) {
        const std::size_t count = Stroke({0, 0, start, 90, 1, 1, true}).size();
        EXPECT_GE(count, 2u);
        EXPECT_LE(count, 122u);
    }
    EXPECT_EQ(Stroke({0, 0, NAN, INFINITY, 1, 1, true}).size(), 122u);
}

// A block holding an instance of a second block: inner transform first.
TEST(CellNestingTest, PointsPassEveryLevelInnermostFirstAndTheWalkLeavesEachBlockAtItsEnd) {
    // The walk only hands the entities on.
    const int standIns[3] = {};
    const auto* const a = reinterpret_cast<const CFgnEntity*>(&standIns[0]);
    const auto* const b = reinterpret_cast<const CFgnEntity*>(&standIns[1]);
    const auto* const c = reinterpret_cast<const CFgnEntity*>(&standIns[2]);
    const CCellNestingState::EntityList outer = {a, b};
    const CCellNestingState::EntityList inner = {c};
    const FgnMatrix quarter = {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}};
    const FgnMatrix twice = {{2, 0, 0}, {0, 2, 0}, {0, 0, 1}};

    CCellNestingState nesting;
    EXPECT_EQ(nesting.Transform(3, 4), (CPoint2d{3, 4}));
    EXPECT_EQ(nesting.Advance(), nullptr);
    EXPECT_EQ(nesting.Enter(quarter, 100, 200, outer), a);
    EXPECT_EQ(nesting.Transform(1, 0), (CPoint2d{100, 201}));
    // At the instance b, which expands the inner block.
    EXPECT_EQ(nesting.Advance(), b);
    EXPECT_EQ(nesting.Enter(twice, 10, 0, inner), c);
    EXPECT_EQ(nesting.GetDepth(), 2);
    // (1, 0) doubled and moved to (12, 0), then turned and moved.
    EXPECT_EQ(nesting.Transform(1, 0), (CPoint2d{100, 212}));
    // The inner block ends, and so does the outer one, which stood past b.
    EXPECT_EQ(nesting.Advance(), nullptr);
    EXPECT_EQ(nesting.GetDepth(), 0);
    EXPECT_EQ(nesting.Transform(1, 0), (CPoint2d{1, 0}));

    // Ten levels, not more.
    const CCellNestingState::EntityList chain = {a, b};
    for (int i = 0; i < CCellNestingState::kMaxDepth; ++i)
        ASSERT_EQ(nesting.Enter(twice, 1, 0, chain), a) << i;
    EXPECT_EQ(nesting.Enter(twice, 1, 0, chain), nullptr);
    EXPECT_EQ(nesting.GetDepth(), CCellNestingState::kMaxDepth);
    EXPECT_EQ(nesting.Transform(0, 0).x, 1023.0);
    const CCellNestingState::EntityList empty;
    CCellNestingState fresh;
    EXPECT_EQ(fresh.Enter(twice, 1, 0, empty), nullptr);
    EXPECT_EQ(fresh.GetDepth(), 0);
}

}  // namespace
