// UTF-8, the system's code page: encoding one character, and UTF-16LE text
// as the registry and design files store it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "common/ByteOrder.h"

// Appends the UTF-8 form of `code` (at most U+10FFFF).
inline void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | code >> 18);
        out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// UTF-16LE code units as UTF-8; an unpaired surrogate becomes U+FFFD and an
// odd last byte is left out. Zero units stay (they separate multi-strings).
inline std::string Utf16LeToUtf8(std::span<const std::uint8_t> bytes) {
    std::string out;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char32_t unit = byteorder::LoadU16Le(bytes.data() + i);
        if (unit >= 0xD800 && unit < 0xDC00 && i + 3 < bytes.size()) {
            const char32_t low = byteorder::LoadU16Le(bytes.data() + i + 2);
            if (low >= 0xDC00 && low < 0xE000) {
                unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        if (unit >= 0xD800 && unit < 0xE000) unit = 0xFFFD;
        AppendUtf8(out, unit);
    }
    return out;
}
