#include "readers/plugin/ForeignTable.h"

#include "loader/core/Messages.h"

namespace {

// The loader's column type and width of a plug-in column.
void AddColumnDefinition(CTableSchema& schema, const CFgnTblClmn& column, TFgnClmnType type) {
    TFgnFmtErr err = kFgnOk;
    const char* name = column.GetName(err);
    std::int32_t loaderType = kColumnInt;
    std::int32_t width = 0;
    // 6 is no column class of the contract.
    switch (static_cast<std::int32_t>(type)) {
        case kFgnClmnInt2:
        case kFgnClmnLgcl:
            break;
        case kFgnClmnInt4:
            loaderType = kColumnLong;
            break;
        case kFgnClmnFloat:
        case kFgnClmnDbl:
        case 6:
            loaderType = kColumnDouble;
            break;
        case kFgnClmnDte:
            loaderType = kColumnText;
            break;
        case kFgnClmnChar:
            loaderType = kColumnText;
            width = static_cast<const CFgnTblClmnChar&>(column).GetWidth(err);
            break;
        default:
            break;
    }
    schema.AddColumn(name ? name : "", width, 0, loaderType);
}

// A value as the loader appends it; none for the column type that has no values.
bool LoaderValue(const CFgnTblData* data, TFgnClmnType type, CFieldValue& value) {
    if (!data) return false;
    TFgnFmtErr err = kFgnOk;
    switch (type) {
        case kFgnClmnInt2:
            value = MakeIntFieldValue(static_cast<const CFgnTblDataInt2*>(data)->GetData(err));
            return true;
        case kFgnClmnInt4:
            value = MakeLongFieldValue(static_cast<const CFgnTblDataInt4*>(data)->GetData(err));
            return true;
        case kFgnClmnFloat:
            value = MakeDoubleFieldValue(static_cast<const CFgnTblDataFloat*>(data)->GetData(err));
            return true;
        case kFgnClmnDbl:
            value = MakeDoubleFieldValue(static_cast<const CFgnTblDataDbl*>(data)->GetData(err));
            return true;
        case kFgnClmnDte: {
            const char* text = static_cast<const CFgnTblDataDte*>(data)->GetData(err);
            value = MakeTextFieldValue(text ? text : "");
            return true;
        }
        case kFgnClmnChar: {
            const char* text = static_cast<const CFgnTblDataChar*>(data)->GetData(err);
            value = MakeTextFieldValue(text ? text : "");
            return true;
        }
        case kFgnClmnLgcl:
            value = MakeIntFieldValue(
                static_cast<signed char>(static_cast<const CFgnTblDataLgcl*>(data)->GetData(err)));
            return true;
        default:
            return false;
    }
}

}  // namespace

CForeignTable::CForeignTable(const char* name, const CFgnTbl* table, CFgnReader* reader,
                             int position)
    : CAttributeSource(name ? name : ""), reader_(reader), position_(position) {
    TFgnFmtErr err = kFgnOk;
    const std::list<const CFgnTblClmn*>* columns = table ? table->GetColumns(err) : nullptr;
    if (!columns || err != kFgnOk) return;
    for (const CFgnTblClmn* column : *columns) {
        if (!column) continue;
        const TFgnClmnType type = column->GetType(err);
        if (column->GetKey(err) == kFgnTrue) keyColumn_ = types_.size();
        types_.push_back(type);
        AddColumnDefinition(GetSchema(), *column, type);
    }
}

Status CForeignTable::BuildIndex() {
    if (!reader_) return kWlxReadError;
    if (reader_->RewindTable() != kFgnOk) return kWlxReadError;
    for (int i = 0; i < position_; ++i)
        if (reader_->StepTable() != kFgnOk) return kWlxReadError;
    TFgnFmtErr err = kFgnOk;
    CFgnTbl* table = reader_->GetCurrentTable(err);
    if (err != kFgnOk || !table || table->RewindRow() != kFgnOk) return kWlxReadError;
    while (table->DoneRow(err) != kFgnTrue) {
        const std::list<const CFgnTblData*>* values = table->GetCurrentRow(err);
        if (err != kFgnOk) return kWlxReadError;
        std::vector<CFieldValue> row;
        std::string key;
        bool keyFound = false;
        std::size_t column = 0;
        if (values) {
            for (const CFgnTblData* data : *values) {
                if (column >= types_.size()) break;
                CFieldValue value;
                const bool appended = LoaderValue(data, types_[column], value);
                if (column == keyColumn_ && data) {
                    // The column type without values keys as the empty text.
                    keyFound = true;
                    if (appended) key = value.GetText();
                }
                if (appended) row.push_back(std::move(value));
                ++column;
            }
        }
        if (keyFound && rowOfKey_.try_emplace(std::move(key), rows_.size()).second)
            rows_.push_back(std::move(row));
        if (table->StepRow() != kFgnOk) return kWlxReadError;
    }
    return 0;
}

Status CForeignTable::FillRow(const char* key, CTableRow& row) {
    if (!indexed_) {
        indexed_ = true;
        indexStatus_ = BuildIndex();
        if (indexStatus_ != 0) {
            rows_.clear();
            rowOfKey_.clear();
        }
    }
    if (indexStatus_ != 0) return indexStatus_;
    const auto it = rowOfKey_.find(key ? key : "");
    if (it == rowOfKey_.end()) return 1;
    for (const CFieldValue& value : rows_[it->second]) row.Append(value);
    return 0;
}
