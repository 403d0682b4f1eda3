// A foreign-reader plug-in loaded as the loader loads it: lib<Name>.so from
// the test programs' directory through the one dynamic-library layer, its two
// entry points bound by name, every reader reached through the contract alone.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "foreign/Foreign.h"
#include "platform/DynamicLibrary.h"
#include "testing/TestSupport.h"

namespace wlxtest {

class CPluginLibrary {
public:
    explicit CPluginLibrary(const std::string& name)
        : module_(LoadLibraryA((BinDir() / DynamicLibraryFileName(name)).c_str())) {
        if (!module_) return;
        create_ =
            reinterpret_cast<FgnCreateReaderFn>(GetProcAddress(module_, kFgnCreateReaderName));
        destroy_ =
            reinterpret_cast<FgnDestroyReaderFn>(GetProcAddress(module_, kFgnDestroyReaderName));
    }
    ~CPluginLibrary() {
        if (module_) FreeLibrary(module_);
    }
    CPluginLibrary(const CPluginLibrary&) = delete;
    CPluginLibrary& operator=(const CPluginLibrary&) = delete;

    bool Loaded() const { return module_ != nullptr; }
    bool Bound() const { return create_ && destroy_; }
    FgnCreateReaderFn create() const { return create_; }
    FgnDestroyReaderFn destroy() const { return destroy_; }

    // A reader the plug-in destroys; null when it refused to open `path`.
    using Reader = std::unique_ptr<CFgnReader, std::function<void(CFgnReader*)>>;
    Reader Create(const std::string& path, const std::string& settings) const {
        return Reader(create_(path.c_str(), settings.c_str(), kFgnTrue), destroy_);
    }

private:
    HMODULE module_;
    FgnCreateReaderFn create_ = nullptr;
    FgnDestroyReaderFn destroy_ = nullptr;
};

}  // namespace wlxtest
