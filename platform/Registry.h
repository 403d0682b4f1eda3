// The registry, read-only, from a text file in the .reg export format
// ("Windows Registry Editor Version 5.00" or "REGEDIT4") named by the
// environment variable WLXCONV_REGISTRY (default /etc/wlxconv/registry.reg).
// No file means no keys. Key paths and value names compare without regard to
// case; '\' separates the parts of a key path.
#pragma once

#include <cstdint>
#include <string>

using LONG = std::int32_t;
using DWORD = std::uint32_t;
using BYTE = std::uint8_t;
using REGSAM = std::uint32_t;

struct RegistryKeyHandle;
using HKEY = RegistryKeyHandle*;

// The predefined root keys; closing one does nothing.
extern HKEY const HKEY_CLASSES_ROOT;
extern HKEY const HKEY_CURRENT_USER;
extern HKEY const HKEY_LOCAL_MACHINE;
extern HKEY const HKEY_USERS;

inline constexpr LONG ERROR_SUCCESS = 0;
inline constexpr LONG ERROR_FILE_NOT_FOUND = 2;
inline constexpr LONG ERROR_ACCESS_DENIED = 5;
inline constexpr LONG ERROR_INVALID_HANDLE = 6;
inline constexpr LONG ERROR_INVALID_DATA = 13;
inline constexpr LONG ERROR_INVALID_PARAMETER = 87;
inline constexpr LONG ERROR_MORE_DATA = 234;

inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_EXPAND_SZ = 2;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;
inline constexpr DWORD REG_MULTI_SZ = 7;
inline constexpr DWORD REG_QWORD = 11;

inline constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
inline constexpr REGSAM KEY_SET_VALUE = 0x0002;
inline constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr REGSAM KEY_READ = 0x20019;
inline constexpr REGSAM KEY_WRITE = 0x20006;

// Opens `subKey` (null or empty: the key itself) below an open key. Asking
// for write access gives ERROR_ACCESS_DENIED: nothing is ever written back.
LONG RegOpenKeyExA(HKEY key, const char* subKey, DWORD options, REGSAM desired, HKEY* result);

// Reads a value (null or empty name: the key's default value). Strings come
// with their terminating zero. With `data` null only the size is returned;
// a buffer too small gives ERROR_MORE_DATA and the size needed.
LONG RegQueryValueExA(HKEY key, const char* valueName, DWORD* reserved, DWORD* type, BYTE* data,
                      DWORD* dataSize);

LONG RegCloseKey(HKEY key);

// The file the registry is read from.
std::string RegistryFilePath();

// Holds one open registry key and closes it when destroyed.
class CRegistryKey {
public:
    CRegistryKey() = default;
    ~CRegistryKey();
    CRegistryKey(const CRegistryKey&) = delete;
    CRegistryKey& operator=(const CRegistryKey&) = delete;

    // On success any key held before is closed and the new one kept.
    LONG OpenRegistryKey(HKEY root, const char* path, REGSAM access);
    // 0 when no key is held.
    LONG CloseRegistryKey();
    // 0, the API's error, or ERROR_INVALID_DATA (13) when the value is not a
    // string; `size` is the value's size on success and 0 otherwise.
    LONG QueryRegistryString(const char* valueName, char* buffer, DWORD* size);
    // The same into a string (size first, then the value), without the terminator.
    LONG QueryRegistryString(const char* valueName, std::string& value);

    HKEY Handle() const { return key_; }

private:
    HKEY key_ = nullptr;
};
