// Reads and writes at a position of an open file without moving its offset:
// one call to the system where a seek and a transfer took two.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace platform {

// How many bytes were transferred: fewer than `length` only at the end of
// the file (reads) or on a failure.
std::size_t ReadAt(std::FILE* file, void* buffer, std::size_t length, std::uint64_t position);
std::size_t WriteAt(std::FILE* file, const void* buffer, std::size_t length,
                    std::uint64_t position);

}  // namespace platform
