#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "common/ByteSource.h"
#include "testing/TestSupport.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void ExpectReadsBounded(const CByteSource& source) {
    ASSERT_EQ(source.Size(), 5u);
    std::uint8_t out[5] = {};
    EXPECT_TRUE(source.ReadAt(1, out, 3));
    EXPECT_EQ(Bytes(out, out + 3), (Bytes{2, 3, 4}));
    EXPECT_TRUE(source.ReadAt(5, out, 0));
    EXPECT_FALSE(source.ReadAt(3, out, 3));
    EXPECT_FALSE(source.ReadAt(6, out, 0));
    // An offset near the top of the range must not wrap around into the file.
    EXPECT_FALSE(source.ReadAt(UINT64_MAX, out, 2));
    EXPECT_FALSE(source.Contains(2, UINT64_MAX));
    EXPECT_EQ(source.Read(0, 5).value(), (Bytes{1, 2, 3, 4, 5}));
    EXPECT_FALSE(source.Read(4, 2).has_value());
}

TEST(ByteSourceTest, MemoryAndFileSourcesCheckEveryRange) {
    const Bytes bytes{1, 2, 3, 4, 5};
    ExpectReadsBounded(CMemoryByteSource(bytes));
    ExpectReadsBounded(CMemoryByteSource(Bytes(bytes)));

    wlxtest::TempDir dir;
    wlxtest::WriteBytes(dir / "f.bin", bytes);
    auto file = CFileByteSource::Open((dir / "f.bin").string());
    ASSERT_NE(file, nullptr);
    ExpectReadsBounded(*file);
}

TEST(ByteSourceTest, MissingFilesAndDirectoriesDoNotOpen) {
    wlxtest::TempDir dir;
    EXPECT_EQ(CFileByteSource::Open((dir / "none.bin").string()), nullptr);
    EXPECT_EQ(CFileByteSource::Open(dir.path().string()), nullptr);
}

TEST(ByteSourceTest, CursorFailsAtTheFirstShortReadAndStaysFailed) {
    const Bytes bytes{0x01, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x07};
    CByteCursor cursor(bytes);
    EXPECT_EQ(cursor.U32Le(), 1u);
    EXPECT_EQ(cursor.I16Be(), -1);
    EXPECT_TRUE(cursor.Ok());
    EXPECT_EQ(cursor.Remaining(), 1u);
    EXPECT_EQ(cursor.U16Le(), 0u);  // one byte left: fails
    EXPECT_FALSE(cursor.Ok());
    EXPECT_EQ(cursor.U8(), 0u);  // and stays failed although a byte is left
    EXPECT_EQ(cursor.Remaining(), 0u);

    CByteCursor seek(bytes);
    EXPECT_TRUE(seek.Seek(6));
    EXPECT_EQ(seek.U8(), 7u);
    EXPECT_FALSE(seek.Skip(1));
    CByteCursor far(bytes);
    EXPECT_FALSE(far.Seek(8));
    EXPECT_TRUE(far.Take(0).empty());
}

}  // namespace
