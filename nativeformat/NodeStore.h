// Fixed-size nodes of an index file (the R-tree of the .sif, the B-tree of the
// .kif) behind one cache of 30 nodes and one free-list allocator.
//
// Nodes live after the 512-byte header, each at 512 + a multiple of the
// greatest common divisor of the inner and leaf node sizes. A node is used
// through a Ref, which pins it in the cache until the Ref goes away; the
// least recently used unpinned node (the lower level first among equal
// stamps) makes room for another, written back first when it was changed.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <unordered_set>
#include <utility>
#include <vector>

#include "common/ByteOrder.h"
#include "common/Status.h"
#include "nativeformat/BigEndian.h"
#include "nativeformat/BinaryFile.h"

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
    // Fills all NodeSize(leaf) bytes.
    virtual void Encode(const Node& node, bool leaf, std::uint8_t* bytes) const = 0;
};

template <class Node>
class CNodeStore {
    struct Slot;

public:
    static constexpr int kCacheSize = 30;
    static constexpr std::uint32_t kFirstNode = 512;

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

    CNodeStore(CBinaryFile& file, const CNodeCodec<Node>& codec, NodeStoreErrors errors)
        : file_(file), codec_(codec), errors_(errors) {
        for (auto& slot : slots_) slot = std::make_unique<Slot>();
    }

    // Starts over with an empty cache: the file ends at `end` and the free
    // lists start at the given heads. Node sizes are taken from the codec now.
    void Reset(std::uint32_t end, std::uint32_t freeInnerHead, std::uint32_t freeLeafHead) {
        for (auto& slot : slots_) *slot = Slot{};
        end_ = end;
        freeHeads_ = {freeInnerHead, freeLeafHead};
        innerSize_ = codec_.NodeSize(false);
        leafSize_ = codec_.NodeSize(true);
        grain_ = CBinaryFile::GreatestCommonDivisor(innerSize_, leafSize_);
        scratch_.assign(std::max(innerSize_, leafSize_), 0);
        reused_.clear();
        counter_ = 0;
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

    // Pins the node at `offset` of the given level (0 = leaf).
    Status Fetch(std::uint32_t offset, int level, Ref& ref) {
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
        if (!file_.Seek(offset, CBinaryFile::kFromStart) ||
            !file_.ReadExactly(scratch_.data(), NodeSize(leaf)))
            return errors_.readError;
        codec_.Decode(scratch_.data(), leaf, slot->node);
        Occupy(*slot, offset, level, false);
        ref = Ref(slot);
        return 0;
    }

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
            if (!IsNodeOffset(offset, leaf) || reused_.count(offset) || Find(offset))
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
        if (offset != 0) {
            freeHeads_[leaf] = next;
            reused_.insert(offset);
        } else {
            offset = end_;
            end_ += NodeSize(leaf);
        }
        slot->node = Node{};
        Occupy(*slot, offset, level, true);
        ref = Ref(slot);
        return 0;
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
        return 0;
    }

private:
    struct Slot {
        std::uint32_t offset = 0;  // 0: empty
        int pins = 0;
        std::uint32_t stamp = 0;
        bool dirty = false;
        int level = 0;
        Node node{};
    };

    Slot* Find(std::uint32_t offset) const {
        for (const auto& slot : slots_)
            if (slot->offset == offset) return slot.get();
        return nullptr;
    }

    void Touch(Slot& slot) {
        if (counter_ == 0xFFFFFFFFu) {
            // Keep the order of the stamps when the counter runs out.
            std::uint32_t smallest = counter_;
            for (const auto& s : slots_)
                if (s->offset != 0) smallest = std::min(smallest, s->stamp);
            for (auto& s : slots_)
                if (s->offset != 0) s->stamp -= smallest;
            counter_ -= smallest;
        }
        slot.stamp = ++counter_;
    }

    void Occupy(Slot& slot, std::uint32_t offset, int level, bool dirty) {
        slot.offset = offset;
        slot.level = level;
        slot.dirty = dirty;
        slot.pins = 0;
        Touch(slot);
    }

    // An empty slot, else the unpinned one of the smallest stamp (the lower
    // level among equal stamps), written back first when changed.
    Status TakeSlot(Slot*& out) {
        Slot* victim = nullptr;
        for (auto& slot : slots_) {
            Slot* s = slot.get();
            if (s->offset == 0) {
                victim = s;
                break;
            }
            if (s->pins > 0) continue;
            if (!victim || s->stamp < victim->stamp ||
                (s->stamp == victim->stamp && s->level < victim->level))
                victim = s;
        }
        if (!victim) return errors_.readError;  // every node pinned: a walk deeper than the cache
        if (victim->offset != 0 && victim->dirty) {
            if (Status st = WriteBack(*victim)) return st;
        }
        victim->offset = 0;
        out = victim;
        return 0;
    }

    Status WriteBack(Slot& slot) {
        const bool leaf = slot.level == 0;
        codec_.Encode(slot.node, leaf, scratch_.data());
        if (!file_.Seek(slot.offset, CBinaryFile::kFromStart) ||
            !file_.WriteExactly(scratch_.data(), NodeSize(leaf)))
            return errors_.writeError;
        slot.dirty = false;
        return 0;
    }

    CBinaryFile& file_;
    const CNodeCodec<Node>& codec_;
    NodeStoreErrors errors_;
    std::array<std::unique_ptr<Slot>, kCacheSize> slots_;
    std::uint32_t counter_ = 0;
    std::uint32_t end_ = kFirstNode;
    std::array<std::uint32_t, 2> freeHeads_{};  // inner, leaf
    std::uint32_t innerSize_ = 1;
    std::uint32_t leafSize_ = 1;
    std::uint32_t grain_ = 1;
    std::vector<std::uint8_t> scratch_;
    std::unordered_set<std::uint32_t> reused_;  // nodes taken from the free lists
};
