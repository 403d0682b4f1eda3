// A coverage workspace read by the coverage library: every cover opened with
// its attribute tables and every record of every kind decoded. The library
// only opens files, so the input is unpacked into a scratch workspace first
// (fuzz/CoverageWorkspace.h).
#include <filesystem>
#include <set>
#include <string>

#include "coverage/lib/Tamrec.h"
#include "fuzz/CoverageWorkspace.h"

namespace fs = std::filesystem;

namespace {

void ReadCover(tamrec_workspace* workspace, const std::string& name) {
    tamrec_cover* cover = nullptr;
    if (tamrec_open_cover(name.c_str(), workspace, &cover) != 0) return;
    if (tamrec_open_cover_file(cover, kTamrecAllKinds, 1) == 0) {
        for (int kind = kTamrecArcs; kind <= kTamrecBounds; ++kind) {
            const std::int32_t count = std::min(cover->record_count[kind], 100000);
            for (std::int32_t n = 1; n <= count; ++n) tamrec_read_record(cover, kind, n);
        }
    }
    tamrec_close_cover(&cover);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::ClearScratchDirectory();
    const fs::path workspace = fs::path(fuzz::ScratchDirectory()) / "ws";
    std::error_code error;
    fs::create_directories(workspace, error);
    const std::set<std::string> covers = fuzz::UnpackWorkspace({data, size});
    tamrec_workspace* ws = nullptr;
    if (tamrec_open_ws(workspace.c_str(), &ws) == 0) {
        for (const std::string& name : covers) ReadCover(ws, name);
    }
    tamrec_close_ws(&ws);
    return 0;
}
