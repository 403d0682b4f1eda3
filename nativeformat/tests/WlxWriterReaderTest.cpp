// The WLX writer and reader in process: records by geometry type with their
// warnings and counters, the /W modes and file names, the checks before an
// append, the index parameters, and what the reader takes from a file.
#include <gtest/gtest.h>

#include <filesystem>
#include <limits>

#include "loader/core/FileInfo.h"
#include "loader/core/Messages.h"
#include "nativeformat/KeyIndexFile.h"
#include "nativeformat/SpatialIndexFile.h"
#include "nativeformat/WlxReader.h"
#include "nativeformat/WlxWriter.h"
#include "nativeformat/tests/IndexChecker.h"
#include "nativeformat/tests/NativeTestSupport.h"

namespace {

namespace fs = std::filesystem;
using nativetest::Describe;
using wlxtest::Ring;

class WlxTest : public nativetest::NativeFixture {
protected:
    void SetUp() override {
        NativeFixture::SetUp();
        settings.outputName = Path("out.wlx");
    }

    // One run's writer with records named n0, n1, ...
    Status WriteRecords(const std::vector<ComPtr<IWKBGeometry>>& geometries,
                        const char* key = "k") {
        NamedGeometries records;
        for (const auto& geometry : geometries)
            records.emplace_back("n" + std::to_string(records.size()), geometry);
        return WriteWith<CWlxWriter>(records, key);
    }

    std::vector<std::string> ReadBack(const std::string& name) {
        CLoaderSettings input;
        input.inputName = Path(name);
        input.filter = settings.filter;
        return ReadAll<CWlxReader>(input);
    }
};

TEST_F(WlxTest, GeometriesBecomeRecordsByType) {
    const Ring triangle = {{0, 0}, {4, 0}, {4, 3}};
    ASSERT_EQ(WriteRecords({
                  Point(1, 2),
                  AsGeometry(Line({{0, 0}, {1, 1}, {2, 0}})),
                  AsGeometry(Line({{5, 5}, {5, 5}})),
                  WithHole({{0, 0}, {9, 0}, {9, 9}, {0, 0}}, {{1, 1}, {2, 1}, {2, 2}, {1, 1}}),
                  WithHole({{0, 0}, {8, 0}, {8, 8}, {0, 0}}, {{1, 1}, {2, 1}, {2, 2}, {1, 1}}),
                  MultiPoint({{1, 1}, {2, 2}, {3, 3}}),
                  Lines({{{0, 0}, {1, 1}}, {{5, 5}, {5, 5}}}),
                  Lines({{{5, 5}, {5, 5}}, {{6, 6}}}),
                  Polygons({triangle, {{1, 1}, {1, 1}, {1, 1}}, {{10, 0}, {12, 0}, {11, 1}}}),
                  Polygons({{{1, 1}, {2, 2}, {1, 1}}}),
                  Collection({Point(7, 8), AsGeometry(Line({{0, 0}, {0, 1}}))}),
                  nullptr,
              }),
              0);
    EXPECT_EQ(ReadBack("out.wlx"), (std::vector<std::string>{
                                       "n0|k||POINT(1 2)",
                                       "n1|k||LINESTRING(0 0,1 1,2 0)",
                                       "n3|k||POLYGON((0 0,9 0,9 9,0 0))",
                                       "n4|k||POLYGON((0 0,8 0,8 8,0 0))",
                                       "n5|k||POINT(1 1)",
                                       "n5|k||POINT(2 2)",
                                       "n5|k||POINT(3 3)",
                                       "n6|k||MULTILINESTRING((0 0,1 1))",
                                       "n8|k||MULTIPOLYGON(((0 0,4 0,4 3,0 0)),((10 0,12 0,11 "
                                       "1,10 0)))",
                                       "n10|k||POINT(7 8)",
                                       "n10|k||LINESTRING(0 0,0 1)",
                                   }));
    EXPECT_EQ(Printed(),
              "Warning : Object [n2 - k] has too few points.\n"
              "Warning : Object [n3 - k] has interior rings, which are not written: only exterior "
              "rings are. This warning is not repeated.\n"
              "Warning : Object [n6 - k] contains at least one section with too few points.\n"
              "Warning : Object [n7 - k] has too few points.\n"
              "Warning : Object [n8 - k] contains at least one section with too few points.\n"
              "Warning : Object [n9 - k] has too few points.\n"
              "Warning : Object [n11 - k] has too few points.\n");
    // Only what was written counts.
    EXPECT_EQ(settings.pointsWritten, 5);
    EXPECT_EQ(settings.polylinesWritten, 2);
    EXPECT_EQ(settings.polygonsWritten, 2);
    EXPECT_EQ(settings.polypolylinesWritten, 1);
    EXPECT_EQ(settings.polypolygonsWritten, 1);
    EXPECT_EQ(settings.totalWritten, 11);
    EXPECT_EQ(settings.warnings, 1);

    Status status = -1;
    CSpatialIndexFile index(Path("out.sif"), kOpenRead, status);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(index.GetFeatureCount(), 11u);
    EXPECT_EQ(index.CheckIntegrity(), 0);
}

TEST_F(WlxTest, AnObjectTheFileCannotHoldIsSkippedAndTheRunGoesOn) {
    std::vector<Ring> rings(65536, Ring{{0, 0}, {1, 0}, {1, 1}});
    ASSERT_EQ(WriteRecords({
                  Polygons(rings),
                  Point(std::numeric_limits<double>::quiet_NaN(), 1),
                  Point(3, 4),
              }),
              0);
    EXPECT_EQ(ReadBack("out.wlx"), (std::vector<std::string>{"n2|k||POINT(3 4)"}));
    EXPECT_EQ(Printed(),
              "Warning : Object [n0 - k] has more points or parts than a WLX record can hold and "
              "is not written.\n"
              "Warning : Object [n1 - k] has a coordinate that is not a finite number and is not "
              "written.\n");
    EXPECT_EQ(settings.totalWritten, 1);
    EXPECT_EQ(settings.warnings, 1);
}

TEST_F(WlxTest, ACollectionExportsItsAttributeRowsOnce) {
    settings.tableExportKind = 2;  // CSV
    auto* schema = new CTableSchema;
    schema->SetName("T");
    schema->AddColumn("c", 10, 0, kColumnText);
    CTableSchemaList schemas;
    schemas.AddSchema(*schema);
    schema->Release();
    Status status = -1;
    auto writer = std::make_unique<CWlxWriter>(&settings, &status, &schemas);
    ASSERT_EQ(status, 0);

    CFeatureRecord record;
    auto* row = new CTableRow;
    row->SetTableName("T");
    AppendTextValue(*row, "once");
    auto values = std::make_unique<CAttributeValueSet>();
    values->AddRow(*row);
    row->Release();
    record.SetAttributes(std::move(values));
    record.SetGeometry(Collection({Point(1, 1), Point(2, 2), Point(3, 3)}).Get());
    ASSERT_EQ(writer->Write(&record), 0);
    ASSERT_EQ(writer->Close(), 0);
    writer.reset();

    const std::string csv = wlxtest::ReadText(dir / "out_T.csv");
    std::size_t rows = 0;
    for (std::size_t at = csv.find("once"); at != std::string::npos; at = csv.find("once", at + 1))
        ++rows;
    EXPECT_EQ(rows, 1u) << csv;
    EXPECT_EQ(settings.pointsWritten, 3);
}

TEST_F(WlxTest, FileNamesAreDerivedFromTheOutputName) {
    fs::create_directory(dir / "dir.v2");
    struct Case {
        const char* output;
        const char* wlx;
        const char* sif;
        const char* kif;
    };
    const Case cases[] = {
        {"name.part.wlx", "name.part.wlx", "name.part.sif", "name.part.kif"},
        {"plain", "plain.wlx", "plain.sif", "plain.kif"},
        {"dir.v2/out", "dir.v2/out.wlx", "dir.v2/out.sif", "dir.v2/out.kif"},
    };
    settings.keyIndex = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.output);
        settings.outputName = Path(c.output);
        ASSERT_EQ(WriteRecords({Point(1, 1)}), 0);
        EXPECT_EQ(settings.outputName, Path(c.wlx));
        EXPECT_EQ(settings.sifName, Path(c.sif));
        EXPECT_EQ(settings.kifName, Path(c.kif));
        for (const char* name : {c.wlx, c.sif, c.kif}) EXPECT_TRUE(fs::exists(dir / name)) << name;
    }
}

TEST_F(WlxTest, OverwriteModes) {
    struct Case {
        const char* name;
        std::vector<const char*> existing;  // files written before, with one record each
        int action;
        int keyIndex;
        Status status;
        const char* argument;  // the file the failure names
        std::size_t records;   // in out.wlx afterwards
        bool kifLeft;
    };
    const Case cases[] = {
        {"new", {}, 'X', 0, 0, nullptr, 1, false},
        {"exists", {"wlx", "sif"}, 'X', 0, kLoaderOutputExists, nullptr, 1, false},
        {"quit", {"wlx", "sif"}, 'Q', 0, kLoaderOutputExists, nullptr, 1, false},
        {"overwrite", {"wlx", "sif", "kif"}, 'o', 0, 0, nullptr, 1, false},
        {"append", {"wlx", "sif"}, 'a', 0, 0, nullptr, 2, false},
        {"append with kif", {"wlx", "sif", "kif"}, 'A', 1, 0, nullptr, 2, true},
        {"leftover sif", {"sif"}, 'X', 0, kSifOpenFailed, "out.sif", 0, false},
        {"leftover kif", {"kif"}, 'O', 1, kKifOpenFailed, "out.kif", 0, true},
        {"append without kif", {"wlx", "sif"}, 'A', 1, kKifOpenFailed, "out.kif", 1, false},
        {"append without sif", {"wlx"}, 'A', 0, kSifOpenFailed, "out.sif", 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const char* ext : {"wlx", "sif", "kif"}) fs::remove(dir / (std::string("out.") + ext));
        if (!c.existing.empty()) {
            settings.outputName = Path("out");
            settings.overwriteAction = 'X';
            settings.keyIndex = 1;
            ASSERT_EQ(WriteRecords({Point(1, 1)}), 0);
            for (const char* ext : {"wlx", "sif", "kif"}) {
                if (std::find_if(c.existing.begin(), c.existing.end(), [&](const char* e) {
                        return std::string(e) == ext;
                    }) == c.existing.end())
                    fs::remove(dir / (std::string("out.") + ext));
            }
        }
        settings.outputName = Path("out.wlx");
        settings.overwriteAction = c.action;
        settings.keyIndex = c.keyIndex;
        EXPECT_EQ(WriteRecords({Point(2, 2)}), c.status);
        if (c.argument) {
            EXPECT_EQ(StatusArg1(), Path(c.argument));
        }
        if (fs::exists(dir / "out.wlx")) {
            EXPECT_EQ(ReadBack("out.wlx").size(), c.records);
        } else {
            EXPECT_EQ(c.records, 0u);
        }
        EXPECT_EQ(fs::exists(dir / "out.kif"), c.kifLeft);
    }
}

// Records appended without /KIF still get their keys into an existing key
// index, cut to the key length it was made with.
TEST_F(WlxTest, AppendingKeepsAnExistingKeyIndexUpToDate) {
    settings.keyIndex = 1;
    settings.maxKeyLength = 4;
    ASSERT_EQ(WriteRecords({Point(1, 1), Point(2, 2)}, "abc"), 0);
    settings.keyIndex = 0;
    settings.maxKeyLength = 32;
    settings.overwriteAction = 'A';
    ASSERT_EQ(WriteRecords({Point(3, 3)}, "xyz-long"), 0);
    settings.keyIndex = 1;
    ASSERT_EQ(WriteRecords({Point(4, 4)}, "def"), 0);

    const indexcheck::KifTree kif = indexcheck::ReadKif(Path("out.kif"));
    ASSERT_EQ(kif.error, "");
    EXPECT_EQ(kif.keyLength, 4);
    EXPECT_EQ(kif.featureCount, 4u);
    std::vector<std::string> keys;
    for (const auto& entry : kif.entries) keys.push_back(entry.key);
    EXPECT_EQ(keys, (std::vector<std::string>{"abc", "abc", "def", "xyz-"}));
    // Each entry names a record of the map file.
    const indexcheck::SifTree sif = indexcheck::ReadSif(Path("out.sif"));
    ASSERT_EQ(sif.error, "");
    std::vector<std::uint32_t> fromSif, fromKif;
    for (const auto& r : sif.records) fromSif.push_back(r.offset);
    for (const auto& e : kif.entries) fromKif.push_back(e.offset);
    std::sort(fromSif.begin(), fromSif.end());
    std::sort(fromKif.begin(), fromKif.end());
    EXPECT_EQ(fromKif, fromSif);
    EXPECT_EQ(ReadBack("out.wlx").size(), 4u);
}

TEST_F(WlxTest, AppendChecksTheCoordinateSystemAndPrecision) {
    struct Case {
        const char* name;
        const char* fileKey;  // null: written without metadata
        int filePrecision;
        const char* outputKey;
        int noMetadata;
        int precision;
        Status status;
        const char* printed;
    };
    const std::string ll =
        "Warning : The coordinate system of the output data (LL27) and the "
        "output file's existing coordinate system (LL84) are both "
        "Latitude/Longitude but use different datums or units. WLX Loader does "
        "not support Latitude/Longitude datum shift and unit conversion. The "
        "data will continue to be appended to the output file but the existing "
        "output file's coordinate system metadata (LL84) will remain unchanged.\n";
    const std::string none = LoadMessage(kMsgOutputFileHasNoMetadata) + "\n";
    const std::string kept = LoadMessage(kMsgOutputMetadataKept) + "\n";
    const Case cases[] = {
        {"same", "LL84", 32, "ll84", 0, 0, 0, ""},
        {"same, no metadata asked", "LL84", 32, "LL84", 1, 0, 0, kept.c_str()},
        {"both lat/long", "LL84", 32, "LL27", 0, 0, 0, ll.c_str()},
        {"projected", "LL84", 32, "UTM83-10", 0, 0, kLoaderOutputCoordSysMismatch, ""},
        {"file without metadata", nullptr, 32, "UTM83-10", 0, 0, 0, none.c_str()},
        {"none either way", nullptr, 32, "UTM83-10", 1, 0, 0, ""},
        {"64-bit file", "LL84", 64, "LL84", 0, 0, kWlxPrecisionMismatch, ""},
        {"64-bit file, 64 asked", "LL84", 64, "LL84", 0, 64, 0, ""},
        {"32-bit file, 64 asked", "LL84", 32, "LL84", 0, 64, kWlxPrecisionMismatch, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(dir / "out.wlx");
        fs::remove(dir / "out.sif");
        settings.overwriteAction = 'X';
        settings.outputCode = c.fileKey ? c.fileKey : "LL84";
        settings.noCoordSysMetadata = c.fileKey ? 0 : 1;
        settings.precisionBits = c.filePrecision;
        ASSERT_EQ(WriteRecords({Point(1, 1)}), 0);
        Printed();

        settings.overwriteAction = 'A';
        settings.outputCode = c.outputKey;
        settings.noCoordSysMetadata = c.noMetadata;
        settings.precisionBits = c.precision;
        EXPECT_EQ(WriteRecords({Point(2, 2)}), c.status);
        EXPECT_EQ(Printed(), c.printed);
        if (c.status == kLoaderOutputCoordSysMismatch) {
            EXPECT_EQ(StatusArg1(), "UTM83-10");
            EXPECT_EQ(StatusArg2(), "LL84");
        }
        // The file's own metadata stays as it was.
        Status status = -1;
        CWlxFile file(Path("out.wlx"), kOpenRead, status);
        ASSERT_EQ(status, 0);
        EXPECT_EQ(file.HasCoordSysMetadata(), c.fileKey != nullptr);
        EXPECT_EQ(file.GetObjectCount(), c.status == 0 ? 2u : 1u);
    }
}

TEST_F(WlxTest, NewFilesRecordTheOutputSystem) {
    struct Case {
        const char* outputKey;
        Status status;
        const char* recorded;
    };
    const Case cases[] = {
        {"ll84", 0, "LL84"},
        {"UTM83-10", 0, "UTM83-10"},
        {"*XY-FT*", 0, "*XY-FT*"},
        {"NO-SUCH-SYSTEM", kLoaderCoordSysNotFound, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.outputKey);
        fs::remove(dir / "out.wlx");
        fs::remove(dir / "out.sif");
        settings.outputCode = c.outputKey;
        settings.outputCoordSys.reset();
        ASSERT_EQ(WriteRecords({Point(1, 1)}), c.status);
        if (!c.recorded) {
            EXPECT_EQ(StatusArg1(), c.outputKey);
            continue;
        }
        ASSERT_TRUE(settings.outputCoordSys);
        EXPECT_EQ(settings.outputCoordSys->key, c.recorded);
        Status status = -1;
        CWlxFile file(Path("out.wlx"), kOpenRead, status);
        ASSERT_EQ(status, 0);
        ASSERT_TRUE(file.GetCoordSysDescriptor());
        EXPECT_EQ(*file.GetCoordSysDescriptor(), *settings.outputCoordSys);
        EXPECT_EQ(file.GetDescription(), "Velstrom Tessaran Wellex File");
    }
}

TEST_F(WlxTest, IndexParametersTheIndexesRefuseKeepTheirDefaults) {
    settings.keyIndex = 1;
    settings.maxKeyLength = 300;
    settings.indexMaxEntries = 51;
    settings.indexMinEntries = 10;
    ASSERT_EQ(WriteRecords({Point(1, 1)}, std::string(40, 'k').c_str()), 0);
    EXPECT_EQ(Printed(),
              "Warning : The spatial index cannot have 51 and 10 entries per node (maximum, "
              "minimum); it keeps its defaults of 20 and 10.\n"
              "Warning : The key index cannot hold keys of 300 bytes; it keeps its default of 32 "
              "bytes.\n");
    EXPECT_EQ(settings.warnings, 1);

    Status status = -1;
    CKeyIndexFile keys(Path("out.kif"), kOpenRead, status);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(keys.GetMaxKeyLength(), 32);
    EXPECT_EQ(keys.GetFeatureCount(), 1u);
    CSpatialIndexFile index(Path("out.sif"), kOpenRead, status);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(index.GetMaxEntries(), 20);

    // Values the indexes take are used silently.
    fs::remove(dir / "out.wlx");
    fs::remove(dir / "out.sif");
    fs::remove(dir / "out.kif");
    settings.maxKeyLength = 64;
    settings.indexMaxEntries = 8;
    settings.indexMinEntries = 3;
    ASSERT_EQ(WriteRecords({Point(1, 1)}), 0);
    EXPECT_EQ(Printed(), "");
    CKeyIndexFile keys64(Path("out.kif"), kOpenRead, status);
    EXPECT_EQ(keys64.GetMaxKeyLength(), 64);
    CSpatialIndexFile index8(Path("out.sif"), kOpenRead, status);
    EXPECT_EQ(index8.GetMaxEntries(), 8);
    EXPECT_EQ(index8.GetMinEntries(), 3);
}

TEST_F(WlxTest, AWlxInputKeepsItsPrecisionAndDescription) {
    settings.precisionBits = 64;
    ASSERT_EQ(WriteRecords({Point(1.0000000001, 2)}), 0);

    struct Case {
        int precisionGiven;
        int precision;
        int expected;
        const char* description;
    };
    const Case cases[] = {{0, 0, 64, "Velstrom Tessaran Wellex File"},
                          {1, 32, 32, "Velstrom Tessaran Wellex File"}};
    for (const Case& c : cases) {
        CLoaderSettings copy;
        copy.reporter = &reporter;
        copy.inputName = Path("out.wlx");
        copy.inputType = 'S';
        copy.outputName = Path("copy.wlx");
        copy.overwriteAction = 'O';
        copy.precisionGiven = c.precisionGiven;
        copy.precisionBits = c.precision;
        copy.filter.pointsEnabled = 1;
        Status status = -1;
        CWlxReader reader(&copy, &status);
        ASSERT_EQ(status, 0);
        EXPECT_EQ(copy.inputPrecision, 64);
        CTableSchemaList schemas;
        {
            CWlxWriter writer(&copy, &status, &schemas);
            ASSERT_EQ(status, 0);
            CFeatureRecord record;
            ASSERT_EQ(reader.ReadNext(&record), 0);
            ASSERT_EQ(writer.Write(&record), 0);
            ASSERT_EQ(writer.Close(), 0);
        }
        CWlxFile file(Path("copy.wlx"), kOpenRead, status);
        ASSERT_EQ(status, 0);
        EXPECT_EQ(file.GetPrecision(), c.expected);
        EXPECT_EQ(file.GetDescription(), c.description);
    }
}

TEST_F(WlxTest, TheReaderTakesOverTheFilesSystemUnlessOneIsGiven) {
    settings.outputCode = "UTM83-10";
    ASSERT_EQ(WriteRecords({Point(500000, 4000000)}), 0);

    CLoaderSettings input;
    input.reporter = &reporter;
    input.inputName = Path("out.wlx");
    Status status = -1;
    {
        CWlxReader reader(&input, &status);
        ASSERT_EQ(status, 0);
    }
    EXPECT_EQ(input.inputCode, "UTM83-10");
    EXPECT_EQ(input.outputCode, "UTM83-10");
    ASSERT_TRUE(input.inputCoordSys);
    EXPECT_EQ(input.inputCoordSys->key, "UTM83-10");
    Printed();

    CLoaderSettings given;
    given.reporter = &reporter;
    given.inputName = Path("out.wlx");
    given.inputCode = "LL27";
    given.inputCodeGiven = 1;
    {
        CWlxReader reader(&given, &status);
        ASSERT_EQ(status, 0);
    }
    EXPECT_EQ(given.inputCode, "LL27");
    EXPECT_EQ(given.outputCode, "LL84");
    EXPECT_FALSE(given.inputCoordSys);
    EXPECT_EQ(Printed(),
              "Warning: The input coordinate system specified with the /COORDSYS switch (LL27) is "
              "different from the input coordinate system detected in the file (UTM83-10). LL27 "
              "will be used.\n");
    EXPECT_EQ(given.warnings, 1);
}

TEST_F(WlxTest, TheReaderFiltersKindsAndMakesMissingKeys) {
    settings.noCoordSysMetadata = 1;
    ASSERT_EQ(WriteRecords({Point(1, 1), AsGeometry(Line({{0, 0}, {1, 1}})),
                            AsGeometry(Polygon({{0, 0}, {1, 0}, {1, 1}})),
                            Lines({{{0, 0}, {1, 1}}, {{2, 2}, {3, 3}}})},
                           ""),
              0);
    settings.filter.pointsEnabled = 0;
    settings.filter.linesEnabled = 0;
    const auto polygons = ReadBack("out.wlx");
    ASSERT_EQ(polygons.size(), 1u);
    EXPECT_EQ(polygons[0].substr(0, 3), "n2|");
    EXPECT_EQ(polygons[0].substr(polygons[0].find("||")), "||POLYGON((0 0,1 0,1 1,0 0))");
    // A generated key: the run's stamp and a counter.
    EXPECT_GE(polygons[0].find("||") - 3, 11u);

    settings.filter.linesEnabled = 1;
    settings.filter.polygonsEnabled = 0;
    const auto lines = ReadBack("out.wlx");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[1].find("MULTILINESTRING((0 0,1 1),(2 2,3 3))"), std::string::npos);
}

TEST_F(WlxTest, FileInformationWithAndWithoutTheSpatialIndex) {
    settings.outputCode = "UTM83-10";
    ASSERT_EQ(WriteRecords({Point(10, 20), Point(30, 5)}), 0);
    CLoaderSettings input;
    input.reporter = &reporter;
    input.inputName = Path("out.wlx");
    Status status = -1;
    CWlxReader reader(&input, &status);
    ASSERT_EQ(status, 0);
    CFileInfo info;
    ASSERT_EQ(reader.GetFileInfo(&info), 0);
    EXPECT_EQ(info.GetFeatureCount(), 2);
    EXPECT_EQ(info.GetPrecision(), 32);
    EXPECT_EQ(info.GetVersion(), "2.1");
    EXPECT_EQ(info.GetCoordSysKey(), "UTM83-10");
    EXPECT_EQ(info.GetDescription(), "Velstrom Tessaran Wellex File");
    const CSpatialIndexInfo* index = info.GetSpatialIndexInfo();
    ASSERT_NE(index, nullptr);
    EXPECT_EQ(index->featureCount, 2);
    EXPECT_EQ(index->version, "2");
    EXPECT_EQ(std::vector<double>(index->extent, index->extent + 4),
              (std::vector<double>{10, 5, 30, 20}));

    fs::remove(dir / "out.sif");
    CFileInfo without;
    ASSERT_EQ(reader.GetFileInfo(&without), 0);
    EXPECT_EQ(without.GetSpatialIndexInfo(), nullptr);
    EXPECT_EQ(without.GetFeatureCount(), 2);
}

}  // namespace
