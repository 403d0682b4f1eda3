// A coverage workspace read through the coverage plug-in's reader: every
// cover loaded with polygon assembly, every entity of its sequence built and
// every row of its tables read, twice, as the loader walks them. The input is
// unpacked into a scratch workspace first (fuzz/CoverageWorkspace.h).
#include <filesystem>
#include <set>
#include <string>

#include "coverage/plugin/EsriReader.h"
#include "fuzz/CoverageWorkspace.h"

namespace fs = std::filesystem;

namespace {

// Bounds the walk of a cover whose counts the library accepted.
constexpr int kMaxPositions = 200000;

void Walk(CESRIReader& reader) {
    TFgnFmtErr err = kFgnOk;
    if (reader.Rewind() != kFgnOk) return;
    for (int n = 0; n < kMaxPositions && reader.Done(err) != kFgnTrue; ++n) {
        reader.GetCurrent(err);
        if (reader.Step() != kFgnOk) return;
    }
    for (reader.RewindTable(); reader.DoneTable(err) != kFgnTrue; reader.StepTable()) {
        CFgnTbl* table = reader.GetCurrentTable(err);
        if (table == nullptr) return;
        int n = 0;
        for (table->RewindRow(); n < kMaxPositions && table->DoneRow(err) != kFgnTrue;
             table->StepRow(), ++n)
            table->GetCurrentRow(err);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::ClearScratchDirectory();
    const fs::path workspace = fs::path(fuzz::ScratchDirectory()) / "ws";
    std::error_code error;
    fs::create_directories(workspace, error);
    for (const std::string& name : fuzz::UnpackWorkspace({data, size})) {
        CESRIReader reader(workspace.c_str(), name.c_str(), kFgnTrue);
        if (reader.LoadData() != kFgnOk) continue;
        Walk(reader);
        Walk(reader);
        reader.UnloadData();
    }
    return 0;
}
