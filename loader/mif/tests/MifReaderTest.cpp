// The MIF/MID reader over files, with the real geometry server: what each
// object becomes, which MID row it gets, and the errors of damaged input.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "loader/core/FeatureRecord.h"
#include "loader/core/FileInfo.h"
#include "loader/core/LoaderSettings.h"
#include "loader/mif/MifReader.h"
#include "testing/ReaderFixture.h"
#include "testing/TestSupport.h"

namespace {

using Object = wlxtest::ReaderObject;
using wlxtest::kGenerated;
using wlxtest::Line;
using wlxtest::Point;
using wlxtest::Shape;

class MifReaderTest : public wlxtest::ReaderTest {
protected:
    static std::string Fixture(const std::string& name) {
        return wlxtest::SourcePath("loader/mif/tests/data/" + name).string();
    }
};

TEST_F(MifReaderTest, MifObjectsTakeTheirOwnMidRows) {
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

TEST_F(MifReaderTest, MifObjectsBecomeGeometries) {
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

TEST_F(MifReaderTest, MifRowsAreExportedAsText) {
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

TEST_F(MifReaderTest, MifRewindStartsAgainAfterTheHeader) {
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

TEST_F(MifReaderTest, MifHeaderNamesKeysAndDelimiter) {
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

TEST_F(MifReaderTest, MidWithTooFewRowsLeavesValuesEmptyAndWarnsOnce) {
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

TEST_F(MifReaderTest, BadMifFilesFailClearly) {
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

TEST_F(MifReaderTest, MifInfoListsTheMidColumns) {
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

TEST_F(MifReaderTest, MissingInputIsNamed) {
    wlxtest::TempDir dir;
    Open<CMifReader>((dir / "none.mif").string(), kWlxFileNotFound);
}

}  // namespace
