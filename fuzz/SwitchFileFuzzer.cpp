// A switch file read as the program reads /FILE: every line's switch parsed
// into the run's settings, as on the command line. The program reads switch
// files by name, so the input is written to a scratch file.
#include "fuzz/FuzzSupport.h"
#include "loader/app/LoaderApp.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::Setup();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string option = "/FILE:" + fuzz::WriteScratchFile("switches.txt", {data, size});
    Status status = 0;
    CLoaderApp app(&status);
    if (status != 0) return 0;
    const char* const argv[] = {"wlxconv", option.c_str(), "input.bna", "output"};
    int usageShown = 0;
    app.ParseCommandLine(4, argv, &usageShown);
    return 0;
}
