// Asks the system to back a block of memory with large pages where it can;
// a hint only, ignored where there are none.
#pragma once

#include <cstddef>

namespace platform {

void AdviseLargePages(void* block, std::size_t length);

}  // namespace platform
