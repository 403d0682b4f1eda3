// The BNA reader over files, with the real geometry server: what each record
// becomes, which objects the filter keeps, and the errors of damaged input.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "loader/bna/BnaReader.h"
#include "loader/core/FeatureRecord.h"
#include "loader/core/FileInfo.h"
#include "loader/core/LoaderSettings.h"
#include "testing/ReaderFixture.h"
#include "testing/TestSupport.h"

namespace {

using Object = wlxtest::ReaderObject;
using wlxtest::kGenerated;
using wlxtest::Line;
using wlxtest::Point;
using wlxtest::Shape;

class BnaReaderTest : public wlxtest::ReaderTest {
protected:
    static std::string Fixture(const std::string& name) {
        return wlxtest::SourcePath("loader/bna/tests/data/" + name).string();
    }
};

const std::vector<std::string> kBnaKeys = {"K1", "K2", "K3", "K4", "K9"};

TEST_F(BnaReaderTest, BnaRecordsBecomeObjects) {
    const Object road{"Main St", "K1", Line({{0, 0}, {1, 1}, {2, 0}})};
    const Object well{"Well 4", "K2", Point(13.25, 52.5)};
    const Object lake{"Lake", "K3",
                      Shape(kWkbMultiPolygon, {{{0, 0}, {4, 0}, {4, 4}, {0, 4}, {0, 0}},
                                               {{1, 1}, {2, 1}, {2, 2}, {1, 2}, {0, 0}}})};
    const Object hole{"Hole", "K4",
                      Shape(kWkbMultiPolygon, {{{1, 1}, {2, 1}, {2, 2}, {1, 2}, {1, 1}}})};
    const Object unkeyed{"Unkeyed", kGenerated, Point(7, 8)};
    const Object twoFields{"Two fields only", "", Point(3, 4)};
    const Object openRing{"Open ring", "K9",
                          Shape(kWkbMultiPolygon, {{{0, 0}, {1, 0}, {1, 1}, {0, 1}}})};
    const struct {
        const char* what;
        int holes;
        const char* layers;
        int points, lines, polygons;
        std::vector<Object> objects;
    } cases[] = {
        {"everything but the holes",
         0,
         "",
         1,
         1,
         1,
         {road, well, lake, unkeyed, twoFields, openRing}},
        {"with /HOLES", 1, "", 1, 1, 1, {road, well, lake, hole, unkeyed, twoFields, openRing}},
        // The layer field is trimmed before it is filtered.
        {"layers", 0, "Water,Wells", 1, 1, 1, {well, lake, unkeyed, openRing}},
        {"a listed hole layer", 0, "INTERNAL_*", 1, 1, 1, {hole}},
        {"points only", 0, "", 1, 0, 0, {well, unkeyed, twoFields}},
        {"polygons only", 0, "", 0, 0, 1, {lake, openRing}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        settings.filter.holes = c.holes;
        settings.filter.SetLayers(c.layers);
        settings.filter.pointsEnabled = c.points;
        settings.filter.linesEnabled = c.lines;
        settings.filter.polygonsEnabled = c.polygons;
        auto reader = Open<CBnaReader>(Fixture("bna_layers.bna"));
        Status last = 0;
        EXPECT_EQ(MarkGeneratedKeys(ReadAll(*reader, last), kBnaKeys), c.objects);
        EXPECT_EQ(last, kWlxEndOfData);
        EXPECT_EQ(reader->AtEnd(), 1);
    }
}

TEST_F(BnaReaderTest, BnaInfoListsEveryLayerAndCountsEveryRecord) {
    auto reader = Open<CBnaReader>(Fixture("bna_layers.bna"));
    CFileInfo info;
    ASSERT_EQ(reader->GetFileInfo(&info), 0);
    EXPECT_EQ(info.GetFeatureCount(), 11);
    std::vector<std::string> layers;
    for (const std::string& layer : info.GetLayers().Names()) layers.push_back(layer);
    EXPECT_EQ(layers, (std::vector<std::string>{"Roads", "Wells", "Water", "INTERNAL_POLYGONS"}));
}

TEST_F(BnaReaderTest, BnaRewindReadsTheFirstRecordAgain) {
    auto reader = Open<CBnaReader>(Fixture("bna_layers.bna"));
    Status last = 0;
    const std::vector<Object> first = ReadAll(*reader, last);
    ASSERT_EQ(reader->Rewind(), 0);
    EXPECT_EQ(reader->AtEnd(), 0);
    CFeatureRecord record;
    ASSERT_EQ(reader->ReadNext(&record), 0);
    EXPECT_STREQ(record.GetKey(), "K1");
}

TEST_F(BnaReaderTest, DamagedBnaFilesGiveClearErrors) {
    const struct {
        const char* what;
        const char* text;
        std::size_t objects;
        Status status;
    } cases[] = {
        {"empty", "", 0, kWlxEndOfData},
        {"ends inside a line", "\"A\",\"\",\"K\",\"L\",-3\n0,0\n1,1\n\n", 0, kWlxUnexpectedEof},
        {"ends inside a skipped record",
         "\"A\",\"\",\"K\",\"L\",1\n0,0\n\"B\",\"\",\"K\",\"L\",3\n0,0\n", 1, kWlxUnexpectedEof},
        {"header without a count", "\"A\",\"B\"\n0,0\n", 0, kWlxReadError},
        {"coordinate line without a comma", "\"A\",\"\",\"K\",\"L\",1\n0 0\n", 0, kWlxReadError},
        {"a second header where points belong",
         "\"A\",\"\",\"K\",\"L\",-2\n0,0\n\"B\",\"\",\"K\",\"L\",1\n", 0, kWlxReadError},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        wlxtest::TempDir dir;
        wlxtest::WriteText(dir / "bad.bna", c.text);
        auto reader = Open<CBnaReader>((dir / "bad.bna").string());
        Status last = 0;
        EXPECT_EQ(ReadAll(*reader, last).size(), c.objects);
        EXPECT_EQ(last, c.status);
    }
}

TEST_F(BnaReaderTest, MissingInputIsNamed) {
    wlxtest::TempDir dir;
    Open<CBnaReader>((dir / "none.bna").string(), kWlxFileNotFound);
}

}  // namespace
