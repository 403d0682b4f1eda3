#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>

#include "platform/ComPtr.h"
#include "platform/Stream.h"

namespace {

ComPtr<IStream> NewStream(const std::string& content = "") {
    ComPtr<IStream> stream;
    EXPECT_EQ(CreateStreamOnHGlobal(nullptr, 1, stream.Put()), S_OK);
    if (!content.empty()) {
        EXPECT_EQ(
            stream->Write(content.data(), static_cast<std::uint32_t>(content.size()), nullptr),
            S_OK);
    }
    return stream;
}

std::string ReadAll(IStream* stream) {
    EXPECT_EQ(stream->Seek(0, STREAM_SEEK_SET, nullptr), S_OK);
    char buffer[64];
    std::uint32_t read = 0;
    EXPECT_EQ(stream->Read(buffer, sizeof buffer, &read), S_OK);
    return std::string(buffer, read);
}

std::uint64_t Position(IStream* stream) {
    std::uint64_t position = 0;
    EXPECT_EQ(stream->Seek(0, STREAM_SEEK_CUR, &position), S_OK);
    return position;
}

TEST(MemoryStream, ReadsWhatWasWrittenAndTellsAShortRead) {
    auto stream = NewStream("abcdef");
    EXPECT_EQ(Position(stream.Get()), 6u);
    ASSERT_EQ(stream->Seek(2, STREAM_SEEK_SET, nullptr), S_OK);
    char buffer[8] = {};
    std::uint32_t read = 0;
    EXPECT_EQ(stream->Read(buffer, 3, &read), S_OK);
    EXPECT_EQ(std::string(buffer, read), "cde");
    EXPECT_EQ(stream->Read(buffer, 8, &read), S_OK);
    EXPECT_EQ(std::string(buffer, read), "f");
    EXPECT_EQ(stream->Read(buffer, 8, &read), S_OK);
    EXPECT_EQ(read, 0u);

    STATSTG stat;
    EXPECT_EQ(stream->Stat(&stat, STATFLAG_NONAME), S_OK);
    EXPECT_EQ(stat.cbSize, 6u);
    EXPECT_EQ(stream->Stat(nullptr, STATFLAG_NONAME), STG_E_INVALIDPOINTER);
}

TEST(MemoryStream, WritesOverwriteExtendAndFillGapsWithZeros) {
    auto stream = NewStream("abcdef");
    ASSERT_EQ(stream->Seek(-2, STREAM_SEEK_END, nullptr), S_OK);
    ASSERT_EQ(stream->Write("XYZ", 3, nullptr), S_OK);
    EXPECT_EQ(ReadAll(stream.Get()), "abcdXYZ");
    ASSERT_EQ(stream->Seek(2, STREAM_SEEK_END, nullptr), S_OK);
    ASSERT_EQ(stream->Write("!", 1, nullptr), S_OK);
    EXPECT_EQ(ReadAll(stream.Get()), std::string("abcdXYZ\0\0!", 10));
    ASSERT_EQ(stream->SetSize(3), S_OK);
    EXPECT_EQ(ReadAll(stream.Get()), "abc");
}

TEST(MemoryStream, SeeksStayWithinZeroAndFourGigabytes) {
    constexpr std::int64_t kLast = std::numeric_limits<std::uint32_t>::max();
    struct Case {
        std::int64_t move;
        STREAM_SEEK origin;
        HRESULT expected;
        std::uint64_t position;
    } cases[] = {
        {3, STREAM_SEEK_SET, S_OK, 3},
        {2, STREAM_SEEK_CUR, S_OK, 5},
        {-1, STREAM_SEEK_END, S_OK, 9},
        {-10, STREAM_SEEK_CUR, STG_E_INVALIDFUNCTION, 9},
        {-1, STREAM_SEEK_SET, STG_E_INVALIDFUNCTION, 9},
        {std::numeric_limits<std::int64_t>::min(), STREAM_SEEK_END, STG_E_INVALIDFUNCTION, 9},
        {std::numeric_limits<std::int64_t>::max(), STREAM_SEEK_CUR, STG_E_INVALIDFUNCTION, 9},
        {kLast + 1, STREAM_SEEK_SET, STG_E_INVALIDFUNCTION, 9},
        {0, static_cast<STREAM_SEEK>(3), STG_E_INVALIDFUNCTION, 9},
        {kLast, STREAM_SEEK_SET, S_OK, static_cast<std::uint64_t>(kLast)},
    };
    auto stream = NewStream("0123456789");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.move);
        EXPECT_EQ(stream->Seek(c.move, c.origin, nullptr), c.expected);
        EXPECT_EQ(Position(stream.Get()), c.position);
    }
    // At the last position a write would pass the limit: refused before any allocation.
    std::uint32_t written = 7;
    EXPECT_EQ(stream->Write("ab", 2, &written), STG_E_MEDIUMFULL);
    EXPECT_EQ(written, 0u);
    EXPECT_EQ(stream->SetSize(kLast + 1), STG_E_MEDIUMFULL);
    EXPECT_EQ(ReadAll(stream.Get()), "0123456789");
}

TEST(MemoryStream, ClonesShareTheBytesButNotThePosition) {
    auto stream = NewStream("abc");
    ASSERT_EQ(stream->Seek(1, STREAM_SEEK_SET, nullptr), S_OK);
    ComPtr<IStream> clone;
    ASSERT_EQ(stream->Clone(clone.Put()), S_OK);
    EXPECT_EQ(Position(clone.Get()), 1u);
    ASSERT_EQ(clone->Seek(0, STREAM_SEEK_END, nullptr), S_OK);
    ASSERT_EQ(clone->Write("d", 1, nullptr), S_OK);
    EXPECT_EQ(Position(stream.Get()), 1u);
    stream.Reset();
    EXPECT_EQ(ReadAll(clone.Get()), "abcd");
}

TEST(MemoryStream, GlobalMemoryHoldsTheStreamBytes) {
    auto stream = NewStream("wkb");
    HGLOBAL memory = nullptr;
    ASSERT_EQ(GetHGlobalFromStream(stream.Get(), &memory), S_OK);
    ComPtr<IStream> clone;
    ASSERT_EQ(stream->Clone(clone.Put()), S_OK);
    HGLOBAL cloneMemory = nullptr;
    ASSERT_EQ(GetHGlobalFromStream(clone.Get(), &cloneMemory), S_OK);
    EXPECT_EQ(cloneMemory, memory);

    auto* bytes = static_cast<const char*>(GlobalLock(memory));
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(std::string(bytes, 3), "wkb");
    EXPECT_NE(GlobalLock(memory), nullptr);
    EXPECT_NE(GlobalUnlock(memory), 0);
    EXPECT_EQ(GlobalUnlock(memory), 0);
    EXPECT_EQ(GlobalUnlock(memory), 0);
}

TEST(MemoryStream, RefusesWhatItCannotProvide) {
    IStream* stream = reinterpret_cast<IStream*>(1);
    EXPECT_EQ(CreateStreamOnHGlobal(nullptr, 0, &stream), E_INVALIDARG);
    EXPECT_EQ(stream, nullptr);
    auto other = NewStream();
    HGLOBAL memory = nullptr;
    ASSERT_EQ(GetHGlobalFromStream(other.Get(), &memory), S_OK);
    EXPECT_EQ(CreateStreamOnHGlobal(memory, 1, &stream), E_INVALIDARG);
    EXPECT_EQ(CreateStreamOnHGlobal(nullptr, 1, nullptr), E_POINTER);
    EXPECT_EQ(GetHGlobalFromStream(nullptr, &memory), E_INVALIDARG);
    EXPECT_EQ(memory, nullptr);
}

}  // namespace
