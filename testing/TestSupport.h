// Test helpers: run a program and capture its output, scratch directories,
// whole-file reads and a readable byte diff.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace wlxtest {

struct ProcessResult {
    int exitCode = -1;  // 0..255, or -1 when the program did not exit normally
    std::string out;
    std::string err;
};

struct RunOptions {
    std::filesystem::path workingDirectory;  // empty: the current one
    // Over the inherited environment, with LC_ALL=C, no CS_KORE_DIR and a
    // WLXCONV_REGISTRY naming no file unless given here.
    std::map<std::string, std::string> environment;
    std::string input;  // fed to standard input; empty: none
};

// Runs `program` with `args`; standard input is empty unless options say otherwise.
ProcessResult Run(const std::filesystem::path& program, const std::vector<std::string>& args,
                  const RunOptions& options = {});

// A program left running, its standard input open, for tests that answer
// its prompts or signal it while it waits.
class RunningProgram {
public:
    RunningProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
                   const RunOptions& options = {});
    ~RunningProgram();  // kills a program still running
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    // Reads standard output until it holds `text`; false when the program
    // closed it first or 20 seconds passed.
    bool WaitForOutput(const std::string& text);
    void WriteInput(const std::string& text);
    void Signal(int signalNumber);
    void CloseInput();
    // Waits at most `seconds` for the end, standard input left as it is; a
    // program still running then is killed and gets exit code -1.
    ProcessResult Wait(int seconds = 20);

private:
    // Reads what is there within `milliseconds`; false at the end of both outputs.
    bool Drain(int milliseconds);

    int pid_ = -1;
    int in_ = -1, out_ = -1, err_ = -1;
    ProcessResult result_;
};

// The directory of the running test program: wlxconv, the servers and the
// dictionaries are built there.
std::filesystem::path BinDir();
std::filesystem::path WlxconvPath();
// Runs the real wlxconv.
ProcessResult RunWlxconv(const std::vector<std::string>& args, const RunOptions& options = {});

// The source tree, for fixtures: SourcePath("loader/bna/tests/data/a.bna").
std::filesystem::path SourcePath(const std::string& relative);

// A fresh directory removed with everything in it at destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& file);
std::string ReadText(const std::filesystem::path& file);
void WriteBytes(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes);
void WriteText(const std::filesystem::path& file, const std::string& text);

// Empty when equal; otherwise the first differing offset with a hex window of both.
std::string HexDiff(const std::vector<std::uint8_t>& expected,
                    const std::vector<std::uint8_t>& actual);

// An outside tool (ogrinfo, proj, ...) on the PATH: its full path, empty when
// it is not installed. Tests that compare with one skip without it.
std::filesystem::path FindTool(const std::string& name);
bool HaveTool(const std::string& name);

}  // namespace wlxtest

// In a test: `variable` is the tool's path, or the test is skipped.
#define FIND_TOOL_OR_SKIP(variable, name)                           \
    const std::filesystem::path variable = wlxtest::FindTool(name); \
    if (variable.empty()) GTEST_SKIP() << name << " is not installed";
