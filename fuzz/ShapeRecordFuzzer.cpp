// One shapefile record's content (from its shape type on) read as the reader
// reads it: checked, turned into WKB, and that WKB made into a geometry.
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "loader/shapefile/ShapeRecord.h"
#include "platform/ComPtr.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::Setup();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CShapeRecord shape;
    if (shape.Parse({data, size}) != 0 || shape.GetKind() == EShapeKind::kSkipped) return 0;
    shape.GetFeatureKind();
    std::vector<std::uint8_t> wkb;
    shape.BuildWkb(wkb);
    ComPtr<IWKBGeometry> geometry;
    fuzz::GeometryFactory()->CreateWKBGeometryFromByteArray(static_cast<WkbLong>(wkb.size()),
                                                            wkb.data(), geometry.Put());
    return 0;
}
