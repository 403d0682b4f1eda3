// What the model holds of a drawing: header values, tables, the
// named-objects dictionary, extended data and each kind's accessors.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <numbers>

#include "readers/drawing/DrawingDatabase.h"
#include "testing/TestSupport.h"

namespace {

using namespace drawing;

constexpr double kDegree = std::numbers::pi / 180;

CDatabase& Fixture(const std::string& name) {
    static std::map<std::string, std::unique_ptr<CDatabase>> cache;
    auto& database = cache[name];
    if (!database) {
        database = std::make_unique<CDatabase>();
        const auto path = wlxtest::SourcePath("readers/drawing/tests/data/" + name);
        EXPECT_EQ(database->ReadDxfFile(path.string()), EOpenStatus::kOk) << database->LastError();
    }
    return *database;
}

EOpenStatus OpenText(const std::string& text, CDatabase& database) {
    const CMemoryByteSource source{std::vector<std::uint8_t>(text.begin(), text.end())};
    return database.ReadDxf(source);
}

template <class T>
const T& Entity(const CDatabase& database, const std::string& handle) {
    for (const auto& block : database.Blocks()) {
        for (const auto& entity : block->Entities()) {
            if (entity->HandleText() == handle) {
                const T* typed = entity->As<T>();
                EXPECT_NE(typed, nullptr) << handle;
                if (typed != nullptr) return *typed;
            }
        }
    }
    ADD_FAILURE() << "no entity " << handle;
    static const T* none = nullptr;
    return *none;
}

void ExpectPoint(const Point3d& actual, const Point3d& expected) {
    EXPECT_NEAR(actual.x, expected.x, 1e-12);
    EXPECT_NEAR(actual.y, expected.y, 1e-12);
    EXPECT_NEAR(actual.z, expected.z, 1e-12);
}

TEST(DrawingDatabase, VersionAndCodePage) {
    EXPECT_EQ(Fixture("r12_hand.dxf").AcadVersion(), "AC1009");
    EXPECT_EQ(Fixture("r12_hand.dxf").OriginalFileVersion(), 16);
    EXPECT_EQ(Fixture("r12_hand.dxf").CodePage(), "ANSI_1252");
    EXPECT_EQ(Fixture("ezdxf_r2000.dxf").OriginalFileVersion(), 23);
    EXPECT_EQ(Fixture("ezdxf_r2010.dxf").OriginalFileVersion(), 29);
    const struct {
        const char* version;
        int number;
    } cases[] = {{"AC1012", 19}, {"AC1014", 21}, {"AC1015", 23}, {"AC1018", 25},
                 {"AC1021", 27}, {"AC1027", 31}, {"AC1032", 33}};
    for (const auto& c : cases) {
        CDatabase database;
        ASSERT_EQ(OpenText(std::string("  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\n") +
                               c.version + "\n  0\nENDSEC\n  0\nEOF\n",
                           database),
                  EOpenStatus::kOk);
        EXPECT_EQ(database.OriginalFileVersion(), c.number) << c.version;
    }
    CDatabase bare;
    ASSERT_EQ(OpenText("  0\nSECTION\n  2\nENTITIES\n  0\nENDSEC\n  0\nEOF\n", bare),
              EOpenStatus::kOk);
    EXPECT_EQ(bare.AcadVersion(), "AC1009");
    EXPECT_EQ(bare.OriginalFileVersion(), 16);
    EXPECT_EQ(bare.Blocks().size(), 2u);
}

TEST(DrawingDatabase, TablesAndBlocks) {
    const CDatabase& db = Fixture("ezdxf_r2000.dxf");
    const CLayerRecord* roads = db.FindLayer("roads");
    ASSERT_NE(roads, nullptr);
    EXPECT_EQ(roads->Name(), "Roads");
    EXPECT_EQ(roads->ColorIndex(), 3);
    EXPECT_FALSE(roads->IsOff());
    const CLayerRecord* hidden = db.FindLayer("Hidden");
    ASSERT_NE(hidden, nullptr);
    EXPECT_TRUE(hidden->IsOff());
    EXPECT_EQ(hidden->ColorIndex(), 5);

    // The TrueType description of the style; 0x2000000 is bold as GDAL reads it.
    const CTextStyleRecord* labels = db.FindTextStyle("LABELS");
    ASSERT_NE(labels, nullptr);
    EXPECT_EQ(labels->Typeface(), "Arial");
    EXPECT_EQ(labels->FontFile(), "arial.ttf");
    EXPECT_TRUE(labels->IsBold());
    EXPECT_FALSE(labels->IsItalic());
    EXPECT_EQ(labels->PitchAndFamily(), 34);
    EXPECT_EQ(labels->Charset(), 0);
    ASSERT_NE(db.FindTextStyle("Standard"), nullptr);
    EXPECT_EQ(db.FindTextStyle("Standard")->Typeface(), "");

    ASSERT_GE(db.Blocks().size(), 5u);
    EXPECT_EQ(db.Blocks()[0]->Name(), "*Model_Space");
    EXPECT_EQ(db.Blocks()[1]->Name(), "*Paper_Space");
    EXPECT_EQ(db.FindBlock("*MODEL_SPACE"), &db.ModelSpace());
    const CBlockRecord* inner = db.FindBlock("inner");
    ASSERT_NE(inner, nullptr);
    ExpectPoint(inner->BasePoint(), {1, 1, 0});
    EXPECT_EQ(inner->Entities().size(), 2u);
    ASSERT_NE(db.FindBlock("Empty"), nullptr);
    EXPECT_TRUE(db.FindBlock("Empty")->Entities().empty());
    ASSERT_EQ(db.PaperSpace().Entities().size(), 1u);
    EXPECT_TRUE(db.PaperSpace().Entities()[0]->IsPaperSpace());

    // R12: $MODEL_SPACE is model space; entities without a handle have none.
    const CDatabase& r12 = Fixture("r12_hand.dxf");
    EXPECT_EQ(r12.FindBlock("$MODEL_SPACE"), &r12.ModelSpace());
    EXPECT_EQ(r12.Blocks().size(), 4u);
    EXPECT_EQ(r12.FindBlock("DOOR")->Flags(), 2);
    EXPECT_EQ(r12.FindLayer("WALLS")->ColorIndex(), 2);
    EXPECT_TRUE(r12.FindLayer("WALLS")->IsOff());
    EXPECT_EQ(r12.ModelSpace().Entities()[1]->Handle(), 0u);
    EXPECT_EQ(r12.ModelSpace().Entities()[1]->HandleText(), "");
    EXPECT_EQ(r12.NamedObjectsDictionary(), nullptr);
}

TEST(DrawingDatabase, NamedObjectsAndExtendedData) {
    const CDatabase& db = Fixture("ezdxf_r2000.dxf");
    const CDictionary* root = db.NamedObjectsDictionary();
    ASSERT_NE(root, nullptr);
    const XDataChain projection = root->XData("gde_projection");
    ASSERT_EQ(projection.size(), 2u);
    EXPECT_EQ(projection[0].code, 1001);
    EXPECT_EQ(projection[1].code, 1000);
    EXPECT_EQ(projection[1].text, "UTM83-10");

    const CObject* links = db.FindObject(root->Find("CONLDEFDICTIONARY"));
    ASSERT_NE(links, nullptr);
    ASSERT_NE(links->AsDictionary(), nullptr);
    ASSERT_EQ(links->AsDictionary()->Entries().size(), 1u);
    EXPECT_EQ(links->AsDictionary()->Entries()[0].name, "PARCELS");
    const CObject* parcels = db.FindObject(links->AsDictionary()->Find("parcels"));
    ASSERT_NE(parcels, nullptr);
    const XDataChain definition = parcels->XData("BKT15");
    ASSERT_EQ(definition.size(), 10u);
    EXPECT_EQ(definition[2].text, "PIN");
    EXPECT_EQ(definition[5].code, 1070);
    EXPECT_EQ(definition[5].integer, 12);
    EXPECT_EQ(definition[6].integer, 10);
    EXPECT_EQ(root->Find("NOTHERE"), 0u);

    const CLine& linked = Entity<CLine>(db, "6E");
    const XDataChain record = linked.XData("BKT15");
    ASSERT_EQ(record.size(), 5u);
    EXPECT_EQ(record[1].code, 1071);
    EXPECT_EQ(record[1].integer, 1);
    EXPECT_EQ(record[3].text, "PARCELS");
    EXPECT_EQ(record[4].code, 1004);
    const std::vector<std::uint8_t> key{0, 'P', 'I', 'N', '-', '0', '0', '4', '2', 0};
    EXPECT_EQ(record[4].bytes, key);
    EXPECT_TRUE(linked.XData("OTHER").empty());
    // The binary file holds the same chunk.
    EXPECT_EQ(Entity<CLine>(Fixture("ezdxf_r2000_binary.dxf"), "6E").XData("BKT15")[4].bytes, key);
}

TEST(DrawingDatabase, TextsInRadiansAndUtf8) {
    const CDatabase& db = Fixture("ezdxf_r2000.dxf");
    const CText& text = Entity<CText>(db, "39");
    EXPECT_EQ(text.ClassName(), std::string("DxDbText"));
    EXPECT_EQ(text.TextString(),
              "Caf\u00e9 \u2126");  // é from ANSI_1252, the Ohm sign from \U+2126
    EXPECT_NEAR(text.Rotation(), 30 * kDegree, 1e-15);
    EXPECT_EQ(text.Height(), 2.0);
    EXPECT_EQ(text.TextStyleName(), "Labels");
    const CText& centred = Entity<CText>(db, "3A");
    EXPECT_EQ(centred.HorizontalMode(), 1);
    EXPECT_EQ(centred.VerticalMode(), 2);
    ExpectPoint(centred.AlignmentPoint(), {8, 30, 0});
    ExpectPoint(Entity<CText>(db, "3B").Position(), {-3, 4, -1});  // extrusion 0,0,-1

    const CMText& mtext = Entity<CMText>(db, "3C");
    EXPECT_EQ(mtext.Contents(), "{\\fArial|b1;Two}\\Plines");
    EXPECT_NEAR(mtext.Rotation(), 45 * kDegree, 1e-12);
    EXPECT_EQ(mtext.TextHeight(), 2.5);
    EXPECT_EQ(mtext.Width(), 12.0);

    const CBlockReference& reference = Entity<CBlockReference>(db, "5F");
    ASSERT_EQ(reference.Attributes().size(), 1u);
    EXPECT_EQ(reference.Attributes()[0]->ClassName(), std::string("DxDbAttribute"));
    EXPECT_EQ(reference.Attributes()[0]->Tag(), "ID");
    EXPECT_EQ(reference.Attributes()[0]->TextString(), "A-17");
    EXPECT_EQ(Entity<CText>(Fixture("ezdxf_r2010.dxf"), "39").TextString(),
              "\u65e5\u672c \u00e9t\u00e9");
    EXPECT_EQ(Entity<CText>(Fixture("ezdxf_cp1251.dxf"), "30").TextString(),
              "\u041c\u043e\u0441\u0442 \u65e5");
    EXPECT_EQ(Entity<CText>(Fixture("r12_hand.dxf"), "1F").TextString(), "Right \u00b0C");
}

TEST(DrawingDatabase, BlockTransform) {
    const CDatabase& db = Fixture("ezdxf_r2000.dxf");
    const CBlockReference& outer = Entity<CBlockReference>(db, "5F");
    ASSERT_EQ(outer.BlockTableRecord(), db.FindBlock("Outer"));
    EXPECT_NEAR(outer.Rotation(), 30 * kDegree, 1e-15);
    EXPECT_EQ(outer.ScaleFactors(), (Vector3d{1.5, 0.5, 1}));
    // (4, 0) of the block: scaled to (6, 0), turned by 30 degrees, moved to (200, 100).
    ExpectPoint(outer.BlockTransform().TransformPoint({4, 0, 0}),
                {200 + 3 * std::sqrt(3.0), 103, 0});
    // The base point (1, 1) of Inner lands on the insertion point; extrusion 0,0,-1 mirrors x.
    const CBlockReference& mirrored = Entity<CBlockReference>(db, "62");
    ExpectPoint(mirrored.Position(), {-250, 100, -1});
    ExpectPoint(mirrored.BlockTransform().TransformPoint({1, 1, 0}), {-250, 100, -1});
    const Point3d along = mirrored.BlockTransform().TransformPoint({2, 1, 0});
    ExpectPoint(along, {-250 - std::cos(20 * kDegree), 100 + std::sin(20 * kDegree), -1});
}

TEST(DrawingDatabase, CurvesPolylinesAndCorners) {
    const CDatabase& db = Fixture("ezdxf_r2000.dxf");
    const CArc& arc = Entity<CArc>(db, "37");
    EXPECT_NEAR(arc.StartAngle(), 10 * kDegree, 1e-15);
    EXPECT_NEAR(arc.EndAngle(), 100 * kDegree, 1e-15);
    ExpectPoint(arc.Center(), {-30, 10, -2});
    ExpectPoint(arc.StartPoint(),
                {-30 - 2 * std::cos(10 * kDegree), 10 + 2 * std::sin(10 * kDegree), -2});

    const CEllipse& ellipse = Entity<CEllipse>(db, "4D");
    EXPECT_EQ(ellipse.StartParam(), 0.3);
    EXPECT_EQ(ellipse.EndParam(), 4.0);
    ExpectPoint(ellipse.MinorAxis(), {-1, 2, 0});
    EXPECT_NEAR(ellipse.StartAngle(), std::atan2(0.5 * std::sin(0.3), std::cos(0.3)), 1e-15);
    const CEllipse& full = Entity<CEllipse>(db, "4E");
    EXPECT_EQ(full.StartParam(), 0.0);
    EXPECT_NEAR(full.EndParam(), 2 * std::numbers::pi, 1e-15);

    const CLwPolyline& lw = Entity<CLwPolyline>(db, "3D");
    EXPECT_EQ(lw.NumVerts(), 3);
    EXPECT_TRUE(lw.IsClosed());
    EXPECT_EQ(lw.BulgeAt(0), 0.5);
    EXPECT_EQ(lw.BulgeAt(2), 0.0);
    EXPECT_EQ(lw.WidthsAt(2), (std::pair<double, double>{1, 1}));
    EXPECT_FALSE(lw.ConstantWidth());
    const CLwPolyline& wide = Entity<CLwPolyline>(db, "3E");
    EXPECT_EQ(wide.ConstantWidth(), 0.4);
    EXPECT_EQ(wide.Elevation(), 2.0);
    EXPECT_EQ(wide.WidthsAt(1), (std::pair<double, double>{0.4, 0.4}));
    const CLwPolyline& mirrored = Entity<CLwPolyline>(db, "3F");
    EXPECT_EQ(mirrored.Normal(), (Vector3d{0, 0, -1}));
    ExpectPoint(mirrored.WorldPointAt(1), {-5, 70, -1.5});

    const CPolyline2d& flat = Entity<CPolyline2d>(db, "40");
    ASSERT_EQ(flat.Vertices().size(), 3u);
    EXPECT_TRUE(flat.IsClosed());
    EXPECT_EQ(flat.DefaultStartWidth(), 0.2);
    EXPECT_EQ(flat.Vertices()[1].bulge, -0.5);
    EXPECT_EQ(flat.Vertices()[1].startWidth, 0.2);
    const CPolyline3d& solid3d = Entity<CPolyline3d>(db, "45");
    EXPECT_EQ(solid3d.ClassName(), std::string("DxDb3dPolyline"));
    ExpectPoint(solid3d.Vertices()[2].position, {90, 10, 10});

    const CSolid& triangle = Entity<CSolid>(db, "4B");
    ExpectPoint(triangle.PointAt(3), triangle.PointAt(2));
    const CMline& mline = Entity<CMline>(db, "51");
    EXPECT_EQ(mline.NumVertices(), 3);
    EXPECT_TRUE(mline.IsClosed());
    const CShape& shape = Entity<CShape>(db, "52");
    EXPECT_EQ(shape.Name(), "ARROW");
    EXPECT_NEAR(shape.Rotation(), 15 * kDegree, 1e-15);
    EXPECT_EQ(shape.Size(), 2.0);
}

// Kinds and sequences written by hand: vertex types, MInsert, R12's 3DLINE,
// dimensions by type, hatches and unknown kinds, embedded objects and
// application groups, multi-polygon loops, splines of fit points only.
TEST(DrawingDatabase, KindsAndSequences) {
    const std::string text =
        "  0\nSECTION\n  2\nENTITIES\n"
        "  0\nPOLYLINE\n  5\nA1\n 66\n1\n 10\n0\n 20\n0\n 30\n2.5\n 70\n4\n"
        "  0\nVERTEX\n 10\n1\n 20\n1\n 70\n16\n  0\nVERTEX\n 10\n2\n 20\n2\n 70\n8\n"
        "  0\nVERTEX\n 10\n3\n 20\n3\n 70\n1\n  0\nVERTEX\n 10\n4\n 20\n4\n  0\nSEQEND\n"
        "  0\nPOLYLINE\n  5\nA2\n 70\n8\n  0\nVERTEX\n 10\n1\n 20\n1\n 30\n1\n 70\n48\n"
        "  0\nVERTEX\n 10\n2\n 20\n2\n 30\n2\n 70\n32\n  0\nSEQEND\n"
        "  0\nINSERT\n  5\nA3\n  2\nB\n 70\n3\n 71\n2\n 44\n5\n 45\n6\n"
        "  0\n3DLINE\n  5\nA4\n 10\n1\n 20\n2\n 30\n3\n 11\n4\n 21\n5\n 31\n6\n"
        "  0\nDIMENSION\n  5\nA5\n 70\n33\n  0\nHATCH\n  5\nA6\n  0\nFOOBAR\n  5\nA7\n"
        "  0\nMTEXT\n  5\nA8\n102\n{ACAD_REACTORS\n330\nZZ\n102\n}\n 10\n1\n 20\n2\n  1\nx\n"
        "101\nEmbedded Object\n 10\n9\n 20\n9\n"
        "  0\nMPOLYGON\n  5\nA9\n 70\n1\n 10\n0\n 20\n0\n 30\n3\n  2\nSOLID\n 71\n1\n 91\n2\n"
        " 92\n2\n 72\n1\n 73\n1\n 93\n3\n 10\n0\n 20\n0\n 42\n0.5\n 10\n4\n 20\n0\n 42\n0\n"
        " 10\n4\n 20\n4\n 42\n0\n"
        " 92\n1\n 93\n1\n 72\n1\n 10\n0\n 20\n0\n 11\n1\n 21\n1\n 97\n0\n"
        " 75\n0\n 76\n1\n 11\n7\n 21\n7\n 99\n0\n"
        "  0\nSPLINE\n  5\nAA\n 70\n8\n 71\n3\n 74\n3\n 11\n0\n 21\n0\n 31\n0\n"
        " 11\n1\n 21\n1\n 31\n0\n 11\n2\n 21\n0\n 31\n0\n"
        "  0\nENDSEC\n  0\nEOF\n";
    CDatabase db;
    ASSERT_EQ(OpenText(text, db), EOpenStatus::kOk) << db.LastError();
    const auto& flat = Entity<CPolyline2d>(db, "A1");
    ASSERT_EQ(flat.Vertices().size(), 4u);
    EXPECT_EQ(flat.Vertices()[0].vertexType, 1);
    EXPECT_EQ(flat.Vertices()[1].vertexType, 2);
    EXPECT_EQ(flat.Vertices()[2].vertexType, 3);
    EXPECT_EQ(flat.Vertices()[3].vertexType, 0);
    EXPECT_EQ(flat.Vertices()[3].position.z, 2.5);  // the polyline's elevation
    const auto& solid = Entity<CPolyline3d>(db, "A2");
    EXPECT_EQ(solid.Vertices()[0].vertexType, 1);
    EXPECT_EQ(solid.Vertices()[1].vertexType, 0);
    const auto& minsert = Entity<CBlockReference>(db, "A3");
    EXPECT_EQ(minsert.Type(), EEntityType::kMInsertBlock);
    EXPECT_EQ(minsert.ClassName(), std::string("DxDbMInsertBlock"));
    EXPECT_EQ(minsert.ColumnCount(), 3);
    EXPECT_EQ(minsert.RowSpacing(), 6.0);
    ExpectPoint(Entity<CLine>(db, "A4").EndPoint(), {4, 5, 6});
    EXPECT_EQ(Entity<CEntity>(db, "A5").ClassName(), std::string("DxDbAlignedDimension"));
    EXPECT_EQ(Entity<CEntity>(db, "A6").ClassName(), std::string("DxDbHatch"));
    EXPECT_EQ(Entity<CEntity>(db, "A7").ClassName(), std::string("DxDbProxyEntity"));
    ExpectPoint(Entity<CMText>(db, "A8").Location(), {1, 2, 0});
    const auto& polygon = Entity<CMPolygon>(db, "A9");
    ASSERT_EQ(polygon.Loops().size(), 2u);
    EXPECT_EQ(polygon.Elevation(), 3.0);
    EXPECT_TRUE(polygon.Loops()[0].readable);
    EXPECT_EQ(polygon.Loops()[0].vertices.size(), 3u);
    EXPECT_EQ(polygon.Loops()[0].bulges[0], 0.5);
    EXPECT_EQ(polygon.Loops()[0].vertices[2], (Point2d{4, 4}));
    EXPECT_FALSE(polygon.Loops()[1].readable);
    const auto& fitted = Entity<CSpline>(db, "AA");
    EXPECT_TRUE(fitted.HasFitData());
    EXPECT_EQ(fitted.NumFitPoints(), 3);
    EXPECT_EQ(fitted.Curve(), nullptr);  // no control points: no length to take
    EXPECT_EQ(db.ModelSpace().Entities().size(), 10u);
}

TEST(DrawingDatabase, FilesThatCannotBeRead) {
    CDatabase db;
    EXPECT_EQ(db.ReadDxfFile("/nonexistent/drawing.dxf"), EOpenStatus::kCannotOpen);
    EXPECT_EQ(db.ReadDxfFile(wlxtest::SourcePath("readers/drawing/tests/data").string()),
              EOpenStatus::kCannotOpen);
    if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
    wlxtest::TempDir dir;
    const auto path = dir / "locked.dxf";
    wlxtest::WriteText(path, "  0\nEOF\n");
    std::filesystem::permissions(path, std::filesystem::perms::none);
    EXPECT_EQ(db.ReadDxfFile(path.string()), EOpenStatus::kAccessDenied);
}

}  // namespace
