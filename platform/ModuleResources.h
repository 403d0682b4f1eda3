// Resources compiled into a module (the program or one shared library): its
// string table and its named binary resources, reached through the module's
// handle as the resources of a Windows module are. platform/ holds the lookup
// only; every module defines its own resources beside its code.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

struct StringResource {
    unsigned id;
    const char* text;
};

// A named binary resource of a type ("IDR_DGNSEED1" of type "DGNSEED").
struct BinaryResource {
    const char* name;
    const char* type;
    std::span<const std::uint8_t> bytes;
};

struct ModuleResources {
    std::span<const StringResource> strings;  // ascending by id
    std::span<const BinaryResource> binaries;
};

// A module's handle: its resources. Each module answers its own from a
// function declared hidden, so that every shared library binds its own
// definition although all of them link this library:
//     [[gnu::visibility("hidden")]] HINSTANCE LoaderModule();
using HINSTANCE = const ModuleResources*;

// Copies the text `id` of `module` into `buffer`: at most bufferMax - 1 bytes,
// cut at a UTF-8 character boundary, and a terminating zero. Returns the bytes
// copied; 0 (with an empty buffer) when there is no such text.
int LoadStringA(HINSTANCE module, unsigned id, char* buffer, int bufferMax);

// The whole text `id` of `module`; empty when there is none.
std::string_view FindStringResource(HINSTANCE module, unsigned id);

using HRSRC = const BinaryResource*;

// The resource `name` of `type` in `module` (both names without regard to
// ASCII letter case); null when there is none.
HRSRC FindResourceA(HINSTANCE module, const char* name, const char* type);

// The bytes of a resource found in `module`; empty for a null one.
std::span<const std::uint8_t> LoadResource(HINSTANCE module, HRSRC resource);
