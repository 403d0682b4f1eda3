#include "coverage/plugin/EsriWriter.h"

#include <new>

#include "coverage/plugin/EsriModule.h"

CESRIWriter::CESRIWriter(const char* workspace, const char* cover)
    : cover_(cover != nullptr ? cover : ""), workspace_(workspace != nullptr ? workspace : "") {}

CESRIWriter::~CESRIWriter() {
    Release();
    if (builder_ != nullptr) UnloadData();
}

const char* CESRIWriter::IsValidCoveragePath(TFgnBool replace, TFgnBool& valid) {
    validation_.reset(CheckCoverageWritePath(workspace_.c_str(), cover_.c_str(), replace, valid));
    return validation_.get();
}

void CESRIWriter::SetWhenUnset(std::string& layer, const char* value) {
    if (layer.empty() && value != nullptr) layer = value;
}

double CESRIWriter::Height(const CFgnStyleText* style) {
    // Styles of another plug-in or host have no height this writer can read.
    const auto* own = dynamic_cast<const CESRIStyleText*>(style);
    return own != nullptr ? own->GetSize() : 0.0;
}

TFgnFmtErr CESRIWriter::LoadData() {
    if (builder_ != nullptr) return kFgnOk;
    try {
        builder_ = std::make_unique<CWriteCoverage>(workspace_.c_str(), cover_.c_str());
    } catch (const std::bad_alloc&) {
        return kFgnNoMemory;
    }
    if (builder_->CheckTarget() != kFgnTrue) {
        builder_.reset();
        return kFgnNotLoaded;
    }
    return kFgnOk;
}

TFgnFmtErr CESRIWriter::SaveData() {
    if (builder_ == nullptr) return kFgnIncomplete;
    Release();
    TFgnFmtErr result = kFgnOk;
    bool arcTable = false, labelTable = false;
    for (const auto& table : tables_) {
        if (!arcTable && !arcLayer_.empty() && table->IsLinkedToLayer(arcLayer_.c_str())) {
            arcTable = true;
            if (builder_->WriteArcTable(table.get()) != kFgnOk) result = kFgnIncomplete;
        }
        if (!labelTable && !labelLayer_.empty() && table->IsLinkedToLayer(labelLayer_.c_str())) {
            labelTable = true;
            if (builder_->WriteLabelTable(table.get()) != kFgnOk) result = kFgnIncomplete;
        }
    }
    // A coverage without the attributes it was given is not saved: the
    // failure leaves an existing coverage of that name as it was.
    if (result == kFgnOk) result = builder_->Save();
    builder_.reset();
    return result;
}

TFgnFmtErr CESRIWriter::UnloadData() {
    if (builder_ == nullptr) return kFgnIncomplete;
    Release();
    builder_.reset();
    return kFgnOk;
}

TFgnFmtErr CESRIWriter::AddPnt(char const* key, char const* layer, double x, double y,
                               const CFgnStylePnt*) {
    if (builder_ == nullptr) return kFgnIncomplete;
    Release();
    if (layer != nullptr && EsriMessage(kMsgTics) == layer) return builder_->AddTic(x, y);
    SetWhenUnset(labelLayer_, layer);
    return builder_->AddLabel(key, x, y);
}

TFgnFmtErr CESRIWriter::AddPnt(char const*, char const*, double, double, double,
                               const CFgnStylePnt*) {
    return kFgnNo3d;
}

CFgnMPnt* CESRIWriter::AddMPnt(char const* key, char const* layer, const CFgnStylePnt*,
                               TFgnFmtErr& err) {
    if (builder_ == nullptr) {
        err = kFgnNotLoaded;
        return nullptr;
    }
    Release();
    SetWhenUnset(labelLayer_, layer);
    auto* entity = new (std::nothrow) CESRIMPnt(builder_.get(), key);
    current_.reset(entity);
    err = entity != nullptr ? kFgnOk : kFgnNoMemory;
    return entity;
}

TFgnFmtErr CESRIWriter::AddLine(char const* key, char const* layer, double x1, double x2, double y1,
                                double y2, const CFgnStyleLine*) {
    if (builder_ == nullptr) return kFgnIncomplete;
    Release();
    const TFgnFmtErr started = builder_->StartArc(key, kFgnFalse);
    SetWhenUnset(arcLayer_, layer);
    if (started != kFgnOk) return started;
    if (builder_->AddVertex(x1, y1) != kFgnOk || builder_->AddVertex(x2, y2) != kFgnOk) {
        builder_->DropArc();
        return kFgnIncomplete;
    }
    return kFgnOk;
}

TFgnFmtErr CESRIWriter::AddLine(char const*, char const*, double, double, double, double, double,
                                double, const CFgnStyleLine*) {
    return kFgnNo3d;
}

CFgnPline* CESRIWriter::AddPline(char const* key, char const* layer, TFgnBool, const CFgnStyleLine*,
                                 TFgnFmtErr& err) {
    if (builder_ == nullptr) {
        err = kFgnIncomplete;
        return nullptr;
    }
    Release();
    SetWhenUnset(arcLayer_, layer);
    auto* entity = new (std::nothrow) CESRIPline(builder_.get(), key);
    current_.reset(entity);
    err = entity != nullptr ? kFgnOk : kFgnNoMemory;
    return entity;
}

CFgnCPline* CESRIWriter::AddCPline(char const* key, char const* layer, const CFgnStyleLine*,
                                   TFgnBool contiguous, TFgnFmtErr& err) {
    if (builder_ == nullptr) {
        err = kFgnIncomplete;
        return nullptr;
    }
    Release();
    SetWhenUnset(arcLayer_, layer);
    auto* entity = new (std::nothrow) CESRICPline(builder_.get(), key, contiguous);
    current_.reset(entity);
    err = entity != nullptr ? kFgnOk : kFgnNoMemory;
    return entity;
}

CFgnPly* CESRIWriter::AddPly(char const* key, char const* layer, double labelX, double labelY,
                             double, const CFgnStylePly*, TFgnFmtErr& err) {
    if (builder_ == nullptr) {
        err = kFgnIncomplete;
        return nullptr;
    }
    Release();
    if (polygonLayer_.empty() && layer != nullptr) labelLayer_ = polygonLayer_ = layer;
    builder_->AddLabel(key, labelX, labelY);
    auto* entity = new (std::nothrow) CESRIPly(builder_.get(), key);
    current_.reset(entity);
    err = entity != nullptr ? kFgnOk : kFgnNoMemory;
    return entity;
}

CFgnPly* CESRIWriter::AddPly(char const*, char const*, double, double, double, double,
                             const CFgnStylePly*, TFgnFmtErr& err) {
    err = kFgnNo3d;
    return nullptr;
}

CFgnCPly* CESRIWriter::AddCPly(char const* key, char const* layer, double labelX, double labelY,
                               const CFgnStylePly*, TFgnBool contiguous, TFgnFmtErr& err) {
    if (builder_ == nullptr) {
        err = kFgnIncomplete;
        return nullptr;
    }
    Release();
    if (polygonLayer_.empty() && layer != nullptr) labelLayer_ = polygonLayer_ = layer;
    builder_->AddLabel(key, labelX, labelY);
    auto* entity = new (std::nothrow) CESRICPly(builder_.get(), key, contiguous);
    current_.reset(entity);
    err = entity != nullptr ? kFgnOk : kFgnNoMemory;
    return entity;
}

CFgnCPly* CESRIWriter::AddCPly(char const*, char const*, double, double, double,
                               const CFgnStylePly*, TFgnBool, TFgnFmtErr& err) {
    err = kFgnNo3d;
    return nullptr;
}

TFgnFmtErr CESRIWriter::AddArc(char const* key, char const* layer, double cx, double cy,
                               double start, double end, double xRadius, double yRadius,
                               TFgnBool counterClockwise, const CFgnStyleLine*) {
    if (builder_ == nullptr) return kFgnNotLoaded;
    Release();
    SetWhenUnset(arcLayer_, layer);
    const TFgnFmtErr started = builder_->StartArc(key, kFgnFalse);
    if (started != kFgnOk) return started;
    const TFgnFmtErr stroked =
        CESRIArcStroker::Stroke(cx, cy, start, end, xRadius, yRadius, counterClockwise, *builder_);
    if (stroked != kFgnOk) builder_->DropArc();
    return stroked;
}

TFgnFmtErr CESRIWriter::AddArc(char const*, char const*, double, double, double, double, double,
                               double, double, TFgnBool, const CFgnStyleLine*) {
    return kFgnNo3d;
}

TFgnFmtErr CESRIWriter::AddText(char const*, char const*, char const* text, double x, double y,
                                const CFgnStyleText* style) {
    if (builder_ == nullptr) return kFgnNotLoaded;
    Release();
    return builder_->AddText(text, x, y, x, y, Height(style));
}

TFgnFmtErr CESRIWriter::AddText(char const*, char const*, char const*, double, double, double,
                                const CFgnStyleText*) {
    return kFgnNo3d;
}

TFgnFmtErr CESRIWriter::AddMText(char const*, char const*, char const* text, double minX,
                                 double maxX, double minY, double, const CFgnStyleText* style) {
    if (builder_ == nullptr) return kFgnNotLoaded;
    Release();
    return builder_->AddText(text, minX, minY, maxX, minY, Height(style));
}

TFgnFmtErr CESRIWriter::AddMText(char const*, char const*, char const*, double, double, double,
                                 double, double, double, const CFgnStyleText*) {
    return kFgnNo3d;
}

CFgnBlk* CESRIWriter::AddBlk(char const*, char const*, TFgnFmtErr& err) {
    err = kFgnNoBlocks;
    return nullptr;
}

CFgnBlkInst* CESRIWriter::AddBlkInst(char const* key, char const*, const CFgnBlk*, const FgnMatrix*,
                                     double x, double y, const CFgnStyleBlk*, TFgnFmtErr& err) {
    if (builder_ == nullptr) {
        err = kFgnNotLoaded;
        return nullptr;
    }
    Release();
    builder_->AddLabel(key, x, y);
    err = kFgnOk;
    return nullptr;
}

CFgnBlkInst* CESRIWriter::AddBlkInst(char const*, char const*, const CFgnBlk*, const FgnMatrix*,
                                     double, double, double, const CFgnStyleBlk*, TFgnFmtErr& err) {
    if (builder_ == nullptr) {
        err = kFgnNotLoaded;
        return nullptr;
    }
    Release();
    err = kFgnNo3d;
    return nullptr;
}

TFgnFmtErr CESRIWriter::AddUnknown(char const*, char const*, char const*) {
    if (builder_ == nullptr) return kFgnNotLoaded;
    Release();
    return kFgnNoBlocks;
}

CFgnTbl* CESRIWriter::AddTable(char const* name, TFgnBool allLayers, TFgnFmtErr& err) {
    try {
        tables_.push_back(std::make_unique<CESRITbl>(name, allLayers));
    } catch (const std::bad_alloc&) {
        err = kFgnIncomplete;
        return nullptr;
    }
    err = kFgnOk;
    return tables_.back().get();
}

const CFgnStylePnt* CESRIWriter::AddPntStyle(char const*, std::int32_t, double, std::int16_t,
                                             TFgnFmtErr& err) {
    err = kFgnNoStyle;
    return nullptr;
}

const CFgnStyleBlk* CESRIWriter::AddBlkStyle(std::int32_t, TFgnFmtErr& err) {
    err = kFgnNoStyle;
    return nullptr;
}

const CFgnStyleLine* CESRIWriter::AddLineStyle(char const*, std::int32_t, std::int16_t,
                                               TFgnFmtErr& err) {
    err = kFgnNoStyle;
    return nullptr;
}

const CFgnStylePly* CESRIWriter::AddPlyStyle(char const*, char const*, std::int32_t, std::int32_t,
                                             std::int32_t, std::int32_t, TFgnFmtErr& err) {
    err = kFgnNoStyle;
    return nullptr;
}

const CFgnStyleText* CESRIWriter::AddTextStyle(char const*, double height, std::int32_t,
                                               std::int32_t, TFgnBool, TFgnBool, TFgnBool,
                                               TFgnJustification, double, double, TFgnFmtErr& err) {
    try {
        textStyle_ = std::make_unique<CESRIStyleText>(height);
    } catch (const std::bad_alloc&) {
        err = kFgnNoMemory;
        return nullptr;
    }
    err = kFgnOk;
    return textStyle_.get();
}
