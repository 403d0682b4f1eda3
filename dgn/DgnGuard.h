// Nothing is thrown across the plug-in boundary: every contract operation
// that may allocate runs through one of these, and a failed allocation (or
// any other exception) becomes the contract's memory error 2.
#pragma once

#include <utility>

#include "foreign/FgnTypes.h"

namespace dgn {

template <class F>
TFgnFmtErr GuardStatus(F&& operation) noexcept {
    try {
        return std::forward<F>(operation)();
    } catch (...) {
        return kFgnNoMemory;
    }
}

template <class T, class F>
T GuardValue(TFgnFmtErr& err, T failed, F&& operation) noexcept {
    try {
        return std::forward<F>(operation)();
    } catch (...) {
        err = kFgnNoMemory;
        return failed;
    }
}

}  // namespace dgn
