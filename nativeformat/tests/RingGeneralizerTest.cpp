#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "nativeformat/RingGeneralizer.h"

namespace {

struct Rings {
    std::vector<double> points;
    std::vector<std::uint32_t> counts;

    void Add(const std::vector<double>& ring) {
        points.insert(points.end(), ring.begin(), ring.end());
        counts.push_back(static_cast<std::uint32_t>(ring.size() / 2));
    }
};

std::vector<double> Wobbly(std::uint32_t n, std::uint32_t seed, double scale = 1.0,
                           double offset = 0.0) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> radius(0.9, 1.1);
    std::vector<double> ring;
    for (std::uint32_t i = 0; i < n; ++i) {
        const double angle = 6.283185307179586 * i / n;
        const double r = radius(random) * scale;
        ring.push_back(offset + std::cos(angle) * r);
        ring.push_back(offset + std::sin(angle) * r);
    }
    return ring;
}

TEST(RingGeneralizerTest, AcceptsTotalsWithinTwoPercentBelowTheTarget) {
    Rings rings;
    rings.Add(Wobbly(1000, 1));
    rings.Add(Wobbly(600, 2, 3.0));
    std::vector<double> points;
    std::vector<std::uint32_t> counts;
    ASSERT_TRUE(GeneralizeRings(rings.points, rings.counts, 500, points, counts));
    const std::uint32_t total = std::accumulate(counts.begin(), counts.end(), 0u);
    EXPECT_LE(total, 500u);
    EXPECT_GE(total, 490u);
    EXPECT_EQ(points.size(), 2u * total);
    // Simplification keeps the ends of every ring.
    EXPECT_EQ(points[0], rings.points[0]);
    EXPECT_EQ(points[2 * counts[0] - 2], rings.points[2 * 999]);
}

TEST(RingGeneralizerTest, RingsSimplifiedBelowFourPointsBecomeTheirQuadrilateral) {
    // A closed square: any tolerance keeps all 5 points or only 3, so a
    // target of 4 takes the quadrilateral. A is the first point of smallest
    // x, B the point farthest from it, C the first point farthest from AB.
    const std::vector<double> square{0, 0, 4, 0, 4, 4, 0, 4, 0, 0};
    std::vector<double> points;
    std::vector<std::uint32_t> counts;
    const std::uint32_t five = 5;
    ASSERT_TRUE(GeneralizeRings(square, {&five, 1}, 4, points, counts));
    EXPECT_EQ(counts, std::vector<std::uint32_t>{4});
    EXPECT_EQ(points, (std::vector<double>{0, 0, 4, 4, 4, 0, 0, 0}));
}

TEST(RingGeneralizerTest, TargetIsRaisedToFourPointsPerRing) {
    Rings rings;
    for (std::uint32_t i = 0; i < 10; ++i) rings.Add(Wobbly(10 + i, i));
    rings.Add({0, 0, 1, 0, 1, 1});  // three points are copied as they are
    std::vector<double> points;
    std::vector<std::uint32_t> counts;
    ASSERT_TRUE(GeneralizeRings(rings.points, rings.counts, 8, points, counts));
    std::vector<std::uint32_t> expected(10, 4);
    expected.push_back(3);
    EXPECT_EQ(counts, expected);

    // More rings than a target of 0x200000 can hold four points of.
    const std::vector<std::uint32_t> empty(0x80001, 0);
    EXPECT_FALSE(GeneralizeRings({}, empty, 100, points, counts));

    std::vector<double> withNan = Wobbly(50, 9);
    withNan[31] = std::nan("");
    const std::uint32_t fifty = 50;
    EXPECT_FALSE(GeneralizeRings(withNan, {&fifty, 1}, 10, points, counts));
}

// Inputs that defeat a plain halving search: no tolerance interval narrower
// than 1e-14, totals that jump across the acceptance band, no spread at all.
TEST(RingGeneralizerTest, TerminatesOnEveryInput) {
    struct Case {
        const char* what;
        Rings rings;
        std::uint32_t target;
    };
    std::vector<Case> cases;
    auto add = [&](const char* what, std::vector<std::vector<double>> list, std::uint32_t target) {
        Case c{what, {}, target};
        for (const auto& r : list) c.rings.Add(r);
        cases.push_back(std::move(c));
    };
    add("identical points", {std::vector<double>(200, 5.0)}, 20);
    add("collinear points", {[] {
            std::vector<double> r;
            for (int i = 0; i < 100; ++i) r.insert(r.end(), {double(i), 2.0 * i});
            return r;
        }()},
        10);
    add("a spread below 1e-14", {Wobbly(500, 3, 1e-16)}, 50);
    add("coordinates too large to halve to 1e-14", {Wobbly(500, 4, 1e3, 1e12)}, 50);
    add("many identical rings", std::vector<std::vector<double>>(40, Wobbly(30, 5)), 400);
    std::vector<double> star;
    for (int i = 0; i < 3000; ++i) {
        const double angle = 6.283185307179586 * i / 3000;
        star.insert(star.end(),
                    {std::cos(angle) * (1 + 0.1 * (i % 7)), std::sin(angle) * (1 + 0.1 * (i % 7))});
    }
    add("periodic star whose total jumps by thousands", {star}, 2990);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<double> points;
        std::vector<std::uint32_t> counts;
        ASSERT_TRUE(GeneralizeRings(c.rings.points, c.rings.counts, c.target, points, counts));
        ASSERT_EQ(counts.size(), c.rings.counts.size());
        const std::uint32_t total = std::accumulate(counts.begin(), counts.end(), 0u);
        EXPECT_LE(total,
                  std::max<std::uint32_t>(c.target, 4 * static_cast<std::uint32_t>(counts.size())));
        // Every kept point is a point of the input.
        std::set<std::pair<double, double>> given;
        for (std::size_t i = 0; i < c.rings.points.size(); i += 2)
            given.insert({c.rings.points[i], c.rings.points[i + 1]});
        for (std::size_t i = 0; i < points.size(); i += 2)
            EXPECT_TRUE(given.count({points[i], points[i + 1]}));
    }
}

}  // namespace
