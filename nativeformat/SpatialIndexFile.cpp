#include "nativeformat/SpatialIndexFile.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "common/ByteOrder.h"

namespace {

// A descent goes through a decoded node without converting its boxes or
// looking up its children ahead: 1024 decoded nodes (2 MiB) hold the upper
// levels of a tree of millions of points, which every insert passes.
constexpr IndexFileFormat kFormat{.magic = 0x41534946,  // "ASIF"
                                  .version = 2,
                                  .versionAt = 6,
                                  .heightAt = 12,
                                  .rootAt = 16,
                                  .cacheBytes = 40u << 20,
                                  .decodedNodes = 1024,
                                  .openFailed = kSifOpenFailed,
                                  .readError = kSifReadError,
                                  .writeError = kSifWriteError,
                                  .invalidFormat = kSifInvalidFormat,
                                  .invalidVersion = kSifInvalidVersion,
                                  .invalidNodeOffset = kSifInvalidNodeOffset};

}  // namespace

// ---------------------------------------------------------------------------
// Node layout: M child or record offsets, M boxes of four coordinates and, in
// a leaf, M record types; slots past the node's entries are zero.

std::uint32_t CSpatialIndexFile::NodeSize(bool leaf) const {
    const std::uint32_t m = static_cast<std::uint32_t>(maxEntries_);
    const std::uint32_t inner = 4 * m * (static_cast<std::uint32_t>(precision_) / 8 + 1);
    return leaf ? inner + 2 * m : inner;
}

void CSpatialIndexFile::Decode(const std::uint8_t* bytes, bool leaf, Node& node) const {
    const int m = maxEntries_;
    const int b = precision_ / 8;
    const std::uint8_t* boxes = bytes + 4 * m;
    const std::uint8_t* types = boxes + 4 * b * m;
    node.count = 0;
    for (int i = 0; i < m; ++i) {
        const std::uint32_t offset = byteorder::LoadU32Be(bytes + 4 * i);
        if (offset == 0) continue;
        const std::uint8_t* box = boxes + 4 * b * i;
        const int bits = precision_;
        node.offsets[node.count] = offset;
        node.boxes[node.count] = {bigendian::GetReal(box, bits), bigendian::GetReal(box + b, bits),
                                  bigendian::GetReal(box + 2 * b, bits),
                                  bigendian::GetReal(box + 3 * b, bits)};
        node.types[node.count] = leaf ? byteorder::LoadU16Be(types + 2 * i) : 0;
        ++node.count;
    }
}

bool CSpatialIndexFile::Encode(const Node& node, bool leaf, std::uint8_t* bytes) const {
    const int m = maxEntries_;
    if (node.count > m) return false;
    const int b = precision_ / 8;
    std::uint8_t* boxes = bytes + 4 * m;
    std::uint8_t* types = boxes + 4 * b * m;
    for (int i = 0; i < node.count; ++i) {
        byteorder::StoreU32Be(node.offsets[i], bytes + 4 * i);
        std::uint8_t* box = boxes + 4 * b * i;
        const Box& v = node.boxes[i];
        const int bits = precision_;
        bigendian::PutReal(v.minX, bits, box);
        bigendian::PutReal(v.minY, bits, box + b);
        bigendian::PutReal(v.maxX, bits, box + 2 * b);
        bigendian::PutReal(v.maxY, bits, box + 3 * b);
        if (leaf) byteorder::StoreU16Be(node.types[i], types + 2 * i);
    }
    // Zeros past the entries.
    const auto rest = static_cast<std::size_t>(m - node.count);
    std::memset(bytes + 4 * node.count, 0, 4 * rest);
    std::memset(boxes + 4 * b * node.count, 0, 4 * b * rest);
    if (leaf) std::memset(types + 2 * node.count, 0, 2 * rest);
    return true;
}

// ---------------------------------------------------------------------------
// Header: the entry limits and the precision of the boxes

Status CSpatialIndexFile::ReadParameters(const std::uint8_t* header) {
    minEntries_ = byteorder::LoadU16Be(header + 8);
    maxEntries_ = byteorder::LoadU16Be(header + 10);
    precision_ = byteorder::LoadU16Be(header + 14);
    if (maxEntries_ < 2 || maxEntries_ > kMaxEntriesLimit || minEntries_ > maxEntries_ / 2)
        return kSifInvalidFormat;
    if (precision_ != 32 && precision_ != 64) return kSifInvalidFormat;
    return 0;
}

void CSpatialIndexFile::WriteParameters(std::uint8_t* header) const {
    byteorder::StoreU16Be(static_cast<std::uint16_t>(minEntries_), header + 8);
    byteorder::StoreU16Be(static_cast<std::uint16_t>(maxEntries_), header + 10);
    byteorder::StoreU16Be(static_cast<std::uint16_t>(precision_), header + 14);
}

CSpatialIndexFile::CSpatialIndexFile(const std::string& name, int flags, Status& status)
    : CIndexFile(kFormat) {
    status = Open(name, flags);
}

CSpatialIndexFile::~CSpatialIndexFile() {
    Close();
}

Status CSpatialIndexFile::SetPrecision(int precision) {
    if (precision != 32 && precision != 64) return kSifInvalidParameter;
    if (!CanConfigure() || pending_) return status_;
    precision_ = precision;
    return Reconfigure();
}

Status CSpatialIndexFile::SetEntryLimits(int maximum, int minimum) {
    if (maximum < 2 || maximum > kMaxEntriesLimit || minimum < 0 || minimum > maximum / 2)
        return kSifInvalidParameter;
    if (!CanConfigure() || pending_) return status_;
    maxEntries_ = maximum;
    minEntries_ = minimum;
    return Reconfigure();
}

// ---------------------------------------------------------------------------
// Boxes

namespace {

template <class Box>
double Area(const Box& b) {
    return (b.maxX - b.minX) * (b.maxY - b.minY);
}

template <class Box>
Box Union(const Box& a, const Box& b) {
    return {std::min(a.minX, b.minX), std::min(a.minY, b.minY), std::max(a.maxX, b.maxX),
            std::max(a.maxY, b.maxY)};
}

}  // namespace

CSpatialIndexFile::Box CSpatialIndexFile::Cover(const Node& node) {
    Box cover{HUGE_VAL, HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    for (int i = 0; i < node.count; ++i) cover = Union(cover, node.boxes[i]);
    return cover;
}

// Boxes are kept as the file stores them, so that covers computed in memory
// equal covers of what is read back.
CSpatialIndexFile::Box CSpatialIndexFile::Quantize(const Box& box) const {
    if (precision_ != 32) return box;
    auto f = [](double v) { return static_cast<double>(static_cast<float>(v)); };
    return {f(box.minX), f(box.minY), f(box.maxX), f(box.maxY)};
}

// ---------------------------------------------------------------------------
// Insertion

Status CSpatialIndexFile::Insert(std::uint16_t recordType, const double extent[4],
                                 std::uint32_t recordOffset) {
    if (status_ || !opened_) return status_;
    if (closed_) return kSifInvalidParameter;
    if (file_.IsReadOnly()) return kSifReadOnly;
    if (!extent || recordOffset == 0 || recordType > 5) return kSifInvalidParameter;
    const Box box = Quantize({extent[0], extent[1], extent[2], extent[3]});
    if (!std::isfinite(box.minX) || !std::isfinite(box.minY) || !std::isfinite(box.maxX) ||
        !std::isfinite(box.maxY) || box.minX > box.maxX || box.minY > box.maxY)
        return kSifInvalidParameter;

    memo_.See((box.minX + box.maxX) / 2, (box.minY + box.maxY) / 2);
    Pending next{recordType, box, recordOffset, CellOf(box), {}};
    // What the memo says of this insert loads while the last one goes in,
    // and its nodes while the caller makes the next.
    memo_.Prefetch(next.cell);
    if (pending_) {
        if (Status st = Apply()) return st;
    }
    next.path = memo_.Find(next.cell);
    for (std::uint32_t held : next.path.held) store_.PrefetchHeld(held);
    pending_ = next;
    ++featureCount_;
    return 0;
}

void CSpatialIndexFile::Anticipate(const double extent[4]) {
    if (extent) memo_.Prefetch(CellOf(Quantize({extent[0], extent[1], extent[2], extent[3]})));
}

std::uint64_t CSpatialIndexFile::CellOf(const Box& box) const {
    return memo_.Cell((box.minX + box.maxX) / 2, (box.minY + box.maxY) / 2);
}

Status CSpatialIndexFile::Settle() {
    if (pending_ && !status_) Apply();
    return status_;
}

Status CSpatialIndexFile::Apply() {
    const Pending insert = *pending_;
    pending_.reset();
    Status st = 0;
    if (height_ == 0) {
        Store::Ref root;
        st = GrowRoot(root);
    }
    if (st == 0) {
        // Whatever may fail comes first, so that a failure changes nothing.
        store_.BeginChange();
        st = Prepare(insert);
        if (st == 0) Commit(insert.recordType, insert.box, insert.recordOffset);
        path_.clear();
        siblings_.clear();
        newRoot_.Release();
        store_.UnpinBytes();
        if (st) store_.UndoAllocations();
    }
    if (st) {
        --featureCount_;
        return Fail(st);
    }
    return 0;
}

int CSpatialIndexFile::CountEntries(const std::uint8_t* bytes) const {
    // Entries fill the slots from the first on. A mask of the slots in use
    // gives their count and shows a gap before one, with no branch per slot,
    // where the first empty one is anywhere.
    static_assert(kMaxEntriesLimit < 64);
    std::uint64_t used = 0;
    int count = 0;
    for (int i = 0; i < maxEntries_; ++i) {
        std::uint32_t offset;
        std::memcpy(&offset, bytes + 4 * i, 4);
        used |= std::uint64_t{offset != 0} << i;
        count += offset != 0;
    }
    return (used & (used + 1)) == 0 ? count : -1;
}

namespace {

// Whether `child` is among the `count` children whose offsets start `bytes`.
bool HoldsChild(const std::uint8_t* bytes, int count, std::uint32_t child) {
    if (child == 0) return false;
    // Compared as stored: no conversion per entry.
    std::uint8_t stored[4];
    byteorder::StoreU32Be(child, stored);
    bool found = false;
    for (int i = 0; i < count; ++i) found |= std::memcmp(bytes + 4 * i, stored, 4) == 0;
    return found;
}

// The i-th of the boxes stored from `boxes` on as big-endian reals of type T.
template <class T>
SpatialIndexBox StoredBox(const std::uint8_t* boxes, int i) {
    const std::uint8_t* at = boxes + 4 * sizeof(T) * static_cast<std::size_t>(i);
    auto get = [](const std::uint8_t* in) -> double {
        if constexpr (sizeof(T) == 4)
            return byteorder::LoadF32Be(in);
        else
            return byteorder::LoadF64Be(in);
    };
    return {get(at), get(at + sizeof(T)), get(at + 2 * sizeof(T)), get(at + 3 * sizeof(T))};
}

}  // namespace

CSpatialIndexFile::Box CSpatialIndexFile::BoxAt(const std::uint8_t* bytes, int i) const {
    const std::uint8_t* boxes = bytes + 4 * maxEntries_;
    return precision_ == 32 ? StoredBox<float>(boxes, i) : StoredBox<double>(boxes, i);
}

void CSpatialIndexFile::PutBox(const Box& box, std::uint8_t* bytes, int i) const {
    const int b = precision_ / 8;
    std::uint8_t* at = bytes + 4 * maxEntries_ + 4 * b * i;
    bigendian::PutReal(box.minX, precision_, at);
    bigendian::PutReal(box.minY, precision_, at + b);
    bigendian::PutReal(box.maxX, precision_, at + 2 * b);
    bigendian::PutReal(box.maxY, precision_, at + 3 * b);
}

namespace {

// `next` where `take` is all ones, `now` where it is zero: a choice the
// compiler cannot turn back into a branch, for comparisons of scattered
// boxes that no branch predictor foresees.
double Pick(std::uint64_t take, double now, double next) {
    return std::bit_cast<double>((std::bit_cast<std::uint64_t>(now) & ~take) |
                                 (std::bit_cast<std::uint64_t>(next) & take));
}
int Pick(std::uint64_t take, int now, int next) {
    return static_cast<int>((static_cast<std::uint64_t>(now) & ~take) |
                            (static_cast<std::uint64_t>(next) & take));
}
std::uint64_t Mask(bool condition) {
    return 0 - static_cast<std::uint64_t>(condition);
}

// The entry whose box grows least to take `box`, the one of least area among
// equals, the first among those; the first when overflowing areas make every
// enlargement NaN.
template <class BoxOf>
int LeastEnlargement(int count, const SpatialIndexBox& box, BoxOf boxOf) {
    int chosen = 0;
    double leastGrowth = HUGE_VAL;
    double leastArea = HUGE_VAL;
    for (int i = 0; i < count; ++i) {
        const SpatialIndexBox entry = boxOf(i);
        const double area = Area(Union(entry, box));
        const double growth = area - Area(entry);
        const std::uint64_t take =
            Mask((growth < leastGrowth) | ((growth == leastGrowth) & (area < leastArea)));
        chosen = Pick(take, chosen, i);
        leastGrowth = Pick(take, leastGrowth, growth);
        leastArea = Pick(take, leastArea, area);
    }
    return chosen;
}

}  // namespace

// The path down to a leaf, and the nodes the splits on the way up will need.
// An insert that splits nothing changes the nodes it can in place; one that
// splits works on decoded nodes throughout.
Status CSpatialIndexFile::Prepare(const Pending& insert) {
    const Box& box = insert.box;
    if (Status st = Descend(box, &insert.path)) return st;
    CPathMemo::Path held;
    for (int level = 0; level < std::min(height_, CPathMemo::kLevels); ++level)
        held.held[level] = path_[height_ - 1 - level].held;
    memo_.Remember(insert.cell, held);
    // Full nodes from the leaf up split, one new node each, in that order;
    // a full root also needs the root above it.
    int splits = 0;
    while (splits < height_ && path_[height_ - 1 - splits].count == maxEntries_) ++splits;
    if (splits == 0) return 0;
    path_.clear();
    store_.UnpinBytes();
    if (Status st = Descend(box, nullptr)) return st;
    for (int level = 0; level < splits; ++level) {
        siblings_.emplace_back();
        if (Status st = store_.Allocate(level, siblings_.back())) return st;
    }
    if (splits == height_) return store_.Allocate(height_, newRoot_);
    return 0;
}

// Down from the root through the entries that need the least enlargement.
Status CSpatialIndexFile::Descend(const Box& box, const CPathMemo::Path* hints) {
    static_assert(CPathMemo::kNone == Store::kNotHeld, "no hint is no entry");
    const auto hint = [hints](int level) {
        return hints && level < CPathMemo::kLevels ? hints->held[level] : Store::kNotHeld;
    };
    std::uint32_t offset = root_;
    for (int level = height_ - 1; level >= 0; --level) {
        const std::uint8_t* bytes = nullptr;
        std::uint32_t held = hint(level);
        if (hints) {
            if (Status st = store_.PeekBytes(offset, level, bytes, held)) return st;
        }
        Step step{{}, offset, bytes ? CountEntries(bytes) : -1, 0, held};
        const Node* node = nullptr;
        if (step.count < 0) {
            step.held = Store::kNotHeld;
            if (Status st = store_.Fetch(offset, level, step.node)) return st;
            node = &*step.node;
            step.count = node->count;
        }
        if (level > 0) {
            if (step.count == 0) return kSifInvalidNodeOffset;  // an empty inner node
            // Scattered input goes on to a child anywhere in the node cache:
            // unless the memo told where one of them is held, their lookups
            // load while the entries are weighed.
            if (!node && !HoldsChild(bytes, step.count, store_.HeldOffset(hint(level - 1))))
                for (int i = 0; i < step.count; ++i)
                    store_.PrefetchBytes(byteorder::LoadU32Be(bytes + 4 * i));
            if (node)
                step.chosen =
                    LeastEnlargement(step.count, box, [node](int i) { return node->boxes[i]; });
            else if (precision_ == 32)
                step.chosen =
                    LeastEnlargement(step.count, box, [boxes = bytes + 4 * maxEntries_](int i) {
                        return StoredBox<float>(boxes, i);
                    });
            else
                step.chosen =
                    LeastEnlargement(step.count, box, [boxes = bytes + 4 * maxEntries_](int i) {
                        return StoredBox<double>(boxes, i);
                    });
            offset =
                node ? node->offsets[step.chosen] : byteorder::LoadU32Be(bytes + 4 * step.chosen);
        } else if (step.count > maxEntries_) {
            return kSifInvalidNodeOffset;
        }
        path_.push_back(std::move(step));
    }
    return 0;
}

// Adds the entry to the leaf and carries the change up: widens each parent's
// entry, or replaces it by the two halves of a split child.
void CSpatialIndexFile::Commit(std::uint16_t recordType, const Box& box,
                               std::uint32_t recordOffset) {
    Store::Ref* node = &path_.back().node;
    Store::Ref* sibling = nullptr;
    if (!*node) {
        // As Encode lays out the entry; the slots after it stay zero.
        const Step& leaf = path_.back();
        const int m = maxEntries_, b = precision_ / 8;
        std::uint8_t* bytes = store_.ChangeBytes(leaf.offset, leaf.held);
        byteorder::StoreU32Be(recordOffset, bytes + 4 * leaf.count);
        PutBox(box, bytes, leaf.count);
        byteorder::StoreU16Be(recordType, bytes + 4 * m + 4 * b * m + 2 * leaf.count);
    } else {
        Node& leaf = **node;
        leaf.offsets[leaf.count] = recordOffset;
        leaf.boxes[leaf.count] = box;
        leaf.types[leaf.count] = recordType;
        ++leaf.count;
        node->MarkDirty();
        if (leaf.count > maxEntries_) {
            sibling = &siblings_[0];
            Split(*node, *sibling);
        }
    }
    for (int i = height_ - 2; i >= 0; --i) {
        const int level = height_ - 1 - i;
        Store::Ref& parent = path_[i].node;
        if (!parent) {
            // Only widened: nothing below it split.
            std::uint8_t* bytes = store_.ChangeBytes(path_[i].offset, path_[i].held);
            PutBox(Union(BoxAt(bytes, path_[i].chosen), box), bytes, path_[i].chosen);
            continue;
        }
        Box& entry = parent->boxes[path_[i].chosen];
        if (sibling) {
            entry = Cover(**node);
            parent->offsets[parent->count] = sibling->Offset();
            parent->boxes[parent->count] = Cover(**sibling);
            parent->types[parent->count] = 0;
            ++parent->count;
        } else {
            entry = Union(entry, box);
        }
        parent.MarkDirty();
        sibling = nullptr;
        node = &parent;
        if (parent->count > maxEntries_) {
            sibling = &siblings_[level];
            Split(*node, *sibling);
        }
    }
    if (sibling) {
        // The root split: a new root holds the two halves.
        Node& root = *newRoot_;
        root.count = 2;
        root.offsets[0] = node->Offset();
        root.boxes[0] = Cover(**node);
        root.offsets[1] = sibling->Offset();
        root.boxes[1] = Cover(**sibling);
        newRoot_.MarkDirty();
        root_ = newRoot_.Offset();
        ++height_;
    }
}

// Quadratic split of the maximum + 1 entries of `node`: the first group stays
// in it, the second goes to the new node `sibling`.
void CSpatialIndexFile::Split(Store::Ref& node, Store::Ref& sibling) {
    const Node all = *node;
    const int n = all.count;

    // Seeds: the pair that would waste the most area together.
    int seed1 = 0, seed2 = 1;
    double worst = -HUGE_VAL;
    double areas[kMaxEntriesLimit + 1];
    for (int i = 0; i < n; ++i) areas[i] = Area(all.boxes[i]);
    for (int i = 0; i < n; ++i) {
        for (int j = i + 1; j < n; ++j) {
            const double waste = Area(Union(all.boxes[i], all.boxes[j])) - areas[i] - areas[j];
            if (waste > worst) {
                worst = waste;
                seed1 = i;
                seed2 = j;
            }
        }
    }
    Node* groups[2] = {&*node, &*sibling};
    groups[0]->count = 0;
    groups[1]->count = 0;
    Box cover[2] = {all.boxes[seed1], all.boxes[seed2]};
    bool assigned[kMaxEntriesLimit + 1] = {};
    auto add = [&](int group, int e) {
        Node& g = *groups[group];
        g.offsets[g.count] = all.offsets[e];
        g.boxes[g.count] = all.boxes[e];
        g.types[g.count] = all.types[e];
        ++g.count;
        cover[group] = Union(cover[group], all.boxes[e]);
        assigned[e] = true;
    };
    add(0, seed1);
    add(1, seed2);
    for (int remaining = n - 2; remaining > 0; --remaining) {
        // A group that needs every remaining entry to reach the minimum gets them.
        for (int g = 0; g < 2; ++g) {
            if (groups[g]->count + remaining <= minEntries_) {
                for (int e = 0; e < n; ++e)
                    if (!assigned[e]) add(g, e);
                remaining = 0;
                break;
            }
        }
        if (remaining == 0) break;
        // Next: the entry with the strongest preference for one group.
        int next = -1;
        double strongest = -HUGE_VAL;
        double d[2] = {0, 0};
        const double coverArea[2] = {Area(cover[0]), Area(cover[1])};
        for (int e = 0; e < n; ++e) {
            if (assigned[e]) continue;
            // Taken when overflowing areas make every preference NaN.
            if (next < 0) next = e;
            const double d1 = Area(Union(cover[0], all.boxes[e])) - coverArea[0];
            const double d2 = Area(Union(cover[1], all.boxes[e])) - coverArea[1];
            if (std::fabs(d1 - d2) > strongest) {
                strongest = std::fabs(d1 - d2);
                next = e;
                d[0] = d1;
                d[1] = d2;
            }
        }
        int group = 1;
        if (d[0] < d[1])
            group = 0;
        else if (d[1] < d[0])
            group = 1;
        else if (Area(cover[0]) < Area(cover[1]))
            group = 0;
        else if (Area(cover[1]) < Area(cover[0]))
            group = 1;
        else if (groups[0]->count < groups[1]->count)
            group = 0;
        add(group, next);
    }
    for (Node* g : groups) {
        // Zero what the first group no longer holds.
        for (int i = g->count; i < n; ++i) {
            g->offsets[i] = 0;
            g->boxes[i] = {};
            g->types[i] = 0;
        }
    }
    node.MarkDirty();
    sibling.MarkDirty();
}

// ---------------------------------------------------------------------------
// Queries

Status CSpatialIndexFile::GetExtent(double extent[4]) {
    std::fill(extent, extent + 4, 0.0);
    if (status_ || !opened_ || closed_) return status_;
    if (Settle()) return status_;
    if (height_ == 0) return 0;
    Store::Ref root;
    if (Status st = store_.Fetch(root_, height_ - 1, root)) return Fail(st);
    if (root->count == 0) return 0;
    const Box cover = Cover(*root);
    extent[0] = cover.minX;
    extent[1] = cover.minY;
    extent[2] = cover.maxX;
    extent[3] = cover.maxY;
    return 0;
}

// Leaves lie all over a large file, and one read each would cost a call to
// the system for nearly every one: they are gathered in batches and read in
// file order, many to a read, once every changed node is in the file and the
// node cache's memory is free to hold a batch.
Status CSpatialIndexFile::CheckIntegrity() {
    if (status_ || !opened_ || closed_) return status_;
    if (Settle()) return status_;
    if (height_ == 0) return featureCount_ == 0 ? 0 : kSifBadFeatureCount;
    // A batch takes about the memory the node cache gives back.
    std::size_t freed = 0;
    if (Status st = store_.WriteOutCache(freed)) return Fail(st);
    const std::size_t batch =
        std::clamp(freed / sizeof(LeafVisit), kLeastLeafBatch, kLargestLeafBatch);
    struct Visit {
        std::uint32_t offset;
        int level;
        bool root;
        Box box;  // what the parent's entry says
    };
    std::vector<Visit> pending{{root_, height_ - 1, true, {}}};
    // One bit per place a node may start.
    std::vector<bool> seen(store_.NodeNumber(store_.End()) + 1);
    std::vector<LeafVisit> leaves;
    std::uint64_t leafEntries = 0;
    while (!pending.empty()) {
        const Visit v = pending.back();
        pending.pop_back();
        if (!store_.IsNodeOffset(v.offset, v.level == 0) || seen[store_.NodeNumber(v.offset)])
            return kSifInvalidNodeOffset;
        seen[store_.NodeNumber(v.offset)] = true;
        if (v.level == 0 && !v.root) {
            leaves.push_back({v.offset, v.box});
            if (leaves.size() == batch) {
                if (Status st = CheckLeaves(leaves, leafEntries)) return st;
                leaves.clear();
            }
            continue;
        }
        Store::Ref node;
        if (Status st = store_.Fetch(v.offset, v.level, node, true)) return st;
        if (!v.root) {
            if (Status st = CheckChild(*node, v.box)) return st;
        }
        if (v.level == 0) {  // a root that is a leaf
            leafEntries += static_cast<std::uint64_t>(node->count);
            continue;
        }
        for (int i = node->count - 1; i >= 0; --i)
            pending.push_back({node->offsets[i], v.level - 1, false, node->boxes[i]});
    }
    if (Status st = CheckLeaves(leaves, leafEntries)) return st;
    return leafEntries == featureCount_ ? 0 : kSifBadFeatureCount;
}

Status CSpatialIndexFile::CheckLeaves(std::vector<LeafVisit>& leaves, std::uint64_t& entries) {
    std::sort(leaves.begin(), leaves.end(),
              [](const LeafVisit& a, const LeafVisit& b) { return a.offset < b.offset; });
    const std::uint32_t size = NodeSize(true);
    std::vector<std::uint8_t> block;
    std::uint64_t blockStart = 0;
    Node node;
    for (std::size_t i = 0; i < leaves.size(); ++i) {
        const std::uint64_t at = leaves[i].offset;
        if (at < blockStart || at + size > blockStart + block.size()) {
            // One read for the leaves ahead within a block's reach.
            std::size_t last = i;
            while (last + 1 < leaves.size() && leaves[last + 1].offset + size - at <= kLeafBlock)
                ++last;
            block.resize(leaves[last].offset + size - at);
            if (!file_.Seek(static_cast<std::int64_t>(at), CBinaryFile::kFromStart) ||
                file_.ReadUpTo(block.data(), block.size()) != block.size())
                return kSifReadError;
            blockStart = at;
        }
        Decode(block.data() + (at - blockStart), true, node);
        if (Status st = CheckChild(node, leaves[i].box)) return st;
        entries += static_cast<std::uint64_t>(node.count);
    }
    return 0;
}

Status CSpatialIndexFile::CheckChild(const Node& node, const Box& box) const {
    if (node.count < minEntries_) return kSifNodeUnderflow;
    return Cover(node) == box ? 0 : kSifInvalidNodeExtent;
}
