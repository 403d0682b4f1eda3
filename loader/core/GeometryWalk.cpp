#include "loader/core/GeometryWalk.h"

#include "loader/core/GeometryMembers.h"

namespace {

template <class Points>
Status VisitPointArray(Points* points, bool update, const PointVisitor& visit) {
    WkbLong count = 0;
    if (HRESULT hr = points->GetNumPoints(&count); Failed(hr)) return hr;
    for (WkbLong i = 0; i < count; ++i) {
        double x = 0, y = 0;
        if (HRESULT hr = points->GetPointXY(i, &x, &y); Failed(hr)) return hr;
        if (Status status = visit(x, y)) return status;
        if (update)
            if (HRESULT hr = points->SetPointXY(i, x, y); Failed(hr)) return hr;
    }
    return 0;
}

Status VisitLine(IWKBLineString* line, bool update, const PointVisitor& visit) {
    return line ? VisitPointArray(line, update, visit) : 0;
}

Status VisitPolygon(IWKBPolygon* polygon, bool update, const PointVisitor& visit) {
    return ForEachRing(polygon,
                       [&](IWKBLineString* ring) { return VisitLine(ring, update, visit); });
}

Status Visit(IWKBGeometry* geometry, bool update, const PointVisitor& visit, int depth) {
    if (!geometry) return 0;
    if (depth > kMaxGeometryNesting) return kWlxInvalidObjectType;
    EWKBGeometryType type{};
    if (HRESULT hr = geometry->GetType(&type); Failed(hr)) return hr;
    switch (type) {
        case kWkbPoint: {
            auto point = As<IWKBPoint>(geometry);
            if (!point) return E_NOINTERFACE;
            double x = 0, y = 0;
            if (HRESULT hr = point->GetXY(&x, &y); Failed(hr)) return hr;
            if (Status status = visit(x, y)) return status;
            return update ? point->SetXY(x, y) : 0;
        }
        case kWkbLineString: {
            auto line = As<IWKBLineString>(geometry);
            return line ? VisitLine(line.Get(), update, visit) : E_NOINTERFACE;
        }
        case kWkbPolygon: {
            auto polygon = As<IWKBPolygon>(geometry);
            return polygon ? VisitPolygon(polygon.Get(), update, visit) : E_NOINTERFACE;
        }
        case kWkbMultiPoint: {
            auto points = As<IWKBMultiPoint>(geometry);
            return points ? VisitPointArray(points.Get(), update, visit) : E_NOINTERFACE;
        }
        case kWkbMultiLineString: {
            auto lines = As<IWKBMultiLineString>(geometry);
            if (!lines) return E_NOINTERFACE;
            return ForEachMember(
                lines.Get(), [&](IWKBLineString* line) { return VisitLine(line, update, visit); });
        }
        case kWkbMultiPolygon: {
            auto polygons = As<IWKBMultiPolygon>(geometry);
            if (!polygons) return E_NOINTERFACE;
            return ForEachMember(polygons.Get(), [&](IWKBPolygon* polygon) {
                return polygon ? VisitPolygon(polygon, update, visit) : 0;
            });
        }
        case kWkbGeometryCollection: {
            auto members = As<IWKBGeometryCollection>(geometry);
            if (!members) return E_NOINTERFACE;
            return ForEachMember(members.Get(), [&](IWKBGeometry* member) {
                return Visit(member, update, visit, depth + 1);
            });
        }
    }
    return kWlxInvalidObjectType;
}

}  // namespace

Status VisitGeometryPoints(IWKBGeometry* geometry, bool update, const PointVisitor& visit) {
    return Visit(geometry, update, visit, 0);
}
