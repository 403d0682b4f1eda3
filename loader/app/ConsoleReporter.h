// The console reporter: everything goes to standard output (or the stream
// given), and is flushed at once, so that progress shows as it happens.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>

#include "loader/core/ReporterInterface.h"
#include "platform/CriticalSection.h"

// The program's version, shown in the usage text.
inline constexpr const char* kLoaderFileVersion = "6.0.0.0";

class CConsoleReporter : public CReporterInterface {
public:
    // `console` receives all output; `keyboard` answers the overwrite prompt.
    explicit CConsoleReporter(std::FILE* console = stdout, std::FILE* keyboard = stdin);
    virtual ~CConsoleReporter() = default;

    int ShowError(const char* text) override;
    int ShowWarning(const char* text) override;
    int ShowInfo(const char* text) override;
    int SetProgressRange(std::int32_t first, std::int32_t last) override;
    int ShowProgress(std::int32_t count) override;
    int ShowStatus(const char* text) override;
    int AskOverwrite(const char* fileName, int* answer) override;
    int ShowUsage() override;
    int ShowSummary(const CLoaderSettings* settings) override;
    int BeginRun(const CLoaderSettings* settings) override;
    int ShowFileInfo(const CFileInfo* info) override;
    int ShowProcessingTime(double seconds) override;

    // The clock of the progress lines, in whole seconds (a monotonic clock
    // unless replaced).
    void SetSecondsClock(std::function<std::int64_t()> clock) { seconds_ = std::move(clock); }

private:
    void PrintLine(const char* text);

    std::FILE* console_;
    std::FILE* keyboard_;
    std::int32_t progressTotal_ = 0;
    std::optional<std::int64_t> lastProgressSecond_;
    // A progress line waits for its carriage return to be overwritten; a
    // message printed meanwhile starts a line of its own.
    bool progressShown_ = false;
    std::function<std::int64_t()> seconds_;
    // The console handler's thread prints too: one operation at a time.
    CCriticalSection lock_;
};
