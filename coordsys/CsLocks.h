// The library's process-wide critical sections. Each is held only around one
// dictionary step and never while another is taken: the coordinate-system
// section by the dictionary-directory refresh and the WKT reader's system
// lookup, the datum and ellipsoid sections by its datum and ellipsoid lookups.
#pragma once

#include "platform/CriticalSection.h"

CCriticalSection& CS_coordSysSection();
CCriticalSection& CS_datumSection();
CCriticalSection& CS_ellipsoidSection();
