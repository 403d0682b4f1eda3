// The library's support layer: strings and paths, listings, removal, the
// error record, dBASE tables and whole-file views.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "coverage/lib/TamrecSupport.h"
#include "testing/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using wlxtest::TempDir;

// A heap result as a string, freed.
std::string Take(char* text) {
    std::string out = text == nullptr ? "<null>" : text;
    tamrec_free(text);
    return out;
}

std::vector<std::string> List(const fs::path& dir, const char* suffix, int search, int strip) {
    int count = -1;
    char** list = get_directory_list(dir.c_str(), suffix, &count, search, strip);
    std::vector<std::string> names;
    for (char** p = list; p != nullptr && *p != nullptr; ++p) names.emplace_back(*p);
    tamrec_free_list(list);
    EXPECT_EQ(count, static_cast<int>(names.size()));
    return names;
}

TEST(SupportTest, SwapBytesReversesEachElement) {
    std::uint8_t bytes[] = {1, 2, 3, 4, 5, 6};
    EXPECT_EQ(tamrec_swap_bytes(bytes, 3, 2), 0);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes, bytes + 6),
              (std::vector<std::uint8_t>{2, 1, 4, 3, 6, 5}));
    EXPECT_EQ(tamrec_swap_bytes(bytes, 0, 2), 0);
    EXPECT_EQ(tamrec_host_order(), kTamrecLittleEndian);
}

TEST(SupportTest, PatternPositions) {
    struct Case {
        const char* pattern;
        const char* text;
        int start, position;
    };
    const Case cases[] = {
        {"arc####.nit", "ARC0012.NIT", 1, 1},
        {"arc####.nit", "XARC0012.NIT", 1, 2},
        {"arc####.nit", "ARC12.NIT", 1, 0},
        {"arc####.nit", "ARC0012.NIT", 2, 0},
        {"!#", "__b7", 1, 3},
        {"a?c",
         "x\xC3\xA9"
         "a\xC3\xA9"
         "c",
         1, 4},  // "?" takes a two-byte character whole
        {"", "abc", 1, 0},
        {"a", "", 1, 0},
        {"a", "abc", 4, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(tamrec_pattern_position(c.pattern, c.text, c.start), c.position)
            << c.pattern << " in " << c.text << " from " << c.start;
}

TEST(SupportTest, StringsAndPaths) {
    EXPECT_EQ(Take(tamrec_strdup(nullptr)), "");
    EXPECT_EQ(Take(tamrec_concat("ab", nullptr)), "ab");
    char* grown = tamrec_strdup("ws");
    tamrec_append(&grown, "/cover");
    EXPECT_EQ(Take(grown), "ws/cover");
    EXPECT_EQ(Take(tamrec_parent_dir("arc.adf")), "./");
    EXPECT_EQ(Take(tamrec_parent_dir("C:\\data\\ws\\cover")), "C:\\data\\ws");
    EXPECT_EQ(Take(tamrec_parent_dir("/data/ws/cover")), "/data/ws");
    EXPECT_EQ(Take(tamrec_base_name("data/ws\\arc.adf")), "arc.adf");
    EXPECT_EQ(Take(tamrec_base_name("")), "<null>");

    char text[] = "Caf\xC3\xA9 Map  ";
    tamrec_trim_right(text);
    EXPECT_STREQ(text, "Caf\xC3\xA9 Map");
    tamrec_to_upper(text);
    EXPECT_STREQ(text, "CAF\xC3\xA9 MAP");
    tamrec_to_lower(text);
    EXPECT_STREQ(text, "caf\xC3\xA9 map");
    char blanks[] = "   ";
    tamrec_trim_right(blanks);
    EXPECT_STREQ(blanks, " ");
    char path[] = "a\\b/c";
    tamrec_to_slashes(path);
    EXPECT_STREQ(path, "a/b/c");
    tamrec_to_backslashes(path);
    EXPECT_STREQ(path, "a\\b\\c");
}

TEST(SupportTest, AllocationOfNothingGivesOneByte) {
    void* block = tamrec_alloc(0);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(*static_cast<char*>(block), 0);
    block = tamrec_realloc(block, 64);
    ASSERT_NE(block, nullptr);
    tamrec_free_and_clear(&block);
    EXPECT_EQ(block, nullptr);
}

TEST(SupportTest, FileSystemTests) {
    TempDir dir;
    wlxtest::WriteText(dir / "file", "12345");
    EXPECT_TRUE(tamrec_exists((dir / "file").c_str()));
    EXPECT_FALSE(tamrec_exists((dir / "none").c_str()));
    EXPECT_TRUE(tamrec_is_directory((dir.path().string() + "/").c_str()));
    EXPECT_FALSE(tamrec_is_directory((dir / "file").c_str()));
    EXPECT_EQ(tamrec_file_size((dir / "file").c_str()), 5);
    EXPECT_EQ(tamrec_file_size((dir / "none").c_str()), -1);
    EXPECT_TRUE(tamrec_searchable((dir / "file").c_str()));
    fs::permissions(dir / "file", fs::perms::owner_write, fs::perm_options::remove);
    EXPECT_FALSE(tamrec_searchable((dir / "file").c_str()));
    EXPECT_EQ(Take(tamrec_find_file(dir.path().c_str(), "FILE")), (dir / "file").string());
    EXPECT_EQ(Take(tamrec_find_file(dir.path().c_str(), "other")), "<null>");
}

TEST(SupportTest, DirectoryListings) {
    TempDir dir;
    for (const char* name : {"arc.adf", "TXT.ADF", "lab", ".hidden"})
        wlxtest::WriteText(dir / name, "");
    fs::create_directories(dir / "sub");
    EXPECT_EQ(List(dir.path(), nullptr, 0, 0),
              (std::vector<std::string>{"TXT.ADF", "arc.adf", "lab", "sub"}));
    EXPECT_EQ(List(dir.path(), ".adf", 0, 1), (std::vector<std::string>{"TXT", "arc"}));
    EXPECT_EQ(List(dir.path(), ".adf", 1, 1),
              (std::vector<std::string>{"TXT", "arc", "lab", "sub"}));
    EXPECT_FALSE(tamrec_dir_is_empty(dir.path().c_str()));
    EXPECT_TRUE(tamrec_dir_is_empty((dir / "sub").c_str()));

    testing::internal::CaptureStdout();
    EXPECT_TRUE(List(dir / "none", nullptr, 0, 0).empty());
    EXPECT_EQ(
        testing::internal::GetCapturedStdout(),
        "get_directory_list: Invalid File handle returned for " + (dir / "none").string() + "\n");
}

TEST(SupportTest, RemoveTreeKeepsReadOnlyFiles) {
    TempDir dir;
    fs::create_directories(dir / "tree/inner");
    wlxtest::WriteText(dir / "tree/inner/a", "a");
    wlxtest::WriteText(dir / "tree/b", "b");
    EXPECT_EQ(tamrec_remove_tree(nullptr), 2);
    EXPECT_EQ(tamrec_last_error_code(), kTamrecErrorNullPath);
    EXPECT_STREQ(tamrec_last_error_text(), "Null file or device specification");

    fs::permissions(dir / "tree/inner/a", fs::perms::owner_write, fs::perm_options::remove);
    EXPECT_EQ(tamrec_remove_tree((dir / "tree").c_str()), 3);
    EXPECT_EQ(tamrec_last_error_code(), kTamrecErrorInternal);
    EXPECT_STREQ(tamrec_last_error_text(), "Internal error: \"Cannot delete file\"");
    EXPECT_TRUE(fs::exists(dir / "tree/inner/a"));

    fs::permissions(dir / "tree/inner/a", fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(tamrec_remove_tree((dir / "tree").c_str()), 0);
    EXPECT_FALSE(fs::exists(dir / "tree"));
}

TEST(SupportTest, ErrorRecord) {
    tamrec_report(kTamrecErrorStatfs, "/x");
    EXPECT_STREQ(tamrec_last_error_text(), "statfs() failed on /x");
    tamrec_report(kTamrecErrorNullStatfs, nullptr);
    EXPECT_STREQ(tamrec_last_error_text(), "NULL file specification passed to statfs()");
    tamrec_report(kTamrecErrorText, "%s%n");  // the caller's text, never a format
    EXPECT_STREQ(tamrec_last_error_text(), "%s%n");
    EXPECT_EQ(tamrec_last_error_code(), kTamrecErrorText);
    char* text = nullptr;
    tamrec_system_error_text(&text, "cannot read %s", "arc");
    EXPECT_EQ(Take(text).rfind("cannot read arc\nLast system error = ", 0), 0u);
}

TEST(SupportTest, WholeFileViews) {
    TempDir dir;
    wlxtest::WriteText(dir / "data", "abc");
    wlxtest::WriteText(dir / "empty", "");
    tamrec_mapping map{};
    char* message = nullptr;
    const std::uint8_t* view = aio_fmap((dir / "data").c_str(), &map, &message);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(map.size, 3u);
    EXPECT_EQ(std::memcmp(view, "abc", 3), 0);
    EXPECT_EQ(funmap(&map), 1);
    EXPECT_EQ(funmap(&map), 0);
    ASSERT_NE(aio_fmap((dir / "empty").c_str(), &map, &message), nullptr);
    EXPECT_EQ(map.size, 0u);
    funmap(&map);

    EXPECT_EQ(aio_fmap(dir.path().c_str(), &map, &message), nullptr);
    EXPECT_EQ(
        Take(message).rfind("aio_fmap() failed - directory name given - " + dir.path().string(), 0),
        0u);
    EXPECT_EQ(aio_fmap((dir / "none").c_str(), &map, &message), nullptr);
    EXPECT_EQ(Take(message).rfind("aio_fmap() failed - Cannot open ", 0), 0u);
    EXPECT_FALSE(map.open);
}

TEST(SupportTest, DbaseTablesWrittenAndRead) {
    TempDir dir;
    const fs::path path = dir / "tic.dbf";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    // A record count of 1000 that the file does not hold: two rows are there.
    EXPECT_EQ(tamrec_dbf_write_header(file, 1000, 2, 1 + 11 + 14, 0), 0);
    EXPECT_EQ(tamrec_dbf_write_field(file, "IDTIC", 11, 0), 0);
    EXPECT_EQ(tamrec_dbf_write_field(file, "A_VERY_LONG_NAME", 14, 6), 0);
    std::fputs("\r           1  1.000000E+01           2 -2.500000E+00\x1A", file);
    std::fclose(file);
    const auto bytes = wlxtest::ReadBytes(path);
    ASSERT_GE(bytes.size(), 96u);
    EXPECT_EQ(bytes[0], 3);
    EXPECT_EQ(bytes[8], 97);  // 32 x 2 + 33
    EXPECT_EQ(std::string(bytes.begin() + 64, bytes.begin() + 76),
              "A_VERY_LONGN");  // cut to 11 bytes, then the type

    tamrec_dbf dbf{};
    std::int32_t rows = 0, fields = 0;
    ASSERT_EQ(tamrec_dbf_open(dir.path().c_str(), &dbf, "TIC.DBF", &rows, &fields), 0);
    EXPECT_EQ(rows, 2);
    EXPECT_EQ(fields, 2);
    char* text = nullptr;
    ASSERT_EQ(tamrec_dbf_field(&dbf, 2, 2, &text), 0);
    EXPECT_EQ(Take(text), " -2.500000E+00");
    EXPECT_EQ(tamrec_dbf_field(&dbf, 3, 1, &text), 1);
    EXPECT_EQ(tamrec_dbf_field(&dbf, 1, 3, &text), 1);
    tamrec_dbf_close(&dbf);

    wlxtest::WriteText(dir / "short.dbf", std::string(31, '\3'));
    EXPECT_EQ(tamrec_dbf_open(dir.path().c_str(), &dbf, "short.dbf", &rows, &fields), 1);
    EXPECT_EQ(tamrec_dbf_open(dir.path().c_str(), &dbf, "none.dbf", &rows, &fields), 1);
}

}  // namespace
