// Switches as a user gives them to the real wlxconv: out-of-range numbers,
// switch files, appending with exported tables, and the keys it makes up.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "testing/TestSupport.h"

namespace {

namespace fs = std::filesystem;

// Two points with a table whose names are SQL keywords.
void WriteKeywordMif(const fs::path& dir) {
    wlxtest::WriteText(dir / "a.mif",
                       "Version 300\nCharset \"Neutral\"\nDelimiter \",\"\nColumns 2\n"
                       "  Order Char(10)\n  Group Integer\nData\nPoint 1 2\nPoint 3 4\n");
    wlxtest::WriteText(dir / "a.mid", "\"a\",1\n\"b\",2\n");
}

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

}  // namespace

TEST(SwitchesProgram, NumbersBeyondAnIntNeitherWrapNorPass) {
    wlxtest::TempDir dir;
    std::string bna = "\"L\",\"\",\"K\",\"Roads\",-20\n";
    for (int i = 0; i < 20; ++i) bna += std::to_string(i) + "," + std::to_string(i % 3) + "\n";
    wlxtest::WriteText(dir / "line.bna", bna);
    // 2147483648 once wrapped to a negative number, raised to 8 points.
    auto result = wlxtest::RunWlxconv({"/IB", "/OL", "/MAXPOINTS:2147483648",
                                       (dir / "line.bna").string(), (dir / "out").string()});
    EXPECT_EQ(result.exitCode, 0) << result.out;
    EXPECT_EQ(result.out.find("Reducing"), std::string::npos) << result.out;
    const std::string wlt = wlxtest::ReadText(dir / "out.wlt");
    EXPECT_NE(wlt.find("1.0000000,19.0000000\n"), std::string::npos) << wlt;

    // 4294967297 once wrapped to a key length of 1.
    for (const char* sw : {"/KIF:4294967297", "/COORDPREC:4294967328"}) {
        result =
            wlxtest::RunWlxconv({"/IB", sw, (dir / "line.bna").string(), (dir / "out2").string()});
        EXPECT_EQ(result.exitCode, 1) << sw;
        EXPECT_EQ(result.out, std::string("*Error* : Invalid switch: ") + sw + "\n");
        EXPECT_FALSE(fs::exists(dir / "out2.wlx")) << sw;
    }
    result = wlxtest::RunWlxconv(
        {"/IB", (dir / "line.bna").string(), (dir / "out2").string(), "4294967306"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "*Error* : Invalid command-line parameter: 4294967306\n");
}

TEST(SwitchesProgram, SwitchFileFaultsNameTheirLine) {
    wlxtest::TempDir dir;
    WriteKeywordMif(dir.path());
    const std::string switches = (dir / "switches.txt").string();
    // A file saved with a byte-order mark still gives its first switch.
    wlxtest::WriteText(switches, "\xEF\xBB\xBF/OL\r\n/IM\r\n");
    auto result = wlxtest::RunWlxconv(
        {"/FILE:" + switches, (dir / "a.mif").string(), (dir / "out").string()});
    EXPECT_EQ(result.exitCode, 0) << result.out;
    EXPECT_TRUE(fs::exists(dir / "out.wlt"));

    const std::string inner = (dir / "inner.txt").string();
    wlxtest::WriteText(inner, "/OL\n/IM /NOTEST\n");
    wlxtest::WriteText(switches, "/FILE:" + inner + "\n");
    result = wlxtest::RunWlxconv(
        {"/FILE:" + switches, (dir / "a.mif").string(), (dir / "out").string()});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "*Error* : Invalid switch: /IM /NOTEST (" + inner + ", line 2)\n");

    wlxtest::WriteText(switches, "/OL\n\n/FILE:missing.txt\n");
    result = wlxtest::RunWlxconv(
        {"/FILE:" + switches, (dir / "a.mif").string(), (dir / "out").string()});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out,
              "*Error* : Invalid switch: /FILE:missing.txt (" + switches + ", line 3)\n");
}

// Appending to a map appends to its exported tables: the rows of the objects
// already in the map stay, under one header and one table definition.
TEST(SwitchesProgram, AppendingKeepsTheExportedRows) {
    wlxtest::TempDir dir;
    WriteKeywordMif(dir.path());
    for (const char* output : {"/OL", "/OS"}) {
        SCOPED_TRACE(output);
        for (const char* kind : {"/TABLE:CSV", "/TABLE:SQL"}) {
            SCOPED_TRACE(kind);
            for (const auto& entry : fs::directory_iterator(dir.path()))
                if (entry.path().filename().string().starts_with("out")) fs::remove(entry.path());
            for (const char* action : {"/WO", "/WA", "/WA"}) {
                const auto result =
                    wlxtest::RunWlxconv({"/IM", output, kind, action, (dir / "a.mif").string(),
                                         (dir / "out").string()});
                ASSERT_EQ(result.exitCode, 0) << result.out;
            }
            const std::string sql = wlxtest::ReadText(dir / "out_MIDTable.sql");
            EXPECT_EQ(Count(sql, "CREATE TABLE"), 1u) << sql;
            if (std::string(kind) == "/TABLE:CSV") {
                const std::string csv = wlxtest::ReadText(dir / "out_MIDTable.csv");
                EXPECT_EQ(Count(csv, "TessaranKey,Order,Group\n"), 1u) << csv;
                EXPECT_EQ(csv.find("TessaranKey"), 0u) << csv;
                EXPECT_EQ(Count(csv, "\n"), 7u) << csv;
                continue;
            }
            EXPECT_EQ(Count(sql, "INSERT INTO \"MIDTable\" VALUES ("), 6u) << sql;
            FIND_TOOL_OR_SKIP(sqlite, "sqlite3");
            wlxtest::RunOptions options;
            options.input = sql + "SELECT count(*), sum(\"Group\") FROM \"MIDTable\";\n";
            const auto loaded = wlxtest::Run(sqlite, {":memory:"}, options);
            EXPECT_EQ(loaded.exitCode, 0) << loaded.err;
            EXPECT_EQ(loaded.out, "6|9\n");
        }
    }
}

// The tenth character of a made-up key is drawn anew by every run.
TEST(SwitchesProgram, MadeUpKeysDifferInTheirRandomCharacter) {
    wlxtest::TempDir dir;
    WriteKeywordMif(dir.path());
    std::set<char> characters;
    for (int run = 0; run < 8; ++run) {
        const auto result = wlxtest::RunWlxconv(
            {"/IM", "/OL", "/WO", (dir / "a.mif").string(), (dir / "out").string()});
        ASSERT_EQ(result.exitCode, 0) << result.out;
        const std::string wlt = wlxtest::ReadText(dir / "out.wlt");
        const auto at = wlt.find("M,\"\",\"");
        ASSERT_NE(at, std::string::npos) << wlt;
        const std::string key = wlt.substr(at + 6, 11);
        ASSERT_EQ(key.back(), '0') << key;
        characters.insert(key[9]);
    }
    // Eight equal characters from a seeded generator: once in 36^7 runs.
    EXPECT_GT(characters.size(), 1u);
}
