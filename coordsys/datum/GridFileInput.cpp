#include "coordsys/datum/GridFileInput.h"

#include "coordsys/core/CsCore.h"
#include "coordsys/datum/DatumErrors.h"
#include "platform/FileCase.h"

std::unique_ptr<CByteSource> CS_openGridSource(const std::string& path) {
    const std::string resolved = ResolveFileCase(path);
    if (resolved.empty()) return nullptr;
    return CFileByteSource::Open(resolved);
}

CGridFileInput::CGridFileInput(std::string path) : path_(std::move(path)) {}

CGridFileInput::CGridFileInput(std::string name, std::span<const std::uint8_t> bytes)
    : path_(std::move(name)), memory_(bytes), inMemory_(true) {}

int CGridFileInput::Open() {
    if (source_) return 0;
    if (inMemory_) {
        source_ = std::make_unique<CMemoryByteSource>(memory_);
    } else {
        source_ = CS_openGridSource(path_);
    }
    return source_ ? 0 : Fail(kCsErrShiftFileOpen);
}

int CGridFileInput::Read(std::uint64_t offset, void* out, std::size_t count) const {
    if (!source_ || !source_->Contains(offset, count)) return Fail(kCsErrCorrupt);
    return source_->ReadAt(offset, out, count) ? 0 : Fail(kCsErrIo);
}

int CGridFileInput::Fail(int code) const {
    return CS_failWith(code, path_.c_str());
}

int CGridWindow::Load(const CGridFileInput& input, std::uint64_t start, std::size_t length) {
    bytes_.resize(length);
    start_ = start;
    if (input.Read(start, bytes_.data(), length) == 0) return 0;
    bytes_.clear();
    return -1;
}

void CGridWindow::Clear() {
    bytes_.clear();
    bytes_.shrink_to_fit();
    start_ = 0;
}

std::string CS_gridFileStem(const std::string& path, std::size_t keep) {
    const std::size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (const std::size_t dot = name.rfind('.'); dot != std::string::npos) name.resize(dot);
    return name.size() > keep ? name.substr(name.size() - keep) : name;
}
