// What the datum converter's tests share: datum blocks made in place, an
// owning converter pointer and a converter's list of step codes.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "coordsys/DatumConverter.h"
#include "coordsys/core/CsCore.h"

namespace convertertest {

inline CsDatumBlock Datum(const char* key, int method, double a, double e) {
    CsDatumBlock block{};
    std::strncpy(block.key, key, sizeof block.key - 1);
    block.method = static_cast<std::uint16_t>(method);
    block.equatorialRadius = a;
    block.eccentricity = e;
    block.flattening = 1.0 - std::sqrt(1.0 - e * e);
    block.polarRadius = a * (1.0 - block.flattening);
    return block;
}

struct ConverterFree {
    void operator()(CsDatumConverter* c) const { CS_datumConverterFree(c); }
};
using ConverterPtr = std::unique_ptr<CsDatumConverter, ConverterFree>;

// The codes of the converter's steps, up to the first empty one.
inline std::vector<int> Steps(const CsDatumConverter* c) {
    std::vector<int> steps;
    for (const CsDatumStep& s : c->steps) {
        if (s.code == 0) break;
        steps.push_back(s.code);
    }
    return steps;
}

}  // namespace convertertest
