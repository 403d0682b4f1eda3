// The NTF to RGF93 text grid (gr3df97a.txt) read whole, then shifted at the
// corners and the middle of the extent it declares, both ways.
#include "coordsys/FrenchGrid.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::Setup();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = fuzz::WriteScratchFile("gr3df97a.txt", {data, size});
    CsFrenchGrid* grid = CS_frenchGridNew(path.c_str());
    if (!grid) return 0;
    const double west = grid->minLongitude, east = grid->maxLongitude;
    const double south = grid->minLatitude, north = grid->maxLatitude;
    const double points[][2] = {{west, south},
                                {east, north},
                                {(west + east) / 2, (south + north) / 2},
                                {east - grid->lonStep / 2, north - grid->latStep / 2},
                                {2.35, 48.85}};
    for (const auto& p : points) {
        const double in[3] = {p[0], p[1], 0.0};
        double t[3], out[3], back[3];
        CS_frenchGridShifts(grid, in, &t[0], &t[1], &t[2]);
        CS_ntfToRgf93(grid, out, in);
        CS_rgf93ToNtf(grid, back, out);
    }
    CS_frenchGridFree(grid);
    return 0;
}
