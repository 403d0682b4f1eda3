// A WLT text file read by the WLT reader, with its coordinate-system header.
// The reader only opens files, so the input is written to a scratch file.
#include "fuzz/FuzzSupport.h"
#include "fuzz/ReaderRun.h"
#include "nativeformat/WltReader.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::Setup();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::RunReader<CWltReader>(fuzz::WriteScratchFile("input.wlt", {data, size}));
    return 0;
}
