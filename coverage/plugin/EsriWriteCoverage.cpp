#include "coverage/plugin/EsriWriteCoverage.h"

#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "coverage/lib/TamrecFormat.h"
#include "coverage/plugin/EsriModule.h"
#include "coverage/plugin/EsriTable.h"

namespace {

constexpr double kStartMin = 1e16;
constexpr double kStartMax = -1e16;
constexpr std::int32_t kCoverNameLimit = 12;

std::string Joined(const std::string& workspace, const std::string& cover) {
    return workspace + "\\" + cover;
}

// Paths reach the library as given: it turns "\" into "/" itself.
std::string ForHost(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

bool Writable(const std::string& path) {
    return ::access(ForHost(path).c_str(), W_OK) == 0;
}

std::string Message(unsigned id) {
    return EsriMessage(id);
}

}  // namespace

bool CWriteCoverage::CaseLess::operator()(const std::string& a, const std::string& b) const {
    return ::strcasecmp(a.c_str(), b.c_str()) < 0;
}

CWriteCoverage::CWriteCoverage(const char* workspace, const char* cover)
    : coverName_(cover == nullptr ? "" : cover), workspace_(workspace == nullptr ? "" : workspace) {
    if (tamrec_new_cover(&cover_) != 0) cover_ = nullptr;
    if (cover_ != nullptr) {
        cover_->xmin = cover_->ymin = kStartMin;
        cover_->xmax = cover_->ymax = kStartMax;
    }
}

CWriteCoverage::~CWriteCoverage() {
    EndArc();
    if (cover_ != nullptr) tamrec_free_cover(&cover_);
}

TFgnBool CWriteCoverage::CheckTarget() {
    if (cover_ == nullptr) return kFgnFalse;
    const std::string ws = ForHost(workspace_);
    if (!tamrec_is_directory(ws.c_str()) || !Writable(ws)) return kFgnFalse;
    if (coverName_.size() > kCoverNameLimit) return kFgnFalse;
    const std::string target = ForHost(Joined(workspace_, coverName_));
    if (!tamrec_exists(target.c_str())) return kFgnTrue;
    if (!tamrec_is_directory(target.c_str())) return kFgnFalse;
    if (tamrec_is_cover(ws.c_str(), coverName_.c_str(), 1) ||
        tamrec_is_cover(ws.c_str(), coverName_.c_str(), 0)) {
        replace_ = true;
        return kFgnTrue;
    }
    return kFgnFalse;
}

void CWriteCoverage::Grow(double x, double y) {
    cover_->xmin = std::min(cover_->xmin, x);
    cover_->xmax = std::max(cover_->xmax, x);
    cover_->ymin = std::min(cover_->ymin, y);
    cover_->ymax = std::max(cover_->ymax, y);
}

TFgnFmtErr CWriteCoverage::StartPiece(const std::string& key) {
    const std::int32_t arc = tamrec_new_arc(cover_);
    if (arc < 0) return kFgnIncomplete;
    arcCount_ = arc;
    arcOpen_ = true;
    arcKey_ = key;
    vertexCount_ = 0;
    arcKeys_.emplace(key, arc);
    return kFgnOk;
}

TFgnFmtErr CWriteCoverage::StartArc(const char* key, TFgnBool closed) {
    if (cover_ == nullptr || aatWritten_) return kFgnIncomplete;
    const std::string copy = key == nullptr ? "" : key;
    EndArc();
    closeArc_ = closed == kFgnTrue;
    ringVertices_ = 0;
    return StartPiece(copy);
}

TFgnFmtErr CWriteCoverage::Append(double x, double y) {
    if (tamrec_add_arc_vertex(cover_, arcCount_, vertexCount_, x, y, 0) < 0) return kFgnIncomplete;
    ++vertexCount_;
    return kFgnOk;
}

// A full arc is continued only when a further vertex comes, so that an arc
// never ends in a piece of its joining vertex alone.
TFgnFmtErr CWriteCoverage::AddVertex(double x, double y) {
    if (!arcOpen_ || cover_ == nullptr) return kFgnIncomplete;
    if (vertexCount_ >= kTamrecArcVertexLimit) {
        const tamrec_dblxy_pair joint = cover_->built.arcs[arcCount_].vertices[vertexCount_ - 1];
        if (tamrec_end_arc(cover_, arcCount_) < 0) return kFgnIncomplete;
        const tamrec_record_arc& full = cover_->built.arcs[arcCount_];
        Grow(full.xmin, full.ymin);
        Grow(full.xmax, full.ymax);
        if (StartPiece(arcKey_) != 0 || Append(joint.x, joint.y) != 0) return kFgnIncomplete;
    }
    if (Append(x, y) != 0) return kFgnIncomplete;
    if (ringVertices_++ == 0) ringX_ = x, ringY_ = y;
    return kFgnOk;
}

TFgnFmtErr CWriteCoverage::EndArc() {
    if (!arcOpen_) return kFgnOk;
    if (vertexCount_ == 0 || cover_ == nullptr) {
        DropArc();
        return kFgnIncomplete;
    }
    TFgnFmtErr result = kFgnOk;
    // A ring split into pieces closes back to the first vertex of its first piece.
    if (closeArc_ && ringVertices_ >= 2) result = AddVertex(ringX_, ringY_);
    if (tamrec_end_arc(cover_, arcCount_) < 0 && result == kFgnOk) result = kFgnIncomplete;
    const tamrec_record_arc& arc = cover_->built.arcs[arcCount_];
    Grow(arc.xmin, arc.ymin);
    Grow(arc.xmax, arc.ymax);
    arcOpen_ = false;
    closeArc_ = false;
    arcKey_.clear();
    return result;
}

TFgnFmtErr CWriteCoverage::DropArc() {
    const bool started = arcOpen_ && arcCount_ > 0;
    arcOpen_ = false;
    arcKey_.clear();
    if (started && cover_ != nullptr && tamrec_clear_arc(cover_, arcCount_) < 0)
        return kFgnIncomplete;
    return kFgnOk;
}

TFgnFmtErr CWriteCoverage::AddLabel(const char* key, double x, double y) {
    if (cover_ == nullptr || patWritten_) return kFgnIncomplete;
    const std::int32_t label = tamrec_new_label(cover_);
    if (label < 0) return kFgnIncomplete;
    cover_->built.labels[label].x = x;
    cover_->built.labels[label].y = y;
    ++labelCount_;
    labelKeys_.emplace(key == nullptr ? "" : key, label);
    Grow(x, y);
    return kFgnOk;
}

TFgnFmtErr CWriteCoverage::AddTic(double x, double y) {
    if (cover_ == nullptr) return kFgnIncomplete;
    const std::int32_t tic = tamrec_new_tic(cover_);
    if (tic < 0) return kFgnIncomplete;
    cover_->built.tics[tic].x = x;
    cover_->built.tics[tic].y = y;
    Grow(x, y);
    return kFgnOk;
}

TFgnFmtErr CWriteCoverage::AddText(const char* text, double x1, double y1, double x2, double y2,
                                   double height) {
    if (cover_ == nullptr) return kFgnIncomplete;
    char* copy = tamrec_strdup(text);
    if (copy == nullptr) return kFgnIncomplete;
    Grow(x1, y1);
    Grow(x2, y2 + height);
    const std::int32_t n = tamrec_new_text(cover_);
    if (n < 0) {
        tamrec_free(copy);
        return kFgnIncomplete;
    }
    tamrec_record_text& t = cover_->built.texts[n];
    t.text = copy;
    t.text_length = static_cast<std::int32_t>(std::strlen(copy));
    t.n = 2;
    t.points_n[0] = {x1, y1};
    t.points_n[1] = {x2, y2};
    t.height = height;
    return kFgnOk;
}

TFgnFmtErr CWriteCoverage::WriteArcTable(CFgnTbl* table) {
    return WriteTable(table, true);
}

TFgnFmtErr CWriteCoverage::WriteLabelTable(CFgnTbl* table) {
    return WriteTable(table, false);
}

TFgnFmtErr CWriteCoverage::WriteTable(CFgnTbl* table, bool arcs) {
    if (cover_ == nullptr) return kFgnIncomplete;
    // Rows are joined by the table's own keys: only the plug-in's tables have them.
    auto* esri = dynamic_cast<CESRITbl*>(table);
    if (esri == nullptr) return kFgnIncomplete;
    const int kind = arcs ? kTamrecAatTable : kTamrecPatTable;
    bool& written = arcs ? aatWritten_ : patWritten_;
    Columns& columns = arcs ? aatColumns_ : patColumns_;
    Keys& keys = arcs ? arcKeys_ : labelKeys_;
    tamrec_attribute_items& items = arcs ? cover_->aat : cover_->pat;
    if (arcs) EndArc();
    if (!written) {
        if (tamrec_default_items(cover_, kind) != 0) return kFgnIncomplete;
        written = true;
    }
    for (std::int32_t i = 0; i < items.item_count; ++i) columns.emplace(items.items[i].name, -1);
    columns.emplace(coverName_ + Message(kMsgCoverNumberSuffix), -1);
    columns.emplace(coverName_ + Message(kMsgCoverIdSuffix), -1);

    TFgnFmtErr err = kFgnOk;
    const std::list<const CFgnTblClmn*>* list = esri->GetColumns(err);
    if (err != 0 || list == nullptr) return kFgnIncomplete;
    std::vector<std::int32_t> positions;
    std::vector<TFgnClmnType> types;
    for (const CFgnTblClmn* column : *list) {
        const char* name = column->GetName(err);
        if (err != 0 || name == nullptr) return kFgnIncomplete;
        const TFgnClmnType type = column->GetType(err);
        if (err != 0) return kFgnIncomplete;
        types.push_back(type);
        positions.push_back(-1);
        if (columns.count(name) != 0) continue;
        int infoType = 0, width = 0, output = 0, decimals = 0;
        switch (type) {
            case kFgnClmnInt2:
                infoType = 5, width = 2, output = 5;
                break;
            case kFgnClmnInt4:
                infoType = 5, width = 4, output = 10;
                break;
            case kFgnClmnLgcl:
                infoType = 5, width = 1, output = 1;
                break;
            case kFgnClmnDte:
                infoType = 1, width = 8, output = 8;
                break;
            case kFgnClmnFloat:
            case kFgnClmnDbl: {
                const auto* f = dynamic_cast<const CFgnTblClmnFloat*>(column);
                const auto* d = dynamic_cast<const CFgnTblClmnDbl*>(column);
                if (f == nullptr && d == nullptr) return kFgnIncomplete;
                infoType = 6;
                width = type == kFgnClmnFloat ? 4 : 8;
                output = f != nullptr ? f->GetWidth(err) : d->GetWidth(err);
                if (err != 0) return kFgnIncomplete;
                decimals = f != nullptr ? f->GetDecimal(err) : d->GetDecimal(err);
                if (err != 0) return kFgnIncomplete;
                break;
            }
            case kFgnClmnChar: {
                const auto* c = dynamic_cast<const CFgnTblClmnChar*>(column);
                if (c == nullptr) return kFgnIncomplete;
                width = output = c->GetWidth(err);
                if (err != 0) return kFgnIncomplete;
                infoType = 2;
                break;
            }
            default:
                continue;
        }
        const std::int32_t position = items.item_count;
        if (tamrec_add_item(cover_, kind, position, name, width, output, decimals, infoType) < 0)
            continue;
        columns.emplace(name, position);
        positions.back() = position;
    }

    if (esri->RewindRow() != 0) return kFgnIncomplete;
    while (esri->DoneRow(err) != kFgnTrue) {
        if (err != 0) return kFgnIncomplete;
        const std::list<const CFgnTblData*>* cells = esri->GetCurrentRow(err);
        if (err != 0 || cells == nullptr) return kFgnIncomplete;
        const char* key = esri->GetCurrentKey(err);
        if (err != 0 || key == nullptr) return kFgnIncomplete;
        const auto [first, last] = keys.equal_range(key);
        std::size_t c = 0;
        for (auto cell = cells->begin(); cell != cells->end() && c < positions.size();
             ++cell, ++c) {
            const std::int32_t position = positions[c];
            if (position < 0 || *cell == nullptr) continue;
            tamrec_item_value value{};
            bool text = false;
            switch (types[c]) {
                case kFgnClmnInt2:
                    if (auto* v = dynamic_cast<const CFgnTblDataInt2*>(*cell))
                        value.integer = v->GetData(err);
                    break;
                case kFgnClmnInt4:
                    if (auto* v = dynamic_cast<const CFgnTblDataInt4*>(*cell))
                        value.integer = v->GetData(err);
                    break;
                case kFgnClmnLgcl:
                    if (auto* v = dynamic_cast<const CFgnTblDataLgcl*>(*cell))
                        value.integer = v->GetData(err);
                    break;
                case kFgnClmnFloat:
                    if (auto* v = dynamic_cast<const CFgnTblDataFloat*>(*cell))
                        value.real = v->GetData(err);
                    break;
                case kFgnClmnDbl:
                    if (auto* v = dynamic_cast<const CFgnTblDataDbl*>(*cell))
                        value.real = v->GetData(err);
                    break;
                case kFgnClmnDte:
                    if (auto* v = dynamic_cast<const CFgnTblDataDte*>(*cell))
                        value.text = const_cast<char*>(v->GetData(err));
                    text = true;
                    break;
                case kFgnClmnChar:
                    if (auto* v = dynamic_cast<const CFgnTblDataChar*>(*cell))
                        value.text = const_cast<char*>(v->GetData(err));
                    text = true;
                    break;
                default:
                    continue;
            }
            if (err != 0) return kFgnIncomplete;
            for (auto it = first; it != last; ++it) {
                tamrec_item_value& slot = items.items[position].rows[it->second];
                if (text) {
                    tamrec_free(slot.text);
                    slot.text = tamrec_strdup(value.text);
                } else {
                    slot = value;
                }
            }
        }
        if (esri->StepRow() != 0) return kFgnIncomplete;
    }
    return err == kFgnOk ? kFgnOk : kFgnIncomplete;
}

TFgnFmtErr CWriteCoverage::Save() {
    if (cover_ == nullptr) return kFgnIncomplete;
    EndArc();
    // Written under a temporary name and swapped in: a failed save leaves an
    // existing coverage as it was.
    const int result = tamrec_save_cover(ForHost(workspace_).c_str(), coverName_.c_str(), cover_,
                                         replace_ ? 1 : 0);
    tamrec_free_cover(&cover_);
    return result == 0 ? kFgnOk : kFgnIncomplete;
}

char* CheckCoverageWritePath(const char* workspace, const char* cover, TFgnBool replace,
                             TFgnBool& valid) {
    valid = kFgnFalse;
    const std::string name = cover == nullptr ? "" : cover;
    if (name.size() > kCoverNameLimit) return LoadMessage(kMsgWriteNameTooLong);
    const std::string ws = ForHost(workspace == nullptr ? "" : workspace);
    if (!tamrec_exists(ws.c_str()) || !tamrec_is_directory(ws.c_str()))
        return LoadMessage(kMsgWriteWorkspaceNotDirectory);
    if (!Writable(ws)) return LoadMessage(kMsgWriteWorkspaceReadOnly);
    if (!tamrec_dir_is_empty(ws.c_str())) {
        tamrec_workspace* opened = nullptr;
        if (tamrec_open_ws(ws.c_str(), &opened) != 0) return LoadMessage(kMsgWriteInvalidWorkspace);
        tamrec_close_ws(&opened);
    }
    const std::string target = ForHost(Joined(ws, name));
    if (tamrec_exists(target.c_str())) {
        if (replace != kFgnTrue) return LoadMessage(kMsgWriteCoverExists);
        if (!tamrec_is_directory(target.c_str())) return LoadMessage(kMsgWriteCoverInUse);
        if (!Writable(target)) return LoadMessage(kMsgWriteCoverReadOnly);
    }
    valid = kFgnTrue;
    return nullptr;
}
