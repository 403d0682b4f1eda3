#include "loader/GeometryExtent.h"

#include <algorithm>

#include "loader/GeometryMembers.h"

namespace {

void Extend(CExtent2d& extent, double x, double y) {
    extent.minX = std::min(extent.minX, x);
    extent.minY = std::min(extent.minY, y);
    extent.maxX = std::max(extent.maxX, x);
    extent.maxY = std::max(extent.maxY, y);
}

// Line strings and multipoints share the point queries.
template <class Points>
Status ExtendByPoints(CExtent2d& extent, Points* points) {
    WkbLong count = 0;
    HRESULT hr = points->GetNumPoints(&count);
    for (WkbLong i = 0; Succeeded(hr) && i < count; ++i) {
        double x = 0, y = 0;
        hr = points->GetPointXY(i, &x, &y);
        if (Succeeded(hr)) Extend(extent, x, y);
    }
    return Failed(hr) ? hr : 0;
}

// Members of a multi-geometry, each extended as a geometry of its own.
template <class Multi>
Status ExtendByMembers(CExtent2d& extent, Multi* multi) {
    return ForEachMember(
        multi, [&](IWKBGeometry* member) { return ComputeGeometryExtent(extent, member); });
}

}  // namespace

Status ComputeGeometryExtent(CExtent2d& extent, IWKBGeometry* geometry) {
    if (!geometry) return 0;
    EWKBGeometryType type{};
    if (const HRESULT hr = geometry->GetType(&type); Failed(hr)) return hr;
    switch (type) {
        case kWkbPoint: {
            auto point = ComPtr<IWKBPoint>::QueryFrom(geometry);
            double x = 0, y = 0;
            if (!point) return kWlxInvalidObjectType;
            if (const HRESULT hr = point->GetXY(&x, &y); Failed(hr)) return hr;
            Extend(extent, x, y);
            return 0;
        }
        case kWkbLineString: {
            auto line = ComPtr<IWKBLineString>::QueryFrom(geometry);
            return line ? ExtendByPoints(extent, line.Get()) : kWlxInvalidObjectType;
        }
        case kWkbMultiPoint: {
            auto points = ComPtr<IWKBMultiPoint>::QueryFrom(geometry);
            return points ? ExtendByPoints(extent, points.Get()) : kWlxInvalidObjectType;
        }
        case kWkbPolygon: {
            auto polygon = ComPtr<IWKBPolygon>::QueryFrom(geometry);
            if (!polygon) return kWlxInvalidObjectType;
            ComPtr<IWKBLineString> ring;
            if (const HRESULT hr = polygon->GetExteriorRing(ring.Put()); Failed(hr)) return hr;
            if (ring)
                if (const Status status = ExtendByPoints(extent, ring.Get())) return status;
            return ForEachInteriorRing(polygon.Get(), [&](IWKBLineString* interior) {
                return ComputeGeometryExtent(extent, interior);
            });
        }
        case kWkbMultiLineString: {
            auto lines = ComPtr<IWKBMultiLineString>::QueryFrom(geometry);
            return lines ? ExtendByMembers(extent, lines.Get()) : kWlxInvalidObjectType;
        }
        case kWkbMultiPolygon: {
            auto polygons = ComPtr<IWKBMultiPolygon>::QueryFrom(geometry);
            return polygons ? ExtendByMembers(extent, polygons.Get()) : kWlxInvalidObjectType;
        }
        case kWkbGeometryCollection: {
            auto collection = ComPtr<IWKBGeometryCollection>::QueryFrom(geometry);
            return collection ? ExtendByMembers(extent, collection.Get()) : kWlxInvalidObjectType;
        }
    }
    return kWlxInvalidObjectType;
}
