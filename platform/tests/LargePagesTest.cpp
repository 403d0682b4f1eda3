#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "platform/LargePages.h"

namespace {

TEST(LargePagesTest, PagesComeAlignedAndWritable) {
    constexpr std::size_t kAlignment = 2u << 20;
    for (const std::size_t length : {std::size_t{4096}, 3 * kAlignment}) {
        void* block = platform::AllocatePages(length, kAlignment);
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block) % kAlignment, 0u) << length;
        platform::AdviseLargePages(block, length);
        std::memset(block, 0xA5, length);
        EXPECT_EQ(static_cast<unsigned char*>(block)[length - 1], 0xA5);
        platform::FreePages(block, length);
    }
}

}  // namespace
