// A reporter that keeps what it is shown, for tests of the parts of a run that
// warn or fail: errors and warnings apart, and every line as the console
// prints it.
#pragma once

#include <string>
#include <vector>

#include "loader/core/ReporterInterface.h"

class CRecordingReporter final : public CReporterInterface {
public:
    int ShowError(const char* text) override { return Keep(&errors, text); }
    int ShowWarning(const char* text) override { return Keep(&warnings, text); }
    int ShowInfo(const char* text) override { return Keep(nullptr, text); }
    int SetProgressRange(std::int32_t, std::int32_t) override { return 0; }
    int ShowProgress(std::int32_t) override { return 0; }
    int ShowStatus(const char* text) override { return Keep(nullptr, text); }
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
    // Errors, warnings, information and status lines in order, each ended by
    // a line feed.
    std::string printed;

private:
    int Keep(std::vector<std::string>* list, const char* text) {
        const std::string line = text ? text : "";
        if (list) list->push_back(line);
        printed += line + "\n";
        return 0;
    }
};
