// Strict conversions between UTF-8, the program's multibyte code page, and
// UTF-16, the wide form of texts.
#pragma once

#include <string>
#include <string_view>

// False, with `out` unspecified, for malformed input (a stray or truncated
// sequence, an overlong form, a surrogate, a value above U+10FFFF).
bool Utf8ToUtf16(std::string_view text, std::u16string& out);
// False for an unpaired surrogate.
bool Utf16ToUtf8(std::u16string_view text, std::string& out);
