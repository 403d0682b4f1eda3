// The plug-in's settings file and its one reader `iniFile`, shared by every
// reader and writer of the library: the entry point that creates a reader
// points it at the file the loader names.
#pragma once

#include <optional>
#include <string>

#include "platform/IniFile.h"

namespace dgn {

// The settings vocabulary: sections and keys.
inline constexpr char kSectionGeneral[] = "General";
inline constexpr char kKeySeedFilePath[] = "SeedFilePath";
inline constexpr char kKeyColorScheme[] = "Color Scheme";
inline constexpr char kKeyJustConvert[] = "JustConvert";
inline constexpr char kSectionLevelLayers[] = "Level Layer Mapping";
inline constexpr char kSectionLineStyles[] = "Import Line Styles";
inline constexpr char kSectionDrfxFonts[] = "DRFX Fonts";
inline constexpr char kSectionDgnFonts[] = "DGN Fonts";
inline constexpr char kSectionAttributeMethod[] = "Interpret Attribute Data Method";
inline constexpr char kKeyInterpretMethod[] = "InterpretMethod";

inline constexpr char kDefaultSettingsFile[] = "tsdgn.ini";
inline constexpr char kDefaultSeedFile[] = "lrgseed.dgn";
inline constexpr char kDefaultColorScheme[] = "DRFX";
inline constexpr char kDefaultLineStyle[] = "CONTINUOUS";
inline constexpr char kDefaultInterpretMethod[] = "Automatic";

// The settings file the loader names; without one, the registry value
// "TSDGNINI_PATH" of the loader's key, else "tsdgn.ini".
std::string SettingsFilePath(const char* given);

}  // namespace dgn

// Values from the settings file, read once and kept until the path changes
// or Refresh runs; a missing file or key gives the default.
class CReadIni {
public:
    CReadIni() : path_(dgn::kDefaultSettingsFile) {}
    explicit CReadIni(const char* path) : path_(path ? path : "") {}
    CReadIni(const CReadIni& other) : path_(other.path_) {}
    CReadIni& operator=(const CReadIni& other);
    virtual ~CReadIni() = default;

    const std::string& GetFile() const { return path_; }
    void SetFile(const char* path);
    // Reads the file again.
    void Refresh() { cache_.reset(); }

    // The value cut to `size` - 1 bytes (GetPrivateProfileString).
    std::string Read(const char* section, const char* key, const char* defaultValue,
                     int size) const;
    // The section's lines, each ended by a zero, the list by a second
    // (GetPrivateProfileSection), within `size` bytes.
    std::string ReadSection(const char* section, int size) const;

private:
    const CIniFile& File() const;

    std::string path_;
    mutable std::optional<CIniFile> cache_;
};

extern CReadIni iniFile;
