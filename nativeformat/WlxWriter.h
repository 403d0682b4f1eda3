// The writer of output type S: each record becomes one or more records of a
// WLX file, each with an entry in the spatial index (.sif) and, with /KIF, in
// the key index (.kif). A new file is stamped with its description,
// precision, index parameters and coordinate-system metadata; an existing one
// is checked before records are appended to it (/W:A).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "nativeformat/KeyIndexFile.h"
#include "nativeformat/NativeWriter.h"
#include "nativeformat/SpatialIndexFile.h"
#include "nativeformat/WlxFile.h"

class CWlxWriter final : public CNativeWriter {
public:
    // Rewrites the settings' output name to end in ".wlx" and sets the .sif
    // and .kif names beside it.
    CWlxWriter(CLoaderSettings* settings, Status* status, CTableSchemaList* schemas);
    ~CWlxWriter() override;

    // Runs the spatial index's integrity test (unless /NOTEST), then
    // completes the WLX file, both indexes and the exported tables.
    Status Close() override;

private:
    Status Open();
    // A writer that could not be set up leaves no file it created behind.
    void DiscardNewFiles();
    Status StampNewFile();
    Status CheckExistingFile();

    Status WritePoint(const CFeatureRecord& record, double x, double y, bool& written) override;
    Status WriteLineString(const CFeatureRecord& record, IWKBLineString* line,
                           bool& written) override;
    Status WritePolygon(const CFeatureRecord& record, IWKBPolygon* polygon, bool& written) override;
    Status WriteMultiLineString(const CFeatureRecord& record, IWKBMultiLineString* lines,
                                bool& written) override;
    Status WriteMultiPolygon(const CFeatureRecord& record, IWKBMultiPolygon* polygons,
                             bool& written) override;

    // Add a line or the polygon's exterior ring to the scratch arrays as one
    // part, unless it is too short to be written.
    Status AddPart(IWKBLineString* line, bool ring, bool& added);
    Status AddExteriorRing(const CFeatureRecord& record, IWKBPolygon* polygon, bool& added);
    // Writes the parts gathered in the scratch arrays as one record of
    // `recordType`, warning when there is none or when `leftOut` parts were
    // too short.
    Status WriteParts(const CFeatureRecord& record, int recordType, bool leftOut, bool& written);
    // An object the file refused but could skip (too many points or parts, a
    // coordinate that is not finite) is left out with a warning; any other
    // status is returned.
    Status SkipUnwritable(const CFeatureRecord& record, Status status);
    // The index entries of a record just written.
    Status Index(const CFeatureRecord& record, int recordType, const double extent[4],
                 std::uint32_t offset);
    // Before a record of `extent` (null at the end) is written: the spatial
    // index takes the entry it holds back, then the key index the key of the
    // same record. A failure then stops the run before the next record, with
    // both indexes alike.
    Status SettleIndexes(const double* extent);

    std::unique_ptr<CWlxFile> file_;
    std::unique_ptr<CSpatialIndexFile> spatialIndex_;
    std::unique_ptr<CKeyIndexFile> keyIndex_;
    bool closed_ = false;
    // The key of the record whose spatial entry is held back.
    std::string heldKey_;
    std::uint32_t heldOffset_ = 0;
    // The object being written: x, y pairs, and the point count of each part.
    std::vector<double> points_;
    std::vector<std::uint32_t> counts_;
};
