// The one settings block of a run: every switch value, the file names, the
// coordinate-system codes, the run counters, the object filter, the tables to
// export, the warnings flag and the reporter. Every reader and writer reads
// what concerns it; field access is direct.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "coordsys/CoordSysDescriptor.h"
#include "loader/core/FeatureFilter.h"
#include "loader/core/NamePatternList.h"

class CReporterInterface;

// Longest file name or switch value the command line accepts.
inline constexpr std::size_t kMaxSettingText = 4095;

class CLoaderSettings {
public:
    CLoaderSettings() = default;
    virtual ~CLoaderSettings() = default;
    CLoaderSettings(const CLoaderSettings&) = delete;
    CLoaderSettings& operator=(const CLoaderSettings&) = delete;

    std::string inputCode = "LL84";  // input coordinate-system key
    std::string outputCode = "LL84";
    std::string inputName;  // input file, or coverage directory
    std::string switchFile;
    std::string outputName;  // with ".wlx" or ".wlt" added by the output type; base of table and
                             // symbol files
    std::string sifName;     // the spatial and key index files of a WLX output
    std::string kifName;
    std::string keyTemplate;
    std::string nameTemplate;
    std::string linkTemplate;
    int checkExtension = 1;
    int info = 0;
    int labels = 0;
    int closedPolylinesToPolygons = 0;
    int inputCodeGiven = 0;
    int outputCodeGiven = 0;
    int noCoordSysMetadata = 0;
    int inputType = 'S';
    int outputType = 'S';
    int csvTypeLetter = 'M';
    int csvObjectKind = 0;      // 0 point, 3 polyline, 5 polygon
    int tableExportKind = 0;    // 1 SQL, 2 CSV
    int overwriteAction = 'X';  // O overwrite, A append, Q quit, anything else ask
    int indexMaxEntries = 20;
    int indexMinEntries = 10;
    int keyIndexNodeCapacity = 20;
    int maxKeyLength = 32;
    int keyIndex = 0;
    int nullNames = 0;
    int precisionBits = 0;   // 0 is 32
    int precisionGiven = 0;  // /COORDPREC: was given
    int maxPoints = 2097152;
    int integrityTest = 1;
    int precisionCode = 7;
    // What a native input file says of itself: its coordinate precision (0
    // when unknown) and its description (none when it has none). A WLX
    // output keeps both.
    int inputPrecision = 0;
    std::optional<std::string> inputDescription;
    std::int32_t pointsWritten = 0;
    std::int32_t polylinesWritten = 0;
    std::int32_t polypolylinesWritten = 0;
    std::int32_t polygonsWritten = 0;
    std::int32_t polypolygonsWritten = 0;
    std::int32_t totalWritten = 0;
    std::int32_t metafilesCreated = 0;
    int blocksAsMetafiles = 0;
    int explodeBlocks = 0;
    int styleTables = 0;
    int xyColumns = 0;
    int inputIsDwg = 0;
    int warnings = 0;
    double generalizePercent = 100.0;
    CFeatureFilter filter;  // all kinds off until the command line is parsed
    CNameList tablesToExport;
    CReporterInterface* reporter = nullptr;
    std::unique_ptr<CCoordSysDescriptor> inputCoordSys;   // from the input file's metadata
    std::unique_ptr<CCoordSysDescriptor> outputCoordSys;  // from an existing output file's metadata
};
