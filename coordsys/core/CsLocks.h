// The critical sections of the WKT reader's dictionary lookups, beside the
// coordinate-system section of DictionaryRefresh.h. Each is held only around
// one lookup and never while another is taken.
#pragma once

#include "platform/CriticalSection.h"

CCriticalSection& CS_datumSection();
CCriticalSection& CS_ellipsoidSection();
