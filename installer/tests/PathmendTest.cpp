// The path action through the library's export, as the installer calls it,
// with the session's target path, its short form and the batch file given
// through the environment.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "installer/Pathmend.h"
#include "testing/TestSupport.h"

namespace fs = std::filesystem;
using namespace std::literals;

namespace {

constexpr MSIHANDLE kInstall = 42;
constexpr char kShortPath[] = "C:\\VELSTR~1";
const char* const kVariables[] = {"PATHMEND_TARGET_Velstrom_Shared",
                                  "PATHMEND_SHORT_Velstrom_Shared", "PATHMEND_BATCH_FILE"};

// One installation: the shared folder (created), its short form and the batch
// file, named in the environment for the life of a test.
class Installation {
public:
    explicit Installation(const std::string& folder = "Velstrom", bool sameShortForm = false)
        : longPath_((dir_.path() / "Program Files" / folder).string()),
          shortPath_(sameShortForm ? longPath_ : kShortPath),
          batchFile_(dir_ / "autoexec.bat") {
        fs::create_directories(longPath_);
        setenv(kVariables[0], longPath_.c_str(), 1);
        if (!sameShortForm) setenv(kVariables[1], kShortPath, 1);
        setenv(kVariables[2], batchFile_.c_str(), 1);
    }
    ~Installation() {
        for (const char* name : kVariables) unsetenv(name);
    }

    const fs::path& Dir() const { return dir_.path(); }
    const std::string& LongPath() const { return longPath_; }
    const std::string& ShortPath() const { return shortPath_; }
    const fs::path& BatchFile() const { return batchFile_; }
    void SetBatchFile(const fs::path& file) {
        batchFile_ = file;
        setenv(kVariables[2], batchFile_.c_str(), 1);
    }

    // "$L" stands for the long path, "$U" for it in capitals, "$S" for the short form.
    std::vector<std::uint8_t> Expand(std::string_view text) const {
        std::string upper = longPath_;
        for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        std::vector<std::uint8_t> bytes;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '$' && i + 1 < text.size()) {
                const std::string& path = text[i + 1] == 'L'   ? longPath_
                                          : text[i + 1] == 'U' ? upper
                                                               : shortPath_;
                bytes.insert(bytes.end(), path.begin(), path.end());
                ++i;
            } else {
                bytes.push_back(static_cast<std::uint8_t>(text[i]));
            }
        }
        return bytes;
    }

private:
    wlxtest::TempDir dir_;
    std::string longPath_;
    std::string shortPath_;
    fs::path batchFile_;
};

std::set<std::string> Listing(const fs::path& dir) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.insert(entry.path().filename());
    return names;
}

struct RewriteCase {
    const char* name;
    std::string_view content;
    std::string_view expected;
    bool sameShortForm = false;
};

const RewriteCase kRewrites[] = {
    {"OneOccurrence", "@ECHO OFF\r\nSET PATH=%PATH%;$L\\BIN\r\n",
     "@ECHO OFF\r\nSET PATH=%PATH%;$S\\BIN\r\n"},
    {"TwoOnOneLine", "SET PATH=$L\\BIN;$L\\LIB\r\n", "SET PATH=$S\\BIN;$S\\LIB\r\n"},
    // The long path is matched as bytes, also where it begins a longer one.
    {"PrefixOfALongerPath", "SET A=$L Shared\\BIN\r\nSET B=$L\r\n",
     "SET A=$S Shared\\BIN\r\nSET B=$S\r\n"},
    {"ShrinksToTheNewText", "$L$L$L", "$S$S$S"},
    {"ZeroBytesKept", "REM \0\r\nSET P=$L\0$L\r\n\0"sv, "REM \0\r\nSET P=$S\0$S\r\n\0"sv},
    {"OtherLetterCaseKept", "SET P=$U\r\n", "SET P=$U\r\n"},
    {"NoOccurrence", "@ECHO OFF\r\n", "@ECHO OFF\r\n"},
    {"EmptyFile", "", ""},
    {"ShortFormEqualsLongForm", "SET P=$L\r\n", "SET P=$L\r\n", true},
};

void PrintTo(const RewriteCase& c, std::ostream* os) {
    *os << c.name;
}

class RewriteTest : public testing::TestWithParam<RewriteCase> {};

TEST_P(RewriteTest, RewritesTheBatchFile) {
    const RewriteCase& c = GetParam();
    Installation installation("Velstrom", c.sameShortForm);
    wlxtest::WriteBytes(installation.BatchFile(), installation.Expand(c.content));
    fs::permissions(installation.BatchFile(),
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const auto listing = Listing(installation.Dir());

    EXPECT_EQ(SetPathToShortName(kInstall), kPathmendSucceeded);
    EXPECT_EQ(wlxtest::HexDiff(installation.Expand(c.expected),
                               wlxtest::ReadBytes(installation.BatchFile())),
              "");
    EXPECT_EQ(fs::status(installation.BatchFile()).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(Listing(installation.Dir()), listing);  // no copy left behind
}

TEST_P(RewriteTest, EqualsPythonBytesReplace) {
    FIND_TOOL_OR_SKIP(python, "python3");
    const RewriteCase& c = GetParam();
    Installation installation("Velstrom", c.sameShortForm);
    const auto original = installation.Expand(c.content);
    wlxtest::WriteBytes(installation.BatchFile(), original);
    wlxtest::WriteBytes(installation.Dir() / "original.bat", original);

    ASSERT_EQ(SetPathToShortName(kInstall), kPathmendSucceeded);
    const auto replaced =
        wlxtest::Run(python, {"-c",
                              "import os, sys\n"
                              "data = open(sys.argv[1], 'rb').read()\n"
                              "sys.stdout.buffer.write(data.replace(os.fsencode(sys.argv[2]), "
                              "os.fsencode(sys.argv[3])))\n",
                              (installation.Dir() / "original.bat").string(),
                              installation.LongPath(), installation.ShortPath()});
    ASSERT_EQ(replaced.exitCode, 0) << replaced.err;
    EXPECT_EQ(wlxtest::HexDiff(std::vector<std::uint8_t>(replaced.out.begin(), replaced.out.end()),
                               wlxtest::ReadBytes(installation.BatchFile())),
              "");
}

INSTANTIATE_TEST_SUITE_P(Pathmend, RewriteTest, testing::ValuesIn(kRewrites),
                         [](const auto& info) { return std::string(info.param.name); });

// Why a case is skipped: the permission it takes away does not stop this user
// (root), since `probe` still opens in `mode`. Empty when the case can run.
std::string UnlessOpens(const fs::path& probe, const char* mode) {
    std::FILE* file = std::fopen(probe.c_str(), mode);
    if (file == nullptr) return "";
    std::fclose(file);
    return "permissions do not stop this user";
}

struct FailureCase {
    const char* name;
    std::string folder;  // of the shared components, below "Program Files"
    // Spoils the installation; gives a reason to skip the case, or nothing.
    std::function<std::string(Installation&)> spoil;
};

const std::string kNoReason;

const FailureCase kFailures[] = {
    {"MissingFile", "Velstrom",
     [](Installation& i) {
         fs::remove(i.BatchFile());
         return kNoReason;
     }},
    {"BatchFileIsADirectory", "Velstrom",
     [](Installation& i) {
         fs::remove(i.BatchFile());
         fs::create_directory(i.BatchFile());
         return kNoReason;
     }},
    {"UnreadableFile", "Velstrom",
     [](Installation& i) {
         fs::permissions(i.BatchFile(), fs::perms::none);
         return UnlessOpens(i.BatchFile(), "rb");
     }},
    {"UnwritableFolder", "Velstrom",
     [](Installation& i) {
         const fs::path boot = i.Dir() / "boot";
         fs::create_directory(boot);
         fs::rename(i.BatchFile(), boot / "autoexec.bat");
         i.SetBatchFile(boot / "autoexec.bat");
         fs::permissions(boot, fs::perms::owner_read | fs::perms::owner_exec);
         return UnlessOpens(boot / "probe", "ab");
     }},
    {"NoTargetDirectory", "Velstrom",
     [](Installation&) {
         unsetenv("PATHMEND_TARGET_Velstrom_Shared");
         return kNoReason;
     }},
    // The folder does not exist yet, so it has no short form.
    {"FolderNotCreated", "Velstrom",
     [](Installation& i) {
         fs::remove(i.LongPath());
         return kNoReason;
     }},
    // Longer than the installer's answer of at most 259 characters.
    {"PathTooLong",
     std::string(100, 'a') + "/" + std::string(100, 'b') + "/" + std::string(60, 'c'),
     [](Installation&) { return kNoReason; }},
};

void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.name;
}

class FailureTest : public testing::TestWithParam<FailureCase> {};

TEST_P(FailureTest, LeavesTheBatchFileUntouched) {
    const FailureCase& c = GetParam();
    Installation installation(c.folder);
    const auto original = installation.Expand("SET P=$L\r\n");
    wlxtest::WriteBytes(installation.BatchFile(), original);
    if (const std::string reason = c.spoil(installation); !reason.empty()) GTEST_SKIP() << reason;
    const fs::path batchFile = installation.BatchFile();
    const bool wasFile = fs::is_regular_file(batchFile);
    const bool existed = fs::exists(batchFile);
    const auto listing = Listing(batchFile.parent_path());

    EXPECT_EQ(SetPathToShortName(kInstall), kPathmendFailed);
    fs::permissions(batchFile.parent_path(), fs::perms::owner_all, fs::perm_options::add);
    if (wasFile) fs::permissions(batchFile, fs::perms::owner_read, fs::perm_options::add);
    EXPECT_EQ(Listing(batchFile.parent_path()), listing);
    EXPECT_EQ(fs::exists(batchFile), existed);
    if (wasFile) {
        EXPECT_EQ(wlxtest::HexDiff(original, wlxtest::ReadBytes(batchFile)), "");
    }
}

INSTANTIATE_TEST_SUITE_P(Pathmend, FailureTest, testing::ValuesIn(kFailures),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PathmendTest, RewritesTheFileALinkNames) {
    Installation installation;
    fs::create_directory(installation.Dir() / "boot");
    const fs::path file = installation.Dir() / "boot" / "autoexec.bat";
    wlxtest::WriteBytes(file, installation.Expand("SET P=$L\r\n"));
    fs::create_symlink(file, installation.BatchFile());

    EXPECT_EQ(SetPathToShortName(kInstall), kPathmendSucceeded);
    EXPECT_TRUE(fs::is_symlink(installation.BatchFile()));
    EXPECT_EQ(wlxtest::HexDiff(installation.Expand("SET P=$S\r\n"), wlxtest::ReadBytes(file)), "");
}

}  // namespace
