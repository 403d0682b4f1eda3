// Moving points between the geometry server's objects and the flat point
// arrays of the native files.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "geometry/WkbGeometry.h"
#include "loader/Geometry2d.h"
#include "loader/GeometryMembers.h"
#include "loader/Status.h"
#include "platform/ComPtr.h"

// A failed call of the geometry server as a loader status.
inline Status GeometryStatus(HRESULT hr) {
    return Succeeded(hr) ? 0 : static_cast<Status>(hr);
}

// Appends the line's points as x, y pairs.
Status AppendLinePoints(IWKBLineString* line, std::vector<double>& xy);
// The line's points.
Status GetLinePoints(IWKBLineString* line, std::vector<CPoint2d>& points);
// The polygon's exterior ring (empty when it has none) and whether it has
// interior rings.
Status GetExteriorRing(IWKBPolygon* polygon, ComPtr<IWKBLineString>& ring, bool& hasHoles);

// New geometries from x, y pairs.
Status MakeLineString(IWKBGeometryFactory* factory, std::span<const double> xy,
                      ComPtr<IWKBLineString>& line);
Status MakePolygon(IWKBGeometryFactory* factory, std::span<const double> xy,
                   ComPtr<IWKBPolygon>& polygon);
Status MakeLineString(IWKBGeometryFactory* factory, std::span<const CPoint2d> points,
                      ComPtr<IWKBLineString>& line);
Status MakePolygon(IWKBGeometryFactory* factory, std::span<const CPoint2d> points,
                   ComPtr<IWKBPolygon>& polygon);

// A multi-line of a line for each part, or a multi-polygon of a polygon for
// each part (its exterior ring); each part as MakeLineString takes it.
template <class Parts>
Status MakeMultiLineString(IWKBGeometryFactory* factory, const Parts& parts,
                           ComPtr<IWKBMultiLineString>& lines) {
    if (const Status status = GeometryStatus(factory->NewWKBMultiLineString(lines.Put())))
        return status;
    for (const auto& part : parts) {
        ComPtr<IWKBLineString> line;
        if (const Status status = MakeLineString(factory, part, line)) return status;
        if (const Status status = GeometryStatus(lines->AddLineString(line.Get()))) return status;
    }
    return 0;
}

template <class Parts>
Status MakeMultiPolygon(IWKBGeometryFactory* factory, const Parts& parts,
                        ComPtr<IWKBMultiPolygon>& polygons) {
    if (const Status status = GeometryStatus(factory->NewWKBMultiPolygon(polygons.Put())))
        return status;
    for (const auto& part : parts) {
        ComPtr<IWKBPolygon> polygon;
        if (const Status status = MakePolygon(factory, part, polygon)) return status;
        if (const Status status = GeometryStatus(polygons->AddPolygon(polygon.Get())))
            return status;
    }
    return 0;
}
