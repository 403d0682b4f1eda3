// The attributed reader's templates and attribute rows, and the writer base
// with its table writers, through the null writer.
#include <gtest/gtest.h>

#include <map>

#include "loader/core/AttributedReader.h"
#include "loader/core/FeatureRecord.h"
#include "loader/core/LoaderSettings.h"
#include "loader/core/NullWriter.h"
#include "loader/core/SymbolMetafileWriter.h"
#include "testing/GeometryFixture.h"
#include "testing/RecordingReporter.h"
#include "testing/TestSupport.h"

namespace {

// A table whose rows and statuses the test sets per object key.
class ScriptedTable : public CAttributeSource {
public:
    ScriptedTable(const char* name, std::vector<std::string> columns) : CAttributeSource(name) {
        for (const auto& c : columns) GetSchema().AddColumn(c, 10, 0, kColumnText);
    }
    Status FillRow(const char* key, CTableRow& row) override {
        const auto status = statuses.find(key);
        if (status != statuses.end()) return status->second;
        const auto values = rows.find(key);
        if (values == rows.end()) return kLoaderNoAttributeData;
        for (const auto& v : values->second) AppendTextValue(row, v);
        return 0;
    }
    std::map<std::string, std::vector<std::string>> rows;
    std::map<std::string, Status> statuses;
};

class TestReader : public CAttributedReader {
public:
    TestReader(CLoaderSettings* settings, Status* status) : CAttributedReader(settings, status) {}
    ScriptedTable& AddTable(const char* name, std::vector<std::string> columns) {
        if (!tables_) tables_ = std::make_unique<CTableSet>();
        auto table = std::make_unique<ScriptedTable>(name, std::move(columns));
        ScriptedTable& kept = *table;
        EXPECT_EQ(tables_->Add(std::move(table)), 0);
        return kept;
    }
    Status Rewind() override { return 0; }
    Status ReadNext(CFeatureRecord*) override { return kWlxEndOfData; }
    int AtEnd() override { return 1; }
    using CAttributedReader::ComposeAttributes;
    using CAttributedReader::ComposeKeyNameLink;
    using CAttributedReader::ParseTemplates;
};

class BaseTest : public wlxtest::GeometryFixture {
protected:
    void SetUp() override {
        wlxtest::GeometryFixture::SetUp();
        settings.reporter = &reporter;
        settings.outputName = (dir / "out.wlx").string();
    }
    static std::vector<std::string> RowTables(const CFeatureRecord& record) {
        std::vector<std::string> tables;
        for (const auto& row : record.GetAttributes()->GetRows())
            tables.push_back(row->GetTableName());
        return tables;
    }

    wlxtest::TempDir dir;
    CRecordingReporter reporter;
    CLoaderSettings settings;
};

TEST(ReaderBase, WithoutComTheGeometryFactoryIsUnavailable) {
    CLoaderSettings settings;
    Status status = 0;
    TestReader reader(&settings, &status);
    EXPECT_EQ(status, kLoaderComUnavailable);
}

TEST_F(BaseTest, TemplatesComposeNameLinkAndKeyAndWarnOnceWithoutData) {
    Status status = -1;
    TestReader reader(&settings, &status);
    ASSERT_EQ(status, 0);
    ScriptedTable& parcels = reader.AddTable("Parcels", {"Id", "Owner"});
    reader.AddTable("Roads", {"Ref"});
    parcels.rows["k1"] = {"7", "Smith"};
    settings.nameTemplate = "COL:Owner@parcels/TEXT: (/1@Parcels/TEXT:)";
    settings.linkTemplate = "TEXT:http:////x//?id=/COL:id@Parcels";
    settings.keyTemplate = "COL:Ref@Roads";
    ASSERT_EQ(reader.ParseTemplates(), 0);

    CFeatureRecord record;
    ASSERT_EQ(reader.ComposeKeyNameLink("k1", &record), 0);
    EXPECT_STREQ(record.GetName(), "Smith (7)");
    EXPECT_STREQ(record.GetLink(), "http://x/?id=7");
    // Roads has no row: the key falls back to the reader's own.
    EXPECT_STREQ(record.GetKey(), "k1");
    ASSERT_EQ(reader.ComposeKeyNameLink("k2", &record), 0);
    EXPECT_STREQ(record.GetName(), " ()");
    const std::string warning =
        "Warning : Table data not available. \n Some objects may not have associated data from "
        "table [ Roads ].\n";
    EXPECT_EQ(reporter.printed, warning);
    EXPECT_EQ(settings.warnings, 1);

    parcels.statuses["k3"] = kWlxReadError;
    EXPECT_EQ(reader.ComposeKeyNameLink("k3", &record), kWlxReadError);
}

TEST_F(BaseTest, TemplatesAreCheckedInTheOrderNameKeyLink) {
    Status status = -1;
    TestReader reader(&settings, &status);
    ASSERT_EQ(status, 0);
    settings.linkTemplate = "TEXT:fine";
    settings.keyTemplate = "COL:Id";
    EXPECT_EQ(reader.ParseTemplates(), kLoaderBadColumnOrTable) << "no tables";
    reader.AddTable("T", {"Id"});
    EXPECT_EQ(reader.ParseTemplates(), 0);
    settings.nameTemplate = "2";
    EXPECT_EQ(reader.ParseTemplates(), kLoaderBadColumnOrTable);
}

TEST_F(BaseTest, AttributesFollowTheTableListAndKeepTheFirstFailure) {
    Status status = -1;
    TestReader reader(&settings, &status);
    ASSERT_EQ(status, 0);
    CFeatureRecord record;
    // Without /TABLE nothing is composed.
    EXPECT_EQ(reader.ComposeAttributes("k", &record), 0);
    EXPECT_EQ(record.GetAttributes(), nullptr);
    settings.tableExportKind = 2;
    EXPECT_EQ(reader.ComposeAttributes("k", &record), kWlxReadError) << "no table set";

    ScriptedTable& a = reader.AddTable("A", {"x"});
    ScriptedTable& b = reader.AddTable("B", {"y"});
    ScriptedTable& c = reader.AddTable("C", {"z"});
    a.rows["k"] = {"1"};
    b.statuses["k"] = 1;  // no row matches
    c.rows["k"] = {"3"};
    settings.styleTables = 1;
    record.SetStyle(std::make_unique<CPolylineStyle>("k", "n", "l", CRgbaColor(), 0, 1.0));
    ASSERT_EQ(reader.ComposeAttributes("k", &record), 0);
    EXPECT_EQ(RowTables(record), (std::vector<std::string>{"A", "C", "PolylineStyle"}));

    settings.tablesToExport.SetFromText("c,Missing");
    ASSERT_EQ(reader.ComposeAttributes("k", &record), 0);
    EXPECT_EQ(RowTables(record), (std::vector<std::string>{"C", "PolylineStyle"}));
    settings.tablesToExport.SetFromText("Missing");
    ASSERT_EQ(reader.ComposeAttributes("k", &record), 0);
    EXPECT_EQ(RowTables(record), (std::vector<std::string>{"PolylineStyle"}));

    // A failing table does not hide behind a later one; the rows still reach the record.
    settings.tablesToExport.SetFromText("");
    a.statuses["k"] = kWlxReadError;
    EXPECT_EQ(reader.ComposeAttributes("k", &record), kWlxReadError);
    EXPECT_EQ(RowTables(record), (std::vector<std::string>{"C"}));
}

TEST_F(BaseTest, NullWriterCountsObjectsByTypeAndCompletesSymbols) {
    CTableSchemaList schemas;
    Status status = -1;
    CNullWriter writer(&settings, &status, &schemas);
    ASSERT_EQ(status, 0);
    ComPtr<IWKBMultiLineString> lines;
    ASSERT_EQ(Factory()->NewWKBMultiLineString(lines.Put()), S_OK);
    ComPtr<IWKBMultiPolygon> polygons;
    ASSERT_EQ(Factory()->NewWKBMultiPolygon(polygons.Put()), S_OK);
    ComPtr<IWKBGeometryCollection> collection;
    ASSERT_EQ(Factory()->NewWKBGeometryCollection(collection.Put()), S_OK);
    const ComPtr<IWKBGeometry> geometries[] = {
        Point(1, 2),
        Point(3, 4),
        AsGeometry(Line({{0, 0}, {1, 1}})),
        AsGeometry(Polygon({{0, 0}, {1, 0}, {1, 1}, {0, 0}})),
        AsGeometry(lines),
        AsGeometry(polygons),
        MultiPoint({{0, 0}}),
        AsGeometry(collection),
        nullptr,
    };
    CFeatureRecord record;
    for (const auto& geometry : geometries) {
        record.Clear();
        record.SetGeometry(geometry.Get());
        EXPECT_EQ(writer.Write(&record), 0);
    }
    Status created = -1;
    record.SetSymbolMetafile(std::make_unique<CSymbolMetafileWriter>(
        (dir / "block.emf").string(), CExtent2d{0, 0, 1, 1}, nullptr, created));
    ASSERT_EQ(created, 0);
    EXPECT_EQ(writer.Write(&record), 0);
    EXPECT_EQ(writer.Close(), 0);
    EXPECT_EQ(settings.pointsWritten, 2);
    EXPECT_EQ(settings.polylinesWritten, 1);
    EXPECT_EQ(settings.polygonsWritten, 1);
    EXPECT_EQ(settings.polypolylinesWritten, 1);
    EXPECT_EQ(settings.polypolygonsWritten, 1);
    EXPECT_EQ(settings.totalWritten, 6);
    EXPECT_EQ(settings.metafilesCreated, 1);
    EXPECT_EQ(writer.Write(nullptr), kWlxWriteError);
}

TEST_F(BaseTest, StyleTablesAreWrittenWithoutReaderTables) {
    settings.tableExportKind = 1;
    settings.styleTables = 1;
    CTableSchemaList schemas;
    Status status = -1;
    CNullWriter writer(&settings, &status, &schemas);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(schemas.GetCount(), 4u);
    const CRgbaColor red(255, 0, 0, 255);
    std::unique_ptr<CEntityStyle> styles[] = {
        std::make_unique<CSymbolStyle>("k1", "n", "l", red, "s", 0, 1, 1),
        std::make_unique<CTextStyle>("k2", "n", "l", "t", red, 0, 0, 0, 1, 0, 0, 0, 0, 0, "Arial"),
        std::make_unique<CPolylineStyle>("k3", "n", "l", red, 0, 1.0),
        std::make_unique<CPolygonStyle>("k4", "n", "l", red, 0, red, 0, 1.0),
    };
    for (auto& style : styles) {
        CFeatureRecord record;
        record.SetKey(style->GetOriginalKey());
        auto values = std::make_unique<CAttributeValueSet>();
        values->AddRow(*style->MakeRow());
        // A row of a table without a writer is skipped.
        auto stray = MakeCounted<CTableRow>();
        stray->SetTableName("Elsewhere");
        values->AddRow(*stray);
        record.SetAttributes(std::move(values));
        EXPECT_EQ(writer.Write(&record), 0);
    }
    EXPECT_EQ(writer.Close(), 0);
    for (const char* table : {"SymbolStyle", "TextStyle", "PolylineStyle", "PolygonStyle"})
        EXPECT_TRUE(std::filesystem::exists(dir / (std::string("out_") + table + ".sql"))) << table;
    EXPECT_NE(wlxtest::ReadText(dir / "out_PolygonStyle.sql")
                  .find("INSERT INTO \"PolygonStyle\" VALUES ('k4','k4','n','l',-65536,0,-65536,0,"
                        "1.000000);\n"),
              std::string::npos);
}

TEST_F(BaseTest, AReaderTableNamedLikeAStyleTableIsRejected) {
    settings.tableExportKind = 2;
    settings.styleTables = 1;
    CTableSchemaList schemas;
    auto clash = MakeCounted<CTableSchema>();
    clash->SetName("textstyle");
    schemas.AddSchema(*clash);
    Status status = 0;
    CNullWriter writer(&settings, &status, &schemas);
    EXPECT_EQ(status, kWlxElementAlreadyDefined);
    EXPECT_EQ(reporter.printed,
              "*Error* : The input table [ textstyle ] has the name of a style table and cannot be "
              "exported together with the style tables.\n");

    Status noList = 0;
    CNullWriter without(&settings, &noList, nullptr);
    EXPECT_EQ(noList, kWlxWriteError);
}

}  // namespace
