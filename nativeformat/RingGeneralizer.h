// Reduces the rings of a polygon object to a total point budget by
// farthest-point simplification with a searched tolerance.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

// `points` holds the rings one after the other (x, y pairs; closing points not
// repeated for open rings), `counts` their point counts. On success the rings
// kept total at most `target` points (raised to 4 per ring when below) and are
// stored in `outPoints` and `outCounts`; a ring replaced by its quadrilateral
// comes out closed. Fails when the raised target is above 0x200000 or a
// coordinate is not finite.
bool GeneralizeRings(std::span<const double> points, std::span<const std::uint32_t> counts,
                     std::uint32_t target, std::vector<double>& outPoints,
                     std::vector<std::uint32_t>& outCounts);
