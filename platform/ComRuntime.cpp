#include "platform/ComRuntime.h"

#include <dlfcn.h>

#include <atomic>
#include <mutex>
#include <string>

#include "platform/ModulePath.h"

namespace {

struct ServerEntry {
    CLSID clsid;
    const char* library;  // base name: "Geoweave" is libGeoweave.so
};

// The classes of the geometry object server.
constexpr ServerEntry kServers[] = {
    {{0x613031B4, 0xB6FD, 0x11D2, {0x96, 0xEA, 0x00, 0x10, 0x5A, 0xA4, 0x61, 0x73}}, "Geoweave"},
    {{0xC2F65E57, 0xB79A, 0x11D2, {0x96, 0xEB, 0x00, 0x10, 0x5A, 0xA4, 0x61, 0x73}}, "Geoweave"},
    {{0xC2F65E5A, 0xB79A, 0x11D2, {0x96, 0xEB, 0x00, 0x10, 0x5A, 0xA4, 0x61, 0x73}}, "Geoweave"},
    {{0xC2F65E60, 0xB79A, 0x11D2, {0x96, 0xEB, 0x00, 0x10, 0x5A, 0xA4, 0x61, 0x73}}, "Geoweave"},
    {{0xC2F65E6E, 0xB79A, 0x11D2, {0x96, 0xEB, 0x00, 0x10, 0x5A, 0xA4, 0x61, 0x73}}, "Geoweave"},
    {{0xC60BFE16, 0xB7CD, 0x11D2, {0x96, 0xEB, 0x00, 0x10, 0x5A, 0xA4, 0x61, 0x73}}, "Geoweave"},
    {{0xC60BFE19, 0xB7CD, 0x11D2, {0x96, 0xEB, 0x00, 0x10, 0x5A, 0xA4, 0x61, 0x73}}, "Geoweave"},
    {{0xC60BFE1C, 0xB7CD, 0x11D2, {0x96, 0xEB, 0x00, 0x10, 0x5A, 0xA4, 0x61, 0x73}}, "Geoweave"},
};

std::atomic<int> g_initCount{0};

// Server libraries stay loaded for the life of the process: objects they made
// may outlive the last CoUninitialize, as they may with a real runtime.
DllGetClassObjectFn LoadServer(const char* library) {
    static std::mutex lock;
    std::lock_guard<std::mutex> guard(lock);
    std::string path = ModuleDirectory() + "lib" + library + ".so";
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) return nullptr;
    return reinterpret_cast<DllGetClassObjectFn>(dlsym(handle, "DllGetClassObject"));
}

}  // namespace

HRESULT CoInitialize(void*) {
    return g_initCount.fetch_add(1) == 0 ? S_OK : S_FALSE;
}

void CoUninitialize() {
    if (g_initCount.load() > 0) g_initCount.fetch_sub(1);
}

HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown* pUnkOuter, int dwClsContext, REFIID riid,
                         void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (g_initCount.load() <= 0) return CO_E_NOTINITIALIZED;
    if (!(dwClsContext & CLSCTX_INPROC_SERVER)) return REGDB_E_CLASSNOTREG;
    const ServerEntry* entry = nullptr;
    for (const auto& e : kServers)
        if (e.clsid == rclsid) entry = &e;
    if (!entry) return REGDB_E_CLASSNOTREG;

    DllGetClassObjectFn getClassObject = LoadServer(entry->library);
    if (!getClassObject) return CO_E_DLLNOTFOUND;
    IClassFactory* factory = nullptr;
    HRESULT hr = getClassObject(rclsid, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (Failed(hr)) return hr;
    if (!factory) return CO_E_ERRORINDLL;
    hr = factory->CreateInstance(pUnkOuter, riid, ppv);
    factory->Release();
    return hr;
}
