#include <limits>

#include "geometry/WkbCreate.h"
#include "geometry/WkbGeometryArray.h"
#include "geometry/WkbGeometryImpl.h"

namespace {

class CoWKBPolygon final : public IWKBGeometryImpl<IWKBPolygon, kWkbPolygon> {
public:
    HRESULT Reset() override {
        rings_.Clear();
        return S_OK;
    }

    HRESULT GetNumInteriorRings(WkbLong* pnNumInteriorRings) override {
        if (!pnNumInteriorRings) return E_POINTER;
        *pnNumInteriorRings = rings_.Size() > 0 ? rings_.Size() - 1 : 0;
        return S_OK;
    }
    // A polygon without rings gets an empty exterior ring first.
    HRESULT GetExteriorRing(IWKBLineString** ppIWKBLineString) override {
        if (!ppIWKBLineString) return E_POINTER;
        *ppIWKBLineString = nullptr;
        if (rings_.Size() == 0) {
            auto ring = ComPtr<IWKBLineString>::Adopt(CreateWKBLineString());
            if (!ring) return kUnableToCreateObject;
            HRESULT hr = rings_.Append(ring.Get());
            if (Failed(hr)) return hr;
        }
        return rings_.Get(0, ppIWKBLineString);
    }
    HRESULT SetExteriorRing(IWKBLineString* pIWKBLineString) override {
        return rings_.Set(0, pIWKBLineString);
    }
    HRESULT GetInteriorRing(WkbLong nIndex, IWKBLineString** ppIWKBLineString) override {
        return rings_.Get(RingIndex(nIndex), ppIWKBLineString);
    }
    HRESULT SetInteriorRing(WkbLong nIndex, IWKBLineString* pIWKBLineString) override {
        return rings_.Set(RingIndex(nIndex), pIWKBLineString);
    }
    // Appends after the last ring; a polygon needs its exterior ring first.
    HRESULT AddInteriorRing(IWKBLineString* pIWKBLineString) override {
        if (rings_.Size() == 0) return pIWKBLineString ? kInvalidIndex : E_POINTER;
        return rings_.Append(pIWKBLineString);
    }
    HRESULT InsertInteriorRing(WkbLong nIndex, IWKBLineString* pIWKBLineString) override {
        return rings_.Insert(RingIndex(nIndex), pIWKBLineString);
    }

    // The body is the ring count, then per ring its point count and the
    // points' bare x and y; the first ring is the exterior one.
    HRESULT Load(IStream* pStm) override {
        Reset();
        HRESULT hr = LoadHeader(pStm);
        if (Failed(hr)) return hr;
        return LoadMembers(pStm, byteOrder_, kMinRingBytes, rings_,
                           [this](IStream* stream, IWKBLineString** ring) {
                               return LoadWKBRing(stream, byteOrder_, ring);
                           });
    }

    HRESULT Save(IStream* pStm, int) override {
        HRESULT hr = SaveHeader(pStm);
        if (Succeeded(hr))
            hr = WriteUInt32(pStm, static_cast<std::uint32_t>(rings_.Size()), byteOrder_);
        for (WkbLong r = 0; r < rings_.Size() && Succeeded(hr); ++r)
            hr = SaveWKBRing(pStm, byteOrder_, rings_.At(r));
        return hr;
    }

private:
    // Interior ring n is ring n + 1. A negative n would reach the exterior
    // ring, so it maps to an index that every array operation refuses.
    static WkbLong RingIndex(WkbLong n) {
        return n >= 0 && n < std::numeric_limits<WkbLong>::max() ? n + 1 : -1;
    }

    CWKBGeometryArray<IWKBLineString> rings_;
};

}  // namespace

IWKBPolygon* CreateWKBPolygon() {
    return CreateObject<CoWKBPolygon, IWKBPolygon>();
}
