// Well-known text read into a coordinate system, which then converts its
// origin both ways and is written back as text and read again.
#include <memory>
#include <string>

#include "coordsys/CsParams.h"
#include "coordsys/CsWktReader.h"
#include "coordsys/CsWktWriter.h"
#include "coordsys/core/CsParamsBlock.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::Setup();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto params = std::make_unique<CsParams>();
    if (ReadWkt(fuzz::AsText(data, size), params.get()) != kWktOk) return 0;
    const double ll[3] = {params->csDef.originLongitude, params->csDef.originLatitude, 0};
    double xy[3] = {}, back[3] = {};
    CS_forwardProject(params.get(), xy, ll);
    CS_inverseProject(params.get(), back, xy);
    std::string text;
    if (WriteWkt(*params, text) == kWktOk) {
        auto again = std::make_unique<CsParams>();
        ReadWkt(text, again.get());
    }
    return 0;
}
