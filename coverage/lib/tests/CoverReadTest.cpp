// Workspaces, covers and records read through the library from covers the
// test writes itself: byte orders, precisions, the table form, names in any
// letter case, and the failures the library reports.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "common/ByteOrder.h"
#include "coverage/lib/Tamrec.h"
#include "testing/TestSupport.h"
#include "testing/coverage/CoverDump.h"
#include "testing/coverage/CoverGenerator.h"

namespace covtest {
namespace {

namespace fs = std::filesystem;
using wlxtest::TempDir;

// What the library must read back from a generated cover.
CoverDump Expected(const GenCover& c) {
    CoverDump d;
    d.double_precision = c.double_precision && !c.table_form;
    d.byte_swap = c.big_endian && !c.table_form;
    d.table_form = c.table_form;
    if (c.bounds) {
        d.xmin = (*c.bounds)[0];
        d.ymin = (*c.bounds)[1];
        d.xmax = (*c.bounds)[2];
        d.ymax = (*c.bounds)[3];
        d.has_bounds = true;
        for (int i = 0; i < 4; ++i) d.bounds[i] = (*c.bounds)[i];
    }
    d.arcs = c.arcs;
    d.labels = c.labels;
    d.polygons = c.polygons;
    d.centroids = c.centroids;
    d.tics = c.tics;
    d.tolerances = c.tolerances;
    d.texts = c.texts;
    d.projection = c.projection;
    return d;
}

// The rows of `table` against the values read, numbers compared as numbers.
void ExpectRows(const GenTable& table, const std::vector<Row>& rows, const std::string& what) {
    ASSERT_EQ(rows.size(), table.rows.size()) << what;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t i = 0; i < table.items.size(); ++i) {
            const GenItem& item = table.items[i];
            const std::string& got = rows[r].at(item.name);
            const std::string& want = table.rows[r][i];
            const std::string where = what + " row " + std::to_string(r + 1) + " " + item.name;
            if (item.type == 6) {
                const double tolerance =
                    item.width == 4 ? 1e-6 * std::fabs(std::atof(want.c_str())) : 1e-15;
                EXPECT_NEAR(std::atof(got.c_str()), std::atof(want.c_str()), tolerance) << where;
            } else {
                EXPECT_EQ(got, want) << where;
            }
        }
    }
}

// Geometry, flags and bounds equal; attribute rows compared apart.
void ExpectReadsAsWritten(const GenCover& cover, const fs::path& workspace) {
    CoverDump dump = DumpCover(workspace, cover.name);
    ASSERT_EQ(dump.error, "");
    ExpectRows(cover.aat, dump.aat, "aat");
    ExpectRows(cover.pat, dump.pat, "pat");
    dump.aat.clear();
    dump.pat.clear();
    dump.aat_items.clear();
    dump.pat_items.clear();
    dump.aat_attached = dump.pat_on_labels = dump.pat_on_polygons = false;
    EXPECT_EQ(ToText(dump), ToText(Expected(cover)));
}

struct Form {
    const char* name;
    bool big_endian, double_precision, adf_suffix, info_style4, table_form;
};

void PrintTo(const Form& form, std::ostream* out) {
    *out << form.name;
}

class FormTest : public ::testing::TestWithParam<Form> {};

TEST_P(FormTest, ReadsWhatWasWritten) {
    const Form f = GetParam();
    GenCover cover = SampleCover("cov");
    cover.big_endian = f.big_endian;
    cover.double_precision = f.double_precision;
    cover.adf_suffix = f.adf_suffix;
    cover.info_style4 = f.info_style4;
    cover.table_form = f.table_form;
    if (f.table_form) {
        cover.aat = cover.pat = GenTable{};
        cover.bounds =
            std::array<double, 4>{1000.5, 1000, 1010.5, 1010};  // bnd.dbf keeps one decimal
    }
    TempDir dir;
    WriteFiles(dir.path(), CoverFiles(cover));
    ExpectReadsAsWritten(cover, dir.path());
}

// Little-endian binary covers are no form GDAL reads; they are checked here only.
INSTANTIATE_TEST_SUITE_P(Forms, FormTest,
                         ::testing::Values(Form{"big_single", true, false, false, false, false},
                                           Form{"big_double_adf", true, true, true, true, false},
                                           Form{"little_single", false, false, false, false, false},
                                           Form{"little_double_adf", false, true, true, true,
                                                false},
                                           Form{"table_form", false, false, false, false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CoverReadTest, NamesAreFoundWithoutRegardToCase) {
    GenCover cover = SampleCover("cov");
    cover.adf_suffix = cover.info_style4 = true;
    TempDir dir;
    std::map<std::string, Bytes> upper;
    for (const auto& [name, bytes] : CoverFiles(cover)) {
        std::string n = name;
        for (char& ch : n) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        upper[n] = bytes;  // COV/ARC.ADF, INFO/ARC.DIR, INFO/ARC0001.NIT ...
    }
    WriteFiles(dir.path(), upper);
    ExpectReadsAsWritten(cover, dir.path());
}

// The byte order of a cover comes from the first word of its first file.
TEST(CoverReadTest, ByteOrderFromTheMagicNumber) {
    struct Case {
        std::uint8_t first[4];
        const char* error;
        bool swap;
    };
    const Case cases[] = {
        {{0x00, 0x00, 0x27, 0x0A}, "", true},
        {{0x0A, 0x27, 0x00, 0x00}, "", false},
        {{0x0A, 0x27, 0x01, 0x00},
         "tamrec_lib: tamrec_open_cover() 'cov' is not a valid cover, bad 'magic number'\n",
         false},
    };
    for (const Case& c : cases) {
        GenCover cover = SampleCover("cov");
        cover.big_endian = c.swap;
        auto files = CoverFiles(cover);
        std::copy(c.first, c.first + 4, files["cov/arc"].begin());
        TempDir dir;
        WriteFiles(dir.path(), files);
        const CoverDump dump = DumpCover(dir.path(), "cov");
        EXPECT_EQ(dump.error, c.error);
        EXPECT_EQ(dump.byte_swap, c.swap);
        if (*c.error == '\0') {
            EXPECT_EQ(dump.arcs.size(), cover.arcs.size());
        }
    }
}

struct Opened {
    tamrec_workspace* ws = nullptr;
    tamrec_cover* cover = nullptr;
    ~Opened() {
        tamrec_close_cover(&cover);
        tamrec_close_ws(&ws);
    }
};

// Opens `name` in `workspace` and loads every kind with attributes.
void Open(const fs::path& workspace, const char* name, Opened& o) {
    ASSERT_EQ(tamrec_open_ws(workspace.c_str(), &o.ws), 0) << tamrec_last_error_text();
    ASSERT_EQ(tamrec_open_cover(name, o.ws, &o.cover), 0) << tamrec_last_error_text();
    ASSERT_EQ(tamrec_open_cover_file(o.cover, kTamrecAllKinds, 1), 0);
}

TEST(CoverReadTest, WorkspaceFailuresAreRecorded) {
    TempDir dir;
    fs::create_directories(dir / "empty");
    fs::create_directories(dir / "bare/cov");
    wlxtest::WriteText(dir / "bare/cov/tic", "");
    wlxtest::WriteText(dir / "file", "x");
    struct Case {
        fs::path path;
        const char* message;
    };
    const Case cases[] = {
        {dir / "missing", "tamrec_lib: tamrec_open_ws() workspace directory does not exist\n"},
        {dir / "file", "tamrec_lib: tamrec_open_ws() workspace path is not all directories\n"},
        {dir / "empty", "tamrec_lib: tamrec_open_ws() workspace has no coverages\n"},
        {dir / "bare", "tamrec_lib: tamrec_open_ws() workspace is not a dbf coverage\n"},
    };
    for (const Case& c : cases) {
        tamrec_workspace* ws = nullptr;
        EXPECT_EQ(tamrec_open_ws(c.path.c_str(), &ws), 1);
        EXPECT_EQ(ws, nullptr);
        EXPECT_STREQ(tamrec_last_error_text(), c.message);
        EXPECT_EQ(tamrec_last_error_code(), kTamrecErrorText);
    }
    tamrec_workspace other{};
    tamrec_workspace* set = &other;
    EXPECT_EQ(tamrec_open_ws(dir.path().c_str(), &set), 1);
    EXPECT_STREQ(tamrec_last_error_text(), "tamrec_lib: tamrec_open_ws() handed a non-NULL ptr\n");
    EXPECT_EQ(tamrec_close_ws(nullptr), 1);
    tamrec_workspace* none = nullptr;
    EXPECT_EQ(tamrec_close_ws(&none), 1);
}

TEST(CoverReadTest, CoverFailuresAreRecorded) {
    TempDir dir;
    WriteFiles(dir.path(), CoverFiles(SampleCover("cov")));
    tamrec_workspace* ws = nullptr;
    ASSERT_EQ(tamrec_open_ws(dir.path().c_str(), &ws), 0);
    tamrec_cover* cover = nullptr;
    EXPECT_EQ(tamrec_open_cover("info", ws, &cover), 1);
    EXPECT_STREQ(tamrec_last_error_text(),
                 "tamrec_lib: tamrec_open_cover() 'info' is not a valid cover\n");
    EXPECT_EQ(tamrec_open_cover("cov", nullptr, &cover), 1);
    EXPECT_STREQ(tamrec_last_error_text(),
                 "tamrec_lib: tamrec_open_cover() handed a NULL workspace ptr\n");
    ASSERT_EQ(tamrec_open_cover("COV", ws, &cover), 0);
    tamrec_cover* second = cover;
    EXPECT_EQ(tamrec_open_cover("cov", ws, &second), 1);
    EXPECT_STREQ(tamrec_last_error_text(),
                 "tamrec_lib: tamrec_open_cover() handed a non-NULL cover ptr\n");
    EXPECT_EQ(tamrec_open_cover_file(nullptr, kTamrecArcs, 0), 1);
    EXPECT_STREQ(tamrec_last_error_text(),
                 "tamrec_lib: tamrec_open_cover_file() handed a NULL cover_ptr\n");
    EXPECT_EQ(tamrec_open_cover_file(cover, kTamrecAat, 0), 1);
    EXPECT_EQ(tamrec_open_cover_file(cover, 13, 0), 1);
    EXPECT_TRUE(tamrec_is_cover(dir.path().c_str(), "cov", 0));
    EXPECT_FALSE(tamrec_is_cover(dir.path().c_str(), "cov", 1));
    // Closing the workspace closes the cover still open in it.
    EXPECT_EQ(tamrec_close_ws(&ws), 0);
}

TEST(CoverReadTest, ReadsOutsideTheRecordsChangeNothing) {
    TempDir dir;
    auto files = CoverFiles(SampleCover("cov"));
    // Arc 2's index entry says the record does not exist.
    std::fill_n(files["cov/arx"].begin() + 108, 4, 0);
    WriteFiles(dir.path(), files);
    Opened o;
    Open(dir.path(), "cov", o);
    ASSERT_EQ(o.cover->record_count[kTamrecArcs], 4);
    ASSERT_EQ(tamrec_read_record(o.cover, kTamrecArcs, 1), 0);
    const tamrec_record_arc before = o.cover->arc;
    for (std::int32_t n : {0, 2, 5, -1}) {
        EXPECT_EQ(tamrec_read_record(o.cover, kTamrecArcs, n), 1) << n;
        EXPECT_EQ(o.cover->arc.user_id, before.user_id);
        EXPECT_EQ(o.cover->arc.vertex_count, before.vertex_count);
        EXPECT_EQ(o.cover->arc.vertices[1].y, before.vertices[1].y);
    }
    EXPECT_EQ(tamrec_read_record(o.cover, kTamrecArcs, 3), 0);
    EXPECT_EQ(o.cover->arc.user_id, 3);
    EXPECT_EQ(tamrec_read_record(o.cover, kTamrecBounds, 2), 1);
    EXPECT_EQ(tamrec_read_record(nullptr, kTamrecArcs, 1), 1);
    // An unloaded kind has nothing to read.
    EXPECT_EQ(tamrec_unload_kind(o.cover, kTamrecLabels), 0);
    EXPECT_EQ(tamrec_read_record(o.cover, kTamrecLabels, 1), 1);
}

TEST(CoverReadTest, EmptyAndShortFilesHoldNoRecords) {
    TempDir dir;
    auto files = CoverFiles(SampleCover("cov"));
    files["cov/arc"].clear();
    files["cov/arx"].clear();
    files["cov/lab"].resize(99);
    files["cov/tol"].clear();
    WriteFiles(dir.path(), files);
    Opened o;
    Open(dir.path(), "cov", o);
    for (int kind : {kTamrecArcs, kTamrecLabels, kTamrecTolerances}) {
        EXPECT_TRUE(o.cover->file[kind].loaded) << kind;
        EXPECT_EQ(o.cover->record_count[kind], 0) << kind;
    }
    // Polygons load their arcs too; they are there, with nothing to walk.
    EXPECT_EQ(o.cover->record_count[kTamrecPolygons], 3);
}

TEST(CoverReadTest, OnlyTheKindsPresentAreLoaded) {
    GenCover cover;
    cover.name = "lines";
    cover.arcs = {{7, 1, 2, 0, 0, {{0, 0}, {3, 4}}}};
    cover.tics = {{1, 0, 0}, {2, 3, 4}};
    TempDir dir;
    WriteFiles(dir.path(), CoverFiles(cover));
    Opened o;
    Open(dir.path(), "lines", o);
    for (int kind = kTamrecArcs; kind <= kTamrecBounds; ++kind)
        EXPECT_EQ(o.cover->file[kind].loaded, kind == kTamrecArcs || kind == kTamrecTics) << kind;
    EXPECT_FALSE(o.cover->arcs_have_attributes);
    // Without a bound file the bounds are the tics' extremes.
    EXPECT_EQ(o.cover->xmin, 0);
    EXPECT_EQ(o.cover->ymax, 4);
    EXPECT_EQ(o.cover->xmax, 3);
    EXPECT_EQ(o.cover->ymin, 0);
    EXPECT_EQ(tamrec_open_cover_file(o.cover, kTamrecLabels, 0), 1);
}

// A PAT whose first row starts with the outside polygon's negative area
// belongs to the polygons; one that starts with 0 to the labels.
TEST(CoverReadTest, PatOwnerFromItsFirstValue) {
    for (const char* area : {"-96", "0"}) {
        GenCover cover = SampleCover("cov");
        cover.pat.rows[0][0] = area;
        TempDir dir;
        WriteFiles(dir.path(), CoverFiles(cover));
        Opened o;
        Open(dir.path(), "cov", o);
        const bool polygons = *area == '-';
        EXPECT_EQ(o.cover->polygons_have_attributes, polygons) << area;
        EXPECT_EQ(o.cover->labels_have_attributes, !polygons) << area;
        ASSERT_EQ(tamrec_read_record(o.cover, polygons ? kTamrecPolygons : kTamrecLabels, 2), 0);
        EXPECT_STREQ(o.cover->pat.items[4].value.text, "north");
        // Unloading the owner unloads the table with it.
        tamrec_unload_kind(o.cover, polygons ? kTamrecPolygons : kTamrecLabels);
        EXPECT_FALSE(o.cover->file[kTamrecPat].loaded);
        EXPECT_EQ(o.cover->pat.items, nullptr);
    }
}

// Directory records that are deleted, foreign, or whose item file is
// missing or short are skipped; the workspace still opens.
TEST(CoverReadTest, UnusableInfoRecordsAreSkipped) {
    struct Case {
        const char* what;
        std::function<void(std::map<std::string, Bytes>&)> damage;
        bool aat, pat;
    };
    const Case cases[] = {
        {"AAT deleted", [](auto& f) { f["info/arcdr9"][380 + 63] = 1; }, false, true},
        {"AAT renamed to a foreign kind", [](auto& f) { f["info/arcdr9"][380 + 4] = 'X'; }, false,
         true},
        {"PAT item file missing", [](auto& f) { f.erase("info/arc002nit"); }, true, false},
        {"AAT item file short", [](auto& f) { f["info/arc001nit"].resize(144 * 9); }, false, true},
        {"no directory file", [](auto& f) { f.erase("info/arcdr9"); }, false, false},
        {"foreign byte-order mark", [](auto& f) { f["info/arcdr9"][32] = 'X'; }, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto files = CoverFiles(SampleCover("cov"));
        c.damage(files);
        TempDir dir;
        WriteFiles(dir.path(), files);
        const CoverDump dump = DumpCover(dir.path(), "cov");
        EXPECT_EQ(dump.error, "");
        EXPECT_EQ(dump.aat_attached, c.aat);
        EXPECT_EQ(dump.pat_on_polygons, c.pat);
        EXPECT_EQ(dump.arcs.size(), 4u);
    }
}

// Blank-padded text items lose their padding; integers of 1, 2 and 4 bytes
// keep their sign.
TEST(CoverReadTest, ItemValuesOfEveryWidth) {
    GenCover cover = SampleCover("cov");
    cover.aat.items = {{"TINY", 1, 4, -1, 5},  {"SHORT", 2, 6, -1, 5}, {"LONG", 4, 11, -1, 5},
                       {"LABEL", 6, 6, -1, 2}, {"WHEN", 8, 8, -1, 1},  {"SCALE", 4, 12, 3, 6}};
    cover.aat.rows.clear();
    for (int i = 0; i < 4; ++i)
        cover.aat.rows.push_back({std::to_string(-100 - i), "-30000", "-2000000000",
                                  i == 0 ? "" : "ab", "20240131", "0.5"});
    TempDir dir;
    WriteFiles(dir.path(), CoverFiles(cover));
    const CoverDump dump = DumpCover(dir.path(), "cov");
    ASSERT_TRUE(dump.aat_attached);
    ExpectRows(cover.aat, dump.aat, "aat");
}

TEST(CoverReadTest, ItemsPastTheRecordLeaveTheArcsWithoutAttributes) {
    auto files = CoverFiles(SampleCover("cov"));
    // The AAT's record length, 16-bit at offset 42 of its directory record.
    byteorder::StoreI16Be(20, &files["info/arcdr9"][380 + 42]);
    TempDir dir;
    WriteFiles(dir.path(), files);
    const CoverDump dump = DumpCover(dir.path(), "cov");
    EXPECT_EQ(dump.error, "");
    EXPECT_FALSE(dump.aat_attached);
    EXPECT_EQ(dump.arcs.size(), 4u);
}

// Longer than the writer's limits: more than 500 vertices, 100 labels per
// centroid, and a text longer than the 696-byte buffer.
TEST(CoverReadTest, RecordsPastTheWriterLimitsAreRead) {
    GenCover cover = SampleCover("cov");
    for (int i = 0; i < 1200; ++i) cover.arcs[3].vertices.emplace_back(i * 0.5, i * 0.25);
    for (int i = 0; i < 150; ++i) cover.centroids[2].labels.push_back(i);
    cover.texts[0].text = std::string(900, 'w');
    cover.aat = cover.pat = GenTable{};
    TempDir dir;
    WriteFiles(dir.path(), CoverFiles(cover));
    ExpectReadsAsWritten(cover, dir.path());
}

TEST(CoverReadTest, AllocationFailureIsReported) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer ends the process on such a request";
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    GTEST_SKIP() << "the address sanitizer ends the process on such a request";
#endif
#endif
    EXPECT_EQ(tamrec_alloc(SIZE_MAX / 2), nullptr);
    EXPECT_EQ(tamrec_last_error_code(), kTamrecErrorNoMemory);
}

}  // namespace
}  // namespace covtest
