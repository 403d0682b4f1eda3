#include "loader/TextCompare.h"

#include <cstddef>
#include <cstdint>

namespace {

// Bytes that start no valid sequence decode to a private marker per byte, so
// they only ever match themselves.
constexpr char32_t kRawByteBase = 0x110000;

char32_t NextCodePoint(std::string_view s, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(s[pos]);
    int extra = 0;
    char32_t cp = 0;
    if (lead < 0x80) {
        ++pos;
        return lead;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        extra = 1;
        cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        extra = 2;
        cp = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        extra = 3;
        cp = lead & 0x07;
    } else {
        ++pos;
        return kRawByteBase + lead;
    }
    if (pos + extra >= s.size()) {
        ++pos;
        return kRawByteBase + lead;
    }
    for (int i = 1; i <= extra; ++i) {
        const auto c = static_cast<unsigned char>(s[pos + i]);
        if ((c & 0xC0) != 0x80) {
            ++pos;
            return kRawByteBase + lead;
        }
        cp = (cp << 6) | (c & 0x3F);
    }
    pos += extra + 1;
    return cp;
}

char32_t FoldCase(char32_t c) {
    if (c >= U'A' && c <= U'Z') return c + 32;
    if (c < 0xC0) return c;
    if (c <= 0xDE) return c == 0xD7 ? c : c + 32;
    if (c >= 0x100 && c <= 0x137 && c != 0x130) return (c & 1) ? c : c + 1;
    if (c >= 0x139 && c <= 0x148) return (c & 1) ? c + 1 : c;
    if (c >= 0x14A && c <= 0x177) return (c & 1) ? c : c + 1;
    if (c == 0x178) return 0xFF;
    if (c >= 0x179 && c <= 0x17E) return (c & 1) ? c + 1 : c;
    if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return c + 32;
    if (c >= 0x400 && c <= 0x40F) return c + 80;
    if (c >= 0x410 && c <= 0x42F) return c + 32;
    return c;
}

}  // namespace

bool EqualsNoCase(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (FoldCase(NextCodePoint(a, i)) != FoldCase(NextCodePoint(b, j))) return false;
    }
    return i == a.size() && j == b.size();
}
