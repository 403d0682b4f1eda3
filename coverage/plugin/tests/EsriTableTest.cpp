// The AAT and PAT of generated covers as contract tables: columns by item
// type and width, the key column, the rows' values, and rows that cannot be
// read.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "coverage/plugin/EsriReader.h"
#include "testing/TestSupport.h"
#include "testing/coverage/CoverGenerator.h"

namespace covtest {
namespace {

std::string CellText(TFgnClmnType type, const CFgnTblData* cell) {
    TFgnFmtErr err = kFgnOk;
    switch (type) {
        case kFgnClmnInt2:
            return std::to_string(static_cast<const CFgnTblDataInt2*>(cell)->GetData(err));
        case kFgnClmnInt4:
            return std::to_string(static_cast<const CFgnTblDataInt4*>(cell)->GetData(err));
        case kFgnClmnFloat:
            return std::to_string(static_cast<const CFgnTblDataFloat*>(cell)->GetData(err));
        case kFgnClmnDbl:
            return std::to_string(static_cast<const CFgnTblDataDbl*>(cell)->GetData(err));
        case kFgnClmnDte:
            return static_cast<const CFgnTblDataDte*>(cell)->GetData(err);
        case kFgnClmnChar:
            return static_cast<const CFgnTblDataChar*>(cell)->GetData(err);
        default:
            return "?";
    }
}

struct STable {
    std::string name;
    std::vector<std::string> layers;
    std::vector<std::string> columns;
    std::vector<TFgnClmnType> types;
    int keyColumn = -1;
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> keys;
    int unreadableRows = 0;
};

std::vector<STable> Tables(CFgnReader& reader) {
    std::vector<STable> out;
    TFgnFmtErr err = kFgnOk;
    EXPECT_EQ(reader.RewindTable(), kFgnOk);
    while (reader.DoneTable(err) != kFgnTrue) {
        CFgnTbl* table = reader.GetCurrentTable(err);
        EXPECT_EQ(err, kFgnOk);
        if (table == nullptr) break;
        STable t;
        t.name = table->GetName(err);
        for (const char* layer : *table->GetLayers(err)) t.layers.push_back(layer);
        for (const CFgnTblClmn* column : *table->GetColumns(err)) {
            if (column->GetKey(err) == kFgnTrue) t.keyColumn = static_cast<int>(t.columns.size());
            t.columns.push_back(column->GetName(err));
            t.types.push_back(column->GetType(err));
        }
        for (table->RewindRow(); table->DoneRow(err) != kFgnTrue; table->StepRow()) {
            const auto* cells = table->GetCurrentRow(err);
            if (cells == nullptr) {
                EXPECT_EQ(err, kFgnIncomplete);
                ++t.unreadableRows;
                continue;
            }
            std::vector<std::string> row;
            std::size_t i = 0;
            for (const CFgnTblData* cell : *cells) row.push_back(CellText(t.types[i++], cell));
            t.rows.push_back(row);
            const char* key = static_cast<CESRITbl*>(table)->GetCurrentKey(err);
            t.keys.push_back(key != nullptr ? key : "<none>");
        }
        out.push_back(t);
        reader.StepTable();
    }
    return out;
}

TEST(EsriTableTest, AatAndPatOfTheSample) {
    wlxtest::TempDir dir;
    WriteFiles(dir.path(), CoverFiles(SampleCover("sample")));
    for (const TFgnBool assemble : {kFgnTrue, kFgnFalse}) {
        CESRIReader reader(dir.path().string().c_str(), "sample", assemble);
        ASSERT_EQ(reader.LoadData(), kFgnOk);
        const std::vector<STable> tables = Tables(reader);
        ASSERT_EQ(tables.size(), 2u);

        const STable& aat = tables[0];
        EXPECT_EQ(aat.name, "AAT");
        EXPECT_EQ(aat.layers, std::vector<std::string>{"ARCS"});
        // CLASS, a 2-byte integer, is Int2; the cover's own number the key.
        EXPECT_EQ(aat.columns,
                  (std::vector<std::string>{"FNODE_", "TNODE_", "LPOLY_", "RPOLY_", "LENGTH",
                                            "SAMPLE_", "SAMPLE-ID", "CLASS", "NAME", "RATIO"}));
        EXPECT_EQ(aat.types,
                  (std::vector<TFgnClmnType>{kFgnClmnInt4, kFgnClmnInt4, kFgnClmnInt4, kFgnClmnInt4,
                                             kFgnClmnFloat, kFgnClmnInt4, kFgnClmnInt4,
                                             kFgnClmnInt2, kFgnClmnChar, kFgnClmnDbl}));
        EXPECT_EQ(aat.keyColumn, 5);
        ASSERT_EQ(aat.rows.size(), 4u);
        EXPECT_EQ(aat.rows[1][7], "-6");
        EXPECT_EQ(aat.rows[1][8], "arc 2");
        EXPECT_EQ(aat.rows[3][4], "2.500000");
        EXPECT_EQ(aat.keys, (std::vector<std::string>{"1", "2", "3", "4"}));

        const STable& pat = tables[1];
        EXPECT_EQ(pat.name, "PAT");
        EXPECT_EQ(pat.layers, assemble == kFgnTrue
                                  ? (std::vector<std::string>{"INTERNAL_POLYGONS", "POLYGONS"})
                                  : std::vector<std::string>{"LABELPTS"});
        ASSERT_EQ(pat.rows.size(), 3u);
        EXPECT_EQ(pat.rows[1][4], "north");
        EXPECT_EQ(pat.keys, (std::vector<std::string>{"1", "2", "3"}));
        EXPECT_EQ(pat.unreadableRows, 0);
    }
}

TEST(EsriTableTest, ItemsWithoutAColumnAndACoverWithoutPolygons) {
    GenCover cover = SampleCover("pts");
    cover.polygons.clear();
    cover.centroids.clear();
    cover.pat.items.push_back({"ODD", 8, 8, -1, 5});  // an 8-byte binary integer
    for (auto& row : cover.pat.rows) {
        row[0] = "1";  // point attributes: a first item not negative
        row.push_back("0");
    }
    cover.pat.rows.resize(2);
    wlxtest::TempDir dir;
    WriteFiles(dir.path(), CoverFiles(cover));
    CESRIReader reader(dir.path().string().c_str(), "pts", kFgnTrue);
    ASSERT_EQ(reader.LoadData(), kFgnOk);
    const std::vector<STable> tables = Tables(reader);
    ASSERT_EQ(tables.size(), 2u);
    EXPECT_EQ(tables[1].layers, std::vector<std::string>{"POINTS"});
    EXPECT_EQ(tables[1].columns.size(), 6u);
}

TEST(EsriTableTest, ARowThatCannotBeReadHasNoCells) {
    wlxtest::TempDir dir;
    WriteFiles(dir.path(), CoverFiles(SampleCover("cut")));
    tamrec_workspace* ws = nullptr;
    tamrec_cover* cover = nullptr;
    ASSERT_EQ(tamrec_open_ws(dir.path().string().c_str(), &ws), 0);
    ASSERT_EQ(tamrec_open_cover("cut", ws, &cover), 0);
    ASSERT_EQ(tamrec_open_cover_file(cover, kTamrecAllKinds, 1), 0);
    {
        // Two rows more than the file holds: those cannot be read.
        const std::int32_t rows = cover->record_count[kTamrecAat];
        CESRITbl aat(kArcTblArc, cover->aat.item_count, rows + 2, cover->aat.items, "cut", cover);
        TFgnFmtErr err = kFgnOk;
        int read = 0, unreadable = 0;
        for (aat.RewindRow(); aat.DoneRow(err) != kFgnTrue; aat.StepRow()) {
            if (aat.GetCurrentRow(err) != nullptr) {
                ++read;
                continue;
            }
            EXPECT_EQ(err, kFgnIncomplete);
            EXPECT_EQ(aat.GetCurrentKey(err), nullptr);
            ++unreadable;
        }
        EXPECT_EQ(read, rows);
        EXPECT_EQ(unreadable, 2);
    }
    tamrec_close_cover(&cover);
    tamrec_close_ws(&ws);
}

}  // namespace
}  // namespace covtest
