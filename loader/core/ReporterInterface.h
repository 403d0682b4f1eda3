// The one sink of the loader's console output. Texts arrive finished: callers
// format them first.
#pragma once

#include <cstdint>

class CLoaderSettings;
class CFileInfo;

class CReporterInterface {
public:
    virtual int ShowError(const char* text) = 0;
    virtual int ShowWarning(const char* text) = 0;
    virtual int ShowInfo(const char* text) = 0;
    virtual int SetProgressRange(std::int32_t first, std::int32_t last) = 0;
    virtual int ShowProgress(std::int32_t count) = 0;
    virtual int ShowStatus(const char* text) = 0;
    // answer: 0 overwrite, 1 append, 2 quit.
    virtual int AskOverwrite(const char* fileName, int* answer) = 0;
    virtual int ShowUsage() = 0;
    virtual int ShowSummary(const CLoaderSettings* settings) = 0;
    virtual int BeginRun(const CLoaderSettings* settings) = 0;
    virtual int ShowFileInfo(const CFileInfo* info) = 0;
    virtual int ShowProcessingTime(double seconds) = 0;

protected:
    // Owners delete the concrete reporter, never through this interface.
    ~CReporterInterface() = default;
};
