#include "nativeformat/PathMemo.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <new>

#include "platform/LargePages.h"

namespace {

constexpr std::size_t kPage = 4096;

std::uint64_t Mix(std::uint64_t v) {
    v ^= v >> 33;
    v *= 0xFF51AFD7ED558CCDu;
    v ^= v >> 33;
    v *= 0xC4CEB9FE1A85EC53u;
    return v ^ (v >> 33);
}

// std::floor is a call into the C library where the processor lacks a
// rounding instruction. Beyond 2^52 every double is whole; NaN and infinities
// stay as they are.
double Floor(double v) {
    if (!(std::fabs(v) < 0x1p52)) return v;
    const double whole = static_cast<double>(static_cast<std::int64_t>(v));
    return whole > v ? whole - 1 : whole;
}

}  // namespace

CPathMemo::~CPathMemo() {
    platform::FreePages(buckets_, kBuckets * sizeof(Bucket));
}

double CPathMemo::CellSize() const {
    return std::ldexp(1.0, scale_);
}

std::uint64_t CPathMemo::Cell(double x, double y) const {
    if (x == last_.x && y == last_.y && scale_ == last_.scale) return last_.cell;
    // Whatever the coordinates, a cell is only a number to hash. Adding zero
    // makes -0 +0.
    const double cx = Floor(x * perCell_) + 0.0;
    const double cy = Floor(y * perCell_) + 0.0;
    last_ = {x, y, scale_,
             Mix(std::bit_cast<std::uint64_t>(cx) ^
                 std::rotl(Mix(std::bit_cast<std::uint64_t>(cy)), 17) ^
                 static_cast<std::uint64_t>(scale_ & 0xFFFF))};
    return last_.cell;
}

void CPathMemo::Prefetch([[maybe_unused]] std::uint64_t cell) const {
#if defined(__GNUC__)
    if (buckets_) __builtin_prefetch(&BucketOf(cell), 1);
#endif
}

CPathMemo::Path CPathMemo::Find(std::uint64_t cell) const {
    Path path;
    if (!buckets_) return path;
    const std::uint32_t tag = TagOf(cell);
    for (const Entry& entry : BucketOf(cell).entries) {
        if (entry.tag != tag) continue;
        std::copy(entry.held, entry.held + kLevels, path.held);
        break;
    }
    return path;
}

void CPathMemo::Remember(std::uint64_t cell, const Path& path) {
    if (!buckets_) {
        void* block = platform::AllocatePages(kBuckets * sizeof(Bucket), kPage);
        if (!block) throw std::bad_alloc();
        buckets_ = static_cast<Bucket*>(block);
    }
    Entry* entries = BucketOf(cell).entries;
    const std::uint32_t tag = TagOf(cell);
    // The cell's own entry, else the one remembered longest ago, goes first.
    int at = 3;
    for (int i = 0; i < 3; ++i) {
        if (entries[i].tag == tag) {
            at = i;
            break;
        }
    }
    std::copy_backward(entries, entries + at, entries + at + 1);
    entries[0].tag = tag;
    std::copy(path.held, path.held + kLevels, entries[0].held);
}

void CPathMemo::See(double x, double y) {
    minX_ = std::min(minX_, x);
    minY_ = std::min(minY_, y);
    maxX_ = std::max(maxX_, x);
    maxY_ = std::max(maxY_, y);
    if (++seen_ % kPlacesPerScale != 0) return;
    // About four places to a cell where they spread evenly: an insert comes
    // back to a cell the memo knows, and what it knows is mostly right down
    // to the leaf (larger cells are known more often and right less often;
    // a wrong guess costs more than none).
    const double n = static_cast<double>(seen_);
    const double width = maxX_ - minX_, height = maxY_ - minY_;
    const double area = width * height;
    const double spacing = area > 0 ? std::sqrt(area / n) : std::max(width, height) / n;
    const double cell = 2 * spacing;
    if (!(cell > 0) || !std::isfinite(cell)) return;
    scale_ = std::clamp(static_cast<int>(std::ceil(std::log2(cell))), -1000, 1000);
    perCell_ = std::ldexp(1.0, -scale_);
}
