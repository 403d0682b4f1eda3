#include "dgn/DgnFileReader.h"

#include <algorithm>

#include "dgn/DgnCellElements.h"
#include "dgn/DgnComplexElements.h"
#include "dgn/DgnGuard.h"
#include "dgn/DgnRefAttach.h"
#include "dgn/DgnSettings.h"
#include "dgn/DgnSimpleElements.h"
#include "dgn/DgnTextElements.h"

namespace {

using ElementFactory = std::unique_ptr<CDgnElement> (*)(const CByteSource&, std::uint64_t,
                                                        CDgnGlobal*);

template <class T>
std::unique_ptr<CDgnElement> Make(const CByteSource& design, std::uint64_t offset,
                                  CDgnGlobal* global) {
    return std::make_unique<T>(design, offset, global);
}

// The element class of each type the reader decodes.
struct SElementKind {
    std::uint8_t type;
    ElementFactory make;
};
constexpr SElementKind kElementKinds[] = {
    {dgn::kTypeCell, Make<CDgnBlkInst>},       {dgn::kTypeTextNode, Make<CDgnTNode>},
    {dgn::kTypeLine, Make<CDgnLine>},          {dgn::kTypeLineString, Make<CDgnPline>},
    {dgn::kTypeShape, Make<CDgnShape>},        {dgn::kTypeCurve, Make<CDgnPline>},
    {dgn::kTypeEllipse, Make<CDgnEllipse>},    {dgn::kTypeArc, Make<CDgnArc>},
    {dgn::kTypePointString, Make<CDgnPoint>},  {dgn::kTypeComplexChain, Make<CDgnCPline>},
    {dgn::kTypeComplexShape, Make<CDgnCPoly>}, {dgn::kTypeText, Make<CDgnText>},
};

// The file name without directory and extension.
std::string TableName(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

constexpr const char* kColumns[] = {"Key", "Class", "Group", "Level", "EntityNum", "MSLink"};

}  // namespace

CDgnFileReader::CDgnFileReader(const char* path, const char* settings)
    : CDgnFileReader(path, settings, {}) {}

CDgnFileReader::CDgnFileReader(const char* path, const char* settings,
                               const std::list<std::string>& openFiles)
    : path_(path ? path : ""), openFiles_(openFiles) {
    openFiles_.push_back(path_);
    iniFile.SetFile(dgn::SettingsFilePath(settings).c_str());
}

CDgnFileReader::CDgnFileReader(std::unique_ptr<CByteSource> design, const char* path,
                               const char* settings)
    : CDgnFileReader(path, settings) {
    given_ = std::move(design);
}

CDgnFileReader::~CDgnFileReader() = default;

TFgnFmtErr CDgnFileReader::LoadData() {
    return dgn::GuardStatus([&] {
        if (!design_) {
            if (given_) {
                design_ = given_.get();
            } else {
                file_ = CFileByteSource::Open(path_);
                if (!file_) return kFgnNotLoaded;
                design_ = file_.get();
            }
        }
        iniFile.Refresh();
        current_.reset();
        table_ = std::make_unique<CDgnTbl>(TableName(path_).c_str(), kFgnTrue);
        for (const char* column : kColumns)
            table_->AddClmnInt4(column, FgnBool(column == kColumns[0]), kFgnFalse);
        tableCursor_ = true;
        offsets_.assign(1, 0);
        cursor_ = 0;
        global_ = std::make_unique<CDgnGlobal>(*design_);
        if (const TFgnFmtErr status = global_->ReadElement()) {
            table_.reset();
            global_.reset();
            offsets_.clear();
            tableCursor_ = false;
            return status;
        }
        linkageMethod_ = dgn::LinkageMethodFromText(
            iniFile.Read(dgn::kSectionAttributeMethod, dgn::kKeyInterpretMethod,
                         dgn::kDefaultInterpretMethod, 128));
        const TFgnFmtErr status = IndexElements(global_->Header().Length());
        Rewind();
        return status;
    });
}

TFgnFmtErr CDgnFileReader::IndexElements(std::uint64_t position) {
    const std::uint64_t size = design_->Size();
    while (position < size) {
        std::uint8_t head[dgn::kHeaderSize] = {};
        const auto have =
            static_cast<std::size_t>(std::min<std::uint64_t>(dgn::kHeaderSize, size - position));
        // Fewer than four bytes cannot begin an element.
        if (have < 4) break;
        if (!design_->ReadAt(position, head, have)) return kFgnNotLoaded;
        if (byteorder::LoadU16Le(head) == dgn::kEndOfDesign) break;
        dgn::SDgnHeader header = dgn::DecodeFirstWord(byteorder::LoadU16Le(head));
        header.wordsToFollow = byteorder::LoadU16Le(head + 2);
        const bool wholeHeader = have == dgn::kHeaderSize && header.Length() >= dgn::kHeaderSize;
        if (wholeHeader)
            header = dgn::DecodeHeader(std::span<const std::uint8_t, dgn::kHeaderSize>(head));
        if (dgn::KnownType(header)) {
            offsets_.push_back(position);
            AddRows(position, header, wholeHeader);
        }
        std::uint64_t limit = UINT64_MAX;
        // Cells, text nodes and complex chains and shapes state their length
        // after the header: a following element flagged complex is not theirs.
        std::uint8_t total[2];
        if (dgn::HasStatedLength(header.type) && header.Length() >= dgn::kHeaderSize + 2 &&
            design_->ReadAt(position + dgn::kHeaderSize, total, sizeof total))
            limit =
                position + dgn::kHeaderSize + 2 + 2 * std::uint64_t(byteorder::LoadU16Le(total));
        position += header.Length();
        if (dgn::HasComponents(header.type)) position = SkipComponents(position, limit);
    }
    return kFgnOk;
}

void CDgnFileReader::AddRows(std::uint64_t position, const dgn::SDgnHeader& header,
                             bool wholeHeader) {
    std::vector<dgn::SDgnLinkage> linkages;
    if (wholeHeader && header.HasAttributes()) {
        // The linkage area ends with the element, and with the design.
        const std::uint64_t end =
            std::min<std::uint64_t>(header.Length(), design_->Size() - position);
        const std::uint64_t start = header.AttributeOffset();
        if (start < end)
            if (const auto area = design_->Read(position + start, std::size_t(end - start)))
                linkages = dgn::DecodeLinkages(*area, linkageMethod_);
    }
    if (linkages.empty()) linkages.push_back({});
    const auto key = static_cast<std::int32_t>(position);
    for (const dgn::SDgnLinkage& linkage : linkages)
        table_->AddRow({key, std::int32_t(wholeHeader ? header.Class() : 0),
                        std::int32_t(wholeHeader ? header.graphicGroup : 0),
                        std::int32_t(header.level),
                        std::int32_t(static_cast<std::int16_t>(linkage.entityNumber)),
                        static_cast<std::int32_t>(linkage.linkNumber)});
}

std::uint64_t CDgnFileReader::SkipComponents(std::uint64_t position, std::uint64_t limit) const {
    std::uint8_t first[4];
    while (position < limit && design_->ReadAt(position, first, sizeof first)) {
        const std::uint16_t word = byteorder::LoadU16Le(first);
        if (word == dgn::kEndOfDesign || !dgn::DecodeFirstWord(word).complex) break;
        position += 4 + 2 * std::uint64_t(byteorder::LoadU16Le(first + 2));
    }
    return position;
}

TFgnFmtErr CDgnFileReader::UnloadData() {
    current_.reset();
    file_.reset();
    design_ = nullptr;
    offsets_.clear();
    cursor_ = 0;
    table_.reset();
    tableCursor_ = false;
    return kFgnOk;
}

TFgnFmt CDgnFileReader::GetDataFormat(TFgnFmtErr& err) {
    err = global_ ? kFgnOk : kFgnNotLoaded;
    return kFgnFmtNative;
}

TFgnDimension CDgnFileReader::GetDimension(TFgnFmtErr& err) {
    err = global_ ? kFgnOk : kFgnNotLoaded;
    return global_ && !global_->TwoD() ? kFgn3d : kFgn2d;
}

TFgnPrecision CDgnFileReader::GetDataPrecision(TFgnFmtErr& err) {
    err = global_ ? kFgnOk : kFgnNotLoaded;
    return kFgnDouble;
}

char const* CDgnFileReader::GetCoordSys(TFgnFmtErr& err) {
    err = global_ ? kFgnOk : kFgnNotLoaded;
    return nullptr;
}

TFgnFmtErr CDgnFileReader::GetExtents(double& xmin, double& xmax, double& ymin, double& ymax) {
    if (!global_) return kFgnNotLoaded;
    xmin = global_->RangeLow().X();
    xmax = global_->RangeHigh().X();
    ymin = global_->RangeLow().Y();
    ymax = global_->RangeHigh().Y();
    return kFgnOk;
}

TFgnFmtErr CDgnFileReader::Rewind() {
    if (!design_) return kFgnNotLoaded;
    cursor_ = 1;
    refusalPending_ = refusalShown_ = false;
    return kFgnOk;
}

TFgnBool CDgnFileReader::Done(TFgnFmtErr& err) {
    err = kFgnOk;
    return FgnBool(cursor_ >= offsets_.size());
}

TFgnFmtErr CDgnFileReader::Step() {
    if (offsets_.empty() || cursor_ > offsets_.size()) return kFgnNotLoaded;
    if (refusalPending_) {
        refusalPending_ = false;
        refusalShown_ = true;
        return kFgnOk;
    }
    refusalShown_ = false;
    ++cursor_;
    return kFgnOk;
}

CFgnTbl* CDgnFileReader::GetCurrentTable(TFgnFmtErr& err) {
    if (!tableCursor_ || !table_) {
        err = kFgnIncomplete;
        return nullptr;
    }
    err = kFgnOk;
    return table_.get();
}

TFgnFmtErr CDgnFileReader::RewindTable() {
    if (!table_) return kFgnNotLoaded;
    tableCursor_ = true;
    return kFgnOk;
}

TFgnFmtErr CDgnFileReader::StepTable() {
    tableCursor_ = false;
    return kFgnOk;
}

TFgnBool CDgnFileReader::DoneTable(TFgnFmtErr& err) {
    err = kFgnOk;
    return FgnBool(!tableCursor_ || !table_);
}

std::unique_ptr<CDgnGlobal> CDgnFileReader::TakeFactors() {
    return std::move(global_);
}

void CDgnFileReader::NullCurrentEntity() {
    [[maybe_unused]] CDgnElement* taken = current_.release();
}

const CFgnEntity* CDgnFileReader::GetCurrent(TFgnFmtErr& err, TFgnBool replace) {
    if (replace)
        current_.reset();
    else
        NullCurrentEntity();
    if (!design_ || cursor_ >= offsets_.size()) {
        err = kFgnNotLoaded;
        return nullptr;
    }
    if (refusalShown_) {
        err = kFgnIncomplete;
        return nullptr;
    }
    return dgn::GuardValue(
        err, static_cast<const CFgnEntity*>(nullptr), [&]() -> const CFgnEntity* {
            const std::uint64_t offset = offsets_[cursor_];
            std::uint8_t first[2];
            if (!design_->ReadAt(offset, first, sizeof first)) {
                err = kFgnNotLoaded;
                return nullptr;
            }
            const std::uint8_t type = dgn::DecodeFirstWord(byteorder::LoadU16Le(first)).type;
            if (type == dgn::kTypeRefAttachmentOld || type == dgn::kTypeRefAttachment)
                return Attachment(offset, err);
            const auto kind =
                std::find_if(std::begin(kElementKinds), std::end(kElementKinds),
                             [type](const SElementKind& k) { return k.type == type; });
            err = kFgnOk;
            if (kind == std::end(kElementKinds)) return nullptr;
            std::unique_ptr<CDgnElement> element = kind->make(*design_, offset, global_.get());
            if (const TFgnFmtErr status = element->ReadElement()) {
                err = status;
                return nullptr;
            }
            if (!element->IsPlaneRotation()) {
                err = kFgnIncomplete;
                return nullptr;
            }
            if (type == dgn::kTypeLine) {
                const auto& line = static_cast<const CDgnLine&>(*element);
                if (line.Start() == line.End()) element = std::make_unique<CDgnPoint>(line);
            }
            current_ = std::move(element);
            return current_->Entity();
        });
}

const CFgnEntity* CDgnFileReader::Attachment(std::uint64_t offset, TFgnFmtErr& err) {
    auto attachment =
        std::make_unique<CDgnRefAttach>(*design_, offset, global_.get(), path_, openFiles_);
    // A loop, a design not found or a damaged body: the attachment is refused.
    const bool read = attachment->ReadElement() == kFgnOk;
    const CDgnBlk* block = attachment->Block();
    TFgnFmtErr status = kFgnIncomplete;
    if (read && block && !block->Entities().empty() && attachment->IsPlaneRotation())
        status = kFgnOk;
    refusalPending_ = status == kFgnOk && attachment->RefusedInside();
    current_ = std::move(attachment);
    err = status;
    return current_->Entity();
}
