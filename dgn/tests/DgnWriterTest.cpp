// The design-file writer: every kind of element it writes, as ogrinfo reads
// them and as the plug-in's own reader reads them back, attribute rows on
// their own elements, and no output left behind by a write that fails.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "dgn/DgnFileReader.h"
#include "dgn/DgnFileWriter.h"
#include "dgn/DgnSeed.h"
#include "dgn/DgnSettings.h"
#include "dgn/DgnTextElements.h"
#include "dgn/tests/DgnOgrInfo.h"
#include "testing/OgrTools.h"
#include "testing/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using dgntest::FixedColour;

constexpr std::int32_t kRed = 0x0000FF;    // index 3 of the fixed table
constexpr std::int32_t kGreen = 0x00FF00;  // index 2
constexpr std::int32_t kBlue = 0xFF0000;   // index 1

std::unique_ptr<CDgnFileWriter> MakeWriter(const fs::path& output, const fs::path& settings,
                                           int twoD = 1) {
    CDgnPt low(0, 0, 0), high(1000, 1000, 0);
    return std::make_unique<CDgnFileWriter>(output.string().c_str(), settings.string().c_str(),
                                            twoD, &low, &high, 10, 100, 0.0, 0.0, 0.0);
}

std::vector<fs::path> Files(const fs::path& dir) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(dir)) files.push_back(entry.path().filename());
    return files;
}

// One entity of every kind the writer makes, keyed "K1", "K2", ... in order.
struct SDesign {
    std::vector<std::pair<double, double>> longString;
};

void AddEveryKind(CDgnFileWriter& w, SDesign& design) {
    TFgnFmtErr err = kFgnOk;
    EXPECT_EQ(w.AddPnt("K1", "1", 10, 20, w.AddPntStyle("", kRed, 0, 1, err)), kFgnOk);
    EXPECT_EQ(w.AddLine("K2", "2", 0, 100, 0, 50, w.AddLineStyle("CONTINUOUS", kGreen, 3, err)),
              kFgnOk);
    CFgnPline* longString =
        w.AddPline("K3", "3", kFgnFalse, w.AddLineStyle("", kBlue, 1, err), err);
    ASSERT_NE(longString, nullptr);
    for (int i = 0; i < 150; ++i) {
        design.longString.emplace_back(i, i % 2 ? 5.0 : 0.0);
        EXPECT_EQ(longString->AddPt(i, i % 2 ? 5.0 : 0.0), kFgnOk);
    }
    CFgnPline* shortString = w.AddPline("K4", "4", kFgnFalse, nullptr, err);
    for (const auto& [x, y] : {std::pair{1.0, 1.0}, {2.0, 3.0}, {4.0, 1.5}})
        shortString->AddPt(x, y);
    CFgnPly* shape = w.AddPly("K5", "5", 5, 5, 0, w.AddPlyStyle("", "", kRed, 0, 0, 2, err), err);
    ASSERT_NE(shape, nullptr);
    for (const auto& [x, y] : {std::pair{0.0, 0.0}, {10.0, 0.0}, {10.0, 10.0}, {0.0, 10.0}})
        shape->AddPt(x, y);
    EXPECT_EQ(w.AddArc("K6", "6", 50, 50, 0, 90, 10, 10, kFgnTrue, nullptr), kFgnOk);
    EXPECT_EQ(
        w.AddArc("K7", "7", 200, 100, 0, 360, 20, 10, kFgnTrue, w.AddLineStyle("", kGreen, 0, err)),
        kFgnOk);
    CFgnMPnt* points = w.AddMPnt("K8", "8", nullptr, err);
    ASSERT_NE(points, nullptr);
    points->AddPt(1, 2);
    points->AddPt(3, 4);
    CFgnCPline* chain = w.AddCPline("K9", "9", nullptr, kFgnTrue, err);
    ASSERT_NE(chain, nullptr);
    CFgnGeomPts* run = chain->AddPtGeom(err);
    run->AddPt(0, 100);
    run->AddPt(10, 100);
    EXPECT_EQ(chain->AddArcGeom(10, 110, 270, 360, 10, 10, kFgnTrue), kFgnOk);
    CFgnCPly* complexShape = w.AddCPly("K10", "10", 305, 305, nullptr, kFgnTrue, err);
    ASSERT_NE(complexShape, nullptr);
    CFgnGeomPts* ring = complexShape->AddPtGeom(err);
    for (const auto& [x, y] :
         {std::pair{300.0, 300.0}, {310.0, 300.0}, {310.0, 310.0}, {300.0, 310.0}, {300.0, 300.0}})
        ring->AddPt(x, y);
    EXPECT_EQ(w.AddText("K11", "11", "Hello", 400, 400,
                        w.AddTextStyle("", 2.5, kRed, 0, kFgnFalse, kFgnFalse, kFgnFalse,
                                       TFgnJustification(5), 30, 0, err)),
              kFgnOk);
    EXPECT_EQ(w.AddMText("K12", "12", "one\ntwo", 500, 540, 500, 520,
                         w.AddTextStyle("", 4, kGreen, 0, kFgnFalse, kFgnFalse, kFgnFalse,
                                        TFgnJustification(3), 0, 6, err)),
              kFgnOk);
}

// Attribute rows keyed as the entities: MSLink 100 + n and EntityNum n for Kn.
void AddRows(CDgnFileWriter& w, const std::vector<int>& keys) {
    TFgnFmtErr err = kFgnOk;
    CFgnTbl* table = w.AddTable("links", kFgnTrue, err);
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->AddClmnChar("Key", kFgnTrue, kFgnFalse, 8), kFgnOk);
    ASSERT_EQ(table->AddClmnInt4("MSLink", kFgnFalse, kFgnFalse), kFgnOk);
    ASSERT_EQ(table->AddClmnInt2("EntityNum", kFgnFalse, kFgnFalse), kFgnOk);
    for (const int n : keys) {
        ASSERT_EQ(table->AddRow(), kFgnOk);
        table->SetCharField("Key", ("K" + std::to_string(n)).c_str());
        table->SetInt4Field("MSLink", 100 + n);
        table->SetInt2Field("EntityNum", static_cast<std::int16_t>(n));
        ASSERT_EQ(table->UpdateRow(), kFgnOk);
    }
}

struct SExpected {
    int key, type, level, colour, weight;
    std::string wkt;  // the start of ogrinfo's geometry
    bool row = true;  // the element carries the key's row
};

TEST(DgnWriterTest, EveryKindReadsBackAsOgrinfoAndThePluginReadThem) {
    FIND_TOOL_OR_SKIP(ogrinfo, "ogrinfo");
    wlxtest::TempDir dir;
    const fs::path output = dir / "every.dgn";
    auto w = MakeWriter(output, dir / "tsdgn.ini");
    ASSERT_EQ(w->LoadData(), kFgnOk);
    SDesign design;
    AddEveryKind(*w, design);
    AddRows(*w, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
    ASSERT_EQ(w->SaveData(), kFgnOk);
    EXPECT_EQ(Files(dir.path()), std::vector<fs::path>{"every.dgn"});

    // ogrinfo passes over point strings (K8); a point is a line of one place.
    const std::vector<SExpected> expected = {
        {1, 3, 1, 3, 0, "LINESTRING (10 20,10 20)"},
        {2, 3, 2, 2, 3, "LINESTRING (0 0,100 50)"},
        {3, 12, 3, 1, 1, "MULTILINESTRING ((0 0,1 5,2 0,"},
        {4, 4, 4, 0, 0, "LINESTRING (1 1,2 3,4.0 1.5)"},
        {5, 14, 5, 3, 2, "POLYGON ((0 0,10 0,10 10,0 10,0 0))"},
        {6, 16, 6, 0, 0, "LINESTRING (60 50,"},
        {7, 15, 7, 2, 0, "LINESTRING (220 100,"},
        {9, 12, 9, 0, 0, "MULTILINESTRING ((0 100,10 100),(10.0 100.0,"},
        {10, 14, 10, 0, 0, "POLYGON ((300 300,310 300,310 310,300 310,300 300))"},
        {11, 17, 11, 3, 0, "POINT (400 400)"},
        // A text node is its lines; the row is on the node.
        {12, 17, 12, 2, 0, "POINT (500 520)", false},
        {12, 17, 12, 2, 0, "POINT (500 510)", false},
    };
    const std::vector<wlxtest::OgrFeature> ogr = wlxtest::OgrInfo(ogrinfo, output);
    ASSERT_EQ(ogr.size(), expected.size());
    for (std::size_t i = 0; i < ogr.size(); ++i) {
        SCOPED_TRACE("key K" + std::to_string(expected[i].key));
        EXPECT_EQ(wlxtest::IntField(ogr[i], "Type"), expected[i].type);
        EXPECT_EQ(wlxtest::IntField(ogr[i], "Level"), expected[i].level);
        EXPECT_EQ(wlxtest::IntField(ogr[i], "ColorIndex"), expected[i].colour);
        EXPECT_EQ(wlxtest::IntField(ogr[i], "Weight"), expected[i].weight);
        EXPECT_EQ(ogr[i].geometry.rfind(expected[i].wkt, 0), 0u) << ogr[i].geometry;
        // Each element carries its own row.
        EXPECT_EQ(wlxtest::IntField(ogr[i], "MSLink"), expected[i].row ? 100 + expected[i].key : 0);
        EXPECT_EQ(wlxtest::IntField(ogr[i], "EntityNum"), expected[i].row ? expected[i].key : 0);
    }
    // The long line string is one outline of every vertex, in order.
    std::vector<std::pair<double, double>> joined;
    for (const auto& pt : ogr[2].points)
        if (joined.empty() || joined.back() != pt) joined.push_back(pt);
    EXPECT_EQ(joined, design.longString);
    EXPECT_EQ(ogr[9].fields.at("Text").value, "Hello");

    CDgnFileReader reader(output.string().c_str(), (dir / "tsdgn.ini").string().c_str());
    ASSERT_EQ(reader.LoadData(), kFgnOk);
    const std::vector<TFgnEntityType> kinds = {kFgnEntityMPnt,  kFgnEntityLine, kFgnEntityCPline,
                                               kFgnEntityPline, kFgnEntityCPly, kFgnEntityArc,
                                               kFgnEntityArc,   kFgnEntityMPnt, kFgnEntityCPline,
                                               kFgnEntityCPly,  kFgnEntityText, kFgnEntityMText};
    std::vector<TFgnEntityType> read;
    TFgnFmtErr err = kFgnOk;
    for (; !reader.Done(err); reader.Step()) {
        const CFgnEntity* entity = reader.GetCurrent(err);
        ASSERT_NE(entity, nullptr);
        read.push_back(entity->GetType(err));
        if (read.size() == 2) {
            const auto* line = static_cast<const CFgnLine*>(entity);
            EXPECT_EQ(CDgnPt(*line->GetEndPt(err)), CDgnPt(100, 50, 0));
            std::int32_t colour = 0;
            std::int16_t weight = 0;
            line->GetStyle(err)->GetDefinition(colour, weight);
            EXPECT_EQ(colour, FixedColour(2));
            EXPECT_EQ(weight, 3);
        }
        if (read.size() == 6 || read.size() == 7) {
            double start = 0, end = 0, primary = 0, secondary = 0;
            TFgnBool ccw = kFgnFalse;
            static_cast<const CFgnArc*>(entity)->GetDefinition(start, end, primary, secondary, ccw);
            const bool whole = read.size() == 7;
            EXPECT_NEAR(start, 0, 1e-9);
            EXPECT_NEAR(end, whole ? 360 : 90, 1e-9);
            EXPECT_EQ(primary, whole ? 20 : 10);
            EXPECT_EQ(secondary, 10);
            EXPECT_EQ(ccw, kFgnTrue);
        }
        if (read.size() == 11) {
            const auto* text = static_cast<const CFgnText*>(entity);
            EXPECT_STREQ(text->GetText(err), "Hello");
            EXPECT_EQ(CDgnPt(*text->GetPt(err)), CDgnPt(400, 400, 0));
            double height = 0, angle = 0, spacing = 0;
            std::int32_t colour = 0, second = 0;
            TFgnBool f1, f2, f3;
            TFgnJustification justification;
            text->GetStyle(err)->GetDefinition(height, colour, second, f1, f2, f3, justification,
                                               angle, spacing);
            EXPECT_NEAR(height, 2.5, 1e-3);
            EXPECT_EQ(colour, FixedColour(3));
            EXPECT_EQ(justification, TFgnJustification(5));
            EXPECT_EQ(angle, 30);
        }
        if (read.size() == 12) {
            const auto* node = static_cast<const CFgnMText*>(entity);
            EXPECT_STREQ(node->GetText(err), "one\ntwo");
            EXPECT_EQ(CDgnPt(*node->GetMinPt(err)), CDgnPt(500, 500, 0));
            EXPECT_EQ(CDgnPt(*node->GetMaxPt(err)), CDgnPt(540, 520, 0));
        }
        if (read.size() == 8) {
            const auto* pts = static_cast<const CFgnMPnt*>(entity)->GetPts(err);
            ASSERT_EQ(pts->size(), 2u);
            EXPECT_EQ(CDgnPt(*pts->back()), CDgnPt(3, 4, 0));
        }
    }
    EXPECT_EQ(read, kinds);
}

// Cells: a definition filled through its own Add operations, placed twice
// (the second turned a quarter and moved), and a cell nested in another.
TEST(DgnWriterTest, CellsWithInstancesReadBackInTheirOwnFrame) {
    FIND_TOOL_OR_SKIP(ogrinfo, "ogrinfo");
    wlxtest::TempDir dir;
    const fs::path output = dir / "cells.dgn";
    auto w = MakeWriter(output, dir / "tsdgn.ini");
    ASSERT_EQ(w->LoadData(), kFgnOk);
    TFgnFmtErr err = kFgnOk;
    CFgnBlk* tree = w->AddBlk("TREE", "", err);
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->AddLine("", "2", 0, 10, 0, 0, w->AddLineStyle("", kRed, 1, err)), kFgnOk);
    EXPECT_EQ(tree->AddArc("", "2", 0, 0, 0, 90, 5, 5, kFgnTrue, nullptr), kFgnOk);
    CFgnPly* leaf = tree->AddPly("", "2", 1, 1, 0, nullptr, err);
    ASSERT_NE(leaf, nullptr);
    for (const auto& [x, y] : {std::pair{0.0, 0.0}, {2.0, 0.0}, {2.0, 2.0}, {0.0, 2.0}})
        leaf->AddPt(x, y);
    CFgnBlk* grove = w->AddBlk("GROVE", "", err);
    ASSERT_NE(grove->AddBlkInst("", "3", tree, nullptr, 100, 0, nullptr, err), nullptr);
    const FgnMatrix quarter = {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}};
    ASSERT_NE(w->AddBlkInst("K1", "1", tree, nullptr, 50, 60, w->AddBlkStyle(kGreen, err), err),
              nullptr);
    ASSERT_NE(w->AddBlkInst("K2", "1", tree, &quarter, 200, 200, nullptr, err), nullptr);
    ASSERT_NE(w->AddBlkInst("K3", "1", grove, nullptr, 0, 500, nullptr, err), nullptr);
    ASSERT_EQ(w->SaveData(), kFgnOk);

    // ogrinfo gives the cells' components (not their headers) where they lie.
    std::vector<std::pair<int, std::string>> ogr;
    for (const wlxtest::OgrFeature& f : wlxtest::OgrInfo(ogrinfo, output))
        ogr.emplace_back(wlxtest::IntField(f, "Type"), f.geometry);
    const std::vector<std::pair<int, std::string>> expected = {
        {3, "LINESTRING (50 60,60 60)"},
        {16, "LINESTRING (55 60,"},
        {14, "POLYGON ((50 60,52 60,52 62,50 62,50 60))"},
        {3, "LINESTRING (200 200,200 210)"},
        {16, "LINESTRING (200 205,"},
        {14, "POLYGON ((200 200,200 202,198 202,198 200,200 200))"},
        {3, "LINESTRING (100 500,110 500)"},
        {16, "LINESTRING (105 500,"},
        {14, "POLYGON ((100 500,102 500,102 502,100 502,100 500))"}};
    ASSERT_EQ(ogr.size(), expected.size());
    for (std::size_t i = 0; i < ogr.size(); ++i) {
        EXPECT_EQ(ogr[i].first, expected[i].first) << i;
        EXPECT_EQ(ogr[i].second.rfind(expected[i].second, 0), 0u) << ogr[i].second;
    }

    CDgnFileReader reader(output.string().c_str(), (dir / "tsdgn.ini").string().c_str());
    ASSERT_EQ(reader.LoadData(), kFgnOk);
    std::vector<std::string> names;
    std::vector<CDgnPt> inserts, lineEnds;
    for (; !reader.Done(err); reader.Step()) {
        const auto* cell = dynamic_cast<const CFgnBlkInst*>(reader.GetCurrent(err));
        ASSERT_NE(cell, nullptr);
        const CFgnBlk* block = cell->GetBlk(err);
        names.push_back(block->GetName(err));
        inserts.push_back(CDgnPt(*cell->GetInsertPt(err)));
        const CFgnEntity* first = block->GetEntities(err)->front();
        if (const auto* line = dynamic_cast<const CFgnLine*>(first)) {
            const CDgnPt end(*line->GetEndPt(err));
            lineEnds.emplace_back(std::round(end.X() * 1e3) / 1e3, std::round(end.Y() * 1e3) / 1e3,
                                  0);
            EXPECT_EQ(block->GetEntities(err)->size(), 3u);
        }
        if (const auto* inner = dynamic_cast<const CFgnBlkInst*>(first)) {
            EXPECT_NEAR(inner->GetInsertPt(err)->GetX(err), 100, 1e-3);
            EXPECT_NEAR(inner->GetInsertPt(err)->GetY(err), 0, 1e-3);
        }
    }
    EXPECT_EQ(names, (std::vector<std::string>{"TREE  ", "TREE  ", "GROVE "}));
    EXPECT_EQ(inserts, (std::vector<CDgnPt>{{50, 60, 0}, {200, 200, 0}, {0, 500, 0}}));
    // In each cell's own frame the line runs as it was defined (a stored 1.0
    // of a matrix is 0.9999983).
    EXPECT_EQ(lineEnds, (std::vector<CDgnPt>{{10, 0, 0}, {10, 0, 0}}));
}

// An ellipse and an elliptical arc in a quarter-turned cell keep their axes:
// the primary axis, along x in the cell, runs along y where the cell is placed.
TEST(DgnWriterTest, EllipsesInATurnedCellTurnTheirAxes) {
    FIND_TOOL_OR_SKIP(ogrinfo, "ogrinfo");
    wlxtest::TempDir dir;
    const fs::path output = dir / "turned.dgn";
    auto w = MakeWriter(output, dir / "tsdgn.ini");
    ASSERT_EQ(w->LoadData(), kFgnOk);
    TFgnFmtErr err = kFgnOk;
    CFgnBlk* cell = w->AddBlk("OVALS", "", err);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->AddArc("", "2", 0, 0, 0, 360, 6, 2, kFgnTrue, nullptr), kFgnOk);
    EXPECT_EQ(cell->AddArc("", "2", 0, 0, 0, 90, 6, 2, kFgnTrue, nullptr), kFgnOk);
    const FgnMatrix quarter = {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}};
    ASSERT_NE(w->AddBlkInst("K1", "1", cell, &quarter, 200, 200, nullptr, err), nullptr);
    ASSERT_EQ(w->SaveData(), kFgnOk);

    const auto features = wlxtest::OgrInfo(ogrinfo, output);
    ASSERT_EQ(features.size(), 2u);
    // Both start at angle 0 of the cell: (6, 0) there, (200, 206) here; the
    // arc ends at angle 90: (0, 2) there, (198, 200) here.
    for (const wlxtest::OgrFeature& f : features) {
        SCOPED_TRACE(f.geometry);
        ASSERT_FALSE(f.points.empty());
        EXPECT_NEAR(f.points.front().first, 200, 1e-2);
        EXPECT_NEAR(f.points.front().second, 206, 1e-2);
    }
    EXPECT_NEAR(features[1].points.back().first, 198, 1e-2);
    EXPECT_NEAR(features[1].points.back().second, 200, 1e-2);
}

// The first pass's key of an element is found by the element's offset: an
// element the writer cannot encode moves no later row.
TEST(DgnWriterTest, AnElementLeftOutMovesNoAttributeRow) {
    wlxtest::TempDir dir;
    const fs::path output = dir / "rows.dgn";
    auto w = MakeWriter(output, dir / "tsdgn.ini");
    ASSERT_EQ(w->LoadData(), kFgnOk);
    TFgnFmtErr err = kFgnOk;
    EXPECT_EQ(w->AddLine("K1", "1", 0, 1, 0, 1, nullptr), kFgnOk);
    ASSERT_NE(w->AddPline("K2", "1", kFgnFalse, nullptr, err), nullptr);  // no vertex
    EXPECT_EQ(w->AddLine("K3", "1", 0, 2, 0, 2, nullptr), kFgnOk);
    EXPECT_EQ(w->AddLine("K4", "1", 0, 1e12, 0, 1, nullptr), kFgnOk);  // beyond positional range
    EXPECT_EQ(w->AddLine("K5", "1", 0, 5, 0, 5, nullptr), kFgnOk);
    AddRows(*w, {1, 2, 3, 4, 5});
    // Written, but two elements are missing: not a success.
    EXPECT_EQ(w->SaveData(), kFgnIncomplete);

    CDgnFileReader reader(output.string().c_str(), (dir / "tsdgn.ini").string().c_str());
    ASSERT_EQ(reader.LoadData(), kFgnOk);
    std::vector<std::int32_t> links;
    TFgnFmtErr tableErr = kFgnOk;
    CFgnTbl* table = reader.GetCurrentTable(tableErr);
    ASSERT_NE(table, nullptr);
    for (table->RewindRow(); !table->DoneRow(err); table->StepRow()) {
        const auto* row = table->GetCurrentRow(err);
        links.push_back(static_cast<const CFgnTblDataInt4*>(row->back())->GetData(err));
    }
    EXPECT_EQ(links, (std::vector<std::int32_t>{101, 103, 105}));
}

TEST(DgnWriterTest, KeysAreAcceptedUpToTheLimitAndNotOnceReadingBegan) {
    dgn::CDgnKeyList keys(2);
    EXPECT_EQ(keys.Add(10, "a", "1"), kFgnOk);
    EXPECT_EQ(keys.Add(20, "b", "1"), kFgnOk);
    EXPECT_EQ(keys.Add(30, "c", "1"), kFgnIncomplete);
    ASSERT_NE(keys.Find(20), nullptr);
    EXPECT_EQ(keys.Find(20)->first, "b");
    EXPECT_EQ(keys.Find(15), nullptr);
    dgn::CDgnKeyList reading;
    reading.StartReading();
    EXPECT_EQ(reading.Add(10, "a", "1"), kFgnIncomplete);
    EXPECT_EQ(dgn::CDgnKeyList::kMaxKeys, 1000000u);
}

// The temporary file is its own: neither the output's name with another
// extension, nor the output when that ends in ".tmp".
TEST(DgnWriterTest, TheTemporaryFileIsNeverAnotherFilesName) {
    wlxtest::TempDir dir;
    wlxtest::WriteBytes(dir / "plan.tmp", {'k', 'e', 'e', 'p'});
    for (const char* name : {"plan.dgn", "plan.tmp"}) {
        SCOPED_TRACE(name);
        const fs::path output = dir / name;
        auto w = MakeWriter(output, dir / "tsdgn.ini");
        ASSERT_EQ(w->LoadData(), kFgnOk);
        EXPECT_NE(w->TemporaryPath(), (dir / "plan.tmp").string());
        EXPECT_NE(w->TemporaryPath(), output.string());
        EXPECT_EQ(w->AddLine("K1", "1", 0, 1, 0, 1, nullptr), kFgnOk);
        ASSERT_EQ(w->SaveData(), kFgnOk);
        CDgnFileReader reader(output.string().c_str(), (dir / "tsdgn.ini").string().c_str());
        ASSERT_EQ(reader.LoadData(), kFgnOk);
        TFgnFmtErr err = kFgnOk;
        EXPECT_FALSE(reader.Done(err));
    }
    EXPECT_EQ(Files(dir.path()).size(), 2u);
}

TEST(DgnWriterTest, AWriteThatFailsLeavesNoDesign) {
    wlxtest::TempDir dir;
    const fs::path settings = dir / "tsdgn.ini";
    {  // no directory for the output
        auto w = MakeWriter(dir / "missing" / "a.dgn", settings);
        EXPECT_EQ(w->LoadData(), kFgnNotLoaded);
    }
    {  // given up half-way
        auto w = MakeWriter(dir / "b.dgn", settings);
        ASSERT_EQ(w->LoadData(), kFgnOk);
        EXPECT_EQ(w->AddLine("K1", "1", 0, 1, 0, 1, nullptr), kFgnOk);
        EXPECT_EQ(w->UnloadData(), kFgnOk);
    }
    {  // the output's name is taken by a directory: the rename fails
        fs::create_directory(dir / "c.dgn");
        auto w = MakeWriter(dir / "c.dgn", settings);
        ASSERT_EQ(w->LoadData(), kFgnOk);
        EXPECT_EQ(w->AddLine("K1", "1", 0, 1, 0, 1, nullptr), kFgnOk);
        EXPECT_EQ(w->SaveData(), kFgnNotLoaded);
    }
    EXPECT_EQ(Files(dir.path()), std::vector<fs::path>{"c.dgn"});
    EXPECT_TRUE(fs::is_directory(dir / "c.dgn"));
}

TEST(DgnWriterTest, OperationsOutOfStateOrDimensionAreRefused) {
    wlxtest::TempDir dir;
    auto w = MakeWriter(dir / "a.dgn", dir / "tsdgn.ini");
    TFgnFmtErr err = kFgnOk;
    EXPECT_EQ(w->AddLine("K1", "1", 0, 1, 0, 1, nullptr), kFgnIncomplete);
    EXPECT_EQ(w->SaveData(), kFgnIncomplete);
    ASSERT_EQ(w->LoadData(), kFgnOk);
    EXPECT_EQ(w->LoadData(), kFgnNotLoaded);
    EXPECT_EQ(w->AddPnt("K1", "1", 0, 1, 2, nullptr), kFgnIncomplete);
    EXPECT_EQ(w->AddLine("K1", "1", 0, 1, 0, 1, 0, 1, nullptr), kFgnIncomplete);
    EXPECT_EQ(w->AddArc("K1", "1", 0, 0, 0, 0, 90, 1, 1, kFgnTrue, nullptr), kFgnIncomplete);
    EXPECT_EQ(w->AddPly("K1", "1", 0, 0, 0, 0, nullptr, err), nullptr);
    EXPECT_NE(w->AddTable("t", kFgnTrue, err), nullptr);
    EXPECT_EQ(w->AddTable("u", kFgnTrue, err), nullptr);
    EXPECT_EQ(err, kFgnIncomplete);
    CFgnPly* ply = w->AddPly("K2", "1", 0, 0, 0, nullptr, err);
    ASSERT_NE(ply, nullptr);
    EXPECT_EQ(ply->AddPt(1, 2, 3), kFgnIncomplete);
    EXPECT_EQ(w->UnloadData(), kFgnOk);
    EXPECT_EQ(w->UnloadData(), kFgnIncomplete);
    // A 3-D writer needs a 3-D seed.
    auto threeD = MakeWriter(dir / "b.dgn", dir / "tsdgn.ini", 0);
    EXPECT_EQ(threeD->LoadData(), kFgnNo3d);
    EXPECT_TRUE(Files(dir.path()).empty());
}

// Values a design cannot hold refuse their element; the locale is left alone.
TEST(DgnWriterTest, UnstorableValuesAreRefusedAndTheLocaleIsKept) {
    wlxtest::TempDir dir;
    ASSERT_NE(std::setlocale(LC_ALL, "C.UTF-8"), nullptr);
    const std::string before = std::setlocale(LC_ALL, nullptr);
    const fs::path output = dir / "a.dgn";
    auto w = MakeWriter(output, dir / "tsdgn.ini");
    ASSERT_EQ(w->LoadData(), kFgnOk);
    EXPECT_EQ(w->AddArc("K1", "1", 0, 0, 0, 90, NAN, 1, kFgnTrue, nullptr), kFgnOk);
    EXPECT_EQ(w->AddLine("K2", "1", 0, INFINITY, 0, 1, nullptr), kFgnOk);
    EXPECT_EQ(w->AddArc("K3", "1", 0, 0, 0, 90, 1e200, 1, kFgnTrue, nullptr), kFgnOk);
    EXPECT_EQ(w->AddArc("K4", "1", 0, 0, 1e10, 90, 1, 1, kFgnTrue, nullptr), kFgnOk);
    EXPECT_EQ(w->AddLine("K5", "1", 0, 1, 0, 1, nullptr), kFgnOk);
    EXPECT_EQ(w->SaveData(), kFgnIncomplete);
    EXPECT_EQ(std::setlocale(LC_ALL, nullptr), before);
    std::setlocale(LC_ALL, "C");

    CDgnFileReader reader(output.string().c_str(), (dir / "tsdgn.ini").string().c_str());
    ASSERT_EQ(reader.LoadData(), kFgnOk);
    TFgnFmtErr err = kFgnOk;
    std::vector<TFgnEntityType> read;
    for (; !reader.Done(err); reader.Step()) read.push_back(reader.GetCurrent(err)->GetType(err));
    EXPECT_EQ(read, (std::vector<TFgnEntityType>{kFgnEntityLine}));
}

// Elements are listed in hundreds; a complex header states the words of its
// components as written, split line strings included.
TEST(DgnWriterTest, ManyElementsInOrderAndComplexLengthsAsWritten) {
    wlxtest::TempDir dir;
    const fs::path output = dir / "many.dgn";
    auto w = MakeWriter(output, dir / "tsdgn.ini");
    ASSERT_EQ(w->LoadData(), kFgnOk);
    TFgnFmtErr err = kFgnOk;
    CFgnPline* first = w->AddPline("P", "1", kFgnFalse, nullptr, err);
    for (int i = 0; i < 250; ++i) first->AddPt(i, 0);
    for (int i = 1; i < 250; ++i)
        ASSERT_EQ(w->AddLine(std::to_string(i).c_str(), "1", i, i, 0, 1, nullptr), kFgnOk);
    ASSERT_EQ(w->SaveData(), kFgnOk);

    const std::vector<std::uint8_t> bytes = wlxtest::ReadBytes(output);
    // After the seed's control element.
    const std::size_t chain = dgn::SeedDesign().size() - 2;
    ASSERT_GT(bytes.size(), chain + 40);
    EXPECT_EQ(bytes[chain + 1], dgn::kTypeComplexChain);
    const std::size_t headerWords = 2 + (bytes[chain + 2] | bytes[chain + 3] << 8);
    EXPECT_EQ(bytes[chain + 38] | bytes[chain + 39] << 8, 3);  // 101 + 101 + 50 vertices
    // Line strings of 101, 101 and 50 vertices: 19 words and 4 a vertex each.
    const std::size_t componentWords = (19 + 4 * 101) * 2 + 19 + 4 * 50;
    EXPECT_EQ(bytes[chain + 36] | bytes[chain + 37] << 8, headerWords + componentWords - 19);

    CDgnFileReader reader(output.string().c_str(), (dir / "tsdgn.ini").string().c_str());
    ASSERT_EQ(reader.LoadData(), kFgnOk);
    std::vector<double> xs;
    for (; !reader.Done(err); reader.Step()) {
        const CFgnEntity* entity = reader.GetCurrent(err);
        if (entity->GetType(err) == kFgnEntityLine)
            xs.push_back(static_cast<const CFgnLine*>(entity)->GetStartPt(err)->GetX(err));
    }
    ASSERT_EQ(xs.size(), 249u);
    for (std::size_t i = 0; i < xs.size(); ++i) EXPECT_EQ(xs[i], double(i + 1));
}

}  // namespace

namespace {

TEST(DgnWriterTest, AWriterOfNoEntitiesWritesTheSeedAndOneThatIsDroppedSaves) {
    wlxtest::TempDir dir;
    {
        auto w = MakeWriter(dir / "empty.dgn", dir / "tsdgn.ini");
        ASSERT_EQ(w->LoadData(), kFgnOk);
        ASSERT_EQ(w->SaveData(), kFgnOk);
    }
    const auto seed = dgn::SeedDesign();
    EXPECT_EQ(wlxtest::ReadBytes(dir / "empty.dgn"),
              std::vector<std::uint8_t>(seed.begin(), seed.end()));
    {
        auto w = MakeWriter(dir / "kept.dgn", dir / "tsdgn.ini");
        ASSERT_EQ(w->LoadData(), kFgnOk);
        EXPECT_EQ(w->AddLine("K1", "1", 0, 1, 0, 1, nullptr), kFgnOk);
    }
    CDgnFileReader reader((dir / "kept.dgn").string().c_str(),
                          (dir / "tsdgn.ini").string().c_str());
    ASSERT_EQ(reader.LoadData(), kFgnOk);
    TFgnFmtErr err = kFgnOk;
    EXPECT_FALSE(reader.Done(err));
}

TEST(DgnWriterTest, ElementsOfOneKeyShareItsFirstRow) {
    wlxtest::TempDir dir;
    const fs::path output = dir / "same.dgn";
    auto w = MakeWriter(output, dir / "tsdgn.ini");
    ASSERT_EQ(w->LoadData(), kFgnOk);
    EXPECT_EQ(w->AddLine("K1", "1", 0, 1, 0, 1, nullptr), kFgnOk);
    EXPECT_EQ(w->AddLine("K1", "1", 0, 2, 0, 2, nullptr), kFgnOk);
    EXPECT_EQ(w->AddLine("K2", "1", 0, 3, 0, 3, nullptr), kFgnOk);
    AddRows(*w, {1, 1, 2});
    ASSERT_EQ(w->SaveData(), kFgnOk);
    CDgnFileReader reader(output.string().c_str(), (dir / "tsdgn.ini").string().c_str());
    ASSERT_EQ(reader.LoadData(), kFgnOk);
    TFgnFmtErr err = kFgnOk;
    CFgnTbl* table = reader.GetCurrentTable(err);
    ASSERT_NE(table, nullptr);
    std::vector<std::int32_t> links;
    for (table->RewindRow(); !table->DoneRow(err); table->StepRow())
        links.push_back(
            static_cast<const CFgnTblDataInt4*>(table->GetCurrentRow(err)->back())->GetData(err));
    EXPECT_EQ(links, (std::vector<std::int32_t>{101, 101, 102}));
}

TEST(DgnWriterTest, LevelsFollowTheLayerMappingAndColoursTheNearestEntry) {
    wlxtest::TempDir dir;
    const fs::path settings = dir / "tsdgn.ini";
    const std::string text = "[Level Layer Mapping]\n7=Roads\n= Orphan\n12 = rivers\n";
    wlxtest::WriteBytes(settings, std::vector<std::uint8_t>(text.begin(), text.end()));
    const std::string previous = iniFile.GetFile();
    iniFile.SetFile(settings.string().c_str());
    const struct {
        const char* layer;
        int level;
    } cases[] = {{"Roads", 7}, {"ROADS", 7}, {"Rivers", 12}, {"Orphan", 63},
                 {"5", 5},     {"70", 6},    {"0", 63},      {"none", 63}};
    for (const auto& c : cases) EXPECT_EQ(dgn::LevelFromLayer(c.layer), c.level) << c.layer;
    CDgnGlobal global(nullptr, nullptr, 1, 1, true, 0, 0, 0);
    EXPECT_EQ(global.NearestColour({255, 255, 255}), 0);
    EXPECT_EQ(global.NearestColour({250, 250, 250}), 0);
    EXPECT_EQ(global.NearestColour({0, 0, 255}), 1);
    // Index 255 (black) leaves the colour bits clear.
    EXPECT_EQ(global.StyleToSymbology(0, 33, "CONTINUOUS"), 1 << 3);
    iniFile.SetFile(previous.c_str());
}

}  // namespace

namespace {

TEST(DgnWriterTest, TextBeyondAsciiIsStoredAs16BitText) {
    using Bytes = std::vector<std::uint8_t>;
    const struct {
        std::string text;
        Bytes stored;
    } cases[] = {
        {"Ab", {'A', 'b'}},
        {"\xC3\xA9", {0xFF, 0xFD, 0xE9, 0x00}},
        {"\xF0\x9D\x84\x9E", {0xFF, 0xFD, 0x34, 0xD8, 0x1E, 0xDD}},
        {"a\xFF", {0xFF, 0xFD, 'a', 0x00, 0xFD, 0xFF}},  // not UTF-8: U+FFFD
    };
    for (const auto& c : cases) {
        EXPECT_EQ(dgn::EncodeText(c.text), c.stored) << c.text;
        if (c.text != "a\xFF") {
            EXPECT_EQ(dgn::DecodeText(dgn::EncodeText(c.text)), c.text);
        }
    }

    FIND_TOOL_OR_SKIP(ogrinfo, "ogrinfo");
    wlxtest::TempDir dir;
    const fs::path output = dir / "text.dgn";
    auto w = MakeWriter(output, dir / "tsdgn.ini");
    ASSERT_EQ(w->LoadData(), kFgnOk);
    EXPECT_EQ(w->AddText("K1", "1",
                         "Gr\xC3\xB6\xC3\x9F"
                         "e",
                         1, 2, nullptr),
              kFgnOk);
    ASSERT_EQ(w->SaveData(), kFgnOk);
    const std::vector<wlxtest::OgrFeature> ogr = wlxtest::OgrInfo(ogrinfo, output);
    ASSERT_EQ(ogr.size(), 1u);
    // ogrinfo gives each 16-bit unit below 256 as that one byte: the code points.
    EXPECT_EQ(ogr[0].fields.at("Text").value,
              "Gr\xF6\xDF"
              "e");
    CDgnFileReader reader(output.string().c_str(), (dir / "tsdgn.ini").string().c_str());
    ASSERT_EQ(reader.LoadData(), kFgnOk);
    TFgnFmtErr err = kFgnOk;
    const auto* text = dynamic_cast<const CFgnText*>(reader.GetCurrent(err));
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text->GetText(err),
                 "Gr\xC3\xB6\xC3\x9F"
                 "e");
}

}  // namespace

namespace {

// A 3-D writer (over a 3-D seed named by the settings) reads back with its z.
TEST(DgnWriterTest, ThreeDimensionalElementsKeepTheirHeights) {
    wlxtest::TempDir dir;
    const fs::path settings = dir / "tsdgn.ini";
    const std::string text = "[General]\nSeedFilePath=seed3d.dgn\n";
    wlxtest::WriteBytes(settings, std::vector<std::uint8_t>(text.begin(), text.end()));
    std::vector<std::uint8_t> seed(dgn::SeedDesign().begin(), dgn::SeedDesign().end());
    seed[0] |= 0x80;  // the control element's 3-D flag
    wlxtest::WriteBytes(dir / "seed3d.dgn", seed);
    const fs::path output = dir / "solid.dgn";
    auto w = MakeWriter(output, settings, 0);
    ASSERT_EQ(w->LoadData(), kFgnOk);
    TFgnFmtErr err = kFgnOk;
    EXPECT_EQ(w->AddLine("K1", "1", 0, 10, 0, 5, 1, 2, nullptr), kFgnOk);
    EXPECT_EQ(w->AddLine("K1", "1", 0, 10, 0, 5, nullptr), kFgnIncomplete);  // a 2-D form
    EXPECT_EQ(w->AddArc("K2", "1", 5, 5, 3, 0, 90, 2, 2, kFgnTrue, nullptr), kFgnOk);
    EXPECT_EQ(w->AddText("K3", "1", "Z", 1, 1, 4,
                         w->AddTextStyle("", 1, kRed, 0, kFgnFalse, kFgnFalse, kFgnFalse,
                                         TFgnJustification(5), 30, 0, err)),
              kFgnOk);
    ASSERT_EQ(w->SaveData(), kFgnOk);

    CDgnFileReader reader(output.string().c_str(), settings.string().c_str());
    ASSERT_EQ(reader.LoadData(), kFgnOk);
    EXPECT_EQ(reader.GetDimension(err), kFgn3d);
    const auto* line = dynamic_cast<const CFgnLine*>(reader.GetCurrent(err));
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(CDgnPt(*line->GetStartPt(err)), CDgnPt(0, 0, 1));
    EXPECT_EQ(CDgnPt(*line->GetEndPt(err)), CDgnPt(10, 5, 2));
    reader.Step();
    const auto* arc = dynamic_cast<const CFgnArc*>(reader.GetCurrent(err));
    ASSERT_NE(arc, nullptr);
    EXPECT_EQ(CDgnPt(*arc->GetCenterPt(err)), CDgnPt(5, 5, 3));
    double start = 0, end = 0, primary = 0, secondary = 0;
    TFgnBool ccw = kFgnFalse;
    arc->GetDefinition(start, end, primary, secondary, ccw);
    EXPECT_NEAR(end - start, 90, 1e-9);
    reader.Step();
    const auto* label = dynamic_cast<const CFgnText*>(reader.GetCurrent(err));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(CDgnPt(*label->GetPt(err)), CDgnPt(1, 1, 4));
    double height = 0, angle = 0, spacing = 0;
    std::int32_t colour = 0, second = 0;
    TFgnBool f1, f2, f3;
    TFgnJustification justification;
    label->GetStyle(err)->GetDefinition(height, colour, second, f1, f2, f3, justification, angle,
                                        spacing);
    // Through both passes the angle stays whole.
    EXPECT_EQ(angle, 30);
}

}  // namespace
