#include "projections/ProjectionCommon.h"

double CS_constantZero(const CsProjectionConstants*, const double[3]) {
    return 0.0;
}

double CS_constantOne(const CsProjectionConstants*, const double[3]) {
    return 1.0;
}

int CS_alwaysZero(const CsProjectionConstants*, int, const double[][3]) {
    return 0;
}
