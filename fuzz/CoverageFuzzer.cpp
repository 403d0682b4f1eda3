// A coverage workspace read by the coverage library: every cover opened with
// its attribute tables and every record of every kind decoded. The library
// only opens files, so the input is unpacked into a scratch workspace first:
// entries of a 16-bit little-endian name length, the name ("cover/arc",
// "info/arcdr9", ...), a 32-bit little-endian data length and the data
// (cut to what is left).
#include <filesystem>
#include <set>
#include <string>

#include "common/ByteSource.h"
#include "coverage/lib/Tamrec.h"
#include "fuzz/FuzzSupport.h"

namespace fs = std::filesystem;

namespace {

// Lower-case names of at most two parts, nothing that leaves the workspace.
bool SafeName(std::string_view name) {
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
std::set<std::string> Unpack(std::span<const std::uint8_t> input) {
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
        const fs::path full = fs::path(fuzz::ScratchDirectory()) / path;
        std::error_code error;
        fs::create_directories(full.parent_path(), error);
        // A name that is another entry's folder, or below another entry's file.
        if (!fs::is_directory(full.parent_path(), error) || fs::is_directory(full, error)) continue;
        fuzz::WriteScratchFile(path, bytes);
        if (const std::size_t slash = text.find('/'); slash != std::string_view::npos)
            covers.emplace(text.substr(0, slash));
    }
    return covers;
}

void ReadCover(tamrec_workspace* workspace, const std::string& name) {
    tamrec_cover* cover = nullptr;
    if (tamrec_open_cover(name.c_str(), workspace, &cover) != 0) return;
    if (tamrec_open_cover_file(cover, kTamrecAllKinds, 1) == 0) {
        for (int kind = kTamrecArcs; kind <= kTamrecBounds; ++kind) {
            const std::int32_t count = std::min(cover->record_count[kind], 100000);
            for (std::int32_t n = 1; n <= count; ++n) tamrec_read_record(cover, kind, n);
        }
    }
    tamrec_close_cover(&cover);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::ClearScratchDirectory();
    const fs::path workspace = fs::path(fuzz::ScratchDirectory()) / "ws";
    std::error_code error;
    fs::create_directories(workspace, error);
    const std::set<std::string> covers = Unpack({data, size});
    tamrec_workspace* ws = nullptr;
    if (tamrec_open_ws(workspace.c_str(), &ws) == 0) {
        for (const std::string& name : covers) ReadCover(ws, name);
    }
    tamrec_close_ws(&ws);
    return 0;
}
