// The geographic-limits check of the world families whose forward accepts
// every longitude: only the latitude can lie outside.
#pragma once

#include "projections/ProjectionKit.h"

// 2 at the first point whose latitude lies beyond +-90 degrees, else 0.
int CS_latitudeLimitsCheck(const CsProjectionConstants* constants, int count,
                           const double points[][3]);
