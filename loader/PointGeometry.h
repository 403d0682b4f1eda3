// Geometry objects from the point arrays of the text-format parsers.
#pragma once

#include <vector>

#include "geometry/WkbGeometry.h"
#include "loader/PointList.h"
#include "platform/ComPtr.h"

HRESULT MakePoint(IWKBGeometryFactory* factory, const PointXY& point, ComPtr<IWKBGeometry>& out);
HRESULT MakeLineString(IWKBGeometryFactory* factory, const PointList& points,
                       ComPtr<IWKBLineString>& out);
HRESULT MakeLineString(IWKBGeometryFactory* factory, const PointList& points,
                       ComPtr<IWKBGeometry>& out);
HRESULT MakeMultiLineString(IWKBGeometryFactory* factory, const std::vector<PointList>& parts,
                            ComPtr<IWKBGeometry>& out);
// A polygon whose exterior ring holds the points.
HRESULT MakePolygon(IWKBGeometryFactory* factory, const PointList& ring, ComPtr<IWKBPolygon>& out);
HRESULT MakePolygon(IWKBGeometryFactory* factory, const PointList& ring, ComPtr<IWKBGeometry>& out);
// One polygon per ring: the loader's readers never nest rings as holes.
HRESULT MakeMultiPolygon(IWKBGeometryFactory* factory, const std::vector<PointList>& rings,
                         ComPtr<IWKBGeometry>& out);
