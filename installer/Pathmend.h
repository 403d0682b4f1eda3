// Pathmend: the installer's custom action that writes the short form of the
// shared components' installation folder into the boot batch file wherever
// the long form occurs there. Only the installer calls it.
#pragma once

#include <cstdint>

#include "installer/InstallerServices.h"

#define PATHMEND_EXPORT extern "C" __attribute__((visibility("default")))

inline constexpr std::uint32_t kPathmendSucceeded = 0;
// The installer's "function could not be executed": every failure, the batch file untouched.
inline constexpr std::uint32_t kPathmendFailed = 1626;

// The action over the environment's stand-in (installer/InstallerServices.h).
PATHMEND_EXPORT std::uint32_t SetPathToShortName(MSIHANDLE install);
