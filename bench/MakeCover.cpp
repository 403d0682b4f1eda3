// Writes a workspace with one cover of n arcs and its AAT, for timing the
// coverage plug-in: make_cover <workspace> <cover> <arcs>. Arcs of 2 to 5
// vertices on a grid; the AAT has the usual items and two of its own.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "testing/coverage/CoverGenerator.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: make_cover <workspace> <cover> <arcs>\n");
        return 2;
    }
    const std::string name = argv[2];
    const long arcs = std::atol(argv[3]);
    if (arcs < 1) return 2;
    covtest::GenCover cover;
    cover.name = name;
    std::string upper = name;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    cover.aat.items = {
        {"FNODE#", 4, 5, -1, 5},      {"TNODE#", 4, 5, -1, 5}, {"LPOLY#", 4, 5, -1, 5},
        {"RPOLY#", 4, 5, -1, 5},      {"LENGTH", 4, 12, 3, 6}, {upper + "#", 4, 5, -1, 5},
        {upper + "-ID", 4, 5, -1, 5}, {"NAME", 16, 16, -1, 2}, {"RATIO", 8, 18, 5, 6}};
    for (long i = 1; i <= arcs; ++i) {
        const double x = static_cast<double>(i % 1000) * 10, y = static_cast<double>(i / 1000) * 10;
        covtest::Arc arc{static_cast<std::int32_t>(i),
                         static_cast<std::int32_t>(2 * i - 1),
                         static_cast<std::int32_t>(2 * i),
                         0,
                         0,
                         {}};
        const int vertices = 2 + static_cast<int>(i % 4);
        for (int v = 0; v < vertices; ++v) arc.vertices.emplace_back(x + v, y + (v % 2));
        cover.arcs.push_back(arc);
        const std::string n = std::to_string(i);
        cover.aat.rows.push_back({std::to_string(2 * i - 1), std::to_string(2 * i), "0", "0",
                                  std::to_string(vertices - 1), n, n, "arc " + n,
                                  std::to_string(i * 0.001)});
    }
    cover.tics = {{1, 0, 0}, {2, 10000, 0}, {3, 10000, 1000}, {4, 0, 1000}};
    cover.bounds = std::array<double, 4>{0, 0, 10000, 1010};
    covtest::WriteFiles(argv[1], covtest::CoverFiles(cover));
    return 0;
}
