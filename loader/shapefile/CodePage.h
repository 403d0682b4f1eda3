// The code page a DBF declares for its text, by its language driver byte or
// its .cpg file. Only single-byte pages are converted (common/CodePages.h).
#pragma once

#include <cstdint>
#include <string_view>

#include "common/CodePages.h"

inline constexpr int kCodePageUtf8 = 65001;

// The page a language driver id names; 0 when it names none or one that is
// not a single-byte page.
int CodePageFromLanguageDriver(std::uint8_t id);
// The page a .cpg file's text names ("1252", "CP1252", "ISO-8859-1", "UTF-8",
// "OEM 850" ...); 0 when it names none this reader knows.
int CodePageFromCpg(std::string_view text);
