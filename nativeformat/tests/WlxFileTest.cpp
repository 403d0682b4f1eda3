#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "nativeformat/WlxFile.h"
#include "nativeformat/tests/WlxTestBytes.h"
#include "testing/TestSupport.h"

namespace {

using namespace wlxbytes;
using wlxtest::HexDiff;
using wlxtest::ReadBytes;
using wlxtest::TempDir;
using wlxtest::WriteBytes;

constexpr int kCreate = kOpenReadWrite | kOpenCreateNew;
constexpr int kAppend = kOpenReadWrite;

// Summary element: header word 0x002C and its 44 bytes.
Bytes Summary(std::uint32_t count, std::uint32_t freeHead, std::uint32_t flags,
              std::vector<double> extent) {
    return Cat({U16(0x002C), U32(count), U32(freeHead), U32(flags), F64(extent[0]), F64(extent[1]),
                F64(extent[2]), F64(extent[3])});
}

Bytes EmptySummary() {
    return Cat({U16(0x002C), Zeros(44)});
}

// Version, precision and start elements of a file without description or
// coordinate system.
Bytes PlainHeader(std::uint16_t precision) {
    return Cat({U16(0x4002), U16(2),          // version element: 2
                U16(0x4802), U16(precision),  // precision element
                U16(0x0800)});                // start of data
}

const Bytes kEnd = U16(0x0400);

std::string Path(const TempDir& dir, const char* name = "out.wlx") {
    return (dir / name).string();
}

// Reads every record; the first failure, or 0 at the end element.
Status ReadAll(CWlxFile& file, std::uint32_t* records = nullptr) {
    std::uint32_t n = 0;
    while (true) {
        int type = 0;
        Status st = file.NextRecord(type);
        if (st == kWlxEndOfData) break;
        if (st) return st;
        const char *name, *key, *link;
        std::uint32_t count;
        const std::uint32_t* parts;
        const double* points;
        double x, y;
        switch (type) {
            case kWlxPointRecord:
                st = file.ReadPoint(name, key, link, x, y);
                break;
            case kWlxLineStringRecord:
                st = file.ReadLineString(name, key, link, count, points);
                break;
            case kWlxMultiLineStringRecord:
                st = file.ReadMultiLineString(name, key, link, count, parts, points);
                break;
            case kWlxPolygonRecord:
                st = file.ReadPolygon(name, key, link, count, points);
                break;
            case kWlxMultiPolygonRecord:
                st = file.ReadMultiPolygon(name, key, link, count, parts, points);
                break;
            default:
                st = file.SkipRecord();
                break;
        }
        if (st) return st;
        ++n;
    }
    if (records) *records = n;
    return 0;
}

TEST(WlxFileTest, FileWithoutObjectsIs58Bytes) {
    TempDir dir;
    Status st = 0;
    {
        CWlxFile file(Path(dir), kCreate, st);
        ASSERT_EQ(st, 0);
        EXPECT_TRUE(file.IsNewFile());
        EXPECT_EQ(file.Finish(), 0);
    }
    const Bytes expected = Cat({EmptySummary(), PlainHeader(32), kEnd});
    ASSERT_EQ(expected.size(), 58u);
    EXPECT_EQ(HexDiff(expected, ReadBytes(Path(dir))), "");
}

// One object per case, written alone into a new file.
struct RecordCase {
    const char* what;
    std::uint16_t precision;
    std::function<Status(CWlxFile&, std::uint32_t&, double*)> write;
    Bytes record;  // the record element as stored
    std::uint32_t flags;
    std::vector<double> extent;
};

TEST(WlxFileTest, RecordsAreStoredAsTheFormatFixesThem) {
    const std::vector<double> triangle{0, 0, 1, 0, 0, 1};
    const std::vector<double> closed{0, 0, 1, 0, 0, 1, 0, 0};
    const std::vector<double> lines{0, 0, 1, 1, 2, 2};
    const std::vector<double> rings{0, 0, 1, 0, 1, 1, 2, 2, 3, 2, 3, 3, 2, 3};
    const std::uint32_t lineParts[] = {2, 1};
    const std::uint32_t ringParts[] = {3, 4};
    const RecordCase cases[] = {
        {"point, 32-bit",
         32,
         [](CWlxFile& f, std::uint32_t& o, double* e) {
             return f.WritePoint("P", "K1", "", 1, 2, o, e);
         },
         Cat({U16(0x800E),                            // tag 32, length 14
              U16(0x0150), U16(0x024B), U16(0x3100),  // "P", "K1", ""
              F32(1), F32(2)}),
         1,
         {1, 2, 1, 2}},
        {"point, 64-bit",
         64,
         [](CWlxFile& f, std::uint32_t& o, double* e) {
             return f.WritePoint("P", "K1", "", 1, 2, o, e);
         },
         Cat({U16(0x8016), U16(0x0150), U16(0x024B), U16(0x3100), F64(1), F64(2)}),
         1,
         {1, 2, 1, 2}},
        {"line string, 32-bit",
         32,
         [&](CWlxFile& f, std::uint32_t& o, double* e) {
             return f.WriteLineString("L", "", "", 2, lines.data(), o, e);
         },
         Cat({U16(0x8816),               // tag 34, length 22
              U16(0x014C), U16(0x0000),  // "L", "", ""
              U16(2),                    // point count
              F32(0), F32(0), F32(1), F32(1)}),
         2,
         {0, 0, 1, 1}},
        {"line string, 64-bit",
         64,
         [&](CWlxFile& f, std::uint32_t& o, double* e) {
             return f.WriteLineString("L", "", "", 2, lines.data(), o, e);
         },
         Cat({U16(0x8826), U16(0x014C), U16(0x0000), U16(2), F64(0), F64(0), F64(1), F64(1)}),
         2,
         {0, 0, 1, 1}},
        {"polypolyline: odd strings get a pad byte",
         32,
         [&](CWlxFile& f, std::uint32_t& o, double* e) {
             return f.WriteMultiLineString("", "", "", 2, lineParts, lines.data(), o, e);
         },
         Cat({U16(0x8C26),               // tag 35, length 38
              U16(0x0000), U16(0x0000),  // "", "", "" and the pad byte
              U16(2), U32(2), U32(1),    // part count, point counts
              F32(0), F32(0), F32(1), F32(1), F32(2), F32(2)}),
         2,
         {0, 0, 2, 2}},
        {"polypolyline, 64-bit",
         64,
         [&](CWlxFile& f, std::uint32_t& o, double* e) {
             return f.WriteMultiLineString("", "", "", 2, lineParts, lines.data(), o, e);
         },
         Cat({U16(0x8C3E), U16(0x0000), U16(0x0000), U16(2), U32(2), U32(1),  // tag 35, length 62
              F64(0), F64(0), F64(1), F64(1), F64(2), F64(2)}),
         2,
         {0, 0, 2, 2}},
        {"polypolyline without parts",
         32,
         [](CWlxFile& f, std::uint32_t& o, double* e) {
             return f.WriteMultiLineString("", "", "", 0, nullptr, nullptr, o, e);
         },
         Cat({U16(0x8C06), U16(0x0000), U16(0x0000),  // tag 35, length 6; strings, pad
              U16(0)}),                               // part count
         2,
         {0, 0, 0, 0}},
        {"polypolygon without rings",
         64,
         [](CWlxFile& f, std::uint32_t& o, double* e) {
             return f.WriteMultiPolygon("", "", "", 0, nullptr, nullptr, o, e);
         },
         Cat({U16(0x9406), U16(0x0000), U16(0x0000), U16(0)}),  // tag 37, length 6
         4,
         {0, 0, 0, 0}},
        {"polygon: an open ring is closed",
         32,
         [&](CWlxFile& f, std::uint32_t& o, double* e) {
             return f.WritePolygon("G", "", "", 3, triangle.data(), o, e);
         },
         Cat({U16(0x9026), U16(0x0147), U16(0x0000),
              U16(4),  // tag 36, length 38; 3 points + closing
              F32(0), F32(0), F32(1), F32(0), F32(0), F32(1), F32(0), F32(0)}),
         4,
         {0, 0, 1, 1}},
        {"polygon: a closed ring is kept",
         64,
         [&](CWlxFile& f, std::uint32_t& o, double* e) {
             return f.WritePolygon("G", "", "", 4, closed.data(), o, e);
         },
         Cat({U16(0x9046), U16(0x0147), U16(0x0000), U16(4), F64(0), F64(0), F64(1), F64(0), F64(0),
              F64(1), F64(0), F64(0)}),
         4,
         {0, 0, 1, 1}},
        {"polypolygon: two open rings of 3 and 4 points",
         32,
         [&](CWlxFile& f, std::uint32_t& o, double* e) {
             return f.WriteMultiPolygon("M", "", "", 2, ringParts, rings.data(), o, e);
         },
         Cat({U16(0x9456),                       // tag 37, length 86 = 4 + 2 + 8 + 72
              U16(0x014D), U16(0x0000),          // "M", "", ""
              U16(2),      U32(4),      U32(5),  // ring count, counts with closing points
              F32(0),      F32(0),      F32(1), F32(0), F32(1), F32(1), F32(0), F32(0),  // ring 1
              F32(2),      F32(2),      F32(3), F32(2), F32(3), F32(3), F32(2), F32(3),
              F32(2),      F32(2)}),  // ring 2
         4,
         {0, 0, 3, 3}},
        {"polypolygon, 64-bit: a long record",
         64,
         [&](CWlxFile& f, std::uint32_t& o, double* e) {
             return f.WriteMultiPolygon("M", "", "", 2, ringParts, rings.data(), o, e);
         },
         Cat({U16(0x947F), U32(158),  // tag 37, long length 158 = 4 + 2 + 8 + 144
              U16(0x014D), U16(0x0000), U16(2), U32(4), U32(5), F64(0), F64(0), F64(1),
              F64(0),      F64(1),      F64(1), F64(0), F64(0), F64(2), F64(2), F64(3),
              F64(2),      F64(3),      F64(3), F64(2), F64(3), F64(2), F64(2)}),
         4,
         {0, 0, 3, 3}},
    };
    for (const RecordCase& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        Status st = 0;
        {
            CWlxFile file(Path(dir), kCreate, st);
            ASSERT_EQ(st, 0);
            ASSERT_EQ(file.SetPrecision(c.precision), 0);
            std::uint32_t offset = 0;
            double extent[4];
            ASSERT_EQ(c.write(file, offset, extent), 0);
            EXPECT_EQ(offset, 56u);
            EXPECT_EQ(std::vector<double>(extent, extent + 4), c.extent);
            ASSERT_EQ(file.Finish(), 0);
        }
        const Bytes expected =
            Cat({Summary(1, 0, c.flags, c.extent), PlainHeader(c.precision), c.record, kEnd});
        EXPECT_EQ(HexDiff(expected, ReadBytes(Path(dir))), "");
    }
}

TEST(WlxFileTest, NamesFrom127BytesTakeTheLongForm) {
    struct Case {
        std::size_t nameLength;
        Bytes record;
    };
    const std::string n126(126, 'n'), n127(127, 'n');
    const Case cases[] = {
        {126, Cat({U16(0x807F), U32(138),    // tag 32, long length 138
                   Bytes{0x7E}, Text(n126),  // name: short form
                   Bytes{0x00, 0x00, 0x00},  // key, link, pad (129 is odd)
                   F32(1), F32(2)})},
        {127, Cat({U16(0x807F), U32(140),                // tag 32, long length 140
                   Bytes{0x7F, 0x00, 0x7F}, Text(n127),  // name: long form
                   Bytes{0x00, 0x00},                    // key, link (132 is even)
                   F32(1), F32(2)})},
    };
    for (const Case& c : cases) {
        TempDir dir;
        Status st = 0;
        {
            CWlxFile file(Path(dir), kCreate, st);
            std::uint32_t offset = 0;
            ASSERT_EQ(file.WritePoint(std::string(c.nameLength, 'n').c_str(), "", "", 1, 2, offset),
                      0);
        }  // finished by the destructor
        const Bytes expected =
            Cat({Summary(1, 0, 1, {1, 2, 1, 2}), PlainHeader(32), c.record, kEnd});
        EXPECT_EQ(HexDiff(expected, ReadBytes(Path(dir))), "") << c.nameLength;

        CWlxFile back(Path(dir), kOpenRead, st);
        ASSERT_EQ(st, 0);
        int type = -1;
        ASSERT_EQ(back.NextRecord(type), 0);
        const char *name, *key, *link;
        double x, y;
        ASSERT_EQ(back.ReadPoint(name, key, link, x, y), 0);
        EXPECT_EQ(std::string(name), std::string(c.nameLength, 'n'));
    }
}

TEST(WlxFileTest, CoordinateSystemMetadataElements) {
    TempDir dir;
    CCoordSysDescriptor descriptor;  // LL84 on WGS84
    descriptor.parameters[0] = 0.5;
    Status st = 0;
    {
        CWlxFile file(Path(dir), kCreate, st);
        ASSERT_EQ(file.SetDescription("D"), 0);
        ASSERT_EQ(file.SetCoordSysMetadata(&descriptor), 0);
        ASSERT_EQ(file.Finish(), 0);
    }
    Bytes parameters = F64(0.5);
    for (int i = 1; i < 24; ++i) parameters = Cat({parameters, F64(0)});
    const Bytes expected = Cat({EmptySummary(),
                                U16(0x4002),
                                U16(2),  // version
                                U16(0x5C02),
                                U16(1),  // metadata version
                                U16(0x4402),
                                Bytes{0x01, 'D'},  // description "D"
                                U16(0x4802),
                                U16(32),      // precision
                                U16(0x4C7B),  // coordinate system, length 123, pad
                                Bytes{4},
                                Text("LL84"),
                                Bytes{40},
                                Text("WGS84 datum, Latitude-Longitude, Degrees"),
                                Bytes{2},
                                Text("LL"),
                                Bytes{2},
                                Text("LL"),
                                Bytes{6},
                                Text("DEGREE"),
                                F64(0),
                                F64(0),
                                F64(0),
                                F64(0),
                                F64(1),
                                F64(111319.49079327),
                                F64(1),
                                F64(1),
                                Bytes{0},
                                U16(0x507F),
                                U32(192),
                                parameters,   // projection parameters
                                U16(0x545E),  // datum, length 94
                                Bytes{5},
                                Text("WGS84"),
                                Bytes{29},
                                Text("World Geodetic System of 1984"),
                                Zeros(7 * 8),
                                U16(6),
                                U16(0x5817),  // ellipsoid, length 23, pad
                                Bytes{5},
                                Text("WGS84"),
                                Bytes{0},
                                F64(6378137.0),
                                F64(6356752.3142),
                                Bytes{0},
                                U16(0x0800),
                                kEnd});
    EXPECT_EQ(HexDiff(expected, ReadBytes(Path(dir))), "");

    CWlxFile back(Path(dir), kOpenRead, st);
    ASSERT_EQ(st, 0);
    ASSERT_TRUE(back.HasCoordSysMetadata());
    EXPECT_EQ(*back.GetCoordSysDescriptor(), descriptor);
    EXPECT_EQ(back.GetDescription(), "D");
    EXPECT_EQ(back.GetMetadataVersion(), 1);
}

TEST(WlxFileTest, ReaderSkipsUnknownElementsAndReadsVersion1Files) {
    // Version 1: no link strings, no counts in single-part records; an unknown
    // header element of tag 5 with an odd length is passed with its pad.
    const Bytes file = Cat({Summary(3, 0, 7, {0, 0, 2, 2}),
                            U16(0x4002),
                            U16(1),  // version 1
                            U16(0x1403),
                            Bytes{1, 2, 3, 0},  // tag 5, length 3, pad
                            U16(0x4802),
                            U16(32),
                            U16(0x0800),
                            U16(0x8814),
                            Bytes{0x01, 'L', 0x00, 0x00},
                            F32(0),
                            F32(0),
                            F32(1),
                            F32(1),  // polyline, 2 points by length
                            U16(0x1401),
                            Bytes{9, 0},  // unknown element among records
                            U16(0x8C10),
                            Bytes{0x00, 0x00},
                            U16(1),
                            U32(1),
                            F32(2),
                            F32(2),  // polypolyline
                            U16(0x901C),
                            Bytes{0x01, 'G', 0x00, 0x00},
                            F32(0),
                            F32(0),
                            F32(2),
                            F32(0),
                            F32(0),
                            F32(0),  // polygon
                            kEnd});
    TempDir dir;
    WriteBytes(Path(dir), file);
    Status st = 0;
    CWlxFile wlx(Path(dir), kOpenRead, st);
    ASSERT_EQ(st, 0);
    EXPECT_EQ(wlx.GetVersion(), 1);
    int type = -1;
    const char *name, *key, *link;
    std::uint32_t count = 0;
    const std::uint32_t* parts;
    const double* points;
    ASSERT_EQ(wlx.NextRecord(type), 0);
    ASSERT_EQ(type, kWlxLineStringRecord);
    ASSERT_EQ(wlx.ReadLineString(name, key, link, count, points), 0);
    EXPECT_EQ(std::string(name), "L");
    EXPECT_EQ(std::string(link), "");
    EXPECT_EQ(std::vector<double>(points, points + 2 * count), (std::vector<double>{0, 0, 1, 1}));
    ASSERT_EQ(wlx.NextRecord(type), 0);
    EXPECT_EQ(type, kWlxOtherElement);
    ASSERT_EQ(wlx.NextRecord(type), 0);  // the unknown element is skipped unasked
    ASSERT_EQ(type, kWlxMultiLineStringRecord);
    ASSERT_EQ(wlx.ReadMultiLineString(name, key, link, count, parts, points), 0);
    ASSERT_EQ(count, 1u);
    EXPECT_EQ(parts[0], 1u);
    EXPECT_EQ(points[0], 2);
    ASSERT_EQ(wlx.NextRecord(type), 0);
    ASSERT_EQ(type, kWlxPolygonRecord);
    ASSERT_EQ(wlx.ReadPolygon(name, key, link, count, points), 0);
    EXPECT_EQ(count, 3u);
    EXPECT_EQ(wlx.NextRecord(type), kWlxEndOfData);

    // A version 1 file cannot be appended to.
    CWlxFile writable(Path(dir), kAppend, st);
    EXPECT_EQ(st, kWlxInvalidVersion);
}

// Objects with random shapes written at both precisions read back exactly
// (64) or as floats (32).
TEST(WlxFileTest, WriteThenReadGivesEveryObjectBack) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> coordinate(-1e6, 1e6);
    for (std::uint16_t precision : {32, 64}) {
        SCOPED_TRACE(precision);
        auto stored = [&](double v) {
            return precision == 32 ? static_cast<double>(static_cast<float>(v)) : v;
        };
        struct Object {
            int type;
            std::string name, key, link;
            std::vector<std::uint32_t> counts;
            std::vector<double> points;
            std::uint32_t offset = 0;
        };
        std::vector<Object> objects;
        for (int i = 0; i < 200; ++i) {
            Object o;
            o.type = std::vector<int>{0, 2, 3, 4, 5}[i % 5];
            o.name = "name" + std::to_string(i);
            o.key = std::string(i % 300, 'k');
            o.link = i % 2 ? "http://x/" + std::to_string(i) : "";
            const int parts = o.type == 3 || o.type == 5 ? 1 + i % 4 : 1;
            for (int p = 0; p < parts; ++p) {
                const std::uint32_t n = o.type == 0 ? 1 : 3 + random() % 50;
                o.counts.push_back(n);
                for (std::uint32_t k = 0; k < n; ++k) {
                    o.points.push_back(coordinate(random));
                    o.points.push_back(coordinate(random));
                }
                if (o.type >= 4 && p % 2 == 0) {  // some rings closed already
                    const std::size_t first = o.points.size() - 2 * n;
                    o.points[o.points.size() - 2] = o.points[first];
                    o.points[o.points.size() - 1] = o.points[first + 1];
                }
            }
            objects.push_back(std::move(o));
        }
        TempDir dir;
        Status st = 0;
        double fileExtent[4] = {1e300, 1e300, -1e300, -1e300};
        {
            CWlxFile file(Path(dir), kCreate, st);
            ASSERT_EQ(file.SetPrecision(precision), 0);
            for (Object& o : objects) {
                const char *n = o.name.c_str(), *k = o.key.c_str(), *l = o.link.c_str();
                const double* xy = o.points.data();
                const auto parts = static_cast<std::uint32_t>(o.counts.size());
                Status w = 0;
                switch (o.type) {
                    case 0:
                        w = file.WritePoint(n, k, l, xy[0], xy[1], o.offset);
                        break;
                    case 2:
                        w = file.WriteLineString(n, k, l, o.counts[0], xy, o.offset);
                        break;
                    case 3:
                        w = file.WriteMultiLineString(n, k, l, parts, o.counts.data(), xy,
                                                      o.offset);
                        break;
                    case 4:
                        w = file.WritePolygon(n, k, l, o.counts[0], xy, o.offset);
                        break;
                    case 5:
                        w = file.WriteMultiPolygon(n, k, l, parts, o.counts.data(), xy, o.offset);
                        break;
                }
                ASSERT_EQ(w, 0);
                // The extent is that of the coordinates as stored.
                for (std::size_t i = 0; i < o.points.size(); i += 2) {
                    fileExtent[0] = std::min(fileExtent[0], stored(o.points[i]));
                    fileExtent[1] = std::min(fileExtent[1], stored(o.points[i + 1]));
                    fileExtent[2] = std::max(fileExtent[2], stored(o.points[i]));
                    fileExtent[3] = std::max(fileExtent[3], stored(o.points[i + 1]));
                }
            }
            ASSERT_EQ(file.Finish(), 0);
        }
        CWlxFile file(Path(dir), kOpenRead, st);
        ASSERT_EQ(st, 0);
        EXPECT_EQ(file.GetObjectCount(), objects.size());
        EXPECT_EQ(file.GetPrecision(), precision);
        double extent[4];
        file.GetExtent(extent);
        EXPECT_EQ(std::vector<double>(extent, extent + 4),
                  std::vector<double>(fileExtent, fileExtent + 4));
        for (const Object& o : objects) {
            int type = -1;
            ASSERT_EQ(file.NextRecord(type), 0);
            ASSERT_EQ(type, o.type);
            const char *name, *key, *link;
            std::uint32_t count = 1;
            const std::uint32_t* counts = &count;
            const double* xy = nullptr;
            double point[2];
            switch (type) {
                case 0:
                    ASSERT_EQ(file.ReadPoint(name, key, link, point[0], point[1]), 0);
                    xy = point;
                    break;
                case 2:
                    ASSERT_EQ(file.ReadLineString(name, key, link, count, xy), 0);
                    break;
                case 3:
                    ASSERT_EQ(file.ReadMultiLineString(name, key, link, count, counts, xy), 0);
                    break;
                case 4:
                    ASSERT_EQ(file.ReadPolygon(name, key, link, count, xy), 0);
                    break;
                case 5:
                    ASSERT_EQ(file.ReadMultiPolygon(name, key, link, count, counts, xy), 0);
                    break;
            }
            EXPECT_EQ(name, o.name);
            EXPECT_EQ(key, o.key.substr(0, 255));
            EXPECT_EQ(link, o.link);
            // Rings come back closed.
            std::vector<double> expected;
            std::vector<std::uint32_t> expectedCounts;
            std::size_t at = 0;
            for (std::uint32_t n : o.counts) {
                for (std::size_t i = 0; i < 2 * n; ++i)
                    expected.push_back(stored(o.points[at + i]));
                const bool open = o.type >= 4 && (o.points[at] != o.points[at + 2 * n - 2] ||
                                                  o.points[at + 1] != o.points[at + 2 * n - 1]);
                if (open) {
                    expected.push_back(stored(o.points[at]));
                    expected.push_back(stored(o.points[at + 1]));
                }
                expectedCounts.push_back(n + (open ? 1 : 0));
                at += 2 * n;
            }
            EXPECT_EQ(
                std::vector<std::uint32_t>(counts, counts + (type == 3 || type == 5 ? count : 1)),
                expectedCounts);
            EXPECT_EQ(std::vector<double>(xy, xy + expected.size()), expected);
        }
        int type = -1;
        EXPECT_EQ(file.NextRecord(type), kWlxEndOfData);
        ASSERT_EQ(file.RewindData(), 0);
        ASSERT_EQ(file.NextRecord(type), 0);
        EXPECT_EQ(type, objects[0].type);
    }
}

TEST(WlxFileTest, ReadingAnotherTypeThanTheRecordFails) {
    TempDir dir;
    const double line[] = {0, 0, 1, 1};
    Status st = 0;
    std::uint32_t offset = 0;
    {
        CWlxFile file(Path(dir), kCreate, st);
        ASSERT_EQ(file.WriteLineString("", "", "", 2, line, offset), 0);
    }
    CWlxFile file(Path(dir), kOpenRead, st);
    int type = -1;
    ASSERT_EQ(file.NextRecord(type), 0);
    const char *name, *key, *link;
    std::uint32_t count;
    const double* points;
    EXPECT_EQ(file.ReadPolygon(name, key, link, count, points), kWlxInvalidObjectType);
    EXPECT_EQ(file.ReadLineString(name, key, link, count, points), 0);
    EXPECT_EQ(file.Finish(), kWlxReadOnly);
}

TEST(WlxFileTest, SettersAndLimits) {
    TempDir dir;
    Status st = 0;
    CWlxFile file(Path(dir), kCreate, st);
    EXPECT_EQ(file.SetMaxPoints(3), 8u);
    EXPECT_EQ(file.SetMaxPoints(0x300000), 0x200000u);
    EXPECT_EQ(file.SetPrecision(48), kWlxInvalidParameter);
    EXPECT_EQ(file.SetDescription(nullptr), kWlxInvalidParameter);
    EXPECT_EQ(file.GetFirstFixedValue(), 1);
    EXPECT_EQ(file.GetSecondFixedValue(), 0);
    std::uint32_t offset = 0;
    ASSERT_EQ(file.WritePoint("", "", "", 0, 0, offset), 0);
    EXPECT_EQ(file.SetPrecision(64), 0);  // ignored once the header is written
    EXPECT_EQ(file.GetPrecision(), 32);
    ASSERT_EQ(file.Finish(), 0);
    EXPECT_EQ(file.WritePoint("", "", "", 0, 0, offset), kWlxIllegalCall);
    double extent[4];
    file.GetExtent(extent);
    EXPECT_EQ(std::vector<double>(extent, extent + 4), (std::vector<double>{0, 0, 0, 0}));
}

TEST(WlxFileTest, AppendAddsRecordsInPlaceOfTheEndElement) {
    TempDir dir;
    Status st = 0;
    std::uint32_t offset = 0;
    const double line[] = {5, 5, 6, 7};
    {
        CWlxFile file(Path(dir), kCreate, st);
        ASSERT_EQ(file.WritePoint("a", "", "", 1, 2, offset), 0);
    }
    const Bytes before = ReadBytes(Path(dir));
    {
        CWlxFile file(Path(dir), kAppend, st);
        ASSERT_EQ(st, 0);
        EXPECT_FALSE(file.IsNewFile());
        ASSERT_EQ(file.WriteLineString("b", "", "", 2, line, offset), 0);
        EXPECT_EQ(offset, before.size() - 2);
    }
    const Bytes after = ReadBytes(Path(dir));
    const Bytes record =
        Cat({U16(0x8816), U16(0x0162), U16(0x0000), U16(2), F32(5), F32(5), F32(6), F32(7)});
    const Bytes expected = Cat({Summary(2, 0, 3, {1, 2, 6, 7}),
                                Bytes(before.begin() + 46, before.end() - 2), record, kEnd});
    EXPECT_EQ(HexDiff(expected, after), "");

    // Appending only lines keeps the point flag of the records already there.
    {
        CWlxFile file(Path(dir), kAppend, st);
        ASSERT_EQ(file.WriteLineString("c", "", "", 2, line, offset), 0);
    }
    CWlxFile file(Path(dir), kOpenRead, st);
    EXPECT_EQ(ReadBytes(Path(dir))[13], 3);  // low byte of the content flags
    std::uint32_t records = 0;
    EXPECT_EQ(ReadAll(file, &records), 0);
    EXPECT_EQ(records, 3u);
}

TEST(WlxFileTest, AppendRefusesAFileWithoutItsEndElement) {
    TempDir dir;
    Status st = 0;
    { CWlxFile file(Path(dir), kCreate, st); }
    Bytes damaged = ReadBytes(Path(dir));
    damaged.back() = 0x01;  // a record or garbage where the end element should be
    WriteBytes(Path(dir), damaged);
    {
        CWlxFile file(Path(dir), kAppend, st);
        EXPECT_EQ(st, kWlxInvalidFormat);
        std::uint32_t offset = 0;
        EXPECT_EQ(file.WritePoint("", "", "", 0, 0, offset), kWlxInvalidFormat);
    }
    EXPECT_EQ(ReadBytes(Path(dir)), damaged) << "a refused file is left as it was";
}

// A file with two free blocks of body lengths 100 and 150, the 150 one at the
// head of the chain.
Bytes FileWithFreeBlocks() {
    // Header ends at 56; block A (150) at 56, block B (100) at 56 + 6 + 150.
    const std::uint32_t a = 56, b = a + 6 + 150;
    return Cat({Summary(0, a, 0, {0, 0, 0, 0}), PlainHeader(32), U16(0xFC7F), U32(150), U32(b),
                Bytes(146, 0xEE),                      // free block A, next B
                U16(0xFC64), U32(0), Bytes(96, 0xEE),  // free block B (100), end of chain
                kEnd});
}

TEST(WlxFileTest, FreeBlocksAreReusedByBestFit) {
    const std::uint32_t a = 56, b = 212, end = 314;
    struct Case {
        std::uint32_t needed;
        const char* name;      // strings of 6, 6 and 10 bytes
        std::uint32_t points;  // body = strings + 2 + 8 * points
        std::uint32_t expected;
        std::uint32_t nextOfA;  // A's link afterwards
    };
    const Case cases[] = {
        {80, "abc", 9, b, 0},      // B (surplus 20) beats A (70); B leaves the chain
        {60, "abcdefg", 6, b, 0},  // B (surplus 40); A's 90 is not below 60
        {40, "abc", 4, end, b},    // neither: both surpluses reach 40
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.needed);
        TempDir dir;
        WriteBytes(Path(dir), FileWithFreeBlocks());
        Status st = 0;
        {
            CWlxFile file(Path(dir), kAppend, st);
            ASSERT_EQ(st, 0);
            const std::vector<double> xy(2 * c.points, 1.0);
            std::uint32_t offset = 0;
            ASSERT_EQ(file.WriteLineString(c.name, "", "", c.points, xy.data(), offset), 0);
            EXPECT_EQ(offset, c.expected);
        }
        const Bytes after = ReadBytes(Path(dir));
        if (c.expected == b) {
            // The record takes the whole block and states its 100 bytes.
            EXPECT_EQ((Bytes(after.begin() + b, after.begin() + b + 2)), U16(0x8864));
            EXPECT_EQ(after.size(), end + 2u);
        }
        EXPECT_EQ((Bytes(after.begin() + a + 6, after.begin() + a + 10)), U32(c.nextOfA));
        EXPECT_EQ((Bytes(after.begin() + 6, after.begin() + 10)), U32(a)) << "the chain head stays";
        CWlxFile file(Path(dir), kOpenRead, st);
        std::uint32_t elements = 0;
        EXPECT_EQ(ReadAll(file, &elements), 0);
        EXPECT_EQ(elements, c.expected == b ? 2u : 3u);
    }
}

TEST(WlxFileTest, FreeBlockTakenAtOnceWhenItFitsExactly) {
    TempDir dir;
    WriteBytes(Path(dir), FileWithFreeBlocks());
    Status st = 0;
    {
        CWlxFile file(Path(dir), kAppend, st);
        // 4 + 2 + 8 * 18 = 150: block A, the head; the head moves to B.
        const std::vector<double> xy(36, 2.0);
        std::uint32_t offset = 0;
        ASSERT_EQ(file.WriteLineString("", "", "", 18, xy.data(), offset), 0);
        EXPECT_EQ(offset, 56u);
    }
    const Bytes after = ReadBytes(Path(dir));
    EXPECT_EQ((Bytes(after.begin() + 6, after.begin() + 10)), U32(212));
}

// Damage to an appended file's free-block chain stops writing with an error
// and leaves the file readable.
TEST(WlxFileTest, BrokenFreeBlockChainsAreErrors) {
    struct Case {
        const char* what;
        std::size_t at;  // where the damage goes
        Bytes bytes;
        Status expected;
    };
    const Case cases[] = {
        {"a loop", 56 + 156 + 2, U32(56), kWlxInvalidFormat},
        {"a link outside the file", 56 + 156 + 2, U32(0x7FFFFFF0), kWlxInvalidFormat},
        {"an odd link", 56 + 156 + 2, U32(57), kWlxInvalidFormat},
        {"a link to a record that is not free", 56 + 2 + 4, U32(50), kWlxInvalidFormat},
        {"a block that is not a free block", 56, U16(0x887F), kWlxInvalidElement},
        {"a block running past the data", 56 + 2, U32(0x1000), kWlxInvalidFormat},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        Bytes file = FileWithFreeBlocks();
        Overwrite(c.at, c.bytes)(file);
        WriteBytes(Path(dir), file);
        Status st = 0;
        {
            CWlxFile wlx(Path(dir), kAppend, st);
            ASSERT_EQ(st, 0);
            const std::vector<double> xy(2000, 1.0);
            std::uint32_t offset = 0;
            // 62 bytes: fits neither block, but the whole chain is walked.
            EXPECT_EQ(wlx.WriteLineString("", "", "", 7, xy.data(), offset), c.expected);
            EXPECT_EQ(wlx.GetStatus(), c.expected);
            EXPECT_EQ(wlx.Finish(), c.expected);
        }
        EXPECT_EQ(ReadBytes(Path(dir)), file) << "nothing was added";
    }
}

TEST(WlxFileTest, AnObjectThatCannotBeWrittenIsSkipped) {
    TempDir dir;
    Status st = 0;
    const std::vector<double> many(2 * 70000, 1.0);
    const std::vector<std::uint32_t> manyParts(65536, 0);
    const double nanPoint[] = {0, std::numeric_limits<double>::quiet_NaN()};
    std::uint32_t offset = 0;
    {
        CWlxFile file(Path(dir), kCreate, st);
        ASSERT_EQ(file.WritePoint("first", "", "", 1, 1, offset), 0);
        EXPECT_EQ(file.WriteLineString("", "", "", 65536, many.data(), offset), kWlxTooComplex);
        EXPECT_EQ(
            file.WriteMultiLineString("", "", "", 65536, manyParts.data(), many.data(), offset),
            kWlxTooManyParts);
        EXPECT_EQ(file.WriteMultiPolygon("", "", "", 65536, manyParts.data(), many.data(), offset),
                  kWlxTooManyParts);
        const std::uint32_t big[] = {0x100000, 0x100001};  // points are not looked at
        EXPECT_EQ(file.WriteMultiLineString("", "", "", 2, big, many.data(), offset),
                  kWlxTooComplex);
        EXPECT_EQ(file.WritePoint("", "", "", nanPoint[0], nanPoint[1], offset),
                  kWlxInvalidParameter);
        EXPECT_EQ(file.WriteLineString("", "", "", 1, nanPoint, offset), kWlxInvalidParameter);
        const double openRing[] = {0, 0, 1, 0, std::numeric_limits<double>::infinity(), 1};
        file.SetMaxPoints(8);
        EXPECT_EQ(file.WritePolygon("", "", "", 3, openRing, offset), kWlxInvalidParameter);
        EXPECT_EQ(file.WriteLineString("", "", "", 3, nullptr, offset), kWlxInvalidParameter);
        EXPECT_EQ(file.GetStatus(), 0);
        ASSERT_EQ(file.WritePoint("last", "", "", 2, 2, offset), 0);
        EXPECT_EQ(file.Finish(), 0);
    }
    CWlxFile file(Path(dir), kOpenRead, st);
    EXPECT_EQ(file.GetObjectCount(), 2u);
    std::uint32_t records = 0;
    EXPECT_EQ(ReadAll(file, &records), 0);
    EXPECT_EQ(records, 2u);
}

TEST(WlxFileTest, ACoordinateBeyondFloatRangeIsSkippedOnlyAt32Bits) {
    // A float cannot hold 1e39: a 32-bit file would store an infinity.
    const double line[] = {0, 0, 1e39, 1};
    for (std::uint16_t precision : {32, 64}) {
        SCOPED_TRACE(precision);
        TempDir dir;
        Status st = 0;
        std::uint32_t offset = 0;
        const Status expected = precision == 32 ? kWlxInvalidParameter : 0;
        {
            CWlxFile file(Path(dir), kCreate, st);
            ASSERT_EQ(file.SetPrecision(precision), 0);
            EXPECT_EQ(file.WritePoint("", "", "", -1e39, 0, offset), expected);
            EXPECT_EQ(file.WriteLineString("", "", "", 2, line, offset), expected);
            EXPECT_EQ(file.GetStatus(), 0);
            EXPECT_EQ(file.Finish(), 0);
        }
        CWlxFile file(Path(dir), kOpenRead, st);
        EXPECT_EQ(file.GetObjectCount(), precision == 32 ? 0u : 2u);
        double extent[4];
        file.GetExtent(extent);
        for (double v : extent) EXPECT_TRUE(std::isfinite(v));
    }
}

TEST(WlxFileTest, OpenRingsAreGeneralizedToFitTheirCount) {
    struct Case {
        const char* what;
        std::uint32_t maxPoints;
        std::uint32_t points;
        bool closed;
        std::uint32_t storedAtMost;  // with the closing point
        int generalized;
    };
    const Case cases[] = {
        {"closed ring of 65535 points", 0x200000, 65535, true, 65535, 0},
        {"open ring of 65535 points", 0x200000, 65535, false, 65535, 1},
        {"open ring of 8 points at 8 points per object", 8, 8, false, 8, 1},
        {"open ring of 7 points at 8 points per object", 8, 7, false, 8, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<double> ring;
        std::mt19937 random(1);
        std::uniform_real_distribution<double> radius(0.9, 1.1);
        for (std::uint32_t i = 0; i < c.points; ++i) {
            const double angle = 6.283185307179586 * i / c.points;
            const double r = radius(random);
            ring.push_back(std::cos(angle) * r);
            ring.push_back(std::sin(angle) * r);
        }
        if (c.closed) {
            ring[ring.size() - 2] = ring[0];
            ring[ring.size() - 1] = ring[1];
        }
        TempDir dir;
        Status st = 0;
        {
            CWlxFile file(Path(dir), kCreate, st);
            file.SetMaxPoints(c.maxPoints);
            std::uint32_t offset = 0;
            ASSERT_EQ(file.WritePolygon("", "", "", c.points, ring.data(), offset), 0);
            EXPECT_EQ(file.GetGeneralized(), c.generalized);
        }
        CWlxFile file(Path(dir), kOpenRead, st);
        int type = -1;
        ASSERT_EQ(file.NextRecord(type), 0);
        const char *name, *key, *link;
        std::uint32_t count = 0;
        const double* xy;
        ASSERT_EQ(file.ReadPolygon(name, key, link, count, xy), 0);
        EXPECT_LE(count, c.storedAtMost);
        if (!c.generalized) {
            EXPECT_EQ(count, c.points + (c.closed ? 0 : 1));
        }
        EXPECT_GE(count, 4u);
        EXPECT_EQ(xy[0], xy[2 * count - 2]);  // stored closed
        EXPECT_EQ(xy[1], xy[2 * count - 1]);
    }
}

TEST(WlxFileTest, FinishedFileStaysValidAfterAWriteFailure) {
    // A file near the 32-bit limit: the record that would pass it fails with
    // a write error and the file is still finished.
    TempDir dir;
    Status st = 0;
    { CWlxFile file(Path(dir), kCreate, st); }
    Bytes head = ReadBytes(Path(dir));
    head.resize(head.size() - 2);
    {
        std::FILE* f = std::fopen(Path(dir).c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(head.data(), 1, head.size(), f);
        std::fseek(f, 0xFFFFFF00L, SEEK_SET);  // sparse
        std::fwrite("\x04\x00", 1, 2, f);
        std::fclose(f);
    }
    {
        CWlxFile file(Path(dir), kAppend, st);
        ASSERT_EQ(st, 0);
        std::uint32_t offset = 0;
        ASSERT_EQ(file.WritePoint("", "", "", 1, 1, offset), 0);
        const std::vector<double> xy(2 * 100, 1.0);
        EXPECT_EQ(file.WriteLineString("", "", "", 100, xy.data(), offset), kWlxWriteError);
        EXPECT_EQ(file.WritePoint("", "", "", 1, 1, offset), kWlxWriteError);
        EXPECT_EQ(file.Finish(), kWlxWriteError);
    }
    CWlxFile file(Path(dir), kOpenRead, st);
    ASSERT_EQ(st, 0);
    EXPECT_EQ(file.GetObjectCount(), 1u);
    std::uint8_t tail[2];
    std::FILE* f = std::fopen(Path(dir).c_str(), "rb");
    std::fseek(f, -2, SEEK_END);
    ASSERT_EQ(std::fread(tail, 1, 2, f), 2u);
    const long size = std::ftell(f);
    std::fclose(f);
    EXPECT_EQ(size, 0xFFFFFF00L + 14 + 2);
    EXPECT_EQ(tail[0], 0x04);
}

// One kind of damage per case; each gives an error, never a crash, a hang or
// a huge allocation.
TEST(WlxFileTest, CorruptFilesGiveErrors) {
    const double ring[] = {0, 0, 1, 0, 1, 1};
    const std::uint32_t parts[] = {2, 1};
    TempDir dir;
    Status st = 0;
    {
        CWlxFile file(Path(dir, "good.wlx"), kCreate, st);
        file.SetDescription("desc");
        std::uint32_t offset = 0;
        file.WritePoint("p", "k", "l", 1, 2, offset);
        file.WriteMultiLineString("m", "", "", 2, parts, ring, offset);
        file.WritePolygon("g", "", "", 3, ring, offset);
    }
    const Bytes good = ReadBytes(Path(dir, "good.wlx"));
    // Layout: summary 0..45, version 46..49, description 50..57, precision
    // 58..61, start 62..63, point record at 64, polypolyline at 80 (part
    // count at 86, point counts from 88), polygon at 120, end at 160.
    ASSERT_EQ(good[64], 0x80);
    ASSERT_EQ(good[80], 0x8C);
    struct Case {
        const char* what;
        std::function<void(Bytes&)> damage;
        std::vector<Status> expected;
    };
    const std::vector<Status> format{kWlxInvalidFormat};
    std::vector<Case> cases = {
        {"summary of 43 bytes", Overwrite(0, U16(0x002B)), format},
        {"summary not first", Overwrite(0, U16(0x402C)), format},
        {"summary in long form", Overwrite(0, U16(0x007F)), format},
        {"second summary in the header", Overwrite(46, U16(0x0002)), format},
        {"version 3", Overwrite(48, U16(3)), {kWlxInvalidVersion}},
        {"version 3 with a precision of its own",
         [](Bytes& f) {
             Overwrite(48, U16(3))(f);
             Overwrite(60, U16(33))(f);
         },
         {kWlxInvalidVersion}},
        {"precision 33", Overwrite(60, U16(33)), format},
        {"description longer than its element", Overwrite(52, Bytes{0x7F, 0x40, 0x00}), format},
        {"unknown header element past the file",
         Overwrite(58, Bytes{0x14, 0x7F, 0x7F, 0, 0, 0}),
         {kWlxInvalidElement}},
        {"end of data inside the header", Overwrite(58, U16(0x0400)), format},
        {"record longer than the file", Overwrite(64, Bytes{0x80, 0x7F, 0x10, 0, 0, 0}), format},
        {"part count beyond its record", Overwrite(86, U16(0x4000)), format},
        {"point counts beyond their record", Overwrite(88, U32(0x40000000)), format},
        {"string beyond its record", Overwrite(66, Bytes{0x7F, 0xFF}), format},
        {"no end element", [](Bytes& f) { f.resize(f.size() - 2); }, format},
    };
    for (std::size_t cut : {0, 1, 10, 45, 47, 60, 63, 70, 90, 110})
        cases.push_back({"truncated", [cut](Bytes& f) { f.resize(cut); }, format});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes bytes = good;
        c.damage(bytes);
        WriteBytes(Path(dir), bytes);
        CWlxFile file(Path(dir), kOpenRead, st);
        const Status result = st ? st : ReadAll(file);
        EXPECT_NE(std::find(c.expected.begin(), c.expected.end(), result), c.expected.end())
            << std::hex << result;
        EXPECT_EQ(file.GetStatus(), result) << "failures are sticky";
    }
}

}  // namespace
