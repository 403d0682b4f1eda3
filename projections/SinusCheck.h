// The check that the sinusoidal family shares with the world families
// (Robinson, Van der Grinten, Eckert, Mollweide, Goode): only the origin
// longitude is looked at.
#pragma once

#include <cstdint>

#include "projections/ProjectionKit.h"

int CS_sinusCheck(const CsCoordSysDef* def, std::uint16_t code, int errors[], int capacity);
