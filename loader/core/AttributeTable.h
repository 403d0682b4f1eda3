// Attribute data as the readers hand it to the writers: every value is text;
// a column's type only decides how the value is declared and quoted on export.
// Rows and schemas are shared by count (see CountedRef.h); values and column
// definitions belong to their row or schema.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/Status.h"
#include "loader/core/CountedRef.h"

enum EColumnType : std::int32_t {
    kColumnText = 0,
    kColumnInt = 1,
    kColumnLong = 2,
    kColumnDouble = 3,
};

// One attribute value, held as the text the writers print.
class CFieldValue {
public:
    CFieldValue() = default;
    explicit CFieldValue(std::string text) : text_(std::move(text)) {}

    void SetText(std::string_view text) { text_.assign(text); }
    void SetInt(int value);            // "%i"
    void SetLong(std::int32_t value);  // "%li" of the 32-bit long
    void SetDouble(double value);      // "%f": six digits after the point

    const std::string& GetText() const { return text_; }

private:
    std::string text_;
};

CFieldValue MakeTextFieldValue(std::string_view text);
CFieldValue MakeIntFieldValue(int value);
CFieldValue MakeLongFieldValue(std::int32_t value);
CFieldValue MakeDoubleFieldValue(double value);

// One column of a schema. Double columns carry 8 decimals, all others 0.
struct CColumnDef {
    std::string name;
    std::int32_t width = 0;
    std::uint16_t decimals = 0;
    std::int32_t type = kColumnText;
};

// The values of one object in one table, in column order. Create with
// MakeCounted<CTableRow>(); only Release deletes a row.
class CTableRow final {
public:
    CTableRow() = default;
    CTableRow(const CTableRow&) = delete;
    CTableRow& operator=(const CTableRow&) = delete;

    void SetTableName(std::string_view name) { tableName_.assign(name); }
    const std::string& GetTableName() const { return tableName_; }

    void Append(CFieldValue value) { values_.push_back(std::move(value)); }
    const std::vector<CFieldValue>& GetValues() const { return values_; }

    void AddRef() { ++refCount_; }
    void Release();

private:
    ~CTableRow() = default;

    std::vector<CFieldValue> values_;
    std::string tableName_;
    std::int32_t refCount_ = 0;  // holders less one
};

void AppendTextValue(CTableRow& row, std::string_view text);
void AppendIntValue(CTableRow& row, int value);
void AppendLongValue(CTableRow& row, std::int32_t value);
void AppendDoubleValue(CTableRow& row, double value);

// All rows of one object across its tables. Copies share the rows.
class CAttributeValueSet {
public:
    void AddRow(CTableRow& row) { rows_.push_back(CountedRef<CTableRow>::Share(&row)); }
    void Clear() { rows_.clear(); }
    const std::vector<CountedRef<CTableRow>>& GetRows() const { return rows_; }

private:
    std::vector<CountedRef<CTableRow>> rows_;
};

// The schema of one table. Create with MakeCounted<CTableSchema>(); only
// Release deletes a schema.
class CTableSchema final {
public:
    CTableSchema() = default;
    CTableSchema(const CTableSchema&) = delete;
    CTableSchema& operator=(const CTableSchema&) = delete;

    void AddColumn(std::string_view name, std::int32_t width, std::uint16_t decimals,
                   std::int32_t type);
    const std::vector<CColumnDef>& GetColumns() const { return columns_; }

    void SetName(std::string_view name) { name_.assign(name); }
    const std::string& GetName() const { return name_; }

    void AddRef() { ++refCount_; }
    void Release();

private:
    ~CTableSchema() = default;

    std::vector<CColumnDef> columns_;
    std::string name_;
    std::int32_t refCount_ = 0;  // holders less one
};

// The schemas a reader exposes; each entry holds a reference.
class CTableSchemaList {
public:
    void AddSchema(CTableSchema& schema) {
        schemas_.push_back(CountedRef<CTableSchema>::Share(&schema));
    }
    void Clear() { schemas_.clear(); }
    const std::vector<CountedRef<CTableSchema>>& GetSchemas() const { return schemas_; }
    std::size_t GetCount() const { return schemas_.size(); }

private:
    std::vector<CountedRef<CTableSchema>> schemas_;
};

// A named table: the base of the attribute sources and of the table writers.
class CAttributeTable {
public:
    explicit CAttributeTable(std::string_view name);
    virtual ~CAttributeTable() = default;
    CAttributeTable(const CAttributeTable&) = delete;
    CAttributeTable& operator=(const CAttributeTable&) = delete;

    // The 1-based number of the first column of that name, any letter case;
    // kLoaderBadColumnOrTable (column untouched) when there is none.
    Status FindColumn(std::string_view name, int& column) const;
    bool IsValidColumn(int column) const;

    const std::string& GetName() const { return name_; }
    CTableSchema& GetSchema() { return *schema_; }
    const CTableSchema& GetSchema() const { return *schema_; }

private:
    // Shared, so that a schema list may outlive the table.
    CountedRef<CTableSchema> schema_;
    std::string name_;
};

// A table whose rows are read from the object the reader currently holds,
// identified by its object key.
class CAttributeSource : public CAttributeTable {
public:
    using CAttributeTable::CAttributeTable;

    // Appends one value per column, in column order. kLoaderNoAttributeData
    // when the object has no row here.
    virtual Status FillRow(const char* key, CTableRow& row) = 0;
    // The object's value at a 0-based position. No row: the text becomes
    // empty; another failure leaves it as it was. Returns FillRow's status.
    virtual Status GetValueText(const char* key, int position, std::string& text);
};

// Tables by name, in the order they were added; names compare without regard
// to case. The set owns its tables.
class CTableSet {
public:
    CAttributeTable* Find(std::string_view name) const;
    // Takes the table under its own name. A name already present leaves the
    // set unchanged and discards the table: the first of equal names is kept.
    Status Add(std::unique_ptr<CAttributeTable> table);

    // An empty table name stands for the only table and is replaced by its name.
    Status ResolveColumn(std::string& tableName, std::string_view columnName, int& column) const;
    bool IsValidColumn(std::string_view tableName, int column) const;
    Status GetSchemas(CTableSchemaList& list) const;

    int GetCount() const { return static_cast<int>(tables_.size()); }
    const std::vector<std::unique_ptr<CAttributeTable>>& GetTables() const { return tables_; }

private:
    // The table an empty name or a name stands for; null when there is none.
    CAttributeTable* Lookup(std::string_view name) const;

    std::vector<std::unique_ptr<CAttributeTable>> tables_;
};
