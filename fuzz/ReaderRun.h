// A whole reader run over one input file, as the program makes it: every kind
// of object accepted, every object read until the input ends or fails, then
// the description of the file the reader can give.
#pragma once

#include <string>

#include "loader/core/FeatureRecord.h"
#include "loader/core/FileInfo.h"
#include "loader/core/LoaderSettings.h"
#include "testing/RecordingReporter.h"

namespace fuzz {

// Inputs of the fuzzers are small; a reader that makes more objects than
// this from one of them is looping.
inline constexpr int kMaxObjects = 100000;

template <class Reader>
void RunReader(const std::string& inputName) {
    CRecordingReporter reporter;
    CLoaderSettings settings;
    settings.reporter = &reporter;
    settings.inputName = inputName;
    settings.filter.pointsEnabled = settings.filter.linesEnabled = settings.filter.polygonsEnabled =
        1;
    Status status = 0;
    Reader reader(&settings, &status);
    if (status != 0) return;
    CFeatureRecord record;
    for (int i = 0; i < kMaxObjects; ++i) {
        record.Clear();
        if (reader.ReadNext(&record) != 0) break;
    }
    if (reader.Rewind() == 0) {
        CFileInfo info;
        reader.GetFileInfo(&info);
    }
}

}  // namespace fuzz
