// The OSTN97 and OSTN02 text grids: the first byte picks the format, the rest
// is the text. The grid is then shifted both ways at a few national-grid
// points. The binary file written beside the text is removed first, so that
// every input is read as text.
#include "coordsys/core/CsOstnGrid.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::Setup();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const bool is02 = (data[0] & 1) != 0;
    fuzz::ClearScratchDirectory();
    const std::string path =
        fuzz::WriteScratchFile(is02 ? "ostn02.txt" : "ostn97.txt", {data + 1, size - 1});
    CsOstnGrid* grid = is02 ? CS_ostn02New(path.c_str()) : CS_ostn97New(path.c_str());
    if (!grid) return 0;
    const double points[][2] = {{0.0, 0.0}, {1500.5, 250.25}, {699999.0, 1250000.0}, {-1.0, 5.0}};
    for (const auto& p : points) {
        double shift[2], out[2], back[2];
        CS_ostnShift(grid, shift, p);
        if (CS_ostnForward(grid, out, p) == 0) CS_ostnInverse(grid, back, out);
    }
    CS_ostnFree(grid);
    return 0;
}
