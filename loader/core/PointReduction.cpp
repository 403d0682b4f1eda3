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

// Only chords with inner points can be split, so only they are returned
// (true) with their farthest inner point.
bool FindFarthest(const PointList& points, Chord& chord) {
    if (chord.end <= chord.start + 1) return false;
    const CPoint2d& s = points[chord.start];
    const CPoint2d& e = points[chord.end];
    const double a = s.y - e.y;
    const double b = e.x - s.x;
    const double c = -(a * s.x) - b * s.y;
    const double norm = a * a + b * b;
    double best = -1.0;
    for (std::size_t i = chord.start + 1; i < chord.end; ++i) {
        const CPoint2d& p = points[i];
        double d;
        if (a == 0.0 && b == 0.0) {
            d = (p.x - s.x) * (p.x - s.x) + (p.y - s.y) * (p.y - s.y);
        } else {
            const double v = a * p.x + b * p.y + c;
            d = v * v / norm;
        }
        if (std::isnan(d)) d = 0.0;  // keeps the chord order a strict one
        if (d > best || i == chord.start + 1) {
            best = d;
            chord.farthest = i;
        }
    }
    chord.distance = best;
    return true;
}

}  // namespace

void ReduceToCount(PointList& points, std::size_t target) {
    const std::size_t n = points.size();
    if (n <= target || n < 2) return;
    std::vector<char> kept(n, 0);
    kept[0] = 1;
    kept[n - 1] = 1;
    std::size_t keptCount = 2;
    std::priority_queue<Chord, std::vector<Chord>, SplitsFirst> chords;
    Chord first{0, n - 1};
    if (FindFarthest(points, first)) chords.push(first);
    while (keptCount < target && !chords.empty()) {
        const Chord chord = chords.top();
        chords.pop();
        kept[chord.farthest] = 1;
        ++keptCount;
        Chord left{chord.start, chord.farthest};
        Chord right{chord.farthest, chord.end};
        if (FindFarthest(points, left)) chords.push(left);
        if (FindFarthest(points, right)) chords.push(right);
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
