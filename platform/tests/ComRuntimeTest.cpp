#include <gtest/gtest.h>

#include "platform/ComRuntime.h"

namespace {

constexpr CLSID kMadeUpClass{0x0BADF00D, 0x0001, 0x0002, {1, 2, 3, 4, 5, 6, 7, 8}};
constexpr CLSID kMissingServerClass{0x0BADF00D, 0x0001, 0x0002, {1, 2, 3, 4, 5, 6, 7, 9}};

HRESULT Create(REFCLSID clsid) {
    void* object = reinterpret_cast<void*>(1);
    HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object);
    EXPECT_EQ(object, nullptr);
    return hr;
}

}  // namespace

// A class is found only while a registered list names it; the library it names
// must then export DllGetClassObject.
TEST(ComRuntimeTest, FindsClassesOnlyInRegisteredLists) {
    ASSERT_EQ(CoInitialize(), S_OK);
    EXPECT_EQ(Create(kMadeUpClass), REGDB_E_CLASSNOTREG);
    {
        // libResourceModuleA.so exists but serves nothing.
        const InprocServerClass classes[] = {{kMadeUpClass, "ResourceModuleA"},
                                             {kMissingServerClass, "NoSuchServer"}};
        CInprocServerClasses list(classes);
        EXPECT_EQ(Create(kMadeUpClass), CO_E_DLLNOTFOUND);
        EXPECT_EQ(Create(kMissingServerClass), CO_E_DLLNOTFOUND);
        void* object = nullptr;
        EXPECT_EQ(CoCreateInstance(kMadeUpClass, nullptr, 0, IID_IUnknown, &object),
                  REGDB_E_CLASSNOTREG);
    }
    EXPECT_EQ(Create(kMadeUpClass), REGDB_E_CLASSNOTREG);
    CoUninitialize();
    const InprocServerClass classes[] = {{kMadeUpClass, "ResourceModuleA"}};
    CInprocServerClasses list(classes);
    EXPECT_EQ(Create(kMadeUpClass), CO_E_NOTINITIALIZED);
}
