// A generated cover built again through the coverage file library's write
// side, so that what the library saves can be compared with what the
// generator writes byte by byte.
#pragma once

#include "coverage/lib/Tamrec.h"
#include "testing/coverage/CoverGenerator.h"

namespace covtest {

// A new library cover holding the records and attribute rows of `cover`
// (tolerances and projection lines left out); null when an allocator fails.
// The AAT and PAT get the default items first, then the further items of
// `cover`'s tables; a PAT whose first AREA is negative is a polygon PAT.
tamrec_cover* BuildCover(const GenCover& cover);

}  // namespace covtest
