#include "dgn/DgnRefAttach.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>
#include <system_error>

#include "dgn/DgnFileReader.h"
#include "dgn/DgnGlobal.h"
#include "dgn/DgnSettings.h"

namespace {

// A stored text field of `size` bytes, cut at its stated length and at a zero.
std::string Field(std::span<const std::uint8_t> bytes, std::uint16_t length) {
    std::string text(bytes.begin(), bytes.begin() + std::min<std::size_t>(length, bytes.size()));
    if (const std::size_t zero = text.find('\0'); zero != std::string::npos) text.resize(zero);
    return text;
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The path as the file system finds it; the text itself when it cannot.
std::string Canonical(const std::string& path) {
    std::error_code error;
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(path, error);
    return error ? path : canonical.string();
}

}  // namespace

namespace dgn {

std::vector<std::string> AttachmentCandidates(const std::string& spec, const std::string& holder) {
    const std::size_t slash = spec.find_last_of("/\\");
    const bool drive = spec.size() >= 2 && spec[1] == ':';
    const std::string name = spec.substr(slash == std::string::npos ? (drive ? 2 : 0) : slash + 1);
    const std::size_t holderSlash = holder.find_last_of("/\\");
    const std::string beside =
        (holderSlash == std::string::npos ? std::string() : holder.substr(0, holderSlash + 1)) +
        name;
    if (slash != std::string::npos || drive) return {spec, beside};
    return {beside, spec};
}

bool AlreadyOpen(const std::string& path, const std::list<std::string>& openFiles) {
    const std::string canonical = Lower(Canonical(path));
    return std::any_of(openFiles.begin(), openFiles.end(), [&](const std::string& open) {
        return Lower(Canonical(open)) == canonical;
    });
}

}  // namespace dgn

CDgnRefAttach::CDgnRefAttach(const CByteSource& design, std::uint64_t offset, CDgnGlobal* global,
                             std::string holder, std::list<std::string> openFiles)
    : CDgnInstance(design, offset, global),
      holder_(std::move(holder)),
      openFiles_(std::move(openFiles)) {}

TFgnBool CDgnRefAttach::IsXRef(TFgnFmtErr& err) const {
    err = kFgnOk;
    return kFgnTrue;
}

TFgnFmtErr CDgnRefAttach::ReadElement() {
    if (Mode() != kModeRead) return kFgnIncomplete;
    if (const TFgnFmtErr status = ReadHeader()) return status;
    SetLayer("0");
    if (const TFgnFmtErr status = ReadFields()) return status;
    MakeStyle();
    if (const TFgnFmtErr status = ReadAttached()) return status;
    SetComplete();
    return kFgnOk;
}

TFgnFmtErr CDgnRefAttach::ReadFields() {
    const std::uint16_t specLength = ReadWord();
    fileSpec_ = Field(ReadBytes(dgn::kFileSpecSize), specLength);
    flagByte_ = ReadByte();
    flags_[0] = ReadWord();
    flags_[1] = ReadWord();
    // These flags mark a body laid out one byte earlier from here on.
    if ((flags_[0] >> 8) != 0 && (flags_[1] & ~0x7u) != 0 && ReadOk())
        SeekInElement(dgn::kHeaderSize + 2 + dgn::kFileSpecSize + 1 + 4 - 1);
    ReadBytes(16);
    ReadBytes(64);
    for (int i = 0; i < 3; ++i) ReadLong();
    const int axes = ThreeD() ? 3 : 2;
    for (int row = 0; row < axes; ++row)
        for (int column = 0; column < axes; ++column) matrix_[row][column] = ReadDouble();
    if (!ThreeD())
        for (int i = 0; i < 5; ++i) ReadDouble();
    scale_ = ReadDouble();
    const double units = Factors()->UnitsPerMaster();
    const double ox = ReadLong(), oy = ReadLong(), oz = ReadLong();
    insert_ = CDgnPt(ox / units, oy / units, ThreeD() ? oz / units : 0.0);
    const std::uint16_t nameLength = ReadWord();
    logicalName_ = Field(ReadBytes(22), nameLength);
    if (logicalName_.find_first_not_of(' ') == std::string::npos) logicalName_ = "NullName";
    const std::uint16_t descriptionLength = ReadWord();
    description_ = Field(ReadBytes(42), descriptionLength);
    ReadWord();
    ReadBytes(126);
    ReadLong();
    clipCount_ = ReadWord();
    if (!ReadOk() || std::size_t(clipCount_) * 8 > Remaining()) return kFgnIncomplete;
    CDgnGlobal& global = *Factors();
    for (std::uint16_t i = 0; i < clipCount_; ++i) {
        const double x = ReadLong(), y = ReadLong();
        points_.Add(CDgnPt(global.ToMaster(x, 0), global.ToMaster(y, 1), 0));
    }
    return ReadStatus();
}

TFgnFmtErr CDgnRefAttach::ReadAttached() {
    // A chain of attachments ends at the depth the loader can nest.
    if (openFiles_.size() >= dgn::kMaxAttachmentDepth) return kFgnNotLoaded;
    const std::string settings = iniFile.GetFile();
    std::unique_ptr<CDgnFileReader> nested;
    for (const std::string& candidate : dgn::AttachmentCandidates(fileSpec_, holder_)) {
        if (dgn::AlreadyOpen(candidate, openFiles_)) return kFgnNotLoaded;
        nested = std::make_unique<CDgnFileReader>(candidate.c_str(), settings.c_str(), openFiles_);
        if (nested->LoadData() == kFgnOk) break;
        nested.reset();
    }
    // The nested reader took the settings path over; it stays this reader's.
    iniFile.SetFile(settings.c_str());
    if (!nested) return kFgnNotLoaded;
    block_ = std::make_unique<CDgnBlk>(logicalName_.c_str(), fileSpec_.c_str(), 1);
    // The attached design's coordinates in this design's units.
    nested->Factors()->SetUnitsPerMaster(Factors()->UnitsPerMaster());
    TFgnFmtErr err = kFgnOk;
    for (nested->Rewind(); !nested->Done(err); nested->Step()) {
        const CFgnEntity* entity = nested->GetCurrent(err, kFgnTrue);
        if (err != kFgnOk || !entity) {
            refusedInside_ = true;
            continue;
        }
        nested->NullCurrentEntity();
        if (const TFgnFmtErr status = block_->AddEntity(entity)) return status;
    }
    attachedGlobal_ = nested->TakeFactors();
    return kFgnOk;
}
