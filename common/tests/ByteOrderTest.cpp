#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "common/ByteOrder.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace byteorder;

TEST(ByteOrderTest, IntegersInBothOrders) {
    const Bytes b{0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08};
    EXPECT_EQ(LoadU16Le(b.data()), 0x0201u);
    EXPECT_EQ(LoadU16Be(b.data()), 0x0102u);
    EXPECT_EQ(LoadU32Le(b.data()), 0x04030201u);
    EXPECT_EQ(LoadU32Be(b.data()), 0x01020304u);
    EXPECT_EQ(LoadU64Le(b.data()), 0x0807060504030201ull);
    EXPECT_EQ(LoadU64Be(b.data()), 0x0102030405060708ull);

    const Bytes neg{0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(LoadI16Le(neg.data()), -2);
    EXPECT_EQ(LoadI32Le(neg.data()), -2);
    EXPECT_EQ(LoadI64Le(neg.data()), -2);
    EXPECT_EQ(LoadI16Be(neg.data()), -257);
    EXPECT_EQ(LoadI32Be(neg.data() + 4), -1);
}

TEST(ByteOrderTest, StoresAreTheInverseOfLoads) {
    std::uint8_t out[8];
    StoreU32Be(0x41534946u, out);
    EXPECT_EQ(Bytes(out, out + 4), (Bytes{0x41, 0x53, 0x49, 0x46}));
    StoreU32Le(0x41534946u, out);
    EXPECT_EQ(Bytes(out, out + 4), (Bytes{0x46, 0x49, 0x53, 0x41}));
    StoreI16Be(-2, out);
    EXPECT_EQ(Bytes(out, out + 2), (Bytes{0xFF, 0xFE}));
    StoreI64Le(std::numeric_limits<std::int64_t>::min(), out);
    EXPECT_EQ(LoadI64Le(out), std::numeric_limits<std::int64_t>::min());
}

TEST(ByteOrderTest, RealsAreIeeeBits) {
    std::uint8_t out[8];
    StoreF64Be(1.5, out);
    EXPECT_EQ(Bytes(out, out + 8), (Bytes{0x3F, 0xF8, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(LoadF64Be(out), 1.5);
    StoreF64Le(-0.0, out);
    EXPECT_EQ(Bytes(out, out + 8), (Bytes{0, 0, 0, 0, 0, 0, 0, 0x80}));
    StoreF32Le(1.5f, out);
    EXPECT_EQ(Bytes(out, out + 4), (Bytes{0, 0, 0xC0, 0x3F}));
    EXPECT_EQ(LoadF32Le(out), 1.5f);
    StoreF64Le(std::numeric_limits<double>::quiet_NaN(), out);
    EXPECT_TRUE(std::isnan(LoadF64Le(out)));
}

TEST(ByteOrderTest, AnOrderChosenAtRunTimeMatchesTheNamedForms) {
    const Bytes b{0x3F, 0xF8, 0, 0, 0, 0, 0, 0x01};
    EXPECT_EQ(Load<std::uint32_t>(Endian::kBig, b.data()), LoadU32Be(b.data()));
    EXPECT_EQ(Load<std::uint32_t>(Endian::kLittle, b.data()), LoadU32Le(b.data()));
    EXPECT_EQ(Load<double>(Endian::kBig, b.data()), LoadF64Be(b.data()));
    EXPECT_EQ(Load<std::int16_t>(Endian::kLittle, b.data() + 6), 0x0100);

    std::uint8_t out[8];
    Store(Endian::kLittle, std::uint16_t{0x1234}, out);
    EXPECT_EQ(Bytes(out, out + 2), (Bytes{0x34, 0x12}));
    Store(Endian::kBig, -1.5, out);
    EXPECT_EQ(LoadF64Be(out), -1.5);
}

}  // namespace
