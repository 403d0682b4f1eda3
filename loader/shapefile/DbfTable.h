// The dBASE table of a shapefile as an attribute source named "DBFTable":
// one record per shape, in shape order; every field is read as text.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "loader/core/AttributeTable.h"
#include "loader/core/Win32File.h"
#include "loader/shapefile/CodePage.h"

class CDbfTable final : public CAttributeSource {
public:
    // The file is shared with the reader, which opened it.
    explicit CDbfTable(std::shared_ptr<CWin32File> file);

    // The code page a .cpg file names, which wins over the header's language
    // driver; set before ReadHeader. 0 for none.
    void SetCpgCodePage(int page) { cpgCodePage_ = page; }
    // The page the text is read in (0: undeclared, passed through as it is).
    int GetCodePage() const { return codePage_; }

    // Reads the header and the field descriptors into the schema and moves to
    // the first record. kWlxBadFormat for a version other than 3 and 0x83, or
    // fields that do not fit a record.
    Status ReadHeader();

    // The current record's fields, trimmed. kLoaderNoAttributeData when the
    // table holds no record for the current shape.
    Status FillRow(const char* key, CTableRow& row) override;
    void Advance() { recordStart_ += recordLength_; }
    void Rewind() { recordStart_ = headerLength_; }

    std::int32_t GetRecordCount() const { return recordCount_; }

private:
    Status LoadRecord();
    // A name or value in UTF-8, trimmed.
    std::string Text(std::string_view bytes) const;

    std::shared_ptr<CWin32File> file_;
    int cpgCodePage_ = 0;
    int codePage_ = 0;
    const CodePageTable* page_ = nullptr;
    std::vector<std::uint32_t> fieldOffsets_;
    std::vector<std::uint32_t> fieldWidths_;
    std::int64_t recordStart_ = 0;
    std::uint16_t recordLength_ = 0;
    std::uint16_t headerLength_ = 0;
    std::int32_t recordCount_ = 0;
    std::int64_t fileSize_ = 0;
    // The record last read, so that several lookups per shape read it once.
    std::vector<char> record_;
    std::int64_t recordReadAt_ = -1;
};
