// Drawing texts to UTF-8: the code page of $DWGCODEPAGE before AC1021,
// UTF-8 from AC1021 on, and \U+XXXX escapes.
#include <gtest/gtest.h>

#include "readers/drawing/DrawingText.h"

namespace {

using drawing::CTextDecoder;

TEST(Text, CodePagesAndEscapes) {
    const struct {
        const char* version;
        const char* page;
        std::string raw;
        std::string utf8;
    } cases[] = {
        {"AC1015", "ANSI_1252", "Caf\xE9 \x80", "Caf\u00e9 \u20ac"},
        {"AC1015", "ansi_1251", "\xC4\xEE\xEC", "\u0414\u043e\u043c"},
        {"AC1009", "DOS850", "\x82t\x82", "\u00e9t\u00e9"},
        {"AC1015", "ANSI_1253", "\xE1", "\u03b1"},
        {"AC1015", "ANSI_1252", "\x81\x8D", "\u0081\u008d"},  // undefined: the byte's own value
        {"AC1015", "", "\xE9", "\u00e9"},                     // no code page: ANSI_1252
        {"AC1015", "ANSI_9999", "\xE9", "\u00e9"},            // unknown: ANSI_1252
        {"AC1015", "ANSI_1252", "\\U+2126 \\u+00e9", "\u2126 \u00e9"},
        {"AC1015", "ANSI_1252", "\\U+0000 \\U+D800 \\U+12 \\UX", "\\U+0000 \\U+D800 \\U+12 \\UX"},
        {"AC1021", "ANSI_1252", "\xE6\x97\xA5 \xC3\xA9", "\u65e5 \u00e9"},  // UTF-8
        {"AC1024", "ANSI_1252", "\xE9t\xE9", "\u00e9t\u00e9"},  // not UTF-8: read as ANSI_1252
        {"AC1032", "ANSI_1252", "\xED\xA0\x80", "\u00ed\u00a0\u20ac"},  // a surrogate is no UTF-8
        {"AC1024", "ANSI_1252", "\\U+1F600",
         "\u1f60"
         "0"},  // four digits, no more
    };
    for (const auto& c : cases) {
        CTextDecoder decoder;
        decoder.Configure(c.version, c.page);
        EXPECT_EQ(decoder.Decode(c.raw), c.utf8) << c.version << " " << c.page << " " << c.raw;
    }
}

}  // namespace
