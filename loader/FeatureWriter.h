// The base of every output writer.
#pragma once

#include "loader/Status.h"

class CLoaderSettings;
class CFeatureRecord;
class CTableSchemaList;

class CFeatureWriterInterface {
public:
    virtual ~CFeatureWriterInterface() = default;
    virtual Status Write(CFeatureRecord* record) = 0;
    virtual Status Close() = 0;
};

class CFeatureWriter : public CFeatureWriterInterface {
public:
    // A null settings pointer gives kWlxWriteError.
    CFeatureWriter(CLoaderSettings* settings, Status* status);

protected:
    CLoaderSettings* settings_;
};

class CWriterBase : public CFeatureWriter {
public:
    // `schemas`: the reader's tables, for the table writers of /TABLE.
    CWriterBase(CLoaderSettings* settings, Status* status, CTableSchemaList* schemas);
    // Exports the record's attribute rows.
    virtual Status WriteAttributes(CFeatureRecord* record);
};
