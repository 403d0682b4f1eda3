#include "coordsys/DictionaryRefresh.h"

#include <mutex>
#include <string>

#include "coordsys/CsCore.h"
#include "loader/DictionaryDirectory.h"
#include "platform/CriticalSection.h"

CCriticalSection& CoordSysCriticalSection() {
    static CCriticalSection section;
    return section;
}

Status RefreshDictionaryDirectory() {
    std::string path;
    if (ReadDictionaryPath(path) == EDictionaryRegistry::kNoCoordsysKey) return kWlxOpenFailed;
    std::string directory = ResolveDictionaryDirectory();
    std::lock_guard<CCriticalSection> guard(CoordSysCriticalSection());
    CS_setDictionaryDirectory(directory.c_str());
    return 0;
}
