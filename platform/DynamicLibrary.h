// Dynamic libraries: the stand-in for LoadLibrary, GetProcAddress and
// FreeLibrary. A library is named as on Windows, without prefix or extension:
// "Tsdsn" is libTsdsn.so, looked for beside the executable first and then by
// the system's search (LD_LIBRARY_PATH, the loader cache, the default
// directories). A name holding '/' is a path and is opened as it is.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct DynamicLibraryHandle;
using HMODULE = DynamicLibraryHandle*;
// Cast to the entry point's own type before calling it.
using FARPROC = void (*)();
using BOOL = std::int32_t;

// The file name a library name stands for: "Tsdsn" gives "libTsdsn.so".
std::string DynamicLibraryFileName(std::string_view name);

// Null when the library cannot be found or loaded. Every successful call
// takes one reference, to be given back with FreeLibrary.
HMODULE LoadLibraryA(const char* name);
// Null when the library exports no symbol of that name.
FARPROC GetProcAddress(HMODULE module, const char* name);
// Drops one reference; the library is unloaded with the last. 0 for a null
// or invalid handle.
BOOL FreeLibrary(HMODULE module);
