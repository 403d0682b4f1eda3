// The geometry objects' interfaces: creation, members, sharing, identity.
#include <functional>
#include <set>
#include <sstream>
#include <thread>

#include "geometry/tests/GeometryTestSupport.h"
#include "platform/ErrorInfo.h"
#include "platform/Persist.h"
#include "testing/TestSupport.h"

namespace geometrytest {
namespace {

ULONG RefCount(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

TEST_F(GeometryTest, EveryClassIsCreatedByItsClassIdEmptyAndLittleEndian) {
    struct Case {
        const CLSID& clsid;
        const IID& iid;
        EWKBGeometryType type;
    } cases[] = {
        {CLSID_WKBPoint, IID_IWKBPoint, kWkbPoint},
        {CLSID_WKBLineString, IID_IWKBLineString, kWkbLineString},
        {CLSID_WKBPolygon, IID_IWKBPolygon, kWkbPolygon},
        {CLSID_WKBMultiPoint, IID_IWKBMultiPoint, kWkbMultiPoint},
        {CLSID_WKBMultiLineString, IID_IWKBMultiLineString, kWkbMultiLineString},
        {CLSID_WKBMultiPolygon, IID_IWKBMultiPolygon, kWkbMultiPolygon},
        {CLSID_WKBGeometryCollection, IID_IWKBGeometryCollection, kWkbGeometryCollection},
    };
    const char* empty[] = {"Point(0 0)",          "LineString()",      "Polygon()",
                           "MultiPoint[]",        "MultiLineString[]", "MultiPolygon[]",
                           "GeometryCollection[]"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        ComPtr<IWKBGeometry> geometry;
        ASSERT_EQ(CoCreateInstance(c.clsid, nullptr, CLSCTX_INPROC_SERVER, c.iid,
                                   reinterpret_cast<void**>(geometry.Put())),
                  S_OK);
        EWKBGeometryType type{};
        EWKBByteOrder order{};
        EXPECT_EQ(geometry->GetType(&type), S_OK);
        EXPECT_EQ(geometry->GetByteOrder(&order), S_OK);
        EXPECT_EQ(type, c.type);
        EXPECT_EQ(order, kWkbLittleEndian);
        EXPECT_EQ(Canon(geometry.Get()), empty[c.type - 1]);
        EXPECT_EQ(RefCount(geometry.Get()), 1u);
    }

    // The factory's New operations make the same objects.
    ComPtr<IWKBPoint> point;
    ComPtr<IWKBLineString> line;
    ComPtr<IWKBPolygon> polygon;
    ComPtr<IWKBMultiPoint> multiPoint;
    ComPtr<IWKBMultiLineString> multiLine;
    ComPtr<IWKBMultiPolygon> multiPolygon;
    ComPtr<IWKBGeometryCollection> collection;
    ASSERT_EQ(Factory()->NewWKBPoint(point.Put()), S_OK);
    ASSERT_EQ(Factory()->NewWKBLineString(line.Put()), S_OK);
    ASSERT_EQ(Factory()->NewWKBPolygon(polygon.Put()), S_OK);
    ASSERT_EQ(Factory()->NewWKBMultiPoint(multiPoint.Put()), S_OK);
    ASSERT_EQ(Factory()->NewWKBMultiLineString(multiLine.Put()), S_OK);
    ASSERT_EQ(Factory()->NewWKBMultiPolygon(multiPolygon.Put()), S_OK);
    ASSERT_EQ(Factory()->NewWKBGeometryCollection(collection.Put()), S_OK);
    IWKBGeometry* made[] = {point.Get(),     line.Get(),         polygon.Get(),   multiPoint.Get(),
                            multiLine.Get(), multiPolygon.Get(), collection.Get()};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(Canon(made[i]), empty[i]);
        EXPECT_EQ(RefCount(made[i]), 1u);
    }
    EXPECT_EQ(Factory()->NewWKBPoint(nullptr), E_POINTER);
}

TEST_F(GeometryTest, ClassObjectsRefuseUnknownClassesAndAggregation) {
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(CoCreateInstance(CLSID_WKBGeometry, nullptr, CLSCTX_INPROC_SERVER, IID_IWKBGeometry,
                               &object),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(
        CoCreateInstance(CLSID_WKBPoint, Factory(), CLSCTX_INPROC_SERVER, IID_IUnknown, &object),
        CLASS_E_NOAGGREGATION);
    EXPECT_EQ(CoCreateInstance(CLSID_WKBPoint, nullptr, CLSCTX_INPROC_SERVER, IID_IWKBLineString,
                               &object),
              E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
}

TEST_F(GeometryTest, InterfacesShareOneIdentityAndReportTheirErrorSupport) {
    auto line = Line({});
    auto identity = ComPtr<IUnknown>::QueryFrom(line.Get());
    ASSERT_TRUE(identity);
    EXPECT_EQ(
        identity.Get(),
        ComPtr<IUnknown>::QueryFrom(ComPtr<IPersistStream>::QueryFrom(line.Get()).Get()).Get());
    EXPECT_EQ(
        identity.Get(),
        ComPtr<IUnknown>::QueryFrom(ComPtr<ISupportErrorInfo>::QueryFrom(line.Get()).Get()).Get());
    EXPECT_TRUE(ComPtr<IWKBGeometry>::QueryFrom(line.Get()));
    EXPECT_TRUE(ComPtr<IPersist>::QueryFrom(line.Get()));
    EXPECT_FALSE(ComPtr<IWKBMultiPoint>::QueryFrom(line.Get()));
    EXPECT_FALSE(ComPtr<IWKBGeometryFactory>::QueryFrom(line.Get()));

    auto errorInfo = ComPtr<ISupportErrorInfo>::QueryFrom(line.Get());
    EXPECT_EQ(errorInfo->InterfaceSupportsErrorInfo(IID_IWKBLineString), S_OK);
    EXPECT_EQ(errorInfo->InterfaceSupportsErrorInfo(IID_IWKBGeometry), S_FALSE);
    auto factoryErrorInfo = ComPtr<ISupportErrorInfo>::QueryFrom(Factory());
    ASSERT_TRUE(factoryErrorInfo);
    EXPECT_EQ(factoryErrorInfo->InterfaceSupportsErrorInfo(IID_IWKBGeometryFactory), S_OK);
    EXPECT_EQ(factoryErrorInfo->InterfaceSupportsErrorInfo(IID_IWKBPoint), S_FALSE);

    auto persist = ComPtr<IPersistStream>::QueryFrom(line.Get());
    CLSID clsid{};
    std::uint64_t size = 0;
    EXPECT_EQ(persist->GetClassID(&clsid), E_NOTIMPL);
    EXPECT_EQ(persist->GetClassID(nullptr), E_POINTER);
    EXPECT_EQ(persist->GetSizeMax(&size), E_NOTIMPL);
    EXPECT_EQ(persist->GetSizeMax(nullptr), E_POINTER);
    EXPECT_EQ(persist->IsDirty(), S_OK);
}

TEST_F(GeometryTest, PointCoordinates) {
    auto point = Point(3, 4);
    double x = 0, y = 0;
    EXPECT_EQ(point->GetXY(&x, &y), S_OK);
    EXPECT_EQ(Coordinate(x, y), "3 4");
    EXPECT_EQ(point->SetX(-1.5), S_OK);
    EXPECT_EQ(point->SetY(2.25), S_OK);
    EXPECT_EQ(point->GetX(&x), S_OK);
    EXPECT_EQ(point->GetY(&y), S_OK);
    EXPECT_EQ(Coordinate(x, y), "-1.5 2.25");
    EXPECT_EQ(point->SetXY(7, 8), S_OK);
    EXPECT_EQ(Canon(point.Get()), "Point(7 8)");
    EXPECT_EQ(point->Reset(), S_OK);
    EXPECT_EQ(Canon(point.Get()), "Point(0 0)");
}

// The array rules, once for each interface whose members are points.
template <class PointList>
void CheckPointListRules(PointList* list,
                         const std::function<ComPtr<IWKBPoint>(double, double)>& point) {
    auto canon = [&] { return "(" + Coordinates(list) + ")"; };
    ASSERT_EQ(list->AddPointXY(1, 1), S_OK);
    ASSERT_EQ(list->AddPoint(point(2, 2).Get()), S_OK);
    ASSERT_EQ(canon(), "(1 1,2 2)");

    struct Case {
        const char* what;
        std::function<HRESULT()> call;
        HRESULT expected;
        const char* after;
    } cases[] = {
        {"get at size",
         [&] {
             ComPtr<IWKBPoint> p;
             return list->GetPoint(2, p.Put());
         },
         kInvalidIndex, "(1 1,2 2)"},
        {"get negative",
         [&] {
             ComPtr<IWKBPoint> p;
             return list->GetPoint(-1, p.Put());
         },
         kInvalidIndex, "(1 1,2 2)"},
        {"get xy at size",
         [&] {
             double x, y;
             return list->GetPointXY(2, &x, &y);
         },
         kInvalidIndex, "(1 1,2 2)"},
        {"set xy at size", [&] { return list->SetPointXY(2, 0, 0); }, kInvalidIndex, "(1 1,2 2)"},
        {"set past size", [&] { return list->SetPoint(3, point(9, 9).Get()); }, kInvalidIndex,
         "(1 1,2 2)"},
        {"insert past size", [&] { return list->InsertPoint(3, point(9, 9).Get()); }, kInvalidIndex,
         "(1 1,2 2)"},
        {"insert xy negative", [&] { return list->InsertPointXY(-1, 9, 9); }, kInvalidIndex,
         "(1 1,2 2)"},
        {"set null", [&] { return list->SetPoint(0, nullptr); }, E_POINTER, "(1 1,2 2)"},
        {"add null", [&] { return list->AddPoint(nullptr); }, E_POINTER, "(1 1,2 2)"},
        {"insert null", [&] { return list->InsertPoint(0, nullptr); }, E_POINTER, "(1 1,2 2)"},
        {"set at size appends", [&] { return list->SetPoint(2, point(3, 3).Get()); }, S_OK,
         "(1 1,2 2,3 3)"},
        {"insert at size appends", [&] { return list->InsertPoint(3, point(4, 4).Get()); }, S_OK,
         "(1 1,2 2,3 3,4 4)"},
        {"set replaces", [&] { return list->SetPoint(0, point(0, 0).Get()); }, S_OK,
         "(0 0,2 2,3 3,4 4)"},
        {"insert before", [&] { return list->InsertPoint(1, point(1, 1).Get()); }, S_OK,
         "(0 0,1 1,2 2,3 3,4 4)"},
        {"insert xy before", [&] { return list->InsertPointXY(0, -1, -1); }, S_OK,
         "(-1 -1,0 0,1 1,2 2,3 3,4 4)"},
        {"set xy", [&] { return list->SetPointXY(5, 5, 5); }, S_OK, "(-1 -1,0 0,1 1,2 2,3 3,5 5)"},
        {"reset", [&] { return list->Reset(); }, S_OK, "()"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.call(), c.expected);
        EXPECT_EQ(canon(), c.after);
    }
}

TEST_F(GeometryTest, LineStringAndMultiPointFollowTheArrayRules) {
    auto point = [&](double x, double y) { return Point(x, y); };
    ComPtr<IWKBLineString> line;
    ASSERT_EQ(Factory()->NewWKBLineString(line.Put()), S_OK);
    CheckPointListRules(line.Get(), point);
    ComPtr<IWKBMultiPoint> multiPoint;
    ASSERT_EQ(Factory()->NewWKBMultiPoint(multiPoint.Put()), S_OK);
    CheckPointListRules(multiPoint.Get(), point);
}

TEST_F(GeometryTest, PointsAreSharedMembers) {
    auto shared = Point(1, 1);
    auto first = Line({{0, 0}});
    auto second = Line({});
    ASSERT_EQ(first->AddPoint(shared.Get()), S_OK);
    ASSERT_EQ(second->AddPoint(shared.Get()), S_OK);
    EXPECT_EQ(RefCount(shared.Get()), 3u);

    // A point got from one line string and changed changes both.
    ComPtr<IWKBPoint> got;
    ASSERT_EQ(first->GetPoint(1, got.Put()), S_OK);
    EXPECT_EQ(got.Get(), shared.Get());
    EXPECT_EQ(got->SetXY(5, 6), S_OK);
    EXPECT_EQ(Canon(first.Get()), "LineString(0 0,5 6)");
    EXPECT_EQ(Canon(second.Get()), "LineString(5 6)");
    got.Reset();

    // Replacing, resetting and destroying release the members' references.
    ASSERT_EQ(first->SetPoint(1, Point(2, 2).Get()), S_OK);
    EXPECT_EQ(RefCount(shared.Get()), 2u);
    ASSERT_EQ(second->Reset(), S_OK);
    EXPECT_EQ(RefCount(shared.Get()), 1u);
    ASSERT_EQ(second->AddPoint(shared.Get()), S_OK);
    second.Reset();
    EXPECT_EQ(RefCount(shared.Get()), 1u);
}

// Points may be released on another thread than the one that made them, and
// what a thread that ends has freed is made use of by the next.
TEST_F(GeometryTest, PointsOutliveTheThreadsThatMadeAndFreedThem) {
    auto fill = [](IWKBLineString* line, double base) {
        for (int i = 0; i < 3000; ++i) ASSERT_EQ(line->AddPointXY(base + i, -i), S_OK);
    };
    auto check = [](IWKBLineString* line, double base) {
        WkbLong count = 0;
        ASSERT_EQ(line->GetNumPoints(&count), S_OK);
        ASSERT_EQ(count, 3000);
        for (WkbLong i = 0; i < count; ++i) {
            double x = 0, y = 0;
            ASSERT_EQ(line->GetPointXY(i, &x, &y), S_OK);
            ASSERT_EQ(Coordinate(x, y), Coordinate(base + i, -i));
        }
    };
    auto first = Line({});
    auto second = Line({});
    std::thread([&] {
        fill(first.Get(), 0);
        fill(second.Get(), 1e6);
    }).join();
    std::thread([&] { first.Reset(); }).join();
    auto third = Line({});
    std::thread([&] { fill(third.Get(), 2e6); }).join();
    check(second.Get(), 1e6);
    check(third.Get(), 2e6);
}

TEST_F(GeometryTest, PolygonRings) {
    ComPtr<IWKBPolygon> polygon;
    ASSERT_EQ(Factory()->NewWKBPolygon(polygon.Put()), S_OK);
    WkbLong interior = -1;
    EXPECT_EQ(polygon->GetNumInteriorRings(&interior), S_OK);
    EXPECT_EQ(interior, 0);
    EXPECT_EQ(polygon->AddInteriorRing(Line({{9, 9}}).Get()), kInvalidIndex);
    EXPECT_EQ(RingCount(polygon.Get()), 0u);

    // Asking a polygon without rings for its exterior ring gives it one.
    ComPtr<IWKBLineString> exterior;
    ASSERT_EQ(polygon->GetExteriorRing(exterior.Put()), S_OK);
    EXPECT_EQ(Canon(exterior.Get()), "LineString()");
    EXPECT_EQ(RingCount(polygon.Get()), 1u);
    ASSERT_EQ(exterior->AddPointXY(0, 0), S_OK);
    EXPECT_EQ(polygon->GetNumInteriorRings(&interior), S_OK);
    EXPECT_EQ(interior, 0);

    struct Case {
        const char* what;
        std::function<HRESULT()> call;
        HRESULT expected;
        const char* after;
    } cases[] = {
        {"add",
         [&] {
             return polygon->AddInteriorRing(Line({{1, 1}}).Get());
         },
         S_OK, "Polygon((0 0),(1 1))"},
        {"add again",
         [&] {
             return polygon->AddInteriorRing(Line({{3, 3}}).Get());
         },
         S_OK, "Polygon((0 0),(1 1),(3 3))"},
        {"insert",
         [&] {
             return polygon->InsertInteriorRing(1, Line({{2, 2}}).Get());
         },
         S_OK, "Polygon((0 0),(1 1),(2 2),(3 3))"},
        {"set interior",
         [&] {
             return polygon->SetInteriorRing(0, Line({{4, 4}}).Get());
         },
         S_OK, "Polygon((0 0),(4 4),(2 2),(3 3))"},
        {"set exterior",
         [&] {
             return polygon->SetExteriorRing(Line({{5, 5}}).Get());
         },
         S_OK, "Polygon((5 5),(4 4),(2 2),(3 3))"},
        {"get past last",
         [&] {
             ComPtr<IWKBLineString> r;
             return polygon->GetInteriorRing(3, r.Put());
         },
         kInvalidIndex, "Polygon((5 5),(4 4),(2 2),(3 3))"},
        // A negative index must not reach the exterior ring.
        {"get negative",
         [&] {
             ComPtr<IWKBLineString> r;
             return polygon->GetInteriorRing(-1, r.Put());
         },
         kInvalidIndex, "Polygon((5 5),(4 4),(2 2),(3 3))"},
        {"set negative", [&] { return polygon->SetInteriorRing(-1, Line({}).Get()); },
         kInvalidIndex, "Polygon((5 5),(4 4),(2 2),(3 3))"},
        {"insert negative", [&] { return polygon->InsertInteriorRing(-1, Line({}).Get()); },
         kInvalidIndex, "Polygon((5 5),(4 4),(2 2),(3 3))"},
        {"get largest index",
         [&] {
             ComPtr<IWKBLineString> r;
             return polygon->GetInteriorRing(0x7FFFFFFF, r.Put());
         },
         kInvalidIndex, "Polygon((5 5),(4 4),(2 2),(3 3))"},
        {"set null", [&] { return polygon->SetExteriorRing(nullptr); }, E_POINTER,
         "Polygon((5 5),(4 4),(2 2),(3 3))"},
        {"add null", [&] { return polygon->AddInteriorRing(nullptr); }, E_POINTER,
         "Polygon((5 5),(4 4),(2 2),(3 3))"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.call(), c.expected);
        EXPECT_EQ(Canon(polygon.Get()), c.after);
    }
    EXPECT_EQ(polygon->GetNumInteriorRings(&interior), S_OK);
    EXPECT_EQ(interior, 3);
    EXPECT_EQ(polygon->Reset(), S_OK);
    EXPECT_EQ(Canon(polygon.Get()), "Polygon()");
}

TEST_F(GeometryTest, MultiGeometriesAndCollectionsFollowTheArrayRules) {
    ComPtr<IWKBMultiLineString> lines;
    ASSERT_EQ(Factory()->NewWKBMultiLineString(lines.Put()), S_OK);
    ComPtr<IWKBPolygon> polygon;
    ASSERT_EQ(Factory()->NewWKBPolygon(polygon.Put()), S_OK);
    ComPtr<IWKBMultiPolygon> polygons;
    ASSERT_EQ(Factory()->NewWKBMultiPolygon(polygons.Put()), S_OK);
    ComPtr<IWKBGeometryCollection> collection;
    ASSERT_EQ(Factory()->NewWKBGeometryCollection(collection.Put()), S_OK);
    ComPtr<IWKBLineString> got;
    ComPtr<IWKBPolygon> gotPolygon;
    ComPtr<IWKBGeometry> gotGeometry;

    struct Case {
        const char* what;
        std::function<HRESULT()> call;
        HRESULT expected;
    } cases[] = {
        {"line add",
         [&] {
             return lines->AddLineString(Line({{1, 1}}).Get());
         },
         S_OK},
        {"line insert at 0",
         [&] {
             return lines->InsertLineString(0, Line({{0, 0}}).Get());
         },
         S_OK},
        {"line set at size",
         [&] {
             return lines->SetLineString(2, Line({{2, 2}}).Get());
         },
         S_OK},
        {"line set past size", [&] { return lines->SetLineString(4, Line({}).Get()); },
         kInvalidIndex},
        {"line insert past size", [&] { return lines->InsertLineString(4, Line({}).Get()); },
         kInvalidIndex},
        {"line get", [&] { return lines->GetLineString(2, got.Put()); }, S_OK},
        {"line get at size",
         [&] {
             ComPtr<IWKBLineString> l;
             return lines->GetLineString(3, l.Put());
         },
         kInvalidIndex},
        {"line add null", [&] { return lines->AddLineString(nullptr); }, E_POINTER},
        {"polygon add", [&] { return polygons->AddPolygon(polygon.Get()); }, S_OK},
        {"polygon set", [&] { return polygons->SetPolygon(0, polygon.Get()); }, S_OK},
        {"polygon insert", [&] { return polygons->InsertPolygon(1, polygon.Get()); }, S_OK},
        {"polygon get", [&] { return polygons->GetPolygon(1, gotPolygon.Put()); }, S_OK},
        {"polygon get negative",
         [&] {
             ComPtr<IWKBPolygon> p;
             return polygons->GetPolygon(-1, p.Put());
         },
         kInvalidIndex},
        {"polygon set null", [&] { return polygons->SetPolygon(0, nullptr); }, E_POINTER},
        {"any add point", [&] { return collection->AddGeometry(Point(1, 2).Get()); }, S_OK},
        {"any add lines", [&] { return collection->AddGeometry(lines.Get()); }, S_OK},
        {"any insert polygon", [&] { return collection->InsertGeometry(1, polygons.Get()); }, S_OK},
        {"any set", [&] { return collection->SetGeometry(0, Point(3, 4).Get()); }, S_OK},
        {"any get", [&] { return collection->GetGeometry(2, gotGeometry.Put()); }, S_OK},
        {"any get at size", [&] { return collection->GetGeometry(3, gotGeometry.Put()); },
         kInvalidIndex},
        {"any insert null", [&] { return collection->InsertGeometry(0, nullptr); }, E_POINTER},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.call(), c.expected);
    }
    EXPECT_EQ(gotGeometry.Get(), nullptr) << "a failed Get leaves the out-pointer null";
    EXPECT_EQ(Canon(got.Get()), "LineString(2 2)");
    EXPECT_EQ(gotPolygon.Get(), polygon.Get());
    EXPECT_EQ(Canon(collection.Get()),
              "GeometryCollection[Point(3 4);MultiPolygon[Polygon();Polygon()];"
              "MultiLineString[LineString(0 0);LineString(1 1);LineString(2 2)]]");
    EXPECT_EQ(collection->Reset(), S_OK);
    EXPECT_EQ(Canon(collection.Get()), "GeometryCollection[]");
}

TEST_F(GeometryTest, CollectionsRefuseToHoldThemselves) {
    ComPtr<IWKBGeometryCollection> outer, middle, inner;
    ASSERT_EQ(Factory()->NewWKBGeometryCollection(outer.Put()), S_OK);
    ASSERT_EQ(Factory()->NewWKBGeometryCollection(middle.Put()), S_OK);
    ASSERT_EQ(Factory()->NewWKBGeometryCollection(inner.Put()), S_OK);
    ASSERT_EQ(outer->AddGeometry(middle.Get()), S_OK);
    ASSERT_EQ(middle->AddGeometry(inner.Get()), S_OK);
    ASSERT_EQ(inner->AddGeometry(Point(1, 1).Get()), S_OK);

    EXPECT_EQ(outer->AddGeometry(outer.Get()), E_INVALIDARG);
    EXPECT_EQ(outer->SetGeometry(0, outer.Get()), E_INVALIDARG);
    EXPECT_EQ(inner->AddGeometry(outer.Get()), E_INVALIDARG);
    EXPECT_EQ(inner->InsertGeometry(0, middle.Get()), E_INVALIDARG);
    // Sharing without a cycle stays allowed.
    EXPECT_EQ(outer->AddGeometry(inner.Get()), S_OK);
    EXPECT_EQ(Canon(outer.Get()),
              "GeometryCollection[GeometryCollection[GeometryCollection[Point(1 1)]];"
              "GeometryCollection[Point(1 1)]]");
}

TEST_F(GeometryTest, CollectionsNestOnlyAsDeepAsTheyCanBeSaved) {
    // The deepest chain a collection may hold: it saves, and loads back.
    ComPtr<IWKBGeometryCollection> top;
    ASSERT_EQ(Factory()->NewWKBGeometryCollection(top.Put()), S_OK);
    for (int depth = 1; depth < 32; ++depth) {
        ComPtr<IWKBGeometryCollection> outer;
        ASSERT_EQ(Factory()->NewWKBGeometryCollection(outer.Put()), S_OK);
        ASSERT_EQ(outer->AddGeometry(top.Get()), S_OK) << depth;
        top = outer;
    }
    Bytes bytes = Save(top.Get());
    EXPECT_EQ(bytes.size(), 32u * 9u);
    HRESULT hr = E_FAIL;
    EXPECT_TRUE(Load(bytes, &hr)) << std::hex << hr;

    ComPtr<IWKBGeometryCollection> deeper;
    ASSERT_EQ(Factory()->NewWKBGeometryCollection(deeper.Put()), S_OK);
    EXPECT_EQ(deeper->AddGeometry(top.Get()), E_INVALIDARG);
}

// Export nothing but the four entry points of an in-process server.
TEST(GeoweaveLibrary, ExportsOnlyTheServerEntryPoints) {
    if (!wlxtest::HaveTool("nm")) GTEST_SKIP() << "nm is not installed";
    auto result = wlxtest::Run("/bin/sh", {"-c", "exec nm -D --defined-only \"$1\"", "sh",
                                           (wlxtest::BinDir() / "libGeoweave.so").string()});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    std::set<std::string> names;
    std::istringstream lines(result.out);
    std::string address, kind, name;
    while (lines >> address >> kind >> name) names.insert(name);
    EXPECT_EQ(names, (std::set<std::string>{"DllCanUnloadNow", "DllGetClassObject",
                                            "DllRegisterServer", "DllUnregisterServer"}));
}

}  // namespace
}  // namespace geometrytest
