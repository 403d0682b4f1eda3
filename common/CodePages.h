// The single-byte code pages that DBF files and drawings declare for their
// text, and the conversion of such text to UTF-8, the system's code page.
// The tables come from make_code_pages.py.
#pragma once

#include <string>
#include <string_view>

struct CodePageTable {
    int number;           // the Windows code page number (1252, 850, 28591 for ISO-8859-1 ...)
    char16_t upper[128];  // bytes 0x80 to 0xFF; the lower half is ASCII
};
extern const CodePageTable kCodePageTables[];
extern const int kCodePageTableCount;

// What a page's table holds for the bytes the page leaves undefined.
inline constexpr char16_t kUndefinedByte = 0xFFFD;

// The table of a single-byte page; null for UTF-8 and unknown pages.
const CodePageTable* FindCodePage(int number);

// `text` in the page, as UTF-8; undefined bytes become U+FFFD.
std::string ConvertToUtf8(std::string_view text, const CodePageTable& page);
