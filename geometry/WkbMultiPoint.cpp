#include "geometry/WkbPointList.h"

namespace {

class CoWKBMultiPoint final : public CWKBPointList<IWKBMultiPoint, kWkbMultiPoint> {
public:
    // The body is the member count and each point's complete encoding, in
    // the byte order of that point.
    HRESULT Load(IStream* pStm) override {
        Reset();
        HRESULT hr = LoadHeader(pStm);
        if (Failed(hr)) return hr;
        return LoadMembers(pStm, byteOrder_, kMinPointBytes, points_,
                           [](IStream* stream, IWKBPoint** point) {
                               return LoadMemberOfClass(stream, &CreateWKBPoint, point);
                           });
    }

    HRESULT Save(IStream* pStm, int) override {
        HRESULT hr = SaveHeader(pStm);
        return Succeeded(hr) ? SaveMembers(pStm, byteOrder_, points_) : hr;
    }
};

}  // namespace

IWKBMultiPoint* CreateWKBMultiPoint() {
    return CreateObject<CoWKBMultiPoint, IWKBMultiPoint>();
}
