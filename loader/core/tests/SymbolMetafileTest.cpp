#include <gtest/gtest.h>

#include <cmath>
#include <regex>

#include "common/ByteOrder.h"
#include "loader/core/FeatureRecord.h"
#include "loader/core/SymbolMetafileWriter.h"
#include "testing/GeometryFixture.h"
#include "testing/TestSupport.h"

namespace {

using SymbolTest = wlxtest::GeometryFixture;

// The XML symbol header: the comment record that follows the map and
// background modes.
std::string SymbolHeader(const std::vector<std::uint8_t>& bytes) {
    std::size_t at = 0;
    while (at + 12 <= bytes.size()) {
        const std::uint32_t type = byteorder::LoadU32Le(&bytes[at]);
        const std::uint32_t size = byteorder::LoadU32Le(&bytes[at + 4]);
        if (type == 70) {
            const std::uint32_t length = byteorder::LoadU32Le(&bytes[at + 8]);
            return std::string(reinterpret_cast<const char*>(&bytes[at + 12]), length);
        }
        if (size == 0) break;
        at += size;
    }
    return {};
}

std::string Header(double refX, double refY) {
    char text[256];
    std::snprintf(text, sizeof text,
                  "<VelstromTessaranSymbol version=\"1.0\"><symboldef  version=\"1.0\" "
                  "refX=\"%f\" refY=\"%f\"/></VelstromTessaranSymbol>",
                  refX, refY);
    return std::string(text) + '\0';
}

std::int32_t FrameCorner(const std::vector<std::uint8_t>& bytes, int field) {
    const std::size_t at = 24 + 4 * field;
    return byteorder::LoadI32Le(&bytes[at]);
}

TEST(SymbolMetafile, ScalesTheLargerSideTo10000AndPlacesTheReferencePoint) {
    struct Case {
        CExtent2d extent;
        double scale;
        std::int32_t right, bottom;
        double refX, refY;
    } cases[] = {
        {{0, 0, 2, 1}, 5000, 10001, 5001, 0.0, 0.25},
        {{-1, -1, 1, 1}, 5000, 10001, 10001, 0.5, 0.5},
        // One point: no size, drawn as if its side were 1.
        {{3, 4, 3, 4}, 10000, 1, 1, -2.5, -3.5},
    };
    wlxtest::TempDir dir;
    for (const auto& c : cases) {
        const auto file = dir / "s.emf";
        Status status = -1;
        {
            CSymbolMetafileWriter writer(file.string(), c.extent, nullptr, status);
            ASSERT_EQ(status, 0);
            EXPECT_EQ(writer.GetScale(), c.scale);
            EXPECT_EQ(writer.CloseMetafile(), 0);
            EXPECT_EQ(writer.CloseMetafile(), 0);
        }
        const auto bytes = wlxtest::ReadBytes(file);
        EXPECT_EQ(FrameCorner(bytes, 2), c.right);
        EXPECT_EQ(FrameCorner(bytes, 3), c.bottom);
        EXPECT_EQ(SymbolHeader(bytes), Header(c.refX, c.refY));
    }
}

TEST(SymbolMetafile, MapsBlockCoordinatesToMetafileUnits) {
    wlxtest::TempDir dir;
    Status status = -1;
    CSymbolMetafileWriter writer((dir / "m.emf").string(), CExtent2d{0, 0, 2, 1}, nullptr, status);
    ASSERT_EQ(status, 0);
    struct Case {
        double x, y;
        std::int32_t mx, my;
    } cases[] = {{1, 0.5, 5000, -2500},
                 {0, 1, 0, 0},
                 {2, 0, 10000, -5000},
                 {1e300, -1e300, 2147483647, -2147483647}};
    for (const auto& c : cases) {
        const POINT p = writer.Map(c.x, c.y);
        EXPECT_EQ(p.x, c.mx);
        EXPECT_EQ(p.y, c.my);
    }
}

TEST(SymbolMetafile, CreationFailureNamesTheFile) {
    Status status = 0;
    CSymbolMetafileWriter writer("/nonexistent-dir/x.emf", CExtent2d{0, 0, 1, 1}, nullptr, status);
    EXPECT_EQ(status, kWlxOpenFailed);
    CFeatureRecord record;
    EXPECT_EQ(writer.Draw(record), kWlxWriteError);
}

// What emf2svg-conv reports of the drawing: per polyline or polygon record,
// its kind and its points exactly as stored.
std::vector<std::string> DrawnShapes(const std::string& verbose) {
    std::vector<std::string> shapes;
    const std::regex record("U_EMR_(POLYLINE|POLYGON|EXTTEXTOUTW) ");
    const std::regex points("Points:\\s*(.*\\S)");
    const std::regex reference("ptlReference:(\\{[-0-9,]+\\})");
    std::string kind;
    std::istringstream lines(verbose);
    std::string line;
    std::smatch m;
    while (std::getline(lines, line)) {
        if (std::regex_search(line, m, record)) kind = m[1];
        if (!kind.empty() && std::regex_search(line, m, points)) {
            shapes.push_back(kind + " " + std::string(m[1]));
            kind.clear();
        }
        if (kind == "EXTTEXTOUTW" && std::regex_search(line, m, reference)) {
            shapes.push_back("TEXT " + std::string(m[1]));
            kind.clear();
        }
    }
    return shapes;
}

TEST_F(SymbolTest, DrawsEachGeometryInItsStyleAsEmf2svgRendersIt) {
    const auto converter = wlxtest::FindTool("emf2svg-conv");
    if (converter.empty()) GTEST_SKIP() << "emf2svg-conv is not installed";
    wlxtest::TempDir dir;
    const auto file = dir / "block.emf";
    {
        Status status = -1;
        CSymbolMetafileWriter writer(file.string(), CExtent2d{0, 0, 2, 1}, "Tessaran Block",
                                     status);
        ASSERT_EQ(status, 0);
        CFeatureRecord record;
        const auto draw = [&](ComPtr<IWKBGeometry> geometry, std::unique_ptr<CEntityStyle> style) {
            record.Clear();
            record.SetGeometry(geometry.Get());
            record.SetStyle(std::move(style));
            EXPECT_EQ(writer.Draw(record), 0);
        };
        const CRgbaColor red(255, 0, 0, 255);
        const CRgbaColor green(0, 255, 0, 0);
        draw(AsGeometry(Line({{0, 1}, {1, 0.5}, {2, 0}})),
             std::make_unique<CPolylineStyle>("k", "n", "l", red, 2, 0.001));
        draw(AsGeometry(Polygon({{0, 0}, {1, 0}, {1, 1}, {0, 0}})),
             std::make_unique<CPolygonStyle>("k", "n", "l", green, 0, red, 0, 0.0));
        draw(AsGeometry(Polygon({{1, 0}, {2, 0}, {2, 1}, {1, 0}})),
             std::make_unique<CPolygonStyle>("k", "n", "l", green, 7, red, 0, 0.0));
        draw(Point(1, 0.5), std::make_unique<CSymbolStyle>("k", "n", "l", red, "s", 0, 1, 1));
        draw(MultiPoint({{0.5, 0.5}}),
             std::make_unique<CTextStyle>("k", "n", "l", "Hi", red, 1, 0, 0, 0.2, 1, 0, 0, 0, 0,
                                          "Arial"));
        // A polyline style on a point, and a collection, draw nothing.
        draw(Point(0, 0), std::make_unique<CPolylineStyle>("k", "n", "l", red, 0, 0));
        ComPtr<IWKBGeometryCollection> collection;
        ASSERT_EQ(Factory()->NewWKBGeometryCollection(collection.Put()), S_OK);
        draw(AsGeometry(collection), std::make_unique<CPolylineStyle>("k", "n", "l", red, 0, 0));
        // No style: nothing either.
        record.Clear();
        record.SetGeometry(Point(0, 0).Get());
        EXPECT_EQ(writer.Draw(record), 0);
    }
    const auto svg = dir / "block.svg";
    const auto result = wlxtest::Run(converter, {"-v", "-i", file.string(), "-o", svg.string()});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(DrawnShapes(result.out),
              (std::vector<std::string>{
                  "POLYLINE [0]:{0,0} [1]:{5000,-2500} [2]:{10000,-5000}",
                  "POLYGON [0]:{0,-5000} [1]:{5000,-5000} [2]:{5000,0} [3]:{0,-5000}",
                  "POLYLINE [0]:{5000,-5000} [1]:{10000,-5000} [2]:{10000,0} [3]:{5000,-5000}",
                  "POLYLINE [0]:{4996,-2500} [1]:{5005,-2500}",
                  "POLYLINE [0]:{5000,-2504} [1]:{5000,-2495}",
                  "TEXT {2500,-2500}",
              }));
    // The filled polygon is green; the outline-only one has no fill.
    const std::string picture = wlxtest::ReadText(svg);
    EXPECT_NE(picture.find("fill=\"#00FF00\""), std::string::npos);
    EXPECT_NE(picture.find("stroke-dasharray"), std::string::npos);  // line style 2, dotted
    EXPECT_NE(picture.find("Hi"), std::string::npos);
}

}  // namespace
