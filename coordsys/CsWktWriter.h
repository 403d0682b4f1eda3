// Writes a coordinate-system definition with its datum and ellipsoid as
// well-known text (WKT): a GEOGCS for latitude/longitude, a LOCALCS for the
// local cartesian systems ("*X-Y*"), a PROJCS for every projected family that
// is built and has a WKT form. Numbers are formatted the same whatever the
// user's locale.
#pragma once

#include <string>

#include "coordsys/CsWktStatus.h"

struct CsParams;

// The WKT of `definition`'s definition record and datum block (as
// CCoordSysDescriptor::ExportDefinition fills them), in UTF-8. On failure
// `text` is empty and the status says what could not be written:
// kWktProjectionName (a projection without a WKT form, or one not built),
// kWktLinearUnits (no unit name, or a negative unit scale), kWktEllipsoid (no
// ellipsoid name, or a radius below 1e-9), kWktNoAngularUnit, kWktDatum,
// kWktPrimeMeridian, kWktZone or the status of a PARAMETER's name (a value
// that is not a finite number), kWktString (a name holding '"', '[' or ']').
WktStatus WriteWkt(const CsParams& definition, std::string& text);

// The same as a UTF-16 text. kWktMissingArgument for a null argument;
// kWktUnknownError when the text is not valid UTF-8.
WktStatus WriteWkt(const CsParams* definition, std::u16string* text);

// The PROJECTION clause and the PARAMETERs of a projected definition, joined
// by commas, for any family with a WKT form, built or not.
WktStatus WriteWktProjection(const CsParams& definition, std::string& text);

// A number as the texts carry it: "0" at magnitudes up to 1e-12, exponent
// form with 11 decimals up to 1e-4, else 11 decimals with trailing zeros and
// point removed (6378137, 0.5, 5.00000000000E-05).
std::string FormatWktNumber(double value);
