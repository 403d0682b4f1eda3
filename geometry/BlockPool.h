// Memory for the server's most numerous objects, the points: one per vertex
// of every line string and ring, made and destroyed by the million. Blocks of
// one size come from a free list of the calling thread, fed by chunks that
// are never given back, so that making and destroying a point calls neither
// the heap nor a lock. A thread that ends hands its free blocks to the next
// one that runs short.
#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <new>
#include <utility>
#include <vector>

template <std::size_t kSize, std::size_t kAlign>
class CBlockPool {
public:
    // Null when no memory is left.
    static void* Allocate() noexcept {
        if constexpr (kPooled) {
            if (!t_free && !Refill()) return nullptr;
            Block* block = t_free;
            t_free = block->next;
            return block;
        } else {
            return ::operator new(kSize, std::nothrow);
        }
    }

    static void Free(void* memory) noexcept {
        if constexpr (kPooled) {
            if (!memory) return;
            auto* block = static_cast<Block*>(memory);
            if (!t_free) WatchThreadExit();
            block->next = t_free;
            t_free = block;
        } else {
            ::operator delete(memory);
        }
    }

private:
#if defined(__SANITIZE_ADDRESS__)
    // The address sanitizer then sees each object's own lifetime.
    static constexpr bool kPooled = false;
#else
    static constexpr bool kPooled = true;
#endif
    static constexpr std::size_t kChunkBlocks = 1024;

    union Block {
        Block* next;
        alignas(kAlign) unsigned char bytes[kSize];
    };

    struct Shared {
        std::mutex lock;
        Block* orphans = nullptr;  // free blocks of threads that have ended
        std::vector<std::unique_ptr<Block[]>> chunks;
    };

    // Hands the thread's free list to the others when the thread ends; set
    // up on the thread's first use of it (WatchThreadExit).
    struct ThreadExit {
        bool watching = false;
        ~ThreadExit() {
            if (!t_free) return;
            Block* last = t_free;
            while (last->next) last = last->next;
            Shared& shared = Common();
            std::lock_guard<std::mutex> guard(shared.lock);
            last->next = shared.orphans;
            shared.orphans = std::exchange(t_free, nullptr);
        }
    };

    // Never destroyed: objects may still be released while the process ends.
    static Shared& Common() {
        static Shared* shared = new Shared;
        return *shared;
    }

    // Once per thread that holds a free list: the list must reach the other
    // threads when this one ends. t_exit is touched only that once, since
    // points may still be released after it has been destroyed.
    static void WatchThreadExit() noexcept {
        if (t_watched) return;
        t_watched = true;
        t_exit.watching = true;
    }

    static bool Refill() noexcept {
        WatchThreadExit();
        Shared& shared = Common();
        std::lock_guard<std::mutex> guard(shared.lock);
        if (shared.orphans) {
            t_free = std::exchange(shared.orphans, nullptr);
            return true;
        }
        try {
            shared.chunks.reserve(shared.chunks.size() + 1);
            shared.chunks.emplace_back(new Block[kChunkBlocks]);
        } catch (const std::bad_alloc&) {
            return false;
        }
        Block* chunk = shared.chunks.back().get();
        for (std::size_t i = 0; i + 1 < kChunkBlocks; ++i) chunk[i].next = &chunk[i + 1];
        chunk[kChunkBlocks - 1].next = nullptr;
        t_free = chunk;
        return true;
    }

    static inline thread_local Block* t_free = nullptr;
    static inline thread_local bool t_watched = false;
    static inline thread_local ThreadExit t_exit;
};
