#include "loader/shapefile/CodePage.h"

#include <cctype>
#include <charconv>
#include <string>

namespace {

struct LanguageDriver {
    std::uint8_t id;
    int page;
};

// The ids dBASE, FoxPro and ArcGIS write for single-byte pages; 0x57 is
// ArcGIS's "ANSI", which it writes for ISO-8859-1 data.
constexpr LanguageDriver kLanguageDrivers[] = {
    {0x01, 437},  {0x02, 850},  {0x03, 1252},  {0x08, 865},  {0x09, 437},  {0x0A, 850},
    {0x0B, 437},  {0x0D, 437},  {0x0E, 850},   {0x0F, 437},  {0x10, 850},  {0x11, 437},
    {0x12, 850},  {0x14, 850},  {0x15, 437},   {0x16, 850},  {0x17, 865},  {0x18, 437},
    {0x19, 437},  {0x1A, 850},  {0x1B, 437},   {0x1C, 863},  {0x1D, 850},  {0x1F, 852},
    {0x22, 852},  {0x23, 852},  {0x24, 860},   {0x25, 850},  {0x26, 866},  {0x37, 850},
    {0x40, 852},  {0x50, 874},  {0x57, 28591}, {0x58, 1252}, {0x59, 1252}, {0x64, 852},
    {0x65, 866},  {0x66, 865},  {0x67, 861},   {0x6A, 737},  {0x6B, 857},  {0x6C, 863},
    {0x7C, 874},  {0x7D, 1255}, {0x7E, 1256},  {0x86, 737},  {0x87, 852},  {0x88, 857},
    {0xC8, 1250}, {0xC9, 1251}, {0xCA, 1254},  {0xCB, 1253}, {0xCC, 1257},
};

std::string Normalised(std::string_view text) {
    std::string out;
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (std::isalnum(u)) out += static_cast<char>(std::toupper(u));
    }
    return out;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// A number standing alone, 0 otherwise.
int Number(std::string_view digits) {
    int value = 0;
    const auto* end = digits.data() + digits.size();
    const auto result = std::from_chars(digits.data(), end, value);
    return result.ec == std::errc() && result.ptr == end ? value : 0;
}

}  // namespace

int CodePageFromLanguageDriver(std::uint8_t id) {
    for (const LanguageDriver& driver : kLanguageDrivers)
        if (driver.id == id) return driver.page;
    return 0;
}

int CodePageFromCpg(std::string_view text) {
    const std::string name = Normalised(text);
    if (name == "UTF8" || name == "65001") return kCodePageUtf8;
    if (name == "LATIN1") return 28591;
    if (name == "KOI8R") return 20866;
    if (name == "KOI8U") return 21866;
    // ISO-8859-n, ISO8859n, 8859n.
    std::string_view rest = name;
    if (StartsWith(rest, "ISO")) rest.remove_prefix(3);
    if (StartsWith(rest, "8859")) {
        const int part = Number(rest.substr(4));
        return part >= 1 && part <= 16 ? 28590 + part : 0;
    }
    for (std::string_view prefix : {"WINDOWS", "ANSI", "OEM", "DOS", "IBM", "CP"}) {
        if (StartsWith(rest, prefix)) {
            rest.remove_prefix(prefix.size());
            break;
        }
    }
    const int number = Number(rest);
    return number == kCodePageUtf8 || FindCodePage(number) ? number : 0;
}
