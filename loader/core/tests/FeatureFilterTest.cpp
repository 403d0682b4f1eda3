#include <gtest/gtest.h>

#include <vector>

#include "loader/core/FeatureFilter.h"

TEST(NamePatternListTest, WildcardsMatchLikeAGlob) {
    struct Case {
        const char* pattern;
        const char* name;
        bool match;
    } cases[] = {
        {"A*", "abc", true},
        {"a?c", "ABC", true},
        {"ab", "abc", false},
        {"abc", "ab", false},
        {"a*z", "ab", false},
        {"a*z", "abz", true},
        {"R*S", "Roads", true},
        {"R*S", "Rivers", true},
        {"R*S", "Rail", false},
        {"*", "", true},
        {"?", "", false},
        {"*a*b*", "xaybz", true},
        {"a**b", "ab", true},
        {"?x", "\u00e9x", true},  // '?' takes one whole character
        {"*ss", "mississippi", false},
        {"*ss*", "mississippi", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CNamePatternList::MatchWildcard(c.pattern, c.name), c.match)
            << c.pattern << " vs " << c.name;
}

TEST(NamePatternListTest, ListsParseFromQuotedCommaSeparatedText) {
    struct Case {
        const char* text;
        std::vector<std::string> names;
    } cases[] = {
        {"\"Roads, Rivers\"", {"Roads", "Rivers"}},
        {"Parcels,Owners", {"Parcels", "Owners"}},
        {" a ,, b ,", {"a", "b"}},
        {"", {}},
        {"\"\"", {}},
        {"\"", {"\""}},
    };
    for (const auto& c : cases) {
        CNamePatternList list;
        list.Add("stale");
        list.SetFromText(c.text);
        EXPECT_EQ(list.Names(), c.names) << c.text;
    }
}

TEST(NamePatternListTest, ContainsUsesWildcardsOnlyWhenAsked) {
    CNamePatternList list;
    list.SetFromText("R*,Lake");
    EXPECT_TRUE(list.Contains("LAKE", false));
    EXPECT_TRUE(list.Contains("rivers", true));
    EXPECT_FALSE(list.Contains("rivers", false));

    CNameList tables;
    EXPECT_TRUE(tables.Accepts("anything"));
    tables.SetFromText("Parcels");
    EXPECT_TRUE(tables.Accepts(nullptr));
    EXPECT_TRUE(tables.Accepts("PARCELS"));
    EXPECT_FALSE(tables.Accepts("Owners"));
}

TEST(FeatureFilterTest, AcceptsByKindLayerAndBlock) {
    struct Case {
        const char* what;
        int points, lines, polygons, holes;
        const char* layers;
        const char* blocks;
        const char* layer;
        const char* block;
        int kind;
        int accepted;
    } cases[] = {
        {"kind enabled", 1, 0, 0, 0, "", "", nullptr, "", kFeaturePoint, 1},
        {"kind disabled", 0, 1, 1, 0, "", "", nullptr, "", kFeaturePoint, 0},
        {"other kinds always pass", 0, 0, 0, 0, "", "", nullptr, "", kFeatureOther, 1},
        {"unknown kind", 1, 1, 1, 0, "", "", nullptr, "", 5, 0},
        {"internal polygons dropped", 1, 1, 1, 0, "", "", "internal_polygons", "", kFeaturePolygon,
         0},
        {"kept with holes", 1, 1, 1, 1, "", "", "INTERNAL_POLYGONS", "", kFeaturePolygon, 1},
        {"kept when listed", 1, 1, 1, 0, "Internal*", "", "INTERNAL_POLYGONS", "", kFeaturePolygon,
         1},
        {"layer in list", 1, 1, 1, 0, "R*S", "", "Roads", "", kFeatureLine, 1},
        {"layer not in list", 1, 1, 1, 0, "R*S", "", "Rail", "", kFeatureLine, 0},
        {"no layer passes a list", 1, 1, 1, 0, "Roads", "", nullptr, "", kFeatureLine, 1},
        {"block in list", 1, 1, 1, 0, "", "Tree,Lamp", nullptr, "lamp", kFeaturePoint, 1},
        {"block not in list", 1, 1, 1, 0, "", "Tree,Lamp", nullptr, "Bench", kFeaturePoint, 0},
        {"blocks take no wildcards", 1, 1, 1, 0, "", "T*", nullptr, "Tree", kFeaturePoint, 0},
        {"not a block passes", 1, 1, 1, 0, "", "Tree", nullptr, "", kFeaturePoint, 1},
    };
    for (const auto& c : cases) {
        CFeatureFilter filter;
        filter.pointsEnabled = c.points;
        filter.linesEnabled = c.lines;
        filter.polygonsEnabled = c.polygons;
        filter.holes = c.holes;
        filter.SetLayers(c.layers);
        filter.SetBlocks(c.blocks);
        CFeatureKey key;
        key.layer = c.layer;
        key.block = c.block;
        key.kind = c.kind;
        EXPECT_EQ(filter.Accept(&key), c.accepted) << c.what;
    }
    CFeatureFilter filter;
    EXPECT_EQ(filter.Accept(nullptr), 0);
    filter.pointsEnabled = 1;
    filter.SetLayers("a");
    filter.Reset();
    EXPECT_EQ(filter.pointsEnabled, 0);
    EXPECT_TRUE(filter.Layers().IsEmpty());
}
