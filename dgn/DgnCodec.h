// The design-file (DGN version 7) number formats and element framing: longs
// stored most significant word first, VAX D-floating doubles, angles, the
// sign-magnitude arc sweep, the biased range values, Radix-50 text, the
// 36-byte element header and the attribute linkages. Pure functions over
// bytes; every reader and writer of the plug-in goes through them.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace dgn {

// Element types the plug-in knows by name.
enum EDgnType : std::uint8_t {
    kTypeCell = 2,
    kTypeLine = 3,
    kTypeLineString = 4,
    kTypeRefAttachmentOld = 5,  // on level 9 only
    kTypeShape = 6,
    kTypeTextNode = 7,
    kTypeControl = 9,
    kTypeCurve = 11,
    kTypeComplexChain = 12,
    kTypeComplexShape = 14,
    kTypeEllipse = 15,
    kTypeArc = 16,
    kTypeText = 17,
    kTypePointString = 22,
    kTypeRefAttachment = 66,  // on level 5 only
};

inline constexpr std::size_t kHeaderSize = 36;
inline constexpr std::uint16_t kEndOfDesign = 0xFFFF;
// Properties bit: the element carries attribute linkages.
inline constexpr std::uint16_t kPropertyAttributes = 0x0800;
// One degree in stored angle units.
inline constexpr double kAngleUnitsPerDegree = 360000.0;

// Bytes b0 b1 b2 b3 hold b2 + 2^8 b3 + 2^16 b0 + 2^24 b1, two's complement.
constexpr std::int32_t LoadLong(const std::uint8_t* in) {
    return static_cast<std::int32_t>(std::uint32_t(in[2]) | std::uint32_t(in[3]) << 8 |
                                     std::uint32_t(in[0]) << 16 | std::uint32_t(in[1]) << 24);
}
constexpr void StoreLong(std::int32_t value, std::uint8_t* out) {
    const auto v = static_cast<std::uint32_t>(value);
    out[0] = static_cast<std::uint8_t>(v >> 16);
    out[1] = static_cast<std::uint8_t>(v >> 24);
    out[2] = static_cast<std::uint8_t>(v);
    out[3] = static_cast<std::uint8_t>(v >> 8);
}

// A VAX D-floating value, four little-endian words, most significant first.
// A value whose first two bytes are zero is 0.0; the lowest three fraction
// bits do not fit an IEEE double and are dropped.
constexpr double LoadVaxDouble(const std::uint8_t* in) {
    if (in[0] == 0 && in[1] == 0) return 0.0;
    std::uint64_t vax = 0;
    for (int w = 0; w < 4; ++w)
        vax = vax << 16 | std::uint64_t(in[2 * w]) | std::uint64_t(in[2 * w + 1]) << 8;
    const std::uint64_t sign = vax >> 63;
    const std::int64_t exponent = std::int64_t(vax >> 55 & 0xFF) + 894;
    const std::uint64_t fraction = (vax & ((std::uint64_t(1) << 55) - 1)) >> 3;
    const std::uint64_t ieee =
        sign << 63 | std::uint64_t(exponent < 0 ? 0 : exponent) << 52 | fraction;
    return std::bit_cast<double>(ieee);
}
// 0.0 (and what VAX cannot hold below its range) as eight zero bytes; values
// beyond its range as its largest magnitude.
constexpr void StoreVaxDouble(double value, std::uint8_t* out) {
    const auto ieee = std::bit_cast<std::uint64_t>(value);
    const std::int64_t exponent = std::int64_t(ieee >> 52 & 0x7FF) - 894;
    std::uint64_t vax = 0;
    if (exponent > 255)
        vax = (ieee >> 63) << 63 | ~std::uint64_t(0) >> 1;
    else if (exponent > 0)
        vax = (ieee >> 63) << 63 | std::uint64_t(exponent) << 55 |
              (ieee & ((std::uint64_t(1) << 52) - 1)) << 3;
    for (int w = 0; w < 4; ++w) {
        const auto word = static_cast<std::uint16_t>(vax >> (48 - 16 * w));
        out[2 * w] = static_cast<std::uint8_t>(word);
        out[2 * w + 1] = static_cast<std::uint8_t>(word >> 8);
    }
}

inline double AngleDegrees(std::int32_t stored) {
    return stored / kAngleUnitsPerDegree;
}

// The arc sweep: bit 31 the sign, bits 0-30 the size in angle units. A stored
// 0 is the full turn that writers mean by it.
double SweepDegrees(std::uint32_t stored);
std::uint32_t EncodeSweep(double degrees);

// Element ranges are stored with a bias of 2^31 (the top bit flipped), as the
// designs of other writers have them.
constexpr std::int32_t DecodeRange(std::uint32_t stored) {
    return static_cast<std::int32_t>(stored ^ 0x80000000u);
}
constexpr std::uint32_t EncodeRange(std::int32_t value) {
    return static_cast<std::uint32_t>(value) ^ 0x80000000u;
}

// Three characters a word of " ABCDEFGHIJKLMNOPQRSTUVWXYZ$.0123456789"; a
// code past the alphabet (39, and the first code of words from 64000) reads
// as '?'.
std::string Radix50ToText(std::span<const std::uint16_t> words);
// Upper-cased, at most the first 3 x `wordCount` characters, blanks for what
// is missing; a character outside the alphabet codes as a blank.
std::vector<std::uint16_t> TextToRadix50(std::string_view text, std::size_t wordCount);

// The fields of an element's first 36 bytes.
struct SDgnHeader {
    std::uint8_t level = 0;  // 0-63
    bool complex = false;    // a component of the complex element before it
    std::uint8_t type = 0;   // 0-127
    bool deleted = false;
    std::uint16_t wordsToFollow = 0;
    std::array<std::uint32_t, 6> range{};  // stored: low x, y, z, high x, y, z
    std::uint16_t graphicGroup = 0;
    std::uint16_t attributeIndex = 0;
    std::uint16_t properties = 0;
    std::uint16_t symbology = 0;

    // The element's whole length in bytes.
    std::size_t Length() const { return 4 + 2 * std::size_t(wordsToFollow); }
    std::uint8_t Class() const { return properties & 0x0F; }
    bool HasAttributes() const { return (properties & kPropertyAttributes) != 0; }
    std::uint8_t LineStyle() const { return symbology & 0x07; }
    std::uint8_t Weight() const { return symbology >> 3 & 0x1F; }
    std::uint8_t ColourIndex() const { return symbology >> 8; }
    // Where the linkage area begins, from the element's start.
    std::size_t AttributeOffset() const { return 32 + 2 * std::size_t(attributeIndex); }
};

// The first word alone: level, flags and type.
SDgnHeader DecodeFirstWord(std::uint16_t word);
SDgnHeader DecodeHeader(std::span<const std::uint8_t, kHeaderSize> bytes);

// An element the reader delivers: not deleted and of a type it reads.
bool KnownType(const SDgnHeader& header);
// A header whose components (complex elements) follow it.
bool HasComponents(std::uint8_t type);
// A complex header whose word after the common header counts the words of it
// and its components after that word.
bool HasStatedLength(std::uint8_t type);

// How linkages that are neither of the 16-byte form nor plainly user data
// are read ([Interpret Attribute Data Method] "InterpretMethod").
enum class EDgnLinkageMethod { kAutomatic, kUser, kDmrsData };
// "Automatic", "User" or "DMRSData" in any case; anything else is automatic.
EDgnLinkageMethod LinkageMethodFromText(std::string_view text);

struct SDgnLinkage {
    std::uint16_t entityNumber = 0;
    std::uint32_t linkNumber = 0;
};
// The database linkages of an attribute area. An area whose length is not a
// multiple of 8 holds none; a linkage cut by the area's end is dropped.
std::vector<SDgnLinkage> DecodeLinkages(std::span<const std::uint8_t> area,
                                        EDgnLinkageMethod method);

}  // namespace dgn
