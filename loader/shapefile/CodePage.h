// The code page a DBF declares for its text, by its language driver byte or
// its .cpg file, and the conversion of that text to UTF-8. Only single-byte
// pages are converted; the tables come from make_code_pages.py.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct CodePageTable {
    int number;           // the Windows code page number (28591 for ISO-8859-1 ...)
    char16_t upper[128];  // bytes 0x80 to 0xFF; the lower half is ASCII
};
extern const CodePageTable kCodePageTables[];
extern const int kCodePageTableCount;

inline constexpr int kCodePageUtf8 = 65001;

// The page a language driver id names; 0 when it names none or one that is
// not a single-byte page.
int CodePageFromLanguageDriver(std::uint8_t id);
// The page a .cpg file's text names ("1252", "CP1252", "ISO-8859-1", "UTF-8",
// "OEM 850" ...); 0 when it names none this reader knows.
int CodePageFromCpg(std::string_view text);
// The table of a single-byte page; null for UTF-8 and unknown pages.
const CodePageTable* FindCodePage(int number);

// `text` in the page, as UTF-8.
std::string ConvertToUtf8(std::string_view text, const CodePageTable& page);
