#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <vector>

#include "loader/core/FeatureRecord.h"
#include "loader/core/LoaderSettings.h"
#include "loader/core/PointReducer.h"
#include "loader/core/PointReduction.h"
#include "platform/ComPtr.h"
#include "testing/GeometryDump.h"
#include "testing/GeometryFixture.h"
#include "testing/RecordingReporter.h"

namespace {

using Points = DumpPoints;
using Parts = std::vector<Points>;

// y values at x = 0, 1, 2, ...
Points AlongX(std::vector<double> ys) {
    Points points;
    for (std::size_t i = 0; i < ys.size(); ++i) points.push_back({static_cast<double>(i), ys[i]});
    return points;
}

Points Zigzag(int count, bool closed) {
    Points points;
    for (int i = 0; i < count; ++i) points.push_back({i, (i * 7919 % 13) * 0.5});
    if (closed) points.push_back(points.front());
    return points;
}

// Points along half a circle, or with `closed` the whole circle back to its
// first point. The reducer splits every chord of an arc near its middle, so
// that the cases of the part limit (70,000 points) reduce in a moment even
// under the sanitizers; a zigzag's many equal distances split each chord
// near its start instead, and cost seconds.
Points Arc(int count, bool closed) {
    const double sweep = closed ? 2 * std::numbers::pi : std::numbers::pi;
    Points points;
    for (int i = 0; i < count; ++i) {
        const double angle = sweep * i / count;
        points.push_back({1000 * std::cos(angle), 1000 * std::sin(angle)});
    }
    if (closed) points.push_back(points.front());
    return points;
}

class PointReducerTest : public wlxtest::GeometryFixture {
protected:
    void SetUp() override {
        GeometryFixture::SetUp();
        settings.reporter = &reporter;
    }

    ComPtr<IWKBGeometry> Build(EWKBGeometryType type, const Parts& parts) {
        switch (type) {
            case kWkbLineString:
                return AsGeometry(Line(parts.at(0)));
            case kWkbPolygon:
                return AsGeometry(Polygon(parts.at(0)));
            case kWkbMultiLineString: {
                ComPtr<IWKBMultiLineString> lines;
                Factory()->NewWKBMultiLineString(lines.Put());
                for (const Points& part : parts) lines->AddLineString(Line(part).Get());
                return AsGeometry(lines);
            }
            case kWkbMultiPolygon: {
                ComPtr<IWKBMultiPolygon> polygons;
                Factory()->NewWKBMultiPolygon(polygons.Put());
                for (const Points& part : parts) polygons->AddPolygon(Polygon(part).Get());
                return AsGeometry(polygons);
            }
            case kWkbGeometryCollection: {
                ComPtr<IWKBGeometryCollection> all;
                Factory()->NewWKBGeometryCollection(all.Put());
                for (const Points& part : parts) all->AddGeometry(AsGeometry(Line(part)).Get());
                return AsGeometry(all);
            }
            default:
                return MultiPoint(parts.at(0));
        }
    }
    static Parts Read(IWKBGeometry* geometry) { return Dump(geometry).parts; }
    static std::vector<std::size_t> Sizes(const Parts& parts) {
        std::vector<std::size_t> sizes;
        for (const Points& part : parts) sizes.push_back(part.size());
        return sizes;
    }

    CLoaderSettings settings;
    CRecordingReporter reporter;
};

TEST_F(PointReducerTest, KeepsTheFarthestPoints) {
    const Points line = AlongX({0, 0, 5, 0, 0, 0, -3, 0, 1, 0});
    auto geometry = Build(kWkbLineString, {line});
    CPointReducer reducer(&settings, settings.maxPoints);
    ASSERT_EQ(reducer.ReduceGeometry(geometry.Get(), 50.0), 0);
    EXPECT_EQ(Read(geometry.Get()), (Parts{{line[0], line[2], line[6], line[7], line[9]}}));
    EXPECT_TRUE(reporter.warnings.empty());
}

TEST_F(PointReducerTest, ReducesEveryGeometryByItsType) {
    const struct {
        const char* what;
        EWKBGeometryType type;
        Parts parts;
        int maxPoints;
        double percent;
        std::vector<std::size_t> sizes;
        bool warned;
    } cases[] = {
        {"a line at 10% keeps its two ends",
         kWkbLineString,
         {Zigzag(10, false)},
         2097152,
         10,
         {2},
         false},
        {"a ring at 10% keeps four points",
         kWkbPolygon,
         {Zigzag(9, true)},
         2097152,
         10,
         {4},
         false},
        {"a line of 20 under /MAXPOINTS:8", kWkbLineString, {Zigzag(20, false)}, 8, 100, {8}, true},
        {"a line already within the limit",
         kWkbLineString,
         {Zigzag(20, false)},
         20,
         100,
         {20},
         false},
        {"an open ring is capped one below the part limit",
         kWkbPolygon,
         {Arc(70000, false)},
         2097152,
         100,
         {65534},
         true},
        {"a closed ring keeps the part limit",
         kWkbPolygon,
         {Arc(69999, true)},
         2097152,
         100,
         {65535},
         true},
        {"an open ring of the part limit loses one point",
         kWkbPolygon,
         {Arc(65535, false)},
         2097152,
         100,
         {65534},
         true},
        {"two lines of 20 fitted into 8",
         kWkbMultiLineString,
         {Zigzag(20, false), Zigzag(20, false)},
         8,
         100,
         {4, 4},
         false},
        {"two rings of 10 fitted into 8",
         kWkbMultiPolygon,
         {Zigzag(9, true), Zigzag(9, true)},
         8,
         100,
         {4, 4},
         false},
        {"three rings whose minimums exceed the maximum",
         kWkbMultiPolygon,
         {Zigzag(9, true), Zigzag(9, true), Zigzag(9, true)},
         8,
         100,
         {4, 4, 4},
         false},
        {"a multi-line member over the part limit at 100%",
         kWkbMultiLineString,
         {Arc(70000, false)},
         2097152,
         100,
         {65535},
         true},
        {"a multipolygon's ring over the part limit at 100%",
         kWkbMultiPolygon,
         {Arc(70000, true)},
         2097152,
         100,
         {65535},
         true},
        {"one polygon of 100 points under /MAXPOINTS:8 as BNA gives it",
         kWkbMultiPolygon,
         {Arc(99, true)},
         8,
         100,
         {8},
         true},
        {"a closed line at 10% keeps three distinct points",
         kWkbLineString,
         {Zigzag(9, true)},
         2097152,
         10,
         {4},
         false},
        {"closed and open members of a multi-line at 10%",
         kWkbMultiLineString,
         {Zigzag(9, true), Zigzag(20, false)},
         2097152,
         10,
         {4, 2},
         false},
        {"repeated points are not kept in place of distinct ones",
         kWkbLineString,
         {{{0, 0}, {0, 0}, {0, 0}, {5, 0}, {5, 0}, {5, 5}, {5, 5}, {0, 0}}},
         2097152,
         10,
         {4},
         false},
        {"a multi-line at 50%",
         kWkbMultiLineString,
         {Zigzag(10, false), Zigzag(3, false)},
         2097152,
         50,
         {5, 2},
         false},
        {"a collection's members by their own type",
         kWkbGeometryCollection,
         {Zigzag(10, false), Zigzag(20, false)},
         8,
         50,
         {5, 8},
         true},
        {"multi-points keep their points", kWkbMultiPoint, {Zigzag(30, false)}, 8, 10, {30}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        reporter.warnings.clear();
        settings.warnings = 0;
        auto geometry = Build(c.type, c.parts);
        CPointReducer reducer(&settings, c.maxPoints);
        ASSERT_EQ(reducer.ReduceGeometry(geometry.Get(), c.percent), 0);
        const Parts parts = Read(geometry.Get());
        EXPECT_EQ(Sizes(parts), c.sizes);
        for (std::size_t i = 0; i < parts.size(); ++i) {
            ASSERT_FALSE(parts[i].empty());
            EXPECT_EQ(parts[i].front(), c.parts[i].front());
            EXPECT_EQ(parts[i].back(), c.parts[i].back());
        }
        EXPECT_EQ(reporter.warnings.size(), c.warned ? 1u : 0u);
        EXPECT_EQ(settings.warnings, c.warned ? 1 : 0);
    }
}

TEST_F(PointReducerTest, WarnsOncePerRun) {
    CPointReducer reducer(&settings, 8);
    CFeatureRecord record;
    for (int i = 0; i < 3; ++i) {
        record.Clear();
        record.SetGeometry(Build(kWkbLineString, {Zigzag(30, false)}).Get());
        ASSERT_EQ(reducer.Reduce(&record, 100.0), 0);
        ComPtr<IWKBGeometry> geometry;
        record.GetGeometry(geometry.Put());
        EXPECT_EQ(Sizes(Read(geometry.Get())), std::vector<std::size_t>{8});
    }
    ASSERT_EQ(reporter.warnings.size(), 1u);
    EXPECT_EQ(reporter.warnings[0],
              "Warning : Reducing object(s) point count to below maximum value...");
}

TEST_F(PointReducerTest, ClampsTheMaximum) {
    const struct {
        int given, object, part;
    } cases[] = {{3, 8, 8}, {100, 100, 100}, {70000, 70000, 65535}, {9999999, 2097152, 65535}};
    for (const auto& c : cases) {
        CPointReducer reducer(&settings, c.given);
        EXPECT_EQ(reducer.ObjectMaximum(), c.object) << c.given;
        EXPECT_EQ(reducer.PartMaximum(), c.part) << c.given;
    }
}

}  // namespace

namespace {

// The reduction as a scan of every chord's inner points finds it.
PointList ReferenceReduction(const PointList& points, std::size_t target) {
    struct Chord {
        std::size_t start, end, farthest = 0;
        double distance = 0;
    };
    const auto farthest = [&](Chord& c) {
        if (c.end <= c.start + 1) return false;
        const CPoint2d& s = points[c.start];
        const CPoint2d& e = points[c.end];
        const double a = s.y - e.y, b = e.x - s.x;
        const double cc = -(a * s.x) - b * s.y;
        double best = -1;
        for (std::size_t i = c.start + 1; i < c.end; ++i) {
            const CPoint2d& p = points[i];
            double d;
            if (a == 0.0 && b == 0.0) {
                d = (p.x - s.x) * (p.x - s.x) + (p.y - s.y) * (p.y - s.y);
            } else {
                const double v = a * p.x + b * p.y + cc;
                d = v * v / (a * a + b * b);
            }
            if (std::isnan(d)) d = 0;
            if (d > best) {
                best = d;
                c.farthest = i;
            }
        }
        c.distance = best;
        return true;
    };
    std::vector<Chord> chords;
    Chord first{0, points.size() - 1};
    if (farthest(first)) chords.push_back(first);
    std::vector<char> kept(points.size(), 0);
    kept.front() = kept.back() = 1;
    for (std::size_t count = 2; count < target && !chords.empty(); ++count) {
        std::size_t pick = 0;
        for (std::size_t i = 1; i < chords.size(); ++i)
            if (chords[i].distance > chords[pick].distance ||
                (chords[i].distance == chords[pick].distance &&
                 chords[i].start < chords[pick].start))
                pick = i;
        const Chord c = chords[pick];
        chords.erase(chords.begin() + static_cast<std::ptrdiff_t>(pick));
        kept[c.farthest] = 1;
        Chord left{c.start, c.farthest}, right{c.farthest, c.end};
        if (farthest(left)) chords.push_back(left);
        if (farthest(right)) chords.push_back(right);
    }
    PointList out;
    for (std::size_t i = 0; i < points.size(); ++i)
        if (kept[i]) out.push_back(points[i]);
    return out;
}

TEST(PointReduction, KeepsThePointsAScanOfEveryChordKeeps) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<std::pair<const char*, PointList>> lines;
    PointList zigzag, level, random, closed, repeats, spiked;
    std::uint32_t seed = 12345;
    const auto next = [&] { return (seed = seed * 1103515245u + 12345u) >> 8; };
    for (int i = 0; i < 3000; ++i) {
        zigzag.push_back({i * 1e-5, (i % 17) * 1e-4});
        level.push_back({static_cast<double>(i), static_cast<double>(i % 5 == 0)});
        random.push_back({static_cast<double>(next() % 1000), static_cast<double>(next() % 1000)});
        closed.push_back({std::cos(i * 0.01) * (1 + i % 3), std::sin(i * 0.01) * (1 + i % 3)});
        repeats.push_back({static_cast<double>(i / 50), static_cast<double>((i / 50) % 2)});
        spiked.push_back({static_cast<double>(i), i % 97 == 0 ? nan : (i % 13) * 0.5});
    }
    closed.push_back(closed.front());
    lines = {{"zigzag", zigzag}, {"level with equal spikes", level}, {"random", random},
             {"closed", closed}, {"runs of repeats", repeats},       {"NaN spikes", spiked}};
    for (const auto& [what, line] : lines) {
        for (std::size_t target : {3u, 40u, 700u, 2999u}) {
            SCOPED_TRACE(std::string(what) + " to " + std::to_string(target));
            PointList reduced = line;
            ReduceToCount(reduced, target);
            const PointList expected = ReferenceReduction(line, target);
            ASSERT_EQ(reduced.size(), expected.size());
            for (std::size_t i = 0; i < reduced.size(); ++i) {
                const bool same = (reduced[i].x == expected[i].x ||
                                   (std::isnan(reduced[i].x) && std::isnan(expected[i].x))) &&
                                  (reduced[i].y == expected[i].y ||
                                   (std::isnan(reduced[i].y) && std::isnan(expected[i].y)));
                ASSERT_TRUE(same) << "point " << i;
            }
        }
    }
}

}  // namespace
