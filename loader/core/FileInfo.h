// What a reader knows about its input, for /INFO.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "loader/core/AttributeTable.h"
#include "loader/core/NamePatternList.h"

class CSpatialIndexInfo {
public:
    virtual ~CSpatialIndexInfo() = default;

    std::string version;  // the index's version number as text
    std::string description;
    int precision = 0;
    int maxEntries = 0;
    int minEntries = 0;
    int featureCount = 0;
    double extent[4] = {};  // root node: minimum x, minimum y, maximum x, maximum y
};

class CFileInfo {
public:
    // Longest description, version or coordinate-system key kept, in bytes.
    static constexpr std::size_t kMaxText = 1023;

    CFileInfo() = default;
    virtual ~CFileInfo() = default;

    // Each name is kept once (compared without regard to case).
    void AddLayer(std::string_view name);
    void AddBlock(std::string_view name);
    void SetPrecision(int precision) { precision_ = precision; }
    void SetFeatureCount(std::int32_t count) { featureCount_ = count; }
    void SetCoordSysKey(std::string_view key);
    void SetDescription(std::string_view description);
    void SetVersion(std::string_view version);
    // Replaces any earlier spatial-index part.
    void SetSpatialIndexInfo(std::string_view description, int version, std::int32_t featureCount,
                             int precision, const double extent[4], int maxEntries, int minEntries);

    // The reader fills it.
    CTableSchemaList& GetSchemaList() { return schemas_; }
    const CTableSchemaList& GetSchemaList() const { return schemas_; }
    const CNamePatternList& GetLayers() const { return layers_; }
    const CNamePatternList& GetBlocks() const { return blocks_; }
    int GetPrecision() const { return precision_; }
    std::int32_t GetFeatureCount() const { return featureCount_; }
    const std::string& GetCoordSysKey() const { return coordSysKey_; }
    const std::string& GetDescription() const { return description_; }
    const std::string& GetVersion() const { return version_; }
    const CSpatialIndexInfo* GetSpatialIndexInfo() const { return spatialIndex_.get(); }

private:
    CNamePatternList layers_;
    CNamePatternList blocks_;
    CTableSchemaList schemas_;
    int precision_ = 0;
    std::int32_t featureCount_ = 0;
    std::string coordSysKey_;
    std::string description_;
    std::string version_;
    std::unique_ptr<CSpatialIndexInfo> spatialIndex_;
};
