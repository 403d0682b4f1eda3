// The reader of BNA files (input type B): every accepted record becomes one
// object, a point, a line or a multipolygon of one polygon per ring, named
// and keyed by its header and filtered by its layer and kind. BNA input has
// no attribute tables.
#pragma once

#include <memory>

#include "loader/bna/BnaParser.h"
#include "loader/core/LineSource.h"
#include "loader/core/SourceReader.h"
#include "loader/core/TextFile.h"

class CBnaReader final : public CSourceReader {
public:
    CBnaReader(CLoaderSettings* settings, Status* status);

    Status Rewind() override;
    Status ReadNext(CFeatureRecord* record) override;
    int AtEnd() override { return atEnd_ ? 1 : 0; }
    // The layers and the number of records from the current position on.
    Status GetFileInfo(CFileInfo* info) override;

private:
    Status NextRecord(CFeatureRecord* record);
    Status ReadGeometry(const BnaHeader& header, CFeatureRecord* record);
    void ReportSkipped();

    std::unique_ptr<CTextFile> file_;
    std::unique_ptr<CTextFileLineSource> source_;
    bool atEnd_ = false;
    long skippedEllipses_ = 0;
    long skippedDegenerate_ = 0;
};
