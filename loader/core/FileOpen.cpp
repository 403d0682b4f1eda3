#include "loader/core/FileOpen.h"

#include <filesystem>

#include "loader/core/Messages.h"

namespace {

Status OpenFailure(Status status, const std::string& name) {
    SetStatusArgs(name.c_str(), nullptr);
    return status;
}

}  // namespace

bool FileExists(const std::string& name) {
    std::error_code error;
    return !name.empty() && std::filesystem::exists(name, error);
}

Status OpenFileToRead(const std::string& name, std::FILE** stream) {
    *stream = nullptr;
    if (name.empty()) return OpenFailure(kWlxOpenFailed, name);
    if (!FileExists(name)) return OpenFailure(kWlxFileNotFound, name);
    std::error_code error;
    if (std::filesystem::is_directory(name, error)) return OpenFailure(kWlxOpenFailed, name);
    *stream = std::fopen(name.c_str(), "rb");
    return *stream ? 0 : OpenFailure(kWlxOpenFailed, name);
}

Status OpenFileToWrite(const std::string& name, const char* mode, std::FILE** stream) {
    *stream = nullptr;
    if (name.empty()) return OpenFailure(kWlxOpenFailed, name);
    *stream = std::fopen(name.c_str(), mode);
    return *stream ? 0 : OpenFailure(kWlxOpenFailed, name);
}
