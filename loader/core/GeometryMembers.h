// Walking the members of the geometry server's objects in order: the points
// of a multipoint, the lines of a multi-line, the polygons of a
// multi-polygon, the members of a collection, the interior rings of a
// polygon, or all its rings with the exterior one first.
//
// `each` is called with every member as the server hands it out (null where
// it hands out none); the first failure of the server (its HRESULT) or
// non-zero status of `each` stops the walk and is returned.
#pragma once

#include "common/Status.h"
#include "geometry/WkbGeometry.h"
#include "platform/ComPtr.h"

// Collections may nest; a deeper nesting than this is not a map object.
inline constexpr int kMaxGeometryNesting = 64;

// The geometry's own interface of type I; null when it has none.
template <class I>
ComPtr<I> As(IWKBGeometry* geometry) {
    return ComPtr<I>::QueryFrom(geometry);
}

template <class Multi, class Member, class Each>
Status ForEachMember(Multi* multi, HRESULT (Multi::*count)(WkbLong*),
                     HRESULT (Multi::*get)(WkbLong, Member**), Each&& each) {
    WkbLong n = 0;
    if (const HRESULT hr = (multi->*count)(&n); Failed(hr)) return hr;
    for (WkbLong i = 0; i < n; ++i) {
        ComPtr<Member> member;
        if (const HRESULT hr = (multi->*get)(i, member.Put()); Failed(hr)) return hr;
        if (const Status status = each(member.Get())) return status;
    }
    return 0;
}

template <class Each>
Status ForEachMember(IWKBMultiPoint* points, Each&& each) {
    return ForEachMember(points, &IWKBMultiPoint::GetNumPoints, &IWKBMultiPoint::GetPoint, each);
}

template <class Each>
Status ForEachMember(IWKBMultiLineString* lines, Each&& each) {
    return ForEachMember(lines, &IWKBMultiLineString::GetNumLineStrings,
                         &IWKBMultiLineString::GetLineString, each);
}

template <class Each>
Status ForEachMember(IWKBMultiPolygon* polygons, Each&& each) {
    return ForEachMember(polygons, &IWKBMultiPolygon::GetNumPolygons, &IWKBMultiPolygon::GetPolygon,
                         each);
}

template <class Each>
Status ForEachMember(IWKBGeometryCollection* collection, Each&& each) {
    return ForEachMember(collection, &IWKBGeometryCollection::GetNumGeometries,
                         &IWKBGeometryCollection::GetGeometry, each);
}

template <class Each>
Status ForEachInteriorRing(IWKBPolygon* polygon, Each&& each) {
    return ForEachMember(polygon, &IWKBPolygon::GetNumInteriorRings, &IWKBPolygon::GetInteriorRing,
                         each);
}

template <class Each>
Status ForEachRing(IWKBPolygon* polygon, Each&& each) {
    ComPtr<IWKBLineString> ring;
    if (const HRESULT hr = polygon->GetExteriorRing(ring.Put()); Failed(hr)) return hr;
    if (const Status status = each(ring.Get())) return status;
    return ForEachInteriorRing(polygon, each);
}
