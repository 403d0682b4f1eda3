#include "loader/NullWriter.h"

#include "loader/FeatureRecord.h"
#include "loader/LoaderSettings.h"
#include "loader/SymbolMetafileWriter.h"

CNullWriter::CNullWriter(CLoaderSettings* settings, Status* status, CTableSchemaList* schemas)
    : CWriterBase(settings, status, schemas) {}

Status CNullWriter::Write(CFeatureRecord* record) {
    if (const Status status = WriteAttributes(record)) return status;
    if (CSymbolMetafileWriter* symbol = record->GetSymbolMetafile()) {
        if (const Status status = symbol->CloseMetafile()) return status;
        ++settings_->metafilesCreated;
    }
    IWKBGeometry* geometry = record->PeekGeometry();
    EWKBGeometryType type{};
    if (!geometry || Failed(geometry->GetType(&type))) return 0;
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
            return 0;  // multipoints and collections are not counted
    }
    ++*counter;
    ++settings_->totalWritten;
    return 0;
}

Status CNullWriter::Close() {
    return CloseTableWriters();
}
