#include "platform/ModuleResources.h"

#include <algorithm>
#include <cstring>

#include "platform/FileCase.h"

namespace {

bool IsContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

}  // namespace

std::string_view FindStringResource(HINSTANCE module, unsigned id) {
    if (!module) return {};
    auto strings = module->strings;
    auto found = std::lower_bound(strings.begin(), strings.end(), id,
                                  [](const StringResource& r, unsigned key) { return r.id < key; });
    if (found == strings.end() || found->id != id || !found->text) return {};
    return found->text;
}

int LoadStringA(HINSTANCE module, unsigned id, char* buffer, int bufferMax) {
    if (!buffer || bufferMax <= 0) return 0;
    std::string_view text = FindStringResource(module, id);
    std::size_t n = std::min(text.size(), static_cast<std::size_t>(bufferMax - 1));
    if (n < text.size())
        while (n > 0 && IsContinuationByte(text[n])) --n;
    if (n) std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return static_cast<int>(n);
}

HRSRC FindResourceA(HINSTANCE module, const char* name, const char* type) {
    if (!module || !name || !type) return nullptr;
    for (const BinaryResource& resource : module->binaries)
        if (EqualIgnoringAsciiCase(resource.name, name) &&
            EqualIgnoringAsciiCase(resource.type, type))
            return &resource;
    return nullptr;
}

std::span<const std::uint8_t> LoadResource(HINSTANCE, HRSRC resource) {
    return resource ? resource->bytes : std::span<const std::uint8_t>();
}
