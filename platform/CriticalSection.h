// A critical section: a lock that the thread holding it may take again
// (each Enter matched by a Leave). Usable with std::lock_guard.
#pragma once

#include <mutex>

class CCriticalSection {
public:
    CCriticalSection() = default;
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    void Enter();
    void Leave();
    // True when taken; never waits.
    bool TryEnter();

    // BasicLockable, for std::lock_guard and std::unique_lock.
    void lock() { Enter(); }
    void unlock() { Leave(); }

private:
    std::recursive_mutex mutex_;
};
