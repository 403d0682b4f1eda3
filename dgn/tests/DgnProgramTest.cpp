// wlxconv /ID with libTsdsn.so beside it: the designs made by ogr2ogr come
// out as ogrinfo reads them, element by element, with their element table
// and their colours from the fixed colour table.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "dgn/tests/DgnOgrInfo.h"
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

}  // namespace
