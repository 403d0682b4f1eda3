#include "nativeformat/KeyIndexFile.h"

#include <algorithm>
#include <cstring>

#include "common/ByteOrder.h"

namespace {

constexpr IndexFileFormat kFormat{.magic = 0x414B4946,  // "AKIF"
                                  .version = 1,
                                  .versionAt = 4,
                                  .heightAt = 10,
                                  .rootAt = 12,
                                  .cacheBytes = 8u << 20,
                                  .decodedNodes = CNodeStore<KeyIndexNode>::kCacheSize,
                                  .openFailed = kKifOpenFailed,
                                  .readError = kKifReadError,
                                  .writeError = kKifWriteError,
                                  .invalidFormat = kKifInvalidFormat,
                                  .invalidVersion = kKifInvalidVersion,
                                  .invalidNodeOffset = kKifInvalidNodeOffset};

}  // namespace

// ---------------------------------------------------------------------------
// Node layout: C keys of K bytes, C record offsets and, in an inner node,
// C + 1 child offsets; slots past the node's entries are zero.

std::uint32_t CKeyIndexFile::NodeSize(bool leaf) const {
    const auto c = static_cast<std::uint32_t>(capacity_);
    const auto k = static_cast<std::uint32_t>(keyLength_);
    return leaf ? (k + 4) * c : (k + 8) * c + 4;
}

void CKeyIndexFile::Decode(const std::uint8_t* bytes, bool leaf, Node& node) const {
    const int c = capacity_;
    const std::size_t k = static_cast<std::size_t>(keyLength_);
    const std::uint8_t* offsets = bytes + k * c;
    node.count = 0;
    for (int i = 0; i < c; ++i) {
        node.offsets[i] = byteorder::LoadU32Be(offsets + 4 * i);
        if (node.offsets[i] != 0) ++node.count;
    }
    std::memcpy(node.keys, bytes, k * c);
    if (!leaf) {
        const std::uint8_t* children = offsets + 4 * c;
        for (int i = 0; i <= c; ++i) node.children[i] = byteorder::LoadU32Be(children + 4 * i);
    }
}

bool CKeyIndexFile::Encode(const Node& node, bool leaf, std::uint8_t* bytes) const {
    const int c = capacity_;
    if (node.count > c) return false;
    const std::size_t k = static_cast<std::size_t>(keyLength_);
    const auto n = static_cast<std::size_t>(node.count);
    const auto rest = static_cast<std::size_t>(c) - n;
    // Zeros past the entries.
    std::memcpy(bytes, node.keys, k * n);
    std::memset(bytes + k * n, 0, k * rest);
    std::uint8_t* offsets = bytes + k * c;
    for (std::size_t i = 0; i < n; ++i) byteorder::StoreU32Be(node.offsets[i], offsets + 4 * i);
    std::memset(offsets + 4 * n, 0, 4 * rest);
    if (!leaf) {
        std::uint8_t* children = offsets + 4 * c;
        for (std::size_t i = 0; i <= n; ++i)
            byteorder::StoreU32Be(node.children[i], children + 4 * i);
        std::memset(children + 4 * (n + 1), 0, 4 * rest);
    }
    return true;
}

// ---------------------------------------------------------------------------
// Header: the node capacity and the key length

Status CKeyIndexFile::ReadParameters(const std::uint8_t* header) {
    capacity_ = byteorder::LoadU16Be(header + 6);
    keyLength_ = byteorder::LoadU16Be(header + 8);
    if (capacity_ < 2 || capacity_ > kMaxCapacity || keyLength_ < 1 || keyLength_ > kMaxKeyLength)
        return kKifInvalidFormat;
    return 0;
}

void CKeyIndexFile::WriteParameters(std::uint8_t* header) const {
    byteorder::StoreU16Be(static_cast<std::uint16_t>(capacity_), header + 6);
    byteorder::StoreU16Be(static_cast<std::uint16_t>(keyLength_), header + 8);
}

CKeyIndexFile::CKeyIndexFile(const std::string& name, int flags, Status& status)
    : CIndexFile(kFormat) {
    status = Open(name, flags);
}

CKeyIndexFile::~CKeyIndexFile() {
    Close();
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

// A node's entries are in order of key, then of record offset: the first one
// not before the new entry is found by halving.
int CKeyIndexFile::Position(const Node& node, std::uint32_t offset, bool& equal) const {
    const std::size_t k = static_cast<std::size_t>(keyLength_);
    auto compare = [&](int i) {
        // Byte order is character order in UTF-8.
        const int c = std::memcmp(node.keys + k * i, key_, k);
        if (c != 0) return c;
        return node.offsets[i] < offset ? -1 : (node.offsets[i] > offset ? 1 : 0);
    };
    int first = 0;
    int last = node.count;
    while (first < last) {
        const int middle = first + (last - first) / 2;
        if (compare(middle) < 0)
            first = middle + 1;
        else
            last = middle;
    }
    equal = first < node.count && compare(first) == 0;
    return first;
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
// go to the new node `right`, the middle one is left in key_/promoted_.
void CKeyIndexFile::Split(Store::Ref& node, Store::Ref& right, bool leaf) {
    const int count = node->count;
    const int middle = count / 2;
    for (int i = middle + 1; i < count; ++i) MoveEntry(*right, i - middle - 1, *node, i);
    if (!leaf)
        for (int i = middle + 1; i <= count; ++i)
            right->children[i - middle - 1] = node->children[i];
    right->count = count - middle - 1;
    std::memcpy(key_, node->keys + static_cast<std::size_t>(keyLength_) * middle, keyLength_);
    promoted_ = node->offsets[middle];
    node->count = middle;
    node.MarkDirty();
    right.MarkDirty();
}

Status CKeyIndexFile::Insert(std::string_view key, std::uint32_t recordOffset) {
    if (status_ || !opened_) return status_;
    if (closed_ || recordOffset == 0) return kKifInvalidParameter;
    if (file_.IsReadOnly()) return kKifReadOnly;
    const std::size_t k = static_cast<std::size_t>(keyLength_);
    std::memset(key_, 0, sizeof key_);
    std::memcpy(key_, key.data(), bigendian::Utf8PrefixLength(key, k));

    if (height_ == 0) {
        Store::Ref root;
        if (Status st = GrowRoot(root)) return Fail(st);
    }
    // Whatever may fail comes first, so that a failure changes nothing.
    store_.BeginChange();
    Status st = Prepare(recordOffset);
    if (st == 0) Commit(recordOffset);
    path_.clear();
    levels_.clear();
    newRoot_.Release();
    if (st == kKifDuplicateObject) return st;
    if (st) {
        store_.UndoAllocations();
        return Fail(st);
    }
    ++featureCount_;
    return 0;
}

// Pins the path down to the leaf, then, for each level that will overflow,
// the siblings that may take entries or else the new node of its split (and
// a new root when the root splits).
Status CKeyIndexFile::Prepare(std::uint32_t recordOffset) {
    std::uint32_t offset = root_;
    for (int level = height_ - 1; level >= 0; --level) {
        Store::Ref node;
        if (Status st = store_.Fetch(offset, level, node)) return st;
        bool equal = false;
        const int position = Position(*node, recordOffset, equal);
        if (equal) return kKifDuplicateObject;
        if (level > 0) offset = node->children[position];
        path_.push_back({std::move(node), position});
    }
    if (path_.back().node->count > capacity_) return kKifInvalidNodeOffset;
    int count = path_.back().node->count + 1;
    for (int i = height_ - 1, level = 0; count > capacity_; --i, ++level) {
        levels_.emplace_back();
        Plan& plan = levels_.back();
        if (i == 0) {
            if (Status st = store_.Allocate(level, plan.split)) return st;
            return store_.Allocate(level + 1, newRoot_);
        }
        const Node& parent = *path_[i - 1].node;
        const int at = path_[i - 1].position;
        if (at > 0) {
            if (Status st = store_.Fetch(parent.children[at - 1], level, plan.left)) return st;
        }
        if (at < parent.count) {
            if (Status st = store_.Fetch(parent.children[at + 1], level, plan.right)) return st;
        }
        if ((plan.left && plan.left->count < capacity_) ||
            (plan.right && plan.right->count < capacity_))
            return 0;
        plan.left.Release();
        plan.right.Release();
        if (Status st = store_.Allocate(level, plan.split)) return st;
        count = parent.count + 1;
    }
    return 0;
}

// Inserts the entry into the pinned leaf; an overflowing node gives entries
// to a sibling with room, else splits and hands its middle entry up.
void CKeyIndexFile::Commit(std::uint32_t recordOffset) {
    const std::size_t k = static_cast<std::size_t>(keyLength_);
    Store::Ref* node = &path_.back().node;
    const int position = path_.back().position;
    OpenSlot(**node, position, k, true);
    std::memcpy((*node)->keys + k * position, key_, k);
    (*node)->offsets[position] = recordOffset;
    node->MarkDirty();

    int level = 0;
    for (int i = height_ - 1; i > 0 && (*node)->count > capacity_; --i, ++level) {
        const bool leaf = level == 0;
        Store::Ref& parent = path_[i - 1].node;
        const int at = path_[i - 1].position;
        Plan& plan = levels_[level];
        const bool leftRoom = plan.left && plan.left->count < capacity_;
        const bool rightRoom = plan.right && plan.right->count < capacity_;
        if (leftRoom || rightRoom) {
            const bool toLeft = leftRoom && (!rightRoom || plan.left->count <= plan.right->count);
            Store::Ref& sibling = toLeft ? plan.left : plan.right;
            Redistribute(*parent, at, **node, *sibling, toLeft, leaf);
            sibling.MarkDirty();
            parent.MarkDirty();
            node->MarkDirty();
            return;
        }
        Split(*node, plan.split, leaf);
        OpenSlot(*parent, at, k, false);
        std::memcpy(parent->keys + k * at, key_, k);
        parent->offsets[at] = promoted_;
        parent->children[at + 1] = plan.split.Offset();
        parent.MarkDirty();
        node = &parent;
    }
    if ((*node)->count > capacity_) {
        // The root split: a new root holds the middle entry.
        Store::Ref& right = levels_[level].split;
        Split(*node, right, level == 0);
        Node& root = *newRoot_;
        root.count = 1;
        std::memcpy(root.keys, key_, k);
        root.offsets[0] = promoted_;
        root.children[0] = node->Offset();
        root.children[1] = right.Offset();
        newRoot_.MarkDirty();
        root_ = newRoot_.Offset();
        ++height_;
    }
}
