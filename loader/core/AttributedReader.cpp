#include "loader/core/AttributedReader.h"

#include "loader/core/FeatureRecord.h"
#include "loader/core/LoaderSettings.h"
#include "loader/core/Messages.h"
#include "loader/core/ReporterInterface.h"
#include "loader/core/Utf8Text.h"

namespace {

// Foreign tables answer 1 when no row matches; like a missing row, it is no failure.
bool IsNoData(Status status) {
    return status == kLoaderNoAttributeData || status > 0;
}

}  // namespace

CAttributedReader::CAttributedReader(CLoaderSettings* settings, Status* status)
    : CSourceReader(settings, status) {}

Status CAttributedReader::GetTableSchemas(CTableSchemaList* schemas) {
    if (!schemas) return kWlxInvalidParameter;
    return tables_ ? tables_->GetSchemas(*schemas) : 0;
}

Status CAttributedReader::ParseTemplates() {
    nameTemplate_.Parse(settings_->nameTemplate);
    keyTemplate_.Parse(settings_->keyTemplate);
    linkTemplate_.Parse(settings_->linkTemplate);
    for (CColKeyTemplate* templ : {&nameTemplate_, &keyTemplate_, &linkTemplate_})
        if (const Status status = templ->Validate(tables_.get())) return status;
    return 0;
}

Status CAttributedReader::ReadTemplateColumns(const char* key, CTemplateRows& rows) {
    rows.Clear();
    for (const CColKeyTemplate* templ : {&nameTemplate_, &keyTemplate_, &linkTemplate_}) {
        for (const CColKeyItem& item : templ->GetItems()) {
            if (item.kind == kColKeyText || rows.Has(item.table)) continue;
            auto* source =
                tables_ ? dynamic_cast<CAttributeSource*>(tables_->Find(item.table)) : nullptr;
            if (!source) return kLoaderBadColumnOrTable;
            auto row = MakeCounted<CTableRow>();
            const Status status = source->FillRow(key, *row);
            std::vector<std::string> values;
            if (status == 0) {
                for (const auto& value : row->GetValues()) values.push_back(value.GetText());
            } else if (IsNoData(status)) {
                if (!tableWarningGiven_ && settings_->reporter) {
                    tableWarningGiven_ = true;
                    settings_->warnings = 1;
                    settings_->reporter->ShowWarning(
                        Format(kMsgTableDataNotAvailable, source->GetName().c_str()).c_str());
                }
            } else {
                return status;
            }
            rows.SetRow(item.table, std::move(values));
        }
    }
    return 0;
}

Status CAttributedReader::ComposeKeyNameLink(const char* defaultKey, CFeatureRecord* record) {
    if (!record) return kWlxInvalidParameter;
    CTemplateRows rows;
    if (const Status status = ReadTemplateColumns(defaultKey, rows)) return status;
    std::string text;
    if (!nameTemplate_.IsEmpty()) {
        if (const Status status = ComposeTemplate(nameTemplate_, rows, text)) return status;
        record->SetName(text);
    }
    if (!linkTemplate_.IsEmpty()) {
        if (const Status status = ComposeTemplate(linkTemplate_, rows, text)) return status;
        record->SetLink(text);
    }
    text.clear();
    if (!keyTemplate_.IsEmpty())
        if (const Status status = ComposeTemplate(keyTemplate_, rows, text)) return status;
    record->SetKey(text.empty() && defaultKey ? std::string_view(defaultKey)
                                              : std::string_view(text));
    return 0;
}

Status CAttributedReader::ComposeAttributes(const char* key, CFeatureRecord* record) {
    if (settings_->tableExportKind == 0) return 0;
    if (!tables_) return kWlxReadError;
    if (!record) return kWlxInvalidParameter;
    auto values = std::make_unique<CAttributeValueSet>();
    Status result = 0;
    for (const auto& table : tables_->GetTables()) {
        if (!settings_->tablesToExport.Accepts(table->GetName().c_str())) continue;
        auto* source = dynamic_cast<CAttributeSource*>(table.get());
        if (!source) continue;
        auto row = MakeCounted<CTableRow>();
        Status status = source->FillRow(key, *row);
        if (status == 0 && !row->GetValues().empty()) {
            row->SetTableName(table->GetName());
            values->AddRow(*row);
        }
        if (status == 1 || status == kLoaderNoAttributeData) status = 0;
        if (result == 0) result = status;
    }
    if (result == 0 && settings_->styleTables) {
        if (const CEntityStyle* style = record->GetStyle()) {
            auto row = style->MakeRow();
            values->AddRow(*row);
        }
    }
    record->SetAttributes(std::move(values));
    return result;
}
