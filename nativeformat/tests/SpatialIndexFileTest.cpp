#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <limits>
#include <random>

#include "nativeformat/SpatialIndexFile.h"
#include "nativeformat/tests/IndexChecker.h"
#include "nativeformat/tests/WlxTestBytes.h"
#include "testing/TestSupport.h"

namespace {

using namespace wlxbytes;
using indexcheck::ReadSif;
using wlxtest::HexDiff;
using wlxtest::ReadBytes;
using wlxtest::TempDir;
using wlxtest::WriteBytes;

constexpr int kCreate = kOpenReadWrite | kOpenCreateNew;

std::string Path(const TempDir& dir) {
    return (dir / "index.sif").string();
}

Bytes Header(std::uint16_t minimum, std::uint16_t maximum, std::uint16_t height,
             std::uint16_t precision, std::uint32_t root, std::uint32_t count) {
    return Cat({Text("ASIF"), U16(0), U16(2),  // magic, 0, version 2
                U16(minimum), U16(maximum), U16(height), U16(precision), U32(root), U32(0),
                U32(0),                // root, free inner and leaf lists
                U32(count), Bytes{0},  // feature count, empty description
                Zeros(512 - 33)});
}

// Five boxes in a row along x, half a unit wide, with maximum 4, minimum 2:
// the i-th from 1 on of record type i at record offset 0x10 * i.
void WriteRowOfFive(const std::string& path) {
    Status st = 0;
    CSpatialIndexFile index(path, kCreate, st);
    ASSERT_EQ(st, 0);
    ASSERT_EQ(index.SetEntryLimits(4, 2), 0);
    for (std::uint32_t i = 1; i <= 5; ++i) {
        const double box[] = {double(i), 0, i + 0.5, 1};
        ASSERT_EQ(index.Insert(static_cast<std::uint16_t>(i), box, 0x10 * i), 0);
    }
}

TEST(SpatialIndexFileTest, NewFileIsItsHeaderUntilTheFirstInsert) {
    TempDir dir;
    Status st = 0;
    {
        CSpatialIndexFile index(Path(dir), kCreate, st);
        ASSERT_EQ(st, 0);
        EXPECT_EQ(HexDiff(Header(10, 20, 0, 32, 0, 0), ReadBytes(Path(dir))), "");
        EXPECT_EQ(index.SetEntryLimits(6, 3), 0);
        EXPECT_EQ(index.SetPrecision(64), 0);
        EXPECT_EQ(HexDiff(Header(3, 6, 0, 64, 0, 0), ReadBytes(Path(dir))), "");
    }
    EXPECT_EQ(ReadBytes(Path(dir)).size(), 512u);
}

TEST(SpatialIndexFileTest, NodeLayout) {
    // Maximum 4 at precision 32: inner nodes of 4 * 4 * 5 = 80 bytes, leaves
    // of 88; two entries in the root leaf at 512.
    TempDir dir;
    Status st = 0;
    {
        CSpatialIndexFile index(Path(dir), kCreate, st);
        ASSERT_EQ(index.SetEntryLimits(4, 2), 0);
        const double a[] = {1, 2, 3, 4}, b[] = {-1.5, 0, 0.5, 8};
        ASSERT_EQ(index.Insert(4, a, 0x100), 0);
        ASSERT_EQ(index.Insert(2, b, 0x200), 0);
        EXPECT_EQ(index.GetHeight(), 1);
    }
    const Bytes expected =
        Cat({Header(2, 4, 1, 32, 512, 2), U32(0x100), U32(0x200), Zeros(8),  // record offsets
             F32(1), F32(2), F32(3), F32(4),                                 // box 1
             F32(-1.5), F32(0), F32(0.5), F32(8), Zeros(32),                 // box 2, empty slots
             U16(4), U16(2), Zeros(4)});                                     // record types
    EXPECT_EQ(HexDiff(expected, ReadBytes(Path(dir))), "");
}

// A leaf that leaves a slot empty between its entries takes a new entry
// without writing over one.
TEST(SpatialIndexFileTest, AnEmptySlotBetweenEntriesLosesNone) {
    TempDir dir;
    WriteRowOfFive(Path(dir));
    const indexcheck::SifTree tree = ReadSif(Path(dir));
    ASSERT_EQ(tree.height, 2);
    const auto full = std::find_if(tree.nodes.begin(), tree.nodes.end(), [](const auto& node) {
        return node.level == 0 && node.entries.size() == 3;
    });
    ASSERT_NE(full, tree.nodes.end());
    Bytes bytes = ReadBytes(Path(dir));
    Overwrite(full->offset + 4, U32(0))(bytes);
    WriteBytes(Path(dir), bytes);
    {
        Status st = 0;
        CSpatialIndexFile index(Path(dir), kOpenReadWrite, st);
        ASSERT_EQ(st, 0);
        const indexcheck::Box& inside = full->entries[0].box;
        const double box[] = {inside.minX, inside.minY, inside.maxX, inside.maxY};
        ASSERT_EQ(index.Insert(0, box, 0x1000), 0);
        ASSERT_EQ(index.Close(), 0);
    }
    std::vector<std::uint32_t> kept;
    for (const indexcheck::SifNode& node : ReadSif(Path(dir)).nodes)
        if (node.offset == full->offset)
            for (const indexcheck::SifEntry& entry : node.entries) kept.push_back(entry.offset);
    EXPECT_EQ(kept, (std::vector<std::uint32_t>{full->entries[0].offset, full->entries[2].offset,
                                                0x1000}));
}

TEST(SpatialIndexFileTest, SplitNodeLayout) {
    // Five boxes in a row with maximum 4, minimum 2: entries 1 and 5 seed the
    // split, 2 and then 3 join the first group, 4 goes to the second so that
    // it reaches the minimum. A new root (an inner node of 80 bytes) follows
    // the two leaves.
    TempDir dir;
    WriteRowOfFive(Path(dir));
    auto box = [](double x) { return Cat({F32(x), F32(0), F32(x + 0.5), F32(1)}); };
    const Bytes expected =
        Cat({Header(2, 4, 2, 32, 688, 5),
             // first leaf at 512: entries 1, 2, 3
             U32(0x10), U32(0x20), U32(0x30), U32(0), box(1), box(2), box(3), Zeros(16), U16(1),
             U16(2), U16(3), U16(0),
             // second leaf at 600: entries 5, 4
             U32(0x50), U32(0x40), Zeros(8), box(5), box(4), Zeros(32), U16(5), U16(4), Zeros(4),
             // root at 688: the two leaves and their covers
             U32(512), U32(600), Zeros(8), F32(1), F32(0), F32(3.5), F32(1), F32(4), F32(0),
             F32(5.5), F32(1), Zeros(32)});
    EXPECT_EQ(HexDiff(expected, ReadBytes(Path(dir))), "");
}

TEST(SpatialIndexFileTest, TheTwentyFirstEntrySplitsTheRoot) {
    TempDir dir;
    Status st = 0;
    {
        CSpatialIndexFile index(Path(dir), kCreate, st);
        for (std::uint32_t i = 1; i <= 21; ++i) {
            const double box[] = {double(i), 0, double(i) + 0.5, 1};
            ASSERT_EQ(index.Insert(0, box, i * 16), 0);
            EXPECT_EQ(index.GetHeight(), i == 1 ? 0 : 1) << "held back";
            ASSERT_EQ(index.Settle(), 0);
            EXPECT_EQ(index.GetHeight(), i < 21 ? 1 : 2);
        }
        EXPECT_EQ(index.CheckIntegrity(), 0);
        double extent[4];
        ASSERT_EQ(index.GetExtent(extent), 0);
        EXPECT_EQ(std::vector<double>(extent, extent + 4), (std::vector<double>{1, 0, 21.5, 1}));
    }
    const indexcheck::SifTree tree = ReadSif(Path(dir));
    ASSERT_EQ(tree.error, "");
    ASSERT_EQ(tree.height, 2);
    EXPECT_EQ(tree.nodes.front().entries.size(), 2u);
    // Leaves at 512 and 952, the new root after them.
    EXPECT_EQ(tree.nodes.front().offset, 512u + 2 * 440);
}

TEST(SpatialIndexFileTest, EqualWasteSeedsTheSplitWithThePairMetFirst) {
    // Points A(0,0) B(2,2) C(0,2) D(2,0): AB and CD waste 4 each; AB seeds.
    // C prefers neither group and joins the second (equal areas and sizes),
    // D then costs the first group nothing.
    TempDir dir;
    Status st = 0;
    {
        CSpatialIndexFile index(Path(dir), kCreate, st);
        ASSERT_EQ(index.SetEntryLimits(3, 1), 0);
        const double boxes[4][4] = {{0, 0, 0, 0}, {2, 2, 2, 2}, {0, 2, 0, 2}, {2, 0, 2, 0}};
        for (std::uint32_t i = 0; i < 4; ++i) ASSERT_EQ(index.Insert(0, boxes[i], 'A' + i), 0);
    }
    const indexcheck::SifTree tree = ReadSif(Path(dir));
    ASSERT_EQ(tree.error, "");
    ASSERT_EQ(tree.nodes.size(), 3u);
    auto offsets = [](const indexcheck::SifNode& n) {
        std::string s;
        for (const auto& e : n.entries) s += static_cast<char>(e.offset);
        return s;
    };
    EXPECT_EQ(offsets(tree.nodes[1]), "AD");
    EXPECT_EQ(offsets(tree.nodes[2]), "BC");
}

TEST(SpatialIndexFileTest, AnInsertGoesToTheEntryThatGrowsLeastThenToTheSmaller) {
    // The five boxes of the split above leave the first leaf covering x 1 to
    // 3.5 (area 2.5) and the second covering x 4 to 5.5 (area 1.5); a sixth,
    // unit-high box joins one of them without a split, in the cached bytes of
    // either precision.
    struct Case {
        double minX, maxX;
        int leaf;  // 0: the first, 1: the second
    } const cases[] = {
        {2, 2.5, 0},      // inside the first cover
        {5, 6, 1},        // grows the second by 0.5, the first by 2.5
        {3.75, 3.75, 1},  // grows both by 0.25: the second is smaller
        {0, 7, 0},        // grows them by 4.5 and 5.5
    };
    for (const int precision : {32, 64}) {
        for (const Case& c : cases) {
            TempDir dir;
            Status st = 0;
            {
                CSpatialIndexFile index(Path(dir), kCreate, st);
                ASSERT_EQ(index.SetEntryLimits(4, 2), 0);
                ASSERT_EQ(index.SetPrecision(precision), 0);
                for (std::uint32_t i = 1; i <= 5; ++i) {
                    const double box[] = {double(i), 0, i + 0.5, 1};
                    ASSERT_EQ(index.Insert(0, box, 0x10 * i), 0);
                }
                const double probe[] = {c.minX, 0, c.maxX, 1};
                ASSERT_EQ(index.Insert(0, probe, 0x99), 0);
            }
            const indexcheck::SifTree tree = ReadSif(Path(dir));
            ASSERT_EQ(tree.error, "");
            std::uint32_t found = 0;
            for (const auto& node : tree.nodes)
                for (const auto& entry : node.entries)
                    if (node.level == 0 && entry.offset == 0x99) found = node.offset;
            const std::uint32_t leafBytes = precision == 32 ? 88 : 152;
            EXPECT_EQ(found, 512 + c.leaf * leafBytes)
                << precision << " bits, box from x " << c.minX << " to " << c.maxX;
        }
    }
}

TEST(SpatialIndexFileTest, ManyRandomBoxesKeepTheTreeSound) {
    TempDir dir;
    std::mt19937 random(11);
    std::uniform_real_distribution<double> where(-1000, 1000), size(0, 20);
    std::vector<indexcheck::Box> boxes;
    Status st = 0;
    {
        CSpatialIndexFile index(Path(dir), kCreate, st);
        for (std::uint32_t i = 0; i < 100000; ++i) {
            const double x = where(random), y = where(random);
            const double box[] = {x, y, x + size(random), y + size(random)};
            auto f = [](double v) { return static_cast<double>(static_cast<float>(v)); };
            boxes.push_back({f(box[0]), f(box[1]), f(box[2]), f(box[3])});
            ASSERT_EQ(index.Insert(static_cast<std::uint16_t>(i % 6), box, 2 + 2 * i), 0);
        }
        EXPECT_EQ(index.CheckIntegrity(), 0) << "with nodes still in the cache";
        EXPECT_EQ(index.Close(), 0);
    }
    {
        CSpatialIndexFile index(Path(dir), kOpenRead, st);
        ASSERT_EQ(st, 0);
        EXPECT_EQ(index.GetFeatureCount(), 100000u);
        EXPECT_EQ(index.CheckIntegrity(), 0);
    }
    // Every leaf box lies inside all its ancestors' boxes, so a window
    // search for it finds it.
    const indexcheck::SifTree tree = ReadSif(Path(dir));
    ASSERT_EQ(tree.error, "");
    ASSERT_EQ(tree.records.size(), boxes.size());
    std::vector<bool> seen(boxes.size());
    for (const auto& r : tree.records) {
        const std::uint32_t i = (r.offset - 2) / 2;
        ASSERT_LT(i, boxes.size());
        EXPECT_FALSE(seen[i]);
        seen[i] = true;
        EXPECT_EQ(r.box, boxes[i]);
        EXPECT_EQ(r.type, i % 6);
    }
    for (int q = 0; q < 200; ++q) {
        const double x = where(random), y = where(random);
        const indexcheck::Box window{x, y, x + 50, y + 50};
        std::vector<std::uint32_t> expected;
        for (std::uint32_t i = 0; i < boxes.size(); ++i) {
            const auto& b = boxes[i];
            if (b.minX <= window.maxX && b.maxX >= window.minX && b.minY <= window.maxY &&
                b.maxY >= window.minY)
                expected.push_back(2 + 2 * i);
        }
        std::vector<std::uint32_t> found = indexcheck::WindowSearch(tree, window);
        std::sort(found.begin(), found.end());
        EXPECT_EQ(found, expected);
    }
}

// The tree is the one the inserts make, whatever else happens: points in a
// scattered order (each far from the last, as unsorted data comes) give the
// same file inserted in one run, or in many runs over the file with extents
// asked for between inserts. Small nodes make a tree deeper than the nodes
// kept decoded, so that inserts change the node cache's bytes in place.
TEST(SpatialIndexFileTest, TheTreeDependsOnTheInsertsAlone) {
    const std::uint32_t side = 150, count = side * side, stride = 7919;
    auto insert = [&](CSpatialIndexFile& index, std::uint32_t i) {
        const std::uint32_t cell = i * stride % count;
        const double x = cell % side, y = cell / side;
        const double box[] = {x, y, x, y};
        return index.Insert(0, box, 2 + 2 * i);
    };
    TempDir dir;
    const std::string one = (dir / "one.sif").string(), many = (dir / "many.sif").string();
    Status st = 0;
    {
        CSpatialIndexFile index(one, kCreate, st);
        ASSERT_EQ(index.SetEntryLimits(4, 2), 0);
        for (std::uint32_t i = 0; i < count; ++i) ASSERT_EQ(insert(index, i), 0);
        EXPECT_EQ(index.Close(), 0);
    }
    for (std::uint32_t first = 0; first < count; first += 997) {
        CSpatialIndexFile index(many, first == 0 ? kCreate : kOpenReadWrite, st);
        ASSERT_EQ(st, 0);
        if (first == 0) {
            ASSERT_EQ(index.SetEntryLimits(4, 2), 0);
        }
        for (std::uint32_t i = first; i < std::min(count, first + 997); ++i) {
            ASSERT_EQ(insert(index, i), 0);
            double extent[4];
            if (i % 7 == 0) {
                ASSERT_EQ(index.GetExtent(extent), 0);
            }
        }
        EXPECT_EQ(index.Close(), 0);
    }
    const indexcheck::SifTree tree = ReadSif(one);
    ASSERT_EQ(tree.error, "");
    EXPECT_EQ(tree.records.size(), count);
    EXPECT_GE(tree.height, 6);
    EXPECT_EQ(HexDiff(ReadBytes(one), ReadBytes(many)), "");
}

TEST(SpatialIndexFileTest, BoxesWhoseAreasOverflowStillSplitAndChoose) {
    // At 64 bits, finite boxes can have infinite areas, and then every
    // enlargement compared is NaN: each entry must still find a node.
    TempDir dir;
    Status st = 0;
    {
        CSpatialIndexFile index(Path(dir), kCreate, st);
        ASSERT_EQ(index.SetPrecision(64), 0);
        ASSERT_EQ(index.SetEntryLimits(4, 2), 0);
        for (std::uint32_t i = 1; i <= 40; ++i) {
            const double box[] = {-1e300, -1e300, 1e300 + i * 1e285, 1e300};
            ASSERT_EQ(index.Insert(0, box, 2 * i), 0) << i;
        }
        EXPECT_EQ(index.CheckIntegrity(), 0);
    }
    const indexcheck::SifTree tree = ReadSif(Path(dir));
    ASSERT_EQ(tree.error, "");
    EXPECT_EQ(tree.records.size(), 40u);
}

TEST(SpatialIndexFileTest, ParametersThatCannotWorkAreRefused) {
    struct Case {
        int maximum, minimum;
        Status expected;
    };
    const Case cases[] = {
        {51, 10, kSifInvalidParameter},
        {20, 11, kSifInvalidParameter},
        {1, 0, kSifInvalidParameter},
        {20, -1, kSifInvalidParameter},
        {50, 25, 0},
        {2, 1, 0},
        {2, 0, 0},
    };
    for (const Case& c : cases) {
        TempDir dir;
        Status st = 0;
        CSpatialIndexFile index(Path(dir), kCreate, st);
        EXPECT_EQ(index.SetEntryLimits(c.maximum, c.minimum), c.expected)
            << c.maximum << "/" << c.minimum;
        EXPECT_EQ(index.GetMaxEntries(), c.expected ? 20 : c.maximum);
    }
    TempDir dir;
    Status st = 0;
    CSpatialIndexFile index(Path(dir), kCreate, st);
    EXPECT_EQ(index.SetPrecision(48), kSifInvalidParameter);
    const double box[] = {0, 0, 1, 1};
    ASSERT_EQ(index.Insert(0, box, 8), 0);
    EXPECT_EQ(index.SetEntryLimits(6, 3), 0) << "ignored on a tree that holds entries";
    EXPECT_EQ(index.GetMaxEntries(), 20);

    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double bad[][4] = {{nan, 0, 1, 1},
                             {0, 0, std::numeric_limits<double>::infinity(), 1},
                             {2, 0, 1, 1},
                             {0, 0, 1e39, 1}};  // the last is beyond float range
    for (const auto& b : bad) EXPECT_EQ(index.Insert(0, b, 8), kSifInvalidParameter);
    EXPECT_EQ(index.Insert(0, box, 0), kSifInvalidParameter);
    EXPECT_EQ(index.Insert(6, box, 8), kSifInvalidParameter);
    EXPECT_EQ(index.GetStatus(), 0);
    EXPECT_EQ(index.GetFeatureCount(), 1u);
}

// One kind of damage per case, each giving the index's error.
TEST(SpatialIndexFileTest, CorruptFilesGiveErrors) {
    TempDir dir;
    Status st = 0;
    {
        CSpatialIndexFile index(Path(dir), kCreate, st);
        index.SetEntryLimits(4, 2);
        for (std::uint32_t i = 1; i <= 30; ++i) {
            const double box[] = {double(i % 7), double(i / 7), double(i % 7) + 1,
                                  double(i / 7) + 1};
            index.Insert(0, box, 2 * i);
        }
    }
    const Bytes good = ReadBytes(Path(dir));
    const indexcheck::SifTree tree = ReadSif(Path(dir));
    ASSERT_EQ(tree.error, "");
    ASSERT_EQ(tree.height, 3);
    // Depth-first: the root, its first child, that child's first leaf.
    const std::uint32_t root = tree.nodes[0].offset, child = tree.nodes[1].offset,
                        leaf = tree.nodes[2].offset;
    struct Case {
        const char* what;
        std::function<void(Bytes&)> damage;
        Status open;   // from opening
        Status check;  // then from the integrity test
    };
    const Case cases[] = {
        {"bad magic", Overwrite(0, Text("ASIX")), kSifInvalidFormat, 0},
        {"version 3", Overwrite(6, U16(3)), kSifInvalidVersion, 0},
        {"maximum above 50", Overwrite(10, U16(51)), kSifInvalidFormat, 0},
        {"maximum below 2", Overwrite(10, U16(1)), kSifInvalidFormat, 0},
        {"minimum above half the maximum", Overwrite(8, U16(3)), kSifInvalidFormat, 0},
        {"precision 16", Overwrite(14, U16(16)), kSifInvalidFormat, 0},
        {"description past the header", Overwrite(32, Bytes{0xFF, 0x02, 0x00}), kSifInvalidFormat,
         0},
        {"height without a root", Overwrite(16, U32(0)), kSifInvalidFormat, 0},
        {"root outside the file", Overwrite(16, U32(0x10000000)), kSifInvalidNodeOffset, 0},
        {"root off a node boundary", Overwrite(16, U32(root + 4)), kSifInvalidNodeOffset, 0},
        {"free list outside the file", Overwrite(24, U32(0x7FFFFFF0)), kSifInvalidNodeOffset, 0},
        {"height taller than the file", Overwrite(12, U16(60000)), kSifInvalidFormat, 0},
        {"truncated header", [](Bytes& f) { f.resize(300); }, kSifReadError, 0},
        {"child outside the file", Overwrite(root, U32(0x10000000)), 0, kSifInvalidNodeOffset},
        {"child referenced twice", Overwrite(root + 4, U32(child)), 0, kSifInvalidNodeOffset},
        {"inner box not its child's cover", Overwrite(root + 4 * 4, F32(-100)), 0,
         kSifInvalidNodeExtent},
        {"feature count", Overwrite(28, U32(31)), 0, kSifBadFeatureCount},
        {"node underflow", Overwrite(child + 4, Zeros(12)), 0, kSifNodeUnderflow},
        {"leaf underflow", Overwrite(leaf + 4, Zeros(12)), 0, kSifNodeUnderflow},
        {"leaf box not its leaf's cover", Overwrite(child + 4 * 4, F32(-100)), 0,
         kSifInvalidNodeExtent},
        {"leaf referenced twice", Overwrite(child + 4, U32(leaf)), 0, kSifInvalidNodeOffset},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes bytes = good;
        c.damage(bytes);
        WriteBytes(Path(dir), bytes);
        CSpatialIndexFile index(Path(dir), kOpenRead, st);
        EXPECT_EQ(st, c.open);
        if (st == 0) {
            EXPECT_EQ(index.CheckIntegrity(), c.check);
        }
    }
    // Cut anywhere in the nodes: an error on opening or in the test.
    for (std::size_t cut = good.size() - 1; cut > 512; cut -= 61) {
        SCOPED_TRACE(cut);
        WriteBytes(Path(dir), Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut)));
        CSpatialIndexFile index(Path(dir), kOpenRead, st);
        EXPECT_TRUE(st == kSifInvalidNodeOffset || index.CheckIntegrity() == kSifInvalidNodeOffset);
    }
    // Inserting into a damaged tree fails with the error, when the insert
    // held back goes in, and adds nothing.
    Bytes bytes = good;
    Overwrite(root,
              Cat({U32(0x10000000), U32(0x10000000), U32(0x10000000), U32(0x10000000)}))(bytes);
    WriteBytes(Path(dir), bytes);
    {
        CSpatialIndexFile index(Path(dir), kOpenReadWrite, st);
        ASSERT_EQ(st, 0);
        const double box[] = {0, 0, 1, 1};
        EXPECT_EQ(index.Insert(0, box, 1000), 0);
        EXPECT_EQ(index.Insert(0, box, 1002), kSifInvalidNodeOffset);
        EXPECT_EQ(index.Insert(0, box, 1004), kSifInvalidNodeOffset);
    }
    EXPECT_EQ(ReadBytes(Path(dir)), bytes);
    for (const auto& settle : std::vector<std::function<Status(CSpatialIndexFile&)>>{
             [](CSpatialIndexFile& index) { return index.Close(); },
             [](CSpatialIndexFile& index) { return index.CheckIntegrity(); },
             [](CSpatialIndexFile& index) {
                 double extent[4];
                 return index.GetExtent(extent);
             }}) {
        CSpatialIndexFile index(Path(dir), kOpenReadWrite, st);
        ASSERT_EQ(st, 0);
        const double box[] = {0, 0, 1, 1};
        EXPECT_EQ(index.Insert(0, box, 1000), 0);
        EXPECT_EQ(settle(index), kSifInvalidNodeOffset);
        EXPECT_EQ(index.Close(), kSifInvalidNodeOffset);
        EXPECT_EQ(ReadBytes(Path(dir)), bytes);
    }
}

TEST(SpatialIndexFileTest, AppendingToAnExistingIndex) {
    TempDir dir;
    Status st = 0;
    for (int round = 0; round < 3; ++round) {
        CSpatialIndexFile index(Path(dir), round == 0 ? kCreate : kOpenReadWrite, st);
        ASSERT_EQ(st, 0);
        if (round == 0) index.SetEntryLimits(5, 2);
        for (std::uint32_t i = 0; i < 40; ++i) {
            const double box[] = {double(i), double(round), double(i) + 1, double(round) + 1};
            ASSERT_EQ(index.Insert(2, box, 1000 * (round + 1) + 2 * i), 0);
        }
    }
    CSpatialIndexFile index(Path(dir), kOpenRead, st);
    EXPECT_EQ(index.GetFeatureCount(), 120u);
    EXPECT_EQ(index.GetMaxEntries(), 5);
    EXPECT_EQ(index.CheckIntegrity(), 0);
    EXPECT_EQ(index.Insert(0, std::vector<double>{0, 0, 1, 1}.data(), 2), kSifReadOnly);
    EXPECT_EQ(ReadSif(Path(dir)).error, "");
}

// An insert whose split cannot get a node (a damaged free list, a node the
// file no longer holds) fails and leaves every node as it was: closing writes
// back nothing of it.
TEST(SpatialIndexFileTest, AFailedSplitLeavesTheTreeAsItWas) {
    struct Case {
        const char* what;
        int maximum, minimum;
        int entries;  // before the insert that splits
        std::function<void(Bytes&)> damage;
        std::uint64_t cutAfterOpening;  // 0: none
        Status expected;
    };
    // Three boxes in a row with maximum 2 give a full root over a full leaf
    // and one of one entry; the fourth, beside the first two, splits both.
    const Case cases[] = {
        {"free leaf list at the full root leaf", 20, 10, 20, Overwrite(24, U32(512)), 0,
         kSifInvalidNodeOffset},
        {"free inner list at the full root", 2, 1, 3,
         [](Bytes& f) { Overwrite(20, Bytes(f.begin() + 16, f.begin() + 20))(f); }, 0,
         kSifInvalidNodeOffset},
        {"free leaf list into a node cut off the file", 20, 10, 20, AppendFreeNode(24, 440), 952,
         kSifReadError},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        Status st = 0;
        const double boxes[][4] = {{0, 0, 1, 1}, {1, 0, 2, 1}, {10, 0, 11, 1}, {0.5, 0, 0.6, 1}};
        auto box = [&](int i) { return boxes[c.maximum == 2 ? i : i < 3 ? 0 : 3]; };
        {
            CSpatialIndexFile index(Path(dir), kCreate, st);
            ASSERT_EQ(index.SetEntryLimits(c.maximum, c.minimum), 0);
            for (int i = 0; i < c.entries; ++i) ASSERT_EQ(index.Insert(0, box(i), 2 + 2 * i), 0);
        }
        Bytes bytes = ReadBytes(Path(dir));
        c.damage(bytes);
        WriteBytes(Path(dir), bytes);
        {
            CSpatialIndexFile index(Path(dir), kOpenReadWrite, st);
            ASSERT_EQ(st, 0);
            if (c.cutAfterOpening) {
                std::filesystem::resize_file(Path(dir), c.cutAfterOpening);
                bytes.resize(c.cutAfterOpening);
            }
            EXPECT_EQ(index.Insert(0, box(3), 1000), 0) << "held back";
            EXPECT_EQ(index.Insert(0, box(3), 1002), c.expected);
            EXPECT_EQ(index.Insert(0, box(3), 1004), c.expected) << "sticky";
            EXPECT_EQ(index.GetFeatureCount(), static_cast<std::uint32_t>(c.entries));
            EXPECT_EQ(index.Close(), c.expected);
        }
        EXPECT_EQ(HexDiff(bytes, ReadBytes(Path(dir))), "");
    }
}

}  // namespace
