// Export of one attribute table beside the output file: CSV data with its SQL
// table definition, or one SQL file of definition and INSERT statements.
// Files are created by the first row, so a table without rows gets none.
// Appending (/WA onto an existing map), rows follow those already in the
// files, under the header and definition written the first time.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "loader/core/AttributeTable.h"
#include "loader/core/TextFile.h"

class CFeatureRecord;

class CTableWriter : public CAttributeTable {
public:
    // The exported schema: "TessaranKey", with XY "LocationX" and
    // "LocationY", then the source's columns.
    CTableWriter(std::string_view tableName, const CTableSchema& source, bool xy, bool append);

    // Writes one object's row of this table.
    virtual Status WriteRow(const CTableRow& row, const CFeatureRecord& record) = 0;
    // Completes the files; kWlxWriteError when written data could not be stored.
    virtual Status Close() = 0;

protected:
    // The values that stand before the row's own: the key and, with XY, the location.
    Status LeadingValues(const CFeatureRecord& record, char quote, std::string& text) const;
    // ",value" for each of the row's values, quoted by column type.
    void AppendRowValues(const CTableRow& row, char quote, bool nullForBadNumbers,
                         std::string& text) const;
    // CREATE TABLE with one line per column; names are quoted identifiers.
    std::string TableDefinition() const;
    bool Appending() const { return append_; }

private:
    bool xy_;
    bool append_;
};

class CCsvTableWriter final : public CTableWriter {
public:
    CCsvTableWriter(std::string_view outputName, const CTableSchema& source,
                    std::string_view tableName, bool xy, bool append = false);
    Status WriteRow(const CTableRow& row, const CFeatureRecord& record) override;
    Status Close() override;

private:
    Status Open();

    std::string header_;
    std::string definition_;
    std::string sqlFileName_;
    std::string csvFileName_;
    std::unique_ptr<CTextFile> csvFile_;
    std::unique_ptr<CTextFile> sqlFile_;
    bool opened_ = false;
    Status openStatus_ = 0;
};

class CSqlTableWriter final : public CTableWriter {
public:
    CSqlTableWriter(std::string_view outputName, const CTableSchema& source,
                    std::string_view tableName, bool xy, bool append = false);
    Status WriteRow(const CTableRow& row, const CFeatureRecord& record) override;
    Status Close() override;

private:
    Status Open();

    std::string definition_;
    std::string insertPrefix_;  // "INSERT INTO <table> VALUES ("
    std::string sqlFileName_;
    std::unique_ptr<CTextFile> sqlFile_;
    bool opened_ = false;
    Status openStatus_ = 0;
};
