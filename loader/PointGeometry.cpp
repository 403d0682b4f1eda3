#include "loader/PointGeometry.h"

namespace {

template <class I>
HRESULT AsGeometry(const ComPtr<I>& object, ComPtr<IWKBGeometry>& out) {
    out = ComPtr<IWKBGeometry>::QueryFrom(object.Get());
    return out ? S_OK : E_NOINTERFACE;
}

}  // namespace

HRESULT MakePoint(IWKBGeometryFactory* factory, const PointXY& point, ComPtr<IWKBGeometry>& out) {
    ComPtr<IWKBPoint> object;
    if (HRESULT hr = factory->NewWKBPointXY(point.x, point.y, object.Put()); Failed(hr)) return hr;
    return AsGeometry(object, out);
}

HRESULT MakeLineString(IWKBGeometryFactory* factory, const PointList& points,
                       ComPtr<IWKBLineString>& out) {
    if (HRESULT hr = factory->NewWKBLineString(out.Put()); Failed(hr)) return hr;
    for (const PointXY& p : points)
        if (HRESULT hr = out->AddPointXY(p.x, p.y); Failed(hr)) return hr;
    return S_OK;
}

HRESULT MakeLineString(IWKBGeometryFactory* factory, const PointList& points,
                       ComPtr<IWKBGeometry>& out) {
    ComPtr<IWKBLineString> line;
    if (HRESULT hr = MakeLineString(factory, points, line); Failed(hr)) return hr;
    return AsGeometry(line, out);
}

HRESULT MakeMultiLineString(IWKBGeometryFactory* factory, const std::vector<PointList>& parts,
                            ComPtr<IWKBGeometry>& out) {
    ComPtr<IWKBMultiLineString> lines;
    if (HRESULT hr = factory->NewWKBMultiLineString(lines.Put()); Failed(hr)) return hr;
    for (const PointList& part : parts) {
        ComPtr<IWKBLineString> line;
        if (HRESULT hr = MakeLineString(factory, part, line); Failed(hr)) return hr;
        if (HRESULT hr = lines->AddLineString(line.Get()); Failed(hr)) return hr;
    }
    return AsGeometry(lines, out);
}

HRESULT MakePolygon(IWKBGeometryFactory* factory, const PointList& ring, ComPtr<IWKBPolygon>& out) {
    ComPtr<IWKBLineString> line;
    if (HRESULT hr = MakeLineString(factory, ring, line); Failed(hr)) return hr;
    if (HRESULT hr = factory->NewWKBPolygon(out.Put()); Failed(hr)) return hr;
    return out->SetExteriorRing(line.Get());
}

HRESULT MakePolygon(IWKBGeometryFactory* factory, const PointList& ring,
                    ComPtr<IWKBGeometry>& out) {
    ComPtr<IWKBPolygon> polygon;
    if (HRESULT hr = MakePolygon(factory, ring, polygon); Failed(hr)) return hr;
    return AsGeometry(polygon, out);
}

HRESULT MakeMultiPolygon(IWKBGeometryFactory* factory, const std::vector<PointList>& rings,
                         ComPtr<IWKBGeometry>& out) {
    ComPtr<IWKBMultiPolygon> polygons;
    if (HRESULT hr = factory->NewWKBMultiPolygon(polygons.Put()); Failed(hr)) return hr;
    for (const PointList& ring : rings) {
        ComPtr<IWKBPolygon> polygon;
        if (HRESULT hr = MakePolygon(factory, ring, polygon); Failed(hr)) return hr;
        if (HRESULT hr = polygons->AddPolygon(polygon.Get()); Failed(hr)) return hr;
    }
    return AsGeometry(polygons, out);
}
