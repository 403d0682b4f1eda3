#include <limits>
#include <new>

#include "geometry/GeoweaveServer.h"
#include "geometry/WkbCreate.h"
#include "geometry/WkbStreamUtil.h"
#include "platform/ComPtr.h"
#include "platform/ErrorInfo.h"
#include "platform/SafeArray.h"

namespace {

// Hands out a newly made object, or null with kUnableToCreateObject.
template <class Interface>
HRESULT HandOut(Interface* created, Interface** out) {
    if (!out) {
        if (created) created->Release();
        return E_POINTER;
    }
    *out = created;
    return created ? S_OK : kUnableToCreateObject;
}

class CoWKBGeometryFactory final : public IWKBGeometryFactory, public ISupportErrorInfo {
public:
    CoWKBGeometryFactory() { GeoweaveLock().Lock(); }
    CoWKBGeometryFactory(const CoWKBGeometryFactory&) = delete;
    CoWKBGeometryFactory& operator=(const CoWKBGeometryFactory&) = delete;

    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IWKBGeometryFactory) {
            *ppv = static_cast<IWKBGeometryFactory*>(this);
        } else if (riid == IID_ISupportErrorInfo) {
            *ppv = static_cast<ISupportErrorInfo*>(this);
        } else {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        ++refs_;
        return S_OK;
    }
    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override {
        ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }

    HRESULT InterfaceSupportsErrorInfo(REFIID riid) override {
        return riid == IID_IWKBGeometryFactory ? S_OK : S_FALSE;
    }

    HRESULT CreateWKBGeometry(IStream* pIStream, IWKBGeometry** ppIWKBGeometry) override {
        return CWKBStreamUtil::CreateGeometryFromStream(pIStream, ppIWKBGeometry);
    }

    HRESULT CreateWKBGeometryFromSafeArray(SAFEARRAY* pSArray,
                                           IWKBGeometry** ppIWKBGeometry) override {
        if (!ppIWKBGeometry) return E_POINTER;
        *ppIWKBGeometry = nullptr;
        if (SafeArrayGetDim(pSArray) != 1 || SafeArrayGetElemsize(pSArray) != 1)
            return kInvalidVariant;
        std::uint32_t count = pSArray->rgsabound[0].cElements;
        if (count == 0 || count > static_cast<std::uint32_t>(std::numeric_limits<WkbLong>::max()))
            return kInvalidVariant;
        void* data = nullptr;
        HRESULT hr = SafeArrayAccessData(pSArray, &data);
        if (Failed(hr)) return hr;
        hr = CreateWKBGeometryFromByteArray(static_cast<WkbLong>(count),
                                            static_cast<unsigned char*>(data), ppIWKBGeometry);
        SafeArrayUnaccessData(pSArray);
        return hr;
    }

    HRESULT CreateWKBGeometryFromByteArray(WkbLong lSize, unsigned char* pByteArray,
                                           IWKBGeometry** ppIWKBGeometry) override {
        if (!ppIWKBGeometry) return E_POINTER;
        *ppIWKBGeometry = nullptr;
        if (!pByteArray || lSize == 0) return S_OK;
        if (lSize < 0) return E_INVALIDARG;
        ComPtr<IStream> stream;
        HRESULT hr = CreateWKBStream(stream.Put());
        if (Failed(hr)) return hr;
        std::uint32_t written = 0;
        hr = stream->Write(pByteArray, static_cast<std::uint32_t>(lSize), &written);
        if (Failed(hr)) return hr;
        if (written != static_cast<std::uint32_t>(lSize)) return kStreamWriteError;
        hr = stream->Seek(0, STREAM_SEEK_SET, nullptr);
        if (Failed(hr)) return hr;
        return CreateWKBGeometry(stream.Get(), ppIWKBGeometry);
    }

    HRESULT CreateWKBStream(IStream** ppIStream) override {
        return CreateStreamOnHGlobal(nullptr, 1, ppIStream);
    }

    HRESULT NewWKBPoint(IWKBPoint** ppIWKBPoint) override {
        return HandOut(CreateWKBPoint(), ppIWKBPoint);
    }
    HRESULT NewWKBPointXY(double dX, double dY, IWKBPoint** ppIWKBPoint) override {
        HRESULT hr = NewWKBPoint(ppIWKBPoint);
        if (Succeeded(hr)) (*ppIWKBPoint)->SetXY(dX, dY);
        return hr;
    }
    HRESULT NewWKBLineString(IWKBLineString** ppIWKBLineString) override {
        return HandOut(CreateWKBLineString(), ppIWKBLineString);
    }
    HRESULT NewWKBPolygon(IWKBPolygon** ppIWKBPolygon) override {
        return HandOut(CreateWKBPolygon(), ppIWKBPolygon);
    }
    HRESULT NewWKBMultiPoint(IWKBMultiPoint** ppIWKBMultiPoint) override {
        return HandOut(CreateWKBMultiPoint(), ppIWKBMultiPoint);
    }
    HRESULT NewWKBMultiLineString(IWKBMultiLineString** ppIMultiLineString) override {
        return HandOut(CreateWKBMultiLineString(), ppIMultiLineString);
    }
    HRESULT NewWKBMultiPolygon(IWKBMultiPolygon** ppIWKBMultiPolygon) override {
        return HandOut(CreateWKBMultiPolygon(), ppIWKBMultiPolygon);
    }
    HRESULT NewWKBGeometryCollection(IWKBGeometryCollection** ppIWKBGeometryCollection) override {
        return HandOut(CreateWKBGeometryCollection(), ppIWKBGeometryCollection);
    }

private:
    ~CoWKBGeometryFactory() { GeoweaveLock().Unlock(); }

    ULONG refs_ = 0;
};

}  // namespace

IWKBGeometryFactory* CreateWKBGeometryFactory() {
    auto* factory = new (std::nothrow) CoWKBGeometryFactory;
    if (!factory) return nullptr;
    factory->AddRef();
    return factory;
}
