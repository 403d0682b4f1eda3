// The nodes of an index file as the file holds them, beneath the node store's
// few decoded nodes: found in constant time, one pass of a clock hand choosing
// which to drop (a node used since the hand last passed is spared, an inner
// node, which many descents pass, three times), changed ones written back
// many at a time in file order, so that the system sees few and mostly
// ascending writes. The cache starts small and grows by a few nodes, up to
// its bound, for each node it must read again while full: input in order
// seldom comes back to old nodes and keeps it small, scattered input comes
// back everywhere and soon has the whole bound.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "nativeformat/BinaryFile.h"

// Node offsets to small numbers, by open addressing.
class COffsetIndex {
public:
    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

    std::uint32_t Find(std::uint32_t offset) const;
    // Starts loading where Find will look for `offset`.
    void Prefetch(std::uint32_t offset) const;
    // `offset` must not be held yet.
    void Insert(std::uint32_t offset, std::uint32_t value);
    // `offset` must be held.
    void Erase(std::uint32_t offset);
    void Clear();

private:
    struct Slot {
        std::uint32_t offset;
        std::uint32_t value;  // kNone: empty
    };
    std::size_t Home(std::uint32_t offset) const;
    void Place(Slot slot);

    std::vector<Slot> slots_;
    std::size_t count_ = 0;
    int shift_ = 64;
};

class CNodeCache {
public:
    explicit CNodeCache(CBinaryFile& file) : file_(file) {}
    CNodeCache(const CNodeCache&) = delete;
    CNodeCache& operator=(const CNodeCache&) = delete;

    // Forgets every node, changed ones too, giving back their memory, and
    // holds from now on at most `limitBytes` of nodes of up to `nodeBytes`
    // bytes each. Memory is taken as nodes come, so a small file costs little.
    void Reset(std::size_t limitBytes, std::uint32_t nodeBytes);

    // Reads the node at `offset` from the file. When reads come near one
    // another, as a walk over nodes written in turn does, each reads ahead
    // and serves the next ones.
    bool Read(std::uint32_t offset, std::uint32_t size, std::uint8_t* bytes);

    // The bytes of the node at `offset`, or null when they are not held;
    // `leaf` tells what kind of node they were put as.
    const std::uint8_t* Find(std::uint32_t offset, bool& leaf);
    // The same bytes to be changed in place: they are written back in time.
    // `entry` is a guess at where they are held, as for FindPinned.
    std::uint8_t* Change(std::uint32_t offset, std::uint32_t entry);
    // A pinned node stays held until Unpin; few at a time.
    void Pin(std::uint32_t offset);
    // Find and Pin in one lookup. `entry` is where the node may be held, as
    // an earlier find set it (anything else is looked up); set to where it
    // is held.
    const std::uint8_t* FindPinned(std::uint32_t offset, bool& leaf, std::uint32_t& entry);
    void UnpinAll();
    bool Holds(std::uint32_t offset) const { return index_.Find(offset) != kNone; }
    // The memory its nodes take now.
    std::size_t HeldBytes() const { return chunks_.size() * kChunkBytes; }
    // Starts loading what a lookup of `offset` touches first.
    void Prefetch(std::uint32_t offset) const { index_.Prefetch(offset); }
    // Starts loading the node held in `entry`, for a find given `entry`.
    void PrefetchHeld(std::uint32_t entry) const;
    // The offset of the node held in `entry`; 0 when none.
    std::uint32_t HeldOffset(std::uint32_t entry) const {
        return entry < entries_.size() ? entries_[entry].offset : 0;
    }

    // Takes a copy of the `size` bytes of the node at `offset`; `changed`
    // when the file does not hold them yet (they are written back before
    // they are dropped), else they were just read from it. Without room for
    // any node, changed bytes go straight to the file. False when a write
    // failed.
    bool Put(std::uint32_t offset, std::uint32_t size, bool leaf, const std::uint8_t* bytes,
             bool changed);

    // Writes every changed node, in file order.
    bool Flush();

private:
    static constexpr std::uint32_t kNone = COffsetIndex::kNone;
    // Node bytes come in chunks of one large page each.
    static constexpr std::size_t kChunkBytes = 2u << 20;
    static constexpr std::size_t kStartBytes = 1 << 20;
    static constexpr std::size_t kReadAhead = 64 * 1024;
    static constexpr std::size_t kGrowth = 8;  // nodes per node read again while full

    struct Entry {
        std::uint32_t offset = 0;
        std::uint32_t size = 0;
        std::uint8_t spared = 0;  // passes of the hand it still survives
        bool leaf = false;
        bool changed = false;
        bool pinned = false;
    };

    std::uint8_t* Bytes(std::uint32_t entry) const {
        return chunks_[entry / chunkNodes_].get() + (entry % chunkNodes_) * std::size_t{nodeBytes_};
    }
    void Use(Entry& entry) { entry.spared = entry.leaf ? 1 : 3; }
    // The entry that holds the node at `offset`, tried first at `guess`; kNone
    // when none does.
    std::uint32_t Locate(std::uint32_t offset, std::uint32_t guess) const;
    // An entry for a new node: a fresh one while the bound allows, else the
    // one the clock hand drops, written back first when changed.
    bool TakeEntry(std::uint32_t& entry);
    // Writes the changed ones among `entries`, in file order, adjacent nodes
    // in one write.
    bool WriteInOrder(std::vector<std::uint32_t>& entries);
    bool Write(std::uint32_t offset, const std::uint8_t* bytes, std::size_t length);

    CBinaryFile& file_;
    std::size_t maxEntries_ = 0;   // now
    std::size_t mostEntries_ = 0;  // at the bound
    std::uint32_t nodeBytes_ = 0;
    std::vector<Entry> entries_;
    struct FreeChunk {
        std::size_t length = 0;
        void operator()(std::uint8_t* chunk) const;
    };
    // A chunk for the nodes from `entry` on.
    std::unique_ptr<std::uint8_t[], FreeChunk> NewChunk(std::uint32_t entry) const;

    std::vector<std::unique_ptr<std::uint8_t[], FreeChunk>> chunks_;
    std::uint32_t chunkNodes_ = 1;
    COffsetIndex index_;
    std::uint32_t hand_ = 0;
    std::vector<std::uint32_t> batch_;
    std::vector<std::uint32_t> pinned_;
    std::vector<std::uint8_t> run_;  // adjacent nodes written together
    // File bytes from the last read on, kept while nothing writes over them.
    std::vector<std::uint8_t> ahead_;
    std::uint32_t aheadStart_ = 0;
    std::size_t aheadLength_ = 0;
};
