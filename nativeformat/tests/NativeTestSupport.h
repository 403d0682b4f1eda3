// Tests of the native readers and writers: geometries built through the
// geometry server, a reporter that keeps the warnings, runs of a writer, and
// records read back and described as text.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "coordsys/core/CsCore.h"
#include "loader/core/FeatureRecord.h"
#include "loader/core/LoaderSettings.h"
#include "loader/core/SourceReader.h"
#include "testing/GeometryFixture.h"
#include "testing/RecordingReporter.h"
#include "testing/TestSupport.h"

namespace nativetest {

// Lines and rings as "x y,x y,...".
inline std::string DescribePoints(IWKBLineString* line) {
    std::ostringstream out;
    WkbLong n = 0;
    line->GetNumPoints(&n);
    for (WkbLong i = 0; i < n; ++i) {
        double x = 0, y = 0;
        line->GetPointXY(i, &x, &y);
        out << (i ? "," : "") << x << ' ' << y;
    }
    return out.str();
}

inline std::string DescribePolygon(IWKBPolygon* polygon) {
    ComPtr<IWKBLineString> ring;
    polygon->GetExteriorRing(ring.Put());
    std::string text = "(" + DescribePoints(ring.Get()) + ")";
    WkbLong holes = 0;
    polygon->GetNumInteriorRings(&holes);
    for (WkbLong i = 0; i < holes; ++i) {
        polygon->GetInteriorRing(i, ring.Put());
        text += ",(" + DescribePoints(ring.Get()) + ")";
    }
    return text;
}

// The geometry in a WKT-like form: POINT(1 2), MULTILINESTRING((0 0,1 1),(..)).
inline std::string Describe(IWKBGeometry* geometry) {
    if (!geometry) return "NONE";
    EWKBGeometryType type{};
    geometry->GetType(&type);
    std::ostringstream out;
    switch (type) {
        case kWkbPoint: {
            double x = 0, y = 0;
            ComPtr<IWKBPoint>::QueryFrom(geometry)->GetXY(&x, &y);
            out << "POINT(" << x << ' ' << y << ')';
            break;
        }
        case kWkbLineString:
            out << "LINESTRING("
                << DescribePoints(ComPtr<IWKBLineString>::QueryFrom(geometry).Get()) << ')';
            break;
        case kWkbPolygon:
            out << "POLYGON(" << DescribePolygon(ComPtr<IWKBPolygon>::QueryFrom(geometry).Get())
                << ')';
            break;
        case kWkbMultiLineString: {
            auto lines = ComPtr<IWKBMultiLineString>::QueryFrom(geometry);
            WkbLong n = 0;
            lines->GetNumLineStrings(&n);
            out << "MULTILINESTRING(";
            for (WkbLong i = 0; i < n; ++i) {
                ComPtr<IWKBLineString> line;
                lines->GetLineString(i, line.Put());
                out << (i ? ",(" : "(") << DescribePoints(line.Get()) << ')';
            }
            out << ')';
            break;
        }
        case kWkbMultiPolygon: {
            auto polygons = ComPtr<IWKBMultiPolygon>::QueryFrom(geometry);
            WkbLong n = 0;
            polygons->GetNumPolygons(&n);
            out << "MULTIPOLYGON(";
            for (WkbLong i = 0; i < n; ++i) {
                ComPtr<IWKBPolygon> polygon;
                polygons->GetPolygon(i, polygon.Put());
                out << (i ? ",(" : "(") << DescribePolygon(polygon.Get()) << ')';
            }
            out << ')';
            break;
        }
        default:
            out << "TYPE" << type;
    }
    return out.str();
}

// "name|key|link|geometry"
inline std::string Describe(const CFeatureRecord& record) {
    return std::string(record.GetName()) + '|' + record.GetKey() + '|' + record.GetLink() + '|' +
           Describe(record.PeekGeometry());
}

class NativeFixture : public wlxtest::GeometryFixture {
protected:
    void SetUp() override {
        wlxtest::GeometryFixture::SetUp();
        ASSERT_EQ(CS_setDictionaryDirectory(wlxtest::BinDir().string().c_str()), 0);
        settings.reporter = &reporter;
        settings.inputType = 'H';
        settings.filter.pointsEnabled = settings.filter.linesEnabled =
            settings.filter.polygonsEnabled = 1;
    }

    std::string Path(const std::string& name) const { return (dir / name).string(); }

    using NamedGeometries = std::vector<std::pair<std::string, ComPtr<IWKBGeometry>>>;

    // One run of a writer: the records written in turn, each with its name
    // and `key`, then closed. The constructor's status, else the first
    // failure.
    template <class Writer>
    Status WriteWith(const NamedGeometries& records, const char* key) {
        ClearStatusArgs();
        CTableSchemaList schemas;
        Status status = -1;
        Writer writer(&settings, &status, &schemas);
        if (status != 0) return status;
        CFeatureRecord record;
        for (const auto& [name, geometry] : records) {
            record.Clear();
            record.SetName(name);
            record.SetKey(key);
            record.SetGeometry(geometry.Get());
            if ((status = writer.Write(&record))) return status;
        }
        return writer.Close();
    }

    // Every record a reader gives, described; the status that ended it. The
    // reader's status at construction goes to `opened` when asked for, else
    // it is expected to be 0.
    template <class Reader>
    std::vector<std::string> ReadAll(CLoaderSettings& from, Status* end = nullptr,
                                     Status* opened = nullptr) {
        Status status = -1;
        Reader reader(&from, &status);
        if (opened)
            *opened = status;
        else
            EXPECT_EQ(status, 0);
        std::vector<std::string> records;
        CFeatureRecord record;
        while (status == 0 && !reader.AtEnd()) {
            record.Clear();
            status = reader.ReadNext(&record);
            if (status == 0) records.push_back(Describe(record));
        }
        if (end) *end = status;
        return records;
    }

    ComPtr<IWKBGeometry> Lines(const std::vector<wlxtest::Ring>& members) {
        ComPtr<IWKBMultiLineString> lines;
        EXPECT_EQ(Factory()->NewWKBMultiLineString(lines.Put()), S_OK);
        for (const auto& m : members) lines->AddLineString(Line(m).Get());
        return AsGeometry(lines);
    }
    ComPtr<IWKBGeometry> Polygons(const std::vector<wlxtest::Ring>& members) {
        ComPtr<IWKBMultiPolygon> polygons;
        EXPECT_EQ(Factory()->NewWKBMultiPolygon(polygons.Put()), S_OK);
        for (const auto& m : members) polygons->AddPolygon(Polygon(m).Get());
        return AsGeometry(polygons);
    }
    ComPtr<IWKBGeometry> WithHole(const wlxtest::Ring& outer, const wlxtest::Ring& hole) {
        auto polygon = Polygon(outer);
        polygon->AddInteriorRing(Line(hole).Get());
        return AsGeometry(polygon);
    }
    ComPtr<IWKBGeometry> Collection(const std::vector<ComPtr<IWKBGeometry>>& members) {
        ComPtr<IWKBGeometryCollection> collection;
        EXPECT_EQ(Factory()->NewWKBGeometryCollection(collection.Put()), S_OK);
        for (const auto& m : members) collection->AddGeometry(m.Get());
        return AsGeometry(collection);
    }

    // The warnings printed since the last call.
    std::string Printed() {
        std::string fresh = reporter.printed.substr(seen_);
        seen_ = reporter.printed.size();
        return fresh;
    }

    wlxtest::TempDir dir;
    CRecordingReporter reporter;
    CLoaderSettings settings;

private:
    std::size_t seen_ = 0;
};

}  // namespace nativetest
