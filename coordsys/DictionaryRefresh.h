// Points the coordinate-system library at the dictionary directory the
// registry names, as start-up does. The WKT reader and writer call it before
// every conversion.
#pragma once

#include "loader/Status.h"

class CCriticalSection;

// Guards the library's dictionary directory while it is changed.
CCriticalSection& CoordSysCriticalSection();

// 0, or kWlxOpenFailed (nothing changed) when the registry has no
// coordinate-system key. The directory is resolved as start-up resolves it:
// the registry's "Path", else the executable's directory.
Status RefreshDictionaryDirectory();
