// What the test libraries libResourceModuleA.so and libResourceModuleB.so
// export: their own resources, reached through a handle of the same name in
// each library (and in the test program).
#pragma once

#include <cstdint>

#include "platform/ModuleResources.h"

// Text 1 of each is "module " and the library's letter; its resource "SEED" of
// type "DATA" is the letter alone.
[[gnu::visibility("hidden")]] HINSTANCE TestModule();

// The exports, by their names "ResourceModuleLoadString" and "ResourceModuleSeed".
using ResourceModuleLoadStringFn = int (*)(unsigned id, char* buffer, int bufferMax);
using ResourceModuleSeedFn = std::uint8_t (*)();
