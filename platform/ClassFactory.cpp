#include "platform/ClassFactory.h"

#include <new>

namespace {

class ClassFactory final : public IClassFactory {
public:
    ClassFactory(ObjectCreator create, ServerLock& lock) : create_(create), lock_(lock) {
        lock_.Lock();
    }

    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IClassFactory) {
            *ppv = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return refs_.fetch_add(1, std::memory_order_relaxed) + 1; }
    ULONG Release() override {
        ULONG left = refs_.fetch_sub(1, std::memory_order_acq_rel) - 1;
        if (left == 0) delete this;
        return left;
    }

    HRESULT CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (pUnkOuter) return CLASS_E_NOAGGREGATION;
        return create_(riid, ppv);
    }

    HRESULT LockServer(int fLock) override {
        if (fLock)
            lock_.Lock();
        else
            lock_.Unlock();
        return S_OK;
    }

private:
    ~ClassFactory() { lock_.Unlock(); }

    std::atomic<ULONG> refs_{0};
    ObjectCreator create_;
    ServerLock& lock_;
};

}  // namespace

HRESULT CreateClassFactory(ObjectCreator create, ServerLock& lock, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!create) return E_INVALIDARG;
    auto* factory = new (std::nothrow) ClassFactory(create, lock);
    if (!factory) return E_OUTOFMEMORY;
    factory->AddRef();
    HRESULT hr = factory->QueryInterface(riid, ppv);
    factory->Release();
    return hr;
}
