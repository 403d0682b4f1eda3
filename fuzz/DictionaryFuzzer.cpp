// Stored dictionary records as the library reads them: a coordinate-system
// record, then a datum and an ellipsoid record (a short input is padded
// with zeros), each unscrambled and decoded, then checked, built into a
// system and used to convert its origin both ways.
#include <algorithm>
#include <array>

#include "coordsys/CsParams.h"
#include "coordsys/core/CsCore.h"
#include "coordsys/core/CsDictionary.h"
#include "coordsys/core/CsParamsBlock.h"
#include "fuzz/FuzzSupport.h"

namespace {

constexpr std::size_t kInputSize =
    kCsCoordSysRecordSize + kCsDatumRecordSize + kCsEllipsoidRecordSize;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::Setup();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::array<std::uint8_t, kInputSize> bytes{};
    std::copy_n(data, std::min(size, kInputSize), bytes.begin());
    std::uint8_t* cs = bytes.data();
    std::uint8_t* dt = cs + kCsCoordSysRecordSize;
    std::uint8_t* el = dt + kCsDatumRecordSize;
    CS_unscramble(cs, kCsCoordSysRecordSize, kCsCoordSysSeedOffset);
    CS_unscramble(dt, kCsDatumRecordSize, kCsDatumSeedOffset);
    CS_unscramble(el, kCsEllipsoidRecordSize, kCsEllipsoidSeedOffset);
    CsCoordSysDef csDef{};
    CsDatumDef datumDef{};
    CsEllipsoidDef ellipsoidDef{};
    CS_decodeCoordSys(cs, &csDef);
    CS_decodeDatum(dt, &datumDef);
    CS_decodeEllipsoid(el, &ellipsoidDef);

    int errors[32];
    CS_checkDefinition(&csDef, 0, errors, 32);
    const CsPtr<CsDatumBlock> datum(CS_makeDatumBlock(&datumDef, &ellipsoidDef));
    if (!datum) return 0;
    const CsPtr<CsParams> params(CS_buildParams(&csDef, datum.get()));
    if (!params) return 0;
    const double ll[3] = {csDef.originLongitude, csDef.originLatitude, 0};
    double xy[3] = {}, back[3] = {};
    CS_forwardProject(params.get(), xy, ll);
    CS_inverseProject(params.get(), back, xy);
    return 0;
}
