// Every record of a cover read through the library, for comparing with the
// outside tools and for the damage table.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace covtest {

using Points = std::vector<std::pair<double, double>>;
// Item name -> value as text (numbers in full precision).
using Row = std::map<std::string, std::string>;

struct Arc {
    std::int32_t user_id, from_node, to_node, left_polygon, right_polygon;
    Points vertices;
};
struct Label {
    std::int32_t user_id, polygon_id;
    double x, y;
};
struct Polygon {
    double xmin, ymin, xmax, ymax;
    std::vector<std::int32_t> arcs, nodes, polygons;
};
struct Centroid {
    double x, y;
    std::vector<std::int32_t> labels;
};
struct Tic {
    std::int32_t id;
    double x, y;
};
struct Tolerance {
    std::int32_t number, status;
    double value;
};
struct Text {
    std::int32_t user_id;
    Points line, arrow;
    double height;
    std::string text;
};

struct Item {
    std::string name;
    int type, width, output_width, decimals;
};

struct CoverDump {
    std::string error;  // the library's last error when the workspace or cover did not open
    bool double_precision = false, byte_swap = false, table_form = false;
    double xmin = 0, ymin = 0, xmax = 0, ymax = 0;
    std::vector<Arc> arcs;
    std::vector<Label> labels;
    std::vector<Polygon> polygons;  // record 1, the outside polygon, included
    std::vector<Centroid> centroids;
    std::vector<Tic> tics;
    std::vector<Tolerance> tolerances;
    std::vector<Text> texts;
    std::vector<std::string> projection;
    bool has_bounds = false;
    double bounds[4] = {};
    bool aat_attached = false, pat_on_labels = false, pat_on_polygons = false;
    std::vector<Item> aat_items, pat_items;
    std::vector<Row> aat, pat;
    int unreadable = 0;  // records that failed to read
};

// Opens the workspace and the cover, loads every kind with attributes and
// reads every record.
CoverDump DumpCover(const std::filesystem::path& workspace, const std::string& cover);

// A readable form for failure messages.
std::string ToText(const CoverDump& dump);

}  // namespace covtest
