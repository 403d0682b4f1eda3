// Building a coordinate system's parameter block from its definition through
// the projection table, and the conversions that run on it.
#pragma once

#include "coordsys/core/CsParamsBlock.h"

// Options of CS_checkDefinition.
enum ECsCheckOption : unsigned {
    kCsCheckDatum = 1,      // the datum must exist in the datum dictionary
    kCsCheckEllipsoid = 2,  // the ellipsoid must exist in the ellipsoid dictionary
    kCsReportErrors = 4,    // report every stored code, the definition key as context
};

// The system with the key, built (free with CS_free); null with the reason
// reported.
CsParams* CS_loadCoordSys(const char* key);
// Builds a definition: its datum (or ellipsoid) is read from the dictionaries.
CsParams* CS_paramsFromDef(const CsCoordSysDef* def);
// Builds a definition on the given datum block.
CsParams* CS_buildParams(const CsCoordSysDef* def, const CsDatumBlock* datum);
// The number of problems of a definition; their codes are stored in `errors`
// while `capacity` lasts.
int CS_checkDefinition(const CsCoordSysDef* def, unsigned options, int errors[], int capacity);

// Whether the families can project on the block's figure: a positive radius
// of at most kCsMaxRadius and an eccentricity in [0, 1). False with 160
// reported otherwise.
bool CS_usableEllipsoid(const CsDatumBlock* datum);

CsDatumBlock* CS_loadDatum(const char* key);
CsDatumBlock* CS_datumFromDef(const CsDatumDef* datum);
// A null datum gives the block of a system referred to the ellipsoid alone.
CsDatumBlock* CS_makeDatumBlock(const CsDatumDef* datum, const CsEllipsoidDef* ellipsoid);

// Copy a dictionary record into the caller's record: 0, or the negated code
// of the failure.
int CS_readCoordSysDef(const char* key, CsCoordSysDef* out);
int CS_readDatumDef(const char* key, CsDatumDef* out);
int CS_readEllipsoidDef(const char* key, CsEllipsoidDef* out);

// Geographic (degrees, longitude first) to system coordinates; magnitudes
// below the definition's zero thresholds come out as exactly 0. Returns the
// projection's status (0 inside its domain).
int CS_latLongToXy(const CsParams* params, double xy[3], const double ll[3]);
// System coordinates to geographic. Returns the projection's status.
int CS_xyToLatLong(const CsParams* params, double ll[3], const double xy[3]);

inline int CS_forwardProject(const CsParams* params, double out[3], const double in[3]) {
    return CS_latLongToXy(params, out, in);
}
inline int CS_inverseProject(const CsParams* params, double out[3], const double in[3]) {
    return CS_xyToLatLong(params, out, in);
}
