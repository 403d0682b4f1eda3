#include "loader/FeatureWriter.h"

CFeatureWriter::CFeatureWriter(CLoaderSettings* settings, Status* status) : settings_(settings) {
    if (status) *status = settings ? 0 : kWlxWriteError;
}

CWriterBase::CWriterBase(CLoaderSettings* settings, Status* status, CTableSchemaList*)
    : CFeatureWriter(settings, status) {}

Status CWriterBase::WriteAttributes(CFeatureRecord* record) {
    return record ? 0 : kWlxWriteError;
}
