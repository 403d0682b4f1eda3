#include "coordsys/DictionaryDirectory.h"

#include <algorithm>

#include "platform/ModulePath.h"
#include "platform/Registry.h"

namespace {

constexpr const char* kCoordsysKey = "SOFTWARE\\Velstrom\\GIS\\Coordsys\\";
constexpr const char* kDefaultVersion = "11e";
// Registry values longer than a Windows path are not directories.
constexpr std::size_t kMaxPath = 260;

}  // namespace

EDictionaryRegistry ReadDictionaryPath(std::string& path) {
    path.clear();
    CRegistryKey key;
    if (key.OpenRegistryKey(HKEY_LOCAL_MACHINE, kCoordsysKey, KEY_READ) != ERROR_SUCCESS)
        return EDictionaryRegistry::kNoCoordsysKey;
    std::string version;
    if (key.QueryRegistryString("CurVer", version) != ERROR_SUCCESS || version.empty() ||
        version.size() >= kMaxPath)
        version = kDefaultVersion;
    key.CloseRegistryKey();
    if (key.OpenRegistryKey(HKEY_LOCAL_MACHINE, (std::string(kCoordsysKey) + version).c_str(),
                            KEY_READ) != ERROR_SUCCESS)
        return EDictionaryRegistry::kNoPath;
    if (key.QueryRegistryString("Path", path) != ERROR_SUCCESS) {
        path.clear();
        return EDictionaryRegistry::kNoPath;
    }
    return EDictionaryRegistry::kFound;
}

std::string ResolveDictionaryDirectory() {
    std::string path;
    ReadDictionaryPath(path);
    std::replace(path.begin(), path.end(), '\\', '/');
    if (path.find('/') == std::string::npos) return ModuleDirectory();
    if (path.back() != '/') path += '/';
    return path;
}
