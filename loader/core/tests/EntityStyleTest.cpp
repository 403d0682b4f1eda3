#include <gtest/gtest.h>

#include "loader/core/EntityStyle.h"

namespace {

std::vector<std::string> Texts(const CTableRow& row) {
    std::vector<std::string> texts;
    for (const auto& v : row.GetValues()) texts.push_back(v.GetText());
    return texts;
}

std::vector<std::string> ColumnNames(const CTableSchema& schema) {
    std::vector<std::string> names;
    for (const auto& c : schema.GetColumns()) names.push_back(c.name);
    return names;
}

TEST(RgbaColor, PacksAlphaRedGreenBlue) {
    EXPECT_EQ(CRgbaColor(255, 0, 0, 255).Pack(), 0xFFFF0000u);
    EXPECT_EQ(CRgbaColor(0, 128, 255, 0).Pack(), 0x000080FFu);
    const CRgbaColor back = CRgbaColor::Unpack(0x11223344u);
    EXPECT_EQ(back.alpha, 0x11);
    EXPECT_EQ(back.red, 0x22);
    EXPECT_EQ(back.green, 0x33);
    EXPECT_EQ(back.blue, 0x44);
}

TEST(EntityStyle, RowsFollowTheirSchemas) {
    const CPolygonStyle polygon("K1", "Lake", "Water", CRgbaColor(255, 0, 0, 255), 7,
                                CRgbaColor(0, 128, 255, 0), 2, 0.25);
    const CPolylineStyle polyline("K2", nullptr, nullptr, CRgbaColor(1, 2, 3, 4), 3, 1.5);
    const CSymbolStyle symbol("K3", "Tree", "Veg", CRgbaColor(0, 0, 0, 0), "TREE", 1.5707963267949,
                              2, 3);
    const CTextStyle text("K4", "Label", "Txt", "Hello", CRgbaColor(0, 0, 255, 0), 4, 0,
                          3.14159265359, 2.5, 1, 0, 0, 0, 0, "Arial");
    struct Case {
        const CEntityStyle& style;
        CountedRef<CTableSchema> schema;
        EStyleKind kind;
        std::vector<std::string> columns;
        std::vector<std::string> values;
    } cases[] = {
        {polygon,
         MakePolygonStyleSchema(),
         kPolygonStyleKind,
         {"OriginalKey", "Name", "Layer", "FillColor", "FillStyle", "EdgeColor", "EdgeStyle",
          "EdgeWidth"},
         {"K1", "Lake", "Water", "-65536", "7", "33023", "2", "0.250000"}},
        {polyline,
         MakePolylineStyleSchema(),
         kPolylineStyleKind,
         {"OriginalKey", "Name", "Layer", "LineColor", "LineStyle", "LineWidth"},
         {"K2", "", "", "67174915", "3", "1.500000"}},
        {symbol,
         MakeSymbolStyleSchema(),
         kSymbolStyleKind,
         {"OriginalKey", "Name", "Layer", "PointColor", "SymbolName", "SymbolRotation",
          "SymbolWidth", "SymbolHeight"},
         {"K3", "Tree", "Veg", "0", "TREE", "90.000000", "2.000000", "3.000000"}},
        {text,
         MakeTextStyleSchema(),
         kTextStyleKind,
         {"OriginalKey", "Name", "Layer", "TextContent", "TextColor", "TextHorzAlign",
          "TextVertAlign", "TextRotation", "TextHeight"},
         {"K4", "Label", "Txt", "Hello", "255", "1", "2", "180.000000", "2.500000"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.schema->GetName());
        EXPECT_EQ(c.style.GetStyleKind(), c.kind);
        EXPECT_EQ(ColumnNames(*c.schema), c.columns);
        const auto row = c.style.MakeRow();
        EXPECT_EQ(row->GetTableName(), c.schema->GetName());
        EXPECT_EQ(c.style.GetTableName(), c.schema->GetName());
        EXPECT_EQ(Texts(*row), c.values);
    }
    EXPECT_EQ(MakePolygonStyleSchema()->GetName(), "PolygonStyle");
    EXPECT_EQ(MakeTextStyleSchema()->GetName(), "TextStyle");
}

TEST(EntityStyle, SchemaColumnsCarryWidthDecimalsAndType) {
    const auto schema = MakeSymbolStyleSchema();
    const auto& columns = schema->GetColumns();
    ASSERT_EQ(columns.size(), 8u);
    EXPECT_EQ(columns[0].width, 255);
    EXPECT_EQ(columns[0].type, kColumnText);
    EXPECT_EQ(columns[3].width, 12);
    EXPECT_EQ(columns[3].type, kColumnLong);
    EXPECT_EQ(columns[5].width, 20);
    EXPECT_EQ(columns[5].decimals, 8);
    EXPECT_EQ(columns[5].type, kColumnDouble);
    const auto polygon = MakePolygonStyleSchema();
    EXPECT_EQ(polygon->GetColumns()[4].width, 10);
    EXPECT_EQ(polygon->GetColumns()[4].type, kColumnInt);
}

TEST(TextStyle, AlignmentColumnsFromTheModes) {
    struct Case {
        int horizontal, vertical;
        const char* horzAlign;
        const char* vertAlign;
    } cases[] = {
        {0, 0, "0", "1"}, {1, 2, "1", "2"}, {2, 3, "2", "4"}, {7, 1, "2", "0"},
        {4, 0, "1", "2"}, {4, 3, "1", "2"}, {5, 0, "0", "1"}, {6, 9, "0", "0"},
    };
    for (const auto& c : cases) {
        const CTextStyle style("k", "n", "l", "t", CRgbaColor(), c.horizontal, c.vertical, 0, 1, 0,
                               0, 0, 0, 0, nullptr);
        const auto texts = Texts(*style.MakeRow());
        EXPECT_EQ(texts[5], c.horzAlign) << c.horizontal << "," << c.vertical;
        EXPECT_EQ(texts[6], c.vertAlign) << c.horizontal << "," << c.vertical;
    }
}

TEST(TextStyle, CloneKeepsItsOwnFaceName) {
    auto original = std::make_unique<CTextStyle>("k", "n", "l", "t", CRgbaColor(1, 2, 3, 4), 1, 2,
                                                 0.5, 3, 1, 1, 1, 0, 34, "Courier New");
    const std::unique_ptr<CEntityStyle> copy = original->Clone();
    original.reset();
    const auto& text = dynamic_cast<const CTextStyle&>(*copy);
    EXPECT_EQ(text.GetFaceName(), "Courier New");
    EXPECT_EQ(text.GetPitchAndFamily(), 34);
    EXPECT_EQ(text.GetColor().Pack(), CRgbaColor(1, 2, 3, 4).Pack());
    EXPECT_EQ(copy->GetOriginalKey(), "k");
}

}  // namespace
