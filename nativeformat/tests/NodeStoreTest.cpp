#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "common/ByteOrder.h"
#include "nativeformat/NodeCache.h"
#include "nativeformat/NodeStore.h"
#include "nativeformat/tests/WlxTestBytes.h"
#include "testing/TestSupport.h"

namespace {

using namespace wlxbytes;

// A node of one value: inner nodes of 8 bytes, leaves of 12.
struct Node {
    std::uint32_t value = 0;
};

class Codec : public CNodeCodec<Node> {
public:
    std::uint32_t NodeSize(bool leaf) const override { return leaf ? 12 : 8; }
    void Decode(const std::uint8_t* b, bool, Node& n) const override {
        n.value = byteorder::LoadU32Be(b + 4);
    }
    bool Encode(const Node& n, bool leaf, std::uint8_t* b) const override {
        std::fill(b, b + NodeSize(leaf), 0);
        byteorder::StoreU32Be(n.value, b + 4);
        return true;
    }
};

constexpr NodeStoreErrors kErrors{-1, -2, -3};

class NodeStoreTest : public ::testing::Test {
protected:
    // A header and `leaves` leaves valued 100, 101, ...; free links in the
    // first four bytes of each leaf as given.
    void Open(int leaves, std::vector<std::uint32_t> links = {}, std::uint32_t freeHead = 0) {
        Bytes file = Zeros(512);
        for (int i = 0; i < leaves; ++i)
            file = Cat({file, U32(i < static_cast<int>(links.size()) ? links[i] : 0), U32(100 + i),
                        Zeros(4)});
        wlxtest::WriteBytes(path_, file);
        ASSERT_TRUE(file_.Open(path_.string(), kOpenReadWrite));
        file_.SetUnbuffered();
        store_.Reset(static_cast<std::uint32_t>(file.size()), 0, freeHead);
    }

    static std::uint32_t Leaf(int i) { return 512 + 12 * i; }

    wlxtest::TempDir dir_;
    std::filesystem::path path_ = dir_ / "nodes.bin";
    CBinaryFile file_;
    Codec codec_;
    // Without a node cache: what leaves the decoded nodes goes to the file.
    CNodeStore<Node> store_{file_, codec_, kErrors, 0};
};

constexpr int kSlots = static_cast<int>(CNodeStore<Node>::kCacheSize);

TEST_F(NodeStoreTest, EvictsTheLeastRecentlyUsedUnpinnedNode) {
    Open(kSlots + 10);
    CNodeStore<Node>::Ref ref;
    for (int i = 0; i < kSlots; ++i) {
        ASSERT_EQ(store_.Fetch(Leaf(i), 0, ref), 0);
        ref->value = 1000 + i;
        ref.MarkDirty();
    }
    ASSERT_EQ(store_.Fetch(Leaf(0), 0, ref), 0);  // node 1 is now the oldest
    ASSERT_EQ(store_.Fetch(Leaf(kSlots), 0, ref), 0);
    // Only the node that made room has gone to the file.
    const Bytes file = wlxtest::ReadBytes(path_);
    EXPECT_EQ(file[Leaf(1) + 7], (1000 + 1) % 256);
    EXPECT_EQ(file[Leaf(0) + 7], 100);
    EXPECT_EQ(file[Leaf(2) + 7], 102);
}

TEST_F(NodeStoreTest, KeepsAsManyDecodedNodesAsTheIndexAsks) {
    Open(8);
    CNodeStore<Node> few{file_, codec_, kErrors, 0, 4};
    few.Reset(512 + 8 * 12, 0, 0);
    CNodeStore<Node>::Ref ref;
    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(few.Fetch(Leaf(i), 0, ref), 0);
        ref->value = 1000 + i;
        ref.MarkDirty();
    }
    // The fifth made room by writing back the first, and only it.
    const Bytes file = wlxtest::ReadBytes(path_);
    EXPECT_EQ(file[Leaf(0) + 7], 1000 % 256);
    EXPECT_EQ(file[Leaf(1) + 7], 101);
}

TEST_F(NodeStoreTest, PinnedNodesStayAndChangedNodesAreWrittenBack) {
    Open(kSlots + 10);
    std::vector<CNodeStore<Node>::Ref> pinned(kSlots);
    for (int i = 0; i < kSlots; ++i) {
        ASSERT_EQ(store_.Fetch(Leaf(i), 0, pinned[i]), 0);
        pinned[i]->value = 1000 + i;
        pinned[i].MarkDirty();
    }
    CNodeStore<Node>::Ref extra, another;
    ASSERT_EQ(store_.Fetch(Leaf(kSlots + 5), 0, extra), 0) << "every slot pinned: one more is made";
    pinned[3].Release();
    ASSERT_EQ(store_.Fetch(Leaf(kSlots + 6), 0, another), 0) << "node 3 makes room, written first";
    EXPECT_EQ(wlxtest::ReadBytes(path_)[Leaf(3) + 7], (1000 + 3) % 256);
    EXPECT_EQ(wlxtest::ReadBytes(path_)[Leaf(4) + 7], 104) << "pinned nodes are not written yet";
    pinned.clear();
    ASSERT_EQ(store_.Flush(), 0);
    EXPECT_EQ(wlxtest::ReadBytes(path_)[Leaf(4) + 7], (1000 + 4) % 256);
    // A node met at two levels is a broken tree; so is an offset off the grid.
    EXPECT_EQ(store_.Fetch(Leaf(kSlots + 5), 1, extra), kErrors.invalidNodeOffset);
    EXPECT_EQ(store_.Fetch(Leaf(kSlots + 5) + 2, 0, extra), kErrors.invalidNodeOffset);
    EXPECT_EQ(store_.Fetch(Leaf(kSlots + 10), 0, extra), kErrors.invalidNodeOffset);
}

TEST_F(NodeStoreTest, FreeListsAreUsedBeforeTheFileGrows) {
    struct Case {
        const char* what;
        std::vector<std::uint32_t> links;  // free link in leaf i
        std::uint32_t head;
        std::vector<Status> results;  // of four allocations
        std::vector<std::uint32_t> offsets;
    };
    const Case cases[] = {
        {"chain 2 -> 0",
         {0, 0, Leaf(0)},
         Leaf(2),
         {0, 0, 0, 0},
         {Leaf(2), Leaf(0), Leaf(4), Leaf(4) + 12}},
        {"loop 1 -> 3 -> 1",
         {0, Leaf(3), 0, Leaf(1)},
         Leaf(1),
         {0, 0, kErrors.invalidNodeOffset},
         {Leaf(1), Leaf(3)}},
        {"head outside the file", {}, Leaf(9), {kErrors.invalidNodeOffset}, {}},
        {"link off the grid", {0, 515}, Leaf(1), {0, kErrors.invalidNodeOffset}, {Leaf(1)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        file_.Close();
        Open(4, c.links, c.head);
        for (std::size_t i = 0; i < c.results.size(); ++i) {
            CNodeStore<Node>::Ref ref;
            ASSERT_EQ(store_.Allocate(0, ref), c.results[i]) << i;
            if (c.results[i] == 0) {
                EXPECT_EQ(ref.Offset(), c.offsets[i]);
                EXPECT_EQ(ref->value, 0u) << "a new node is empty";
            }
        }
    }
}

// The node cache under a bound of a few nodes, against a model of the file:
// what it holds is what was put last, what it dropped was written first, what
// is read from the file is never older than what was written, and pinned
// nodes stay, found from any guess at where they are held. Small nodes share
// one chunk of the cache's memory; large ones spread the bound over several.
TEST(NodeCacheTest, KeepsTheFileBytesUnderItsBound) {
    struct Case {
        std::uint32_t nodes, size, bound, rounds;
    };
    // Chunks of 2 MiB: three nodes of the second size, two of the third.
    for (const Case c :
         {Case{64, 16, 4, 4000}, Case{12, (1u << 19) + 1, 5, 300}, Case{10, 700001, 5, 200}}) {
        SCOPED_TRACE(c.size);
        wlxtest::TempDir dir;
        const std::string name = (dir / "nodes.bin").string();
        Bytes model = Zeros(512 + c.nodes * c.size);
        for (std::uint32_t i = 0; i < model.size(); ++i)
            model[i] = static_cast<std::uint8_t>(i / c.size + i % 7);
        wlxtest::WriteBytes(name, model);
        CBinaryFile file;
        ASSERT_TRUE(file.Open(name, kOpenReadWrite));
        file.SetUnbuffered();
        CNodeCache cache(file);
        cache.Reset(c.bound * (c.size + 32), c.size);

        std::mt19937 random(7);
        auto node = [&](std::uint32_t i) { return 512 + c.size * i; };
        const std::uint32_t pinned = node(5);
        ASSERT_TRUE(cache.Put(pinned, c.size, true, model.data() + pinned, false));
        cache.Pin(pinned);
        for (std::uint32_t round = 0; round < c.rounds; ++round) {
            SCOPED_TRACE(round);
            const std::uint32_t at = node(random() % c.nodes);
            Bytes bytes(c.size);
            bool leaf = false;
            if (const std::uint8_t* held = cache.Find(at, leaf)) {
                ASSERT_TRUE(std::equal(held, held + c.size, model.begin() + at));
            } else {
                ASSERT_TRUE(cache.Read(at, c.size, bytes.data()));
                ASSERT_TRUE(std::equal(bytes.begin(), bytes.end(), model.begin() + at));
                // As the node store keeps what it reads: the cache grows.
                ASSERT_TRUE(cache.Put(at, c.size, true, bytes.data(), false));
            }
            if (random() % 2 && at != pinned) {
                for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
                std::copy(bytes.begin(), bytes.end(), model.begin() + at);
                ASSERT_TRUE(cache.Put(at, c.size, random() % 2, bytes.data(), true));
            }
            // Any guess at where the pinned node is held finds it, and the
            // place found finds it again.
            std::uint32_t entry = random() % (c.bound + 2);
            const std::uint8_t* held = cache.FindPinned(pinned, leaf, entry);
            ASSERT_NE(held, nullptr);
            ASSERT_TRUE(std::equal(held, held + c.size, model.begin() + pinned));
            cache.PrefetchHeld(entry);
            ASSERT_EQ(cache.FindPinned(pinned, leaf, entry), held);
        }
        cache.UnpinAll();
        ASSERT_TRUE(cache.Flush());
        EXPECT_EQ(wlxtest::HexDiff(model, wlxtest::ReadBytes(name)), "");
    }
}

}  // namespace
