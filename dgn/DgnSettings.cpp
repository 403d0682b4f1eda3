#include "dgn/DgnSettings.h"

#include <vector>

#include "platform/Registry.h"

CReadIni iniFile;

namespace dgn {

std::string SettingsFilePath(const char* given) {
    if (given && *given) return given;
    CRegistryKey key;
    std::string path;
    if (key.OpenRegistryKey(HKEY_LOCAL_MACHINE, "Software\\Velstrom\\Tessaran WLX Loader\\6.0",
                            KEY_READ) == ERROR_SUCCESS)
        key.QueryRegistryString("TSDGNINI_PATH", path);
    return path.empty() ? kDefaultSettingsFile : path;
}

}  // namespace dgn

CReadIni& CReadIni::operator=(const CReadIni& other) {
    if (this != &other) SetFile(other.path_.c_str());
    return *this;
}

void CReadIni::SetFile(const char* path) {
    path_ = path ? path : "";
    cache_.reset();
}

const CIniFile& CReadIni::File() const {
    if (!cache_) cache_ = CIniFile::Load(path_);
    return *cache_;
}

std::string CReadIni::Read(const char* section, const char* key, const char* defaultValue,
                           int size) const {
    if (size < 1) return {};
    std::vector<char> buffer(static_cast<std::size_t>(size));
    const DWORD n = File().GetString(section, key, defaultValue, buffer.data(), DWORD(size));
    return std::string(buffer.data(), n);
}

std::string CReadIni::ReadSection(const char* section, int size) const {
    if (size < 2) return std::string(1, '\0');
    std::vector<char> buffer(static_cast<std::size_t>(size));
    const DWORD n = File().GetSection(section, buffer.data(), DWORD(size));
    return std::string(buffer.data(), n + 1);
}
