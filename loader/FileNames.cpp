#include "loader/FileNames.h"

std::string RemoveExtension(std::string_view path) {
    std::size_t slash = path.rfind('/');
    std::size_t componentStart = slash == std::string_view::npos ? 0 : slash + 1;
    std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || dot < componentStart) return std::string(path);
    return std::string(path.substr(0, dot));
}
