// The single-byte code pages that drawings name in $DWGCODEPAGE.
#pragma once

namespace drawing {

struct CodePageTable {
    int number;           // 1252 for ANSI_1252, 850 for DOS850, ...
    char16_t upper[128];  // the characters of bytes 0x80 to 0xFF
};

extern const CodePageTable kCodePageTables[];
extern const int kCodePageTableCount;

}  // namespace drawing
