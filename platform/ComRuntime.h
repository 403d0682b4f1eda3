// Object creation by class identifier. An in-process server is a shared
// library beside the executable that exports DllGetClassObject; the table of
// which library serves which class stands in ComRuntime.cpp, as the
// registration would on a system with a COM runtime.
#pragma once

#include "platform/Com.h"

inline constexpr int CLSCTX_INPROC_SERVER = 0x1;

// Counted per process; creation works only between the two.
HRESULT CoInitialize(void* reserved = nullptr);
void CoUninitialize();

HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown* pUnkOuter, int dwClsContext, REFIID riid,
                         void** ppv);

// The signature every server exports by name.
using DllGetClassObjectFn = HRESULT (*)(REFCLSID rclsid, REFIID riid, void** ppv);
