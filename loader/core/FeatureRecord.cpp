#include "loader/core/FeatureRecord.h"

#include "loader/core/SymbolMetafileWriter.h"
#include "loader/core/Utf8Text.h"

CFeatureRecord::CFeatureRecord() = default;

CFeatureRecord::~CFeatureRecord() {
    Clear();
}

CFeatureRecord::CFeatureRecord(CFeatureRecord&&) noexcept = default;

CFeatureRecord& CFeatureRecord::operator=(CFeatureRecord&& other) noexcept {
    if (this != &other) {
        Clear();
        name_ = std::move(other.name_);
        key_ = std::move(other.key_);
        link_ = std::move(other.link_);
        geometry_ = std::move(other.geometry_);
        attributes_ = std::move(other.attributes_);
        style_ = std::move(other.style_);
        symbolMetafile_ = std::move(other.symbolMetafile_);
    }
    return *this;
}

void CFeatureRecord::SetName(std::string_view name) {
    name_.assign(CutAtCharBoundary(name, kMaxText));
}

void CFeatureRecord::SetKey(std::string_view key) {
    key_.assign(CutAtCharBoundary(key, kMaxText));
}

void CFeatureRecord::SetLink(std::string_view link) {
    link_.assign(CutAtCharBoundary(link, kMaxText));
}

Status CFeatureRecord::GetGeometry(IWKBGeometry** geometry) const {
    if (!geometry) return kWlxInvalidParameter;
    *geometry = geometry_.Get();
    if (*geometry) (*geometry)->AddRef();
    return 0;
}

Status CFeatureRecord::SetGeometry(IWKBGeometry* geometry) {
    geometry_ = ComPtr<IWKBGeometry>::Share(geometry);
    return 0;
}

void CFeatureRecord::SetAttributes(std::unique_ptr<CAttributeValueSet> attributes) {
    attributes_ = std::move(attributes);
}

void CFeatureRecord::SetStyle(std::unique_ptr<CEntityStyle> style) {
    style_ = std::move(style);
}

void CFeatureRecord::SetSymbolMetafile(std::unique_ptr<CSymbolMetafileWriter> writer) {
    symbolMetafile_ = std::move(writer);
}

void CFeatureRecord::Clear() {
    name_.clear();
    key_.clear();
    link_.clear();
    geometry_.Reset();
    attributes_.reset();
    style_.reset();
    if (symbolMetafile_) {
        symbolMetafile_->CloseMetafile();
        symbolMetafile_.reset();
    }
}
