#include "platform/FileCase.h"

#include <filesystem>
#include <system_error>

namespace {

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto fold = [](char c) {
            return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        };
        if (fold(a[i]) != fold(b[i])) return false;
    }
    return true;
}

}  // namespace

std::string ResolveFileCase(std::string_view path) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path wanted(path);
    if (fs::exists(wanted, error)) return std::string(path);
    const std::string name = wanted.filename().string();
    if (name.empty()) return {};
    const fs::path directory = wanted.has_parent_path() ? wanted.parent_path() : fs::path(".");
    for (fs::directory_iterator it(directory, error), end; !error && it != end;
         it.increment(error)) {
        const std::string candidate = it->path().filename().string();
        if (EqualIgnoringAsciiCase(candidate, name))
            return wanted.has_parent_path() ? (directory / candidate).string() : candidate;
    }
    return {};
}
