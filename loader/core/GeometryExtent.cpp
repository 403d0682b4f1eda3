#include "loader/core/GeometryExtent.h"

#include <algorithm>

#include "loader/core/GeometryWalk.h"

Status ComputeGeometryExtent(CExtent2d& extent, IWKBGeometry* geometry) {
    return VisitGeometryPoints(geometry, false, [&extent](double& x, double& y) -> Status {
        extent.minX = std::min(extent.minX, x);
        extent.minY = std::min(extent.minY, y);
        extent.maxX = std::max(extent.maxX, x);
        extent.maxY = std::max(extent.maxY, y);
        return 0;
    });
}
