#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "readers/plugin/ForeignTable.h"
#include "readers/plugin/tests/SceneFixture.h"

namespace {

using scenetest::CScenePlugin;

constexpr char kTables[] =
    "TABLE Named\n"
    "  COLUMN Name CHAR WIDTH 4\n"
    "  COLUMN Value FLOAT\n"
    "  ROW ab 1.5\n"
    "  ROW AB 2.5\n"
    "  ROW ab 3.5\n"
    "ENDTABLE\n"
    "TABLE Typed\n"
    "  COLUMN Small INT2\n"
    "  COLUMN Ratio FLOAT KEY\n"
    "  COLUMN Big DBL\n"
    "  COLUMN Day DTE\n"
    "  COLUMN Flag LGCL\n"
    "  COLUMN Count INT4\n"
    "  ROW -3 1.5 2.25 \"2001-02-03\" T 70000\n"
    "  ROW 4 0.5 1e10 \"\" F -70000\n"
    "ENDTABLE\n";

struct Lookup {
    Status status;
    std::vector<std::string> values;
};

Lookup Find(CForeignTable& table, const char* key) {
    auto row = MakeCounted<CTableRow>();
    Lookup result{table.FillRow(key, *row), {}};
    for (const auto& value : row->GetValues()) result.values.push_back(value.GetText());
    return result;
}

class ForeignTableTest : public testing::Test {
protected:
    std::string Scene(const std::string& text) {
        const auto path = dir / "tables.fgn";
        wlxtest::WriteText(path, text);
        return path.string();
    }
    wlxtest::TempDir dir;
};

TEST_F(ForeignTableTest, ColumnsMapToTheLoadersTypes) {
    CScenePlugin plugin(Scene(kTables));
    ASSERT_TRUE(plugin.Loaded());
    CForeignTable table("Typed", plugin.Table(1), plugin.Reader(), 1);
    struct Column {
        std::string name;
        std::int32_t type, width;
    };
    const Column expected[] = {{"Small", kColumnInt, 0},  {"Ratio", kColumnDouble, 0},
                               {"Big", kColumnDouble, 0}, {"Day", kColumnText, 0},
                               {"Flag", kColumnInt, 0},   {"Count", kColumnLong, 0}};
    const auto& columns = table.GetSchema().GetColumns();
    ASSERT_EQ(columns.size(), std::size(expected));
    for (std::size_t i = 0; i < columns.size(); ++i) {
        EXPECT_EQ(columns[i].name, expected[i].name);
        EXPECT_EQ(columns[i].type, expected[i].type) << i;
        EXPECT_EQ(columns[i].width, expected[i].width) << i;
        EXPECT_EQ(columns[i].decimals, 0) << i;
    }
    CForeignTable named("Named", plugin.Table(0), plugin.Reader(), 0);
    EXPECT_EQ(named.GetSchema().GetColumns()[0].width, 4);
    EXPECT_EQ(named.GetName(), "Named");
}

TEST_F(ForeignTableTest, RowsAreFoundByTheirKeyTextExactly) {
    CScenePlugin plugin(Scene(kTables));
    ASSERT_TRUE(plugin.Loaded());
    // No key column: the first column is matched; the first of equal keys counts.
    CForeignTable named("Named", plugin.Table(0), plugin.Reader(), 0);
    CForeignTable typed("Typed", plugin.Table(1), plugin.Reader(), 1);
    struct Case {
        CForeignTable* table;
        const char* key;
        Lookup expected;
    } cases[] = {
        {&named, "ab", {0, {"ab", "1.500000"}}},
        {&named, "AB", {0, {"AB", "2.500000"}}},
        {&named, "Ab", {1, {}}},
        {&named, "", {1, {}}},
        // A float key is its "%f" text.
        {&typed, "1.500000", {0, {"-3", "1.500000", "2.250000", "2001-02-03", "84", "70000"}}},
        {&typed, "1.5", {1, {}}},
        {&typed, "0.500000", {0, {"4", "0.500000", "10000000000.000000", "", "70", "-70000"}}},
    };
    // Lookups in any order, and again, find the same rows.
    for (int pass = 0; pass < 2; ++pass) {
        for (const Case& c : cases) {
            const Lookup found = Find(*c.table, c.key);
            EXPECT_EQ(found.status, c.expected.status) << c.key;
            EXPECT_EQ(found.values, c.expected.values) << c.key;
        }
    }
    EXPECT_EQ(Find(named, nullptr).status, 1);
}

TEST_F(ForeignTableTest, APlugInFailureWhileTheRowsAreReadIsAReadError) {
    for (const char* fail : {"FAIL RewindTable 7\n", "FAIL GetCurrentTable 1\n"}) {
        CScenePlugin plugin(Scene(std::string(kTables) + fail));
        ASSERT_TRUE(plugin.Loaded());
        TFgnFmtErr err = kFgnOk;
        CForeignTable table("Named", plugin.Reader()->GetCurrentTable(err), plugin.Reader(), 0);
        EXPECT_EQ(Find(table, "ab").status, kWlxReadError) << fail;
        EXPECT_EQ(Find(table, "ab").status, kWlxReadError) << fail;
    }
    // A table past the end of the sequence.
    CScenePlugin plugin(Scene(kTables));
    CForeignTable table("Gone", plugin.Table(0), plugin.Reader(), 5);
    EXPECT_EQ(Find(table, "ab").status, kWlxReadError);
}

}  // namespace
