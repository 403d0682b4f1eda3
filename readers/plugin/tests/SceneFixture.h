// Tests of the plug-in reader over the scene plug-in (libFgnScene.so, built
// beside the tests), which serves a scene written in its text format.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/DynamicLibrary.h"
#include "readers/plugin/ForeignReader.h"
#include "testing/ReaderFixture.h"
#include "testing/TestSupport.h"

namespace scenetest {

inline constexpr char kSceneLibrary[] = "FgnScene";

// The plug-in's own reader of a scene, bound without the loader.
class CScenePlugin {
public:
    explicit CScenePlugin(const std::string& file)
        : module_(LoadLibraryA(kSceneLibrary)),
          create_(
              reinterpret_cast<FgnCreateReaderFn>(GetProcAddress(module_, kFgnCreateReaderName))),
          destroy_(reinterpret_cast<FgnDestroyReaderFn>(
              GetProcAddress(module_, kFgnDestroyReaderName))) {
        if (create_) reader_ = create_(file.c_str(), "", kFgnTrue);
        if (reader_) loaded_ = reader_->LoadData() == kFgnOk;
    }
    ~CScenePlugin() {
        if (reader_) {
            reader_->UnloadData();
            destroy_(reader_);
        }
        if (module_) FreeLibrary(module_);
    }
    CScenePlugin(const CScenePlugin&) = delete;
    CScenePlugin& operator=(const CScenePlugin&) = delete;

    bool Loaded() const { return loaded_; }
    CFgnReader* Reader() const { return reader_; }
    // The table at `position` of the reader's sequence.
    CFgnTbl* Table(int position) const {
        TFgnFmtErr err = kFgnOk;
        if (reader_->RewindTable() != kFgnOk) return nullptr;
        for (int i = 0; i < position; ++i)
            if (reader_->StepTable() != kFgnOk) return nullptr;
        return reader_->GetCurrentTable(err);
    }

private:
    HMODULE module_;
    FgnCreateReaderFn create_;
    FgnDestroyReaderFn destroy_;
    CFgnReader* reader_ = nullptr;
    bool loaded_ = false;
};

class SceneTest : public wlxtest::ReaderTest {
protected:
    std::string WriteScene(const std::string& text, const std::string& name = "scene.fgn") {
        const auto path = dir / name;
        wlxtest::WriteText(path, text);
        return path.string();
    }
    // A plug-in reader over the scene, bound as the DGN plug-in is unless `dgn` is false.
    std::unique_ptr<CForeignReader> OpenScene(const std::string& text, Status expected = 0,
                                              bool dgn = true, const std::string& second = "") {
        return OpenFile(WriteScene(text), expected, dgn, second);
    }
    std::unique_ptr<CForeignReader> OpenFile(const std::string& file, Status expected = 0,
                                             bool dgn = true, const std::string& second = "",
                                             const std::string& library = kSceneLibrary) {
        settings.inputName = file;
        settings.inputType = dgn ? 'D' : 'V';
        Status status = 12345;
        auto reader = std::make_unique<CForeignReader>(&settings, &status,
                                                       SForeignLibrary{library, file, second, dgn});
        EXPECT_EQ(status, expected) << file;
        return reader;
    }

    wlxtest::TempDir dir;
};

}  // namespace scenetest
