// What every geometry class shares: reference counting, interface lookup, the
// IWKBGeometry operations that need only the encoding, and persistence
// through a stream. A class adds its members, Reset, and the body of its
// encoding (Load and Save).
#pragma once

#include <cstring>
#include <new>

#include "geometry/GeoweaveServer.h"
#include "geometry/WkbGeometry.h"
#include "geometry/WkbStreamUtil.h"
#include "platform/ComPtr.h"
#include "platform/ErrorInfo.h"
#include "platform/Persist.h"
#include "platform/SafeArray.h"

// Makes a new object of a server class and hands out its main interface with
// the one reference the caller receives; null when it cannot be made.
template <class Class, class Interface>
Interface* CreateObject() {
    auto* object = new (std::nothrow) Class;
    if (!object) return nullptr;
    void* main = nullptr;
    if (Failed(object->QueryInterface(InterfaceId<Interface>::value, &main))) {
        delete object;
        return nullptr;
    }
    return static_cast<Interface*>(main);
}

template <class Interface, EWKBGeometryType kClassType>
class IWKBGeometryImpl : public Interface,
                         public IPersistStream,
                         public ISupportErrorInfo,
                         protected CWKBStreamUtil {
public:
    IWKBGeometryImpl(const IWKBGeometryImpl&) = delete;
    IWKBGeometryImpl& operator=(const IWKBGeometryImpl&) = delete;

    // IUnknown: one object identity, the main interface's.
    HRESULT QueryInterface(REFIID riid, void** ppv) final {
        if (!ppv) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IWKBGeometry ||
            riid == InterfaceId<Interface>::value) {
            *ppv = static_cast<Interface*>(this);
        } else if (riid == IID_IPersistStream || riid == IID_IPersist) {
            *ppv = static_cast<IPersistStream*>(this);
        } else if (riid == IID_ISupportErrorInfo) {
            *ppv = static_cast<ISupportErrorInfo*>(this);
        } else {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        ++refs_;
        return S_OK;
    }
    // Apartment objects: counted without a lock.
    ULONG AddRef() final { return ++refs_; }
    ULONG Release() final {
        ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }

    // IWKBGeometry
    HRESULT GetByteOrder(EWKBByteOrder* pWkbByteOrder) final {
        if (!pWkbByteOrder) return E_POINTER;
        *pWkbByteOrder = byteOrder_;
        return S_OK;
    }
    HRESULT GetType(EWKBGeometryType* pWkbGeometryType) final {
        if (!pWkbGeometryType) return E_POINTER;
        *pWkbGeometryType = kClassType;
        return S_OK;
    }
    HRESULT GetByteStream(IStream** ppIStream) final {
        if (!ppIStream) return E_POINTER;
        *ppIStream = nullptr;
        ComPtr<IStream> stream;
        HRESULT hr = CreateStreamOnHGlobal(nullptr, 1, stream.Put());
        if (Succeeded(hr)) hr = Save(stream.Get(), 0);
        if (Succeeded(hr)) hr = stream->Seek(0, STREAM_SEEK_SET, nullptr);
        if (Failed(hr)) return hr;
        *ppIStream = stream.Detach();
        return S_OK;
    }
    HRESULT GetByteStreamSafeArray(SAFEARRAY** ppSafeArray) final {
        if (!ppSafeArray) return E_POINTER;
        *ppSafeArray = nullptr;
        ComPtr<IStream> stream;
        HRESULT hr = GetByteStream(stream.Put());
        std::uint32_t size = 0;
        if (Succeeded(hr)) hr = GetStreamSize(stream.Get(), &size);
        if (Failed(hr) || size == 0) return hr;
        HGLOBAL memory = nullptr;
        hr = GetHGlobalFromStream(stream.Get(), &memory);
        if (Failed(hr)) return hr;
        SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, size);
        if (!array) return kStreamWriteError;
        void* data = nullptr;
        SafeArrayAccessData(array, &data);
        std::memcpy(data, GlobalLock(memory), size);
        GlobalUnlock(memory);
        SafeArrayUnaccessData(array);
        *ppSafeArray = array;
        return S_OK;
    }

    // IPersistStream
    HRESULT GetClassID(CLSID* pClassID) final { return pClassID ? E_NOTIMPL : E_POINTER; }
    HRESULT IsDirty() final { return S_OK; }
    HRESULT GetSizeMax(std::uint64_t* pcbSize) final { return pcbSize ? E_NOTIMPL : E_POINTER; }

    // ISupportErrorInfo
    HRESULT InterfaceSupportsErrorInfo(REFIID riid) final {
        return riid == InterfaceId<Interface>::value ? S_OK : S_FALSE;
    }

protected:
    IWKBGeometryImpl() { GeoweaveLock().Lock(); }
    virtual ~IWKBGeometryImpl() { GeoweaveLock().Unlock(); }

    // The byte order and type code that open every encoding. The type code is
    // the class's own: one of another class is refused.
    HRESULT LoadHeader(IStream* stream) {
        if (!stream) return E_POINTER;
        EWKBByteOrder byteOrder{};
        HRESULT hr = ReadByteOrder(stream, &byteOrder);
        if (Failed(hr)) return hr;
        byteOrder_ = byteOrder;
        EWKBGeometryType type{};
        hr = ReadGeometryType(stream, &type, byteOrder_);
        if (Failed(hr)) return hr;
        return type == kClassType ? S_OK : kInvalidGeometryType;
    }
    HRESULT SaveHeader(IStream* stream) {
        if (!stream) return E_POINTER;
        HRESULT hr = WriteByteOrder(stream, byteOrder_);
        return Succeeded(hr) ? WriteUInt32(stream, kClassType, byteOrder_) : hr;
    }

    EWKBByteOrder byteOrder_ = kWkbLittleEndian;

private:
    ULONG refs_ = 0;
};
