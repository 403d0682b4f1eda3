// What an in-process server needs to hand out its classes: a count of what
// keeps it in use and the class object that DllGetClassObject returns.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/Com.h"

// Counts a server's live objects (its class objects among them) and the locks
// its clients hold with IClassFactory::LockServer; the server may be unloaded
// only when the count is 0.
class ServerLock {
public:
    void Lock() noexcept { count_.fetch_add(1, std::memory_order_relaxed); }
    void Unlock() noexcept { count_.fetch_sub(1, std::memory_order_acq_rel); }
    bool InUse() const noexcept { return count_.load(std::memory_order_acquire) != 0; }

private:
    std::atomic<std::int32_t> count_{0};
};

// Makes one new object of a class and asks it for riid; the object is gone
// again when that fails.
using ObjectCreator = HRESULT (*)(REFIID riid, void** ppv);

// A new class object whose CreateInstance calls `create`, asked for riid
// (IUnknown or IClassFactory). Aggregation is refused with CLASS_E_NOAGGREGATION.
HRESULT CreateClassFactory(ObjectCreator create, ServerLock& lock, REFIID riid, void** ppv);
