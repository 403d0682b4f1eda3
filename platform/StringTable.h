// The program's compiled-in string resources: every message text by number.
#pragma once

#include <string_view>

// Copies the text with `id` into `buffer` (at most bufferMax - 1 characters
// and a terminating zero) and returns the characters copied; 0 when there is
// no such text.
int LoadStringA(unsigned id, char* buffer, int bufferMax);

// The whole text with `id`; empty when there is none.
std::string_view FindStringResource(unsigned id);

struct StringResource {
    unsigned id;
    const char* text;
};
// Every resource, in ascending order of id.
const StringResource* StringResourcesBegin();
const StringResource* StringResourcesEnd();
