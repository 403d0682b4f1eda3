// Tests of the readers of the text formats: a reader run over a file with the
// real geometry server, each object it made as plain data (name, key,
// geometry, link), generated keys checked and marked, and the warnings kept.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "loader/core/FeatureRecord.h"
#include "loader/core/LoaderSettings.h"
#include "loader/core/SourceReader.h"
#include "platform/ComRuntime.h"
#include "testing/GeometryDump.h"
#include "testing/RecordingReporter.h"

namespace wlxtest {

// Stands for a key the reader generated.
inline const std::string kGenerated = "<generated>";

struct ReaderObject {
    ReaderObject(std::string name, std::string key, GeometryDump geometry, std::string link = "")
        : name(std::move(name)),
          key(std::move(key)),
          geometry(std::move(geometry)),
          link(std::move(link)) {}

    std::string name;
    std::string key;
    GeometryDump geometry;
    std::string link;

    friend bool operator==(const ReaderObject&, const ReaderObject&) = default;
};

inline void PrintTo(const ReaderObject& o, std::ostream* os) {
    *os << "{" << o.name << " / " << o.key << " / " << o.link << ": ";
    PrintTo(o.geometry, os);
    *os << "}";
}

inline GeometryDump Point(double x, double y) {
    return {kWkbPoint, {{{x, y}}}};
}
inline GeometryDump Line(DumpPoints points) {
    return {kWkbLineString, {std::move(points)}};
}
inline GeometryDump Shape(int type, std::vector<DumpPoints> parts) {
    return {type, std::move(parts)};
}

class ReaderTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Succeeded(CoInitialize()));
        settings.reporter = &reporter;
        settings.filter.pointsEnabled = settings.filter.linesEnabled =
            settings.filter.polygonsEnabled = 1;
    }
    void TearDown() override { CoUninitialize(); }

    // Reads every object; `last` is the status that ended the reading.
    static std::vector<ReaderObject> ReadAll(CSourceReaderInterface& reader, Status& last) {
        std::vector<ReaderObject> objects;
        CFeatureRecord record;
        for (int guard = 0; guard < 1000; ++guard) {
            record.Clear();
            last = reader.ReadNext(&record);
            if (last != 0) break;
            objects.push_back(
                {record.GetName(), record.GetKey(), Dump(record.PeekGeometry()), record.GetLink()});
        }
        return objects;
    }

    // Generated keys are unique stamps: they are checked for that and then
    // replaced by a marker.
    static std::vector<ReaderObject> MarkGeneratedKeys(std::vector<ReaderObject> objects,
                                                       const std::vector<std::string>& givenKeys) {
        for (ReaderObject& o : objects) {
            if (o.key.size() > 10 &&
                std::find(givenKeys.begin(), givenKeys.end(), o.key) == givenKeys.end())
                o.key = kGenerated;
        }
        return objects;
    }

    template <class Reader>
    std::unique_ptr<Reader> Open(const std::string& file, Status expected = 0) {
        settings.inputName = file;
        Status status = 12345;
        auto reader = std::make_unique<Reader>(&settings, &status);
        EXPECT_EQ(status, expected) << file;
        return reader;
    }

    CLoaderSettings settings;
    CRecordingReporter reporter;
};

}  // namespace wlxtest
