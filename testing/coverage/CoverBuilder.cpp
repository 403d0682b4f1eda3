#include "testing/coverage/CoverBuilder.h"

#include <cstdlib>
#include <cstring>

namespace covtest {

namespace {

bool Fill(tamrec_cover* c, int table, const GenTable& gen, std::size_t defaults) {
    if (gen.items.empty()) return true;
    const bool polygon_pat =
        table != kTamrecAatTable && !gen.rows.empty() && std::atof(gen.rows[0][0].c_str()) < 0;
    if (tamrec_default_items(c, table == kTamrecAatTable ? kTamrecAatTable
                                : polygon_pat            ? kTamrecPolygonPatTable
                                                         : kTamrecPatTable) != 0)
        return false;
    tamrec_attribute_items& items = table == kTamrecAatTable ? c->aat : c->pat;
    for (std::size_t i = defaults; i < gen.items.size(); ++i) {
        const GenItem& g = gen.items[i];
        if (tamrec_add_item(c, table, static_cast<int>(i), g.name.c_str(), g.width, g.output_width,
                            g.decimals, g.type) < 0)
            return false;
    }
    for (std::size_t r = 0; r < gen.rows.size(); ++r) {
        for (std::size_t i = 0; i < gen.items.size(); ++i) {
            tamrec_item_value& v = items.items[i].rows[r + 1];
            const std::string& text = gen.rows[r][i];
            const int type = items.items[i].type;
            if (type == kTamrecItemBinaryInteger) {
                v.integer = std::atoi(text.c_str());
            } else if (type == kTamrecItemBinaryFloat) {
                v.real = std::atof(text.c_str());
            } else {
                tamrec_free(v.text);
                v.text = tamrec_strdup(text.c_str());
            }
        }
    }
    return true;
}

bool Build(tamrec_cover* c, const GenCover& g) {
    c->double_precision = g.double_precision ? 1 : 0;
    c->adf_suffix = g.adf_suffix ? 1 : 0;
    c->table_form = g.table_form ? 1 : 0;
    for (const Arc& a : g.arcs) {
        const std::int32_t n = tamrec_new_arc(c);
        if (n < 0) return false;
        tamrec_record_arc& r = c->built.arcs[n];
        r.user_id = a.user_id;
        r.from_node = a.from_node;
        r.to_node = a.to_node;
        r.left_polygon = a.left_polygon;
        r.right_polygon = a.right_polygon;
        for (const auto& [x, y] : a.vertices)
            if (tamrec_add_arc_vertex(c, n, r.vertex_count, x, y, 0) < 0) return false;
        if (tamrec_end_arc(c, n) < 0) return false;
    }
    for (std::size_t k = 0; k < g.polygons.size(); ++k) {
        const std::int32_t n = tamrec_new_polygon(c);
        if (n < 0) return false;
        const Polygon& p = g.polygons[k];
        tamrec_record_polygon& r = c->built.polygons[n];
        r.xmin = p.xmin, r.ymin = p.ymin, r.xmax = p.xmax, r.ymax = p.ymax;
        r.arc_count = static_cast<std::int32_t>(p.arcs.size());
        r.arcs = static_cast<tamrec_arc_triple*>(
            tamrec_alloc(p.arcs.size() * sizeof(tamrec_arc_triple)));
        for (std::size_t i = 0; i < p.arcs.size(); ++i)
            r.arcs[i] = {p.arcs[i], p.nodes[i], p.polygons[i]};
        if (k < g.centroids.size()) {
            const Centroid& cg = g.centroids[k];
            tamrec_record_centroid& cr = c->built.centroids[n];
            cr.x = cg.x, cr.y = cg.y;
            cr.label_count = static_cast<std::int32_t>(cg.labels.size());
            cr.labels =
                static_cast<std::int32_t*>(tamrec_alloc(cg.labels.size() * sizeof(std::int32_t)));
            for (std::size_t i = 0; i < cg.labels.size(); ++i) cr.labels[i] = cg.labels[i];
        }
    }
    for (const Label& l : g.labels) {
        const std::int32_t n = tamrec_new_label(c);
        if (n < 0) return false;
        c->built.labels[n].user_id = l.user_id;
        c->built.labels[n].polygon_id = l.polygon_id;
        c->built.labels[n].x = l.x;
        c->built.labels[n].y = l.y;
    }
    for (const Tic& t : g.tics) {
        const std::int32_t n = tamrec_new_tic(c);
        if (n < 0) return false;
        c->built.tics[n].id = t.id;
        c->built.tics[n].x = t.x;
        c->built.tics[n].y = t.y;
    }
    for (const Text& t : g.texts) {
        const std::int32_t n = tamrec_new_text(c);
        if (n < 0) return false;
        tamrec_record_text& r = c->built.texts[n];
        r.user_id = t.user_id;
        r.n = static_cast<std::int32_t>(t.line.size());
        for (std::size_t i = 0; i < t.line.size() && i < 4; ++i)
            r.points_n[i] = {t.line[i].first, t.line[i].second};
        r.m = static_cast<std::int32_t>(t.arrow.size());
        for (std::size_t i = 0; i < t.arrow.size() && i < 3; ++i)
            r.points_m[i] = {t.arrow[i].first, t.arrow[i].second};
        r.height = t.height;
        r.text = tamrec_strdup(t.text.c_str());
        r.text_length = static_cast<std::int32_t>(t.text.size());
    }
    if (g.bounds) {
        c->xmin = (*g.bounds)[0];
        c->ymin = (*g.bounds)[1];
        c->xmax = (*g.bounds)[2];
        c->ymax = (*g.bounds)[3];
    }
    if (g.table_form) return true;
    return Fill(c, kTamrecAatTable, g.aat, 7) && Fill(c, kTamrecPatTable, g.pat, 4);
}

}  // namespace

tamrec_cover* BuildCover(const GenCover& cover) {
    tamrec_cover* c = nullptr;
    if (tamrec_new_cover(&c) != 0) return nullptr;
    if (!Build(c, cover)) tamrec_free_cover(&c);
    return c;
}

}  // namespace covtest
