// The base of every output writer. Every writer, the null writer of output
// type O included, exports each object's attribute rows (/TABLE) before it
// writes the object itself.
#pragma once

#include <string>

#include "common/Status.h"
#include "geometry/WkbGeometry.h"
#include "loader/core/AttributeTable.h"

class CLoaderSettings;
class CFeatureRecord;

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
    // Shows the text through the reporter and marks the run as warned.
    void ShowWarning(const std::string& text);
    // kMsgTooFewPoints, or kMsgSectionTooFewPoints when only a section of the
    // object is too short.
    void WarnTooFewPoints(const char* name, const char* key, bool section);

    CLoaderSettings* settings_;
};

class CWriterBase : public CFeatureWriter {
public:
    // `schemas`: the reader's tables, for the table writers of /TABLE.
    CWriterBase(CLoaderSettings* settings, Status* status, CTableSchemaList* schemas);
    // Exports the record's attribute rows, each through the table writer of
    // its table; rows of tables without a writer are skipped.
    virtual Status WriteAttributes(CFeatureRecord* record);

protected:
    // What comes of a record before its geometry: its attribute rows, then
    // its block symbol completed and counted.
    Status WriteAttributesAndSymbol(CFeatureRecord* record);
    // Counts an object written of the type; multipoints and collections have
    // no count of their own.
    void CountWritten(EWKBGeometryType type);

    // One table writer per schema (with :STYLE, the four style tables after
    // the reader's), CSV or SQL by the table-export kind. A reader table
    // named like a style table gives kWlxElementAlreadyDefined.
    Status CreateTableWriters(CTableSchemaList* schemas);
    // Completes the exported files; the first failure.
    Status CloseTableWriters();

private:
    CTableSet tableWriters_;
};
