#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "readers/dxf/DwgGeometry.h"
#include "readers/dxf/DwgStyle.h"

namespace {

using drawing::Point3d;
using namespace dwg;

const PointMapper kIdentity = [](const Point3d& p) { return p; };
constexpr double kDegree = 3.14159265358979323846 / 180;

std::vector<double> Degrees(const PointList& points) {
    std::vector<double> out;
    for (const CPoint2d& p : points) {
        double a = std::atan2(p.y, p.x) / kDegree;
        if (a < -1e-9) a += 360;
        out.push_back(std::round(a * 1000) / 1000);
    }
    return out;
}

TEST(DwgArcs, StepsOfThreeDegrees) {
    struct Case {
        double start, end;
        bool ccw;
        std::vector<double> degrees;
    } cases[] = {
        {350, 10, true, {350, 353, 356, 359, 2, 5, 8, 10}},
        {10, 350, false, {10, 7, 4, 1, 358, 355, 352, 350}},
    };
    for (const Case& c : cases) {
        PointList points;
        AppendArcPoints({}, c.start * kDegree, c.end * kDegree, 1, c.ccw, kIdentity, points);
        EXPECT_EQ(Degrees(points), c.degrees) << c.start << " to " << c.end;
    }
    PointList quarter;
    AppendArcPoints({}, 0, 3.14159265358979323846 / 2, 2, true, kIdentity, quarter);
    ASSERT_EQ(quarter.size(), 31u);
    EXPECT_NEAR(quarter[29].x, 2 * std::cos(87 * kDegree), 1e-9);
    EXPECT_NEAR(quarter.back().y, 2, 1e-12);
    PointList full;
    AppendArcPoints({}, 0, 0, 1, true, kIdentity, full);
    EXPECT_EQ(full.size(), 122u);
}

TEST(DwgArcs, Bulges) {
    SBulgeArc arc;
    ASSERT_TRUE(BulgeToArc({0, 0, 0}, {2, 0, 0}, 1, arc));
    EXPECT_NEAR(arc.centre.x, 1, 1e-12);
    EXPECT_NEAR(arc.centre.y, 0, 1e-12);
    EXPECT_NEAR(arc.radius, 1, 1e-12);
    EXPECT_TRUE(arc.counterClockwise);
    // A quarter circle to the right of the chord (clockwise).
    ASSERT_TRUE(BulgeToArc({0, 0, 0}, {1, 1, 0}, -std::tan(3.14159265358979323846 / 8), arc));
    EXPECT_NEAR(arc.centre.x, 1, 1e-9);
    EXPECT_NEAR(arc.centre.y, 0, 1e-9);
    EXPECT_FALSE(arc.counterClockwise);
    // Two vertices at one place draw no unit circle: the segment is straight.
    EXPECT_FALSE(BulgeToArc({5, 5, 0}, {5, 5, 0}, 1, arc));
    PointList points{{5, 5}};
    AppendSegment({5, 5, 0}, {5, 5, 0}, 1, kIdentity, points);
    EXPECT_EQ(points.size(), 2u);
}

TEST(DwgArcs, JoinsAndLines) {
    EXPECT_DOUBLE_EQ(SegmentAngle(0, 0, 0, 1), 1.570796326795);
    EXPECT_DOUBLE_EQ(SegmentAngle(0, 0, -1, 0), kPi);
    EXPECT_NEAR(SegmentAngle(0, 0, 1, -1), 7 * kPi / 4, 1e-9);
    EXPECT_EQ(ClassifyJoin(0, 0), 3);
    EXPECT_EQ(ClassifyJoin(0, 1.570796326795), 0);
    EXPECT_EQ(ClassifyJoin(0, 170 * kDegree), 1);
    EXPECT_EQ(ClassifyJoin(0, 190 * kDegree), 2);
    SLine a;
    SLine b;
    EXPECT_FALSE(LineThroughPoints(1, 1, 1, 1, a));
    ASSERT_TRUE(LineThroughPoints(2, 0, 2, 5, a));
    ASSERT_TRUE(LineThroughPoints(0, 1, 1, 2, b));
    double x = 0;
    double y = 0;
    ASSERT_TRUE(IntersectLines(a, b, x, y));
    EXPECT_DOUBLE_EQ(x, 2);
    EXPECT_DOUBLE_EQ(y, 3);
    EXPECT_FALSE(IntersectLines(a, a, x, y));
}

TEST(DwgArcs, WideLineOutlines) {
    // A straight band: square ends, closed ring.
    PointList ring = WideLineOutline({{0, 0}, {10, 0}}, {{2, 2}, {2, 2}});
    const PointList band{{0, 1}, {10, 1}, {10, -1}, {0, -1}, {0, 1}};
    ASSERT_EQ(ring.size(), band.size());
    for (std::size_t i = 0; i < band.size(); ++i) {
        EXPECT_NEAR(ring[i].x, band[i].x, 1e-12) << i;
        EXPECT_NEAR(ring[i].y, band[i].y, 1e-12) << i;
    }
    // A right angle has one mitre point per side.
    ring = WideLineOutline({{0, 0}, {10, 0}, {10, 10}}, {{2, 2}, {2, 2}, {2, 2}});
    ASSERT_EQ(ring.size(), 7u);
    EXPECT_NEAR(ring[1].x, 9, 1e-12);
    EXPECT_NEAR(ring[1].y, 1, 1e-12);
    EXPECT_NEAR(ring[4].x, 11, 1e-12);
    EXPECT_NEAR(ring[4].y, -1, 1e-12);
    // One point has no band.
    EXPECT_TRUE(WideLineOutline({{1, 1}}, {{2, 2}}).empty());
}

TEST(DwgArcs, TextFrameThroughBlocks) {
    STransformStack stack;
    stack.matrix[0] = drawing::Matrix3d::RotationZ(kPi / 2) * drawing::Matrix3d::Scaling(3, 0.5, 1);
    stack.depth = 1;
    double height = 2;
    double angle = 0;
    stack.ApplyLengthAndAngle(height, angle);
    EXPECT_NEAR(height, 1, 1e-9);
    EXPECT_NEAR(angle, kPi / 2, 1e-9);
    angle = 0;
    height = 1;
    STransformStack none;
    none.ApplyLengthAndAngle(height, angle);
    EXPECT_EQ(angle, 0);
}

TEST(DwgStyle, ColourTable) {
    struct Case {
        int index;
        int r, g, b;
    } cases[] = {{1, 255, 0, 0},      {7, 255, 255, 255},   {9, 192, 192, 192},
                 {10, 255, 0, 0},     {11, 255, 127, 127},  {12, 204, 0, 0},
                 {13, 204, 102, 102}, {20, 255, 63, 0},     {21, 255, 159, 127},
                 {249, 76, 38, 47},   {250, 51, 51, 51},    {255, 255, 255, 255},
                 {0, 255, 255, 255},  {256, 255, 255, 255}, {-3, 255, 255, 255}};
    for (const Case& c : cases) {
        const CRgbaColor colour = ColourFromIndex(c.index);
        EXPECT_EQ(colour.red, c.r) << c.index;
        EXPECT_EQ(colour.green, c.g) << c.index;
        EXPECT_EQ(colour.blue, c.b) << c.index;
        EXPECT_EQ(colour.alpha, 255);
    }
}

TEST(DwgStyle, TextCleaning) {
    struct Case {
        const char* in;
        bool keep;
        const char* out;
    } cases[] = {
        {"{\\fArial|b1;Big\\L under\\l}\\P1\\S1^2;", false, "{Big under} 11 2"},
        {"{\\fArial|b1;Big\\L under\\l\\P1\\S1^2;}", true, "Big under\n11 2"},
        {"a\\\\b\\{c\\}", false, "a\\b{c}"},
        {"100\\%", false, "100\\%"},
        {"x\\~y\r\nz", false, "x y z"},
        {"\\H2.5x;\\C1;red\\O over\\o", false, "red over"},
        {"{}", false, ""},
        {"trailing\\", false, "trailing\\"},
        {"\\S1/2", false, "1/2"},
    };
    for (const Case& c : cases) EXPECT_EQ(StripTextFormatting(c.in, c.keep), c.out) << c.in;
}

}  // namespace
