#include "loader/FeatureRecord.h"

#include "loader/Utf8Text.h"

void CFeatureRecord::SetName(std::string_view name) {
    name_ = CutAtCharBoundary(name, kMaxText);
}

void CFeatureRecord::SetKey(std::string_view key) {
    key_ = CutAtCharBoundary(key, kMaxText);
}

void CFeatureRecord::SetLink(std::string_view link) {
    link_ = CutAtCharBoundary(link, kMaxText);
}

Status CFeatureRecord::GetGeometry(IWKBGeometry** geometry) const {
    if (geometry) *geometry = ComPtr<IWKBGeometry>(geometry_).Detach();
    return 0;
}

Status CFeatureRecord::SetGeometry(IWKBGeometry* geometry) {
    geometry_ = ComPtr<IWKBGeometry>::Share(geometry);
    return 0;
}

void CFeatureRecord::Clear() {
    name_.clear();
    key_.clear();
    link_.clear();
    geometry_.Reset();
}
