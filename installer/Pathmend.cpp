#include "installer/Pathmend.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <string_view>
#include <system_error>

#include "common/ByteSource.h"

namespace fs = std::filesystem;

namespace {

constexpr char kSharedDirectory[] = "Velstrom_Shared";
// The installer and the short-path conversion answer into buffers of this
// many characters, the terminator included: a longer path fails.
constexpr std::size_t kPathBufferSize = 260;

bool FileExists(const std::string& path) {
    std::error_code ec;
    return fs::exists(path, ec);
}

// Left to right, occurrences not overlapping, bytes compared exactly.
std::string ReplaceAll(std::string_view text, std::string_view find, std::string_view replacement) {
    if (find.empty()) return std::string(text);
    std::string result;
    result.reserve(text.size());
    std::size_t from = 0;
    for (std::size_t at; (at = text.find(find, from)) != std::string_view::npos;
         from = at + find.size()) {
        result.append(text.substr(from, at - from));
        result.append(replacement);
    }
    result.append(text.substr(from));
    return result;
}

std::optional<std::string> ReadContent(const fs::path& path) {
    const auto source = CFileByteSource::Open(path.string());
    if (!source || source->Size() > std::numeric_limits<std::size_t>::max()) return std::nullopt;
    std::string content(static_cast<std::size_t>(source->Size()), '\0');
    if (!source->ReadAt(0, content.data(), content.size())) return std::nullopt;
    return content;
}

// Writes a copy beside the file and renames it over the file, so that a
// failure leaves the old content whole; the copy takes the file's permissions.
bool ReplaceContent(const fs::path& path, std::string_view content) {
    std::error_code ec;
    const fs::perms permissions = fs::status(path, ec).permissions();
    if (ec) return false;
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path temporary = path;
        temporary += ".pathmend" + std::to_string(attempt);
        std::FILE* file = std::fopen(temporary.c_str(), "wbx");
        if (file == nullptr) {
            if (errno == EEXIST) continue;
            return false;
        }
        bool ok = std::fwrite(content.data(), 1, content.size(), file) == content.size();
        ok = std::fclose(file) == 0 && ok;
        if (ok) fs::permissions(temporary, permissions, ec);
        if (ok && !ec) fs::rename(temporary, path, ec);
        if (ok && !ec) return true;
        fs::remove(temporary, ec);
        return false;
    }
    return false;
}

// True when the file existed and was rewritten; false, the file untouched,
// when it does not exist or cannot be read or replaced.
bool ReplaceTextInFile(const std::string& path, std::string_view find,
                       std::string_view replacement) {
    if (!FileExists(path)) return false;
    std::error_code ec;
    // Through a symbolic link the file it names is rewritten, the link kept.
    const fs::path file = fs::canonical(path, ec);
    if (ec) return false;
    const auto content = ReadContent(file);
    return content && ReplaceContent(file, ReplaceAll(*content, find, replacement));
}

std::uint32_t RunPathmend(MSIHANDLE install, const IInstallerServices& services) {
    const auto longPath = services.TargetPath(install, kSharedDirectory);
    if (!longPath || longPath->size() >= kPathBufferSize) return kPathmendFailed;
    const auto shortPath = services.ShortPath(*longPath);
    if (!shortPath || shortPath->size() >= kPathBufferSize) return kPathmendFailed;
    return ReplaceTextInFile(services.BatchFile(), *longPath, *shortPath) ? kPathmendSucceeded
                                                                          : kPathmendFailed;
}

}  // namespace

PATHMEND_EXPORT std::uint32_t SetPathToShortName(MSIHANDLE install) {
    try {
        const CTableInstallerServices services(InstallerTableFromEnvironment({kSharedDirectory}));
        return RunPathmend(install, services);
    } catch (...) {  // nothing may reach the installer but a result
        return kPathmendFailed;
    }
}
