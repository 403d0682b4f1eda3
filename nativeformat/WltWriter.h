// The writer of output type L: each record becomes one or more records of a
// WLT text file. A new file starts with its header and, unless
// /NOCSMETADATA, the coordinate-system metadata as WKT; an existing one is
// checked before records are appended to it (/W:A).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "loader/core/Geometry2d.h"
#include "loader/core/TextFile.h"
#include "nativeformat/NativeWriter.h"

class CWltWriter final : public CNativeWriter {
public:
    // Rewrites the settings' output name to end in ".wlt".
    CWltWriter(CLoaderSettings* settings, Status* status, CTableSchemaList* schemas);

    // Completes the file and the exported tables.
    Status Close() override;

private:
    Status Open();
    // Reads the header of the file appended to and checks its system.
    Status CheckExistingFile();

    Status WritePoint(const CFeatureRecord& record, double x, double y, bool& written) override;
    Status WriteLineString(const CFeatureRecord& record, IWKBLineString* line,
                           bool& written) override;
    Status WritePolygon(const CFeatureRecord& record, IWKBPolygon* polygon, bool& written) override;
    Status WriteMultiLineString(const CFeatureRecord& record, IWKBMultiLineString* lines,
                                bool& written) override;
    Status WriteMultiPolygon(const CFeatureRecord& record, IWKBMultiPolygon* polygons,
                             bool& written) override;

    // The points of a line or ring as the file will hold them.
    Status TakePoints(IWKBLineString* line);
    // The exterior ring of a polygon, prepared; false when too short.
    Status TakeRing(const CFeatureRecord& record, IWKBPolygon* polygon, bool& kept);
    // One record of `kind` with the points gathered in record_.
    Status WriteRecord(const CFeatureRecord& record, char kind);
    Status WriteGathered(const CFeatureRecord& record, char kind, bool leftOut, bool& written);
    void WarnTooFew(const CFeatureRecord& record, bool section);

    std::unique_ptr<CTextFile> file_;
    int decimals_ = 7;
    bool closed_ = false;
    std::vector<CPoint2d> part_;    // the part being prepared
    std::vector<CPoint2d> record_;  // every point of the record being written
    std::string text_;
};
