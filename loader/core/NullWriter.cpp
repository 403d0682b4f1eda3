#include "loader/core/NullWriter.h"

#include "loader/core/FeatureRecord.h"
#include "loader/core/LoaderSettings.h"

CNullWriter::CNullWriter(CLoaderSettings* settings, Status* status, CTableSchemaList* schemas)
    : CWriterBase(settings, status, schemas) {}

Status CNullWriter::Write(CFeatureRecord* record) {
    if (const Status status = WriteAttributesAndSymbol(record)) return status;
    IWKBGeometry* geometry = record->PeekGeometry();
    EWKBGeometryType type{};
    if (geometry && Succeeded(geometry->GetType(&type))) CountWritten(type);
    return 0;
}

Status CNullWriter::Close() {
    return CloseTableWriters();
}
