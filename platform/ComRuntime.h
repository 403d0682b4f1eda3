// Object creation by class identifier. An in-process server is a shared
// library beside the executable that exports DllGetClassObject; which library
// serves which class comes from the class lists that the servers' interface
// targets register, as a COM runtime would read it from the registration.
#pragma once

#include <span>

#include "platform/Com.h"

inline constexpr int CLSCTX_INPROC_SERVER = 0x1;

// Counted per process; creation works only between the two.
HRESULT CoInitialize(void* reserved = nullptr);
void CoUninitialize();

HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown* pUnkOuter, int dwClsContext, REFIID riid,
                         void** ppv);

// The signature every server exports by name.
using DllGetClassObjectFn = HRESULT (*)(REFCLSID rclsid, REFIID riid, void** ppv);

struct InprocServerClass {
    CLSID clsid;
    const char* library;  // base name: "Geoweave" is libGeoweave.so
};

// Makes a server's classes known to CoCreateInstance for as long as it lives:
// a server's interface header defines one as an inline variable, so that every
// program compiled against the server registers its classes before `main`.
class CInprocServerClasses {
public:
    explicit CInprocServerClasses(std::span<const InprocServerClass> classes);
    ~CInprocServerClasses();
    CInprocServerClasses(const CInprocServerClasses&) = delete;
    CInprocServerClasses& operator=(const CInprocServerClasses&) = delete;

    // The registered entry for `clsid`; null when no list names it.
    static const InprocServerClass* Find(REFCLSID clsid);

private:
    std::span<const InprocServerClass> classes_;
    CInprocServerClasses* next_ = nullptr;
};
