#include "platform/tests/ResourceModule.h"

namespace {

constexpr StringResource kStrings[] = {{1, "module " RESOURCE_MODULE_NAME}};
constexpr std::uint8_t kSeed[] = {RESOURCE_MODULE_NAME[0]};
constexpr BinaryResource kBinaries[] = {{"SEED", "DATA", kSeed}};

}  // namespace

HINSTANCE TestModule() {
    static constexpr ModuleResources kResources{kStrings, kBinaries};
    return &kResources;
}

extern "C" [[gnu::visibility("default")]] int ResourceModuleLoadString(unsigned id, char* buffer,
                                                                       int bufferMax) {
    return LoadStringA(TestModule(), id, buffer, bufferMax);
}

extern "C" [[gnu::visibility("default")]] std::uint8_t ResourceModuleSeed() {
    auto bytes = LoadResource(TestModule(), FindResourceA(TestModule(), "SEED", "DATA"));
    return bytes.size() == 1 ? bytes[0] : 0;
}
