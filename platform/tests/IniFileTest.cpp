#include <gtest/gtest.h>

#include <string>

#include "platform/IniFile.h"
#include "platform/ModulePath.h"
#include "testing/TestSupport.h"

using namespace std::string_literals;

namespace {

const char kText[] =
    "\xEF\xBB\xBF; settings\r\n"
    "[General]\r\n"
    "SeedFilePath = lrgseed.dgn \r\n"
    "Color Scheme=DRFX\r\n"
    "Quoted=\" padded \"\r\n"
    "seedfilepath=second.dgn\r\n"
    "\r\n"
    "[Level Layer Mapping]\n"
    "0=Base\n"
    "  5 = Roads  \n"
    "no equals sign\n"
    "; a comment\n"
    "7=\xC3\xA9t\xC3\xA9\n"
    "[general]\n"
    "Later=1\n";

std::string String(const CIniFile& file, const char* section, const char* key,
                   const char* defaultValue, DWORD size, DWORD* count = nullptr) {
    std::string buffer(size + 1, '#');
    const DWORD n = file.GetString(section, key, defaultValue, buffer.data(), size);
    if (count) *count = n;
    EXPECT_EQ(buffer[size], '#') << "wrote past the buffer";
    return buffer.c_str();
}

std::string Section(const CIniFile& file, const char* section, DWORD size, DWORD* count) {
    std::string buffer(size + 1, '#');
    *count = file.GetSection(section, buffer.data(), size);
    EXPECT_EQ(buffer[size], '#') << "wrote past the buffer";
    const std::size_t end = buffer.find(std::string("\0\0", 2));
    return end == std::string::npos ? "(unterminated)" : buffer.substr(0, end + 1);
}

}  // namespace

TEST(IniFileTest, ValuesByCaseBlindNamesWithDefaults) {
    const CIniFile file = CIniFile::Parse(kText);
    struct Case {
        const char *section, *key, *defaultValue, *expected;
    };
    const Case cases[] = {
        {"General", "SeedFilePath", "x", "lrgseed.dgn"},  // trimmed; the first of two wins
        {"GENERAL", "color scheme", "x", "DRFX"},
        {"General", "Quoted", "", " padded "},
        {"General", "Later", "0", "1"},  // a repeated section adds to the first
        {"General", "Missing", "dflt  ", "dflt"},
        {"General", "Missing", nullptr, ""},
        {"Nowhere", "SeedFilePath", "lrgseed.dgn", "lrgseed.dgn"},
        {"Level Layer Mapping", "5", "5", "Roads"},
        {"Level Layer Mapping", "no equals sign", "-", "-"},
        {"Level Layer Mapping", "7", "7", "\xC3\xA9t\xC3\xA9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.section) + "/" + c.key);
        DWORD count = 0;
        EXPECT_EQ(String(file, c.section, c.key, c.defaultValue, 512, &count), c.expected);
        EXPECT_EQ(count, std::string(c.expected).size());
    }
}

TEST(IniFileTest, ValuesAreCutToTheBufferAtACharacterBoundary) {
    const CIniFile file = CIniFile::Parse(kText);
    DWORD count = 0;
    EXPECT_EQ(String(file, "General", "SeedFilePath", "", 5, &count), "lrgs");
    EXPECT_EQ(count, 4u);
    EXPECT_EQ(String(file, "General", "Missing", "DRFX", 3, &count), "DR");
    // "été" is 5 bytes: 3 fit, but the cut may not split the second "é".
    EXPECT_EQ(String(file, "Level Layer Mapping", "7", "", 4, &count), "\xC3\xA9t");
    EXPECT_EQ(String(file, "Level Layer Mapping", "7", "", 3, &count), "\xC3\xA9");
    EXPECT_EQ(String(file, "Level Layer Mapping", "7", "", 2, &count), "");
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(String(file, "General", "SeedFilePath", "", 1, &count), "");
    EXPECT_EQ(file.GetString("General", "SeedFilePath", "", nullptr, 10), 0u);
}

TEST(IniFileTest, WholeSectionsAsZeroSeparatedLines) {
    const CIniFile file = CIniFile::Parse(kText);
    const std::string full =
        "0=Base\0"
        "5 = Roads\0"
        "no equals sign\0"
        "7=\xC3\xA9t\xC3\xA9\0"s;
    DWORD count = 0;
    EXPECT_EQ(Section(file, "level layer mapping", 10000, &count), full);
    EXPECT_EQ(count, full.size());
    // Cut: the lines that fit, the next one cut, two zeros; size - 2 returned.
    EXPECT_EQ(Section(file, "Level Layer Mapping", 12, &count),
              "0=Base\0"
              "5 =\0"s);
    EXPECT_EQ(count, 10u);
    EXPECT_EQ(Section(file, "Level Layer Mapping", 8, &count), "0=Base\0"s);
    EXPECT_EQ(count, 6u);
    EXPECT_EQ(Section(file, "Level Layer Mapping", 9, &count), "0=Base\0"s);
    EXPECT_EQ(Section(file, "Nowhere", 10, &count), "\0"s);
    EXPECT_EQ(count, 0u);
}

TEST(IniFileTest, FilesAreReadAtEveryCallAndRelativeNamesBesideTheProgram) {
    wlxtest::TempDir dir;
    const std::string path = (dir / "TSDGN.INI").string();
    char buffer[64];
    EXPECT_EQ(GetPrivateProfileStringA("General", "Color Scheme", "DRFX", buffer, 64,
                                       (dir / "missing.ini").c_str()),
              4u);
    EXPECT_STREQ(buffer, "DRFX");
    wlxtest::WriteText(path, "[General]\nColor Scheme=Other\n");
    // The file's own name differs in letter case from the one asked for.
    GetPrivateProfileStringA("General", "Color Scheme", "DRFX", buffer, 64,
                             (dir / "tsdgn.ini").c_str());
    EXPECT_STREQ(buffer, "Other");
    wlxtest::WriteText(path, "[General]\r\nColor Scheme=Third\r\n");
    GetPrivateProfileStringA("General", "Color Scheme", "DRFX", buffer, 64, path.c_str());
    EXPECT_STREQ(buffer, "Third");
    EXPECT_EQ(GetPrivateProfileSectionA("General", buffer, 64, path.c_str()), 19u);
    EXPECT_STREQ(buffer, "Color Scheme=Third");

    EXPECT_EQ(ResolveProfilePath("tsdgn.ini"), ModuleDirectory() + "tsdgn.ini");
    EXPECT_EQ(ResolveProfilePath(path), path);
}
