// The scene plug-in loaded as the loader loads a plug-in: by file name, its
// two entry points bound by name, everything reached through the contract.
#include <gtest/gtest.h>

#include <charconv>
#include <cstdlib>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "foreign/Foreign.h"
#include "testing/PluginLibrary.h"
#include "testing/TestSupport.h"

namespace {

// A reader of the scene plug-in, destroyed by the plug-in.
class CSceneTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(plugin_.Loaded());
        ASSERT_NE(plugin_.create(), nullptr);
        ASSERT_NE(plugin_.destroy(), nullptr);
    }
    using ReaderPtr = std::unique_ptr<CFgnReader, std::function<void(CFgnReader*)>>;
    ReaderPtr Open(const std::string& path, const char* second = "tsdgn.ini") {
        return ReaderPtr(plugin_.create()(path.c_str(), second, kFgnTrue), plugin_.destroy());
    }
    ReaderPtr OpenText(const std::string& scene) {
        wlxtest::WriteText(dir_ / "scene.fgn", scene);
        return Open((dir_ / "scene.fgn").string());
    }
    static std::string Fixture(const std::string& name) {
        return wlxtest::SourcePath("foreign/tests/data/" + name).string();
    }

    wlxtest::CPluginLibrary plugin_{"FgnScene"};
    wlxtest::TempDir dir_;
};

// The shortest text without exponent that reads back as the same double.
std::string Num(double value) {
    char text[400];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
    return std::string(text, result.ptr);
}

std::string Quote(char const* text) {
    if (!text) return "-";
    std::string quoted = "\"";
    for (const char* c = text; *c; ++c) {
        if (*c == '\n')
            quoted += "\\n";
        else if (*c == '"' || *c == '\\')
            quoted += std::string("\\") + *c;
        else
            quoted += *c;
    }
    return quoted + "\"";
}

std::string Colour(std::int32_t colour) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", unsigned(colour));
    return text;
}

// Writes what a reader delivers as text, through the contract alone; a status
// other than 0 shows where it occurs.
class CDumper {
public:
    std::string out;

    void Reader(CFgnReader& reader) {
        TFgnFmtErr err;
        out += "source dimension " + std::to_string(reader.GetDimension(err));
        Err(err);
        out += " precision " + std::to_string(reader.GetDataPrecision(err));
        Err(err);
        out += " coordsys " + Quote(reader.GetCoordSys(err));
        Err(err);
        double e[4];
        Err(reader.GetExtents(e[0], e[1], e[2], e[3]));
        out += " extents " + Num(e[0]) + " " + Num(e[1]) + " " + Num(e[2]) + " " + Num(e[3]) + "\n";
        Err(reader.RewindTable());
        while (!reader.DoneTable(err)) {
            Table(*reader.GetCurrentTable(err));
            Err(err);
            Err(reader.StepTable());
        }
        Err(reader.Rewind());
        while (!reader.Done(err)) {
            const CFgnEntity* entity = reader.GetCurrent(err);
            if (entity)
                Entity(*entity, "");
            else
                out += "none err " + std::to_string(err) + "\n";
            Err(reader.Step());
        }
        for (std::size_t i = 0; i < blocks_.size(); ++i) {
            const CFgnBlk& block = *blocks_[i];
            out +=
                "block " + Quote(block.GetName(err)) + " xref " + Quote(block.GetXRef(err)) + "\n";
            for (const CFgnEntity* entity : *block.GetEntities(err)) Entity(*entity, "  ");
        }
    }

private:
    void Err(TFgnFmtErr err) {
        if (err != kFgnOk) out += " [err " + std::to_string(err) + "]";
    }
    void Pt(const CFgnPt* pt) {
        TFgnFmtErr err;
        if (!pt) {
            out += " (null)";
            return;
        }
        out += " " + Num(pt->GetX(err)) + " " + Num(pt->GetY(err));
        Err(err);
    }
    void Pts(const std::list<const CFgnPt*>* pts) {
        if (!pts) {
            out += " (no list)";
            return;
        }
        for (const CFgnPt* pt : *pts) Pt(pt);
    }
    void Arc(const CFgnPt* center, TFgnFmtErr definition, double s, double e, double xr, double yr,
             TFgnBool ccw) {
        Pt(center);
        out += " " + Num(s) + " " + Num(e) + " " + Num(xr) + " " + Num(yr) + (ccw ? " CCW" : " CW");
        Err(definition);
    }
    template <class Compound>
    void Pieces(const Compound& compound) {
        TFgnFmtErr err;
        out += compound.IsContiguous(err) ? " contiguous" : " separate";
        for (const CFgnGeom* piece : *compound.GetGeometry(err)) {
            out += "\n      piece";
            const TFgnAreaType area = piece->GetAreaType(err);
            if (area != kFgnAreaUnspecified) out += " area " + std::to_string(area);
            if (piece->GetType(err) == kFgnGeomPts) {
                out += " pts";
                Pts(static_cast<const CFgnGeomPts*>(piece)->GetPts(err));
            } else {
                const auto* arc = static_cast<const CFgnGeomArc*>(piece);
                double s, e, xr, yr;
                TFgnBool ccw;
                const TFgnFmtErr definition = arc->GetDefinition(s, e, xr, yr, ccw);
                out += " arc";
                Arc(arc->GetCenterPt(err), definition, s, e, xr, yr, ccw);
            }
        }
    }
    void Style(const CFgnStylePnt* style) {
        if (!style) return;
        std::int32_t colour;
        double rotation;
        std::int16_t size;
        TFgnFmtErr err;
        char const* symbol = style->GetDefinition(colour, rotation, size, err);
        out += "\n      pnt style " + Colour(colour) + " rotation " + Num(rotation) + " size " +
               std::to_string(size) + " symbol " + Quote(symbol);
    }
    void Style(const CFgnStyleLine* style) {
        if (!style) return;
        std::int32_t colour;
        std::int16_t weight;
        TFgnFmtErr err;
        style->GetDefinition(colour, weight);
        out += "\n      line style " + Colour(colour) + " weight " + std::to_string(weight) +
               " pattern " + Quote(style->GetLinePattern(err));
    }
    void Style(const CFgnStylePly* style) {
        if (!style) return;
        std::int32_t edge, fill, third;
        std::int16_t weight;
        TFgnFmtErr err;
        style->GetDefinition(edge, fill, third, weight);
        out += "\n      ply style edge " + Colour(edge) + " fill " + Colour(fill) + " third " +
               Colour(third) + " weight " + std::to_string(weight) + " fill pattern " +
               Quote(style->GetFillPattern(err)) + " line pattern " +
               Quote(style->GetLinePattern(err));
    }
    void Style(const CFgnStyleText* style) {
        if (!style) return;
        double height, angle, last;
        std::int32_t colour, second;
        TFgnBool f1, f2, f3;
        TFgnJustification justification;
        TFgnFmtErr err;
        style->GetDefinition(height, colour, second, f1, f2, f3, justification, angle, last);
        out += "\n      text style height " + Num(height) + " " + Colour(colour) + " second " +
               Colour(second) + " flags " + std::to_string(f1) + std::to_string(f2) +
               std::to_string(f3) + " justification " + std::to_string(justification) + " angle " +
               Num(angle) + " last " + Num(last) + " font " + Quote(style->GetFont(err));
    }
    void Style(const CFgnStyleBlk* style) {
        if (!style) return;
        std::int32_t colour;
        style->GetDefinition(colour);
        out += "\n      blk style " + Colour(colour);
    }
    template <class Kind>
    void StyleOf(const Kind& entity) {
        TFgnFmtErr err;
        const auto* style = entity.GetStyle(err);
        if (!style) out += "\n      no style [err " + std::to_string(err) + "]";
        Style(style);
    }

    void Entity(const CFgnEntity& entity, const std::string& indent) {
        static const char* const kKinds[] = {"UNKNOWN", "PNT",  "MPNT", "LINE",  "PLINE", "CPLINE",
                                             "PLY",     "CPLY", "TEXT", "MTEXT", "ARC",   "INST"};
        TFgnFmtErr err;
        const TFgnEntityType type = entity.GetType(err);
        out += indent + kKinds[type] + " " + Quote(entity.GetKey(err)) + " " +
               Quote(entity.GetLayer(err));
        switch (type) {
            case kFgnEntityUnknown:
                out += " " + Quote(static_cast<const CFgnUnknown&>(entity).GetInfo(err));
                break;
            case kFgnEntityPnt: {
                const auto& e = static_cast<const CFgnPnt&>(entity);
                Pt(e.GetPt(err));
                StyleOf(e);
                break;
            }
            case kFgnEntityMPnt: {
                const auto& e = static_cast<const CFgnMPnt&>(entity);
                Pts(e.GetPts(err));
                StyleOf(e);
                break;
            }
            case kFgnEntityLine: {
                const auto& e = static_cast<const CFgnLine&>(entity);
                Pt(e.GetStartPt(err));
                Pt(e.GetEndPt(err));
                StyleOf(e);
                break;
            }
            case kFgnEntityPline: {
                const auto& e = static_cast<const CFgnPline&>(entity);
                Pts(e.GetPts(err));
                if (e.GetSmoothed(err)) out += " smoothed";
                StyleOf(e);
                break;
            }
            case kFgnEntityCPline: {
                const auto& e = static_cast<const CFgnCPline&>(entity);
                Pieces(e);
                StyleOf(e);
                break;
            }
            case kFgnEntityPly: {
                const auto& e = static_cast<const CFgnPly&>(entity);
                out += " label";
                Pt(e.GetLabelPt(err));
                out += " radius " + Num(e.GetRadius(err)) + " ring";
                Pts(e.GetPts(err));
                StyleOf(e);
                break;
            }
            case kFgnEntityCPly: {
                const auto& e = static_cast<const CFgnCPly&>(entity);
                out += " label";
                Pt(e.GetLabelPt(err));
                Pieces(e);
                StyleOf(e);
                break;
            }
            case kFgnEntityText: {
                const auto& e = static_cast<const CFgnText&>(entity);
                Pt(e.GetPt(err));
                out += " " + Quote(e.GetText(err));
                StyleOf(e);
                break;
            }
            case kFgnEntityMText: {
                const auto& e = static_cast<const CFgnMText&>(entity);
                Pt(e.GetMinPt(err));
                Pt(e.GetMaxPt(err));
                out += " " + Quote(e.GetText(err));
                StyleOf(e);
                break;
            }
            case kFgnEntityArc: {
                const auto& e = static_cast<const CFgnArc&>(entity);
                double s, en, xr, yr;
                TFgnBool ccw;
                const TFgnFmtErr definition = e.GetDefinition(s, en, xr, yr, ccw);
                Arc(e.GetCenterPt(err), definition, s, en, xr, yr, ccw);
                StyleOf(e);
                break;
            }
            case kFgnEntityBlkInst: {
                const auto& e = static_cast<const CFgnBlkInst&>(entity);
                const CFgnBlk* block = e.GetBlk(err);
                out += " " + Quote(block->GetName(err)) + " at";
                Pt(e.GetInsertPt(err));
                const FgnMatrix& m = *e.GetMatrix(err);
                out += " matrix " + Num(m[0][0]) + " " + Num(m[0][1]) + " " + Num(m[1][0]) + " " +
                       Num(m[1][1]);
                if (e.IsXRef(err)) out += " xref";
                if (seen_.insert(block).second) blocks_.push_back(block);
                StyleOf(e);
                break;
            }
        }
        out += "\n";
    }

    void Table(CFgnTbl& table) {
        TFgnFmtErr err;
        out += "table " + Quote(table.GetName(err)) + " layers";
        const std::list<char const*>* layers = table.GetLayers(err);
        if (!layers) out += " all [err " + std::to_string(err) + "]";
        for (const char* layer : layers ? *layers : std::list<char const*>{})
            out += " " + Quote(layer);
        out += "\n";
        static const char* const kTypes[] = {"INT2", "INT4", "FLOAT", "DBL",
                                             "DTE",  "CHAR", "?",     "LGCL"};
        for (const CFgnTblClmn* column : *table.GetColumns(err)) {
            const TFgnClmnType type = column->GetType(err);
            out += "  column " + Quote(column->GetName(err)) + " " + kTypes[type];
            if (column->GetKey(err)) out += " key";
            if (column->GetIndexed(err)) out += " indexed";
            if (type == kFgnClmnChar)
                out += " width " +
                       std::to_string(static_cast<const CFgnTblClmnChar*>(column)->GetWidth(err));
            if (type == kFgnClmnDbl) {
                const auto* c = static_cast<const CFgnTblClmnDbl*>(column);
                out += " width " + std::to_string(c->GetWidth(err)) + " decimals " +
                       std::to_string(c->GetDecimal(err));
            }
            if (type == kFgnClmnFloat) {
                const auto* c = static_cast<const CFgnTblClmnFloat*>(column);
                out += " width " + std::to_string(c->GetWidth(err)) + " decimals " +
                       std::to_string(c->GetDecimal(err));
            }
            out += "\n";
        }
        std::vector<TFgnClmnType> types;
        for (const CFgnTblClmn* column : *table.GetColumns(err))
            types.push_back(column->GetType(err));
        Err(table.RewindRow());
        while (!table.DoneRow(err)) {
            out += "  row";
            auto type = types.begin();
            for (const CFgnTblData* value : *table.GetCurrentRow(err))
                out += " " + Value(*type++, value);
            out += "\n";
            Err(table.StepRow());
        }
    }

    // A row's values have the classes of their columns' types.
    static std::string Value(TFgnClmnType type, const CFgnTblData* value) {
        TFgnFmtErr err;
        switch (type) {
            case kFgnClmnInt2:
                return std::to_string(static_cast<const CFgnTblDataInt2*>(value)->GetData(err));
            case kFgnClmnInt4:
                return std::to_string(static_cast<const CFgnTblDataInt4*>(value)->GetData(err));
            case kFgnClmnFloat:
                return Num(static_cast<const CFgnTblDataFloat*>(value)->GetData(err));
            case kFgnClmnDbl:
                return Num(static_cast<const CFgnTblDataDbl*>(value)->GetData(err));
            case kFgnClmnDte:
                return "date " + Quote(static_cast<const CFgnTblDataDte*>(value)->GetData(err));
            case kFgnClmnChar:
                return Quote(static_cast<const CFgnTblDataChar*>(value)->GetData(err));
            case kFgnClmnLgcl:
                return "'" +
                       std::string(1, static_cast<const CFgnTblDataLgcl*>(value)->GetData(err)) +
                       "'";
        }
        return "?";
    }

    std::vector<const CFgnBlk*> blocks_;
    std::set<const CFgnBlk*> seen_;
};

TEST_F(CSceneTest, FixtureSceneReadsBackThroughTheContract) {
    ReaderPtr reader = Open(Fixture("scene.fgn"));
    ASSERT_EQ(reader->LoadData(), kFgnOk);
    CDumper dump;
    dump.Reader(*reader);
    const std::string expected = wlxtest::ReadText(Fixture("scene.dump"));
    if (std::getenv("WLX_UPDATE_GOLDEN")) wlxtest::WriteText(Fixture("scene.dump"), dump.out);
    EXPECT_EQ(dump.out, expected);
    EXPECT_EQ(reader->UnloadData(), kFgnOk);
}

TEST_F(CSceneTest, DestroyWithNullDoesNothing) {
    plugin_.destroy()(nullptr);
}

TEST(FgnBrokenTest, LibraryWithoutDestroyEntryPointOffersOnlyCreate) {
    const wlxtest::CPluginLibrary broken("FgnBroken");
    ASSERT_TRUE(broken.Loaded());
    EXPECT_NE(broken.create(), nullptr);
    EXPECT_EQ(broken.destroy(), nullptr);
}

TEST_F(CSceneTest, QueriesBeforeLoadDataAnswerNotLoaded) {
    ReaderPtr reader = Open(Fixture("scene.fgn"));
    TFgnFmtErr err = kFgnOk;
    EXPECT_EQ(reader->GetDataFormat(err), kFgnFmtNative);
    EXPECT_EQ(err, kFgnNotLoaded);
    reader->GetDimension(err);
    EXPECT_EQ(err, kFgnNotLoaded);
    reader->GetDataPrecision(err);
    EXPECT_EQ(err, kFgnNotLoaded);
    EXPECT_EQ(reader->GetCoordSys(err), nullptr);
    EXPECT_EQ(err, kFgnNotLoaded);
    EXPECT_EQ(reader->GetCurrent(err), nullptr);
    EXPECT_EQ(err, kFgnNotLoaded);
    EXPECT_EQ(reader->GetCurrentTable(err), nullptr);
    EXPECT_EQ(err, kFgnNotLoaded);
    double e[4];
    EXPECT_EQ(reader->GetExtents(e[0], e[1], e[2], e[3]), kFgnNotLoaded);
    EXPECT_EQ(reader->Rewind(), kFgnNotLoaded);
    EXPECT_EQ(reader->UnloadData(), kFgnNotLoaded);
}

TEST_F(CSceneTest, UnloadForgetsTheSceneAndLoadReadsItAgain) {
    ReaderPtr reader = Open(Fixture("scene.fgn"));
    ASSERT_EQ(reader->LoadData(), kFgnOk);
    ASSERT_EQ(reader->UnloadData(), kFgnOk);
    TFgnFmtErr err = kFgnOk;
    EXPECT_EQ(reader->GetCoordSys(err), nullptr);
    EXPECT_EQ(err, kFgnNotLoaded);
    ASSERT_EQ(reader->LoadData(), kFgnOk);
    EXPECT_STREQ(reader->GetCoordSys(err), "UTM83-10");
    EXPECT_EQ(err, kFgnOk);
}

TEST_F(CSceneTest, LoadDataFailsWhenAskedOrWhenTheSceneCannotBeRead) {
    ReaderPtr asked = Open(Fixture("fail-loaddata.fgn"));
    EXPECT_EQ(asked->LoadData(), kFgnNotLoaded);
    TFgnFmtErr err = kFgnOk;
    asked->GetDimension(err);
    EXPECT_EQ(err, kFgnNotLoaded);

    ReaderPtr missing = Open((dir_ / "none.fgn").string());
    testing::internal::CaptureStderr();
    EXPECT_EQ(missing->LoadData(), kFgnNotLoaded);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("cannot be opened"), std::string::npos);
}

TEST_F(CSceneTest, SceneThatDoesNotParseNamesItsLine) {
    const struct {
        const char* scene;
        const char* message;
    } cases[] = {
        {"PNT 1 L 0 0\nPOINT 2 L 0 0\n", ":2: unknown statement 'POINT'"},
        {"PNT 1 L 0\n", ":1: missing y"},
        {"PNT 1 L 0 0 0 0\n", ":1: a point has one coordinate pair"},
        {"PNT 1 L 0 0 SMOOTH\n", ":1: unexpected 'SMOOTH'"},
        {"PNT 1 L 0 0 STYLE red\n", ":1: no style 'red' of this kind"},
        {"STYLE LINE red 0xFF 1 -\nPNT 1 L 0 0 STYLE red\n", ":2: no style 'red' of this kind"},
        {"TEXT 1 L 0 0 \"open\n", ":1: a quoted text does not end"},
        {"CPLINE 1 L CONTIGUOUS\nPTS 0 0 1 1\n", ":3: missing END"},
        {"CPLY 1 L 0 0 CONTIGUOUS\nLINE 2 L 0 0 1 1\n", ":2: 'LINE' in a compound"},
        {"INST 1 L Nowhere 0 0\n", ":2: block 'Nowhere' is used but not defined"},
        {"BLOCK B\nBLOCK C\n", ":2: 'BLOCK' in a block"},
        {"BLOCK B\nNULL 0\nENDBLOCK\n", ":2: 'NULL' in a block"},
        {"BLOCK B\nENDBLOCK\nBLOCK B\nENDBLOCK\n", ":3: block 'B' is defined twice"},
        {"COORDSYS LL84\nCOORDSYS LL27\n", ":2: COORDSYS is given twice"},
        {"FAIL Load 7\n", ":1: no reader operation 'Load' to fail"},
        {"TABLE T\nCOLUMN A INT2\nROW 40000\nENDTABLE\n", ":3: the A 40000 is out of range"},
        {"TABLE T\nCOLUMN A INT2\nCOLUMN B CHAR\nROW 1\nENDTABLE\n", ":4: missing B"},
        {"TABLE T\nCOLUMN A INT2\nCOLUMN a INT4\nENDTABLE\n", ":3: column 'a' answers 5"},
        {"TABLE T\nCOLUMN A LGCL\nROW TF\nENDTABLE\n", ":3: the logical A is one character"},
        {"TABLE T\nCOLUMN A INT2\n", ":3: missing ENDTABLE"},
        {"ARC 1 L 0 0 0 90 1 1 UP\n", ":1: the direction is CCW or CW"},
    };
    for (const auto& c : cases) {
        ReaderPtr reader = OpenText(c.scene);
        testing::internal::CaptureStderr();
        EXPECT_EQ(reader->LoadData(), kFgnNotLoaded) << c.scene;
        const std::string message = testing::internal::GetCapturedStderr();
        EXPECT_NE(message.find(c.message), std::string::npos) << c.scene << message;
    }
}

TEST_F(CSceneTest, SceneAsksAnOperationToFail) {
    using Call = std::function<TFgnFmtErr(CFgnReader&)>;
    const auto query = [](auto member) {
        return Call([member](CFgnReader& reader) {
            TFgnFmtErr err = kFgnOk;
            (reader.*member)(err);
            return err;
        });
    };
    const auto operation = [](TFgnFmtErr (CFgnReader::*member)()) {
        return Call([member](CFgnReader& reader) { return (reader.*member)(); });
    };
    const struct {
        const char* name;
        Call call;
    } cases[] = {
        {"GetDimension", query(&CFgnReader::GetDimension)},
        {"GetDataPrecision", query(&CFgnReader::GetDataPrecision)},
        {"GetCoordSys", query(&CFgnReader::GetCoordSys)},
        {"GetExtents",
         [](CFgnReader& reader) {
             double e[4];
             return reader.GetExtents(e[0], e[1], e[2], e[3]);
         }},
        {"Rewind", operation(&CFgnReader::Rewind)},
        {"Done", query(&CFgnReader::Done)},
        {"Step", operation(&CFgnReader::Step)},
        {"GetCurrentTable", query(&CFgnReader::GetCurrentTable)},
        {"RewindTable", operation(&CFgnReader::RewindTable)},
        {"StepTable", operation(&CFgnReader::StepTable)},
        {"DoneTable", query(&CFgnReader::DoneTable)},
    };
    for (const auto& c : cases) {
        ReaderPtr reader = OpenText(std::string("PNT 1 L 0 0\nFAIL ") + c.name + " 3\n");
        ASSERT_EQ(reader->LoadData(), kFgnOk) << c.name;
        EXPECT_EQ(c.call(*reader), TFgnFmtErr(3)) << c.name;
        // Nothing else fails.
        TFgnFmtErr err = kFgnNotLoaded;
        reader->GetDataFormat(err);
        EXPECT_EQ(err, kFgnOk) << c.name;
    }
}

TEST_F(CSceneTest, ElementsWithoutEntityGiveNullWithTheirStatus) {
    ReaderPtr reader = OpenText("NULL 0\nPNT 1 L 0 0\nNULL 1\nNULL 7\n");
    ASSERT_EQ(reader->LoadData(), kFgnOk);
    ASSERT_EQ(reader->Rewind(), kFgnOk);
    const TFgnFmtErr expected[] = {kFgnOk, kFgnOk, kFgnIncomplete, kFgnNotLoaded};
    TFgnFmtErr err = kFgnOk;
    for (int i = 0; i < 4; ++i) {
        ASSERT_FALSE(reader->Done(err));
        const CFgnEntity* entity = reader->GetCurrent(err);
        EXPECT_EQ(entity != nullptr, i == 1);
        EXPECT_EQ(err, expected[i]);
        EXPECT_EQ(reader->Step(), kFgnOk);
    }
    EXPECT_TRUE(reader->Done(err));
    EXPECT_EQ(reader->GetCurrent(err), nullptr);
    EXPECT_EQ(err, kFgnNoCurrent);
    EXPECT_EQ(reader->Step(), kFgnNoCurrent);
}

TEST_F(CSceneTest, SourceStatementsSetDimensionPrecisionAndCoordinateSystem) {
    ReaderPtr reader = OpenText("DIMENSION 3\nPRECISION SINGLE\nCOORDSYS \"\"\n");
    ASSERT_EQ(reader->LoadData(), kFgnOk);
    TFgnFmtErr err = kFgnNotLoaded;
    EXPECT_EQ(reader->GetDimension(err), kFgn3d);
    EXPECT_EQ(reader->GetDataPrecision(err), kFgnSingle);
    EXPECT_STREQ(reader->GetCoordSys(err), "");
    EXPECT_EQ(err, kFgnOk);
    EXPECT_TRUE(reader->Done(err));
    EXPECT_TRUE(reader->DoneTable(err));

    ReaderPtr plain = OpenText("PNT 1 L 0 0\n");
    ASSERT_EQ(plain->LoadData(), kFgnOk);
    EXPECT_EQ(plain->GetDimension(err), kFgn2d);
    EXPECT_EQ(plain->GetDataPrecision(err), kFgnDouble);
    EXPECT_EQ(plain->GetCoordSys(err), nullptr);
    EXPECT_EQ(err, kFgnOk);
}

TEST_F(CSceneTest, DirectoryAndNameLocateTheSceneAsACoverage) {
    std::filesystem::create_directory(dir_ / "ws");
    wlxtest::WriteText(dir_ / "ws" / "roads", "COORDSYS LL84\n");
    ReaderPtr reader = Open((dir_ / "ws").string(), "roads");
    ASSERT_EQ(reader->LoadData(), kFgnOk);
    TFgnFmtErr err = kFgnNotLoaded;
    EXPECT_STREQ(reader->GetCoordSys(err), "LL84");
}

TEST_F(CSceneTest, TablesAndRowsRewalkToTheSameObjects) {
    ReaderPtr reader = Open(Fixture("scene.fgn"));
    ASSERT_EQ(reader->LoadData(), kFgnOk);
    TFgnFmtErr err = kFgnNotLoaded;
    std::vector<CFgnTbl*> first;
    ASSERT_EQ(reader->RewindTable(), kFgnOk);
    while (!reader->DoneTable(err)) {
        first.push_back(reader->GetCurrentTable(err));
        ASSERT_EQ(err, kFgnOk);
        reader->StepTable();
    }
    ASSERT_EQ(first.size(), 3u);
    EXPECT_EQ(reader->GetCurrentTable(err), nullptr);
    EXPECT_EQ(err, kFgnNoCurrent);
    for (std::size_t position = 0; position < first.size(); ++position) {
        ASSERT_EQ(reader->RewindTable(), kFgnOk);
        for (std::size_t step = 0; step < position; ++step) ASSERT_EQ(reader->StepTable(), kFgnOk);
        EXPECT_EQ(reader->GetCurrentTable(err), first[position]);
    }

    CFgnTbl& features = *first[0];
    for (int pass = 0; pass < 2; ++pass) {
        ASSERT_EQ(features.RewindRow(), kFgnOk);
        int rows = 0;
        while (!features.DoneRow(err)) {
            const std::list<const CFgnTblData*>* row = features.GetCurrentRow(err);
            ASSERT_NE(row, nullptr);
            EXPECT_EQ(row->size(), 7u);
            ++rows;
            features.StepRow();
        }
        EXPECT_EQ(rows, 5);
    }
    EXPECT_EQ(features.GetCurrentRow(err), nullptr);
    EXPECT_EQ(err, kFgnNoCurrent);

    CFgnTbl& notes = *first[2];
    ASSERT_EQ(notes.RewindRow(), kFgnOk);
    EXPECT_TRUE(notes.DoneRow(err));
}

}  // namespace
