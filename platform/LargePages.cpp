#include "platform/LargePages.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace platform {

void AdviseLargePages([[maybe_unused]] void* block, [[maybe_unused]] std::size_t length) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    madvise(block, length, MADV_HUGEPAGE);
#endif
}

#if defined(__linux__)
void* AllocatePages(std::size_t length, std::size_t alignment) {
    // Room to cut an aligned block out of, the rest given back at once.
    const std::size_t span = length + alignment;
    void* mapped = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) return nullptr;
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = (start + alignment - 1) & ~(std::uintptr_t{alignment} - 1);
    if (aligned > start) munmap(mapped, aligned - start);
    const std::uintptr_t end = start + span;
    if (end > aligned + length)
        munmap(reinterpret_cast<void*>(aligned + length), end - aligned - length);
    return reinterpret_cast<void*>(aligned);
}

void FreePages(void* block, std::size_t length) {
    if (block) munmap(block, length);
}
#else
void* AllocatePages(std::size_t length, std::size_t alignment) {
    void* block = std::aligned_alloc(alignment, length);
    if (block) std::memset(block, 0, length);
    return block;
}

void FreePages(void* block, std::size_t) {
    std::free(block);
}
#endif

}  // namespace platform
