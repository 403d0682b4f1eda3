// One record of a shapefile's main file: its shape type, the kind of object
// it makes, and its geometry as little-endian WKB, which the geometry factory
// takes in one call. Every count and part index is checked against the
// record's length before anything is read or allocated.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "common/Status.h"

enum EShapeType : std::int32_t {
    kShapeNull = 0,
    kShapePoint = 1,
    kShapePolyLine = 3,
    kShapePolygon = 5,
    kShapeMultiPoint = 8,
    kShapePointZ = 11,
    kShapePolyLineZ = 13,
    kShapePolygonZ = 15,
    kShapeMultiPointZ = 18,
    kShapePointM = 21,
    kShapePolyLineM = 23,
    kShapePolygonM = 25,
    kShapeMultiPointM = 28,
    kShapeMultiPatch = 31,
};

// What a record becomes.
enum class EShapeKind {
    kPoint,         // point
    kMultiPoint,    // multipoint
    kLine,          // line string
    kMultiLine,     // multi line string, one member per part
    kPolygon,       // polygon with the part as exterior ring
    kMultiPolygon,  // multipolygon, one polygon per part
    kSkipped,       // null and multipatch shapes, and shapes without parts
};

class CShapeRecord {
public:
    // Classifies the content of a record (from its shape type on) and checks
    // that it holds what its counts say. kWlxBadFormat when it does not.
    Status Parse(std::span<const std::uint8_t> content);

    EShapeKind GetKind() const { return kind_; }
    std::int32_t GetShapeType() const { return shapeType_; }
    // A Z or M shape, read as its 2-D type: the Z and M values are dropped.
    bool HasZOrM() const { return hasZOrM_; }
    bool IsMultiPatch() const { return shapeType_ == kShapeMultiPatch; }
    // The object kind the object filter judges: 1 point, 2 line, 3 polygon, 0 none.
    int GetFeatureKind() const;
    // The geometry as WKB (little-endian), replacing what the buffer held.
    void BuildWkb(std::vector<std::uint8_t>& wkb) const;

private:
    std::span<const std::uint8_t> content_;
    EShapeKind kind_ = EShapeKind::kSkipped;
    std::int32_t shapeType_ = kShapeNull;
    bool hasZOrM_ = false;
    std::uint32_t partCount_ = 0;
    std::uint32_t pointCount_ = 0;
    std::size_t partsAt_ = 0;
    std::size_t pointsAt_ = 0;
};
