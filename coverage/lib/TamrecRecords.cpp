// Decoding one record of a loaded kind into the cover's current record. Every
// count and length is checked against the record's bytes before anything is
// copied or allocated, so a failed read leaves the current record untouched.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>

#include "coverage/lib/Tamrec.h"
#include "coverage/lib/TamrecFormat.h"
#include "coverage/lib/TamrecInternal.h"

using namespace tamrecinternal;

namespace {

using Bytes = std::span<const std::uint8_t>;

Bytes View(const tamrec_mapping& map) {
    return {map.view, static_cast<std::size_t>(map.size)};
}

std::size_t Prefix(const tamrec_file& f) {
    return f.table_form ? kTamrecTablePrefixSize : 0;
}

// Indexed record n, its 8-byte prefix included; empty when the index entry is
// 0, points outside the data, or disagrees with the record's own prefix.
Bytes IndexedRecord(const tamrec_file& f, std::int32_t n) {
    const std::size_t base = Prefix(f);
    CByteCursor index(View(f.index));
    index.Seek(base + kTamrecHeaderSize + kTamrecIndexEntrySize * static_cast<std::size_t>(n - 1));
    const std::int32_t offset_words = I32(index, f.swap);
    const std::int32_t length_words = I32(index, f.swap);
    if (!index.Ok() || offset_words <= 0 || length_words < 0) return {};
    const std::uint64_t at = base + 2 * static_cast<std::uint64_t>(offset_words);
    const std::uint64_t size =
        kTamrecRecordPrefixSize + 2 * static_cast<std::uint64_t>(length_words);
    if (at > f.data.size || size > f.data.size - at) return {};
    const Bytes record =
        View(f.data).subspan(static_cast<std::size_t>(at), static_cast<std::size_t>(size));
    CByteCursor prefix(record);
    const std::int32_t number = I32(prefix, f.swap);
    const std::int32_t length = I32(prefix, f.swap);
    if (!prefix.Ok() || number != n || length != length_words) return {};
    return record;
}

// Fixed record n of a kind without a header (mode 1) or after one (mode 2).
Bytes FixedRecord(const tamrec_file& f, std::int32_t n) {
    const std::size_t header =
        f.mode == kTamrecHeaderAndFixedRecords ? Prefix(f) + kTamrecHeaderSize : 0;
    const std::uint64_t size = static_cast<std::uint64_t>(f.record_size);
    const std::uint64_t at = header + static_cast<std::uint64_t>(n - 1) * size;
    if (size == 0 || at > f.data.size || size > f.data.size - at) return {};
    return View(f.data).subspan(static_cast<std::size_t>(at), static_cast<std::size_t>(size));
}

// Grows `*buffer` to hold `count` elements; false only without memory.
template <class T>
bool Reserve(T** buffer, std::int32_t* capacity, std::int32_t count, std::int32_t minimum) {
    if (*buffer != nullptr && count <= *capacity) return true;
    const std::int32_t wanted = std::max(count, minimum);
    auto* grown =
        static_cast<T*>(tamrec_realloc(*buffer, static_cast<std::size_t>(wanted) * sizeof(T)));
    if (grown == nullptr) return false;
    *buffer = grown;
    *capacity = wanted;
    return true;
}

// Whether `count` elements of `size` bytes from `offset` fit in `record`.
bool Fits(Bytes record, std::size_t offset, std::int64_t count, std::size_t size) {
    return count >= 0 && offset <= record.size() &&
           static_cast<std::uint64_t>(count) <= (record.size() - offset) / size;
}

int Unreadable(const tamrec_cover& cover, int kind, std::int32_t n) {
    return Fail("tamrec_lib: tamrec_read_record() record " + std::to_string(n) + " of kind " +
                std::to_string(kind) + " in cover " + cover.name + " cannot be read\n");
}

int ReadArc(tamrec_cover& cover, std::int32_t n) {
    const tamrec_file& f = cover.file[kTamrecArcs];
    const Bytes record = IndexedRecord(f, n);
    CByteCursor c(record);
    c.Seek(kTamrecRecordPrefixSize);
    tamrec_record_arc arc = cover.arc;
    arc.user_id = I32(c, f.swap);
    arc.from_node = I32(c, f.swap);
    arc.to_node = I32(c, f.swap);
    arc.left_polygon = I32(c, f.swap);
    arc.right_polygon = I32(c, f.swap);
    const std::int32_t count = I32(c, f.swap);
    const std::size_t pair = cover.double_precision ? 16 : 8;
    if (!c.Ok() || !Fits(record, c.Position(), count, pair))
        return Unreadable(cover, kTamrecArcs, n);
    if (!Reserve(&arc.vertices, &arc.vertex_capacity, count, kTamrecArcVertexLimit)) return 1;
    arc.vertex_count = count;
    arc.xmin = arc.ymin = arc.xmax = arc.ymax = 0;
    for (std::int32_t i = 0; i < count; ++i) {
        const double x = Coordinate(c, f.swap, cover.double_precision);
        const double y = Coordinate(c, f.swap, cover.double_precision);
        arc.vertices[i] = {x, y};
        arc.xmin = i == 0 ? x : std::min(arc.xmin, x);
        arc.xmax = i == 0 ? x : std::max(arc.xmax, x);
        arc.ymin = i == 0 ? y : std::min(arc.ymin, y);
        arc.ymax = i == 0 ? y : std::max(arc.ymax, y);
    }
    cover.arc = arc;
    return 0;
}

int ReadLabel(tamrec_cover& cover, std::int32_t n) {
    const tamrec_file& f = cover.file[kTamrecLabels];
    CByteCursor c(FixedRecord(f, n));
    tamrec_record_label label;
    label.user_id = I32(c, f.swap);
    label.polygon_id = I32(c, f.swap);
    label.x = Coordinate(c, f.swap, cover.double_precision);
    label.y = Coordinate(c, f.swap, cover.double_precision);
    if (!c.Ok()) return Unreadable(cover, kTamrecLabels, n);
    cover.label = label;
    return 0;
}

int ReadPolygon(tamrec_cover& cover, std::int32_t n) {
    const tamrec_file& f = cover.file[kTamrecPolygons];
    const Bytes record = IndexedRecord(f, n);
    CByteCursor c(record);
    c.Seek(kTamrecRecordPrefixSize);
    tamrec_record_polygon polygon = cover.polygon;
    polygon.xmin = Coordinate(c, f.swap, cover.double_precision);
    polygon.ymin = Coordinate(c, f.swap, cover.double_precision);
    polygon.xmax = Coordinate(c, f.swap, cover.double_precision);
    polygon.ymax = Coordinate(c, f.swap, cover.double_precision);
    const std::int32_t count = I32(c, f.swap);
    if (!c.Ok() || !Fits(record, c.Position(), count, 12))
        return Unreadable(cover, kTamrecPolygons, n);
    if (!Reserve(&polygon.arcs, &polygon.arc_capacity, count, 16)) return 1;
    polygon.arc_count = count;
    for (std::int32_t i = 0; i < count; ++i) {
        polygon.arcs[i].arc = I32(c, f.swap);
        polygon.arcs[i].node = I32(c, f.swap);
        polygon.arcs[i].polygon = I32(c, f.swap);
    }
    cover.polygon = polygon;
    return 0;
}

int ReadCentroid(tamrec_cover& cover, std::int32_t n) {
    const tamrec_file& f = cover.file[kTamrecCentroids];
    const Bytes record = IndexedRecord(f, n);
    CByteCursor c(record);
    c.Seek(kTamrecRecordPrefixSize);
    tamrec_record_centroid centroid = cover.centroid;
    centroid.x = Coordinate(c, f.swap, cover.double_precision);
    centroid.y = Coordinate(c, f.swap, cover.double_precision);
    const std::int32_t count = I32(c, f.swap);
    if (!c.Ok() || !Fits(record, c.Position(), count, 4))
        return Unreadable(cover, kTamrecCentroids, n);
    if (!Reserve(&centroid.labels, &centroid.label_capacity, count, kTamrecCentroidLabelLimit))
        return 1;
    centroid.label_count = count;
    for (std::int32_t i = 0; i < count; ++i) centroid.labels[i] = I32(c, f.swap);
    cover.centroid = centroid;
    return 0;
}

// Field `field` of row `row` of a dBASE table, converted.
bool DbfNumber(const tamrec_file& f, std::int32_t row, std::int32_t field, double* value) {
    char* text = nullptr;
    if (tamrec_dbf_field(&f.dbf, row, field, &text) != 0) return false;
    *value = ParseNumber(text);
    tamrec_free(text);
    return true;
}

int ReadTic(tamrec_cover& cover, std::int32_t n) {
    const tamrec_file& f = cover.file[kTamrecTics];
    tamrec_record_tic tic;
    if (f.dbf.map.open) {
        double id = 0;
        if (!DbfNumber(f, n, 1, &id) || !DbfNumber(f, n, 2, &tic.x) || !DbfNumber(f, n, 3, &tic.y))
            return Unreadable(cover, kTamrecTics, n);
        tic.id = std::isfinite(id)
                     ? static_cast<std::int32_t>(std::clamp(id, -2147483648.0, 2147483647.0))
                     : 0;
    } else {
        CByteCursor c(FixedRecord(f, n));
        const bool dbl = f.record_size == kTamrecTicSizeDouble;
        tic.id = I32(c, f.swap);
        tic.x = Coordinate(c, f.swap, dbl);
        tic.y = Coordinate(c, f.swap, dbl);
        if (!c.Ok()) return Unreadable(cover, kTamrecTics, n);
    }
    cover.tic = tic;
    return 0;
}

int ReadTolerance(tamrec_cover& cover, std::int32_t n) {
    const tamrec_file& f = cover.file[kTamrecTolerances];
    CByteCursor c(FixedRecord(f, n));
    tamrec_record_tolerance tolerance;
    tolerance.number = I32(c, f.swap);
    tolerance.status = I32(c, f.swap);
    tolerance.value = F32(c, f.swap);
    if (!c.Ok()) return Unreadable(cover, kTamrecTolerances, n);
    cover.tolerance = tolerance;
    return 0;
}

int ReadBounds(tamrec_cover& cover, std::int32_t n) {
    const tamrec_file& f = cover.file[kTamrecBounds];
    if (n != 1) return Unreadable(cover, kTamrecBounds, n);
    tamrec_record_bounds bounds;
    if (f.dbf.map.open) {
        if (!DbfNumber(f, 1, 1, &bounds.xmin) || !DbfNumber(f, 1, 2, &bounds.ymin) ||
            !DbfNumber(f, 1, 3, &bounds.xmax) || !DbfNumber(f, 1, 4, &bounds.ymax))
            return Unreadable(cover, kTamrecBounds, n);
    } else {
        CByteCursor c(FixedRecord(f, 1));
        const bool dbl = f.record_size == kTamrecBoundsSizeDouble;
        bounds.xmin = Coordinate(c, f.swap, dbl);
        bounds.ymin = Coordinate(c, f.swap, dbl);
        bounds.xmax = Coordinate(c, f.swap, dbl);
        bounds.ymax = Coordinate(c, f.swap, dbl);
        if (!c.Ok()) return Unreadable(cover, kTamrecBounds, n);
    }
    cover.bounds = bounds;
    return 0;
}

int ReadProjectionLine(tamrec_cover& cover, std::int32_t n) {
    const tamrec_file& f = cover.file[kTamrecProjection];
    const char* at = reinterpret_cast<const char*>(f.data.view);
    const char* end = at + f.data.size;
    for (std::int32_t line = 1; line < n && at < end; ++line) {
        const void* feed = std::memchr(at, '\n', static_cast<std::size_t>(end - at));
        at = feed == nullptr ? end : static_cast<const char*>(feed) + 1;
    }
    if (at >= end) return Unreadable(cover, kTamrecProjection, n);
    const void* feed = std::memchr(at, '\n', static_cast<std::size_t>(end - at));
    const char* stop = feed == nullptr ? end : static_cast<const char*>(feed) + 1;
    cover.projection = {at, static_cast<std::int32_t>(stop - at)};
    return 0;
}

// Padded length of an annotation text.
std::int64_t Padded(std::int32_t length) {
    return 4 * ((static_cast<std::int64_t>(length) + 3) / 4);
}

int ReadText(tamrec_cover& cover, std::int32_t n) {
    const tamrec_file& f = cover.file[kTamrecAnnotation];
    const Bytes record = IndexedRecord(f, n);
    const bool dbl = cover.double_precision != 0;
    const bool second_layout = dbl || f.header_type == kTamrecTextLayoutTwo;
    CByteCursor c(record);
    tamrec_record_text text = cover.text;
    std::int32_t stored_n = 0, stored_m = 0;
    std::size_t text_at = 0;
    auto point = [&]() {
        const double x = Coordinate(c, f.swap, dbl);
        return tamrec_dblxy_pair{x, Coordinate(c, f.swap, dbl)};
    };
    if (!second_layout) {
        c.Seek(8);
        text.user_id = I32(c, f.swap);
        stored_n = I32(c, f.swap);
        for (auto& p : text.points_n) p = point();
        stored_m = I32(c, f.swap);
        for (auto& p : text.points_m) p = point();
        text.height = F32(c, f.swap);
        text.second = F32(c, f.swap);
        text.integer = I32(c, f.swap);
        text.text_length = I32(c, f.swap);
        text_at = c.Position();
        text.n = std::clamp(stored_n, 0, 4);
        text.m = std::clamp(stored_m, 0, 3);
        if (!c.Ok() || !Fits(record, text_at, text.text_length, 1))
            return Unreadable(cover, kTamrecAnnotation, n);
    } else {
        c.Seek(12);
        text.user_id = I32(c, f.swap);
        text.second = F32(c, f.swap);
        text.integer = I32(c, f.swap);
        stored_n = I32(c, f.swap);
        c.Skip(4);
        text.text_length = I32(c, f.swap);
        stored_m = I32(c, f.swap);
        c.Seek(120);
        text.height = dbl ? F64(c, f.swap) : F32(c, f.swap);
        text_at = dbl ? 144 : 132;
        // Counts are taken by size, as other readers of these files do.
        if (stored_n == INT32_MIN || stored_m == INT32_MIN)
            return Unreadable(cover, kTamrecAnnotation, n);
        stored_n = std::abs(stored_n);
        stored_m = std::abs(stored_m);
        const std::size_t pair = dbl ? 16 : 8;
        const std::int64_t padded = Padded(text.text_length);
        if (!c.Ok() || !Fits(record, text_at, padded, 1) ||
            !Fits(record, text_at + static_cast<std::size_t>(padded),
                  static_cast<std::int64_t>(stored_n) + stored_m, pair))
            return Unreadable(cover, kTamrecAnnotation, n);
        // The base line's points come first, then the arrow's.
        c.Seek(text_at + static_cast<std::size_t>(padded));
        text.n = std::min(stored_n, 4);
        text.m = std::min(stored_m, 3);
        for (std::int32_t i = 0; i < stored_n; ++i) {
            const tamrec_dblxy_pair p = point();
            if (i < 4) text.points_n[i] = p;
        }
        for (std::int32_t i = 0; i < stored_m; ++i) {
            const tamrec_dblxy_pair p = point();
            if (i < 3) text.points_m[i] = p;
        }
        for (std::int32_t i = text.n; i < 4; ++i) text.points_n[i] = {};
        for (std::int32_t i = text.m; i < 3; ++i) text.points_m[i] = {};
    }
    if (text.text_length < 0) return Unreadable(cover, kTamrecAnnotation, n);
    if (!Reserve(&text.text, &text.text_capacity, text.text_length + 1, kTamrecTextBufferSize))
        return 1;
    std::memcpy(text.text, record.data() + text_at, static_cast<std::size_t>(text.text_length));
    text.text[text.text_length] = '\0';
    cover.text = text;
    return 0;
}

// Row n of the AAT or PAT into the items' current values. Items were checked
// against the record length when the table was attached.
int ReadRow(tamrec_cover& cover, int kind, std::int32_t n) {
    const tamrec_file& f = cover.file[kind];
    const tamrec_attribute_items& table = kind == kTamrecAat ? cover.aat : cover.pat;
    const Bytes row = FixedRecord(f, n);
    if (row.empty()) return Unreadable(cover, kind, n);
    for (std::int32_t i = 0; i < table.item_count; ++i) {
        tamrec_info_field_description& item = table.items[i];
        const std::size_t width = static_cast<std::size_t>(item.width);
        CByteCursor c(row.subspan(static_cast<std::size_t>(item.start - 1), width));
        switch (item.type) {
            case kTamrecItemDate:
            case kTamrecItemCharacter:
            case kTamrecItemIntegerText:
            case kTamrecItemNumberText: {
                std::memcpy(item.value.text, row.data() + item.start - 1, width);
                std::size_t end = width;
                while (end > 0 &&
                       (item.value.text[end - 1] == ' ' || item.value.text[end - 1] == '\0'))
                    --end;
                item.value.text[end] = '\0';
                break;
            }
            case kTamrecItemBinaryInteger:
                if (width == 1) item.value.integer = static_cast<std::int8_t>(c.U8());
                if (width == 2) item.value.integer = I16(c, f.swap);
                if (width == 4) item.value.integer = I32(c, f.swap);
                break;
            case kTamrecItemBinaryFloat:
                if (width == 4) item.value.real = F32(c, f.swap);
                if (width == 8) item.value.real = F64(c, f.swap);
                break;
            default:
                break;
        }
    }
    return 0;
}

}  // namespace

double tamrecinternal::ParseNumber(const char* text) {
    if (text == nullptr) return 0;
    while (*text == ' ') ++text;
    if (*text == '+') ++text;
    double value = 0;
    std::from_chars(text, text + std::strlen(text), value);
    return value;
}

int tamrec_read_record(tamrec_cover* cover, int kind, std::int32_t n) {
    if (cover == nullptr) return Fail("tamrec_lib: tamrec_read_record() handed a NULL cover ptr\n");
    if (kind < kTamrecArcs || kind > kTamrecBounds || !cover->file[kind].loaded || n < 1 ||
        n > cover->record_count[kind])
        return Unreadable(*cover, kind, n);
    switch (kind) {
        case kTamrecArcs: {
            const int result = ReadArc(*cover, n);
            if (result == 0 && cover->arcs_have_attributes && n <= cover->record_count[kTamrecAat])
                ReadRow(*cover, kTamrecAat, n);
            return result;
        }
        case kTamrecLabels: {
            const int result = ReadLabel(*cover, n);
            if (result == 0 && cover->labels_have_attributes &&
                n <= cover->record_count[kTamrecPat])
                ReadRow(*cover, kTamrecPat, n);
            return result;
        }
        case kTamrecPolygons: {
            const int result = ReadPolygon(*cover, n);
            if (result == 0 && cover->polygons_have_attributes &&
                n <= cover->record_count[kTamrecPat])
                ReadRow(*cover, kTamrecPat, n);
            return result;
        }
        case kTamrecCentroids:
            return ReadCentroid(*cover, n);
        case kTamrecTics:
            return ReadTic(*cover, n);
        case kTamrecTolerances:
            return ReadTolerance(*cover, n);
        case kTamrecAat:
        case kTamrecPat:
            return ReadRow(*cover, kind, n);
        case kTamrecProjection:
            return ReadProjectionLine(*cover, n);
        case kTamrecAnnotation:
            return ReadText(*cover, n);
        case kTamrecBounds:
            return ReadBounds(*cover, n);
        default:
            return Unreadable(*cover, kind, n);
    }
}
