// The test tool's listing of a drawing: every entity of model space and paper
// space with its handle, layer, class and world coordinates; block
// references are listed and then exploded (down to 10 levels), their
// entities carrying the reference's handle and, on layer "0", its layer.
#pragma once

#include <string>
#include <vector>

#include "readers/drawing/DrawingDatabase.h"

namespace drawingtest {

using drawing::Matrix3d;
using drawing::Point3d;
using drawing::Vector3d;

enum class EDumpShape {
    kNone,    // no geometry listed (kinds the reader does not convert)
    kAnchor,  // points[0]: a point, a text's position (its alignment point follows), an insertion
              // point
    kPath,    // points: vertices or corners in order
    kCircle,  // a circle or arc: see circle* below
    kEllipse,
    kSpline,
};

struct DumpEntry {
    std::string handle;  // of the top-level entity
    std::string layer;
    std::string className;
    bool paperSpace = false;
    int depth = 0;  // block levels above the entity
    EDumpShape shape = EDumpShape::kNone;
    std::vector<Point3d> points;  // world coordinates; for curves their start and end
    // Block coordinates to world coordinates (identity at depth 0).
    Matrix3d toWorld;
    // Circles and arcs in block coordinates: object coordinate system, centre in it, radius.
    Matrix3d ocs;
    Point3d ocsCenter;
    double radius = 0;
    // Ellipses in block coordinates.
    Point3d center;
    Vector3d major;
    Vector3d minor;
    const drawing::CSpline* spline = nullptr;
};

std::vector<DumpEntry> DumpDrawing(const drawing::CDatabase& database);
// One line per entry: handle, layer, class, "paper" for paper space, points.
std::string FormatDump(const std::vector<DumpEntry>& entries);

// The inverse of an affine transform (rows 0 to 2).
Matrix3d InverseAffine(const Matrix3d& m);

}  // namespace drawingtest
