#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "common/ByteOrder.h"
#include "coordsys/core/CsDictionary.h"
#include "testing/TestSupport.h"

namespace {

using byteorder::LoadF64Le;
using byteorder::LoadI16Le;
using byteorder::LoadU32Le;

std::string Text(const std::uint8_t* p) {
    return reinterpret_cast<const char*>(p);
}

// The compiled dictionary's records, checked for magic, whole records, plain
// storage and key order.
std::vector<const std::uint8_t*> Records(const std::vector<std::uint8_t>& file, std::uint32_t magic,
                                         std::size_t size, int seedOffset) {
    EXPECT_GE(file.size(), 4u);
    EXPECT_EQ(LoadU32Le(file.data()), magic);
    EXPECT_EQ((file.size() - 4) % size, 0u);
    std::vector<const std::uint8_t*> records;
    for (std::size_t offset = 4; offset + size <= file.size(); offset += size) {
        const std::uint8_t* record = file.data() + offset;
        EXPECT_EQ(record[seedOffset], 0) << Text(record);
        if (!records.empty()) {
            EXPECT_LT(CS_stricmp(Text(records.back()).c_str(), Text(record).c_str()), 0);
        }
        records.push_back(record);
    }
    return records;
}

const std::uint8_t* Find(const std::vector<const std::uint8_t*>& records, const std::string& key) {
    for (const std::uint8_t* r : records) {
        if (Text(r) == key) return r;
    }
    ADD_FAILURE() << key << " is missing";
    static const std::uint8_t kEmpty[728] = {};
    return kEmpty;
}

class CompiledDictionaries : public ::testing::Test {
protected:
    std::vector<std::uint8_t> ellipsoidFile =
        wlxtest::ReadBytes(wlxtest::BinDir() / kCsEllipsoidFile);
    std::vector<std::uint8_t> datumFile = wlxtest::ReadBytes(wlxtest::BinDir() / kCsDatumFile);
    std::vector<std::uint8_t> systemFile = wlxtest::ReadBytes(wlxtest::BinDir() / kCsCoordSysFile);
};

TEST_F(CompiledDictionaries, EllipsoidLayout) {
    auto records = Records(ellipsoidFile, 0x800D0010u, 208, 30);
    for (const char* key :
         {"WGS84", "GRS1980", "CLRK66", "CLRK-IGN", "INTNL", "WGS72", "BESSEL", "AIRY"}) {
        Find(records, key);
    }
    const std::uint8_t* wgs84 = Find(records, "WGS84");
    EXPECT_EQ(LoadF64Le(wgs84 + 32), 6378137.0);
    EXPECT_NEAR(LoadF64Le(wgs84 + 40), 6356752.314245, 1e-6);
    EXPECT_DOUBLE_EQ(LoadF64Le(wgs84 + 48), 1.0 / 298.257223563);
    EXPECT_NEAR(LoadF64Le(wgs84 + 56), 0.0818191908426215, 1e-15);
    EXPECT_EQ(Text(wgs84 + 64), "World Geodetic System of 1984");
    const std::uint8_t* clarke = Find(records, "CLRK66");
    EXPECT_EQ(LoadF64Le(clarke + 40), 6356583.8);  // defined by its polar radius
}

TEST_F(CompiledDictionaries, DatumLayoutAndMethods) {
    auto records = Records(datumFile, 0x800D0011u, 352, 144);
    const std::uint8_t* nad27 = Find(records, "NAD27");
    EXPECT_EQ(Text(nad27 + 24), "CLRK66");
    EXPECT_EQ(LoadF64Le(nad27 + 152), -8.0);
    EXPECT_EQ(LoadF64Le(nad27 + 160), 160.0);
    EXPECT_EQ(LoadF64Le(nad27 + 168), 176.0);
    EXPECT_EQ(LoadI16Le(nad27 + 338), 4);
    const std::uint8_t* wgs72 = Find(records, "WGS72");
    EXPECT_EQ(LoadF64Le(wgs72 + 192), 0.554);   // rotZ
    EXPECT_EQ(LoadF64Le(wgs72 + 200), 0.2263);  // bwScale

    struct {
        const char* key;
        int method;
    } expected[] = {{"WGS84", 6}, {"NAD83", 5}, {"NAD27", 4}, {"WGS72", 7}};
    for (const auto& e : expected) {
        const std::uint8_t* r = Find(records, e.key);
        EXPECT_EQ(LoadI16Le(r + 338), e.method) << e.key;
    }
    // One datum for each parameter method of the datum converter.
    std::set<int> methods;
    for (const std::uint8_t* r : records) methods.insert(LoadI16Le(r + 338));
    for (int method : {1, 2, 3, 9, 11, 12, 13}) EXPECT_TRUE(methods.count(method)) << method;
}

TEST_F(CompiledDictionaries, CoordinateSystemLayout) {
    auto records = Records(systemFile, 0x800D0012u, 728, 208);
    const std::uint8_t* ll84 = Find(records, "LL84");
    EXPECT_EQ(Text(ll84 + 24), "WGS84");
    EXPECT_EQ(Text(ll84 + 48), "");
    EXPECT_EQ(Text(ll84 + 72), "LL");
    EXPECT_EQ(Text(ll84 + 96), "LL");
    EXPECT_EQ(Text(ll84 + 192), "DEGREE");
    EXPECT_EQ(LoadF64Le(ll84 + 440), 1.0);                 // scale reduction
    EXPECT_EQ(LoadF64Le(ll84 + 448), 111319.49079327358);  // unit scale
    EXPECT_EQ(LoadF64Le(ll84 + 456), 1.0);                 // map scale
    EXPECT_EQ(LoadF64Le(ll84 + 464), 1.0);                 // scale
    EXPECT_EQ(Text(ll84 + 584), "WGS84 datum, Latitude-Longitude, Degrees");
    EXPECT_EQ(LoadI16Le(ll84 + 712), 1);  // quadrant

    const std::uint8_t* utm = Find(records, "UTM83-10");
    EXPECT_EQ(Text(utm + 24), "NAD83");
    EXPECT_EQ(Text(utm + 72), "UTM");
    EXPECT_EQ(LoadF64Le(utm + 216), 10.0);  // parameter 1, the zone
    EXPECT_EQ(LoadF64Le(utm + 224), 1.0);   // parameter 2, north
    const std::uint8_t* gb = Find(records, "BritishNatGrid");
    EXPECT_EQ(LoadF64Le(gb + 216), -2.0);
    EXPECT_EQ(LoadF64Le(gb + 416), 49.0);       // origin latitude
    EXPECT_EQ(LoadF64Le(gb + 424), 400000.0);   // false easting
    EXPECT_EQ(LoadF64Le(gb + 432), -100000.0);  // false northing
    EXPECT_EQ(LoadF64Le(gb + 440), 0.9996012717);

    for (const char* key : {"LL27", "LL83", "WORLD-LL", "UTM27-10", "UTM84-1N", "UTM84-60S"}) {
        Find(records, key);
    }
    const std::uint8_t* south = Find(records, "UTM84-33S");
    EXPECT_EQ(LoadF64Le(south + 216), 33.0);
    EXPECT_EQ(LoadF64Le(south + 224), -1.0);
}

}  // namespace
