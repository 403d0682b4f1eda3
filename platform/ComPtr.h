// Holds one reference to a reference-counted object (a COM interface or any
// class with AddRef and Release) and releases it on destruction.
#pragma once

#include <utility>

#include "platform/Com.h"

template <class I>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Takes over a reference the caller already owns (an out-parameter result).
    static ComPtr Adopt(I* p) {
        ComPtr r;
        r.p_ = p;
        return r;
    }
    // Adds a reference of its own.
    static ComPtr Share(I* p) {
        if (p) p->AddRef();
        return Adopt(p);
    }
    ComPtr(const ComPtr& o) : p_(o.p_) {
        if (p_) p_->AddRef();
    }
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ComPtr& operator=(ComPtr o) noexcept {
        std::swap(p_, o.p_);
        return *this;
    }
    ~ComPtr() { Reset(); }

    void Reset() {
        if (p_) std::exchange(p_, nullptr)->Release();
    }
    I* Get() const { return p_; }
    I* operator->() const { return p_; }
    I& operator*() const { return *p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For out-parameters: releases what is held and returns the slot.
    I** Put() {
        Reset();
        return &p_;
    }
    // Gives the reference to the caller.
    I* Detach() { return std::exchange(p_, nullptr); }

    // Asks any interface for I; null when the object does not expose it.
    template <class From>
    static ComPtr QueryFrom(From* from) {
        ComPtr r;
        if (from) {
            void* out = nullptr;
            if (Succeeded(from->QueryInterface(InterfaceId<I>::value, &out)))
                r.p_ = static_cast<I*>(out);
        }
        return r;
    }

private:
    I* p_ = nullptr;
};
