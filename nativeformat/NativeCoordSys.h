// The coordinate-system metadata of native files: what an input file's system
// means for the run, what a new output file records, and the checks before
// records are appended to an existing one.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "common/Status.h"

class CCoordSysDescriptor;
class CLoaderSettings;

// Takes over the system an input file records: without /COORDSYS its key
// becomes the input and the output key, so the data pass unconverted and the
// output records the same system; with /COORDSYS naming another system,
// warning kMsgInputCoordSysOverridden says which one is used.
void TakeOverInputCoordSys(CLoaderSettings& settings, const CCoordSysDescriptor& fileCoordSys);

// Chooses the system a new file records and keeps it as the settings' output
// descriptor: the input file's own when it had one, else the system of the
// output key. kLoaderCoordSysNotFound (argument: the output key) when that
// key names no usable system.
Status ChooseOutputCoordSys(CLoaderSettings& settings);

// Before appending to a file whose system is `fileCoordSys` (null when it
// records none): warns when the data may not match it (kMsgOutputMetadataKept,
// kMsgOutputFileHasNoMetadata, kMsgOutputLatLongDatumsDiffer)
// and fails with kLoaderOutputCoordSysMismatch (arguments: the output key,
// the file's key) when the two systems differ and are not both
// latitude/longitude.
Status CheckAppendCoordSys(CLoaderSettings& settings, const CCoordSysDescriptor* fileCoordSys);

// The system as well-known text; false when it has no WKT form, after
// saying why through `settings`' reporter when one is given.
bool CoordSysToWkt(const CCoordSysDescriptor& coordSys, std::string& wkt,
                   CLoaderSettings* settings = nullptr);
// The system a well-known text describes; null when the text cannot be used,
// after naming the failing element through `settings`' reporter when given.
std::unique_ptr<CCoordSysDescriptor> CoordSysFromWkt(std::string_view wkt,
                                                     CLoaderSettings* settings = nullptr);
