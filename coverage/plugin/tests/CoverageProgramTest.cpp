// wlxconv /IV with libTscov.so beside it, on covers made by avcimport from
// the E00 fixtures: what it writes equals what ogrinfo and ogr2ogr read from
// the same cover.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>

#include "coverage/plugin/tests/CoverWalk.h"
#include "testing/OgrTools.h"
#include "testing/TestSupport.h"
#include "testing/coverage/CoverGenerator.h"
#include "testing/coverage/OutsideTools.h"

namespace covtest {
namespace {

using wlxtest::ReadWlt;
using SWltRecord = wlxtest::WltRecord;

// A polygon's points cut into its rings: each ends where it began.
std::vector<Ring> Rings(const Ring& points) {
    std::vector<Ring> rings;
    Ring ring;
    for (const auto& p : points) {
        ring.push_back(p);
        if (ring.size() > 3 && ring.front() == ring.back()) {
            rings.push_back(ring);
            ring.clear();
        }
    }
    if (!ring.empty()) rings.push_back(ring);
    return rings;
}

wlxtest::RunOptions InDirectory(const wlxtest::TempDir& dir) {
    wlxtest::RunOptions options;
    options.workingDirectory = dir.path();
    options.environment["WLXCONV_REGISTRY"] = (dir / "none.reg").string();
    return options;
}

struct SImported {
    wlxtest::TempDir dir;
    bool ok = false;
    explicit SImported(const std::string& name) {
        const auto avcimport = wlxtest::FindTool("avcimport");
        ok = !avcimport.empty() && ImportE00(avcimport, name, dir / "ws");
    }
};

// The rows of ogr2ogr's CSV of one layer of the cover.
wlxtest::Rows OgrCsv(const std::filesystem::path& ogr2ogr, const std::filesystem::path& cover,
                     const std::string& layer, const wlxtest::TempDir& dir) {
    const auto out = dir / ("ogr_" + layer);
    const auto run = wlxtest::Run(ogr2ogr, {"-f", "CSV", out.string(), cover.string(), layer});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return wlxtest::ReadCsv(out / (layer + ".csv"));
}

// Every row wlxconv exported for an object equals ogr2ogr's row of the
// same cover number; every ogr2ogr row was exported.
void ExpectSameRows(const wlxtest::Rows& ours, const wlxtest::Rows& ogr,
                    const std::string& numberColumn) {
    ASSERT_FALSE(ours.empty());
    ASSERT_FALSE(ogr.empty());
    std::map<std::string, std::size_t> ogrColumn;
    for (std::size_t c = 0; c < ogr[0].size(); ++c) {
        std::string name = ogr[0][c];
        for (char& ch : name)
            if (ch == '#') ch = '_';
        ogrColumn[name] = c;
    }
    std::map<std::string, const std::vector<std::string>*> ogrByNumber;
    for (std::size_t r = 1; r < ogr.size(); ++r)
        ogrByNumber[ogr[r][ogrColumn.at(numberColumn)]] = &ogr[r];
    std::map<std::string, bool> seen;
    for (std::size_t r = 1; r < ours.size(); ++r) {
        const auto match = ogrByNumber.find(ours[r][0]);
        if (match == ogrByNumber.end()) continue;  // the outside polygon
        seen[ours[r][0]] = true;
        for (std::size_t c = 1; c < ours[0].size(); ++c) {
            SCOPED_TRACE(ours[0][c] + " of " + ours[r][0]);
            ASSERT_EQ(ogrColumn.count(ours[0][c]), 1u);
            const std::string& theirs = (*match->second)[ogrColumn.at(ours[0][c])];
            const std::string& mine = ours[r][c];
            char* end = nullptr;
            const double value = std::strtod(theirs.c_str(), &end);
            if (!theirs.empty() && *end == '\0')
                EXPECT_NEAR(std::strtod(mine.c_str(), nullptr), value, 5e-4);
            else
                EXPECT_EQ(mine, theirs);
        }
    }
    EXPECT_EQ(seen.size(), ogrByNumber.size());
}

TEST(CoverageProgramTest, SquareConvertsAsOgrReadsIt) {
    FIND_TOOL_OR_SKIP(ogrinfo, "ogrinfo");
    FIND_TOOL_OR_SKIP(ogr2ogr, "ogr2ogr");
    SImported ws("square");
    if (!ws.ok) GTEST_SKIP() << "avcimport is not installed";
    const auto cover = ws.dir / "ws/square";
    const auto result = wlxtest::RunWlxconv(
        {"/IV", "/OL", "/COORDSYS:NONE", "/HOLES", "/TABLE:CSV", cover.string(), "out"},
        InDirectory(ws.dir));
    ASSERT_EQ(result.exitCode, 0) << result.out;

    const std::vector<SWltRecord> records = ReadWlt(ws.dir / "out.wlt");
    OgrLayers layers = ReadWithOgrInfo(ogrinfo, cover);
    std::vector<SWltRecord> lines, polygons, points;
    for (const SWltRecord& r : records)
        (r.kind == "L" ? lines : r.kind == "P" ? polygons : points).push_back(r);

    ASSERT_EQ(lines.size(), layers["ARC"].size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::vector<double>& ogr = layers["ARC"][i].coordinates;
        ASSERT_EQ(2 * lines[i].points.size(), ogr.size());
        for (std::size_t v = 0; v < lines[i].points.size(); ++v) {
            EXPECT_NEAR(lines[i].points[v].first, ogr[2 * v], 1e-7);
            EXPECT_NEAR(lines[i].points[v].second, ogr[2 * v + 1], 1e-7);
        }
    }
    // Polygons 2 to 4 with ogrinfo's rings, holes included; never polygon 1.
    ASSERT_EQ(polygons.size(), layers["PAL"].size());
    for (std::size_t i = 0; i < polygons.size(); ++i) {
        SCOPED_TRACE("polygon " + polygons[i].key);
        EXPECT_EQ(polygons[i].key, std::to_string(layers["PAL"][i].fid));
        const std::vector<Ring> rings = Rings(polygons[i].points);
        Ring ogrPoints;
        const std::vector<double>& ogr = layers["PAL"][i].coordinates;
        for (std::size_t v = 0; v + 1 < ogr.size(); v += 2)
            ogrPoints.emplace_back(ogr[v], ogr[v + 1]);
        EXPECT_EQ(CanonicalRings(rings), CanonicalRings(Rings(ogrPoints)));
    }
    // Tics and texts as points.
    EXPECT_EQ(points.size(), 4u + layers["TXT"].size());

    ExpectSameRows(wlxtest::ReadCsv(ws.dir / "out_AAT.csv"), OgrCsv(ogr2ogr, cover, "ARC", ws.dir),
                   "SQUARE_");
    ExpectSameRows(wlxtest::ReadCsv(ws.dir / "out_PAT.csv"), OgrCsv(ogr2ogr, cover, "PAL", ws.dir),
                   "SQUARE_");

    // Without /HOLES the island, polygon 3, stays on its internal layer.
    const auto plain = wlxtest::RunWlxconv(
        {"/IV", "/OL", "/COORDSYS:NONE", cover.string(), "plain"}, InDirectory(ws.dir));
    ASSERT_EQ(plain.exitCode, 0) << plain.out;
    std::vector<std::string> keys;
    for (const SWltRecord& r : ReadWlt(ws.dir / "plain.wlt"))
        if (r.kind == "P") keys.push_back(r.key);
    EXPECT_EQ(keys, (std::vector<std::string>{"2", "4"}));
}

TEST(CoverageProgramTest, InfoListsLayersAndTables) {
    SImported ws("square");
    if (!ws.ok) GTEST_SKIP() << "avcimport is not installed";
    const auto result = wlxtest::RunWlxconv(
        {"/IV", "/OO", "/INFO", (ws.dir / "ws/SQUARE").string(), "out"}, InDirectory(ws.dir));
    ASSERT_EQ(result.exitCode, 0) << result.out;
    for (const char* line :
         {"Coordinate System Key : LL\n", "Table[1] : AAT\n",
          " Column[6] : Name[SQUARE_] : Type[INT]\n", "Table[2] : PAT\n", " Layer[1] : ARCS\n",
          " Layer[2] : POLYGONS\n", " Layer[3] : INTERNAL_POLYGONS\n", " Layer[4] : TICS\n",
          " Layer[5] : TEXT\n"})
        EXPECT_NE(result.out.find(line), std::string::npos) << line << result.out;
}

TEST(CoverageProgramTest, PointsOfACoverWithoutPolygons) {
    FIND_TOOL_OR_SKIP(ogrinfo, "ogrinfo");
    SImported ws("wells");
    if (!ws.ok) GTEST_SKIP() << "avcimport is not installed";
    const auto cover = ws.dir / "ws/wells";
    const auto result = wlxtest::RunWlxconv(
        {"/IV", "/OL", "/COORDSYS:NONE", "/LAYER:POINTS", cover.string(), "out"},
        InDirectory(ws.dir));
    ASSERT_EQ(result.exitCode, 0) << result.out;
    OgrLayers layers = ReadWithOgrInfo(ogrinfo, cover);
    const std::vector<SWltRecord> records = ReadWlt(ws.dir / "out.wlt");
    ASSERT_EQ(records.size(), layers["LAB"].size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(records[i].kind, "M");
        EXPECT_EQ(records[i].key, std::to_string(i + 1));
        EXPECT_NEAR(records[i].points[0].first, layers["LAB"][i].coordinates[0], 1e-6);
        EXPECT_NEAR(records[i].points[0].second, layers["LAB"][i].coordinates[1], 1e-6);
    }
}

TEST(CoverageProgramTest, BrokenCoversFailOrWarn) {
    wlxtest::TempDir dir;
    // A polygon whose ring does not close is skipped with one warning.
    GenCover cover = SampleCover("open");
    cover.polygons[2].arcs = {2};
    cover.polygons[2].nodes = {2};
    cover.polygons[2].polygons = {2};
    WriteFiles(dir / "ws", CoverFiles(cover));
    const auto warned = wlxtest::RunWlxconv(
        {"/IV", "/OO", "/COORDSYS:NONE", (dir / "ws/open").string(), "out"}, InDirectory(dir));
    EXPECT_EQ(warned.exitCode, 255) << warned.out;
    const std::string warning = "Warning : Skipping empty/invalid entity from the input file.";
    EXPECT_NE(warned.out.find(warning), std::string::npos) << warned.out;
    EXPECT_EQ(warned.out.find(warning), warned.out.rfind(warning));

    const auto missing =
        wlxtest::RunWlxconv({"/IV", "/OO", (dir / "ws/none").string(), "out"}, InDirectory(dir));
    EXPECT_EQ(missing.exitCode, 1) << missing.out;
    EXPECT_NE(missing.out.find("*Error*"), std::string::npos) << missing.out;
}

}  // namespace
}  // namespace covtest
