// BNA records read from memory as the reader reads them: header, coordinate
// lines, and the rings of a polygon.
#include "fuzz/FuzzSupport.h"
#include "loader/bna/BnaParser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CMemoryLineSource source{std::string(fuzz::AsText(data, size))};
    for (;;) {
        BnaHeader header;
        if (ReadBnaHeader(source, header) != 0) break;
        PointList points;
        // Every other record passed over, as a filtered one is.
        if (header.count % 2 == 0) {
            if (SkipBnaCoordinates(source, header) != 0) break;
            continue;
        }
        if (ReadBnaCoordinates(source, header, points) != 0) break;
        if (header.Kind() == kBnaPolygon) SplitBnaRings(points);
    }
    return 0;
}
