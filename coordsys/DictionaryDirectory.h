// Where the coordinate-system dictionaries are. The registry names the
// directory: HKEY_LOCAL_MACHINE "SOFTWARE\Velstrom\GIS\Coordsys\" value
// "CurVer" (default "11e"), then that version's key, value "Path".
#pragma once

#include <string>

enum class EDictionaryRegistry {
    kNoCoordsysKey,  // "SOFTWARE\Velstrom\GIS\Coordsys\" cannot be opened
    kNoPath,         // the version key or its "Path" value is missing
    kFound,
};

// Reads the registry's "Path" value as it stands.
EDictionaryRegistry ReadDictionaryPath(std::string& path);

// The directory start-up hands to the coordinate-system library: the
// registry's "Path" when it names a directory ('\' read as '/', a '/' added
// at the end), else the executable's own directory. Always ends in '/'.
std::string ResolveDictionaryDirectory();
