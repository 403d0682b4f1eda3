// The reader of input type L: the records of a WLT text file, one feature
// record each, after taking over the file's coordinate-system metadata.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "loader/core/Geometry2d.h"
#include "loader/core/SourceReader.h"
#include "loader/core/TextFile.h"
#include "nativeformat/WltFormat.h"

class CWltReader final : public CSourceReader {
public:
    CWltReader(CLoaderSettings* settings, Status* status);

    Status Rewind() override;
    Status ReadNext(CFeatureRecord* record) override;
    int AtEnd() override { return atEnd_ ? 1 : 0; }
    // A WLT file says nothing of itself beyond its records.
    Status GetFileInfo(CFileInfo*) override { return 0; }

private:
    Status NextRecord(CFeatureRecord* record);
    Status Open();
    Status ReadRecord(const std::string& line, CFeatureRecord* record);
    // The next point line of a record.
    Status ReadPoint(CPoint2d& point);
    Status MakeGeometry(char kind, ComPtr<IWKBGeometry>& geometry);

    std::unique_ptr<CTextFile> file_;
    bool atEnd_ = false;
    int version_ = kWltMajorVersion;
    std::string line_;
    std::vector<CPoint2d> points_;
};
