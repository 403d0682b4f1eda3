#include <gtest/gtest.h>

#include "platform/ClassFactory.h"
#include "platform/ComPtr.h"

namespace {

int g_created = 0;

HRESULT CreateNothing(REFIID riid, void** ppv) {
    ++g_created;
    return riid == IID_IUnknown && ppv ? E_OUTOFMEMORY : E_NOINTERFACE;
}

TEST(ClassFactory, CreatesThroughItsCreatorAndKeepsTheServerInUse) {
    ServerLock lock;
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(CreateClassFactory(&CreateNothing, lock, IID_IClassFactory,
                                 reinterpret_cast<void**>(factory.Put())),
              S_OK);
    EXPECT_TRUE(lock.InUse());

    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(factory.Get(), IID_IUnknown, &object), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(g_created, 0);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, &object), E_OUTOFMEMORY);
    EXPECT_EQ(g_created, 1);

    // A client's lock outlives the class object.
    EXPECT_EQ(factory->LockServer(1), S_OK);
    factory.Reset();
    EXPECT_TRUE(lock.InUse());
    ComPtr<IClassFactory> again;
    ASSERT_EQ(CreateClassFactory(&CreateNothing, lock, IID_IUnknown,
                                 reinterpret_cast<void**>(again.Put())),
              S_OK);
    EXPECT_EQ(again->LockServer(0), S_OK);
    again.Reset();
    EXPECT_FALSE(lock.InUse());

    constexpr IID kOther{0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
    EXPECT_EQ(CreateClassFactory(&CreateNothing, lock, kOther, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_FALSE(lock.InUse());
}

}  // namespace
