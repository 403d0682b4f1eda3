#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/PositionalIo.h"
#include "testing/TestSupport.h"

namespace {

TEST(PositionalIoTest, TransfersAtThePositionAndLeavesTheStreamWhereItWas) {
    wlxtest::TempDir dir;
    const std::string name = (dir / "file.bin").string();
    std::FILE* file = std::fopen(name.c_str(), "w+b");
    ASSERT_NE(file, nullptr);
    std::setvbuf(file, nullptr, _IONBF, 0);

    // Past the end: the gap reads as zeros.
    EXPECT_EQ(platform::WriteAt(file, "abc", 3, 5), 3u);
    EXPECT_EQ(platform::WriteAt(file, "XY", 2, 1), 2u);
    EXPECT_EQ(std::ftell(file), 0);
    char bytes[16] = {};
    EXPECT_EQ(platform::ReadAt(file, bytes, sizeof bytes, 0), 8u);  // short at the end
    EXPECT_EQ(std::string(bytes, 8), std::string("\0XY\0\0abc", 8));
    EXPECT_EQ(platform::ReadAt(file, bytes, 4, 100), 0u);
    std::fclose(file);
}

TEST(PositionalIoTest, FailuresTransferNothing) {
    wlxtest::TempDir dir;
    const std::string name = (dir / "file.bin").string();
    std::FILE* file = std::fopen(name.c_str(), "w+b");
    ASSERT_NE(file, nullptr);
    char byte = 0;
    // Beyond what the system's offsets reach.
    EXPECT_EQ(platform::WriteAt(file, &byte, 1, ~std::uint64_t{0}), 0u);
    EXPECT_EQ(platform::ReadAt(file, &byte, 1, ~std::uint64_t{0}), 0u);
    std::fclose(file);
    // A stream opened for reading only refuses writes.
    file = std::fopen(name.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(platform::WriteAt(file, "a", 1, 0), 0u);
    std::fclose(file);
}

}  // namespace
