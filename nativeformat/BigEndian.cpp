#include "nativeformat/BigEndian.h"

#include <algorithm>

namespace bigendian {

namespace {

constexpr std::size_t kMaxStoredText = 0xFFFF;

bool IsContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

std::string_view Storable(std::string_view text) {
    return text.substr(0, Utf8PrefixLength(text, kMaxStoredText));
}

}  // namespace

std::size_t Utf8PrefixLength(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return text.size();
    std::size_t n = maxBytes;
    // Step back over continuation bytes to the start of the cut character; a
    // stray continuation run longer than a character is cut as bytes.
    std::size_t back = 0;
    while (n > 0 && back < 4 && IsContinuation(static_cast<unsigned char>(text[n]))) {
        --n;
        ++back;
    }
    if (back == 4) return maxBytes;
    return n;
}

namespace {

// A counted text: a length byte below `escape` and the text, or `escape`, a
// 16-bit length and the text.
std::size_t CountedSize(std::string_view text, std::size_t escape) {
    const std::size_t n = Storable(text).size();
    return n < escape ? n + 1 : n + 3;
}

std::size_t PutCounted(std::string_view text, std::size_t escape, std::uint8_t* out) {
    text = Storable(text);
    std::size_t head = 1;
    if (text.size() < escape) {
        out[0] = static_cast<std::uint8_t>(text.size());
    } else {
        out[0] = static_cast<std::uint8_t>(escape);
        byteorder::StoreU16Be(static_cast<std::uint16_t>(text.size()), out + 1);
        head = 3;
    }
    std::copy(text.begin(), text.end(), out + head);
    return head + text.size();
}

// A length byte of `longFrom` or more is followed by the 16-bit length.
std::size_t GetCounted(std::span<const std::uint8_t> in, std::size_t longFrom,
                       std::string_view& text) {
    if (in.empty()) return 0;
    std::size_t head = 1;
    std::size_t n = in[0];
    if (n >= longFrom) {
        if (in.size() < 3) return 0;
        n = byteorder::LoadU16Be(in.data() + 1);
        head = 3;
    }
    if (in.size() - head < n) return 0;
    text = std::string_view(reinterpret_cast<const char*>(in.data() + head), n);
    return head + n;
}

}  // namespace

std::size_t TextSize(std::string_view text) {
    return CountedSize(text, 255);
}

std::size_t PutText(std::string_view text, std::uint8_t* out) {
    return PutCounted(text, 255, out);
}

std::size_t GetText(std::span<const std::uint8_t> in, std::string& out) {
    std::string_view text;
    const std::size_t used = GetCounted(in, 255, text);
    if (used != 0) out.assign(text);
    return used;
}

std::size_t ElementStringSize(std::string_view text) {
    return CountedSize(text, 127);
}

std::size_t PutElementString(std::string_view text, std::uint8_t* out) {
    return PutCounted(text, 127, out);
}

std::size_t GetElementString(std::span<const std::uint8_t> in, std::string& out, std::size_t keep) {
    std::string_view stored;
    const std::size_t used = GetCounted(in, 127, stored);
    if (used != 0) out.assign(stored.substr(0, Utf8PrefixLength(stored, keep)));
    return used;
}

}  // namespace bigendian
