// Damaged covers: every 32-bit field near the start and end of every file set
// to 0, -1 and huge values, 16-bit fields of the INFO files likewise, and
// every file cut at every 4-byte boundary. Each gives a failure or skipped
// records, never a crash, a hang or an allocation beyond the file's size
// (run under the sanitizers, the test catches all three).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "common/ByteOrder.h"
#include "testing/TestSupport.h"
#include "testing/coverage/CoverDump.h"
#include "testing/coverage/CoverGenerator.h"

namespace covtest {
namespace {

std::size_t RecordsVisited(const CoverDump& d) {
    return d.arcs.size() + d.labels.size() + d.polygons.size() + d.centroids.size() +
           d.tics.size() + d.tolerances.size() + d.texts.size() + d.projection.size() +
           d.aat.size() + d.pat.size() + static_cast<std::size_t>(d.unreadable);
}

bool IsInfoFile(const std::string& name) {
    return name.rfind("info/", 0) == 0;
}

// The sample's files written once; each case changes one file in place and
// puts it back.
struct Workspace {
    GenCover cover;
    std::map<std::string, Bytes> files;
    wlxtest::TempDir dir;
    std::size_t total = 0;

    explicit Workspace(GenCover c) : cover(std::move(c)), files(CoverFiles(cover)) {
        WriteFiles(dir.path(), files);
        for (const auto& [name, bytes] : files) total += bytes.size();
    }
    // Overwrites bytes of `name` without rewriting the file.
    void Patch(const std::string& name, std::size_t at, const std::uint8_t* bytes, std::size_t n) {
        std::fstream f(dir / name, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(static_cast<std::streamoff>(at));
        f.write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(n));
    }
    CoverDump DumpWithPatch(const std::string& name, std::size_t at, const Bytes& value) {
        Patch(name, at, value.data(), value.size());
        CoverDump dump = DumpCover(dir.path(), cover.name);
        Patch(name, at, files.at(name).data() + at, value.size());
        return dump;
    }
};

// A damaged count must not make the reader walk records the files cannot hold.
void ExpectBounded(const Workspace& ws, const CoverDump& dump, const std::string& what) {
    if (RecordsVisited(dump) > ws.total)
        ADD_FAILURE() << what << ": " << RecordsVisited(dump) << " records";
}

Bytes Field(std::int64_t value, std::size_t width, bool big) {
    Bytes out(width);
    if (width == 2) {
        (big ? byteorder::StoreI16Be : byteorder::StoreI16Le)(static_cast<std::int16_t>(value),
                                                              out.data());
    } else {
        (big ? byteorder::StoreI32Be : byteorder::StoreI32Le)(static_cast<std::int32_t>(value),
                                                              out.data());
    }
    return out;
}

void SweepDamage(const GenCover& cover) {
    Workspace ws(cover);
    const bool big = cover.big_endian && !cover.table_form;
    int cases = 0;
    for (const auto& [name, original] : ws.files) {
        const std::size_t size = original.size();
        // INFO files hold 16-bit fields, in the workspace's order.
        const std::size_t width = IsInfoFile(name) ? 2 : 4;
        const std::size_t head = cover.table_form ? 384 : 128;  // the header and the first records
        for (std::size_t at = 0; at + width <= size; at += width) {
            if (at >= head && at + 32 < size) continue;  // the last records too
            for (const std::int64_t value : {0LL, -1LL, width == 2 ? 0x7FFFLL : 0x7FFFFFFFLL}) {
                const CoverDump dump = ws.DumpWithPatch(
                    name, at, Field(value, width, width == 2 ? cover.big_endian : big));
                ExpectBounded(ws, dump,
                              name + " @" + std::to_string(at) + " = " + std::to_string(value));
                ++cases;
            }
        }
        // Cut at every 4-byte boundary, from the end down, then restored.
        const std::filesystem::path path = ws.dir / name;
        for (std::size_t cut = size; cut-- > 0;) {
            if (cut % 4 != 0 && cut != size - 1) continue;
            std::filesystem::resize_file(path, cut);
            ExpectBounded(ws, DumpCover(ws.dir.path(), cover.name),
                          name + " cut at " + std::to_string(cut));
            ++cases;
        }
        wlxtest::WriteBytes(path, original);
    }
    EXPECT_GT(cases, 1000);
}

TEST(CoverDamageTest, BigEndianSinglePrecision) {
    SweepDamage(SampleCover("cov"));
}

TEST(CoverDamageTest, LittleEndianDoublePrecision) {
    GenCover cover = SampleCover("cov");
    cover.big_endian = false;
    cover.double_precision = true;
    cover.adf_suffix = cover.info_style4 = true;
    SweepDamage(cover);
}

TEST(CoverDamageTest, TableForm) {
    GenCover cover = SampleCover("cov");
    cover.table_form = true;
    cover.aat = cover.pat = GenTable{};
    SweepDamage(cover);
}

// One kind of damage per row, with what it must do.
TEST(CoverDamageTest, DamagedCountsSkipTheirRecord) {
    Workspace ws(SampleCover("cov"));
    struct Case {
        const char* what;
        const char* file;
        std::size_t offset;  // of a 32-bit big-endian field
        std::int32_t value;
        int unreadable;        // records that then fail to read
        std::size_t arcs = 4;  // arcs read
    };
    // Arc 1 starts at 100: number, length, then user id, nodes, polygons, vertex count at 28.
    const Case cases[] = {
        {"arc 1 with 2^31-1 vertices", "cov/arc", 128, 0x7FFFFFFF, 1, 3},
        {"arc 1 with -1 vertices", "cov/arc", 128, -1, 1, 3},
        {"arc 1 with one vertex more", "cov/arc", 128, 6, 1, 3},
        {"arc 1 numbered 2", "cov/arc", 100, 2, 1, 3},
        {"arc 1 longer than its index says", "cov/arc", 104, 50, 1, 3},
        {"arc 1 beyond the file", "cov/arx", 100, 0x40000000, 1, 3},
        {"arc 1 with a length of -1", "cov/arx", 104, -1, 1, 3},
        {"polygon 1 with 2^31-1 arcs", "cov/pal", 124, 0x7FFFFFFF, 1},
        {"centroid 2 with -1 labels", "cov/cnt", 100 + 20 + 16, -1, 1},
        {"text 1 of 2^31-1 characters", "cov/txt", 100 + 32, 0x7FFFFFFF, 1},
        {"text 1 with 2^31-1 points", "cov/txt", 100 + 24, 0x7FFFFFFF, 1},
        {"text 1 with the most negative count", "cov/txt", 100 + 36, INT32_MIN, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const CoverDump dump = ws.DumpWithPatch(c.file, c.offset, Field(c.value, 4, true));
        EXPECT_EQ(dump.error, "");
        EXPECT_EQ(dump.unreadable, c.unreadable);
        EXPECT_EQ(dump.arcs.size(), c.arcs);
    }
}

}  // namespace
}  // namespace covtest
