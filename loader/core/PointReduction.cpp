#include "loader/core/PointReduction.h"

#include <algorithm>
#include <cmath>
#include <queue>

bool IsOpenRing(const PointList& points) {
    return !points.empty() && !(points.front() == points.back());
}

long long PercentTarget(std::size_t count, double percent, int cap) {
    const long long target = static_cast<long long>(percent * 0.01 * static_cast<double>(count));
    return std::min<long long>(target, cap);
}

std::size_t PointsKept(std::size_t count, long long target, bool ring) {
    if (target == static_cast<long long>(count)) return count;
    target = std::max<long long>(target, ring ? kMinimumRingPoints : kMinimumLinePoints);
    return static_cast<long long>(count) <= target ? count : static_cast<std::size_t>(target);
}

namespace {

struct Chord {
    std::size_t start = 0;
    std::size_t end = 0;
    std::size_t farthest = 0;
    double distance = 0.0;
};

// Chords are split by the greatest distance; of equal distances the first
// chord along the line wins.
struct SplitsFirst {
    bool operator()(const Chord& a, const Chord& b) const {
        if (a.distance != b.distance) return a.distance < b.distance;
        return a.start > b.start;
    }
};

// The farthest inner point of a chord, as a scan of its inner points finds it
// (the greatest distance, the first of equal ones), without scanning long
// chords whole: a line whose splits fall near the ends of its chords (many
// equal distances, or distances rising toward one end) would cost its length
// for every point kept. Blocks of points hold their bounding boxes in a tree;
// the computed distance only grows with x and with y (or only shrinks), as
// each rounded step of its formula does, so a box's corners bound the
// distance of every point in it exactly, and the search opens the blocks in
// the order of their bounds until none can hold a farther point.
class CFarthestFinder {
public:
    explicit CFarthestFinder(const PointList& points) : points_(points) {
        std::size_t leaves = 1;
        while (leaves * kLeafSize < points.size()) leaves *= 2;
        leaves_ = leaves;
        boxes_.assign(2 * leaves, Box{});
        for (std::size_t i = 0; i < points.size(); ++i)
            boxes_[leaves + i / kLeafSize].Add(points[i]);
        for (std::size_t node = leaves - 1; node >= 1; --node)
            boxes_[node] = Box::Join(boxes_[2 * node], boxes_[2 * node + 1]);
    }

    // Only chords with inner points can be split, so only they are returned
    // (true) with their farthest inner point.
    bool Find(Chord& chord) {
        if (chord.end <= chord.start + 1) return false;
        const CPoint2d& s = points_[chord.start];
        const CPoint2d& e = points_[chord.end];
        Line line;
        line.s = s;
        line.a = s.y - e.y;
        line.b = e.x - s.x;
        line.c = -(line.a * s.x) - line.b * s.y;
        line.norm = line.a * line.a + line.b * line.b;
        best_ = -1.0;
        const std::size_t lo = chord.start + 1;
        const std::size_t hi = chord.end - 1;
        if (hi - lo < kScanLength) {
            Scan(line, lo, hi);
        } else {
            Search(line, lo, hi);
        }
        chord.farthest = bestIndex_;
        chord.distance = best_;
        return true;
    }

private:
    static constexpr std::size_t kLeafSize = 16;
    static constexpr std::size_t kScanLength = 256;

    struct Line {
        CPoint2d s;
        double a = 0, b = 0, c = 0, norm = 0;
    };
    struct Box {
        double xmin = HUGE_VAL, xmax = -HUGE_VAL, ymin = HUGE_VAL, ymax = -HUGE_VAL;
        void Add(const CPoint2d& p) {  // NaN coordinates are left out: they read as 0
            if (p.x < xmin) xmin = p.x;
            if (p.x > xmax) xmax = p.x;
            if (p.y < ymin) ymin = p.y;
            if (p.y > ymax) ymax = p.y;
        }
        static Box Join(const Box& l, const Box& r) {
            return {std::min(l.xmin, r.xmin), std::max(l.xmax, r.xmax), std::min(l.ymin, r.ymin),
                    std::max(l.ymax, r.ymax)};
        }
    };
    struct Node {
        double bound;
        std::size_t index;  // in the tree
        std::size_t first;  // the first point it holds
    };
    // Greatest bound first; of equal bounds, the block nearer the start.
    struct OpensFirst {
        bool operator()(const Node& a, const Node& b) const {
            if (a.bound != b.bound) return a.bound < b.bound;
            return a.first > b.first;
        }
    };

    // The distance of one point, the same expression for the scan and the bounds.
    static double RawDistance(const Line& l, double x, double y) {
        if (l.a == 0.0 && l.b == 0.0) return (x - l.s.x) * (x - l.s.x) + (y - l.s.y) * (y - l.s.y);
        const double v = l.a * x + l.b * y + l.c;
        return v * v / l.norm;
    }
    static double Distance(const Line& l, double x, double y) {
        const double d = RawDistance(l, x, y);
        return std::isnan(d) ? 0.0 : d;  // keeps the chord order a strict one
    }

    static double Bound(const Line& l, const Box& box) {
        double bound;
        if (l.a == 0.0 && l.b == 0.0) {
            bound = std::max(
                std::max(RawDistance(l, box.xmin, box.ymin), RawDistance(l, box.xmin, box.ymax)),
                std::max(RawDistance(l, box.xmax, box.ymin), RawDistance(l, box.xmax, box.ymax)));
        } else {
            // The corners of the greatest and of the least value of a*x + b*y + c.
            bound = std::max(
                RawDistance(l, l.a >= 0 ? box.xmax : box.xmin, l.b >= 0 ? box.ymax : box.ymin),
                RawDistance(l, l.a >= 0 ? box.xmin : box.xmax, l.b >= 0 ? box.ymin : box.ymax));
        }
        // An empty box (only NaN points) and infinite coordinates bound nothing.
        return box.xmin > box.xmax || std::isnan(bound) || std::isinf(bound) ? HUGE_VAL : bound;
    }

    void Scan(const Line& line, std::size_t lo, std::size_t hi) {
        for (std::size_t i = lo; i <= hi; ++i) {
            const double d = Distance(line, points_[i].x, points_[i].y);
            if (d > best_ || (d == best_ && i < bestIndex_)) {
                best_ = d;
                bestIndex_ = i;
            }
        }
    }

    void Search(const Line& line, std::size_t lo, std::size_t hi) {
        heap_.clear();
        const auto push = [&](std::size_t index, std::size_t first, std::size_t count) {
            if (first > hi || first + count <= lo) return;
            heap_.push_back({Bound(line, boxes_[index]), index, first});
            std::push_heap(heap_.begin(), heap_.end(), OpensFirst{});
        };
        push(1, 0, leaves_ * kLeafSize);
        while (!heap_.empty()) {
            std::pop_heap(heap_.begin(), heap_.end(), OpensFirst{});
            const Node node = heap_.back();
            heap_.pop_back();
            // No point of this block, nor of the ones after it, can win.
            if (node.bound < best_ || (node.bound == best_ && node.first > bestIndex_)) break;
            const std::size_t span = kLeafSize * (leaves_ >> Depth(node.index));
            if (node.index >= leaves_) {
                Scan(line, std::max(lo, node.first), std::min(hi, node.first + span - 1));
            } else {
                push(2 * node.index, node.first, span / 2);
                push(2 * node.index + 1, node.first + span / 2, span / 2);
            }
        }
    }

    static int Depth(std::size_t index) {
        int depth = 0;
        while (index > 1) {
            index /= 2;
            ++depth;
        }
        return depth;
    }

    const PointList& points_;
    std::size_t leaves_ = 1;
    std::vector<Box> boxes_;
    std::vector<Node> heap_;
    double best_ = -1.0;
    std::size_t bestIndex_ = 0;
};

}  // namespace

void ReduceToCount(PointList& points, std::size_t target) {
    const std::size_t n = points.size();
    if (n <= target || n < 2) return;
    std::vector<char> kept(n, 0);
    kept[0] = 1;
    kept[n - 1] = 1;
    std::size_t keptCount = 2;
    std::priority_queue<Chord, std::vector<Chord>, SplitsFirst> chords;
    CFarthestFinder finder(points);
    Chord first{0, n - 1};
    if (finder.Find(first)) chords.push(first);
    while (keptCount < target && !chords.empty()) {
        const Chord chord = chords.top();
        chords.pop();
        kept[chord.farthest] = 1;
        ++keptCount;
        Chord left{chord.start, chord.farthest};
        Chord right{chord.farthest, chord.end};
        if (finder.Find(left)) chords.push(left);
        if (finder.Find(right)) chords.push(right);
    }
    std::size_t out = 0;
    for (std::size_t i = 0; i < n; ++i)
        if (kept[i]) points[out++] = points[i];
    points.resize(out);
}

double FitPercent(const std::vector<ReductionPart>& parts, double percent, int objectMaximum) {
    auto total = [&](double p) {
        std::size_t sum = 0;
        for (const ReductionPart& part : parts)
            sum += PointsKept(part.count, PercentTarget(part.count, p, part.cap), part.ring);
        return sum;
    };
    while (percent > 0 && total(percent) > static_cast<std::size_t>(objectMaximum)) percent -= 1.0;
    return percent;
}
