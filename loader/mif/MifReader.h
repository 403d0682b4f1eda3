// The reader of MapInfo interchange files (input type M): the objects of the
// MIF file, each with its row of the MID file beside it, which forms the
// attribute table "MIDTable".
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "loader/core/AttributedReader.h"
#include "loader/core/LineSource.h"
#include "loader/core/TextFile.h"
#include "loader/mif/MifParser.h"

// The MID rows as an attribute source: the current row belongs to the
// object being read until SkipRow moves on, whether the object was
// converted or passed over.
class CMidTable final : public CAttributeSource {
public:
    static constexpr const char* kName = "MIDTable";

    CMidTable(std::shared_ptr<CLineSource> mid, const MifHeader& header);

    // The current row's values; kLoaderNoAttributeData when the MID file
    // has no row left for the object.
    Status FillRow(const char* key, CTableRow& row) override;
    Status SkipRow();
    // Back to the first row, after the file has been moved there.
    void Rewind() { loaded_ = false; }

private:
    Status LoadRow();

    std::shared_ptr<CLineSource> mid_;
    char delimiter_;
    std::size_t columns_;
    bool loaded_ = false;
    Status loadStatus_ = 0;
    std::vector<std::string> values_;
};

class CMifReader final : public CAttributedReader {
public:
    CMifReader(CLoaderSettings* settings, Status* status);

    // Back to the first object after the header, and to the first row.
    Status Rewind() override;
    Status ReadNext(CFeatureRecord* record) override;
    int AtEnd() override { return atEnd_ ? 1 : 0; }
    // The MID columns.
    Status GetFileInfo(CFileInfo* info) override;

private:
    Status Open();
    Status MakeGeometry(const MifObject& object, CFeatureRecord* record);
    Status SkipRow();
    // Warns of the multipoints and collections passed over, once the data ends.
    void ReportSkipped();

    std::unique_ptr<CTextFile> mifFile_;
    std::unique_ptr<CTextFileLineSource> mif_;
    std::shared_ptr<CLineSource> mid_;
    CMidTable* midTable_ = nullptr;  // owned by the table set
    std::int64_t dataOffset_ = 0;
    bool atEnd_ = false;
    long skippedMultiPoints_ = 0;
    long skippedCollections_ = 0;
};
