// A drawing read by the drawing reader twice: blocks kept as points, then
// exploded with styles, so that block extents, colours, texts and the
// attribute tables read from extended data are all walked.
#include "fuzz/FuzzSupport.h"
#include "fuzz/ReaderRun.h"
#include "readers/dxf/DwgReader.h"

namespace {

void ReadExploded(const std::string& inputName) {
    CRecordingReporter reporter;
    CLoaderSettings settings;
    settings.reporter = &reporter;
    settings.inputName = inputName;
    settings.explodeBlocks = 1;
    settings.styleTables = 1;
    settings.closedPolylinesToPolygons = 1;
    settings.filter.pointsEnabled = settings.filter.linesEnabled = settings.filter.polygonsEnabled =
        1;
    Status status = 0;
    CDwgReader reader(&settings, &status);
    if (status != 0) return;
    CFeatureRecord record;
    for (int i = 0; i < fuzz::kMaxObjects; ++i) {
        record.Clear();
        if (reader.ReadNext(&record) != 0) break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::Setup();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input = fuzz::WriteScratchFile("input.dxf", {data, size});
    fuzz::RunReader<CDwgReader>(input);
    ReadExploded(input);
    return 0;
}
