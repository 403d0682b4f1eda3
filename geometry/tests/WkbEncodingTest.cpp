// Well-known binary: golden encodings load, and save back byte for byte in
// the byte orders they were read in.
#include "geometry/tests/GeometryTestSupport.h"
#include "platform/Persist.h"
#include "testing/TestSupport.h"

namespace geometrytest {
namespace {

struct Golden {
    const char* name;
    const char* hex;
    const char* canon;
};

const Golden kGolden[] = {
    {"point little-endian", "01 01000000 000000000000f03f 0000000000000040", "Point(1 2)"},
    {"point big-endian", "00 00000001 3ff0000000000000 4000000000000000", "Point(1 2)"},
    {"line string little-endian",
     "01 02000000 02000000 0000000000000000 0000000000000000 000000000000f83f 00000000000000c0",
     "LineString(0 0,1.5 -2)"},
    {"line string big-endian",
     "00 00000002 00000002 0000000000000000 0000000000000000 3ff8000000000000 c000000000000000",
     "LineString(0 0,1.5 -2)"},
    {"polygon with a hole, big-endian",
     "000000000300000002000000040000000000000000000000000000000040100000000000000000000000000000401"
     "0000000000000"
     "401000000000000000000000000000000000000000000000000000043ff00000000000003ff000000000000040000"
     "00000000000"
     "3ff00000000000003ff000000000000040000000000000003ff00000000000003ff0000000000000",
     "Polygon((0 0,4 0,4 4,0 0),(1 1,2 1,1 2,1 1))"},
    {"polygon without rings", "01 03000000 00000000", "Polygon()"},
    {"multi point of mixed byte orders",
     "01 04000000 02000000 00 00000001 3ff0000000000000 4000000000000000 01 01000000 "
     "0000000000000840 "
     "0000000000001040",
     "MultiPoint[Point(1 2);Point(3 4)]"},
    {"multi line string, members of both orders",
     "000000000500000002000000000200000002000000000000000000000000000000003ff00000000000003ff000000"
     "000000001"
     "020000000100000000000000000000400000000000000040",
     "MultiLineString[LineString(0 0,1 1);LineString(2 2)]"},
    {"multi polygon with an empty member",
     "0106000000020000000103000000010000000400000000000000000000000000000000000000000000000000f03f0"
     "000000000000000"
     "0000000000000000000000000000f03f00000000000000000000000000000000000000000300000000",
     "MultiPolygon[Polygon((0 0,1 0,0 1,0 0));Polygon()]"},
    {"nested collection",
     "0000000007000000040101000000000000000000f03f0000000000000040000000000200000001400800000000000"
     "04010000000"
     "000000010700000000000000000000000400000001000000000140140000000000004018000000000000",
     "GeometryCollection[Point(1 2);LineString(3 4);GeometryCollection[];MultiPoint[Point(5 6)]]"},
};

TEST_F(GeometryTest, GoldenEncodingsLoadAndSaveBackExactly) {
    for (const Golden& golden : kGolden) {
        SCOPED_TRACE(golden.name);
        Bytes bytes = Hex(golden.hex);
        HRESULT hr = E_FAIL;
        auto geometry = Load(bytes, &hr);
        ASSERT_EQ(hr, S_OK);
        ASSERT_TRUE(geometry);
        EXPECT_EQ(Canon(geometry.Get()), golden.canon);
        EWKBByteOrder order{};
        geometry->GetByteOrder(&order);
        EXPECT_EQ(order, bytes[0]);
        EXPECT_EQ(wlxtest::HexDiff(bytes, Save(geometry.Get())), "");
    }
}

TEST_F(GeometryTest, BuiltGeometriesSaveLittleEndian) {
    // A new point: 01, the type 1 in four little-endian bytes, two zero doubles.
    ComPtr<IWKBPoint> point;
    ASSERT_EQ(Factory()->NewWKBPoint(point.Put()), S_OK);
    EXPECT_EQ(
        wlxtest::HexDiff(Hex("01 01000000 0000000000000000 0000000000000000"), Save(point.Get())),
        "");

    ComPtr<IWKBMultiPolygon> polygons;
    ASSERT_EQ(Factory()->NewWKBMultiPolygon(polygons.Put()), S_OK);
    ComPtr<IWKBPolygon> polygon;
    ASSERT_EQ(Factory()->NewWKBPolygon(polygon.Put()), S_OK);
    ASSERT_EQ(polygon->SetExteriorRing(Line({{0, 0}, {1, 0}, {0, 1}, {0, 0}}).Get()), S_OK);
    ASSERT_EQ(polygons->AddPolygon(polygon.Get()), S_OK);
    ComPtr<IWKBPolygon> empty;
    ASSERT_EQ(Factory()->NewWKBPolygon(empty.Put()), S_OK);
    ASSERT_EQ(polygons->AddPolygon(empty.Get()), S_OK);
    EXPECT_EQ(
        wlxtest::HexDiff(Hex("01 06000000 02000000"
                             " 01 03000000 01000000 04000000 0000000000000000 0000000000000000"
                             " 000000000000f03f 0000000000000000 0000000000000000 000000000000f03f"
                             " 0000000000000000 0000000000000000"
                             " 01 03000000 00000000"),
                         Save(polygons.Get())),
        "");
}

TEST_F(GeometryTest, SaveKeepsTheByteOrderThatWasLoaded) {
    auto line = Load(Hex(kGolden[3].hex));
    ASSERT_TRUE(line);
    auto lineString = ComPtr<IWKBLineString>::QueryFrom(line.Get());
    ASSERT_EQ(lineString->Reset(), S_OK);
    ASSERT_EQ(lineString->AddPointXY(1, 2), S_OK);
    EXPECT_EQ(wlxtest::HexDiff(Hex("00 00000002 00000001 3ff0000000000000 4000000000000000"),
                               Save(line.Get())),
              "");

    // Loading into an existing object replaces what it held, byte order included.
    auto persist = ComPtr<IPersistStream>::QueryFrom(line.Get());
    ComPtr<IStream> stream;
    ASSERT_EQ(Factory()->CreateWKBStream(stream.Put()), S_OK);
    Bytes little = Hex(kGolden[2].hex);
    ASSERT_EQ(stream->Write(little.data(), static_cast<std::uint32_t>(little.size()), nullptr),
              S_OK);
    ASSERT_EQ(stream->Seek(0, STREAM_SEEK_SET, nullptr), S_OK);
    ASSERT_EQ(persist->Load(stream.Get()), S_OK);
    EXPECT_EQ(wlxtest::HexDiff(little, Save(line.Get())), "");
}

TEST_F(GeometryTest, GeometryStreamsAndArrays) {
    auto geometry = Load(Hex(kGolden[0].hex));
    ASSERT_TRUE(geometry);

    // The byte stream stands at its start and holds just the encoding.
    ComPtr<IStream> stream;
    ASSERT_EQ(geometry->GetByteStream(stream.Put()), S_OK);
    std::uint8_t buffer[32];
    std::uint32_t read = 0;
    ASSERT_EQ(stream->Read(buffer, sizeof buffer, &read), S_OK);
    EXPECT_EQ(ToHex(Bytes(buffer, buffer + read)), ToHex(Hex(kGolden[0].hex)));

    SAFEARRAY* array = nullptr;
    ASSERT_EQ(geometry->GetByteStreamSafeArray(&array), S_OK);
    std::int32_t lower = -1, upper = -1;
    EXPECT_EQ(SafeArrayGetDim(array), 1u);
    EXPECT_EQ(SafeArrayGetElemsize(array), 1u);
    EXPECT_EQ(SafeArrayGetLBound(array, 1, &lower), S_OK);
    EXPECT_EQ(SafeArrayGetUBound(array, 1, &upper), S_OK);
    EXPECT_EQ(lower, 0);
    EXPECT_EQ(upper, 20);

    // An array made by the server makes the geometry again.
    ComPtr<IWKBGeometry> copy;
    ASSERT_EQ(Factory()->CreateWKBGeometryFromSafeArray(array, copy.Put()), S_OK);
    EXPECT_EQ(Canon(copy.Get()), "Point(1 2)");
    EXPECT_EQ(array->cLocks, 0u);
    SafeArrayDestroy(array);

    EXPECT_EQ(geometry->GetByteStream(nullptr), E_POINTER);
    EXPECT_EQ(geometry->GetByteStreamSafeArray(nullptr), E_POINTER);
}

TEST_F(GeometryTest, FactoryRefusesArraysThatAreNotBytes) {
    SAFEARRAYBOUND square[] = {{3, 0}, {7, 0}};
    struct Case {
        const char* what;
        SAFEARRAY* array;
    } cases[] = {
        {"no array", nullptr},
        {"two dimensions", SafeArrayCreate(VT_UI1, 2, square)},
        {"four-byte elements", SafeArrayCreateVector(VT_I4, 0, 21)},
        {"no elements", SafeArrayCreateVector(VT_UI1, 0, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto* sentinel = reinterpret_cast<IWKBGeometry*>(&cases);
        IWKBGeometry* geometry = sentinel;
        EXPECT_EQ(Factory()->CreateWKBGeometryFromSafeArray(c.array, &geometry), kInvalidVariant);
        EXPECT_EQ(geometry, nullptr);
        SafeArrayDestroy(c.array);
    }
}

TEST_F(GeometryTest, FactoryCreatesNothingFromNoBytes) {
    Bytes bytes = Hex(kGolden[0].hex);
    auto* sentinel = reinterpret_cast<IWKBGeometry*>(&bytes);
    struct Case {
        const char* what;
        WkbLong size;
        unsigned char* data;
        HRESULT expected;
    } cases[] = {
        {"null bytes", 21, nullptr, S_OK},
        {"no bytes", 0, bytes.data(), S_OK},
        {"negative size", -1, bytes.data(), E_INVALIDARG},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        IWKBGeometry* geometry = sentinel;
        EXPECT_EQ(Factory()->CreateWKBGeometryFromByteArray(c.size, c.data, &geometry), c.expected);
        EXPECT_EQ(geometry, nullptr);
    }
}

TEST_F(GeometryTest, ReadingFromAStreamLeavesItAfterTheGeometry) {
    ComPtr<IStream> stream;
    ASSERT_EQ(Factory()->CreateWKBStream(stream.Put()), S_OK);
    Bytes bytes = Hex(kGolden[9].hex);
    Bytes second = Hex(kGolden[1].hex);
    bytes.insert(bytes.end(), second.begin(), second.end());
    bytes.push_back(0xEE);
    ASSERT_EQ(stream->Write(bytes.data(), static_cast<std::uint32_t>(bytes.size()), nullptr), S_OK);
    ASSERT_EQ(stream->Seek(0, STREAM_SEEK_SET, nullptr), S_OK);

    std::uint64_t position = 0;
    ComPtr<IWKBGeometry> first, next;
    ASSERT_EQ(Factory()->CreateWKBGeometry(stream.Get(), first.Put()), S_OK);
    ASSERT_EQ(stream->Seek(0, STREAM_SEEK_CUR, &position), S_OK);
    EXPECT_EQ(position, Hex(kGolden[9].hex).size());
    ASSERT_EQ(Factory()->CreateWKBGeometry(stream.Get(), next.Put()), S_OK);
    ASSERT_EQ(stream->Seek(0, STREAM_SEEK_CUR, &position), S_OK);
    EXPECT_EQ(position, bytes.size() - 1);
    EXPECT_EQ(Canon(next.Get()), "Point(1 2)");
}

}  // namespace
}  // namespace geometrytest
