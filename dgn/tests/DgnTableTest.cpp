// Attribute tables, their compiled form and the texts of their values.
#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>

#include "dgn/DgnGuard.h"
#include "dgn/DgnStyle.h"
#include "dgn/DgnTable.h"

namespace {

void AddColumns(CDgnTbl& table) {
    EXPECT_EQ(table.AddClmnInt4("Key", kFgnTrue, kFgnFalse), kFgnOk);
    EXPECT_EQ(table.AddClmnInt2("Small", kFgnFalse, kFgnFalse), kFgnOk);
    EXPECT_EQ(table.AddClmnDbl("Area", kFgnFalse, kFgnTrue, 4, 2), kFgnOk);
    EXPECT_EQ(table.AddClmnFloat("Ratio", kFgnFalse, kFgnFalse, 8, -1), kFgnOk);
    EXPECT_EQ(table.AddClmnChar("Name", kFgnFalse, kFgnFalse, 12), kFgnOk);
    EXPECT_EQ(table.AddClmnDte("When", kFgnFalse, kFgnFalse), kFgnOk);
    EXPECT_EQ(table.AddClmnLgcl("Built", kFgnFalse, kFgnFalse), kFgnOk);
}

}  // namespace

TEST(DgnTableTest, RowsAreFilledThroughTheOpenRow) {
    CDgnTbl table("parcels", kFgnFalse);
    AddColumns(table);
    TFgnFmtErr err;
    EXPECT_EQ(table.UpdateRow(), kFgnIncomplete);
    EXPECT_EQ(table.SetInt4Field("Key", 1), kFgnIncomplete);
    EXPECT_EQ(table.AddRow(), kFgnOk);
    EXPECT_EQ(table.AddRow(), kFgnIncomplete);  // one row open at a time
    EXPECT_EQ(table.AddClmnChar("Late", kFgnFalse, kFgnFalse, 3), kFgnIncomplete);
    EXPECT_EQ(table.SetInt4Field("key", 42), kFgnOk);
    EXPECT_EQ(table.SetInt4Field("Small", 1), kFgnIncomplete);  // an Int2 column
    EXPECT_EQ(table.SetInt4Field("Nowhere", 1), kFgnIncomplete);
    EXPECT_EQ(table.SetInt2Field("SMALL", -3), kFgnOk);
    EXPECT_EQ(table.SetDblField("Area", 3.14159), kFgnOk);
    EXPECT_EQ(table.SetFloatField("Ratio", 0.5f), kFgnOk);
    EXPECT_EQ(table.SetCharField("Name", "Lot 9"), kFgnOk);
    EXPECT_EQ(table.SetDteField("When", "2024-05-01"), kFgnOk);
    EXPECT_EQ(table.SetLgclField("Built", 1), kFgnOk);
    EXPECT_EQ(table.UpdateRow(), kFgnOk);
    EXPECT_EQ(table.AddRow(), kFgnOk);
    EXPECT_EQ(table.UpdateRow(), kFgnOk);  // a row of defaults
    EXPECT_EQ(table.RowCount(), 2u);

    table.RewindRow();
    const std::list<const CFgnTblData*>* row = table.GetCurrentRow(err);
    ASSERT_NE(row, nullptr);
    ASSERT_EQ(row->size(), 7u);
    auto value = row->begin();
    EXPECT_EQ(static_cast<const CFgnTblDataInt4*>(*value++)->GetData(err), 42);
    EXPECT_EQ(static_cast<const CFgnTblDataInt2*>(*value++)->GetData(err), -3);
    EXPECT_EQ(static_cast<const CFgnTblDataDbl*>(*value++)->GetData(err), 3.14159);
    EXPECT_EQ(static_cast<const CFgnTblDataFloat*>(*value++)->GetData(err), 0.5f);
    EXPECT_STREQ(static_cast<const CFgnTblDataChar*>(*value++)->GetData(err), "Lot 9");
    EXPECT_STREQ(static_cast<const CFgnTblDataDte*>(*value++)->GetData(err), "2024-05-01");
    EXPECT_EQ(static_cast<const CFgnTblDataLgcl*>(*value++)->GetData(err), 1);
    EXPECT_EQ(table.StepRow(), kFgnOk);
    row = table.GetCurrentRow(err);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(static_cast<const CFgnTblDataInt4*>(row->front())->GetData(err), 0);
    EXPECT_STREQ(static_cast<const CFgnTblDataChar*>(*std::next(row->begin(), 4))->GetData(err),
                 "");
    EXPECT_EQ(table.StepRow(), kFgnOk);
    EXPECT_TRUE(table.DoneRow(err));
    EXPECT_EQ(table.GetCurrentRow(err), nullptr);
    EXPECT_EQ(err, kFgnIncomplete);

    // Columns answer their types and sizes.
    const std::list<const CFgnTblClmn*>& columns = *table.GetColumns(err);
    const TFgnClmnType types[] = {kFgnClmnInt4, kFgnClmnInt2, kFgnClmnDbl, kFgnClmnFloat,
                                  kFgnClmnChar, kFgnClmnDte,  kFgnClmnLgcl};
    auto type = std::begin(types);
    for (const CFgnTblClmn* column : columns) EXPECT_EQ(column->GetType(err), *type++);
    const auto* area = static_cast<const CFgnTblClmnDbl*>(*std::next(columns.begin(), 2));
    EXPECT_EQ(area->GetWidth(err), 4);
    EXPECT_EQ(area->GetDecimal(err), 2);
    EXPECT_TRUE(area->GetIndexed(err));
    EXPECT_EQ(static_cast<const CFgnTblClmnChar*>(*std::next(columns.begin(), 4))->GetWidth(err),
              12);
}

TEST(DgnTableTest, LayersAndEmptyTables) {
    TFgnFmtErr err;
    CDgnTbl all;
    EXPECT_EQ(all.LinkLayer("Roads"), kFgnOk);
    EXPECT_EQ(all.GetLayers(err), nullptr);
    EXPECT_EQ(err, kFgnAllLayers);
    EXPECT_EQ(all.AddRow(), kFgnIncomplete);  // no columns
    EXPECT_EQ(all.StepRow(), kFgnNotLoaded);
    all.RewindRow();
    EXPECT_TRUE(all.DoneRow(err));
    CDgnTbl some("t", kFgnFalse);
    some.LinkLayer("Roads");
    some.LinkLayer("Rivers");
    const std::list<char const*>* layers = some.GetLayers(err);
    ASSERT_NE(layers, nullptr);
    EXPECT_EQ(err, kFgnOk);
    ASSERT_EQ(layers->size(), 2u);
    EXPECT_STREQ(layers->back(), "Rivers");
    EXPECT_TRUE(some.IsComplete());
}

TEST(DgnTableTest, CompiledTablesFindRowsByKeyAndLayer) {
    CDgnTbl table("parcels", kFgnFalse);
    AddColumns(table);
    table.LinkLayer("Roads");
    for (int key : {7, 8, 7}) {
        table.AddRow();
        table.SetInt4Field("Key", key);
        table.SetDblField("Area", key * 1.5);
        table.SetLgclField("Built", key == 8 ? 0 : 'T');
        table.UpdateRow();
    }
    CMapFiltTblRec compiled;
    std::string text;
    EXPECT_EQ(compiled.ValueText({}, "Key", text), kFgnNotImplemented);
    EXPECT_EQ(compiled.Compile(nullptr), kFgnIncomplete);
    ASSERT_EQ(compiled.Compile(&table), kFgnOk);
    EXPECT_EQ(compiled.Name(), "parcels");
    EXPECT_EQ(compiled.RowsFor("7", "Rivers"), nullptr);
    const auto* rows = compiled.RowsFor("7", "Roads");
    ASSERT_NE(rows, nullptr);
    ASSERT_EQ(rows->size(), 2u);  // in the order they were added
    EXPECT_EQ(compiled.ValueText(rows->front(), "area", text), kFgnOk);
    EXPECT_EQ(text, "10.5");  // cut to the column's width of 4
    EXPECT_EQ(compiled.ValueText(rows->front(), "Built", text), kFgnOk);
    EXPECT_EQ(text, "1");  // true is "1"
    EXPECT_EQ(compiled.ValueText(compiled.RowsFor("8", "Roads")->front(), "Built", text), kFgnOk);
    EXPECT_EQ(text, "0");
    EXPECT_EQ(compiled.ValueText(rows->front(), "Ratio", text), kFgnOk);
    EXPECT_EQ(text, "0");  // negative decimals count as none
    EXPECT_EQ(compiled.ValueText(rows->front(), "Missing", text), kFgnInconsistent);

    // No key column: every row fails.
    CDgnTbl keyless("k", kFgnTrue);
    keyless.AddClmnInt4("Value", kFgnFalse, kFgnFalse);
    keyless.AddRow();
    keyless.UpdateRow();
    EXPECT_EQ(compiled.Compile(&keyless), kFgnInconsistent);
    EXPECT_EQ(compiled.RowsFor("0", "Roads"), nullptr);
    // No layers linked to a table of some layers, or no columns: malformed.
    CDgnTbl unlinked("u", kFgnFalse);
    unlinked.AddClmnInt4("Key", kFgnTrue, kFgnFalse);
    EXPECT_EQ(compiled.Compile(&unlinked), kFgnInconsistent);
    CDgnTbl empty("e", kFgnTrue);
    EXPECT_EQ(compiled.Compile(&empty), kFgnInconsistent);
}

TEST(DgnTableTest, ValueTexts) {
    char buffer[16];
    EXPECT_EQ(dgn::IntToText(-32768, buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "-32768");
    EXPECT_EQ(dgn::IntToText(123456, buffer, 6), 1);  // no room for the terminator
    EXPECT_EQ(dgn::IntToText(1, nullptr, 6), 1);
    EXPECT_EQ(dgn::RealToText(3.14159, 2, 4, buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "3.14");
    EXPECT_EQ(dgn::RealToText(2.5, -1, 0, buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "2");
    EXPECT_EQ(dgn::RealToText(-1234.5, 3, 20, buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "-1234.500");
    EXPECT_EQ(dgn::LogicalToText(1, buffer, 6), 0);
    EXPECT_STREQ(buffer, "1");
    EXPECT_EQ(dgn::LogicalToText(0, buffer, 6), 0);
    EXPECT_STREQ(buffer, "0");
    EXPECT_EQ(dgn::LogicalToText(1, buffer, 5), 1);
}

TEST(DgnStyleTest, StylesReportWhatTheyKeep) {
    TFgnFmtErr err;
    std::int32_t colour = 0, fill = 0, third = 0, second = 0;
    std::int16_t size = 0;
    double rotation = 9, height = 0, angle = 0, last = 0;
    EXPECT_STREQ(CDgnStylePnt(0x123456, 2.5, 3, "sym").GetDefinition(colour, rotation, size, err),
                 "sym");
    EXPECT_EQ(rotation, 0.0);
    EXPECT_EQ(size, 3);
    EXPECT_EQ(colour, 0x123456);
    CDgnStylePly ply(7, 8, 9, 4, "DASHED", "x");
    EXPECT_EQ(ply.GetDefinition(colour, fill, third, size), kFgnOk);
    EXPECT_EQ(colour, 7);
    EXPECT_EQ(fill, kDgnNoColour);
    EXPECT_EQ(third, kDgnNoColour);
    EXPECT_EQ(ply.GetFillPattern(err), nullptr);
    EXPECT_EQ(err, kFgnOk);
    EXPECT_STREQ(ply.GetLinePattern(err), "DASHED");
    TFgnBool f1 = kFgnTrue, f2 = kFgnTrue, f3 = kFgnTrue;
    TFgnJustification justification{};
    const CDgnStyleText text;
    text.GetDefinition(height, colour, second, f1, f2, f3, justification, angle, last);
    EXPECT_EQ(justification, 5);
    EXPECT_EQ(second, kDgnNoColour);
    EXPECT_EQ(f1 | f2 | f3, kFgnFalse);
    EXPECT_STREQ(text.GetFont(err), "");
    CDgnStyleBlk(0x00FF00).GetDefinition(colour);
    EXPECT_EQ(colour, 0x00FF00);
}

TEST(DgnGuardTest, ExceptionsBecomeTheMemoryError) {
    EXPECT_EQ(dgn::GuardStatus([]() -> TFgnFmtErr { throw std::bad_alloc(); }), kFgnNoMemory);
    EXPECT_EQ(dgn::GuardStatus([] { return kFgnIncomplete; }), kFgnIncomplete);
    TFgnFmtErr err = kFgnOk;
    const int* none = nullptr;
    EXPECT_EQ(dgn::GuardValue(err, none, []() -> const int* { throw std::length_error("x"); }),
              nullptr);
    EXPECT_EQ(err, kFgnNoMemory);
}
