// Taking points out of the geometry server's objects into the flat point
// arrays of the native files (loader/core/PointGeometry.h makes objects of them).
#pragma once

#include <cstdint>
#include <vector>

#include "common/Status.h"
#include "geometry/WkbGeometry.h"
#include "loader/core/Geometry2d.h"
#include "loader/core/GeometryMembers.h"
#include "platform/ComPtr.h"

// A failed call of the geometry server as a loader status.
inline Status GeometryStatus(HRESULT hr) {
    return Succeeded(hr) ? 0 : static_cast<Status>(hr);
}

// Appends the line's points as x, y pairs.
Status AppendLinePoints(IWKBLineString* line, std::vector<double>& xy);
// The polygon's exterior ring (empty when it has none) and whether it has
// interior rings.
Status GetExteriorRing(IWKBPolygon* polygon, ComPtr<IWKBLineString>& ring, bool& hasHoles);
