// UTF-8 from code points, UTF-16LE and single-byte code pages.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/CodePages.h"
#include "common/Utf8.h"

namespace {

TEST(Utf8, EncodesEveryLength) {
    std::string out;
    for (char32_t code : {U'A', U'\u00e9', U'\u20ac', U'\U0001F600'}) AppendUtf8(out, code);
    EXPECT_EQ(out, "A\u00e9\u20ac\U0001F600");
}

TEST(Utf8, ReadsUtf16Le) {
    const struct {
        std::vector<std::uint8_t> bytes;
        std::string utf8;
    } cases[] = {
        {{0x41, 0x00, 0xE9, 0x00}, "A\u00e9"},
        {{0x3D, 0xD8, 0x00, 0xDE}, "\U0001F600"},                 // a surrogate pair
        {{0x3D, 0xD8, 0x41, 0x00}, "\uFFFDA"},                    // a high half alone
        {{0x00, 0xDE}, "\uFFFD"},                                 // a low half alone
        {{0x41, 0x00, 0x00, 0x00, 0x42}, std::string("A\0", 2)},  // zero kept, odd byte dropped
    };
    for (const auto& c : cases) EXPECT_EQ(Utf16LeToUtf8(c.bytes), c.utf8);
}

TEST(CodePages, ConvertSingleByteText) {
    const CodePageTable* ansi = FindCodePage(1252);
    ASSERT_NE(ansi, nullptr);
    EXPECT_EQ(ConvertToUtf8("C\xF4te \x80\x81", *ansi), "C\u00f4te \u20ac\uFFFD");
    const CodePageTable* latin1 = FindCodePage(28591);
    ASSERT_NE(latin1, nullptr);
    EXPECT_EQ(ConvertToUtf8("\x80\xE9", *latin1), "\u0080\u00e9");
    EXPECT_EQ(FindCodePage(65001), nullptr);
    EXPECT_EQ(FindCodePage(0), nullptr);
}

}  // namespace
