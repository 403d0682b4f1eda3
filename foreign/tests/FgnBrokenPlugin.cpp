// A plug-in library without its destroy entry point: a loader must refuse it
// before it creates anything.
#include "foreign/Foreign.h"

CFgnReader* CreateForeignReaderForTessaran(char const*, char const*, TFgnBool) {
    return nullptr;
}
