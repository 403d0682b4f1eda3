// The Tokyo to JGD2000 mesh text (.par) read into records, then shifted in
// the meshes of the first records it kept. The binary file the grid writes
// beside the text is removed first, so that every input is read as text.
#include "coordsys/JapanGrid.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::Setup();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::ClearScratchDirectory();
    const std::string path = fuzz::WriteScratchFile("tky2jgd.par", {data, size});
    CsJapanGrid* grid = CS_japanGridNew(path.c_str(), 0, 0, 0.0);
    if (!grid) return 0;
    // Read back from the binary file the text left.
    CsJapanGrid* again = CS_japanGridNew(path.c_str(), 0, 0, 0.0);
    if (again && again->records.size() != grid->records.size()) __builtin_trap();
    CS_japanGridFree(again);
    for (std::size_t i = 0; i < grid->records.size() && i < 4; ++i) {
        double corner[2];
        CS_japanMeshCorner(corner, grid->records[i].mesh);
        const double in[2] = {corner[0] + 0.004, corner[1] + 0.003};
        double out[2];
        CS_japanGridShift(grid, out, in, nullptr);
        CS_japanGridShift(grid, out, corner, nullptr);
    }
    CS_japanGridFree(grid);
    return 0;
}
