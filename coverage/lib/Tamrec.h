// The coverage file library, read side: workspaces with their INFO directory,
// covers, and their files decoded one record at a time into the cover's
// current-record fields. Functions answer 0 for success and 1 for failure and
// record every failure as the last error (TamrecSupport.h). Structures belong
// to the library and are freed by its close functions. One thread at a time.
#pragma once

#include <cstdint>

#include "coverage/lib/TamrecSupport.h"

// File kinds: the `kind` argument.
constexpr int kTamrecArcs = 1;
constexpr int kTamrecLabels = 2;
constexpr int kTamrecPolygons = 3;
constexpr int kTamrecCentroids = 4;
constexpr int kTamrecTics = 5;
constexpr int kTamrecTolerances = 6;
constexpr int kTamrecAat = 7;
constexpr int kTamrecPat = 8;
constexpr int kTamrecProjection = 9;
constexpr int kTamrecAnnotation = 10;
constexpr int kTamrecBounds = 11;
constexpr int kTamrecAllKinds = 12;

// INFO item types.
constexpr int kTamrecItemDate = 1;
constexpr int kTamrecItemCharacter = 2;
constexpr int kTamrecItemIntegerText = 3;
constexpr int kTamrecItemNumberText = 4;
constexpr int kTamrecItemBinaryInteger = 5;
constexpr int kTamrecItemBinaryFloat = 6;

// Access modes of a tamrec_file.
constexpr int kTamrecFixedRecords = 1;
constexpr int kTamrecHeaderAndFixedRecords = 2;
constexpr int kTamrecIndexedRecords = 3;
constexpr int kTamrecTextLines = 4;

struct tamrec_dblxy_pair {
    double x;
    double y;
};

// The current value of an item: text for types 1-4 (a buffer of width + 1
// bytes, trailing blanks removed), integer for type 5, real for type 6.
union tamrec_item_value {
    char* text;
    std::int32_t integer;
    double real;
};

struct tamrec_info_field_description {
    char* name;          // trailing blanks removed
    std::int32_t width;  // storage width in bytes
    std::int32_t start;  // in the record, from 1
    std::int32_t output_width;
    std::int32_t decimals;
    std::int32_t type;  // 1-6
    tamrec_item_value value;
    // A cover being built: one value per row, from 1 (texts owned, null when empty).
    tamrec_item_value* rows;
};

// The AAT and PAT items of one cover name in the workspace's INFO directory.
struct tamrec_table_entry {
    char* cover_name;  // lower case
    tamrec_info_field_description* pat_items;
    std::int32_t pat_item_count;
    std::int32_t pat_record_length;
    tamrec_info_field_description* aat_items;
    std::int32_t aat_item_count;
    std::int32_t aat_record_length;
};

struct tamrec_cover;

struct tamrec_workspace {
    char* path;  // with '/' separators
    tamrec_cover* first_cover;
    int has_info;
    int table_form;   // some cover holds "bnd.dbf" or "tic.dbf"
    int info_swap;    // the INFO directory is big-endian ("AR")
    int info_style4;  // "arc.dir" (1) or "arcdr9" (0)
    std::int32_t table_count;
    tamrec_table_entry* tables;
};

// One file kind of a cover. The bytes are the whole file, read once.
struct tamrec_file {
    int present;  // set by tamrec_open_cover when the file (and its index) exists
    int mode;     // kTamrecFixedRecords ... kTamrecTextLines
    int loaded;
    int swap;                  // big-endian numbers
    int table_form;            // 256-byte prefix ahead of the header (modes 2 and 3)
    std::int32_t header_type;  // the header's value at offset 4 (modes 2 and 3)
    std::int32_t record_size;  // fixed records (modes 1 and 2)
    tamrec_mapping data;
    tamrec_mapping index;  // mode 3
    tamrec_dbf dbf;        // tics and bounds of the table form
};

struct tamrec_record_arc {
    double xmin, ymin, xmax, ymax;  // of the vertices
    std::int32_t user_id;
    std::int32_t from_node;
    std::int32_t to_node;
    std::int32_t left_polygon;
    std::int32_t right_polygon;
    std::int32_t vertex_count;
    tamrec_dblxy_pair* vertices;
    std::int32_t vertex_capacity;  // grown for arcs of more than 500 vertices
};

// One entry of a polygon's arc list: arc 0 separates rings, a negative arc
// is walked from its to-node to its from-node.
struct tamrec_arc_triple {
    std::int32_t arc;
    std::int32_t node;
    std::int32_t polygon;  // the neighbouring polygon
};

struct tamrec_record_label {
    std::int32_t user_id;
    std::int32_t polygon_id;
    double x, y;
};

struct tamrec_record_polygon {
    double xmin, ymin, xmax, ymax;
    std::int32_t arc_count;
    tamrec_arc_triple* arcs;
    std::int32_t arc_capacity;
};

struct tamrec_record_centroid {
    double x, y;
    std::int32_t label_count;
    std::int32_t* labels;
    std::int32_t label_capacity;
};

struct tamrec_record_tic {
    std::int32_t id;
    double x, y;
};

struct tamrec_record_tolerance {
    std::int32_t number;
    std::int32_t status;
    double value;
};

struct tamrec_record_bounds {
    double xmin, ymin, xmax, ymax;
};

// A line of the projection file, up to and including its line feed; it points
// into the file's bytes and is not NUL-terminated.
struct tamrec_record_projection {
    const char* line;
    std::int32_t length;
};

// Point list n is the text's base line (at most 4 points), list m its arrow
// (at most 3).
struct tamrec_record_text {
    std::int32_t user_id;
    std::int32_t n;
    tamrec_dblxy_pair points_n[4];
    std::int32_t m;
    tamrec_dblxy_pair points_m[3];
    double height;
    double second;         // copied, not interpreted
    std::int32_t integer;  // copied, not interpreted
    std::int32_t text_length;
    char* text;  // NUL-terminated
    std::int32_t text_capacity;
};

// Records of a cover being built that the current-record types do not cover.
struct tamrec_build_label {
    char deleted;
    std::int32_t user_id;
    std::int32_t polygon_id;
    double x, y;
};

struct tamrec_build_tic {
    char deleted;
    std::int32_t id;
    double x, y;
};

// Arrays indexed from 1; their counts are the cover's record counts.
struct tamrec_cover_records {
    tamrec_record_arc* arcs;
    tamrec_record_polygon* polygons;
    tamrec_record_centroid* centroids;  // one per polygon
    tamrec_build_label* labels;
    tamrec_build_tic* tics;
    tamrec_record_text* texts;
};

// The AAT or PAT items of an open cover, copied from its table entry.
struct tamrec_attribute_items {
    tamrec_info_field_description* items;
    std::int32_t item_count;
    std::int32_t record_length;
};

struct tamrec_cover {
    char* name;
    char* directory;  // the cover directory as found in the workspace
    tamrec_workspace* workspace;
    tamrec_cover* next;
    // Upper-left then lower-right corner.
    double xmin, ymax, xmax, ymin;
    int byte_swap;
    int adf_suffix;
    int double_precision;
    int table_form;

    // By kind (1-11); slot 0 is unused.
    tamrec_file file[12];
    std::int32_t record_count[12];

    int arcs_have_attributes;
    int labels_have_attributes;
    int polygons_have_attributes;
    tamrec_attribute_items aat;
    tamrec_attribute_items pat;

    // The current record of each kind: valid until its next read or unloading.
    tamrec_record_arc arc;
    tamrec_record_label label;
    tamrec_record_polygon polygon;
    tamrec_record_centroid centroid;
    tamrec_record_tic tic;
    tamrec_record_tolerance tolerance;
    tamrec_record_projection projection;
    tamrec_record_text text;
    tamrec_record_bounds bounds;

    tamrec_cover_records built;  // tamrec_new_cover's covers only
};

// `*workspace` must be null on entry and receives the new workspace.
int tamrec_open_ws(const char* path, tamrec_workspace** workspace);
// Closes its covers, frees everything and nulls the pointer; 1 when already null.
int tamrec_close_ws(tamrec_workspace** workspace);
// The cover directory holds dbltic or tic (".adf" appended with the flag) or tic.dbf.
bool tamrec_is_cover(const char* workspace_path, const char* cover_name, int suffix);
// `*cover` must be null on entry and receives the new cover.
int tamrec_open_cover(const char* cover_name, tamrec_workspace* workspace, tamrec_cover** cover);
int tamrec_close_cover(tamrec_cover** cover);
// Loads one kind, replacing what was loaded for it; `with_attributes` asks for
// the AAT (arcs) or the PAT (labels, polygons). Kind 12 loads every kind it can.
int tamrec_open_cover_file(tamrec_cover* cover, int kind, int with_attributes);
int tamrec_unload_kind(tamrec_cover* cover, int kind);
// Decodes record `n` (from 1) of a loaded kind 1-11 into the current record.
// A failure leaves the previous current record as it was.
int tamrec_read_record(tamrec_cover* cover, int kind, std::int32_t n);

// ---- Building, saving and deleting covers. Allocators answer the new record's
// number (from 1) or -1.

// `*cover` must be null on entry; double precision, no suffix, binary form.
int tamrec_new_cover(tamrec_cover** cover);
int tamrec_free_cover(tamrec_cover** cover);
std::int32_t tamrec_new_arc(tamrec_cover* cover);
std::int32_t tamrec_new_polygon(tamrec_cover* cover);  // with its centroid
std::int32_t tamrec_new_text(tamrec_cover* cover);
std::int32_t tamrec_new_tic(tamrec_cover* cover);
std::int32_t tamrec_new_label(tamrec_cover* cover);
std::int32_t tamrec_clear_arc(tamrec_cover* cover, std::int32_t arc);
// Inserts at `position` (0 to the vertex count); at most 500 vertices.
std::int32_t tamrec_add_arc_vertex(tamrec_cover* cover, std::int32_t arc, std::int32_t position,
                                   double x, double y, int finish);
std::int32_t tamrec_end_arc(tamrec_cover* cover, std::int32_t arc);
std::int32_t tamrec_polygon_bounds(tamrec_cover* cover, std::int32_t polygon);
constexpr int kTamrecAatTable = 0;
constexpr int kTamrecPatTable = 1;
constexpr int kTamrecPolygonPatTable = 2;  // tamrec_default_items only
// Inserts an item at `position` (from 0, after the default items); answers it or -1.
int tamrec_add_item(tamrec_cover* cover, int table, int position, const char* name, int width,
                    int output_width, int decimals, int type);
int tamrec_default_items(tamrec_cover* cover, int table);
// Writes the cover under a temporary name and swaps it in; an existing cover
// of that name is replaced only with `replace` set, and a failed save leaves
// it as it was.
int tamrec_save_cover(const char* workspace_path, const char* cover_name, tamrec_cover* cover,
                      int replace = 0);
// Flags the cover's INFO tables deleted, removes their files and the cover directory.
int tamrec_delete_cover(const char* workspace_path, const char* cover_name);
