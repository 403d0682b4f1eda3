// The geographic-limits check of the families whose only geographic limit is
// the latitude: 2 at the first point beyond +-90 degrees, else 0.
#pragma once

#include "projections/ProjectionKit.h"

int CS_latitudeLimitsCheck(const CsProjectionConstants* constants, int count,
                           const double points[][3]);
