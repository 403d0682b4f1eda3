#include "geometry/WkbCreate.h"
#include "geometry/WkbGeometryArray.h"
#include "geometry/WkbGeometryImpl.h"

namespace {

class CoWKBGeometryCollection final
    : public IWKBGeometryImpl<IWKBGeometryCollection, kWkbGeometryCollection> {
public:
    HRESULT Reset() override {
        members_.Clear();
        return S_OK;
    }

    HRESULT GetNumGeometries(WkbLong* pnNumGeometries) override {
        if (!pnNumGeometries) return E_POINTER;
        *pnNumGeometries = members_.Size();
        return S_OK;
    }
    HRESULT GetGeometry(WkbLong nIndex, IWKBGeometry** ppIWKBGeometry) override {
        return members_.Get(nIndex, ppIWKBGeometry);
    }
    HRESULT SetGeometry(WkbLong nIndex, IWKBGeometry* pIWKBGeometry) override {
        HRESULT hr = CheckNewMember(pIWKBGeometry);
        return Succeeded(hr) ? members_.Set(nIndex, pIWKBGeometry) : hr;
    }
    HRESULT AddGeometry(IWKBGeometry* pIWKBGeometry) override {
        return SetGeometry(members_.Size(), pIWKBGeometry);
    }
    HRESULT InsertGeometry(WkbLong nIndex, IWKBGeometry* pIWKBGeometry) override {
        HRESULT hr = CheckNewMember(pIWKBGeometry);
        return Succeeded(hr) ? members_.Insert(nIndex, pIWKBGeometry) : hr;
    }

    // Members are complete encodings of any type, collections among them.
    HRESULT Load(IStream* pStm) override {
        Reset();
        CollectionNesting nesting;
        if (nesting.TooDeep()) return kError;
        HRESULT hr = LoadHeader(pStm);
        if (Failed(hr)) return hr;
        return LoadMembers(pStm, byteOrder_, kMinGeometryBytes, members_,
                           &CreateGeometryFromStream);
    }
    HRESULT Save(IStream* pStm, int) override {
        CollectionNesting nesting;
        if (nesting.TooDeep()) return kError;
        HRESULT hr = SaveHeader(pStm);
        return Succeeded(hr) ? SaveMembers(pStm, byteOrder_, members_) : hr;
    }

private:
    // Only a collection can hold a collection, so a cycle can only close
    // here: refuse this collection itself and any collection that already
    // holds it. Nesting deeper than could ever be saved is refused too.
    HRESULT CheckNewMember(IWKBGeometry* member) {
        if (!member) return E_POINTER;
        return Holds(member, static_cast<IUnknown*>(static_cast<IWKBGeometryCollection*>(this)), 1)
                   ? E_INVALIDARG
                   : S_OK;
    }

    static bool Holds(IWKBGeometry* geometry, IUnknown* target, int depth) {
        auto identity = ComPtr<IUnknown>::QueryFrom(geometry);
        if (identity.Get() == target) return true;
        auto collection = ComPtr<IWKBGeometryCollection>::QueryFrom(geometry);
        if (!collection) return false;
        if (depth >= kMaxCollectionDepth) return true;
        WkbLong count = 0;
        collection->GetNumGeometries(&count);
        for (WkbLong i = 0; i < count; ++i) {
            ComPtr<IWKBGeometry> member;
            if (Succeeded(collection->GetGeometry(i, member.Put())) &&
                Holds(member.Get(), target, depth + 1))
                return true;
        }
        return false;
    }

    CWKBGeometryArray<IWKBGeometry> members_;
};

}  // namespace

IWKBGeometryCollection* CreateWKBGeometryCollection() {
    return CreateObject<CoWKBGeometryCollection, IWKBGeometryCollection>();
}
