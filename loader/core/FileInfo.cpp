#include "loader/core/FileInfo.h"

#include "loader/core/Utf8Text.h"

void CFileInfo::AddLayer(std::string_view name) {
    if (!layers_.Contains(name, false)) layers_.Add(name);
}

void CFileInfo::AddBlock(std::string_view name) {
    if (!blocks_.Contains(name, false)) blocks_.Add(name);
}

void CFileInfo::SetCoordSysKey(std::string_view key) {
    coordSysKey_ = CutAtCharBoundary(key, kMaxText);
}

void CFileInfo::SetDescription(std::string_view description) {
    description_ = CutAtCharBoundary(description, kMaxText);
}

void CFileInfo::SetVersion(std::string_view version) {
    version_ = CutAtCharBoundary(version, kMaxText);
}

void CFileInfo::SetSpatialIndexInfo(std::string_view description, int version,
                                    std::int32_t featureCount, int precision,
                                    const double extent[4], int maxEntries, int minEntries) {
    auto info = std::make_unique<CSpatialIndexInfo>();
    info->version = std::to_string(version);
    info->description = CutAtCharBoundary(description, kMaxText);
    info->featureCount = featureCount;
    info->precision = precision;
    for (int i = 0; i < 4; ++i) info->extent[i] = extent[i];
    info->maxEntries = maxEntries;
    info->minEntries = minEntries;
    spatialIndex_ = std::move(info);
}
