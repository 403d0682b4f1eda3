#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "loader/core/TextFile.h"
#include "nativeformat/WltFormat.h"
#include "testing/TestSupport.h"

namespace {

// Points named by letters: 'a' is (1, 10), 'b' (2, 20) and so on.
CPoint2d P(char name) {
    const double n = name - 'a' + 1;
    return CPoint2d{n, 10 * n};
}

std::vector<CPoint2d> Points(std::string_view names) {
    std::vector<CPoint2d> points;
    for (char c : names) points.push_back(P(c));
    return points;
}

std::string Names(const std::vector<CPoint2d>& points) {
    std::string names;
    for (const CPoint2d& p : points) names.push_back(static_cast<char>('a' + p.x - 1));
    return names;
}

std::string PartNames(const CWltParts& decoded) {
    std::string text;
    for (const auto& part : decoded.parts) text += (text.empty() ? "" : " ") + Names(part);
    return text;
}

TEST(WltFormatTest, LinesAreEncodedAsTheirParts) {
    struct Case {
        const char* line;
        bool member;
        const char* written;  // empty: too few points
        const char* readBack;
    };
    const Case cases[] = {
        {"abcd", false, "abcd", "abcd"},
        {"ab", false, "ab", "ab"},
        {"ab", true, "aba", "ab"},
        {"abc", true, "abca", "abc"},
        {"abca", false, "abcacac", "abc ca"},
        {"abcad", false, "abcacadc", "abc cad"},
        {"aba", false, "ababab", "ab ba"},
        // A point repeated at the start of a part would end it at once.
        {"aabc", false, "abc", "abc"},
        {"abbcc", true, "abca", "abc"},
        {"a", false, "", ""},
        {"aa", false, "", ""},
        {"aaa", true, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        std::vector<CPoint2d> points = Points(c.line);
        EXPECT_EQ(PrepareWltLine(points, c.member), *c.written != '\0');
        EXPECT_EQ(Names(points), c.written);
        EXPECT_EQ(PartNames(DecodeWltParts(points, false)), c.readBack);
    }
}

TEST(WltFormatTest, RingsAreEncodedAsTheirParts) {
    struct Case {
        const char* ring;
        const char* written;
        const char* readBack;
    };
    const Case cases[] = {
        {"abca", "abca", "abca"},
        {"abc", "abca", "abca"},
        {"abcadea", "abcaadea", "abca adea"},
        {"aabbca", "abca", "abca"},
        // A spike back to the first point keeps both of its sides.
        {"abaca", "abaaca", "aba aca"},
        {"ab", "", ""},
        {"aba", "", ""},
        {"aab", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ring);
        std::vector<CPoint2d> points = Points(c.ring);
        EXPECT_EQ(PrepareWltRing(points), *c.written != '\0');
        EXPECT_EQ(Names(points), c.written);
        EXPECT_EQ(PartNames(DecodeWltParts(points, true)), c.readBack);
    }
}

// The segments a path draws, in order.
std::vector<std::pair<char, char>> Segments(const std::string& path) {
    std::vector<std::pair<char, char>> segments;
    for (std::size_t i = 1; i < path.size(); ++i)
        if (path[i] != path[i - 1]) segments.emplace_back(path[i - 1], path[i]);
    return segments;
}

// Every sequence over a small alphabet, so that every way a point can come
// back is met: what the reader decodes draws the segments of what was written.
TEST(WltFormatTest, EveryPathOfFewPointsSurvivesTheEncoding) {
    const std::string alphabet = "abcd";
    for (int length = 1; length <= 7; ++length) {
        std::string path(length, 'a');
        for (;;) {
            for (bool ring : {false, true}) {
                std::vector<CPoint2d> points = Points(path);
                const bool written = ring ? PrepareWltRing(points) : PrepareWltLine(points, false);
                if (!written) continue;
                std::string drawn = ring ? path + path[0] : path;
                std::vector<std::pair<char, char>> decoded;
                for (const auto& part : DecodeWltParts(points, ring).parts) {
                    auto segments = Segments(Names(part));
                    decoded.insert(decoded.end(), segments.begin(), segments.end());
                }
                ASSERT_EQ(decoded, Segments(drawn)) << (ring ? "ring " : "line ") << path;
            }
            int i = length - 1;
            while (i >= 0 && path[i] == alphabet.back()) path[i--] = alphabet.front();
            if (i < 0) break;
            path[i] = alphabet[alphabet.find(path[i]) + 1];
        }
    }
}

TEST(WltFormatTest, MembersOfAMultiLineDecodeOneByOne) {
    std::vector<CPoint2d> first = Points("abc");
    std::vector<CPoint2d> second = Points("de");
    ASSERT_TRUE(PrepareWltLine(first, true));
    ASSERT_TRUE(PrepareWltLine(second, true));
    first.insert(first.end(), second.begin(), second.end());
    EXPECT_EQ(Names(first), "abcaded");
    const CWltParts decoded = DecodeWltParts(first, false);
    EXPECT_EQ(PartNames(decoded), "abc de");
    EXPECT_EQ(decoded.closed, 2);
}

TEST(WltFormatTest, RecordHeadersQuoteTheirTexts) {
    EXPECT_EQ(FormatWltRecordHeader('L', "Main \"St\"", "k1", "", 4),
              "L,\"Main \"\"St\"\"\",\"k1\",\"\",4\n");
    EXPECT_EQ(FormatWltRecordHeader('M', "two\nlines", "", "http://x", 1),
              "M,\"two lines\",\"\",\"http://x\",1\n");

    CWltRecordHeader header;
    ASSERT_EQ(ParseWltRecordHeader("L,\"Main \"\"St\"\"\",\"k1\",\"\",4", header), 0);
    EXPECT_EQ(header.kind, 'L');
    EXPECT_EQ(header.name, "Main \"St\"");
    EXPECT_EQ(header.key, "k1");
    EXPECT_EQ(header.link, "");
    EXPECT_EQ(header.count, 4);
}

TEST(WltFormatTest, RecordHeaderFieldsAndCounts) {
    struct Case {
        const char* line;
        Status status;
        char kind;
        const char* name;
        bool hasLink;
        int count;
    };
    const Case cases[] = {
        {"p,\"n, with comma\",\"k\",\"l\", 12 ", 0, 'P', "n, with comma", true, 12},
        {"m,\"n\",\"k\",3", 0, 'M', "n", false, 3},
        {"L,\"n\",\"k\",\"l\",+5", 0, 'L', "n", true, 5},
        {"L,\"n\",\"k\",\"l\",0", kLoaderWltPointCountError, 'L', "n", true, 0},
        {"L,\"n\",\"k\",\"l\",-2", kLoaderWltPointCountError, 'L', "n", true, 0},
        {"L,\"n\",\"k\",\"l\",", kWlxReadError, 'L', "n", true, 0},
        {"L,\"n\",\"k\",\"l\",x", kWlxReadError, 'L', "n", true, 0},
        {"L,\"n\",\"k\",\"l\" 4", kWlxReadError, 'L', "n", true, 0},
        {"L,\"n\",\"k\",\"l", kWlxReadError, 'L', "n", true, 0},
        {"L,\"n\",k,4", kWlxReadError, 'L', "n", true, 0},
        {"L,\"n", kWlxReadError, 'L', "", true, 0},
        {"L,4", kWlxReadError, 'L', "", true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        CWltRecordHeader header;
        ASSERT_EQ(ParseWltRecordHeader(c.line, header), c.status);
        if (c.status != 0) continue;
        EXPECT_EQ(header.kind, c.kind);
        EXPECT_EQ(header.name, c.name);
        EXPECT_EQ(header.link.has_value(), c.hasLink);
        EXPECT_EQ(header.count, c.count);
    }
}

TEST(WltFormatTest, PointLinesCarryYThenX) {
    std::string text;
    AppendWltPoint(text, CPoint2d{-122.4194, 37.7749}, kWltDecimals32);
    AppendWltPoint(text, CPoint2d{0.1, -0.5}, kWltDecimals64);
    EXPECT_EQ(text, "37.7749000,-122.4194000\n-0.500000000000000,0.100000000000000\n");

    struct Case {
        const char* line;
        Status status;
        double x, y;
    };
    const Case cases[] = {
        {"37.5,-122.25", 0, -122.25, 37.5},
        {"  1e2 ,  -3 ", 0, -3, 100},
        {"1,2,3", 0, 2, 1},
        {"1 2", kWlxReadError, 0, 0},
        {"1,", kWlxReadError, 0, 0},
        {"L,\"a\",\"b\",\"c\",1", kWlxReadError, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        CPoint2d point;
        ASSERT_EQ(ParseWltPoint(c.line, point), c.status);
        if (c.status == 0) {
            EXPECT_EQ(point, (CPoint2d{c.x, c.y}));
        }
    }
}

TEST(WltFormatTest, RoundingGivesWhatTheReaderSees) {
    // Two points apart by less than the last written decimal are one point
    // to the reader.
    EXPECT_EQ(RoundToWltText(1.00000001, kWltDecimals32), RoundToWltText(1.00000002, 7));
    EXPECT_EQ(RoundToWltText(1.00000001, kWltDecimals64), 1.00000001);
    std::vector<CPoint2d> line = {{1.00000001, 0}, {1.00000002, 0}, {2, 0}};
    for (CPoint2d& p : line) p.x = RoundToWltText(p.x, kWltDecimals32);
    ASSERT_TRUE(PrepareWltLine(line, false));
    EXPECT_EQ(line.size(), 2u);
}

// The header as the reader meets it in a file.
Status ReadHeader(const std::string& text, CWltHeader& header, std::string* next = nullptr) {
    wlxtest::TempDir dir;
    wlxtest::WriteText(dir / "h.wlt", text);
    CTextFile file((dir / "h.wlt").string());
    if (const Status status = file.OpenRead()) return status;
    const Status status = ReadWltHeader(file, header);
    if (status == 0 && next) ReadWltLine(file, *next);
    return status;
}

TEST(WltFormatTest, VersionLines) {
    struct Case {
        const char* line;
        Status status;
    };
    const Case cases[] = {
        {"#VERSION=2.1", 0},
        {"#VERSION=2.0", 0},
        {"#VERSION=2", 0},
        {"#VERSION=1.9", 0},
        {"#VERSION=3.0", kWlxInvalidVersion},
        {"#VERSION=", kWlxInvalidVersion},
        {"#VERSION=.1", kWlxInvalidVersion},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        CWltHeader header;
        std::string next;
        EXPECT_EQ(
            ReadHeader(std::string(c.line) + "\r\nM,\"a\",\"b\",\"c\",1\r\n1,2\r\n", header, &next),
            c.status);
        if (c.status == 0) {
            EXPECT_EQ(next, "M,\"a\",\"b\",\"c\",1");
        }
    }
}

TEST(WltFormatTest, HeaderWithoutRecordsEndsTheFile) {
    CWltHeader header;
    EXPECT_EQ(ReadHeader(FormatWltHeader(nullptr), header), kWlxEndOfData);
    EXPECT_EQ(header.version, 2);
    EXPECT_FALSE(header.coordSysText);
    EXPECT_EQ(ReadHeader("", header), kWlxEndOfData);
}

TEST(WltFormatTest, MetadataBlocks) {
    const std::string text =
        "; comment\n"
        "#VERSION=2.1\n"
        "#METADATA_BEGIN=Other\n"
        "#anything\n"
        "#metadata_end\n"
        "#METADATA_BEGIN=coordinatesystem\n"
        "#GEOGCS[\"WGS 84\",  \n"
        "not a header line\n"
        "#DATUM[x]]\n"
        "#METADATA_END  \n"
        "P,\"\",\"\",\"\",3\n";
    CWltHeader header;
    ASSERT_EQ(ReadHeader(text, header), 0);
    EXPECT_EQ(header.coordSysText, "GEOGCS[\"WGS 84\",DATUM[x]]");

    EXPECT_EQ(ReadHeader("#METADATA_BEGIN=CoordinateSystem\n#GEOGCS[]\n", header),
              kLoaderWltMetadataReadError);
}

TEST(WltFormatTest, LongMetadataIsSpreadOverLines) {
    // A blank falls at the end of the first piece, where the reader would drop it.
    std::string wkt = "PROJCS[\"" + std::string(3991, 'x') + " " + std::string(6000, 'y') + "\"]";
    const std::string text = FormatWltHeader(&wkt);
    EXPECT_EQ(text.substr(0, text.find("#VERSION")),
              "; Lines starting with \"#\" are header data generated by WLX Loader.\n"
              "; Do not edit these lines.\n");
    std::size_t longest = 0;
    for (std::size_t start = 0, end; start < text.size(); start = end + 1) {
        end = text.find('\n', start);
        longest = std::max(longest, end - start);
    }
    EXPECT_LE(longest, 4001u);
    CWltHeader header;
    ASSERT_EQ(ReadHeader(text + "M,\"\",\"\",\"\",1\n0,0\n", header), 0);
    EXPECT_EQ(header.coordSysText, wkt);
}

}  // namespace
