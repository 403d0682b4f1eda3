// libTsdsn.so as the loader loads it: opened by file name, its two entry
// points bound by name, every design reached through the contract alone, and
// what it delivers compared with what ogrinfo reads from the same designs.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <numbers>
#include <regex>
#include <sstream>

#include "dgn/DgnGlobal.h"
#include "dgn/tests/DgnOgrInfo.h"
#include "dgn/tests/DgnTestDesign.h"
#include "dgn/tests/DgnWalk.h"
#include "testing/OgrTools.h"
#include "testing/PluginLibrary.h"
#include "testing/TestSupport.h"

using namespace dgntest;

namespace {

class CPluginTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(plugin_.Bound()); }
    wlxtest::CPluginLibrary::Reader Load(const std::filesystem::path& design,
                                         TFgnFmtErr expected = kFgnOk) {
        wlxtest::CPluginLibrary::Reader reader =
            plugin_.Create(design.string(), (dir_ / "none.ini").string());
        EXPECT_NE(reader, nullptr);
        if (reader) {
            EXPECT_EQ(reader->LoadData(), expected);
        }
        return reader;
    }
    static std::filesystem::path Fixture(const std::string& name) {
        return wlxtest::SourcePath("dgn/tests/data/" + name);
    }
    wlxtest::CPluginLibrary plugin_{"Tsdsn"};
    wlxtest::TempDir dir_;
};

// What every design made by ogr2ogr gives: element by element the points,
// level, graphic group, MSLink and colour that ogrinfo reads.
void CompareWithOgrInfo(CFgnReader& reader, const std::vector<wlxtest::OgrFeature>& ogr) {
    const std::vector<SFeature> features = Walk(reader);
    const std::vector<STable> tables = Tables(reader);
    ASSERT_EQ(tables.size(), 1u);
    ASSERT_EQ(features.size(), ogr.size());
    ASSERT_EQ(tables[0].rows.size(), ogr.size());
    for (std::size_t i = 0; i < ogr.size(); ++i) {
        SCOPED_TRACE(ogr[i].geometry);
        const SFeature& f = features[i];
        ASSERT_TRUE(f.entity) << f.err;
        const int type = wlxtest::IntField(ogr[i], "Type");
        const bool point = type == 3 && ogr[i].points.front() == ogr[i].points.back();
        EXPECT_EQ(f.type, point ? kFgnEntityMPnt : type == 3 ? kFgnEntityLine : kFgnEntityPline);
        ASSERT_EQ(f.points.size(), point ? 1u : ogr[i].points.size());
        for (std::size_t p = 0; p < f.points.size(); ++p) {
            EXPECT_NEAR(f.points[p][0], ogr[i].points[p].first, 1e-9);
            EXPECT_NEAR(f.points[p][1], ogr[i].points[p].second, 1e-9);
        }
        EXPECT_EQ(f.layer, std::to_string(wlxtest::IntField(ogr[i], "Level")));
        EXPECT_EQ(f.colour, FixedColour(wlxtest::IntField(ogr[i], "ColorIndex")));
        if (!point) {
            EXPECT_EQ(f.weight, wlxtest::IntField(ogr[i], "Weight"));
        }
        // Key, Class, Group, Level, EntityNum, MSLink.
        const std::vector<std::int32_t>& row = tables[0].rows[i];
        EXPECT_EQ(std::to_string(row[0]), f.key);
        EXPECT_EQ(row[2], wlxtest::IntField(ogr[i], "GraphicGroup"));
        EXPECT_EQ(row[3], wlxtest::IntField(ogr[i], "Level"));
        EXPECT_EQ(row[4], wlxtest::IntField(ogr[i], "EntityNum"));
        EXPECT_EQ(row[5], wlxtest::IntField(ogr[i], "MSLink"));
    }
}

// The envelope of an arc by its definition: xmin, ymin, xmax, ymax.
std::array<double, 4> ArcEnvelope(const SFeature& f) {
    double span = f.counterClockwise ? f.end - f.start : f.start - f.end;
    span = std::fmod(std::fmod(span, 360) + 360, 360);
    if (span == 0) span = 360;
    std::array<double, 4> box = {1e300, 1e300, -1e300, -1e300};
    const int steps = 36000;
    for (int i = 0; i <= steps; ++i) {
        const double a =
            (f.start + (f.counterClockwise ? 1 : -1) * span * i / steps) * std::numbers::pi / 180;
        const double x = f.points[0][0] + f.xRadius * std::cos(a);
        const double y = f.points[0][1] + f.yRadius * std::sin(a);
        box = {std::min(box[0], x), std::min(box[1], y), std::max(box[2], x), std::max(box[3], y)};
    }
    return box;
}

}  // namespace

TEST_F(CPluginTest, DesignsMadeByOgr2ogrMatchOgrinfo) {
    FIND_TOOL_OR_SKIP(ogrinfo, "ogrinfo");
    for (const char* name : {"shapes.dgn", "attributes.dgn"}) {
        SCOPED_TRACE(name);
        auto reader = Load(Fixture(name));
        CompareWithOgrInfo(*reader, wlxtest::OgrInfo(ogrinfo, Fixture(name)));
    }
}

TEST_F(CPluginTest, AttributesOfADesignMadeByOgr2ogr) {
    auto reader = Load(Fixture("attributes.dgn"));
    TFgnFmtErr err;
    EXPECT_EQ(reader->GetDimension(err), kFgn2d);
    const std::vector<SFeature> f = Walk(*reader);
    const std::vector<STable> t = Tables(*reader);
    ASSERT_EQ(f.size(), 6u);
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0].name, "attributes");
    // Level 5, graphic group 7, MSLink 345678 from its linkage, colour 83.
    EXPECT_EQ(t[0].rows[0], (std::vector<std::int32_t>{std::stoi(f[0].key), 0, 7, 5, 0, 345678}));
    EXPECT_EQ(f[0].colour, 180);
    EXPECT_EQ(f[0].weight, 2);
    EXPECT_EQ(f[0].pattern, "CONTINUOUS");
    EXPECT_NEAR(f[0].points[0][0], -30.25, 1e-12);
    EXPECT_EQ(t[0].rows[3][2], 65535);
    EXPECT_EQ(t[0].rows[3][3], 63);
    EXPECT_EQ(t[0].rows[3][5], 2147483647);
    EXPECT_EQ(f[1].type, kFgnEntityMPnt);
}

TEST_F(CPluginTest, TheSeedsOfGdalDataOpenAndThreeDIsSaid) {
    const std::filesystem::path gdal = "/usr/share/gdal";
    if (!std::filesystem::exists(gdal / "seed_3d.dgn"))
        GTEST_SKIP() << "gdal-data is not installed";
    TFgnFmtErr err;
    auto two = Load(gdal / "seed_2d.dgn");
    EXPECT_EQ(two->GetDimension(err), kFgn2d);
    EXPECT_EQ(err, kFgnOk);
    EXPECT_TRUE(Walk(*two).empty());
    EXPECT_EQ(Tables(*two).at(0).name, "seed_2d");
    // The loader refuses a 3-D design on this answer (its message 40034).
    auto three = Load(gdal / "seed_3d.dgn");
    EXPECT_EQ(three->GetDimension(err), kFgn3d);
    EXPECT_EQ(err, kFgnOk);
}

// Arcs and ellipses built from bytes, written to a file both readers read:
// the envelope of each by its definition is the envelope of ogrinfo's points.
TEST_F(CPluginTest, ArcsAndEllipsesHaveTheEnvelopesOgrinfoReports) {
    FIND_TOOL_OR_SKIP(ogrinfo, "ogrinfo");
    const auto deg = [](double d) { return static_cast<std::int32_t>(std::lround(d * 360000)); };
    const std::uint32_t cw = 0x80000000u;
    const Bytes design = Design(
        Control(100, 10, -1e6, -1e6),
        {
            // A full circle stored with sweep 0.
            Element({.type = 16}, ArcBody(0, 0, 5000, 5000, 0, -1e6 + 10000, -1e6 + 20000)),
            Element({.type = 16}, ArcBody(0, 90 * 360000, 4000, 4000, 0, -1e6, -1e6)),
            Element({.type = 16}, ArcBody(deg(350), 20 * 360000, 3000, 3000, 0, -1e6, -1e6)),
            Element({.type = 16}, ArcBody(deg(10), cw | 100 * 360000, 2000, 2000, 0, -1e6, -1e6)),
            Element({.type = 16}, ArcBody(deg(15), 60 * 360000, 6000, 6000, deg(30), -1e6, -1e6)),
            Element({.type = 16}, ArcBody(deg(45), 180 * 360000, 8000, 2000, 0, -1e6 + 500, -1e6)),
            Element({.type = 15}, EllipseBody(6000, 3000, 0, -1e6 - 2000, -1e6 + 1000)),
            Element({.type = 15}, EllipseBody(2500, 2500, deg(45), -1e6, -1e6 - 7000)),
        });
    wlxtest::WriteBytes(dir_ / "arcs.dgn", design);
    const std::vector<wlxtest::OgrFeature> ogr = wlxtest::OgrInfo(ogrinfo, dir_ / "arcs.dgn");
    auto reader = Load(dir_ / "arcs.dgn");
    const std::vector<SFeature> f = Walk(*reader);
    ASSERT_EQ(f.size(), 8u);
    ASSERT_EQ(ogr.size(), 8u);
    for (std::size_t i = 0; i < f.size(); ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(f[i].type, kFgnEntityArc);
        std::array<double, 4> expected = {1e300, 1e300, -1e300, -1e300};
        for (const auto& [x, y] : ogr[i].points)
            expected = {std::min(expected[0], x), std::min(expected[1], y),
                        std::max(expected[2], x), std::max(expected[3], y)};
        const std::array<double, 4> box = ArcEnvelope(f[i]);
        // ogrinfo strokes arcs; its points stay within 0.4% of the radius of the curve.
        const double tolerance = 0.004 * std::max(f[i].xRadius, f[i].yRadius);
        for (int k = 0; k < 4; ++k) EXPECT_NEAR(box[k], expected[k], tolerance) << k;
    }
    EXPECT_NEAR(ArcEnvelope(f[0])[0], 5, 1e-6);
    EXPECT_NEAR(ArcEnvelope(f[0])[3], 25, 1e-6);
}

TEST_F(CPluginTest, DamagedDesignsGiveErrorsThroughTheContract) {
    const Bytes good = wlxtest::ReadBytes(Fixture("shapes.dgn"));
    // The first line string's vertex count far beyond the element.
    std::size_t first = 0;
    for (std::size_t at = 0; at + 4 <= good.size();
         at += 4 + 2 * (good[at + 2] | good[at + 3] << 8))
        if ((good[at + 1] & 0x7F) == 4) {
            first = at;
            break;
        }
    ASSERT_NE(first, 0u);
    Bytes damaged = good;
    damaged[first + 36] = damaged[first + 37] = 0xFF;
    wlxtest::WriteBytes(dir_ / "count.dgn", damaged);
    auto reader = Load(dir_ / "count.dgn");
    const std::vector<SFeature> f = Walk(*reader);
    ASSERT_FALSE(f.empty());
    EXPECT_EQ(f[0].err, kFgnIncomplete);
    EXPECT_TRUE(f[1].entity);
    // Cut inside its last element: the elements before it, then an error.
    wlxtest::WriteBytes(dir_ / "cut.dgn", Bytes(good.begin(), good.end() - 20));
    auto cut = Load(dir_ / "cut.dgn");
    const std::vector<SFeature> c = Walk(*cut);
    ASSERT_EQ(c.size(), 5u);
    EXPECT_EQ(c[4].err, kFgnNotLoaded);
    // Not a design, and no file at all.
    wlxtest::WriteText(dir_ / "text.dgn", "not a design file\n");
    Load(dir_ / "text.dgn", kFgnIncomplete);
    Load(dir_ / "missing.dgn", kFgnNotLoaded);
    plugin_.destroy()(nullptr);
}
