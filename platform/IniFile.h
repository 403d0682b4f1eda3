// Private-profile (ini) files, read-only: the stand-in for
// GetPrivateProfileString and GetPrivateProfileSection. "[section]" lines
// open sections; "key=value" lines within them give values. Section and key
// names compare without regard to ASCII letter case; the first of duplicates
// counts; blanks around names and values are dropped, and so are quotes
// around a whole value; lines beginning with ';' are comments; LF and CRLF.
// A relative file name is looked up beside the executable, the letter case of
// its last component ignored; a file that cannot be read has no sections.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using DWORD = std::uint32_t;

class CIniFile {
public:
    CIniFile() = default;
    // The file as it is now (see above for the look-up).
    static CIniFile Load(std::string_view fileName);
    static CIniFile Parse(std::string_view text);

    // The value of `key` in `section`; null when either is missing.
    const std::string* Find(std::string_view section, std::string_view key) const;

    // The value, else `defaultValue` (null: "") less its trailing blanks, into
    // `buffer`: at most size - 1 bytes, cut at a UTF-8 character boundary, and
    // a terminating zero. Returns the bytes copied without the terminator.
    DWORD GetString(const char* section, const char* key, const char* defaultValue, char* buffer,
                    DWORD size) const;
    // The section's lines (trimmed, comments and empty lines left out), each
    // ended by a zero, the list by a second zero. Returns the bytes copied
    // without the last zero; a list cut to the buffer returns size - 2.
    DWORD GetSection(const char* section, char* buffer, DWORD size) const;

private:
    struct SEntry {
        std::string key;  // folded
        std::string value;
    };
    struct SSection {
        std::string name;  // folded
        std::vector<std::string> lines;
        std::vector<SEntry> entries;
    };
    const SSection* FindSection(std::string_view section) const;

    std::vector<SSection> sections_;
};

// Where a private-profile file named `fileName` is read from.
std::string ResolveProfilePath(std::string_view fileName);

// The Windows calls, reading the file at every call.
DWORD GetPrivateProfileStringA(const char* section, const char* key, const char* defaultValue,
                               char* buffer, DWORD size, const char* fileName);
DWORD GetPrivateProfileSectionA(const char* section, char* buffer, DWORD size,
                                const char* fileName);
