// Fixed-size nodes of an index file (the R-tree of the .sif, the B-tree of the
// .kif) behind one cache and one free-list allocator.
//
// Nodes live after the 512-byte header, each at 512 + a multiple of the
// greatest common divisor of the inner and leaf node sizes. A node is used
// through a Ref, which pins it among the decoded nodes until the Ref goes
// away; the least recently used unpinned one makes room for another, and its
// bytes go to the node cache beneath, which holds as many nodes as its bound
// of memory allows.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_set>
#include <utility>
#include <vector>

#include "common/ByteOrder.h"
#include "common/Status.h"
#include "nativeformat/BigEndian.h"
#include "nativeformat/BinaryFile.h"
#include "nativeformat/NodeCache.h"

// The statuses an index reports for node failures.
struct NodeStoreErrors {
    Status readError;
    Status writeError;
    Status invalidNodeOffset;
};

template <class Node>
class CNodeCodec {
public:
    virtual ~CNodeCodec() = default;
    virtual std::uint32_t NodeSize(bool leaf) const = 0;
    virtual void Decode(const std::uint8_t* bytes, bool leaf, Node& node) const = 0;
    // Fills all NodeSize(leaf) bytes; false, writing nothing, for a node that
    // holds more entries than they have room for.
    virtual bool Encode(const Node& node, bool leaf, std::uint8_t* bytes) const = 0;
};

template <class Node>
class CNodeStore {
    struct Slot;

public:
    // Decoded nodes unless the index asks for another number: enough for
    // the inner nodes that most descents pass; more only while every one is
    // pinned.
    static constexpr std::size_t kCacheSize = 256;
    static constexpr std::uint32_t kFirstNode = 512;
    static constexpr std::uint32_t kNotHeld = COffsetIndex::kNone;

    // A pinned node.
    class Ref {
    public:
        Ref() = default;
        Ref(const Ref&) = delete;
        Ref& operator=(const Ref&) = delete;
        Ref(Ref&& other) noexcept : slot_(std::exchange(other.slot_, nullptr)) {}
        Ref& operator=(Ref&& other) noexcept {
            if (this != &other) {
                Release();
                slot_ = std::exchange(other.slot_, nullptr);
            }
            return *this;
        }
        ~Ref() { Release(); }

        void Release() {
            if (slot_) --std::exchange(slot_, nullptr)->pins;
        }
        explicit operator bool() const { return slot_ != nullptr; }
        Node& operator*() const { return slot_->node; }
        Node* operator->() const { return &slot_->node; }
        std::uint32_t Offset() const { return slot_->offset; }
        void MarkDirty() const { slot_->dirty = true; }

    private:
        friend class CNodeStore;
        explicit Ref(Slot* slot) : slot_(slot) { ++slot_->pins; }
        Slot* slot_ = nullptr;
    };

    // `cacheBytes` bounds the memory of the node cache beneath the decoded
    // nodes; 0 writes every node evicted straight to the file.
    CNodeStore(CBinaryFile& file, const CNodeCodec<Node>& codec, NodeStoreErrors errors,
               std::size_t cacheBytes, std::size_t decodedNodes = kCacheSize)
        : file_(file),
          codec_(codec),
          errors_(errors),
          cacheBytes_(cacheBytes),
          decodedNodes_(decodedNodes),
          cache_(file) {}

    // Starts over with empty caches: the file ends at `end` and the free
    // lists start at the given heads. Node sizes are taken from the codec now.
    void Reset(std::uint32_t end, std::uint32_t freeInnerHead, std::uint32_t freeLeafHead) {
        slots_.clear();
        empty_.clear();
        index_.Clear();
        oldest_ = newest_ = nullptr;
        end_ = end;
        freeHeads_ = {freeInnerHead, freeLeafHead};
        innerSize_ = codec_.NodeSize(false);
        leafSize_ = codec_.NodeSize(true);
        grain_ = CBinaryFile::GreatestCommonDivisor(innerSize_, leafSize_);
        scratch_.assign(std::max(innerSize_, leafSize_), 0);
        cache_.Reset(cacheBytes_, std::max(innerSize_, leafSize_));
        reused_.clear();
        allocations_.clear();
    }

    // End of the file including nodes not yet written.
    std::uint32_t End() const { return end_; }
    std::uint32_t FreeHead(bool leaf) const { return freeHeads_[leaf]; }
    std::uint32_t NodeSize(bool leaf) const { return leaf ? leafSize_ : innerSize_; }

    // At least 512, on a node boundary and within the file.
    bool IsNodeOffset(std::uint32_t offset, bool leaf) const {
        return offset >= kFirstNode && (offset - kFirstNode) % grain_ == 0 &&
               std::uint64_t{offset} + NodeSize(leaf) <= end_;
    }

    // Pins the node at `offset` of the given level (0 = leaf). A node read
    // in `passing`, as a walk over the whole tree reads each once, is not
    // kept in the node cache.
    Status Fetch(std::uint32_t offset, int level, Ref& ref, bool passing = false) {
        ref.Release();
        const bool leaf = level == 0;
        if (!IsNodeOffset(offset, leaf)) return errors_.invalidNodeOffset;
        if (Slot* slot = Find(offset)) {
            // One node met at two levels, or as inner and leaf: a broken tree.
            if (slot->level != level) return errors_.invalidNodeOffset;
            Touch(*slot);
            ref = Ref(slot);
            return 0;
        }
        Slot* slot = nullptr;
        if (Status st = TakeSlot(slot)) return st;
        bool cachedLeaf = leaf;
        if (const std::uint8_t* bytes = cache_.Find(offset, cachedLeaf)) {
            if (cachedLeaf != leaf) {
                empty_.push_back(slot);
                return errors_.invalidNodeOffset;
            }
            codec_.Decode(bytes, leaf, slot->node);
        } else {
            Status st = 0;
            if (!cache_.Read(offset, NodeSize(leaf), scratch_.data()))
                st = errors_.readError;
            else if (!passing && !cache_.Put(offset, NodeSize(leaf), leaf, scratch_.data(), false))
                st = errors_.writeError;
            if (st) {
                empty_.push_back(slot);
                return st;
            }
            codec_.Decode(scratch_.data(), leaf, slot->node);
        }
        Occupy(*slot, offset, level, false);
        ref = Ref(slot);
        return 0;
    }

    // The bytes of the node at `offset` of the given level as the node cache
    // holds them, pinned there until UnpinBytes, to be changed in place with
    // ChangeBytes and without a Ref; null when the node is decoded (Fetch it
    // then) or no cache holds it. `held` is where the node cache may hold the
    // node, as an earlier PeekBytes set it (anything else is looked up); set
    // to where it does, kNotHeld when `bytes` is null.
    Status PeekBytes(std::uint32_t offset, int level, const std::uint8_t*& bytes,
                     std::uint32_t& held) {
        bytes = nullptr;
        const bool leaf = level == 0;
        if (!IsNodeOffset(offset, leaf)) return errors_.invalidNodeOffset;
        if (Find(offset)) {
            held = kNotHeld;
            return 0;
        }
        bool cachedLeaf = leaf;
        bytes = cache_.FindPinned(offset, cachedLeaf, held);
        if (!bytes) {
            if (!cache_.Read(offset, NodeSize(leaf), scratch_.data())) return errors_.readError;
            if (!cache_.Put(offset, NodeSize(leaf), leaf, scratch_.data(), false))
                return errors_.writeError;
            held = kNotHeld;
            bytes = cache_.FindPinned(offset, cachedLeaf, held);
        }
        if (cachedLeaf != leaf) {
            bytes = nullptr;
            return errors_.invalidNodeOffset;
        }
        if (!bytes) held = kNotHeld;
        return 0;
    }
    // Starts loading what PeekBytes of `offset` will look at first.
    void PrefetchBytes(std::uint32_t offset) const { cache_.Prefetch(offset); }
    // Starts loading the node that PeekBytes set `held` for.
    void PrefetchHeld(std::uint32_t held) const { cache_.PrefetchHeld(held); }
    // The offset of the node the node cache holds where `held` says; 0 when
    // none.
    std::uint32_t HeldOffset(std::uint32_t held) const { return cache_.HeldOffset(held); }
    std::uint8_t* ChangeBytes(std::uint32_t offset, std::uint32_t held) {
        return cache_.Change(offset, held);
    }
    void UnpinBytes() { cache_.UnpinAll(); }

    // Numbers every place a node may start, for marking nodes in a walk.
    std::uint32_t NodeNumber(std::uint32_t offset) const { return (offset - kFirstNode) / grain_; }

    // A new empty node of the given level, from its free list or appended at
    // the end of the file; pinned and to be written.
    Status Allocate(int level, Ref& ref) {
        ref.Release();
        const bool leaf = level == 0;
        std::uint32_t offset = freeHeads_[leaf];
        std::uint32_t next = 0;
        if (offset != 0) {
            // A free list that leaves the file, or comes back to a node it
            // gave out already, is broken.
            if (!IsNodeOffset(offset, leaf) || reused_.count(offset) || Find(offset) ||
                cache_.Holds(offset))
                return errors_.invalidNodeOffset;
            std::uint8_t link[4];
            if (!file_.Seek(offset, CBinaryFile::kFromStart) || !file_.ReadExactly(link, 4))
                return errors_.readError;
            next = byteorder::LoadU32Be(link);
        } else if (std::uint64_t{end_} + NodeSize(leaf) > 0xFFFFFFFFu) {
            return errors_.writeError;  // past what 32-bit node offsets reach
        }
        Slot* slot = nullptr;
        if (Status st = TakeSlot(slot)) return st;
        const bool fromFreeList = offset != 0;
        if (fromFreeList) {
            freeHeads_[leaf] = next;
            reused_.insert(offset);
        } else {
            offset = end_;
            end_ += NodeSize(leaf);
        }
        allocations_.push_back({offset, leaf, fromFreeList});
        slot->node = Node{};
        Occupy(*slot, offset, level, true);
        ref = Ref(slot);
        return 0;
    }

    // A change that allocates nodes begins here; UndoAllocations gives back
    // what it took, so that a change that fails part way takes nothing.
    void BeginChange() { allocations_.clear(); }
    // Every Ref to the nodes allocated since BeginChange must be gone.
    void UndoAllocations() {
        for (auto it = allocations_.rbegin(); it != allocations_.rend(); ++it) {
            if (Slot* slot = Find(it->offset)) Vacate(*slot);
            if (it->fromFreeList) {
                freeHeads_[it->leaf] = it->offset;
                reused_.erase(it->offset);
            } else {
                end_ -= NodeSize(it->leaf);
            }
        }
        allocations_.clear();
    }

    // Writes every changed node, in file order.
    Status Flush() {
        std::vector<Slot*> dirty;
        for (auto& slot : slots_)
            if (slot->offset != 0 && slot->dirty) dirty.push_back(slot.get());
        std::sort(dirty.begin(), dirty.end(),
                  [](const Slot* a, const Slot* b) { return a->offset < b->offset; });
        for (Slot* slot : dirty)
            if (Status st = WriteBack(*slot)) return st;
        return cache_.Flush() ? 0 : errors_.writeError;
    }

    // Writes every changed node and gives back the node cache's memory, for
    // a walk that reads the whole file: how much it gave back.
    Status WriteOutCache(std::size_t& freedBytes) {
        if (Status st = Flush()) return st;
        freedBytes = cache_.HeldBytes();
        cache_.Reset(cacheBytes_, std::max(innerSize_, leafSize_));
        return 0;
    }

private:
    struct Slot {
        std::uint32_t offset = 0;  // 0: empty
        int pins = 0;
        bool dirty = false;
        int level = 0;
        std::uint32_t id = 0;   // place in slots_
        Slot* older = nullptr;  // towards the least recently used
        Slot* newer = nullptr;
        Node node{};
    };

    Slot* Find(std::uint32_t offset) const {
        const std::uint32_t id = index_.Find(offset);
        return id == COffsetIndex::kNone ? nullptr : slots_[id].get();
    }

    void Link(Slot& slot) {
        slot.older = newest_;
        slot.newer = nullptr;
        (newest_ ? newest_->newer : oldest_) = &slot;
        newest_ = &slot;
    }
    void Unlink(Slot& slot) {
        (slot.older ? slot.older->newer : oldest_) = slot.newer;
        (slot.newer ? slot.newer->older : newest_) = slot.older;
    }
    void Touch(Slot& slot) {
        Unlink(slot);
        Link(slot);
    }

    void Occupy(Slot& slot, std::uint32_t offset, int level, bool dirty) {
        slot.offset = offset;
        slot.level = level;
        slot.dirty = dirty;
        slot.pins = 0;
        index_.Insert(offset, slot.id);
        Link(slot);
    }

    void Vacate(Slot& slot) {
        Unlink(slot);
        index_.Erase(slot.offset);
        slot.offset = 0;
        slot.dirty = false;
        empty_.push_back(&slot);
    }

    // An empty slot, else the least recently used unpinned one, written back
    // first when changed.
    Status TakeSlot(Slot*& out) {
        if (empty_.empty()) {
            Slot* victim = oldest_;
            while (victim && victim->pins > 0) victim = victim->newer;
            if (slots_.size() < decodedNodes_ || !victim) {
                // Room to grow, or every node pinned by a change that holds a
                // path deeper than the cache.
                slots_.push_back(std::make_unique<Slot>());
                slots_.back()->id = static_cast<std::uint32_t>(slots_.size() - 1);
                empty_.push_back(slots_.back().get());
            } else {
                if (victim->dirty) {
                    if (Status st = WriteBack(*victim)) return st;
                }
                Vacate(*victim);
            }
        }
        out = empty_.back();
        empty_.pop_back();
        return 0;
    }

    // Into the node cache, which writes it to the file in its time.
    Status WriteBack(Slot& slot) {
        const bool leaf = slot.level == 0;
        if (!codec_.Encode(slot.node, leaf, scratch_.data()) ||
            !cache_.Put(slot.offset, NodeSize(leaf), leaf, scratch_.data(), true))
            return errors_.writeError;
        slot.dirty = false;
        return 0;
    }

    struct Allocation {
        std::uint32_t offset;
        bool leaf;
        bool fromFreeList;
    };

    CBinaryFile& file_;
    const CNodeCodec<Node>& codec_;
    NodeStoreErrors errors_;
    std::size_t cacheBytes_;
    std::size_t decodedNodes_;
    CNodeCache cache_;
    std::vector<std::unique_ptr<Slot>> slots_;
    std::vector<Slot*> empty_;
    COffsetIndex index_;
    Slot* oldest_ = nullptr;
    Slot* newest_ = nullptr;
    std::uint32_t end_ = kFirstNode;
    std::array<std::uint32_t, 2> freeHeads_{};  // inner, leaf
    std::uint32_t innerSize_ = 1;
    std::uint32_t leafSize_ = 1;
    std::uint32_t grain_ = 1;
    std::vector<std::uint8_t> scratch_;
    std::unordered_set<std::uint32_t> reused_;  // nodes taken from the free lists
    std::vector<Allocation> allocations_;       // since BeginChange
};
