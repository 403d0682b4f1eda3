// File-name helpers: '/' separates directories.
#pragma once

#include <string>
#include <string_view>

// The name without its extension: cut at the last '.' of the last path
// component only ("dir.v2/data" keeps its whole text).
std::string RemoveExtension(std::string_view path);

// The same, except that a '.' beginning the last component is no extension
// (".hidden" keeps its name): the names derived for companion and table files.
std::string_view WithoutExtension(std::string_view name);

// The input's companion file: its name with `extension` in place of its own
// (".shx", ".mid"), found regardless of letter case; the name as made when
// no such file exists, so that opening it reports that name.
std::string CompanionFileName(std::string_view input, std::string_view extension);

// <name without extension>_<table><extension>: an exported table's file.
std::string TableFileName(std::string_view outputName, std::string_view tableName,
                          std::string_view extension);

// The name with each of the characters \ / : * ? < > | removed.
std::string MakeFileNameFromName(std::string_view name);
