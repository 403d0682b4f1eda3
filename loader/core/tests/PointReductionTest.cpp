#include <gtest/gtest.h>

#include "loader/core/PointReduction.h"

namespace {

PointList Xs(const PointList& points) {
    PointList xs;
    for (const CPoint2d& p : points) xs.push_back({p.x, 0});
    return xs;
}

PointList AlongX(std::initializer_list<double> ys) {
    PointList points;
    double x = 0;
    for (double y : ys) points.push_back({x++, y});
    return points;
}

TEST(PointReduction, KeepsTheFarthestPointsOfEachChord) {
    // Worked by hand: the chord 0-9 splits at 2 (distance 25), then 2-9 at 6
    // (17.5 against 0.86 for 0-2), then 6-9 at 7 (2, tied with 8, the first
    // wins, against 1.8 for 2-6).
    const struct {
        const char* what;
        PointList points;
        std::size_t target;
        std::vector<double> keptXs;
    } cases[] = {
        {"ten points to five", AlongX({0, 0, 5, 0, 0, 0, -3, 0, 1, 0}), 5, {0, 2, 6, 7, 9}},
        {"ten points to two", AlongX({0, 0, 5, 0, 0, 0, -3, 0, 1, 0}), 2, {0, 9}},
        {"ten points to three", AlongX({0, 0, 5, 0, 0, 0, -3, 0, 1, 0}), 3, {0, 2, 9}},
        // On a straight line every distance is 0: the first inner point of
        // the first chord that has inner points is taken, never a chord
        // without any.
        {"collinear to three", AlongX({0, 0, 0, 0, 0, 0}), 3, {0, 1, 5}},
        {"collinear to four", AlongX({0, 0, 0, 0, 0, 0}), 4, {0, 1, 2, 5}},
        {"collinear to five", AlongX({0, 0, 0, 0, 0, 0}), 5, {0, 1, 2, 3, 5}},
        {"target not below the count", AlongX({0, 1, 0}), 3, {0, 1, 2}},
    };
    for (const auto& c : cases) {
        PointList points = c.points;
        ReduceToCount(points, c.target);
        PointList expected;
        for (double x : c.keptXs) expected.push_back({x, 0});
        EXPECT_EQ(Xs(points), expected) << c.what;
        for (const CPoint2d& p : points)
            EXPECT_EQ(p, c.points[static_cast<std::size_t>(p.x)]) << c.what;
    }
}

TEST(PointReduction, ClosedRingMeasuresFromItsStart) {
    // Start and end coincide: distances are taken from the start point.
    PointList ring = {{0, 0}, {1, 0}, {3, 1}, {1, 2}, {0, 1}, {0, 0}};
    ReduceToCount(ring, 4);
    EXPECT_EQ(ring, (PointList{{0, 0}, {3, 1}, {1, 2}, {0, 0}}));
}

TEST(PointReduction, TargetsFollowPercentCapAndMinimum) {
    const struct {
        std::size_t count;
        double percent;
        int cap;
        bool ring;
        std::size_t kept;
    } cases[] = {
        {10, 50, 65535, false, 5},
        {10, 10, 65535, false, 2},
        {10, 10, 65535, true, 4},
        {20, 100, 8, false, 8},
        {3, 10, 65535, true, 3},
        {10, 100, 65535, false, 10},
        {10, 99, 65535, false, 9},
        {70000, 100, 65535, true, 65535},
        {70000, 100, kOpenRingCap, true, 65534},
        {10, -1, 65535, false, 2},
    };
    for (const auto& c : cases) {
        const long long target = PercentTarget(c.count, c.percent, c.cap);
        EXPECT_EQ(PointsKept(c.count, target, c.ring), c.kept)
            << c.count << " at " << c.percent << "% cap " << c.cap;
    }
}

TEST(PointReduction, FitsThePercentOfMultiGeometries) {
    const struct {
        const char* what;
        std::vector<ReductionPart> parts;
        double percent;
        int objectMaximum;
        double fitted;
    } cases[] = {
        {"fits already", {{20, false, 65535}, {20, false, 65535}}, 100, 100, 100},
        {"two lines of 20 into 8", {{20, false, 8}, {20, false, 8}}, 100, 8, 24},
        {"two lines of 20 into 30", {{20, false, 65535}, {20, false, 65535}}, 100, 30, 79},
        {"ring minimums exceed the maximum",
         {{10, true, 8}, {10, true, 8}, {10, true, 8}},
         100,
         8,
         0},
        {"starts below 100", {{100, false, 65535}}, 50.5, 40, 40.5},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(FitPercent(c.parts, c.percent, c.objectMaximum), c.fitted) << c.what;
}

TEST(PointReduction, TellsOpenRings) {
    EXPECT_TRUE(IsOpenRing({{0, 0}, {1, 0}, {1, 1}}));
    EXPECT_FALSE(IsOpenRing({{0, 0}, {1, 0}, {1, 1}, {0, 0}}));
    EXPECT_FALSE(IsOpenRing({}));
}

}  // namespace
