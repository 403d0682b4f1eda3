// Outside tools the tests compare against, found on the PATH.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

namespace wlxtest {

// The tool's full path; empty when it is not installed.
inline std::filesystem::path FindTool(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        const auto candidate = std::filesystem::path(dir.empty() ? "." : dir) / name;
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error)) return candidate;
    }
    return {};
}

}  // namespace wlxtest
