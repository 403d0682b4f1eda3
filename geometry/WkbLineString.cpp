#include "geometry/WkbPointList.h"

namespace {

class CoWKBLineString final : public CWKBPointList<IWKBLineString, kWkbLineString> {
public:
    // The body is the point count and the points' bare x and y.
    HRESULT Load(IStream* pStm) override {
        Reset();
        HRESULT hr = LoadHeader(pStm);
        return Succeeded(hr) ? LoadPoints(pStm, byteOrder_) : hr;
    }

    // The point count and the points, appended; a polygon's rings are stored
    // this way too, in the polygon's byte order.
    HRESULT LoadPoints(IStream* pStm, EWKBByteOrder byteOrder) {
        std::uint32_t count = 0;
        HRESULT hr = ReadCount(pStm, &count, byteOrder, kCoordinateBytes);
        if (Succeeded(hr)) hr = points_.Reserve(count);
        if (Failed(hr)) return hr;
        return ReadPoints(pStm, count, byteOrder,
                          [this](double x, double y) { return AddPointXY(x, y); });
    }

    HRESULT Save(IStream* pStm, int) override {
        HRESULT hr = SaveHeader(pStm);
        return Succeeded(hr) ? SaveWKBRing(pStm, byteOrder_, this) : hr;
    }
};

}  // namespace

IWKBLineString* CreateWKBLineString() {
    return CreateObject<CoWKBLineString, IWKBLineString>();
}

HRESULT LoadWKBRing(IStream* stream, EWKBByteOrder byteOrder, IWKBLineString** ring) {
    *ring = nullptr;
    auto created = ComPtr<IWKBLineString>::Adopt(CreateWKBLineString());
    if (!created) return kUnableToCreateObject;
    const HRESULT hr = static_cast<CoWKBLineString*>(created.Get())->LoadPoints(stream, byteOrder);
    if (Failed(hr)) return hr;
    *ring = created.Detach();
    return S_OK;
}

HRESULT SaveWKBRing(IStream* stream, EWKBByteOrder byteOrder, IWKBLineString* ring) {
    WkbLong count = 0;
    HRESULT hr = ring->GetNumPoints(&count);
    if (Succeeded(hr))
        hr = CWKBStreamUtil::WriteUInt32(stream, static_cast<std::uint32_t>(count), byteOrder);
    for (WkbLong i = 0; i < count && Succeeded(hr); ++i) {
        double x = 0, y = 0;
        hr = ring->GetPointXY(i, &x, &y);
        if (Succeeded(hr)) hr = CWKBStreamUtil::WriteDouble(stream, x, byteOrder);
        if (Succeeded(hr)) hr = CWKBStreamUtil::WriteDouble(stream, y, byteOrder);
    }
    return hr;
}
