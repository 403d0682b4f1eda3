// What the WKT tests share: the dictionaries built beside the tests, and
// definitions as the library builds them.
#pragma once

#include <gtest/gtest.h>

#include "coordsys/CoordTransform.h"
#include "coordsys/CsParams.h"
#include "testing/TestSupport.h"

namespace coordsystest {

inline void UseDictionaries() {
    ASSERT_EQ(CS_setDictionaryDirectory(wlxtest::BinDir().string().c_str()), 0);
}

// A system of the dictionaries.
inline CsParams Loaded(const char* key) {
    UseDictionaries();
    CsPtr<CsParams> params(CS_loadCoordSys(key));
    EXPECT_TRUE(params) << key << ": " << CS_lastMessage();
    return params ? *params : CsParams{};
}

// The local cartesian system in US survey feet.
inline CsParams LocalFeet() {
    CCoordTransform local;
    EXPECT_TRUE(local.SetCoordSys("*XY-FT*"));
    return local.Definition();
}

}  // namespace coordsystest
