// The creation functions of the server's classes. Each returns a new object
// holding the one reference handed to the caller, or null when the object
// cannot be made. Only code inside the server calls them; clients go through
// the factory.
#pragma once

#include "geometry/WkbGeometry.h"

IWKBPoint* CreateWKBPoint();
// A new point at (x, y).
IWKBPoint* CreateWKBPointXY(double x, double y);
IWKBLineString* CreateWKBLineString();
IWKBPolygon* CreateWKBPolygon();
IWKBMultiPoint* CreateWKBMultiPoint();
IWKBMultiLineString* CreateWKBMultiLineString();
IWKBMultiPolygon* CreateWKBMultiPolygon();
IWKBGeometryCollection* CreateWKBGeometryCollection();
IWKBGeometryFactory* CreateWKBGeometryFactory();

// A new line string holding one ring of a polygon's body read from the
// stream: its point count and bare x, y in the polygon's byte order (the ring
// keeps byte order 1). A ring that fails part way is not handed out.
HRESULT LoadWKBRing(IStream* stream, EWKBByteOrder byteOrder, IWKBLineString** ring);
// Writes a line string's points as a polygon's ring: the point count and
// bare x, y in the byte order given. Any line string will do, not only this
// server's.
HRESULT SaveWKBRing(IStream* stream, EWKBByteOrder byteOrder, IWKBLineString* ring);
