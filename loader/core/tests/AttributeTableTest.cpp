#include <gtest/gtest.h>

#include "loader/core/AttributeTable.h"
#include "loader/core/OwnedObjectMap.h"

namespace {

// A source that answers from a fixed table of rows by key.
class FakeSource : public CAttributeSource {
public:
    FakeSource(const char* name, std::vector<std::string> columns) : CAttributeSource(name) {
        for (const auto& c : columns) GetSchema().AddColumn(c, 10, 0, kColumnText);
    }
    Status FillRow(const char* key, CTableRow& row) override {
        ++fills;
        if (std::string(key) == "broken") return kWlxReadError;
        if (std::string(key) == "none") return kLoaderNoAttributeData;
        for (const auto& c : GetSchema().GetColumns()) AppendTextValue(row, c.name + "-" + key);
        return 0;
    }
    int fills = 0;
};

TEST(FieldValue, FormatsNumbersAsText) {
    EXPECT_EQ(MakeDoubleFieldValue(1.5).GetText(), "1.500000");
    EXPECT_EQ(MakeDoubleFieldValue(-0.0000004).GetText(), "-0.000000");
    EXPECT_EQ(MakeDoubleFieldValue(1e20).GetText(), "100000000000000000000.000000");
    EXPECT_EQ(MakeIntFieldValue(7).GetText(), "7");
    EXPECT_EQ(MakeLongFieldValue(-2147483647 - 1).GetText(), "-2147483648");
    EXPECT_EQ(MakeTextFieldValue("a b").GetText(), "a b");
}

TEST(AttributeTable, FindsColumnsByNameInAnyCaseFirstMatchWins) {
    FakeSource table("T", {"Id", "Height", "HEIGHT"});
    int column = -1;
    EXPECT_EQ(table.FindColumn("height", column), 0);
    EXPECT_EQ(column, 2);
    column = 99;
    EXPECT_EQ(table.FindColumn("Width", column), kLoaderBadColumnOrTable);
    EXPECT_EQ(column, 99);
    EXPECT_FALSE(table.IsValidColumn(0));
    EXPECT_TRUE(table.IsValidColumn(3));
    EXPECT_FALSE(table.IsValidColumn(4));
    EXPECT_EQ(table.GetSchema().GetName(), "T");
}

TEST(AttributeSource, GetValueTextByZeroBasedPosition) {
    FakeSource table("T", {"A", "B"});
    std::string text = "kept";
    EXPECT_EQ(table.GetValueText("k1", 1, text), 0);
    EXPECT_EQ(text, "B-k1");
    EXPECT_EQ(table.GetValueText("none", 0, text), kLoaderNoAttributeData);
    EXPECT_EQ(text, "");
    text = "kept";
    EXPECT_EQ(table.GetValueText("broken", 0, text), kWlxReadError);
    EXPECT_EQ(text, "kept");
    // A position beyond the values the source gave reads as empty.
    EXPECT_EQ(table.GetValueText("k1", 5, text), 0);
    EXPECT_EQ(text, "");
}

TEST(TableRow, SharedRowLivesUntilItsLastHolderReleasesIt) {
    auto row = MakeCounted<CTableRow>();
    AppendTextValue(*row, "x");
    auto first = std::make_unique<CAttributeValueSet>();
    CAttributeValueSet second;
    first->AddRow(*row);
    second.AddRow(*row);
    CTableRow* raw = row.Get();
    row.Reset();  // the creator lets go
    first.reset();
    ASSERT_EQ(second.GetRows().size(), 1u);
    EXPECT_EQ(second.GetRows()[0].Get(), raw);
    EXPECT_EQ(raw->GetValues()[0].GetText(), "x");
    // Assignment shares rows; the sanitizer build reports any leak or double delete.
    CAttributeValueSet third;
    third = second;
    const CAttributeValueSet& same = third;  // self-assignment, meant as such
    third = same;
    second.Clear();
    EXPECT_EQ(third.GetRows()[0]->GetValues()[0].GetText(), "x");
}

TEST(TableSchemaList, OutlivesTheTableWhoseSchemaItHolds) {
    CTableSchemaList list;
    {
        FakeSource table("Parcels", {"Id"});
        list.AddSchema(table.GetSchema());
    }
    ASSERT_EQ(list.GetCount(), 1u);
    EXPECT_EQ(list.GetSchemas()[0]->GetName(), "Parcels");
    EXPECT_EQ(list.GetSchemas()[0]->GetColumns()[0].name, "Id");
}

TEST(TableSet, KeepsInsertionOrderAndTheFirstOfNamesDifferingOnlyInCase) {
    CTableSet set;
    EXPECT_EQ(set.Add(std::make_unique<FakeSource>("Zeta", std::vector<std::string>{"A"})), 0);
    EXPECT_EQ(set.Add(std::make_unique<FakeSource>("alpha", std::vector<std::string>{"B"})), 0);
    // Readers add their tables in turn and stop at a failure: a repeated name is none.
    EXPECT_EQ(set.Add(std::make_unique<FakeSource>("ZETA", std::vector<std::string>{"C"})), 0);
    ASSERT_EQ(set.GetCount(), 2);
    EXPECT_EQ(set.GetTables()[0]->GetName(), "Zeta");
    EXPECT_EQ(set.GetTables()[1]->GetName(), "alpha");
    EXPECT_EQ(set.Find("zeta")->GetSchema().GetColumns()[0].name, "A");

    CTableSchemaList list;
    EXPECT_EQ(set.GetSchemas(list), 0);
    ASSERT_EQ(list.GetCount(), 2u);
    EXPECT_EQ(list.GetSchemas()[0]->GetName(), "Zeta");
}

TEST(TableSet, ResolvesColumnsAgainstTheOnlyTableOrANamedOne) {
    CTableSet empty;
    std::string table;
    int column = 0;
    EXPECT_EQ(empty.ResolveColumn(table, "A", column), kLoaderBadColumnOrTable);
    EXPECT_FALSE(empty.IsValidColumn("", 1));

    CTableSet one;
    one.Add(std::make_unique<FakeSource>("DBFTable", std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(one.ResolveColumn(table, "b", column), 0);
    EXPECT_EQ(table, "DBFTable");
    EXPECT_EQ(column, 2);
    EXPECT_TRUE(one.IsValidColumn("", 2));
    EXPECT_FALSE(one.IsValidColumn("", 3));

    CTableSet two;
    two.Add(std::make_unique<FakeSource>("T1", std::vector<std::string>{"A"}));
    two.Add(std::make_unique<FakeSource>("T2", std::vector<std::string>{"X", "Y"}));
    table.clear();
    EXPECT_EQ(two.ResolveColumn(table, "A", column), kLoaderBadColumnOrTable);
    EXPECT_FALSE(two.IsValidColumn("", 1));
    table = "t2";
    EXPECT_EQ(two.ResolveColumn(table, "y", column), 0);
    EXPECT_EQ(column, 2);
    table = "T3";
    EXPECT_EQ(two.ResolveColumn(table, "A", column), kLoaderBadColumnOrTable);
    EXPECT_TRUE(two.IsValidColumn("T2", 2));
    EXPECT_FALSE(two.IsValidColumn("T1", 2));
}

TEST(OwnedObjectMap, OwnsWhatItHoldsAndReplacesByKey) {
    COwnedObjectMap<std::string> map;
    map.Add("a", std::make_unique<std::string>("one"));
    map.Add("a", std::make_unique<std::string>("two"));
    map.Add("B", std::make_unique<std::string>("three"));
    EXPECT_EQ(*map.Find("a"), "two");
    EXPECT_EQ(map.Find("b"), nullptr);
    EXPECT_EQ(map.GetCount(), 2u);
    map.DeleteAll();
    EXPECT_EQ(map.Find("a"), nullptr);
}

}  // namespace
