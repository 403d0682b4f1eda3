#include "loader/GeometryWalk.h"

#include "platform/ComPtr.h"

namespace {

// Collections may nest; a deeper nesting than this is not a map object.
constexpr int kMaxNesting = 64;

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
    ComPtr<IWKBLineString> ring;
    if (HRESULT hr = polygon->GetExteriorRing(ring.Put()); Failed(hr)) return hr;
    if (Status status = VisitLine(ring.Get(), update, visit)) return status;
    WkbLong count = 0;
    if (HRESULT hr = polygon->GetNumInteriorRings(&count); Failed(hr)) return hr;
    for (WkbLong i = 0; i < count; ++i) {
        if (HRESULT hr = polygon->GetInteriorRing(i, ring.Put()); Failed(hr)) return hr;
        if (Status status = VisitLine(ring.Get(), update, visit)) return status;
    }
    return 0;
}

template <class I>
ComPtr<I> As(IWKBGeometry* geometry) {
    return ComPtr<I>::QueryFrom(geometry);
}

Status Visit(IWKBGeometry* geometry, bool update, const PointVisitor& visit, int depth) {
    if (!geometry) return 0;
    if (depth > kMaxNesting) return kWlxInvalidObjectType;
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
            WkbLong count = 0;
            if (HRESULT hr = lines->GetNumLineStrings(&count); Failed(hr)) return hr;
            for (WkbLong i = 0; i < count; ++i) {
                ComPtr<IWKBLineString> line;
                if (HRESULT hr = lines->GetLineString(i, line.Put()); Failed(hr)) return hr;
                if (Status status = VisitLine(line.Get(), update, visit)) return status;
            }
            return 0;
        }
        case kWkbMultiPolygon: {
            auto polygons = As<IWKBMultiPolygon>(geometry);
            if (!polygons) return E_NOINTERFACE;
            WkbLong count = 0;
            if (HRESULT hr = polygons->GetNumPolygons(&count); Failed(hr)) return hr;
            for (WkbLong i = 0; i < count; ++i) {
                ComPtr<IWKBPolygon> polygon;
                if (HRESULT hr = polygons->GetPolygon(i, polygon.Put()); Failed(hr)) return hr;
                if (polygon)
                    if (Status status = VisitPolygon(polygon.Get(), update, visit)) return status;
            }
            return 0;
        }
        case kWkbGeometryCollection: {
            auto members = As<IWKBGeometryCollection>(geometry);
            if (!members) return E_NOINTERFACE;
            WkbLong count = 0;
            if (HRESULT hr = members->GetNumGeometries(&count); Failed(hr)) return hr;
            for (WkbLong i = 0; i < count; ++i) {
                ComPtr<IWKBGeometry> member;
                if (HRESULT hr = members->GetGeometry(i, member.Put()); Failed(hr)) return hr;
                if (Status status = Visit(member.Get(), update, visit, depth + 1)) return status;
            }
            return 0;
        }
    }
    return kWlxInvalidObjectType;
}

}  // namespace

Status VisitGeometryPoints(IWKBGeometry* geometry, bool update, const PointVisitor& visit) {
    return Visit(geometry, update, visit, 0);
}
