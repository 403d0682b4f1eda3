#include "installer/InstallerServices.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace {

std::optional<std::string> Lookup(const std::map<std::string, std::string>& map,
                                  const std::string& key) {
    const auto found = map.find(key);
    if (found == map.end()) return std::nullopt;
    return found->second;
}

// Unset and empty alike give nothing.
const char* Variable(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    return value != nullptr && *value != '\0' ? value : nullptr;
}

}  // namespace

std::optional<std::string> CTableInstallerServices::TargetPath(MSIHANDLE,
                                                               const std::string& directory) const {
    return Lookup(table_.targetPaths, directory);
}

std::optional<std::string> CTableInstallerServices::ShortPath(const std::string& path) const {
    return Lookup(table_.shortPaths, path);
}

InstallerTable InstallerTableFromEnvironment(const std::vector<std::string>& directories) {
    InstallerTable table;
    if (const char* batchFile = Variable("PATHMEND_BATCH_FILE")) table.batchFile = batchFile;
    for (const std::string& directory : directories) {
        const char* target = std::getenv(("PATHMEND_TARGET_" + directory).c_str());
        if (target == nullptr) continue;
        table.targetPaths[directory] = target;
        std::error_code ec;
        if (!std::filesystem::exists(target, ec)) continue;
        const char* shortForm = Variable("PATHMEND_SHORT_" + directory);
        table.shortPaths[target] = shortForm != nullptr ? shortForm : target;
    }
    return table;
}
