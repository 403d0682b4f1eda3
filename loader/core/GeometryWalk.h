// Visits every point of a geometry of any of the seven types: members in
// order, a polygon's exterior ring before its interior rings.
#pragma once

#include <functional>

#include "common/Status.h"
#include "geometry/WkbGeometry.h"

// `visit` may change the coordinates; with `update` they are written back.
// The first non-zero status (of `visit` or of the geometry) stops the walk
// and is returned.
using PointVisitor = std::function<Status(double& x, double& y)>;
Status VisitGeometryPoints(IWKBGeometry* geometry, bool update, const PointVisitor& visit);
