#include "loader/PointGeometry.h"

using pointgeometry::AsGeometry;

HRESULT MakePoint(IWKBGeometryFactory* factory, const PointXY& point, ComPtr<IWKBGeometry>& out) {
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
