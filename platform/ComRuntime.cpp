#include "platform/ComRuntime.h"

#include <atomic>
#include <mutex>
#include <string>

#include "platform/DynamicLibrary.h"
#include "platform/ModulePath.h"

namespace {

// Every registered list, the last registered first. Constant-initialized:
// lists register themselves while the program's static objects are built.
constinit std::mutex g_classesLock;
constinit CInprocServerClasses* g_classes = nullptr;

std::atomic<int> g_initCount{0};

// Server libraries stay loaded for the life of the process: objects they made
// may outlive the last CoUninitialize, as they may with a real runtime.
DllGetClassObjectFn LoadServer(const char* library) {
    static std::mutex lock;
    std::lock_guard<std::mutex> guard(lock);
    // Servers are taken from beside the executable only, never from the system's search.
    const std::string path = ModuleDirectory() + DynamicLibraryFileName(library);
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module) return nullptr;
    return reinterpret_cast<DllGetClassObjectFn>(GetProcAddress(module, "DllGetClassObject"));
}

}  // namespace

CInprocServerClasses::CInprocServerClasses(std::span<const InprocServerClass> classes)
    : classes_(classes) {
    std::lock_guard<std::mutex> guard(g_classesLock);
    next_ = g_classes;
    g_classes = this;
}

CInprocServerClasses::~CInprocServerClasses() {
    std::lock_guard<std::mutex> guard(g_classesLock);
    for (CInprocServerClasses** link = &g_classes; *link; link = &(*link)->next_) {
        if (*link == this) {
            *link = next_;
            break;
        }
    }
}

const InprocServerClass* CInprocServerClasses::Find(REFCLSID clsid) {
    std::lock_guard<std::mutex> guard(g_classesLock);
    for (const CInprocServerClasses* list = g_classes; list; list = list->next_)
        for (const InprocServerClass& entry : list->classes_)
            if (entry.clsid == clsid) return &entry;
    return nullptr;
}

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
    const InprocServerClass* entry = CInprocServerClasses::Find(rclsid);
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
