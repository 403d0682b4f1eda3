// Linked with nothing but the coordinate-system libraries as archive files in
// dependency order (coordsys, projections, coordsys_core, then what they stand
// on): it links only while no library reaches up to one named before it.
#include <cstdio>

#include "coordsys/CsParams.h"
#include "coordsys/core/CsCore.h"

int main() {
    CsPtr<CsParams> params(CS_loadCoordSys("UTM83-10"));
    if (!params) {
        std::printf("%s\n", CS_lastMessage());
        return 1;
    }
    const double ll[3] = {-123.0, 45.0, 0.0};
    double xy[3] = {};
    if (CS_latLongToXy(params.get(), xy, ll) != 0) return 1;
    std::printf("%.3f %.3f\n", xy[0], xy[1]);
    return 0;
}
