#include "coverage/plugin/EsriModule.h"

#include <charconv>
#include <cstring>
#include <iterator>
#include <new>

namespace {

constexpr StringResource kStrings[] = {
    {1, "LABELPTS"},
    {2, "TICS"},
    {3, "POINTS"},
    {4, "ARCS"},
    {5, "TEXT"},
    {6, "AAT"},
    {7, "PAT"},
    {8, "KEY"},
    {9, "LL"},
    {10, "#"},
    {11, "-ID"},
    {12, "You cannot specify more than 12 characters for a Coverage name."},
    {13, "Cannot save Coverage. You specified an invalid Workspace. "},
    {14, "Cannot save Coverage. You specified a Workspace directory that is read-only."},
    {15, "Cannot save Coverage.  You specified a Workspace that is not a directory."},
    {16,
     "Cannot save Coverage.  You specified a Coverage name that refers to an existing file or "
     "directory."},
    {17,
     "Cannot save Coverage. You specified a Coverage name  that is in use and not a valid  "
     "Coverage."},
    {18, "Cannot save Coverage. You specified a read-only  Coverage."},
    {19, "Cannot open Coverage.  You specified a Workspace directory that is not a directory."},
    {20, "Cannot open Coverage.  You specified a Coverage that is not a directory."},
    {21, "Cannot open coverage.  You specified an invalid Workspace."},
    {22, "Cannot open coverage.  You specified an invalid Coverage."},
    {23, "POLYGONS"},
};

const ModuleResources kModule{kStrings, {}};

// Set once when the library is loaded, as the module entry would.
HINSTANCE g_instance = &kModule;

// Shared by every LoadMessage; one thread drives the plug-in.
char g_messageBuffer[100];

char* NewText(std::size_t length) {
    char* text = new (std::nothrow) char[length + 1];
    if (text != nullptr) text[length] = '\0';
    return text;
}

// Bytes of the UTF-8 character that begins with `lead`.
std::size_t CharLength(unsigned char lead) {
    if (lead >= 0xF0) return 4;
    if (lead >= 0xE0) return 3;
    if (lead >= 0xC0) return 2;
    return 1;
}

bool IsAsciiAlnum(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

HINSTANCE TscovModule() {
    return g_instance;
}

const double kEsriDegreeToRadian = 3.1415926535 / 180;

void LongToText(char* buffer, std::int32_t value) {
    const auto result = std::to_chars(buffer, buffer + kLongTextSize - 1, value);
    *result.ptr = '\0';
}

char* DupString(const char* text) {
    if (text == nullptr) return nullptr;
    const std::size_t length = std::strlen(text);
    char* copy = NewText(length);
    if (copy != nullptr) std::memcpy(copy, text, length);
    return copy;
}

char* DupStringMax(const char* text, std::int32_t n) {
    if (text == nullptr) return nullptr;
    const std::size_t length = std::strlen(text);
    if (n < 1 || length + 1 <= static_cast<std::size_t>(n)) return DupString(text);
    // Whole characters only: a cut multibyte character would be a broken text.
    std::size_t end = 0;
    while (end < length) {
        const std::size_t next = end + CharLength(static_cast<unsigned char>(text[end]));
        if (next > static_cast<std::size_t>(n) - 1) break;
        end = next;
    }
    char* copy = NewText(end);
    if (copy != nullptr) std::memcpy(copy, text, end);
    return copy;
}

char* KeepNameChars(const char* text) {
    if (text == nullptr) return nullptr;
    const std::size_t length = std::strlen(text);
    char* copy = NewText(length);
    if (copy == nullptr) return nullptr;
    std::size_t out = 0;
    for (std::size_t i = 0; i < length;) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        std::size_t size = CharLength(c);
        if (i + size > length) size = length - i;
        if (size > 1 || IsAsciiAlnum(c) || c == '_' || c == '$' || c == '#') {
            std::memcpy(copy + out, text + i, size);
            out += size;
        }
        i += size;
    }
    copy[out] = '\0';
    return copy;
}

char* LoadMessage(std::int32_t id) {
    if (id < 1) return nullptr;
    if (LoadStringA(TscovModule(), static_cast<unsigned>(id), g_messageBuffer,
                    static_cast<int>(sizeof g_messageBuffer)) == 0)
        return nullptr;
    return DupString(g_messageBuffer);
}

char* ReplaceCharsMax(const char* text, const char* set, char replacement, std::int16_t max) {
    if (text == nullptr) return nullptr;
    while (*text == ' ') ++text;
    std::size_t length = std::strlen(text);
    if (max < 0) max = 0;
    if (length > static_cast<std::size_t>(max)) {
        length = static_cast<std::size_t>(max);
        while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
    }
    char* copy = NewText(length);
    if (copy == nullptr) return nullptr;
    for (std::size_t i = 0; i < length; ++i)
        copy[i] = set != nullptr && text[i] != '\0' && std::strchr(set, text[i]) != nullptr
                      ? replacement
                      : text[i];
    return copy;
}
