// A producer's run through the writer's contract calls: features and linked
// tables saved as a coverage, read back by the library, the plug-in's reader,
// ogrinfo and avcexport; the answers without data, in 3-D and on failure.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "coverage/plugin/EsriModule.h"
#include "coverage/plugin/EsriReader.h"
#include "coverage/plugin/EsriWriter.h"
#include "coverage/plugin/tests/CoverWalk.h"
#include "testing/TestSupport.h"
#include "testing/coverage/CoverDump.h"
#include "testing/coverage/OutsideTools.h"

namespace covtest {
namespace {

namespace fs = std::filesystem;
using wlxtest::TempDir;

CFgnTbl* Table(CFgnWriter& w, const char* name, const char* layer) {
    TFgnFmtErr err = kFgnOk;
    CFgnTbl* t = w.AddTable(name, kFgnFalse, err);
    EXPECT_EQ(err, kFgnOk);
    EXPECT_EQ(t->LinkLayer(layer), kFgnOk);
    return t;
}

void Row(CFgnTbl* t, const char* key, const char* name, std::int32_t count, double value) {
    ASSERT_EQ(t->AddRow(), kFgnOk);
    ASSERT_EQ(t->SetCharField("KEY", key), kFgnOk);
    ASSERT_EQ(t->SetCharField("NAME", name), kFgnOk);
    ASSERT_EQ(t->SetInt4Field("COUNT", count), kFgnOk);
    ASSERT_EQ(t->SetDblField("VALUE", value), kFgnOk);
    ASSERT_EQ(t->UpdateRow(), kFgnOk);
}

void Columns(CFgnTbl* t) {
    ASSERT_EQ(t->AddClmnChar("KEY", kFgnTrue, kFgnFalse, 8), kFgnOk);
    ASSERT_EQ(t->AddClmnChar("NAME", kFgnFalse, kFgnFalse, 12), kFgnOk);
    ASSERT_EQ(t->AddClmnInt4("COUNT", kFgnFalse, kFgnFalse), kFgnOk);
    ASSERT_EQ(t->AddClmnDbl("VALUE", kFgnFalse, kFgnFalse, 12, 3), kFgnOk);
}

// Roads (one of 1,200 vertices), a parcel polygon, tics and a label text.
void Produce(CFgnWriter& w) {
    ASSERT_EQ(w.LoadData(), kFgnOk);
    CFgnTbl* roads = Table(w, "roads", "ROADS");
    Columns(roads);
    Row(roads, "r1", "Main", 2, 7.5);
    Row(roads, "r2", "Side", 1, 3.25);
    CFgnTbl* parcels = Table(w, "parcels", "PARCELS");
    Columns(parcels);
    Row(parcels, "p1", "Smith", 4, 1250.5);
    const double e = 500000.25, n = 5000000.75;
    for (auto [dx, dy] : {std::pair{0, 0}, {0, 100}, {100, 100}, {100, 0}})
        ASSERT_EQ(w.AddPnt("t", "TICS", e + dx, n + dy, nullptr), kFgnOk);
    TFgnFmtErr err = kFgnOk;
    CFgnPline* road = w.AddPline("r1", "ROADS", kFgnFalse, nullptr, err);
    ASSERT_EQ(err, kFgnOk);
    for (int i = 0; i < 1200; ++i) ASSERT_EQ(road->AddPt(e + i * 0.05, n + 10), kFgnOk);
    ASSERT_EQ(w.AddLine("r2", "ROADS", e, e + 10, n + 5, n + 5, nullptr), kFgnOk);
    CFgnPly* parcel = w.AddPly("p1", "PARCELS", e + 50, n + 50, 0, nullptr, err);
    ASSERT_EQ(err, kFgnOk);
    for (auto [dx, dy] : {std::pair{40, 40}, {60, 40}, {50, 60}})
        ASSERT_EQ(parcel->AddPt(e + dx, n + dy), kFgnOk);
    const CFgnStyleText* style = w.AddTextStyle("Arial", 2.5, 0, 0, kFgnFalse, kFgnFalse, kFgnFalse,
                                                TFgnJustification{}, 0, 0, err);
    ASSERT_EQ(w.AddMText("x", "TEXT", "Main", e + 1, e + 9, n + 12, n + 15, style), kFgnOk);
}

TEST(EsriWriterTest, SavedCoverageReadsBack) {
    TempDir dir;
    CESRIWriter writer(dir.path().c_str(), "town");
    TFgnBool valid = kFgnFalse;
    EXPECT_EQ(writer.IsValidCoveragePath(kFgnFalse, valid), nullptr);
    EXPECT_EQ(valid, kFgnTrue);
    CFgnWriter& w = writer;
    Produce(w);
    ASSERT_EQ(w.SaveData(), kFgnOk) << tamrec_last_error_text();

    const CoverDump d = DumpCover(dir.path(), "town");
    ASSERT_EQ(d.error, "");
    EXPECT_TRUE(d.double_precision);
    ASSERT_EQ(d.arcs.size(), 5u);
    EXPECT_EQ(d.arcs[0].vertices.size(), 500u);
    EXPECT_EQ(d.arcs[1].vertices.size(), 500u);
    EXPECT_EQ(d.arcs[2].vertices.size(), 202u);
    EXPECT_EQ(d.arcs[1].vertices.front(), d.arcs[0].vertices.back());
    EXPECT_EQ(d.arcs[2].vertices.front(), d.arcs[1].vertices.back());
    EXPECT_EQ(d.arcs[3].vertices, (Points{{500000.25, 5000005.75}, {500010.25, 5000005.75}}));
    // The polygon: a closed boundary arc and its label point.
    ASSERT_EQ(d.arcs[4].vertices.size(), 4u);
    EXPECT_EQ(d.arcs[4].vertices.front(), d.arcs[4].vertices.back());
    ASSERT_EQ(d.labels.size(), 1u);
    EXPECT_EQ(d.labels[0].x, 500050.25);
    EXPECT_EQ(d.tics.size(), 4u);
    ASSERT_EQ(d.texts.size(), 1u);
    EXPECT_EQ(d.texts[0].height, 2.5);
    EXPECT_EQ(d.texts[0].line, (Points{{500001.25, 5000012.75}, {500009.25, 5000012.75}}));
    ASSERT_TRUE(d.aat_attached);
    ASSERT_EQ(d.aat.size(), 5u);
    for (int a : {0, 1, 2}) EXPECT_EQ(d.aat[a].at("NAME"), "Main") << a;
    EXPECT_EQ(d.aat[3].at("NAME"), "Side");
    EXPECT_EQ(d.aat[3].at("COUNT"), "1");
    EXPECT_EQ(d.aat[4].at("NAME"), "");
    ASSERT_TRUE(d.pat_on_labels);
    EXPECT_EQ(d.pat[0].at("NAME"), "Smith");
    EXPECT_NEAR(std::atof(d.pat[0].at("VALUE").c_str()), 1250.5, 1e-9);

    // The plug-in's own reader: the polygon's arc and label point come back as such.
    CESRIReader reader(dir.path().c_str(), "town");
    ASSERT_EQ(reader.LoadData(), kFgnOk);
    const std::vector<SWalked> all = Walk(reader);
    EXPECT_EQ(OnLayer(all, EsriMessage(kMsgArcs)).size(), 5u);
    EXPECT_EQ(OnLayer(all, EsriMessage(kMsgPoints)).size(), 1u);
    EXPECT_EQ(OnLayer(all, EsriMessage(kMsgTics)).size(), 4u);

    FIND_TOOL_OR_SKIP(ogrinfo, "ogrinfo");
    OgrLayers layers = ReadWithOgrInfo(ogrinfo, dir / "town");
    ASSERT_EQ(layers["ARC"].size(), 5u);
    EXPECT_EQ(layers["ARC"][2].coordinates.size(), 2 * 202u);
    EXPECT_EQ(layers["ARC"][2].fields["NAME"], "Main");
    EXPECT_NEAR(layers["ARC"][1].coordinates[0], d.arcs[1].vertices[0].first, 1e-6);
    ASSERT_EQ(layers["LAB"].size(), 1u);
    EXPECT_EQ(layers["LAB"][0].fields["NAME"], "Smith");
    ASSERT_EQ(layers["TXT"].size(), 1u);
    EXPECT_EQ(layers["TXT"][0].fields["Text"], "Main");
    FIND_TOOL_OR_SKIP(avcexport, "avcexport");
    const std::vector<ExportedTic> tics = TicsFromAvcExport(avcexport, dir / "town");
    ASSERT_EQ(tics.size(), 4u);
    EXPECT_NEAR(tics[2].x, 500100.25, 1e-6);
    EXPECT_NEAR(tics[2].y, 5000100.75, 1e-6);
}

TEST(EsriWriterTest, AnswersWithoutDataAndIn3d) {
    TempDir dir;
    CESRIWriter writer(dir.path().c_str(), "c");
    CFgnWriter& w = writer;
    TFgnFmtErr err = kFgnOk;
    EXPECT_EQ(w.SaveData(), kFgnIncomplete);
    EXPECT_EQ(w.UnloadData(), kFgnIncomplete);
    EXPECT_EQ(w.AddArc("k", "l", 0, 0, 0, 90, 1, 1, kFgnTrue, nullptr), kFgnNotLoaded);
    EXPECT_EQ(w.AddPnt("k", "l", 0, 0, nullptr), kFgnIncomplete);
    EXPECT_EQ(w.AddPline("k", "l", kFgnFalse, nullptr, err), nullptr);
    EXPECT_EQ(err, kFgnIncomplete);
    ASSERT_EQ(w.LoadData(), kFgnOk);
    EXPECT_EQ(w.AddPnt("k", "l", 0, 0, 0, nullptr), kFgnNo3d);
    EXPECT_EQ(w.AddPly("k", "l", 0, 0, 0, 0, nullptr, err), nullptr);
    EXPECT_EQ(err, kFgnNo3d);
    EXPECT_EQ(w.AddBlk("b", nullptr, err), nullptr);
    EXPECT_EQ(err, kFgnNoBlocks);
    EXPECT_EQ(w.AddLineStyle("p", 0, 1, err), nullptr);
    EXPECT_EQ(err, kFgnNoStyle);
    // Lower-case "tics" is a layer of label points.
    EXPECT_EQ(w.AddPnt("k", "tics", 1, 2, nullptr), kFgnOk);
    EXPECT_EQ(w.AddArc("a", "arcs", 0, 0, 0, 180, 2, 1, kFgnTrue, nullptr), kFgnOk);
    EXPECT_EQ(w.UnloadData(), kFgnOk);
    EXPECT_FALSE(fs::exists(dir / "c"));
    CESRIWriter longName(dir.path().c_str(), "abcdefghijklm");
    EXPECT_EQ(longName.LoadData(), kFgnNotLoaded);
}

// A table the builder cannot join (it has no key column) fails the save,
// which writes nothing.
TEST(EsriWriterTest, TableFailureIsAnswered) {
    TempDir dir;
    CESRIWriter writer(dir.path().c_str(), "c");
    CFgnWriter& w = writer;
    ASSERT_EQ(w.LoadData(), kFgnOk);
    CFgnTbl* t = Table(w, "t", "ROADS");
    ASSERT_EQ(t->AddClmnInt2("N", kFgnFalse, kFgnFalse), kFgnOk);
    ASSERT_EQ(t->AddRow(), kFgnOk);
    EXPECT_EQ(t->SetInt4Field("N", 1), kFgnIncomplete);
    ASSERT_EQ(t->SetInt2Field("N", 1), kFgnOk);
    ASSERT_EQ(t->UpdateRow(), kFgnOk);
    ASSERT_EQ(w.AddLine("r", "ROADS", 0, 1, 0, 1, nullptr), kFgnOk);
    EXPECT_EQ(w.SaveData(), kFgnIncomplete);
    EXPECT_FALSE(fs::exists(dir / "c"));
}

TEST(EsriWriterTest, WriteSideTableRows) {
    CESRITbl t("t", kFgnFalse);
    ASSERT_EQ(t.AddClmnChar("a.b c_", kFgnTrue, kFgnFalse, 6), kFgnOk);
    ASSERT_EQ(t.AddClmnInt2("N", kFgnFalse, kFgnFalse), kFgnOk);
    ASSERT_EQ(t.AddClmnDbl("averyveryverylongname", kFgnFalse, kFgnFalse, 10, 2), kFgnOk);
    TFgnFmtErr err = kFgnOk;
    std::vector<std::string> names;
    for (const CFgnTblClmn* c : *t.GetColumns(err)) names.emplace_back(c->GetName(err));
    EXPECT_EQ(names, (std::vector<std::string>{"abc#", "N", "averyveryverylo"}));
    EXPECT_EQ(t.SetInt2Field("N", 1), kFgnIncomplete);  // no open row
    ASSERT_EQ(t.AddRow(), kFgnOk);
    ASSERT_EQ(t.SetCharField("abc#", "k7"), kFgnOk);
    ASSERT_EQ(t.UpdateRow(), kFgnOk);
    EXPECT_EQ(t.UpdateRow(), kFgnIncomplete);
    ASSERT_EQ(t.RewindRow(), kFgnOk);
    EXPECT_STREQ(t.GetCurrentKey(err), "k7");
    const std::list<const CFgnTblData*>* row = t.GetCurrentRow(err);
    ASSERT_NE(row, nullptr);
    ASSERT_EQ(row->size(), 3u);
    EXPECT_EQ(dynamic_cast<const CFgnTblDataInt2*>(*std::next(row->begin()))->GetData(err), 0);
    EXPECT_EQ(dynamic_cast<const CFgnTblDataDbl*>(row->back())->GetData(err), 0.0);
    ASSERT_EQ(t.StepRow(), kFgnOk);
    EXPECT_EQ(t.DoneRow(err), kFgnTrue);
    CESRITbl all("all", kFgnTrue);
    EXPECT_EQ(all.GetLayers(err), nullptr);
    EXPECT_EQ(err, kFgnAllLayers);
    EXPECT_EQ(all.LinkLayer("X"), kFgnIncomplete);
    EXPECT_EQ(all.IsLinkedToLayer("any"), kFgnTrue);
}

// A text style of another class gives no height; nothing is cast unchecked.
class CForeignStyle final : public CFgnStyleText {
public:
    TFgnFmtErr GetDefinition(double& height, std::int32_t&, std::int32_t&, TFgnBool&, TFgnBool&,
                             TFgnBool&, TFgnJustification&, double&, double&) const override {
        height = 99;
        return kFgnOk;
    }
};

TEST(EsriWriterTest, WriteSideEntitiesAndForeignStyles) {
    TempDir dir;
    CESRIWriter writer(dir.path().c_str(), "c");
    CFgnWriter& w = writer;
    ASSERT_EQ(w.LoadData(), kFgnOk);
    TFgnFmtErr err = kFgnOk;
    CFgnPly* ply = w.AddPly("p", "P", 1, 1, 0, nullptr, err);
    ASSERT_NE(ply, nullptr);
    EXPECT_EQ(ply->GetKey(err), nullptr);
    EXPECT_EQ(err, kFgnIncomplete);
    EXPECT_EQ(ply->AddPt(0, 0, 0), kFgnNo3d);
    CForeignStyle foreign;
    ASSERT_EQ(w.AddText("t", "T", "x", 5, 5, &foreign), kFgnOk);
    CFgnMPnt* multi = w.AddMPnt("m", "M", nullptr, err);
    ASSERT_NE(multi, nullptr);
    EXPECT_EQ(multi->AddPt(2, 2), kFgnOk);
    EXPECT_EQ(multi->AddPt(3, 3), kFgnOk);
    CFgnCPline* compound = w.AddCPline("c", "C", nullptr, kFgnFalse, err);
    ASSERT_NE(compound, nullptr);
    CFgnGeomPts* piece = compound->AddPtGeom(err);
    ASSERT_EQ(err, kFgnOk);
    EXPECT_EQ(piece->AddPt(0, 0), kFgnOk);
    EXPECT_EQ(piece->AddPt(1, 0), kFgnOk);
    EXPECT_EQ(compound->AddArcGeom(0, 0, 0, 90, 1, 1, kFgnTrue), kFgnOk);
    ASSERT_EQ(w.SaveData(), kFgnOk) << tamrec_last_error_text();
    const CoverDump d = DumpCover(dir.path(), "c");
    ASSERT_EQ(d.error, "");
    ASSERT_EQ(d.texts.size(), 1u);
    EXPECT_EQ(d.texts[0].height, 0.0);
    EXPECT_EQ(d.labels.size(), 3u);
    // The polygon's arc got no vertex: an arc record without an index entry.
    EXPECT_EQ(d.unreadable, 1);
    ASSERT_EQ(d.arcs.size(), 2u);
    EXPECT_EQ(d.arcs[0].vertices.size(), 2u);
    EXPECT_EQ(d.arcs[1].vertices.size(), 46u);  // 0 to 90 degrees by 2
}

}  // namespace
}  // namespace covtest
