// Files the system names itself (companion files, dictionaries, grids) open
// regardless of letter case, as they would on the system it was written for.
#pragma once

#include <string>
#include <string_view>

// `path` when it exists; otherwise the entry of its directory whose name
// equals its last component ignoring ASCII letter case; empty when neither.
std::string ResolveFileCase(std::string_view path);

// Whether two names are equal when ASCII letter case is ignored.
bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b);
