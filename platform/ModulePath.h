// Where the running program lives: servers, plug-ins and the coordinate-system
// dictionaries are looked for beside it.
#pragma once

#include <string>

// The running executable's full path; empty when it cannot be read.
std::string ModuleFileName();
// The executable's directory, ending in '/'; "./" when unknown.
std::string ModuleDirectory();
