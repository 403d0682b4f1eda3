// The server's encodings against outside implementations: what it writes,
// shapely (GEOS) and GDAL's OGR read as the same geometry, and what shapely
// writes, in either byte order or both mixed, the server reads.
#include <sstream>

#include "geometry/tests/GeometryTestSupport.h"
#include "testing/TestSupport.h"

namespace geometrytest {
namespace {

const char kPython[] = "/usr/bin/python3";

const char* const kWkt[] = {
    "POINT (1 2)",
    "POINT (-0.1 123456789.123456789)",
    "LINESTRING (0 0, 1.5 -2, 1e-300 1e300)",
    "POLYGON ((0 0, 10 0, 10 10, 0 10, 0 0), (1 1, 2 1, 2 2, 1 1), (5 5, 6 5, 6 6, 5 5))",
    "MULTIPOINT (1 2, -3 4, 5.25 -6.5)",
    "MULTILINESTRING ((0 0, 1 1), (2 2, 3 3, 4 5))",
    "MULTIPOLYGON (((0 0, 1 0, 0 1, 0 0)), ((5 5, 7 5, 7 7, 5 5), (5.5 5.5, 6 5.5, 6 6, 5.5 5.5)))",
    "MULTIPOLYGON EMPTY",
    "GEOMETRYCOLLECTION (POINT (1 2), LINESTRING (3 4, 5 6), GEOMETRYCOLLECTION (MULTIPOINT (7 8, "
    "9 10)),"
    " POLYGON ((0 0, 1 0, 1 1, 0 0)))",
    "GEOMETRYCOLLECTION EMPTY",
};

std::vector<std::vector<std::string>> RunOracle(const std::string& mode, const std::string& input) {
    wlxtest::TempDir dir;
    wlxtest::WriteText(dir / "input.txt", input);
    auto result =
        wlxtest::Run(kPython, {wlxtest::SourcePath("geometry/tests/wkb_oracle.py").string(), mode,
                               (dir / "input.txt").string()});
    if (result.exitCode == 3) return {};
    EXPECT_EQ(result.exitCode, 0) << result.err;
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(result.out);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> fields;
        std::istringstream parts(line);
        for (std::string field; std::getline(parts, field, '\t');) fields.push_back(field);
        rows.push_back(fields);
    }
    return rows;
}

class OracleTest : public GeometryTest {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(kPython)) GTEST_SKIP() << kPython << " is not installed";
        GeometryTest::SetUp();
    }
};

TEST_F(OracleTest, OutsideEncodingsLoadAndSaveBackExactly) {
    std::string input;
    for (const char* text : kWkt) input += std::string(text) + "\n";
    auto rows = RunOracle("write", input);
    if (rows.empty()) GTEST_SKIP() << "shapely or GDAL's Python bindings are not installed";
    ASSERT_EQ(rows.size(), std::size(kWkt));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        ASSERT_EQ(rows[i].size(), 4u);
        for (std::size_t form = 1; form < 4; ++form) {
            SCOPED_TRACE(std::string(kWkt[i]) + (form == 1   ? " little"
                                                 : form == 2 ? " big"
                                                             : " mixed"));
            Bytes bytes = Hex(rows[i][form]);
            HRESULT hr = E_FAIL;
            auto geometry = Load(bytes, &hr);
            ASSERT_TRUE(geometry) << std::hex << hr;
            EXPECT_EQ(Canon(geometry.Get()), rows[i][0]);
            EXPECT_EQ(wlxtest::HexDiff(bytes, Save(geometry.Get())), "");
        }
    }
}

TEST_F(OracleTest, ServerEncodingsReadTheSameOutside) {
    // Loaded from golden bytes (so both byte orders occur) or built through
    // the interfaces, then saved by the server.
    std::vector<ComPtr<IWKBGeometry>> geometries;
    for (const char* hex :
         {"00 00000001 3ff0000000000000 4000000000000000",
          "01 04000000 02000000 00 00000001 3ff0000000000000 4000000000000000 01 01000000 "
          "0000000000000840 0000000000001040",
          "00 00000003 00000001 00000004 0000000000000000 0000000000000000 4000000000000000 "
          "0000000000000000 4000000000000000 4000000000000000 0000000000000000 0000000000000000"}) {
        geometries.push_back(Load(Hex(hex)));
        ASSERT_TRUE(geometries.back());
    }
    ComPtr<IWKBGeometryCollection> collection;
    ASSERT_EQ(Factory()->NewWKBGeometryCollection(collection.Put()), S_OK);
    ComPtr<IWKBMultiLineString> lines;
    ASSERT_EQ(Factory()->NewWKBMultiLineString(lines.Put()), S_OK);
    ASSERT_EQ(lines->AddLineString(Line({{0.1, 0.2}, {-1e-7, 3e12}}).Get()), S_OK);
    ASSERT_EQ(lines->AddLineString(Line({{-0.0, 7}, {8, 9}}).Get()), S_OK);
    ASSERT_EQ(collection->AddGeometry(lines.Get()), S_OK);
    ASSERT_EQ(collection->AddGeometry(geometries[2].Get()), S_OK);
    ASSERT_EQ(collection->AddGeometry(Point(-180, 90).Get()), S_OK);
    geometries.push_back(ComPtr<IWKBGeometry>::QueryFrom(collection.Get()));

    std::string input;
    for (const auto& geometry : geometries) input += ToHex(Save(geometry.Get())) + "\n";
    auto rows = RunOracle("read", input);
    if (rows.empty()) GTEST_SKIP() << "shapely or GDAL's Python bindings are not installed";
    ASSERT_EQ(rows.size(), geometries.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        ASSERT_EQ(rows[i].size(), 2u);
        std::string canon = Canon(geometries[i].Get());
        EXPECT_EQ(rows[i][0], canon) << "shapely";
        EXPECT_EQ(rows[i][1], canon) << "OGR";
    }
}

}  // namespace
}  // namespace geometrytest
