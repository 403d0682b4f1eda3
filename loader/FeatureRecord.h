// The one object a reader fills and a writer consumes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "geometry/WkbGeometry.h"
#include "loader/Status.h"
#include "platform/ComPtr.h"

class CFeatureRecord {
public:
    // Longest name, key and link kept, in bytes (cut at a character boundary).
    static constexpr std::size_t kMaxText = 255;

    CFeatureRecord() = default;
    ~CFeatureRecord() { Clear(); }

    void SetName(std::string_view name);
    void SetKey(std::string_view key);
    void SetLink(std::string_view link);
    const char* GetName() const { return name_.c_str(); }
    const char* GetKey() const { return key_.c_str(); }
    const char* GetLink() const { return link_.c_str(); }

    // Hands out the geometry with one reference added (null when none).
    Status GetGeometry(IWKBGeometry** geometry) const;
    // Keeps the new geometry with a reference of its own.
    Status SetGeometry(IWKBGeometry* geometry);

    // Empties the texts and lets go of everything the record holds.
    void Clear();

private:
    std::string name_;
    std::string key_;
    std::string link_;
    ComPtr<IWKBGeometry> geometry_;
};
