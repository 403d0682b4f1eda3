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
              "CREATE TABLE \"MIDTable\" (\n"
              "\"TessaranKey\" VARCHAR (255),\n"
              "\"Name\" VARCHAR (20),\n"
              "\"Pop\" INT,\n"
              "\"Area\" FLOAT\n"
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
              "CREATE TABLE \"MIDTable\" (\n"
              "\"TessaranKey\" VARCHAR (255),\n"
              "\"LocationX\" FLOAT,\n"
              "\"LocationY\" FLOAT,\n"
              "\"Name\" VARCHAR (20),\n"
              "\"Pop\" INT,\n"
              "\"Area\" FLOAT\n"
              ");\n\n"
              "INSERT INTO \"MIDTable\" VALUES ('K1',0.000000,0.000000,'O''Brien',120,2.25);\n"
              "INSERT INTO \"MIDTable\" VALUES ('K1',0.000000,0.000000,'',NULL,NULL);\n");
    if (const auto sqlite = wlxtest::FindTool("sqlite3"); !sqlite.empty()) {
        wlxtest::RunOptions options;
        options.input = sql + "SELECT count(*), sum(Pop IS NULL) FROM MIDTable;\n";
        const auto result = wlxtest::Run(sqlite, {":memory:"}, options);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(result.out, "2|1\n");
    }
}

// Keywords, blanks and quotes in table and column names: the SQL still loads.
TEST(SqlTableWriter, NamesAreQuotedIdentifiers) {
    FIND_TOOL_OR_SKIP(sqlite, "sqlite3");
    wlxtest::TempDir dir;
    auto schema = MakeCounted<CTableSchema>();
    schema->SetName("Order");
    schema->AddColumn("Order", 20, 0, kColumnText);
    schema->AddColumn("Group By", 10, 0, kColumnInt);
    schema->AddColumn("a\"b", 10, 0, kColumnInt);
    const std::string output = (dir / "o.wlx").string();
    for (int kind = 0; kind < 2; ++kind) {
        CFeatureRecord record;
        record.SetKey("k");
        auto row = MakeCounted<CTableRow>();
        row->SetTableName("Order");
        for (const char* v : {"first", "2", "3"}) AppendTextValue(*row, v);
        std::string sql;
        if (kind == 0) {
            CSqlTableWriter writer(output, *schema, "Order", false);
            ASSERT_EQ(writer.WriteRow(*row, record), 0);
            ASSERT_EQ(writer.Close(), 0);
            sql = wlxtest::ReadText(dir / "o_Order.sql");
        } else {
            // The CSV writer's definition, with the rows loaded as sqlite3 reads CSV.
            CCsvTableWriter writer(output, *schema, "Order", false);
            ASSERT_EQ(writer.WriteRow(*row, record), 0);
            ASSERT_EQ(writer.Close(), 0);
            sql = wlxtest::ReadText(dir / "o_Order.sql") + ".mode csv\n.import --skip 1 " +
                  (dir / "o_Order.csv").string() + " Order\n.mode list\n";
        }
        wlxtest::RunOptions options;
        options.input = sql + "SELECT \"Order\", \"Group By\" + \"a\"\"b\" FROM \"Order\";\n";
        const auto result = wlxtest::Run(sqlite, {":memory:"}, options);
        EXPECT_EQ(result.exitCode, 0) << kind << result.err << sql;
        EXPECT_EQ(result.out, "first|5\n") << kind << result.err << sql;
    }
}

// Appending, rows follow those already written, under one header and one
// definition; a file that lost its last line end still gets whole lines.
TEST(TableWriter, AppendingKeepsTheRowsAndTheHeaderOnce) {
    wlxtest::TempDir dir;
    const std::string output = (dir / "m.wlx").string();
    CFeatureRecord record;
    for (bool append : {false, true, true}) {
        record.SetKey(append ? "K2" : "K1");
        CCsvTableWriter csv(output, *MidSchema(), "MIDTable", false, append);
        EXPECT_EQ(csv.WriteRow(*Row({"a", "1", "2"}), record), 0);
        EXPECT_EQ(csv.Close(), 0);
        CSqlTableWriter sql((dir / "s.wlx").string(), *MidSchema(), "MIDTable", false, append);
        EXPECT_EQ(sql.WriteRow(*Row({"a", "1", "2"}), record), 0);
        EXPECT_EQ(sql.Close(), 0);
        if (!append) {
            // A hand-edited file whose last line has no end.
            std::string text = wlxtest::ReadText(dir / "s_MIDTable.sql");
            wlxtest::WriteText(dir / "s_MIDTable.sql", text.substr(0, text.size() - 1));
        }
    }
    EXPECT_EQ(wlxtest::ReadText(dir / "m_MIDTable.csv"),
              "TessaranKey,Name,Pop,Area\n"
              "\"K1\",\"a\",1,2\n\"K2\",\"a\",1,2\n\"K2\",\"a\",1,2\n");
    const std::string definition = wlxtest::ReadText(dir / "m_MIDTable.sql");
    EXPECT_EQ(definition.find("CREATE TABLE"), 0u);
    EXPECT_EQ(definition.rfind("CREATE TABLE"), 0u);
    const std::string insert = "INSERT INTO \"MIDTable\" VALUES (";
    EXPECT_EQ(wlxtest::ReadText(dir / "s_MIDTable.sql"), definition + insert + "'K1','a',1,2);\n" +
                                                             insert + "'K2','a',1,2);\n" + insert +
                                                             "'K2','a',1,2);\n");

    // Nothing to append to: the files are begun as new ones.
    CSqlTableWriter fresh((dir / "f.wlx").string(), *MidSchema(), "MIDTable", false, true);
    EXPECT_EQ(fresh.WriteRow(*Row({"a", "1", "2"}), record), 0);
    EXPECT_EQ(fresh.Close(), 0);
    EXPECT_EQ(wlxtest::ReadText(dir / "f_MIDTable.sql"), definition + insert + "'K2','a',1,2);\n");
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
