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
