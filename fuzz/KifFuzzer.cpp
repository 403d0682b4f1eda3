// A key index file opened as /WA opens one: its header read, keys added
// (enough to split nodes, some twice), and the file closed. The index only
// opens files, so the input is written to a scratch file.
#include <string>

#include "fuzz/FuzzSupport.h"
#include "nativeformat/BinaryFile.h"
#include "nativeformat/KeyIndexFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string name = fuzz::WriteScratchFile("input.kif", {data, size});
    Status status = 0;
    CKeyIndexFile index(name, kOpenReadWrite, status);
    if (status != 0) return 0;
    for (std::uint32_t i = 0; i < 60; ++i) {
        const std::string key = "key" + std::to_string(i * 7919 % 41);
        if (index.Insert(key, 1000 + 8 * i) != 0) break;
    }
    index.Close();
    return 0;
}
