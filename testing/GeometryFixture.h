// Tests that use the geometry server: COM and the server's factory, made the
// way the readers make them, and geometries built from point lists.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "geometry/WkbGeometry.h"
#include "platform/ComPtr.h"
#include "platform/ComRuntime.h"

namespace wlxtest {

using Ring = std::vector<std::pair<double, double>>;

// COM initialised for the test, and the geometry server's factory.
class GeometryServerFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Succeeded(CoInitialize()));
        ASSERT_EQ(
            CoCreateInstance(CLSID_WKBGeometryFactory, nullptr, CLSCTX_INPROC_SERVER,
                             IID_IWKBGeometryFactory, reinterpret_cast<void**>(factory_.Put())),
            S_OK);
    }
    void TearDown() override {
        factory_.Reset();
        CoUninitialize();
    }

    IWKBGeometryFactory* Factory() { return factory_.Get(); }

private:
    ComPtr<IWKBGeometryFactory> factory_;
};

class GeometryFixture : public GeometryServerFixture {
protected:
    ComPtr<IWKBGeometry> Point(double x, double y) {
        ComPtr<IWKBPoint> point;
        EXPECT_EQ(Factory()->NewWKBPointXY(x, y, point.Put()), S_OK);
        return ComPtr<IWKBGeometry>::QueryFrom(point.Get());
    }
    ComPtr<IWKBLineString> Line(const Ring& points) {
        ComPtr<IWKBLineString> line;
        EXPECT_EQ(Factory()->NewWKBLineString(line.Put()), S_OK);
        for (const auto& [x, y] : points) line->AddPointXY(x, y);
        return line;
    }
    ComPtr<IWKBPolygon> Polygon(const Ring& ring) {
        ComPtr<IWKBPolygon> polygon;
        EXPECT_EQ(Factory()->NewWKBPolygon(polygon.Put()), S_OK);
        polygon->SetExteriorRing(Line(ring).Get());
        return polygon;
    }
    ComPtr<IWKBGeometry> MultiPoint(const Ring& points) {
        ComPtr<IWKBMultiPoint> multi;
        EXPECT_EQ(Factory()->NewWKBMultiPoint(multi.Put()), S_OK);
        for (const auto& [x, y] : points) multi->AddPointXY(x, y);
        return ComPtr<IWKBGeometry>::QueryFrom(multi.Get());
    }
    template <class I>
    static ComPtr<IWKBGeometry> AsGeometry(const ComPtr<I>& object) {
        return ComPtr<IWKBGeometry>::QueryFrom(object.Get());
    }
};

inline ULONG RefCount(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

}  // namespace wlxtest
