// Covers built through the library's write side, saved, read back and
// deleted: every form, INFO registration, replacing and failed saves.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "common/ByteOrder.h"
#include "coverage/lib/Tamrec.h"
#include "testing/TestSupport.h"
#include "testing/coverage/CoverBuilder.h"
#include "testing/coverage/CoverDump.h"
#include "testing/coverage/CoverGenerator.h"

namespace covtest {
namespace {

namespace fs = std::filesystem;
using wlxtest::TempDir;

// The generator's sample in the form asked for; the table form keeps no
// attribute tables and bounds of one decimal.
GenCover Sample(const std::string& name, bool dbl, bool adf, bool table) {
    GenCover c = SampleCover(name);
    c.double_precision = dbl;
    c.adf_suffix = c.info_style4 = adf;
    c.table_form = table;
    c.tolerances.clear();
    c.projection.clear();
    if (table) {
        c.aat = c.pat = GenTable{};
        c.bounds = std::array<double, 4>{1000.5, 1000, 1010.5, 1010};
    }
    return c;
}

int SaveBuilt(const GenCover& g, const fs::path& workspace, int replace = 0) {
    tamrec_cover* c = BuildCover(g);
    if (c == nullptr) return -1;
    const int result = tamrec_save_cover(workspace.string().c_str(), g.name.c_str(), c, replace);
    tamrec_free_cover(&c);
    return result;
}

// The dump without the attribute tables, which are compared apart.
std::string Geometry(CoverDump d) {
    d.aat.clear();
    d.pat.clear();
    d.aat_items.clear();
    d.pat_items.clear();
    d.tolerances.clear();
    d.projection.clear();
    return ToText(d);
}

// Rows equal item by item; reals to the precision of the narrower width.
void ExpectSameRows(const std::vector<Row>& want, const std::vector<Item>& items,
                    const std::vector<Row>& got, const std::string& what) {
    ASSERT_EQ(got.size(), want.size()) << what;
    for (std::size_t r = 0; r < want.size(); ++r)
        for (const Item& item : items) {
            const std::string& a = want[r].at(item.name);
            const std::string& b = got[r].at(item.name);
            if (item.type == 6)
                EXPECT_NEAR(std::atof(b.c_str()), std::atof(a.c_str()),
                            1e-6 * std::fabs(std::atof(a.c_str())) + 1e-12)
                    << what << " " << item.name;
            else
                EXPECT_EQ(b, a) << what << " " << item.name;
        }
}

// What the library saved reads back as the generator's bytes of the same cover.
void ExpectSavedAsGenerated(const GenCover& g, const fs::path& saved_ws) {
    TempDir generated;
    WriteFiles(generated.path(), CoverFiles(g));
    const CoverDump want = DumpCover(generated.path(), g.name);
    const CoverDump got = DumpCover(saved_ws, g.name);
    ASSERT_EQ(got.error, "");
    EXPECT_EQ(got.unreadable, 0);
    EXPECT_EQ(Geometry(got), Geometry(want));
    EXPECT_EQ(got.aat_attached, want.aat_attached);
    EXPECT_EQ(got.pat_on_polygons, want.pat_on_polygons);
    ExpectSameRows(want.aat, want.aat_items, got.aat, "aat");
    ExpectSameRows(want.pat, want.pat_items, got.pat, "pat");
}

struct Form {
    const char* name;
    bool double_precision, adf_suffix, table_form;
};

void PrintTo(const Form& form, std::ostream* out) {
    *out << form.name;
}

class SaveFormTest : public ::testing::TestWithParam<Form> {};

TEST_P(SaveFormTest, ReadsBackAsTheGeneratorsCover) {
    const Form f = GetParam();
    const GenCover g = Sample("cov", f.double_precision, f.adf_suffix, f.table_form);
    TempDir dir;
    ASSERT_EQ(SaveBuilt(g, dir / "ws"), 0) << tamrec_last_error_text();
    ExpectSavedAsGenerated(g, dir / "ws");
}

INSTANTIATE_TEST_SUITE_P(Forms, SaveFormTest,
                         ::testing::Values(Form{"single", false, false, false},
                                           Form{"double_adf", true, true, false},
                                           Form{"table_form", false, false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// A new binary workspace keeps double coordinates whole (UTM northings lose
// about half a metre as floats).
TEST(CoverSaveTest, DoublePrecisionIsKept) {
    GenCover g = Sample("utm", true, false, false);
    for (Arc& a : g.arcs)
        for (auto& [x, y] : a.vertices) x += 500000.0, y += 5000000.0;
    TempDir dir;
    ASSERT_EQ(SaveBuilt(g, dir / "ws"), 0) << tamrec_last_error_text();
    EXPECT_TRUE(fs::exists(dir / "ws" / "utm" / "dbltic"));
    const CoverDump d = DumpCover(dir / "ws", "utm");
    ASSERT_EQ(d.error, "");
    EXPECT_TRUE(d.double_precision);
    ASSERT_EQ(d.arcs.size(), g.arcs.size());
    EXPECT_EQ(d.arcs[3].vertices, g.arcs[3].vertices);
    ASSERT_FALSE(d.aat_items.empty());
    EXPECT_EQ(d.aat_items[4].name, "LENGTH");
    EXPECT_EQ(d.aat_items[4].width, 8);
}

std::vector<std::uint8_t> Bytes(const fs::path& p) {
    return wlxtest::ReadBytes(p);
}

// The 380-byte directory records' names and file names.
std::vector<std::string> DirectoryNames(const fs::path& dir_file) {
    const auto bytes = Bytes(dir_file);
    std::vector<std::string> names;
    for (std::size_t at = 0; at + 380 <= bytes.size(); at += 380) {
        std::string name(reinterpret_cast<const char*>(&bytes[at]), 32);
        name.erase(name.find_last_not_of(' ') + 1);
        std::string file(reinterpret_cast<const char*>(&bytes[at + 32]), 8);
        file.erase(file.find_last_not_of(' ') + 1);
        names.push_back(name + " " + file + (bytes[at + 62] | bytes[at + 63] ? " deleted" : ""));
    }
    return names;
}

TEST(CoverSaveTest, RegistersTablesAndContinuesTheirNumbers) {
    TempDir dir;
    const fs::path ws = dir / "ws";
    fs::create_directory(ws);
    ASSERT_EQ(SaveBuilt(Sample("one", false, false, false), ws), 0) << tamrec_last_error_text();
    ASSERT_EQ(SaveBuilt(Sample("two", false, false, false), ws), 0) << tamrec_last_error_text();
    EXPECT_EQ(DirectoryNames(ws / "info" / "arcdr9"),
              (std::vector<std::string>{"ONE.TIC ARC000", "ONE.BND ARC001", "ONE.AAT ARC002",
                                        "ONE.PAT ARC003", "TWO.TIC ARC004", "TWO.BND ARC005",
                                        "TWO.AAT ARC006", "TWO.PAT ARC007"}));
    std::string path(reinterpret_cast<const char*>(Bytes(ws / "info" / "arc006dat").data()), 80);
    EXPECT_EQ(path.substr(0, path.find(' ')), "../two/aat");
    // Nothing of the save's own is left behind.
    for (const auto& entry : fs::directory_iterator(ws))
        EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
    ExpectSavedAsGenerated(Sample("one", false, false, false), ws);
}

// A little-endian ("RA") workspace receives little-endian INFO records and
// cover files, which read back with their attributes.
TEST(CoverSaveTest, LittleEndianWorkspaceKeepsItsOrder) {
    TempDir dir;
    GenCover existing = Sample("old", false, false, false);
    existing.big_endian = false;
    WriteFiles(dir.path(), CoverFiles(existing));
    const GenCover g = Sample("new", false, false, false);
    ASSERT_EQ(SaveBuilt(g, dir.path()), 0) << tamrec_last_error_text();
    const auto directory = Bytes(dir / "info" / "arcdr9");
    ASSERT_EQ(directory.size() % 380, 0u);
    const std::size_t last = directory.size() - 380;
    EXPECT_EQ(directory[last + 32], 'R');
    EXPECT_EQ(directory[last + 33], 'A');
    const CoverDump d = DumpCover(dir.path(), "new");
    ASSERT_EQ(d.error, "");
    EXPECT_FALSE(d.byte_swap);
    EXPECT_TRUE(d.aat_attached);
    EXPECT_TRUE(d.pat_on_polygons);
    GenCover little = g;
    little.big_endian = false;
    ExpectSavedAsGenerated(little, dir.path());
    EXPECT_TRUE(DumpCover(dir.path(), "old").aat_attached);
}

// dBASE numbers stand right-justified in their fields, blank-padded, and
// the PAT declares the rows it holds.
TEST(CoverSaveTest, TableFormFieldsAndCounts) {
    GenCover g = Sample("pc", false, false, true);
    g.polygons.clear();
    g.centroids.clear();
    g.labels.push_back({103, 0, 1001.5, 1002.5});
    TempDir dir;
    ASSERT_EQ(SaveBuilt(g, dir / "ws"), 0) << tamrec_last_error_text();
    const auto tic = Bytes(dir / "ws" / "pc" / "tic.dbf");
    const std::size_t header = 32 * 3 + 33;
    ASSERT_EQ(tic.size(), header + 4 * 40 + 1);
    for (std::size_t r = 0; r < 4; ++r) {
        const std::string row(reinterpret_cast<const char*>(&tic[header + 40 * r]), 40);
        EXPECT_EQ(row.find('\0'), std::string::npos) << row;
        EXPECT_EQ(row.substr(0, 12), "           " + std::to_string(r + 1)) << row;
        EXPECT_EQ(row.substr(12, 14), r < 2 ? "  1.000125E+03" : "  1.010125E+03") << row;
    }
    const auto pat = Bytes(dir / "ws" / "pc" / "pat.dbf");
    const std::int32_t declared = byteorder::LoadI32Le(&pat[4]);
    EXPECT_EQ(declared, 3);
    EXPECT_EQ(pat.size(), 32 * 4 + 33 + 57 * 3 + 1u);
}

TEST(CoverSaveTest, ExistingCoverIsReplacedOnlyWhenAsked) {
    TempDir dir;
    const fs::path ws = dir / "ws";
    GenCover first = Sample("cov", false, false, false);
    ASSERT_EQ(SaveBuilt(first, ws), 0) << tamrec_last_error_text();
    GenCover second = first;
    second.arcs.pop_back();
    second.aat.rows.pop_back();
    EXPECT_EQ(SaveBuilt(second, ws), 1);
    EXPECT_STREQ(tamrec_last_error_text(),
                 "tamrec_lib: tamrec_save_cover() Cover cov exists. It must be deleted first.\n");
    ExpectSavedAsGenerated(first, ws);
    ASSERT_EQ(SaveBuilt(second, ws, 1), 0) << tamrec_last_error_text();
    ExpectSavedAsGenerated(second, ws);
    const std::vector<std::string> names = DirectoryNames(ws / "info" / "arcdr9");
    ASSERT_EQ(names.size(), 8u);
    EXPECT_EQ(names[2], "COV.AAT ARC002 deleted");
    EXPECT_EQ(names[6], "COV.AAT ARC006");
    EXPECT_FALSE(fs::exists(ws / "info" / "arc002nit"));
    EXPECT_TRUE(fs::exists(ws / "info" / "arc006nit"));
}

// Every file of the workspace, for "nothing changed".
std::map<std::string, std::vector<std::uint8_t>> Snapshot(const fs::path& ws) {
    std::map<std::string, std::vector<std::uint8_t>> files;
    for (const auto& e : fs::recursive_directory_iterator(ws))
        if (e.is_regular_file()) files[fs::relative(e.path(), ws).string()] = Bytes(e.path());
    return files;
}

// A save that fails after the cover's files are written (its INFO table
// file cannot be created) leaves the workspace exactly as it was.
TEST(CoverSaveTest, FailingHalfWayLeavesTheOldCover) {
    TempDir dir;
    const fs::path ws = dir / "ws";
    GenCover first = Sample("cov", false, false, false);
    ASSERT_EQ(SaveBuilt(first, ws), 0) << tamrec_last_error_text();
    fs::create_directory(ws / "info" / "arc004dat");
    const auto before = Snapshot(ws);
    GenCover second = first;
    second.arcs.pop_back();
    second.aat.rows.pop_back();
    EXPECT_EQ(SaveBuilt(second, ws, 1), 1);
    EXPECT_NE(std::string(tamrec_last_error_text()).find("cannot create info file"),
              std::string::npos)
        << tamrec_last_error_text();
    EXPECT_EQ(Snapshot(ws), before);
    ExpectSavedAsGenerated(first, ws);
}

// A tmpfs of 256 KiB mounted for one test and unmounted whatever happens.
class SmallDisk {
public:
    explicit SmallDisk(const fs::path& at) : at_(at) {
        fs::create_directory(at_);
        mounted_ = ::geteuid() == 0 && ::mount("tmpfs", at_.c_str(), "tmpfs", 0, "size=256k") == 0;
    }
    ~SmallDisk() {
        if (mounted_) ::umount(at_.c_str());
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    bool mounted() const { return mounted_; }

private:
    fs::path at_;
    bool mounted_ = false;
};

// A workspace that cannot be written: read-only by its permissions, or,
// for a user they do not bind, on a file system mounted read-only.
TEST(CoverSaveTest, ReadOnlyWorkspaceLeavesTheOldCover) {
    TempDir dir;
    SmallDisk disk(dir / "disk");
    const fs::path ws = dir / "disk" / "ws";
    GenCover first = Sample("cov", false, false, false);
    ASSERT_EQ(SaveBuilt(first, ws), 0) << tamrec_last_error_text();
    const auto before = Snapshot(ws);
    fs::permissions(ws, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    bool writable = ::access(ws.c_str(), W_OK) == 0;
    if (writable && disk.mounted())
        writable = ::mount("tmpfs", (dir / "disk").c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY,
                           "size=256k") != 0;
    GenCover second = first;
    second.arcs.pop_back();
    second.aat.rows.pop_back();
    const int result = writable ? 0 : SaveBuilt(second, ws, 1);
    if (disk.mounted()) ::mount("tmpfs", (dir / "disk").c_str(), "tmpfs", MS_REMOUNT, "size=256k");
    fs::permissions(ws, fs::perms::owner_write, fs::perm_options::add);
    if (writable) GTEST_SKIP() << "the workspace cannot be made read-only here";
    EXPECT_EQ(result, 1);
    EXPECT_STREQ(tamrec_last_error_text(),
                 "tamrec_lib: tamrec_save_cover() unable to create the cover directory\n");
    EXPECT_EQ(Snapshot(ws), before);
    ExpectSavedAsGenerated(first, ws);
}

// The disk fills while the new cover's files are written: the old cover,
// its INFO tables and the workspace stay as they were.
TEST(CoverSaveTest, FullDiskLeavesTheOldCover) {
    TempDir dir;
    SmallDisk disk(dir / "disk");
    if (!disk.mounted()) GTEST_SKIP() << "no tmpfs can be mounted here";
    const fs::path ws = dir / "disk" / "ws";
    GenCover first = Sample("cov", false, false, false);
    ASSERT_EQ(SaveBuilt(first, ws), 0) << tamrec_last_error_text();
    // Fill the disk, then free a few pages: some files fit, the mask does not.
    {
        std::ofstream filler(dir / "disk" / "filler", std::ios::binary);
        const std::string block(4096, 'x');
        while (filler.write(block.data(), block.size())) {
        }
    }
    const auto size = fs::file_size(dir / "disk" / "filler");
    fs::resize_file(dir / "disk" / "filler", size > 16384 ? size - 16384 : 0);
    const auto before = Snapshot(ws);
    GenCover second = first;
    second.double_precision = true;
    EXPECT_EQ(SaveBuilt(second, ws, 1), 1);
    EXPECT_NE(std::string(tamrec_last_error_text()).find("unable to"), std::string::npos)
        << tamrec_last_error_text();
    EXPECT_EQ(Snapshot(ws), before);
    ExpectSavedAsGenerated(first, ws);
}

TEST(CoverSaveTest, RefusedBeforeAnythingIsCreated) {
    TempDir dir;
    GenCover g = Sample("abcdefghijklm", false, false, false);
    EXPECT_EQ(SaveBuilt(g, dir / "ws"), 1);
    EXPECT_STREQ(tamrec_last_error_text(),
                 "tamrec_lib: tamrec_save_cover() The cover name is too long. It must be 12 chars "
                 "or less\n");
    g.name = "abcdefghijkl";
    g.centroids.pop_back();
    tamrec_cover* c = BuildCover(g);
    ASSERT_NE(c, nullptr);
    c->record_count[kTamrecCentroids] -= 1;
    EXPECT_EQ(tamrec_save_cover((dir / "ws").c_str(), g.name.c_str(), c), 1);
    c->record_count[kTamrecCentroids] += 1;
    tamrec_free_cover(&c);
    EXPECT_NE(std::string(tamrec_last_error_text()).find("do NOT match"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "ws"));
}

TEST(CoverSaveTest, DeleteFlagsTheTablesAndRemovesTheFiles) {
    TempDir dir;
    const fs::path ws = dir / "ws";
    ASSERT_EQ(SaveBuilt(Sample("one", false, false, false), ws), 0);
    ASSERT_EQ(SaveBuilt(Sample("two", false, false, false), ws), 0);
    ASSERT_EQ(tamrec_delete_cover(ws.c_str(), "ONE"), 0) << tamrec_last_error_text();
    const std::vector<std::string> names = DirectoryNames(ws / "info" / "arcdr9");
    ASSERT_EQ(names.size(), 8u);
    EXPECT_EQ(names[0], "ONE.TIC ARC000 deleted");
    EXPECT_EQ(names[3], "ONE.PAT ARC003 deleted");
    EXPECT_EQ(names[4], "TWO.TIC ARC004");
    for (const char* f : {"arc000nit", "arc000dat", "arc003nit", "arc003dat"})
        EXPECT_FALSE(fs::exists(ws / "info" / f)) << f;
    EXPECT_TRUE(fs::exists(ws / "info" / "arc004nit"));
    EXPECT_FALSE(fs::exists(ws / "one"));
    EXPECT_TRUE(DumpCover(ws, "two").aat_attached);
    EXPECT_EQ(tamrec_delete_cover(ws.c_str(), "one"), 1);
    EXPECT_STREQ(tamrec_last_error_text(),
                 "tamrec_lib: tamrec_delete_cover() 'one' is not a valid cover\n");
}

// The "arc.dir" style: 4-digit table numbers, ".nit" and ".dat" files.
TEST(CoverSaveTest, DeleteInASuffixedWorkspace) {
    TempDir dir;
    const fs::path ws = dir / "ws";
    ASSERT_EQ(SaveBuilt(Sample("one", true, true, false), ws), 0) << tamrec_last_error_text();
    EXPECT_TRUE(fs::exists(ws / "one" / "dbltic.adf"));
    EXPECT_TRUE(fs::exists(ws / "info" / "arc0003.nit"));
    ASSERT_EQ(tamrec_delete_cover(ws.c_str(), "one"), 0) << tamrec_last_error_text();
    EXPECT_EQ(DirectoryNames(ws / "info" / "arc.dir"),
              (std::vector<std::string>{"ONE.TIC ARC0000 deleted", "ONE.BND ARC0001 deleted",
                                        "ONE.AAT ARC0002 deleted", "ONE.PAT ARC0003 deleted"}));
    EXPECT_FALSE(fs::exists(ws / "info" / "arc0003.nit"));
    EXPECT_FALSE(fs::exists(ws / "info" / "arc0003.dat"));
    EXPECT_FALSE(fs::exists(ws / "one"));
}

TEST(CoverSaveTest, ArcVerticesAndAllocators) {
    tamrec_cover* c = nullptr;
    ASSERT_EQ(tamrec_new_cover(&c), 0);
    EXPECT_EQ(tamrec_new_cover(&c), 1);
    EXPECT_EQ(tamrec_new_arc(c), 1);
    for (int i = 0; i < 500; ++i) ASSERT_EQ(tamrec_add_arc_vertex(c, 1, i, i, 2.0 * i, 0), i);
    EXPECT_EQ(tamrec_add_arc_vertex(c, 1, 500, 1, 1, 0), -1);
    EXPECT_EQ(tamrec_end_arc(c, 1), 1);
    EXPECT_EQ(c->built.arcs[1].xmax, 499);
    EXPECT_EQ(c->built.arcs[1].ymax, 998);
    EXPECT_EQ(tamrec_new_arc(c), 2);
    EXPECT_EQ(tamrec_add_arc_vertex(c, 2, 1, 0, 0, 0), -1);
    EXPECT_EQ(tamrec_add_arc_vertex(c, 2, 0, 5, 5, 0), 0);
    EXPECT_EQ(tamrec_add_arc_vertex(c, 2, 0, 4, 4, 1), 0);
    EXPECT_EQ(c->built.arcs[2].vertices[0].x, 4);
    EXPECT_EQ(c->built.arcs[2].xmax, 5);
    EXPECT_EQ(c->built.arcs[2].user_id, 2);
    EXPECT_EQ(tamrec_default_items(c, kTamrecAatTable), 0);
    EXPECT_EQ(tamrec_default_items(c, kTamrecAatTable), -1);
    EXPECT_EQ(c->aat.record_length, 28);
    EXPECT_EQ(c->aat.items[5].rows[2].integer, 2);
    EXPECT_EQ(tamrec_add_item(c, kTamrecAatTable, 6, "x", 4, 5, -1, 5), -1);
    EXPECT_EQ(tamrec_add_item(c, kTamrecAatTable, 7, "name", 10, 10, -1, 2), 7);
    EXPECT_STREQ(c->aat.items[7].name, "NAME");
    EXPECT_EQ(c->aat.items[7].start, 29);
    EXPECT_EQ(tamrec_new_arc(c), 3);
    EXPECT_EQ(c->aat.items[6].rows[3].integer, 3);
    EXPECT_EQ(tamrec_clear_arc(c, 3), 3);
    EXPECT_EQ(c->built.arcs[3].vertex_count, -1);
    EXPECT_EQ(tamrec_new_tic(c), 1);
    EXPECT_EQ(tamrec_new_tic(c), 2);
    EXPECT_EQ(c->built.tics[2].id, 2);
    EXPECT_EQ(tamrec_default_items(c, kTamrecPolygonPatTable), 0);
    EXPECT_EQ(c->record_count[kTamrecPolygons], 1);
    EXPECT_EQ(c->built.polygons[1].arc_count, 2);
    EXPECT_EQ(c->pat.items[0].rows[1].real, -1.0);
    EXPECT_EQ(tamrec_new_polygon(c), 2);
    EXPECT_EQ(c->pat.items[2].rows[2].integer, 2);
    EXPECT_EQ(c->pat.items[3].rows[2].integer, 1);
    EXPECT_EQ(tamrec_free_cover(&c), 0);
    EXPECT_EQ(c, nullptr);
}

}  // namespace
}  // namespace covtest
