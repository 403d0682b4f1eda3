// The groups of ASCII and binary DXF: value types by code range, line ends,
// one- and two-byte binary group codes, and where a group began.
#include <gtest/gtest.h>

#include "readers/drawing/DxfGroupReader.h"

namespace {

using namespace drawing;

TEST(DxfGroupReader, TypesByCodeRange) {
    const struct {
        int code;
        EGroupType type;
    } cases[] = {
        {0, EGroupType::kString},    {9, EGroupType::kString},     {10, EGroupType::kReal},
        {59, EGroupType::kReal},     {60, EGroupType::kInt16},     {90, EGroupType::kInt32},
        {101, EGroupType::kString},  {103, EGroupType::kUnknown},  {160, EGroupType::kInt64},
        {280, EGroupType::kInt16},   {290, EGroupType::kBool},     {310, EGroupType::kBinary},
        {330, EGroupType::kString},  {450, EGroupType::kInt32},    {999, EGroupType::kString},
        {1004, EGroupType::kBinary}, {1041, EGroupType::kReal},    {1070, EGroupType::kInt16},
        {1071, EGroupType::kInt32},  {1072, EGroupType::kUnknown}, {-1, EGroupType::kUnknown}};
    for (const auto& c : cases) EXPECT_EQ(GroupType(c.code), c.type) << c.code;
}

TEST(DxfGroupReader, AsciiWithCrLfBlanksAndComments) {
    const std::string text =
        "  0\r\nSECTION\r\n999\r\na comment\r\n 10\r\n  -1.5e2 \r\n 70\r\n +7\r\n"
        "1004\r\n0aFF\r\n  1\r\n text kept \r\n  0\nEOF";
    const CMemoryByteSource source{std::vector<std::uint8_t>(text.begin(), text.end())};
    CDxfGroupReader reader(source);
    EXPECT_FALSE(reader.IsBinary());
    DxfGroup g;
    ASSERT_TRUE(reader.Next(g));
    EXPECT_EQ(g.text, "SECTION");
    ASSERT_TRUE(reader.Next(g));
    EXPECT_EQ(g.code, 10);
    EXPECT_EQ(g.real, -150.0);
    EXPECT_EQ(reader.Where(), "line 5");
    ASSERT_TRUE(reader.Next(g));
    EXPECT_EQ(g.integer, 7);
    ASSERT_TRUE(reader.Next(g));
    EXPECT_EQ(std::vector<std::uint8_t>(g.bytes.begin(), g.bytes.end()),
              (std::vector<std::uint8_t>{0x0A, 0xFF}));
    ASSERT_TRUE(reader.Next(g));
    EXPECT_EQ(g.text, " text kept ");
    ASSERT_TRUE(reader.Next(g));
    EXPECT_EQ(g.text, "EOF");  // the last line may lack its line end
    EXPECT_FALSE(reader.Next(g));
    EXPECT_EQ(reader.Error(), "");
}

std::vector<std::uint8_t> Binary(bool shortCodes) {
    std::vector<std::uint8_t> bytes;
    auto put = [&](std::initializer_list<int> values) {
        for (int v : values) bytes.push_back(static_cast<std::uint8_t>(v));
    };
    const std::string sentinel("AutoCAD Binary DXF\r\n\x1a", 22);
    for (char c : sentinel) put({c});
    auto code = [&](int c) {
        if (shortCodes && c >= 255) {
            put({255, c & 0xFF, c >> 8});
        } else if (shortCodes) {
            put({c});
        } else {
            put({c & 0xFF, c >> 8});
        }
    };
    auto text = [&](const std::string& t) {
        for (char c : t) put({c});
        put({0});
    };
    code(0), text("SECTION");
    code(40);
    std::uint8_t real[8];
    byteorder::Store<byteorder::Endian::kLittle, double>(2.5, real);
    for (std::uint8_t b : real) put({b});
    code(62), put({0xFE, 0xFF});  // -2
    code(1071), put({1, 0, 0, 0x80});
    code(1004), put({2, 0xAB, 0xCD});
    code(0), text("EOF");
    return bytes;
}

TEST(DxfGroupReader, BinaryWithOneAndTwoByteCodes) {
    for (bool shortCodes : {false, true}) {
        const CMemoryByteSource source{Binary(shortCodes)};
        CDxfGroupReader reader(source);
        EXPECT_TRUE(reader.IsBinary());
        DxfGroup g;
        ASSERT_TRUE(reader.Next(g));
        EXPECT_EQ(g.text, "SECTION");
        EXPECT_EQ(reader.Position(), 22u);
        ASSERT_TRUE(reader.Next(g));
        EXPECT_EQ(g.real, 2.5);
        ASSERT_TRUE(reader.Next(g));
        EXPECT_EQ(g.integer, -2);
        ASSERT_TRUE(reader.Next(g));
        EXPECT_EQ(g.code, 1071);
        EXPECT_EQ(g.integer, static_cast<std::int32_t>(0x80000001u));
        ASSERT_TRUE(reader.Next(g));
        EXPECT_EQ(g.bytes.size(), 2u);
        ASSERT_TRUE(reader.Next(g));
        EXPECT_EQ(g.text, "EOF");
        EXPECT_FALSE(reader.Next(g));
        EXPECT_EQ(reader.Error(), "");
    }
}

}  // namespace
