// The key index file (.kif) beside a WLX file: a B-tree of fixed-width object
// keys, each with the offset of its WLX record, ordered by (key, offset).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/Status.h"
#include "nativeformat/IndexFile.h"

// A node of the key index in memory, with room for the one entry too many
// that a split takes apart.
struct KeyIndexNode {
    static constexpr int kMaxCapacity = 20;
    static constexpr int kMaxKeyLength = 256;

    int count = 0;
    std::uint8_t keys[(kMaxCapacity + 1) * kMaxKeyLength] = {};
    std::uint32_t offsets[kMaxCapacity + 1] = {};
    std::uint32_t children[kMaxCapacity + 2] = {};
};

class CKeyIndexFile : public CIndexFile<KeyIndexNode> {
public:
    static constexpr int kMaxCapacity = KeyIndexNode::kMaxCapacity;
    static constexpr int kMaxKeyLength = KeyIndexNode::kMaxKeyLength;
    static constexpr int kDefaultKeyLength = 32;

    // Opens or creates `name` with the open flags of CBinaryFile; a new file
    // gets its header at once.
    CKeyIndexFile(const std::string& name, int flags, Status& status);
    ~CKeyIndexFile();

    int GetNodeCapacity() const { return capacity_; }
    int GetMaxKeyLength() const { return keyLength_; }

    // 2..20 entries per node. Takes effect only on a new, empty index.
    Status SetNodeCapacity(int capacity);
    // 1..256 bytes. Takes effect only on a new, empty index.
    Status SetMaxKeyLength(int length);

    // Adds one entry. A key longer than the key length is clipped to it at a
    // character boundary; the same key and offset twice is refused.
    Status Insert(std::string_view key, std::uint32_t recordOffset);

private:
    using Node = KeyIndexNode;

    std::uint32_t NodeSize(bool leaf) const override;
    void Decode(const std::uint8_t* bytes, bool leaf, Node& node) const override;
    bool Encode(const Node& node, bool leaf, std::uint8_t* bytes) const override;
    Status ReadParameters(const std::uint8_t* header) override;
    void WriteParameters(std::uint8_t* header) const override;

    // The first entry of `node` not less than (key_, offset); `equal` when it
    // is the same entry.
    int Position(const Node& node, std::uint32_t offset, bool& equal) const;
    void Redistribute(Node& parent, int position, Node& node, Node& sibling, bool toLeft,
                      bool leaf);
    Status Prepare(std::uint32_t recordOffset);
    void Commit(std::uint32_t recordOffset);
    void Split(Store::Ref& node, Store::Ref& right, bool leaf);
    void MoveEntry(Node& to, int at, const Node& from, int index) const;

    int capacity_ = kMaxCapacity;
    int keyLength_ = kDefaultKeyLength;
    // The key being inserted, zero-padded; after a split, the middle entry.
    std::uint8_t key_[kMaxKeyLength] = {};
    std::uint32_t promoted_ = 0;
    // The insert under way: the path from the root down with the position
    // in each node; for each level that overflows, the siblings that may
    // take entries or else the new node of its split; the new root when the
    // root splits.
    struct Step {
        Store::Ref node;
        int position;
    };
    struct Plan {
        Store::Ref left, right, split;
    };
    std::vector<Step> path_;
    std::vector<Plan> levels_;
    Store::Ref newRoot_;
};
