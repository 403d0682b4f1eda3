#include "coverage/plugin/EsriReader.h"

#include <cmath>
#include <limits>
#include <new>
#include <vector>

#include "coverage/plugin/EsriEntity.h"
#include "coverage/plugin/EsriModule.h"
#include "coverage/plugin/EsriPathCheck.h"

namespace {

// The library's failure as the contract's: memory apart from the rest.
TFgnFmtErr LibraryFailure() {
    return tamrec_last_error_code() == kTamrecErrorNoMemory ? kFgnNoMemory : kFgnNotLoaded;
}

struct SWalkedArc {
    tamrec_record_arc arc;
    bool backward;
    std::int32_t start, end;  // nodes in walking order
};

// Arc `number` of a polygon's list into `walked`; false when it cannot be read.
bool ReadArc(tamrec_cover* cover, std::int32_t number, SWalkedArc& walked) {
    if (number == 0 || number == std::numeric_limits<std::int32_t>::min()) return false;
    if (tamrec_read_record(cover, kTamrecArcs, number < 0 ? -number : number) != 0) return false;
    walked.arc = cover->arc;
    walked.backward = number < 0;
    walked.start = walked.backward ? walked.arc.to_node : walked.arc.from_node;
    walked.end = walked.backward ? walked.arc.from_node : walked.arc.to_node;
    return true;
}

}  // namespace

CESRIReader::CESRIReader(const char* workspace, const char* cover, TFgnBool assemble)
    : hasCoverName_(cover != nullptr),
      hasWorkspacePath_(workspace != nullptr),
      coverName_(cover != nullptr ? cover : ""),
      workspacePath_(workspace != nullptr ? workspace : ""),
      assemble_(assemble) {}

CESRIReader::CESRIReader(const char* workspace, const char* cover)
    : CESRIReader(workspace, cover, kFgnFalse) {}

CESRIReader::~CESRIReader() {
    if (cover_ != nullptr) UnloadData();
}

void CESRIReader::Close() {
    currentEntity_.reset();
    currentTable_.reset();
    tamrec_close_cover(&cover_);
    tamrec_close_ws(&workspace_);
    arcCount_ = textCount_ = pointCount_ = polygonCount_ = ticCount_ = centroidCount_ = 0;
    hasArcTable_ = hasPolygonTable_ = false;
    islands_.clear();
    cursor_ = 1;
}

TFgnFmtErr CESRIReader::LoadData() {
    if (cover_ != nullptr) return kFgnOk;
    try {
        if (!hasWorkspacePath_ || !hasCoverName_ ||
            tamrec_open_ws(workspacePath_.c_str(), &workspace_) != 0)
            return LibraryFailure();
        if (tamrec_open_cover(coverName_.c_str(), workspace_, &cover_) != 0) {
            const TFgnFmtErr err = LibraryFailure();
            Close();
            return err;
        }
        if (tamrec_open_cover_file(cover_, kTamrecAllKinds, 1) != 0) {
            const TFgnFmtErr err = LibraryFailure();
            Close();
            return err;
        }
        arcCount_ = cover_->record_count[kTamrecArcs];
        textCount_ = cover_->record_count[kTamrecAnnotation];
        ticCount_ = cover_->record_count[kTamrecTics];
        centroidCount_ = cover_->record_count[kTamrecCentroids];
        const std::int32_t n = cover_->record_count[kTamrecPolygons];
        const std::int32_t labels = cover_->record_count[kTamrecLabels];
        if (n == 0) {
            pairing_ = kNoPolygons;
            pointCount_ = labels;
        } else {
            if (assemble_ == kFgnTrue) AnalysePolygons(n);
            if (n == labels)
                pairing_ = kLabelSameNumber;
            else if (n == labels + 1)
                pairing_ = kLabelNumberBefore;
            else if (n == centroidCount_)
                pairing_ = kCentroidSameNumber;
            else
                pairing_ = kUnpaired;
            polygonCount_ = n - 1;
        }
        hasArcTable_ = cover_->arcs_have_attributes != 0;
        hasPolygonTable_ =
            cover_->labels_have_attributes != 0 || cover_->polygons_have_attributes != 0;
        SetCoordSys();
        return kFgnOk;
    } catch (const std::bad_alloc&) {
        Close();
        return kFgnNoMemory;
    }
}

TFgnFmtErr CESRIReader::UnloadData() {
    currentEntity_.reset();
    if (cover_ == nullptr) return kFgnNotLoaded;
    // The table's columns read the cover's items: it cannot outlive the cover.
    Close();
    return kFgnOk;
}

TFgnFmt CESRIReader::GetDataFormat(TFgnFmtErr& err) {
    err = cover_ == nullptr ? kFgnNotLoaded : kFgnOk;
    return kFgnFmtNative;
}

TFgnDimension CESRIReader::GetDimension(TFgnFmtErr& err) {
    err = cover_ == nullptr ? kFgnNotLoaded : kFgnOk;
    return kFgn2d;
}

TFgnPrecision CESRIReader::GetDataPrecision(TFgnFmtErr& err) {
    if (cover_ == nullptr) {
        err = kFgnNotLoaded;
        return kFgnDouble;
    }
    err = kFgnOk;
    return cover_->double_precision ? kFgnDouble : kFgnSingle;
}

char const* CESRIReader::GetCoordSys(TFgnFmtErr& err) {
    if (cover_ == nullptr) {
        err = kFgnNotLoaded;
        return nullptr;
    }
    err = kFgnOk;
    return coordSys_.c_str();
}

TFgnFmtErr CESRIReader::GetExtents(double& xmin, double& xmax, double& ymin, double& ymax) {
    if (cover_ == nullptr) return kFgnNotLoaded;
    xmin = cover_->xmin;
    xmax = cover_->xmax;
    ymin = cover_->ymin;
    ymax = cover_->ymax;
    return kFgnOk;
}

const CFgnEntity* CESRIReader::GetCurrent(TFgnFmtErr& err) {
    if (currentEntity_ != nullptr) {
        err = kFgnOk;
        return currentEntity_.get();
    }
    // Within the sequence the position yielded nothing: refused, so skipped.
    err = cover_ != nullptr && cursor_ >= 1 && cursor_ <= SequenceLength() ? kFgnIncomplete
                                                                           : kFgnNoCurrent;
    return nullptr;
}

TFgnFmtErr CESRIReader::Rewind() {
    if (cover_ == nullptr) return kFgnNotLoaded;
    cursor_ = 1;
    return SetCurrentEntity();
}

TFgnBool CESRIReader::Done(TFgnFmtErr& err) {
    if (cover_ == nullptr) {
        err = kFgnNotLoaded;
        return kFgnTrue;
    }
    err = kFgnOk;
    return FgnBool(cursor_ > SequenceLength());
}

TFgnFmtErr CESRIReader::Step() {
    if (cover_ == nullptr) return kFgnNotLoaded;
    if (cursor_ <= SequenceLength()) ++cursor_;
    return SetCurrentEntity();
}

std::int64_t CESRIReader::SequenceLength() const {
    return std::int64_t{pointCount_} + arcCount_ + polygonCount_ + ticCount_ + textCount_;
}

TFgnFmtErr CESRIReader::SetCurrentEntity() {
    currentEntity_.reset();
    if (cursor_ < 1 || cursor_ > SequenceLength()) return kFgnOk;
    try {
        currentEntity_ = MakeEntity(cursor_);
    } catch (const std::bad_alloc&) {
        currentEntity_.reset();
        return kFgnNoMemory;
    }
    return kFgnOk;
}

std::unique_ptr<CFgnEntity> CESRIReader::MakeEntity(std::int64_t position) {
    const std::int32_t sections[] = {pointCount_, arcCount_, polygonCount_, ticCount_, textCount_};
    std::int64_t c = position;
    for (int section = 0; section < 5; ++section) {
        if (c > sections[section]) {
            c -= sections[section];
            continue;
        }
        const std::int32_t k = static_cast<std::int32_t>(c);
        switch (section) {
            case 0:
                return SetCurrentPoint(k);
            case 1:
                return SetCurrentArc(k);
            case 2:
                return SetCurrentPolygon(k);
            case 3:
                return SetCurrentTic(k);
            default:
                return SetCurrentText(k);
        }
    }
    return nullptr;
}

std::unique_ptr<CFgnEntity> CESRIReader::SetCurrentPoint(std::int32_t k) {
    if (tamrec_read_record(cover_, kTamrecLabels, k) != 0) return nullptr;
    return std::make_unique<CESRIPnt>(tamrec_dblxy_pair{cover_->label.x, cover_->label.y}, k,
                                      kArcPntPoint);
}

std::unique_ptr<CFgnEntity> CESRIReader::SetCurrentArc(std::int32_t k) {
    if (tamrec_read_record(cover_, kTamrecArcs, k) != 0) return nullptr;
    const tamrec_record_arc& arc = cover_->arc;
    if (arc.vertex_count == 2)
        return std::make_unique<CESRILine>(arc.vertices[0], arc.vertices[1], k);
    return std::make_unique<CESRIPline>(arc, k);
}

std::unique_ptr<CFgnEntity> CESRIReader::SetCurrentPolygon(std::int32_t k) {
    if (k > polygonCount_ || pairing_ == kNoPolygons || pairing_ == kUnpaired) return nullptr;
    const std::int32_t p = k + 1;
    tamrec_dblxy_pair label{};
    if (pairing_ == kCentroidSameNumber) {
        if (tamrec_read_record(cover_, kTamrecCentroids, p) != 0) return nullptr;
        label = {cover_->centroid.x, cover_->centroid.y};
    } else {
        if (tamrec_read_record(cover_, kTamrecLabels, pairing_ == kLabelSameNumber ? p : k) != 0)
            return nullptr;
        label = {cover_->label.x, cover_->label.y};
    }
    if (assemble_ == kFgnTrue) return AssembleCurrentPolygon(label, p);
    return std::make_unique<CESRIPnt>(label, p, kArcPntLabel);
}

std::unique_ptr<CFgnEntity> CESRIReader::SetCurrentTic(std::int32_t k) {
    if (tamrec_read_record(cover_, kTamrecTics, k) != 0) return nullptr;
    return std::make_unique<CESRIPnt>(tamrec_dblxy_pair{cover_->tic.x, cover_->tic.y}, k,
                                      kArcPntTic);
}

std::unique_ptr<CFgnEntity> CESRIReader::SetCurrentText(std::int32_t k) {
    if (tamrec_read_record(cover_, kTamrecAnnotation, k) != 0) return nullptr;
    const tamrec_record_text& text = cover_->text;
    const std::int32_t n = text.n;
    if (n < 1 || n > 4) return nullptr;
    const tamrec_dblxy_pair first = text.points_n[0];
    tamrec_dblxy_pair second = text.points_n[n - 1];
    double height = text.height;
    if (n == 3) {
        if (height == 0)
            height = std::trunc(std::fabs(second.y - first.y));
        else
            second.y = first.y;
    }
    return std::make_unique<CESRIMText>(first.x, first.y, second.x, second.y, text.text, height, k);
}

void CESRIReader::AnalysePolygons(std::int32_t n) {
    for (std::int32_t p = 2; p <= n; ++p) {
        if (tamrec_read_record(cover_, kTamrecPolygons, p) != 0) continue;
        const tamrec_record_polygon& polygon = cover_->polygon;
        bool inner = false;
        for (std::int32_t i = 0; i < polygon.arc_count; ++i) {
            if (polygon.arcs[i].arc == 0)
                inner = true;
            else if (inner)
                islands_.insert(polygon.arcs[i].polygon);
        }
    }
}

std::unique_ptr<CFgnEntity> CESRIReader::AssembleCurrentPolygon(const tamrec_dblxy_pair& label,
                                                                std::int32_t p) {
    const TFgnBool island = FgnBool(islands_.count(p) != 0);
    if (tamrec_read_record(cover_, kTamrecPolygons, p) != 0) return nullptr;
    // The arc reads below leave the polygon record alone, but copy its list
    // so that nothing depends on that.
    const std::vector<tamrec_arc_triple> entries(cover_->polygon.arcs,
                                                 cover_->polygon.arcs + cover_->polygon.arc_count);
    std::vector<std::unique_ptr<CESRIPly>> rings;
    const std::size_t count = entries.size();
    for (std::size_t i = 0; i < count; ++i) {
        if (entries[i].arc == 0) continue;
        SWalkedArc walked{};
        if (!ReadArc(cover_, entries[i].arc, walked)) return nullptr;
        auto ring =
            std::make_unique<CESRIPly>(walked.arc, FgnBool(walked.backward), label, p, island);
        const std::int32_t start = walked.start;
        std::int32_t end = walked.end;
        // A ring that passes through its start node goes on to its separator.
        if (end != start) {
            for (;;) {
                if (++i >= count) return nullptr;
                if (!ReadArc(cover_, entries[i].arc, walked)) return nullptr;
                if (walked.start == end) {
                    ring->AddArc(walked.arc, FgnBool(walked.backward));
                    end = walked.end;
                }
                if (end == start && (i + 1 == count || entries[i + 1].arc == 0)) break;
            }
        }
        rings.push_back(std::move(ring));
    }
    if (rings.empty()) return nullptr;
    if (rings.size() == 1) return std::move(rings.front());
    auto compound = std::make_unique<CESRICPly>(label, p, kFgnFalse, island);
    for (std::size_t r = 0; r < rings.size(); ++r)
        compound->AddGeom(rings[r]->Points(), r == 0 ? kFgnAreaOuter : kFgnAreaInner);
    return compound;
}

void CESRIReader::SetCoordSys() {
    const bool geographic =
        cover_->ymin >= -90 && cover_->ymax <= 90 && cover_->xmin >= -180 && cover_->xmax <= 180;
    coordSys_ = geographic ? EsriMessage(kMsgGeographic) : std::string();
}

CFgnTbl* CESRIReader::GetCurrentTable(TFgnFmtErr& err) {
    if (currentTable_ == nullptr) {
        err = kFgnNoCurrent;
        return nullptr;
    }
    err = kFgnOk;
    return currentTable_.get();
}

TFgnFmtErr CESRIReader::RewindTable() {
    if (cover_ == nullptr) return kFgnNotLoaded;
    tableCursor_ = 1;
    return SetCurrentTable();
}

TFgnFmtErr CESRIReader::StepTable() {
    if (cover_ == nullptr) return kFgnNotLoaded;
    if (tableCursor_ <= 2) ++tableCursor_;
    return SetCurrentTable();
}

TFgnBool CESRIReader::DoneTable(TFgnFmtErr& err) {
    if (cover_ == nullptr) {
        err = kFgnNotLoaded;
        return kFgnTrue;
    }
    err = kFgnOk;
    return FgnBool(tableCursor_ > int{hasArcTable_} + int{hasPolygonTable_});
}

TFgnFmtErr CESRIReader::SetCurrentTable() {
    currentTable_.reset();
    try {
        if (tableCursor_ >= 1 && tableCursor_ <= int{hasArcTable_}) {
            currentTable_ = std::make_unique<CESRITbl>(
                kArcTblArc, cover_->aat.item_count, cover_->record_count[kTamrecAat],
                cover_->aat.items, coverName_.c_str(), cover_);
        } else if (hasPolygonTable_ && tableCursor_ == int{hasArcTable_} + 1) {
            const TARCTblType type = pairing_ == kNoPolygons ? kArcTblPoint
                                     : assemble_ == kFgnTrue ? kArcTblPolygon
                                                             : kArcTblPolygonLabel;
            currentTable_ = std::make_unique<CESRITbl>(
                type, cover_->pat.item_count, cover_->record_count[kTamrecPat], cover_->pat.items,
                coverName_.c_str(), cover_);
        }
    } catch (const std::bad_alloc&) {
        currentTable_.reset();
        return kFgnNoMemory;
    }
    return kFgnOk;
}

char const* CESRIReader::IsValidCoveragePath(TFgnBool& valid) {
    valid = kFgnFalse;
    validationMessage_.reset();
    try {
        validationMessage_.reset(
            CheckCoverageReadPath(hasWorkspacePath_ ? workspacePath_.c_str() : nullptr,
                                  hasCoverName_ ? coverName_.c_str() : nullptr, valid));
    } catch (const std::bad_alloc&) {
        valid = kFgnFalse;
    }
    return validationMessage_.get();
}
