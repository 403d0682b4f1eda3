#include "readers/dxf/DwgTables.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

#include "common/ByteOrder.h"
#include "loader/core/Utf8Text.h"
#include "readers/dxf/DwgReader.h"

namespace {

struct SColumnKind {
    std::int32_t type;
    std::int32_t width;
    std::uint16_t decimals;
};

// The column of a link key by its SQL data type code.
SColumnKind LinkColumn(int kind, int width, int decimals) {
    const auto d = static_cast<std::uint16_t>(decimals < 0 ? 0 : decimals);
    switch (kind) {
        case 2:
        case 3:
            return {d == 0 ? kColumnLong : kColumnDouble, width, d};
        case 4:
            return {kColumnInt, 10, 0};
        case 5:
            return {kColumnInt, 5, 0};
        case 6:
            return {kColumnDouble, 12, 4};
        case 7:
        case 8:
            return {kColumnDouble, 12, 8};
        default:
            // Character kinds, and the kinds with no number (dates, times) as their text.
            return {kColumnText, width, d};
    }
}

std::int32_t ClampToLong(double value) {
    if (!(value > std::numeric_limits<std::int32_t>::min()))
        return std::numeric_limits<std::int32_t>::min();
    if (!(value < std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(value);
}

// Appends a key value of the column's type; false when the chunk is too short for it.
bool AppendKey(CTableRow& row, std::int32_t type, const std::vector<std::uint8_t>& bytes) {
    switch (type) {
        case kColumnInt:
            if (bytes.size() < 4) return false;
            AppendIntValue(row, byteorder::LoadI32Le(bytes.data()));
            return true;
        case kColumnLong:
            if (bytes.size() < 8) return false;
            AppendLongValue(row, ClampToLong(std::trunc(byteorder::LoadF64Le(bytes.data()))));
            return true;
        case kColumnDouble:
            if (bytes.size() < 8) return false;
            AppendDoubleValue(row, byteorder::LoadF64Le(bytes.data()));
            return true;
        default: {
            std::string text;
            for (std::size_t i = 1; i < bytes.size() && bytes[i] != 0; ++i)
                text += static_cast<char>(bytes[i]);
            AppendTextValue(row, text);
            return true;
        }
    }
}

bool IsOpen(const drawing::XDataValue& v) {
    return v.code == 1002 && v.text == "{";
}
bool IsClose(const drawing::XDataValue& v) {
    return v.code == 1002 && v.text == "}";
}

}  // namespace

CXDataTable::CXDataTable(std::string_view name, const CDwgReader& reader,
                         const drawing::XDataChain& definition)
    : CAttributeSource(name),
      reader_(reader),
      application_(reader.LinkApplication()),
      release_(reader.LinkRelease()) {
    BuildSchema(definition);
}

void CXDataTable::BuildSchema(const drawing::XDataChain& definition) {
    GetSchema().SetName(GetName());
    if (definition.size() != 10) return;
    const SColumnKind kind =
        LinkColumn(definition[5].integer, definition[6].integer, definition[7].integer);
    GetSchema().AddColumn(definition[2].text, kind.width, kind.decimals, kind.type);
}

Status CXDataTable::FillRow(const char* /*key*/, CTableRow& row) {
    const drawing::CEntity* entity = reader_.CurrentEntity();
    const auto& columns = GetSchema().GetColumns();
    if (!entity || columns.empty()) return kLoaderNoAttributeData;
    const drawing::XDataChain chain = entity->XData(application_);
    if (chain.size() < 2) return kLoaderNoAttributeData;
    const std::int32_t count = chain[1].integer;
    const std::size_t first = release_ == 15 ? 2 : 3;
    const std::size_t stride = release_ == 15 ? 3 : 4;
    for (std::int32_t r = 0; r < count; ++r) {
        const std::size_t base = first + static_cast<std::size_t>(r) * stride;
        if (base + stride > chain.size()) break;
        const drawing::XDataValue& table = chain[base + stride - 2];
        const drawing::XDataValue& value = chain[base + stride - 1];
        if (!EqualNoCase(table.text, GetName())) continue;
        if (value.code != 1004) return kLoaderNoAttributeData;
        return AppendKey(row, columns.front().type, value.bytes) ? 0 : kLoaderNoAttributeData;
    }
    return kLoaderNoAttributeData;
}

std::vector<SObjectDataDefinition> ReadObjectDataDefinitions(const drawing::XDataChain& chain) {
    std::vector<SObjectDataDefinition> tables;
    std::size_t i = chain.empty() || chain[0].code != 1001 ? 0 : 1;
    while (i + 1 < chain.size()) {
        if (chain[i].code != 1000 || !IsOpen(chain[i + 1])) {
            ++i;
            continue;
        }
        SObjectDataDefinition table{chain[i].text, {}};
        i += 2;
        while (i + 1 < chain.size() && chain[i].code == 1000 && chain[i + 1].code == 1000) {
            table.fields.push_back({chain[i].text, chain[i + 1].text});
            i += 2;
        }
        if (i < chain.size() && IsClose(chain[i])) ++i;
        tables.push_back(std::move(table));
    }
    return tables;
}

CObjectDataTable::CObjectDataTable(const SObjectDataDefinition& definition,
                                   const CDwgReader& reader)
    : CAttributeSource(definition.name), reader_(reader) {
    CTableSchema& schema = GetSchema();
    int columns = 0;
    for (const SObjectDataField& field : definition.fields) {
        int column = columns++;
        if (field.type == "ClassChar" || field.type == "ClassPoint")
            schema.AddColumn(field.name, 255, 0, kColumnText);
        else if (field.type == "ClassLong")
            schema.AddColumn(field.name, 12, 0, kColumnLong);
        else if (field.type == "ClassReal")
            schema.AddColumn(field.name, 20, 8, kColumnDouble);
        else
            column = -1, --columns;
        columnOfField_.push_back(column);
    }
    schema.SetName(definition.name);
}

Status CObjectDataTable::FillRow(const char* /*key*/, CTableRow& row) {
    const drawing::CEntity* entity = reader_.CurrentEntity();
    if (!entity) return kLoaderNoAttributeData;
    const drawing::XDataChain chain = entity->XData(kObjectDataApplication);
    const std::size_t columns = GetSchema().GetColumns().size();
    for (std::size_t i = 0; i + 1 < chain.size(); ++i) {
        if (chain[i].code != 1000 || !IsOpen(chain[i + 1]) ||
            !EqualNoCase(chain[i].text, GetName()))
            continue;
        std::vector<std::string> values(columns);
        for (std::size_t j = i + 2; j + 1 < chain.size() && !IsClose(chain[j]); j += 2) {
            const drawing::XDataValue& field = chain[j];
            if (field.code != 1070 || chain[j + 1].code != 1000) return kWlxReadError;
            if (field.integer < 0 ||
                static_cast<std::size_t>(field.integer) >= columnOfField_.size())
                continue;
            const int column = columnOfField_[static_cast<std::size_t>(field.integer)];
            if (column >= 0)
                values[static_cast<std::size_t>(column)] =
                    CutAtCharBoundary(chain[j + 1].text, 255);
        }
        for (const std::string& value : values) AppendTextValue(row, value);
        return 0;
    }
    return kLoaderNoAttributeData;
}
