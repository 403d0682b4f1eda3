// A WLX file read by the WLX reader: header, coordinate-system metadata and
// every record, then the description /INFO prints. The reader only opens
// files, so the input is written to a scratch file.
#include "fuzz/FuzzSupport.h"
#include "fuzz/ReaderRun.h"
#include "nativeformat/WlxReader.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::Setup();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::RunReader<CWlxReader>(fuzz::WriteScratchFile("input.wlx", {data, size}));
    return 0;
}
