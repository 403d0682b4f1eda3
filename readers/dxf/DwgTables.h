// The attribute tables of a drawing: its database-link tables, one key
// column each, and its object-data tables, read from extended data.
//
// Object data lives under the application "WLX_OBJECTDATA". The
// named-objects dictionary defines the tables: per table a 1000 text with its
// name, then 1002 "{", a 1000 name and a 1000 type name per field
// ("ClassChar", "ClassLong", "ClassReal" or "ClassPoint"), and 1002 "}". An
// entity's records follow the same frame: a 1000 table name, 1002 "{", per
// value a 1070 field number (0-based, the field's place in the definition)
// and its 1000 text, and 1002 "}".
#pragma once

#include <string>
#include <vector>

#include "loader/core/AttributeTable.h"
#include "readers/drawing/DrawingEntities.h"

class CDwgReader;

inline constexpr const char* kObjectDataApplication = "WLX_OBJECTDATA";

class CXDataTable final : public CAttributeSource {
public:
    // `definition`: the link definition's chain of the reader's application.
    CXDataTable(std::string_view name, const CDwgReader& reader,
                const drawing::XDataChain& definition);
    Status FillRow(const char* key, CTableRow& row) override;

private:
    void BuildSchema(const drawing::XDataChain& definition);

    const CDwgReader& reader_;
    std::string application_;
    int release_;
};

struct SObjectDataField {
    std::string name;
    std::string type;
};

// The object-data tables the dictionary's extended data defines, in order.
struct SObjectDataDefinition {
    std::string name;
    std::vector<SObjectDataField> fields;
};
std::vector<SObjectDataDefinition> ReadObjectDataDefinitions(const drawing::XDataChain& chain);

class CObjectDataTable final : public CAttributeSource {
public:
    CObjectDataTable(const SObjectDataDefinition& definition, const CDwgReader& reader);
    Status FillRow(const char* key, CTableRow& row) override;

private:
    const CDwgReader& reader_;
    // The column of each field; -1 for a field of a type with no column.
    std::vector<int> columnOfField_;
};
