// The reader over covers made by avcimport from the E00 fixtures and over
// covers of the tests' own generator: what it delivers equals what ogrinfo
// reads from the same cover, its walk repeats after a rewind, and damaged
// covers give failures or skipped positions, never a crash or a hang.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <sstream>

#include "coverage/plugin/EsriEntity.h"
#include "coverage/plugin/EsriModule.h"
#include "coverage/plugin/tests/CoverWalk.h"
#include "testing/TestSupport.h"
#include "testing/coverage/CoverGenerator.h"
#include "testing/coverage/OutsideTools.h"

namespace covtest {
namespace {

// Each PAL feature's rings as ogrinfo prints them, by feature id.
std::map<std::int64_t, std::vector<Ring>> OgrPolygons(const std::filesystem::path& ogrinfo,
                                                      const std::filesystem::path& cover) {
    std::map<std::int64_t, std::vector<Ring>> out;
    const auto run = wlxtest::Run(ogrinfo, {"-ro", "-al", cover.string(), "PAL"});
    std::istringstream lines(run.out);
    std::int64_t fid = -1;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("OGRFeature(PAL):", 0) == 0) fid = std::stoll(line.substr(16));
        const std::size_t at = line.find("POLYGON ((");
        if (at == std::string::npos || fid < 0) continue;
        std::vector<Ring> rings;
        Ring ring;
        std::string number;
        double x = 0;
        bool haveX = false;
        auto flush = [&] {
            if (number.empty()) return;
            const double v = std::stod(number);
            number.clear();
            if (!haveX) {
                x = v;
                haveX = true;
            } else {
                ring.emplace_back(x, v);
                haveX = false;
            }
        };
        for (char c : line.substr(at + 7)) {
            if (c == '(') {
                ring.clear();
            } else if (c == ')') {
                flush();
                if (!ring.empty()) rings.push_back(ring);
                ring.clear();
            } else if (c == ' ' || c == ',') {
                flush();
            } else {
                number += c;
            }
        }
        out[fid] = rings;
    }
    return out;
}

struct SImported {
    wlxtest::TempDir dir;
    bool ok = false;
    explicit SImported(const std::string& name) {
        const auto avcimport = wlxtest::FindTool("avcimport");
        ok = !avcimport.empty() && ImportE00(avcimport, name, dir.path());
    }
};

std::unique_ptr<CESRIReader> Loaded(const std::filesystem::path& ws, const std::string& cover,
                                    TFgnBool assemble = kFgnTrue) {
    auto reader = std::make_unique<CESRIReader>(ws.string().c_str(), cover.c_str(), assemble);
    EXPECT_EQ(reader->LoadData(), kFgnOk);
    return reader;
}

TEST(EsriReaderTest, SquareCoverEqualsOgrinfo) {
    FIND_TOOL_OR_SKIP(ogrinfo, "ogrinfo");
    SImported ws("square");
    if (!ws.ok) GTEST_SKIP() << "avcimport is not installed";
    auto reader = Loaded(ws.dir.path(), "square");
    const std::vector<SWalked> all = Walk(*reader);
    OgrLayers layers = ReadWithOgrInfo(ogrinfo, ws.dir / "square");

    // Arcs in record order: lines for two vertices, polylines otherwise.
    const auto arcs = OnLayer(all, "ARCS");
    ASSERT_EQ(arcs.size(), layers["ARC"].size());
    for (std::size_t i = 0; i < arcs.size(); ++i) {
        EXPECT_EQ(arcs[i].key, std::to_string(i + 1));
        EXPECT_EQ(arcs[i].type, arcs[i].rings[0].size() == 2 ? kFgnEntityLine : kFgnEntityPline);
        const std::vector<double>& ogr = layers["ARC"][i].coordinates;
        ASSERT_EQ(ogr.size(), 2 * arcs[i].rings[0].size());
        for (std::size_t v = 0; v < arcs[i].rings[0].size(); ++v) {
            EXPECT_DOUBLE_EQ(arcs[i].rings[0][v].first, ogr[2 * v]);
            EXPECT_DOUBLE_EQ(arcs[i].rings[0][v].second, ogr[2 * v + 1]);
        }
    }

    // Polygons 2 to N with ogrinfo's rings; polygon 1 is never delivered.
    const auto ogrPolygons = OgrPolygons(ogrinfo, ws.dir / "square");
    std::vector<SWalked> polygons = OnLayer(all, "POLYGONS");
    for (const SWalked& w : OnLayer(all, kInternalPolygonsLayer)) polygons.push_back(w);
    ASSERT_EQ(polygons.size(), ogrPolygons.size());
    for (const SWalked& polygon : polygons) {
        SCOPED_TRACE("polygon " + polygon.key);
        const auto it = ogrPolygons.find(std::stoll(polygon.key));
        ASSERT_NE(it, ogrPolygons.end());
        EXPECT_EQ(CanonicalRings(polygon.rings), CanonicalRings(it->second));
        for (const Ring& ring : polygon.rings) EXPECT_EQ(ring.front(), ring.back());
        if (polygon.rings.size() > 1) {
            EXPECT_EQ(polygon.type, kFgnEntityCPly);
            EXPECT_EQ(polygon.areaTypes, (std::vector<TFgnAreaType>{kFgnAreaOuter, kFgnAreaInner}));
        }
    }
    // Polygon 3 fills polygon 2's hole.
    const auto islands = OnLayer(all, kInternalPolygonsLayer);
    ASSERT_EQ(islands.size(), 1u);
    EXPECT_EQ(islands[0].key, "3");

    // Labels belong to the polygons: no points; texts at ogrinfo's points.
    EXPECT_TRUE(OnLayer(all, "POINTS").empty());
    EXPECT_TRUE(OnLayer(all, "LABELPTS").empty());
    const auto texts = OnLayer(all, "TEXT");
    ASSERT_EQ(texts.size(), layers["TXT"].size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(texts[i].text, layers["TXT"][i].fields["Text"]);
        EXPECT_DOUBLE_EQ(texts[i].rings[0][0].first, layers["TXT"][i].coordinates[0]);
        EXPECT_DOUBLE_EQ(texts[i].rings[0][0].second, layers["TXT"][i].coordinates[1]);
        EXPECT_DOUBLE_EQ(texts[i].height, std::stod(layers["TXT"][i].fields["Height"]));
    }
    for (const SWalked& w : all) EXPECT_FALSE(w.skipped);

    TFgnFmtErr err = kFgnOk;
    EXPECT_STREQ(reader->GetCoordSys(err), "LL");  // bounds 0..20, 0..10
    EXPECT_EQ(reader->GetDataPrecision(err), kFgnSingle);
}

TEST(EsriReaderTest, IslandsStayInternalAfterRewinds) {
    SImported ws("square");
    if (!ws.ok) GTEST_SKIP() << "avcimport is not installed";
    auto reader = Loaded(ws.dir.path(), "square");
    const auto first = Walk(*reader);
    for (int walk = 0; walk < 2; ++walk) {
        const auto again = Walk(*reader);
        ASSERT_EQ(again.size(), first.size());
        for (std::size_t i = 0; i < first.size(); ++i) {
            EXPECT_EQ(again[i].layer, first[i].layer) << i;
            EXPECT_EQ(again[i].rings, first[i].rings) << i;
        }
    }
    EXPECT_EQ(OnLayer(Walk(*reader), kInternalPolygonsLayer).size(), 1u);
    // Unloaded and loaded again, the islands are found anew.
    EXPECT_EQ(reader->UnloadData(), kFgnOk);
    EXPECT_EQ(reader->UnloadData(), kFgnNotLoaded);
    EXPECT_EQ(reader->LoadData(), kFgnOk);
    EXPECT_EQ(OnLayer(Walk(*reader), kInternalPolygonsLayer).size(), 1u);
}

TEST(EsriReaderTest, WithoutAssemblyPolygonsAreTheirLabelPoints) {
    SImported ws("square");
    if (!ws.ok) GTEST_SKIP() << "avcimport is not installed";
    auto reader = Loaded(ws.dir.path(), "square", kFgnFalse);
    const auto labels = OnLayer(Walk(*reader), "LABELPTS");
    // N = 4 records, 3 labels: polygon p takes label p - 1.
    ASSERT_EQ(labels.size(), 3u);
    EXPECT_EQ(labels[0].key, "2");
    EXPECT_EQ(labels[0].rings[0], (Ring{{2, 2}}));
    EXPECT_EQ(labels[2].rings[0], (Ring{{15, 5}}));
}

TEST(EsriReaderTest, CoverWithoutPolygonsDeliversPointsFirst) {
    FIND_TOOL_OR_SKIP(ogrinfo, "ogrinfo");
    SImported ws("wells");
    if (!ws.ok) GTEST_SKIP() << "avcimport is not installed";
    auto reader = Loaded(ws.dir.path(), "wells");
    const auto all = Walk(*reader);
    OgrLayers layers = ReadWithOgrInfo(ogrinfo, ws.dir / "wells");
    const auto points = OnLayer(all, "POINTS");
    ASSERT_EQ(points.size(), layers["LAB"].size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        EXPECT_EQ(all[i].layer, "POINTS");
        EXPECT_DOUBLE_EQ(points[i].rings[0][0].first, layers["LAB"][i].coordinates[0]);
        EXPECT_DOUBLE_EQ(points[i].rings[0][0].second, layers["LAB"][i].coordinates[1]);
    }
    EXPECT_EQ(OnLayer(all, "ARCS").size(), layers["ARC"].size());
    TFgnFmtErr err = kFgnOk;
    EXPECT_STREQ(reader->GetCoordSys(err), "");  // projected bounds
    EXPECT_EQ(reader->GetDataPrecision(err), kFgnDouble);
}

// The generator's sample: polygon 3 an island of polygon 2, labels and tics.
TEST(EsriReaderTest, GeneratedCoversInEveryFormGiveTheSameEntities) {
    std::vector<SWalked> reference;
    for (const bool big : {true, false})
        for (const bool dbl : {false, true})
            for (const bool tableForm : {false, true}) {
                SCOPED_TRACE(std::to_string(big) + std::to_string(dbl) + std::to_string(tableForm));
                GenCover cover = SampleCover("sample");
                cover.big_endian = big;
                cover.double_precision = dbl;
                cover.table_form = tableForm;
                wlxtest::TempDir dir;
                WriteFiles(dir.path(), CoverFiles(cover));
                auto reader = Loaded(dir.path(), "SAMPLE");  // names found ignoring case
                const auto all = Walk(*reader);
                for (const SWalked& w : all) EXPECT_FALSE(w.skipped);
                if (reference.empty()) {
                    reference = all;
                    EXPECT_EQ(OnLayer(all, kInternalPolygonsLayer).size(), 1u);
                    EXPECT_EQ(OnLayer(all, "TICS").size(), cover.tics.size());
                    continue;
                }
                ASSERT_EQ(all.size(), reference.size());
                for (std::size_t i = 0; i < all.size(); ++i) {
                    EXPECT_EQ(all[i].layer, reference[i].layer);
                    EXPECT_EQ(all[i].rings, reference[i].rings);
                }
            }
}

TEST(EsriReaderTest, PairingFollowsTheRecordCounts) {
    struct SCase {
        int labels, centroids;
        std::size_t polygons, skipped;
    };
    // The sample has N = 3 polygon records.
    for (const SCase c :
         {SCase{3, 0, 2, 0}, SCase{2, 0, 2, 0}, SCase{0, 3, 2, 0}, SCase{5, 0, 0, 2}}) {
        SCOPED_TRACE(c.labels);
        GenCover cover = SampleCover("pair");
        cover.labels.resize(static_cast<std::size_t>(c.labels), Label{1, 2, 1, 1});
        cover.centroids.resize(static_cast<std::size_t>(c.centroids), Centroid{1, 1, {}});
        cover.pat = {};
        wlxtest::TempDir dir;
        WriteFiles(dir.path(), CoverFiles(cover));
        auto reader = Loaded(dir.path(), "pair");
        const auto all = Walk(*reader);
        EXPECT_EQ(OnLayer(all, "POLYGONS").size() + OnLayer(all, kInternalPolygonsLayer).size(),
                  c.polygons);
        std::size_t skipped = 0;
        for (const SWalked& w : all) skipped += w.skipped;
        // Undeliverable polygons are reported, not hidden.
        EXPECT_EQ(skipped, c.skipped);
        EXPECT_TRUE(OnLayer(all, "POINTS").empty());
    }
}

TEST(EsriReaderTest, PolygonsThatCannotBeBuiltAreReportedAsSkipped) {
    struct SCase {
        const char* what;
        std::vector<std::int32_t> arcs;
    };
    // Polygon 3 of the sample is arcs 2 and 3, nodes 2 -> 3 -> 2.
    for (const SCase& c : std::vector<SCase>{{"a ring that does not close", {2}},
                                             {"an arc that is not there", {2, 9}},
                                             {"only separators", {0, 0}}}) {
        SCOPED_TRACE(c.what);
        GenCover cover = SampleCover("bad");
        cover.polygons[2].arcs = c.arcs;
        cover.polygons[2].nodes.assign(c.arcs.size(), 2);
        cover.polygons[2].polygons.assign(c.arcs.size(), 2);
        wlxtest::TempDir dir;
        WriteFiles(dir.path(), CoverFiles(cover));
        auto reader = Loaded(dir.path(), "bad");
        const auto all = Walk(*reader);
        // Arcs, polygon 2, the skipped polygon 3, tics, text.
        ASSERT_EQ(all.size(), 4u + 2u + 4u + 1u);
        EXPECT_FALSE(all[4].skipped);
        EXPECT_TRUE(all[5].skipped);
        TFgnFmtErr err = kFgnOk;
        reader->Rewind();
        for (int i = 0; i < 5; ++i) reader->Step();
        EXPECT_EQ(reader->GetCurrent(err), nullptr);
        EXPECT_EQ(err, kFgnIncomplete);
    }
}

// A ring through its start node goes on to its separator; an arc that does
// not join the open end is left out.
TEST(EsriReaderTest, RingsEndAtTheirSeparator) {
    GenCover cover = SampleCover("loop");
    const double o = 1000.125;
    // Arc 4 becomes a loop at node 2, polygon 3's start node, walked after
    // the ring has come back to it; arc 1 does not join at node 3.
    cover.arcs[3] = {4, 2, 2, 3, 3, {{o + 4, o + 4}, {o + 3, o + 3}, {o + 4, o + 4}}};
    cover.polygons[2].arcs = {2, 1, 3, 4};
    cover.polygons[2].nodes = {2, 1, 3, 2};
    cover.polygons[2].polygons = {2, 2, 2, 2};
    wlxtest::TempDir dir;
    WriteFiles(dir.path(), CoverFiles(cover));
    auto reader = Loaded(dir.path(), "loop");
    const auto polygons = OnLayer(Walk(*reader), kInternalPolygonsLayer);
    ASSERT_EQ(polygons.size(), 1u);
    EXPECT_EQ(polygons[0].rings, (std::vector<Ring>{{{o + 4, o + 4},
                                                     {o + 4, o + 6},
                                                     {o + 6, o + 6},
                                                     {o + 6, o + 4},
                                                     {o + 4, o + 4},
                                                     {o + 3, o + 3},
                                                     {o + 4, o + 4}}}));
}

TEST(EsriReaderTest, GeographicBoundsAnswerLL) {
    struct SCase {
        double xmin, ymin, xmax, ymax;
        const char* expected;
    };
    for (const SCase c : {SCase{-180, -90, 180, 90, "LL"}, SCase{-180.5, 0, 10, 10, ""},
                          SCase{0, -90, 180, 90.001, ""}}) {
        GenCover cover = SampleCover("ll");
        cover.bounds = std::array<double, 4>{c.xmin, c.ymin, c.xmax, c.ymax};
        cover.double_precision = true;
        wlxtest::TempDir dir;
        WriteFiles(dir.path(), CoverFiles(cover));
        auto reader = Loaded(dir.path(), "ll");
        TFgnFmtErr err = kFgnOk;
        EXPECT_STREQ(reader->GetCoordSys(err), c.expected) << c.xmin;
    }
}

TEST(EsriReaderTest, UnloadedReaderAnswersNotLoaded) {
    CESRIReader reader("/nonexistent", "none", kFgnTrue);
    TFgnFmtErr err = kFgnOk;
    EXPECT_EQ(reader.LoadData(), kFgnNotLoaded);
    EXPECT_EQ(reader.Rewind(), kFgnNotLoaded);
    EXPECT_EQ(reader.Step(), kFgnNotLoaded);
    EXPECT_EQ(reader.RewindTable(), kFgnNotLoaded);
    EXPECT_EQ(reader.GetCurrent(err), nullptr);
    EXPECT_EQ(err, kFgnNoCurrent);
    EXPECT_EQ(reader.GetCoordSys(err), nullptr);
    EXPECT_EQ(err, kFgnNotLoaded);
    double a, b, c, d;
    EXPECT_EQ(reader.GetExtents(a, b, c, d), kFgnNotLoaded);
    CESRIReader nulls(nullptr, nullptr, kFgnTrue);
    EXPECT_EQ(nulls.LoadData(), kFgnNotLoaded);
}

TEST(EsriReaderTest, PathCheckNamesWhatIsWrong) {
    wlxtest::TempDir dir;
    WriteFiles(dir.path(), CoverFiles(SampleCover("good")));
    std::filesystem::create_directory(dir / "empty");
    wlxtest::WriteText(dir / "file", "x");
    struct SCase {
        std::string workspace, cover;
        const char* message;
    };
    const std::string ws = dir.path().string();
    for (const SCase& c : std::vector<SCase>{
             {ws + "/file", "good",
              "Cannot open Coverage.  You specified a Workspace directory that is not a "
              "directory."},
             {ws, "missing",
              "Cannot open Coverage.  You specified a Coverage that is not a directory."},
             {ws, "file",
              "Cannot open Coverage.  You specified a Coverage that is not a directory."},
             {ws + "/empty", "../good",
              "Cannot open coverage.  You specified an invalid Workspace."},
             {ws, "empty", "Cannot open coverage.  You specified an invalid Coverage."},
             {ws, "good", nullptr},
             {ws, "GOOD", nullptr},
         }) {
        CESRIReader reader(c.workspace.c_str(), c.cover.c_str(), kFgnTrue);
        TFgnBool valid = kFgnFalse;
        const char* message = reader.IsValidCoveragePath(valid);
        EXPECT_EQ(valid, FgnBool(c.message == nullptr)) << c.workspace << " " << c.cover;
        if (c.message == nullptr)
            EXPECT_EQ(message, nullptr);
        else
            EXPECT_STREQ(message, c.message) << c.workspace << " " << c.cover;
    }
}

}  // namespace
}  // namespace covtest
