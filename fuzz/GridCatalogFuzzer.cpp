// A grid-shift catalog (.gdc) as the grid families read it, and what its
// entries keep. Only the catalog is read; the grid files it names are never
// opened, since a fuzzed path may name any file.
#include <cstring>

#include "coordsys/GridCatalog.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::Setup();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = fuzz::WriteScratchFile("catalog.gdc", {data, size});
    CsGridCatalog* catalog = CS_readGridCatalog(path.c_str());
    if (!catalog) return 0;
    // What the reader keeps holds: every entry's path has a directory and a
    // file name with an extension, and a density of 0.5 to 60 minutes or none.
    for (int i = 0; const CsGridCatalogEntry* entry = CS_catalogEntry(catalog, i); ++i) {
        const char* slash = std::strrchr(entry->path, '/');
        if (!slash || !std::strchr(slash, '.')) __builtin_trap();
        if (entry->density != 0.0 && !(entry->density >= 0.5 / 60 && entry->density <= 1.0)) {
            __builtin_trap();
        }
    }
    CS_freeGridCatalog(catalog);
    return 0;
}
