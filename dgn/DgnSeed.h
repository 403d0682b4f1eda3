// The seed design compiled into the library as its resource "IDR_DGNSEED1" of
// type "DGNSEED": a 2-D design file holding only its control element (1000
// positional units per master unit, global origin 0, 0, 0) and the
// end-of-design word. Writers start from it when the seed file the settings
// name cannot be opened; it is read from memory and never written to disk.
#pragma once

#include <cstdint>
#include <span>

#include "platform/ModuleResources.h"

namespace dgn {

// Offsets in the control element (from the start of the file).
inline constexpr std::size_t kControlSubUnits = 1112;         // sub-units per master unit
inline constexpr std::size_t kControlPositionalUnits = 1116;  // positional units per sub-unit
inline constexpr std::size_t kControlUnitNames = 1120;        // master, then sub-unit name
inline constexpr std::size_t kControlScales = 1140;           // three doubles
inline constexpr std::size_t kControlDesignRange = 1216;      // two points of three longs
inline constexpr std::size_t kControlOrigin = 1240;           // three doubles, positional units
inline constexpr std::size_t kControlMinimumLength = 1264;    // what the reader needs of it
inline constexpr std::size_t kControlLength = 1536;           // 766 words to follow

// The plug-in library's own resources.
[[gnu::visibility("hidden")]] HINSTANCE DgnModule();

inline constexpr char kSeedResourceName[] = "IDR_DGNSEED1";
inline constexpr char kSeedResourceType[] = "DGNSEED";

// The seed resource's bytes; empty when the module holds none.
std::span<const std::uint8_t> SeedDesign();

}  // namespace dgn
