#include "readers/plugin/ForeignLibrary.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "loader/core/FileNames.h"
#include "loader/core/LoaderSettings.h"
#include "loader/core/Utf8Text.h"
#include "platform/IniFile.h"
#include "platform/Registry.h"

namespace {

constexpr char kDefaultDgnSettingsFile[] = "tsdgn.ini";

}  // namespace

bool ChooseForeignLibrary(const CLoaderSettings& settings, SForeignLibrary& library) {
    const std::string& input = settings.inputName;
    library = SForeignLibrary{};
    switch (UpperAscii(settings.inputType)) {
        case 'D':
            library = {"Tsdsn", input, DgnSettingsFile(), true};
            return true;
        case 'V': {
            SCoveragePath path = SplitCoveragePath(input);
            library = {"Tscov", std::move(path.workspace), std::move(path.coverage), false};
            return true;
        }
        case 'H':
            library = {"Tsshp", input, RemoveExtension(input) + ".DBF", false};
            return true;
        case 'M':
            library = {"Tsmif", input, RemoveExtension(input) + ".MID", false};
            return true;
        default:
            return false;
    }
}

SCoveragePath SplitCoveragePath(std::string_view input) {
    std::string_view name = input;
    while (name.size() > 1 && name.back() == '/') name.remove_suffix(1);
    const std::size_t slash = name.rfind('/');
    if (slash == std::string_view::npos) {
        std::error_code ec;
        return {std::filesystem::current_path(ec).string(), std::string(input)};
    }
    return {slash == 0 ? std::string("/") : std::string(name.substr(0, slash)),
            std::string(name.substr(slash + 1))};
}

std::string DgnSettingsFile() {
    CRegistryKey key;
    std::string path;
    if (key.OpenRegistryKey(HKEY_LOCAL_MACHINE, "Software\\Velstrom\\Tessaran WLX Loader\\6.0",
                            KEY_READ) == ERROR_SUCCESS)
        key.QueryRegistryString("TSDGNINI_PATH", path);
    return path.empty() ? kDefaultDgnSettingsFile : path;
}

bool JustificationsConverted(const std::string& settingsFile) {
    // Only the first character counts.
    char value[2] = {};
    GetPrivateProfileStringA("General", "justConvert", "1", value, sizeof value,
                             settingsFile.c_str());
    return std::atoi(value) != 0;
}
