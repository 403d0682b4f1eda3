// Slot fillers shared by the families where a value is constant.
#pragma once

#include "projections/ProjectionTypes.h"

double CS_constantZero(const CsProjectionConstants* constants, const double ll[3]);
double CS_constantOne(const CsProjectionConstants* constants, const double ll[3]);
int CS_alwaysZero(const CsProjectionConstants* constants, int count, const double points[][3]);
