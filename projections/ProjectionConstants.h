// The constants area of a parameter block: one record per family, shared.
#pragma once

#include "projections/LlProjection.h"
#include "projections/TmProjection.h"

union CsProjectionConstants {
    CsLlConstants ll;
    CsTmConstants tm;
};
