#include "readers/dxf/DwgHost.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "platform/ModulePath.h"
#include "platform/Registry.h"

namespace dwg {

namespace {

constexpr const char* kConverterKey = "SOFTWARE\\Velstrom\\DWGRelay\\6.5";
constexpr const char* kConverterProgram = "Converter.exe";
constexpr const char* kDefaultTemplate = "\"%p\" \"%i\" \"%o\"";
// The longest install directory the registry may name.
constexpr std::size_t kMaxConverterPath = 259;

bool installed = false;

const char* ExtensionForHint(int hint) {
    switch (hint) {
        case 2:
            return ".shx";
        case 3:
            return ".ttf";
        case 5:
            return ".dwg";
        case 6:
            return ".pat";
        case 7:
            return ".oxe";
        case 8:
            return ".fmp";
        default:
            return "";
    }
}

bool HasExtension(std::string_view name) {
    const std::size_t slash = name.find_last_of("/\\");
    const std::string_view last = slash == std::string_view::npos ? name : name.substr(slash + 1);
    return last.find('.') != std::string_view::npos;
}

std::vector<std::string> SearchDirectories() {
    std::vector<std::string> directories{ModuleDirectory(), "."};
    if (const char* path = std::getenv("PATH")) {
        std::string_view rest(path);
        while (!rest.empty()) {
            const std::size_t colon = rest.find(':');
            const std::string_view part = rest.substr(0, colon);
            directories.emplace_back(part.empty() ? "." : part);
            if (colon == std::string_view::npos) break;
            rest.remove_prefix(colon + 1);
        }
    }
    return directories;
}

std::vector<std::string> SplitTemplate(std::string_view text) {
    std::vector<std::string> words;
    std::string word;
    bool quoted = false;
    bool inWord = false;
    for (const char c : text) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inWord) words.push_back(std::move(word));
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words.push_back(std::move(word));
    return words;
}

std::string Substitute(std::string_view word, const std::string& program, const std::string& input,
                       const std::string& output) {
    std::string out;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (word[i] != '%' || i + 1 == word.size()) {
            out += word[i];
            continue;
        }
        switch (word[++i]) {
            case 'p':
                out += program;
                break;
            case 'i':
                out += input;
                break;
            case 'o':
                out += output;
                break;
            case '%':
                out += '%';
                break;
            default:
                out += '%';
                out += word[i];
                break;
        }
    }
    return out;
}

}  // namespace

bool InstallHostServices(int /*localeId*/) {
    if (installed) return false;
    installed = true;
    return true;
}

void RemoveHostServices() {
    installed = false;
}

bool HostServicesInstalled() {
    return installed;
}

int FindSupportFile(char* buffer, std::size_t bufferLength, const char* fileName, int hint) {
    if (!buffer || !fileName || !*fileName) return kSupportFileNotFound;
    std::string name(fileName);
    if (!HasExtension(name)) name += ExtensionForHint(hint);
    std::vector<std::string> candidates;
    if (std::filesystem::path(name).is_absolute()) {
        candidates.push_back(name);
    } else {
        for (const std::string& directory : SearchDirectories())
            candidates.push_back((std::filesystem::path(directory) / name).string());
    }
    for (const std::string& candidate : candidates) {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(candidate, ec)) continue;
        std::string full = std::filesystem::absolute(candidate, ec).lexically_normal().string();
        if (ec) full = candidate;
        if (full.empty() || full.size() >= bufferLength) return kSupportFileNotFound;
        std::memcpy(buffer, full.c_str(), full.size() + 1);
        return 0;
    }
    return kSupportFileNotFound;
}

std::string FindConverterPath() {
    CRegistryKey key;
    if (key.OpenRegistryKey(HKEY_LOCAL_MACHINE, kConverterKey, KEY_QUERY_VALUE) != ERROR_SUCCESS)
        return {};
    std::string path;
    if (key.QueryRegistryString("Path", path) != ERROR_SUCCESS || path.empty() ||
        path.size() > kMaxConverterPath)
        return {};
    return path;
}

std::vector<std::string> ConverterArguments(const std::string& input, const std::string& output) {
    const std::string directory = FindConverterPath();
    if (directory.empty()) return {};
    std::string program = directory;
    if (program.back() != '/' && program.back() != '\\') program += '/';
    program += kConverterProgram;
    CRegistryKey key;
    std::string commandLine;
    if (key.OpenRegistryKey(HKEY_LOCAL_MACHINE, kConverterKey, KEY_QUERY_VALUE) != ERROR_SUCCESS ||
        key.QueryRegistryString("CommandLine", commandLine) != ERROR_SUCCESS || commandLine.empty())
        commandLine = kDefaultTemplate;
    std::vector<std::string> args;
    for (const std::string& word : SplitTemplate(commandLine))
        args.push_back(Substitute(word, program, input, output));
    return args;
}

}  // namespace dwg
