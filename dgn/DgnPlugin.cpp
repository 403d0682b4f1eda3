// The plug-in library's two entry points.
#include "dgn/DgnFileReader.h"

CFgnReader* CreateForeignReaderForTessaran(char const* path, char const* second, TFgnBool) {
    try {
        return new CDgnFileReader(path, second);
    } catch (...) {
        return nullptr;
    }
}

void DestroyForeignReaderForTessaran(CFgnReader* reader) {
    delete reader;
}
