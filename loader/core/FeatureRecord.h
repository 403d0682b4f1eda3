// The one object a reader fills and a writer consumes: name, key and link,
// one reference to its geometry, and the attribute rows, style and block
// symbol it owns.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "common/Status.h"
#include "geometry/WkbGeometry.h"
#include "loader/core/AttributeTable.h"
#include "loader/core/EntityStyle.h"
#include "platform/ComPtr.h"

class CSymbolMetafileWriter;

class CFeatureRecord {
public:
    // Names, keys and links keep at most this many bytes.
    static constexpr std::size_t kMaxText = 255;

    CFeatureRecord();
    ~CFeatureRecord();
    // A symbol metafile is one open file: records move, they are not copied.
    CFeatureRecord(const CFeatureRecord&) = delete;
    CFeatureRecord& operator=(const CFeatureRecord&) = delete;
    CFeatureRecord(CFeatureRecord&&) noexcept;
    CFeatureRecord& operator=(CFeatureRecord&&) noexcept;

    // Copies at most kMaxText bytes, never cutting a UTF-8 character.
    void SetName(std::string_view name);
    void SetKey(std::string_view key);
    void SetLink(std::string_view link);
    const char* GetName() const { return name_.c_str(); }
    const char* GetKey() const { return key_.c_str(); }
    const char* GetLink() const { return link_.c_str(); }

    // Hands out the geometry with a reference added for the caller (null when none).
    Status GetGeometry(IWKBGeometry** geometry) const;
    // Keeps the geometry with a reference of its own; releases the one held before.
    Status SetGeometry(IWKBGeometry* geometry);
    // The geometry without a reference for the caller; valid while the record holds it.
    IWKBGeometry* PeekGeometry() const { return geometry_.Get(); }

    // The setters delete what the record held before and own what they get.
    CAttributeValueSet* GetAttributes() const { return attributes_.get(); }
    void SetAttributes(std::unique_ptr<CAttributeValueSet> attributes);
    CEntityStyle* GetStyle() const { return style_.get(); }
    void SetStyle(std::unique_ptr<CEntityStyle> style);
    CSymbolMetafileWriter* GetSymbolMetafile() const { return symbolMetafile_.get(); }
    void SetSymbolMetafile(std::unique_ptr<CSymbolMetafileWriter> writer);

    // Empties the texts, releases the geometry, deletes the attribute rows and
    // the style, and completes and deletes the symbol metafile.
    void Clear();

private:
    std::string name_;
    std::string key_;
    std::string link_;
    ComPtr<IWKBGeometry> geometry_;
    std::unique_ptr<CAttributeValueSet> attributes_;
    std::unique_ptr<CEntityStyle> style_;
    std::unique_ptr<CSymbolMetafileWriter> symbolMetafile_;
};
