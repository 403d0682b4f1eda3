// The drawing reader in the test process, on the fixture drawings that
// make_fixtures.py writes with ezdxf.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <string>

#include "loader/core/EntityStyle.h"
#include "readers/dxf/DwgHost.h"
#include "readers/dxf/DwgReader.h"
#include "testing/ReaderFixture.h"
#include "testing/TestSupport.h"

namespace {

using wlxtest::ReaderObject;

std::string Fixture(const std::string& name) {
    return wlxtest::SourcePath("readers/dxf/tests/data/" + name).string();
}

class DwgReaderTest : public wlxtest::ReaderTest {
protected:
    // Every object by its key.
    std::map<std::string, ReaderObject> ReadByKey(const std::string& file, Status expected = 0) {
        auto reader = Open<CDwgReader>(Fixture(file), expected);
        Status last = 0;
        std::map<std::string, ReaderObject> objects;
        for (ReaderObject& o : ReadAll(*reader, last)) objects.emplace(o.key, std::move(o));
        EXPECT_EQ(last, kLoaderEndOfData);
        return objects;
    }
};

std::size_t PointCount(const ReaderObject& o) {
    std::size_t n = 0;
    for (const auto& part : o.geometry.parts) n += part.size();
    return n;
}

TEST_F(DwgReaderTest, PointCountsOfCurves) {
    const auto objects = ReadByKey("entities.dxf");
    const std::pair<const char*, std::size_t> counts[] = {
        {"34", 121},  // circle
        {"35", 121},  // extruded circle
        {"36", 31},   // quarter arc
        {"37", 8},    // arc over 0 degrees
        {"39", 30},   // quarter ellipse: 29 samples and the end
        {"3A", 120},  // full ellipse: 119 samples and the end
        {"3B", 101},  // spline: 99 samples between its ends
    };
    for (const auto& [key, count] : counts) {
        ASSERT_TRUE(objects.count(key)) << key;
        EXPECT_EQ(PointCount(objects.at(key)), count) << key;
    }
}

}  // namespace

namespace {

TEST_F(DwgReaderTest, FaultyReferencesAndTexts) {
    settings.explodeBlocks = 1;
    settings.closedPolylinesToPolygons = 1;
    auto reader = Open<CDwgReader>(Fixture("faults.dxf"));
    Status last = 0;
    const std::vector<ReaderObject> objects = ReadAll(*reader, last);
    EXPECT_EQ(last, kLoaderEndOfData);
    // The reference to no block is skipped with a warning, and the walk goes on.
    ASSERT_EQ(reporter.warnings.size(), 1u);
    EXPECT_NE(reporter.warnings[0].find("'DxDbBlockReference' type entity (Handle='37'"),
              std::string::npos)
        << reporter.warnings[0];
    ASSERT_EQ(objects.size(), 7u);
    // An empty block placed inside a block scaled by 2 at (10, 0): its
    // insertion point goes through that transform once.
    EXPECT_EQ(objects[0].geometry, wlxtest::Point(12, 0));
    EXPECT_EQ(objects[1].name,
              "\xC3\x84"
              "B");
    // Closed lines of more than three points become polygons, however they are closed.
    EXPECT_EQ(objects[2].geometry.type, kWkbPolygon);
    EXPECT_EQ(objects[3].geometry.type, kWkbPolygon);
    EXPECT_EQ(objects[3].geometry.parts[0].size(), 4u);
    EXPECT_EQ(objects[4].geometry.type, kWkbLineString);
}

TEST_F(DwgReaderTest, OneReaderAtATimeHoldsTheHostServices) {
    {
        auto first = Open<CDwgReader>(Fixture("faults.dxf"));
        auto second = Open<CDwgReader>(Fixture("faults.dxf"), kLoaderCannotLoadData);
    }
    // Installed again once the first is gone.
    auto again = Open<CDwgReader>(Fixture("faults.dxf"));
    EXPECT_TRUE(dwg::HostServicesInstalled());
}

TEST(DwgHost, SupportFilesByHint) {
    wlxtest::TempDir dir;
    wlxtest::WriteText(dir / "simplex.shx", "");
    const std::string expected = (dir / "simplex.shx").string();
    char buffer[4096];
    EXPECT_EQ(dwg::FindSupportFile(buffer, sizeof buffer, (dir / "simplex").string().c_str(), 2),
              0);
    EXPECT_EQ(buffer, expected);
    // A name with an extension is searched as it is.
    EXPECT_EQ(dwg::FindSupportFile(buffer, sizeof buffer, expected.c_str(), 3), 0);
    EXPECT_EQ(dwg::FindSupportFile(buffer, sizeof buffer, (dir / "simplex").string().c_str(), 3),
              dwg::kSupportFileNotFound);
    // The path and its terminator must fit.
    EXPECT_EQ(dwg::FindSupportFile(buffer, expected.size(), expected.c_str(), 2),
              dwg::kSupportFileNotFound);
    EXPECT_EQ(dwg::FindSupportFile(buffer, expected.size() + 1, expected.c_str(), 2), 0);
}

}  // namespace
