#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "loader/core/GeometryWalk.h"
#include "loader/core/LoaderSettings.h"
#include "loader/core/SourceReader.h"
#include "platform/ComRuntime.h"
#include "testing/GeometryFixture.h"

namespace {

using Points = std::vector<std::pair<double, double>>;

class GeometryWalkTest : public wlxtest::GeometryFixture {
protected:
    ComPtr<IWKBPolygon> Polygon(const Points& exterior, const Points& interior) {
        ComPtr<IWKBPolygon> polygon;
        Factory()->NewWKBPolygon(polygon.Put());
        polygon->SetExteriorRing(Line(exterior).Get());
        if (!interior.empty()) polygon->AddInteriorRing(Line(interior).Get());
        return polygon;
    }
    // One geometry of every type in a collection, with a nested collection.
    ComPtr<IWKBGeometry> EveryType() {
        ComPtr<IWKBGeometryCollection> all;
        Factory()->NewWKBGeometryCollection(all.Put());
        all->AddGeometry(Point(1, 1).Get());
        all->AddGeometry(AsGeometry(Line({{2, 2}, {3, 3}})).Get());
        all->AddGeometry(AsGeometry(Polygon({{4, 4}, {5, 5}}, {{6, 6}})).Get());
        all->AddGeometry(MultiPoint({{7, 7}}).Get());
        ComPtr<IWKBMultiLineString> lines;
        Factory()->NewWKBMultiLineString(lines.Put());
        lines->AddLineString(Line({{8, 8}}).Get());
        all->AddGeometry(AsGeometry(lines).Get());
        ComPtr<IWKBMultiPolygon> polygons;
        Factory()->NewWKBMultiPolygon(polygons.Put());
        polygons->AddPolygon(Polygon({{9, 9}}, {{10, 10}}).Get());
        ComPtr<IWKBGeometryCollection> inner;
        Factory()->NewWKBGeometryCollection(inner.Put());
        inner->AddGeometry(AsGeometry(polygons).Get());
        all->AddGeometry(AsGeometry(inner).Get());
        return AsGeometry(all);
    }
};

Points Collect(IWKBGeometry* geometry) {
    Points seen;
    VisitGeometryPoints(geometry, false, [&](double& x, double& y) -> Status {
        seen.emplace_back(x, y);
        return 0;
    });
    return seen;
}

}  // namespace

TEST_F(GeometryWalkTest, VisitsEveryPointOfEveryTypeInOrder) {
    auto geometry = EveryType();
    Points expected;
    for (int i = 1; i <= 10; ++i) expected.emplace_back(i, i);
    EXPECT_EQ(Collect(geometry.Get()), expected);
    EXPECT_EQ(Collect(nullptr), Points{});
}

TEST_F(GeometryWalkTest, WritesBackAndStopsAtTheFirstFailure) {
    auto geometry = EveryType();
    EXPECT_EQ(VisitGeometryPoints(geometry.Get(), true,
                                  [](double& x, double& y) -> Status {
                                      x += 100;
                                      y = -y;
                                      return 0;
                                  }),
              0);
    Points seen = Collect(geometry.Get());
    ASSERT_EQ(seen.size(), 10u);
    EXPECT_EQ(seen.front(), std::make_pair(101.0, -1.0));
    EXPECT_EQ(seen.back(), std::make_pair(110.0, -10.0));

    int visits = 0;
    EXPECT_EQ(VisitGeometryPoints(geometry.Get(), true,
                                  [&](double& x, double&) -> Status {
                                      x = 0;
                                      return ++visits == 3 ? kLoaderCoordSysNotFound : 0;
                                  }),
              kLoaderCoordSysNotFound);
    EXPECT_EQ(visits, 3);
    EXPECT_EQ(Collect(geometry.Get())[2].first, 103.0) << "the failing point is not written back";
}

TEST(SourceReaderTest, CreatesTheGeometryFactoryOrSaysCOMIsUnavailable) {
    struct Reader : CSourceReader {
        using CSourceReader::CSourceReader;
        Status Rewind() override { return 0; }
        Status ReadNext(CFeatureRecord*) override { return kWlxEndOfData; }
        int AtEnd() override { return 1; }
        bool HasFactory() const { return static_cast<bool>(factory_); }
    };
    CLoaderSettings settings;
    Status status = 0;
    Reader outside(&settings, &status);
    EXPECT_EQ(status, kLoaderComUnavailable);
    CoInitialize();
    {
        Reader inside(&settings, &status);
        EXPECT_EQ(status, 0);
        EXPECT_TRUE(inside.HasFactory());
        EXPECT_EQ(inside.GetFileInfo(nullptr), kLoaderInfoNotApplicable);
    }
    CoUninitialize();
}
