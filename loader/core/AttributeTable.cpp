#include "loader/core/AttributeTable.h"

#include <charconv>

#include "loader/core/Utf8Text.h"

void CFieldValue::SetInt(int value) {
    text_ = std::to_string(value);
}

void CFieldValue::SetLong(std::int32_t value) {
    text_ = std::to_string(value);
}

void CFieldValue::SetDouble(double value) {
    // Fixed notation with six decimals is "%f"; to_chars gives it without
    // depending on the locale of the moment.
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
    text_.assign(buffer, result.ptr);
}

CFieldValue MakeTextFieldValue(std::string_view text) {
    return CFieldValue(std::string(text));
}

CFieldValue MakeIntFieldValue(int value) {
    CFieldValue v;
    v.SetInt(value);
    return v;
}

CFieldValue MakeLongFieldValue(std::int32_t value) {
    CFieldValue v;
    v.SetLong(value);
    return v;
}

CFieldValue MakeDoubleFieldValue(double value) {
    CFieldValue v;
    v.SetDouble(value);
    return v;
}

void CTableRow::Release() {
    if (refCount_ == 0)
        delete this;
    else
        --refCount_;
}

void AppendTextValue(CTableRow& row, std::string_view text) {
    row.Append(MakeTextFieldValue(text));
}

void AppendIntValue(CTableRow& row, int value) {
    row.Append(MakeIntFieldValue(value));
}

void AppendLongValue(CTableRow& row, std::int32_t value) {
    row.Append(MakeLongFieldValue(value));
}

void AppendDoubleValue(CTableRow& row, double value) {
    row.Append(MakeDoubleFieldValue(value));
}

void CTableSchema::AddColumn(std::string_view name, std::int32_t width, std::uint16_t decimals,
                             std::int32_t type) {
    columns_.push_back(CColumnDef{std::string(name), width, decimals, type});
}

void CTableSchema::Release() {
    if (refCount_ == 0)
        delete this;
    else
        --refCount_;
}

CAttributeTable::CAttributeTable(std::string_view name)
    : schema_(MakeCounted<CTableSchema>()), name_(name) {
    schema_->SetName(name);
}

Status CAttributeTable::FindColumn(std::string_view name, int& column) const {
    const auto& columns = schema_->GetColumns();
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (EqualNoCase(columns[i].name, name)) {
            column = static_cast<int>(i) + 1;
            return 0;
        }
    }
    return kLoaderBadColumnOrTable;
}

bool CAttributeTable::IsValidColumn(int column) const {
    return column >= 1 && static_cast<std::size_t>(column) <= schema_->GetColumns().size();
}

Status CAttributeSource::GetValueText(const char* key, int position, std::string& text) {
    auto row = MakeCounted<CTableRow>();
    const Status status = FillRow(key, *row);
    if (status == kLoaderNoAttributeData) {
        text.clear();
    } else if (status == 0) {
        // A source that gave fewer values than its columns reads as empty.
        const auto& values = row->GetValues();
        if (position >= 0 && static_cast<std::size_t>(position) < values.size())
            text = values[position].GetText();
        else
            text.clear();
    }
    return status;
}

CAttributeTable* CTableSet::Find(std::string_view name) const {
    for (const auto& table : tables_)
        if (EqualNoCase(table->GetName(), name)) return table.get();
    return nullptr;
}

Status CTableSet::Add(std::unique_ptr<CAttributeTable> table) {
    if (!table) return kWlxInvalidParameter;
    if (!Find(table->GetName())) tables_.push_back(std::move(table));
    return 0;
}

CAttributeTable* CTableSet::Lookup(std::string_view name) const {
    if (tables_.empty()) return nullptr;
    if (name.empty()) return tables_.size() == 1 ? tables_.front().get() : nullptr;
    return Find(name);
}

Status CTableSet::ResolveColumn(std::string& tableName, std::string_view columnName,
                                int& column) const {
    CAttributeTable* table = Lookup(tableName);
    if (!table) return kLoaderBadColumnOrTable;
    if (tableName.empty()) tableName = table->GetName();
    return table->FindColumn(columnName, column);
}

bool CTableSet::IsValidColumn(std::string_view tableName, int column) const {
    const CAttributeTable* table = Lookup(tableName);
    return table && table->IsValidColumn(column);
}

Status CTableSet::GetSchemas(CTableSchemaList& list) const {
    for (const auto& table : tables_) list.AddSchema(table->GetSchema());
    return 0;
}
