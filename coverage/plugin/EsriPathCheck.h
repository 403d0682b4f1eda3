// Whether a workspace and a cover name can be opened, with the message that
// says why not.
#pragma once

#include "foreign/Foreign.h"

// Null when the cover opens (`valid` 1); else a message the caller frees
// with delete[] (`valid` 0).
char* CheckCoverageReadPath(const char* workspace, const char* cover, TFgnBool& valid);
