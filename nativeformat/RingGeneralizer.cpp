#include "nativeformat/RingGeneralizer.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <unordered_map>

namespace {

constexpr std::uint32_t kMaxTarget = 0x200000;
constexpr std::uint32_t kMinRingPoints = 4;
constexpr double kSearchStart = -1e35;
constexpr double kNarrowest = 1e-14;
// Past this many distinct tolerances the search takes the coarsest rings,
// which always fit; a halving search from any double to 1e-14 needs fewer.
constexpr std::size_t kMaxPasses = 4096;

struct Point {
    double x;
    double y;
};

const Point* AsPoints(const double* xy) {
    return reinterpret_cast<const Point*>(xy);
}

// Squared distance of p from the line through a and b; from a when a and b
// coincide.
double SquaredDistance(const Point& p, const Point& a, const Point& b) {
    if (a.x == b.x && a.y == b.y) {
        const double dx = p.x - a.x;
        const double dy = p.y - a.y;
        return dx * dx + dy * dy;
    }
    const double ca = a.y - b.y;
    const double cb = b.x - a.x;
    const double cc = -(ca * a.x) - cb * a.y;
    const double d = ca * p.x + cb * p.y + cc;
    return d * d / (ca * ca + cb * cb);
}

double Spread(const Point* ring, std::uint32_t n) {
    if (n < 3) return 0.0;
    double largest = 0.0;
    for (std::uint32_t i = 0; i < n; ++i)
        largest = std::max(largest, SquaredDistance(ring[i], ring[0], ring[n - 1]));
    return std::sqrt(largest) * 1.01;
}

// The closed quadrilateral that stands for a ring simplified below 4 points.
void Quadrilateral(const Point* ring, std::uint32_t n, std::vector<std::uint32_t>& kept) {
    std::uint32_t a = 0;
    for (std::uint32_t i = 1; i < n; ++i)
        if (ring[i].x < ring[a].x) a = i;
    std::uint32_t b = 0;
    double best = kSearchStart;
    for (std::uint32_t i = 0; i < n; ++i) {
        const double dx = ring[i].x - ring[a].x;
        const double dy = ring[i].y - ring[a].y;
        const double d = dx * dx + dy * dy;
        if (d > best) {
            best = d;
            b = i;
        }
    }
    std::uint32_t c = 0;
    if (!(ring[a].x == ring[b].x && ring[a].y == ring[b].y)) {
        best = kSearchStart;
        for (std::uint32_t i = 1; i < n; ++i) {
            const double d = SquaredDistance(ring[i], ring[a], ring[b]);
            if (d > best) {
                best = d;
                c = i;
            }
        }
    }
    kept.insert(kept.end(), {a, b, c, a});
}

// Keeps the first point, then the ends of the segments that pass within the
// tolerance; appends the kept indices and returns how many were kept.
std::uint32_t Simplify(const Point* ring, std::uint32_t n, double tolerance2,
                       std::vector<std::uint32_t>& kept, std::vector<std::uint32_t>& stack) {
    const std::size_t first = kept.size();
    kept.push_back(0);
    stack.clear();
    std::uint32_t start = 0;
    std::uint32_t end = n - 1;
    while (true) {
        double best = kSearchStart;
        std::uint32_t farthest = end;
        for (std::uint32_t i = start + 1; i < end; ++i) {
            const double d = SquaredDistance(ring[i], ring[start], ring[end]);
            if (d > best) {
                best = d;
                farthest = i;
            }
        }
        if (farthest != end && best > tolerance2) {
            stack.push_back(end);
            end = farthest;
            continue;
        }
        kept.push_back(end);
        start = end;
        if (start == n - 1) break;
        end = stack.back();
        stack.pop_back();
    }
    auto count = static_cast<std::uint32_t>(kept.size() - first);
    if (count < kMinRingPoints) {
        kept.resize(first);
        Quadrilateral(ring, n, kept);
        count = kMinRingPoints;
    }
    return count;
}

class RingSearch {
public:
    RingSearch(std::span<const double> points, std::span<const std::uint32_t> counts)
        : counts_(counts) {
        std::size_t at = 0;
        for (std::uint32_t n : counts) {
            rings_.push_back(AsPoints(points.data()) + at);
            at += n;
        }
    }

    // Simplifies every ring with the tolerance; returns the total kept.
    std::uint64_t Pass(double tolerance) {
        kept_.clear();
        ringKept_.clear();
        const double tolerance2 = tolerance * tolerance;
        std::uint64_t total = 0;
        for (std::size_t r = 0; r < rings_.size(); ++r) {
            const std::uint32_t n = counts_[r];
            std::uint32_t k = n;
            if (n <= kMinRingPoints) {
                for (std::uint32_t i = 0; i < n; ++i) kept_.push_back(i);
            } else {
                k = Simplify(rings_[r], n, tolerance2, kept_, stack_);
            }
            ringKept_.push_back(k);
            total += k;
        }
        return total;
    }

    double LargestSpread() const {
        double largest = kSearchStart;
        for (std::size_t r = 0; r < rings_.size(); ++r)
            largest = std::max(largest, Spread(rings_[r], counts_[r]));
        return largest;
    }

    void Output(std::vector<double>& outPoints, std::vector<std::uint32_t>& outCounts) const {
        outPoints.clear();
        outPoints.reserve(kept_.size() * 2);
        outCounts.assign(ringKept_.begin(), ringKept_.end());
        std::size_t at = 0;
        for (std::size_t r = 0; r < rings_.size(); ++r) {
            for (std::uint32_t i = 0; i < ringKept_[r]; ++i) {
                const Point& p = rings_[r][kept_[at++]];
                outPoints.push_back(p.x);
                outPoints.push_back(p.y);
            }
        }
    }

private:
    std::span<const std::uint32_t> counts_;
    std::vector<const Point*> rings_;
    std::vector<std::uint32_t> kept_;
    std::vector<std::uint32_t> ringKept_;
    std::vector<std::uint32_t> stack_;
};

}  // namespace

bool GeneralizeRings(std::span<const double> points, std::span<const std::uint32_t> counts,
                     std::uint32_t target, std::vector<double>& outPoints,
                     std::vector<std::uint32_t>& outCounts) {
    std::uint64_t wanted = std::min(target, kMaxTarget);
    wanted = std::max<std::uint64_t>(wanted, std::uint64_t{kMinRingPoints} * counts.size());
    if (wanted > kMaxTarget) return false;
    // No tolerance orders distances to a NaN.
    if (!std::all_of(points.begin(), points.end(), [](double v) { return std::isfinite(v); }))
        return false;

    RingSearch search(points, counts);
    const double spread = search.LargestSpread();
    // Which end of the interval moves depends on the total alone, not on the
    // acceptance level, so every search after a reset visits the tolerances
    // of the first one again: their totals are remembered, not recomputed.
    std::unordered_map<double, std::uint64_t> totals;
    double lastPassed = std::numeric_limits<double>::quiet_NaN();
    auto total = [&](double tolerance) {
        const auto [it, fresh] = totals.try_emplace(tolerance, 0);
        if (fresh) {
            it->second = search.Pass(tolerance);
            lastPassed = tolerance;
        }
        return it->second;
    };

    double low = 0.0;
    double high = spread;
    auto level = static_cast<std::uint64_t>(static_cast<double>(wanted) * 0.98);
    std::uint64_t lastTotal = 0;
    bool havePass = false;
    double accepted = std::numeric_limits<double>::infinity();
    while (true) {
        double tolerance = low + (high - low) / 2;
        // An interval that cannot be halved any more counts as exhausted too:
        // with large coordinates it never gets narrower than 1e-14.
        if (high - low < kNarrowest || !(tolerance > low && tolerance < high)) {
            // A search that found nothing even at level 0 never will: the
            // coarsest rings (at most 4 points each) always fit.
            if (havePass && level == 0) break;
            low = 0.0;
            high = spread;
            if (havePass) level = lastTotal >= level ? level * 99 / 100 : lastTotal;
            tolerance = low + (high - low) / 2;
        }
        if (totals.size() >= kMaxPasses) break;
        const std::uint64_t kept = total(tolerance);
        if (kept <= wanted && kept >= level) {
            accepted = tolerance;
            break;
        }
        if (kept > wanted)
            low = tolerance;
        else
            high = tolerance;
        lastTotal = kept;
        havePass = true;
    }
    if (!(accepted == lastPassed)) search.Pass(accepted);
    search.Output(outPoints, outCounts);
    return true;
}
