#include "projections/SinusCheck.h"

#include "coordsys/core/CsCore.h"

int CS_sinusCheck(const CsCoordSysDef* def, std::uint16_t /*code*/, int errors[], int capacity) {
    CsCheckErrors out(errors, capacity);
    out.Require(def->originLongitude > -180.0 && def->originLongitude <= 180.0,
                kCsErrOriginLongitude);
    return out.Count();
}
