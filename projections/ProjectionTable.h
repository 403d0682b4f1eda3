// The projection table: one row per projection key, naming the family's setup
// and check routines. Rows whose family has not been built have no setup; a
// definition naming one is refused as an unsupported projection. The rows are
// in ProjectionTable.cpp, the one place that sees the families' headers.
#pragma once

#include <cstdint>

#include "projections/ProjectionTypes.h"

struct CsProjectionEntry {
    char key[24];
    CsSetupFn setup;
    CsCheckFn check;  // absent: the definition check reports 235
    std::uint16_t code;
    std::uint16_t reserved;
    std::uint32_t flags;  // carried into CsParams::projectionFlags
    char description[64];
};

// In table order; the last row has an empty key.
extern const CsProjectionEntry cs_ProjectionTable[];
// Rows before the empty one.
extern const int cs_ProjectionCount;

// The row with the key, letter case ignored in 'A'-'Z'; null when none.
const CsProjectionEntry* CS_projectionLookup(const char* key);
// The row whose key equals `key` exactly; null when none.
const CsProjectionEntry* CS_projectionLookupExact(const char* key);
