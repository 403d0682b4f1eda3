// Damaged drawings: truncation at every group, unknown group codes, values
// that do not parse, a binary chunk longer than the file, references to
// missing blocks, layers and styles, blocks that insert themselves, and
// seeded byte flips. The answer is "cannot open" or "not found", never a
// crash or a hang (the suite runs under ASan and UBSan too).
#include <gtest/gtest.h>

#include <random>

#include "readers/drawing/DrawingDatabase.h"
#include "readers/drawing/DxfGroupReader.h"
#include "readers/drawing/tests/DrawingDump.h"
#include "testing/TestSupport.h"

namespace {

using namespace drawing;

std::vector<std::uint8_t> Fixture(const std::string& name) {
    return wlxtest::ReadBytes(wlxtest::SourcePath("readers/drawing/tests/data/" + name));
}

EOpenStatus Open(const std::vector<std::uint8_t>& bytes, CDatabase& database) {
    const CMemoryByteSource source{std::span<const std::uint8_t>(bytes)};
    return database.ReadDxf(source);
}

EOpenStatus Open(const std::string& text, CDatabase& database) {
    return Open(std::vector<std::uint8_t>(text.begin(), text.end()), database);
}

// Reads everything a reader would of an opened drawing.
void Exercise(const CDatabase& database) {
    for (const auto& entry : drawingtest::DumpDrawing(database)) {
        if (entry.spline != nullptr) (void)entry.spline->Curve()->PointAtDistance(0.5);
    }
    for (const auto& block : database.Blocks()) {
        for (const auto& entity : block->Entities()) {
            if (const auto* e = entity->As<CEllipse>()) (void)e->Curve().Length();
            (void)entity->XData("ACAD");
        }
    }
}

// Where each group begins, from the group reader itself.
std::vector<std::size_t> GroupStarts(const std::vector<std::uint8_t>& bytes) {
    const CMemoryByteSource source{std::span<const std::uint8_t>(bytes)};
    CDxfGroupReader reader(source);
    std::vector<std::size_t> starts;
    DxfGroup group;
    while (reader.Next(group)) starts.push_back(reader.Position());
    return starts;
}

TEST(Damage, TruncatedAtEveryGroup) {
    // ASCII: after every line (a group is two).
    const auto ascii = Fixture("r12_hand.dxf");
    std::size_t cuts = 0;
    for (std::size_t end = 0; end < ascii.size(); ++end) {
        if (end > 0 && ascii[end - 1] != '\n') continue;
        // The last group is "0 EOF": every cut before its value loses it.
        if (end + 4 >= ascii.size()) break;
        CDatabase database;
        ASSERT_EQ(Open(std::vector<std::uint8_t>(ascii.begin(), ascii.begin() + end), database),
                  EOpenStatus::kCannotOpen)
            << "cut at byte " << end;
        EXPECT_FALSE(database.LastError().empty());
        EXPECT_TRUE(database.ModelSpace().Entities().empty());
        ++cuts;
    }
    EXPECT_GT(cuts, 400u);
    // Binary: at every group's first byte, and inside it.
    const auto binary = Fixture("ezdxf_r2000_binary.dxf");
    const auto starts = GroupStarts(binary);
    ASSERT_GT(starts.size(), 1000u);
    for (std::size_t start : starts) {
        for (std::size_t end : {start, start + 1, start + 3}) {
            CDatabase database;
            ASSERT_EQ(
                Open(std::vector<std::uint8_t>(binary.begin(), binary.begin() + end), database),
                EOpenStatus::kCannotOpen)
                << "cut at byte " << end;
        }
    }
}

const char kLine[] =
    "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n  5\n2A\n  8\n0\n 10\n1.5\n 20\n2\n 30\n0\n"
    " 11\n4\n 21\n5\n 31\n0\n 70\n1\n  0\nENDSEC\n  0\nEOF\n";

TEST(Damage, UnknownCodesAndValuesThatDoNotParse) {
    {
        CDatabase database;
        ASSERT_EQ(Open(std::string(kLine), database), EOpenStatus::kOk) << database.LastError();
    }
    const struct {
        const char* from;
        const char* to;
    } cases[] = {
        {" 10\n1.5\n", "1999\n1.5\n"},  // no type for the code
        {" 10\n1.5\n", " -1\n1.5\n"},
        {" 10\n1.5\n", "1x\n1.5\n"},  // no number as the code
        {" 10\n1.5\n", "99999\n1.5\n"},
        {" 10\n1.5\n", " 10\n1.5.3\n"},  // reals
        {" 10\n1.5\n", " 10\n\n"},
        {" 10\n1.5\n", " 10\nnan\n"},
        {" 10\n1.5\n", " 10\n1e999\n"},
        {" 70\n1\n", " 70\n1.5\n"},  // integers
        {" 70\n1\n", " 70\nx\n"},
        {"  5\n2A\n", "  5\n2G\n"},  // handles
        {"  5\n2A\n", "  5\n12345678901234567\n"},
        {"  0\nLINE\n", "  0\nLINE\n310\nABC\n"},  // chunks
        {"  0\nLINE\n", "  0\nLINE\n310\nXY\n"},
        {"  0\nSECTION\n  2\nENTITIES\n", "  0\nSECTION\n  9\nENTITIES\n"},  // structure
        {"  0\nSECTION\n  2\nENTITIES\n", "  1\nSECTION\n  2\nENTITIES\n"},
        {"  0\nEOF\n", "  0\nEOX\n"},
    };
    for (const auto& c : cases) {
        std::string text(kLine);
        const auto at = text.find(c.from);
        ASSERT_NE(at, std::string::npos);
        text.replace(at, std::strlen(c.from), c.to);
        CDatabase database;
        EXPECT_EQ(Open(text, database), EOpenStatus::kCannotOpen) << c.to;
        EXPECT_FALSE(database.LastError().empty());
    }
    CDatabase database;
    EXPECT_EQ(Open(std::string(""), database), EOpenStatus::kCannotOpen);
    EXPECT_EQ(Open(std::string("not a drawing\n"), database), EOpenStatus::kCannotOpen);
}

TEST(Damage, BinaryChunkLongerThanTheFile) {
    auto bytes = Fixture("ezdxf_r2000_binary.dxf");
    // The link record's chunk (group 1004, two-byte code EC 03) near the end.
    const std::uint8_t code[] = {0xEC, 0x03};
    const auto it = std::search(bytes.begin(), bytes.end(), std::begin(code), std::end(code));
    ASSERT_NE(it, bytes.end());
    const std::size_t length = static_cast<std::size_t>(it - bytes.begin()) + 2;
    std::vector<std::uint8_t> cut(bytes.begin(), bytes.begin() + length + 1 + bytes[length] / 2);
    CDatabase database;
    EXPECT_EQ(Open(cut, database), EOpenStatus::kCannotOpen);
    EXPECT_NE(database.LastError().find("chunk"), std::string::npos) << database.LastError();
    bytes[length] = 0xFF;  // longer than its group: it swallows what follows
    EXPECT_EQ(Open(bytes, database), EOpenStatus::kCannotOpen);
}

std::string Drawing(const std::string& blocks, const std::string& entities) {
    return "  0\nSECTION\n  2\nTABLES\n  0\nTABLE\n  2\nLAYER\n  0\nLAYER\n  2\n0\n 62\n7\n"
           "  0\nENDTAB\n  0\nENDSEC\n  0\nSECTION\n  2\nBLOCKS\n" +
           blocks + "  0\nENDSEC\n  0\nSECTION\n  2\nENTITIES\n" + entities +
           "  0\nENDSEC\n  0\nEOF\n";
}

std::string Block(const std::string& name, const std::string& content) {
    return "  0\nBLOCK\n  2\n" + name + "\n 10\n0\n 20\n0\n 30\n0\n" + content + "  0\nENDBLK\n";
}

std::string Insert(const std::string& handle, const std::string& name) {
    return "  0\nINSERT\n  5\n" + handle + "\n  8\n0\n  2\n" + name + "\n 10\n1\n 20\n2\n 30\n0\n";
}

const CBlockReference* Reference(const CBlockRecord& block, std::size_t i) {
    return block.Entities().at(i)->As<CBlockReference>();
}

TEST(Damage, MissingBlocksLayersAndStyles) {
    const std::string text = Drawing(Block("A", "  0\nLINE\n  8\nGHOST\n"),
                                     Insert("10", "NOPE") + Insert("11", "a") +
                                         "  0\nTEXT\n  5\n12\n  8\nGHOST\n  7\nNOSTYLE\n  1\nx\n");
    CDatabase database;
    ASSERT_EQ(Open(text, database), EOpenStatus::kOk) << database.LastError();
    const CBlockRecord& model = database.ModelSpace();
    ASSERT_EQ(model.Entities().size(), 3u);
    EXPECT_EQ(Reference(model, 0)->BlockTableRecord(), nullptr);
    EXPECT_EQ(Reference(model, 0)->BlockName(), "NOPE");
    EXPECT_EQ(Reference(model, 0)->BlockTransform(), Matrix3d::Translation({1, 2, 0}));
    EXPECT_EQ(Reference(model, 1)->BlockTableRecord(), database.FindBlock("A"));
    const CEntity& text2 = *model.Entities()[2];
    EXPECT_EQ(text2.LayerName(), "GHOST");
    EXPECT_EQ(database.FindLayer("GHOST"), nullptr);
    EXPECT_NE(database.FindLayer("0"), nullptr);
    EXPECT_EQ(database.FindTextStyle(text2.As<CText>()->TextStyleName()), nullptr);
    EXPECT_EQ(database.FindBlock("NOPE"), nullptr);
    EXPECT_EQ(database.FindObject(0x10), nullptr);
    EXPECT_EQ(database.NamedObjectsDictionary(), nullptr);
}

TEST(Damage, BlocksThatInsertThemselves) {
    const std::string text = Drawing(
        Block("SELF", Insert("20", "SELF")) + Block("B", Insert("21", "C")) +
            Block("C", Insert("22", "B") + Insert("23", "LEAF")) + Block("LEAF", "  0\nPOINT\n"),
        Insert("30", "SELF") + Insert("31", "B") + Insert("32", "LEAF"));
    CDatabase database;
    ASSERT_EQ(Open(text, database), EOpenStatus::kOk) << database.LastError();
    const CBlockRecord& model = database.ModelSpace();
    const CBlockRecord* self = database.FindBlock("SELF");
    const CBlockRecord* b = database.FindBlock("B");
    const CBlockRecord* c = database.FindBlock("C");
    ASSERT_TRUE(self && b && c);
    // From outside the cycle the blocks are found; the references that close it are not.
    EXPECT_EQ(Reference(model, 0)->BlockTableRecord(), self);
    EXPECT_EQ(Reference(model, 1)->BlockTableRecord(), b);
    EXPECT_EQ(Reference(*self, 0)->BlockTableRecord(), nullptr);
    EXPECT_EQ(Reference(*b, 0)->BlockTableRecord(), nullptr);
    EXPECT_EQ(Reference(*c, 0)->BlockTableRecord(), nullptr);
    EXPECT_EQ(Reference(*c, 1)->BlockTableRecord(), database.FindBlock("LEAF"));
    Exercise(database);
}

// Seeded byte flips over an ASCII and a binary drawing: each opens or is
// refused, and what opens can be read through.
TEST(Damage, SeededByteFlips) {
    for (const char* name : {"ezdxf_r2000.dxf", "ezdxf_r2000_binary.dxf", "curves.dxf"}) {
        const auto original = Fixture(name);
        std::mt19937 random(29);
        int opened = 0;
        for (int round = 0; round < 150; ++round) {
            auto bytes = original;
            const int flips = 1 + static_cast<int>(random() % 4);
            for (int i = 0; i < flips; ++i) {
                bytes[random() % bytes.size()] = static_cast<std::uint8_t>(random());
            }
            CDatabase database;
            const EOpenStatus status = Open(bytes, database);
            ASSERT_TRUE(status == EOpenStatus::kOk || status == EOpenStatus::kCannotOpen);
            if (status == EOpenStatus::kOk) {
                ++opened;
                Exercise(database);
            }
        }
        EXPECT_GT(opened, 0) << name;
    }
}

}  // namespace
