#include "testing/coverage/CoverGenerator.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "common/ByteOrder.h"
#include "testing/TestSupport.h"

namespace covtest {

namespace {

// Fields appended in one byte order.
class Out {
public:
    explicit Out(bool big) : big_(big) {}
    Bytes& bytes() { return bytes_; }
    std::size_t size() const { return bytes_.size(); }

    void I32(std::int32_t v) { Put<std::int32_t>(v); }
    void I16(std::int16_t v) { Put<std::int16_t>(v); }
    void F32(double v) { Put<float>(static_cast<float>(v)); }
    void F64(double v) { Put<double>(v); }
    void Coord(double v, bool dbl) { dbl ? F64(v) : F32(v); }
    void Zeros(std::size_t n) { bytes_.insert(bytes_.end(), n, 0); }
    void Text(const std::string& s, std::size_t width, char pad = ' ') {
        std::string t = s.substr(0, width);
        t.resize(width, pad);
        bytes_.insert(bytes_.end(), t.begin(), t.end());
    }
    void PutI32At(std::size_t at, std::int32_t v) {
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

struct Context {
    const GenCover& cover;
    bool big() const { return cover.big_endian && !cover.table_form; }
    bool dbl() const { return cover.double_precision && !cover.table_form; }
    std::size_t prefix() const { return cover.table_form ? 256 : 0; }
    std::string Name(const std::string& base) const {
        return cover.name + "/" + base + (cover.adf_suffix ? ".adf" : "");
    }
};

// The 100-byte header (after the table form's prefix) at the start of `out`,
// whose records have been appended already.
void FinishHeader(const Context& ctx, Out& out, std::int32_t magic, std::int32_t type,
                  std::int32_t word8, std::int32_t length_words) {
    const std::size_t at = ctx.prefix();
    out.PutI32At(at, magic);
    out.PutI32At(at + 4, type);
    out.PutI32At(at + 8, word8);
    out.PutI32At(at + 24, length_words);
    if (ctx.cover.table_form) {
        byteorder::StoreU16Le(1024, &out.bytes()[0]);
        byteorder::StoreI32Le(length_words, &out.bytes()[2]);
    }
}

Out StartFile(const Context& ctx) {
    Out out(ctx.big());
    out.Zeros(ctx.prefix() + 100);
    return out;
}

// An indexed file pair from the records' contents (prefix not included).
void WriteIndexed(const Context& ctx, std::map<std::string, Bytes>& files,
                  const std::string& data_name, const std::string& index_name, std::int32_t type,
                  const std::vector<Bytes>& contents) {
    Out data = StartFile(ctx), index = StartFile(ctx);
    std::int32_t n = 0;
    for (const Bytes& content : contents) {
        ++n;
        const auto offset_words = static_cast<std::int32_t>((data.size() - ctx.prefix()) / 2);
        const auto length_words = static_cast<std::int32_t>(content.size() / 2);
        data.I32(n);
        data.I32(length_words);
        data.bytes().insert(data.bytes().end(), content.begin(), content.end());
        index.I32(offset_words);
        index.I32(length_words);
    }
    FinishHeader(ctx, data, 9994, type, 0,
                 static_cast<std::int32_t>((data.size() - ctx.prefix()) / 2));
    FinishHeader(ctx, index, 9994, type, 0,
                 static_cast<std::int32_t>((index.size() - ctx.prefix()) / 2));
    files[ctx.Name(data_name)] = data.bytes();
    files[ctx.Name(index_name)] = index.bytes();
}

void WriteArcs(const Context& ctx, std::map<std::string, Bytes>& files) {
    std::vector<Bytes> contents;
    for (const Arc& a : ctx.cover.arcs) {
        Out r(ctx.big());
        for (std::int32_t v : {a.user_id, a.from_node, a.to_node, a.left_polygon, a.right_polygon})
            r.I32(v);
        r.I32(static_cast<std::int32_t>(a.vertices.size()));
        for (const auto& [x, y] : a.vertices) {
            r.Coord(x, ctx.dbl());
            r.Coord(y, ctx.dbl());
        }
        contents.push_back(r.bytes());
    }
    WriteIndexed(ctx, files, "arc", "arx", ctx.dbl() ? -1 : 1, contents);
}

void WritePolygons(const Context& ctx, std::map<std::string, Bytes>& files) {
    std::vector<Bytes> contents;
    for (const Polygon& p : ctx.cover.polygons) {
        Out r(ctx.big());
        for (double v : {p.xmin, p.ymin, p.xmax, p.ymax}) r.Coord(v, ctx.dbl());
        r.I32(static_cast<std::int32_t>(p.arcs.size()));
        for (std::size_t i = 0; i < p.arcs.size(); ++i) {
            r.I32(p.arcs[i]);
            r.I32(p.nodes[i]);
            r.I32(p.polygons[i]);
        }
        contents.push_back(r.bytes());
    }
    WriteIndexed(ctx, files, "pal", "pax", ctx.dbl() ? 1011 : 11, contents);
}

void WriteCentroids(const Context& ctx, std::map<std::string, Bytes>& files) {
    std::vector<Bytes> contents;
    for (const Centroid& c : ctx.cover.centroids) {
        Out r(ctx.big());
        r.Coord(c.x, ctx.dbl());
        r.Coord(c.y, ctx.dbl());
        r.I32(static_cast<std::int32_t>(c.labels.size()));
        for (std::int32_t l : c.labels) r.I32(l);
        contents.push_back(r.bytes());
    }
    WriteIndexed(ctx, files, "cnt", "cnx", ctx.dbl() ? -14 : 14, contents);
}

// Binary form: the layout with the text ahead of its point lists (header
// type 67); table form: the layout with fixed point slots (header type 16).
void WriteTexts(const Context& ctx, std::map<std::string, Bytes>& files) {
    std::vector<Bytes> contents;
    const bool first_layout = ctx.cover.table_form;
    for (const Text& t : ctx.cover.texts) {
        Out r(ctx.big());
        const std::size_t padded = (t.text.size() + 3) / 4 * 4;
        if (first_layout) {
            r.I32(t.user_id);
            r.I32(static_cast<std::int32_t>(t.line.size()));
            for (std::size_t i = 0; i < 4; ++i) {
                r.F32(i < t.line.size() ? t.line[i].first : 0);
                r.F32(i < t.line.size() ? t.line[i].second : 0);
            }
            r.I32(static_cast<std::int32_t>(t.arrow.size()));
            for (std::size_t i = 0; i < 3; ++i) {
                r.F32(i < t.arrow.size() ? t.arrow[i].first : 0);
                r.F32(i < t.arrow.size() ? t.arrow[i].second : 0);
            }
            r.F32(t.height);
            r.F32(0);
            r.I32(0);
            r.I32(static_cast<std::int32_t>(t.text.size()));
            r.Text(t.text, padded);
        } else {
            r.I32(0);
            r.I32(t.user_id);
            r.F32(0);
            r.I32(0);
            r.I32(static_cast<std::int32_t>(t.line.size()));
            r.I32(0);
            r.I32(static_cast<std::int32_t>(t.text.size()));
            r.I32(static_cast<std::int32_t>(t.arrow.size()));
            r.Zeros(120 - 8 - r.size());
            if (ctx.dbl()) {
                r.F64(t.height);
                r.Zeros(16);
            } else {
                r.F32(t.height);
                r.Zeros(8);
            }
            r.Text(t.text, padded);
            for (const auto& [x, y] : t.line) {
                r.Coord(x, ctx.dbl());
                r.Coord(y, ctx.dbl());
            }
            for (const auto& [x, y] : t.arrow) {
                r.Coord(x, ctx.dbl());
                r.Coord(y, ctx.dbl());
            }
        }
        contents.push_back(r.bytes());
    }
    WriteIndexed(ctx, files, "txt", "txx", first_layout ? 16 : (ctx.dbl() ? -67 : 67), contents);
}

void WriteLabels(const Context& ctx, std::map<std::string, Bytes>& files) {
    Out out = StartFile(ctx);
    for (const Label& l : ctx.cover.labels) {
        out.I32(l.user_id);
        out.I32(l.polygon_id);
        for (int i = 0; i < 3; ++i) {
            out.Coord(l.x, ctx.dbl());
            out.Coord(l.y, ctx.dbl());
        }
    }
    const std::int32_t words = ctx.dbl() ? 28 : 16;
    FinishHeader(ctx, out, 9993, ctx.dbl() ? -2 : 2, words,
                 static_cast<std::int32_t>((out.size() - ctx.prefix()) / 2));
    files[ctx.Name("lab")] = out.bytes();
}

std::string Format(const char* format, double v) {
    char text[64];
    std::snprintf(text, sizeof text, format, v);
    return text;
}

// A dBASE III table of numeric fields, each value written as text.
Bytes Dbf(const std::vector<std::pair<std::string, std::pair<int, int>>>& fields,
          const std::vector<std::vector<std::string>>& rows) {
    Out out(false);
    int record_length = 1;
    for (const auto& f : fields) record_length += f.second.first;
    out.bytes().push_back(3);
    out.Zeros(3);
    out.I32(static_cast<std::int32_t>(rows.size()));
    out.I16(static_cast<std::int16_t>(32 * fields.size() + 33));
    out.I16(static_cast<std::int16_t>(record_length));
    out.Zeros(20);
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
        out.Text(" ", 1);
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const int width = fields[i].second.first;
            std::string v = row[i];
            if (static_cast<int>(v.size()) < width)
                v.insert(0, static_cast<std::size_t>(width) - v.size(), ' ');
            out.Text(v, static_cast<std::size_t>(width));
        }
    }
    out.bytes().push_back(0x1A);
    return out.bytes();
}

void WriteTicsAndBounds(const Context& ctx, std::map<std::string, Bytes>& files) {
    const GenCover& c = ctx.cover;
    if (c.table_form) {
        std::vector<std::vector<std::string>> rows;
        for (const Tic& t : c.tics)
            rows.push_back({std::to_string(t.id), Format("%14.6E", t.x), Format("%14.6E", t.y)});
        files[c.name + "/tic.dbf"] =
            Dbf({{"IDTIC", {11, 0}}, {"XTIC", {14, 6}}, {"YTIC", {14, 6}}}, rows);
        if (c.bounds) {
            std::vector<std::string> row;
            for (double v : *c.bounds) row.push_back(Format("%13.1f", v));
            files[c.name + "/bnd.dbf"] =
                Dbf({{"XMIN", {13, 1}}, {"YMIN", {13, 1}}, {"XMAX", {13, 1}}, {"YMAX", {13, 1}}},
                    {row});
        }
        return;
    }
    Out tics(ctx.big());
    for (const Tic& t : c.tics) {
        tics.I32(t.id);
        tics.Coord(t.x, ctx.dbl());
        tics.Coord(t.y, ctx.dbl());
    }
    files[ctx.Name(ctx.dbl() ? "dbltic" : "tic")] = tics.bytes();
    if (c.bounds) {
        Out bnd(ctx.big());
        for (double v : *c.bounds) bnd.Coord(v, ctx.dbl());
        files[ctx.Name(ctx.dbl() ? "dblbnd" : "bnd")] = bnd.bytes();
    }
}

void WriteRows(const Context& ctx, const GenTable& table, Bytes& out) {
    Out rows(ctx.big());
    for (const auto& row : table.rows) {
        for (std::size_t i = 0; i < table.items.size(); ++i) {
            const GenItem& item = table.items[i];
            const std::string& v = row[i];
            const auto width = static_cast<std::size_t>(item.width);
            if (item.type == 5 && item.width == 1) {
                rows.bytes().push_back(static_cast<std::uint8_t>(std::atoi(v.c_str())));
            } else if (item.type == 5 && item.width == 2) {
                rows.I16(static_cast<std::int16_t>(std::atoi(v.c_str())));
            } else if (item.type == 5) {
                rows.I32(std::atoi(v.c_str()));
            } else if (item.type == 6) {
                width == 8 ? rows.F64(std::atof(v.c_str())) : rows.F32(std::atof(v.c_str()));
            } else {
                rows.Text(v, width);
            }
        }
    }
    out = rows.bytes();
}

// The INFO directory: TIC and BND entries (which the reader skips), then AAT and PAT.
void WriteInfo(const Context& ctx, std::map<std::string, Bytes>& files) {
    const GenCover& c = ctx.cover;
    const bool big = c.big_endian;
    Out dir(big);
    std::string upper = c.name;
    for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    struct Entry {
        std::string kind, file;
        const GenTable* table;
    };
    const int w = ctx.dbl() ? 8 : 4, ow = ctx.dbl() ? 18 : 12, d = ctx.dbl() ? 5 : 3;
    GenTable tic{{{"IDTIC", 4, 5, -1, 5}, {"XTIC", w, ow, d, 6}, {"YTIC", w, ow, d, 6}}, {}};
    std::vector<Entry> entries{{"TIC", ctx.dbl() ? "dbltic" : "tic", &tic}};
    if (!c.aat.items.empty()) entries.push_back({"AAT", "aat", &c.aat});
    if (!c.pat.items.empty()) entries.push_back({"PAT", "pat", &c.pat});
    int number = 0;
    for (const Entry& e : entries) {
        char file[16];
        std::snprintf(file, sizeof file, c.info_style4 ? "ARC%04d " : "ARC%03d  ", number);
        std::string lower = file;
        lower.erase(lower.find(' '));
        for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        int length = 0;
        for (const GenItem& item : e.table->items) length += item.width;
        const std::size_t start = dir.size();
        dir.Text(upper + "." + e.kind, 32);
        std::string stored = file;
        // A little-endian directory stores its file names in swapped byte pairs.
        if (!big)
            for (std::size_t i = 0; i + 1 < stored.size(); i += 2)
                std::swap(stored[i], stored[i + 1]);
        dir.Text(stored, 8);
        dir.I16(static_cast<std::int16_t>(e.table->items.size()));
        dir.I16(static_cast<std::int16_t>(length));
        dir.Text("", 16);
        dir.I16(132);
        dir.I16(0);
        dir.I32(static_cast<std::int32_t>(e.table == &tic ? c.tics.size() : e.table->rows.size()));
        dir.Zeros(10);
        dir.Text("XX", 2);
        dir.Zeros(380 - (dir.size() - start));

        Out nit(big);
        int position = 1;
        for (std::size_t i = 0; i < e.table->items.size(); ++i) {
            const GenItem& item = e.table->items[i];
            const std::size_t begin = nit.size();
            nit.Text(item.name, 16);
            for (int v : {item.width, -1, position, 4, -1, item.output_width, item.decimals,
                          item.type, 0, -1, -1, -1, -1})
                nit.I16(static_cast<std::int16_t>(v));
            nit.Text("", 16);
            nit.Zeros(16);
            nit.I16(-1);
            nit.I16(-1);
            nit.Zeros(32);
            nit.I16(-1);
            nit.I16(-1);
            nit.I16(static_cast<std::int16_t>(i + 1));
            nit.Zeros(144 - (nit.size() - begin));
            position += item.width;
        }
        const std::string info = "info/" + lower;
        files[info + (c.info_style4 ? ".nit" : "nit")] = nit.bytes();
        Out dat(big);
        dat.Text("../" + c.name + "/" + e.file + (c.adf_suffix ? ".adf" : ""), 80);
        files[info + (c.info_style4 ? ".dat" : "dat")] = dat.bytes();
        if (e.table != &tic) WriteRows(ctx, *e.table, files[ctx.Name(e.file)]);
        ++number;
    }
    files[std::string("info/") + (c.info_style4 ? "arc.dir" : "arcdr9")] = dir.bytes();
}

}  // namespace

std::map<std::string, Bytes> CoverFiles(const GenCover& cover) {
    const Context ctx{cover};
    std::map<std::string, Bytes> files;
    if (!cover.arcs.empty()) WriteArcs(ctx, files);
    if (!cover.polygons.empty()) WritePolygons(ctx, files);
    if (!cover.centroids.empty()) WriteCentroids(ctx, files);
    if (!cover.texts.empty()) WriteTexts(ctx, files);
    if (!cover.labels.empty()) WriteLabels(ctx, files);
    WriteTicsAndBounds(ctx, files);
    if (!cover.tolerances.empty()) {
        Out tol(ctx.big());
        for (const Tolerance& t : cover.tolerances) {
            tol.I32(t.number);
            tol.I32(t.status);
            tol.F32(t.value);
        }
        files[ctx.Name("tol")] = tol.bytes();
    }
    if (!cover.projection.empty()) {
        std::string text;
        for (const std::string& line : cover.projection) text += line;
        files[ctx.Name("prj")] = Bytes(text.begin(), text.end());
    }
    if (!cover.table_form) WriteInfo(ctx, files);
    return files;
}

void WriteFiles(const std::filesystem::path& workspace, const std::map<std::string, Bytes>& files) {
    for (const auto& [name, bytes] : files) {
        const std::filesystem::path path = workspace / name;
        std::filesystem::create_directories(path.parent_path());
        wlxtest::WriteBytes(path, bytes);
    }
}

GenCover SampleCover(const std::string& name) {
    GenCover c;
    c.name = name;
    const double o = 1000.125;  // keeps coordinates away from round numbers
    c.arcs = {{1, 1, 1, 1, 2, {{o, o}, {o, o + 10}, {o + 10, o + 10}, {o + 10, o}, {o, o}}},
              {2, 2, 3, 2, 3, {{o + 4, o + 4}, {o + 4, o + 6}, {o + 6, o + 6}}},
              {3, 3, 2, 2, 3, {{o + 6, o + 6}, {o + 6, o + 4}, {o + 4, o + 4}}},
              {4, 5, 6, 2, 2, {{o + 1, o + 1}, {o + 2.0625, o + 3.5}}}};
    c.polygons = {{o, o, o + 10, o + 10, {-1}, {1}, {2}},
                  {o, o, o + 10, o + 10, {1, 0, -3, -2}, {1, 0, 2, 3}, {1, 0, 3, 3}},
                  {o + 4, o + 4, o + 6, o + 6, {2, 3}, {2, 3}, {2, 2}}};
    c.centroids = {{0, 0, {}}, {o + 2, o + 2, {1}}, {o + 5, o + 5, {2}}};
    c.labels = {{101, 2, o + 2, o + 2}, {102, 3, o + 5, o + 5}};
    c.tics = {{1, o, o}, {2, o, o + 10}, {3, o + 10, o + 10}, {4, o + 10, o}};
    c.tolerances = {{1, 1, 0.25}, {2, 0, 0}, {3, 1, 1.5}};
    c.texts = {{7, {{o + 1, o + 8}, {o + 3, o + 8.5}}, {{o + 2, o + 7}}, 1.5, "Lake shore"}};
    c.projection = {"Projection    GEOGRAPHIC\n", "Units         DD\n", "Parameters\n"};
    c.bounds = std::array<double, 4>{o, o, o + 10, o + 10};
    const std::string upper = [&] {
        std::string u = name;
        for (char& ch : u) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        return u;
    }();
    c.aat.items = {{"FNODE#", 4, 5, -1, 5},      {"TNODE#", 4, 5, -1, 5},
                   {"LPOLY#", 4, 5, -1, 5},      {"RPOLY#", 4, 5, -1, 5},
                   {"LENGTH", 4, 12, 3, 6},      {upper + "#", 4, 5, -1, 5},
                   {upper + "-ID", 4, 5, -1, 5}, {"CLASS", 2, 6, -1, 5},
                   {"NAME", 10, 10, -1, 2},      {"RATIO", 8, 18, 5, 6}};
    for (const Arc& a : c.arcs) {
        const std::string n = std::to_string(a.user_id);
        c.aat.rows.push_back({std::to_string(a.from_node), std::to_string(a.to_node),
                              std::to_string(a.left_polygon), std::to_string(a.right_polygon),
                              "2.5", n, n, std::to_string(-3 * a.user_id), "arc " + n,
                              "0.123456789012"});
    }
    c.pat.items = {{"AREA", 4, 12, 3, 6},      {"PERIMETER", 4, 12, 3, 6},
                   {upper + "#", 4, 5, -1, 5}, {upper + "-ID", 4, 5, -1, 5},
                   {"ZONE", 6, 6, -1, 2},      {"RANK", 5, 5, -1, 3}};
    c.pat.rows = {{"-96", "48", "1", "0", "", "0"},
                  {"96", "48", "2", "1", "north", "17"},
                  {"4", "8", "3", "2", "isle", "-4"}};
    return c;
}

}  // namespace covtest
