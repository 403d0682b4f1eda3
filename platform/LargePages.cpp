#include "platform/LargePages.h"

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace platform {

void AdviseLargePages([[maybe_unused]] void* block, [[maybe_unused]] std::size_t length) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    madvise(block, length, MADV_HUGEPAGE);
#endif
}

}  // namespace platform
