// A reporter that keeps the warnings it is shown, for tests of the parts of
// a run that warn.
#pragma once

#include <string>
#include <vector>

#include "loader/ReporterInterface.h"

class CRecordingReporter final : public CReporterInterface {
public:
    int ShowError(const char* text) override { return Keep(errors, text); }
    int ShowWarning(const char* text) override { return Keep(warnings, text); }
    int ShowInfo(const char*) override { return 0; }
    int SetProgressRange(std::int32_t, std::int32_t) override { return 0; }
    int ShowProgress(std::int32_t) override { return 0; }
    int ShowStatus(const char*) override { return 0; }
    int AskOverwrite(const char*, int* answer) override {
        *answer = 2;
        return 0;
    }
    int ShowUsage() override { return 0; }
    int ShowSummary(const CLoaderSettings*) override { return 0; }
    int BeginRun(const CLoaderSettings*) override { return 0; }
    int ShowFileInfo(const CFileInfo*) override { return 0; }
    int ShowProcessingTime(double) override { return 0; }

    std::vector<std::string> errors;
    std::vector<std::string> warnings;

private:
    static int Keep(std::vector<std::string>& list, const char* text) {
        list.emplace_back(text ? text : "");
        return 0;
    }
};
