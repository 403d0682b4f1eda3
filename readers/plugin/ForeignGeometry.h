// The points of the plug-ins' entities and geometry pieces as the loader's
// objects take them: every point through the nesting transforms, arcs
// stroked in steps of 3 degrees.
#pragma once

#include <vector>

#include "common/Status.h"
#include "foreign/Foreign.h"
#include "geometry/WkbGeometry.h"
#include "loader/core/PointList.h"
#include "platform/ComPtr.h"
#include "readers/plugin/CellNesting.h"

namespace foreign {

inline constexpr double kDegreesToRadians = 0.017453292519944444;
inline constexpr double kTwoPi = 6.28318530718;
// 3 degrees.
inline constexpr double kArcStep = 0.05235987755983;

struct SArc {
    double cx = 0.0;
    double cy = 0.0;
    double start = 0.0;  // degrees
    double end = 0.0;
    double xRadius = 0.0;
    double yRadius = 0.0;
    bool counterClockwise = true;
};

// Appends the arc's points, untransformed: its start, every 3-degree step of
// its sweep and its end; a start equal to its end is the whole ellipse, a
// zero semi-axis gives the center alone.
void StrokeArc(const SArc& arc, PointList& points);

// The entity's point through the transforms; false for a null point.
bool TransformedPoint(const CFgnPt* pt, const CCellNestingState& nesting, CPoint2d& out);
// Appends a list's points (null is empty); false for a null point in it.
bool AppendPoints(const std::list<const CFgnPt*>* pts, const CCellNestingState& nesting,
                  PointList& points);
// Appends an arc of the entity or a piece; false when it has no center.
template <class ArcLike>
bool AppendArc(const ArcLike& arc, const CCellNestingState& nesting, PointList& points) {
    TFgnFmtErr err = kFgnOk;
    const CFgnPt* center = arc.GetCenterPt(err);
    if (!center) return false;
    SArc a;
    a.cx = center->GetX(err);
    a.cy = center->GetY(err);
    TFgnBool ccw = kFgnFalse;
    arc.GetDefinition(a.start, a.end, a.xRadius, a.yRadius, ccw);
    a.counterClockwise = ccw == kFgnTrue;
    const std::size_t first = points.size();
    StrokeArc(a, points);
    for (std::size_t i = first; i < points.size(); ++i)
        points[i] = nesting.Transform(points[i].x, points[i].y);
    return true;
}

// The points of each piece of a compound line or polygon, in order;
// kLoaderInputReadError for a piece of another kind or without its points.
Status CollectPieces(const std::list<const CFgnGeom*>* pieces, const CCellNestingState& nesting,
                     std::vector<PointList>& parts);

HRESULT MakeMultiPoint(IWKBGeometryFactory* factory, const PointList& points,
                       ComPtr<IWKBGeometry>& out);

}  // namespace foreign
