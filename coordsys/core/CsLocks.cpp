#include "coordsys/core/CsLocks.h"

CCriticalSection& CS_datumSection() {
    static CCriticalSection section;
    return section;
}

CCriticalSection& CS_ellipsoidSection() {
    static CCriticalSection section;
    return section;
}
