// The extent of a geometry of any of the seven types.
#pragma once

#include "common/Status.h"
#include "geometry/WkbGeometry.h"
#include "loader/core/Geometry2d.h"

// Widens the extent by every point of the geometry: members, and every ring
// of a polygon, included. A failing query of the geometry is returned.
Status ComputeGeometryExtent(CExtent2d& extent, IWKBGeometry* geometry);
