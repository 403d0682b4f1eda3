#include "testing/coverage/CoverDump.h"

#include <cstdio>
#include <sstream>

#include "coverage/lib/Tamrec.h"

namespace covtest {

namespace {

std::string Number(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%.17g", v);
    return text;
}

std::vector<Item> Items(const tamrec_attribute_items& table) {
    std::vector<Item> items;
    for (std::int32_t i = 0; i < table.item_count; ++i) {
        const tamrec_info_field_description& d = table.items[i];
        items.push_back({d.name, d.type, d.width, d.output_width, d.decimals});
    }
    return items;
}

Row CurrentRow(const tamrec_attribute_items& table) {
    Row row;
    for (std::int32_t i = 0; i < table.item_count; ++i) {
        const tamrec_info_field_description& item = table.items[i];
        switch (item.type) {
            case kTamrecItemBinaryInteger:
                row[item.name] = std::to_string(item.value.integer);
                break;
            case kTamrecItemBinaryFloat:
                row[item.name] = Number(item.value.real);
                break;
            default:
                row[item.name] = item.value.text == nullptr ? "" : item.value.text;
        }
    }
    return row;
}

void ReadAll(tamrec_cover* cover, CoverDump& dump) {
    for (std::int32_t n = 1; n <= cover->record_count[kTamrecArcs]; ++n) {
        if (tamrec_read_record(cover, kTamrecArcs, n) != 0) {
            ++dump.unreadable;
            continue;
        }
        const tamrec_record_arc& a = cover->arc;
        Arc arc{a.user_id, a.from_node, a.to_node, a.left_polygon, a.right_polygon, {}};
        for (std::int32_t i = 0; i < a.vertex_count; ++i)
            arc.vertices.emplace_back(a.vertices[i].x, a.vertices[i].y);
        dump.arcs.push_back(arc);
    }
    for (std::int32_t n = 1; n <= cover->record_count[kTamrecLabels]; ++n) {
        if (tamrec_read_record(cover, kTamrecLabels, n) != 0) {
            ++dump.unreadable;
            continue;
        }
        const tamrec_record_label& l = cover->label;
        dump.labels.push_back({l.user_id, l.polygon_id, l.x, l.y});
    }
    for (std::int32_t n = 1; n <= cover->record_count[kTamrecPolygons]; ++n) {
        if (tamrec_read_record(cover, kTamrecPolygons, n) != 0) {
            ++dump.unreadable;
            continue;
        }
        const tamrec_record_polygon& p = cover->polygon;
        Polygon polygon{p.xmin, p.ymin, p.xmax, p.ymax, {}, {}, {}};
        for (std::int32_t i = 0; i < p.arc_count; ++i) {
            polygon.arcs.push_back(p.arcs[i].arc);
            polygon.nodes.push_back(p.arcs[i].node);
            polygon.polygons.push_back(p.arcs[i].polygon);
        }
        dump.polygons.push_back(polygon);
    }
    for (std::int32_t n = 1; n <= cover->record_count[kTamrecCentroids]; ++n) {
        if (tamrec_read_record(cover, kTamrecCentroids, n) != 0) {
            ++dump.unreadable;
            continue;
        }
        const tamrec_record_centroid& c = cover->centroid;
        dump.centroids.push_back(
            {c.x, c.y, std::vector<std::int32_t>(c.labels, c.labels + c.label_count)});
    }
    for (std::int32_t n = 1; n <= cover->record_count[kTamrecTics]; ++n) {
        if (tamrec_read_record(cover, kTamrecTics, n) != 0) {
            ++dump.unreadable;
            continue;
        }
        dump.tics.push_back({cover->tic.id, cover->tic.x, cover->tic.y});
    }
    for (std::int32_t n = 1; n <= cover->record_count[kTamrecTolerances]; ++n) {
        if (tamrec_read_record(cover, kTamrecTolerances, n) != 0) {
            ++dump.unreadable;
            continue;
        }
        const tamrec_record_tolerance& t = cover->tolerance;
        dump.tolerances.push_back({t.number, t.status, t.value});
    }
    for (std::int32_t n = 1; n <= cover->record_count[kTamrecAnnotation]; ++n) {
        if (tamrec_read_record(cover, kTamrecAnnotation, n) != 0) {
            ++dump.unreadable;
            continue;
        }
        const tamrec_record_text& t = cover->text;
        Text text{t.user_id, {}, {}, t.height, t.text};
        for (std::int32_t i = 0; i < t.n; ++i)
            text.line.emplace_back(t.points_n[i].x, t.points_n[i].y);
        for (std::int32_t i = 0; i < t.m; ++i)
            text.arrow.emplace_back(t.points_m[i].x, t.points_m[i].y);
        dump.texts.push_back(text);
    }
    for (std::int32_t n = 1; n <= cover->record_count[kTamrecProjection]; ++n) {
        if (tamrec_read_record(cover, kTamrecProjection, n) != 0) {
            ++dump.unreadable;
            continue;
        }
        dump.projection.emplace_back(cover->projection.line,
                                     static_cast<std::size_t>(cover->projection.length));
    }
    if (cover->file[kTamrecBounds].loaded && cover->record_count[kTamrecBounds] >= 1) {
        if (tamrec_read_record(cover, kTamrecBounds, 1) == 0) {
            dump.has_bounds = true;
            const tamrec_record_bounds& b = cover->bounds;
            dump.bounds[0] = b.xmin;
            dump.bounds[1] = b.ymin;
            dump.bounds[2] = b.xmax;
            dump.bounds[3] = b.ymax;
        } else {
            ++dump.unreadable;
        }
    }
    dump.aat_attached = cover->arcs_have_attributes != 0;
    dump.pat_on_labels = cover->labels_have_attributes != 0;
    dump.pat_on_polygons = cover->polygons_have_attributes != 0;
    if (dump.aat_attached) dump.aat_items = Items(cover->aat);
    if (dump.pat_on_labels || dump.pat_on_polygons) dump.pat_items = Items(cover->pat);
    for (std::int32_t n = 1; dump.aat_attached && n <= cover->record_count[kTamrecAat]; ++n) {
        if (tamrec_read_record(cover, kTamrecAat, n) != 0) {
            ++dump.unreadable;
            continue;
        }
        dump.aat.push_back(CurrentRow(cover->aat));
    }
    const bool pat = dump.pat_on_labels || dump.pat_on_polygons;
    for (std::int32_t n = 1; pat && n <= cover->record_count[kTamrecPat]; ++n) {
        if (tamrec_read_record(cover, kTamrecPat, n) != 0) {
            ++dump.unreadable;
            continue;
        }
        dump.pat.push_back(CurrentRow(cover->pat));
    }
}

}  // namespace

CoverDump DumpCover(const std::filesystem::path& workspace, const std::string& cover_name) {
    CoverDump dump;
    tamrec_workspace* ws = nullptr;
    if (tamrec_open_ws(workspace.string().c_str(), &ws) != 0) {
        dump.error = tamrec_last_error_text();
        return dump;
    }
    tamrec_cover* cover = nullptr;
    if (tamrec_open_cover(cover_name.c_str(), ws, &cover) != 0) {
        dump.error = tamrec_last_error_text();
        tamrec_close_ws(&ws);
        return dump;
    }
    dump.double_precision = cover->double_precision != 0;
    dump.byte_swap = cover->byte_swap != 0;
    dump.table_form = cover->table_form != 0;
    dump.xmin = cover->xmin;
    dump.ymin = cover->ymin;
    dump.xmax = cover->xmax;
    dump.ymax = cover->ymax;
    if (tamrec_open_cover_file(cover, kTamrecAllKinds, 1) == 0) {
        ReadAll(cover, dump);
    } else {
        dump.error = tamrec_last_error_text();
    }
    tamrec_close_cover(&cover);
    tamrec_close_ws(&ws);
    return dump;
}

std::string ToText(const CoverDump& d) {
    std::ostringstream out;
    out.precision(17);
    if (!d.error.empty()) out << "error: " << d.error;
    out << "precision " << (d.double_precision ? "double" : "single") << " swap " << d.byte_swap
        << " table form " << d.table_form << " bounds " << d.xmin << " " << d.ymin << " " << d.xmax
        << " " << d.ymax << " unreadable " << d.unreadable << "\n";
    for (const Arc& a : d.arcs) {
        out << "arc " << a.user_id << " " << a.from_node << "-" << a.to_node << " L"
            << a.left_polygon << " R" << a.right_polygon << ":";
        for (const auto& [x, y] : a.vertices) out << " " << x << "," << y;
        out << "\n";
    }
    for (const Label& l : d.labels)
        out << "label " << l.user_id << " poly " << l.polygon_id << " " << l.x << "," << l.y
            << "\n";
    for (const Polygon& p : d.polygons) {
        out << "polygon " << p.xmin << "," << p.ymin << " " << p.xmax << "," << p.ymax << ":";
        for (std::size_t i = 0; i < p.arcs.size(); ++i)
            out << " (" << p.arcs[i] << " " << p.nodes[i] << " " << p.polygons[i] << ")";
        out << "\n";
    }
    for (const Centroid& c : d.centroids) {
        out << "centroid " << c.x << "," << c.y << ":";
        for (std::int32_t l : c.labels) out << " " << l;
        out << "\n";
    }
    for (const Tic& t : d.tics) out << "tic " << t.id << " " << t.x << "," << t.y << "\n";
    for (const Tolerance& t : d.tolerances)
        out << "tol " << t.number << " " << t.status << " " << t.value << "\n";
    for (const Text& t : d.texts) {
        out << "text " << t.user_id << " h " << t.height << " '" << t.text << "':";
        for (const auto& [x, y] : t.line) out << " " << x << "," << y;
        out << " /";
        for (const auto& [x, y] : t.arrow) out << " " << x << "," << y;
        out << "\n";
    }
    for (const std::string& line : d.projection) out << "prj " << line;
    if (d.has_bounds)
        out << "bnd " << d.bounds[0] << " " << d.bounds[1] << " " << d.bounds[2] << " "
            << d.bounds[3] << "\n";
    for (const Row& r : d.aat) {
        out << "aat";
        for (const auto& [k, v] : r) out << " " << k << "=" << v;
        out << "\n";
    }
    for (const Row& r : d.pat) {
        out << "pat" << (d.pat_on_polygons ? "(polygons)" : "(labels)");
        for (const auto& [k, v] : r) out << " " << k << "=" << v;
        out << "\n";
    }
    return out.str();
}

}  // namespace covtest
