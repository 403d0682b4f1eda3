#include "readers/drawing/DrawingDatabase.h"

#include <cerrno>

#include "readers/drawing/DxfLoader.h"

namespace drawing {

std::string FoldName(std::string_view name) {
    std::string folded(name);
    for (char& c : folded) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return folded;
}

XDataChain CObject::XData(std::string_view application) const {
    return xdata_ ? XDataOf(*xdata_, application) : XDataChain{};
}

const CDictionary* CObject::AsDictionary() const {
    return dynamic_cast<const CDictionary*>(this);
}

std::uint64_t CDictionary::Find(std::string_view name) const {
    const std::string folded = FoldName(name);
    for (const Entry& entry : entries_) {
        if (FoldName(entry.name) == folded) return entry.handle;
    }
    return 0;
}

CDatabase::CDatabase() {
    Clear();
}

CDatabase::~CDatabase() = default;

void CDatabase::Clear() {
    binary_ = false;
    acadVersion_ = "AC1009";
    originalVersion_ = 16;
    codePage_.clear();
    blocks_.clear();
    layers_.clear();
    styles_.clear();
    objects_.clear();
    blockIndex_.clear();
    layerIndex_.clear();
    styleIndex_.clear();
    objectIndex_.clear();
    namedObjects_ = nullptr;
    names_.clear();
    for (const char* name : {"*Model_Space", "*Paper_Space"}) {
        auto layout = std::make_unique<CBlockRecord>();
        layout->name_ = name;
        blockIndex_.emplace(FoldName(name), blocks_.size());
        blocks_.push_back(std::move(layout));
    }
}

const std::string* CDatabase::Intern(std::string_view text) {
    return &*names_.emplace(text).first;
}

EOpenStatus CDatabase::ReadDxf(const CByteSource& source) {
    Clear();
    lastError_.clear();
    CDxfLoader loader(*this, source);
    if (!loader.Load(lastError_)) {
        const std::string error = lastError_;
        Clear();
        lastError_ = error;
        return EOpenStatus::kCannotOpen;
    }
    return EOpenStatus::kOk;
}

EOpenStatus CDatabase::ReadDxfFile(const std::string& path) {
    errno = 0;
    const auto source = CFileByteSource::Open(path);
    if (!source) {
        const bool denied = errno == EACCES || errno == EPERM;
        Clear();
        lastError_ = path + (denied ? ": read access denied" : ": the file cannot be opened");
        return denied ? EOpenStatus::kAccessDenied : EOpenStatus::kCannotOpen;
    }
    return ReadDxf(*source);
}

const CBlockRecord* CDatabase::FindBlock(std::string_view name) const {
    const auto found = blockIndex_.find(FoldName(name));
    if (found != blockIndex_.end()) return blocks_[found->second].get();
    const std::string folded = FoldName(name);
    if (folded == "$MODEL_SPACE") return blocks_[0].get();
    if (folded == "$PAPER_SPACE") return blocks_[1].get();
    return nullptr;
}

const CLayerRecord* CDatabase::FindLayer(std::string_view name) const {
    const auto found = layerIndex_.find(FoldName(name));
    return found == layerIndex_.end() ? nullptr : layers_[found->second].get();
}

const CTextStyleRecord* CDatabase::FindTextStyle(std::string_view name) const {
    const auto found = styleIndex_.find(FoldName(name));
    return found == styleIndex_.end() ? nullptr : styles_[found->second].get();
}

const CObject* CDatabase::FindObject(std::uint64_t handle) const {
    const auto found = objectIndex_.find(handle);
    return found == objectIndex_.end() ? nullptr : found->second;
}

}  // namespace drawing
