// The BNA, CSV and MIF/MID readers over files, with the real geometry
// server: what each object becomes, which objects the filter keeps, which
// MID row each object gets, and the errors of damaged input.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "loader/BnaReader.h"
#include "loader/CsvReader.h"
#include "loader/FeatureRecord.h"
#include "loader/FileInfo.h"
#include "loader/LoaderSettings.h"
#include "loader/MifReader.h"
#include "loader/tests/GeometryDump.h"
#include "loader/tests/RecordingReporter.h"
#include "platform/ComRuntime.h"
#include "testing/TestSupport.h"

namespace {

// Stands for a key the reader generated.
const std::string kGenerated = "<generated>";

struct Object {
    Object(std::string name, std::string key, GeometryDump geometry, std::string link = "")
        : name(std::move(name)),
          key(std::move(key)),
          geometry(std::move(geometry)),
          link(std::move(link)) {}

    std::string name;
    std::string key;
    GeometryDump geometry;
    std::string link;

    friend bool operator==(const Object&, const Object&) = default;
};

void PrintTo(const Object& o, std::ostream* os) {
    *os << "{" << o.name << " / " << o.key << " / " << o.link << ": ";
    PrintTo(o.geometry, os);
    *os << "}";
}

GeometryDump Point(double x, double y) {
    return {kWkbPoint, {{{x, y}}}};
}
GeometryDump Line(DumpPoints points) {
    return {kWkbLineString, {std::move(points)}};
}
GeometryDump Shape(int type, std::vector<DumpPoints> parts) {
    return {type, std::move(parts)};
}

class TextReadersTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Succeeded(CoInitialize()));
        settings.reporter = &reporter;
        settings.filter.pointsEnabled = settings.filter.linesEnabled =
            settings.filter.polygonsEnabled = 1;
    }
    void TearDown() override { CoUninitialize(); }

    static std::string Fixture(const std::string& name) {
        return wlxtest::SourcePath("loader/tests/data/" + name).string();
    }

    // Reads every object; `last` is the status that ended the reading.
    static std::vector<Object> ReadAll(CSourceReaderInterface& reader, Status& last) {
        std::vector<Object> objects;
        CFeatureRecord record;
        for (int guard = 0; guard < 1000; ++guard) {
            record.Clear();
            last = reader.ReadNext(&record);
            if (last != 0) break;
            objects.push_back(
                {record.GetName(), record.GetKey(), Dump(record.PeekGeometry()), record.GetLink()});
        }
        return objects;
    }

    // Generated keys are unique stamps: they are checked for that and then
    // replaced by a marker.
    static std::vector<Object> MarkGeneratedKeys(std::vector<Object> objects,
                                                 const std::vector<std::string>& givenKeys) {
        for (Object& o : objects) {
            if (o.key.size() > 10 &&
                std::find(givenKeys.begin(), givenKeys.end(), o.key) == givenKeys.end())
                o.key = kGenerated;
        }
        return objects;
    }

    template <class Reader>
    std::unique_ptr<Reader> Open(const std::string& file, Status expected = 0) {
        settings.inputName = file;
        Status status = 12345;
        auto reader = std::make_unique<Reader>(&settings, &status);
        EXPECT_EQ(status, expected) << file;
        return reader;
    }

    CLoaderSettings settings;
    CRecordingReporter reporter;
};

// --- BNA ---

const std::vector<std::string> kBnaKeys = {"K1", "K2", "K3", "K4", "K9"};

TEST_F(TextReadersTest, BnaRecordsBecomeObjects) {
    const Object road{"Main St", "K1", Line({{0, 0}, {1, 1}, {2, 0}})};
    const Object well{"Well 4", "K2", Point(13.25, 52.5)};
    const Object lake{"Lake", "K3",
                      Shape(kWkbMultiPolygon, {{{0, 0}, {4, 0}, {4, 4}, {0, 4}, {0, 0}},
                                               {{1, 1}, {2, 1}, {2, 2}, {1, 2}, {0, 0}}})};
    const Object hole{"Hole", "K4",
                      Shape(kWkbMultiPolygon, {{{1, 1}, {2, 1}, {2, 2}, {1, 2}, {1, 1}}})};
    const Object unkeyed{"Unkeyed", kGenerated, Point(7, 8)};
    const Object twoFields{"Two fields only", "", Point(3, 4)};
    const Object openRing{"Open ring", "K9",
                          Shape(kWkbMultiPolygon, {{{0, 0}, {1, 0}, {1, 1}, {0, 1}}})};
    const struct {
        const char* what;
        int holes;
        const char* layers;
        int points, lines, polygons;
        std::vector<Object> objects;
    } cases[] = {
        {"everything but the holes",
         0,
         "",
         1,
         1,
         1,
         {road, well, lake, unkeyed, twoFields, openRing}},
        {"with /HOLES", 1, "", 1, 1, 1, {road, well, lake, hole, unkeyed, twoFields, openRing}},
        // The layer field is trimmed before it is filtered.
        {"layers", 0, "Water,Wells", 1, 1, 1, {well, lake, unkeyed, openRing}},
        {"a listed hole layer", 0, "INTERNAL_*", 1, 1, 1, {hole}},
        {"points only", 0, "", 1, 0, 0, {well, unkeyed, twoFields}},
        {"polygons only", 0, "", 0, 0, 1, {lake, openRing}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        settings.filter.holes = c.holes;
        settings.filter.SetLayers(c.layers);
        settings.filter.pointsEnabled = c.points;
        settings.filter.linesEnabled = c.lines;
        settings.filter.polygonsEnabled = c.polygons;
        auto reader = Open<CBnaReader>(Fixture("bna_layers.bna"));
        Status last = 0;
        EXPECT_EQ(MarkGeneratedKeys(ReadAll(*reader, last), kBnaKeys), c.objects);
        EXPECT_EQ(last, kWlxEndOfData);
        EXPECT_EQ(reader->AtEnd(), 1);
    }
}

TEST_F(TextReadersTest, BnaInfoListsEveryLayerAndCountsEveryRecord) {
    auto reader = Open<CBnaReader>(Fixture("bna_layers.bna"));
    CFileInfo info;
    ASSERT_EQ(reader->GetFileInfo(&info), 0);
    EXPECT_EQ(info.GetFeatureCount(), 11);
    std::vector<std::string> layers;
    for (const std::string& layer : info.GetLayers().Names()) layers.push_back(layer);
    EXPECT_EQ(layers, (std::vector<std::string>{"Roads", "Wells", "Water", "INTERNAL_POLYGONS"}));
}

TEST_F(TextReadersTest, BnaRewindReadsTheFirstRecordAgain) {
    auto reader = Open<CBnaReader>(Fixture("bna_layers.bna"));
    Status last = 0;
    const std::vector<Object> first = ReadAll(*reader, last);
    ASSERT_EQ(reader->Rewind(), 0);
    EXPECT_EQ(reader->AtEnd(), 0);
    CFeatureRecord record;
    ASSERT_EQ(reader->ReadNext(&record), 0);
    EXPECT_STREQ(record.GetKey(), "K1");
}

TEST_F(TextReadersTest, DamagedBnaFilesGiveClearErrors) {
    const struct {
        const char* what;
        const char* text;
        std::size_t objects;
        Status status;
    } cases[] = {
        {"empty", "", 0, kWlxEndOfData},
        {"ends inside a line", "\"A\",\"\",\"K\",\"L\",-3\n0,0\n1,1\n\n", 0, kWlxUnexpectedEof},
        {"ends inside a skipped record",
         "\"A\",\"\",\"K\",\"L\",1\n0,0\n\"B\",\"\",\"K\",\"L\",3\n0,0\n", 1, kWlxUnexpectedEof},
        {"header without a count", "\"A\",\"B\"\n0,0\n", 0, kWlxReadError},
        {"coordinate line without a comma", "\"A\",\"\",\"K\",\"L\",1\n0 0\n", 0, kWlxReadError},
        {"a second header where points belong",
         "\"A\",\"\",\"K\",\"L\",-2\n0,0\n\"B\",\"\",\"K\",\"L\",1\n", 0, kWlxReadError},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        wlxtest::TempDir dir;
        wlxtest::WriteText(dir / "bad.bna", c.text);
        auto reader = Open<CBnaReader>((dir / "bad.bna").string());
        Status last = 0;
        EXPECT_EQ(ReadAll(*reader, last).size(), c.objects);
        EXPECT_EQ(last, c.status);
    }
}

TEST_F(TextReadersTest, MissingInputIsNamed) {
    wlxtest::TempDir dir;
    const std::string missing = (dir / "none.bna").string();
    Open<CBnaReader>(missing, kWlxFileNotFound);
    Open<CCsvReader>(missing, kWlxFileNotFound);
    Open<CMifReader>(missing, kWlxFileNotFound);
}

// --- CSV ---

TEST_F(TextReadersTest, CsvLinesBecomePointsLinesOrPolygons) {
    const std::vector<DumpPoints> track = {{{13, 52}, {13.1, 52.1}, {13.2, 52.2}},
                                           {{13, 52}, {14, 53}, {14.1, 53.1}}};
    const DumpPoints field = {{20, 10}, {21, 10}, {21, 11}};
    const DumpPoints unkeyed = {{1, 1}, {2, 2}};
    const DumpPoints other = {{3, 3}};
    const DumpPoints loop = {{0, 0}, {1, 0}, {1, 1}};
    const char* link = "http://example.org/t1";
    const struct {
        const char* what;
        int kind;
        std::vector<Object> objects;
    } cases[] = {
        {"lines",
         3,
         {{"Track", "T1", Shape(kWkbMultiLineString, track), link},
          {"Field", "T2", Line(field)},
          {"Unkeyed", kGenerated, Line(unkeyed)},
          {"Other", kGenerated, Line(other)},
          {"Loop", "T3", Line(loop)}}},
        {"polygons",
         5,
         {{"Track", "T1", Shape(kWkbMultiPolygon, track), link},
          {"Field", "T2", Shape(kWkbPolygon, {field})},
          {"Unkeyed", kGenerated, Shape(kWkbPolygon, {unkeyed})},
          {"Other", kGenerated, Shape(kWkbPolygon, {other})},
          {"Loop", "T3", Shape(kWkbPolygon, {loop})}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        settings.csvObjectKind = c.kind;
        auto reader = Open<CCsvReader>(Fixture("csv_track.csv"));
        Status last = 0;
        EXPECT_EQ(MarkGeneratedKeys(ReadAll(*reader, last), {"T1", "T2", "T3"}), c.objects);
        // The last group ends with the file: it is kept and ends the input.
        EXPECT_EQ(last, kWlxEndOfData);
        EXPECT_EQ(reader->AtEnd(), 1);
    }
}

TEST_F(TextReadersTest, CsvPointsAreOneObjectPerLine) {
    settings.csvObjectKind = 0;
    auto reader = Open<CCsvReader>(Fixture("csv_track.csv"));
    Status last = 0;
    const std::vector<Object> objects = ReadAll(*reader, last);
    ASSERT_EQ(objects.size(), 16u);
    EXPECT_EQ(objects[0], (Object{"Track", "T1", Point(13, 52), "http://example.org/t1"}));
    EXPECT_EQ(objects[2], (Object{"TRACK", "t1", Point(13.2, 52.2)}));
    // Every key-less point has a key of its own.
    EXPECT_NE(objects[9].key, objects[10].key);
    EXPECT_GT(objects[9].key.size(), 10u);
    EXPECT_EQ(last, kWlxEndOfData);
}

TEST_F(TextReadersTest, CsvKindTheFilterRejectsEndsWithoutObjects) {
    settings.csvObjectKind = 3;
    settings.filter.linesEnabled = 0;
    auto reader = Open<CCsvReader>(Fixture("csv_track.csv"));
    CFeatureRecord record;
    EXPECT_EQ(reader->ReadNext(&record), kLoaderNoMoreObjects);
}

TEST_F(TextReadersTest, DamagedCsvFilesGiveClearErrors) {
    const struct {
        const char* text;
        int kind;
        std::size_t objects;
        Status status;
    } cases[] = {
        {"'A','n',1\n", 0, 0, kWlxReadError},
        {"'A','n',1,2\n'A','n',x,2\n", 0, 1, kWlxReadError},
        {"'A','n',1,2\n'A','n',3,4\n'A','n',3\n", 3, 1, kWlxReadError},
        {"'A',\n", 5, 0, kWlxReadError},
        {"\n\n", 3, 0, kWlxEndOfData},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        wlxtest::TempDir dir;
        wlxtest::WriteText(dir / "bad.csv", c.text);
        settings.csvObjectKind = c.kind;
        auto reader = Open<CCsvReader>((dir / "bad.csv").string());
        Status last = 0;
        EXPECT_EQ(ReadAll(*reader, last).size(), c.objects);
        EXPECT_EQ(last, c.status);
    }
}

// --- MIF/MID ---

TEST_F(TextReadersTest, MifObjectsTakeTheirOwnMidRows) {
    // NONE, MULTIPOINT and COLLECTION convert to nothing but own their rows.
    const struct {
        const char* what;
        int points, lines, polygons;
        std::vector<std::string> names;
    } cases[] = {
        {"every kind",
         1,
         1,
         1,
         {"point", "line", "pline multiple", "arc", "ellipse", "rect", "roundrect", "text",
          "region", "pline"}},
        {"no points",
         0,
         1,
         1,
         {"line", "pline multiple", "arc", "ellipse", "rect", "roundrect", "region", "pline"}},
        {"polygons only", 0, 0, 1, {"ellipse", "rect", "roundrect", "region"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        settings.nameTemplate = "COL:label";
        settings.keyTemplate = "TEXT:id/COL:id";
        settings.filter.pointsEnabled = c.points;
        settings.filter.linesEnabled = c.lines;
        settings.filter.polygonsEnabled = c.polygons;
        auto reader = Open<CMifReader>(Fixture("mif_objects.mif"));
        Status last = 0;
        std::vector<std::string> names;
        for (const Object& o : ReadAll(*reader, last)) {
            names.push_back(o.name);
            EXPECT_EQ(o.key.substr(0, 2), "id");
        }
        EXPECT_EQ(names, c.names);
        EXPECT_EQ(last, kWlxEndOfData);
    }
}

TEST_F(TextReadersTest, MifObjectsBecomeGeometries) {
    auto reader = Open<CMifReader>(Fixture("mif_objects.mif"));
    Status last = 0;
    const std::vector<Object> objects = ReadAll(*reader, last);
    ASSERT_EQ(objects.size(), 10u);
    std::vector<int> types;
    for (const Object& o : objects) types.push_back(o.geometry.type);
    EXPECT_EQ(types, (std::vector<int>{kWkbPoint, kWkbLineString, kWkbMultiLineString,
                                       kWkbLineString, kWkbPolygon, kWkbPolygon, kWkbPolygon,
                                       kWkbPoint, kWkbMultiPolygon, kWkbLineString}));
    EXPECT_EQ(objects[0].geometry, Point(1, 2));
    EXPECT_EQ(objects[2].geometry,
              Shape(kWkbMultiLineString, {{{0, 0}, {1, 1}, {2, 0}}, {{5, 5}, {6, 6}}}));
    EXPECT_EQ(objects[5].geometry,
              Shape(kWkbPolygon, {{{0, 0}, {0, 5}, {10, 5}, {10, 0}, {0, 0}}}));
    EXPECT_EQ(objects[6].geometry,
              Shape(kWkbPolygon, {{{20, 0}, {20, 5}, {30, 5}, {30, 0}, {20, 0}}}));
    // A text is a point at the top left of its box, named by the text.
    EXPECT_EQ(objects[7], (Object{"Label text", objects[7].key, Point(3, 8)}));
    EXPECT_EQ(objects[8].geometry, Shape(kWkbMultiPolygon, {{{0, 0}, {0, 9}, {9, 9}, {0, 0}},
                                                            {{1, 1}, {1, 2}, {2, 2}, {1, 1}}}));
    EXPECT_EQ(objects[3].geometry.parts.at(0).size(), 32u);
    EXPECT_EQ(objects[4].geometry.parts.at(0).size(), 122u);
    EXPECT_EQ(objects[9].geometry, Line({{7, 7}, {8, 8}}));
}

TEST_F(TextReadersTest, MifRowsAreExportedAsText) {
    settings.tableExportKind = 2;
    auto reader = Open<CMifReader>(Fixture("mif_objects.mif"));
    CFeatureRecord record;
    ASSERT_EQ(reader->ReadNext(&record), 0);
    record.Clear();
    ASSERT_EQ(reader->ReadNext(&record), 0);
    ASSERT_NE(record.GetAttributes(), nullptr);
    const auto& rows = record.GetAttributes()->GetRows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0]->GetTableName(), "MIDTable");
    std::vector<std::string> values;
    for (const auto& value : rows[0]->GetValues()) values.push_back(value.GetText());
    EXPECT_EQ(values, (std::vector<std::string>{"3", "line", "30", "T"}));
}

TEST_F(TextReadersTest, MifRewindStartsAgainAfterTheHeader) {
    settings.nameTemplate = "COL:label";
    auto reader = Open<CMifReader>(Fixture("mif_objects.mif"));
    Status last = 0;
    ReadAll(*reader, last);
    ASSERT_EQ(reader->Rewind(), 0);
    EXPECT_EQ(reader->AtEnd(), 0);
    CFeatureRecord record;
    ASSERT_EQ(reader->ReadNext(&record), 0);
    EXPECT_STREQ(record.GetName(), "point");
}

struct MifFiles {
    std::string mif;
    std::string mid;
};

TEST_F(TextReadersTest, MifHeaderNamesKeysAndDelimiter) {
    const std::string header =
        "Version 300\nDelimiter \"|\"\nUnique 2\nIndex 1\nColumns 2\n  id Char(5)\n  label "
        "Char(9)\nData\n";
    const struct {
        const char* what;
        std::string nameTemplate;
        std::string mid;
        std::vector<std::pair<std::string, std::string>> nameAndKey;
    } cases[] = {
        {"header columns", "", "a1|\"one|1\"\na2|two\n", {{"one|1", "a1"}, {"two", "a2"}}},
        {"the command line wins", "TEXT:x", "a1|one\na2|two\n", {{"x", "a1"}, {"x", "a2"}}},
        // A blank row is the row of an object whose values are all empty.
        {"blank row", "", "\na2|two\n", {{"", kGenerated}, {"two", "a2"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        wlxtest::TempDir dir;
        wlxtest::WriteText(dir / "t.mif", header + "Point 1 1\nPoint 2 2\n");
        wlxtest::WriteText(dir / "t.mid", c.mid);
        settings.nameTemplate = c.nameTemplate;
        settings.keyTemplate.clear();
        auto reader = Open<CMifReader>((dir / "t.mif").string());
        Status last = 0;
        std::vector<std::pair<std::string, std::string>> got;
        for (const Object& o : MarkGeneratedKeys(ReadAll(*reader, last), {"a1", "a2"}))
            got.push_back({o.name, o.key});
        EXPECT_EQ(got, c.nameAndKey);
    }
}

TEST_F(TextReadersTest, MidWithTooFewRowsLeavesValuesEmptyAndWarnsOnce) {
    wlxtest::TempDir dir;
    wlxtest::WriteText(dir / "t.mif",
                       "Columns 1\n  label Char(9)\nData\nPoint 1 1\nPoint 2 2\nPoint 3 3\n");
    wlxtest::WriteText(dir / "T.MID", "one\n");
    settings.nameTemplate = "COL:label";
    auto reader = Open<CMifReader>((dir / "t.mif").string());
    Status last = 0;
    std::vector<std::string> names;
    for (const Object& o : ReadAll(*reader, last)) names.push_back(o.name);
    EXPECT_EQ(names, (std::vector<std::string>{"one", "", ""}));
    EXPECT_EQ(last, kWlxEndOfData);
    ASSERT_EQ(reporter.warnings.size(), 1u);
    EXPECT_NE(reporter.warnings[0].find("[ MIDTable ]"), std::string::npos) << reporter.warnings[0];
}

TEST_F(TextReadersTest, BadMifFilesFailClearly) {
    const struct {
        const char* what;
        std::string mif;
        bool withMid;
        std::string nameTemplate;
        Status open;
        Status read;
    } cases[] = {
        {"time column", "Columns 1\n  t Time\nData\n", true, "", kWlxNotSupported, 0},
        {"datetime column", "Columns 1\n  t DateTime\nData\n", true, "", kWlxNotSupported, 0},
        {"no DATA", "Columns 1\n  a Integer\n", true, "", kWlxUnexpectedEof, 0},
        {"no MID file", "Columns 1\n  a Integer\nData\n", false, "", kWlxFileNotFound, 0},
        {"template column not in the table", "Columns 1\n  a Integer\nData\n", true, "COL:b",
         kLoaderBadColumnOrTable, 0},
        {"template column without a table", "Data\nPoint 1 1\n", true, "COL:a",
         kLoaderBadColumnOrTable, 0},
        {"malformed object", "Columns 1\n  a Integer\nData\nPoint 1\n", true, "", 0, kWlxReadError},
        {"cut inside an object", "Columns 1\n  a Integer\nData\nRegion 1\n  4\n0 0\n", true, "", 0,
         kWlxUnexpectedEof},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        wlxtest::TempDir dir;
        wlxtest::WriteText(dir / "t.mif", c.mif);
        if (c.withMid) wlxtest::WriteText(dir / "t.mid", "1\n");
        settings.nameTemplate = c.nameTemplate;
        auto reader = Open<CMifReader>((dir / "t.mif").string(), c.open);
        if (c.open != 0) continue;
        Status last = 0;
        EXPECT_TRUE(ReadAll(*reader, last).empty());
        EXPECT_EQ(last, c.read);
    }
}

TEST_F(TextReadersTest, MifInfoListsTheMidColumns) {
    auto reader = Open<CMifReader>(Fixture("mif_objects.mif"));
    CFileInfo info;
    ASSERT_EQ(reader->GetFileInfo(&info), 0);
    const auto& schemas = info.GetSchemaList().GetSchemas();
    ASSERT_EQ(schemas.size(), 1u);
    EXPECT_EQ(schemas[0]->GetName(), "MIDTable");
    std::vector<std::string> columns;
    for (const CColumnDef& column : schemas[0]->GetColumns())
        columns.push_back(column.name + ":" + std::to_string(column.type) + ":" +
                          std::to_string(column.width));
    EXPECT_EQ(columns, (std::vector<std::string>{"id:1:0", "label:0:20", "small:1:0", "ok:1:0"}));
}

}  // namespace
