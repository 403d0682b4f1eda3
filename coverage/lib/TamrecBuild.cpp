// Covers built in memory: record allocators, arc vertices and attribute items.
#include <algorithm>
#include <cstring>

#include "coverage/lib/Tamrec.h"
#include "coverage/lib/TamrecFormat.h"
#include "coverage/lib/TamrecInternal.h"

using namespace tamrecinternal;

namespace {

constexpr std::int32_t kMaxRecordLength = 4096;
constexpr int kAatDefaultItems = 7;
constexpr int kPatDefaultItems = 4;

bool IsText(int type) {
    return type >= kTamrecItemDate && type <= kTamrecItemNumberText;
}

// Grows a 1-based array by one zeroed slot; false when memory runs out.
template <class T>
bool GrowOne(T** array, std::int32_t count) {
    const auto slots = static_cast<std::size_t>(count) + 2;
    auto* grown = static_cast<T*>(tamrec_realloc(*array, slots * sizeof(T)));
    if (grown == nullptr) return false;
    std::memset(static_cast<void*>(&grown[count + 1]), 0, sizeof(T));
    if (count == 0) std::memset(static_cast<void*>(&grown[0]), 0, sizeof(T));
    *array = grown;
    return true;
}

// Appends row `row` (from 1) with every value zero.
bool AppendRow(tamrec_attribute_items& table, std::int32_t row) {
    for (std::int32_t i = 0; i < table.item_count; ++i)
        if (!GrowOne(&table.items[i].rows, row - 1)) return false;
    return true;
}

void SetInteger(tamrec_attribute_items& table, int item, std::int32_t row, std::int32_t value) {
    if (item < table.item_count) table.items[item].rows[row].integer = value;
}

void SetReal(tamrec_attribute_items& table, int item, std::int32_t row, double value) {
    if (item < table.item_count) table.items[item].rows[row].real = value;
}

void FreeRows(tamrec_info_field_description& item, std::int32_t rows) {
    if (item.rows == nullptr) return;
    if (IsText(item.type))
        for (std::int32_t r = 1; r <= rows; ++r) tamrec_free(item.rows[r].text);
    tamrec_free_and_clear(&item.rows);
}

void FreeTable(tamrec_attribute_items& table, std::int32_t rows) {
    for (std::int32_t i = 0; i < table.item_count; ++i) FreeRows(table.items[i], rows);
    FreeItems(table.items, table.item_count);
    table = {};
}

std::int32_t PatRows(const tamrec_cover& cover) {
    return cover.polygons_have_attributes ? cover.record_count[kTamrecPolygons]
                                          : cover.record_count[kTamrecLabels];
}

void Recompute(tamrec_attribute_items& table) {
    std::int32_t start = 1;
    for (std::int32_t i = 0; i < table.item_count; ++i) {
        table.items[i].start = start;
        start += table.items[i].width;
    }
    table.record_length = start - 1;
}

bool InsertItem(tamrec_attribute_items& table, int position, const char* name, int width,
                int output_width, int decimals, int type, std::int32_t rows) {
    char* copy = tamrec_strdup(name);
    auto* values = static_cast<tamrec_item_value*>(
        tamrec_alloc((static_cast<std::size_t>(rows) + 1) * sizeof(tamrec_item_value)));
    auto* grown = static_cast<tamrec_info_field_description*>(tamrec_realloc(
        table.items,
        (static_cast<std::size_t>(table.item_count) + 1) * sizeof(tamrec_info_field_description)));
    if (copy == nullptr || values == nullptr || grown == nullptr) {
        tamrec_free(copy);
        tamrec_free(values);
        if (grown != nullptr) table.items = grown;
        return false;
    }
    table.items = grown;
    tamrec_to_upper(copy);
    std::memmove(&grown[position + 1], &grown[position],
                 static_cast<std::size_t>(table.item_count - position) * sizeof(*grown));
    grown[position] = {};
    grown[position].name = copy;
    grown[position].width = width;
    grown[position].output_width = output_width;
    grown[position].decimals = decimals;
    grown[position].type = type;
    grown[position].rows = values;
    ++table.item_count;
    Recompute(table);
    return true;
}

bool ValidArc(const tamrec_cover* cover, std::int32_t arc) {
    return cover != nullptr && arc >= 1 && arc <= cover->record_count[kTamrecArcs];
}

void Extend(double& lo, double& hi, double v) {
    lo = std::min(lo, v);
    hi = std::max(hi, v);
}

}  // namespace

namespace tamrecinternal {

void RecomputeItems(tamrec_attribute_items& table) {
    Recompute(table);
}

}  // namespace tamrecinternal

int tamrec_new_cover(tamrec_cover** cover) {
    if (cover == nullptr || *cover != nullptr)
        return Fail("tamrec_lib: tamrec_new_cover() handed a non-NULL cover ptr\n");
    auto* made = static_cast<tamrec_cover*>(tamrec_alloc(sizeof(tamrec_cover)));
    if (made == nullptr) return 1;
    made->double_precision = 1;
    *cover = made;
    return 0;
}

int tamrec_free_cover(tamrec_cover** cover) {
    if (cover == nullptr || *cover == nullptr) return 1;
    tamrec_cover* c = *cover;
    tamrec_cover_records& b = c->built;
    for (std::int32_t i = 1; i <= c->record_count[kTamrecArcs]; ++i)
        tamrec_free(b.arcs[i].vertices);
    for (std::int32_t i = 1; i <= c->record_count[kTamrecPolygons]; ++i) {
        tamrec_free(b.polygons[i].arcs);
        tamrec_free(b.centroids[i].labels);
    }
    for (std::int32_t i = 1; i <= c->record_count[kTamrecAnnotation]; ++i)
        tamrec_free(b.texts[i].text);
    for (void* array : {static_cast<void*>(b.arcs), static_cast<void*>(b.polygons),
                        static_cast<void*>(b.centroids), static_cast<void*>(b.labels),
                        static_cast<void*>(b.tics), static_cast<void*>(b.texts)})
        tamrec_free(array);
    FreeTable(c->aat, c->record_count[kTamrecArcs]);
    FreeTable(c->pat, PatRows(*c));
    tamrec_free(c->name);
    tamrec_free(c->directory);
    tamrec_free_and_clear(cover);
    return 0;
}

std::int32_t tamrec_new_arc(tamrec_cover* cover) {
    if (cover == nullptr) return -1;
    const std::int32_t n = cover->record_count[kTamrecArcs];
    if (!GrowOne(&cover->built.arcs, n)) return -1;
    if (cover->arcs_have_attributes && !AppendRow(cover->aat, n + 1)) return -1;
    tamrec_record_arc& arc = cover->built.arcs[n + 1];
    arc.user_id = 1;
    for (std::int32_t i = n; i >= 1; --i)
        if (cover->built.arcs[i].user_id != 0) {
            arc.user_id = cover->built.arcs[i].user_id + 1;
            break;
        }
    cover->record_count[kTamrecArcs] = n + 1;
    if (cover->arcs_have_attributes) {
        SetInteger(cover->aat, 5, n + 1, n + 1);
        SetInteger(cover->aat, 6, n + 1, arc.user_id);
    }
    return n + 1;
}

std::int32_t tamrec_new_polygon(tamrec_cover* cover) {
    if (cover == nullptr) return -1;
    const std::int32_t n = cover->record_count[kTamrecPolygons];
    if (!GrowOne(&cover->built.polygons, n) || !GrowOne(&cover->built.centroids, n)) return -1;
    if (cover->polygons_have_attributes && !AppendRow(cover->pat, n + 1)) return -1;
    cover->record_count[kTamrecPolygons] = n + 1;
    cover->record_count[kTamrecCentroids] = n + 1;
    if (cover->polygons_have_attributes) {
        std::int32_t id = 0;
        for (std::int32_t i = n; i >= 1 && cover->pat.item_count > 3; --i)
            if (cover->built.polygons[i].arc_count > 0) {
                id = cover->pat.items[3].rows[i].integer + 1;
                break;
            }
        SetInteger(cover->pat, 2, n + 1, n + 1);
        SetInteger(cover->pat, 3, n + 1, id);
    }
    return n + 1;
}

std::int32_t tamrec_new_text(tamrec_cover* cover) {
    if (cover == nullptr) return -1;
    const std::int32_t n = cover->record_count[kTamrecAnnotation];
    if (!GrowOne(&cover->built.texts, n)) return -1;
    cover->record_count[kTamrecAnnotation] = n + 1;
    return n + 1;
}

std::int32_t tamrec_new_tic(tamrec_cover* cover) {
    if (cover == nullptr) return -1;
    const std::int32_t n = cover->record_count[kTamrecTics];
    if (!GrowOne(&cover->built.tics, n)) return -1;
    tamrec_build_tic& tic = cover->built.tics[n + 1];
    tic.id = 1;
    for (std::int32_t i = n; i >= 1; --i)
        if (!cover->built.tics[i].deleted) {
            tic.id = cover->built.tics[i].id + 1;
            break;
        }
    cover->record_count[kTamrecTics] = n + 1;
    return n + 1;
}

std::int32_t tamrec_new_label(tamrec_cover* cover) {
    if (cover == nullptr) return -1;
    const std::int32_t n = cover->record_count[kTamrecLabels];
    if (!GrowOne(&cover->built.labels, n)) return -1;
    if (cover->labels_have_attributes && !AppendRow(cover->pat, n + 1)) return -1;
    tamrec_build_label& label = cover->built.labels[n + 1];
    label.user_id = 1;
    for (std::int32_t i = n; i >= 1; --i)
        if (!cover->built.labels[i].deleted) {
            label.user_id = cover->built.labels[i].user_id + 1;
            if (cover->built.labels[i].polygon_id > 0)
                label.polygon_id = cover->built.labels[i].polygon_id + 1;
            break;
        }
    cover->record_count[kTamrecLabels] = n + 1;
    if (cover->labels_have_attributes) {
        SetInteger(cover->pat, 2, n + 1, n + 1);
        SetInteger(cover->pat, 3, n + 1, label.user_id);
    }
    return n + 1;
}

std::int32_t tamrec_clear_arc(tamrec_cover* cover, std::int32_t arc) {
    if (!ValidArc(cover, arc)) return -1;
    tamrec_record_arc& a = cover->built.arcs[arc];
    a.vertex_count = -1;
    a.vertex_capacity = 0;
    tamrec_free_and_clear(&a.vertices);
    if (cover->arcs_have_attributes)
        for (std::int32_t i = 0; i < cover->aat.item_count; ++i)
            if (IsText(cover->aat.items[i].type))
                tamrec_free_and_clear(&cover->aat.items[i].rows[arc].text);
    return arc;
}

std::int32_t tamrec_add_arc_vertex(tamrec_cover* cover, std::int32_t arc, std::int32_t position,
                                   double x, double y, int finish) {
    if (!ValidArc(cover, arc)) return -1;
    tamrec_record_arc& a = cover->built.arcs[arc];
    if (a.vertex_count >= kTamrecArcVertexLimit || position < 0 || position > a.vertex_count)
        return -1;
    if (a.vertices == nullptr) {
        a.vertices = static_cast<tamrec_dblxy_pair*>(
            tamrec_alloc(kTamrecArcVertexLimit * sizeof(tamrec_dblxy_pair)));
        if (a.vertices == nullptr) return -1;
        a.vertex_capacity = kTamrecArcVertexLimit;
    }
    std::memmove(&a.vertices[position + 1], &a.vertices[position],
                 static_cast<std::size_t>(a.vertex_count - position) * sizeof(tamrec_dblxy_pair));
    a.vertices[position] = {x, y};
    ++a.vertex_count;
    if (finish && tamrec_end_arc(cover, arc) < 0) return -1;
    return position;
}

std::int32_t tamrec_end_arc(tamrec_cover* cover, std::int32_t arc) {
    if (!ValidArc(cover, arc)) return -1;
    tamrec_record_arc& a = cover->built.arcs[arc];
    if (a.vertex_count > 0) {
        a.xmin = a.xmax = a.vertices[0].x;
        a.ymin = a.ymax = a.vertices[0].y;
        for (std::int32_t i = 1; i < a.vertex_count; ++i) {
            Extend(a.xmin, a.xmax, a.vertices[i].x);
            Extend(a.ymin, a.ymax, a.vertices[i].y);
        }
    }
    for (std::int32_t polygon : {a.left_polygon, a.right_polygon})
        if (polygon > 0 && polygon <= cover->record_count[kTamrecPolygons])
            tamrec_polygon_bounds(cover, polygon);
    return arc;
}

std::int32_t tamrec_polygon_bounds(tamrec_cover* cover, std::int32_t polygon) {
    if (cover == nullptr || polygon < 1 || polygon > cover->record_count[kTamrecPolygons])
        return -1;
    tamrec_record_polygon& p = cover->built.polygons[polygon];
    bool first = true;
    for (std::int32_t i = 0; i < p.arc_count; ++i) {
        const std::int32_t number = p.arcs[i].arc < 0 ? -p.arcs[i].arc : p.arcs[i].arc;
        if (number == 0 || number > cover->record_count[kTamrecArcs]) continue;
        const tamrec_record_arc& a = cover->built.arcs[number];
        if (a.vertex_count <= 0) continue;
        if (first) {
            p.xmin = a.xmin, p.ymin = a.ymin, p.xmax = a.xmax, p.ymax = a.ymax;
            first = false;
        } else {
            p.xmin = std::min(p.xmin, a.xmin), p.ymin = std::min(p.ymin, a.ymin);
            p.xmax = std::max(p.xmax, a.xmax), p.ymax = std::max(p.ymax, a.ymax);
        }
    }
    return polygon;
}

int tamrec_add_item(tamrec_cover* cover, int table, int position, const char* name, int width,
                    int output_width, int decimals, int type) {
    if (cover == nullptr || name == nullptr || width < 1 || type < kTamrecItemDate ||
        type > kTamrecItemBinaryFloat)
        return -1;
    const bool aat = table == kTamrecAatTable;
    if (!aat && table != kTamrecPatTable) return -1;
    const bool attributes =
        aat ? cover->arcs_have_attributes != 0
            : (cover->labels_have_attributes != 0 || cover->polygons_have_attributes != 0);
    tamrec_attribute_items& items = aat ? cover->aat : cover->pat;
    const int first = aat ? kAatDefaultItems : kPatDefaultItems;
    if (!attributes || position < first || position > items.item_count ||
        items.record_length + width > kMaxRecordLength)
        return -1;
    const std::int32_t rows = aat ? cover->record_count[kTamrecArcs] : PatRows(*cover);
    if (!InsertItem(items, position, name, width, output_width, decimals, type, rows)) return -1;
    return position;
}

int tamrec_default_items(tamrec_cover* cover, int table) {
    if (cover == nullptr) return -1;
    struct Default {
        const char* name;
        int width, output_width, decimals, type;
    };
    constexpr Default kInteger{"", 4, 5, -1, kTamrecItemBinaryInteger};
    constexpr Default kReal{"", 4, 12, 3, kTamrecItemBinaryFloat};
    if (table == kTamrecAatTable) {
        if (cover->arcs_have_attributes) return -1;
        const std::int32_t rows = cover->record_count[kTamrecArcs];
        int position = 0;
        for (const char* name :
             {"FNODE#", "TNODE#", "LPOLY#", "RPOLY#", "LENGTH", "Cover#", "Cover-ID"}) {
            const Default& d = std::strcmp(name, "LENGTH") == 0 ? kReal : kInteger;
            if (!InsertItem(cover->aat, position++, name, d.width, d.output_width, d.decimals,
                            d.type, rows))
                return -1;
        }
        cover->arcs_have_attributes = 1;
        for (std::int32_t r = 1; r <= rows; ++r) {
            SetInteger(cover->aat, 5, r, r);
            SetInteger(cover->aat, 6, r, cover->built.arcs[r].user_id);
        }
        return 0;
    }
    if (table != kTamrecPatTable && table != kTamrecPolygonPatTable) return -1;
    if (cover->labels_have_attributes || cover->polygons_have_attributes) return -1;
    const bool polygons = table == kTamrecPolygonPatTable;
    if (polygons && cover->record_count[kTamrecPolygons] == 0) {
        // The outside polygon.
        const std::int32_t outside = tamrec_new_polygon(cover);
        if (outside < 0) return -1;
        tamrec_record_polygon& p = cover->built.polygons[outside];
        p.arcs = static_cast<tamrec_arc_triple*>(tamrec_alloc(2 * sizeof(tamrec_arc_triple)));
        if (p.arcs == nullptr) return -1;
        p.arc_capacity = 2;
        p.arc_count = 2;
        p.arcs[1].arc = 1;
    }
    const std::int32_t rows =
        polygons ? cover->record_count[kTamrecPolygons] : cover->record_count[kTamrecLabels];
    int position = 0;
    for (const char* name : {"AREA", "PERIMETER", "Cover#", "Cover-ID"}) {
        const Default& d = position < 2 ? kReal : kInteger;
        if (!InsertItem(cover->pat, position++, name, d.width, d.output_width, d.decimals, d.type,
                        rows))
            return -1;
    }
    (polygons ? cover->polygons_have_attributes : cover->labels_have_attributes) = 1;
    for (std::int32_t r = 1; r <= rows; ++r) {
        if (polygons) {
            SetReal(cover->pat, 0, r, r == 1 ? -1.0 : 1.0);
            SetReal(cover->pat, 1, r, 1.0);
        }
        SetInteger(cover->pat, 2, r, r);
        SetInteger(cover->pat, 3, r, r - 1);
    }
    return 0;
}
