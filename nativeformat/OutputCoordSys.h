// The coordinate-system metadata of a native output file: what a new file
// records, and the checks before records are appended to an existing one.
#pragma once

#include "loader/Status.h"

class CCoordSysDescriptor;
class CLoaderSettings;

// Chooses the system a new file records and keeps it as the settings' output
// descriptor: the input file's own when it had one, else the system of the
// output key. kLoaderCoordSysNotFound (argument: the output key) when that
// key names no usable system.
Status ChooseOutputCoordSys(CLoaderSettings& settings);

// Before appending to a file whose system is `fileCoordSys` (null when it
// records none): warns when the data may not match it (50036, 50037, 50038)
// and fails with kLoaderOutputCoordSysMismatch (arguments: the output key,
// the file's key) when the two systems differ and are not both
// latitude/longitude.
Status CheckAppendCoordSys(CLoaderSettings& settings, const CCoordSysDescriptor* fileCoordSys);

// True for the latitude/longitude keys: "LL..." and "WORLD-LL".
bool IsLatLongKey(const char* key);
