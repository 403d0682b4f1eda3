// Reduces the point count of every object read, in place in its geometry:
// /GENERALIZE keeps a percentage of each line's points, /MAXPOINTS caps the
// points of a line or ring and of a whole multi-geometry.
#pragma once

#include <vector>

#include "common/Status.h"
#include "geometry/WkbGeometry.h"
#include "platform/ComPtr.h"

class CLoaderSettings;
class CFeatureRecord;

class CPointReducer {
public:
    // Most points of a single line or ring, and of a whole object.
    static constexpr int kPartLimit = 65535;
    static constexpr int kObjectLimit = 2097152;

    CPointReducer(CLoaderSettings* settings, int maximumPoints);
    virtual ~CPointReducer() = default;

    // Reduces the record's geometry; failures of the geometry are returned.
    Status Reduce(CFeatureRecord* record, double percent);
    Status ReduceGeometry(IWKBGeometry* geometry, double percent);
    Status ReduceLineByPercent(IWKBLineString* line, double percent, int cap, bool ring);
    Status ReduceLineToCount(IWKBLineString* line, int target, int cap, bool ring);

    int ObjectMaximum() const { return objectMaximum_; }
    int PartMaximum() const { return partMaximum_; }

private:
    Status Reduce(IWKBGeometry* geometry, double percent, int depth);
    Status ReducePolygonRings(IWKBPolygon* polygon, double percent);
    Status ReduceMultiLine(IWKBMultiLineString* lines, double percent);
    Status ReduceMultiPolygon(IWKBMultiPolygon* polygons, double percent);
    Status ReduceParts(const std::vector<ComPtr<IWKBLineString>>& lines,
                       const std::vector<bool>& rings, double percent);
    void WarnOnce();

    int objectMaximum_;
    int partMaximum_;
    int warned_ = 0;
    CLoaderSettings* settings_;
};
