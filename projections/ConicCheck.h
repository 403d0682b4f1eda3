// The check the two-parallel conics share (AE, EDCNC): origin and standard
// parallels.
#pragma once

#include <cstdint>

#include "projections/ProjectionKit.h"

int CS_conicCheck(const CsCoordSysDef* def, std::uint16_t code, int errors[], int capacity);
