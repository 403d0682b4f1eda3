// WKB read by the geometry server: the geometry made from the bytes, every
// point visited and moved, and its encoding read back. Encoding what was
// decoded is stable: the bytes of a geometry decode to the same bytes.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "loader/core/GeometryExtent.h"
#include "loader/core/GeometryWalk.h"
#include "platform/ComPtr.h"
#include "platform/SafeArray.h"

namespace {

std::vector<std::uint8_t> Encode(IWKBGeometry* geometry) {
    SAFEARRAY* array = nullptr;
    std::vector<std::uint8_t> bytes;
    if (Failed(geometry->GetByteStreamSafeArray(&array)) || !array) return bytes;
    void* raw = nullptr;
    std::int32_t lower = 0, upper = -1;
    if (Succeeded(SafeArrayGetLBound(array, 1, &lower)) &&
        Succeeded(SafeArrayGetUBound(array, 1, &upper)) &&
        Succeeded(SafeArrayAccessData(array, &raw)) && upper >= lower) {
        const auto* begin = static_cast<const std::uint8_t*>(raw);
        bytes.assign(begin, begin + (upper - lower + 1));
        SafeArrayUnaccessData(array);
    }
    SafeArrayDestroy(array);
    return bytes;
}

ComPtr<IWKBGeometry> Decode(std::vector<std::uint8_t> bytes) {
    ComPtr<IWKBGeometry> geometry;
    fuzz::GeometryFactory()->CreateWKBGeometryFromByteArray(static_cast<WkbLong>(bytes.size()),
                                                            bytes.data(), geometry.Put());
    return geometry;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::Setup();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ComPtr<IWKBGeometry> geometry = Decode({data, data + size});
    if (!geometry) return 0;
    CExtent2d extent;
    ComputeGeometryExtent(extent, geometry.Get());
    VisitGeometryPoints(geometry.Get(), true, [](double& x, double& y) {
        x += 1;
        y -= 1;
        return Status{0};
    });
    const std::vector<std::uint8_t> once = Encode(geometry.Get());
    ComPtr<IWKBGeometry> again = Decode(once);
    if (!again || Encode(again.Get()) != once) {
        std::fprintf(stderr, "the geometry's own bytes decode to other bytes\n");
        std::abort();
    }
    return 0;
}
