#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "loader/core/TextFile.h"
#include "loader/core/UnicodeEscapes.h"
#include "loader/core/Win32File.h"
#include "testing/TestSupport.h"

namespace {

TEST(TextFile, ReadLineSkipsBlankLinesAndKeepsTheLineEnd) {
    wlxtest::TempDir dir;
    const auto path = dir / "a.txt";
    wlxtest::WriteText(path, "\n  \t\r\n\n x\r\nlast");
    CTextFile file(path.string());
    ASSERT_EQ(file.OpenRead(), 0);
    std::string line;
    EXPECT_EQ(file.ReadLine(line), 0);
    EXPECT_EQ(line, " x\r\n");
    EXPECT_EQ(file.ReadLine(line), 0);
    EXPECT_EQ(line, "last");
    EXPECT_EQ(file.ReadLine(line), kWlxEndOfData);
    EXPECT_EQ(line, "");
}

TEST(TextFile, ReadLineReturnsLongLinesWhole) {
    wlxtest::TempDir dir;
    const auto path = dir / "long.txt";
    const std::string longLine(200000, 'a');
    wlxtest::WriteText(path, longLine + "\nb\n");
    CTextFile file(path.string());
    ASSERT_EQ(file.OpenRead(), 0);
    std::string line;
    ASSERT_EQ(file.ReadLine(line), 0);
    EXPECT_EQ(line, longLine + "\n");
    ASSERT_EQ(file.ReadLine(line), 0);
    EXPECT_EQ(line, "b\n");
}

TEST(TextFile, SkipLinesCountsBlankLinesAndTellSeekRoundTrip) {
    wlxtest::TempDir dir;
    const auto path = dir / "s.txt";
    wlxtest::WriteText(path, "one\n\nthree\nfour\n");
    CTextFile file(path.string());
    ASSERT_EQ(file.OpenRead(), 0);
    EXPECT_EQ(file.SkipLines(0), 0);
    EXPECT_EQ(file.SkipLines(2), 0);
    std::int64_t offset = -1;
    ASSERT_EQ(file.Tell(offset), 0);
    EXPECT_EQ(offset, 5);
    std::string line;
    EXPECT_EQ(file.ReadLine(line), 0);
    EXPECT_EQ(line, "three\n");
    EXPECT_EQ(file.Seek(offset), 0);
    EXPECT_EQ(file.ReadLine(line), 0);
    EXPECT_EQ(line, "three\n");
    EXPECT_EQ(file.SkipLines(5), kWlxEndOfData);
}

TEST(TextFile, OpenFailuresAndWriting) {
    wlxtest::TempDir dir;
    CTextFile missing((dir / "none.txt").string());
    EXPECT_EQ(missing.OpenRead(), kWlxFileNotFound);
    CTextFile unnamed("");
    EXPECT_EQ(unnamed.OpenRead(), kWlxOpenFailed);
    EXPECT_EQ(unnamed.OpenWrite(false), kWlxOpenFailed);
    CTextFile directory(dir.path().string());
    EXPECT_EQ(directory.OpenRead(), kWlxOpenFailed);
    CTextFile noDir((dir / "no" / "x.txt").string());
    EXPECT_EQ(noDir.OpenWrite(false), kWlxOpenFailed);

    const auto path = dir / "w.txt";
    wlxtest::WriteText(path, "old\n");
    {
        CTextFile out(path.string());
        ASSERT_EQ(out.OpenWrite(false), 0);
        EXPECT_EQ(out.Write("new\n"), 0);
    }
    EXPECT_EQ(wlxtest::ReadText(path), "new\n");
    {
        CTextFile out(path.string());
        ASSERT_EQ(out.OpenWrite(true), 0);
        EXPECT_EQ(out.Write("more\n"), 0);
        EXPECT_EQ(out.Close(), 0);
    }
    EXPECT_EQ(wlxtest::ReadText(path), "new\nmore\n");
}

TEST(Win32File, TypedReadsInBothByteOrders) {
    wlxtest::TempDir dir;
    const auto path = dir / "b.bin";
    wlxtest::WriteBytes(path, {0x00, 0x00, 0x27, 0x0A, 0x12, 0x34, 0x00, 0x00, 0x00, 0x00, 0x00,
                               0x00, 0xF8, 0x3F, 0xFF});
    CWin32File file(path.string());
    ASSERT_EQ(file.OpenRead(), 0);
    std::uint32_t u32 = 0;
    ASSERT_EQ(file.ReadUInt32(u32, true), 0);
    EXPECT_EQ(u32, 9994u);
    ASSERT_EQ(file.Seek(0, kSeekBegin), 0);
    ASSERT_EQ(file.ReadUInt32(u32, false), 0);
    EXPECT_EQ(u32, 170328064u);
    std::uint16_t u16 = 0;
    ASSERT_EQ(file.ReadUInt16(u16, true), 0);
    EXPECT_EQ(u16, 0x1234);
    double d = 0;
    ASSERT_EQ(file.ReadFloat64(d), 0);
    EXPECT_EQ(d, 1.5);
    std::uint8_t byte = 0;
    ASSERT_EQ(file.ReadByte(byte), 0);
    EXPECT_EQ(byte, 0xFF);
    EXPECT_EQ(file.ReadByte(byte), kWlxEndOfData);
    std::int64_t size = 0;
    ASSERT_EQ(file.GetSize(size), 0);
    EXPECT_EQ(size, 15);
}

TEST(Win32File, ShortReadsAndOpenFailures) {
    wlxtest::TempDir dir;
    const auto path = dir / "three.bin";
    wlxtest::WriteBytes(path, {1, 2, 3});
    CWin32File file(path.string());
    ASSERT_EQ(file.OpenRead(), 0);
    std::uint32_t u32 = 0;
    EXPECT_EQ(file.ReadUInt32(u32, true), kWlxReadError);
    ASSERT_EQ(file.Seek(0, kSeekBegin), 0);
    std::uint8_t buffer[4];
    EXPECT_EQ(file.Read(buffer, 4), kWlxEndOfData);
    EXPECT_EQ(file.Seek(-1, kSeekBegin), kWlxInvalidOffset);
    CWin32File missing((dir / "none").string());
    EXPECT_EQ(missing.OpenRead(), kWlxFileNotFound);
}

// Seeks anywhere (back, forward, from the end, past the end) and reads of any
// length, within the read buffer, across its edge and larger than it, give
// the file's bytes; a read past the end gives what is there and stops there.
TEST(Win32File, ReadsAtAnyOffsetGiveTheFileBytes) {
    wlxtest::TempDir dir;
    const auto path = dir / "big.bin";
    std::vector<std::uint8_t> bytes(300000);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
    wlxtest::WriteBytes(path, bytes);
    CWin32File file(path.string());
    ASSERT_EQ(file.OpenRead(), 0);
    const auto size = static_cast<std::int64_t>(bytes.size());
    std::mt19937 random(99);
    for (int round = 0; round < 400; ++round) {
        SCOPED_TRACE(round);
        std::int64_t at = 0;
        switch (random() % 3) {
            case 0:
                at = static_cast<std::int64_t>(random() % (bytes.size() + 10));
                ASSERT_EQ(file.Seek(at, kSeekBegin), 0);
                break;
            case 1: {
                std::int64_t here = 0;
                ASSERT_EQ(file.Tell(here), 0);
                const std::int64_t move = static_cast<std::int64_t>(random() % 2000) - 1000;
                at = std::max<std::int64_t>(here + move, 0);
                ASSERT_EQ(file.Seek(at - here, kSeekCurrent), 0);
                break;
            }
            default:
                at = std::max<std::int64_t>(size - static_cast<std::int64_t>(random() % 5000), 0);
                ASSERT_EQ(file.Seek(at - size, kSeekEnd), 0);
        }
        const std::size_t n = random() % 4 ? 1 + random() % 3000 : 1 + random() % 150000;
        std::vector<std::uint8_t> got(n);
        const std::int64_t whole = std::min<std::int64_t>(static_cast<std::int64_t>(n),
                                                          std::max<std::int64_t>(size - at, 0));
        ASSERT_EQ(file.Read(got.data(), n),
                  whole == static_cast<std::int64_t>(n) ? 0 : kWlxEndOfData);
        ASSERT_TRUE(std::equal(got.begin(), got.begin() + whole, bytes.begin() + at));
        std::int64_t here = 0;
        ASSERT_EQ(file.Tell(here), 0);
        ASSERT_EQ(here, at + whole);
    }
}

TEST(UnicodeEscapes, DecodesToUtf8AndLeavesWhatNamesNoCharacter) {
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"A\\U+0041B", "AAB"},        {"\\u+00e9t\\U+00E9", "\xc3\xa9t\xc3\xa9"},
        {"\\U+20AC", "\xe2\x82\xac"}, {"\\U+004", "\\U+004"},
        {"\\U+004G", "\\U+004G"},     {"\\X+0041", "\\X+0041"},
        {"\\U0041", "\\U0041"},       {"a\\U+0000b", "a\\U+0000b"},
        {"\\U+D800", "\\U+D800"},     {"\\\\U+0041", "\\A"},
        {"trailing\\", "trailing\\"}, {"", ""},
    };
    for (const auto& c : cases) {
        std::string text = c.in;
        DecodeUnicodeEscapes(text);
        EXPECT_EQ(text, c.out) << c.in;
    }
}

}  // namespace
