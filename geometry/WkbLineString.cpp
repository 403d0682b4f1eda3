#include "geometry/WkbPointList.h"

namespace {

class CoWKBLineString final : public CWKBPointList<IWKBLineString, kWkbLineString> {
public:
    // The body is the point count and the points' bare x and y.
    HRESULT Load(IStream* pStm) override {
        Reset();
        HRESULT hr = LoadHeader(pStm);
        std::uint32_t count = 0;
        if (Succeeded(hr)) hr = ReadCount(pStm, &count, byteOrder_, kCoordinateBytes);
        if (Succeeded(hr)) hr = points_.Reserve(count);
        for (std::uint32_t i = 0; i < count && Succeeded(hr); ++i) {
            double x = 0, y = 0;
            hr = ReadDouble(pStm, &x, byteOrder_);
            if (Succeeded(hr)) hr = ReadDouble(pStm, &y, byteOrder_);
            if (Succeeded(hr)) hr = AddPointXY(x, y);
        }
        return hr;
    }

    HRESULT Save(IStream* pStm, int) override {
        HRESULT hr = SaveHeader(pStm);
        if (Succeeded(hr))
            hr = WriteUInt32(pStm, static_cast<std::uint32_t>(points_.Size()), byteOrder_);
        for (WkbLong i = 0; i < points_.Size() && Succeeded(hr); ++i) {
            double x = 0, y = 0;
            hr = points_.At(i)->GetXY(&x, &y);
            if (Succeeded(hr)) hr = WriteDouble(pStm, x, byteOrder_);
            if (Succeeded(hr)) hr = WriteDouble(pStm, y, byteOrder_);
        }
        return hr;
    }
};

}  // namespace

IWKBLineString* CreateWKBLineString() {
    return CreateObject<CoWKBLineString, IWKBLineString>();
}
