#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/ModulePath.h"
#include "platform/tests/ResourceModule.h"

namespace {

constexpr StringResource kStrings[] = {
    {1, "module test"},
    {2, "Processing..."},
    {3,
     "Gr\xC3\xBC\xC3\x9F"
     "e"},
    {40001, "*Error* : Invalid WLX file format."},
};
constexpr std::uint8_t kSeed[] = {0x08, 0x09, 0xFE, 0x02};
constexpr BinaryResource kBinaries[] = {{"IDR_DGNSEED1", "DGNSEED", kSeed}};

}  // namespace

HINSTANCE TestModule() {
    static constexpr ModuleResources kResources{kStrings, kBinaries};
    return &kResources;
}

TEST(ModuleResourcesTest, LoadStringCopiesCutsAndMisses) {
    char buffer[16];
    EXPECT_EQ(LoadStringA(TestModule(), 2, buffer, sizeof buffer), 13);
    EXPECT_STREQ(buffer, "Processing...");
    EXPECT_EQ(LoadStringA(TestModule(), 40001, buffer, 8), 7);
    EXPECT_STREQ(buffer, "*Error*");
    // A cut never splits a character: "Gr" and the first byte of "ü" fit.
    EXPECT_EQ(LoadStringA(TestModule(), 3, buffer, 4), 2);
    EXPECT_STREQ(buffer, "Gr");
    EXPECT_EQ(LoadStringA(TestModule(), 3, buffer, 5), 4);
    EXPECT_STREQ(buffer, "Gr\xC3\xBC");
    for (HINSTANCE module : {TestModule(), static_cast<HINSTANCE>(nullptr)}) {
        buffer[0] = 'x';
        EXPECT_EQ(LoadStringA(module, 4, buffer, sizeof buffer), 0);
        EXPECT_STREQ(buffer, "");
    }
    buffer[0] = 'x';
    EXPECT_EQ(LoadStringA(TestModule(), 2, buffer, 0), 0);
    EXPECT_EQ(buffer[0], 'x');
    EXPECT_EQ(LoadStringA(TestModule(), 2, buffer, 1), 0);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(FindStringResource(TestModule(), 3),
              "Gr\xC3\xBC\xC3\x9F"
              "e");
    EXPECT_EQ(FindStringResource(TestModule(), 0), "");
}

TEST(ModuleResourcesTest, FindsNamedBinaryResourcesWithoutRegardToCase) {
    HRSRC seed = FindResourceA(TestModule(), "idr_dgnseed1", "DgnSeed");
    ASSERT_NE(seed, nullptr);
    auto bytes = LoadResource(TestModule(), seed);
    EXPECT_EQ(std::basic_string<std::uint8_t>(bytes.begin(), bytes.end()),
              std::basic_string<std::uint8_t>(std::begin(kSeed), std::end(kSeed)));
    EXPECT_EQ(FindResourceA(TestModule(), "IDR_DGNSEED1", "DGN"), nullptr);
    EXPECT_EQ(FindResourceA(TestModule(), "IDR_DGNSEED", "DGNSEED"), nullptr);
    EXPECT_EQ(FindResourceA(nullptr, "IDR_DGNSEED1", "DGNSEED"), nullptr);
    EXPECT_TRUE(LoadResource(TestModule(), nullptr).empty());
}

// Both libraries link the same static platform library and name their handle
// as the test program does; loaded into one global scope, each still answers
// its own resources.
TEST(ModuleResourcesTest, EachSharedLibraryAnswersItsOwnResources) {
    for (const char* letter : {"A", "B"}) {
        SCOPED_TRACE(letter);
        std::string path = ModuleDirectory() + "libResourceModule" + letter + ".so";
        void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_GLOBAL);
        ASSERT_NE(library, nullptr) << dlerror();
        auto loadString = reinterpret_cast<ResourceModuleLoadStringFn>(
            dlsym(library, "ResourceModuleLoadString"));
        auto seed = reinterpret_cast<ResourceModuleSeedFn>(dlsym(library, "ResourceModuleSeed"));
        ASSERT_NE(loadString, nullptr);
        ASSERT_NE(seed, nullptr);
        char buffer[32];
        EXPECT_EQ(loadString(1, buffer, sizeof buffer), 8);
        EXPECT_EQ(std::string(buffer), std::string("module ") + letter);
        EXPECT_EQ(seed(), letter[0]);
    }
    EXPECT_EQ(FindStringResource(TestModule(), 1), "module test");
}
