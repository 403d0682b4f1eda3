#include <gtest/gtest.h>

#include "loader/core/ColKeyTemplate.h"

namespace {

class Table : public CAttributeSource {
public:
    Table(const char* name, std::vector<std::string> columns) : CAttributeSource(name) {
        for (const auto& c : columns) GetSchema().AddColumn(c, 10, 0, kColumnText);
    }
    Status FillRow(const char*, CTableRow&) override { return kLoaderNoAttributeData; }
};

std::string Describe(const CColKeyItem& item) {
    switch (item.kind) {
        case kColKeyText:
            return "text[" + item.text + "]";
        case kColKeyColumnByName:
            return "col[" + item.text + "@" + item.table + "]";
        case kColKeyColumnByNumber:
            return "num[" + std::to_string(item.column) + "@" + item.table + "]";
        case kColKeyEnd:
            break;
    }
    return "end";
}

std::vector<std::string> Items(const char* text) {
    CColKeyTemplate templ;
    templ.Parse(text);
    std::vector<std::string> items;
    for (const auto& item : templ.GetItems()) items.push_back(Describe(item));
    return items;
}

TEST(ColKeyTemplate, ParsesItemsEscapesAndQuotes) {
    struct Case {
        const char* text;
        std::vector<std::string> items;
    } cases[] = {
        {"COL:Name/TEXT:-/COL:Id", {"col[Name@]", "text[-]", "col[Id@]"}},
        {"TEXT:a//b", {"text[a/b]"}},
        {"\"col:Name@Parcels/text:x:y\"", {"col[Name@Parcels]", "text[x:y]"}},
        {"3/2@T2/x", {"num[3@]", "num[2@T2]", "num[0@]"}},
        {"TEXT:http:////host//a/1", {"text[http://host/a]", "num[1@]"}},
        {"/1/", {"num[1@]"}},
        {"\"", {"num[0@]"}},
        {"1/2/3/4/5/6/7/8/9/10/11/12/13",
         {"num[1@]", "num[2@]", "num[3@]", "num[4@]", "num[5@]", "num[6@]", "num[7@]", "num[8@]",
          "num[9@]", "num[10@]", "num[11@]", "num[12@]"}},
    };
    for (const auto& c : cases) EXPECT_EQ(Items(c.text), c.items) << c.text;

    CColKeyTemplate templ;
    templ.Parse("COL:a/TEXT:b/3");
    EXPECT_EQ(templ.GetItemCount(), 3);
    EXPECT_EQ(templ.GetColumnCount(), 2);
}

TEST(ColKeyTemplate, ValidatesAgainstTheTables) {
    CTableSet one;
    one.Add(std::make_unique<Table>("DBFTable", std::vector<std::string>{"Id", "Name"}));
    CTableSet two;
    two.Add(std::make_unique<Table>("T1", std::vector<std::string>{"A"}));
    two.Add(std::make_unique<Table>("T2", std::vector<std::string>{"B", "C"}));
    struct Case {
        const char* text;
        const CTableSet* tables;
        Status status;
    } cases[] = {
        {"COL:name/TEXT:x/1", &one, 0},
        {"TEXT:only text", nullptr, 0},
        {"COL:Id", nullptr, kLoaderBadColumnOrTable},
        {"COL:Missing", &one, kLoaderBadColumnOrTable},
        {"3", &one, kLoaderBadColumnOrTable},
        {"0", &one, kLoaderBadColumnOrTable},
        {"COL:A", &two, kLoaderBadColumnOrTable},
        {"COL:c@t2/1@T1", &two, 0},
        {"COL:A@T3", &two, kLoaderBadColumnOrTable},
    };
    for (const auto& c : cases) {
        CColKeyTemplate templ;
        templ.Parse(c.text);
        EXPECT_EQ(templ.Validate(c.tables), c.status) << c.text;
    }
    CColKeyTemplate templ;
    templ.Parse("COL:name/2");
    ASSERT_EQ(templ.Validate(&one), 0);
    EXPECT_EQ(templ.GetItems()[0].column, 2);
    EXPECT_EQ(templ.GetItems()[0].table, "DBFTable");
    EXPECT_EQ(templ.GetItems()[1].table, "DBFTable");
}

TEST(ColKeyTemplate, ComposesLiteralsAndValuesWithoutBlanks) {
    CTableSet one;
    one.Add(std::make_unique<Table>("DBFTable", std::vector<std::string>{"Id", "Name"}));
    CColKeyTemplate templ;
    templ.Parse("COL:Name/TEXT:-/COL:Id");
    ASSERT_EQ(templ.Validate(&one), 0);
    CTemplateRows rows;
    rows.SetRow("DBFTable", {"7", "Main St"});
    std::string text;
    EXPECT_EQ(ComposeTemplate(templ, rows, text), 0);
    EXPECT_EQ(text, "Main St-7");
    // A table without a row for the object reads as empty texts.
    rows.SetRow("dbftable", {});
    EXPECT_EQ(ComposeTemplate(templ, rows, text), 0);
    EXPECT_EQ(text, "-");
    rows.Clear();
    EXPECT_EQ(ComposeTemplate(templ, rows, text), kLoaderBadColumnOrTable);
}

}  // namespace
