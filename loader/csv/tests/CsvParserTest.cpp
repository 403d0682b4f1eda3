#include <gtest/gtest.h>

#include "loader/csv/CsvParser.h"

namespace {

TEST(CsvParser, ParsesLines) {
    const struct {
        const char* text;
        Status status;
        const char* key;
        const char* name;
        CPoint2d point;
        bool hasLink;
        const char* link;
    } cases[] = {
        {R"("K1","Well 4" , 52.5 , 13.25 ,"L")", 0, "K1", "Well 4", {13.25, 52.5}, true, "L"},
        {R"('K1','Well', 1, 2)", 0, "K1", "Well", {2, 1}, false, ""},
        {R"("","n",-1,-2)", 0, "", "n", {-2, -1}, false, ""},
        {R"("K""1","it's",1,2,'http://x/"y"')",
         0,
         R"(K""1)",
         "it's",
         {2, 1},
         true,
         R"(http://x/"y")"},
        {R"('it''s',"n",1,2)", 0, "it''s", "n", {2, 1}, false, ""},
        {R"("K1","n",1)", kWlxReadError, "K1", "n", {}, false, ""},
        {R"("K1",1,2)", kWlxReadError, "K1", "", {}, false, ""},
        {R"("K1","n";1;2)", kWlxReadError, "K1", "n", {}, false, ""},
        {R"("K1","n",1,x)", kWlxReadError, "K1", "n", {}, false, ""},
        {R"(1,2)", kWlxReadError, "", "", {}, false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        CsvLine line;
        EXPECT_EQ(ParseCsvLine(c.text, line), c.status);
        EXPECT_EQ(line.key, c.key);
        EXPECT_EQ(line.name, c.name);
        if (c.status == 0) {
            EXPECT_EQ(line.point, c.point);
        }
        EXPECT_EQ(line.hasLink, c.hasLink);
        EXPECT_EQ(line.link, c.link);
    }
}

TEST(CsvParser, ReadsPointsUntilTheEnd) {
    CMemoryLineSource source("\"K1\",\"A\",1,2\n\n\"K2\",\"B\",3,4,\"L\"\n");
    CCsvParser parser(source);
    CsvLine line;
    ASSERT_EQ(parser.ReadPoint(line), 0);
    EXPECT_EQ(line.key, "K1");
    ASSERT_EQ(parser.ReadPoint(line), 0);
    EXPECT_EQ(line.link, "L");
    EXPECT_FALSE(parser.AtEnd());
    EXPECT_EQ(parser.ReadPoint(line), kWlxEndOfData);
    EXPECT_TRUE(parser.AtEnd());
}

struct ExpectedGroup {
    std::string key;
    std::string name;
    std::vector<PointList> parts;
};

std::vector<ExpectedGroup> ReadAllGroups(const std::string& text, Status& last) {
    CMemoryLineSource source(text);
    CCsvParser parser(source);
    std::vector<ExpectedGroup> groups;
    CsvGroup group;
    while ((last = parser.ReadGroup(group)) == 0)
        groups.push_back({group.key, group.name, group.parts});
    return groups;
}

bool operator==(const ExpectedGroup& a, const ExpectedGroup& b) {
    return a.key == b.key && a.name == b.name && a.parts == b.parts;
}

void PrintTo(const ExpectedGroup& g, std::ostream* os) {
    *os << "{" << g.key << "/" << g.name << ":";
    for (const PointList& part : g.parts) {
        *os << " (";
        for (const CPoint2d& p : part) *os << p.x << " " << p.y << ",";
        *os << ")";
    }
    *os << "}";
}

TEST(CsvParser, GroupsConsecutiveLinesByKeyAndName) {
    // Lines give y before x; the points below are (x, y) = (n, 0).
    const struct {
        const char* what;
        std::string text;
        std::vector<ExpectedGroup> groups;
        Status last;
    } cases[] = {
        {"two keys",
         "'A','n',0,1\n'A','n',0,2\n'A','n',0,3\n'B','n',0,4\n'B','n',0,5\n",
         {{"A", "n", {{{1, 0}, {2, 0}, {3, 0}}}}, {"B", "n", {{{4, 0}, {5, 0}}}}},
         kWlxEndOfData},
        {"keys compare without regard to case",
         "'a','Road',0,1\n'A','ROAD',0,2\n",
         {{"a", "Road", {{{1, 0}, {2, 0}}}}},
         kWlxEndOfData},
        {"a different name ends the group",
         "'A','x',0,1\n'A','y',0,2\n",
         {{"A", "x", {{{1, 0}}}}, {"A", "y", {{{2, 0}}}}},
         kWlxEndOfData},
        {"a repeated start point starts the next part",
         "'A','n',0,0\n'A','n',0,1\n'A','n',0,2\n'A','n',0,0\n'A','n',0,3\n'A','n',0,4\n",
         {{"A", "n", {{{0, 0}, {1, 0}, {2, 0}}, {{0, 0}, {3, 0}, {4, 0}}}}},
         kWlxEndOfData},
        {"a group ending at the end right after its repeated start point is kept",
         "'A','n',0,0\n'A','n',0,1\n'A','n',0,2\n'A','n',0,0\n",
         {{"A", "n", {{{0, 0}, {1, 0}, {2, 0}}}}},
         kWlxEndOfData},
        {"lines without keys group by their empty keys",
         "'','n',0,1\n'','n',0,2\n'','m',0,3\n",
         {{"", "n", {{{1, 0}, {2, 0}}}}, {"", "m", {{{3, 0}}}}},
         kWlxEndOfData},
        {"a malformed line ends the group and fails the next read",
         "'A','n',0,1\n'A','n',0,2\n'A','n',0\n'A','n',0,3\n",
         {{"A", "n", {{{1, 0}, {2, 0}}}}},
         kWlxReadError},
        {"empty input", "\n\n", {}, kWlxEndOfData},
    };
    for (const auto& c : cases) {
        Status last = 0;
        EXPECT_EQ(ReadAllGroups(c.text, last), c.groups) << c.what;
        EXPECT_EQ(last, c.last) << c.what;
    }
}

TEST(CsvParser, KeepsTheFirstLinksOfAGroup) {
    CMemoryLineSource source("'A','n',0,1,'first'\n'A','n',0,2,'second'\n");
    CCsvParser parser(source);
    CsvGroup group;
    ASSERT_EQ(parser.ReadGroup(group), 0);
    EXPECT_EQ(group.link, "first");
    EXPECT_TRUE(parser.AtEnd());
}

}  // namespace

namespace {

TEST(CsvParser, EveryTruncationOrDamagedByteEndsCleanly) {
    const std::string file = "'A','n',1,2,'L'\n'A','n',3,4\n'A','n',1,2\n'B','m',5,6\n";
    std::vector<std::string> inputs;
    for (std::size_t length = 0; length <= file.size(); ++length)
        inputs.push_back(file.substr(0, length));
    for (std::size_t at = 0; at < file.size(); ++at)
        for (char c : {'\n', '"', '\'', ',', 'x'})
            inputs.push_back(std::string(file).replace(at, 1, 1, c));
    for (const std::string& input : inputs) {
        CMemoryLineSource source(input);
        CCsvParser parser(source);
        CsvGroup group;
        Status status;
        int groups = 0;
        while ((status = parser.ReadGroup(group)) == 0) ++groups;
        EXPECT_LE(groups, 5) << input;
        EXPECT_TRUE(status == kWlxEndOfData || status == kWlxReadError) << input << ": " << status;
    }
}

}  // namespace
