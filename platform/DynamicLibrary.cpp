#include "platform/DynamicLibrary.h"

#include <dlfcn.h>

#include "platform/ModulePath.h"

namespace {

void* Open(const std::string& file) {
    return dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
}

}  // namespace

std::string DynamicLibraryFileName(std::string_view name) {
    std::string file = "lib";
    file.append(name);
    file += ".so";
    return file;
}

HMODULE LoadLibraryA(const char* name) {
    if (!name || !*name) return nullptr;
    const std::string_view text(name);
    void* handle = nullptr;
    if (text.find('/') != std::string_view::npos) {
        handle = Open(std::string(text));
    } else {
        const std::string file = DynamicLibraryFileName(text);
        handle = Open(ModuleDirectory() + file);
        // Without a '/' dlopen searches as the system does.
        if (!handle) handle = Open(file);
    }
    return static_cast<HMODULE>(handle);
}

FARPROC GetProcAddress(HMODULE module, const char* name) {
    if (!module || !name) return nullptr;
    return reinterpret_cast<FARPROC>(dlsym(module, name));
}

BOOL FreeLibrary(HMODULE module) {
    if (!module) return 0;
    return dlclose(module) == 0 ? 1 : 0;
}
