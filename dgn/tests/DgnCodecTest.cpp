#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "dgn/DgnCodec.h"
#include "dgn/tests/DgnTestDesign.h"
#include "testing/TestSupport.h"

using namespace dgntest;

TEST(DgnCodecTest, LongsAreStoredMostSignificantWordFirst) {
    const std::uint8_t a[] = {0x01, 0x00, 0x00, 0x00}, b[] = {0x00, 0x00, 0x01, 0x00};
    EXPECT_EQ(dgn::LoadLong(a), 65536);
    EXPECT_EQ(dgn::LoadLong(b), 1);
    for (const std::int32_t value : {0, -1, -5, 123456789, std::numeric_limits<std::int32_t>::min(),
                                     std::numeric_limits<std::int32_t>::max()})
        EXPECT_EQ(dgn::LoadLong(Long(value).data()), value);
    EXPECT_EQ(Long(-2), (Bytes{0xFF, 0xFF, 0xFE, 0xFF}));
}

TEST(DgnCodecTest, VaxDoublesRoundTripAndZeroLeadingBytesReadAsZero) {
    EXPECT_EQ(Double(1.0), (Bytes{0x80, 0x40, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Double(0.0), Bytes(8, 0));
    const std::uint8_t junk[] = {0, 0, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC};
    EXPECT_EQ(dgn::LoadVaxDouble(junk), 0.0);
    for (const double value : {1.0, -2.5, 1234.5678, -1e6, 1e30, 1e-30, 2147483648.0}) {
        SCOPED_TRACE(value);
        // Three fraction bits are lost on the way: exact for these values.
        EXPECT_EQ(dgn::LoadVaxDouble(Double(value).data()), value);
    }
    // Beyond VAX's range: the largest magnitude; below it: zero.
    EXPECT_GT(dgn::LoadVaxDouble(Double(1e300).data()), 1e38);
    EXPECT_EQ(dgn::LoadVaxDouble(Double(1e-300).data()), 0.0);
}

TEST(DgnCodecTest, SweepIsSignMagnitudeAndZeroIsAFullTurn) {
    EXPECT_DOUBLE_EQ(dgn::SweepDegrees(0x80000000u + 9000000u), -25.0);
    EXPECT_DOUBLE_EQ(dgn::SweepDegrees(9000000u), 25.0);
    EXPECT_DOUBLE_EQ(dgn::SweepDegrees(0), 360.0);
    EXPECT_DOUBLE_EQ(dgn::SweepDegrees(0x80000000u), -0.0);
    EXPECT_EQ(dgn::EncodeSweep(-25.0), 0x80000000u + 9000000u);
    EXPECT_EQ(dgn::EncodeSweep(360.0), 129600000u);
    EXPECT_DOUBLE_EQ(dgn::AngleDegrees(-3600000), -10.0);
}

TEST(DgnCodecTest, RangesCarryTheBiasOfTwoToTheThirtyFirst) {
    EXPECT_EQ(dgn::EncodeRange(-5), 2147483643u);
    EXPECT_EQ(dgn::EncodeRange(0), 0x80000000u);
    EXPECT_EQ(dgn::DecodeRange(0), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(dgn::DecodeRange(0xFFFFFFFFu), std::numeric_limits<std::int32_t>::max());
    for (const std::int32_t v : {-5, 0, 1, 12345678, -2147483647 - 1})
        EXPECT_EQ(dgn::DecodeRange(dgn::EncodeRange(v)), v);
}

// Designs written by ogr2ogr store each element's range as its vertex
// extremes with the bias 2^31: decoded, the low and high corners equal the
// smallest and largest stored coordinate exactly (2147483647 would be one off).
TEST(DgnCodecTest, RangeBiasMatchesDesignsOfOtherWriters) {
    for (const char* name : {"shapes.dgn", "attributes.dgn"}) {
        SCOPED_TRACE(name);
        const Bytes file =
            wlxtest::ReadBytes(wlxtest::SourcePath(std::string("dgn/tests/data/") + name));
        std::size_t checked = 0;
        for (std::size_t at = 0; at + 4 <= file.size();) {
            if (file[at] == 0xFF && file[at + 1] == 0xFF) break;
            const dgn::SDgnHeader h =
                dgn::DecodeHeader(std::span<const std::uint8_t, dgn::kHeaderSize>(
                    file.data() + at, dgn::kHeaderSize));
            const std::uint8_t type = h.type;
            if (type == dgn::kTypeLine || type == dgn::kTypeLineString || type == dgn::kTypeShape) {
                const std::size_t count =
                    type == dgn::kTypeLine ? 2 : file[at + 36] | file[at + 37] << 8;
                const std::size_t first = at + (type == dgn::kTypeLine ? 36 : 38);
                std::int32_t low[2] = {INT32_MAX, INT32_MAX}, high[2] = {INT32_MIN, INT32_MIN};
                for (std::size_t i = 0; i < count; ++i)
                    for (int axis = 0; axis < 2; ++axis) {
                        const std::int32_t c =
                            dgn::LoadLong(file.data() + first + 8 * i + 4 * axis);
                        low[axis] = std::min(low[axis], c);
                        high[axis] = std::max(high[axis], c);
                    }
                EXPECT_EQ(dgn::DecodeRange(h.range[0]), low[0]);
                EXPECT_EQ(dgn::DecodeRange(h.range[1]), low[1]);
                EXPECT_EQ(dgn::DecodeRange(h.range[3]), high[0]);
                EXPECT_EQ(dgn::DecodeRange(h.range[4]), high[1]);
                ++checked;
            }
            at += h.Length();
        }
        EXPECT_GE(checked, 5u);
    }
}

TEST(DgnCodecTest, Radix50DecodesThreeCharactersAWordWithinItsAlphabet) {
    const std::uint16_t words[] = {0,     1600,  1 * 1600 + 2 * 40 + 3,   38 * 1600 + 38 * 40 + 38,
                                   64000, 65535, 39 * 1600 + 39 * 40 + 39};
    EXPECT_EQ(dgn::Radix50ToText(std::span(words, 1)), "   ");
    EXPECT_EQ(dgn::Radix50ToText(std::span(words + 1, 1)), "A  ");
    EXPECT_EQ(dgn::Radix50ToText(std::span(words + 2, 1)), "ABC");
    EXPECT_EQ(dgn::Radix50ToText(std::span(words + 3, 1)), "999");
    // From 64000 the first code passes the alphabet's 40 characters.
    EXPECT_EQ(dgn::Radix50ToText(std::span(words + 4, 2)), "?  ?9O");
    // The alphabet has 39 characters: code 39 is none of them.
    EXPECT_EQ(dgn::Radix50ToText(std::span(words + 6, 1)), "???");
    EXPECT_EQ(dgn::TextToRadix50("cel.1$x", 2),
              (std::vector<std::uint16_t>{3 * 1600 + 5 * 40 + 12, 28 * 1600 + 30 * 40 + 27}));
    EXPECT_EQ(dgn::Radix50ToText(dgn::TextToRadix50("ab", 3)), "AB       ");
}

TEST(DgnCodecTest, HeaderFieldsAndKnownTypes) {
    const Bytes e = Element({.type = 4,
                             .level = 37,
                             .graphicGroup = 7,
                             .properties = 0x0003,
                             .symbology = 83 << 8 | 2 << 3 | 1,
                             .complex = true},
                            VerticesBody({{1, 2}, {3, 4}}), OdbcLinkage(0, 345678));
    const dgn::SDgnHeader h = dgn::DecodeHeader(
        std::span<const std::uint8_t, dgn::kHeaderSize>(e.data(), dgn::kHeaderSize));
    EXPECT_EQ(h.type, 4);
    EXPECT_EQ(h.level, 37);
    EXPECT_TRUE(h.complex);
    EXPECT_FALSE(h.deleted);
    EXPECT_EQ(h.Length(), e.size());
    EXPECT_EQ(h.graphicGroup, 7);
    EXPECT_EQ(h.Class(), 3);
    EXPECT_TRUE(h.HasAttributes());
    EXPECT_EQ(h.AttributeOffset(), e.size() - 16);
    EXPECT_EQ(h.ColourIndex(), 83);
    EXPECT_EQ(h.Weight(), 2);
    EXPECT_EQ(h.LineStyle(), 1);
    // C8 09: a 3-D control element; 08 0A is no control element.
    EXPECT_TRUE(dgn::DecodeFirstWord(0x09C8).complex);
    EXPECT_EQ(dgn::DecodeFirstWord(0x09C8).type, dgn::kTypeControl);
    EXPECT_EQ(dgn::DecodeFirstWord(0x0A08).type, 10);

    struct Case {
        std::uint16_t word;
        bool known;
    };
    const Case cases[] = {{0x0300, true}, {0x8300, false}, {0x0509, true},  {0x0500, false},
                          {0x4205, true}, {0x4209, false}, {0x0900, false}, {0x1200, false},
                          {0x1600, true}, {0x0B3F, true},  {0x0800, false}};
    for (const Case& c : cases)
        EXPECT_EQ(dgn::KnownType(dgn::DecodeFirstWord(c.word)), c.known) << c.word;
}

TEST(DgnCodecTest, LinkagesByFormAndMethod) {
    using dgn::EDgnLinkageMethod;
    const Bytes user = Cat({Word(0x1007), Bytes(14, 0)});  // 8 words of user data
    const Bytes odbc = OdbcLinkage(3, 4);
    struct Case {
        const char* what;
        Bytes area;
        EDgnLinkageMethod method;
        std::vector<std::pair<std::uint16_t, std::uint32_t>> pairs;
    };
    const Case cases[] = {
        {"16-byte form", OdbcLinkage(3, 345678), EDgnLinkageMethod::kAutomatic, {{3, 345678}}},
        {"16-byte form whatever the method",
         OdbcLinkage(3, 0xFFFFFFFF),
         EDgnLinkageMethod::kUser,
         {{3, 0xFFFFFFFF}}},
        {"database linkage",
         DmrsLinkage(9, 0x123456),
         EDgnLinkageMethod::kAutomatic,
         {{9, 0x123456}}},
        {"two of them",
         Cat({DmrsLinkage(1, 2), OdbcLinkage(4, 5)}),
         EDgnLinkageMethod::kAutomatic,
         {{1, 2}, {4, 5}}},
        {"user data, automatic", user, EDgnLinkageMethod::kAutomatic, {}},
        {"user data, user", user, EDgnLinkageMethod::kUser, {}},
        {"user data read as database linkages",
         user,
         EDgnLinkageMethod::kDmrsData,
         {{0, 0}, {0, 0}}},
        {"not a multiple of 8",
         Cat({DmrsLinkage(1, 2), Word(0)}),
         EDgnLinkageMethod::kAutomatic,
         {}},
        {"16-byte form cut short",
         Bytes(odbc.begin(), odbc.begin() + 8),
         EDgnLinkageMethod::kAutomatic,
         {}},
        {"user length that would go negative",
         Cat({Word(0x1000), Bytes(6, 0)}),
         EDgnLinkageMethod::kAutomatic,
         {}},
        {"user length past the area",
         Cat({Word(0x10FF), Bytes(6, 0), DmrsLinkage(6, 7)}),
         EDgnLinkageMethod::kAutomatic,
         {}},
        {"empty", {}, EDgnLinkageMethod::kAutomatic, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::pair<std::uint16_t, std::uint32_t>> pairs;
        for (const dgn::SDgnLinkage& l : dgn::DecodeLinkages(c.area, c.method))
            pairs.emplace_back(l.entityNumber, l.linkNumber);
        EXPECT_EQ(pairs, c.pairs);
    }
    EXPECT_EQ(dgn::LinkageMethodFromText("dmrsdata"), EDgnLinkageMethod::kDmrsData);
    EXPECT_EQ(dgn::LinkageMethodFromText("USER"), EDgnLinkageMethod::kUser);
    EXPECT_EQ(dgn::LinkageMethodFromText("Other"), EDgnLinkageMethod::kAutomatic);
}
