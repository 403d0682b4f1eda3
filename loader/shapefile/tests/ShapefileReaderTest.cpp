// The shapefile reader end to end: the real wlxconv converts shapefiles that
// ogr2ogr and shapelib's tools write, and the exported tables are compared
// with what ogrinfo reads from the same files.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "common/ByteOrder.h"
#include "testing/OgrTools.h"
#include "testing/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using wlxtest::FirstPoint;
using wlxtest::OgrFeature;
using wlxtest::OgrField;
using wlxtest::OgrInfo;
using wlxtest::ReadCsv;
using wlxtest::Rows;
using wlxtest::Summary;

// ogr2ogr's shapefile of a GeoJSON fixture.
fs::path FixtureShapefile(const fs::path& ogr2ogr, const wlxtest::TempDir& dir,
                          const std::string& fixture) {
    const fs::path shp = dir / (fixture + ".shp");
    wlxtest::MakeShapefile(
        ogr2ogr, wlxtest::SourcePath("loader/shapefile/tests/data/" + fixture + ".geojson"), shp);
    return shp;
}

// What a DBF holds for a null: asterisks in numbers, zeros in dates, blanks in texts.
bool IsDbfNull(const std::string& value) {
    return value.find_first_not_of('*') == std::string::npos ||
           value.find_first_not_of('0') == std::string::npos;
}

// Compares one exported value with ogrinfo's reading of the same field.
void ExpectSameValue(const OgrField& ogr, const std::string& ours, const std::string& where) {
    if (ogr.value == "(null)") {
        EXPECT_TRUE(ogr.type == "String" ? ours.empty() : IsDbfNull(ours)) << where << ": " << ours;
    } else if (ogr.type == "String") {
        EXPECT_EQ(ours, ogr.value) << where;
    } else if (ogr.type == "Date") {
        EXPECT_EQ(ours, std::regex_replace(ogr.value, std::regex("/"), "")) << where;
    } else {
        EXPECT_DOUBLE_EQ(std::stod(ours), std::stod(ogr.value)) << where << ": " << ours;
    }
}

TEST(ShapefileReader, ConvertsEveryShapeAndExportsTheDbfRowsAsOgrinfoReadsThem) {
    FIND_TOOL_OR_SKIP(ogr2ogr, "ogr2ogr");
    FIND_TOOL_OR_SKIP(ogrinfo, "ogrinfo");
    struct Case {
        const char* fixture;
        std::string summary;
        bool located;  // points and multipoints carry their location
    } cases[] = {
        {"shape_points", Summary(3, 0, 0, 0, 0), true},
        {"shape_lines", Summary(0, 1, 1, 0, 0), false},
        // A hole is a polygon of its own: the polygon with a hole is a polypolygon.
        {"shape_polygons", Summary(0, 0, 0, 1, 2), false},
        // Multipoints are exported but not counted.
        {"shape_multipoints", Summary(0, 0, 0, 0, 0), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fixture);
        wlxtest::TempDir dir;
        const fs::path shp = FixtureShapefile(ogr2ogr, dir, c.fixture);
        const auto result = wlxtest::RunWlxconv(
            {"/IH", "/OO", "/TABLE:CSV:XY", shp.string(), (dir / "out").string()});
        EXPECT_EQ(result.exitCode, 0) << result.out;
        EXPECT_NE(result.out.find(c.summary), std::string::npos) << result.out;

        const Rows rows = ReadCsv(dir / "out_DBFTable.csv");
        const std::vector<OgrFeature> features = OgrInfo(ogrinfo, shp);
        ASSERT_EQ(rows.size(), features.size() + 1);
        const std::vector<std::string>& header = rows[0];
        ASSERT_GE(header.size(), 3u);
        EXPECT_EQ(header[0], "TessaranKey");
        EXPECT_EQ(header[1], "LocationX");
        EXPECT_EQ(header[2], "LocationY");
        ASSERT_EQ(header.size(), features[0].fields.size() + 3);
        for (std::size_t i = 0; i < features.size(); ++i) {
            const auto& row = rows[i + 1];
            ASSERT_EQ(row.size(), header.size()) << "row " << i;
            EXPECT_EQ(row[0].size(), 11u) << "a generated key: stamp and counter";
            for (std::size_t col = 3; col < header.size(); ++col) {
                const auto field = features[i].fields.find(header[col]);
                ASSERT_NE(field, features[i].fields.end()) << header[col];
                ExpectSameValue(field->second, row[col],
                                "row " + std::to_string(i) + " " + header[col]);
            }
            const auto [x, y] = c.located ? FirstPoint(features[i].geometry) : std::pair{0.0, 0.0};
            EXPECT_NEAR(std::stod(row[1]), x, 5e-7) << "row " << i;
            EXPECT_NEAR(std::stod(row[2]), y, 5e-7) << "row " << i;
        }
        EXPECT_TRUE(fs::exists(dir / "out_DBFTable.sql"));
    }
}

TEST(ShapefileReader, SqlExportLoadsIntoSqliteWithEveryRow) {
    FIND_TOOL_OR_SKIP(ogr2ogr, "ogr2ogr");
    FIND_TOOL_OR_SKIP(sqlite, "sqlite3");
    for (const char* fixture : {"shape_points", "shape_polygons"}) {
        SCOPED_TRACE(fixture);
        wlxtest::TempDir dir;
        const fs::path shp = FixtureShapefile(ogr2ogr, dir, fixture);
        const auto result = wlxtest::RunWlxconv(
            {"/IH", "/OO", "/TABLE:SQL:XY", shp.string(), (dir / "out").string()});
        ASSERT_EQ(result.exitCode, 0) << result.out;
        wlxtest::RunOptions options;
        options.input =
            wlxtest::ReadText(dir / "out_DBFTable.sql") + "SELECT count(*) FROM DBFTable;\n";
        const auto loaded = wlxtest::Run(sqlite, {"-bail", ":memory:"}, options);
        EXPECT_EQ(loaded.exitCode, 0) << loaded.err;
        EXPECT_EQ(loaded.out, "3\n");
        EXPECT_FALSE(fs::exists(dir / "out_DBFTable.csv"));
    }
}

TEST(ShapefileReader, InfoListsTheDbfColumns) {
    FIND_TOOL_OR_SKIP(ogr2ogr, "ogr2ogr");
    wlxtest::TempDir dir;
    const fs::path shp = FixtureShapefile(ogr2ogr, dir, "shape_points");
    const auto result = wlxtest::RunWlxconv({"/IH", "/INFO", shp.string()});
    EXPECT_EQ(result.exitCode, 0) << result.out;
    EXPECT_NE(result.out.find("\nListing tables and their contents...\n"
                              "\nTable[1] : DBFTable\n"
                              " Listing columns...\n"
                              " Column[1] : Name[name] : Type[VARCHAR (80)]\n"
                              " Column[2] : Name[pop] : Type[INT]\n"
                              " Column[3] : Name[area] : Type[FLOAT]\n"
                              " Column[4] : Name[since] : Type[INT]\n"
                              " Column[5] : Name[big] : Type[INT]\n"
                              "\nListing layers occupied by map objects...\n"),
              std::string::npos)
        << result.out;
}

// shapelib's tools: a point file with a null shape between two points, and a
// PolygonZ file; null and Z shapes are skipped, and every shape keeps its own
// DBF record.
const char* const kZmDropped =
    "Warning : The input holds Z or M values, which are dropped: only the X and Y of each point "
    "are read. This warning is not repeated.";

TEST(ShapefileReader, NullShapesAreSkippedWithTheirDbfRecordsAndZShapesRead) {
    FIND_TOOL_OR_SKIP(shpcreate, "shpcreate");
    const fs::path shpadd = wlxtest::FindTool("shpadd");
    const fs::path dbfcreate = wlxtest::FindTool("dbfcreate");
    const fs::path dbfadd = wlxtest::FindTool("dbfadd");
    wlxtest::TempDir dir;
    const std::string points = (dir / "pts").string();
    const std::string solids = (dir / "solids").string();
    const std::vector<std::vector<std::string>> commands{
        {shpcreate, points, "point"},
        {shpadd, points, "1", "2"},
        {shpadd, points},
        {shpadd, points, "3", "4"},
        {dbfcreate, points, "-s", "name", "10"},
        {dbfadd, points, "one"},
        {dbfadd, points, "null"},
        {dbfadd, points, "three"},
        {shpcreate, solids, "polygonz"},
        {shpadd, solids, "-z", "0", "0", "1", "1", "0", "1", "1", "1", "1", "0", "0", "1"},
        {dbfcreate, solids, "-s", "name", "10"},
        {dbfadd, solids, "zed"},
    };
    for (const auto& command : commands) {
        const auto result =
            wlxtest::Run(command[0], std::vector<std::string>(command.begin() + 1, command.end()));
        ASSERT_EQ(result.exitCode, 0) << command[0] << result.err;
    }
    auto result = wlxtest::RunWlxconv(
        {"/IH", "/OO", "/TABLE:CSV:XY", "/KEY:COL:name", points + ".shp", (dir / "a").string()});
    EXPECT_EQ(result.exitCode, 0) << result.out;
    EXPECT_NE(result.out.find(Summary(2, 0, 0, 0, 0)), std::string::npos) << result.out;
    EXPECT_EQ(wlxtest::ReadText(dir / "a_DBFTable.csv"),
              "TessaranKey,LocationX,LocationY,name\n"
              "\"one\",1.000000,2.000000,\"one\"\n"
              "\"three\",3.000000,4.000000,\"three\"\n");

    // A Z shape gives its X and Y, with a warning.
    result = wlxtest::RunWlxconv(
        {"/IH", "/OO", "/TABLE:CSV", "/KEY:COL:name", solids + ".shp", (dir / "b").string()});
    EXPECT_EQ(result.exitCode, 255) << result.out;
    EXPECT_NE(result.out.find(Summary(0, 0, 0, 1, 0)), std::string::npos) << result.out;
    EXPECT_NE(result.out.find(kZmDropped), std::string::npos) << result.out;
    EXPECT_EQ(wlxtest::ReadText(dir / "b_DBFTable.csv"), "TessaranKey,name\n\"zed\",\"zed\"\n");
}

// The geometries of a WLT file: every line but the header's.
std::string WltRecords(const fs::path& wlt) {
    std::istringstream lines(wlxtest::ReadText(wlt));
    std::string line, records;
    while (std::getline(lines, line))
        if (!line.empty() && line[0] != '#' && line[0] != ';') records += line + "\n";
    return records;
}

TEST(ShapefileReader, ZAndMShapesGiveTheXAndYOfOgrsTwoDimensionalCopy) {
    FIND_TOOL_OR_SKIP(ogr2ogr, "ogr2ogr");
    FIND_TOOL_OR_SKIP(shpcreate, "shpcreate");
    const fs::path shpadd = wlxtest::FindTool("shpadd");
    const fs::path dbfcreate = wlxtest::FindTool("dbfcreate");
    const fs::path dbfadd = wlxtest::FindTool("dbfadd");
    wlxtest::TempDir dir;
    const struct {
        const char* type;
        std::vector<std::string> shapes;  // shpadd's arguments for each shape
    } cases[] = {
        {"pointz", {"-z 1 2 3", "-z 4 5 6"}},
        {"pointm", {"-m 1 2 3"}},
        {"arcz", {"-z 0 0 1 1 1 2 + 5 5 3 6 6 4 7 5 5"}},
        {"arcm", {"-m 0 0 1 1 1 2 2 0 3"}},
        // Outer rings clockwise, holes counter-clockwise, as ogr2ogr writes them.
        {"polygonz", {"-zm 0 0 1 9 0 1 2 9 1 1 3 9 0 0 1 9"}},
        {"polygonm", {"-m 0 0 1 0 4 2 4 4 3 0 0 1 + 1 2 0 2 3 0 1 3 0 1 2 0"}},
        {"multipointz", {"-z 1 1 1 2 2 2 3 3 3"}},
        {"multipointm", {"-m 1 1 1 2 2 2"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        const std::string base = (dir / c.type).string();
        ASSERT_EQ(wlxtest::Run(shpcreate, {base, c.type}).exitCode, 0);
        ASSERT_EQ(wlxtest::Run(dbfcreate, {base, "-s", "name", "10"}).exitCode, 0);
        for (const std::string& shape : c.shapes) {
            ASSERT_EQ(wlxtest::Run(dbfadd, {base, "x"}).exitCode, 0);
            std::vector<std::string> args{base};
            std::istringstream words(shape);
            for (std::string word; words >> word;) args.push_back(word);
            ASSERT_EQ(wlxtest::Run(shpadd, args).exitCode, 0);
        }
        const std::string flat = base + "_xy.shp";
        const auto made =
            wlxtest::Run(ogr2ogr, {"-f", "ESRI Shapefile", "-dim", "XY", flat, base + ".shp"});
        ASSERT_EQ(made.exitCode, 0) << made.err;
        auto result = wlxtest::RunWlxconv({"/IH", "/OL", "/KEY:COL:name", base + ".shp", base});
        EXPECT_EQ(result.exitCode, 255) << result.out;
        const std::size_t warned = result.out.find(kZmDropped);
        EXPECT_NE(warned, std::string::npos) << result.out;
        EXPECT_EQ(result.out.find(kZmDropped, warned + 1), std::string::npos) << result.out;
        const auto reference =
            wlxtest::RunWlxconv({"/IH", "/OL", "/KEY:COL:name", flat, base + "_xy"});
        EXPECT_EQ(reference.exitCode, 0) << reference.out;
        EXPECT_NE(WltRecords(base + ".wlt"), "");
        EXPECT_EQ(WltRecords(base + ".wlt"), WltRecords(base + "_xy.wlt"));
    }
}

TEST(ShapefileReader, MultipatchesAreSkippedAndCountedWithTheirDbfRecords) {
    FIND_TOOL_OR_SKIP(ogr2ogr, "ogr2ogr");
    wlxtest::TempDir dir;
    wlxtest::WriteText(
        dir / "tins.geojson",
        "{\"type\":\"FeatureCollection\",\"features\":["
        "{\"type\":\"Feature\",\"properties\":{\"name\":\"a\"},\"geometry\":"
        "{\"type\":\"Polygon\",\"coordinates\":[[[0,0,1],[1,0,2],[1,1,3],[0,0,1]]]}},"
        "{\"type\":\"Feature\",\"properties\":{\"name\":\"b\"},\"geometry\":"
        "{\"type\":\"Polygon\",\"coordinates\":[[[5,5,1],[6,5,2],[6,6,3],[5,5,1]]]}}]}");
    const fs::path shp = dir / "tins.shp";
    const auto made = wlxtest::Run(ogr2ogr, {"-f", "ESRI Shapefile", "-lco", "SHPT=MULTIPATCH",
                                             shp.string(), (dir / "tins.geojson").string()});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    const auto result =
        wlxtest::RunWlxconv({"/IH", "/OO", "/TABLE:CSV", shp.string(), (dir / "out").string()});
    EXPECT_EQ(result.exitCode, 255) << result.out;
    EXPECT_NE(result.out.find("Warning : 2 MultiPatch object(s) were skipped: objects of this "
                              "type cannot be converted."),
              std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find(Summary(0, 0, 0, 0, 0)), std::string::npos) << result.out;
}

// A small polyline shapefile built byte by byte, so that each corruption case
// can damage exactly one field: a line of 2 points and a line of 2 parts.
struct ShapeFiles {
    Bytes shp, shx, dbf;
};

void Be32(Bytes& b, std::size_t at, std::uint32_t v) {
    byteorder::StoreU32Be(v, &b[at]);
}
void Le32(Bytes& b, std::size_t at, std::uint32_t v) {
    byteorder::StoreU32Le(v, &b[at]);
}
void PushLe32(Bytes& b, std::uint32_t v) {
    b.resize(b.size() + 4);
    Le32(b, b.size() - 4, v);
}
void PushDouble(Bytes& b, double d) {
    b.resize(b.size() + 8);
    byteorder::StoreF64Le(d, &b[b.size() - 8]);
}

// Offsets of the fields the corruption cases damage.
constexpr std::size_t kFirstRecord = 100;
constexpr std::size_t kSecondRecord = 100 + 8 + 44 + 4 + 2 * 16;
constexpr std::size_t kSecondParts = kSecondRecord + 8 + 44;

ShapeFiles PolylineFiles() {
    ShapeFiles f;
    f.shp.assign(100, 0);
    f.shx.assign(100, 0);
    const std::vector<std::vector<std::uint32_t>> parts{{0}, {0, 2}};
    const std::vector<std::uint32_t> pointCounts{2, 4};
    for (std::size_t r = 0; r < parts.size(); ++r) {
        Bytes content;
        PushLe32(content, 3);
        for (int i = 0; i < 4; ++i) PushDouble(content, 0);
        PushLe32(content, static_cast<std::uint32_t>(parts[r].size()));
        PushLe32(content, pointCounts[r]);
        for (auto p : parts[r]) PushLe32(content, p);
        for (std::uint32_t i = 0; i < pointCounts[r]; ++i) {
            PushDouble(content, i);
            PushDouble(content, r);
        }
        const std::size_t offset = f.shp.size();
        f.shp.resize(offset + 8);
        Be32(f.shp, offset, static_cast<std::uint32_t>(r + 1));
        Be32(f.shp, offset + 4, static_cast<std::uint32_t>(content.size() / 2));
        f.shp.insert(f.shp.end(), content.begin(), content.end());
        f.shx.resize(f.shx.size() + 8);
        Be32(f.shx, f.shx.size() - 8, static_cast<std::uint32_t>(offset / 2));
        Be32(f.shx, f.shx.size() - 4, static_cast<std::uint32_t>(content.size() / 2));
    }
    for (Bytes* b : {&f.shp, &f.shx}) {
        Be32(*b, 0, 9994);
        Be32(*b, 24, static_cast<std::uint32_t>(b->size() / 2));
        Le32(*b, 28, 1000);
        Le32(*b, 32, 3);
    }
    // One character field "name" of width 4, two records.
    f.dbf.assign(32, 0);
    f.dbf[0] = 3;
    f.dbf[4] = 2;
    f.dbf[8] = 65;
    f.dbf[10] = 5;
    Bytes field(32, 0);
    std::memcpy(field.data(), "name", 4);
    field[11] = 'C';
    field[16] = 4;
    f.dbf.insert(f.dbf.end(), field.begin(), field.end());
    for (const char* text : {"\r aaaa", " bbbb", "\x1a"})
        f.dbf.insert(f.dbf.end(), text, text + std::strlen(text));
    return f;
}

void WriteShapeFiles(const ShapeFiles& f, const fs::path& base) {
    wlxtest::WriteBytes(base.string() + ".shp", f.shp);
    wlxtest::WriteBytes(base.string() + ".shx", f.shx);
    wlxtest::WriteBytes(base.string() + ".dbf", f.dbf);
}

TEST(ShapefileReader, TheUndamagedPolylineFilesConvert) {
    wlxtest::TempDir dir;
    WriteShapeFiles(PolylineFiles(), dir / "lines");
    const auto result = wlxtest::RunWlxconv({"/IH", "/OO", "/TABLE:CSV", "/NAME:COL:name",
                                             (dir / "lines.shp").string(), (dir / "out").string()});
    EXPECT_EQ(result.exitCode, 0) << result.out;
    EXPECT_NE(result.out.find(Summary(0, 1, 1, 0, 0)), std::string::npos) << result.out;
}

TEST(ShapefileReader, DamagedFilesGiveAClearErrorNeverACrash) {
    const std::string badFormat = "*Error* : Bad format.";
    const std::string readError = "*Error* : An error occurred reading from the file.";
    struct Case {
        const char* damage;
        void (*apply)(ShapeFiles&);
        std::string message;
    } cases[] = {
        {"shp file code", [](ShapeFiles& f) { Be32(f.shp, 0, 9995); }, badFormat},
        {"shx file code", [](ShapeFiles& f) { Be32(f.shx, 0, 0); }, badFormat},
        {"shx cut inside its second entry", [](ShapeFiles& f) { f.shx.resize(110); }, readError},
        {"shp cut inside the second record",
         [](ShapeFiles& f) { f.shp.resize(kSecondRecord + 20); }, readError},
        {"record length beyond the file",
         [](ShapeFiles& f) { Be32(f.shp, kFirstRecord + 4, 0x7FFFFFFF); }, readError},
        {"record too short for its shape type",
         [](ShapeFiles& f) { Be32(f.shp, kFirstRecord + 4, 1); }, badFormat},
        {"part count beyond the record",
         [](ShapeFiles& f) { Le32(f.shp, kFirstRecord + 8 + 36, 0x40000000); }, badFormat},
        {"point count beyond the record",
         [](ShapeFiles& f) { Le32(f.shp, kFirstRecord + 8 + 40, 0x10000000); }, badFormat},
        {"part start beyond the points", [](ShapeFiles& f) { Le32(f.shp, kSecondParts + 4, 4); },
         badFormat},
        {"part starts falling", [](ShapeFiles& f) { Le32(f.shp, kSecondParts, 3); }, badFormat},
        {"index entry inside the header", [](ShapeFiles& f) { Be32(f.shx, 100, 10); }, badFormat},
        {"index entry beyond the file", [](ShapeFiles& f) { Be32(f.shx, 108, 0x10000000); },
         readError},
        {"dbf version", [](ShapeFiles& f) { f.dbf[0] = 0x30; }, badFormat},
        {"dbf header beyond the file", [](ShapeFiles& f) { f.dbf[9] = 0x40; }, readError},
        {"dbf field wider than its record", [](ShapeFiles& f) { f.dbf[32 + 16] = 200; }, badFormat},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.damage);
        wlxtest::TempDir dir;
        ShapeFiles files = PolylineFiles();
        c.apply(files);
        WriteShapeFiles(files, dir / "bad");
        const auto result = wlxtest::RunWlxconv(
            {"/IH", "/OO", "/TABLE:CSV", (dir / "bad.shp").string(), (dir / "out").string()});
        EXPECT_EQ(result.exitCode, 1) << result.out;
        EXPECT_NE(result.out.find(c.message + "\n"), std::string::npos) << result.out;
    }
}

TEST(ShapefileReader, MissingPartsAreNamedAndCompanionsFoundInAnyLetterCase) {
    wlxtest::TempDir dir;
    const ShapeFiles files = PolylineFiles();
    wlxtest::WriteBytes(dir / "a.shp", files.shp);
    wlxtest::WriteBytes(dir / "a.shx", files.shx);
    auto result =
        wlxtest::RunWlxconv({"/IH", "/OO", (dir / "a.shp").string(), (dir / "o").string()});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(
        result.out.find("*Error* : Unable to find input file: " + (dir / "a.dbf").string() + "\n"),
        std::string::npos)
        << result.out;

    wlxtest::WriteBytes(dir / "a.DBF", files.dbf);
    result = wlxtest::RunWlxconv({"/IH", "/OO", (dir / "a.shp").string(), (dir / "o").string()});
    EXPECT_EQ(result.exitCode, 0) << result.out;
}

// The DBF has a record for the first shape only: the second gets no
// attributes, the templates warn once, and the run goes on.
TEST(ShapefileReader, ShapesBeyondTheDbfGetNoAttributes) {
    wlxtest::TempDir dir;
    ShapeFiles files = PolylineFiles();
    files.dbf.resize(files.dbf.size() - 6);  // the second record and the end mark
    WriteShapeFiles(files, dir / "short");
    const auto result =
        wlxtest::RunWlxconv({"/IH", "/OO", "/TABLE:CSV", "/NAME:COL:name",
                             (dir / "short.shp").string(), (dir / "o.wlx").string()});
    EXPECT_EQ(result.exitCode, 255) << result.out;
    const std::string warning =
        "Warning : Table data not available. \n Some objects may not have associated data from "
        "table [ DBFTable ].\n";
    const auto first = result.out.find(warning);
    ASSERT_NE(first, std::string::npos) << result.out;
    EXPECT_EQ(result.out.find(warning, first + 1), std::string::npos) << "warned once";
    EXPECT_NE(result.out.find(Summary(0, 1, 1, 0, 0)), std::string::npos) << result.out;
    const Rows rows = ReadCsv(dir / "o_DBFTable.csv");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1][1], "aaaa");
}

TEST(ShapefileReader, TemplatesComposeKeysAndTheTypeFilterKeepsRecordsAligned) {
    wlxtest::TempDir dir;
    WriteShapeFiles(PolylineFiles(), dir / "t");
    const std::string in = (dir / "t.shp").string();
    // Keys from literal text and columns, by name and by number.
    auto result = wlxtest::RunWlxconv(
        {"/IH", "/OO", "/TABLE:CSV", "/KEY:\"TEXT:k//1-/COL:NAME/1\"", in, (dir / "a").string()});
    EXPECT_EQ(result.exitCode, 0) << result.out;
    EXPECT_EQ(wlxtest::ReadText(dir / "a_DBFTable.csv"),
              "TessaranKey,name\n\"k/1-aaaaaaaa\",\"aaaa\"\n\"k/1-bbbbbbbb\",\"bbbb\"\n");
    // Points only: both lines are skipped, and no table file is written.
    result = wlxtest::RunWlxconv({"/IH", "/OO", "/TABLE:CSV", "/TYPE:M", in, (dir / "b").string()});
    EXPECT_EQ(result.exitCode, 0) << result.out;
    EXPECT_NE(result.out.find(Summary(0, 0, 0, 0, 0)), std::string::npos) << result.out;
    EXPECT_FALSE(fs::exists(dir / "b_DBFTable.csv"));
    // A column the table lacks.
    result = wlxtest::RunWlxconv({"/IH", "/OO", "/KEY:COL:nope", in, (dir / "c").string()});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.out.find("*Error* : Invalid column and/or table specified in /NAME, /KEY, "
                              "or /LINK switch.\n"),
              std::string::npos)
        << result.out;
}

TEST(ShapefileReader, TableFilesGoBesideTheOutputWhateverDotsItsDirectoryHas) {
    wlxtest::TempDir dir;
    WriteShapeFiles(PolylineFiles(), dir / "t");
    fs::create_directory(dir / "v1.2");
    const auto result = wlxtest::RunWlxconv(
        {"/IH", "/OO", "/TABLE:SQL", (dir / "t.shp").string(), (dir / "v1.2" / "out").string()});
    EXPECT_EQ(result.exitCode, 0) << result.out;
    EXPECT_TRUE(fs::exists(dir / "v1.2" / "out_DBFTable.sql"));
}

}  // namespace

namespace {

TEST(ShapefileReader, DbfTextIsReadInItsDeclaredCodePage) {
    FIND_TOOL_OR_SKIP(ogr2ogr, "ogr2ogr");
    FIND_TOOL_OR_SKIP(ogrinfo, "ogrinfo");
    wlxtest::TempDir dir;
    wlxtest::WriteText(
        dir / "civ.geojson",
        "{\"type\":\"FeatureCollection\",\"features\":[{\"type\":\"Feature\","
        "\"properties\":{\"name\":\"C\xC3\xB4te d'Ivoire\",\"nom\":\"Z\xC3\xBCrich\","
        "\"r\xC3\xA9gion\":\"\xC3\x8Ele\"},"
        "\"geometry\":{\"type\":\"Point\",\"coordinates\":[-5.5,7.5]}}]}");
    const std::vector<std::string> utf8{"C\xC3\xB4te d'Ivoire", "Z\xC3\xBCrich", "\xC3\x8Ele"};
    // A .cpg file names the page, or the header's language driver byte does
    // (87 ISO-8859-1, 3 Windows-1252, 2 DOS 850); UTF-8 passes as it is.
    for (const char* encoding :
         {"CP1252", "ISO-8859-1", "CP850", "LDID/87", "LDID/3", "LDID/2", "UTF-8"}) {
        SCOPED_TRACE(encoding);
        const fs::path sub = dir / std::to_string(std::hash<std::string>{}(encoding));
        fs::create_directory(sub);
        const fs::path shp = sub / "civ.shp";
        const auto made = wlxtest::Run(
            ogr2ogr, {"-f", "ESRI Shapefile", "-lco", std::string("ENCODING=") + encoding,
                      shp.string(), (dir / "civ.geojson").string()});
        ASSERT_EQ(made.exitCode, 0) << made.err;
        const auto features = OgrInfo(ogrinfo, shp);
        ASSERT_EQ(features.size(), 1u);
        EXPECT_EQ(features[0].fields.at("name").value, utf8[0]);
        const auto result = wlxtest::RunWlxconv(
            {"/IH", "/OL", "/TABLE:CSV", "/NAME:COL:name", shp.string(), (sub / "out").string()});
        EXPECT_EQ(result.exitCode, 0) << result.out;
        const Rows rows = ReadCsv(sub / "out_DBFTable.csv");
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_EQ(rows[0],
                  (std::vector<std::string>{"TessaranKey", "name", "nom", "r\xC3\xA9gion"}));
        EXPECT_EQ(std::vector<std::string>(rows[1].begin() + 1, rows[1].end()), utf8);
        EXPECT_EQ(rows[1][1], features[0].fields.at("name").value);
        EXPECT_EQ(rows[1][2], features[0].fields.at("nom").value);
        EXPECT_NE(wlxtest::ReadText(sub / "out.wlt").find("\"" + utf8[0] + "\""),
                  std::string::npos);
    }
    // Undeclared text passes through as it is: here ISO-8859-1 bytes.
    const fs::path shp = dir / "undeclared.shp";
    ASSERT_EQ(wlxtest::Run(ogr2ogr, {"-f", "ESRI Shapefile", "-lco", "ENCODING=LDID/87",
                                     shp.string(), (dir / "civ.geojson").string()})
                  .exitCode,
              0);
    auto dbf = wlxtest::ReadBytes(dir / "undeclared.dbf");
    ASSERT_EQ(dbf.at(29), 87);
    dbf[29] = 0;
    wlxtest::WriteBytes(dir / "undeclared.dbf", dbf);
    const auto result = wlxtest::RunWlxconv(
        {"/IH", "/OO", "/TABLE:CSV", shp.string(), (dir / "undeclared").string()});
    EXPECT_EQ(result.exitCode, 0) << result.out;
    EXPECT_NE(wlxtest::ReadText(dir / "undeclared_DBFTable.csv").find("\"C\xF4te d'Ivoire\""),
              std::string::npos);
}

}  // namespace
