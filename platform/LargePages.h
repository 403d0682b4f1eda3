// Asks the system to back a block of memory with large pages where it can;
// a hint only, ignored where there are none.
#pragma once

#include <cstddef>

namespace platform {

void AdviseLargePages(void* block, std::size_t length);

// Memory straight from the system, zero-filled, aligned to `alignment` (a
// power of two, a multiple of the page size), and given back to it whole when
// freed; null when there is none. Where the system maps pages on first
// touch, pages never touched cost nothing.
void* AllocatePages(std::size_t length, std::size_t alignment);
void FreePages(void* block, std::size_t length);

}  // namespace platform
