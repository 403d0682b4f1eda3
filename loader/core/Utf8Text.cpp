#include "loader/core/Utf8Text.h"

#include <cwctype>
#include <locale>

std::string_view CutAtCharBoundary(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return text;
    std::size_t end = maxBytes;
    // Step back over continuation bytes to the start of the character that would be split.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return text.substr(0, end);
}

char32_t NextChar(std::string_view text, std::size_t& pos) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char lead = byte(pos);
    int length = lead < 0x80           ? 1
                 : (lead >> 5) == 0x6  ? 2
                 : (lead >> 4) == 0xE  ? 3
                 : (lead >> 3) == 0x1E ? 4
                                       : 0;
    if (length <= 1 || pos + length > text.size()) {
        ++pos;
        return lead;
    }
    char32_t c = lead & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        if ((byte(pos + i) & 0xC0) != 0x80) {
            ++pos;
            return lead;
        }
        c = (c << 6) | (byte(pos + i) & 0x3F);
    }
    pos += length;
    return c;
}

namespace {

// The C.UTF-8 locale's case mapping covers Unicode; without it only ASCII folds.
const std::ctype<wchar_t>* UnicodeCtype() {
    static const std::ctype<wchar_t>* facet = []() -> const std::ctype<wchar_t>* {
        try {
            static const std::locale utf8("C.UTF-8");
            return &std::use_facet<std::ctype<wchar_t>>(utf8);
        } catch (const std::exception&) {
            return nullptr;
        }
    }();
    return facet;
}

}  // namespace

char32_t FoldChar(char32_t c) {
    if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c;
    const std::ctype<wchar_t>* ctype = UnicodeCtype();
    return ctype ? static_cast<char32_t>(ctype->tolower(static_cast<wchar_t>(c))) : c;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size())
        if (FoldChar(NextChar(a, i)) != FoldChar(NextChar(b, j))) return false;
    return i == a.size() && j == b.size();
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    std::size_t i = 0, j = 0;
    while (j < prefix.size()) {
        if (i >= text.size()) return false;
        if (FoldChar(NextChar(text, i)) != FoldChar(NextChar(prefix, j))) return false;
    }
    return true;
}

std::string_view TrimBlanks(std::string_view text) {
    constexpr std::string_view kBlanks = " \t\r\n\v\f";
    std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    std::size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}
