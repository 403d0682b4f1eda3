#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>

#include "common/ByteOrder.h"
#include "nativeformat/KeyIndexFile.h"
#include "nativeformat/tests/IndexChecker.h"
#include "nativeformat/tests/WlxTestBytes.h"
#include "testing/TestSupport.h"

namespace {

using namespace wlxbytes;
using indexcheck::ReadKif;
using wlxtest::HexDiff;
using wlxtest::ReadBytes;
using wlxtest::TempDir;
using wlxtest::WriteBytes;

constexpr int kCreate = kOpenReadWrite | kOpenCreateNew;

std::string Path(const TempDir& dir) {
    return (dir / "index.kif").string();
}

Bytes Header(std::uint16_t capacity, std::uint16_t keyLength, std::uint16_t height,
             std::uint32_t root, std::uint32_t count) {
    return Cat({Text("AKIF"), U16(1),  // magic, version 1
                U16(capacity), U16(keyLength), U16(height), U32(root), U32(0),
                U32(0),                // root, free inner and leaf lists
                U32(count), Bytes{0},  // feature count, empty description
                Zeros(512 - 29)});
}

TEST(KeyIndexFileTest, HeaderAndNodeLayout) {
    TempDir dir;
    Status st = 0;
    {
        CKeyIndexFile index(Path(dir), kCreate, st);
        ASSERT_EQ(st, 0);
        EXPECT_EQ(HexDiff(Header(20, 32, 0, 0, 0), ReadBytes(Path(dir))), "");
        ASSERT_EQ(index.SetNodeCapacity(3), 0);
        ASSERT_EQ(index.SetMaxKeyLength(4), 0);
        EXPECT_EQ(HexDiff(Header(3, 4, 0, 0, 0), ReadBytes(Path(dir))), "");
        // A leaf holds (4 + 4) * 3 = 24 bytes.
        ASSERT_EQ(index.Insert("b", 10), 0);
        ASSERT_EQ(index.Insert("a", 20), 0);
    }
    Bytes expected =
        Cat({Header(3, 4, 1, 512, 2), Text("a"), Zeros(3), Text("b"), Zeros(3), Zeros(4),  // keys
             U32(20), U32(10), U32(0)});  // record offsets
    EXPECT_EQ(HexDiff(expected, ReadBytes(Path(dir))), "");

    // Two more keys split the leaf in the middle: "a" and "b" stay, "c" goes
    // up, "d" goes right; an inner node holds (4 + 8) * 3 + 4 = 40 bytes.
    {
        CKeyIndexFile index(Path(dir), kOpenReadWrite, st);
        ASSERT_EQ(index.Insert("c", 30), 0);
        ASSERT_EQ(index.Insert("d", 40), 0);
        EXPECT_EQ(index.GetHeight(), 2);
    }
    expected = Cat({Header(3, 4, 2, 512 + 48, 4),
                    Text("a"),
                    Zeros(3),
                    Text("b"),
                    Zeros(3),
                    Zeros(4),
                    U32(20),
                    U32(10),
                    U32(0),  // left leaf
                    Text("d"),
                    Zeros(3),
                    Zeros(8),
                    U32(40),
                    Zeros(8),  // right leaf
                    Text("c"),
                    Zeros(3),
                    Zeros(8),
                    U32(30),
                    Zeros(8),  // root: key, record offset
                    U32(512),
                    U32(512 + 24),
                    Zeros(8)});  // children
    EXPECT_EQ(HexDiff(expected, ReadBytes(Path(dir))), "");
}

TEST(KeyIndexFileTest, EntriesOrderByKeyThenOffset) {
    TempDir dir;
    Status st = 0;
    {
        CKeyIndexFile index(Path(dir), kCreate, st);
        ASSERT_EQ(index.SetMaxKeyLength(4), 0);
        ASSERT_EQ(index.Insert("same", 300), 0);
        ASSERT_EQ(index.Insert("same", 100), 0);
        EXPECT_EQ(index.Insert("same", 100), kKifDuplicateObject);
        ASSERT_EQ(index.Insert("abcd", 5), 0) << "a key of exactly the key length";
        // Longer keys are clipped at a character boundary: the euro sign
        // (3 bytes) would straddle byte 4.
        ASSERT_EQ(index.Insert("abc\xE2\x82\xAC", 6), 0);
        ASSERT_EQ(index.Insert("abcde", 7), 0);
        EXPECT_EQ(index.GetFeatureCount(), 5u);
        EXPECT_EQ(index.GetStatus(), 0);
    }
    const indexcheck::KifTree tree = ReadKif(Path(dir));
    ASSERT_EQ(tree.error, "");
    std::vector<std::pair<std::string, std::uint32_t>> entries;
    for (const auto& e : tree.entries) entries.emplace_back(e.key, e.offset);
    EXPECT_EQ(entries, (std::vector<std::pair<std::string, std::uint32_t>>{
                           {"abc", 6}, {"abcd", 5}, {"abcd", 7}, {"same", 100}, {"same", 300}}));
}

TEST(KeyIndexFileTest, TheTwentyFirstKeySplitsTheRootLeaf) {
    TempDir dir;
    Status st = 0;
    CKeyIndexFile index(Path(dir), kCreate, st);
    for (std::uint32_t i = 1; i <= 21; ++i) {
        ASSERT_EQ(index.Insert("k" + std::to_string(100 + i), 2 * i), 0);
        EXPECT_EQ(index.GetHeight(), i < 21 ? 1 : 2);
    }
}

// Keys in random, ascending and descending order (the last two fill
// siblings on the left and on the right), with duplicates.
TEST(KeyIndexFileTest, ManyKeysWalkOutInOrder) {
    struct Case {
        const char* what;
        int capacity;
        int order;  // 0 random, 1 ascending, -1 descending
        std::uint32_t count;
    };
    const Case cases[] = {
        {"random, capacity 20", 20, 0, 100000}, {"random, capacity 3", 3, 0, 20000},
        {"ascending, capacity 4", 4, 1, 20000}, {"descending, capacity 5", 5, -1, 20000},
        {"ascending, capacity 2", 2, 1, 5000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::pair<std::string, std::uint32_t>> keys;
        std::mt19937 random(c.count + c.capacity);
        for (std::uint32_t i = 0; i < c.count; ++i) {
            char key[16];
            std::snprintf(key, sizeof key, "K%07u",
                          static_cast<unsigned>(c.order == 0 ? random() % (c.count / 3) : i / 3));
            keys.emplace_back(key, 4 + 4 * i);
        }
        if (c.order == -1) std::reverse(keys.begin(), keys.end());
        TempDir dir;
        Status st = 0;
        {
            CKeyIndexFile index(Path(dir), kCreate, st);
            ASSERT_EQ(index.SetNodeCapacity(c.capacity), 0);
            ASSERT_EQ(index.SetMaxKeyLength(12), 0);
            for (const auto& [key, offset] : keys) ASSERT_EQ(index.Insert(key, offset), 0);
            EXPECT_EQ(index.Close(), 0);
        }
        const indexcheck::KifTree tree = ReadKif(Path(dir));
        ASSERT_EQ(tree.error, "");
        std::sort(keys.begin(), keys.end());
        ASSERT_EQ(tree.entries.size(), keys.size());
        for (std::size_t i = 0; i < keys.size(); ++i) {
            ASSERT_EQ(tree.entries[i].key, keys[i].first);
            ASSERT_EQ(tree.entries[i].offset, keys[i].second);
        }
    }
}

TEST(KeyIndexFileTest, ParametersThatCannotWorkAreRefused) {
    TempDir dir;
    Status st = 0;
    CKeyIndexFile index(Path(dir), kCreate, st);
    EXPECT_EQ(index.SetNodeCapacity(21), kKifInvalidParameter);
    EXPECT_EQ(index.SetNodeCapacity(1), kKifInvalidParameter);
    EXPECT_EQ(index.SetMaxKeyLength(257), kKifInvalidParameter);
    EXPECT_EQ(index.SetMaxKeyLength(0), kKifInvalidParameter);
    EXPECT_EQ(index.GetNodeCapacity(), 20);
    EXPECT_EQ(index.GetMaxKeyLength(), 32);
    EXPECT_EQ(index.SetMaxKeyLength(256), 0);
    ASSERT_EQ(index.Insert("x", 8), 0);
    EXPECT_EQ(index.SetNodeCapacity(4), 0) << "ignored on a tree that holds entries";
    EXPECT_EQ(index.GetNodeCapacity(), 20);
    EXPECT_EQ(index.Insert("x", 0), kKifInvalidParameter);
}

// One kind of damage per case, each giving the index's error.
TEST(KeyIndexFileTest, CorruptFilesGiveErrors) {
    TempDir dir;
    Status st = 0;
    {
        CKeyIndexFile index(Path(dir), kCreate, st);
        index.SetNodeCapacity(4);
        index.SetMaxKeyLength(8);
        for (std::uint32_t i = 1; i <= 40; ++i) index.Insert("key" + std::to_string(i), 2 * i);
    }
    const Bytes good = ReadBytes(Path(dir));
    const indexcheck::KifTree tree = ReadKif(Path(dir));
    ASSERT_EQ(tree.error, "");
    ASSERT_GE(tree.height, 3);
    const std::uint32_t root = byteorder::LoadU32Be(&good[12]);
    struct Case {
        const char* what;
        std::function<void(Bytes&)> damage;
        Status open;    // from opening read and write
        Status insert;  // then from an insert
    };
    const std::size_t children = root + (8 + 4) * 4;
    const Case cases[] = {
        {"bad magic", Overwrite(0, Text("AKIX")), kKifInvalidFormat, 0},
        {"version 2", Overwrite(4, U16(2)), kKifInvalidVersion, 0},
        {"capacity above 20", Overwrite(6, U16(21)), kKifInvalidFormat, 0},
        {"capacity below 2", Overwrite(6, U16(1)), kKifInvalidFormat, 0},
        {"key length above 256", Overwrite(8, U16(257)), kKifInvalidFormat, 0},
        {"key length 0", Overwrite(8, U16(0)), kKifInvalidFormat, 0},
        {"description past the header", Overwrite(28, Bytes{0xFF, 0x02, 0x00}), kKifInvalidFormat,
         0},
        {"root without a height", Overwrite(10, U16(0)), kKifInvalidFormat, 0},
        {"root outside the file", Overwrite(12, U32(0x10000000)), kKifInvalidNodeOffset, 0},
        {"root off a node boundary", Overwrite(12, U32(root + 2)), kKifInvalidNodeOffset, 0},
        {"free list outside the file", Overwrite(20, U32(0x7FFFFFF0)), kKifInvalidNodeOffset, 0},
        {"truncated header", [](Bytes& f) { f.resize(100); }, kKifReadError, 0},
        {"children outside the file",
         Overwrite(children, Cat({U32(0x10000000), U32(0x10000000), U32(0x10000000),
                                  U32(0x10000000), U32(0x10000000)})),
         0, kKifInvalidNodeOffset},
        {"a child that is the root itself",
         Overwrite(children, Cat({U32(root), U32(root), U32(root), U32(root), U32(root)})), 0,
         kKifInvalidNodeOffset},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes bytes = good;
        c.damage(bytes);
        WriteBytes(Path(dir), bytes);
        CKeyIndexFile index(Path(dir), kOpenReadWrite, st);
        EXPECT_EQ(st, c.open);
        if (st == 0) {
            EXPECT_EQ(index.Insert("key0", 1000), c.insert);
            EXPECT_EQ(index.Insert("zzz", 1002), c.insert) << "sticky";
        }
    }
}

// An insert whose split cannot get its nodes (a damaged free list, a node the
// file no longer holds) fails and leaves every node as it was: closing writes
// back nothing of it.
TEST(KeyIndexFileTest, AFailedSplitLeavesTheTreeAsItWas) {
    // Capacity 4 and keys of 8 bytes: leaves of 48 bytes, inner nodes of 68;
    // four keys fill the root leaf at 512, the fifth splits it.
    struct Case {
        const char* what;
        std::function<void(Bytes&)> damage;
        std::uint64_t cutAfterOpening;  // 0: none
        Status expected;
    };
    const Case cases[] = {
        {"free leaf list at the full root leaf", Overwrite(20, U32(512)), 0, kKifInvalidNodeOffset},
        {"free inner list at the full root leaf, taken after the split's node",
         [](Bytes& f) {
             f.resize(f.size() + 68);
             Overwrite(16, U32(512))(f);
         },
         0, kKifInvalidNodeOffset},
        {"free leaf list into a node cut off the file", AppendFreeNode(20, 48), 560, kKifReadError},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        Status st = 0;
        {
            CKeyIndexFile index(Path(dir), kCreate, st);
            ASSERT_EQ(index.SetNodeCapacity(4), 0);
            ASSERT_EQ(index.SetMaxKeyLength(8), 0);
            for (std::uint32_t i = 1; i <= 4; ++i)
                ASSERT_EQ(index.Insert("key" + std::to_string(i), 2 * i), 0);
        }
        Bytes bytes = ReadBytes(Path(dir));
        ASSERT_EQ(bytes.size(), 560u);
        c.damage(bytes);
        WriteBytes(Path(dir), bytes);
        {
            CKeyIndexFile index(Path(dir), kOpenReadWrite, st);
            ASSERT_EQ(st, 0);
            if (c.cutAfterOpening) {
                std::filesystem::resize_file(Path(dir), c.cutAfterOpening);
                bytes.resize(c.cutAfterOpening);
            }
            EXPECT_EQ(index.Insert("key0", 1000), c.expected);
            EXPECT_EQ(index.Insert("key9", 1002), c.expected) << "sticky";
            EXPECT_EQ(index.Close(), c.expected);
        }
        EXPECT_EQ(HexDiff(bytes, ReadBytes(Path(dir))), "");
    }
}

}  // namespace
