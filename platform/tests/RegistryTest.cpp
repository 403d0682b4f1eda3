#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "common/ByteOrder.h"
#include "platform/Registry.h"
#include "testing/TestSupport.h"

namespace {

// Points the registry at one file for the life of a test.
class RegistryFile {
public:
    explicit RegistryFile(const std::string& text)
        : RegistryFile(std::vector<std::uint8_t>(text.begin(), text.end())) {}
    explicit RegistryFile(const std::vector<std::uint8_t>& bytes) {
        wlxtest::WriteBytes(dir_ / "registry.reg", bytes);
        setenv("WLXCONV_REGISTRY", (dir_ / "registry.reg").c_str(), 1);
    }
    ~RegistryFile() { unsetenv("WLXCONV_REGISTRY"); }

private:
    wlxtest::TempDir dir_;
};

const char kExport[] =
    "Windows Registry Editor Version 5.00\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Velstrom\\GIS\\Coordsys\\11e]\r\n"
    "\"Path\"=\"C:\\\\dict\\\\\"\r\n"
    "\"Quote\"=\"say \\\"hi\\\"\"\r\n"
    "\"Count\"=dword:0000002a\r\n"
    "\"Bytes\"=hex:01,02,\\\r\n"
    "  03\r\n"
    "\"Expand\"=hex(2):25,00,41,00,00,00\r\n"
    "\"LongDword\"=dword:123456789\r\n"
    "\"BadType\"=hex(2x):00\r\n"
    "@=\"default\"\r\n"
    "; a comment\r\n"
    "\"Gone\"=\"x\"\r\n"
    "\"Gone\"=-\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Removed]\r\n"
    "\"A\"=\"b\"\r\n"
    "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Removed]\r\n";

std::string ReadString(const char* key, const char* name, LONG* result = nullptr) {
    CRegistryKey holder;
    LONG r = holder.OpenRegistryKey(HKEY_LOCAL_MACHINE, key, KEY_READ);
    std::string value;
    if (r == ERROR_SUCCESS) r = holder.QueryRegistryString(name, value);
    if (result) *result = r;
    return value;
}

}  // namespace

TEST(RegistryTest, ReadsValuesOfEveryKind) {
    RegistryFile file(kExport);
    const char* key = "software\\velstrom\\gis\\coordsys\\11E\\";
    EXPECT_EQ(ReadString(key, "PATH"), "C:\\dict\\");
    EXPECT_EQ(ReadString(key, "Quote"), "say \"hi\"");
    EXPECT_EQ(ReadString(key, nullptr), "default");

    HKEY handle = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &handle), ERROR_SUCCESS);
    DWORD type = 0, size = 0;
    BYTE data[8] = {};
    size = sizeof data;
    ASSERT_EQ(RegQueryValueExA(handle, "Count", nullptr, &type, data, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(data[0], 42);
    size = sizeof data;
    ASSERT_EQ(RegQueryValueExA(handle, "Bytes", nullptr, &type, data, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_EQ(std::vector<BYTE>(data, data + size), (std::vector<BYTE>{1, 2, 3}));
    // A string type written as hex holds UTF-16 in a version 5 export.
    size = sizeof data;
    ASSERT_EQ(RegQueryValueExA(handle, "Expand", nullptr, &type, data, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_EXPAND_SZ);
    EXPECT_EQ(std::vector<BYTE>(data, data + size), (std::vector<BYTE>{'%', 'A', 0}));
    // Malformed numbers leave no value.
    for (const char* malformed : {"LongDword", "BadType"})
        EXPECT_EQ(RegQueryValueExA(handle, malformed, nullptr, &type, nullptr, &size),
                  ERROR_FILE_NOT_FOUND)
            << malformed;
    size = 2;
    EXPECT_EQ(RegQueryValueExA(handle, "Path", nullptr, &type, data, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 9u);  // with the terminating zero
    EXPECT_EQ(RegQueryValueExA(handle, "Gone", nullptr, &type, nullptr, &size),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegCloseKey(handle), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(handle), ERROR_INVALID_HANDLE);
}

TEST(RegistryTest, KeysExistWithTheirParentsOnlyAndAreReadOnly) {
    RegistryFile file(kExport);
    HKEY handle = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Velstrom\\GIS\\Coordsys\\", 0, KEY_READ,
                            &handle),
              ERROR_SUCCESS);
    RegCloseKey(handle);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Removed", 0, KEY_READ, &handle),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Velstrom", 0, KEY_WRITE, &handle),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Velstrom", 0, KEY_READ, &handle),
              ERROR_FILE_NOT_FOUND);
}

TEST(RegistryTest, NoFileMeansNoKeys) {
    setenv("WLXCONV_REGISTRY", "/nonexistent/registry.reg", 1);
    LONG result = 0;
    EXPECT_EQ(ReadString("SOFTWARE", "x", &result), "");
    EXPECT_EQ(result, ERROR_FILE_NOT_FOUND);
    unsetenv("WLXCONV_REGISTRY");
}

TEST(RegistryTest, ReadsUtf16ExportsAsUtf8) {
    std::vector<std::uint8_t> bytes{0xFF, 0xFE};
    // The text is ASCII apart from one Latin-1 letter: widen it by hand.
    std::u32string wide =
        U"Windows Registry Editor Version "
        U"5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\T]\r\n\"Name\"=\"Gr\u00fcn\"\r\n";
    for (char32_t c : wide) {
        bytes.resize(bytes.size() + 2);
        byteorder::StoreU16Le(static_cast<std::uint16_t>(c), &bytes[bytes.size() - 2]);
    }
    RegistryFile file(bytes);
    EXPECT_EQ(ReadString("SOFTWARE\\T", "Name"), "Gr\u00fcn");
}

TEST(RegistryTest, HolderClosesTheKeyItReplacesAndRefusesNonStrings) {
    RegistryFile file(kExport);
    CRegistryKey holder;
    ASSERT_EQ(holder.OpenRegistryKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Velstrom", KEY_READ),
              ERROR_SUCCESS);
    HKEY first = holder.Handle();
    ASSERT_EQ(holder.OpenRegistryKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Velstrom\\GIS\\Coordsys\\11e",
                                     KEY_READ),
              ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(first), ERROR_INVALID_HANDLE);  // already closed by the holder

    // A failed open keeps the key held.
    EXPECT_EQ(holder.OpenRegistryKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Nothing", KEY_READ),
              ERROR_FILE_NOT_FOUND);
    char buffer[64];
    DWORD size = sizeof buffer;
    EXPECT_EQ(holder.QueryRegistryString("Count", buffer, &size), ERROR_INVALID_DATA);
    EXPECT_EQ(size, 0u);
    size = sizeof buffer;
    EXPECT_EQ(holder.QueryRegistryString("Path", buffer, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 9u);
    EXPECT_EQ(holder.CloseRegistryKey(), ERROR_SUCCESS);
    EXPECT_EQ(holder.CloseRegistryKey(), ERROR_SUCCESS);
}
