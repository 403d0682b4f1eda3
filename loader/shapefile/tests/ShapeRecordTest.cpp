#include <gtest/gtest.h>

#include <cstring>

#include "common/ByteOrder.h"
#include "loader/shapefile/ShapeRecord.h"

namespace {

// Builds record content field by field, little-endian.
struct Content {
    std::vector<std::uint8_t> bytes;
    Content& I32(std::uint32_t v) {
        bytes.resize(bytes.size() + 4);
        byteorder::StoreU32Le(v, bytes.data() + bytes.size() - 4);
        return *this;
    }
    Content& F64(double d) {
        bytes.resize(bytes.size() + 8);
        byteorder::StoreF64Le(d, bytes.data() + bytes.size() - 8);
        return *this;
    }
    Content& Box() { return F64(0).F64(0).F64(0).F64(0); }
    Content& Points(int n) {
        for (int i = 0; i < n; ++i) F64(i).F64(10 + i);
        return *this;
    }
};

Content Poly(std::uint32_t type, std::vector<std::uint32_t> parts, std::uint32_t points) {
    Content c;
    c.I32(type).Box().I32(static_cast<std::uint32_t>(parts.size())).I32(points);
    for (auto p : parts) c.I32(p);
    return c.Points(static_cast<int>(points));
}

TEST(ShapeRecord, ClassifiesShapesByTypeAndParts) {
    struct Case {
        const char* name;
        Content content;
        EShapeKind kind;
        int featureKind;
    } cases[] = {
        {"point", Content().I32(1).F64(1).F64(2), EShapeKind::kPoint, 1},
        {"multipoint", Content().I32(8).Box().I32(2).Points(2), EShapeKind::kMultiPoint, 1},
        {"line", Poly(3, {0}, 2), EShapeKind::kLine, 2},
        {"multiline", Poly(3, {0, 2}, 4), EShapeKind::kMultiLine, 2},
        {"polygon", Poly(5, {0}, 4), EShapeKind::kPolygon, 3},
        {"multipolygon", Poly(5, {0, 4}, 8), EShapeKind::kMultiPolygon, 3},
        {"null", Content().I32(0), EShapeKind::kSkipped, 0},
        {"no parts", Poly(3, {}, 0), EShapeKind::kSkipped, 0},
        // The Z and M types: the 2-D layout, then Z and M ranges and arrays.
        {"pointZ", Content().I32(11).F64(1).F64(2).F64(3).F64(4), EShapeKind::kPoint, 1},
        {"pointM", Content().I32(21).F64(1).F64(2).F64(4), EShapeKind::kPoint, 1},
        {"multipointZ", Content().I32(18).Box().I32(1).Points(1).F64(0).F64(0).F64(0),
         EShapeKind::kMultiPoint, 1},
        {"polylineM", Poly(23, {0}, 2).F64(0).F64(0).F64(0).F64(0), EShapeKind::kLine, 2},
        {"polygonZ", Poly(15, {0, 4}, 8).Points(4), EShapeKind::kMultiPolygon, 3},
        {"multipointM", Content().I32(28).Box().I32(2).Points(2), EShapeKind::kMultiPoint, 1},
        {"multipatch", Poly(31, {0}, 3), EShapeKind::kSkipped, 0},
    };
    for (const auto& c : cases) {
        CShapeRecord record;
        ASSERT_EQ(record.Parse(c.content.bytes), 0) << c.name;
        EXPECT_EQ(record.GetKind(), c.kind) << c.name;
        EXPECT_EQ(record.GetFeatureKind(), c.featureKind) << c.name;
        EXPECT_EQ(record.HasZOrM(), c.content.bytes[0] > 10 && c.content.bytes[0] < 30) << c.name;
        EXPECT_EQ(record.IsMultiPatch(), c.content.bytes[0] == 31) << c.name;
    }
}

TEST(ShapeRecord, RejectsEveryCountThatOverrunsTheRecord) {
    Content hugeParts = Poly(3, {0}, 2);
    hugeParts.bytes[36] = 0xFF;  // part count
    hugeParts.bytes[39] = 0x7F;
    Content hugePoints = Poly(5, {0}, 4);
    hugePoints.bytes[40] = 0xFF;  // point count
    hugePoints.bytes[43] = 0xFF;
    Content shortMulti = Content().I32(8).Box().I32(3).Points(2);
    struct Case {
        const char* name;
        Content content;
    } cases[] = {
        {"no type", Content()},
        {"point cut", Content().I32(1).F64(1)},
        {"multipoint without count", Content().I32(8).Box()},
        {"multipoint short of points", shortMulti},
        {"line without counts", Content().I32(3).Box().I32(1)},
        {"part count beyond record", hugeParts},
        {"point count beyond record", hugePoints},
        {"part start at point count", Poly(3, {0, 2}, 2)},
        {"part starts falling", Poly(3, {0, 3, 2}, 4)},
        {"empty part", Poly(5, {0, 0}, 4)},
        {"parts without points", Poly(5, {0}, 0)},
    };
    for (const auto& c : cases) {
        CShapeRecord record;
        EXPECT_EQ(record.Parse(c.content.bytes), kWlxBadFormat) << c.name;
    }
}

TEST(ShapeRecord, BuildsLittleEndianWkbOnePolygonPerPart) {
    const Content content = Poly(5, {0, 3}, 5);
    CShapeRecord record;
    ASSERT_EQ(record.Parse(content.bytes), 0);
    std::vector<std::uint8_t> wkb;
    record.BuildWkb(wkb);
    // byte order, multipolygon, 2 members; each: byte order, polygon, 1 ring, n points.
    ASSERT_EQ(wkb.size(), 9u + 2 * 13 + 5 * 16);
    EXPECT_EQ(wkb[0], 1);
    EXPECT_EQ(wkb[1], 6);
    EXPECT_EQ(wkb[5], 2);
    EXPECT_EQ(wkb[9 + 1], 3);
    EXPECT_EQ(wkb[9 + 5], 1);
    EXPECT_EQ(wkb[9 + 9], 3);
    const std::size_t second = 9 + 13 + 3 * 16;
    EXPECT_EQ(wkb[second + 9], 2);
    EXPECT_EQ(byteorder::LoadF64Le(&wkb[second + 13]), 3.0);

    const Content multipoint = Content().I32(8).Box().I32(2).Points(2);
    ASSERT_EQ(record.Parse(multipoint.bytes), 0);
    record.BuildWkb(wkb);
    ASSERT_EQ(wkb.size(), 9u + 2 * 21);
    EXPECT_EQ(wkb[9 + 21 + 1], 1);
    EXPECT_EQ(byteorder::LoadF64Le(&wkb[9 + 21 + 5]), 1.0);
}

}  // namespace
