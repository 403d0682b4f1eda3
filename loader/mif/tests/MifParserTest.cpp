#include <gtest/gtest.h>

#include <cmath>

#include "loader/mif/MifParser.h"

namespace {

TEST(MifParser, ReadsTheHeader) {
    CMemoryLineSource source(
        "Version 300\n"
        "Charset \"Neutral\"\n"
        "DELIMITER \";\"\n"
        "Unique 3\n"
        "index 2\n"
        "CoordSys Earth Projection 1, 104\n"
        "Columns 8\n"
        "  Name Char(20)\n"
        "  Pop Integer\n"
        "  Small smallint\n"
        "  Flag Logical\n"
        "  Price Decimal ( 10 , 2 )\n"
        "  Area Float\n"
        "  Since Date\n"
        "  Note CHAR (254)\n"
        "Data\n"
        "\n"
        "Point 1 2\n");
    MifHeader header;
    ASSERT_EQ(ReadMifHeader(source, header), 0);
    EXPECT_EQ(header.delimiter, ';');
    EXPECT_EQ(header.unique, 3);
    EXPECT_EQ(header.index, 2);
    const std::vector<MifColumn> expected = {
        {"Name", kMifColumnText, 20, 0},    {"Pop", kMifColumnInt, 0, 0},
        {"Small", kMifColumnInt, 0, 0},     {"Flag", kMifColumnInt, 0, 0},
        {"Price", kMifColumnDouble, 10, 2}, {"Area", kMifColumnDouble, 0, 0},
        {"Since", kMifColumnText, 256, 0},  {"Note", kMifColumnText, 254, 0},
    };
    EXPECT_EQ(header.columns, expected);
    // The header ends with its DATA line.
    std::string line;
    ASSERT_EQ(source.ReadLine(line), 0);
    EXPECT_EQ(line, "Point 1 2");
}

TEST(MifParser, ReadsTheDelimiter) {
    const struct {
        const char* line;
        char delimiter;
    } cases[] = {
        {"Delimiter \",\"", ','},   {"Delimiter '|'", '|'},   {"Delimiter ;", ';'},
        {"Delimiter \"\t\"", '\t'}, {"Delimiter \" \"", ' '}, {"Version 300", '\t'},
    };
    for (const auto& c : cases) {
        CMemoryLineSource source(std::string(c.line) + "\nData\n");
        MifHeader header;
        ASSERT_EQ(ReadMifHeader(source, header), 0) << c.line;
        EXPECT_EQ(header.delimiter, c.delimiter) << c.line;
    }
}

TEST(MifParser, RejectsBadHeaders) {
    const struct {
        const char* text;
        Status status;
    } cases[] = {
        {"Columns 1\n  T Time\nData\n", kWlxNotSupported},
        {"Columns 1\n  T DateTime\nData\n", kWlxNotSupported},
        {"Columns 1\n  C Char\nData\n", kWlxNotSupported},
        {"Columns 1\n  D Decimal(10)\nData\n", kWlxNotSupported},
        {"Columns 1\n  OnlyAName\nData\n", kWlxNotSupported},
        {"Columns x\nData\n", kWlxReadError},
        {"Columns 3\n  A Integer\n", kWlxUnexpectedEof},
        {"Version 300\nColumns 1\n  A Integer\n", kWlxUnexpectedEof},
        {"", kWlxUnexpectedEof},
    };
    for (const auto& c : cases) {
        CMemoryLineSource source(c.text);
        MifHeader header;
        EXPECT_EQ(ReadMifHeader(source, header), c.status) << c.text;
    }
}

struct ObjectSummary {
    int kind;
    EMifShape shape;
    std::vector<std::size_t> partSizes;
    std::string text;

    friend bool operator==(const ObjectSummary&, const ObjectSummary&) = default;
};

void PrintTo(const ObjectSummary& o, std::ostream* os) {
    *os << "{kind " << o.kind << ", shape " << static_cast<int>(o.shape) << ", parts";
    for (std::size_t n : o.partSizes) *os << " " << n;
    *os << ", text '" << o.text << "'}";
}

std::vector<ObjectSummary> ReadAll(const std::string& data, Status& last) {
    CMemoryLineSource source(data);
    std::vector<ObjectSummary> objects;
    MifObject object;
    while ((last = ReadMifObject(source, object)) == 0) {
        ObjectSummary summary{object.kind, object.shape, {}, object.text};
        for (const PointList& part : object.parts) summary.partSizes.push_back(part.size());
        objects.push_back(summary);
    }
    return objects;
}

TEST(MifParser, ReadsEveryTopLevelObjectOnce) {
    using S = EMifShape;
    const std::string data =
        "Point 1 2\n"
        "    Symbol (35,0,12)\n"
        "Line 0 0 1 1\n"
        "    Pen (1,2,0)\n"
        "Pline 3\n0 0\n1 1\n2 0\n"
        "PLINE\n  2\n0 0\n1 1\n"
        "Pline Multiple 2\n  3\n0 0\n1 1\n2 2\n  2\n5 5\n6 6\n"
        "    Smooth\n"
        "Region 2\n  4\n0 0\n0 9\n9 9\n0 0\n  4\n1 1\n1 2\n2 2\n1 1\n"
        "    Brush (2,16777215,16777215)\n    Center 4.5 4.5\n"
        "none\n"
        "MultiPoint 3\n1 1\n2 2\n3 3\n    Symbol (35,0,12)\n"
        "Collection 3\n"
        "  Region 1\n  4\n0 0\n0 1\n1 1\n0 0\n    Pen (1,2,0)\n"
        "  Pline 2\n0 0\n1 1\n"
        "  Multipoint 1\n4 4\n"
        "Rect 0 0 10 5\n"
        "RoundRect 0 0 10 5\n  0.5\n"
        "Ellipse 0 0 10 4\n"
        "Arc 0 0 10 10\n  0 90\n"
        "Arc 0 0 10 10 90 180\n"
        "Text \"Same line\"\n  1 2 3 4\n    Font (\"Arial\",0,0,0)\n"
        "Text\n    'Next line'\n  1 2 3 4\n";
    Status last = 0;
    const std::vector<ObjectSummary> expected = {
        {1, S::kPoint, {1}, ""},
        {2, S::kLineString, {2}, ""},
        {2, S::kLineString, {3}, ""},
        {2, S::kLineString, {2}, ""},
        {2, S::kMultiLineString, {3, 2}, ""},
        {3, S::kMultiPolygon, {4, 4}, ""},
        {0, S::kNone, {}, ""},
        {0, S::kNone, {}, ""},
        {0, S::kNone, {}, ""},
        {3, S::kPolygon, {5}, ""},
        {3, S::kPolygon, {5}, ""},
        {3, S::kPolygon, {122}, ""},
        {2, S::kLineString, {32}, ""},
        {2, S::kLineString, {32}, ""},
        {1, S::kPoint, {1}, "Same line"},
        {1, S::kPoint, {1}, "Next line"},
    };
    EXPECT_EQ(ReadAll(data, last), expected);
    EXPECT_EQ(last, kWlxEndOfData);
}

TEST(MifParser, BuildsShapesFromCorners) {
    const struct {
        const char* data;
        PointList points;
    } cases[] = {
        {"Rect 0 0 10 5\n", {{0, 0}, {0, 5}, {10, 5}, {10, 0}, {0, 0}}},
        {"Roundrect 10 5 0 0\n 2\n", {{10, 5}, {10, 0}, {0, 0}, {0, 5}, {10, 5}}},
        {"Text \"T\"\n 8 2 3 6\n", {{3, 6}}},
        {"Line 1 2 3 4\n", {{1, 2}, {3, 4}}},
    };
    for (const auto& c : cases) {
        CMemoryLineSource source(c.data);
        MifObject object;
        ASSERT_EQ(ReadMifObject(source, object), 0) << c.data;
        ASSERT_EQ(object.parts.size(), 1u) << c.data;
        EXPECT_EQ(object.parts[0], c.points) << c.data;
    }
}

TEST(MifParser, TracesArcsEveryThreeDegrees) {
    CMemoryLineSource source("Arc 0 0 10 10 0 90\n");
    MifObject object;
    ASSERT_EQ(ReadMifObject(source, object), 0);
    // The 30th step lands a hair off the end angle, so the end point follows
    // it as a point of its own.
    const PointList& arc = object.parts.at(0);
    ASSERT_EQ(arc.size(), 32u);
    EXPECT_EQ(arc.front(), (CPoint2d{10, 5}));
    EXPECT_NEAR(arc.back().x, 5, 1e-12);
    EXPECT_NEAR(arc.back().y, 10, 1e-12);
    for (std::size_t i = 0; i < arc.size(); ++i) {
        const double angle = std::atan2(arc[i].y - 5, arc[i].x - 5) * 180 / M_PI;
        EXPECT_NEAR(angle, 3.0 * static_cast<double>(std::min<std::size_t>(i, 30)), 1e-9) << i;
        EXPECT_NEAR(std::hypot(arc[i].x - 5, arc[i].y - 5), 5, 1e-12) << i;
    }
}

TEST(MifParser, TracesEllipsesWithTheirOwnRadii) {
    const struct {
        const char* data;
        CPoint2d centre;
        double rx, ry;
    } cases[] = {
        {"Ellipse 0 0 10 4\n", {5, 2}, 5, 2},
        // A box of no width has no ratio of its sides, but its radii are plain.
        {"Ellipse 3 0 3 8\n", {3, 4}, 0, 4},
        {"Arc 3 0 3 8 0 180\n", {3, 4}, 0, 4},
    };
    for (const auto& c : cases) {
        CMemoryLineSource source(c.data);
        MifObject object;
        ASSERT_EQ(ReadMifObject(source, object), 0) << c.data;
        const PointList& ring = object.parts.at(0);
        EXPECT_NEAR(ring.front().x, c.centre.x + c.rx, 1e-12) << c.data;
        EXPECT_NEAR(ring.front().y, c.centre.y, 1e-12) << c.data;
        for (const CPoint2d& p : ring) {
            ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y)) << c.data;
            EXPECT_LE(std::fabs(p.x - c.centre.x), c.rx + 1e-12) << c.data;
            EXPECT_LE(std::fabs(p.y - c.centre.y), c.ry + 1e-12) << c.data;
        }
    }
}

TEST(MifParser, ArcOfEqualAnglesIsAFullTurnAndHugeAnglesEnd) {
    PointList points;
    TraceMifArc(0, 0, 1, 1, 45, 45, true, points);
    EXPECT_EQ(points.size(), 122u);
    points.clear();
    TraceMifArc(0, 0, 1, 1, 1e300, -1e300, true, points);
    EXPECT_LE(points.size(), 122u);
}

TEST(MifParser, RejectsMalformedObjects) {
    const struct {
        const char* data;
        Status status;
    } cases[] = {
        {"Point 1\n", kWlxReadError},
        {"Point\n", kWlxReadError},
        {"Point nan 1\n", kWlxReadError},
        {"Line 0 0 1\n", kWlxReadError},
        {"Region 0\n", kWlxReadError},
        {"Region x\n", kWlxReadError},
        {"Region 1\n  -3\n", kWlxReadError},
        {"Region 1\n  3\n0 0\n1 1\n", kWlxUnexpectedEof},
        {"Region 2\n  2\n0 0\n1 1\n", kWlxUnexpectedEof},
        {"Pline 2\n0 0\nx y\n", kWlxReadError},
        {"Pline\n", kWlxUnexpectedEof},
        {"Pline Multiple 0\n", kWlxReadError},
        {"Pline Multiple 2\n 1\n0 0\n", kWlxUnexpectedEof},
        {"Arc 0 0 10 10\n", kWlxUnexpectedEof},
        {"Arc 0 0 10 10\n 0\n", kWlxReadError},
        {"Ellipse 0 0 10\n", kWlxReadError},
        {"Rect\n", kWlxReadError},
        {"Roundrect 0 0 1 1\n", kWlxUnexpectedEof},
        {"Roundrect 0 0 1 1\nPoint 1 2\n", kWlxReadError},
        {"Text\n", kWlxUnexpectedEof},
        {"Text \"unclosed\n  1 2 3 4\n", kWlxUnexpectedEof},
        {"Text \"t\"\n  1 2 3\n", kWlxReadError},
        {"MultiPoint\n", kWlxReadError},
        {"MultiPoint 2\n1 1\n", kWlxUnexpectedEof},
        {"Collection 2\n  Pline 2\n0 0\n1 1\n", kWlxUnexpectedEof},
        {"Collection 1\n  Point 1 2\n", kWlxReadError},
        {"Collection 1\n  1 2\n", kWlxReadError},
    };
    for (const auto& c : cases) {
        CMemoryLineSource source(c.data);
        MifObject object;
        EXPECT_EQ(ReadMifObject(source, object), c.status) << c.data;
    }
}

TEST(MifParser, SplitsMidRows) {
    const struct {
        const char* row;
        char delimiter;
        std::size_t columns;
        std::vector<std::string> values;
    } cases[] = {
        {"a;b;c", ';', 3, {"a", "b", "c"}},
        {"\"x, y\",5", ',', 2, {"x, y", "5"}},
        {"\"Caf\xC3\xA9 \"\"Q\"\", x\",5,1.25", ',', 3, {"Caf\xC3\xA9 \"Q\", x", "5", "1.25"}},
        {"'it''s',2", ',', 2, {"it's", "2"}},
        {"\"\",,,0", ',', 4, {"", "", "", "0"}},
        {"", ',', 3, {"", "", ""}},
        {"a,b", ',', 3, {"a", "b", ""}},
        {"a,b,c,d", ',', 3, {"a", "b", "c,d"}},
        {"a,b,\"c\"", ',', 3, {"a", "b", "c"}},
        {" a , \" b \" ", ',', 2, {"a", " b "}},
        {"a\t\tc", '\t', 3, {"a", "", "c"}},
        {"\"tab\tinside\"\t2", '\t', 2, {"tab\tinside", "2"}},
        {"\"open,5", ',', 2, {"\"open", "5"}},
        {"only", ',', 1, {"only"}},
        {"x", ',', 0, {}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> values{"stale"};
        SplitMidRow(c.row, c.delimiter, c.columns, values);
        EXPECT_EQ(values, c.values) << c.row;
    }
}

}  // namespace

namespace {

TEST(MifParser, EveryTruncationOrDamagedByteEndsCleanly) {
    const std::string file =
        "Version 300\nDelimiter \",\"\nColumns 2\n  a Char(10)\n  b Decimal(5,2)\nData\n"
        "Point 1 2\nPline Multiple 2\n 2\n0 0\n1 1\n 2\n2 2\n3 3\nRegion 1\n 4\n0 0\n0 1\n1 1\n0 "
        "0\n"
        "Arc 0 0 10 10\n 0 90\nRoundrect 0 0 1 1\n 0.1\nText\n \"t\"\n 0 0 1 1\n"
        "Collection 2\n Pline 2\n0 0\n1 1\n Multipoint 1\n1 1\n";
    std::vector<std::string> inputs;
    for (std::size_t length = 0; length <= file.size(); ++length)
        inputs.push_back(file.substr(0, length));
    for (std::size_t at = 0; at < file.size(); ++at)
        for (char c : {'\n', '"', '-', 'x', '9', ' '})
            inputs.push_back(std::string(file).replace(at, 1, 1, c));
    for (const std::string& input : inputs) {
        CMemoryLineSource source(input);
        MifHeader header;
        Status status = ReadMifHeader(source, header);
        MifObject object;
        while (status == 0) status = ReadMifObject(source, object);
        EXPECT_TRUE(status == kWlxEndOfData || status == kWlxUnexpectedEof ||
                    status == kWlxReadError || status == kWlxNotSupported)
            << input << ": " << status;
    }
}

}  // namespace
