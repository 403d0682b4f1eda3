// Writes covers byte by byte, independently of the library, in the forms the
// E00 importer does not make: little-endian, double precision, without the
// ".adf" suffix, and the table form with dBASE tics and bounds.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "testing/coverage/CoverDump.h"

namespace covtest {

using Bytes = std::vector<std::uint8_t>;

struct GenItem {
    std::string name;
    int width, output_width, decimals, type;
};

// An INFO table: rows hold each item's value as text (numbers in decimal).
struct GenTable {
    std::vector<GenItem> items;
    std::vector<std::vector<std::string>> rows;
};

struct GenCover {
    std::string name;
    bool big_endian = true;
    bool double_precision = false;
    bool adf_suffix = false;
    bool table_form = false;
    bool info_style4 = false;  // "arc.dir" and 4-digit table numbers
    std::vector<Arc> arcs;
    std::vector<Label> labels;
    std::vector<Polygon> polygons;  // record 1 is the outside polygon
    std::vector<Centroid> centroids;
    std::vector<Tic> tics;
    std::vector<Tolerance> tolerances;
    std::vector<Text> texts;
    std::vector<std::string> projection;  // lines with their line feeds
    std::optional<std::array<double, 4>> bounds;
    GenTable aat, pat;
};

// Every file of the cover's workspace, by path relative to it
// ("<cover>/arc", "info/arcdr9", ...).
std::map<std::string, Bytes> CoverFiles(const GenCover& cover);
void WriteFiles(const std::filesystem::path& workspace, const std::map<std::string, Bytes>& files);

// A cover of two polygons (one an island of the other), a dangling arc,
// three labels, four tics, one text and both attribute tables.
GenCover SampleCover(const std::string& name);

}  // namespace covtest
