#include "coordsys/DictionaryRefresh.h"

#include <algorithm>
#include <mutex>
#include <string>

#include "coordsys/DictionaryDirectory.h"
#include "coordsys/core/CsCore.h"
#include "platform/CriticalSection.h"

CCriticalSection& CoordSysCriticalSection() {
    static CCriticalSection section;
    return section;
}

Status RefreshDictionaryDirectory() {
    std::string path;
    // Without a version key or its "Path" the text stays empty: the current
    // directory, taken only when it holds the dictionaries.
    if (ReadDictionaryPath(path) == EDictionaryRegistry::kNoCoordsysKey) return kWlxOpenFailed;
    std::replace(path.begin(), path.end(), '\\', '/');
    std::lock_guard<CCriticalSection> guard(CoordSysCriticalSection());
    CS_setDictionaryDirectory(path.c_str());
    return 0;
}
