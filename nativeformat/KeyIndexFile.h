// The key index file (.kif) beside a WLX file: a B-tree of fixed-width object
// keys, each with the offset of its WLX record, ordered by (key, offset).
//
// I/O failures and a broken tree are sticky (every later operation returns
// the first); a rejected argument leaves the index as it was.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "loader/Status.h"
#include "nativeformat/BinaryFile.h"
#include "nativeformat/NodeStore.h"

class CKeyIndexFile {
public:
    static constexpr int kMaxCapacity = 20;
    static constexpr int kMaxKeyLength = 256;
    static constexpr int kDefaultKeyLength = 32;

    // Opens or creates `name` with the open flags of CBinaryFile; a new file
    // gets its header at once.
    CKeyIndexFile(const std::string& name, int flags, Status& status);
    ~CKeyIndexFile();
    CKeyIndexFile(const CKeyIndexFile&) = delete;
    CKeyIndexFile& operator=(const CKeyIndexFile&) = delete;

    // Writes the header and every changed node of a writable file, then
    // closes it; the destructor does so unless done already.
    Status Close();

    int GetVersion() const { return version_; }
    const std::string& GetDescription() const { return description_; }
    std::uint32_t GetFeatureCount() const { return featureCount_; }
    int GetNodeCapacity() const { return capacity_; }
    int GetMaxKeyLength() const { return keyLength_; }
    int GetHeight() const { return height_; }
    bool IsNewFile() const { return file_.IsNewFile(); }
    Status GetStatus() const { return status_; }

    // 2..20 entries per node. Takes effect only on a new, empty index.
    Status SetNodeCapacity(int capacity);
    // 1..256 bytes. Takes effect only on a new, empty index.
    Status SetMaxKeyLength(int length);

    // Adds one entry. A key longer than the key length is clipped to it at a
    // character boundary; the same key and offset twice is refused.
    Status Insert(std::string_view key, std::uint32_t recordOffset);

private:
    struct Node {
        int count = 0;
        std::uint8_t keys[(kMaxCapacity + 1) * kMaxKeyLength] = {};
        std::uint32_t offsets[kMaxCapacity + 1] = {};
        std::uint32_t children[kMaxCapacity + 2] = {};
    };
    class Codec : public CNodeCodec<Node> {
    public:
        explicit Codec(const CKeyIndexFile& index) : index_(index) {}
        std::uint32_t NodeSize(bool leaf) const override;
        void Decode(const std::uint8_t* bytes, bool leaf, Node& node) const override;
        void Encode(const Node& node, bool leaf, std::uint8_t* bytes) const override;

    private:
        const CKeyIndexFile& index_;
    };
    using Store = CNodeStore<Node>;

    Status Fail(Status status);
    Status Open(const std::string& name, int flags);
    Status ReadHeader();
    Status WriteHeader();
    bool CanConfigure() const;
    Status Reconfigure();
    // The first entry of `node` not less than (key_, offset); `equal` when it
    // is the same entry.
    int Position(const Node& node, std::uint32_t offset, bool& equal) const;
    void Redistribute(Node& parent, int position, Node& node, Node& sibling, bool toLeft,
                      bool leaf);
    Status Split(Store::Ref& node, int level, std::uint32_t& right);
    void MoveEntry(Node& to, int at, const Node& from, int index) const;

    CBinaryFile file_;
    Codec codec_{*this};
    Store store_;
    std::uint16_t version_ = 1;
    int capacity_ = kMaxCapacity;
    int keyLength_ = kDefaultKeyLength;
    int height_ = 0;
    std::uint32_t root_ = 0;
    std::uint32_t featureCount_ = 0;
    std::string description_;
    // The key being inserted, zero-padded; after a split, the middle entry.
    std::uint8_t key_[kMaxKeyLength] = {};
    std::uint32_t promoted_ = 0;
    std::vector<std::pair<std::uint32_t, int>>
        path_;  // (node offset, child position) from the root down
    bool opened_ = false;
    bool closed_ = false;
    Status status_ = 0;
};
