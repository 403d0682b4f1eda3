// The BNA text format: records of one header line
//   "name","(dropped)","key","layer", count
// followed by abs(count) coordinate lines "x, y". The count gives the kind:
// 1 a point, -2 or less a line, 4 or more polygon rings, anything else
// nothing that converts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/Status.h"
#include "loader/core/LineSource.h"
#include "loader/core/PointList.h"

// Also the kind of the feature key the filter is asked with.
enum EBnaKind : int {
    kBnaNone = 0,
    kBnaPoint = 1,
    kBnaLine = 2,
    kBnaPolygon = 3,
};

struct BnaHeader {
    int fieldCount = 0;  // quoted fields found, 0 to 4
    std::string name;    // field 1
    std::string key;     // field 3 (field 2 is dropped)
    std::string layer;   // field 4, trimmed; empty when absent
    std::int32_t count = 0;

    bool HasName() const { return fieldCount >= 1; }
    bool HasKey() const { return fieldCount >= 3; }
    EBnaKind Kind() const;
    // The number of coordinate lines that follow the header.
    std::int64_t LineCount() const;
};

// kWlxReadError when the line holds no count behind its quoted fields.
Status ParseBnaHeader(std::string_view line, BnaHeader& header);
// kWlxReadError unless the line holds two numbers separated by a comma.
Status ParseBnaCoordinate(std::string_view line, CPoint2d& point);

// The next header; kWlxEndOfData when no record is left.
Status ReadBnaHeader(CLineSource& source, BnaHeader& header);
// The record's coordinate lines. The input ending inside the record is
// kWlxUnexpectedEof.
Status ReadBnaCoordinates(CLineSource& source, const BnaHeader& header, PointList& points);
// Passes over the record's coordinate lines, read as ReadBnaCoordinates
// reads them (blank lines are not counted).
Status SkipBnaCoordinates(CLineSource& source, const BnaHeader& header);

// The rings of a polygon record: the first ring ends where a point repeats
// the record's first point, and so does every later one; what is left open
// at the end is one more ring.
std::vector<PointList> SplitBnaRings(const PointList& points);
