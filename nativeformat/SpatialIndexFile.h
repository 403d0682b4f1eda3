// The spatial index file (.sif) beside a WLX file: an R-tree of bounding
// boxes whose leaf entries hold the offsets and types of the WLX records.
//
// I/O failures and a broken tree are sticky (every later operation returns
// the first); a rejected argument leaves the index as it was.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "loader/Status.h"
#include "nativeformat/BinaryFile.h"
#include "nativeformat/NodeStore.h"

class CSpatialIndexFile {
public:
    static constexpr int kMaxEntriesLimit = 50;
    static constexpr int kDefaultMinEntries = 10;
    static constexpr int kDefaultMaxEntries = 20;

    // Opens or creates `name` with the open flags of CBinaryFile; a new file
    // gets its header at once.
    CSpatialIndexFile(const std::string& name, int flags, Status& status);
    ~CSpatialIndexFile();
    CSpatialIndexFile(const CSpatialIndexFile&) = delete;
    CSpatialIndexFile& operator=(const CSpatialIndexFile&) = delete;

    // Writes the header and every changed node of a writable file, then
    // closes it; the destructor does so unless done already.
    Status Close();

    int GetVersion() const { return version_; }
    const std::string& GetDescription() const { return description_; }
    int GetPrecision() const { return precision_; }
    std::uint32_t GetFeatureCount() const { return featureCount_; }
    int GetMinEntries() const { return minEntries_; }
    int GetMaxEntries() const { return maxEntries_; }
    int GetHeight() const { return height_; }
    bool IsNewFile() const { return file_.IsNewFile(); }
    Status GetStatus() const { return status_; }

    // 32 or 64. Takes effect only on a new, empty index.
    Status SetPrecision(int precision);
    // Maximum first. The maximum must be 2..50 and the minimum 0..maximum/2.
    // Takes effect only on a new, empty index.
    Status SetEntryLimits(int maximum, int minimum);

    // Adds one leaf entry: the record's type (0..5), its extent (minimum x,
    // minimum y, maximum x, maximum y; finite, minimum not above maximum)
    // and its offset (not 0).
    Status Insert(std::uint16_t recordType, const double extent[4], std::uint32_t recordOffset);

    // The box covering the root's entries; zeros while empty.
    Status GetExtent(double extent[4]);

    // Walks the whole tree: node offsets, minimum fill, inner boxes equal to
    // their children's cover, and the feature count.
    Status CheckIntegrity();

private:
    struct Box {
        double minX, minY, maxX, maxY;
        bool operator==(const Box&) const = default;
    };
    struct Node {
        int count = 0;
        std::uint32_t offsets[kMaxEntriesLimit + 1] = {};  // children, or records in a leaf
        Box boxes[kMaxEntriesLimit + 1] = {};
        std::uint16_t types[kMaxEntriesLimit + 1] = {};
    };
    class Codec : public CNodeCodec<Node> {
    public:
        explicit Codec(const CSpatialIndexFile& index) : index_(index) {}
        std::uint32_t NodeSize(bool leaf) const override;
        void Decode(const std::uint8_t* bytes, bool leaf, Node& node) const override;
        void Encode(const Node& node, bool leaf, std::uint8_t* bytes) const override;

    private:
        const CSpatialIndexFile& index_;
    };
    using Store = CNodeStore<Node>;

    Status Fail(Status status);
    Status Open(const std::string& name, int flags);
    Status ReadHeader();
    Status WriteHeader();
    Status Reconfigure();
    Status Split(Store::Ref& node, int level, Store::Ref& sibling);
    Box Quantize(const Box& box) const;
    static Box Cover(const Node& node);

    CBinaryFile file_;
    Codec codec_{*this};
    Store store_;
    std::uint16_t version_ = 2;
    int minEntries_ = kDefaultMinEntries;
    int maxEntries_ = kDefaultMaxEntries;
    int height_ = 0;
    int precision_ = 32;
    std::uint32_t root_ = 0;
    std::uint32_t featureCount_ = 0;
    std::string description_;
    std::vector<std::pair<std::uint32_t, int>> path_;  // (node offset, entry) from the root down
    bool opened_ = false;
    bool closed_ = false;
    Status status_ = 0;
};
