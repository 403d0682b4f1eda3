// wlxconv /ID with libTsdsn.so beside it: the designs made by ogr2ogr come
// out as ogrinfo reads them, element by element, with their element table
// and their colours from the fixed colour table.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "dgn/tests/DgnOgrInfo.h"
#include "dgn/tests/DgnTestDesign.h"
#include "testing/OgrTools.h"
#include "testing/TestSupport.h"

namespace {

using dgntest::FixedColour;

using wlxtest::ReadWlt;
using SWltRecord = wlxtest::WltRecord;

// The loader's packed colour (alpha, red, green, blue) of a contract colour, as text.
std::string Packed(std::int32_t colour) {
    const std::uint32_t rgb = static_cast<std::uint32_t>(colour);
    const std::uint32_t packed =
        0xFF000000u | (rgb & 0xFF) << 16 | (rgb >> 8 & 0xFF) << 8 | (rgb >> 16 & 0xFF);
    return std::to_string(static_cast<std::int32_t>(packed));
}

wlxtest::RunOptions WithoutRegistry(const wlxtest::TempDir& dir) {
    wlxtest::RunOptions options;
    options.workingDirectory = dir.path();
    options.environment["WLXCONV_REGISTRY"] = (dir / "none.reg").string();
    return options;
}

TEST(DgnProgramTest, DesignsMadeByOgr2ogrConvertAsOgrinfoReadsThem) {
    FIND_TOOL_OR_SKIP(ogrinfo, "ogrinfo");
    EXPECT_EQ(FixedColour(83), 180);
    for (const char* name : {"shapes", "attributes"}) {
        SCOPED_TRACE(name);
        wlxtest::TempDir dir;
        const auto design = wlxtest::SourcePath(std::string("dgn/tests/data/") + name + ".dgn");
        const auto result = wlxtest::RunWlxconv(
            {"/ID", "/OL", "/COORDSYS:*XY-MT*", "/TABLE:CSV:STYLE", design.string(), "out"},
            WithoutRegistry(dir));
        // Warned only: the arbitrary system is not converted to LL84's range.
        EXPECT_EQ(result.exitCode, 255) << result.out;
        EXPECT_EQ(result.out.find("*Error*"), std::string::npos) << result.out;

        const std::vector<wlxtest::OgrFeature> ogr = wlxtest::OgrInfo(ogrinfo, design);
        const std::vector<SWltRecord> records = ReadWlt(dir / "out.wlt");
        ASSERT_EQ(records.size(), ogr.size());
        const wlxtest::Rows table = wlxtest::ReadCsv(dir / ("out_" + std::string(name) + ".csv"));
        ASSERT_EQ(table.size(), ogr.size() + 1);
        EXPECT_EQ(table[0], (std::vector<std::string>{"TessaranKey", "Key", "Class", "Group",
                                                      "Level", "EntityNum", "MSLink"}));
        // Each record's colour, from whichever style table holds it.
        std::map<std::string, std::string> colours;
        for (const char* style : {"PolylineStyle", "SymbolStyle"}) {
            const auto file = dir / ("out_" + std::string(style) + ".csv");
            if (!std::filesystem::exists(file)) continue;
            for (const auto& row : wlxtest::ReadCsv(file))
                if (row.size() > 4 && row[0] != "TessaranKey") colours[row[0]] = row[4];
        }
        for (std::size_t i = 0; i < ogr.size(); ++i) {
            SCOPED_TRACE(ogr[i].geometry);
            const SWltRecord& r = records[i];
            // ogrinfo's points less repeats; a closed ring's return comes
            // after them in the WLT encoding.
            std::vector<std::pair<double, double>> points;
            for (const auto& p : ogr[i].points)
                if (points.empty() || points.back() != p) points.push_back(p);
            ASSERT_GE(r.points.size(), points.size());
            for (std::size_t p = 0; p < points.size(); ++p) {
                EXPECT_NEAR(r.points[p].first, points[p].first, 1e-7) << p;
                EXPECT_NEAR(r.points[p].second, points[p].second, 1e-7) << p;
            }
            EXPECT_EQ(r.kind, points.size() == 1 ? "M" : "L");
            const std::vector<std::string>& row = table[i + 1];
            ASSERT_EQ(row.size(), 7u);
            EXPECT_EQ(row[0], r.key);
            EXPECT_EQ(row[1], r.key);
            EXPECT_EQ(row[3], std::to_string(wlxtest::IntField(ogr[i], "GraphicGroup")));
            EXPECT_EQ(row[4], std::to_string(wlxtest::IntField(ogr[i], "Level")));
            EXPECT_EQ(row[5], std::to_string(wlxtest::IntField(ogr[i], "EntityNum")));
            EXPECT_EQ(row[6], std::to_string(wlxtest::IntField(ogr[i], "MSLink")));
            EXPECT_EQ(colours[r.key], Packed(FixedColour(wlxtest::IntField(ogr[i], "ColorIndex"))));
        }
        if (std::string(name) == "attributes") {
            EXPECT_EQ(table[1][6], "345678");
            EXPECT_EQ(colours[records[0].key], Packed(180));
        }
    }
}

// ogrinfo's vertices with each repeat (a component's first point, the last
// of the one before) dropped.
std::vector<std::pair<double, double>> Joined(const wlxtest::OgrFeature& feature) {
    std::vector<std::pair<double, double>> points;
    for (const auto& p : feature.points)
        if (points.empty() || points.back() != p) points.push_back(p);
    return points;
}

TEST(DgnProgramTest, ComplexChainsAndShapesConvertJoined) {
    FIND_TOOL_OR_SKIP(ogrinfo, "ogrinfo");
    wlxtest::TempDir dir;
    const auto design = wlxtest::SourcePath("dgn/tests/data/complex.dgn");
    const auto result = wlxtest::RunWlxconv(
        {"/ID", "/OL", "/COORDSYS:*XY-MT*", design.string(), "out"}, WithoutRegistry(dir));
    EXPECT_EQ(result.out.find("*Error*"), std::string::npos) << result.out;
    const std::vector<wlxtest::OgrFeature> ogr = wlxtest::OgrInfo(ogrinfo, design);
    ASSERT_EQ(ogr.size(), 2u);
    const std::vector<SWltRecord> records = ReadWlt(dir / "out.wlt");
    ASSERT_EQ(records.size(), 2u);
    for (std::size_t i = 0; i < ogr.size(); ++i) {
        SCOPED_TRACE(ogr[i].geometry.substr(0, 20));
        const auto points = Joined(ogr[i]);
        EXPECT_GE(points.size(), 150u);
        ASSERT_EQ(records[i].points.size(), points.size());
        for (std::size_t p = 0; p < points.size(); ++p) {
            EXPECT_NEAR(records[i].points[p].first, points[p].first, 1e-7) << p;
            EXPECT_NEAR(records[i].points[p].second, points[p].second, 1e-7) << p;
        }
    }
    EXPECT_EQ(records[0].kind, "L");
    EXPECT_EQ(records[1].kind, "P");

    // The square (0,0)-(10,10) is labelled at its centre.
    const auto labels = wlxtest::RunWlxconv(
        {"/ID", "/OL", "/LABELS", "/COORDSYS:*XY-MT*", design.string(), "labels"},
        WithoutRegistry(dir));
    EXPECT_EQ(labels.out.find("*Error*"), std::string::npos) << labels.out;
    // The label comes before its shape; a vertex of the square lies on the middle line.
    const std::vector<SWltRecord> labelled = ReadWlt(dir / "labels.wlt");
    ASSERT_EQ(labelled.size(), 3u);
    EXPECT_EQ(labelled[1].kind, "M");
    EXPECT_EQ(labelled[1].key, labelled[2].key);
    ASSERT_EQ(labelled[1].points.size(), 1u);
    EXPECT_NEAR(labelled[1].points[0].first, 5, 1e-9);
    EXPECT_NEAR(labelled[1].points[0].second, 5, 1e-9);
}

TEST(DgnProgramTest, ATextElementIsARecordNamedByItsText) {
    FIND_TOOL_OR_SKIP(ogrinfo, "ogrinfo");
    wlxtest::TempDir dir;
    const auto design = wlxtest::SourcePath("dgn/tests/data/text.dgn");
    const auto result = wlxtest::RunWlxconv(
        {"/ID", "/OL", "/COORDSYS:*XY-MT*", design.string(), "out"}, WithoutRegistry(dir));
    EXPECT_EQ(result.out.find("*Error*"), std::string::npos) << result.out;
    const std::vector<wlxtest::OgrFeature> ogr = wlxtest::OgrInfo(ogrinfo, design);
    ASSERT_EQ(ogr.size(), 1u);
    ASSERT_EQ(ogr[0].points.size(), 1u);
    const std::vector<SWltRecord> records = ReadWlt(dir / "out.wlt");
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].name, "Hello");
    ASSERT_EQ(records[0].points.size(), 1u);
    EXPECT_NEAR(records[0].points[0].first, ogr[0].points[0].first, 1e-7);
    EXPECT_NEAR(records[0].points[0].second, ogr[0].points[0].second, 1e-7);
}

TEST(DgnProgramTest, AThreeDimensionalDesignIsRefused) {
    const std::filesystem::path gdal = "/usr/share/gdal";
    if (!std::filesystem::exists(gdal / "seed_3d.dgn"))
        GTEST_SKIP() << "gdal-data is not installed";
    wlxtest::TempDir dir;
    const auto refused = wlxtest::RunWlxconv({"/ID", "/OL", (gdal / "seed_3d.dgn").string(), "out"},
                                             WithoutRegistry(dir));
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.out.find("*Error* : The input file is in 3D coordinates and cannot be\n"
                               "          converted using the WLX Loader.\n"),
              std::string::npos)
        << refused.out;
    EXPECT_FALSE(std::filesystem::exists(dir / "out.wlt"));
    const auto flat = wlxtest::RunWlxconv({"/ID", "/OL", (gdal / "seed_2d.dgn").string(), "out"},
                                          WithoutRegistry(dir));
    EXPECT_EQ(flat.exitCode, 0) << flat.out;
}

// Designs the tests write, with cells and attachments that ogr2ogr cannot make.
using dgntest::Bytes;

Bytes DesignOf(const std::vector<Bytes>& elements) {
    Bytes out = dgntest::Control();
    for (const Bytes& e : elements) out.insert(out.end(), e.begin(), e.end());
    out.push_back(0xFF);
    out.push_back(0xFF);
    return out;
}

// A 2-D cell turned by `degrees` (or mirrored) at (ox, oy) of two components
// whose stored coordinates start at (x, y).
std::vector<Bytes> CellAt(const char* name, double degrees, std::int32_t x, std::int32_t y,
                          bool mirrored = false) {
    using namespace dgntest;
    const std::vector<Bytes> components = {
        Element({.type = 3, .complex = true}, LineBody(x, y, x + 2000, y + 1000)),
        Element({.type = 4, .complex = true},
                VerticesBody({{x, y}, {x + 3000, y}, {x + 3000, y + 2500}})),
    };
    const auto c =
        static_cast<std::int32_t>(std::lround(214748 * std::cos(degrees * std::numbers::pi / 180)));
    const auto s =
        static_cast<std::int32_t>(std::lround(214748 * std::sin(degrees * std::numbers::pi / 180)));
    std::vector<Bytes> out = {Cell(name, components[0].size() + components[1].size(), c, -s, s,
                                   mirrored ? -c : c, x - 500, y - 500)};
    out.insert(out.end(), components.begin(), components.end());
    return out;
}

std::vector<Bytes> Join(std::initializer_list<std::vector<Bytes>> parts) {
    std::vector<Bytes> out;
    for (const auto& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

const char kSkipped[] = "Warning : Skipping empty/invalid entity from the input file.";

// Every record's points are those of ogrinfo's feature of the same element.
void ExpectAsOgrinfo(const std::filesystem::path& ogrinfo, const std::filesystem::path& design,
                     const std::vector<SWltRecord>& records, std::size_t first = 0) {
    std::vector<wlxtest::OgrFeature> ogr;
    for (const wlxtest::OgrFeature& f : wlxtest::OgrInfo(ogrinfo, design))
        if (!f.points.empty()) ogr.push_back(f);
    ASSERT_LE(first + ogr.size(), records.size());
    for (std::size_t i = 0; i < ogr.size(); ++i) {
        SCOPED_TRACE(ogr[i].geometry);
        const SWltRecord& r = records[first + i];
        ASSERT_EQ(r.points.size(), ogr[i].points.size());
        for (std::size_t p = 0; p < r.points.size(); ++p) {
            EXPECT_NEAR(r.points[p].first, ogr[i].points[p].first, 1e-7) << p;
            EXPECT_NEAR(r.points[p].second, ogr[i].points[p].second, 1e-7) << p;
        }
    }
}

TEST(DgnProgramTest, CellsExplodeToTheirComponentsWhereOgrinfoHasThem) {
    FIND_TOOL_OR_SKIP(ogrinfo, "ogrinfo");
    wlxtest::TempDir dir;
    const auto design = dir / "cells.dgn";
    wlxtest::WriteBytes(
        design,
        DesignOf(Join({CellAt("door", 0, 10000, 20000),
                       CellAt("gate", 30, -4000, 7000),
                       {dgntest::Element({.type = 3}, dgntest::LineBody(100, 200, 300, 400))}})));
    const auto result = wlxtest::RunWlxconv(
        {"/ID", "/OL", "/BLOCKS:EXPLODE", "/COORDSYS:*XY-MT*", design.string(), "out"},
        WithoutRegistry(dir));
    EXPECT_EQ(result.out.find("*Error*"), std::string::npos) << result.out;
    EXPECT_EQ(result.out.find(kSkipped), std::string::npos) << result.out;
    const std::vector<SWltRecord> records = ReadWlt(dir / "out.wlt");
    ASSERT_EQ(records.size(), 5u);
    ExpectAsOgrinfo(ogrinfo, design, records);

    const auto info = wlxtest::RunWlxconv({"/ID", "/INFO", design.string()}, WithoutRegistry(dir));
    EXPECT_EQ(info.exitCode, 0) << info.out;
    EXPECT_NE(info.out.find(" Block[1] : DOOR\n Block[2] : GATE\n"), std::string::npos) << info.out;

    // A mirrored cell is skipped with a warning; the rest converts.
    wlxtest::WriteBytes(
        design, DesignOf(Join({CellAt("door", 0, 10000, 20000), CellAt("mirror", 0, 0, 0, true)})));
    const auto mirrored = wlxtest::RunWlxconv(
        {"/ID", "/OL", "/BLOCKS:EXPLODE", "/COORDSYS:*XY-MT*", design.string(), "mirrored"},
        WithoutRegistry(dir));
    EXPECT_NE(mirrored.out.find(kSkipped), std::string::npos) << mirrored.out;
    EXPECT_EQ(ReadWlt(dir / "mirrored.wlt").size(), 2u);
}

TEST(DgnProgramTest, AttachedDesignsConvertWithTheirHolderAndLoopsAreSkipped) {
    FIND_TOOL_OR_SKIP(ogrinfo, "ogrinfo");
    using namespace dgntest;
    wlxtest::TempDir dir;
    const Bytes own = Element({.type = 3}, LineBody(100, 200, 300, 400));
    const Bytes part = Element({.type = 4}, VerticesBody({{5000, 5000}, {6000, 7000}, {9000, 0}}));
    wlxtest::WriteBytes(dir / "part.dgn", DesignOf({part}));
    wlxtest::WriteBytes(dir / "holder.dgn", DesignOf({own, Attachment("part.dgn")}));
    wlxtest::WriteBytes(dir / "self.dgn", DesignOf({own, Attachment("./self.dgn"), part}));
    wlxtest::WriteBytes(dir / "a.dgn", DesignOf({own, Attachment("b.dgn")}));
    wlxtest::WriteBytes(dir / "b.dgn", DesignOf({Attachment("a.dgn"), part}));
    struct Case {
        const char* design;
        bool warned;
        std::size_t records;
    } cases[] = {{"holder", false, 2}, {"self", true, 2}, {"a", true, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.design);
        const auto design = dir / (std::string(c.design) + ".dgn");
        const auto result = wlxtest::RunWlxconv(
            {"/ID", "/OL", "/BLOCKS:EXPLODE", "/COORDSYS:*XY-MT*", design.string(), c.design},
            WithoutRegistry(dir));
        EXPECT_EQ(result.out.find("*Error*"), std::string::npos) << result.out;
        EXPECT_EQ(result.out.find(kSkipped) != std::string::npos, c.warned) << result.out;
        const std::vector<SWltRecord> records = ReadWlt(dir / (std::string(c.design) + ".wlt"));
        ASSERT_EQ(records.size(), c.records);
        // The holder's own line, then the attached (or following) line string.
        ExpectAsOgrinfo(ogrinfo, dir / "holder.dgn", records, 0);
        ExpectAsOgrinfo(ogrinfo, dir / "part.dgn", records, 1);
    }
}

}  // namespace

namespace {

TEST(DgnProgramTest, ATextNodeIsOneRecordAtTheTopLeftOfItsRange) {
    using namespace dgntest;
    wlxtest::TempDir dir;
    const std::vector<Bytes> lines = {
        Element({.type = 17, .complex = true}, TextBody(0, 2, 1000, 0, 1000, 2000, {'a', 'b'})),
        Element({.type = 17, .complex = true},
                TextBody(0, 2, 1000, 0, 1000, 1000, {'c', 'd', 'e'})),
    };
    const auto design = dir / "node.dgn";
    wlxtest::WriteBytes(design, DesignOf({WithRange(TextNode(2, lines[0].size() + lines[1].size(),
                                                             0, 0, 1000, 1000, 0, 1000, 3000),
                                                    1000, 1000, 4000, 3000),
                                          lines[0], lines[1]}));
    const auto result = wlxtest::RunWlxconv(
        {"/ID", "/OL", "/COORDSYS:*XY-MT*", design.string(), "out"}, WithoutRegistry(dir));
    EXPECT_EQ(result.out.find("*Error*"), std::string::npos) << result.out;
    const std::vector<SWltRecord> records = ReadWlt(dir / "out.wlt");
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].kind, "M");
    EXPECT_EQ(records[0].name, "ab cde");
    ASSERT_EQ(records[0].points.size(), 1u);
    EXPECT_DOUBLE_EQ(records[0].points[0].first, 1);
    EXPECT_DOUBLE_EQ(records[0].points[0].second, 3);
}

}  // namespace
