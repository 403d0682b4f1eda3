#include <gtest/gtest.h>

#include "loader/core/Utf8Text.h"

TEST(Utf8TextTest, CutsOnlyAtCharacterBoundaries) {
    const std::string text = "ab\u00e9\u20ac";  // a b (2 bytes) (3 bytes)
    EXPECT_EQ(CutAtCharBoundary(text, 100), text);
    EXPECT_EQ(CutAtCharBoundary(text, 3), "ab");
    EXPECT_EQ(CutAtCharBoundary(text, 4), "ab\u00e9");
    EXPECT_EQ(CutAtCharBoundary(text, 6), "ab\u00e9");
    EXPECT_EQ(CutAtCharBoundary(text, 0), "");
}

TEST(Utf8TextTest, ComparesWithoutRegardToCase) {
    struct Case {
        const char* a;
        const char* b;
        bool equal;
    } cases[] = {
        {"Roads", "ROADS", true},
        {"Roads", "Road", false},
        {"\u00c9cole", "\u00e9COLE", true},  // non-ASCII letters fold too
        {"\xff", "\xff", true},              // malformed bytes compare as themselves
        {"", "", true},
    };
    for (const auto& c : cases) EXPECT_EQ(EqualNoCase(c.a, c.b), c.equal) << c.a << " / " << c.b;
    EXPECT_TRUE(StartsWithNoCase("ll84", "LL"));
    EXPECT_FALSE(StartsWithNoCase("L", "LL"));
}
