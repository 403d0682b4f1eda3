#include "fuzz/FuzzSupport.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "coordsys/core/CsCore.h"
#include "platform/ComPtr.h"
#include "platform/ComRuntime.h"
#include "platform/ModulePath.h"

namespace fs = std::filesystem;

namespace fuzz {

namespace {

std::string MakeScratchDirectory() {
    std::error_code error;
    const fs::path base =
        fs::is_directory("/dev/shm", error) ? fs::path("/dev/shm") : fs::temp_directory_path();
    std::string pattern = (base / "wlxfuzz.XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        std::abort();
    }
    return pattern;
}

}  // namespace

const std::string& ScratchDirectory() {
    // Never destroyed: the exit handler that removes it runs after static destructors.
    static const std::string& directory = *[] {
        auto* made = new std::string(MakeScratchDirectory());
        std::atexit([] {
            std::error_code error;
            fs::remove_all(ScratchDirectory(), error);
        });
        return made;
    }();
    return directory;
}

std::string WriteScratchFile(std::string_view name, std::span<const std::uint8_t> bytes) {
    const std::string path = ScratchDirectory() + "/" + std::string(name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "cannot write the scratch file %s\n", path.c_str());
        std::abort();
    }
    return path;
}

void ClearScratchDirectory() {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(ScratchDirectory(), error))
        fs::remove_all(entry.path(), error);
}

void Setup() {
    static const bool done = [] {
        // Never the machine's registry: a target that wants one writes it.
        setenv("WLXCONV_REGISTRY", (ScratchDirectory() + "/none.reg").c_str(), 1);
        unsetenv("CS_KORE_DIR");
        CS_setDictionaryDirectory(ModuleDirectory().c_str());
        return Succeeded(CoInitialize());
    }();
    if (!done) {
        std::fprintf(stderr, "COM cannot be started\n");
        std::abort();
    }
}

IWKBGeometryFactory* GeometryFactory() {
    static ComPtr<IWKBGeometryFactory>& factory = *[] {
        auto* made = new ComPtr<IWKBGeometryFactory>;  // kept until the process ends
        CoCreateInstance(CLSID_WKBGeometryFactory, nullptr, CLSCTX_INPROC_SERVER,
                         IID_IWKBGeometryFactory, reinterpret_cast<void**>(made->Put()));
        return made;
    }();
    return factory.Get();
}

}  // namespace fuzz
