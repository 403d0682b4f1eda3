// The writer of output type O: no map file; it exports the attribute tables,
// completes block symbols and counts the objects for the summary.
#pragma once

#include "loader/core/FeatureWriter.h"

class CNullWriter final : public CWriterBase {
public:
    CNullWriter(CLoaderSettings* settings, Status* status, CTableSchemaList* schemas);

    Status Write(CFeatureRecord* record) override;
    // Completes the exported tables.
    Status Close() override;
};
