// Point reduction by farthest points: a line keeps its two ends, then again
// and again the point farthest from the chord it lies under, until it holds
// the number of points asked for.
#pragma once

#include <cstddef>
#include <vector>

#include "loader/core/PointList.h"

// Fewest points a reduced line or ring keeps.
inline constexpr int kMinimumLinePoints = 2;
inline constexpr int kMinimumRingPoints = 4;
// An open ring gains its closing point when written, and a single ring may
// hold 65535 points with it.
inline constexpr int kOpenRingCap = 65534;

bool IsOpenRing(const PointList& points);

// The points a part of `count` points is to keep at `percent`: truncated
// toward zero, at most `cap`.
long long PercentTarget(std::size_t count, double percent, int cap);

// The points a part would hold after reduction to `target`: unchanged when
// the target is its own count or it has no more points than the minimum.
std::size_t PointsKept(std::size_t count, long long target, bool ring);

// Reduces `points` to exactly `target` points (at least 2, fewer than the
// points given), keeping the first and the last.
void ReduceToCount(PointList& points, std::size_t target);

// For a multi-geometry whose parts hold `counts` points: lowers the percent
// by whole steps of 1 until the parts keep no more than `objectMaximum`
// points together, or the percent reaches 0.
struct ReductionPart {
    std::size_t count = 0;
    bool ring = false;
    int cap = 0;
};
double FitPercent(const std::vector<ReductionPart>& parts, double percent, int objectMaximum);
