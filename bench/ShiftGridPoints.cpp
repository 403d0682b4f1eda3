// Shifts points through an NTv2 grid as a grid family does: the cell cache
// first, the file on a miss.
//
//   shift_grid_points make <grid.gsb> <count> rows|scattered <points.txt>
//       writes <count> points inside the grid's first sub-grid, "lon lat 0 0"
//       per line, in rows from the south-west or in random order;
//   shift_grid_points shift <grid.gsb> <points.txt> [<shifted.txt>]
//       reads them, shifts them all and prints the time of each part;
//       the shifted points are written when a file is named.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "coordsys/core/CsCore.h"
#include "coordsys/datum/DatumInverse.h"
#include "coordsys/datum/GridCellCache.h"
#include "coordsys/datum/Ntv2GridFile.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from) {
    return std::chrono::duration<double>(Clock::now() - from).count();
}

int Make(CsNtv2File* grid, long count, const std::string& order, const char* path) {
    const CsNtv2SubGrid& g = grid->subGrids[0];
    std::FILE* out = std::fopen(path, "w");
    if (out == nullptr) return 1;
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const long side = static_cast<long>(std::sqrt(static_cast<double>(count))) + 1;
    for (long i = 0; i < count; ++i) {
        double fx, fy;
        if (order == "rows") {
            fx = (static_cast<double>(i % side) + 0.5) / static_cast<double>(side);
            fy = (static_cast<double>(i / side) + 0.5) / static_cast<double>(side);
        } else {
            fx = unit(random);
            fy = unit(random);
        }
        const double lon = g.eastEdge + fx * (g.westEdge - g.eastEdge);
        const double lat = g.southEdge + fy * (g.northEdge - g.southEdge);
        std::fprintf(out, "%.9f %.9f 0 0\n", lon, lat);
    }
    return std::fclose(out) == 0 ? 0 : 1;
}

int Shift(CsNtv2File* grid, const char* input, const char* output) {
    auto start = Clock::now();
    std::vector<double> points;
    {
        std::ifstream in(input);
        double lon, lat, z, t;
        while (in >> lon >> lat >> z >> t) {
            points.push_back(lon);
            points.push_back(lat);
        }
    }
    const double parse = Seconds(start);
    const std::size_t count = points.size() / 2;

    CSgridCellCache* cache = CS_newCellCache(32);
    std::vector<double> shifted(points.size());
    long hits = 0, outside = 0;
    start = Clock::now();
    for (std::size_t i = 0; i < count; ++i) {
        const double* ll = &points[2 * i];
        double* out = &shifted[2 * i];
        if (CS_cellShift(cache, out, ll) == 0) {
            ++hits;
            continue;
        }
        double shift[2];
        const int status = CS_ntv2Shift(grid, shift, ll);
        if (status != 0) {
            out[0] = ll[0], out[1] = ll[1];
            ++outside;
            continue;
        }
        CS_applyGridShift(out, ll, shift);
        if (grid->cellMayBeCached) {
            CS_addCell(cache, kCsCellNtv2, &grid->longitudeCell, &grid->latitudeCell);
        }
    }
    const double work = Seconds(start);
    CS_freeCellCache(cache);
    std::printf(
        "%zu points: read %.3f s, shifted %.3f s (%.0f ns a point; %ld from the cell "
        "cache, %ld outside)\n",
        count, parse, work, work * 1e9 / static_cast<double>(count), hits, outside);
    if (output != nullptr) {
        std::FILE* out = std::fopen(output, "w");
        if (out == nullptr) return 1;
        for (std::size_t i = 0; i < count; ++i) {
            std::fprintf(out, "%.12f %.12f\n", shifted[2 * i], shifted[2 * i + 1]);
        }
        std::fclose(out);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (!((mode == "make" && argc == 6) || (mode == "shift" && (argc == 4 || argc == 5)))) {
        std::fprintf(stderr,
                     "usage: shift_grid_points make <grid> <count> rows|scattered <points>\n"
                     "       shift_grid_points shift <grid> <points> [<shifted>]\n");
        return 2;
    }
    CsNtv2File* grid = CS_ntv2Open(5, argv[2], 0, 0.0);
    if (grid == nullptr) {
        std::fprintf(stderr, "%s\n", CS_lastMessage());
        return 1;
    }
    const int status = mode == "make" ? Make(grid, std::atol(argv[3]), argv[4], argv[5])
                                      : Shift(grid, argv[3], argc == 5 ? argv[4] : nullptr);
    CS_ntv2Close(grid);
    return status;
}
