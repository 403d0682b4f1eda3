#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "common/ByteOrder.h"
#include "platform/Emf.h"
#include "testing/TestSupport.h"

namespace {

std::uint32_t U32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return byteorder::LoadU32Le(&b[at]);
}
std::int32_t I32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::int32_t>(U32(b, at));
}

struct Record {
    std::uint32_t type;
    std::size_t offset;
    std::uint32_t size;
};

// Walks the records and checks that they tile the file exactly.
std::vector<Record> Records(const std::vector<std::uint8_t>& bytes) {
    std::vector<Record> records;
    std::size_t at = 0;
    while (at + 8 <= bytes.size()) {
        const Record r{U32(bytes, at), at, U32(bytes, at + 4)};
        EXPECT_EQ(r.size % 4, 0u) << "record at " << at;
        EXPECT_GE(r.size, 8u);
        if (r.size < 8) break;
        records.push_back(r);
        at += r.size;
    }
    EXPECT_EQ(at, bytes.size());
    return records;
}

TEST(Emf, RecordsTileTheFileAndTheHeaderCountsThem) {
    wlxtest::TempDir dir;
    const auto file = dir / "a.emf";
    {
        auto dc = CEmfDeviceContext::Create(file.string(), RECT{0, 0, 10001, 5001},
                                            std::string_view("app\0pic", 7));
        ASSERT_TRUE(dc);
        dc->SetMapMode(MM_HIMETRIC);
        const std::uint8_t comment[] = {'x', 'y', 'z', 0};
        EXPECT_TRUE(dc->GdiComment(comment));
        const HGDIOBJ pen = dc->CreatePen(PS_SOLID, 3, MakeColorRef(1, 2, 3));
        const HGDIOBJ brush = dc->CreateHatchBrush(HS_DIAGCROSS, MakeColorRef(4, 5, 6));
        const HGDIOBJ oldPen = dc->SelectObject(pen);
        const HGDIOBJ oldBrush = dc->SelectObject(brush);
        const POINT points[] = {{0, 0}, {10000, -5000}};
        EXPECT_TRUE(dc->Polygon(points));
        EXPECT_EQ(dc->SelectObject(oldPen), pen);
        EXPECT_EQ(dc->SelectObject(oldBrush), brush);
        EXPECT_TRUE(dc->DeleteObject(pen));
        EXPECT_FALSE(dc->DeleteObject(pen));
        // The freed slot is taken again.
        EXPECT_EQ(dc->CreateSolidBrush(0), pen);
        EXPECT_TRUE(dc->Close());
        EXPECT_FALSE(dc->Close());
        EXPECT_FALSE(dc->Polyline(points));
    }
    const auto bytes = wlxtest::ReadBytes(file);
    const auto records = Records(bytes);
    ASSERT_GE(records.size(), 3u);
    EXPECT_EQ(records.front().type, 1u);
    EXPECT_EQ(records.back().type, 14u);
    EXPECT_EQ(U32(bytes, 40), 0x464D4520u);          // signature
    EXPECT_EQ(U32(bytes, 48), bytes.size());         // bytes
    EXPECT_EQ(U32(bytes, 52), records.size());       // records
    EXPECT_EQ(byteorder::LoadU16Le(&bytes[56]), 3);  // handle table: slot 0 and two objects
    EXPECT_EQ(I32(bytes, 24 + 8), 10001);            // frame right
    // Bounds in screen pixels: 10000 x 5000 hundredths of a millimetre.
    EXPECT_EQ(I32(bytes, 8 + 8), 378);
    EXPECT_EQ(I32(bytes, 8 + 12), 189);
    // Description "app\0pic\0" in UTF-16 right after the header.
    EXPECT_EQ(U32(bytes, 60), 8u);
    EXPECT_EQ(U32(bytes, 64), 108u);
    EXPECT_EQ(bytes[108], 'a');
    EXPECT_EQ(bytes[108 + 2 * 4], 'p');
    // The comment keeps its bytes and its length.
    const auto comment = records[2];
    EXPECT_EQ(comment.type, 70u);
    EXPECT_EQ(U32(bytes, comment.offset + 8), 4u);
    EXPECT_EQ(std::memcmp(&bytes[comment.offset + 12], "xyz", 4), 0);
}

// Text is boxed at half the font height per character; a box that would pass
// the edge of the coordinate range is cut to it.
TEST(Emf, TextBoxGrowsWithTheFontAndStaysInRange) {
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    struct Case {
        const char* what;
        std::int32_t fontHeight, x, y;
        const char* text;
        RECT box;
    } cases[] = {
        {"a font of negative height", -20, 5, 7, "ab", RECT{5, 7, 25, 27}},
        {"the tallest font at the edge", kMax, kMax - 10, kMax - 10, "abc",
         RECT{kMax - 10, kMax - 10, kMax, kMax}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        wlxtest::TempDir dir;
        const auto file = dir / "text.emf";
        {
            auto dc = CEmfDeviceContext::Create(file.string(), RECT{}, "");
            ASSERT_TRUE(dc);
            CEmfFont font;
            font.height = c.fontHeight;
            ASSERT_NE(dc->SelectObject(dc->CreateFont(font)), 0u);
            EXPECT_TRUE(dc->TextOut(c.x, c.y, c.text));
            EXPECT_TRUE(dc->Close());
        }
        const auto bytes = wlxtest::ReadBytes(file);
        const auto records = Records(bytes);
        ASSERT_EQ(records.size(), 5u);  // header, font, select, text, end
        const Record text = records[3];
        ASSERT_EQ(text.type, 84u);
        EXPECT_EQ(I32(bytes, text.offset + 8), c.box.left);
        EXPECT_EQ(I32(bytes, text.offset + 12), c.box.top);
        EXPECT_EQ(I32(bytes, text.offset + 16), c.box.right);
        EXPECT_EQ(I32(bytes, text.offset + 20), c.box.bottom);
    }
}

// The metric modes turn y around: the lowest y there is still has a bound.
TEST(Emf, BoundsOfPointsAtTheEdgesOfTheRange) {
    constexpr auto kMin = std::numeric_limits<std::int32_t>::min();
    constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
    wlxtest::TempDir dir;
    const auto file = dir / "edges.emf";
    {
        auto dc = CEmfDeviceContext::Create(file.string(), RECT{}, "");
        ASSERT_TRUE(dc);
        dc->SetMapMode(MM_HIMETRIC);
        const POINT points[] = {{kMin, kMin}, {kMax, kMax}};
        EXPECT_TRUE(dc->Polygon(points));
        EXPECT_TRUE(dc->Close());
    }
    const auto bytes = wlxtest::ReadBytes(file);
    // A hundredth of a millimetre is 96 / 2540 of a pixel.
    EXPECT_EQ(I32(bytes, 8), -81164736);
    EXPECT_EQ(I32(bytes, 12), -81164736);
    EXPECT_EQ(I32(bytes, 16), 81164736);
    EXPECT_EQ(I32(bytes, 20), 81164736);
}

TEST(Emf, CreationFailureGivesNoContext) {
    EXPECT_FALSE(CEmfDeviceContext::Create("/nonexistent-dir/a.emf", RECT{}, ""));
}

TEST(Emf, ScreenUnitOfAHundredthOfAMillimetreIsBelowOnePixel) {
    EXPECT_EQ(ScreenDeviceSizeOfLogicalUnit(MM_HIMETRIC).cx, 0);
    EXPECT_EQ(ScreenDeviceSizeOfLogicalUnit(MM_TEXT).cy, 1);
}

}  // namespace
