// The constants area of a parameter block: one record per family, laid over
// the block's opaque storage.
#pragma once

#include <new>

#include "coordsys/core/CsParamsBlock.h"
#include "projections/LlProjection.h"
#include "projections/TmProjection.h"

union CsProjectionConstants {
    CsLlConstants ll;
    CsTmConstants tm;
};
static_assert(sizeof(CsProjectionConstants) <= sizeof(CsConstantsArea),
              "a family's constants outgrow the parameter block's area");
static_assert(alignof(CsProjectionConstants) <= alignof(CsConstantsArea));

// The block's constants as the families' records.
inline CsProjectionConstants* CS_constants(CsParams* params) {
    return std::launder(reinterpret_cast<CsProjectionConstants*>(params->constants.bytes));
}
inline const CsProjectionConstants* CS_constants(const CsParams* params) {
    return std::launder(reinterpret_cast<const CsProjectionConstants*>(params->constants.bytes));
}
