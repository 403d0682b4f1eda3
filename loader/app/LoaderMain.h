// The program's entry: what `main` does, and the console control handler.
#pragma once

#include <cstdint>

#include "loader/app/Factories.h"

class CLoaderApp;

// Starts COM, builds the application object, parses the command line, points
// the coordinate-system library at its dictionaries, makes one run and turns
// its status into the exit code: 1 for a failure, -1 when a warning was
// printed, 0 otherwise.
int RunLoader(int argc, const char* const* argv, const LoaderHooks& hooks = {});

// The console control handler: prints "Aborting processing..." once, raises
// the abort flag and gives the run two seconds to stop; a run still going
// then makes the program end with exit code 1 once the run is over. While
// the overwrite prompt waits, nothing is written yet: the program ends at
// once with exit code 1.
// Returns 0 when there is no application object (the default action applies).
int OnConsoleCtrl(std::uint32_t event);

// Makes `app` (or none) the object the console handler acts on. Its owner
// withdraws it before deleting it.
void PublishApplication(CLoaderApp* app);
