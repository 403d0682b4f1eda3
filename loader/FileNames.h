// File-name helpers: '/' separates directories.
#pragma once

#include <string>
#include <string_view>

// The name without its extension: cut at the last '.' of the last path
// component only ("dir.v2/data" keeps its whole text).
std::string RemoveExtension(std::string_view path);
