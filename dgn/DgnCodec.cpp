#include "dgn/DgnCodec.h"

#include <cmath>

#include "common/ByteSource.h"

namespace dgn {

namespace {

constexpr char kRadix50[] = " ABCDEFGHIJKLMNOPQRSTUVWXYZ$.0123456789";
// 39 characters; the code 39 has none.
constexpr unsigned kRadix50Size = sizeof kRadix50 - 1;
// The third word of the 16-byte linkage form.
constexpr std::uint16_t kLinkageOdbc = 3969;
constexpr std::uint16_t kLinkageUserData = 0x1000;

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (fold(a[i]) != fold(b[i])) return false;
    }
    return true;
}

}  // namespace

double SweepDegrees(std::uint32_t stored) {
    if (stored == 0) return 360.0;
    const double size = (stored & 0x7FFFFFFFu) / kAngleUnitsPerDegree;
    return (stored & 0x80000000u) ? -size : size;
}

std::uint32_t EncodeSweep(double degrees) {
    const double size = std::min(std::fabs(degrees) * kAngleUnitsPerDegree, double(0x7FFFFFFF));
    const auto magnitude = static_cast<std::uint32_t>(std::lround(size));
    return degrees < 0 ? (magnitude | 0x80000000u) : magnitude;
}

std::string Radix50ToText(std::span<const std::uint16_t> words) {
    std::string text;
    text.reserve(3 * words.size());
    for (const std::uint16_t w : words) {
        const unsigned codes[] = {w / 1600u, w % 1600u / 40u, w % 40u};
        for (const unsigned c : codes) text += c < kRadix50Size ? kRadix50[c] : '?';
    }
    return text;
}

std::vector<std::uint16_t> TextToRadix50(std::string_view text, std::size_t wordCount) {
    std::vector<std::uint16_t> words(wordCount, 0);
    for (std::size_t w = 0; w < wordCount; ++w) {
        unsigned value = 0;
        for (std::size_t i = 3 * w; i < 3 * w + 3; ++i) {
            char c = i < text.size() ? text[i] : ' ';
            if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
            unsigned code = 0;
            for (unsigned k = 1; k < kRadix50Size; ++k)
                if (kRadix50[k] == c) code = k;
            value = value * 40 + code;
        }
        words[w] = static_cast<std::uint16_t>(value);
    }
    return words;
}

SDgnHeader DecodeFirstWord(std::uint16_t word) {
    SDgnHeader header;
    header.level = word & 0x3F;
    header.complex = (word & 0x80) != 0;
    header.type = word >> 8 & 0x7F;
    header.deleted = (word & 0x8000) != 0;
    return header;
}

SDgnHeader DecodeHeader(std::span<const std::uint8_t, kHeaderSize> bytes) {
    SDgnHeader header = DecodeFirstWord(byteorder::LoadU16Le(bytes.data()));
    header.wordsToFollow = byteorder::LoadU16Le(bytes.data() + 2);
    for (std::size_t i = 0; i < header.range.size(); ++i)
        header.range[i] = static_cast<std::uint32_t>(LoadLong(bytes.data() + 4 + 4 * i));
    header.graphicGroup = byteorder::LoadU16Le(bytes.data() + 28);
    header.attributeIndex = byteorder::LoadU16Le(bytes.data() + 30);
    header.properties = byteorder::LoadU16Le(bytes.data() + 32);
    header.symbology = byteorder::LoadU16Le(bytes.data() + 34);
    return header;
}

bool KnownType(const SDgnHeader& header) {
    if (header.deleted) return false;
    switch (header.type) {
        case kTypeCell:
        case kTypeLine:
        case kTypeLineString:
        case kTypeShape:
        case kTypeTextNode:
        case kTypeCurve:
        case kTypeComplexChain:
        case kTypeComplexShape:
        case kTypeEllipse:
        case kTypeArc:
        case kTypeText:
        case kTypePointString:
            return true;
        case kTypeRefAttachmentOld:
            return header.level == 9;
        case kTypeRefAttachment:
            return header.level == 5;
        default:
            return false;
    }
}

bool HasStatedLength(std::uint8_t type) {
    return type == kTypeCell || type == kTypeTextNode || type == kTypeComplexChain ||
           type == kTypeComplexShape;
}

bool HasComponents(std::uint8_t type) {
    switch (type) {
        case kTypeCell:
        case kTypeTextNode:
        case kTypeComplexChain:
        case kTypeComplexShape:
        case 18:  // 3-D surface
        case 19:  // 3-D solid
        case 34:  // shared cell definition
            return true;
        default:
            return false;
    }
}

EDgnLinkageMethod LinkageMethodFromText(std::string_view text) {
    if (EqualsIgnoringCase(text, "User")) return EDgnLinkageMethod::kUser;
    if (EqualsIgnoringCase(text, "DMRSData")) return EDgnLinkageMethod::kDmrsData;
    return EDgnLinkageMethod::kAutomatic;
}

std::vector<SDgnLinkage> DecodeLinkages(std::span<const std::uint8_t> area,
                                        EDgnLinkageMethod method) {
    std::vector<SDgnLinkage> linkages;
    if (area.size() % 8 != 0) return linkages;
    CByteCursor cursor(area);
    while (cursor.Remaining() >= 6) {
        const std::uint16_t w0 = cursor.U16Le(), w1 = cursor.U16Le(), w2 = cursor.U16Le();
        if (w2 == kLinkageOdbc) {
            const std::uint16_t entity = cursor.U16Le();
            const std::uint32_t link = cursor.U32Le();
            cursor.Skip(4);
            if (cursor.Ok()) linkages.push_back({entity, link});
            continue;
        }
        const bool userData = method == EDgnLinkageMethod::kUser ||
                              (method == EDgnLinkageMethod::kAutomatic && (w0 & kLinkageUserData));
        if (userData) {
            // The linkage is (low byte + 1) words long; three are read.
            const int rest = (w0 & 0xFF) - 2;
            if (rest > 0 && !cursor.Skip(2 * std::size_t(rest))) break;
            continue;
        }
        const std::uint16_t w3 = cursor.U16Le();
        if (cursor.Ok()) linkages.push_back({w1, w2 + 65536u * (w3 & 0xFFu)});
    }
    return linkages;
}

}  // namespace dgn
