// What the drawing reader needs of its host: the one host-services
// installation of the process, the search for support files, and the
// outside converter that turns a DWG drawing into DXF.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace dwg {

inline constexpr int kSupportFileNotFound = 76;

// Installs the process's host services for a language; false while they are
// installed already.
bool InstallHostServices(int localeId);
// Removes them; they can be installed again afterwards.
void RemoveHostServices();
bool HostServicesInstalled();

// Looks for a support file beside the executable, in the current directory,
// then along PATH, adding the hint's extension to a name that has none (2
// ".shx", 3 ".ttf", 5 ".dwg", 6 ".pat", 7 ".oxe", 8 ".fmp"). 0 with the full
// path in `buffer` when found and shorter than `bufferLength`; 76 otherwise.
int FindSupportFile(char* buffer, std::size_t bufferLength, const char* fileName, int hint);

// The converter's install directory from the registry; empty when none is
// registered.
std::string FindConverterPath();

// The converter's arguments for one conversion: the registered command-line
// template ("CommandLine"; by default "%p" "%i" "%o"), split at blanks outside
// double quotes, with %p the converter program, %i the drawing and %o the DXF
// file to write. Empty when no converter is registered.
std::vector<std::string> ConverterArguments(const std::string& input, const std::string& output);

}  // namespace dwg
