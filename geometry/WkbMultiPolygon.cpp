#include "geometry/WkbCreate.h"
#include "geometry/WkbGeometryArray.h"
#include "geometry/WkbGeometryImpl.h"

namespace {

class CoWKBMultiPolygon final : public IWKBGeometryImpl<IWKBMultiPolygon, kWkbMultiPolygon> {
public:
    HRESULT Reset() override {
        polygons_.Clear();
        return S_OK;
    }

    HRESULT GetNumPolygons(WkbLong* pnNumPolygons) override {
        if (!pnNumPolygons) return E_POINTER;
        *pnNumPolygons = polygons_.Size();
        return S_OK;
    }
    HRESULT GetPolygon(WkbLong nIndex, IWKBPolygon** ppIWKBPolygon) override {
        return polygons_.Get(nIndex, ppIWKBPolygon);
    }
    HRESULT SetPolygon(WkbLong nIndex, IWKBPolygon* pIWKBPolygon) override {
        return polygons_.Set(nIndex, pIWKBPolygon);
    }
    HRESULT AddPolygon(IWKBPolygon* pIWKBPolygon) override {
        return polygons_.Append(pIWKBPolygon);
    }
    HRESULT InsertPolygon(WkbLong nIndex, IWKBPolygon* pIWKBPolygon) override {
        return polygons_.Insert(nIndex, pIWKBPolygon);
    }

    HRESULT Load(IStream* pStm) override {
        Reset();
        HRESULT hr = LoadHeader(pStm);
        if (Failed(hr)) return hr;
        return LoadMembers(pStm, byteOrder_, kMinGeometryBytes, polygons_,
                           [](IStream* stream, IWKBPolygon** polygon) {
                               return LoadMemberOfClass(stream, &CreateWKBPolygon, polygon);
                           });
    }
    HRESULT Save(IStream* pStm, int) override {
        HRESULT hr = SaveHeader(pStm);
        return Succeeded(hr) ? SaveMembers(pStm, byteOrder_, polygons_) : hr;
    }

private:
    CWKBGeometryArray<IWKBPolygon> polygons_;
};

}  // namespace

IWKBMultiPolygon* CreateWKBMultiPolygon() {
    return CreateObject<CoWKBMultiPolygon, IWKBMultiPolygon>();
}
