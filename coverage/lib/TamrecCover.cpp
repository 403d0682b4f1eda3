// Opening a cover and loading its files kind by kind.
#include <algorithm>
#include <cstring>
#include <string>

#include "coverage/lib/Tamrec.h"
#include "coverage/lib/TamrecFormat.h"
#include "coverage/lib/TamrecInternal.h"

using namespace tamrecinternal;

namespace {

constexpr int kLoadOrder[] = {kTamrecArcs,       kTamrecLabels,     kTamrecPolygons,
                              kTamrecCentroids,  kTamrecAnnotation, kTamrecTics,
                              kTamrecTolerances, kTamrecProjection, kTamrecBounds};

std::string Found(char* path) {
    std::string out = path == nullptr ? "" : path;
    tamrec_free(path);
    return out;
}

std::string FindIn(const std::string& directory, const std::string& name) {
    return Found(tamrec_find_file(directory.c_str(), name.c_str()));
}

// A cover file by its base name, with the cover's suffix; empty when missing.
std::string FindCoverFile(const tamrec_cover& cover, const std::string& base) {
    return FindIn(cover.directory, cover.adf_suffix ? base + kTamrecAdfSuffix : base);
}

bool EndsWithIgnoringCase(const std::string& name, const char* suffix) {
    const std::size_t n = std::strlen(suffix);
    if (name.size() < n) return false;
    std::string tail = name.substr(name.size() - n);
    tamrec_to_lower(tail.data());
    return tail == suffix;
}

struct KindFiles {
    std::string data;
    std::string index;             // indexed kinds
    std::int32_t record_size = 0;  // fixed-record kinds
    const char* dbf = nullptr;     // the dBASE table of the table form
};

// The annotation pair: the first file whose name ends in "txt" and the one
// that ends in "txx" in its place.
KindFiles FindAnnotationFiles(const tamrec_cover& cover) {
    KindFiles files;
    int count = 0;
    char** names = cover.adf_suffix
                       ? get_directory_list(cover.directory, kTamrecAdfSuffix, &count, 0, 1)
                       : get_directory_list(cover.directory, nullptr, &count, 0, 0);
    for (char** n = names; n != nullptr && *n != nullptr; ++n) {
        const std::string name = *n;
        if (!EndsWithIgnoringCase(name, "txt")) continue;
        files.data = FindCoverFile(cover, name);
        files.index = FindCoverFile(cover, name.substr(0, name.size() - 3) + "txx");
        if (!files.data.empty() && !files.index.empty()) break;
        files = KindFiles{};
    }
    tamrec_free_list(names);
    return files;
}

// The files of one kind as they are in the cover directory; data (and index)
// empty when the kind is not there.
KindFiles FindKindFiles(const tamrec_cover& cover, int kind) {
    KindFiles files;
    auto indexed = [&](const char* data, const char* index) {
        KindFiles pair;
        pair.data = FindCoverFile(cover, data);
        pair.index = FindCoverFile(cover, index);
        if (pair.data.empty() || pair.index.empty()) pair = KindFiles{};
        return pair;
    };
    auto fixed = [&](const char* name, std::int32_t size) {
        KindFiles one;
        one.data = FindCoverFile(cover, name);
        one.record_size = size;
        return one;
    };
    auto table = [&](const char* name) {
        KindFiles one;
        one.data = FindIn(cover.directory, name);
        one.dbf = name;
        return one;
    };
    const bool dbl = cover.double_precision != 0;
    switch (kind) {
        case kTamrecArcs:
            return indexed("arc", "arx");
        case kTamrecLabels:
            return fixed("lab", dbl ? kTamrecLabelSizeDouble : kTamrecLabelSize);
        case kTamrecPolygons:
            files = indexed("pal", "pax");
            return files.data.empty() ? indexed("pff", "pfx") : files;
        case kTamrecCentroids:
            return indexed("cnt", "cnx");
        case kTamrecTics:
            if (cover.table_form) return table(kTamrecTicDbf);
            return dbl ? fixed("dbltic", kTamrecTicSizeDouble) : fixed("tic", kTamrecTicSize);
        case kTamrecTolerances:
            return fixed("tol", kTamrecToleranceSize);
        case kTamrecAat:
            return cover.table_form ? KindFiles{} : fixed("aat", 0);
        case kTamrecPat:
            return cover.table_form ? KindFiles{} : fixed("pat", 0);
        case kTamrecProjection:
            return fixed("prj", 0);
        case kTamrecAnnotation:
            return FindAnnotationFiles(cover);
        case kTamrecBounds:
            if (cover.table_form) return table(kTamrecBndDbf);
            // The bound file's name gives its precision.
            files =
                dbl ? fixed("dblbnd", kTamrecBoundsSizeDouble) : fixed("bnd", kTamrecBoundsSize);
            if (files.data.empty())
                files = dbl ? fixed("bnd", kTamrecBoundsSize)
                            : fixed("dblbnd", kTamrecBoundsSizeDouble);
            return files;
        default:
            return files;
    }
}

int AccessMode(int kind) {
    switch (kind) {
        case kTamrecArcs:
        case kTamrecPolygons:
        case kTamrecCentroids:
        case kTamrecAnnotation:
            return kTamrecIndexedRecords;
        case kTamrecLabels:
            return kTamrecHeaderAndFixedRecords;
        case kTamrecProjection:
            return kTamrecTextLines;
        default:
            return kTamrecFixedRecords;
    }
}

// Maps one file; 1 with the last error set on failure.
int Map(const std::string& path, tamrec_mapping* map) {
    char* message = nullptr;
    if (aio_fmap(path.c_str(), map, &message) != nullptr) return 0;
    if (tamrec_last_error_code() != kTamrecErrorNoMemory)
        Fail("tamrec_lib: " + std::string(message == nullptr ? "" : message) + "\n");
    tamrec_free(message);
    return 1;
}

// A 32-bit header field of a table-form or binary file, 0 when the file is shorter.
std::int32_t HeaderField(const tamrec_file& f, const tamrec_mapping& map, std::size_t offset) {
    CByteCursor c({map.view, static_cast<std::size_t>(map.size)});
    c.Seek((f.table_form ? kTamrecTablePrefixSize : 0) + offset);
    return I32(c, f.swap);
}

// Records a file holds, never more than its bytes can carry: a damaged
// count must not make a caller walk millions of empty records.
std::int32_t RecordCount(const tamrec_file& f) {
    const std::uint64_t header = kTamrecHeaderSize + (f.table_form ? kTamrecTablePrefixSize : 0);
    std::uint64_t count = 0;
    switch (f.mode) {
        case kTamrecFixedRecords:
            count = f.record_size > 0 ? f.data.size / static_cast<std::uint64_t>(f.record_size) : 0;
            break;
        case kTamrecHeaderAndFixedRecords:
        case kTamrecIndexedRecords: {
            const tamrec_mapping& map = f.mode == kTamrecIndexedRecords ? f.index : f.data;
            const std::uint64_t unit = f.mode == kTamrecIndexedRecords
                                           ? kTamrecIndexEntrySize
                                           : static_cast<std::uint64_t>(f.record_size);
            if (map.size < header || unit == 0) break;
            count = (map.size - header) / unit;
            if (f.table_form) {
                const std::int64_t words = HeaderField(f, map, kTamrecHeaderLengthOffset);
                const std::int64_t declared =
                    (2 * words - static_cast<std::int64_t>(kTamrecHeaderSize)) /
                    static_cast<std::int64_t>(unit);
                count = declared <= 0
                            ? 0
                            : std::min<std::uint64_t>(count, static_cast<std::uint64_t>(declared));
            }
            break;
        }
        case kTamrecTextLines: {
            const auto* begin = f.data.view;
            const auto* end = begin + f.data.size;
            count = static_cast<std::uint64_t>(std::count(begin, end, '\n'));
            if (f.data.size != 0 && end[-1] != '\n') ++count;
            break;
        }
        default:
            break;
    }
    return static_cast<std::int32_t>(std::min<std::uint64_t>(count, INT32_MAX));
}

void FreeCurrentRecord(tamrec_cover& cover, int kind) {
    switch (kind) {
        case kTamrecArcs:
            tamrec_free(cover.arc.vertices);
            cover.arc = tamrec_record_arc{};
            break;
        case kTamrecLabels:
            cover.label = tamrec_record_label{};
            break;
        case kTamrecPolygons:
            tamrec_free(cover.polygon.arcs);
            cover.polygon = tamrec_record_polygon{};
            break;
        case kTamrecCentroids:
            tamrec_free(cover.centroid.labels);
            cover.centroid = tamrec_record_centroid{};
            break;
        case kTamrecTics:
            cover.tic = tamrec_record_tic{};
            break;
        case kTamrecTolerances:
            cover.tolerance = tamrec_record_tolerance{};
            break;
        case kTamrecProjection:
            cover.projection = tamrec_record_projection{};
            break;
        case kTamrecAnnotation:
            tamrec_free(cover.text.text);
            cover.text = tamrec_record_text{};
            break;
        case kTamrecBounds:
            cover.bounds = tamrec_record_bounds{};
            break;
        default:
            break;
    }
}

void UnloadAttributes(tamrec_cover& cover, int kind) {
    tamrec_attribute_items& items = kind == kTamrecAat ? cover.aat : cover.pat;
    FreeItems(items.items, items.item_count);
    items = tamrec_attribute_items{};
    tamrec_file& f = cover.file[kind];
    funmap(&f.data);
    f.loaded = 0;
    cover.record_count[kind] = 0;
    if (kind == kTamrecAat) {
        cover.arcs_have_attributes = 0;
    } else {
        cover.labels_have_attributes = 0;
        cover.polygons_have_attributes = 0;
    }
}

void UnloadOne(tamrec_cover& cover, int kind) {
    if (kind == kTamrecAat || kind == kTamrecPat) {
        UnloadAttributes(cover, kind);
        return;
    }
    if (kind == kTamrecArcs && cover.arcs_have_attributes) UnloadAttributes(cover, kTamrecAat);
    if ((kind == kTamrecLabels && cover.labels_have_attributes) ||
        (kind == kTamrecPolygons && cover.polygons_have_attributes))
        UnloadAttributes(cover, kTamrecPat);
    tamrec_file& f = cover.file[kind];
    funmap(&f.data);
    funmap(&f.index);
    tamrec_dbf_close(&f.dbf);
    f.loaded = 0;
    f.header_type = 0;
    cover.record_count[kind] = 0;
    FreeCurrentRecord(cover, kind);
}

tamrec_table_entry* EntryFor(const tamrec_cover& cover) {
    std::string name = cover.name;
    tamrec_to_lower(name.data());
    const tamrec_workspace* ws = cover.workspace;
    for (std::int32_t i = 0; i < ws->table_count; ++i)
        if (name == ws->tables[i].cover_name) return &ws->tables[i];
    return nullptr;
}

enum class Attach { kAttached, kNone, kNoMemory };

// Opens the AAT or PAT rows with a copy of the entry's items. Items that do
// not fit in the record, or a record length that cannot be, leave the kind
// without attributes.
Attach AttachAttributes(tamrec_cover& cover, int kind) {
    tamrec_file& f = cover.file[kind];
    if (cover.table_form || !f.present) return Attach::kNone;
    const tamrec_table_entry* entry = EntryFor(cover);
    if (entry == nullptr) return Attach::kNone;
    const bool aat = kind == kTamrecAat;
    const tamrec_info_field_description* source = aat ? entry->aat_items : entry->pat_items;
    const std::int32_t count = aat ? entry->aat_item_count : entry->pat_item_count;
    const std::int32_t length = aat ? entry->aat_record_length : entry->pat_record_length;
    if (source == nullptr || count <= 0 || length <= 0) return Attach::kNone;
    for (std::int32_t i = 0; i < count; ++i) {
        const tamrec_info_field_description& item = source[i];
        if (item.start < 1 || item.width < 0 || item.start - 1 + item.width > length)
            return Attach::kNone;
    }
    const std::string path = FindKindFiles(cover, kind).data;
    if (path.empty()) return Attach::kNone;
    auto* items = static_cast<tamrec_info_field_description*>(
        tamrec_alloc(static_cast<std::size_t>(count) * sizeof(tamrec_info_field_description)));
    if (items == nullptr) return Attach::kNoMemory;
    bool ok = true;
    for (std::int32_t i = 0; i < count && ok; ++i) {
        items[i] = source[i];
        items[i].value = tamrec_item_value{};
        items[i].name = tamrec_strdup(source[i].name);
        ok = items[i].name != nullptr;
        if (ok && items[i].type >= kTamrecItemDate && items[i].type <= kTamrecItemNumberText) {
            items[i].value.text =
                static_cast<char*>(tamrec_alloc(static_cast<std::size_t>(items[i].width) + 1));
            ok = items[i].value.text != nullptr;
        }
    }
    tamrec_attribute_items& slot = aat ? cover.aat : cover.pat;
    slot = tamrec_attribute_items{items, count, length};
    if (!ok) {
        UnloadAttributes(cover, kind);
        return Attach::kNoMemory;
    }
    f.mode = kTamrecFixedRecords;
    f.swap = cover.byte_swap;
    f.table_form = 0;
    f.record_size = length;
    if (Map(path, &f.data) != 0) {
        const bool no_memory = tamrec_last_error_code() == kTamrecErrorNoMemory;
        UnloadAttributes(cover, kind);
        return no_memory ? Attach::kNoMemory : Attach::kNone;
    }
    f.loaded = 1;
    cover.record_count[kind] = RecordCount(f);
    return Attach::kAttached;
}

// The first item of PAT row 1 as a number; it tells polygon attributes (the
// outside polygon's negative area) from point attributes.
bool FirstPatValue(tamrec_cover& cover, double* value) {
    if (cover.record_count[kTamrecPat] < 1 || tamrec_read_record(&cover, kTamrecPat, 1) != 0)
        return false;
    const tamrec_info_field_description& first = cover.pat.items[0];
    switch (first.type) {
        case kTamrecItemBinaryInteger:
            *value = first.value.integer;
            return true;
        case kTamrecItemBinaryFloat:
            *value = first.value.real;
            return true;
        case kTamrecItemIntegerText:
        case kTamrecItemNumberText:
            *value = ParseNumber(first.value.text);
            return true;
        default:
            *value = 0;
            return true;
    }
}

// Loads one kind 1-6, 9-11; the cover's present flag is set.
int LoadKind(tamrec_cover& cover, int kind, int with_attributes) {
    tamrec_file& f = cover.file[kind];
    const KindFiles files = FindKindFiles(cover, kind);
    if (files.data.empty())
        return Fail("tamrec_lib: tamrec_open_cover_file() cannot find the file of kind " +
                    std::to_string(kind) + " in cover " + cover.name + "\n");
    if (kind == kTamrecPolygons && !cover.file[kTamrecArcs].loaded &&
        tamrec_open_cover_file(&cover, kTamrecArcs, 0) != 0)
        return 1;
    f.mode = AccessMode(kind);
    f.swap = cover.byte_swap;
    f.table_form = cover.table_form;
    f.record_size = files.record_size;
    if (files.dbf != nullptr) {
        std::int32_t rows = 0, fields = 0;
        if (tamrec_dbf_open(cover.directory, &f.dbf, files.dbf, &rows, &fields) != 0) return 1;
        f.loaded = 1;
        cover.record_count[kind] = rows;
        return 0;
    }
    if (Map(files.data, &f.data) != 0 ||
        (f.mode == kTamrecIndexedRecords && Map(files.index, &f.index) != 0)) {
        UnloadOne(cover, kind);
        return 1;
    }
    if (f.mode == kTamrecIndexedRecords || f.mode == kTamrecHeaderAndFixedRecords)
        f.header_type = HeaderField(f, f.data, kTamrecHeaderTypeOffset);
    f.loaded = 1;
    cover.record_count[kind] = RecordCount(f);

    if (with_attributes && kind == kTamrecArcs) {
        const Attach a = AttachAttributes(cover, kTamrecAat);
        if (a == Attach::kNoMemory) {
            UnloadOne(cover, kind);
            return 1;
        }
        cover.arcs_have_attributes = a == Attach::kAttached;
    }
    if (with_attributes && (kind == kTamrecLabels || kind == kTamrecPolygons) &&
        !cover.file[kTamrecPat].loaded) {
        const Attach a = AttachAttributes(cover, kTamrecPat);
        if (a == Attach::kNoMemory) {
            UnloadOne(cover, kind);
            return 1;
        }
        double first = 0;
        if (a == Attach::kAttached) {
            const bool known = FirstPatValue(cover, &first);
            const bool keep = known && (kind == kTamrecLabels ? first >= 0 : first < 0);
            if (!keep) {
                UnloadAttributes(cover, kTamrecPat);
            } else if (kind == kTamrecLabels) {
                cover.labels_have_attributes = 1;
            } else {
                cover.polygons_have_attributes = 1;
            }
        }
    }
    return 0;
}

// The first 32-bit word of the first cover file that exists, read
// little-endian, tells the byte order of all of them.
int DetectByteOrder(tamrec_cover& cover) {
    std::string tried;
    std::string path;
    for (const char* base : {"arc", "", "lab", "tic", "dbltic"}) {
        if (*base == '\0') {
            tried = FindAnnotationFiles(cover).data;
            path = tried;
        } else {
            tried = JoinPath(cover.directory,
                             cover.adf_suffix ? std::string(base) + kTamrecAdfSuffix : base);
            path = FindCoverFile(cover, base);
        }
        if (!path.empty()) break;
    }
    if (path.empty())
        return Fail("tamrec_lib: tamrec_open_cover() cannot open file '" + tried + "'\n");
    cover.byte_swap = 0;
    const auto source = CFileByteSource::Open(path);
    std::uint8_t first[4];
    if (source == nullptr || !source->ReadAt(0, first, sizeof first)) return 0;
    const std::uint32_t word = byteorder::LoadU32Le(first);
    if (word < 65536) return 0;
    if ((word & 0xFFFF) == 0) {
        cover.byte_swap = 1;
        return 0;
    }
    return Fail("tamrec_lib: tamrec_open_cover() '" + std::string(cover.name) +
                "' is not a valid cover, bad 'magic number'\n");
}

void SetPresentFlags(tamrec_cover& cover) {
    for (int kind = kTamrecArcs; kind <= kTamrecBounds; ++kind) cover.file[kind].present = 0;
    if (!cover.table_form) {
        if (!FindCoverFile(cover, "dbltic").empty()) {
            cover.double_precision = 1;
        }
    }
    for (int kind = kTamrecArcs; kind <= kTamrecBounds; ++kind)
        cover.file[kind].present = !FindKindFiles(cover, kind).data.empty();
    if (!cover.file[kTamrecArcs].present) cover.file[kTamrecPolygons].present = 0;
}

// Bounds from the bound file, else from the tics' extremes, else zero.
void ComputeBounds(tamrec_cover& cover) {
    cover.xmin = cover.ymax = cover.xmax = cover.ymin = 0;
    if (cover.file[kTamrecBounds].present &&
        tamrec_open_cover_file(&cover, kTamrecBounds, 0) == 0 &&
        tamrec_read_record(&cover, kTamrecBounds, 1) == 0) {
        cover.xmin = cover.bounds.xmin;
        cover.ymax = cover.bounds.ymax;
        cover.xmax = cover.bounds.xmax;
        cover.ymin = cover.bounds.ymin;
    } else if (cover.file[kTamrecTics].present &&
               tamrec_open_cover_file(&cover, kTamrecTics, 0) == 0 &&
               cover.record_count[kTamrecTics] >= 2) {
        bool first = true;
        for (std::int32_t n = 1; n <= cover.record_count[kTamrecTics]; ++n) {
            if (tamrec_read_record(&cover, kTamrecTics, n) != 0) continue;
            const double x = cover.tic.x, y = cover.tic.y;
            if (first) {
                cover.xmin = cover.xmax = x;
                cover.ymin = cover.ymax = y;
                first = false;
            }
            cover.xmin = std::min(cover.xmin, x);
            cover.xmax = std::max(cover.xmax, x);
            cover.ymin = std::min(cover.ymin, y);
            cover.ymax = std::max(cover.ymax, y);
        }
    }
    UnloadOne(cover, kTamrecBounds);
    UnloadOne(cover, kTamrecTics);
}

void FreeCover(tamrec_cover* cover) {
    tamrec_free(cover->name);
    tamrec_free(cover->directory);
    tamrec_free(cover);
}

std::string CoverDirectory(const char* workspace_path, const char* cover_name) {
    if (workspace_path == nullptr || cover_name == nullptr || *cover_name == '\0') return {};
    std::string path = FindIn(workspace_path, cover_name);
    return tamrec_is_directory(path.c_str()) ? path : std::string();
}

bool HoldsTics(const std::string& directory, int suffix) {
    for (const char* base : {"dbltic", "tic"}) {
        const std::string name = suffix ? std::string(base) + kTamrecAdfSuffix : base;
        if (!FindIn(directory, name).empty()) return true;
    }
    return !FindIn(directory, kTamrecTicDbf).empty();
}

}  // namespace

bool tamrec_is_cover(const char* workspace_path, const char* cover_name, int suffix) {
    const std::string directory = CoverDirectory(workspace_path, cover_name);
    return !directory.empty() && HoldsTics(directory, suffix);
}

int tamrec_open_cover(const char* cover_name, tamrec_workspace* workspace, tamrec_cover** out) {
    if (out == nullptr || *out != nullptr)
        return Fail("tamrec_lib: tamrec_open_cover() handed a non-NULL cover ptr\n");
    if (workspace == nullptr)
        return Fail("tamrec_lib: tamrec_open_cover() handed a NULL workspace ptr\n");
    const char* name = cover_name == nullptr ? "" : cover_name;
    int suffix = 0;
    if (tamrec_is_cover(workspace->path, name, 1)) {
        suffix = 1;
    } else if (!tamrec_is_cover(workspace->path, name, 0)) {
        return Fail("tamrec_lib: tamrec_open_cover() '" + std::string(name) +
                    "' is not a valid cover\n");
    }
    const std::string directory = CoverDirectory(workspace->path, name);

    auto* cover = static_cast<tamrec_cover*>(tamrec_alloc(sizeof(tamrec_cover)));
    if (cover == nullptr) return 1;
    cover->name = tamrec_strdup(name);
    cover->directory = tamrec_strdup(directory.c_str());
    if (cover->name == nullptr || cover->directory == nullptr) {
        FreeCover(cover);
        return 1;
    }
    cover->workspace = workspace;
    cover->table_form =
        !FindIn(directory, kTamrecTicDbf).empty() || !FindIn(directory, kTamrecBndDbf).empty();
    cover->adf_suffix = cover->table_form ? 0 : suffix;
    if (!cover->table_form && DetectByteOrder(*cover) != 0) {
        FreeCover(cover);
        return 1;
    }
    tamrec_cover** tail = &workspace->first_cover;
    while (*tail != nullptr) tail = &(*tail)->next;
    *tail = cover;

    SetPresentFlags(*cover);
    ComputeBounds(*cover);
    *out = cover;
    return 0;
}

int tamrec_close_cover(tamrec_cover** cover) {
    if (cover == nullptr || *cover == nullptr) return 1;
    tamrec_cover* c = *cover;
    tamrec_unload_kind(c, kTamrecAllKinds);
    if (c->workspace != nullptr) {
        for (tamrec_cover** link = &c->workspace->first_cover; *link != nullptr;
             link = &(*link)->next) {
            if (*link == c) {
                *link = c->next;
                break;
            }
        }
    }
    FreeCover(c);
    *cover = nullptr;
    return 0;
}

int tamrec_open_cover_file(tamrec_cover* cover, int kind, int with_attributes) {
    if (cover == nullptr)
        return Fail("tamrec_lib: tamrec_open_cover_file() handed a NULL cover_ptr\n");
    if (kind == kTamrecAllKinds) {
        for (const int k : kLoadOrder) {
            if (!cover->file[k].present) continue;
            if (tamrec_open_cover_file(cover, k, with_attributes) != 0 &&
                tamrec_last_error_code() == kTamrecErrorNoMemory)
                return 1;
        }
        return 0;
    }
    if (kind < kTamrecArcs || kind > kTamrecBounds || kind == kTamrecAat || kind == kTamrecPat)
        return Fail("tamrec_lib: tamrec_open_cover_file() cannot load kind " +
                    std::to_string(kind) + "\n");
    UnloadOne(*cover, kind);
    if (!cover->file[kind].present)
        return Fail("tamrec_lib: tamrec_open_cover_file() cover " + std::string(cover->name) +
                    " has no file of kind " + std::to_string(kind) + "\n");
    return LoadKind(*cover, kind, with_attributes);
}

int tamrec_unload_kind(tamrec_cover* cover, int kind) {
    if (cover == nullptr || kind < kTamrecArcs || kind > kTamrecAllKinds) return 1;
    if (kind == kTamrecAllKinds) {
        for (int k = kTamrecArcs; k <= kTamrecBounds; ++k) UnloadOne(*cover, k);
        return 0;
    }
    UnloadOne(*cover, kind);
    return 0;
}
