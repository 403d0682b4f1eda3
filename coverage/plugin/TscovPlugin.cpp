// The plug-in library's two entry points.
#include "coverage/plugin/EsriReader.h"

CFgnReader* CreateForeignReaderForTessaran(char const* path, char const* second, TFgnBool flag) {
    try {
        return new CESRIReader(path, second, flag);
    } catch (...) {
        return nullptr;
    }
}

void DestroyForeignReaderForTessaran(CFgnReader* reader) {
    delete reader;
}
