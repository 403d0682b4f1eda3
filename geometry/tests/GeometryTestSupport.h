// What the geometry server's tests share: the server's factory, hex fixtures,
// and a canonical text of any geometry that an outside implementation can
// produce too.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "common/ByteOrder.h"
#include "geometry/WkbGeometry.h"
#include "platform/ComPtr.h"
#include "platform/SafeArray.h"
#include "testing/GeometryFixture.h"

namespace geometrytest {

using Bytes = std::vector<std::uint8_t>;

// "01 01000000" -> bytes; spaces are ignored.
inline Bytes Hex(const std::string& text) {
    Bytes bytes;
    std::string digits;
    for (char c : text)
        if (c != ' ') digits += c;
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2)
        bytes.push_back(static_cast<std::uint8_t>(std::stoul(digits.substr(i, 2), nullptr, 16)));
    return bytes;
}

inline std::string ToHex(const Bytes& bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (std::uint8_t b : bytes) {
        text += kDigits[b >> 4];
        text += kDigits[b & 15];
    }
    return text;
}

class GeometryTest : public wlxtest::GeometryServerFixture {
protected:
    // The geometry the bytes hold, or null with the failure in *result.
    ComPtr<IWKBGeometry> Load(const Bytes& bytes, HRESULT* result = nullptr) {
        ComPtr<IWKBGeometry> geometry;
        HRESULT hr = Factory()->CreateWKBGeometryFromByteArray(
            static_cast<WkbLong>(bytes.size()), const_cast<std::uint8_t*>(bytes.data()),
            geometry.Put());
        if (result) *result = hr;
        return geometry;
    }

    static Bytes Save(IWKBGeometry* geometry) {
        SAFEARRAY* array = nullptr;
        EXPECT_EQ(geometry->GetByteStreamSafeArray(&array), S_OK);
        if (!array) return {};
        void* data = nullptr;
        SafeArrayAccessData(array, &data);
        const auto* first = static_cast<const std::uint8_t*>(data);
        Bytes bytes(first, first + array->rgsabound[0].cElements);
        SafeArrayUnaccessData(array);
        SafeArrayDestroy(array);
        return bytes;
    }

    ComPtr<IWKBPoint> Point(double x, double y) {
        ComPtr<IWKBPoint> point;
        EXPECT_EQ(Factory()->NewWKBPointXY(x, y, point.Put()), S_OK);
        return point;
    }
    ComPtr<IWKBLineString> Line(std::initializer_list<std::pair<double, double>> points) {
        ComPtr<IWKBLineString> line;
        EXPECT_EQ(Factory()->NewWKBLineString(line.Put()), S_OK);
        for (auto [x, y] : points) EXPECT_EQ(line->AddPointXY(x, y), S_OK);
        return line;
    }
};

inline std::string Coordinate(double x, double y) {
    char text[64];
    std::snprintf(text, sizeof text, "%.17g %.17g", x, y);
    return text;
}

// The points of a line string or ring as "x y,x y".
template <class PointList>
std::string Coordinates(PointList* list) {
    WkbLong count = 0;
    list->GetNumPoints(&count);
    std::string text;
    for (WkbLong i = 0; i < count; ++i) {
        double x = 0, y = 0;
        list->GetPointXY(i, &x, &y);
        text += (i ? "," : "") + Coordinate(x, y);
    }
    return text;
}

// How many rings a polygon has. Asking for the exterior ring would add one to
// a polygon without rings, so the count comes from the polygon's encoding.
inline std::uint32_t RingCount(IWKBPolygon* polygon) {
    ComPtr<IStream> stream;
    std::uint8_t header[9] = {};
    if (Failed(polygon->GetByteStream(stream.Put())) || Failed(stream->Read(header, 9, nullptr)))
        return 0;
    return header[0] == 1 ? byteorder::LoadU32Le(header + 5) : byteorder::LoadU32Be(header + 5);
}

template <class Multi, class Member>
std::string Members(IWKBGeometry* geometry, const char* name, HRESULT (Multi::*count)(WkbLong*),
                    HRESULT (Multi::*get)(WkbLong, Member**));

// Point(x y), LineString(x y,...), Polygon((x y,...),(...)), and
// Type[member;member] for the multi types and collections; the oracle script
// writes the same text from another implementation's objects.
inline std::string Canon(IWKBGeometry* geometry) {
    EWKBGeometryType type{};
    geometry->GetType(&type);
    switch (type) {
        case kWkbPoint: {
            double x = 0, y = 0;
            ComPtr<IWKBPoint>::QueryFrom(geometry)->GetXY(&x, &y);
            return "Point(" + Coordinate(x, y) + ")";
        }
        case kWkbLineString:
            return "LineString(" + Coordinates(ComPtr<IWKBLineString>::QueryFrom(geometry).Get()) +
                   ")";
        case kWkbPolygon: {
            auto polygon = ComPtr<IWKBPolygon>::QueryFrom(geometry);
            std::string text = "Polygon(";
            for (std::uint32_t r = 0; r < RingCount(polygon.Get()); ++r) {
                ComPtr<IWKBLineString> ring;
                if (r == 0)
                    polygon->GetExteriorRing(ring.Put());
                else
                    polygon->GetInteriorRing(static_cast<WkbLong>(r - 1), ring.Put());
                text += (r ? ",(" : "(") + Coordinates(ring.Get()) + ")";
            }
            return text + ")";
        }
        case kWkbMultiPoint:
            return Members(geometry, "MultiPoint", &IWKBMultiPoint::GetNumPoints,
                           &IWKBMultiPoint::GetPoint);
        case kWkbMultiLineString:
            return Members(geometry, "MultiLineString", &IWKBMultiLineString::GetNumLineStrings,
                           &IWKBMultiLineString::GetLineString);
        case kWkbMultiPolygon:
            return Members(geometry, "MultiPolygon", &IWKBMultiPolygon::GetNumPolygons,
                           &IWKBMultiPolygon::GetPolygon);
        case kWkbGeometryCollection:
            return Members(geometry, "GeometryCollection",
                           &IWKBGeometryCollection::GetNumGeometries,
                           &IWKBGeometryCollection::GetGeometry);
    }
    return "?";
}

template <class Multi, class Member>
std::string Members(IWKBGeometry* geometry, const char* name, HRESULT (Multi::*count)(WkbLong*),
                    HRESULT (Multi::*get)(WkbLong, Member**)) {
    auto multi = ComPtr<Multi>::QueryFrom(geometry);
    WkbLong n = 0;
    (multi.Get()->*count)(&n);
    std::string text = std::string(name) + "[";
    for (WkbLong i = 0; i < n; ++i) {
        ComPtr<Member> member;
        (multi.Get()->*get)(i, member.Put());
        text += (i ? ";" : "") + Canon(member.Get());
    }
    return text + "]";
}

}  // namespace geometrytest
