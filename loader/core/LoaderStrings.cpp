#include "loader/core/LoaderStrings.h"

HINSTANCE LoaderModule() {
    static constexpr ModuleResources kResources{kLoaderStrings, {}};
    return &kResources;
}
