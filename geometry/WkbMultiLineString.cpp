#include "geometry/WkbCreate.h"
#include "geometry/WkbGeometryArray.h"
#include "geometry/WkbGeometryImpl.h"

namespace {

class CoWKBMultiLineString final
    : public IWKBGeometryImpl<IWKBMultiLineString, kWkbMultiLineString> {
public:
    HRESULT Reset() override {
        lines_.Clear();
        return S_OK;
    }

    HRESULT GetNumLineStrings(WkbLong* pnNumLineStrings) override {
        if (!pnNumLineStrings) return E_POINTER;
        *pnNumLineStrings = lines_.Size();
        return S_OK;
    }
    HRESULT GetLineString(WkbLong nIndex, IWKBLineString** ppIWKBLineString) override {
        return lines_.Get(nIndex, ppIWKBLineString);
    }
    HRESULT SetLineString(WkbLong nIndex, IWKBLineString* pIWKBLineString) override {
        return lines_.Set(nIndex, pIWKBLineString);
    }
    HRESULT AddLineString(IWKBLineString* pIWKBLineString) override {
        return lines_.Append(pIWKBLineString);
    }
    HRESULT InsertLineString(WkbLong nIndex, IWKBLineString* pIWKBLineString) override {
        return lines_.Insert(nIndex, pIWKBLineString);
    }

    HRESULT Load(IStream* pStm) override {
        Reset();
        HRESULT hr = LoadHeader(pStm);
        if (Failed(hr)) return hr;
        return LoadMembers(pStm, byteOrder_, kMinGeometryBytes, lines_,
                           [](IStream* stream, IWKBLineString** line) {
                               return LoadMemberOfClass(stream, &CreateWKBLineString, line);
                           });
    }
    HRESULT Save(IStream* pStm, int) override {
        HRESULT hr = SaveHeader(pStm);
        return Succeeded(hr) ? SaveMembers(pStm, byteOrder_, lines_) : hr;
    }

private:
    CWKBGeometryArray<IWKBLineString> lines_;
};

}  // namespace

IWKBMultiLineString* CreateWKBMultiLineString() {
    return CreateObject<CoWKBMultiLineString, IWKBMultiLineString>();
}
