// Cells, text nodes and reference attachments on designs built by the tests.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <random>
#include <string>

#include "dgn/DgnCellElements.h"
#include "dgn/DgnFileReader.h"
#include "dgn/DgnRefAttach.h"
#include "dgn/DgnTextElements.h"
#include "dgn/tests/DgnTestDesign.h"
#include "dgn/tests/DgnWalk.h"
#include "testing/TestSupport.h"

using namespace dgntest;

namespace {

constexpr double kDegree = std::numbers::pi / 180;

Bytes DesignOf(const std::vector<Bytes>& elements, const Bytes& control = Control()) {
    Bytes out = control;
    for (const Bytes& e : elements) out.insert(out.end(), e.begin(), e.end());
    return Cat({out, Word(0xFFFF)});
}

std::size_t SizeOf(const std::vector<Bytes>& parts) {
    std::size_t size = 0;
    for (const Bytes& part : parts) size += part.size();
    return size;
}

// A cell header followed by its components.
std::vector<Bytes> CellWith(const char* name, const std::vector<Bytes>& components, std::int32_t m0,
                            std::int32_t m1, std::int32_t m2, std::int32_t m3, std::int32_t ox,
                            std::int32_t oy, SHeader header = {}) {
    std::vector<Bytes> out = {Cell(name, SizeOf(components), m0, m1, m2, m3, ox, oy, header)};
    out.insert(out.end(), components.begin(), components.end());
    return out;
}

std::vector<Bytes> Join(std::initializer_list<std::vector<Bytes>> parts) {
    std::vector<Bytes> out;
    for (const auto& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

// The stored matrix longs of a turn by `degrees` (214748 is 1).
struct SStoredTurn {
    std::int32_t c, s;
};
SStoredTurn Turn(double degrees) {
    return {static_cast<std::int32_t>(std::lround(214748 * std::cos(degrees * kDegree))),
            static_cast<std::int32_t>(std::lround(214748 * std::sin(degrees * kDegree)))};
}

// Where a point of a block lands once its instance places it, as the loader does.
Xyz Place(const CFgnBlkInst& instance, const Xyz& p) {
    TFgnFmtErr err;
    const FgnMatrix& m = *instance.GetMatrix(err);
    const Xyz insert = Coordinates(*instance.GetInsertPt(err));
    return {m[0][0] * p[0] + m[0][1] * p[1] + insert[0],
            m[1][0] * p[0] + m[1][1] * p[1] + insert[1], 0};
}

void ExpectNear(const Xyz& got, const Xyz& expected, double tolerance = 1e-9) {
    EXPECT_NEAR(got[0], expected[0], tolerance);
    EXPECT_NEAR(got[1], expected[1], tolerance);
}

class CCellTest : public testing::Test {
protected:
    std::unique_ptr<CDgnFileReader> Load(const Bytes& design) {
        auto reader =
            std::make_unique<CDgnFileReader>(std::make_unique<CMemoryByteSource>(design),
                                             "designs/sample.dgn", (dir_ / "none.ini").c_str());
        EXPECT_EQ(reader->LoadData(), kFgnOk);
        EXPECT_EQ(reader->Rewind(), kFgnOk);
        return reader;
    }
    wlxtest::TempDir dir_;
};

// A text node's one line.
const Bytes kNodeLine =
    Element({.type = 17, .complex = true}, TextBody(0, 2, 1000, 0, 11000, 22000, {'N'}));

// 1000 positional units a master unit: every stored coordinate / 1000.
const std::vector<Bytes> kComponents = {
    Element({.type = 3, .complex = true}, LineBody(11000, 20000, 13000, 21000)),
    Element({.type = 11, .complex = true},
            VerticesBody({{0, 0}, {1, 1}, {12000, 23000}, {14000, 25000}, {4, 4}, {5, 5}})),
    Element({.type = 16, .complex = true},
            ArcBody(10 * 360000, 90 * 360000, 1000, 1000, 0, 12000, 22000)),
    Element({.type = 17, .complex = true},
            TextBody(0, 2, 1000 * 1000 / 6, 40 * 360000, 10500, 20500, {'D', 'o'})),
    // An empty text is left out.
    Element({.type = 17, .complex = true}, TextBody(0, 2, 1000, 0, 0, 0, {})),
    // A text node and its line, whose range's top left is (11, 23).
    WithRange(TextNode(1, kNodeLine.size(), 0, 0, 1000, 1000, 0, 11000, 23000, {.complex = true}),
              11000, 22000, 14000, 23000),
    kNodeLine,
};

}  // namespace

TEST_F(CCellTest, ACellHoldsItsComponentsInItsOwnFrame) {
    for (const double degrees : {0.0, 30.0}) {
        SCOPED_TRACE(degrees);
        const SStoredTurn t = Turn(degrees);
        auto reader =
            Load(DesignOf(Join({CellWith("door", kComponents, t.c, -t.s, t.s, t.c, 10000, 20000),
                                {Element({.type = 3}, LineBody(0, 0, 1000, 1000))}})));
        TFgnFmtErr err;
        const auto* cell = static_cast<const CFgnBlkInst*>(reader->GetCurrent(err));
        ASSERT_EQ(err, kFgnOk);
        ASSERT_TRUE(cell);
        EXPECT_EQ(cell->GetType(err), kFgnEntityBlkInst);
        EXPECT_EQ(cell->IsXRef(err), kFgnFalse);
        ExpectNear(Coordinates(*cell->GetInsertPt(err)), {10, 20, 0});
        const FgnMatrix& m = *cell->GetMatrix(err);
        EXPECT_NEAR(m[0][0], t.c * 10000.0 / 2147483648.0, 1e-15);
        EXPECT_EQ(m[0][1], -m[1][0]);
        EXPECT_EQ(m[2][2], 1);
        const CFgnBlk* block = cell->GetBlk(err);
        ASSERT_TRUE(block);
        EXPECT_STREQ(block->GetName(err), "DOOR  ");
        const auto& entities = *block->GetEntities(err);
        ASSERT_EQ(entities.size(), 5u);
        auto it = entities.begin();

        // Placed by the instance, every point is where the design has it.
        const SFeature line = Describe(*it++, kFgnOk);
        ASSERT_EQ(line.type, kFgnEntityLine);
        ExpectNear(Place(*cell, line.points[0]), {11, 20, 0});
        ExpectNear(Place(*cell, line.points[1]), {13, 21, 0});
        const SFeature curve = Describe(*it++, kFgnOk);
        ASSERT_EQ(curve.type, kFgnEntityPline);
        ASSERT_EQ(curve.points.size(), 2u);
        ExpectNear(Place(*cell, curve.points[1]), {14, 25, 0});
        const SFeature arc = Describe(*it++, kFgnOk);
        ASSERT_EQ(arc.type, kFgnEntityArc);
        ExpectNear(Place(*cell, arc.points[0]), {12, 22, 0});
        // The arc's ends, placed, are the design's (the turn's scale is 1 - 1.7e-6).
        const std::pair<double, double> ends[] = {{arc.start, 10}, {arc.end, 100}};
        for (const auto& [angle, expected] : ends) {
            const Xyz end = Place(*cell, {arc.points[0][0] + std::cos(angle * kDegree),
                                          arc.points[0][1] + std::sin(angle * kDegree), 0});
            ExpectNear(end, {12 + std::cos(expected * kDegree), 22 + std::sin(expected * kDegree)},
                       1e-5);
        }
        const auto* text = static_cast<const CFgnText*>(*it++);
        ASSERT_EQ(text->GetType(err), kFgnEntityText);
        EXPECT_STREQ(text->GetText(err), "Do");
        ExpectNear(Place(*cell, Coordinates(*text->GetPt(err))), {10.5, 20.5, 0});
        double height, angle, last;
        std::int32_t colour, second;
        TFgnBool f1, f2, f3;
        TFgnJustification justification;
        text->GetStyle(err)->GetDefinition(height, colour, second, f1, f2, f3, justification, angle,
                                           last);
        // Whole degrees in the style: the cell's turn taken off.
        EXPECT_NEAR(angle, std::trunc(40 - std::atan2(t.s, t.c) / kDegree), 1e-9);
        const auto* node = static_cast<const CFgnMText*>(*it++);
        ASSERT_EQ(node->GetType(err), kFgnEntityMText);
        EXPECT_STREQ(node->GetText(err), "N");
        ExpectNear(
            Place(*cell, {node->GetMinPt(err)->GetX(err), node->GetMaxPt(err)->GetY(err), 0}),
            {11, 23, 0});

        // The element after the cell is its own.
        ASSERT_EQ(reader->Step(), kFgnOk);
        EXPECT_EQ(Describe(reader->GetCurrent(err), err).type, kFgnEntityLine);
    }
}

TEST_F(CCellTest, CellsAreNamedAndMirroredOnesRefused) {
    auto reader = Load(DesignOf(Join({
        CellWith("      ", {kComponents[0]}, 214748, 0, 0, 214748, 0, 0),
        CellWith("mirror", {kComponents[0]}, 214748, 0, 0, -214748, 0, 0),
        {Element({.type = 3}, LineBody(0, 0, 1000, 1000))},
    })));
    const std::vector<SFeature> f = Walk(*reader);
    ASSERT_EQ(f.size(), 3u);
    EXPECT_EQ(f[0].err, kFgnOk);
    EXPECT_EQ(f[1].err, kFgnIncomplete);
    EXPECT_FALSE(f[1].entity);
    EXPECT_EQ(f[2].type, kFgnEntityLine);
    ASSERT_EQ(reader->Rewind(), kFgnOk);
    TFgnFmtErr err;
    const auto* cell = static_cast<const CFgnBlkInst*>(reader->GetCurrent(err));
    ASSERT_TRUE(cell);
    EXPECT_STREQ(cell->GetBlk(err)->GetName(err), "NullName");
    EXPECT_DOUBLE_EQ(cell->GetMatrix(err)[0][0][0], 214748 * 10000.0 / 2147483648.0);
}

TEST_F(CCellTest, TheCellsBytesBoundItsComponents) {
    // Labelled complex shapes among the components (a word estimate counting
    // their label points reached the cell's length before its last line), then
    // a component past the cell's stated length.
    const Bytes square =
        Element({.type = 4, .complex = true},
                VerticesBody({{0, 0}, {1000, 0}, {1000, 1000}, {0, 1000}, {0, 0}}));
    const Bytes shape = Element(
        {.type = 14, .complex = true},
        Cat({Word(static_cast<std::uint16_t>(5 + square.size() / 2)), Word(1), Bytes(8, 0)}));
    std::vector<Bytes> inside;
    for (int i = 0; i < 8; ++i) inside = Join({inside, {shape, square}});
    inside.push_back(kComponents[0]);
    const Bytes outside = Element({.type = 3, .complex = true}, LineBody(0, 0, 5, 5));
    auto reader =
        Load(DesignOf(Join({CellWith("c", inside, 214748, 0, 0, 214748, 0, 0), {outside}})));
    TFgnFmtErr err;
    const auto* cell = static_cast<const CFgnBlkInst*>(reader->GetCurrent(err));
    ASSERT_TRUE(cell);
    const auto& entities = *cell->GetBlk(err)->GetEntities(err);
    ASSERT_EQ(entities.size(), 9u);
    EXPECT_EQ(entities.front()->GetType(err), kFgnEntityCPly);
    // The shape's square is its, not the cell's.
    EXPECT_EQ(Describe(entities.front(), kFgnOk).pieces.size(), 1u);
    EXPECT_EQ(entities.back()->GetType(err), kFgnEntityLine);
}

TEST_F(CCellTest, NestedCellsPlaceTheirComponentsThroughBothLevels) {
    const SStoredTurn outer = Turn(30), inner = Turn(45);
    const std::vector<Bytes> innerCell =
        CellWith("inner", {kComponents[0]}, inner.c, -inner.s, inner.s, inner.c, 12000, 21000,
                 {.complex = true});
    auto reader = Load(
        DesignOf(CellWith("outer", innerCell, outer.c, -outer.s, outer.s, outer.c, 10000, 20000)));
    TFgnFmtErr err;
    const auto* cell = static_cast<const CFgnBlkInst*>(reader->GetCurrent(err));
    ASSERT_TRUE(cell);
    const auto& entities = *cell->GetBlk(err)->GetEntities(err);
    ASSERT_EQ(entities.size(), 1u);
    const auto* nested = static_cast<const CFgnBlkInst*>(entities.front());
    ASSERT_EQ(nested->GetType(err), kFgnEntityBlkInst);
    EXPECT_STREQ(nested->GetBlk(err)->GetName(err), "INNER ");
    ExpectNear(Place(*cell, Coordinates(*nested->GetInsertPt(err))), {12, 21, 0});
    const SFeature line = Describe(nested->GetBlk(err)->GetEntities(err)->front(), kFgnOk);
    ExpectNear(Place(*cell, Place(*nested, line.points[0])), {11, 20, 0});
    ExpectNear(Place(*cell, Place(*nested, line.points[1])), {13, 21, 0});
}

TEST_F(CCellTest, TextNodesJoinTheirLines) {
    const std::vector<Bytes> lines = {
        Element({.type = 17, .complex = true}, TextBody(0, 2, 1000, 0, 0, 0, {'a', 'b'})),
        Element({.type = 17, .complex = true}, TextBody(0, 2, 1000, 0, 0, 0, {'c', 'd', 'e'})),
    };
    auto reader = Load(DesignOf({
        WithRange(TextNode(2, SizeOf(lines), 2, 7, 1500, 2000 * 1000 / 6, 1250000, 1000, 2000,
                           {.symbology = 1 << 8}),
                  1000, 1000, 4000, 3000),
        lines[0],
        lines[1],
        Element({.type = 3}, LineBody(0, 0, 1000, 1000)),
    }));
    TFgnFmtErr err;
    const auto* node = static_cast<const CFgnMText*>(reader->GetCurrent(err));
    ASSERT_EQ(err, kFgnOk);
    ASSERT_TRUE(node);
    EXPECT_EQ(node->GetType(err), kFgnEntityMText);
    EXPECT_STREQ(node->GetText(err), "ab\ncde");
    ExpectNear(Coordinates(*node->GetMinPt(err)), {1, 1, 0});
    ExpectNear(Coordinates(*node->GetMaxPt(err)), {4, 3, 0});
    double height, angle, spacing;
    std::int32_t colour, second;
    TFgnBool f1, f2, f3;
    TFgnJustification justification;
    node->GetStyle(err)->GetDefinition(height, colour, second, f1, f2, f3, justification, angle,
                                       spacing);
    EXPECT_NEAR(height, 2, 1e-5);
    EXPECT_EQ(colour, 255 << 16);
    EXPECT_EQ(justification, 9);
    EXPECT_DOUBLE_EQ(angle, 3.4722222222222223);  // not cut to whole degrees
    EXPECT_DOUBLE_EQ(spacing, 1.5);
    EXPECT_STREQ(node->GetStyle(err)->GetFont(err), "Roman");
    // The node's lines are no elements of their own.
    const std::vector<SFeature> f = Walk(*reader);
    ASSERT_EQ(f.size(), 2u);
    EXPECT_EQ(f[1].type, kFgnEntityLine);
}

TEST(DgnTextNodeTest, JustificationCodes) {
    const int expected[] = {3, 4, 5, 6, 7, 5, 8, 9, 10, 11, 12, 13, 14, 15, 16, 0, 0};
    for (int code = 0; code <= 16; ++code) {
        SCOPED_TRACE(code);
        EXPECT_EQ(dgn::NodeJustification(static_cast<std::uint8_t>(code)), expected[code]);
    }
    EXPECT_EQ(dgn::NodeJustification(255), 0);
}

namespace {

// Designs written to files, attaching each other.
class CAttachmentTest : public testing::Test {
protected:
    std::string Write(const std::string& name, const std::vector<Bytes>& elements) {
        const auto path = dir_ / name;
        const Bytes design = DesignOf(elements);
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(design.data()),
                   static_cast<std::streamsize>(design.size()));
        return path.string();
    }
    std::unique_ptr<CDgnFileReader> Load(const std::string& path) {
        auto reader = std::make_unique<CDgnFileReader>(path.c_str(), (dir_ / "none.ini").c_str());
        EXPECT_EQ(reader->LoadData(), kFgnOk);
        return reader;
    }
    wlxtest::TempDir dir_;
};

const Bytes kLine = Element({.type = 3}, LineBody(1000, 2000, 3000, 4000));

}  // namespace

TEST_F(CAttachmentTest, AnAttachedDesignIsAnExternalBlockInTheHoldersUnits) {
    // The part's units are ten times the holder's: its coordinates follow the holder's.
    const Bytes part = DesignOf({kLine}, Control(100, 1));
    std::ofstream(dir_ / "part.dgn", std::ios::binary)
        .write(reinterpret_cast<const char*>(part.data()), std::streamsize(part.size()));
    auto reader = Load(Write("holder.dgn", {Attachment("part.dgn", "Roads"), kLine}));
    TFgnFmtErr err;
    ASSERT_EQ(reader->Rewind(), kFgnOk);
    const auto* attachment = static_cast<const CFgnBlkInst*>(reader->GetCurrent(err));
    ASSERT_EQ(err, kFgnOk);
    ASSERT_TRUE(attachment);
    EXPECT_EQ(attachment->IsXRef(err), kFgnTrue);
    EXPECT_STREQ(attachment->GetLayer(err), "0");
    const CFgnBlk* block = attachment->GetBlk(err);
    EXPECT_STREQ(block->GetName(err), "Roads");
    EXPECT_STREQ(block->GetXRef(err), "part.dgn");
    ASSERT_EQ(block->GetEntities(err)->size(), 1u);
    const SFeature line = Describe(block->GetEntities(err)->front(), kFgnOk);
    EXPECT_EQ(line.points, (std::vector<Xyz>{{1, 2, 0}, {3, 4, 0}}));
    ASSERT_EQ(reader->Step(), kFgnOk);
    EXPECT_EQ(Describe(reader->GetCurrent(err), err).type, kFgnEntityLine);
}

TEST_F(CAttachmentTest, LoopsAreRefusedWhateverThePathsSpelling) {
    std::filesystem::create_directory(dir_ / "sub");
    std::filesystem::create_symlink(dir_ / "self.dgn", dir_ / "link.dgn");
    const std::string self =
        Write("self.dgn", {Attachment("self.dgn"), Attachment("./self.dgn"), Attachment("link.dgn"),
                           Attachment("sub/../self.dgn"), Attachment("SELF.DGN"), kLine});
    const std::string a = Write("a.dgn", {Attachment("./b.dgn"), kLine});
    Write("b.dgn", {Attachment("a.dgn"), kLine});
    for (const std::string& path : {self, a}) {
        SCOPED_TRACE(path);
        auto reader = Load(path);
        const std::vector<SFeature> f = Walk(*reader);
        ASSERT_FALSE(f.empty());
        EXPECT_EQ(f.back().type, kFgnEntityLine);
        // A's attachment of B stands; the refused position after it tells of
        // B's attachment back, which B's block leaves out.
        if (path == a) {
            ASSERT_EQ(f.size(), 3u);
        }
        for (std::size_t i = 0; i + 1 < f.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(f[i].err, path == self || i == 1 ? kFgnIncomplete : kFgnOk);
        }
    }
    // A attaches B, whose attachment back to A is left out of B's block.
    auto reader = Load(a);
    TFgnFmtErr err;
    ASSERT_EQ(reader->Rewind(), kFgnOk);
    const auto* attachment = static_cast<const CFgnBlkInst*>(reader->GetCurrent(err));
    ASSERT_TRUE(attachment);
    const auto& entities = *attachment->GetBlk(err)->GetEntities(err);
    ASSERT_EQ(entities.size(), 1u);
    EXPECT_EQ(entities.front()->GetType(err), kFgnEntityLine);
}

TEST_F(CAttachmentTest, ChainsStopAtTheirDepthAndSpecificationsAtTheirSize) {
    // d0 attaches d1, d1 attaches d2, and so on: the chain is cut after ten designs.
    for (int i = 0; i < 14; ++i)
        Write("d" + std::to_string(i) + ".dgn",
              {Attachment("d" + std::to_string(i + 1) + ".dgn"), kLine});
    auto reader = Load((dir_ / "d0.dgn").string());
    TFgnFmtErr err;
    ASSERT_EQ(reader->Rewind(), kFgnOk);
    const CFgnEntity* entity = reader->GetCurrent(err);
    int depth = 0;
    while (entity && entity->GetType(err) == kFgnEntityBlkInst) {
        const auto& entities =
            *static_cast<const CFgnBlkInst*>(entity)->GetBlk(err)->GetEntities(err);
        ++depth;
        entity = entities.size() == 2 ? entities.front() : nullptr;
        if (!entity) {
            EXPECT_EQ(entities.size(), 1u);
        }
    }
    EXPECT_EQ(depth, int(dgn::kMaxAttachmentDepth) - 1);

    // A specification stated longer than its 65 bytes keeps 65 characters.
    const std::string long_(70, 'x');
    auto holder = Load(Write("long.dgn", {Attachment(long_, "n", 200), kLine}));
    ASSERT_EQ(holder->Rewind(), kFgnOk);
    const auto* refused = dynamic_cast<const CDgnRefAttach*>(holder->GetCurrent(err));
    EXPECT_EQ(err, kFgnIncomplete);
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->FileSpec(), std::string(65, 'x'));
    const std::vector<SFeature> f = Walk(*holder);
    ASSERT_EQ(f.size(), 2u);
    EXPECT_EQ(f[1].type, kFgnEntityLine);
}

TEST(DgnAttachmentPathTest, CandidatesBesideTheHolderAndAsGiven) {
    EXPECT_EQ(dgn::AttachmentCandidates("b.dgn", "maps/a.dgn"),
              (std::vector<std::string>{"maps/b.dgn", "b.dgn"}));
    EXPECT_EQ(dgn::AttachmentCandidates("other/b.dgn", "maps/a.dgn"),
              (std::vector<std::string>{"other/b.dgn", "maps/b.dgn"}));
    EXPECT_EQ(dgn::AttachmentCandidates("c:\\dgn\\b.dgn", "a.dgn"),
              (std::vector<std::string>{"c:\\dgn\\b.dgn", "b.dgn"}));
    EXPECT_EQ(dgn::AttachmentCandidates("c:b.dgn", "x/a.dgn"),
              (std::vector<std::string>{"c:b.dgn", "x/b.dgn"}));
}

TEST_F(CCellTest, CellsNestNoDeeperThanTheirLimitNorBeyondTheOuterCell) {
    // Forty cells each inside the next, every one claiming the most words it can.
    Bytes chain = kComponents[0];
    for (int level = 0; level < 40; ++level) {
        Bytes cell = Cell("c", chain.size(), 214748, 0, 0, 214748, 0, 0, {.complex = level < 39});
        cell[36] = cell[37] = 0xFF;
        chain = Cat({cell, chain});
    }
    auto reader = Load(DesignOf({chain, Element({.type = 3}, LineBody(0, 0, 1000, 1000))}));
    TFgnFmtErr err;
    const CFgnEntity* entity = reader->GetCurrent(err);
    int depth = 0;
    while (entity && entity->GetType(err) == kFgnEntityBlkInst) {
        const auto& entities =
            *static_cast<const CFgnBlkInst*>(entity)->GetBlk(err)->GetEntities(err);
        ASSERT_LE(entities.size(), 1u);
        entity = entities.empty() ? nullptr : entities.front();
        ++depth;
    }
    EXPECT_EQ(depth, dgn::kMaxCellDepth);
    EXPECT_FALSE(entity);
}

namespace {

// Every entity of a block, and of the blocks inside it.
void WalkBlock(const CFgnEntity* entity) {
    TFgnFmtErr err;
    if (!entity || entity->GetType(err) != kFgnEntityBlkInst) return;
    const auto* instance = static_cast<const CFgnBlkInst*>(entity);
    instance->GetInsertPt(err);
    if (const CFgnBlk* block = instance->GetBlk(err))
        for (const CFgnEntity* inner : *block->GetEntities(err)) {
            Describe(inner, kFgnOk);
            WalkBlock(inner);
        }
}

}  // namespace

TEST_F(CCellTest, TruncatedAndMutatedCellsNodesAndAttachmentsNeverReadOutsideTheirBytes) {
    const SStoredTurn t = Turn(30);
    const Bytes good = DesignOf(Join({
        CellWith("outer",
                 Join({kComponents, CellWith("inner", {kComponents[0]}, t.c, -t.s, t.s, t.c, 0, 0,
                                             {.complex = true})}),
                 t.c, -t.s, t.s, t.c, 10000, 20000),
        {WithRange(TextNode(1, kNodeLine.size(), 0, 0, 1000, 1000, 0, 0, 0), 0, 0, 10, 10),
         kNodeLine, Attachment("missing.dgn")},
    }));
    const auto exercise = [this](const Bytes& design) {
        auto reader = std::make_unique<CDgnFileReader>(std::make_unique<CMemoryByteSource>(design),
                                                       (dir_ / "sample.dgn").c_str(),
                                                       (dir_ / "none.ini").c_str());
        if (reader->LoadData() != kFgnOk) return;
        TFgnFmtErr err;
        for (reader->Rewind(); !reader->Done(err); reader->Step()) {
            const CFgnEntity* entity = reader->GetCurrent(err);
            ASSERT_TRUE(err == kFgnOk || err == kFgnIncomplete || err == kFgnNotLoaded);
            Describe(entity, err);
            WalkBlock(entity);
        }
    };
    for (std::size_t cut = dgn::kControlLength; cut < good.size(); ++cut)
        exercise(Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut)));
    std::mt19937 random(17);
    for (int round = 0; round < 3000; ++round) {
        Bytes bytes = good;
        for (int i = 0; i < 1 + round % 4; ++i)
            bytes[dgn::kControlLength + random() % (good.size() - dgn::kControlLength)] =
                static_cast<std::uint8_t>(random());
        exercise(bytes);
    }
}
