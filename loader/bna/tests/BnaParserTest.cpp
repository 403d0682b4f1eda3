#include <gtest/gtest.h>

#include "loader/bna/BnaParser.h"

namespace {

struct HeaderCase {
    const char* line;
    Status status;
    int fields;
    const char* name;
    const char* key;
    const char* layer;
    int count;
};

TEST(BnaParser, ParsesHeaders) {
    const HeaderCase cases[] = {
        {R"("Main St","","K1","Roads",-3)", 0, 4, "Main St", "K1", "Roads", -3},
        {R"("A","B", 1)", 0, 2, "A", "", "", 1},
        {R"("A","B","","Roads ",5)", 0, 4, "A", "", "Roads", 5},
        {R"("Say ""hi""","x","k","l",+1)", 0, 4, R"(Say ""hi"")", "k", "l", 1},
        {R"(  "A"  ,  "B"  ,  "C"  ,  -2  )", 0, 3, "A", "C", "", -2},
        {R"(,7)", 0, 0, "", "", "", 7},
        {R"("A","B")", kWlxReadError, 2, "A", "", "", 0},
        {R"("A","B",x)", kWlxReadError, 2, "A", "", "", 0},
        {R"("unterminated,5)", kWlxReadError, 0, "", "", "", 0},
        {R"("A","B","C","D","E",1)", kWlxReadError, 4, "A", "C", "D", 0},
        {R"("A",99999999999)", kWlxReadError, 1, "A", "", "", 0},
        {R"(1.5, 2.5)", kWlxReadError, 0, "", "", "", 0},
    };
    for (const HeaderCase& c : cases) {
        SCOPED_TRACE(c.line);
        BnaHeader header;
        EXPECT_EQ(ParseBnaHeader(c.line, header), c.status);
        EXPECT_EQ(header.fieldCount, c.fields);
        EXPECT_EQ(header.name, c.name);
        EXPECT_EQ(header.key, c.key);
        EXPECT_EQ(header.layer, c.layer);
        if (c.status == 0) {
            EXPECT_EQ(header.count, c.count);
        }
    }
}

TEST(BnaParser, CountGivesKindAndLineCount) {
    const struct {
        int count;
        EBnaKind kind;
        std::int64_t lines;
    } cases[] = {
        {1, kBnaPoint, 1},   {-2, kBnaLine, 2}, {-500, kBnaLine, 500},
        {4, kBnaPolygon, 4}, {0, kBnaNone, 0},  {-1, kBnaNone, 1},
        {2, kBnaNone, 2},    {3, kBnaNone, 3},  {-2147483647 - 1, kBnaLine, 2147483648LL},
    };
    for (const auto& c : cases) {
        BnaHeader header;
        header.count = c.count;
        EXPECT_EQ(header.Kind(), c.kind) << c.count;
        EXPECT_EQ(header.LineCount(), c.lines) << c.count;
    }
}

TEST(BnaParser, ParsesCoordinates) {
    const struct {
        const char* line;
        Status status;
        CPoint2d point;
    } cases[] = {
        {"1.5,2.5", 0, {1.5, 2.5}},     {"  -10 ,  +3e2  ", 0, {-10, 300}},
        {"1 2", kWlxReadError, {}},     {"1,", kWlxReadError, {}},
        {"nan,1", kWlxReadError, {}},   {"1,inf", kWlxReadError, {}},
        {"1e999,1", kWlxReadError, {}},
    };
    for (const auto& c : cases) {
        CPoint2d point;
        EXPECT_EQ(ParseBnaCoordinate(c.line, point), c.status) << c.line;
        if (c.status == 0) {
            EXPECT_EQ(point, c.point) << c.line;
        }
    }
}

TEST(BnaParser, ReadsRecordsAcrossBlankLines) {
    CMemoryLineSource source(
        "\"Road\",\"\",\"K1\",\"Roads\",-3\r\n"
        "0,0\r\n"
        "\r\n"
        "1,1\r\n"
        "   \r\n"
        "2,0\r\n"
        "\"Skipped\",\"\",\"K2\",\"Other\",-2\n"
        "\n"
        "5,5\n"
        "\n"
        "6,6\n"
        "\"Well\",\"\",\"K3\",\"Wells\",1\n"
        "7,8\n");
    BnaHeader header;
    PointList points;
    ASSERT_EQ(ReadBnaHeader(source, header), 0);
    ASSERT_EQ(ReadBnaCoordinates(source, header, points), 0);
    EXPECT_EQ(points, (PointList{{0, 0}, {1, 1}, {2, 0}}));

    // A record passed over skips its coordinate lines as they are read, so
    // blank lines inside it do not shift the next header.
    ASSERT_EQ(ReadBnaHeader(source, header), 0);
    EXPECT_EQ(header.key, "K2");
    ASSERT_EQ(SkipBnaCoordinates(source, header), 0);
    ASSERT_EQ(ReadBnaHeader(source, header), 0);
    EXPECT_EQ(header.key, "K3");
    ASSERT_EQ(ReadBnaCoordinates(source, header, points), 0);
    EXPECT_EQ(points, (PointList{{7, 8}}));
    EXPECT_EQ(ReadBnaHeader(source, header), kWlxEndOfData);
}

TEST(BnaParser, EndOfFileInsideARecordIsAnError) {
    for (bool skip : {false, true}) {
        CMemoryLineSource source("\"A\",\"\",\"K\",\"L\",-3\n0,0\n1,1\n\n");
        BnaHeader header;
        PointList points;
        ASSERT_EQ(ReadBnaHeader(source, header), 0);
        const Status status =
            skip ? SkipBnaCoordinates(source, header) : ReadBnaCoordinates(source, header, points);
        EXPECT_EQ(status, kWlxUnexpectedEof) << skip;
    }
}

TEST(BnaParser, MalformedCoordinateLineFailsTheRecord) {
    CMemoryLineSource source("\"A\",\"\",\"K\",\"L\",-3\n0,0\n\"B\",\"\",\"K\",\"L\",1\n1,1\n");
    BnaHeader header;
    PointList points;
    ASSERT_EQ(ReadBnaHeader(source, header), 0);
    EXPECT_EQ(ReadBnaCoordinates(source, header, points), kWlxReadError);
}

TEST(BnaParser, SplitsPolygonRecordsIntoRings) {
    const CPoint2d p0{0, 0}, p1{4, 0}, p2{4, 4}, p3{0, 4};
    const CPoint2d q0{1, 1}, q1{2, 1}, q2{2, 2}, q3{1, 2};
    const struct {
        const char* what;
        PointList points;
        std::vector<PointList> rings;
    } cases[] = {
        {"closed ring", {p0, p1, p2, p3, p0}, {{p0, p1, p2, p3, p0}}},
        {"island closed by the first point",
         {p0, p1, p2, p3, p0, q0, q1, q2, q3, p0},
         {{p0, p1, p2, p3, p0}, {q0, q1, q2, q3, p0}}},
        {"never closed", {p0, p1, p2, p3}, {{p0, p1, p2, p3}}},
        {"second ring left open", {p0, p1, p2, p0, q0, q1, q2}, {{p0, p1, p2, p0}, {q0, q1, q2}}},
        {"ring opening on the first point", {p0, p1, p0, p0, p2, p0}, {{p0, p1, p0}, {p0, p2, p0}}},
    };
    for (const auto& c : cases) EXPECT_EQ(SplitBnaRings(c.points), c.rings) << c.what;
}

}  // namespace

namespace {

// Every prefix of a good file, and the file with any one byte replaced,
// reads to its end or to a clear error.
TEST(BnaParser, EveryTruncationOrDamagedByteEndsCleanly) {
    const std::string file =
        "\"Road\",\"\",\"K1\",\"Roads\",-3\n0,0\n1,1\n2,0\n"
        "\"Lake\",\"\",\"K2\",\"Water\",10\n0,0\n4,0\n4,4\n0,4\n0,0\n1,1\n2,1\n2,2\n1,2\n0,0\n"
        "\"Well\",\"\",\"\",\"Wells\",1\n7,8\n";
    for (std::size_t length = 0; length <= file.size(); ++length) {
        CMemoryLineSource source(file.substr(0, length));
        BnaHeader header;
        PointList points;
        Status status;
        while ((status = ReadBnaHeader(source, header)) == 0 &&
               (status = ReadBnaCoordinates(source, header, points)) == 0) {
        }
        EXPECT_TRUE(status == kWlxEndOfData || status == kWlxUnexpectedEof ||
                    status == kWlxReadError)
            << length << ": " << status;
    }
}

}  // namespace
