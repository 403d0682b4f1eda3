// The creation functions of the server's classes. Each returns a new object
// holding the one reference handed to the caller, or null when the object
// cannot be made. Only code inside the server calls them; clients go through
// the factory.
#pragma once

#include "geometry/WkbGeometry.h"

IWKBPoint* CreateWKBPoint();
IWKBLineString* CreateWKBLineString();
IWKBPolygon* CreateWKBPolygon();
IWKBMultiPoint* CreateWKBMultiPoint();
IWKBMultiLineString* CreateWKBMultiLineString();
IWKBMultiPolygon* CreateWKBMultiPolygon();
IWKBGeometryCollection* CreateWKBGeometryCollection();
IWKBGeometryFactory* CreateWKBGeometryFactory();
