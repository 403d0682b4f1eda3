// Big-endian codecs of the native files (WLX, SIF, KIF): integers, reals and
// the two length-prefixed text forms. Every byte-order conversion of the
// native format goes through here.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

namespace bigendian {

// The value's bytes, most significant first, stored with one copy: stores of
// single bytes keep the compiler from making one swapped store of them in
// loops (the point arrays of every record).
template <class Unsigned>
inline void PutBigEndian(Unsigned value, std::uint8_t* out) {
    std::uint8_t bytes[sizeof(Unsigned)];
    for (std::size_t i = 0; i < sizeof(Unsigned); ++i)
        bytes[i] = static_cast<std::uint8_t>(value >> (8 * (sizeof(Unsigned) - 1 - i)));
    std::memcpy(out, bytes, sizeof bytes);
}

inline void PutU16(std::uint16_t value, std::uint8_t* out) {
    PutBigEndian(value, out);
}

inline void PutU32(std::uint32_t value, std::uint8_t* out) {
    PutBigEndian(value, out);
}

inline void PutU64(std::uint64_t value, std::uint8_t* out) {
    PutBigEndian(value, out);
}

inline std::uint16_t GetU16(const std::uint8_t* in) {
    return static_cast<std::uint16_t>((in[0] << 8) | in[1]);
}

inline std::uint32_t GetU32(const std::uint8_t* in) {
    return (std::uint32_t{in[0]} << 24) | (std::uint32_t{in[1]} << 16) |
           (std::uint32_t{in[2]} << 8) | std::uint32_t{in[3]};
}

inline std::uint64_t GetU64(const std::uint8_t* in) {
    return (std::uint64_t{GetU32(in)} << 32) | GetU32(in + 4);
}

inline void PutF32(double value, std::uint8_t* out) {
    PutU32(std::bit_cast<std::uint32_t>(static_cast<float>(value)), out);
}
inline void PutF64(double value, std::uint8_t* out) {
    PutU64(std::bit_cast<std::uint64_t>(value), out);
}
inline double GetF32(const std::uint8_t* in) {
    return std::bit_cast<float>(GetU32(in));
}
inline double GetF64(const std::uint8_t* in) {
    return std::bit_cast<double>(GetU64(in));
}

// bits 16: two bytes; any other value: four bytes.
inline void PutUnsigned(std::uint32_t value, int bits, std::uint8_t* out) {
    if (bits == 16)
        PutU16(static_cast<std::uint16_t>(value), out);
    else
        PutU32(value, out);
}

inline std::uint32_t GetUnsigned(const std::uint8_t* in, int bits) {
    return bits == 16 ? GetU16(in) : GetU32(in);
}

// bits 32: a float; otherwise a double.
inline void PutReal(double value, int bits, std::uint8_t* out) {
    if (bits == 32)
        PutF32(value, out);
    else
        PutF64(value, out);
}

inline double GetReal(const std::uint8_t* in, int bits) {
    return bits == 32 ? GetF32(in) : GetF64(in);
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
