#include "loader/core/FeatureWriter.h"

#include <filesystem>
#include <system_error>

#include "loader/core/EntityStyle.h"
#include "loader/core/FeatureRecord.h"
#include "loader/core/LoaderSettings.h"
#include "loader/core/Messages.h"
#include "loader/core/ReporterInterface.h"
#include "loader/core/SymbolMetafileWriter.h"
#include "loader/core/TableWriter.h"
#include "loader/core/Utf8Text.h"

namespace {

enum : int { kExportSql = 1, kExportCsv = 2 };

}  // namespace

CFeatureWriter::CFeatureWriter(CLoaderSettings* settings, Status* status) : settings_(settings) {
    if (status) *status = settings ? 0 : kWlxWriteError;
}

void CFeatureWriter::ShowWarning(const std::string& text) {
    if (settings_->reporter) settings_->reporter->ShowWarning(text.c_str());
    settings_->warnings = 1;
}

void CFeatureWriter::WarnTooFewPoints(const char* name, const char* key, bool section) {
    const auto& message = section ? kMsgSectionTooFewPoints : kMsgTooFewPoints;
    ShowWarning(Format(message, name ? name : "", key ? key : ""));
}

CWriterBase::CWriterBase(CLoaderSettings* settings, Status* status, CTableSchemaList* schemas)
    : CFeatureWriter(settings, status) {
    if (status && *status == 0) *status = CreateTableWriters(schemas);
}

Status CWriterBase::CreateTableWriters(CTableSchemaList* schemas) {
    if (!schemas) return kWlxWriteError;
    if (settings_->styleTables) {
        for (auto schema : {MakeSymbolStyleSchema(), MakeTextStyleSchema(),
                            MakePolylineStyleSchema(), MakePolygonStyleSchema()})
            schemas->AddSchema(*schema);
    }
    const int kind = settings_->tableExportKind;
    if (kind != kExportSql && kind != kExportCsv) return 0;
    // Objects appended to a map keep the rows of those already in it.
    std::error_code error;
    const bool append = UpperAscii(settings_->overwriteAction) == 'A' &&
                        std::filesystem::exists(settings_->outputName, error);
    for (const auto& schema : schemas->GetSchemas()) {
        const std::string& name = schema->GetName();
        std::unique_ptr<CTableWriter> writer;
        if (kind == kExportCsv)
            writer = std::make_unique<CCsvTableWriter>(settings_->outputName, *schema, name,
                                                       settings_->xyColumns != 0, append);
        else
            writer = std::make_unique<CSqlTableWriter>(settings_->outputName, *schema, name,
                                                       settings_->xyColumns != 0, append);
        if (const CAttributeTable* taken = tableWriters_.Find(name)) {
            // Two tables of one name would share one file: the reader's table
            // clashes with a style table.
            if (settings_->reporter)
                settings_->reporter->ShowError(
                    Format(kMsgStyleTableNameTaken, taken->GetName().c_str()).c_str());
            return kWlxElementAlreadyDefined;
        }
        if (const Status status = tableWriters_.Add(std::move(writer))) return status;
    }
    return 0;
}

Status CWriterBase::WriteAttributes(CFeatureRecord* record) {
    if (!record) return kWlxWriteError;
    const CAttributeValueSet* values = record->GetAttributes();
    if (!values) return 0;
    for (const auto& row : values->GetRows()) {
        auto* writer = dynamic_cast<CTableWriter*>(tableWriters_.Find(row->GetTableName()));
        if (!writer) continue;
        if (const Status status = writer->WriteRow(*row, *record)) return status;
    }
    return 0;
}

Status CWriterBase::WriteAttributesAndSymbol(CFeatureRecord* record) {
    if (const Status status = WriteAttributes(record)) return status;
    if (CSymbolMetafileWriter* symbol = record->GetSymbolMetafile()) {
        if (const Status status = symbol->CloseMetafile()) return status;
        ++settings_->metafilesCreated;
    }
    return 0;
}

void CWriterBase::CountWritten(EWKBGeometryType type) {
    std::int32_t* counter = nullptr;
    switch (type) {
        case kWkbPoint:
            counter = &settings_->pointsWritten;
            break;
        case kWkbLineString:
            counter = &settings_->polylinesWritten;
            break;
        case kWkbPolygon:
            counter = &settings_->polygonsWritten;
            break;
        case kWkbMultiLineString:
            counter = &settings_->polypolylinesWritten;
            break;
        case kWkbMultiPolygon:
            counter = &settings_->polypolygonsWritten;
            break;
        default:
            return;
    }
    ++*counter;
    ++settings_->totalWritten;
}

Status CWriterBase::CloseTableWriters() {
    Status first = 0;
    for (const auto& table : tableWriters_.GetTables()) {
        const Status status = static_cast<CTableWriter&>(*table).Close();
        if (first == 0) first = status;
    }
    return first;
}
