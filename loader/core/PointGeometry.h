// Geometry objects made from points, and the points of a line: the point
// lists of the text-format parsers and the WLT format, and the x, y pairs of
// the WLX format. A failure is the geometry server's.
#pragma once

#include <span>
#include <vector>

#include "geometry/WkbGeometry.h"
#include "loader/core/PointList.h"
#include "platform/ComPtr.h"

namespace pointgeometry {

inline HRESULT AddPoints(IWKBLineString* line, std::span<const double> xy) {
    for (std::size_t i = 0; i + 1 < xy.size(); i += 2)
        if (HRESULT hr = line->AddPointXY(xy[i], xy[i + 1]); Failed(hr)) return hr;
    return S_OK;
}

template <class Points>
HRESULT AddPoints(IWKBLineString* line, const Points& points) {
    for (const auto& p : points)
        if (HRESULT hr = line->AddPointXY(p.x, p.y); Failed(hr)) return hr;
    return S_OK;
}

template <class I>
HRESULT AsGeometry(const ComPtr<I>& object, ComPtr<IWKBGeometry>& out) {
    out = ComPtr<IWKBGeometry>::QueryFrom(object.Get());
    return out ? S_OK : E_NOINTERFACE;
}

}  // namespace pointgeometry

template <class Points>
HRESULT MakeLineString(IWKBGeometryFactory* factory, const Points& points,
                       ComPtr<IWKBLineString>& out) {
    if (HRESULT hr = factory->NewWKBLineString(out.Put()); Failed(hr)) return hr;
    return pointgeometry::AddPoints(out.Get(), points);
}

// A polygon whose exterior ring holds the points.
template <class Points>
HRESULT MakePolygon(IWKBGeometryFactory* factory, const Points& ring, ComPtr<IWKBPolygon>& out) {
    ComPtr<IWKBLineString> line;
    if (HRESULT hr = MakeLineString(factory, ring, line); Failed(hr)) return hr;
    if (HRESULT hr = factory->NewWKBPolygon(out.Put()); Failed(hr)) return hr;
    return out->SetExteriorRing(line.Get());
}

// A line for each part.
template <class Parts>
HRESULT MakeMultiLineString(IWKBGeometryFactory* factory, const Parts& parts,
                            ComPtr<IWKBMultiLineString>& out) {
    if (HRESULT hr = factory->NewWKBMultiLineString(out.Put()); Failed(hr)) return hr;
    for (const auto& part : parts) {
        ComPtr<IWKBLineString> line;
        if (HRESULT hr = MakeLineString(factory, part, line); Failed(hr)) return hr;
        if (HRESULT hr = out->AddLineString(line.Get()); Failed(hr)) return hr;
    }
    return S_OK;
}

// One polygon per ring: the loader's readers never nest rings as holes.
template <class Rings>
HRESULT MakeMultiPolygon(IWKBGeometryFactory* factory, const Rings& rings,
                         ComPtr<IWKBMultiPolygon>& out) {
    if (HRESULT hr = factory->NewWKBMultiPolygon(out.Put()); Failed(hr)) return hr;
    for (const auto& ring : rings) {
        ComPtr<IWKBPolygon> polygon;
        if (HRESULT hr = MakePolygon(factory, ring, polygon); Failed(hr)) return hr;
        if (HRESULT hr = out->AddPolygon(polygon.Get()); Failed(hr)) return hr;
    }
    return S_OK;
}

// The line's points.
HRESULT ReadLinePoints(IWKBLineString* line, PointList& points);

// The same as geometries.
HRESULT MakePoint(IWKBGeometryFactory* factory, const CPoint2d& point, ComPtr<IWKBGeometry>& out);
HRESULT MakeLineString(IWKBGeometryFactory* factory, const PointList& points,
                       ComPtr<IWKBGeometry>& out);
HRESULT MakePolygon(IWKBGeometryFactory* factory, const PointList& ring, ComPtr<IWKBGeometry>& out);
HRESULT MakeMultiLineString(IWKBGeometryFactory* factory, const std::vector<PointList>& parts,
                            ComPtr<IWKBGeometry>& out);
HRESULT MakeMultiPolygon(IWKBGeometryFactory* factory, const std::vector<PointList>& rings,
                         ComPtr<IWKBGeometry>& out);
