// What the path action needs of the installer session and of the file system,
// and the stand-in that answers here, where no Windows Installer runs.
//
// The stand-in reads the environment:
//   PATHMEND_TARGET_<directory>  target path of installer directory <directory>, e.g.
//                                PATHMEND_TARGET_Velstrom_Shared; unset: the session has none
//   PATHMEND_SHORT_<directory>   short form of that path; unset or empty: the path itself (this
//                                platform has no short names). A path that does not exist has no
//                                short form, as a folder not yet created has none.
//   PATHMEND_BATCH_FILE          the boot batch file; unset or empty: "/autoexec.bat"
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

// The installer's handle of the running installation.
using MSIHANDLE = std::uint32_t;

inline constexpr char kDefaultBatchFile[] = "/autoexec.bat";

class IInstallerServices {
public:
    virtual ~IInstallerServices() = default;
    // The full target path of an installer directory; none when the session has no such directory.
    virtual std::optional<std::string> TargetPath(MSIHANDLE install,
                                                  const std::string& directory) const = 0;
    // The short form of a path; none when it has none.
    virtual std::optional<std::string> ShortPath(const std::string& path) const = 0;
    // The boot batch file the action rewrites.
    virtual std::string BatchFile() const = 0;
};

// The answers, the same for every installer handle.
struct InstallerTable {
    std::map<std::string, std::string> targetPaths;  // directory identifier -> target path
    std::map<std::string, std::string> shortPaths;   // path -> its short form
    std::string batchFile = kDefaultBatchFile;
};

class CTableInstallerServices final : public IInstallerServices {
public:
    explicit CTableInstallerServices(InstallerTable table) : table_(std::move(table)) {}

    std::optional<std::string> TargetPath(MSIHANDLE install,
                                          const std::string& directory) const override;
    std::optional<std::string> ShortPath(const std::string& path) const override;
    std::string BatchFile() const override { return table_.batchFile; }

private:
    InstallerTable table_;
};

// The table the environment gives for these installer directories.
InstallerTable InstallerTableFromEnvironment(const std::vector<std::string>& directories);
