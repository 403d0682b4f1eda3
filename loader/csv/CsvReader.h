// The reader of comma-delimited point files (input type C). The settings'
// CSV object kind (/T) decides for the whole file: every line a point, or
// runs of lines that share key and name one line or polygon object.
#pragma once

#include <memory>

#include "loader/core/LineSource.h"
#include "loader/core/SourceReader.h"
#include "loader/core/TextFile.h"
#include "loader/csv/CsvParser.h"

class CCsvReader final : public CSourceReader {
public:
    CCsvReader(CLoaderSettings* settings, Status* status);

    Status Rewind() override;
    // kLoaderNoMoreObjects when the filter does not accept the file's kind.
    Status ReadNext(CFeatureRecord* record) override;
    int AtEnd() override { return parser_ && parser_->AtEnd() ? 1 : 0; }
    // A CSV input has neither layers nor a known object count.
    Status GetFileInfo(CFileInfo* info) override;

private:
    Status NextRecord(CFeatureRecord* record);
    Status ReadPoint(CFeatureRecord* record);
    Status ReadGroup(CFeatureRecord* record, bool polygons);

    std::unique_ptr<CTextFile> file_;
    std::unique_ptr<CTextFileLineSource> source_;
    std::unique_ptr<CCsvParser> parser_;
};
