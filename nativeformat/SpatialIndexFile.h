// The spatial index file (.sif) beside a WLX file: an R-tree of bounding
// boxes whose leaf entries hold the offsets and types of the WLX records.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/Status.h"
#include "nativeformat/IndexFile.h"
#include "nativeformat/PathMemo.h"

struct SpatialIndexBox {
    double minX, minY, maxX, maxY;
    bool operator==(const SpatialIndexBox&) const = default;
};

// A node of the spatial index in memory, with room for the one entry too
// many that a split takes apart.
struct SpatialIndexNode {
    static constexpr int kMaxEntriesLimit = 50;

    int count = 0;
    std::uint32_t offsets[kMaxEntriesLimit + 1] = {};  // children, or records in a leaf
    SpatialIndexBox boxes[kMaxEntriesLimit + 1] = {};
    std::uint16_t types[kMaxEntriesLimit + 1] = {};
};

class CSpatialIndexFile : public CIndexFile<SpatialIndexNode> {
public:
    static constexpr int kMaxEntriesLimit = SpatialIndexNode::kMaxEntriesLimit;
    static constexpr int kDefaultMinEntries = 10;
    static constexpr int kDefaultMaxEntries = 20;

    // Opens or creates `name` with the open flags of CBinaryFile; a new file
    // gets its header at once.
    CSpatialIndexFile(const std::string& name, int flags, Status& status);
    ~CSpatialIndexFile();

    int GetPrecision() const { return precision_; }
    int GetMinEntries() const { return minEntries_; }
    int GetMaxEntries() const { return maxEntries_; }

    // 32 or 64. Takes effect only on a new, empty index.
    Status SetPrecision(int precision);
    // Maximum first. The maximum must be 2..50 and the minimum 0..maximum/2.
    // Takes effect only on a new, empty index.
    Status SetEntryLimits(int maximum, int minimum);

    // Adds one leaf entry: the record's type (0..5), its extent (minimum x,
    // minimum y, maximum x, maximum y; finite, minimum not above maximum)
    // and its offset (not 0). A rejected argument is returned at once. The
    // entry goes into the tree at the next Insert, or at Settle, GetExtent,
    // CheckIntegrity or Close, which return what failed then: meanwhile the
    // nodes it will likely reach load from memory.
    Status Insert(std::uint16_t recordType, const double extent[4], std::uint32_t recordOffset);
    // Puts the entry held back into the tree.
    Status Settle() override;
    // The next Insert will be of about `extent`: a caller that knows it
    // early tells it, so that what the index knows of the place loads in
    // time.
    void Anticipate(const double extent[4]);

    // The box covering the root's entries; zeros while empty.
    Status GetExtent(double extent[4]);

    // Walks the whole tree: node offsets, minimum fill, inner boxes equal to
    // their children's cover, and the feature count.
    Status CheckIntegrity();

private:
    using Box = SpatialIndexBox;
    using Node = SpatialIndexNode;

    std::uint32_t NodeSize(bool leaf) const override;
    void Decode(const std::uint8_t* bytes, bool leaf, Node& node) const override;
    bool Encode(const Node& node, bool leaf, std::uint8_t* bytes) const override;
    Status ReadParameters(const std::uint8_t* header) override;
    void WriteParameters(std::uint8_t* header) const override;

    // An insert held back until the next one comes.
    struct Pending {
        std::uint16_t recordType;
        Box box;
        std::uint32_t recordOffset;
        std::uint64_t cell;    // of the path memo
        CPathMemo::Path path;  // where its lowest nodes may be held
    };
    Status Apply();
    std::uint64_t CellOf(const Box& box) const;
    Status Prepare(const Pending& insert);
    // With `hints`, changes in place what it can and sets where each node
    // on the way is held.
    Status Descend(const Box& box, const CPathMemo::Path* hints);
    void Commit(std::uint16_t recordType, const Box& box, std::uint32_t recordOffset);
    void Split(Store::Ref& node, Store::Ref& sibling);
    Box Quantize(const Box& box) const;
    static Box Cover(const Node& node);
    // The entries of a node's bytes, or -1 when a gap lies between them.
    int CountEntries(const std::uint8_t* bytes) const;
    Box BoxAt(const std::uint8_t* bytes, int i) const;
    // A leaf met in CheckIntegrity, with the box its parent gives it.
    struct LeafVisit {
        std::uint32_t offset;
        Box box;
    };
    // Reads `leaves` in file order, checking their fill and covers, and
    // counts their entries.
    Status CheckLeaves(std::vector<LeafVisit>& leaves, std::uint64_t& entries);
    // A node below the root: filled to the minimum, and covered exactly by
    // `box`, its parent's entry for it.
    Status CheckChild(const Node& node, const Box& box) const;
    void PutBox(const Box& box, std::uint8_t* bytes, int i) const;

    // Bounds of the leaves checked at a time (40 bytes each), and the longest
    // read that serves them.
    static constexpr std::size_t kLeastLeafBatch = 1 << 14;
    static constexpr std::size_t kLargestLeafBatch = 1 << 19;
    static constexpr std::size_t kLeafBlock = 1 << 18;

    int minEntries_ = kDefaultMinEntries;
    int maxEntries_ = kDefaultMaxEntries;
    int precision_ = 32;
    // The insert under way: the path from the root down with the entry
    // chosen in each node, the new node for each level that splits, and the
    // new root when the root splits.
    // A node that is not decoded and does not split is changed in its
    // bytes in the node cache.
    struct Step {
        Store::Ref node;  // empty: changed in place
        std::uint32_t offset;
        int count;
        int chosen;
        std::uint32_t held;  // where the node cache holds the node
    };
    std::vector<Step> path_;
    std::optional<Pending> pending_;
    CPathMemo memo_;
    std::vector<Store::Ref> siblings_;
    Store::Ref newRoot_;
};
