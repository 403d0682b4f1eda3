// Damaged covers through the reader: every 32-bit field near the start and
// end of every file set to 0, -1 and huge values, and every file cut at
// every 4-byte boundary. Each loads with an error or walks a bounded number
// of positions and table rows; under the sanitizers the sweep also shows
// that nothing reads out of bounds or allocates beyond the file's size.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "common/ByteOrder.h"
#include "coverage/plugin/tests/CoverWalk.h"
#include "testing/TestSupport.h"
#include "testing/coverage/CoverGenerator.h"

namespace covtest {
namespace {

// Positions and rows visited, or -1 when the cover did not load.
std::int64_t Visit(const std::filesystem::path& ws, const std::string& name, std::size_t limit) {
    CESRIReader reader(ws.string().c_str(), name.c_str(), kFgnTrue);
    const TFgnFmtErr loaded = reader.LoadData();
    if (loaded != kFgnOk) {
        EXPECT_TRUE(loaded == kFgnNotLoaded || loaded == kFgnNoMemory) << loaded;
        return -1;
    }
    std::int64_t visited = static_cast<std::int64_t>(Walk(reader, limit + 1).size());
    TFgnFmtErr err = kFgnOk;
    for (reader.RewindTable(); reader.DoneTable(err) != kFgnTrue; reader.StepTable()) {
        CFgnTbl* table = reader.GetCurrentTable(err);
        if (table == nullptr) break;
        for (table->RewindRow(); table->DoneRow(err) != kFgnTrue && visited <= std::int64_t(limit);
             table->StepRow()) {
            table->GetCurrentRow(err);
            ++visited;
        }
    }
    return visited;
}

void Sweep(const GenCover& cover) {
    wlxtest::TempDir dir;
    const auto files = CoverFiles(cover);
    WriteFiles(dir.path(), files);
    std::size_t total = 0;
    for (const auto& [name, bytes] : files) total += bytes.size();
    const bool big = cover.big_endian && !cover.table_form;
    int cases = 0;
    auto check = [&](const std::string& what) {
        const std::int64_t visited = Visit(dir.path(), cover.name, total);
        EXPECT_LE(visited, static_cast<std::int64_t>(total)) << what;
        ++cases;
    };
    for (const auto& [name, original] : files) {
        const std::filesystem::path path = dir / name;
        const bool info = name.rfind("info/", 0) == 0;
        const std::size_t width = info ? 2 : 4;
        for (std::size_t at = 0; at + width <= original.size(); at += width) {
            if (at >= 160 && at + 48 < original.size()) continue;
            for (const std::int64_t value : {0LL, -1LL, width == 2 ? 0x7FFFLL : 0x7FFFFFFFLL}) {
                std::vector<std::uint8_t> damaged = original;
                if (width == 2)
                    (cover.big_endian ? byteorder::StoreI16Be : byteorder::StoreI16Le)(
                        static_cast<std::int16_t>(value), damaged.data() + at);
                else
                    (big ? byteorder::StoreI32Be : byteorder::StoreI32Le)(
                        static_cast<std::int32_t>(value), damaged.data() + at);
                wlxtest::WriteBytes(path, damaged);
                check(name + " @" + std::to_string(at) + " = " + std::to_string(value));
            }
        }
        for (std::size_t cut = original.size(); cut-- > 0;) {
            if (cut % 4 != 0) continue;
            std::filesystem::resize_file(path, cut);
            check(name + " cut at " + std::to_string(cut));
        }
        wlxtest::WriteBytes(path, original);
    }
    EXPECT_GT(cases, 500);
}

TEST(EsriDamageTest, BigEndianSinglePrecision) {
    Sweep(SampleCover("cov"));
}

TEST(EsriDamageTest, LittleEndianDoublePrecision) {
    GenCover cover = SampleCover("cov");
    cover.big_endian = false;
    cover.double_precision = true;
    cover.adf_suffix = cover.info_style4 = true;
    Sweep(cover);
}

TEST(EsriDamageTest, TableForm) {
    GenCover cover = SampleCover("cov");
    cover.table_form = true;
    cover.aat = cover.pat = GenTable{};
    Sweep(cover);
}

}  // namespace
}  // namespace covtest
