// The BNA, CSV and MIF/MID readers end to end: the real wlxconv converts the
// fixtures, MIF/MID files that ogr2ogr writes are compared with what ogrinfo
// reads from them, and /MAXPOINTS and /GENERALIZE speak once.
#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <regex>
#include <sstream>

#include "testing/OgrTools.h"
#include "testing/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using wlxtest::FirstPoint;
using wlxtest::OgrFeature;
using wlxtest::OgrInfo;
using wlxtest::ReadCsv;
using wlxtest::Rows;
using wlxtest::Summary;

// A fixture of a format's reader folder: Fixture("bna", "bna_layers.bna").
std::string Fixture(const std::string& format, const std::string& name) {
    return wlxtest::SourcePath("loader/" + format + "/tests/data/" + name).string();
}

// What this system converts: MULTIPOINT, collections and NONE own a MID row
// but no object.
bool Converts(const OgrFeature& feature) {
    for (const char* kind :
         {"POINT ", "LINESTRING ", "MULTILINESTRING ", "POLYGON ", "MULTIPOLYGON "})
        if (feature.geometry.rfind(kind, 0) == 0) return true;
    return false;
}

// One exported value against ogrinfo's reading of the same MID field. A
// field ogrinfo leaves out is null.
void ExpectSameValue(const OgrFeature& feature, const std::string& column, const std::string& ours,
                     const std::string& where) {
    const auto found = feature.fields.find(column);
    if (found == feature.fields.end()) {
        EXPECT_EQ(ours, "") << where;
        return;
    }
    const auto& [type, value] = found->second;
    if (type == "String") {
        EXPECT_EQ(ours, value) << where;
    } else if (type == "Date") {
        EXPECT_EQ(ours, std::regex_replace(value, std::regex("/"), "")) << where;
    } else {
        // An empty number reads as 0.
        EXPECT_DOUBLE_EQ(ours.empty() ? 0.0 : std::stod(ours), std::stod(value))
            << where << ": " << ours;
    }
}

// Every exported row against ogrinfo's features in order; with `located`,
// points carry their location.
void ExpectRowsAsOgrinfoReads(const Rows& rows, const std::vector<OgrFeature>& all, bool located) {
    std::vector<OgrFeature> features;
    for (const OgrFeature& feature : all)
        if (Converts(feature)) features.push_back(feature);
    ASSERT_EQ(rows.size(), features.size() + 1);
    const std::vector<std::string>& header = rows[0];
    const std::size_t first = located ? 3 : 1;
    ASSERT_EQ(header[0], "TessaranKey");
    for (std::size_t i = 0; i < features.size(); ++i) {
        const auto& row = rows[i + 1];
        ASSERT_EQ(row.size(), header.size()) << "row " << i;
        for (std::size_t col = first; col < header.size(); ++col)
            ExpectSameValue(features[i], header[col], row[col],
                            "row " + std::to_string(i) + " " + header[col]);
        if (!located) continue;
        const bool point = features[i].geometry.rfind("POINT ", 0) == 0;
        const auto [x, y] = point ? FirstPoint(features[i].geometry) : std::pair{0.0, 0.0};
        EXPECT_NEAR(std::stod(row[1]), x, 5e-7) << "row " << i;
        EXPECT_NEAR(std::stod(row[2]), y, 5e-7) << "row " << i;
    }
}

// The summary ogrinfo's geometries give: a polygon with holes is a
// polypolygon, as its rings become polygons of their own.
std::string ExpectedSummary(const std::vector<OgrFeature>& features) {
    int counts[5] = {};
    for (const OgrFeature& f : features) {
        const std::string& g = f.geometry;
        if (g.rfind("POINT ", 0) == 0) ++counts[0];
        if (g.rfind("LINESTRING ", 0) == 0) ++counts[1];
        if (g.rfind("MULTILINESTRING ", 0) == 0) ++counts[2];
        if (g.rfind("POLYGON ", 0) == 0) ++counts[g.find("),(") == std::string::npos ? 3 : 4];
        if (g.rfind("MULTIPOLYGON ", 0) == 0) ++counts[4];
    }
    return Summary(counts[0], counts[1], counts[2], counts[3], counts[4]);
}

// The MIF/MID pair with another delimiter: the header's DELIMITER line and
// every comma outside quotes in the MID rows.
void ChangeDelimiter(const fs::path& mif, char delimiter) {
    std::string header = wlxtest::ReadText(mif);
    const std::string from = "Delimiter \",\"";
    ASSERT_NE(header.find(from), std::string::npos);
    header.replace(header.find(from), from.size(), std::string("Delimiter \"") + delimiter + "\"");
    wlxtest::WriteText(mif, header);
    fs::path mid = mif;
    mid.replace_extension(".mid");
    std::string rows = wlxtest::ReadText(mid);
    bool quoted = false;
    for (char& c : rows) {
        if (c == '"') quoted = !quoted;
        if (c == ',' && !quoted) c = delimiter;
    }
    wlxtest::WriteText(mid, rows);
}

TEST(TextReadersProgram, MifFromOgr2ogrExportsTheRowsOgrinfoReads) {
    FIND_TOOL_OR_SKIP(ogr2ogr, "ogr2ogr");
    FIND_TOOL_OR_SKIP(ogrinfo, "ogrinfo");
    for (char delimiter : {',', '\t', ';', '|'}) {
        SCOPED_TRACE(std::string("delimiter ") + delimiter);
        wlxtest::TempDir dir;
        const fs::path mif = dir / "mixed.mif";
        // Every column type the reader takes: Char(n), Integer, Float,
        // Decimal(w,d), Date, and a boolean as Integer.
        const auto made = wlxtest::Run(
            ogr2ogr,
            {"-f", "MapInfo File", mif.string(), Fixture("mif", "mif_mixed.geojson"), "-sql",
             "SELECT CAST(name AS character(60)) AS name, count, ratio, "
             "CAST(ratio AS numeric(12,3)) AS price, since, open FROM mif_mixed"});
        ASSERT_EQ(made.exitCode, 0) << made.err;
        if (delimiter != ',') ChangeDelimiter(mif, delimiter);

        const auto result = wlxtest::RunWlxconv(
            {"/IM", "/OO", "/TABLE:CSV:XY", mif.string(), (dir / "out").string()});
        EXPECT_EQ(result.exitCode, 0) << result.out;
        const std::vector<OgrFeature> features = OgrInfo(ogrinfo, mif);
        EXPECT_NE(result.out.find(ExpectedSummary(features)), std::string::npos) << result.out;
        const Rows rows = ReadCsv(dir / "out_MIDTable.csv");
        ASSERT_FALSE(rows.empty());
        EXPECT_EQ(rows[0],
                  (std::vector<std::string>{"TessaranKey", "LocationX", "LocationY", "name",
                                            "count", "ratio", "price", "since", "open"}));
        ExpectRowsAsOgrinfoReads(rows, features, true);
    }
}

TEST(TextReadersProgram, EveryMifObjectKindKeepsItsOwnRow) {
    FIND_TOOL_OR_SKIP(ogrinfo, "ogrinfo");
    wlxtest::TempDir dir;
    const auto result = wlxtest::RunWlxconv(
        {"/IM", "/OO", "/TABLE:CSV", Fixture("mif", "mif_objects.mif"), (dir / "out").string()});
    // ARC a line, ELLIPSE, RECT and ROUNDRECT polygons, TEXT a point, a
    // REGION of two rings a polypolygon; NONE, MULTIPOINT and COLLECTION
    // nothing, the last two with a warning each, before the summary.
    EXPECT_EQ(result.exitCode, 255) << result.out;
    const std::size_t summary = result.out.find(Summary(2, 3, 1, 3, 1));
    EXPECT_NE(summary, std::string::npos) << result.out;
    for (const char* kind : {"Multipoint", "Collection"}) {
        const std::string warning = std::string("Warning : 1 ") + kind +
                                    " object(s) were skipped: objects of this type cannot be "
                                    "converted.";
        const std::size_t at = result.out.find(warning);
        EXPECT_LT(at, summary) << result.out;
        EXPECT_EQ(result.out.find(warning, at + 1), std::string::npos) << result.out;
    }
    ExpectRowsAsOgrinfoReads(ReadCsv(dir / "out_MIDTable.csv"),
                             OgrInfo(ogrinfo, Fixture("mif", "mif_objects.mif")), false);
}

TEST(TextReadersProgram, SkippedMifObjectsAreCountedOncePerKind) {
    wlxtest::TempDir dir;
    wlxtest::WriteText(dir / "m.mif",
                       "Columns 1\n  a Integer\nData\nMultipoint 1\n1 1\nPoint 1 2\n"
                       "Multipoint 2\n1 1\n2 2\n");
    wlxtest::WriteText(dir / "m.mid", "1\n2\n3\n");
    const auto result =
        wlxtest::RunWlxconv({"/IM", "/OO", (dir / "m.mif").string(), (dir / "out").string()});
    EXPECT_EQ(result.exitCode, 255) << result.out;
    EXPECT_NE(result.out.find("Warning : 2 Multipoint object(s) were skipped"), std::string::npos)
        << result.out;
    EXPECT_EQ(result.out.find("Collection"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find(Summary(1, 0, 0, 0, 0)), std::string::npos) << result.out;
}

TEST(TextReadersProgram, BnaRecordsWithoutAnObjectKindAreCounted) {
    wlxtest::TempDir dir;
    wlxtest::WriteText(dir / "b.bna",
                       "\"E\",\"\",2\n0,0\n5,5\n\"T\",\"\",3\n0,0\n1,1\n0,0\n"
                       "\"P\",\"\",1\n7,8\n\"Z\",\"\",0\n\"O\",\"\",-1\n2,2\n");
    const auto result =
        wlxtest::RunWlxconv({"/IB", "/OO", (dir / "b.bna").string(), (dir / "out").string()});
    EXPECT_EQ(result.exitCode, 255) << result.out;
    EXPECT_NE(result.out.find("Warning : 1 Ellipse object(s) were skipped"), std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("Warning : 3 Degenerate object(s) were skipped"), std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find(Summary(1, 0, 0, 0, 0)), std::string::npos) << result.out;
}

TEST(TextReadersProgram, MifInfoListsTheMidColumns) {
    const auto result = wlxtest::RunWlxconv({"/IM", "/INFO", Fixture("mif", "mif_objects.mif")});
    EXPECT_EQ(result.exitCode, 0) << result.out;
    EXPECT_NE(result.out.find("\nTable[1] : MIDTable\n"
                              " Listing columns...\n"
                              " Column[1] : Name[id] : Type[INT]\n"
                              " Column[2] : Name[label] : Type[VARCHAR (20)]\n"
                              " Column[3] : Name[small] : Type[INT]\n"
                              " Column[4] : Name[ok] : Type[INT]\n"),
              std::string::npos)
        << result.out;
}

TEST(TextReadersProgram, BnaRecordsConvertByKindAndLayer) {
    const struct {
        std::vector<std::string> switches;
        std::string summary;
        bool skipped;  // the Roads layer's ellipse and three degenerate records
    } cases[] = {
        // Every polygon record is a multipolygon, one polygon per ring.
        {{}, Summary(3, 1, 0, 0, 2), true},
        {{"/HOLES"}, Summary(3, 1, 0, 0, 3), true},
        {{"/LAYER:Wells"}, Summary(2, 0, 0, 0, 0), false},
        {{"/TYPE:L"}, Summary(0, 1, 0, 0, 0), true},
    };
    for (const auto& c : cases) {
        wlxtest::TempDir dir;
        std::vector<std::string> args{"/IB", "/OO"};
        args.insert(args.end(), c.switches.begin(), c.switches.end());
        args.push_back(Fixture("bna", "bna_layers.bna"));
        args.push_back((dir / "out").string());
        const auto result = wlxtest::RunWlxconv(args);
        EXPECT_EQ(result.exitCode, c.skipped ? 255 : 0) << result.out;
        EXPECT_NE(result.out.find(c.summary), std::string::npos) << result.out;
        for (const char* warning : {"Warning : 1 Ellipse object(s) were skipped",
                                    "Warning : 3 Degenerate object(s) were skipped"})
            EXPECT_EQ(result.out.find(warning) != std::string::npos, c.skipped) << result.out;
    }
}

TEST(TextReadersProgram, BnaInfoListsTheLayers) {
    const auto result = wlxtest::RunWlxconv({"/IB", "/INFO", Fixture("bna", "bna_layers.bna")});
    EXPECT_EQ(result.exitCode, 0) << result.out;
    EXPECT_NE(result.out.find("Feature Count : 11\n"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("\n Layer[1] : Roads\n Layer[2] : Wells\n Layer[3] : Water\n"
                              " Layer[4] : INTERNAL_POLYGONS\n"),
              std::string::npos)
        << result.out;
}

TEST(TextReadersProgram, CsvGroupsLinesByTheObjectKind) {
    const struct {
        const char* kind;
        std::string summary;
    } cases[] = {
        {"/TM", Summary(16, 0, 0, 0, 0)},
        {"/TL", Summary(0, 4, 1, 0, 0)},
        {"/TP", Summary(0, 0, 0, 4, 1)},
    };
    for (const auto& c : cases) {
        wlxtest::TempDir dir;
        const auto result = wlxtest::RunWlxconv(
            {"/IC", c.kind, "/OO", Fixture("csv", "csv_track.csv"), (dir / "out").string()});
        EXPECT_EQ(result.exitCode, 0) << c.kind << result.out;
        EXPECT_NE(result.out.find(c.summary), std::string::npos) << c.kind << result.out;
    }
}

TEST(TextReadersProgram, DamagedInputStopsWithItsMessage) {
    const std::string readError = "*Error* : An error occurred reading from the file.\n";
    const std::string unexpectedEnd = "*Error* : Unexpected end of file.\n";
    const struct {
        const char* type;
        const char* file;
        const char* text;
        std::string message;
        int line;  // of a read error, named with its file
    } cases[] = {
        {"/IB", "a.bna", "\"A\",\"\",\"K\",\"L\",-3\n0,0\n1,1\n", unexpectedEnd, 0},
        {"/IB", "a.bna", "\"A\",\"B\"\n", readError, 1},
        {"/IB", "a.bna", "\"A\",\"\",\"K\",\"L\",-3\r\n0,0\r\n\r\n1,1\r\n1 1\r\n", readError, 5},
        {"/IC", "a.csv", "'K','N',1\n", readError, 1},
        {"/IC", "a.csv", "'K','N',1,2\n'K','N',1,x\n", readError, 2},
        {"/IM", "a.mif", "Columns 1\n  a Integer\nData\nRegion 2\n 3\n0 0\n", unexpectedEnd, 0},
        {"/IM", "a.mif", "Columns 1\n  a Time\nData\n", "*Error* : Not supported.\n", 0},
        {"/IM", "a.mif", "Columns 1\n  a Integer\nData\nPoint 1 1\nArc 0 0 1\n", readError, 5},
        {"/IM", "a.mif", "Columns x\n", readError, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        wlxtest::TempDir dir;
        wlxtest::WriteText(dir / c.file, c.text);
        wlxtest::WriteText(dir / "a.mid", "1\n");
        const auto result =
            wlxtest::RunWlxconv({c.type, "/OO", (dir / c.file).string(), (dir / "out").string()});
        EXPECT_EQ(result.exitCode, 1) << result.out;
        std::string message = c.message;
        if (c.line) {
            message.pop_back();
            message += "\n          " + (dir / c.file).string() + ", line " +
                       std::to_string(c.line) + "\n";
        }
        EXPECT_NE(result.out.find(message), std::string::npos) << result.out;
    }
}

TEST(TextReadersProgram, ReducingPointsSpeaksOnce) {
    wlxtest::TempDir dir;
    std::string bna;
    for (int line = 0; line < 3; ++line) {
        bna += "\"L" + std::to_string(line) + "\",\"\",\"K\",\"Roads\",-20\n";
        for (int i = 0; i < 20; ++i) bna += std::to_string(i) + "," + std::to_string(i % 3) + "\n";
    }
    wlxtest::WriteText(dir / "lines.bna", bna);
    const std::string warning =
        "Warning : Reducing object(s) point count to below maximum value...";
    auto result = wlxtest::RunWlxconv(
        {"/IB", "/OO", "/MAXPOINTS:8", (dir / "lines.bna").string(), (dir / "out").string()});
    EXPECT_EQ(result.exitCode, 255) << result.out;
    const std::size_t first = result.out.find(warning);
    ASSERT_NE(first, std::string::npos) << result.out;
    EXPECT_EQ(result.out.find(warning, first + 1), std::string::npos) << result.out;
    EXPECT_NE(result.out.find(Summary(0, 3, 0, 0, 0)), std::string::npos) << result.out;

    result = wlxtest::RunWlxconv(
        {"/IB", "/OO", "/GENERALIZE:50", (dir / "lines.bna").string(), (dir / "out").string()});
    EXPECT_EQ(result.exitCode, 0) << result.out;
    EXPECT_NE(
        result.out.find("Generalizing all objects to 50.000000 percent of their original size..."),
        std::string::npos)
        << result.out;
    EXPECT_EQ(result.out.find(warning), std::string::npos) << result.out;
}

// The point lines of each record of a WLT file.
std::vector<int> WltPointCounts(const fs::path& wlt) {
    std::vector<int> counts;
    std::istringstream lines(wlxtest::ReadText(wlt));
    std::string line;
    while (std::getline(lines, line)) {
        if (line.empty() || line[0] == '#' || line[0] == ';') continue;
        if (std::isalpha(static_cast<unsigned char>(line[0])))
            counts.push_back(0);
        else if (!counts.empty())
            ++counts.back();
    }
    return counts;
}

TEST(TextReadersProgram, ReducedObjectsKeepTheirShapeAndTheLimits) {
    wlxtest::TempDir dir;
    // A polygon of 100 points, and an island coast as a line closed on its
    // first point.
    std::string bna = "\"Lake\",\"\",\"K1\",\"Water\",100\n";
    for (int i = 0; i < 99; ++i)
        bna += std::to_string(100 + i % 7) + "," + std::to_string(i) + "\n";
    bna += "100,0\n\"Coast\",\"\",\"K2\",\"Water\",-10\n";
    for (int i = 0; i < 9; ++i) bna += std::to_string(i) + "," + std::to_string(i * i % 5) + "\n";
    bna += "0,0\n";
    wlxtest::WriteText(dir / "water.bna", bna);
    struct Case {
        const char* reduce;
        // As written: a ring repeats its first point, and a line's returns to
        // its first point are escaped.
        std::vector<int> points;
    } cases[] = {
        {"/MAXPOINTS:8", {8, 11}},
        {"/GENERALIZE:10", {10, 7}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reduce);
        const auto result = wlxtest::RunWlxconv(
            {"/IB", "/OL", "/WO", c.reduce, (dir / "water.bna").string(), (dir / "out").string()});
        EXPECT_EQ(result.exitCode, 255) << result.out;  // not latitudes and longitudes
        EXPECT_NE(result.out.find(Summary(0, 1, 0, 0, 1)), std::string::npos) << result.out;
        EXPECT_EQ(WltPointCounts(dir / "out.wlt"), c.points);
    }
}

}  // namespace
