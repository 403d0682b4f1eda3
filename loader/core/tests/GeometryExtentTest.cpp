#include <gtest/gtest.h>

#include "loader/core/GeometryExtent.h"
#include "testing/GeometryFixture.h"

namespace {

using ExtentTest = wlxtest::GeometryFixture;

TEST_F(ExtentTest, CoversEveryPointOfEveryType) {
    ComPtr<IWKBPolygon> withHole = Polygon({{0, 0}, {4, 0}, {4, 4}, {0, 0}});
    withHole->AddInteriorRing(Line({{1, 1}, {9, 1}, {1, -7}, {1, 1}}).Get());
    ComPtr<IWKBMultiLineString> lines;
    ASSERT_EQ(Factory()->NewWKBMultiLineString(lines.Put()), S_OK);
    lines->AddLineString(Line({{-3, 2}, {0, 0}}).Get());
    lines->AddLineString(Line({{5, 6}}).Get());
    ComPtr<IWKBMultiPolygon> polygons;
    ASSERT_EQ(Factory()->NewWKBMultiPolygon(polygons.Put()), S_OK);
    polygons->AddPolygon(withHole.Get());
    ComPtr<IWKBGeometryCollection> collection;
    ASSERT_EQ(Factory()->NewWKBGeometryCollection(collection.Put()), S_OK);
    collection->AddGeometry(Point(-10, 20).Get());
    collection->AddGeometry(AsGeometry(lines).Get());

    struct Case {
        const char* name;
        ComPtr<IWKBGeometry> geometry;
        CExtent2d expected;
    } cases[] = {
        {"point", Point(1, 2), {1, 2, 1, 2}},
        {"line", AsGeometry(Line({{1, 5}, {-2, 3}})), {-2, 3, 1, 5}},
        {"multipoint", MultiPoint({{7, 7}, {8, -1}}), {7, -1, 8, 7}},
        {"polygon with hole", AsGeometry(withHole), {0, -7, 9, 4}},
        {"multiline", AsGeometry(lines), {-3, 0, 5, 6}},
        {"multipolygon", AsGeometry(polygons), {0, -7, 9, 4}},
        {"collection", AsGeometry(collection), {-10, 0, 5, 20}},
    };
    for (const auto& c : cases) {
        CExtent2d extent{1e35, 1e35, -1e35, -1e35};
        ASSERT_EQ(ComputeGeometryExtent(extent, c.geometry.Get()), 0) << c.name;
        EXPECT_EQ(extent.minX, c.expected.minX) << c.name;
        EXPECT_EQ(extent.minY, c.expected.minY) << c.name;
        EXPECT_EQ(extent.maxX, c.expected.maxX) << c.name;
        EXPECT_EQ(extent.maxY, c.expected.maxY) << c.name;
    }
}

}  // namespace
