#include "common/CodePages.h"

#include "common/Utf8.h"

const CodePageTable* FindCodePage(int number) {
    for (int i = 0; i < kCodePageTableCount; ++i)
        if (kCodePageTables[i].number == number) return &kCodePageTables[i];
    return nullptr;
}

std::string ConvertToUtf8(std::string_view text, const CodePageTable& page) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80)
            out += c;
        else
            AppendUtf8(out, page.upper[byte - 0x80]);
    }
    return out;
}
