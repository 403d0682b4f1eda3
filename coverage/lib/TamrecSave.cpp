// Saving a built cover into a workspace and deleting covers with their INFO tables.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "common/ByteOrder.h"
#include "coverage/lib/Tamrec.h"
#include "coverage/lib/TamrecFormat.h"
#include "coverage/lib/TamrecInternal.h"

using namespace tamrecinternal;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::int32_t kMaskBytes = 32768;
constexpr std::int32_t kMaskWords = 16384;
constexpr std::int32_t kMaskLengthWords = 16434;
constexpr std::int32_t kMaskType = -21;

std::string Printf(const char* format, const std::string& argument) {
    const int size = std::snprintf(nullptr, 0, format, argument.c_str());
    std::string text(static_cast<std::size_t>(std::max(size, 0)), '\0');
    std::snprintf(text.data(), text.size() + 1, format, argument.c_str());
    return text;
}

int SaveFail(const std::string& message) {
    return Fail("tamrec_lib: tamrec_save_cover() " + message);
}

int DeleteFail(const std::string& message) {
    return Fail("tamrec_lib: tamrec_delete_cover() " + message);
}

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Fields appended in one byte order.
class Out {
public:
    explicit Out(bool big) : big_(big) {}
    Bytes& bytes() { return bytes_; }
    std::size_t size() const { return bytes_.size(); }
    void I32(std::int32_t v) { Put(v); }
    void I16(std::int16_t v) { Put(v); }
    void F32(double v) { Put(static_cast<float>(v)); }
    void F64(double v) { Put(v); }
    void Coord(double v, bool dbl) { dbl ? F64(v) : F32(v); }
    void Zeros(std::size_t n) { bytes_.insert(bytes_.end(), n, 0); }
    void Text(const char* text, std::size_t width, char pad = ' ') {
        const std::size_t length = text == nullptr ? 0 : std::min(std::strlen(text), width);
        bytes_.insert(bytes_.end(), text, text + length);
        bytes_.insert(bytes_.end(), width - length, static_cast<std::uint8_t>(pad));
    }
    void Text(const std::string& text, std::size_t width) { Text(text.c_str(), width); }
    void I32At(std::size_t at, std::int32_t v) {
        big_ ? byteorder::StoreI32Be(v, &bytes_[at]) : byteorder::StoreI32Le(v, &bytes_[at]);
    }

private:
    template <class T>
    void Put(T v) {
        std::uint8_t b[sizeof(T)];
        big_ ? byteorder::Store<byteorder::Endian::kBig>(v, b)
             : byteorder::Store<byteorder::Endian::kLittle>(v, b);
        bytes_.insert(bytes_.end(), b, b + sizeof(T));
    }
    bool big_;
    Bytes bytes_;
};

struct Target {
    tamrec_cover& cover;
    std::string name;       // as given
    std::string workspace;  // with '/' separators
    std::string directory;  // the temporary cover directory being written
    bool big = true;
    bool dbl = false;
    bool table = false;
    bool style4 = false;
    std::size_t prefix() const { return table ? kTamrecTablePrefixSize : 0; }
    std::string Path(const std::string& base) const {
        return JoinPath(directory, base + (cover.adf_suffix ? kTamrecAdfSuffix : ""));
    }
};

// False with nothing reported; the caller reports its own message.
bool WriteBytes(const std::string& path, const Bytes& bytes, bool* created) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    *created = file != nullptr;
    if (file == nullptr) return false;
    const bool written = bytes.empty() || std::fwrite(bytes.data(), bytes.size(), 1, file) == 1;
    const bool flushed = std::fflush(file) == 0 && std::ferror(file) == 0;
    return std::fclose(file) == 0 && written && flushed;
}

// One cover file: `create` and `write` are the messages of its two failures.
int Put(const Target& t, const std::string& path, const Bytes& bytes, const std::string& create,
        const char* write) {
    bool created = false;
    if (WriteBytes(path, bytes, &created)) return 0;
    return SaveFail(created ? Printf(write, t.name) : create);
}

Out StartFile(const Target& t) {
    Out out(t.big);
    out.Zeros(t.prefix() + kTamrecHeaderSize);
    return out;
}

void FinishHeader(const Target& t, Out& out, std::int32_t magic, std::int32_t type,
                  std::int32_t word8) {
    const std::size_t at = t.prefix();
    const auto words = static_cast<std::int32_t>((out.size() - at) / 2);
    out.I32At(at, magic);
    out.I32At(at + kTamrecHeaderTypeOffset, type);
    out.I32At(at + 8, word8);
    out.I32At(at + kTamrecHeaderLengthOffset, words);
    if (t.table) {
        byteorder::StoreU16Le(1024, &out.bytes()[0]);
        byteorder::StoreI32Le(words, &out.bytes()[2]);
    }
}

struct Record {
    Bytes content;  // after the 8-byte prefix
    bool present;   // else record number 0 and index offset 0
};

int WriteIndexed(const Target& t, const char* data_name, const char* index_name, std::int32_t type,
                 const std::vector<Record>& records, const char* what) {
    Out data = StartFile(t), index = StartFile(t);
    std::int32_t n = 0;
    for (const Record& r : records) {
        ++n;
        const auto offset = static_cast<std::int32_t>((data.size() - t.prefix()) / 2);
        const auto words = static_cast<std::int32_t>(r.content.size() / 2);
        data.I32(r.present ? n : 0);
        data.I32(words);
        data.bytes().insert(data.bytes().end(), r.content.begin(), r.content.end());
        index.I32(r.present ? offset : 0);
        index.I32(words);
    }
    FinishHeader(t, data, kTamrecMagicIndexed, type, 0);
    FinishHeader(t, index, kTamrecMagicIndexed, type, 0);
    const std::string d = data_name, x = index_name;
    const std::string create_data =
        std::strcmp(what, "file") == 0 || std::strcmp(what, "txt") == 0
            ? "unable to create the file '" + d + "'\n"
            : "unable to create the " + std::string(what) + " file '" + d + "'\n";
    const std::string label = std::strcmp(what, "txt") == 0 ? "" : std::string(what);
    std::string write_data, write_index;
    if (d == "txt") {
        write_data = "unable to write the txt file in cover %s\n";
        write_index = "unable to write the txx file in cover %s\n";
    } else {
        const std::string kind = d == "arc" ? "arc" : d == "pff" ? "polygon" : "centriod";
        write_data = "unable to write the " + kind + " file (" + d + ") in cover %s\n";
        write_index = "unable to write the " + kind + " index file (" + x + ") in cover %s\n";
    }
    if (Put(t, t.Path(d), data.bytes(), create_data, write_data.c_str()) != 0) return 1;
    return Put(t, t.Path(x), index.bytes(), "unable to create the index file '" + x + "'\n",
               write_index.c_str());
}

int WriteArcs(const Target& t) {
    std::vector<Record> records;
    const tamrec_cover& c = t.cover;
    for (std::int32_t i = 1; i <= c.record_count[kTamrecArcs]; ++i) {
        const tamrec_record_arc& a = c.built.arcs[i];
        const std::int32_t n = std::max(a.vertex_count, 0);
        Out r(t.big);
        for (std::int32_t v :
             {a.user_id, a.from_node, a.to_node, a.left_polygon, a.right_polygon, n})
            r.I32(v);
        for (std::int32_t k = 0; k < n; ++k) {
            r.Coord(a.vertices[k].x, t.dbl);
            r.Coord(a.vertices[k].y, t.dbl);
        }
        records.push_back({r.bytes(), n > 0});
    }
    return WriteIndexed(t, "arc", "arx", t.dbl ? -1 : 1, records, "file");
}

bool PolygonWritten(const tamrec_cover& c, std::int32_t i) {
    return c.built.polygons[i].arc_count > 0 && c.built.centroids[i].label_count != -1;
}

int WritePolygons(const Target& t) {
    std::vector<Record> records;
    const tamrec_cover& c = t.cover;
    for (std::int32_t i = 1; i <= c.record_count[kTamrecPolygons]; ++i) {
        const tamrec_record_polygon& p = c.built.polygons[i];
        const bool present = PolygonWritten(c, i);
        Out r(t.big);
        for (double v : {p.xmin, p.ymin, p.xmax, p.ymax}) r.Coord(v, t.dbl);
        r.I32(present ? p.arc_count : 0);
        for (std::int32_t k = 0; present && k < p.arc_count; ++k) {
            r.I32(p.arcs[k].arc);
            r.I32(p.arcs[k].node);
            r.I32(p.arcs[k].polygon);
        }
        records.push_back({r.bytes(), present});
    }
    return WriteIndexed(t, "pff", "pfx", t.dbl ? 1011 : 11, records, "polygon");
}

int WriteCentroids(const Target& t) {
    std::vector<Record> records;
    const tamrec_cover& c = t.cover;
    for (std::int32_t i = 1; i <= c.record_count[kTamrecCentroids]; ++i) {
        const tamrec_record_centroid& cn = c.built.centroids[i];
        const bool present = PolygonWritten(c, i);
        Out r(t.big);
        r.Coord(cn.x, t.dbl);
        r.Coord(cn.y, t.dbl);
        r.I32(present ? cn.label_count : 0);
        for (std::int32_t k = 0; present && k < cn.label_count; ++k) r.I32(cn.labels[k]);
        records.push_back({r.bytes(), present});
    }
    return WriteIndexed(t, "cnt", "cnx", t.dbl ? -14 : 14, records, "centroid");
}

// Single precision: fixed point slots, the text last; double precision: the
// text ahead of its point lists.
int WriteTexts(const Target& t) {
    std::vector<Record> records;
    const tamrec_cover& c = t.cover;
    for (std::int32_t i = 1; i <= c.record_count[kTamrecAnnotation]; ++i) {
        const tamrec_record_text& x = c.built.texts[i];
        const std::int32_t n = std::clamp(x.n, 0, 4), m = std::clamp(x.m, 0, 3);
        const std::int32_t length = x.text == nullptr ? 0 : x.text_length;
        const auto padded = static_cast<std::size_t>((length + 3) / 4 * 4);
        Out r(t.big);
        if (n == 0) {
            r.Zeros(t.dbl ? 144 : 84);
            records.push_back({r.bytes(), false});
            continue;
        }
        if (!t.dbl) {
            r.I32(x.user_id);
            r.I32(n);
            for (int k = 0; k < 4; ++k) {
                r.F32(k < n ? x.points_n[k].x : 0);
                r.F32(k < n ? x.points_n[k].y : 0);
            }
            r.I32(m);
            for (int k = 0; k < 3; ++k) {
                r.F32(k < m ? x.points_m[k].x : 0);
                r.F32(k < m ? x.points_m[k].y : 0);
            }
            r.F32(x.height);
            r.F32(x.second);
            r.I32(x.integer);
            r.I32(length);
            r.Text(std::string(x.text == nullptr ? "" : x.text, static_cast<std::size_t>(length)),
                   padded);
        } else {
            r.I32(0);
            r.I32(x.user_id);
            r.F32(x.second);
            r.I32(x.integer);
            r.I32(n);
            r.I32(0);
            r.I32(length);
            r.I32(m);
            r.Zeros(80);
            r.F64(x.height);
            r.Zeros(16);
            r.Text(std::string(x.text == nullptr ? "" : x.text, static_cast<std::size_t>(length)),
                   padded);
            // The reader's order: the base line, then the arrow.
            for (int k = 0; k < n; ++k) {
                r.F64(x.points_n[k].x);
                r.F64(x.points_n[k].y);
            }
            for (int k = 0; k < m; ++k) {
                r.F64(x.points_m[k].x);
                r.F64(x.points_m[k].y);
            }
            r.Zeros(8);
        }
        records.push_back({r.bytes(), true});
    }
    return WriteIndexed(t, "txt", "txx", t.dbl ? -67 : 16, records, "txt");
}

int WriteLabels(const Target& t) {
    Out out = StartFile(t);
    const tamrec_cover& c = t.cover;
    for (std::int32_t i = 1; i <= c.record_count[kTamrecLabels]; ++i) {
        const tamrec_build_label& l = c.built.labels[i];
        if (l.deleted) continue;
        out.I32(l.user_id);
        out.I32(l.polygon_id);
        for (int k = 0; k < 3; ++k) {
            out.Coord(l.x, t.dbl);
            out.Coord(l.y, t.dbl);
        }
    }
    FinishHeader(t, out, kTamrecMagicLabels, t.dbl ? -2 : 2, t.dbl ? 28 : 16);
    return Put(t, t.Path("lab"), out.bytes(), "unable to create the label(point) file 'lab'\n",
               "unable to write the lab file in cover %s\n");
}

std::string Number(const char* format, double v) {
    char text[64];
    std::snprintf(text, sizeof text, format, v);
    return text;
}

// A dBASE III table of numeric fields; every value right-justified and
// blank-padded to its field.
Bytes Dbf(const std::vector<std::pair<const char*, std::pair<int, int>>>& fields,
          const std::vector<std::vector<std::string>>& rows) {
    int record_length = 1;
    for (const auto& f : fields) record_length += f.second.first;
    Out out(false);
    out.bytes().push_back(3);
    out.Zeros(31);
    std::uint8_t* h = out.bytes().data();
    std::time_t now = std::time(nullptr);
    std::tm date{};
    if (now != static_cast<std::time_t>(-1) && localtime_r(&now, &date) != nullptr) {
        h[1] = static_cast<std::uint8_t>(date.tm_year);
        h[2] = static_cast<std::uint8_t>(date.tm_mon + 1);
        h[3] = static_cast<std::uint8_t>(date.tm_mday);
    }
    byteorder::StoreI32Le(static_cast<std::int32_t>(rows.size()), h + 4);
    byteorder::StoreU16Le(static_cast<std::uint16_t>(32 * fields.size() + 33), h + 8);
    byteorder::StoreU16Le(static_cast<std::uint16_t>(record_length), h + 10);
    for (const auto& [name, size] : fields) {
        out.Text(name, 11, '\0');
        out.bytes().push_back('N');
        out.Zeros(4);
        out.bytes().push_back(static_cast<std::uint8_t>(size.first));
        out.bytes().push_back(static_cast<std::uint8_t>(size.second));
        out.Zeros(14);
    }
    out.bytes().push_back(0x0D);
    for (const auto& row : rows) {
        out.bytes().push_back(' ');
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const auto width = static_cast<std::size_t>(fields[i].second.first);
            std::string v = row[i].substr(0, width);
            v.insert(0, width - v.size(), ' ');
            out.Text(v, width);
        }
    }
    out.bytes().push_back(0x1A);
    return out.bytes();
}

int WriteTics(const Target& t) {
    const tamrec_cover& c = t.cover;
    if (t.table) {
        std::vector<std::vector<std::string>> rows;
        for (std::int32_t i = 1; i <= c.record_count[kTamrecTics]; ++i) {
            const tamrec_build_tic& tic = c.built.tics[i];
            if (tic.deleted) continue;
            rows.push_back({std::to_string(tic.id), Number("%14E", tic.x), Number("%14E", tic.y)});
        }
        const Bytes bytes = Dbf({{"IDTIC", {11, 0}}, {"XTIC", {14, 6}}, {"YTIC", {14, 6}}}, rows);
        const std::string path = JoinPath(t.directory, kTamrecTicDbf);
        return Put(t, path, bytes, Printf("unable to create the tic file '%s'\n", kTamrecTicDbf),
                   "unable to write the tic file in cover %s\n");
    }
    Out out(t.big);
    for (std::int32_t i = 1; i <= c.record_count[kTamrecTics]; ++i) {
        const tamrec_build_tic& tic = c.built.tics[i];
        if (tic.deleted) continue;
        out.I32(tic.id);
        out.Coord(tic.x, t.dbl);
        out.Coord(tic.y, t.dbl);
    }
    const char* name = t.dbl ? "dbltic" : "tic";
    return Put(t, t.Path(name), out.bytes(), Printf("unable to create the tic file '%s'\n", name),
               "unable to write the tic file in cover %s\n");
}

int WriteBounds(const Target& t) {
    const tamrec_cover& c = t.cover;
    if (t.table) {
        std::vector<std::string> row;
        for (double v : {c.xmin, c.ymin, c.xmax, c.ymax}) row.push_back(Number("%13.1f", v));
        const Bytes bytes = Dbf(
            {{"XMIN", {13, 1}}, {"YMIN", {13, 1}}, {"XMAX", {13, 1}}, {"YMAX", {13, 1}}}, {row});
        return Put(t, JoinPath(t.directory, kTamrecBndDbf), bytes,
                   Printf("unable to create the bounding file '%s'\n", kTamrecBndDbf),
                   "unable to write the bounding file in cover %s\n");
    }
    Out out(t.big);
    for (double v : {c.xmin, c.ymin, c.xmax, c.ymax}) out.Coord(v, t.dbl);
    const char* name = t.dbl ? "dblbnd" : "bnd";
    return Put(t, t.Path(name), out.bytes(),
               Printf("unable to create the bounding file '%s'\n", name),
               "unable to write the bounding file in cover %s\n");
}

int WriteMask(const Target& t) {
    Out out(t.big);
    out.Zeros(kTamrecHeaderSize);
    out.I32At(0, kTamrecMagicLabels);
    out.I32At(kTamrecHeaderTypeOffset, kMaskType);
    out.I32At(8, kMaskWords);
    out.I32At(kTamrecHeaderLengthOffset, kMaskLengthWords);
    out.Zeros(kMaskBytes);
    bool created = false;
    if (WriteBytes(t.Path("msk"), out.bytes(), &created)) return 0;
    return SaveFail(created ? "unable to write the header record on file 'msk'\n"
                            : "unable to create the mask file 'msk'\n");
}

std::int32_t PatRows(const tamrec_cover& c) {
    return c.polygons_have_attributes ? c.record_count[kTamrecPolygons]
                                      : c.record_count[kTamrecLabels];
}

Bytes AttributeRows(const Target& t, const tamrec_attribute_items& table, std::int32_t rows) {
    Out out(t.big);
    for (std::int32_t r = 1; r <= rows; ++r) {
        for (std::int32_t i = 0; i < table.item_count; ++i) {
            const tamrec_info_field_description& item = table.items[i];
            const tamrec_item_value v = item.rows == nullptr ? tamrec_item_value{} : item.rows[r];
            const auto width = static_cast<std::size_t>(item.width);
            if (item.type == kTamrecItemBinaryInteger && item.width == 1) {
                out.bytes().push_back(static_cast<std::uint8_t>(v.integer));
            } else if (item.type == kTamrecItemBinaryInteger && item.width == 2) {
                out.I16(static_cast<std::int16_t>(v.integer));
            } else if (item.type == kTamrecItemBinaryInteger && item.width == 4) {
                out.I32(v.integer);
            } else if (item.type == kTamrecItemBinaryFloat && item.width == 4) {
                out.F32(v.real);
            } else if (item.type == kTamrecItemBinaryFloat && item.width == 8) {
                out.F64(v.real);
            } else if (item.type >= kTamrecItemDate && item.type <= kTamrecItemNumberText) {
                out.Text(v.text, width);
            } else {
                out.Zeros(width);
            }
        }
    }
    return out.bytes();
}

int WriteAttributeFiles(const Target& t) {
    const tamrec_cover& c = t.cover;
    if (t.table) {
        if (c.record_count[kTamrecArcs] > 0) {
            std::vector<std::vector<std::string>> rows(
                static_cast<std::size_t>(c.record_count[kTamrecArcs]), {Number("%14E", 0.0)});
            if (Put(t, JoinPath(t.directory, "aat.dbf"), Dbf({{"DUMMY", {14, 6}}}, rows),
                    Printf("unable to create the aat.dbf file '%s'\n", "aat.dbf"),
                    "unable to write the arc attribute file (aat) in cover %s\n") != 0)
                return 1;
        }
        // One row per polygon when there are polygons, else one per label.
        const bool polygons = c.record_count[kTamrecPolygons] > 0;
        const std::int32_t count =
            polygons ? c.record_count[kTamrecPolygons] : c.record_count[kTamrecLabels];
        if (count == 0) return 0;
        std::vector<std::vector<std::string>> rows;
        for (std::int32_t r = 1; r <= count; ++r)
            rows.push_back({Number("%14E", 0.0), Number("%14E", 0.0), std::to_string(r),
                            std::to_string(r - 1)});
        const Bytes bytes = Dbf(
            {{"AREA", {14, 6}}, {"PERIMETER", {14, 6}}, {"COVER#", {14, 0}}, {"COVER_ID", {14, 0}}},
            rows);
        return Put(t, JoinPath(t.directory, "pat.dbf"), bytes,
                   Printf(polygons ? "unable to create the pat file '%s'\n"
                                   : "unable to create the pat(point) file '%s'\n",
                          "pat.dbf"),
                   "unable to write the polygon/point attribute file (pat) in cover %s\n");
    }
    if (c.arcs_have_attributes &&
        Put(t, t.Path("aat"), AttributeRows(t, c.aat, c.record_count[kTamrecArcs]),
            "unable to create the arc attribute file 'aat'\n",
            "unable to write the arc attribute file (aat) in cover %s\n") != 0)
        return 1;
    if ((c.labels_have_attributes || c.polygons_have_attributes) &&
        Put(t, t.Path("pat"), AttributeRows(t, c.pat, PatRows(c)),
            "unable to create the polygon/point attribute file 'pat'\n",
            "unable to write the polygon/point attribute file (pat) in cover %s\n") != 0)
        return 1;
    return 0;
}

int WriteCoverFiles(const Target& t) {
    const tamrec_cover& c = t.cover;
    // Always, if empty: the tic file is what makes the directory a cover.
    if (WriteTics(t) != 0) return 1;
    if (c.record_count[kTamrecArcs] > 0 && WriteArcs(t) != 0) return 1;
    if (c.record_count[kTamrecPolygons] > 0 && WritePolygons(t) != 0) return 1;
    if (c.record_count[kTamrecCentroids] > 0 && WriteCentroids(t) != 0) return 1;
    if (c.record_count[kTamrecAnnotation] > 0 && WriteTexts(t) != 0) return 1;
    if (c.record_count[kTamrecLabels] > 0 && WriteLabels(t) != 0) return 1;
    if (WriteAttributeFiles(t) != 0) return 1;
    if (WriteBounds(t) != 0) return 1;
    return WriteMask(t);
}

// ---- INFO registration.

struct InfoTable {
    const char* kind;  // "TIC", "BND", "AAT", "PAT"
    const char* file;  // the cover file holding its rows
    std::vector<tamrec_info_field_description> items;
    std::int32_t record_length;
    std::int32_t records;
};

std::vector<InfoTable> InfoTables(const Target& t) {
    const tamrec_cover& c = t.cover;
    const int w = t.dbl ? 8 : 4, ow = t.dbl ? 18 : 12, d = t.dbl ? 5 : 3;
    auto item = [](const char* name, int width, int start, int output, int decimals, int type) {
        tamrec_info_field_description i{};
        i.name = const_cast<char*>(name);
        i.width = width, i.start = start, i.output_width = output, i.decimals = decimals;
        i.type = type;
        return i;
    };
    std::int32_t tics = 0;
    for (std::int32_t i = 1; i <= c.record_count[kTamrecTics]; ++i)
        if (!c.built.tics[i].deleted) ++tics;
    std::vector<InfoTable> tables;
    tables.push_back({"TIC",
                      t.dbl ? "dbltic" : "tic",
                      {item("IDTIC", 4, 1, 5, -1, 5), item("XTIC", w, 5, ow, d, 6),
                       item("YTIC", w, 5 + w, ow, d, 6)},
                      4 + 2 * w,
                      tics});
    tables.push_back({"BND",
                      t.dbl ? "dblbnd" : "bnd",
                      {item("XMIN", w, 1, ow, d, 6), item("YMIN", w, 1 + w, ow, d, 6),
                       item("XMAX", w, 1 + 2 * w, ow, d, 6), item("YMAX", w, 1 + 3 * w, ow, d, 6)},
                      4 * w,
                      1});
    if (c.arcs_have_attributes)
        tables.push_back({"AAT",
                          "aat",
                          {c.aat.items, c.aat.items + c.aat.item_count},
                          c.aat.record_length,
                          c.record_count[kTamrecArcs]});
    if (c.labels_have_attributes || c.polygons_have_attributes)
        tables.push_back({"PAT",
                          "pat",
                          {c.pat.items, c.pat.items + c.pat.item_count},
                          c.pat.record_length,
                          PatRows(c)});
    return tables;
}

std::string InfoBase(bool style4, int number) {
    char text[16];
    std::snprintf(text, sizeof text, style4 ? "arc%04d" : "arc%03d", number % 10000);
    return text;
}

int NextTableNumber(const std::string& info, bool style4) {
    int count = 0;
    char** list = get_directory_list(info.c_str(), nullptr, &count, 1, 0);
    int next = 0;
    const char* pattern = style4 ? "arc####.nit" : "arc###nit";
    for (char** name = list; name != nullptr && *name != nullptr; ++name)
        if (tamrec_pattern_position(pattern, *name, 1) == 1)
            next = std::max(next, std::atoi(*name + 3) + 1);
    tamrec_free_list(list);
    return next;
}

Bytes ItemFile(const Target& t, const InfoTable& table) {
    Out out(t.big);
    const bool renamed = std::strcmp(table.kind, "AAT") == 0 || std::strcmp(table.kind, "PAT") == 0;
    const std::size_t cover_number = std::strcmp(table.kind, "AAT") == 0 ? 5 : 2;
    for (std::size_t i = 0; i < table.items.size(); ++i) {
        const tamrec_info_field_description& item = table.items[i];
        std::string name = item.name;
        if (renamed && i == cover_number) name = Upper(t.name) + "#";
        if (renamed && i == cover_number + 1) name = Upper(t.name) + "-ID";
        const std::size_t begin = out.size();
        out.Text(name, 16);
        for (int v : {item.width, -1, item.start, 4, -1, item.output_width, item.decimals,
                      item.type, 0, -1, -1, -1, -1})
            out.I16(static_cast<std::int16_t>(v));
        out.Text("", 16);
        out.Zeros(16);
        out.I16(-1);
        out.I16(-1);
        out.Zeros(32);
        out.I16(-1);
        out.I16(-1);
        out.I16(static_cast<std::int16_t>(i + 1));
        out.Zeros(kTamrecItemRecordSize - (out.size() - begin));
    }
    return out.bytes();
}

void DirectoryRecord(const Target& t, const InfoTable& table, int number, Out& out) {
    const std::size_t begin = out.size();
    out.Text(Upper(t.name) + "." + table.kind, 32);
    std::string stored = Upper(InfoBase(t.style4, number));
    stored.resize(8, ' ');
    // A little-endian directory keeps its file names in swapped byte pairs.
    if (!t.big)
        for (std::size_t i = 0; i + 1 < stored.size(); i += 2) std::swap(stored[i], stored[i + 1]);
    out.Text(stored, 8);
    out.I16(static_cast<std::int16_t>(table.items.size()));
    out.I16(static_cast<std::int16_t>(table.record_length));
    out.Text("", 16);
    out.I16(132);
    out.I16(0);
    out.I32(table.records);
    out.Zeros(10);
    out.Text("XX", 2);
    out.Zeros(kTamrecDirRecordSize - (out.size() - begin));
}

bool ReadWhole(const std::string& path, Bytes* bytes) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    bytes->clear();
    std::uint8_t buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes->insert(bytes->end(), buffer, buffer + n);
    const bool ok = std::ferror(file) == 0;
    std::fclose(file);
    return ok;
}

// The stored file name of a directory record, lower case without blanks.
std::string RecordFileName(const std::uint8_t* record, bool big) {
    std::string name(reinterpret_cast<const char*>(record + kTamrecDirFileNameOffset), 8);
    if (!big)
        for (std::size_t i = 0; i + 1 < name.size(); i += 2) std::swap(name[i], name[i + 1]);
    name.erase(std::find_if(name.begin(), name.end(), [](char c) { return c == ' ' || c == '\0'; }),
               name.end());
    return Lower(name);
}

std::string RecordCoverName(const std::uint8_t* record) {
    std::string name(reinterpret_cast<const char*>(record), 32);
    return Lower(name.substr(0, name.find('.')));
}

// Flags every live record of `cover` deleted in `directory`; their table
// files are appended to `files`.
void FlagDeleted(Bytes& directory, const std::string& cover, bool big, bool style4,
                 std::vector<std::string>* files) {
    for (std::size_t at = 0; at + kTamrecDirRecordSize <= directory.size();
         at += kTamrecDirRecordSize) {
        std::uint8_t* record = directory.data() + at;
        std::uint8_t* flag = record + kTamrecDirDeletedOffset;
        if ((flag[0] | flag[1]) != 0 || RecordCoverName(record) != Lower(cover)) continue;
        big ? byteorder::StoreU16Be(1, flag) : byteorder::StoreU16Le(1, flag);
        const std::string base = RecordFileName(record, big);
        if (style4) {
            files->push_back(base + ".nit");
            files->push_back(base + ".dat");
        } else {
            files->push_back(base + "nit");
            files->push_back(base + "ni");
            files->push_back(base + "dat");
            files->push_back(base + "da");
        }
    }
}

struct InfoChange {
    std::vector<std::string> created;   // new table files, removed when the save fails
    std::string directory_file;         // the INFO directory file
    std::string staged;                 // its new contents, swapped in at the end
    std::vector<std::string> obsolete;  // the replaced cover's table files
};

int RegisterInfo(const Target& t, bool replace, InfoChange* change) {
    const std::string info = JoinPath(t.workspace, kTamrecInfoDirectory);
    change->directory_file = JoinPath(info, t.style4 ? kTamrecDirStyle4 : kTamrecDirStyle3);
    Bytes directory;
    if (!ReadWhole(change->directory_file, &directory))
        return SaveFail(
            Printf("cannot access info directory list file %s\n", change->directory_file));
    directory.resize(directory.size() / kTamrecDirRecordSize * kTamrecDirRecordSize);
    if (replace) FlagDeleted(directory, t.name, t.big, t.style4, &change->obsolete);
    int number = NextTableNumber(info, t.style4);
    Out records(t.big);
    for (const InfoTable& table : InfoTables(t)) {
        const std::string base = InfoBase(t.style4, number);
        const std::string nit = JoinPath(info, base + (t.style4 ? ".nit" : "nit"));
        const std::string dat = JoinPath(info, base + (t.style4 ? ".dat" : "dat"));
        Out path(t.big);
        path.Text("../" + t.name + "/" + table.file + (t.cover.adf_suffix ? kTamrecAdfSuffix : ""),
                  80);
        for (const auto& [file, bytes] :
             {std::pair{nit, ItemFile(t, table)}, std::pair{dat, path.bytes()}}) {
            bool created = false;
            const bool ok = WriteBytes(file, bytes, &created);
            if (created) change->created.push_back(file);
            if (!ok)
                return SaveFail(
                    Printf(created ? "cannot write info file %s\n" : "cannot create info file %s\n",
                           file));
        }
        DirectoryRecord(t, table, number, records);
        ++number;
    }
    directory.insert(directory.end(), records.bytes().begin(), records.bytes().end());
    change->staged = JoinPath(
        info, std::string(".") + (t.style4 ? kTamrecDirStyle4 : kTamrecDirStyle3) + ".new");
    bool created = false;
    if (!WriteBytes(change->staged, directory, &created)) {
        if (created) change->created.push_back(change->staged);
        return SaveFail(
            Printf("cannot write info directory list file %s\n", change->directory_file));
    }
    change->created.push_back(change->staged);
    return 0;
}

void RemoveQuietly(const std::string& path) {
    std::error_code error;
    fs::remove_all(path, error);
}

// Byte order, table form and naming style of an existing workspace.
int AdoptWorkspace(Target& t) {
    tamrec_workspace* ws = nullptr;
    if (tamrec_open_ws(t.workspace.c_str(), &ws) != 0)
        return SaveFail(Printf("opening the existing workspace '%s' has failed\n", t.workspace));
    t.table = ws->table_form != 0;
    tamrec_close_ws(&ws);
    if (t.table) return 0;
    const std::string info = JoinPath(t.workspace, kTamrecInfoDirectory);
    char* style3 = tamrec_find_file(info.c_str(), kTamrecDirStyle3);
    char* style4 = tamrec_find_file(info.c_str(), kTamrecDirStyle4);
    t.style4 = style3 == nullptr && (style4 != nullptr || t.cover.adf_suffix);
    Bytes directory;
    const char* found = style3 != nullptr ? style3 : style4;
    if (found != nullptr && ReadWhole(found, &directory) && directory.size() >= 34)
        t.big = !(directory[kTamrecDirFileNameOffset] == 'R' &&
                  directory[kTamrecDirFileNameOffset + 1] == 'A');
    const bool missing = found == nullptr;
    tamrec_free(style3);
    tamrec_free(style4);
    if (missing) {
        const std::string path = JoinPath(info, t.style4 ? kTamrecDirStyle4 : kTamrecDirStyle3);
        bool created = false;
        if (!tamrec_is_directory(info.c_str()) || !WriteBytes(path, {}, &created))
            return SaveFail(Printf("unable to create the info directory list file '%s'\n", path));
    }
    return 0;
}

int CreateWorkspace(Target& t) {
    std::error_code error;
    if (!tamrec_exists(t.workspace.c_str()) && !fs::create_directory(t.workspace, error))
        return SaveFail("unable to create the workspace directory\n");
    t.table = t.cover.table_form != 0;
    t.style4 = t.cover.adf_suffix != 0;
    if (t.table) return 0;
    const std::string info = JoinPath(t.workspace, kTamrecInfoDirectory);
    if (!tamrec_is_directory(info.c_str()) && !fs::create_directory(info, error))
        return SaveFail("unable to create the info directory in the workspace\n");
    const std::string path = JoinPath(info, t.style4 ? kTamrecDirStyle4 : kTamrecDirStyle3);
    bool created = false;
    if (!WriteBytes(path, {}, &created))
        return SaveFail(Printf("unable to create the info directory list file '%s'\n", path));
    return 0;
}

void SetPrecisionItems(tamrec_cover& c) {
    const int w = c.double_precision ? 8 : 4, ow = c.double_precision ? 18 : 12,
              d = c.double_precision ? 5 : 3;
    auto set = [&](tamrec_attribute_items& table, std::int32_t index) {
        if (index >= table.item_count) return;
        tamrec_info_field_description& item = table.items[index];
        item.width = w, item.output_width = ow, item.decimals = d;
    };
    if (c.arcs_have_attributes) {
        set(c.aat, 4);
        RecomputeItems(c.aat);
    }
    if (c.labels_have_attributes || c.polygons_have_attributes) {
        set(c.pat, 0);
        set(c.pat, 1);
        RecomputeItems(c.pat);
    }
}

// Moves the written cover and INFO directory into place; the replaced cover
// is moved aside first and restored when a later step fails.
int SwapIn(const Target& t, const std::string& final_directory, const std::string& existing,
           const InfoChange& info) {
    std::error_code error;
    const std::string aside = JoinPath(t.workspace, "." + t.name + ".old");
    if (!existing.empty()) {
        RemoveQuietly(aside);
        fs::rename(existing, aside, error);
        if (error) return SaveFail("unable to create the cover directory\n");
    }
    fs::rename(t.directory, final_directory, error);
    if (!error && !info.staged.empty()) fs::rename(info.staged, info.directory_file, error);
    if (error) {
        std::error_code ignored;
        if (tamrec_is_directory(final_directory.c_str()) &&
            !tamrec_is_directory(t.directory.c_str()))
            fs::rename(final_directory, t.directory, ignored);
        if (!existing.empty()) fs::rename(aside, existing, ignored);
        return SaveFail("unable to create the cover directory\n");
    }
    if (!existing.empty()) RemoveQuietly(aside);
    for (const std::string& file : info.obsolete) {
        std::error_code ignored;
        fs::remove(JoinPath(JoinPath(t.workspace, kTamrecInfoDirectory), file), ignored);
    }
    return 0;
}

int Save(Target& t, bool replace, InfoChange& info, std::string* existing) {
    tamrec_cover& c = t.cover;
    if (tamrec_exists(t.workspace.c_str()) && tamrec_is_directory(t.workspace.c_str()) &&
        !tamrec_dir_is_empty(t.workspace.c_str())) {
        if (AdoptWorkspace(t) != 0) return 1;
    } else if (CreateWorkspace(t) != 0) {
        return 1;
    }
    c.table_form = t.table ? 1 : 0;
    // The table form is in the host's order and single precision.
    if (t.table) c.double_precision = 0, t.big = false;
    c.adf_suffix = !t.table && t.style4 ? 1 : 0;
    c.byte_swap = t.big ? 1 : 0;
    t.dbl = c.double_precision != 0;

    char* found = tamrec_find_file(t.workspace.c_str(), t.name.c_str());
    if (found != nullptr) {
        *existing = found;
        tamrec_free(found);
        if (!replace || !tamrec_is_directory(existing->c_str()))
            return SaveFail(Printf("Cover %s exists. It must be deleted first.\n", t.name));
    }
    // Names beginning with "." stay out of workspace listings.
    t.directory = JoinPath(t.workspace, "." + t.name + ".new");
    RemoveQuietly(t.directory);
    std::error_code error;
    if (!fs::create_directory(t.directory, error))
        return SaveFail("unable to create the cover directory\n");

    if (!t.table) {
        if (c.record_count[kTamrecArcs] > 0 && !c.arcs_have_attributes &&
            tamrec_default_items(&c, kTamrecAatTable) != 0)
            return SaveFail("Error trying to create default aat or aat.adf file\n");
        if (c.record_count[kTamrecLabels] > 0 && !c.labels_have_attributes &&
            !c.polygons_have_attributes && tamrec_default_items(&c, kTamrecPatTable) != 0)
            return SaveFail("Error trying to create default pat or pat.adf file\n");
        SetPrecisionItems(c);
    }
    if (WriteCoverFiles(t) != 0) return 1;
    if (!t.table && RegisterInfo(t, replace && !existing->empty(), &info) != 0) return 1;
    const std::string final_directory =
        existing->empty() ? JoinPath(t.workspace, t.name) : *existing;
    return SwapIn(t, final_directory, *existing, info);
}

bool HasTableFiles(const std::string& directory) {
    char* tic = tamrec_find_file(directory.c_str(), kTamrecTicDbf);
    char* bnd = tamrec_find_file(directory.c_str(), kTamrecBndDbf);
    const bool table = tic != nullptr || bnd != nullptr;
    tamrec_free(tic);
    tamrec_free(bnd);
    return table;
}

}  // namespace

int tamrec_save_cover(const char* workspace_path, const char* cover_name, tamrec_cover* cover,
                      int replace) {
    if (cover == nullptr) return SaveFail("handed a NULL cover ptr\n");
    if (cover_name == nullptr || std::strlen(cover_name) > 12)
        return SaveFail("The cover name is too long. It must be 12 chars or less\n");
    if (cover->record_count[kTamrecPolygons] != cover->record_count[kTamrecCentroids])
        return SaveFail(
            "The number of centroids and the number of polygons\ndo NOT match. This would be "
            "an invalid cover.\n");
    if (workspace_path == nullptr || *workspace_path == '\0')
        return SaveFail(Printf("workspace directory '%s' does not exist\n", ""));
    char* slashed = tamrec_strdup(workspace_path);
    if (slashed == nullptr) return 1;
    tamrec_to_slashes(slashed);
    std::string workspace = slashed;
    tamrec_free(slashed);
    while (workspace.size() > 1 && workspace.back() == '/') workspace.pop_back();
    char* parent_text = tamrec_parent_dir(workspace.c_str());
    const std::string parent = parent_text == nullptr ? "./" : parent_text;
    tamrec_free(parent_text);
    if (!tamrec_exists(parent.c_str()))
        return SaveFail(Printf("workspace directory '%s' does not exist\n", parent));
    if (!tamrec_searchable(parent.c_str()))
        return SaveFail("Search Permission is denied for the workspace path\n");
    if (!tamrec_is_directory(parent.c_str()))
        return SaveFail("workspace path is not all directories\n");

    Target t{*cover, cover_name, workspace, {}};
    InfoChange info;
    std::string existing;
    const int result = Save(t, replace != 0, info, &existing);
    if (result != 0) {
        // Only what this save made goes: the user's cover and INFO stay as they were.
        if (!t.directory.empty()) RemoveQuietly(t.directory);
        for (const std::string& file : info.created) RemoveQuietly(file);
    }
    return result;
}

int tamrec_delete_cover(const char* workspace_path, const char* cover_name) {
    const std::string name = cover_name == nullptr ? "" : cover_name;
    if (workspace_path == nullptr || (!tamrec_is_cover(workspace_path, cover_name, 1) &&
                                      !tamrec_is_cover(workspace_path, cover_name, 0)))
        return DeleteFail(Printf("'%s' is not a valid cover\n", name));
    char* found = tamrec_find_file(workspace_path, cover_name);
    const std::string directory = found == nullptr ? JoinPath(workspace_path, name) : found;
    tamrec_free(found);
    if (!HasTableFiles(directory)) {
        const std::string info = JoinPath(workspace_path, kTamrecInfoDirectory);
        if (!tamrec_is_directory(info.c_str()))
            return DeleteFail("workspace has no \"info\" sub-directory\n");
        char* style3 = tamrec_find_file(info.c_str(), kTamrecDirStyle3);
        char* style4 = tamrec_find_file(info.c_str(), kTamrecDirStyle4);
        const bool is_style4 = style3 == nullptr && style4 != nullptr;
        const std::string path = style3 != nullptr   ? style3
                                 : style4 != nullptr ? style4
                                                     : JoinPath(info, kTamrecDirStyle3);
        tamrec_free(style3);
        tamrec_free(style4);
        std::FILE* file = std::fopen(path.c_str(), "r+b");
        if (file == nullptr)
            return DeleteFail(Printf("cannot access info directory file %s\n", path));
        Bytes directory_bytes;
        const bool read = ReadWhole(path, &directory_bytes);
        if (!read) {
            std::fclose(file);
            return DeleteFail("error reading info directory file\n");
        }
        if (directory_bytes.size() >= kTamrecDirFileNameOffset + 2) {
            const std::uint8_t* mark = directory_bytes.data() + kTamrecDirFileNameOffset;
            const bool ar = mark[0] == 'A' && mark[1] == 'R';
            const bool ra = mark[0] == 'R' && mark[1] == 'A';
            if (!ar && !ra) {
                std::fclose(file);
                return DeleteFail("bad 'magic number' seen reading info directory file\n");
            }
            const Bytes before = directory_bytes;
            std::vector<std::string> files;
            FlagDeleted(directory_bytes, name, ar, is_style4, &files);
            for (std::size_t at = 0; at + kTamrecDirRecordSize <= before.size();
                 at += kTamrecDirRecordSize) {
                if (std::memcmp(before.data() + at, directory_bytes.data() + at,
                                kTamrecDirRecordSize) == 0)
                    continue;
                if (std::fseek(file, static_cast<long>(at), SEEK_SET) != 0 ||
                    std::fwrite(directory_bytes.data() + at, kTamrecDirRecordSize, 1, file) != 1) {
                    std::fclose(file);
                    return DeleteFail("error writing info directory file\n");
                }
            }
            if (std::fclose(file) != 0) return DeleteFail("error writing info directory file\n");
            for (const std::string& f : files) {
                const std::string full = JoinPath(info, f);
                if (!tamrec_exists(full.c_str())) continue;
                std::error_code error;
                if (!fs::remove(full, error) || error)
                    return DeleteFail(Printf("cannot delete info file %s\n", full));
            }
        } else {
            std::fclose(file);
        }
    }
    if (tamrec_remove_tree(directory.c_str()) != 0)
        return DeleteFail(Printf("deleting cover directory '%s' has failed\n", directory));
    return 0;
}
