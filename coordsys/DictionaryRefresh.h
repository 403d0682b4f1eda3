// Points the coordinate-system library at the dictionary directory the
// registry names, as start-up does. The WKT reader and writer call it before
// every conversion.
#pragma once

#include "common/Status.h"

class CCriticalSection;

// Guards the library's dictionary directory while it is changed.
CCriticalSection& CoordSysCriticalSection();

// 0, or kWlxOpenFailed (nothing changed) when the registry has no
// coordinate-system key. The directory is the registry's "Path", or the
// current directory when the version key or its "Path" is missing; either is
// taken only when it holds the dictionaries.
Status RefreshDictionaryDirectory();
