// The CSV reader over files, with the real geometry server: what consecutive
// lines become, which objects the filter keeps, and the errors of damaged input.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "loader/core/FeatureRecord.h"
#include "loader/core/FileInfo.h"
#include "loader/core/LoaderSettings.h"
#include "loader/csv/CsvReader.h"
#include "testing/ReaderFixture.h"
#include "testing/TestSupport.h"

namespace {

using Object = wlxtest::ReaderObject;
using wlxtest::kGenerated;
using wlxtest::Line;
using wlxtest::Point;
using wlxtest::Shape;

class CsvReaderTest : public wlxtest::ReaderTest {
protected:
    static std::string Fixture(const std::string& name) {
        return wlxtest::SourcePath("loader/csv/tests/data/" + name).string();
    }
};

TEST_F(CsvReaderTest, CsvLinesBecomePointsLinesOrPolygons) {
    const std::vector<DumpPoints> track = {{{13, 52}, {13.1, 52.1}, {13.2, 52.2}},
                                           {{13, 52}, {14, 53}, {14.1, 53.1}}};
    const DumpPoints field = {{20, 10}, {21, 10}, {21, 11}};
    const DumpPoints unkeyed = {{1, 1}, {2, 2}};
    const DumpPoints other = {{3, 3}};
    const DumpPoints loop = {{0, 0}, {1, 0}, {1, 1}};
    const char* link = "http://example.org/t1";
    const struct {
        const char* what;
        int kind;
        std::vector<Object> objects;
    } cases[] = {
        {"lines",
         3,
         {{"Track", "T1", Shape(kWkbMultiLineString, track), link},
          {"Field", "T2", Line(field)},
          {"Unkeyed", kGenerated, Line(unkeyed)},
          {"Other", kGenerated, Line(other)},
          {"Loop", "T3", Line(loop)}}},
        {"polygons",
         5,
         {{"Track", "T1", Shape(kWkbMultiPolygon, track), link},
          {"Field", "T2", Shape(kWkbPolygon, {field})},
          {"Unkeyed", kGenerated, Shape(kWkbPolygon, {unkeyed})},
          {"Other", kGenerated, Shape(kWkbPolygon, {other})},
          {"Loop", "T3", Shape(kWkbPolygon, {loop})}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        settings.csvObjectKind = c.kind;
        auto reader = Open<CCsvReader>(Fixture("csv_track.csv"));
        Status last = 0;
        EXPECT_EQ(MarkGeneratedKeys(ReadAll(*reader, last), {"T1", "T2", "T3"}), c.objects);
        // The last group ends with the file: it is kept and ends the input.
        EXPECT_EQ(last, kWlxEndOfData);
        EXPECT_EQ(reader->AtEnd(), 1);
    }
}

TEST_F(CsvReaderTest, CsvPointsAreOneObjectPerLine) {
    settings.csvObjectKind = 0;
    auto reader = Open<CCsvReader>(Fixture("csv_track.csv"));
    Status last = 0;
    const std::vector<Object> objects = ReadAll(*reader, last);
    ASSERT_EQ(objects.size(), 16u);
    EXPECT_EQ(objects[0], (Object{"Track", "T1", Point(13, 52), "http://example.org/t1"}));
    EXPECT_EQ(objects[2], (Object{"TRACK", "t1", Point(13.2, 52.2)}));
    // Every key-less point has a key of its own.
    EXPECT_NE(objects[9].key, objects[10].key);
    EXPECT_GT(objects[9].key.size(), 10u);
    EXPECT_EQ(last, kWlxEndOfData);
}

TEST_F(CsvReaderTest, CsvKindTheFilterRejectsEndsWithoutObjects) {
    settings.csvObjectKind = 3;
    settings.filter.linesEnabled = 0;
    auto reader = Open<CCsvReader>(Fixture("csv_track.csv"));
    CFeatureRecord record;
    EXPECT_EQ(reader->ReadNext(&record), kLoaderNoMoreObjects);
}

TEST_F(CsvReaderTest, DamagedCsvFilesGiveClearErrors) {
    const struct {
        const char* text;
        int kind;
        std::size_t objects;
        Status status;
    } cases[] = {
        {"'A','n',1\n", 0, 0, kWlxReadError},
        {"'A','n',1,2\n'A','n',x,2\n", 0, 1, kWlxReadError},
        {"'A','n',1,2\n'A','n',3,4\n'A','n',3\n", 3, 1, kWlxReadError},
        {"'A',\n", 5, 0, kWlxReadError},
        {"\n\n", 3, 0, kWlxEndOfData},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        wlxtest::TempDir dir;
        wlxtest::WriteText(dir / "bad.csv", c.text);
        settings.csvObjectKind = c.kind;
        auto reader = Open<CCsvReader>((dir / "bad.csv").string());
        Status last = 0;
        EXPECT_EQ(ReadAll(*reader, last).size(), c.objects);
        EXPECT_EQ(last, c.status);
    }
}

TEST_F(CsvReaderTest, MissingInputIsNamed) {
    wlxtest::TempDir dir;
    Open<CCsvReader>((dir / "none.csv").string(), kWlxFileNotFound);
}

}  // namespace
