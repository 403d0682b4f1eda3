// What the two index files beside a WLX file (the R-tree of the .sif, the
// B-tree of the .kif) share over their node store: opening or creating the
// file, its 512-byte header with the place of the tree, the free lists and the
// description, sticky failure, and closing. Each index adds its node layout,
// its own header fields and its algorithm.
//
// I/O failures and a broken tree are sticky (every later operation returns
// the first); a rejected argument leaves the index as it was.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/ByteOrder.h"
#include "common/Status.h"
#include "nativeformat/BigEndian.h"
#include "nativeformat/BinaryFile.h"
#include "nativeformat/NodeStore.h"

// Where an index keeps the fields every index has, and the statuses it
// reports.
struct IndexFileFormat {
    std::uint32_t magic;
    std::uint16_t version;  // the newest one read
    std::size_t versionAt;  // 16 bits
    std::size_t heightAt;   // 16 bits
    // The root, the heads of the free inner and leaf lists and the feature
    // count (32 bits each) in turn, then the description.
    std::size_t rootAt;
    // What the index's node cache may hold: the nodes that scattered input
    // reaches are then mostly in memory.
    std::size_t cacheBytes;
    // How many nodes the index keeps decoded.
    std::size_t decodedNodes;
    Status openFailed;
    Status readError;
    Status writeError;
    Status invalidFormat;
    Status invalidVersion;
    Status invalidNodeOffset;
};

template <class Node>
class CIndexFile : protected CNodeCodec<Node> {
public:
    CIndexFile(const CIndexFile&) = delete;
    CIndexFile& operator=(const CIndexFile&) = delete;

    // Writes the header and every changed node of a writable file, then
    // closes it; the destructor of each index does so unless done already.
    Status Close() {
        if (closed_) return status_;
        if (opened_) Settle();
        closed_ = true;
        if (opened_ && !file_.IsReadOnly()) {
            if (Status st = store_.Flush()) Fail(st);
            if (Status st = WriteHeader()) Fail(st);
        }
        if (file_.IsOpen() && !file_.Close()) Fail(format_.writeError);
        return status_;
    }

    // Carries out what the index has held back: what failed, sticky.
    virtual Status Settle() { return status_; }

    int GetVersion() const { return version_; }
    const std::string& GetDescription() const { return description_; }
    std::uint32_t GetFeatureCount() const { return featureCount_; }
    int GetHeight() const { return height_; }
    bool IsNewFile() const { return file_.IsNewFile(); }
    Status GetStatus() const { return status_; }

protected:
    using Store = CNodeStore<Node>;
    static constexpr std::size_t kHeaderSize = 512;

    explicit CIndexFile(const IndexFileFormat& format)
        : store_(file_, *this, {format.readError, format.writeError, format.invalidNodeOffset},
                 format.cacheBytes, format.decodedNodes),
          format_(format),
          version_(format.version) {}
    // Close() needs the index's own header fields, so each index closes in
    // its own destructor.
    ~CIndexFile() = default;

    // The index's own header fields: read and checked before anything sizes
    // or places a node by them, and written.
    virtual Status ReadParameters(const std::uint8_t* header) = 0;
    virtual void WriteParameters(std::uint8_t* header) const = 0;

    // Opens or creates `name` with the open flags of CBinaryFile; a new file
    // gets its header at once.
    Status Open(const std::string& name, int flags) {
        if (!file_.Open(name, flags)) return Fail(format_.openFailed);
        // Nodes move whole, through the node cache.
        file_.SetUnbuffered();
        if (file_.IsNewFile()) {
            store_.Reset(kHeaderSize, 0, 0);
            if (Status st = WriteHeader()) return Fail(st);
        } else if (Status st = ReadHeader()) {
            return Fail(st);
        }
        opened_ = true;
        return 0;
    }

    Status Fail(Status status) {
        if (status_ == 0) status_ = status;
        return status_;
    }

    // Whether the node layout may still change: a new, empty, writable index.
    bool CanConfigure() const {
        return opened_ && !status_ && !closed_ && file_.IsNewFile() && !file_.IsReadOnly() &&
               height_ == 0;
    }

    // New node sizes for an index that holds no node yet.
    Status Reconfigure() {
        store_.Reset(kHeaderSize, 0, 0);
        if (Status st = WriteHeader()) return Fail(st);
        return 0;
    }

    // A new root one level above the tree (the first leaf of an empty one),
    // pinned in `root`.
    Status GrowRoot(typename Store::Ref& root) {
        if (Status st = store_.Allocate(height_, root)) return st;
        root_ = root.Offset();
        ++height_;
        return 0;
    }

    CBinaryFile file_;
    Store store_;
    const IndexFileFormat& format_;
    std::uint16_t version_;
    int height_ = 0;
    std::uint32_t root_ = 0;
    std::uint32_t featureCount_ = 0;
    std::string description_;
    bool opened_ = false;
    bool closed_ = false;
    Status status_ = 0;

private:
    Status ReadHeader() {
        std::uint8_t h[kHeaderSize];
        std::uint32_t size = 0;
        if (!file_.Size(size)) return format_.readError;
        if (!file_.Seek(0, CBinaryFile::kFromStart) || !file_.ReadExactly(h, kHeaderSize))
            return format_.readError;
        if (byteorder::LoadU32Be(h) != format_.magic) return format_.invalidFormat;
        version_ = byteorder::LoadU16Be(h + format_.versionAt);
        if (version_ > format_.version) return format_.invalidVersion;
        height_ = byteorder::LoadU16Be(h + format_.heightAt);
        const std::uint8_t* tree = h + format_.rootAt;
        root_ = byteorder::LoadU32Be(tree);
        const std::uint32_t freeInner = byteorder::LoadU32Be(tree + 4);
        const std::uint32_t freeLeaf = byteorder::LoadU32Be(tree + 8);
        featureCount_ = byteorder::LoadU32Be(tree + 12);
        // Every value that sizes or places a node is checked before use.
        if (Status st = ReadParameters(h)) return st;
        const std::size_t descriptionAt = DescriptionAt();
        if (bigendian::GetText({h + descriptionAt, kHeaderSize - descriptionAt}, description_) == 0)
            return format_.invalidFormat;
        store_.Reset(size, freeInner, freeLeaf);
        if ((height_ == 0) != (root_ == 0)) return format_.invalidFormat;
        if (root_ != 0 && !store_.IsNodeOffset(root_, height_ == 1))
            return format_.invalidNodeOffset;
        // A tree has at least one node per level.
        const std::uint32_t smallest = std::min(store_.NodeSize(false), store_.NodeSize(true));
        if (std::uint64_t(height_) * smallest > size) return format_.invalidFormat;
        for (bool leaf : {false, true}) {
            const std::uint32_t head = store_.FreeHead(leaf);
            if (head != 0 && !store_.IsNodeOffset(head, leaf)) return format_.invalidNodeOffset;
        }
        return 0;
    }

    Status WriteHeader() {
        std::uint8_t h[kHeaderSize] = {};
        byteorder::StoreU32Be(format_.magic, h);
        byteorder::StoreU16Be(version_, h + format_.versionAt);
        byteorder::StoreU16Be(static_cast<std::uint16_t>(height_), h + format_.heightAt);
        std::uint8_t* tree = h + format_.rootAt;
        byteorder::StoreU32Be(root_, tree);
        byteorder::StoreU32Be(store_.FreeHead(false), tree + 4);
        byteorder::StoreU32Be(store_.FreeHead(true), tree + 8);
        byteorder::StoreU32Be(featureCount_, tree + 12);
        WriteParameters(h);
        // Cut to what the header holds.
        const std::size_t descriptionAt = DescriptionAt();
        const std::string_view text(
            description_.data(),
            bigendian::Utf8PrefixLength(description_, kHeaderSize - descriptionAt - 3));
        bigendian::PutText(text, h + descriptionAt);
        if (!file_.Seek(0, CBinaryFile::kFromStart) || !file_.WriteExactly(h, kHeaderSize) ||
            !file_.Flush())
            return format_.writeError;
        return 0;
    }

    std::size_t DescriptionAt() const { return format_.rootAt + 16; }
};
