// Holder of one reference to an object whose count holds the number of its
// holders less one (table rows and schemas): a new object counts as held once
// by its creator, and Release deletes it when no other holder is left.
#pragma once

#include <utility>

#include "platform/ComPtr.h"

template <class T>
using CountedRef = ComPtr<T>;

// A new counted object, held by the returned reference.
template <class T, class... Args>
CountedRef<T> MakeCounted(Args&&... args) {
    return CountedRef<T>::Adopt(new T(std::forward<Args>(args)...));
}
