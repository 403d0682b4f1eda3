// Holder of one reference to an object whose count holds the number of its
// holders less one (table rows and schemas): a new object counts as held once
// by its creator, and Release deletes it when no other holder is left.
#pragma once

#include <utility>

template <class T>
class CountedRef {
public:
    CountedRef() = default;
    // Takes over the creator's hold of a new object.
    static CountedRef Adopt(T* p) {
        CountedRef r;
        r.p_ = p;
        return r;
    }
    // Becomes one more holder.
    static CountedRef Share(T* p) {
        if (p) p->AddRef();
        return Adopt(p);
    }
    CountedRef(const CountedRef& o) : p_(o.p_) {
        if (p_) p_->AddRef();
    }
    CountedRef(CountedRef&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    CountedRef& operator=(CountedRef o) noexcept {
        std::swap(p_, o.p_);
        return *this;
    }
    ~CountedRef() { Reset(); }

    void Reset() {
        if (p_) std::exchange(p_, nullptr)->Release();
    }
    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    T& operator*() const { return *p_; }
    explicit operator bool() const { return p_ != nullptr; }

private:
    T* p_ = nullptr;
};

// A new counted object, held by the returned reference.
template <class T, class... Args>
CountedRef<T> MakeCounted(Args&&... args) {
    return CountedRef<T>::Adopt(new T(std::forward<Args>(args)...));
}
