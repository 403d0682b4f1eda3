// Names of the files the loader derives from the ones it is given.
#pragma once

#include <string>
#include <string_view>

// The name without its extension: cut at the last '.' of the last path
// component, unless that '.' begins the component.
std::string_view WithoutExtension(std::string_view name);

// <name without extension>_<table><extension>: an exported table's file.
std::string TableFileName(std::string_view outputName, std::string_view tableName,
                          std::string_view extension);

// The name with each of the characters \ / : * ? < > | removed.
std::string MakeFileNameFromName(std::string_view name);
