// What the WLX and WLT writers share: each record's attribute rows and block
// symbol, then its geometry by type, a multipoint as one point per member and
// a collection member by member, and the summary counters of what was
// written.
#pragma once

#include "geometry/WkbGeometry.h"
#include "loader/core/FeatureWriter.h"

class CNativeWriter : public CWriterBase {
public:
    Status Write(CFeatureRecord* record) override;

protected:
    CNativeWriter(CLoaderSettings* settings, Status* status, CTableSchemaList* schemas);

    // Each writes one object of its type; `written` is false when the object
    // had too few points to be written (the writer has warned).
    virtual Status WritePoint(const CFeatureRecord& record, double x, double y, bool& written) = 0;
    virtual Status WriteLineString(const CFeatureRecord& record, IWKBLineString* line,
                                   bool& written) = 0;
    virtual Status WritePolygon(const CFeatureRecord& record, IWKBPolygon* polygon,
                                bool& written) = 0;
    virtual Status WriteMultiLineString(const CFeatureRecord& record, IWKBMultiLineString* lines,
                                        bool& written) = 0;
    virtual Status WriteMultiPolygon(const CFeatureRecord& record, IWKBMultiPolygon* polygons,
                                     bool& written) = 0;

    // Only exterior rings are written; says so once per run.
    void WarnInteriorRings(const CFeatureRecord& record);

private:
    Status WriteGeometry(const CFeatureRecord& record, IWKBGeometry* geometry);

    bool ringsWarned_ = false;
};
