#include <gtest/gtest.h>

#include "loader/core/FeatureRecord.h"
#include "loader/core/TableWriter.h"
#include "testing/GeometryFixture.h"
#include "testing/TestSupport.h"

namespace {

CountedRef<CTableSchema> MidSchema() {
    auto schema = MakeCounted<CTableSchema>();
    schema->SetName("MIDTable");
    schema->AddColumn("Name", 20, 0, kColumnText);
    schema->AddColumn("Pop", 10, 0, kColumnInt);
    schema->AddColumn("Area", 20, 8, kColumnDouble);
    return schema;
}

CountedRef<CTableRow> Row(std::vector<std::string> values) {
    auto row = MakeCounted<CTableRow>();
    row->SetTableName("MIDTable");
    for (const auto& v : values) AppendTextValue(*row, v);
    return row;
}

TEST(CsvTableWriter, WritesHeaderDefinitionAndQuotedRows) {
    wlxtest::TempDir dir;
    const std::string output = (dir / "roads.wlx").string();
    CCsvTableWriter writer(output, *MidSchema(), "MIDTable", false);
    CFeatureRecord record;
    record.SetKey("K\"1");
    EXPECT_EQ(writer.WriteRow(*Row({"Smith \"Jr\"", "120", "1.5"}), record), 0);
    record.SetKey("K2");
    EXPECT_EQ(writer.WriteRow(*Row({"two\nlines", "", "n/a"}), record), 0);
    EXPECT_EQ(writer.Close(), 0);
    EXPECT_EQ(wlxtest::ReadText(dir / "roads_MIDTable.csv"),
              "TessaranKey,Name,Pop,Area\n"
              "\"K\"\"1\",\"Smith \"\"Jr\"\"\",120,1.5\n"
              "\"K2\",\"two lines\",,\"n/a\"\n");
    EXPECT_EQ(wlxtest::ReadText(dir / "roads_MIDTable.sql"),
              "CREATE TABLE MIDTable (\n"
              "TessaranKey VARCHAR (255),\n"
              "Name VARCHAR (20),\n"
              "Pop INT,\n"
              "Area FLOAT\n"
              ");\n\n");
}

TEST(SqlTableWriter, WritesInsertsWithLocationAndNullForNonNumbers) {
    wlxtest::TempDir dir;
    const std::string output = (dir / "roads").string();
    CSqlTableWriter writer(output, *MidSchema(), "MIDTable", true);
    CFeatureRecord record;
    record.SetKey("K1");
    EXPECT_EQ(writer.WriteRow(*Row({"O'Brien", "120", " 2.25 "}), record), 0);
    EXPECT_EQ(writer.WriteRow(*Row({"", "x", ""}), record), 0);
    EXPECT_EQ(writer.Close(), 0);
    const std::string sql = wlxtest::ReadText(dir / "roads_MIDTable.sql");
    EXPECT_EQ(sql,
              "CREATE TABLE MIDTable (\n"
              "TessaranKey VARCHAR (255),\n"
              "LocationX FLOAT,\n"
              "LocationY FLOAT,\n"
              "Name VARCHAR (20),\n"
              "Pop INT,\n"
              "Area FLOAT\n"
              ");\n\n"
              "INSERT INTO MIDTable VALUES ('K1',0.000000,0.000000,'O''Brien',120,2.25);\n"
              "INSERT INTO MIDTable VALUES ('K1',0.000000,0.000000,'',NULL,NULL);\n");
    if (const auto sqlite = wlxtest::FindTool("sqlite3"); !sqlite.empty()) {
        wlxtest::RunOptions options;
        options.input = sql + "SELECT count(*), sum(Pop IS NULL) FROM MIDTable;\n";
        const auto result = wlxtest::Run(sqlite, {":memory:"}, options);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(result.out, "2|1\n");
    }
}

TEST(TableWriter, NoRowsNoFilesAndOpenFailureNamesTheFile) {
    wlxtest::TempDir dir;
    {
        CCsvTableWriter writer((dir / "quiet.wlx").string(), *MidSchema(), "MIDTable", false);
        EXPECT_EQ(writer.Close(), 0);
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "quiet_MIDTable.csv"));
    EXPECT_FALSE(std::filesystem::exists(dir / "quiet_MIDTable.sql"));

    CSqlTableWriter writer((dir / "missing" / "out.wlx").string(), *MidSchema(), "MIDTable", false);
    CFeatureRecord record;
    EXPECT_EQ(writer.WriteRow(*Row({"a", "1", "2"}), record), kWlxOpenFailed);
    EXPECT_EQ(writer.WriteRow(*Row({"a", "1", "2"}), record), kWlxOpenFailed);
}

}  // namespace

namespace {

using LocationTest = wlxtest::GeometryFixture;

TEST_F(LocationTest, XyColumnsCarryAPointsLocationAndZeroOtherwise) {
    wlxtest::TempDir dir;
    CCsvTableWriter writer((dir / "p.wlx").string(), *MidSchema(), "MIDTable", true);
    struct Case {
        ComPtr<IWKBGeometry> geometry;
        const char* location;
    } cases[] = {
        {Point(1.25, -2.5), "1.250000,-2.500000"},
        {MultiPoint({{3, 4}, {5, 6}}), "3.000000,4.000000"},
        {MultiPoint({}), "0.000000,0.000000"},
        {AsGeometry(Polygon({{0, 0}, {1, 0}, {1, 1}, {0, 0}})), "0.000000,0.000000"},
        {nullptr, "0.000000,0.000000"},
    };
    std::string expected = "TessaranKey,LocationX,LocationY,Name,Pop,Area\n";
    for (const auto& c : cases) {
        CFeatureRecord record;
        record.SetKey("k");
        record.SetGeometry(c.geometry.Get());
        EXPECT_EQ(writer.WriteRow(*Row({"a", "1", "2"}), record), 0);
        expected += std::string("\"k\",") + c.location + ",\"a\",1,2\n";
    }
    EXPECT_EQ(writer.Close(), 0);
    EXPECT_EQ(wlxtest::ReadText(dir / "p_MIDTable.csv"), expected);
}

}  // namespace
