// What the native files (WLX, SIF, KIF) add to the byte-order codec: fields
// whose width the file's precision sets, and the two length-prefixed text
// forms. Every field is big-endian (common/ByteOrder.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "common/ByteOrder.h"

namespace bigendian {

// Fields whose width the file's precision sets. bits 16: two bytes; any
// other value: four bytes.
inline void PutUnsigned(std::uint32_t value, int bits, std::uint8_t* out) {
    if (bits == 16)
        byteorder::StoreU16Be(static_cast<std::uint16_t>(value), out);
    else
        byteorder::StoreU32Be(value, out);
}

inline std::uint32_t GetUnsigned(const std::uint8_t* in, int bits) {
    return bits == 16 ? byteorder::LoadU16Be(in) : byteorder::LoadU32Be(in);
}

// bits 32: a float (the nearest to `value`); otherwise a double.
inline void PutReal(double value, int bits, std::uint8_t* out) {
    if (bits == 32)
        byteorder::StoreF32Be(static_cast<float>(value), out);
    else
        byteorder::StoreF64Be(value, out);
}

inline double GetReal(const std::uint8_t* in, int bits) {
    return bits == 32 ? byteorder::LoadF32Be(in) : byteorder::LoadF64Be(in);
}

// The longest prefix of `text` of at most `maxBytes` bytes that does not end
// inside a UTF-8 sequence.
std::size_t Utf8PrefixLength(std::string_view text, std::size_t maxBytes);

// Index header text: a length byte below 255 and the text, or 255, a 16-bit
// length and the text. Texts longer than 65535 bytes are cut.
std::size_t TextSize(std::string_view text);
std::size_t PutText(std::string_view text, std::uint8_t* out);
// Reads one text from `in`; returns the bytes used, 0 when it runs past `in`.
std::size_t GetText(std::span<const std::uint8_t> in, std::string& out);

// WLX element string: a length byte below 127 and the text, or 127, a 16-bit
// length and the text. Texts longer than 65535 bytes are cut.
std::size_t ElementStringSize(std::string_view text);
std::size_t PutElementString(std::string_view text, std::uint8_t* out);
// Reads one element string from `in`, keeping at most `keep` bytes of it (cut
// at a character boundary); returns the bytes used, 0 when it runs past `in`.
std::size_t GetElementString(std::span<const std::uint8_t> in, std::string& out, std::size_t keep);

}  // namespace bigendian
