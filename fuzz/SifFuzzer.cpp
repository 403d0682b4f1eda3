// A spatial index file opened as /WA opens one: its header and tree read and
// checked, entries added (enough to split nodes), and the file closed. The
// index only opens files, so the input is written to a scratch file.
#include "fuzz/FuzzSupport.h"
#include "nativeformat/BinaryFile.h"
#include "nativeformat/SpatialIndexFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string name = fuzz::WriteScratchFile("input.sif", {data, size});
    Status status = 0;
    CSpatialIndexFile index(name, kOpenReadWrite, status);
    if (status != 0) return 0;
    double extent[4] = {};
    index.GetExtent(extent);
    index.CheckIntegrity();
    for (std::uint32_t i = 0; i < 60; ++i) {
        const double x = (i * 37 % 61) * 10.0, y = (i * 11 % 29) * 10.0;
        const double box[4] = {x, y, x + 5, y + 5};
        if (index.Insert(static_cast<std::uint16_t>(i % 6), box, 1000 + 8 * i) != 0) break;
    }
    index.CheckIntegrity();
    index.Close();
    return 0;
}
