// The arithmetic of drawing geometry: the stack of block transforms, arc
// points at a fixed 3-degree step, polyline bulges as arcs, and the outline
// of a wide polyline band.
#pragma once

#include <functional>
#include <vector>

#include "loader/core/PointList.h"
#include "readers/drawing/DrawingGeometry.h"

namespace dwg {

inline constexpr int kMaxDepth = 10;
inline constexpr double kPi = 3.14159265359;
inline constexpr double kTwoPi = 6.28318530718;
inline constexpr double kArcStep = 0.05235987755983;
inline constexpr double kSharpTurn = 0.5235987755983333;

// The block transforms of the open levels: level d holds the transform of the
// reference that opened level d + 1.
struct STransformStack {
    drawing::Matrix3d matrix[kMaxDepth];
    int depth = 0;

    // Innermost level first: p' = M0 M1 ... M(depth-1) p.
    drawing::Point3d Apply(const drawing::Point3d& p) const;
    // A text's height and rotation carried into model space.
    void ApplyLengthAndAngle(double& length, double& angle) const;
};

// A point of an arc's plane to model space.
using PointMapper = std::function<drawing::Point3d(const drawing::Point3d&)>;

// The points of a circular arc from `start` to `end` (radians), both ends
// included; equal angles give a full turn.
void AppendArcPoints(const drawing::Point3d& centre, double start, double end, double radius,
                     bool counterClockwise, const PointMapper& map, PointList& points);

struct SBulgeArc {
    drawing::Point3d centre;
    double radius = 0;
    double start = 0;
    double end = 0;
    bool counterClockwise = true;
};

// The arc of a polyline segment with a non-zero bulge; false when the chord is
// too short to carry one (the segment is then straight).
bool BulgeToArc(const drawing::Point3d& p1, const drawing::Point3d& p2, double bulge,
                SBulgeArc& arc);

// The points of a polyline segment from p1 to p2 after p1 itself: the arc of
// a bulge up to and including p2, or p2 alone.
void AppendSegment(const drawing::Point3d& p1, const drawing::Point3d& p2, double bulge,
                   const PointMapper& map, PointList& points);

struct SSegmentWidth {
    double start = 0;
    double end = 0;
};
using SegmentWidthList = std::vector<SSegmentWidth>;

double SegmentAngle(double x1, double y1, double x2, double y2);
// 0 ordinary, 1 and 2 turns sharper than 150 degrees (one per side), 3 collinear.
int ClassifyJoin(double incoming, double outgoing);

struct SLine {
    double slope = 0;
    double intercept = 0;
    int vertical = 0;
};
bool LineThroughPoints(double x1, double y1, double x2, double y2, SLine& line);
bool IntersectLines(const SLine& a, const SLine& b, double& x, double& y);

// The ring of the band that the widths cover along the centre line (one
// width entry per point); empty for a centre line of fewer than two points.
PointList WideLineOutline(const PointList& centre, const SegmentWidthList& widths);

}  // namespace dwg
