#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "common/ByteOrder.h"
#include "nativeformat/BigEndian.h"
#include "nativeformat/BinaryFile.h"
#include "testing/TestSupport.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Put(auto&& encode, std::size_t size) {
    Bytes out(size);
    encode(out.data());
    return out;
}

TEST(BigEndianTest, NumbersAreMostSignificantByteFirst) {
    EXPECT_EQ(Put([](std::uint8_t* p) { bigendian::PutUnsigned(0x41534946, 32, p); }, 4),
              (Bytes{0x41, 0x53, 0x49, 0x46}));
    EXPECT_EQ(Put([](std::uint8_t* p) { bigendian::PutUnsigned(0x1234, 16, p); }, 2),
              (Bytes{0x12, 0x34}));
    EXPECT_EQ(Put([](std::uint8_t* p) { bigendian::PutReal(1.5, 32, p); }, 4),
              (Bytes{0x3F, 0xC0, 0, 0}));
    EXPECT_EQ(Put([](std::uint8_t* p) { bigendian::PutReal(1.5, 64, p); }, 8),
              (Bytes{0x3F, 0xF8, 0, 0, 0, 0, 0, 0}));

    const Bytes u32{0xDE, 0xAD, 0xBE, 0xEF};
    EXPECT_EQ(bigendian::GetUnsigned(u32.data(), 32), 0xDEADBEEFu);
    EXPECT_EQ(bigendian::GetUnsigned(u32.data(), 16), 0xDEADu);
    const Bytes real{0x3F, 0xC0, 0, 0};
    EXPECT_EQ(bigendian::GetReal(real.data(), 32), 1.5);
    // A double that no float holds is rounded to the nearest float.
    std::uint8_t f[4];
    bigendian::PutReal(0.1, 32, f);
    EXPECT_EQ(bigendian::GetReal(f, 32), static_cast<double>(0.1f));
}

TEST(BigEndianTest, IndexTextTakesTheLongFormFrom255Bytes) {
    struct Case {
        std::size_t length;
        std::size_t size;
        Bytes head;
    };
    const Case cases[] = {
        {0, 1, {0x00}},
        {254, 255, {0xFE, 'x'}},
        {255, 258, {0xFF, 0x00, 0xFF, 'x'}},
        {300, 303, {0xFF, 0x01, 0x2C, 'x'}},
    };
    for (const Case& c : cases) {
        const std::string text(c.length, 'x');
        Bytes out(c.size + 8, 0xAA);
        ASSERT_EQ(bigendian::PutText(text, out.data()), c.size) << c.length;
        EXPECT_EQ(bigendian::TextSize(text), c.size);
        EXPECT_TRUE(std::equal(c.head.begin(), c.head.end(), out.begin())) << c.length;
        std::string back = "junk";
        EXPECT_EQ(bigendian::GetText({out.data(), c.size}, back), c.size);
        EXPECT_EQ(back, text);
        // One byte short of the stored text is malformed, never an over-read.
        EXPECT_EQ(bigendian::GetText({out.data(), c.size - 1}, back), 0u) << c.length;
    }
}

TEST(BigEndianTest, ElementStringTakesTheLongFormFrom127Bytes) {
    const std::string name127(127, 'n');
    Bytes out(200);
    ASSERT_EQ(bigendian::PutElementString(name127, out.data()), 130u);
    EXPECT_EQ((Bytes(out.begin(), out.begin() + 4)), (Bytes{0x7F, 0x00, 0x7F, 'n'}));
    ASSERT_EQ(bigendian::PutElementString(std::string(126, 'n'), out.data()), 127u);
    EXPECT_EQ(out[0], 0x7E);

    // Any first byte from 127 on is the long form; a kept text is cut at a
    // character boundary.
    const std::string accented = std::string(254, 'a') + "\xC3\xA9";  // 256 bytes, é at 254..255
    Bytes stored(accented.size() + 3);
    stored[0] = 0xC8;
    byteorder::StoreU16Be(static_cast<std::uint16_t>(accented.size()), &stored[1]);
    std::copy(accented.begin(), accented.end(), stored.begin() + 3);
    std::string back;
    EXPECT_EQ(bigendian::GetElementString(stored, back, 255), stored.size());
    EXPECT_EQ(back, std::string(254, 'a'));
}

TEST(BigEndianTest, Utf8PrefixNeverSplitsACharacter) {
    const std::string text =
        "ab\xE2\x82\xAC"  // a, b, euro sign (3 bytes)
        "c";
    const std::size_t expected[] = {0, 1, 2, 2, 2, 5, 6};
    for (std::size_t limit = 0; limit < std::size(expected); ++limit)
        EXPECT_EQ(bigendian::Utf8PrefixLength(text, limit), expected[limit]) << limit;
}

TEST(BinaryFileTest, OpenModes) {
    wlxtest::TempDir dir;
    const std::string name = (dir / "f.bin").string();
    CBinaryFile file;
    EXPECT_FALSE(file.Open(name, kOpenRead)) << "read-only needs an existing file";
    EXPECT_FALSE(file.Open(name, kOpenReadWrite)) << "open-existing needs an existing file";
    ASSERT_TRUE(file.Open(name, kOpenReadWrite | kOpenCreateNew));
    EXPECT_TRUE(file.IsNewFile());
    ASSERT_TRUE(file.WriteExactly("abcd", 4));
    file.Close();

    EXPECT_FALSE(file.Open(name, kOpenReadWrite | kOpenCreateNew))
        << "create-new fails on an existing file";
    ASSERT_TRUE(file.Open(name, kOpenReadWrite | kOpenAlways));
    EXPECT_FALSE(file.IsNewFile());
    char back[4];
    ASSERT_TRUE(file.Seek(2, CBinaryFile::kFromStart));
    ASSERT_TRUE(file.ReadExactly(back, 2));
    ASSERT_TRUE(file.WriteExactly("XY", 2));  // a write right after a read
    ASSERT_TRUE(file.Seek(-4, CBinaryFile::kFromEnd));
    ASSERT_TRUE(file.ReadExactly(back, 4));
    EXPECT_EQ(std::string(back, 4), "cdXY");
    std::uint32_t size = 0;
    ASSERT_TRUE(file.Size(size));
    EXPECT_EQ(size, 6u);
    EXPECT_FALSE(file.ReadExactly(back, 1)) << "a short read fails";
    file.Close();

    ASSERT_TRUE(file.Open(name, kOpenReadWrite | kOpenCreateAlways));
    EXPECT_TRUE(file.IsNewFile());
    ASSERT_TRUE(file.Size(size));
    EXPECT_EQ(size, 0u);
    file.Close();

    ASSERT_TRUE(file.Open(name, kOpenRead));
    EXPECT_FALSE(file.WriteExactly("z", 1));
    EXPECT_TRUE(CBinaryFile::Exists(name));
    EXPECT_FALSE(CBinaryFile::Exists((dir / "none").string()));
    EXPECT_EQ(CBinaryFile::GreatestCommonDivisor(400, 440), 40u);
}

}  // namespace
