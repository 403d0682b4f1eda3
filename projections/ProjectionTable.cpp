#include "projections/ProjectionTable.h"

#include <cstring>

#include "coordsys/core/CsCore.h"

const CsProjectionEntry* CS_projectionLookup(const char* key) {
    for (const CsProjectionEntry* row = cs_ProjectionTable; row->key[0] != '\0'; ++row) {
        if (CS_stricmp(row->key, key) == 0) return row;
    }
    return nullptr;
}

const CsProjectionEntry* CS_projectionLookupExact(const char* key) {
    for (const CsProjectionEntry* row = cs_ProjectionTable; row->key[0] != '\0'; ++row) {
        if (std::strcmp(row->key, key) == 0) return row;
    }
    return nullptr;
}
