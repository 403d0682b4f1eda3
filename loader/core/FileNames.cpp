#include "loader/core/FileNames.h"

#include "platform/FileCase.h"

std::string RemoveExtension(std::string_view path) {
    std::size_t slash = path.rfind('/');
    std::size_t componentStart = slash == std::string_view::npos ? 0 : slash + 1;
    std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || dot < componentStart) return std::string(path);
    return std::string(path.substr(0, dot));
}

std::string_view WithoutExtension(std::string_view name) {
    const auto separator = name.rfind('/');
    const std::size_t componentStart = separator == std::string_view::npos ? 0 : separator + 1;
    const auto dot = name.find_last_of('.');
    if (dot == std::string_view::npos || dot <= componentStart) return name;
    return name.substr(0, dot);
}

std::string TableFileName(std::string_view outputName, std::string_view tableName,
                          std::string_view extension) {
    std::string name(WithoutExtension(outputName));
    name.push_back('_');
    name.append(tableName);
    name.append(extension);
    return name;
}

std::string MakeFileNameFromName(std::string_view name) {
    std::string result;
    result.reserve(name.size());
    for (char c : name)
        if (std::string_view("\\/:*?<>|").find(c) == std::string_view::npos) result.push_back(c);
    return result;
}

std::string CompanionFileName(std::string_view input, std::string_view extension) {
    std::string name = std::string(WithoutExtension(input)) + std::string(extension);
    std::string found = ResolveFileCase(name);
    return found.empty() ? name : found;
}
