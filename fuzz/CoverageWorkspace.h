// A coverage workspace unpacked from a fuzz input: entries of a 16-bit
// little-endian name length, the name ("cover/arc", "info/arcdr9", ...), a
// 32-bit little-endian data length and the data (cut to what is left).
#pragma once

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>

#include "common/ByteSource.h"
#include "fuzz/FuzzSupport.h"

namespace fuzz {

namespace fs = std::filesystem;

// Lower-case names of at most two parts, nothing that leaves the workspace.
inline bool SafeName(std::string_view name) {
    if (name.empty() || name.size() > 64 || name.front() == '/' || name.back() == '/') return false;
    int slashes = 0;
    for (char c : name) {
        if (c == '/') ++slashes;
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
              c == '-' || c == '/'))
            return false;
    }
    return slashes <= 1 && name.find("..") == std::string_view::npos &&
           name.find("//") == std::string_view::npos;
}

// The covers named by the entries (their first part), unpacked.
inline std::set<std::string> UnpackWorkspace(std::span<const std::uint8_t> input) {
    std::set<std::string> covers;
    CByteCursor cursor(input);
    while (cursor.Remaining() > 0) {
        const std::uint16_t nameLength = cursor.U16Le();
        const auto name = cursor.Take(nameLength);
        const std::uint32_t dataLength = cursor.U32Le();
        if (!cursor.Ok()) break;
        const auto bytes = cursor.Take(std::min<std::size_t>(dataLength, cursor.Remaining()));
        const std::string_view text(reinterpret_cast<const char*>(name.data()), name.size());
        if (!SafeName(text)) continue;
        const std::string path = "ws/" + std::string(text);
        const fs::path full = fs::path(ScratchDirectory()) / path;
        std::error_code error;
        fs::create_directories(full.parent_path(), error);
        // A name that is another entry's folder, or below another entry's file.
        if (!fs::is_directory(full.parent_path(), error) || fs::is_directory(full, error)) continue;
        WriteScratchFile(path, bytes);
        if (const std::size_t slash = text.find('/'); slash != std::string_view::npos)
            covers.emplace(text.substr(0, slash));
    }
    return covers;
}

}  // namespace fuzz
