#include "platform/IniFile.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/FileCase.h"
#include "platform/ModulePath.h"

namespace {

char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string Fold(std::string_view text) {
    std::string folded(text);
    std::transform(folded.begin(), folded.end(), folded.begin(), FoldAscii);
    return folded;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// The longest prefix of `text` of at most `limit` bytes that ends on a UTF-8
// character boundary.
std::size_t CutAtCharacter(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) return text.size();
    std::size_t cut = limit;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    return cut;
}

}  // namespace

CIniFile CIniFile::Parse(std::string_view text) {
    CIniFile file;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    SSection* current = nullptr;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = Trim(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            const std::string name =
                Fold(Trim(line.substr(1, close == line.npos ? line.npos : close - 1)));
            current = nullptr;
            for (SSection& section : file.sections_)
                if (section.name == name) current = &section;
            if (!current) current = &file.sections_.emplace_back(SSection{name, {}, {}});
            continue;
        }
        if (!current) continue;
        current->lines.emplace_back(line);
        const std::size_t equals = line.find('=');
        if (equals == line.npos) continue;
        const std::string key = Fold(Trim(line.substr(0, equals)));
        if (key.empty()) continue;
        const bool known = std::any_of(current->entries.begin(), current->entries.end(),
                                       [&](const SEntry& e) { return e.key == key; });
        if (!known)
            current->entries.push_back({key, std::string(Unquote(Trim(line.substr(equals + 1))))});
    }
    return file;
}

CIniFile CIniFile::Load(std::string_view fileName) {
    std::ifstream in(ResolveProfilePath(fileName), std::ios::binary);
    if (!in) return {};
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return Parse(text);
}

const CIniFile::SSection* CIniFile::FindSection(std::string_view section) const {
    const std::string name = Fold(Trim(section));
    for (const SSection& s : sections_)
        if (s.name == name) return &s;
    return nullptr;
}

const std::string* CIniFile::Find(std::string_view section, std::string_view key) const {
    const SSection* s = FindSection(section);
    if (!s) return nullptr;
    const std::string name = Fold(Trim(key));
    for (const SEntry& e : s->entries)
        if (e.key == name) return &e.value;
    return nullptr;
}

DWORD CIniFile::GetString(const char* section, const char* key, const char* defaultValue,
                          char* buffer, DWORD size) const {
    if (!buffer || size == 0) return 0;
    const std::string* found = section && key ? Find(section, key) : nullptr;
    std::string_view value = found ? std::string_view(*found) : std::string_view();
    if (!found && defaultValue) {
        value = defaultValue;
        while (!value.empty() && IsBlank(value.back())) value.remove_suffix(1);
    }
    const std::size_t count = CutAtCharacter(value, size - 1);
    std::copy_n(value.data(), count, buffer);
    buffer[count] = '\0';
    return static_cast<DWORD>(count);
}

DWORD CIniFile::GetSection(const char* section, char* buffer, DWORD size) const {
    if (!buffer || size == 0) return 0;
    std::memset(buffer, 0, size);
    if (size < 2) return 0;
    const SSection* s = section ? FindSection(section) : nullptr;
    if (!s) return 0;
    // Room for the lines and their zeros; the final zero is kept apart.
    const std::size_t room = size - 1;
    std::size_t used = 0;
    for (const std::string& line : s->lines) {
        if (used + line.size() + 1 > room) {
            if (used + 1 < room)
                std::memcpy(buffer + used, line.data(), CutAtCharacter(line, room - used - 1));
            return size - 2;
        }
        std::memcpy(buffer + used, line.data(), line.size());
        used += line.size() + 1;
    }
    return static_cast<DWORD>(used);
}

std::string ResolveProfilePath(std::string_view fileName) {
    std::string path(fileName);
    if (!path.empty() && path.front() != '/') path = ModuleDirectory() + path;
    const std::string found = ResolveFileCase(path);
    return found.empty() ? path : found;
}

DWORD GetPrivateProfileStringA(const char* section, const char* key, const char* defaultValue,
                               char* buffer, DWORD size, const char* fileName) {
    return CIniFile::Load(fileName ? fileName : "")
        .GetString(section, key, defaultValue, buffer, size);
}

DWORD GetPrivateProfileSectionA(const char* section, char* buffer, DWORD size,
                                const char* fileName) {
    return CIniFile::Load(fileName ? fileName : "").GetSection(section, buffer, size);
}
