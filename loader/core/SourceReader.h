// The base of every reader: a reader fills one record per call from its input.
#pragma once

#include <string>

#include "common/Status.h"
#include "geometry/WkbGeometry.h"
#include "loader/core/ObjectKeyGenerator.h"
#include "platform/ComPtr.h"

class CLoaderSettings;
class CFeatureRecord;
class CFileInfo;
class CTableSchemaList;

class CSourceReaderInterface {
public:
    virtual ~CSourceReaderInterface() = default;
    // Back to the first object.
    virtual Status Rewind() = 0;
    // 0 with the record filled; kWlxEndOfData or kLoaderNoMoreObjects at the
    // end of input; negative on failure.
    virtual Status ReadNext(CFeatureRecord* record) = 0;
    // Non-zero when no object is left.
    virtual int AtEnd() = 0;
    virtual Status GetTableSchemas(CTableSchemaList* schemas) = 0;
    virtual Status GetFileInfo(CFileInfo* info) = 0;
};

class CSourceReader : public CSourceReaderInterface {
public:
    // Creates the geometry factory; `status` is kLoaderComUnavailable when
    // the geometry server cannot be reached.
    CSourceReader(CLoaderSettings* settings, Status* status);

    // No tables of its own.
    Status GetTableSchemas(CTableSchemaList* schemas) override;
    // Readers that can describe their input say so.
    Status GetFileInfo(CFileInfo* info) override;

protected:
    // A key unique within the run, for objects whose input gives none.
    std::string MakeObjectKey() { return keyGenerator_.MakeObjectKey(); }
    // Prints a warning and sets the run's warnings flag.
    void ShowWarning(const std::string& text);
    // Warns of `count` objects of `type` skipped, when there were any.
    void ReportSkipped(long count, const char* type);

    CLoaderSettings* settings_;
    ComPtr<IWKBGeometryFactory> factory_;

private:
    CObjectKeyGenerator keyGenerator_;
};
