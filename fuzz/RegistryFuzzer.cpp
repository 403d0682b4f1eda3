// A registry file read through the registry functions: every key the file
// names opened, and every value it names read, with the buffer sizes callers
// use. The registry reads its file by name, so the input is written to one of
// two scratch files in turn (a new path makes it read the file again).
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "platform/Registry.h"

namespace {

// The texts between `open` and `close` on each line: key paths in brackets,
// value names in quotes.
std::vector<std::string> Between(std::string_view text, char open, char close) {
    std::vector<std::string> found;
    for (std::size_t at = text.find(open); at != std::string_view::npos && found.size() < 64;
         at = text.find(open, at + 1)) {
        const std::size_t end = text.find_first_of(std::string{close, '\n'}, at + 1);
        if (end == std::string_view::npos) break;
        found.emplace_back(text.substr(at + 1, end - at - 1));
    }
    return found;
}

void ReadValue(HKEY key, const std::string& name) {
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return;
    for (DWORD capacity : {DWORD{0}, DWORD{1}, DWORD{4}, size}) {
        std::vector<BYTE> buffer(capacity + 1);
        DWORD given = capacity;
        RegQueryValueExA(key, name.c_str(), nullptr, &type, buffer.data(), &given);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::Setup();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static int turn = 0;
    turn ^= 1;
    const std::string file = fuzz::WriteScratchFile(turn ? "one.reg" : "two.reg", {data, size});
    setenv("WLXCONV_REGISTRY", file.c_str(), 1);
    const std::string_view text = fuzz::AsText(data, size);
    const std::vector<std::string> names = Between(text, '"', '"');
    for (const std::string& path : Between(text, '[', ']')) {
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, HKEY_CLASSES_ROOT, HKEY_USERS}) {
            HKEY key = nullptr;
            // The path below the root it names.
            const std::size_t slash = path.find('\\');
            const std::string below = slash == std::string::npos ? "" : path.substr(slash + 1);
            if (RegOpenKeyExA(root, below.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) continue;
            ReadValue(key, "");
            for (const std::string& name : names) ReadValue(key, name);
            RegCloseKey(key);
        }
    }
    return 0;
}
