#include "loader/core/PointGeometry.h"

#include <algorithm>

using pointgeometry::AsGeometry;

HRESULT ReadLinePoints(IWKBLineString* line, PointList& points) {
    points.clear();
    WkbLong count = 0;
    if (HRESULT hr = line->GetNumPoints(&count); Failed(hr)) return hr;
    points.resize(static_cast<std::size_t>(std::max<WkbLong>(count, 0)));
    for (WkbLong i = 0; i < count; ++i) {
        CPoint2d& p = points[static_cast<std::size_t>(i)];
        if (HRESULT hr = line->GetPointXY(i, &p.x, &p.y); Failed(hr)) return hr;
    }
    return S_OK;
}

HRESULT MakePoint(IWKBGeometryFactory* factory, const CPoint2d& point, ComPtr<IWKBGeometry>& out) {
    ComPtr<IWKBPoint> object;
    if (HRESULT hr = factory->NewWKBPointXY(point.x, point.y, object.Put()); Failed(hr)) return hr;
    return AsGeometry(object, out);
}

HRESULT MakeLineString(IWKBGeometryFactory* factory, const PointList& points,
                       ComPtr<IWKBGeometry>& out) {
    ComPtr<IWKBLineString> line;
    if (HRESULT hr = MakeLineString(factory, points, line); Failed(hr)) return hr;
    return AsGeometry(line, out);
}

HRESULT MakePolygon(IWKBGeometryFactory* factory, const PointList& ring,
                    ComPtr<IWKBGeometry>& out) {
    ComPtr<IWKBPolygon> polygon;
    if (HRESULT hr = MakePolygon(factory, ring, polygon); Failed(hr)) return hr;
    return AsGeometry(polygon, out);
}

HRESULT MakeMultiLineString(IWKBGeometryFactory* factory, const std::vector<PointList>& parts,
                            ComPtr<IWKBGeometry>& out) {
    ComPtr<IWKBMultiLineString> lines;
    if (HRESULT hr = MakeMultiLineString(factory, parts, lines); Failed(hr)) return hr;
    return AsGeometry(lines, out);
}

HRESULT MakeMultiPolygon(IWKBGeometryFactory* factory, const std::vector<PointList>& rings,
                         ComPtr<IWKBGeometry>& out) {
    ComPtr<IWKBMultiPolygon> polygons;
    if (HRESULT hr = MakeMultiPolygon(factory, rings, polygons); Failed(hr)) return hr;
    return AsGeometry(polygons, out);
}
