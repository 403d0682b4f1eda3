// The reader of input type S: the records of a WLX file, one feature record
// each, after taking over the file's coordinate-system metadata. For /INFO it
// describes the file and its spatial index.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "loader/core/SourceReader.h"
#include "nativeformat/WlxFile.h"

class CWlxReader final : public CSourceReader {
public:
    CWlxReader(CLoaderSettings* settings, Status* status);
    ~CWlxReader() override;

    Status Rewind() override;
    Status ReadNext(CFeatureRecord* record) override;
    int AtEnd() override { return atEnd_ ? 1 : 0; }
    Status GetFileInfo(CFileInfo* info) override;

private:
    Status Open();
    Status TakeOverMetadata();
    Status ReadRecord(int type, CFeatureRecord* record);
    void SetTexts(CFeatureRecord* record, const char* name, const char* key, const char* link);
    // The x, y pairs of `count` points, and of each part of a multi-part record.
    static std::span<const double> Points(std::uint32_t count, const double* xy);
    const std::vector<std::span<const double>>& Parts(std::uint32_t count,
                                                      const std::uint32_t* counts,
                                                      const double* xy);

    std::unique_ptr<CWlxFile> file_;
    std::vector<std::span<const double>> parts_;
    bool atEnd_ = false;
};
