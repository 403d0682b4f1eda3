// The reader and its element classes on designs built in memory.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <memory>
#include <numbers>
#include <random>
#include <string>

#include "dgn/DgnComplexElements.h"
#include "dgn/DgnFileReader.h"
#include "dgn/DgnSettings.h"
#include "dgn/DgnSimpleElements.h"
#include "dgn/DgnTextElements.h"
#include "dgn/tests/DgnTestDesign.h"
#include "dgn/tests/DgnWalk.h"
#include "testing/TestSupport.h"

using namespace dgntest;

namespace {

// A reader of `design` with the settings file `settings` (none by default).
class CReaderTest : public testing::Test {
protected:
    std::unique_ptr<CDgnFileReader> Open(const Bytes& design, const std::string& settings = "") {
        const std::string path = settings.empty() ? (dir_ / "none.ini").string() : settings;
        return std::make_unique<CDgnFileReader>(std::make_unique<CMemoryByteSource>(design),
                                                "designs/sample.dgn", path.c_str());
    }
    std::unique_ptr<CDgnFileReader> Load(const Bytes& design, const std::string& settings = "") {
        auto reader = Open(design, settings);
        EXPECT_EQ(reader->LoadData(), kFgnOk);
        return reader;
    }
    std::string Settings(const std::string& text) {
        wlxtest::WriteText(dir_ / "tsdgn.ini", text);
        return (dir_ / "tsdgn.ini").string();
    }
    wlxtest::TempDir dir_;
};

// Offsets of the elements of a design made by Design(Control(), elements).
std::vector<std::int32_t> Offsets(const std::vector<Bytes>& elements) {
    std::vector<std::int32_t> offsets;
    std::int32_t at = dgn::kControlLength;
    for (const Bytes& e : elements) {
        offsets.push_back(at);
        at += static_cast<std::int32_t>(e.size());
    }
    return offsets;
}

Bytes DesignOf(const std::vector<Bytes>& elements, const Bytes& control = Control()) {
    Bytes out = control;
    for (const Bytes& e : elements) out.insert(out.end(), e.begin(), e.end());
    return Cat({out, Word(0xFFFF)});
}

const std::vector<Bytes> kSample = {
    Element({.type = 3, .level = 3, .symbology = 83 << 8 | 2 << 3 | 1},
            LineBody(1000, 2000, 3000, -4000), OdbcLinkage(0, 345678)),
    Element({.type = 3, .symbology = 3 << 8}, LineBody(1500, 2500, 1500, 2500)),
    Element({.type = 4, .graphicGroup = 9, .properties = 2},
            VerticesBody({{0, 0}, {1000, 1000}, {2000, 0}}),
            Cat({DmrsLinkage(5, 0x12345), OdbcLinkage(6, 7)})),
    Element({.type = 6}, VerticesBody({{0, 0}, {4000, 0}, {4000, 4000}, {0, 4000}, {0, 0}})),
    Element({.type = 11},
            VerticesBody({{0, 0}, {1, 1}, {2000, 2000}, {3000, 3000}, {4, 4}, {5, 5}})),
    Element({.type = 11}, VerticesBody({{0, 0}, {1, 1}, {2, 2}, {3, 3}})),
    Element({.type = 22}, VerticesBody({{7000, 8000}, {-9000, 10000}}, 16)),
    Element({.type = 3, .deleted = true}, LineBody(0, 0, 1, 1)),
    Element({.type = 18}, Bytes(4, 0)),
    Element({.type = 4, .complex = true}, VerticesBody({{0, 0}, {1, 1}})),
    Element({.type = 3, .complex = true}, LineBody(0, 0, 1, 1)),
    Element({.type = 5}, Bytes(8, 0)),
    Element({.type = 16, .symbology = 1 << 8},
            ArcBody(350 * 360000, 20 * 360000, 5000, 5000, 0, 10000, 20000)),
    Element({.type = 15}, EllipseBody(6000, 3000, 0, -2000, 1000)),
    // A chain whose length covers the line after it, but counts no components.
    Element({.type = 12}, Cat({Word(5 + 26), Bytes(10, 0)})),
    Element({.type = 3, .complex = true}, LineBody(0, 0, 1, 1)),
};

void ExpectPoints(const SFeature& f, const std::vector<Xyz>& expected) {
    ASSERT_EQ(f.points.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        for (int a = 0; a < 3; ++a) EXPECT_DOUBLE_EQ(f.points[i][a], expected[i][a]) << i;
}

}  // namespace

TEST_F(CReaderTest, SimpleElementsBecomeEntities) {
    const auto offsets = Offsets(kSample);
    auto reader = Load(DesignOf(kSample));
    const std::vector<SFeature> f = Walk(*reader);
    ASSERT_EQ(f.size(), 10u);
    const int entities[] = {0, 1, 2, 3, 4, 5, 6, 12, 13, 14};
    for (std::size_t i = 0; i < f.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(f[i].err, kFgnOk);
        if (i < 9) {
            ASSERT_TRUE(f[i].entity);
            EXPECT_EQ(f[i].key, std::to_string(offsets[entities[i]]));
        }
    }
    EXPECT_EQ(f[0].type, kFgnEntityLine);
    EXPECT_EQ(f[0].layer, "3");
    ExpectPoints(f[0], {{1, 2, 0}, {3, -4, 0}});
    EXPECT_EQ(f[0].colour, 180);  // fixed colour 83: 180, 0, 0
    EXPECT_EQ(f[0].weight, 2);
    EXPECT_EQ(f[0].pattern, "CONTINUOUS");
    // A line of one point is a point, with a point style of its colour.
    EXPECT_EQ(f[1].type, kFgnEntityMPnt);
    ExpectPoints(f[1], {{1.5, 2.5, 0}});
    EXPECT_EQ(f[1].colour, 255);
    EXPECT_EQ(f[1].weight, 1);
    EXPECT_EQ(f[1].rotation, 0.0);
    EXPECT_EQ(f[2].type, kFgnEntityPline);
    ExpectPoints(f[2], {{0, 0, 0}, {1, 1, 0}, {2, 0, 0}});
    EXPECT_EQ(f[3].type, kFgnEntityPline);
    EXPECT_EQ(f[3].points.size(), 5u);
    // Curves lose their two tangent points at each end.
    ExpectPoints(f[4], {{2, 2, 0}, {3, 3, 0}});
    EXPECT_EQ(f[5].type, kFgnEntityPline);
    EXPECT_TRUE(f[5].points.empty());
    EXPECT_EQ(f[6].type, kFgnEntityMPnt);
    ExpectPoints(f[6], {{7, 8, 0}, {-9, 10, 0}});
    EXPECT_EQ(f[7].type, kFgnEntityArc);
    ExpectPoints(f[7], {{10, 20, 0}});
    EXPECT_EQ(f[7].start, 350);
    EXPECT_NEAR(f[7].end, 10, 1e-12);
    EXPECT_TRUE(f[7].counterClockwise);
    EXPECT_EQ(f[7].xRadius, 5);
    EXPECT_EQ(f[7].colour, 255 << 16);  // fixed colour 1: blue
    EXPECT_EQ(f[8].type, kFgnEntityArc);
    EXPECT_EQ(f[8].start, 0);
    EXPECT_EQ(f[8].end, 360);
    EXPECT_EQ(f[8].xRadius, 6);
    EXPECT_EQ(f[8].yRadius, 3);
    ExpectPoints(f[8], {{-2, 1, 0}});
    // A complex chain of no components is a chain of no pieces.
    EXPECT_EQ(f[9].type, kFgnEntityCPline);
    EXPECT_TRUE(f[9].pieces.empty());

    const std::vector<STable> tables = Tables(*reader);
    ASSERT_EQ(tables.size(), 1u);
    EXPECT_EQ(tables[0].name, "sample");
    EXPECT_EQ(tables[0].columns,
              (std::vector<std::string>{"Key", "Class", "Group", "Level", "EntityNum", "MSLink"}));
    EXPECT_EQ(tables[0].keys, (std::vector<bool>{true, false, false, false, false, false}));
    const std::vector<std::vector<std::int32_t>> rows = {
        {offsets[0], 0, 0, 3, 0, 345678},  {offsets[1], 0, 0, 0, 0, 0},
        {offsets[2], 2, 9, 0, 5, 0x12345}, {offsets[2], 2, 9, 0, 6, 7},
        {offsets[3], 0, 0, 0, 0, 0},       {offsets[4], 0, 0, 0, 0, 0},
        {offsets[5], 0, 0, 0, 0, 0},       {offsets[6], 0, 0, 0, 0, 0},
        {offsets[12], 0, 0, 0, 0, 0},      {offsets[13], 0, 0, 0, 0, 0},
        {offsets[14], 0, 0, 0, 0, 0}};
    EXPECT_EQ(tables[0].rows, rows);
}

TEST_F(CReaderTest, CoordinatesAreRelativeToTheOriginInMasterUnits) {
    // 10 x 100 positional units per master unit, origin at -5000 master units.
    const Bytes design = DesignOf(
        {Element({.type = 3}, LineBody(-5000000 + 1250, -5000000 - 2500, 0, 7)),
         Element({.type = 16}, ArcBody(0, 0, 2000, 1000, 0, -5000000 + 3000.0, -5000000.0))},
        Control(10, 100, -5000000, -5000000));
    auto reader = Load(design);
    const std::vector<SFeature> f = Walk(*reader);
    ASSERT_EQ(f.size(), 2u);
    ExpectPoints(f[0], {{1.25, -2.5, 0}, {5000, 5000.007, 0}});
    ExpectPoints(f[1], {{3, 0, 0}});
    EXPECT_EQ(f[1].xRadius, 2);
    EXPECT_EQ(f[1].yRadius, 1);
    TFgnFmtErr err;
    EXPECT_EQ(reader->GetDimension(err), kFgn2d);
    EXPECT_EQ(err, kFgnOk);
    EXPECT_EQ(reader->Factors()->UnitsPerMaster(), 1000);
}

TEST_F(CReaderTest, ArcDefinitions) {
    struct Case {
        const char* what;
        std::int32_t start;
        std::uint32_t sweep;
        std::int32_t rotation;
        double expectStart, expectEnd;
        bool ccw;
    };
    const Case cases[] = {
        {"across zero", 350 * 360000, 20 * 360000, 0, 350, 10, true},
        {"clockwise", 10 * 360000, 0x80000000u | 20 * 360000, 0, 10, 350, false},
        {"a stored sweep of 0 is the full circle", 30 * 360000, 0, 0, 30, 30, true},
        {"rotated", 15 * 360000, 60 * 360000, 30 * 360000, 45, 105, true},
        {"rotated backwards", 10 * 360000, 20 * 360000, -90 * 360000, 280, 300, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Bytes design = DesignOf(
            {Element({.type = 16}, ArcBody(c.start, c.sweep, 1000, 1000, c.rotation, 0, 0))});
        auto reader = Load(design);
        const std::vector<SFeature> f = Walk(*reader);
        ASSERT_EQ(f.size(), 1u);
        EXPECT_NEAR(f[0].start, c.expectStart, 1e-9);
        EXPECT_NEAR(f[0].end, c.expectEnd, 1e-9);
        EXPECT_EQ(f[0].counterClockwise, c.ccw);
    }
    // A rotation of -90 degrees reads as 270.
    CMemoryByteSource design(
        DesignOf({Element({.type = 16}, ArcBody(0, 0, 1, 1, -90 * 360000, 0, 0))}));
    CDgnGlobal global(design);
    ASSERT_EQ(global.ReadElement(), kFgnOk);
    CDgnArc arc(design, dgn::kControlLength, &global);
    ASSERT_EQ(arc.ReadElement(), kFgnOk);
    EXPECT_EQ(arc.Rotation(), 270);
    EXPECT_EQ(arc.Sweep(), 360);
}

TEST(DgnGeomArcTest, RotateTurnsBothAnglesWithinOneTurn) {
    CDgnGeomArc arc(CDgnPt(1, 2, 0), 10, 50, 3, 4, kFgnFalse);
    double s, e, p, q;
    TFgnBool ccw;
    arc.Rotate(400);
    arc.GetDefinition(s, e, p, q, ccw);
    EXPECT_EQ(s, 10);
    EXPECT_EQ(e, 50);
    arc.Rotate(-30);
    arc.SetRads(5, 6);
    arc.GetDefinition(s, e, p, q, ccw);
    EXPECT_EQ(s, 340);
    EXPECT_EQ(e, 20);
    EXPECT_EQ(p, 5);
    EXPECT_EQ(q, 6);
    EXPECT_EQ(ccw, kFgnFalse);
    TFgnFmtErr err;
    EXPECT_EQ(arc.GetType(err), kFgnGeomArc);
    EXPECT_EQ(arc.GetAreaType(err), kFgnAreaUnspecified);
    CDgnGeomPts pts;
    pts.AddPt(1, 2);
    pts.AddPt(3, 4, 5);
    EXPECT_EQ(pts.GetPts(err)->size(), 2u);
    EXPECT_EQ(pts.GetType(err), kFgnGeomPts);
}

TEST_F(CReaderTest, SettingsNameLayersLineStylesColoursAndTheLinkageMethod) {
    const Bytes user = Cat({Word(0x1007), Bytes(14, 0)});
    const Bytes design = DesignOf({
        Element({.type = 3, .level = 3, .symbology = 83 << 8 | 1}, LineBody(0, 0, 1, 1), user),
        Element({.type = 3, .level = 0}, LineBody(0, 0, 2, 2)),
    });
    const std::string settings = Settings(
        "[Level Layer Mapping]\n0=Base\n3 = Roads\n"
        "[Import Line Styles]\n1=DASHED\n"
        "[General]\nColor Scheme=drfx\n"
        "[Interpret Attribute Data Method]\nInterpretMethod=DMRSData\n");
    auto reader = Load(design, settings);
    const std::vector<SFeature> f = Walk(*reader);
    ASSERT_EQ(f.size(), 2u);
    EXPECT_EQ(f[0].layer, "Roads");
    EXPECT_EQ(f[1].layer, "Base");
    EXPECT_EQ(f[0].pattern, "DASHED");
    EXPECT_EQ(f[1].pattern, "CONTINUOUS");
    // "drfx" is not "DRFX": the generated table.
    const DgnRgb generated = CDgnGlobal::GenerateColour(83);
    EXPECT_EQ(f[0].colour, generated[0] + 256 * generated[1] + 65536 * generated[2]);
    // Eight words of user data read as two database linkages.
    EXPECT_EQ(Tables(*reader)[0].rows.size(), 3u);
    Settings("[Interpret Attribute Data Method]\nInterpretMethod=User\n");
    auto again = Load(design, settings);
    EXPECT_EQ(Tables(*again)[0].rows.size(), 2u);
}

TEST_F(CReaderTest, ADesignOfNothingButItsControlElement) {
    auto reader = Load(DesignOf({}));
    TFgnFmtErr err;
    EXPECT_EQ(reader->Rewind(), kFgnOk);
    EXPECT_TRUE(reader->Done(err));
    EXPECT_EQ(reader->GetCurrent(err), nullptr);
    EXPECT_EQ(err, kFgnNotLoaded);
    const std::vector<STable> tables = Tables(*reader);
    ASSERT_EQ(tables.size(), 1u);
    EXPECT_TRUE(tables[0].rows.empty());
    double e[4];
    EXPECT_EQ(reader->GetExtents(e[0], e[1], e[2], e[3]), kFgnOk);
    EXPECT_DOUBLE_EQ(e[0], -2147483.648);
    EXPECT_DOUBLE_EQ(e[3], 2147483.647);
    EXPECT_EQ(reader->GetCoordSys(err), nullptr);
    EXPECT_EQ(err, kFgnOk);
    EXPECT_EQ(reader->UnloadData(), kFgnOk);
    EXPECT_EQ(reader->Rewind(), kFgnNotLoaded);
    EXPECT_TRUE(reader->DoneTable(err));
    // Loaded again after unloading.
    EXPECT_EQ(reader->LoadData(), kFgnOk);
    EXPECT_EQ(Tables(*reader).size(), 1u);
}

TEST_F(CReaderTest, BeforeLoadingEveryQueryAnswersNotLoaded) {
    auto reader = Open(DesignOf({}));
    TFgnFmtErr err;
    reader->GetDimension(err);
    EXPECT_EQ(err, kFgnNotLoaded);
    reader->GetDataPrecision(err);
    EXPECT_EQ(err, kFgnNotLoaded);
    EXPECT_EQ(reader->GetDataFormat(err), kFgnFmtNative);
    EXPECT_EQ(err, kFgnNotLoaded);
    reader->GetCoordSys(err);
    EXPECT_EQ(err, kFgnNotLoaded);
    double e[4];
    EXPECT_EQ(reader->GetExtents(e[0], e[1], e[2], e[3]), kFgnNotLoaded);
    EXPECT_EQ(reader->Rewind(), kFgnNotLoaded);
    EXPECT_EQ(reader->Step(), kFgnNotLoaded);
    EXPECT_EQ(reader->GetCurrent(err), nullptr);
    EXPECT_EQ(err, kFgnNotLoaded);
    EXPECT_EQ(reader->GetCurrentTable(err), nullptr);
    EXPECT_EQ(err, kFgnIncomplete);
    EXPECT_EQ(reader->Factors(), nullptr);
    EXPECT_EQ(CDgnFileReader((dir_ / "missing.dgn").c_str(), "").LoadData(), kFgnNotLoaded);
}

TEST_F(CReaderTest, DesignsWithoutASoundControlElementAreNotLoaded) {
    Bytes notControl = DesignOf({});
    notControl[1] = 10;
    Bytes deleted = DesignOf({});
    deleted[1] |= 0x80;
    Bytes otherLevel = DesignOf({});
    otherLevel[0] = 0x09;
    Bytes level72 = DesignOf({});
    level72[0] = 0x48;
    const Bytes noUnits = DesignOf({}, Control(0, 1));
    const Bytes negativeUnits = DesignOf({}, Control(-10, -100));
    const Bytes shortControl = Element({.type = 9, .level = 8}, Bytes(100, 0));
    const Bytes whole = DesignOf({});
    const Bytes cut(whole.begin(), whole.begin() + 1000);
    struct Case {
        const char* what;
        const Bytes& design;
        TFgnFmtErr load;
    };
    const Case cases[] = {
        {"type 10", notControl, kFgnIncomplete},
        {"deleted", deleted, kFgnIncomplete},
        {"level 9", otherLevel, kFgnIncomplete},
        {"level 8 with bit 6", level72, kFgnOk},
        {"no working units", noUnits, kFgnIncomplete},
        {"negative working units", negativeUnits, kFgnIncomplete},
        {"too short for its fields", shortControl, kFgnIncomplete},
        {"cut by the end of the file", cut, kFgnNotLoaded},
        {"empty", {}, kFgnIncomplete},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto reader = Open(c.design);
        EXPECT_EQ(reader->LoadData(), c.load);
        TFgnFmtErr err;
        if (c.load != kFgnOk) {
            EXPECT_TRUE(reader->DoneTable(err));
            EXPECT_EQ(reader->GetCurrentTable(err), nullptr);
        }
    }
}

// One kind of damage a row: an error for the damaged element or a refusal,
// never a read outside the element (the sanitizer build checks).
TEST_F(CReaderTest, DamagedElementsAreRefusedOrUnreadable) {
    const Bytes line = Element({.type = 3}, LineBody(1000, 1000, 2000, 2000));
    const auto withWords = [](Bytes e, std::uint16_t words) {
        e[2] = static_cast<std::uint8_t>(words);
        e[3] = static_cast<std::uint8_t>(words >> 8);
        return e;
    };
    const auto withWordAt = [](Bytes e, std::size_t at, std::uint16_t word) {
        e[at] = static_cast<std::uint8_t>(word);
        e[at + 1] = static_cast<std::uint8_t>(word >> 8);
        return e;
    };
    const Bytes lineString = Element({.type = 4}, VerticesBody({{0, 0}, {1, 1}, {2, 2}}));
    const Bytes points = Element({.type = 22}, VerticesBody({{0, 0}, {1, 1}}, 16));
    const Bytes arc = Element({.type = 16}, ArcBody(0, 0, 1000, 1000, 0, 0, 0));
    const Bytes linked = Element({.type = 3}, LineBody(0, 0, 5, 5), OdbcLinkage(1, 2));
    struct Case {
        const char* what;
        Bytes damaged;
        TFgnFmtErr err;  // of the damaged element, the first after the line
    };
    const Case cases[] = {
        {"shorter than its header", withWords(line, 10), kFgnIncomplete},
        {"no words to follow", withWords(line, 0), kFgnIncomplete},
        {"too short for its end point", withWords(line, 20), kFgnIncomplete},
        {"longer than the file", withWords(line, 0xFFFF), kFgnNotLoaded},
        {"vertex count beyond the element", withWordAt(lineString, 36, 0xFFFF), kFgnIncomplete},
        {"vertex count one beyond", withWordAt(lineString, 36, 4), kFgnIncomplete},
        {"point string count beyond", withWordAt(points, 36, 7), kFgnIncomplete},
        {"a curve of three vertices", Element({.type = 11}, VerticesBody({{0, 0}, {1, 1}, {2, 2}})),
         kFgnIncomplete},
        {"an arc cut before its centre", withWords(arc, std::uint16_t(arc.size() / 2 - 2 - 4)),
         kFgnIncomplete},
        {"linkage index past the element", withWordAt(linked, 30, 0xFFFF), kFgnOk},
        {"linkage index inside the header", withWordAt(linked, 30, 0), kFgnOk},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Bytes design = DesignOf({line, c.damaged, line});
        auto reader = Load(design);
        const std::vector<SFeature> f = Walk(*reader);
        ASSERT_GE(f.size(), 2u);
        EXPECT_EQ(f[0].err, kFgnOk);
        EXPECT_EQ(f[1].err, c.err);
        EXPECT_EQ(f[1].entity, c.err == kFgnOk);
        for (const SFeature& feature : f)
            EXPECT_TRUE(feature.err == kFgnOk || feature.err == kFgnIncomplete ||
                        feature.err == kFgnNotLoaded);
        Tables(*reader);
    }
}

// Every prefix of a design and seeded byte flips anywhere: the reader loads or
// refuses, and each element gives an entity or an error.
TEST_F(CReaderTest, TruncatedAndMutatedDesignsNeverReadOutsideTheirBytes) {
    const Bytes good = DesignOf(kSample);
    const auto exercise = [this](const Bytes& design) {
        auto reader = Open(design);
        if (reader->LoadData() != kFgnOk) return;
        for (const SFeature& f : Walk(*reader))
            ASSERT_TRUE(f.err == kFgnOk || f.err == kFgnIncomplete || f.err == kFgnNotLoaded);
        Tables(*reader);
    };
    for (std::size_t cut = 0; cut < good.size(); cut += cut < dgn::kControlLength ? 97 : 1)
        exercise(Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut)));
    std::mt19937 random(31);
    for (int round = 0; round < 3000; ++round) {
        Bytes bytes = good;
        const int flips = 1 + round % 4;
        for (int i = 0; i < flips; ++i) {
            // Mostly in the elements, sometimes in the control element's fields.
            const std::size_t at =
                round % 5 == 0
                    ? 1100 + random() % 200
                    : dgn::kControlLength + random() % (good.size() - dgn::kControlLength);
            bytes[at] = static_cast<std::uint8_t>(random());
        }
        exercise(bytes);
    }
}

TEST_F(CReaderTest, LoadingLeavesTheProcessLocaleAlone) {
    ASSERT_NE(std::setlocale(LC_ALL, "C.UTF-8"), nullptr);
    const std::string before = std::setlocale(LC_ALL, nullptr);
    auto reader = Load(DesignOf(kSample));
    Walk(*reader);
    EXPECT_EQ(std::setlocale(LC_ALL, nullptr), before);
    std::setlocale(LC_ALL, "C");
}

TEST_F(CReaderTest, AnEntityTakenOverOutlivesTheNextStep) {
    auto reader = Load(DesignOf(kSample));
    TFgnFmtErr err;
    const CFgnEntity* first = reader->GetCurrent(err, kFgnFalse);
    ASSERT_NE(first, nullptr);
    reader->Step();
    const CFgnEntity* second = reader->GetCurrent(err, kFgnFalse);
    ASSERT_NE(second, nullptr);
    reader->NullCurrentEntity();
    // Both are the caller's now.
    EXPECT_EQ(Describe(first, kFgnOk).type, kFgnEntityLine);
    EXPECT_EQ(Describe(second, kFgnOk).type, kFgnEntityMPnt);
    delete first;
    delete second;
}

namespace {

// A complex header (type 12 or 14) of `components`, whose stated length
// covers `componentBytes` bytes of them.
Bytes ComplexHeader(std::uint8_t type, std::size_t componentBytes, std::uint16_t components) {
    // The total length counts the words after itself: 5 header words here.
    return Element({.type = type}, Cat({Word(static_cast<std::uint16_t>(5 + componentBytes / 2)),
                                        Word(components), Bytes(8, 0)}));
}

std::size_t SizeOf(const std::vector<Bytes>& parts) {
    std::size_t size = 0;
    for (const Bytes& part : parts) size += part.size();
    return size;
}

}  // namespace

TEST_F(CReaderTest, ComplexChainsGatherTheirComponents) {
    const std::vector<Bytes> components = {
        Element({.type = 3, .complex = true}, LineBody(0, 0, 1000, 0)),
        Element({.type = 15, .complex = true}, EllipseBody(1000, 1000, 0, 0, 0)),
        Element({.type = 16, .complex = true}, ArcBody(0, 90 * 360000, 2000, 1000, 0, 1000, 0)),
        Element({.type = 11, .complex = true},
                VerticesBody({{0, 0}, {1, 1}, {5000, 5000}, {6000, 5000}, {4, 4}, {5, 5}})),
    };
    std::vector<Bytes> elements = {ComplexHeader(12, SizeOf(components), 4)};
    elements.insert(elements.end(), components.begin(), components.end());
    auto reader = Load(DesignOf(elements));
    const std::vector<SFeature> f = Walk(*reader);
    ASSERT_EQ(f.size(), 1u);
    EXPECT_EQ(f[0].type, kFgnEntityCPline);
    EXPECT_TRUE(f[0].style);
    // The ellipse is passed over; the curve keeps its inner vertices.
    ASSERT_EQ(f[0].pieces.size(), 3u);
    EXPECT_EQ(f[0].pieces[0].points, (std::vector<Xyz>{{0, 0, 0}, {1, 0, 0}}));
    EXPECT_TRUE(f[0].pieces[1].arc);
    EXPECT_EQ(f[0].pieces[1].points, (std::vector<Xyz>{{1, 0, 0}}));
    EXPECT_EQ(f[0].pieces[1].start, 0);
    EXPECT_EQ(f[0].pieces[1].end, 90);
    EXPECT_EQ(f[0].pieces[1].xRadius, 2);
    EXPECT_EQ(f[0].pieces[1].yRadius, 1);
    EXPECT_EQ(f[0].pieces[2].points, (std::vector<Xyz>{{5, 5, 0}, {6, 5, 0}}));
}

TEST_F(CReaderTest, ComplexComponentsStopAtTheStatedLength) {
    const Bytes first = Element({.type = 4, .complex = true}, VerticesBody({{0, 0}, {1000, 0}}));
    const Bytes second = Element({.type = 4, .complex = true}, VerticesBody({{0, 0}, {0, 1000}}));
    // Two components counted but the length covers one: the second is not the chain's.
    auto reader = Load(DesignOf({ComplexHeader(12, first.size(), 2), first, second}));
    const std::vector<SFeature> f = Walk(*reader);
    ASSERT_FALSE(f.empty());
    ASSERT_EQ(f[0].pieces.size(), 1u);
    EXPECT_EQ(f[0].pieces[0].points, (std::vector<Xyz>{{0, 0, 0}, {1, 0, 0}}));
}

TEST_F(CReaderTest, ComplexShapesAreLabelledInside) {
    const Bytes square =
        Element({.type = 4, .complex = true},
                VerticesBody({{0, 0}, {10000, 0}, {10000, 10000}, {0, 10000}, {0, 0}}));
    auto reader = Load(DesignOf({ComplexHeader(14, square.size(), 1), square}));
    const std::vector<SFeature> f = Walk(*reader);
    ASSERT_EQ(f.size(), 1u);
    EXPECT_EQ(f[0].type, kFgnEntityCPly);
    EXPECT_EQ(f[0].labelErr, kFgnOk);
    EXPECT_EQ(f[0].label, (Xyz{5, 5, 0}));
    EXPECT_TRUE(f[0].style);
}

TEST(DgnLabelPointTest, TheWidestSpanAtMidHeight) {
    using P = std::vector<CDgnPt>;
    struct Case {
        const char* what;
        P vertices;
        bool found;
        double x, y;
    };
    const Case cases[] = {
        {"square", {{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}, {0, 0, 0}}, true, 5, 5},
        // A U: spans 0-2 and 8-10 at y = 5 are equal; the first stays.
        {"two equal spans",
         {{0, 0, 0},
          {10, 0, 0},
          {10, 10, 0},
          {8, 10, 0},
          {8, 2, 0},
          {2, 2, 0},
          {2, 10, 0},
          {0, 10, 0},
          {0, 0, 0}},
         true,
         1,
         5},
        {"the wider span",
         {{0, 0, 0},
          {10, 0, 0},
          {10, 10, 0},
          {8, 10, 0},
          {8, 2, 0},
          {1, 2, 0},
          {1, 10, 0},
          {0, 10, 0},
          {0, 0, 0}},
         true,
         9,
         5},
        // Vertices on the middle line count once, not once a segment.
        {"diamond", {{0, 5, 0}, {5, 0, 0}, {10, 5, 0}, {5, 10, 0}, {0, 5, 0}}, true, 5, 5},
        {"an open triangle closes", {{0, 0, 0}, {10, 0, 0}, {5, 10, 0}}, true, 5, 5},
        {"a flat outline", {{0, 0, 0}, {10, 0, 0}, {20, 0, 0}, {30, 0, 0}, {0, 0, 0}}, false, 0, 0},
        {"no vertices", {}, false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto label = dgn::LabelPoint(c.vertices);
        ASSERT_EQ(label.has_value(), c.found);
        if (!label) continue;
        EXPECT_DOUBLE_EQ(label->X(), c.x);
        EXPECT_DOUBLE_EQ(label->Y(), c.y);
    }
}

TEST_F(CReaderTest, TextElementsCarryTheirTextStyleAndOrigin) {
    // 1000 positional units a master unit: a stored size of 1000 x 1000 / 6 is 1.
    const std::int32_t one = 1000 * 1000 / 6;
    const Bytes design = DesignOf({
        Element({.type = 17, .symbology = 1 << 8},
                TextBody(2, 7, 2 * one, 30 * 360000, 5000, 5000, {'A', 'b', 'c'})),
        Element({.type = 17},
                TextBody(9, 8, one, 0, 0, 0, {0xFF, 0xFD, 0x41, 0x00, 0xE9, 0x00, 0xAC, 0x20})),
    });
    for (const bool justConvert : {false, true}) {
        SCOPED_TRACE(justConvert);
        auto reader = Load(design, justConvert ? Settings("[General]\nJustConvert=1\n") : "");
        TFgnFmtErr err;
        ASSERT_EQ(reader->Rewind(), kFgnOk);
        const auto* text = static_cast<const CFgnText*>(reader->GetCurrent(err));
        ASSERT_TRUE(text);
        EXPECT_EQ(text->GetType(err), kFgnEntityText);
        EXPECT_STREQ(text->GetText(err), "Abc");
        double height = 0, angle = 0, last = 0;
        std::int32_t colour = 0, second = 0;
        TFgnBool f1, f2, f3;
        TFgnJustification justification;
        text->GetStyle(err)->GetDefinition(height, colour, second, f1, f2, f3, justification, angle,
                                           last);
        EXPECT_NEAR(height, 2, 1e-5);
        EXPECT_EQ(colour, 255 << 16);
        EXPECT_EQ(justification, 9);
        EXPECT_EQ(angle, 30);
        EXPECT_STREQ(text->GetStyle(err)->GetFont(err), "Roman");
        // Code 7 is the centre: half of 3 characters of width 2 and half the height, turned 30.
        const double dx = 3, dy = 1, turn = 30 * std::numbers::pi / 180;
        const double x = justConvert ? 5 + dx * std::cos(turn) - dy * std::sin(turn) : 5;
        const double y = justConvert ? 5 + dx * std::sin(turn) + dy * std::cos(turn) : 5;
        EXPECT_NEAR(text->GetPt(err)->GetX(err), x, 1e-4);
        EXPECT_NEAR(text->GetPt(err)->GetY(err), y, 1e-4);

        ASSERT_EQ(reader->Step(), kFgnOk);
        const auto* wide = static_cast<const CFgnText*>(reader->GetCurrent(err));
        ASSERT_TRUE(wide);
        EXPECT_STREQ(wide->GetText(err), "A\u00e9\u20ac");
        EXPECT_STREQ(wide->GetStyle(err)->GetFont(err), "ARIAL");
        // Code 8, the bottom centre: half of three characters (six bytes) of width 1.
        EXPECT_NEAR(wide->GetPt(err)->GetX(err), justConvert ? 1.5 : 0, 1e-4);
        EXPECT_NEAR(wide->GetPt(err)->GetY(err), 0, 1e-9);
    }
}

TEST(DgnTextTest, JustificationCodesAndOffsets) {
    struct Case {
        std::uint8_t code;
        int justification;
        double dx, dy;  // for a text 4 wide and 2 high, unturned
    };
    const Case cases[] = {
        {0, 3, 0, 2},   {1, 4, 0, 1},   {2, 5, 0, 0},   {6, 8, 2, 2}, {7, 9, 2, 1},   {8, 10, 2, 0},
        {12, 14, 4, 2}, {13, 15, 4, 1}, {14, 16, 4, 0}, {3, 0, 0, 0}, {200, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.code));
        const TFgnJustification j = dgn::TextJustification(c.code);
        EXPECT_EQ(j, c.justification);
        const CDgnPt offset = dgn::JustificationOffset(j, 4, 2, 0);
        EXPECT_NEAR(offset.X(), c.dx, 1e-12);
        EXPECT_NEAR(offset.Y(), c.dy, 1e-12);
        // Turned a quarter: across becomes along.
        const CDgnPt turned = dgn::JustificationOffset(j, 4, 2, 90);
        EXPECT_NEAR(turned.X(), -c.dy, 1e-12);
        EXPECT_NEAR(turned.Y(), c.dx, 1e-12);
    }
    // An empty or zero-height text is not moved.
    const CDgnPt none = dgn::JustificationOffset(TFgnJustification(9), 0, 0, 30);
    EXPECT_EQ(none.X(), 0);
    EXPECT_EQ(none.Y(), 0);
}
