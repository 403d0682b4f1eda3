// What ogrinfo's colour indexes of a design stand for: the fixed colour table.
#pragma once

#include <cstdint>

#include "dgn/DgnGlobal.h"

namespace dgntest {

// The fixed table's colour of an index as the contract carries it.
inline std::int32_t FixedColour(int index) {
    const DgnRgb rgb = CDgnGlobal::FixedColours()[index];
    return rgb[0] | rgb[1] << 8 | rgb[2] << 16;
}

}  // namespace dgntest
