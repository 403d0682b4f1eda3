#include "platform/ModulePath.h"

#include <filesystem>
#include <system_error>

std::string ModuleFileName() {
    std::error_code ec;
    auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : path.string();
}

std::string ModuleDirectory() {
    std::string name = ModuleFileName();
    auto slash = name.rfind('/');
    return slash == std::string::npos ? std::string("./") : name.substr(0, slash + 1);
}
