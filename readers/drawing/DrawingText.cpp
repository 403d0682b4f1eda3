#include "readers/drawing/DrawingText.h"

#include <cctype>

#include "common/CodePages.h"
#include "common/Utf8.h"

namespace drawing {

namespace {

const char16_t* FindPage(int number) {
    const CodePageTable* page = FindCodePage(number);
    return page != nullptr ? page->upper : nullptr;
}

// The number that ends a code page name: 1251 of "ANSI_1251", 850 of "DOS850".
int PageNumber(std::string_view name) {
    std::size_t start = name.size();
    while (start > 0 && std::isdigit(static_cast<unsigned char>(name[start - 1]))) --start;
    int number = 0;
    for (std::size_t i = start; i < name.size() && number < 100000; ++i) {
        number = number * 10 + (name[i] - '0');
    }
    return number;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The length of the well-formed UTF-8 sequence at `pos` and its value; 0 when
// none stands there (stray, truncated, overlong, surrogate, above U+10FFFF).
std::size_t Utf8SequenceAt(std::string_view text, std::size_t pos, char32_t& code) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    std::size_t length = 0;
    char32_t min = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, code = lead & 0x1F, min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, code = lead & 0x0F, min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, code = lead & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (text.size() - pos < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[pos + i]);
        if ((next & 0xC0) != 0x80) return 0;
        code = code << 6 | (next & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

// Replaces each \U+XXXX that names a character (not NUL, not a surrogate half).
std::string DecodeEscapes(std::string text) {
    constexpr std::size_t kLength = 7;
    std::size_t pos = text.find('\\');
    if (pos == std::string::npos) return text;
    std::string out(text, 0, pos);
    while (pos < text.size()) {
        if (text[pos] == '\\' && text.size() - pos >= kLength &&
            (text[pos + 1] == 'U' || text[pos + 1] == 'u') && text[pos + 2] == '+') {
            char32_t code = 0;
            bool ok = true;
            for (std::size_t i = 3; i < kLength && ok; ++i) {
                const int digit = HexDigit(text[pos + i]);
                ok = digit >= 0;
                code = code * 16 + static_cast<char32_t>(digit);
            }
            if (ok && code != 0 && (code < 0xD800 || code > 0xDFFF)) {
                AppendUtf8(out, code);
                pos += kLength;
                continue;
            }
        }
        out.push_back(text[pos++]);
    }
    return out;
}

}  // namespace

void CTextDecoder::Configure(std::string_view acadVersion, std::string_view codePage) {
    if (acadVersion.size() == 6 && acadVersion.substr(0, 2) == "AC" && acadVersion >= "AC1021") {
        upper_ = nullptr;
        return;
    }
    const int number = codePage.empty() ? 1252 : PageNumber(codePage);
    upper_ = FindPage(number);
    if (upper_ == nullptr) upper_ = FindPage(1252);
}

std::string CTextDecoder::Decode(std::string_view raw) const {
    std::size_t plain = 0;
    while (plain < raw.size() && static_cast<unsigned char>(raw[plain]) < 0x80) ++plain;
    std::string out(raw.substr(0, plain));
    if (plain < raw.size()) {
        const char16_t* ansi = upper_ != nullptr ? upper_ : FindPage(1252);
        for (std::size_t pos = plain; pos < raw.size();) {
            const auto byte = static_cast<unsigned char>(raw[pos]);
            if (byte < 0x80) {
                out.push_back(raw[pos++]);
                continue;
            }
            char32_t code = 0;
            const std::size_t length = upper_ == nullptr ? Utf8SequenceAt(raw, pos, code) : 0;
            if (length > 0) {
                out.append(raw.substr(pos, length));
                pos += length;
            } else {
                // A byte its page leaves undefined reads as its own value,
                // as Windows maps it.
                const char16_t mapped = ansi[byte - 0x80];
                AppendUtf8(out, mapped == kUndefinedByte ? char32_t{byte} : char32_t{mapped});
                ++pos;
            }
        }
    }
    return DecodeEscapes(std::move(out));
}

}  // namespace drawing
