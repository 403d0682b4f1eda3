#include "nativeformat/NodeCache.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/LargePages.h"

namespace {

// What one node costs beside its bytes: its entry and its share of the index.
constexpr std::size_t kEntryCost = 32;
constexpr std::size_t kLargestRun = 1 << 20;
constexpr std::size_t kLine = 64;

// Scattered input finds its nodes anywhere in the cache: asking for every
// cache line of one at once costs one wait on memory instead of one a line.
void PrefetchLines(const std::uint8_t* bytes, std::size_t length) {
#if defined(__GNUC__)
    for (std::size_t at = 0; at < length; at += kLine) __builtin_prefetch(bytes + at);
    __builtin_prefetch(bytes + length - 1);
#else
    (void)bytes;
    (void)length;
#endif
}

}  // namespace

// ---------------------------------------------------------------------------
// Offset index: linear probing from the high bits of a Fibonacci hash (node
// offsets share their low bits), without tombstones.

std::size_t COffsetIndex::Home(std::uint32_t offset) const {
    return static_cast<std::size_t>((std::uint64_t{offset} * 0x9E3779B97F4A7C15u) >> shift_);
}

std::uint32_t COffsetIndex::Find(std::uint32_t offset) const {
    if (slots_.empty()) return kNone;
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = Home(offset);; i = (i + 1) & mask) {
        const Slot& slot = slots_[i];
        if (slot.value == kNone || slot.offset == offset) return slot.value;
    }
}

void COffsetIndex::Prefetch(std::uint32_t offset) const {
#if defined(__GNUC__)
    if (!slots_.empty()) __builtin_prefetch(&slots_[Home(offset)]);
#else
    (void)offset;
#endif
}

void COffsetIndex::Place(Slot slot) {
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = Home(slot.offset);
    while (slots_[i].value != kNone) i = (i + 1) & mask;
    slots_[i] = slot;
}

void COffsetIndex::Insert(std::uint32_t offset, std::uint32_t value) {
    if ((count_ + 1) * 2 > slots_.size()) {
        std::vector<Slot> old(std::max<std::size_t>(64, slots_.size() * 2), Slot{0, kNone});
        old.swap(slots_);
        shift_ = 64;
        for (std::size_t n = slots_.size(); n > 1; n /= 2) --shift_;
        for (const Slot& slot : old)
            if (slot.value != kNone) Place(slot);
    }
    Place({offset, value});
    ++count_;
}

void COffsetIndex::Erase(std::uint32_t offset) {
    const std::size_t mask = slots_.size() - 1;
    std::size_t gap = Home(offset);
    while (slots_[gap].offset != offset || slots_[gap].value == kNone) gap = (gap + 1) & mask;
    slots_[gap].value = kNone;
    --count_;
    // Later members of the probe run move back into the gap unless their
    // home lies after it.
    for (std::size_t i = (gap + 1) & mask; slots_[i].value != kNone; i = (i + 1) & mask) {
        const std::size_t home = Home(slots_[i].offset);
        const bool stays = gap < i ? (home > gap && home <= i) : (home > gap || home <= i);
        if (stays) continue;
        slots_[gap] = slots_[i];
        slots_[i].value = kNone;
        gap = i;
    }
}

void COffsetIndex::Clear() {
    slots_.clear();
    slots_.shrink_to_fit();
    count_ = 0;
    shift_ = 64;
}

// ---------------------------------------------------------------------------
// Node cache

void CNodeCache::Reset(std::size_t limitBytes, std::uint32_t nodeBytes) {
    nodeBytes_ = nodeBytes;
    chunkNodes_ = static_cast<std::uint32_t>(
        std::max<std::size_t>(1, kChunkBytes / std::max<std::uint32_t>(1, nodeBytes)));
    mostEntries_ = limitBytes / (nodeBytes + kEntryCost);
    maxEntries_ = std::min(mostEntries_, kStartBytes / (nodeBytes + kEntryCost));
    entries_.clear();
    entries_.shrink_to_fit();
    chunks_.clear();
    index_.Clear();
    pinned_.clear();
    hand_ = 0;
    aheadLength_ = 0;
}

bool CNodeCache::Read(std::uint32_t offset, std::uint32_t size, std::uint8_t* bytes) {
    const std::uint64_t end = std::uint64_t{offset} + size;
    if (aheadLength_ == 0 || offset < aheadStart_ || end > aheadStart_ + aheadLength_) {
        const bool near =
            aheadLength_ != 0 && offset >= aheadStart_ && end <= aheadStart_ + kReadAhead * 2;
        const std::size_t want = near ? std::max<std::size_t>(kReadAhead, size) : size;
        ahead_.resize(std::max(ahead_.size(), want));
        aheadLength_ = 0;
        if (!file_.Seek(offset, CBinaryFile::kFromStart)) return false;
        const std::size_t got = file_.ReadUpTo(ahead_.data(), want);
        if (got < size) return false;
        aheadStart_ = offset;
        aheadLength_ = got;
    }
    std::memcpy(bytes, ahead_.data() + (offset - aheadStart_), size);
    return true;
}

bool CNodeCache::Write(std::uint32_t offset, const std::uint8_t* bytes, std::size_t length) {
    // What is read ahead must not hide what is written.
    if (aheadLength_ != 0 && offset < aheadStart_ + aheadLength_ &&
        aheadStart_ < std::uint64_t{offset} + length)
        aheadLength_ = 0;
    return file_.Seek(offset, CBinaryFile::kFromStart) && file_.WriteExactly(bytes, length);
}

const std::uint8_t* CNodeCache::Find(std::uint32_t offset, bool& leaf) {
    const std::uint32_t e = index_.Find(offset);
    if (e == kNone) return nullptr;
    const std::uint8_t* bytes = Bytes(e);
    PrefetchLines(bytes, nodeBytes_);
    leaf = entries_[e].leaf;
    Use(entries_[e]);
    return bytes;
}

void CNodeCache::Pin(std::uint32_t offset) {
    const std::uint32_t e = index_.Find(offset);
    if (e == kNone || entries_[e].pinned) return;
    entries_[e].pinned = true;
    pinned_.push_back(e);
}

std::uint32_t CNodeCache::Locate(std::uint32_t offset, std::uint32_t guess) const {
    // An entry holds the node its offset names until it is given another.
    return guess < entries_.size() && entries_[guess].offset == offset ? guess
                                                                       : index_.Find(offset);
}

const std::uint8_t* CNodeCache::FindPinned(std::uint32_t offset, bool& leaf, std::uint32_t& e) {
    e = Locate(offset, e);
    if (e == kNone) return nullptr;
    const std::uint8_t* bytes = Bytes(e);
    PrefetchLines(bytes, nodeBytes_);
    Entry& entry = entries_[e];
    leaf = entry.leaf;
    Use(entry);
    if (!entry.pinned) {
        entry.pinned = true;
        pinned_.push_back(e);
    }
    return bytes;
}

void CNodeCache::PrefetchHeld(std::uint32_t entry) const {
    if (entry >= entries_.size()) return;
    PrefetchLines(reinterpret_cast<const std::uint8_t*>(&entries_[entry]), sizeof(Entry));
    PrefetchLines(Bytes(entry), nodeBytes_);
}

std::uint8_t* CNodeCache::Change(std::uint32_t offset, std::uint32_t guess) {
    const std::uint32_t e = Locate(offset, guess);
    if (e == kNone) return nullptr;
    Use(entries_[e]);
    entries_[e].changed = true;
    return Bytes(e);
}

void CNodeCache::UnpinAll() {
    for (std::uint32_t e : pinned_) entries_[e].pinned = false;
    pinned_.clear();
}

bool CNodeCache::Put(std::uint32_t offset, std::uint32_t size, bool leaf, const std::uint8_t* bytes,
                     bool changed) {
    if (maxEntries_ == 0 || size > nodeBytes_) return !changed || Write(offset, bytes, size);
    // A node read again while the cache is full: room for a few more.
    if (!changed && entries_.size() == maxEntries_)
        maxEntries_ = std::min(mostEntries_, maxEntries_ + kGrowth);
    std::uint32_t e = index_.Find(offset);
    if (e == kNone) {
        if (!TakeEntry(e)) return false;
        index_.Insert(offset, e);
        entries_[e].offset = offset;
        entries_[e].changed = false;
    }
    Entry& entry = entries_[e];
    entry.size = size;
    entry.leaf = leaf;
    entry.changed = entry.changed || changed;
    Use(entry);
    std::memcpy(Bytes(e), bytes, size);
    return true;
}

bool CNodeCache::TakeEntry(std::uint32_t& entry) {
    // Past the bound only while every node held is pinned.
    if (entries_.size() < maxEntries_ || pinned_.size() >= entries_.size()) {
        entry = static_cast<std::uint32_t>(entries_.size());
        if (entry % chunkNodes_ == 0) chunks_.emplace_back(NewChunk(entry));
        entries_.emplace_back();
        return true;
    }
    const auto next = [this](std::uint32_t e) { return e + 1 == entries_.size() ? 0 : e + 1; };
    while (entries_[hand_].spared > 0 || entries_[hand_].pinned) {
        if (!entries_[hand_].pinned) --entries_[hand_].spared;
        hand_ = next(hand_);
    }
    entry = hand_;
    if (entries_[entry].changed) {
        // The next ones the hand reaches go with it, in file order.
        batch_.clear();
        std::uint32_t e = entry;
        for (std::size_t i = std::max<std::size_t>(1, entries_.size() / 8); i > 0; --i) {
            if (entries_[e].changed) batch_.push_back(e);
            e = next(e);
        }
        if (!WriteInOrder(batch_)) return false;
    }
    hand_ = next(hand_);
    index_.Erase(entries_[entry].offset);
    return true;
}

void CNodeCache::FreeChunk::operator()(std::uint8_t* chunk) const {
    platform::FreePages(chunk, length);
}

// Nodes of a large cache lie anywhere in many megabytes: large pages spare
// scattered input a page walk for nearly every node. Not the first chunk,
// which a small file does not fill, nor one the bound cuts short: memory is
// still taken only as nodes come. Chunks come from the system and go back to
// it when the cache is reset.
std::unique_ptr<std::uint8_t[], CNodeCache::FreeChunk> CNodeCache::NewChunk(
    std::uint32_t entry) const {
    const std::size_t bytes = std::size_t{nodeBytes_} * chunkNodes_ + kChunkBytes - 1;
    const std::size_t length = bytes - bytes % kChunkBytes;
    void* chunk = platform::AllocatePages(length, kChunkBytes);
    if (!chunk) throw std::bad_alloc();
    if (entry != 0 && entry + std::size_t{chunkNodes_} <= mostEntries_)
        platform::AdviseLargePages(chunk, length);
    return {static_cast<std::uint8_t*>(chunk), FreeChunk{length}};
}

bool CNodeCache::Flush() {
    batch_.clear();
    for (std::uint32_t e = 0; e < entries_.size(); ++e)
        if (entries_[e].changed) batch_.push_back(e);
    return WriteInOrder(batch_);
}

bool CNodeCache::WriteInOrder(std::vector<std::uint32_t>& entries) {
    std::sort(entries.begin(), entries.end(), [this](std::uint32_t a, std::uint32_t b) {
        return entries_[a].offset < entries_[b].offset;
    });
    for (std::size_t first = 0; first < entries.size();) {
        // A run of nodes that follow one another in the file.
        std::size_t last = first;
        std::size_t length = entries_[entries[first]].size;
        while (last + 1 < entries.size()) {
            const Entry& next = entries_[entries[last + 1]];
            const Entry& prev = entries_[entries[last]];
            if (next.offset != prev.offset + prev.size || length + next.size > kLargestRun) break;
            length += next.size;
            ++last;
        }
        const std::uint8_t* bytes = Bytes(entries[first]);
        if (last > first) {
            run_.resize(length);
            std::size_t at = 0;
            for (std::size_t i = first; i <= last; ++i) {
                const Entry& e = entries_[entries[i]];
                std::memcpy(run_.data() + at, Bytes(entries[i]), e.size);
                at += e.size;
            }
            bytes = run_.data();
        }
        if (!Write(entries_[entries[first]].offset, bytes, length)) return false;
        for (std::size_t i = first; i <= last; ++i) entries_[entries[i]].changed = false;
        first = last + 1;
    }
    return true;
}
