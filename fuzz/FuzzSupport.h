// What the fuzz targets share: the process set up once (COM, the built
// dictionaries, no registry of the machine), scratch files for readers that
// only open files by name, and the geometry server's factory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "geometry/WkbGeometry.h"

namespace fuzz {

// COM started, the dictionaries beside the program in force, and the
// registry pointed at a file that does not exist (the registry target names
// its own). Idempotent; every target calls it first.
void Setup();

// The geometry server's factory, created on first use; null when the server
// cannot be loaded.
IWKBGeometryFactory* GeometryFactory();

// A directory of this process's own in memory-backed storage (/dev/shm when
// there is one), removed with everything in it when the process ends.
const std::string& ScratchDirectory();
// `bytes` written to ScratchDirectory()/name, replacing what was there; the
// file's full path.
std::string WriteScratchFile(std::string_view name, std::span<const std::uint8_t> bytes);
// Removes what the scratch directory holds, keeping the directory.
void ClearScratchDirectory();

inline std::string_view AsText(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

}  // namespace fuzz
