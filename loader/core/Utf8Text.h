// Text helpers for the program's multibyte code page, UTF-8: cutting at a
// character boundary and comparing without regard to case.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The longest prefix of `text` of at most `maxBytes` bytes that ends on a
// character boundary.
std::string_view CutAtCharBoundary(std::string_view text, std::size_t maxBytes);

// Decodes the character at `pos` and moves `pos` past it; a malformed byte is
// taken as one character of its own (its byte value).
char32_t NextChar(std::string_view text, std::size_t& pos);

// The lower-case form of one character (Unicode simple case mapping where the
// runtime has it, ASCII otherwise).
char32_t FoldChar(char32_t c);

bool EqualNoCase(std::string_view a, std::string_view b);
// True when `text` begins with `prefix`, compared without regard to case.
bool StartsWithNoCase(std::string_view text, std::string_view prefix);

// An ASCII lower-case letter in upper case; any other character as it is.
constexpr int UpperAscii(int c) {
    return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c;
}

// White space at both ends removed (blank, tab, CR, LF, VT, FF).
std::string_view TrimBlanks(std::string_view text);
