// The reader of ArcView shapefiles (input type H): the main file (.shp) with
// the shapes, its index (.shx) with one entry per shape, and the dBASE table
// (.dbf) with one record per shape, which becomes the table "DBFTable".
// Records are read one at a time, each checked against its length.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "loader/core/AttributedReader.h"
#include "loader/core/Win32File.h"
#include "loader/shapefile/DbfTable.h"
#include "loader/shapefile/ShapeRecord.h"

class CShapefileReader final : public CAttributedReader {
public:
    CShapefileReader(CLoaderSettings* settings, Status* status);

    Status Rewind() override;
    Status ReadNext(CFeatureRecord* record) override;
    int AtEnd() override { return atEnd_ ? 1 : 0; }
    // The DBF fields.
    Status GetFileInfo(CFileInfo* info) override;

private:
    // The input is exhausted: the multipatches passed over are reported.
    void ReachEnd();
    Status Open();
    // Reads the shape whose record starts at the offset into shape_.
    Status ReadShape(std::int64_t offset);
    Status MakeGeometry(CFeatureRecord* record);

    std::unique_ptr<CWin32File> shp_;
    std::shared_ptr<CWin32File> dbf_;  // shared with the DBF table
    std::unique_ptr<CWin32File> shx_;
    CDbfTable* dbfTable_ = nullptr;  // owned by the table set
    bool atEnd_ = true;
    bool warnedZOrM_ = false;
    long skippedMultiPatches_ = 0;
    std::int64_t shxLength_ = 0;
    std::int64_t shxOffset_ = 0;
    std::int64_t shpSize_ = 0;
    std::vector<std::uint8_t> content_;
    std::vector<std::uint8_t> wkb_;
    CShapeRecord shape_;
};
