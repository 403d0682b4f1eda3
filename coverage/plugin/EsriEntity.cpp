#include "coverage/plugin/EsriEntity.h"

#include <cmath>

#include "coverage/plugin/EsriModule.h"
#include "coverage/plugin/EsriWriteCoverage.h"

std::string EsriMessage(unsigned id) {
    return std::string(FindStringResource(TscovModule(), id));
}

std::string EsriKey(std::int32_t id) {
    char buffer[kLongTextSize];
    LongToText(buffer, id);
    return buffer;
}

namespace {

std::string PolygonLayer(TFgnBool island) {
    return island == kFgnTrue ? std::string(kInternalPolygonsLayer) : EsriMessage(kMsgPolygons);
}

template <class T>
T Ok(TFgnFmtErr& err, T value) {
    err = kFgnOk;
    return value;
}

// A write-side entity has nothing to answer: err 1 and no value.
template <class T>
T ReadSide(TFgnFmtErr& err, bool writeSide, T value) {
    if (writeSide) {
        err = kFgnIncomplete;
        return T{};
    }
    return Ok(err, value);
}

}  // namespace

double CESRIPt::GetX(TFgnFmtErr& err) const {
    return Ok(err, x_);
}

double CESRIPt::GetY(TFgnFmtErr& err) const {
    return Ok(err, y_);
}

double CESRIPt::GetZ(TFgnFmtErr& err) const {
    err = kFgnNo3d;
    return 0.0;
}

CESRIPtList::CESRIPtList(const CESRIPtList& other) {
    for (const auto& point : other.points_) {
        TFgnFmtErr err = kFgnOk;
        Add({point->GetX(err), point->GetY(err)});
    }
}

void CESRIPtList::Add(const tamrec_dblxy_pair& pair) {
    points_.push_back(std::make_unique<CESRIPt>(pair));
    list_.push_back(points_.back().get());
}

CESRIPnt::CESRIPnt(const tamrec_dblxy_pair& point, std::int32_t id, TARCPntOrgn origin)
    : key_(EsriKey(id)), point_(point) {
    switch (origin) {
        case kArcPntPoint:
            layer_ = EsriMessage(kMsgPoints);
            break;
        case kArcPntLabel:
            layer_ = EsriMessage(kMsgLabelPoints);
            break;
        case kArcPntTic:
            layer_ = EsriMessage(kMsgTics);
            break;
    }
    SetComplete();
}

char const* CESRIPnt::GetKey(TFgnFmtErr& err) const {
    return Ok(err, key_.c_str());
}

char const* CESRIPnt::GetLayer(TFgnFmtErr& err) const {
    if (layer_.empty()) return CFgnPnt::GetLayer(err);
    return Ok(err, layer_.c_str());
}

const CFgnPt* CESRIPnt::GetPt(TFgnFmtErr& err) const {
    return Ok(err, &point_);
}

const CFgnStylePnt* CESRIPnt::GetStyle(TFgnFmtErr& err) const {
    err = kFgnNoStyle;
    return nullptr;
}

CESRILine::CESRILine(const tamrec_dblxy_pair& start, const tamrec_dblxy_pair& end, std::int32_t id)
    : layer_(EsriMessage(kMsgArcs)), key_(EsriKey(id)), start_(start), end_(end) {
    SetComplete();
}

char const* CESRILine::GetKey(TFgnFmtErr& err) const {
    return Ok(err, key_.c_str());
}

char const* CESRILine::GetLayer(TFgnFmtErr& err) const {
    return Ok(err, layer_.c_str());
}

const CFgnPt* CESRILine::GetEndPt(TFgnFmtErr& err) const {
    return Ok(err, &end_);
}

const CFgnPt* CESRILine::GetStartPt(TFgnFmtErr& err) const {
    return Ok(err, &start_);
}

const CFgnStyleLine* CESRILine::GetStyle(TFgnFmtErr& err) const {
    err = kFgnNoStyle;
    return nullptr;
}

CESRIPline::CESRIPline(const tamrec_record_arc& arc, std::int32_t id)
    : layer_(EsriMessage(kMsgArcs)), key_(EsriKey(id)) {
    for (std::int32_t i = 0; i < arc.vertex_count; ++i) points_.Add(arc.vertices[i]);
    SetComplete();
}

char const* CESRIPline::GetKey(TFgnFmtErr& err) const {
    return ReadSide(err, builder_ != nullptr, key_.c_str());
}

char const* CESRIPline::GetLayer(TFgnFmtErr& err) const {
    return ReadSide(err, builder_ != nullptr, layer_.c_str());
}

TFgnFmtErr CESRIPline::AddPt(double, double, double) {
    return kFgnIncomplete;
}

CESRIPline::CESRIPline(CWriteCoverage* builder, const char* key) : builder_(builder) {
    if (builder_ != nullptr) builder_->StartArc(key, kFgnFalse);
    SetComplete();
}

TFgnFmtErr CESRIPline::AddPt(double x, double y) {
    return builder_ != nullptr ? builder_->AddVertex(x, y) : kFgnIncomplete;
}

const std::list<const CFgnPt*>* CESRIPline::GetPts(TFgnFmtErr& err) const {
    return ReadSide(err, builder_ != nullptr, points_.Get());
}

TFgnBool CESRIPline::GetSmoothed(TFgnFmtErr& err) const {
    return ReadSide(err, builder_ != nullptr, kFgnFalse);
}

const CFgnStyleLine* CESRIPline::GetStyle(TFgnFmtErr& err) const {
    err = builder_ != nullptr ? kFgnIncomplete : kFgnNoStyle;
    return nullptr;
}

CESRIPly::CESRIPly(const tamrec_record_arc& arc, TFgnBool backward, const tamrec_dblxy_pair& label,
                   std::int32_t id, TFgnBool island)
    : layer_(PolygonLayer(island)), key_(EsriKey(id)), label_(label) {
    if (arc.vertex_count > 0)
        points_.Add(backward == kFgnTrue ? arc.vertices[arc.vertex_count - 1] : arc.vertices[0]);
    AddArc(arc, backward);
    SetComplete();
}

char const* CESRIPly::GetKey(TFgnFmtErr& err) const {
    return ReadSide(err, builder_ != nullptr, key_.c_str());
}

char const* CESRIPly::GetLayer(TFgnFmtErr& err) const {
    return ReadSide(err, builder_ != nullptr, layer_.c_str());
}

TFgnFmtErr CESRIPly::AddPt(double, double, double) {
    return kFgnNo3d;
}

CESRIPly::CESRIPly(CWriteCoverage* builder, const char* key) : label_(0, 0), builder_(builder) {
    if (builder_ != nullptr) builder_->StartArc(key, kFgnTrue);
    SetComplete();
}

TFgnFmtErr CESRIPly::AddPt(double x, double y) {
    return builder_ != nullptr ? builder_->AddVertex(x, y) : kFgnIncomplete;
}

const CFgnPt* CESRIPly::GetLabelPt(TFgnFmtErr& err) const {
    return ReadSide<const CFgnPt*>(err, builder_ != nullptr, &label_);
}

const std::list<const CFgnPt*>* CESRIPly::GetPts(TFgnFmtErr& err) const {
    return Ok(err, points_.Get());
}

double CESRIPly::GetRadius(TFgnFmtErr& err) const {
    return ReadSide(err, builder_ != nullptr, 0.0);
}

TFgnFmtErr CESRIPly::AddArc(const tamrec_record_arc& arc, TFgnBool backward) {
    if (builder_ != nullptr) return kFgnIncomplete;
    const std::int32_t n = arc.vertex_count;
    if (backward == kFgnTrue) {
        for (std::int32_t i = n - 2; i >= 0; --i) points_.Add(arc.vertices[i]);
    } else {
        for (std::int32_t i = 1; i < n; ++i) points_.Add(arc.vertices[i]);
    }
    return kFgnOk;
}

CESRIGeomPts::CESRIGeomPts(const CESRIPtList& points, TFgnAreaType type)
    : points_(points), type_(type) {
    SetComplete();
}

TFgnAreaType CESRIGeomPts::GetAreaType(TFgnFmtErr& err) const {
    return Ok(err, type_);
}

TFgnFmtErr CESRIGeomPts::AddPt(double, double, double) {
    return kFgnNo3d;
}

CESRIGeomPts::CESRIGeomPts(CWriteCoverage* builder) : type_(TFgnAreaType{}), builder_(builder) {
    SetComplete();
}

TFgnFmtErr CESRIGeomPts::AddPt(double x, double y) {
    return builder_ != nullptr ? builder_->AddVertex(x, y) : kFgnIncomplete;
}

const std::list<const CFgnPt*>* CESRIGeomPts::GetPts(TFgnFmtErr& err) const {
    return Ok(err, points_.Get());
}

CESRICPly::CESRICPly(const tamrec_dblxy_pair& label, std::int32_t id, TFgnBool contiguous,
                     TFgnBool island)
    : key_(EsriKey(id)), layer_(PolygonLayer(island)), contiguous_(contiguous), label_(label) {
    SetComplete();
}

char const* CESRICPly::GetKey(TFgnFmtErr& err) const {
    return ReadSide(err, builder_ != nullptr, key_.c_str());
}

char const* CESRICPly::GetLayer(TFgnFmtErr& err) const {
    return ReadSide(err, builder_ != nullptr, layer_.c_str());
}

CESRICPly::CESRICPly(CWriteCoverage* builder, const char* key, TFgnBool contiguous)
    : key_(key != nullptr ? key : ""), contiguous_(contiguous), label_(0, 0), builder_(builder) {
    if (builder_ != nullptr && contiguous_ == kFgnTrue) builder_->StartArc(key_.c_str(), kFgnTrue);
    SetComplete();
}

TFgnFmtErr CESRICPly::AddArcGeom(double cx, double cy, double start, double end, double xRadius,
                                 double yRadius, TFgnBool counterClockwise) {
    if (builder_ == nullptr) return kFgnIncomplete;
    current_.reset();
    if (contiguous_ != kFgnTrue) {
        const TFgnFmtErr started = builder_->StartArc(key_.c_str(), kFgnTrue);
        if (started != kFgnOk) return started;
    }
    return CESRIArcStroker::Stroke(cx, cy, start, end, xRadius, yRadius, counterClockwise,
                                   *builder_);
}

TFgnFmtErr CESRICPly::AddArcGeom(double, double, double, double, double, double, double, TFgnBool) {
    return kFgnNotImplemented;
}

CFgnGeomPts* CESRICPly::AddPtGeom(TFgnFmtErr& err) {
    if (builder_ == nullptr) {
        err = kFgnIncomplete;
        return nullptr;
    }
    current_.reset();
    if (contiguous_ != kFgnTrue) {
        err = builder_->StartArc(key_.c_str(), kFgnTrue);
        if (err != kFgnOk) return nullptr;
    }
    current_ = std::make_unique<CESRIGeomPts>(builder_);
    err = kFgnOk;
    return current_.get();
}

CESRIMPnt::CESRIMPnt(CWriteCoverage* builder, const char* key)
    : builder_(builder), key_(key != nullptr ? key : "") {
    SetComplete();
}

TFgnFmtErr CESRIMPnt::AddPt(double, double, double) {
    return kFgnNotImplemented;
}

TFgnFmtErr CESRIMPnt::AddPt(double x, double y) {
    return builder_ != nullptr ? builder_->AddLabel(key_.c_str(), x, y) : kFgnIncomplete;
}

CESRICPline::CESRICPline(CWriteCoverage* builder, const char* key, TFgnBool contiguous)
    : key_(key != nullptr ? key : ""), contiguous_(contiguous), builder_(builder) {
    if (builder_ != nullptr && contiguous_ == kFgnTrue) builder_->StartArc(key_.c_str(), kFgnFalse);
    SetComplete();
}

TFgnFmtErr CESRICPline::AddArcGeom(double cx, double cy, double start, double end, double xRadius,
                                   double yRadius, TFgnBool counterClockwise) {
    if (builder_ == nullptr) return kFgnIncomplete;
    current_.reset();
    if (contiguous_ != kFgnTrue) {
        const TFgnFmtErr started = builder_->StartArc(key_.c_str(), kFgnFalse);
        if (started != kFgnOk) return started;
    }
    return CESRIArcStroker::Stroke(cx, cy, start, end, xRadius, yRadius, counterClockwise,
                                   *builder_);
}

TFgnFmtErr CESRICPline::AddArcGeom(double, double, double, double, double, double, double,
                                   TFgnBool) {
    return kFgnNotImplemented;
}

CFgnGeomPts* CESRICPline::AddPtGeom(TFgnFmtErr& err) {
    if (builder_ == nullptr) {
        err = kFgnIncomplete;
        return nullptr;
    }
    current_.reset();
    if (contiguous_ != kFgnTrue) {
        err = builder_->StartArc(key_.c_str(), kFgnFalse);
        if (err != kFgnOk) return nullptr;
    }
    current_ = std::make_unique<CESRIGeomPts>(builder_);
    err = kFgnOk;
    return current_.get();
}

TFgnBool CESRICPline::IsContiguous(TFgnFmtErr& err) const {
    err = kFgnOk;
    return contiguous_;
}

const std::list<const CFgnGeom*>* CESRICPly::GetGeometry(TFgnFmtErr& err) const {
    return Ok(err, &list_);
}

const CFgnPt* CESRICPly::GetLabelPt(TFgnFmtErr& err) const {
    return ReadSide<const CFgnPt*>(err, builder_ != nullptr, &label_);
}

TFgnBool CESRICPly::IsContiguous(TFgnFmtErr& err) const {
    return Ok(err, contiguous_);
}

void CESRICPly::AddGeom(const CESRIPtList& points, TFgnAreaType type) {
    pieces_.push_back(std::make_unique<CESRIGeomPts>(points, type));
    list_.push_back(pieces_.back().get());
}

TFgnFmtErr CESRIStyleText::GetDefinition(double& height, std::int32_t& colour, std::int32_t& second,
                                         TFgnBool& flag1, TFgnBool& flag2, TFgnBool& flag3,
                                         TFgnJustification& justification, double& angle,
                                         double& last) const {
    height = height_;
    colour = 0;
    second = 16777215;
    flag1 = flag2 = flag3 = kFgnFalse;
    justification = static_cast<TFgnJustification>(5);
    angle = 0.0;
    last = 0.0;
    return kFgnOk;
}

CESRIMText::CESRIMText(double x1, double y1, double x2, double y2, const char* text, double height,
                       std::int32_t id)
    : layer_(EsriMessage(kMsgText)),
      key_(EsriKey(id)),
      min_(x1, y1),
      max_(x2, y2),
      style_(height),
      text_(text) {
    SetComplete();
}

char const* CESRIMText::GetKey(TFgnFmtErr& err) const {
    return Ok(err, key_.c_str());
}

char const* CESRIMText::GetLayer(TFgnFmtErr& err) const {
    return Ok(err, layer_.c_str());
}

const CFgnPt* CESRIMText::GetMaxPt(TFgnFmtErr& err) const {
    return Ok(err, &max_);
}

const CFgnPt* CESRIMText::GetMinPt(TFgnFmtErr& err) const {
    return Ok(err, &min_);
}

const CFgnStyleText* CESRIMText::GetStyle(TFgnFmtErr& err) const {
    return Ok(err, &style_);
}

char const* CESRIMText::GetText(TFgnFmtErr& err) const {
    return Ok(err, text_);
}

TFgnFmtErr CESRIArcStroker::Stroke(double cx, double cy, double start, double end, double xRadius,
                                   double yRadius, TFgnBool increasing, CEsriVertexSink& sink) {
    constexpr double kStep = 2.0;
    if (!std::isfinite(start) || !std::isfinite(end)) return kFgnIncomplete;
    // Modulo one turn, keeping the sweep: clamping would cut an arc across 0.
    double from = std::fmod(start, 360.0);
    if (from < 0) from += 360.0;
    double sweep = std::fmod(increasing == kFgnTrue ? end - start : start - end, 360.0);
    if (sweep <= 0) sweep += 360.0;
    const double direction = increasing == kFgnTrue ? 1.0 : -1.0;
    const double to = from + direction * sweep;
    auto emit = [&](double angle) {
        const double r = angle * kEsriDegreeToRadian;
        return sink.AddVertex(cx + std::cos(r) * xRadius, cy + std::sin(r) * yRadius);
    };
    if (const TFgnFmtErr err = emit(from); err != kFgnOk) return err;
    for (int i = 1; i * kStep < sweep; ++i)
        if (const TFgnFmtErr err = emit(from + direction * i * kStep); err != kFgnOk) return err;
    return emit(to);
}
