#include "loader/core/UnicodeEscapes.h"

#include "common/Utf8.h"

namespace {

constexpr std::size_t kEscapeLength = 7;  // \U+xxxx

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The escape's character code at pos, or -1 when no escape stands there.
long EscapeAt(const std::string& text, std::size_t pos) {
    if (text.size() - pos < kEscapeLength) return -1;
    if ((text[pos + 1] != 'U' && text[pos + 1] != 'u') || text[pos + 2] != '+') return -1;
    long code = 0;
    for (std::size_t i = 3; i < kEscapeLength; ++i) {
        const int digit = HexValue(text[pos + i]);
        if (digit < 0) return -1;
        code = code * 16 + digit;
    }
    return code;
}

}  // namespace

void DecodeUnicodeEscapes(std::string& text) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t backslash = text.find('\\', pos);
        if (backslash == std::string::npos) return;
        const long code = EscapeAt(text, backslash);
        if (code < 0) {
            pos = backslash + 1;
            continue;
        }
        // A NUL would cut the text short, and a lone surrogate half is no character.
        if (code == 0 || (code >= 0xD800 && code <= 0xDFFF)) {
            pos = backslash + kEscapeLength;
            continue;
        }
        std::string bytes;
        AppendUtf8(bytes, static_cast<char32_t>(code));
        text.replace(backslash, kEscapeLength, bytes);
        pos = backslash + bytes.size();
    }
}
