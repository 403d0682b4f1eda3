// wlxconv /IX and /IW on the fixture drawings, compared with what ogr2ogr
// makes of the same files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "testing/OgrTools.h"
#include "testing/TestSupport.h"

namespace {

namespace fs = std::filesystem;

using Points = std::vector<std::pair<double, double>>;
// Lines or rings of one object (a point is a part of one point).
using Parts = std::vector<Points>;

fs::path Fixture(const std::string& name) {
    return wlxtest::SourcePath("readers/dxf/tests/data/" + name);
}

// The objects of a WLT file by key: header "K,"name","key","link",count", then
// points as "y,x".
std::map<std::string, Parts> ReadWlt(const fs::path& file) {
    std::map<std::string, Parts> objects;
    std::istringstream lines(wlxtest::ReadText(file));
    Parts* current = nullptr;
    for (std::string line; std::getline(lines, line);) {
        if (line.size() > 2 && line[1] == ',' && line[2] == '"') {
            const std::size_t start = line.find(",\"", 3);
            const std::size_t end = line.find('"', start + 2);
            current = &objects[line.substr(start + 2, end - start - 2)];
            current->emplace_back();
        } else if (current && !line.empty() &&
                   (std::isdigit(static_cast<unsigned char>(line[0])) || line[0] == '-')) {
            const std::size_t comma = line.find(',');
            if (comma == std::string::npos) continue;
            current->back().emplace_back(std::stod(line.substr(comma + 1)), std::stod(line));
        }
    }
    return objects;
}

// The parts of a WKT geometry: every innermost parenthesised run of coordinates.
Parts WktParts(const std::string& wkt) {
    Parts parts;
    const bool z = wkt.find(" Z ") != std::string::npos;
    std::size_t open = 0;
    while ((open = wkt.find('(', open)) != std::string::npos) {
        const std::size_t close = wkt.find_first_of("()", open + 1);
        if (close == std::string::npos) break;
        if (wkt[close] == '(') {
            open = close;
            continue;
        }
        Points points;
        std::istringstream values(wkt.substr(open + 1, close - open - 1));
        for (std::string item; std::getline(values, item, ',');) {
            std::istringstream coords(item);
            double x = 0, y = 0, ignored = 0;
            coords >> x >> y;
            if (z) coords >> ignored;
            points.emplace_back(x, y);
        }
        parts.push_back(points);
        open = close;
    }
    return parts;
}

double SegmentDistance(const std::pair<double, double>& p, const std::pair<double, double>& a,
                       const std::pair<double, double>& b) {
    const double dx = b.first - a.first, dy = b.second - a.second;
    const double length2 = dx * dx + dy * dy;
    double t = length2 > 0 ? ((p.first - a.first) * dx + (p.second - a.second) * dy) / length2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(p.first - (a.first + t * dx), p.second - (a.second + t * dy));
}

// The farthest any vertex of `from` lies from the lines of `to`.
double FarthestVertex(const Parts& from, const Parts& to) {
    double farthest = 0;
    for (const Points& part : from)
        for (const auto& p : part) {
            double nearest = 1e300;
            for (const Points& other : to) {
                if (other.size() == 1)
                    nearest = std::min(nearest, SegmentDistance(p, other[0], other[0]));
                for (std::size_t i = 1; i < other.size(); ++i)
                    nearest = std::min(nearest, SegmentDistance(p, other[i - 1], other[i]));
            }
            farthest = std::max(farthest, nearest);
        }
    return farthest;
}

double Hausdorff(const Parts& a, const Parts& b) {
    return std::max(FarthestVertex(a, b), FarthestVertex(b, a));
}

// Both step arcs by 3 degrees; the splines are sampled differently, by
// length here and by parameter there, so the curves agree to within the
// sag of their chords.
constexpr double kTolerance = 0.02;

TEST(DxfProgram, MatchesOgr2ogrEntityByEntity) {
    FIND_TOOL_OR_SKIP(ogr2ogr, "ogr2ogr");
    wlxtest::TempDir dir;
    const auto ogr = wlxtest::Run(
        ogr2ogr, {"--config", "OGR_ARC_STEPSIZE", "3", "-f", "CSV", "-lco", "GEOMETRY=AS_WKT",
                  (dir / "ogr.csv").string(), Fixture("entities.dxf").string()});
    ASSERT_EQ(ogr.exitCode, 0) << ogr.err;
    const auto result =
        wlxtest::RunWlxconv({"/IX", "/OL", "/BLOCKS:EXPLODE", Fixture("entities.dxf").string(),
                             (dir / "out").string()});
    // Warnings: the hatch and the dimension.
    EXPECT_EQ(result.exitCode, 255) << result.out << result.err;
    EXPECT_NE(result.out.find("Skipped an unsupported 'DxDbHatch' type entity (Handle='5C', "
                              "Layer='0')."),
              std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("Skipped an unsupported 'DxDbRotatedDimension' type entity"),
              std::string::npos);
    const auto ours = ReadWlt(dir / "out.wlt");
    ASSERT_FALSE(ours.empty());

    const wlxtest::Rows rows = wlxtest::ReadCsv(dir / "ogr.csv");
    ASSERT_GT(rows.size(), 1u);
    const auto column = [&](const char* name) {
        return std::find(rows[0].begin(), rows[0].end(), name) - rows[0].begin();
    };
    const auto wkt = column("WKT");
    const auto handle = column("EntityHandle");
    std::set<std::string> compared;
    Parts blockParts;
    for (std::size_t r = 1; r < rows.size(); ++r) {
        // The rest of a text that holds a line break.
        if (rows[r].size() < rows[0].size()) continue;
        const std::string& key = rows[r][handle];
        if (key == "5C" || key == "5D") continue;  // hatch and dimension: we skip them
        const Parts theirs = WktParts(rows[r][wkt]);
        if (rows[r][wkt].rfind("GEOMETRYCOLLECTION", 0) == 0 ||
            rows[r][wkt].rfind("MULTI", 0) == 0) {
            // An inserted block: one feature there, one object per entity here.
            blockParts.insert(blockParts.end(), theirs.begin(), theirs.end());
            continue;
        }
        ASSERT_TRUE(ours.count(key)) << key;
        EXPECT_LT(Hausdorff(ours.at(key), theirs), kTolerance) << key << " " << rows[r][wkt];
        compared.insert(key);
    }
    EXPECT_GE(compared.size(), 18u);
    Parts exploded;
    for (const auto& [key, parts] : ours)
        if (!compared.count(key) && key != "4C")  // the multi-polygon ogr2ogr does not read
            exploded.insert(exploded.end(), parts.begin(), parts.end());
    ASSERT_FALSE(blockParts.empty());
    EXPECT_LT(Hausdorff(exploded, blockParts), kTolerance);
}

}  // namespace

namespace {

// The style and attribute tables that /TABLE:CSV:STYLE exports, and the symbols.
TEST(DxfProgram, StylesTablesAndSymbolsMatchTheirGoldenFiles) {
    wlxtest::TempDir dir;
    const auto result =
        wlxtest::RunWlxconv({"/IX", "/OL", "/BLOCKS:EMF", "/TABLE:CSV:STYLE",
                             Fixture("blocks.dxf").string(), (dir / "out").string()});
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    for (const char* table : {"SymbolStyle", "TextStyle", "PARCEL", "PARCELS", "ROADS"})
        EXPECT_EQ(wlxtest::ReadText(dir / ("out_" + std::string(table) + ".csv")),
                  wlxtest::ReadText(Fixture("golden/" + std::string(table) + ".csv")))
            << table;
    // One symbol per block with an extent, however its references spell it.
    std::set<std::string> symbols;
    for (const auto& entry : fs::directory_iterator(dir.path()))
        if (entry.path().extension() == ".emf") symbols.insert(entry.path().filename().string());
    EXPECT_EQ(symbols, (std::set<std::string>{"ROUND.emf", "SIGN.emf"}));
    EXPECT_NE(result.out.find("EMFs created: 2"), std::string::npos) << result.out;
    if (wlxtest::HaveTool("emf2svg-conv")) {
        const auto svg =
            wlxtest::Run(wlxtest::FindTool("emf2svg-conv"),
                         {"-i", (dir / "SIGN.emf").string(), "-o", (dir / "sign.svg").string()});
        ASSERT_EQ(svg.exitCode, 0) << svg.err;
        const std::string drawn = wlxtest::ReadText(dir / "sign.svg");
        // The by-layer line takes the reference's layer, the by-block one its colour.
        EXPECT_NE(drawn.find("stroke=\"#FF0000\""), std::string::npos);
        EXPECT_NE(drawn.find("stroke=\"#FFFF00\""), std::string::npos);
    }
}

TEST(DxfProgram, ExplodedBlocksTakeColoursFromTheirReferences) {
    wlxtest::TempDir dir;
    const auto result =
        wlxtest::RunWlxconv({"/IX", "/OO", "/BLOCKS:EXPLODE", "/TABLE:CSV:STYLE",
                             Fixture("blocks.dxf").string(), (dir / "out").string()});
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_EQ(wlxtest::ReadText(dir / "out_PolylineStyle.csv"),
              wlxtest::ReadText(Fixture("golden/PolylineStyleExploded.csv")));
}

TEST(DxfProgram, InfoListsTablesLayersBlocksCountAndKey) {
    wlxtest::TempDir dir;
    const auto result = wlxtest::RunWlxconv(
        {"/IX", "/OO", "/INFO", Fixture("blocks.dxf").string(), (dir / "out").string()});
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    for (const char* part :
         {"Feature Count : 8", "Coordinate System Key : UTM83-10", "Table[1] : PARCEL",
          "Column[3] : Name[LOT] : Type[INT]", "Column[1] : Name[PIN] : Type[VARCHAR (10)]",
          "Table[4] : BROKEN\n Listing columns...\n\n", "Layer[5] : ZERO", "Block[1] : SIGN",
          "Block[3] : ROUND"})
        EXPECT_NE(result.out.find(part), std::string::npos) << part << "\n" << result.out;
    EXPECT_EQ(result.out.find("Block[4]"), std::string::npos);
    EXPECT_EQ(result.out.find("*Model_Space"), std::string::npos);
}

// wlxconv /IW with a converter named in a registry file of its own.
class DwgConverterTest : public testing::Test {
protected:
    void SetUp() override {
        fs::copy_file(Fixture("entities.dxf"), dir / "drawing.dwg");
        original_ = wlxtest::ReadBytes(dir / "drawing.dwg");
        fs::create_directory(dir / "conv");
    }
    // A converter script; `body` sees the drawing as $1 and the DXF to write as $2.
    void Converter(const std::string& body) {
        const fs::path script = dir / "conv" / "Converter.exe";
        wlxtest::WriteText(script, "#!/bin/sh\n" + body + "\n");
        fs::permissions(script, fs::perms::owner_all);
        wlxtest::WriteText(dir / "registry.reg",
                           "Windows Registry Editor Version 5.00\n\n"
                           "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Velstrom\\DWGRelay\\6.5]\n"
                           "\"Path\"=\"" +
                               (dir / "conv").string() + "\"\n");
    }
    wlxtest::ProcessResult Run() {
        wlxtest::RunOptions options;
        options.environment["WLXCONV_REGISTRY"] = (dir / "registry.reg").string();
        return wlxtest::RunWlxconv(
            {"/IW", "/OL", (dir / "drawing.dwg").string(), (dir / "out").string()}, options);
    }
    void ExpectOpenFailure(const wlxtest::ProcessResult& result) {
        EXPECT_EQ(result.exitCode, 1) << result.out << result.err;
        EXPECT_NE(
            result.out.find("Unable to open DWG file \"" + (dir / "drawing.dwg").string() + "\"."),
            std::string::npos)
            << result.out << result.err;
    }
    void TearDown() override {
        EXPECT_TRUE(wlxtest::HexDiff(original_, wlxtest::ReadBytes(dir / "drawing.dwg")).empty());
    }

    wlxtest::TempDir dir;
    std::vector<std::uint8_t> original_;
};

TEST_F(DwgConverterTest, ConvertsThroughTheConverterOnACopy) {
    // This one also spoils the drawing it is given: the user's stays as it was.
    Converter("cp \"$1\" \"$2\" && echo spoilt > \"$1\"");
    const auto result = Run();
    EXPECT_EQ(result.exitCode, 255) << result.out << result.err;  // the hatch and dimension
    EXPECT_NE(result.out.find("Total: 21"), std::string::npos) << result.out;
    EXPECT_FALSE(ReadWlt(dir / "out.wlt").empty());
}

TEST_F(DwgConverterTest, FailingOrMissingConverterEndsWith40042) {
    Converter("exit 3");
    ExpectOpenFailure(Run());
    // A converter that writes no drawing.
    Converter("exit 0");
    ExpectOpenFailure(Run());
    // A converter that cannot be started.
    Converter("");
    fs::remove(dir / "conv" / "Converter.exe");
    ExpectOpenFailure(Run());
    // No converter registered.
    wlxtest::WriteText(dir / "registry.reg", "Windows Registry Editor Version 5.00\n");
    ExpectOpenFailure(Run());
}

}  // namespace

namespace {

TEST(DxfProgram, SymbolsNeedNoStyleTable) {
    wlxtest::TempDir dir;
    const auto result = wlxtest::RunWlxconv(
        {"/IX", "/OO", "/BLOCKS:EMF", Fixture("blocks.dxf").string(), (dir / "out").string()});
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_TRUE(fs::exists(dir / "SIGN.emf"));
    EXPECT_TRUE(fs::exists(dir / "ROUND.emf"));
}

TEST(DxfProgram, CoordinateSystemOfTheDrawing) {
    const struct {
        const char* coordSys;  // none: the drawing's is taken
        bool warned;
        const char* output;
        int exitCode;
    } cases[] = {
        {nullptr, false, "Output Coordinate System : UTM83-10", 0},
        // The drawing lies near the grid's origin, outside the zone's useful
        // range, which the conversion to latitudes and longitudes warns of.
        {"/COORDSYS:utm83-10", false, "Output Coordinate System : LL84", 255},
        {"/COORDSYS:LL84", true, "Output Coordinate System : LL84", 255},
    };
    for (const auto& c : cases) {
        wlxtest::TempDir dir;
        std::vector<std::string> args{"/IX", "/OO"};
        if (c.coordSys) args.push_back(c.coordSys);
        args.push_back(Fixture("blocks.dxf").string());
        args.push_back((dir / "out").string());
        const auto result = wlxtest::RunWlxconv(args);
        const bool warned =
            result.out.find(
                "is different from the input coordinate system detected in the file "
                "(UTM83-10)") != std::string::npos;
        EXPECT_EQ(warned, c.warned) << result.out;
        EXPECT_EQ(result.exitCode, c.exitCode) << result.out;
        EXPECT_NE(result.out.find(c.output), std::string::npos) << result.out;
    }
}

TEST(DxfProgram, LinkKeysTooShortForTheirColumnGiveNoValue) {
    wlxtest::TempDir dir;
    const auto result = wlxtest::RunWlxconv(
        {"/IX", "/OO", "/TABLE:CSV", Fixture("faults.dxf").string(), (dir / "out").string()});
    ASSERT_EQ(result.exitCode, 255) << result.out << result.err;  // the reference to no block
    EXPECT_EQ(wlxtest::ReadText(dir / "out_ROADS.csv"), "TessaranKey,RID\n\"43\",7\n");
}

}  // namespace
