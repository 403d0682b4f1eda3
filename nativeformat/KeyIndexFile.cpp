#include "nativeformat/KeyIndexFile.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint32_t kMagic = 0x414B4946;  // "AKIF"
constexpr std::uint16_t kVersion = 1;
constexpr std::size_t kHeaderSize = 512;
constexpr std::size_t kDescriptionAt = 28;
constexpr NodeStoreErrors kErrors{kKifReadError, kKifWriteError, kKifInvalidNodeOffset};

}  // namespace

// ---------------------------------------------------------------------------
// Node layout: C keys of K bytes, C record offsets and, in an inner node,
// C + 1 child offsets; slots past the node's entries are zero.

std::uint32_t CKeyIndexFile::Codec::NodeSize(bool leaf) const {
    const auto c = static_cast<std::uint32_t>(index_.capacity_);
    const auto k = static_cast<std::uint32_t>(index_.keyLength_);
    return leaf ? (k + 4) * c : (k + 8) * c + 4;
}

void CKeyIndexFile::Codec::Decode(const std::uint8_t* bytes, bool leaf, Node& node) const {
    const int c = index_.capacity_;
    const std::size_t k = static_cast<std::size_t>(index_.keyLength_);
    const std::uint8_t* offsets = bytes + k * c;
    node.count = 0;
    for (int i = 0; i < c; ++i) {
        node.offsets[i] = bigendian::GetU32(offsets + 4 * i);
        if (node.offsets[i] != 0) ++node.count;
    }
    std::memcpy(node.keys, bytes, k * c);
    if (!leaf) {
        const std::uint8_t* children = offsets + 4 * c;
        for (int i = 0; i <= c; ++i) node.children[i] = bigendian::GetU32(children + 4 * i);
    }
}

void CKeyIndexFile::Codec::Encode(const Node& node, bool leaf, std::uint8_t* bytes) const {
    const int c = index_.capacity_;
    const std::size_t k = static_cast<std::size_t>(index_.keyLength_);
    std::memset(bytes, 0, NodeSize(leaf));
    std::memcpy(bytes, node.keys, k * node.count);
    std::uint8_t* offsets = bytes + k * c;
    for (int i = 0; i < node.count; ++i) bigendian::PutU32(node.offsets[i], offsets + 4 * i);
    if (!leaf) {
        std::uint8_t* children = offsets + 4 * c;
        for (int i = 0; i <= node.count; ++i) bigendian::PutU32(node.children[i], children + 4 * i);
    }
}

// ---------------------------------------------------------------------------
// Opening and closing

CKeyIndexFile::CKeyIndexFile(const std::string& name, int flags, Status& status)
    : store_(file_, codec_, kErrors) {
    status = Open(name, flags);
}

CKeyIndexFile::~CKeyIndexFile() {
    Close();
}

Status CKeyIndexFile::Fail(Status status) {
    if (status_ == 0) status_ = status;
    return status_;
}

Status CKeyIndexFile::Open(const std::string& name, int flags) {
    if (!file_.Open(name, flags)) return Fail(kKifOpenFailed);
    if (!file_.UsePageCache(kIndexFilePages, kIndexFilePageSize)) file_.SetUnbuffered();
    if (file_.IsNewFile()) {
        store_.Reset(kHeaderSize, 0, 0);
        if (Status st = WriteHeader()) return Fail(st);
    } else if (Status st = ReadHeader()) {
        return Fail(st);
    }
    opened_ = true;
    return 0;
}

Status CKeyIndexFile::ReadHeader() {
    std::uint8_t h[kHeaderSize];
    std::uint32_t size = 0;
    if (!file_.Size(size)) return kKifReadError;
    if (!file_.Seek(0, CBinaryFile::kFromStart) || !file_.ReadExactly(h, kHeaderSize))
        return kKifReadError;
    if (bigendian::GetU32(h) != kMagic) return kKifInvalidFormat;
    version_ = bigendian::GetU16(h + 4);
    if (version_ > kVersion) return kKifInvalidVersion;
    capacity_ = bigendian::GetU16(h + 6);
    keyLength_ = bigendian::GetU16(h + 8);
    height_ = bigendian::GetU16(h + 10);
    root_ = bigendian::GetU32(h + 12);
    const std::uint32_t freeInner = bigendian::GetU32(h + 16);
    const std::uint32_t freeLeaf = bigendian::GetU32(h + 20);
    featureCount_ = bigendian::GetU32(h + 24);
    // Every value that sizes or places a node is checked before use.
    if (capacity_ < 2 || capacity_ > kMaxCapacity || keyLength_ < 1 || keyLength_ > kMaxKeyLength)
        return kKifInvalidFormat;
    if (bigendian::GetText({h + kDescriptionAt, kHeaderSize - kDescriptionAt}, description_) == 0)
        return kKifInvalidFormat;
    store_.Reset(size, freeInner, freeLeaf);
    if ((height_ == 0) != (root_ == 0)) return kKifInvalidFormat;
    if (root_ != 0 && !store_.IsNodeOffset(root_, height_ == 1)) return kKifInvalidNodeOffset;
    if (std::uint64_t(height_) * store_.NodeSize(true) > size) return kKifInvalidFormat;
    for (bool leaf : {false, true}) {
        const std::uint32_t head = store_.FreeHead(leaf);
        if (head != 0 && !store_.IsNodeOffset(head, leaf)) return kKifInvalidNodeOffset;
    }
    return 0;
}

Status CKeyIndexFile::WriteHeader() {
    std::uint8_t h[kHeaderSize] = {};
    bigendian::PutU32(kMagic, h);
    bigendian::PutU16(version_, h + 4);
    bigendian::PutU16(static_cast<std::uint16_t>(capacity_), h + 6);
    bigendian::PutU16(static_cast<std::uint16_t>(keyLength_), h + 8);
    bigendian::PutU16(static_cast<std::uint16_t>(height_), h + 10);
    bigendian::PutU32(root_, h + 12);
    bigendian::PutU32(store_.FreeHead(false), h + 16);
    bigendian::PutU32(store_.FreeHead(true), h + 20);
    bigendian::PutU32(featureCount_, h + 24);
    const std::string_view text(
        description_.data(),
        bigendian::Utf8PrefixLength(description_, kHeaderSize - kDescriptionAt - 3));
    bigendian::PutText(text, h + kDescriptionAt);
    if (!file_.Seek(0, CBinaryFile::kFromStart)) return kKifReadError;
    if (!file_.WriteExactly(h, kHeaderSize) || !file_.Flush()) return kKifWriteError;
    return 0;
}

Status CKeyIndexFile::Close() {
    if (closed_) return status_;
    closed_ = true;
    if (opened_ && !file_.IsReadOnly()) {
        if (Status st = store_.Flush()) Fail(st);
        if (Status st = WriteHeader()) Fail(st);
    }
    if (file_.IsOpen() && !file_.Close()) Fail(kKifWriteError);
    return status_;
}

bool CKeyIndexFile::CanConfigure() const {
    return opened_ && !status_ && !closed_ && file_.IsNewFile() && !file_.IsReadOnly() &&
           height_ == 0;
}

Status CKeyIndexFile::Reconfigure() {
    store_.Reset(kHeaderSize, 0, 0);
    if (Status st = WriteHeader()) return Fail(st);
    return 0;
}

Status CKeyIndexFile::SetNodeCapacity(int capacity) {
    if (capacity < 2 || capacity > kMaxCapacity) return kKifInvalidParameter;
    if (!CanConfigure()) return status_;
    capacity_ = capacity;
    return Reconfigure();
}

Status CKeyIndexFile::SetMaxKeyLength(int length) {
    if (length < 1 || length > kMaxKeyLength) return kKifInvalidParameter;
    if (!CanConfigure()) return status_;
    keyLength_ = length;
    return Reconfigure();
}

// ---------------------------------------------------------------------------
// Insertion

int CKeyIndexFile::Position(const Node& node, std::uint32_t offset, bool& equal) const {
    const std::size_t k = static_cast<std::size_t>(keyLength_);
    for (int i = 0; i < node.count; ++i) {
        // Byte order is character order in UTF-8.
        int c = std::memcmp(node.keys + k * i, key_, k);
        if (c == 0) c = node.offsets[i] < offset ? -1 : (node.offsets[i] > offset ? 1 : 0);
        if (c >= 0) {
            equal = c == 0;
            return i;
        }
    }
    equal = false;
    return node.count;
}

// Copies entry `index` of `from` into slot `at` of `to`.
void CKeyIndexFile::MoveEntry(Node& to, int at, const Node& from, int index) const {
    const std::size_t k = static_cast<std::size_t>(keyLength_);
    std::memcpy(to.keys + k * at, from.keys + k * index, k);
    to.offsets[at] = from.offsets[index];
}

namespace {

// Opens slot `at` of the first `count` entries (and, for an inner node, child
// slot at + 1).
template <class Node>
void OpenSlot(Node& node, int at, std::size_t k, bool leaf) {
    std::memmove(node.keys + k * (at + 1), node.keys + k * at, k * (node.count - at));
    std::memmove(node.offsets + at + 1, node.offsets + at,
                 sizeof(node.offsets[0]) * (node.count - at));
    if (!leaf)
        std::memmove(node.children + at + 2, node.children + at + 1,
                     sizeof(node.children[0]) * (node.count - at));
    ++node.count;
}

// Closes slot `at` (and, for an inner node, child slot `child`).
template <class Node>
void CloseSlot(Node& node, int at, int child, std::size_t k, bool leaf) {
    std::memmove(node.keys + k * at, node.keys + k * (at + 1), k * (node.count - at - 1));
    std::memmove(node.offsets + at, node.offsets + at + 1,
                 sizeof(node.offsets[0]) * (node.count - at - 1));
    if (!leaf)
        std::memmove(node.children + child, node.children + child + 1,
                     sizeof(node.children[0]) * (node.count - child));
    --node.count;
}

}  // namespace

// Moves entries of the overflowing `node` through the parent's separator into
// `sibling`, which has room: half the difference of the counts, rounded up.
void CKeyIndexFile::Redistribute(Node& parent, int position, Node& node, Node& sibling, bool toLeft,
                                 bool leaf) {
    const std::size_t k = static_cast<std::size_t>(keyLength_);
    const int moves = (node.count - sibling.count + 1) / 2;
    const int separator = toLeft ? position - 1 : position;
    for (int m = 0; m < moves; ++m) {
        if (toLeft) {
            // The separator goes down to the end of the left sibling, the
            // node's first entry up in its place; the first child follows.
            const int at = sibling.count;
            MoveEntry(sibling, at, parent, separator);
            if (!leaf) sibling.children[at + 1] = node.children[0];
            ++sibling.count;
            MoveEntry(parent, separator, node, 0);
            CloseSlot(node, 0, 0, k, leaf);
        } else {
            // The separator goes down to the front of the right sibling, the
            // node's last entry up in its place; the last child follows.
            const int before = sibling.count;
            OpenSlot(sibling, 0, k, true);
            if (!leaf) {
                std::memmove(sibling.children + 1, sibling.children,
                             sizeof(sibling.children[0]) * (before + 1));
                sibling.children[0] = node.children[node.count];
            }
            MoveEntry(sibling, 0, parent, separator);
            MoveEntry(parent, separator, node, node.count - 1);
            --node.count;
        }
    }
}

// Splits the overflowing `node` in the middle: the entries after the middle
// go to a new node `right`, the middle one is left in key_/promoted_.
Status CKeyIndexFile::Split(Store::Ref& node, int level, std::uint32_t& right) {
    Store::Ref other;
    if (Status st = store_.Allocate(level, other)) return st;
    const bool leaf = level == 0;
    const int count = node->count;
    const int middle = count / 2;
    for (int i = middle + 1; i < count; ++i) MoveEntry(*other, i - middle - 1, *node, i);
    if (!leaf)
        for (int i = middle + 1; i <= count; ++i)
            other->children[i - middle - 1] = node->children[i];
    other->count = count - middle - 1;
    std::memcpy(key_, node->keys + static_cast<std::size_t>(keyLength_) * middle, keyLength_);
    promoted_ = node->offsets[middle];
    node->count = middle;
    node.MarkDirty();
    other.MarkDirty();
    right = other.Offset();
    return 0;
}

Status CKeyIndexFile::Insert(std::string_view key, std::uint32_t recordOffset) {
    if (status_ || !opened_) return status_;
    if (closed_ || recordOffset == 0) return kKifInvalidParameter;
    if (file_.IsReadOnly()) return kKifReadOnly;
    const std::size_t k = static_cast<std::size_t>(keyLength_);
    std::memset(key_, 0, sizeof key_);
    std::memcpy(key_, key.data(), bigendian::Utf8PrefixLength(key, k));

    Store::Ref node;
    bool equal = false;
    if (height_ == 0) {
        if (Status st = store_.Allocate(0, node)) return Fail(st);
        root_ = node.Offset();
        height_ = 1;
    }
    path_.clear();
    std::uint32_t offset = root_;
    for (int level = height_ - 1; level > 0; --level) {
        if (Status st = store_.Fetch(offset, level, node)) return Fail(st);
        const int position = Position(*node, recordOffset, equal);
        if (equal) return kKifDuplicateObject;
        path_.emplace_back(offset, position);
        offset = node->children[position];
    }
    if (Status st = store_.Fetch(offset, 0, node)) return Fail(st);
    const int position = Position(*node, recordOffset, equal);
    if (equal) return kKifDuplicateObject;
    if (node->count > capacity_) return Fail(kKifInvalidNodeOffset);
    OpenSlot(*node, position, k, true);
    std::memcpy(node->keys + k * position, key_, k);
    node->offsets[position] = recordOffset;
    node.MarkDirty();
    ++featureCount_;

    // An overflowing node gives entries to a sibling with room, else splits
    // and hands its middle entry up.
    int level = 0;
    for (int i = static_cast<int>(path_.size()) - 1; i >= 0 && node->count > capacity_;
         --i, ++level) {
        const bool leaf = level == 0;
        Store::Ref parent;
        if (Status st = store_.Fetch(path_[i].first, level + 1, parent)) return Fail(st);
        const int at = path_[i].second;
        Store::Ref left, right;
        if (at > 0) {
            if (Status st = store_.Fetch(parent->children[at - 1], level, left)) return Fail(st);
        }
        if (at < parent->count) {
            if (Status st = store_.Fetch(parent->children[at + 1], level, right)) return Fail(st);
        }
        const bool leftRoom = left && left->count < capacity_;
        const bool rightRoom = right && right->count < capacity_;
        if (leftRoom || rightRoom) {
            const bool toLeft = leftRoom && (!rightRoom || left->count <= right->count);
            Store::Ref& sibling = toLeft ? left : right;
            Redistribute(*parent, at, *node, *sibling, toLeft, leaf);
            sibling.MarkDirty();
            parent.MarkDirty();
            node.MarkDirty();
            return 0;
        }
        left.Release();
        right.Release();
        std::uint32_t newRight = 0;
        if (Status st = Split(node, level, newRight)) return Fail(st);
        OpenSlot(*parent, at, k, false);
        std::memcpy(parent->keys + k * at, key_, k);
        parent->offsets[at] = promoted_;
        parent->children[at + 1] = newRight;
        parent.MarkDirty();
        node = std::move(parent);
    }
    if (node->count > capacity_) {
        // The root split: a new root holds the middle entry.
        std::uint32_t newRight = 0;
        if (Status st = Split(node, height_ - 1, newRight)) return Fail(st);
        Store::Ref root;
        if (Status st = store_.Allocate(height_, root)) return Fail(st);
        root->count = 1;
        std::memcpy(root->keys, key_, k);
        root->offsets[0] = promoted_;
        root->children[0] = root_;
        root->children[1] = newRight;
        root_ = root.Offset();
        ++height_;
    }
    return 0;
}
