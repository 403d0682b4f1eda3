// Damaged well-known binary: every kind of damage gives an error and no
// object; never a crash, a hang or an allocation the bytes cannot justify.
#include <random>

#include "geometry/tests/GeometryTestSupport.h"

namespace geometrytest {
namespace {

std::string Repeat(const std::string& text, int times) {
    std::string all;
    for (int i = 0; i < times; ++i) all += text;
    return all;
}

const char* const kValid[] = {
    "01 01000000 000000000000f03f 0000000000000040",
    "00 00000002 00000002 0000000000000000 0000000000000000 3ff8000000000000 c000000000000000",
    // Split entries in parentheses: one element each, not two.
    ("01 03000000 02000000 02000000 0000000000000000 0000000000000000 000000000000f03f "
     "000000000000f03f 01000000 0000000000000040 0000000000000040"),
    ("01 04000000 02000000 00 00000001 3ff0000000000000 4000000000000000 01 01000000 "
     "0000000000000840 0000000000001040"),
    "00 00000005 00000001 01 02000000 01000000 0000000000000040 0000000000000040",
    "01 06000000 01000000 00 00000003 00000001 00000001 3ff0000000000000 3ff0000000000000",
    ("00 00000007 00000003 01 01000000 000000000000f03f 0000000000000040 01 07000000 00000000"
     " 00 00000004 00000001 00 00000001 4014000000000000 4018000000000000"),
};

TEST_F(GeometryTest, DamagedEncodingsFailWithTheirOwnError) {
    struct Case {
        const char* damage;
        std::string hex;
        HRESULT expected;
    } cases[] = {
        {"byte order 2", "02 01000000 000000000000f03f 0000000000000040", kInvalidByteOrder},
        {"type code 0", "01 00000000 000000000000f03f 0000000000000040", kInvalidGeometryType},
        {"type code 8", "00 00000008 00000000", kInvalidGeometryType},
        {"type code of a 3D point",
         "01 e9030000 000000000000f03f 0000000000000040 0000000000000000", kInvalidGeometryType},
        {"member of another class",
         "01 04000000 01000000 01 02000000 01000000 0000000000000000 0000000000000000",
         kInvalidGeometryType},
        {"member with a bad byte order", "01 06000000 01000000 07 03000000 00000000",
         kInvalidByteOrder},
        {"collection member with a bad type", "01 07000000 01000000 01 09000000 00000000",
         kInvalidGeometryType},
        {"point count beyond the bytes", "01 02000000 ffffffff 0000000000000000 0000000000000000",
         kError},
        {"ring count beyond the bytes", "01 03000000 ffffff7f 00000000", kError},
        {"ring point count beyond the bytes",
         "01 03000000 01000000 02000000 0000000000000000 0000000000000000", kError},
        {"member count beyond the bytes",
         "00 00000004 00100000 00 00000001 0000000000000000 0000000000000000", kError},
        {"collection count beyond the bytes", "01 07000000 ffffffff 01 07000000 00000000", kError},
        {"collections nested too deep",
         Repeat("01 07000000 01000000 ", 32) + "01 07000000 00000000", kError},
        {"a deep nesting bomb", Repeat("01 07000000 01000000 ", 100000), kError},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.damage);
        HRESULT hr = S_OK;
        EXPECT_FALSE(Load(Hex(c.hex), &hr));
        EXPECT_EQ(hr, c.expected);
    }

    // An empty stream holds no geometry.
    ComPtr<IStream> stream;
    ASSERT_EQ(Factory()->CreateWKBStream(stream.Put()), S_OK);
    ComPtr<IWKBGeometry> geometry;
    EXPECT_EQ(Factory()->CreateWKBGeometry(stream.Get(), geometry.Put()), kError);
    EXPECT_FALSE(geometry);
}

TEST_F(GeometryTest, EveryTruncatedEncodingFails) {
    for (const char* hex : kValid) {
        Bytes bytes = Hex(hex);
        for (std::size_t length = 1; length < bytes.size(); ++length) {
            HRESULT hr = S_OK;
            EXPECT_FALSE(Load(Bytes(bytes.begin(), bytes.begin() + static_cast<long>(length)), &hr))
                << hex << " cut to " << length;
            EXPECT_TRUE(Failed(hr));
        }
        EXPECT_TRUE(Load(bytes)) << hex;
    }
}

// Seeded random damage: each load gives an error and no object, or an object
// whose own encoding loads again to the same geometry.
TEST_F(GeometryTest, RandomlyDamagedEncodingsFailOrLoadWhole) {
    std::mt19937 random(20240611);
    for (int round = 0; round < 4000; ++round) {
        Bytes bytes = Hex(kValid[random() % std::size(kValid)]);
        int flips = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < flips; ++i)
            bytes[random() % bytes.size()] = static_cast<std::uint8_t>(random());
        if (random() % 4 == 0) bytes.resize(1 + random() % bytes.size());

        HRESULT hr = S_OK;
        auto geometry = Load(bytes, &hr);
        if (!geometry) {
            EXPECT_TRUE(Failed(hr)) << ToHex(bytes);
            continue;
        }
        Bytes saved = Save(geometry.Get());
        auto again = Load(saved);
        ASSERT_TRUE(again) << ToHex(bytes);
        EXPECT_EQ(Canon(again.Get()), Canon(geometry.Get())) << ToHex(bytes);
    }
}

}  // namespace
}  // namespace geometrytest
