// How the bytes of a drawing's texts become UTF-8, the program's code page.
#pragma once

#include <string>
#include <string_view>

namespace drawing {

class CTextDecoder {
public:
    // Drawings of AC1021 and later hold UTF-8; older ones the code page that
    // $DWGCODEPAGE names (ANSI_1252 when it is absent or not known).
    void Configure(std::string_view acadVersion, std::string_view codePage);
    bool IsUtf8() const { return upper_ == nullptr; }

    // The text as UTF-8, with its \U+XXXX escapes replaced by the characters
    // they name. A byte that is not UTF-8 in a UTF-8 drawing is read as ANSI_1252.
    std::string Decode(std::string_view raw) const;

private:
    const char16_t* upper_ = nullptr;  // bytes 0x80-0xFF of the code page; null: UTF-8
};

}  // namespace drawing
