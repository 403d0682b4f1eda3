// The scene plug-in's two entry points.
#include <new>

#include "foreign/tests/FgnScene.h"

CFgnReader* CreateForeignReaderForTessaran(char const* path, char const* second, TFgnBool) {
    try {
        return CreateSceneReader(path, second);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void DestroyForeignReaderForTessaran(CFgnReader* reader) {
    delete reader;
}
