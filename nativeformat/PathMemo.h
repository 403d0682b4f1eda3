// Where the last insert near a place went: for each cell of a grid about two
// spacings of the inserted places wide, where the node cache held the nodes
// of the lowest levels of that insert's path. Scattered input comes back
// near an earlier insert long after its nodes have left the processor's
// caches; told where they are, an insert starts loading them before it
// weighs the levels above. Hints only: each is checked against the node it
// is taken for.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>

class CPathMemo {
public:
    static constexpr int kLevels = 3;
    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

    // Node cache entries by level, 0 the leaf; kNone where not known.
    struct Path {
        std::uint32_t held[kLevels] = {kNone, kNone, kNone};
    };

    CPathMemo() = default;
    ~CPathMemo();
    CPathMemo(const CPathMemo&) = delete;
    CPathMemo& operator=(const CPathMemo&) = delete;

    // The cell of the point (x, y) at the present scale. A caller that
    // anticipates an insert asks twice for the same point: the last answer
    // is kept.
    std::uint64_t Cell(double x, double y) const;
    // Starts loading what Find and Remember of `cell` read.
    void Prefetch(std::uint64_t cell) const;
    Path Find(std::uint64_t cell) const;
    void Remember(std::uint64_t cell, const Path& path);
    // A place an insert goes to: cells follow the spacing of the places.
    void See(double x, double y);

    // The size of a cell: a power of two.
    double CellSize() const;

private:
    struct Entry {
        std::uint32_t tag;  // 0: empty
        std::uint32_t held[kLevels];
    };
    // One cache line; the entry remembered last first.
    struct Bucket {
        Entry entries[4];
    };
    static constexpr std::size_t kBuckets = std::size_t{1} << 14;  // 1 MiB
    static constexpr long kPlacesPerScale = 4096;

    Bucket& BucketOf(std::uint64_t cell) const { return buckets_[cell & (kBuckets - 1)]; }
    static std::uint32_t TagOf(std::uint64_t cell) {
        return static_cast<std::uint32_t>(cell >> 32) | 1u;
    }

    // Taken when first remembered, from the system: pages that no cell
    // reaches cost nothing.
    Bucket* buckets_ = nullptr;
    int scale_ = 0;  // cells of 2^scale_
    struct LastCell {
        double x = std::numeric_limits<double>::quiet_NaN(), y = x;
        int scale = 0;
        std::uint64_t cell = 0;
    };
    mutable LastCell last_;
    double perCell_ = 1.0;
    double minX_ = HUGE_VAL, minY_ = HUGE_VAL, maxX_ = -HUGE_VAL, maxY_ = -HUGE_VAL;
    long seen_ = 0;
};
