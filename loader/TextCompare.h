// Case-insensitive comparison of UTF-8 names (tables, columns, layers).
#pragma once

#include <string_view>

// True when both texts hold the same characters apart from letter case. Letters
// of the Latin, Greek and Cyrillic alphabets fold; bytes that are not valid
// UTF-8 compare as they stand.
bool EqualsNoCase(std::string_view a, std::string_view b);
