#include "nativeformat/NativeGeometry.h"

Status AppendLinePoints(IWKBLineString* line, std::vector<double>& xy) {
    WkbLong count = 0;
    if (const Status status = GeometryStatus(line->GetNumPoints(&count))) return status;
    const std::size_t first = xy.size();
    xy.resize(first + 2 * static_cast<std::size_t>(count));
    double* out = xy.data() + first;
    for (WkbLong i = 0; i < count; ++i, out += 2) {
        if (const Status status = GeometryStatus(line->GetPointXY(i, out, out + 1))) {
            xy.resize(first);
            return status;
        }
    }
    return 0;
}

Status GetLinePoints(IWKBLineString* line, std::vector<CPoint2d>& points) {
    points.clear();
    WkbLong count = 0;
    if (const Status status = GeometryStatus(line->GetNumPoints(&count))) return status;
    points.resize(static_cast<std::size_t>(count));
    for (WkbLong i = 0; i < count; ++i) {
        CPoint2d& p = points[static_cast<std::size_t>(i)];
        if (const Status status = GeometryStatus(line->GetPointXY(i, &p.x, &p.y))) return status;
    }
    return 0;
}

Status GetExteriorRing(IWKBPolygon* polygon, ComPtr<IWKBLineString>& ring, bool& hasHoles) {
    WkbLong holes = 0;
    if (const Status status = GeometryStatus(polygon->GetNumInteriorRings(&holes))) return status;
    hasHoles = holes > 0;
    return GeometryStatus(polygon->GetExteriorRing(ring.Put()));
}

Status MakeLineString(IWKBGeometryFactory* factory, std::span<const double> xy,
                      ComPtr<IWKBLineString>& line) {
    if (const Status status = GeometryStatus(factory->NewWKBLineString(line.Put()))) return status;
    for (std::size_t i = 0; i + 1 < xy.size(); i += 2) {
        if (const Status status = GeometryStatus(line->AddPointXY(xy[i], xy[i + 1]))) return status;
    }
    return 0;
}

Status MakeLineString(IWKBGeometryFactory* factory, std::span<const CPoint2d> points,
                      ComPtr<IWKBLineString>& line) {
    if (const Status status = GeometryStatus(factory->NewWKBLineString(line.Put()))) return status;
    for (const CPoint2d& p : points) {
        if (const Status status = GeometryStatus(line->AddPointXY(p.x, p.y))) return status;
    }
    return 0;
}

namespace {

template <class Points>
Status MakePolygonFrom(IWKBGeometryFactory* factory, Points points, ComPtr<IWKBPolygon>& polygon) {
    if (const Status status = GeometryStatus(factory->NewWKBPolygon(polygon.Put()))) return status;
    ComPtr<IWKBLineString> ring;
    if (const Status status = MakeLineString(factory, points, ring)) return status;
    return GeometryStatus(polygon->SetExteriorRing(ring.Get()));
}

}  // namespace

Status MakePolygon(IWKBGeometryFactory* factory, std::span<const double> xy,
                   ComPtr<IWKBPolygon>& polygon) {
    return MakePolygonFrom(factory, xy, polygon);
}

Status MakePolygon(IWKBGeometryFactory* factory, std::span<const CPoint2d> points,
                   ComPtr<IWKBPolygon>& polygon) {
    return MakePolygonFrom(factory, points, polygon);
}
