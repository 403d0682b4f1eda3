#include <gtest/gtest.h>

#include <filesystem>

#include "platform/DynamicLibrary.h"
#include "platform/ModulePath.h"

namespace {

using ProbeFn = int (*)();

int CallProbe(HMODULE module) {
    auto probe = reinterpret_cast<ProbeFn>(GetProcAddress(module, "DynamicLibraryProbeAnswer"));
    return probe ? probe() : -1;
}

TEST(DynamicLibraryTest, ANameIsFoundBesideTheExecutableAndItsEntryPointsByName) {
    EXPECT_EQ(DynamicLibraryFileName("Tsdsn"), "libTsdsn.so");
    HMODULE module = LoadLibraryA("DynamicLibraryProbe");
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(CallProbe(module), 42);
    EXPECT_EQ(GetProcAddress(module, "NoSuchEntryPoint"), nullptr);
    EXPECT_EQ(GetProcAddress(module, nullptr), nullptr);

    // Each load takes a reference: the library stays until the last is given back.
    HMODULE again = LoadLibraryA((ModuleDirectory() + "libDynamicLibraryProbe.so").c_str());
    ASSERT_EQ(again, module);
    EXPECT_EQ(FreeLibrary(again), 1);
    EXPECT_EQ(CallProbe(module), 42);
    EXPECT_EQ(FreeLibrary(module), 1);

    EXPECT_EQ(LoadLibraryA("NoSuchLibrary"), nullptr);
    EXPECT_EQ(LoadLibraryA(""), nullptr);
    EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
    EXPECT_EQ(LoadLibraryA("/no/such/dir/libDynamicLibraryProbe.so"), nullptr);
    EXPECT_EQ(FreeLibrary(nullptr), 0);
    EXPECT_EQ(GetProcAddress(nullptr, "DynamicLibraryProbeAnswer"), nullptr);
}

TEST(DynamicLibraryTest, ANameNotBesideTheExecutableIsLeftToTheSystemsSearch) {
    if (!std::filesystem::exists("/usr/lib/x86_64-linux-gnu/libz.so") &&
        !std::filesystem::exists("/usr/lib/libz.so"))
        GTEST_SKIP() << "libz.so is not installed";
    HMODULE module = LoadLibraryA("z");
    ASSERT_NE(module, nullptr);
    EXPECT_NE(GetProcAddress(module, "zlibVersion"), nullptr);
    EXPECT_EQ(FreeLibrary(module), 1);
}

}  // namespace
