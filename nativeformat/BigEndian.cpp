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

std::size_t TextSize(std::string_view text) {
    const std::size_t n = Storable(text).size();
    return n < 255 ? n + 1 : n + 3;
}

std::size_t PutText(std::string_view text, std::uint8_t* out) {
    text = Storable(text);
    std::size_t head = 1;
    if (text.size() < 255) {
        out[0] = static_cast<std::uint8_t>(text.size());
    } else {
        out[0] = 255;
        PutU16(static_cast<std::uint16_t>(text.size()), out + 1);
        head = 3;
    }
    std::copy(text.begin(), text.end(), out + head);
    return head + text.size();
}

std::size_t GetText(std::span<const std::uint8_t> in, std::string& out) {
    if (in.empty()) return 0;
    std::size_t head = 1;
    std::size_t n = in[0];
    if (n == 255) {
        if (in.size() < 3) return 0;
        n = GetU16(in.data() + 1);
        head = 3;
    }
    if (in.size() - head < n) return 0;
    out.assign(reinterpret_cast<const char*>(in.data() + head), n);
    return head + n;
}

std::size_t ElementStringSize(std::string_view text) {
    const std::size_t n = Storable(text).size();
    return n < 127 ? n + 1 : n + 3;
}

std::size_t PutElementString(std::string_view text, std::uint8_t* out) {
    text = Storable(text);
    std::size_t head = 1;
    if (text.size() < 127) {
        out[0] = static_cast<std::uint8_t>(text.size());
    } else {
        out[0] = 127;
        PutU16(static_cast<std::uint16_t>(text.size()), out + 1);
        head = 3;
    }
    std::copy(text.begin(), text.end(), out + head);
    return head + text.size();
}

std::size_t GetElementString(std::span<const std::uint8_t> in, std::string& out, std::size_t keep) {
    if (in.empty()) return 0;
    std::size_t head = 1;
    std::size_t n = in[0];
    if (n >= 127) {
        if (in.size() < 3) return 0;
        n = GetU16(in.data() + 1);
        head = 3;
    }
    if (in.size() - head < n) return 0;
    const std::string_view stored(reinterpret_cast<const char*>(in.data() + head), n);
    out.assign(stored.substr(0, Utf8PrefixLength(stored, keep)));
    return head + n;
}

}  // namespace bigendian
