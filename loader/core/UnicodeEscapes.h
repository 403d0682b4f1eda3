// The \U+xxxx escapes that drawings carry for characters outside their code page.
#pragma once

#include <string>

// Replaces each backslash, U or u, '+' and four hexadecimal digits by the
// character it names (UTF-8). Escapes of no character (U+0000, surrogate
// halves) stay as they are.
void DecodeUnicodeEscapes(std::string& text);
