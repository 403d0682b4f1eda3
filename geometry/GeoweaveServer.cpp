// The entry points of the server library, the only symbols it exports.
#include "geometry/GeoweaveServer.h"

#include "geometry/WkbCreate.h"

#define GEOWEAVE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

ServerLock g_lock;

template <auto create>
HRESULT CreateInstanceOf(REFIID riid, void** ppv) {
    auto* object = create();
    if (!object) return E_OUTOFMEMORY;
    HRESULT hr = object->QueryInterface(riid, ppv);
    object->Release();
    return hr;
}

struct ServedClass {
    const CLSID& clsid;
    ObjectCreator create;
};

const ServedClass kClasses[] = {
    {CLSID_WKBPoint, &CreateInstanceOf<&CreateWKBPoint>},
    {CLSID_WKBLineString, &CreateInstanceOf<&CreateWKBLineString>},
    {CLSID_WKBPolygon, &CreateInstanceOf<&CreateWKBPolygon>},
    {CLSID_WKBMultiPoint, &CreateInstanceOf<&CreateWKBMultiPoint>},
    {CLSID_WKBMultiLineString, &CreateInstanceOf<&CreateWKBMultiLineString>},
    {CLSID_WKBMultiPolygon, &CreateInstanceOf<&CreateWKBMultiPolygon>},
    {CLSID_WKBGeometryCollection, &CreateInstanceOf<&CreateWKBGeometryCollection>},
    {CLSID_WKBGeometryFactory, &CreateInstanceOf<&CreateWKBGeometryFactory>},
};

}  // namespace

ServerLock& GeoweaveLock() {
    return g_lock;
}

GEOWEAVE_EXPORT HRESULT DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    for (const ServedClass& served : kClasses)
        if (served.clsid == rclsid) return CreateClassFactory(served.create, g_lock, riid, ppv);
    return CLASS_E_CLASSNOTAVAILABLE;
}

GEOWEAVE_EXPORT HRESULT DllCanUnloadNow() {
    return g_lock.InUse() ? S_FALSE : S_OK;
}

// Classes are found by the table of the object-creation code, not by a
// registry, so registering writes nothing.
GEOWEAVE_EXPORT HRESULT DllRegisterServer() {
    return S_OK;
}

GEOWEAVE_EXPORT HRESULT DllUnregisterServer() {
    return S_OK;
}
