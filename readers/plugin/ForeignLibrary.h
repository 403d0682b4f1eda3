// Which plug-in library reads an input type, and the two texts its reader is
// created with; the DGN plug-in's settings file and what the loader reads of it.
#pragma once

#include <string>
#include <string_view>

class CLoaderSettings;

struct SForeignLibrary {
    std::string name;  // as LoadLibraryA takes it: "Tsdsn" is libTsdsn.so
    std::string first;
    std::string second;
    bool dgn = false;  // the DGN plug-in, whose second text names its settings file
};

// D: the DGN plug-in with the input name and the settings file; V: the
// coverage plug-in with the workspace and the coverage; H and M: the
// shapefile and MIF plug-ins with the input and its table file. False for
// any other input type.
bool ChooseForeignLibrary(const CLoaderSettings& settings, SForeignLibrary& library);

struct SCoveragePath {
    std::string workspace;
    std::string coverage;
};
// Cut at the last '/' (a trailing one ignored); a name without '/' is a
// coverage in the current directory.
SCoveragePath SplitCoveragePath(std::string_view input);

// The registry value "TSDGNINI_PATH" of the loader's key, else "tsdgn.ini".
std::string DgnSettingsFile();
// False when the settings file's [General] "justConvert" begins with 0 or
// anything but a digit 1 to 9: texts then keep no justification.
bool JustificationsConverted(const std::string& settingsFile);
