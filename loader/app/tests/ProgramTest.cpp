// The programs as a user runs them: wlxconv itself, and wlxconv_probe, which
// is wlxconv with a scenario reader (type N) and a counting writer (type O).
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "testing/TestSupport.h"

namespace {

wlxtest::ProcessResult RunProbe(const std::vector<std::string>& args,
                                const wlxtest::RunOptions& options = {}) {
    return wlxtest::Run(wlxtest::BinDir() / "wlxconv_probe", args, options);
}

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

}  // namespace

TEST(ProgramTest, NoArgumentsPrintTheUsage) {
    auto result = wlxtest::RunWlxconv({});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(result.out.find("Syntax for WLX Loader Version"), std::string::npos);
    EXPECT_NE(result.out.find("\tWLXCONV /IM test.mif test.wlx\n"), std::string::npos);
    EXPECT_EQ(result.err, "");
}

TEST(ProgramTest, FailuresPrintTheirMessageAndExitWithOne) {
    wlxtest::TempDir dir;
    struct Case {
        std::vector<std::string> args;
        std::string out;
    } cases[] = {
        {{"/IZ", "a", "b"},
         "Processing...\nInitializing file reader...\n*Error* : Invalid Input File Type "
         "specified.\n"
         "*Error* : The WLX Loader failed with an error code of: -7\n"},
        {{"/FOO", "a", "b"}, "*Error* : Invalid switch: /FOO\n"},
        {{"/IS", "a.wlx", "b", "0"}, "*Error* : Invalid command-line parameter: 0\n"},
        {{"/IS", "a.wlx"}, "*Error* : Incorrect command-line syntax.\n"},
        {{"/IM", "a.txt", "b"},
         "*Error* : The specified input filename does not have the\n"
         "          expected file extension for the selected input format.\n"
         "          If you have specified a file with a valid extension, please\n"
         "          check that you have not neglected to precede any of the\n"
         "          other switches with a / character.\n\n"
         "          User specified filename: a.txt\n"
         "          Expected file extension: .mif\n\n"
         "          To override file extension checking, use the /NOEXT switch.\n\n"},
    };
    for (const auto& c : cases) {
        wlxtest::RunOptions options;
        options.workingDirectory = dir.path();
        auto result = wlxtest::RunWlxconv(c.args, options);
        EXPECT_EQ(result.exitCode, 1) << c.args[0];
        EXPECT_EQ(result.out, c.out) << c.args[0];
        EXPECT_EQ(result.err, "");
    }
}

TEST(ProgramTest, ARunShowsProgressSummaryAndTime) {
    wlxtest::TempDir dir;
    wlxtest::WriteText(dir / "in.txt", "objects=250");
    auto result = RunProbe({"/IN", "/OO", (dir / "in.txt").string(), (dir / "out").string()});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(result.out.find("Number of Entities Processed: 1\r"), std::string::npos);
    EXPECT_NE(result.out.find("Number of Entities Processed: 200\r"), std::string::npos);
    EXPECT_NE(
        result.out.find("Objects written to file:" + std::string(20, ' ') + "\nPoints: 250\n"),
        std::string::npos);
    EXPECT_NE(result.out.find("\nTotal: 250\nEMFs created: 0\n\nProcessing Time : "),
              std::string::npos);
    EXPECT_EQ(result.out.substr(result.out.size() - 9), " seconds\n");
}

TEST(ProgramTest, WarningsAloneEndWithMinusOne) {
    wlxtest::TempDir dir;
    wlxtest::WriteText(dir / "in.txt", "objects=2");
    for (std::string sw : {"/TX", "/TYPE:Q"}) {
        auto result =
            RunProbe({sw, "/IN", "/OO", (dir / "in.txt").string(), (dir / "out").string()});
        EXPECT_EQ(result.exitCode, 255) << sw;
        EXPECT_EQ(Count(result.out, "Warning : "), 1u) << sw;
        EXPECT_NE(result.out.find("Points: 2\n"), std::string::npos) << sw;
    }
}

TEST(ProgramTest, AbsoluteAndRelativePathsAreFileNames) {
    wlxtest::TempDir dir;
    wlxtest::WriteText(dir / "in put.txt", "objects=3");
    wlxtest::RunOptions options;
    options.workingDirectory = dir.path();
    auto absolute = RunProbe({"/IN", "/OO", (dir / "in put.txt").string(), (dir / "out").string()});
    EXPECT_EQ(absolute.exitCode, 0) << absolute.out;
    EXPECT_NE(absolute.out.find("Points: 3\n"), std::string::npos);
    auto relative = RunProbe({"/IN", "/OO", "./in put.txt", "out"}, options);
    EXPECT_EQ(relative.exitCode, 0) << relative.out;
    EXPECT_NE(relative.out.find("Points: 3\n"), std::string::npos);
}

TEST(ProgramTest, CtrlCStopsTheRunBeforeTheNextObject) {
    wlxtest::TempDir dir;
    wlxtest::WriteText(dir / "in.txt", "objects=100000 delay_ms=1 abort_at=20 abort_events=2");
    auto result = RunProbe({"/IN", "/OO", (dir / "in.txt").string(), (dir / "out").string()});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(Count(result.out, "Aborting processing..." + std::string(87, ' ') + "\n"), 1u)
        << result.out;
    EXPECT_EQ(result.out.find("Objects written"), std::string::npos);
    EXPECT_EQ(result.out.find("*Error*"), std::string::npos);
    EXPECT_EQ(result.out.find("Halting"), std::string::npos);
}

TEST(ProgramTest, ARunStillGoingAfterTheGracePeriodEndsWithOne) {
    // The abort comes during the last read, which outlasts the two seconds:
    // the run then ends normally, but the program still exits with 1.
    wlxtest::TempDir dir;
    wlxtest::WriteText(dir / "in.txt", "objects=1 abort_at=0 delay_ms=2500");
    auto result = RunProbe({"/IN", "/OO", (dir / "in.txt").string(), (dir / "out").string()});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(Count(result.out, "Aborting processing..."), 1u);
    EXPECT_NE(result.out.find("Points: 1\n"), std::string::npos);
}

TEST(ProgramTest, AnExhaustedStoreEndsWithItsMessageAndOne) {
    wlxtest::TempDir dir;
    wlxtest::WriteText(dir / "in.txt", "objects=5 exhaust_store_at=2");
    auto result = RunProbe({"/IN", "/OO", (dir / "in.txt").string(), (dir / "out").string()});
    EXPECT_EQ(result.exitCode, 1);
    const std::string message = "*Error* : Operator new failed : out of store\n";
    ASSERT_GE(result.out.size(), message.size()) << result.out;
    EXPECT_EQ(result.out.substr(result.out.size() - message.size()), message);
    EXPECT_EQ(Count(result.out, message), 1u);
}

TEST(ProgramTest, TheDictionaryDirectoryComesFromTheRegistryElseBesideTheProgram) {
    wlxtest::TempDir dir;
    wlxtest::WriteText(dir / "in.txt", "objects=0");
    wlxtest::TempDir dictionaries;
    wlxtest::WriteText(dictionaries / "Coordsys.CSD", "");
    // The registry writes the directory with backslashes, each doubled in the file.
    std::string windowsPath = dictionaries.path().string();
    std::string escaped;
    for (char c : windowsPath) escaped += c == '/' ? std::string("\\\\") : std::string(1, c);
    const std::string beside = wlxtest::BinDir().string() + "/";
    struct Case {
        std::string registry;  // empty: no file
        std::string directory;
    } cases[] = {
        {"", beside},
        {"REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Velstrom\\GIS\\Coordsys\\11e]\n\"Path\"=\"" +
             escaped + "\"\n",
         windowsPath + "/"},
        {"REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Velstrom\\GIS\\Coordsys]\n\"CurVer\"=\"12\"\n"
         "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Velstrom\\GIS\\Coordsys\\12]\n\"Path\"=\"" +
             windowsPath + "/\"\n",
         windowsPath + "/"},
        // A directory without the dictionaries is not taken.
        {"REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Velstrom\\GIS\\Coordsys\\11e]\n\"Path\"=\"C:"
         "\\\\dict\"\n",
         beside},
        {"REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Velstrom\\GIS\\Coordsys\\11e]\n\"Path\"="
         "\"nodir\"\n",
         beside},
    };
    for (const auto& c : cases) {
        wlxtest::RunOptions options;
        options.environment["WLXCONV_REGISTRY"] = (dir / "registry.reg").string();
        std::filesystem::remove(dir / "registry.reg");
        if (!c.registry.empty()) wlxtest::WriteText(dir / "registry.reg", c.registry);
        auto result =
            RunProbe({"/IN", "/OO", (dir / "in.txt").string(), (dir / "out").string()}, options);
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_EQ(result.err, "dictionary directory: " + c.directory + "\n") << c.registry;
    }
}

// What the shell that runs the tests has set stays out of the runs: the
// machine's registry, the dictionary directory, and any variable a test sets.
TEST(ProgramTest, ATestsEnvironmentWinsOverTheInheritedOne) {
    wlxtest::TempDir dir;
    wlxtest::WriteText(dir / "in.txt", "objects=0");
    wlxtest::TempDir dictionaries;
    wlxtest::WriteText(dictionaries / "Coordsys.CSD", "");
    wlxtest::WriteText(dir / "registry.reg",
                       "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Velstrom\\GIS\\Coordsys]\n"
                       "\"CurVer\"=\"12\"\n"
                       "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Velstrom\\GIS\\Coordsys\\12]\n"
                       "\"Path\"=\"" +
                           dictionaries.path().string() + "/\"\n");
    struct Saved {
        const char* name;
        std::optional<std::string> value;
    } saved[] = {{"WLXCONV_REGISTRY", {}}, {"CS_KORE_DIR", {}}, {"WLXTEST_SETTING", {}}};
    for (auto& s : saved)
        if (const char* value = std::getenv(s.name)) s.value = value;
    setenv("WLXCONV_REGISTRY", (dir / "registry.reg").c_str(), 1);
    setenv("CS_KORE_DIR", dictionaries.path().c_str(), 1);
    setenv("WLXTEST_SETTING", "shell", 1);

    const std::vector<std::string> args{"/IN", "/OO", (dir / "in.txt").string(),
                                        (dir / "out").string()};
    auto result = RunProbe(args);
    EXPECT_EQ(result.err, "dictionary directory: " + wlxtest::BinDir().string() + "/\n");
    wlxtest::RunOptions options;
    options.environment["WLXCONV_REGISTRY"] = (dir / "registry.reg").string();
    result = RunProbe(args, options);
    EXPECT_EQ(result.err, "dictionary directory: " + dictionaries.path().string() + "/\n");

    const auto env = wlxtest::FindTool("env");
    if (!env.empty()) {
        options.environment = {{"WLXTEST_SETTING", "test"}};
        result = wlxtest::Run(env, {}, options);
        EXPECT_EQ(Count(result.out, "WLXTEST_SETTING="), 1u) << result.out;
        EXPECT_NE(result.out.find("\nWLXTEST_SETTING=test\n"), std::string::npos) << result.out;
        EXPECT_EQ(result.out.find("CS_KORE_DIR="), std::string::npos) << result.out;
        options.environment = {{"CS_KORE_DIR", "/given"}};
        result = wlxtest::Run(env, {}, options);
        EXPECT_NE(result.out.find("\nCS_KORE_DIR=/given\n"), std::string::npos) << result.out;
    }
    for (const auto& s : saved) {
        if (s.value)
            setenv(s.name, s.value->c_str(), 1);
        else
            unsetenv(s.name);
    }
}

// Ctrl+C or a termination while the overwrite prompt waits ends the program
// at once, and the old output stays as it was.
TEST(ProgramTest, AnAbortAtTheOverwritePromptEndsTheRunAtOnce) {
    for (int signalNumber : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signalNumber);
        wlxtest::TempDir dir;
        wlxtest::WriteText(dir / "in.bna", "\"A\",\"\",\"Roads\",1\n1,2\n");
        const auto first =
            wlxtest::RunWlxconv({"/IB", (dir / "in.bna").string(), (dir / "out").string()});
        ASSERT_EQ(first.exitCode, 0) << first.out;
        const auto wlx = wlxtest::ReadBytes(dir / "out.wlx");
        const auto sif = wlxtest::ReadBytes(dir / "out.sif");

        wlxtest::RunningProgram program(wlxtest::WlxconvPath(),
                                        {"/IB", (dir / "in.bna").string(), (dir / "out").string()});
        ASSERT_TRUE(program.WaitForOutput("(O)verwrite, (A)ppend, (Q)uit?"));
        program.Signal(signalNumber);
        const auto result = program.Wait(5);
        EXPECT_EQ(result.exitCode, 1) << result.out;
        EXPECT_NE(result.out.find("Aborting processing..."), std::string::npos) << result.out;
        EXPECT_EQ(result.out.find("Objects written"), std::string::npos) << result.out;
        EXPECT_EQ(wlxtest::HexDiff(wlx, wlxtest::ReadBytes(dir / "out.wlx")), "");
        EXPECT_EQ(wlxtest::HexDiff(sif, wlxtest::ReadBytes(dir / "out.sif")), "");
    }
}

// After "o", an abort that comes before the run writes leaves the old files.
TEST(ProgramTest, AnAbortAfterOverwriteWasChosenKeepsTheOldFiles) {
    wlxtest::TempDir dir;
    wlxtest::WriteText(dir / "in.txt", "objects=5 abort_on_open=1");
    wlxtest::WriteText(dir / "out.wlx", "old map");
    wlxtest::WriteText(dir / "out.sif", "old index");
    wlxtest::RunOptions options;
    options.input = "o\n";
    const auto result =
        RunProbe({"/IN", "/OS", (dir / "in.txt").string(), (dir / "out").string()}, options);
    EXPECT_EQ(result.exitCode, 1) << result.out;
    EXPECT_EQ(Count(result.out, "Aborting processing..."), 1u) << result.out;
    EXPECT_EQ(wlxtest::ReadText(dir / "out.wlx"), "old map");
    EXPECT_EQ(wlxtest::ReadText(dir / "out.sif"), "old index");
}

// An allocation that fails in the middle of a run ends it as an abort does:
// the map and its index hold every object written before.
TEST(ProgramTest, AnExhaustedStoreFinishesTheFilesWritten) {
    wlxtest::TempDir dir;
    std::string bna;
    for (int i = 0; i < 5; ++i)
        bna += "\"P" + std::to_string(i) + "\",\"\",\"Roads\",1\n" + std::to_string(i) + ",1\n";
    wlxtest::WriteText(dir / "in.bna", bna);
    wlxtest::RunOptions options;
    options.environment["WLXPROBE_BAD_ALLOC_AT"] = "3";
    auto result = RunProbe(
        {"/IF", "/OS", "/KIF", (dir / "in.bna").string(), (dir / "out").string()}, options);
    EXPECT_EQ(result.exitCode, 1) << result.out;
    const std::string message = "*Error* : Operator new failed : out of store\n";
    ASSERT_GE(result.out.size(), message.size()) << result.out;
    EXPECT_EQ(result.out.substr(result.out.size() - message.size()), message);

    result = wlxtest::RunWlxconv({"/IS", "/INFO", (dir / "out.wlx").string()});
    EXPECT_EQ(result.exitCode, 0) << result.out;
    EXPECT_NE(result.out.find("\nFeature Count : 3\n"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find(" SIF Feature Count : 3\n"), std::string::npos) << result.out;
    result =
        wlxtest::RunWlxconv({"/IS", "/OL", (dir / "out.wlx").string(), (dir / "back").string()});
    EXPECT_EQ(result.exitCode, 0) << result.out;
    EXPECT_NE(result.out.find("Points: 3\n"), std::string::npos) << result.out;
}
