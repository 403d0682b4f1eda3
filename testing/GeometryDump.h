// The points of a geometry object as plain data, for comparing what a reader
// or the reducer made with what a test expects.
#pragma once

#include <ostream>
#include <utility>
#include <vector>

#include "geometry/WkbGeometry.h"
#include "platform/ComPtr.h"

using DumpPoints = std::vector<std::pair<double, double>>;

struct GeometryDump {
    int type = 0;  // EWKBGeometryType, 0 when there is no geometry
    // Every line, ring or point run in order: a polygon's rings, a multi
    // geometry's members (one ring per polygon member), a collection's
    // members flattened.
    std::vector<DumpPoints> parts;

    friend bool operator==(const GeometryDump&, const GeometryDump&) = default;
};

inline void PrintTo(const GeometryDump& dump, std::ostream* os) {
    *os << "type " << dump.type << ":";
    for (const DumpPoints& part : dump.parts) {
        *os << " (";
        for (std::size_t i = 0; i < part.size(); ++i)
            *os << (i ? ", " : "") << part[i].first << " " << part[i].second;
        *os << ")";
    }
}

namespace dumpdetail {

template <class Points>
DumpPoints ReadPoints(Points* points) {
    DumpPoints out;
    WkbLong n = 0;
    points->GetNumPoints(&n);
    for (WkbLong i = 0; i < n; ++i) {
        double x = 0, y = 0;
        points->GetPointXY(i, &x, &y);
        out.push_back({x, y});
    }
    return out;
}

inline void AddRings(IWKBPolygon* polygon, std::vector<DumpPoints>& parts) {
    ComPtr<IWKBLineString> ring;
    polygon->GetExteriorRing(ring.Put());
    parts.push_back(ReadPoints(ring.Get()));
    WkbLong n = 0;
    polygon->GetNumInteriorRings(&n);
    for (WkbLong i = 0; i < n; ++i) {
        polygon->GetInteriorRing(i, ring.Put());
        parts.push_back(ReadPoints(ring.Get()));
    }
}

}  // namespace dumpdetail

inline GeometryDump Dump(IWKBGeometry* geometry) {
    using namespace dumpdetail;
    GeometryDump dump;
    if (!geometry) return dump;
    EWKBGeometryType type{};
    geometry->GetType(&type);
    dump.type = type;
    switch (type) {
        case kWkbPoint: {
            double x = 0, y = 0;
            ComPtr<IWKBPoint>::QueryFrom(geometry)->GetXY(&x, &y);
            dump.parts.push_back({{x, y}});
            break;
        }
        case kWkbLineString:
            dump.parts.push_back(ReadPoints(ComPtr<IWKBLineString>::QueryFrom(geometry).Get()));
            break;
        case kWkbMultiPoint:
            dump.parts.push_back(ReadPoints(ComPtr<IWKBMultiPoint>::QueryFrom(geometry).Get()));
            break;
        case kWkbPolygon:
            AddRings(ComPtr<IWKBPolygon>::QueryFrom(geometry).Get(), dump.parts);
            break;
        case kWkbMultiLineString: {
            auto lines = ComPtr<IWKBMultiLineString>::QueryFrom(geometry);
            WkbLong n = 0;
            lines->GetNumLineStrings(&n);
            for (WkbLong i = 0; i < n; ++i) {
                ComPtr<IWKBLineString> line;
                lines->GetLineString(i, line.Put());
                dump.parts.push_back(ReadPoints(line.Get()));
            }
            break;
        }
        case kWkbMultiPolygon: {
            auto polygons = ComPtr<IWKBMultiPolygon>::QueryFrom(geometry);
            WkbLong n = 0;
            polygons->GetNumPolygons(&n);
            for (WkbLong i = 0; i < n; ++i) {
                ComPtr<IWKBPolygon> polygon;
                polygons->GetPolygon(i, polygon.Put());
                AddRings(polygon.Get(), dump.parts);
            }
            break;
        }
        case kWkbGeometryCollection: {
            auto all = ComPtr<IWKBGeometryCollection>::QueryFrom(geometry);
            WkbLong n = 0;
            all->GetNumGeometries(&n);
            for (WkbLong i = 0; i < n; ++i) {
                ComPtr<IWKBGeometry> member;
                all->GetGeometry(i, member.Put());
                for (DumpPoints& part : Dump(member.Get()).parts)
                    dump.parts.push_back(std::move(part));
            }
            break;
        }
    }
    return dump;
}
