#include "dgn/DgnFileWriter.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <random>

#include "dgn/DgnComplexElements.h"
#include "dgn/DgnEncoder.h"
#include "dgn/DgnFileReader.h"
#include "dgn/DgnGuard.h"
#include "dgn/DgnSettings.h"
#include "dgn/DgnSimpleElements.h"
#include "dgn/DgnStyle.h"
#include "dgn/DgnTextElements.h"

namespace dgn {

TFgnFmtErr CDgnKeyList::Add(std::uint64_t offset, std::string key, std::string layer) {
    if (reading_ || keys_.size() >= limit_) return kFgnIncomplete;
    keys_[offset] = {std::move(key), std::move(layer)};
    return kFgnOk;
}

const std::pair<std::string, std::string>* CDgnKeyList::Find(std::uint64_t offset) const {
    const auto found = keys_.find(offset);
    return found == keys_.end() ? nullptr : &found->second;
}

}  // namespace dgn

namespace {

std::string Text(char const* text) {
    return text ? text : "";
}

long LeadingInteger(const std::string& text) {
    return std::strtol(text.c_str(), nullptr, 10);
}

// A file of its own beside `output`, created here and nowhere else: never a
// name another file already has.
std::FILE* CreateTemporary(const std::string& output, std::string& path) {
    std::random_device seed;
    std::mt19937_64 random((std::uint64_t(seed()) << 32) ^ seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[24];
        std::snprintf(suffix, sizeof suffix, ".%016llx.tmp",
                      static_cast<unsigned long long>(random()));
        path = output + suffix;
        if (std::FILE* file = std::fopen(path.c_str(), "wbx")) return file;
    }
    path.clear();
    return nullptr;
}

// The writer polygon: one closed outline of points, written as a complex shape.
class CDgnWriterPly : public CDgnEntity<CFgnPly> {
public:
    CDgnWriterPly(CDgnGlobal* global, const CDgnPt& label) : CDgnEntity(global, kModeWrite) {
        label_ = label;
        SetComplete();
    }
    TFgnFmtErr AddPt(double x, double y, double z) override {
        if (!ThreeD()) return kFgnIncomplete;
        return dgn::GuardStatus([&] {
            points_.Add(CDgnPt(x, y, z));
            return kFgnOk;
        });
    }
    TFgnFmtErr AddPt(double x, double y) override {
        if (ThreeD()) return kFgnIncomplete;
        return dgn::GuardStatus([&] {
            points_.Add(CDgnPt(x, y, 0));
            return kFgnOk;
        });
    }
    const CFgnPt* GetLabelPt(TFgnFmtErr& err) const override {
        err = kFgnOk;
        return &label_;
    }
    const std::list<const CFgnPt*>* GetPts(TFgnFmtErr& err) const override {
        err = kFgnOk;
        return points_.List();
    }
    double GetRadius(TFgnFmtErr& err) const override {
        err = kFgnOk;
        return 0.0;
    }
    const CFgnStylePly* GetStyle(TFgnFmtErr& err) const override {
        err = kFgnOk;
        return &style_;
    }
    void Transform(const dgn::SDgnFrame& frame) override {
        label_ = frame.Apply(label_);
        points_.Transform(frame);
    }
    // A shape closes: a ring whose last point is not its first gets it again.
    TFgnFmtErr WriteElement() override {
        if (!Output() || points_.Size() == 0) return kFgnIncomplete;
        dgn::SDgnPiece piece;
        for (std::size_t i = 0; i < points_.Size(); ++i) piece.points.push_back(points_[i]);
        if (!(piece.points.front() == piece.points.back()))
            piece.points.push_back(piece.points.front());
        return dgn::WriteComplex(*Factors(), dgn::kTypeComplexShape, Written(), {piece}, *Output());
    }

private:
    CDgnPt label_;
    CDgnPointList points_;
    CDgnStylePly style_{kDgnNoColour, kDgnNoColour, kDgnNoColour, 0, "", ""};
};

constexpr double kMatrixUnits = 2147483648.0 / 10000.0;  // a stored matrix element's 1.0

// A cell placed by the writer: its block's entities are written after its
// header as components, moved by its matrix to its insertion point.
class CDgnWriterCell : public CDgnEntity<CFgnBlkInst> {
public:
    CDgnWriterCell(CDgnGlobal* global, const CDgnBlk* block, const FgnMatrix* matrix,
                   const CDgnPt& insert)
        : CDgnEntity(global, kModeWrite), block_(block), insert_(insert) {
        if (matrix)
            for (int r = 0; r < 3; ++r)
                for (int c = 0; c < 3; ++c) matrix_[r][c] = (*matrix)[r][c];
        SetBuilt();
    }
    TFgnFmtErr AddPt(double x, double y, double z) override {
        return dgn::GuardStatus([&] {
            points_.Add(CDgnPt(x, y, z));
            return kFgnOk;
        });
    }
    TFgnFmtErr AddPt(double x, double y) override { return AddPt(x, y, 0); }
    const std::list<const CFgnPt*>* GetPts(TFgnFmtErr& err) const override {
        err = kFgnOk;
        return points_.List();
    }
    const CFgnBlk* GetBlk(TFgnFmtErr& err) const override {
        err = kFgnOk;
        return block_;
    }
    const CFgnPt* GetInsertPt(TFgnFmtErr& err) const override {
        err = kFgnOk;
        return &insert_;
    }
    const FgnMatrix* GetMatrix(TFgnFmtErr& err) const override {
        err = kFgnOk;
        return &matrix_;
    }
    TFgnBool IsXRef(TFgnFmtErr& err) const override {
        err = kFgnOk;
        return kFgnFalse;
    }
    // Inside a turned cell: the insertion point moves, the matrices compose.
    void Transform(const dgn::SDgnFrame& frame) override {
        insert_ = frame.Apply(insert_);
        FgnMatrix product{};
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                for (int k = 0; k < 3; ++k) product[r][c] += frame.m[r][k] * matrix_[k][c];
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) matrix_[r][c] = product[r][c];
    }
    TFgnFmtErr WriteElement() override;

private:
    const CDgnBlk* block_;
    FgnMatrix matrix_ = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    CDgnPt insert_;
    CDgnPointList points_;
};

bool Invert(const FgnMatrix& m, dgn::SDgnFrame& inverse) {
    const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                       m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                       m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    if (!std::isfinite(det) || det == 0) return false;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            const int r1 = (c + 1) % 3, r2 = (c + 2) % 3, c1 = (r + 1) % 3, c2 = (r + 2) % 3;
            inverse.m[r][c] = (m[r1][c1] * m[r2][c2] - m[r1][c2] * m[r2][c1]) / det;
        }
    return true;
}

TFgnFmtErr CDgnWriterCell::WriteElement() {
    if (!Output() || !block_) return kFgnIncomplete;
    CDgnGlobal& global = *Factors();
    const int axes = ThreeD() ? 3 : 2;
    dgn::SDgnFrame frame, inverse;
    bool identity = true;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            frame.m[r][c] = r < axes && c < axes ? matrix_[r][c] : (r == c ? 1 : 0);
            identity = identity && frame.m[r][c] == (r == c ? 1 : 0);
        }
    if (!identity && !Invert(frame.m, inverse)) return kFgnIncomplete;

    // Components are stored where the cell places them: turned, then moved
    // to the insertion point.
    std::vector<std::uint8_t> components;
    const CDgnPt origin = global.NegatedOrigin();
    global.SetNegatedOrigin(
        CDgnPt(origin.X() - insert_.X(), origin.Y() - insert_.Y(), origin.Z() - insert_.Z()));
    TFgnFmtErr status = kFgnOk;
    for (const CFgnEntity* entity : block_->Entities()) {
        auto* element = dynamic_cast<CDgnElement*>(const_cast<CFgnEntity*>(entity));
        if (!element) continue;
        const dgn::SDgnWriteHeader kept = element->Written();
        element->Written().complex = true;
        element->Written().linkage = false;
        if (!identity) element->Transform(frame);
        element->SetOutput(&components);
        status = element->WriteElement();
        if (!identity) element->Transform(inverse);
        element->Written() = kept;
        if (status != kFgnOk) break;
    }
    global.SetNegatedOrigin(origin);
    if (status != kFgnOk) return status;

    dgn::CDgnEncoder encoder(global, dgn::kTypeCell, Written());
    std::int32_t low[3] = {}, high[3] = {};
    std::uint16_t levels[4] = {};
    const bool spans = dgn::StoredRange(components, low, high, levels);
    if (spans) encoder.ExtendStored(low, high);
    encoder.Word(0);  // the total length, set below
    TFgnFmtErr err = kFgnOk;
    for (const std::uint16_t word : dgn::TextToRadix50(block_->GetName(err), 2)) encoder.Word(word);
    encoder.Word(0);  // class
    for (const std::uint16_t word : levels) encoder.Word(word);
    for (const std::int32_t* corner : {low, high})
        for (int axis = 0; axis < axes; ++axis) encoder.Long(corner[axis]);
    for (int r = 0; r < axes; ++r)
        for (int c = 0; c < axes; ++c) {
            const double stored = std::round(frame.m[r][c] * kMatrixUnits);
            if (!(std::fabs(stored) <= 2147483647.0)) return kFgnIncomplete;
            encoder.Long(static_cast<std::int32_t>(stored));
        }
    encoder.Point(insert_);
    std::vector<std::uint8_t> element;
    if (encoder.Finish(element) != kFgnOk) return kFgnIncomplete;
    const std::size_t words = (element.size() + components.size() - (dgn::kHeaderSize + 2)) / 2;
    if (words > 0xFFFF) return kFgnIncomplete;
    element[dgn::kHeaderSize] = static_cast<std::uint8_t>(words);
    element[dgn::kHeaderSize + 1] = static_cast<std::uint8_t>(words >> 8);
    Output()->insert(Output()->end(), element.begin(), element.end());
    Output()->insert(Output()->end(), components.begin(), components.end());
    return kFgnOk;
}

bool ThreeDOf(const CDgnGlobal* global) {
    return global && !global->TwoD();
}

CDgnPt PointOf(const CFgnPt* pt) {
    return pt ? CDgnPt(*pt) : CDgnPt();
}

}  // namespace

// A cell definition the writer fills: each Add operation is the writer's,
// its element kept by the block instead of written.
class CDgnWriterBlk final : public CDgnBlk {
public:
    CDgnWriterBlk(CDgnFileWriter& writer, const char* name, const char* xref)
        : CDgnBlk(name, xref, 0), writer_(writer) {}

    // Runs `add` with the writer filling this block.
    template <class F>
    auto Into(F&& add) {
        CDgnBlk* const outer = writer_.into_;
        writer_.into_ = this;
        auto result = add();
        writer_.into_ = outer;
        return result;
    }

    TFgnFmtErr AddPnt(char const* k, char const* l, double x, double y,
                      const CFgnStylePnt* s) override {
        return Into([&] { return writer_.AddPnt(k, l, x, y, s); });
    }
    TFgnFmtErr AddPnt(char const* k, char const* l, double x, double y, double z,
                      const CFgnStylePnt* s) override {
        return Into([&] { return writer_.AddPnt(k, l, x, y, z, s); });
    }
    CFgnMPnt* AddMPnt(char const* k, char const* l, const CFgnStylePnt* s,
                      TFgnFmtErr& err) override {
        return Into([&] { return writer_.AddMPnt(k, l, s, err); });
    }
    TFgnFmtErr AddLine(char const* k, char const* l, double x1, double x2, double y1, double y2,
                       const CFgnStyleLine* s) override {
        return Into([&] { return writer_.AddLine(k, l, x1, x2, y1, y2, s); });
    }
    TFgnFmtErr AddLine(char const* k, char const* l, double x1, double x2, double y1, double y2,
                       double z1, double z2, const CFgnStyleLine* s) override {
        return Into([&] { return writer_.AddLine(k, l, x1, x2, y1, y2, z1, z2, s); });
    }
    CFgnPline* AddPline(char const* k, char const* l, TFgnBool smoothed, const CFgnStyleLine* s,
                        TFgnFmtErr& err) override {
        return Into([&] { return writer_.AddPline(k, l, smoothed, s, err); });
    }
    CFgnCPline* AddCPline(char const* k, char const* l, const CFgnStyleLine* s, TFgnBool c,
                          TFgnFmtErr& err) override {
        return Into([&] { return writer_.AddCPline(k, l, s, c, err); });
    }
    CFgnPly* AddPly(char const* k, char const* l, double x, double y, double r,
                    const CFgnStylePly* s, TFgnFmtErr& err) override {
        return Into([&] { return writer_.AddPly(k, l, x, y, r, s, err); });
    }
    CFgnPly* AddPly(char const* k, char const* l, double x, double y, double z, double r,
                    const CFgnStylePly* s, TFgnFmtErr& err) override {
        return Into([&] { return writer_.AddPly(k, l, x, y, z, r, s, err); });
    }
    CFgnCPly* AddCPly(char const* k, char const* l, double x, double y, const CFgnStylePly* s,
                      TFgnBool c, TFgnFmtErr& err) override {
        return Into([&] { return writer_.AddCPly(k, l, x, y, s, c, err); });
    }
    CFgnCPly* AddCPly(char const* k, char const* l, double x, double y, double z,
                      const CFgnStylePly* s, TFgnBool c, TFgnFmtErr& err) override {
        return Into([&] { return writer_.AddCPly(k, l, x, y, z, s, c, err); });
    }
    TFgnFmtErr AddArc(char const* k, char const* l, double cx, double cy, double start, double end,
                      double xr, double yr, TFgnBool ccw, const CFgnStyleLine* s) override {
        return Into([&] { return writer_.AddArc(k, l, cx, cy, start, end, xr, yr, ccw, s); });
    }
    TFgnFmtErr AddArc(char const* k, char const* l, double cx, double cy, double cz, double start,
                      double end, double xr, double yr, TFgnBool ccw,
                      const CFgnStyleLine* s) override {
        return Into([&] { return writer_.AddArc(k, l, cx, cy, cz, start, end, xr, yr, ccw, s); });
    }
    TFgnFmtErr AddText(char const* k, char const* l, char const* t, double x, double y,
                       const CFgnStyleText* s) override {
        return Into([&] { return writer_.AddText(k, l, t, x, y, s); });
    }
    TFgnFmtErr AddText(char const* k, char const* l, char const* t, double x, double y, double z,
                       const CFgnStyleText* s) override {
        return Into([&] { return writer_.AddText(k, l, t, x, y, z, s); });
    }
    TFgnFmtErr AddMText(char const* k, char const* l, char const* t, double x1, double x2,
                        double y1, double y2, const CFgnStyleText* s) override {
        return Into([&] { return writer_.AddMText(k, l, t, x1, x2, y1, y2, s); });
    }
    TFgnFmtErr AddMText(char const* k, char const* l, char const* t, double x1, double x2,
                        double y1, double y2, double z1, double z2,
                        const CFgnStyleText* s) override {
        return Into([&] { return writer_.AddMText(k, l, t, x1, x2, y1, y2, z1, z2, s); });
    }
    CFgnBlkInst* AddBlkInst(char const* k, char const* l, const CFgnBlk* b, const FgnMatrix* m,
                            double x, double y, const CFgnStyleBlk* s, TFgnFmtErr& err) override {
        return Into([&] { return writer_.AddBlkInst(k, l, b, m, x, y, s, err); });
    }
    CFgnBlkInst* AddBlkInst(char const* k, char const* l, const CFgnBlk* b, const FgnMatrix* m,
                            double x, double y, double z, const CFgnStyleBlk* s,
                            TFgnFmtErr& err) override {
        return Into([&] { return writer_.AddBlkInst(k, l, b, m, x, y, z, s, err); });
    }
    TFgnFmtErr AddUnknown(char const*, char const*, char const*) override { return kFgnOk; }

private:
    CDgnFileWriter& writer_;
};

CDgnFileWriter::CDgnFileWriter() = default;

CDgnFileWriter::CDgnFileWriter(char const* output, char const* settings, int twoD, CFgnPt* rangeLow,
                               CFgnPt* rangeHigh, long positionalPerSub, long subPerMaster,
                               double originX, double originY, double originZ)
    : global_(std::make_unique<CDgnGlobal>(
          rangeLow, rangeHigh, static_cast<std::int32_t>(positionalPerSub),
          static_cast<std::int32_t>(subPerMaster), twoD != 0, originX, originY, originZ)),
      output_(Text(output)),
      settings_(Text(settings)),
      state_(kConstructed) {
    iniFile.SetFile(settings);
}

CDgnFileWriter::~CDgnFileWriter() {
    if (state_ == kLoaded) SaveData();
    CloseFile();
}

void CDgnFileWriter::CloseFile() {
    if (file_ && std::fclose(file_) != 0) writeFailed_ = true;
    file_ = nullptr;
}

void CDgnFileWriter::RemoveTemporary() {
    if (temporary_.empty()) return;
    std::error_code ignored;
    std::filesystem::remove(temporary_, ignored);
}

TFgnFmtErr CDgnFileWriter::LoadData() {
    if (state_ != kConstructed || !global_) return kFgnNotLoaded;
    file_ = CreateTemporary(output_, temporary_);
    if (!file_) return kFgnNotLoaded;
    std::vector<std::uint8_t> seed;
    const TFgnFmtErr status = global_->LoadSeedHeader(seed);
    if (status == kFgnOk && std::fwrite(seed.data(), 1, seed.size(), file_) != seed.size())
        writeFailed_ = true;
    if (status != kFgnOk || writeFailed_) {
        CloseFile();
        RemoveTemporary();
        return status != kFgnOk ? status : kFgnNotLoaded;
    }
    position_ = seed.size();
    state_ = kLoaded;
    return kFgnOk;
}

bool CDgnFileWriter::Ready(bool threeD) const {
    return state_ == kLoaded && ThreeDOf(global_.get()) == threeD;
}

TFgnFmtErr CDgnFileWriter::Append(std::unique_ptr<CDgnElement> element, char const* key,
                                  char const* layer) {
    if (into_) {
        element->SetIdentity(Text(key), Text(layer));
        CFgnEntity* entity = element->Entity();
        if (!entity) return kFgnIncomplete;
        element.release();
        return into_->AddEntity(entity);
    }
    if (added_ % 100 == 0)
        if (const TFgnFmtErr status = Flush()) return status;
    element->SetIdentity(Text(key), Text(layer));
    elements_.push_back(std::move(element));
    ++added_;
    return kFgnOk;
}

void CDgnFileWriter::AttachAttributes(CDgnElement& element) const {
    const auto* rows = compiled_.RowsFor(element.Key(), element.Layer());
    if (!rows || rows->empty()) return;
    dgn::SDgnWriteHeader& header = element.Written();
    header.linkage = true;
    const CMapFiltTblRec::Row& row = rows->front();
    std::string text;
    const auto value = [&](const char* column, auto&& set) {
        if (compiled_.ValueText(row, column, text) == kFgnOk) set(LeadingInteger(text));
    };
    value("Class", [&](long v) {
        if (v >= 0 && v <= 6) header.elementClass = static_cast<std::uint8_t>(v);
    });
    value("Group", [&](long v) { header.graphicGroup = static_cast<std::uint16_t>(v); });
    value("Level", [&](long v) { header.level = dgn::LevelFromLayer(std::to_string(v)); });
    value("EntityNum", [&](long v) { header.entityNumber = static_cast<std::uint16_t>(v); });
    value("MSLink", [&](long v) { header.linkNumber = static_cast<std::uint32_t>(v); });
}

TFgnFmtErr CDgnFileWriter::Flush() {
    return dgn::GuardStatus([&] {
        std::vector<std::uint8_t> bytes;
        TFgnFmtErr result = kFgnOk;
        for (std::unique_ptr<CDgnElement>& element : elements_) {
            if (secondPass_) AttachAttributes(*element);
            const std::size_t at = bytes.size();
            element->SetOutput(&bytes);
            if (element->WriteElement() != kFgnOk) {
                bytes.resize(at);
                ++refused_;
                continue;
            }
            if (!secondPass_ && result == kFgnOk &&
                keys_.Add(position_ + at, element->Key(), element->Layer()) != kFgnOk)
                result = kFgnIncomplete;
        }
        elements_.clear();
        if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size())
            writeFailed_ = true;
        position_ += bytes.size();
        return writeFailed_ ? kFgnNotLoaded : result;
    });
}

TFgnFmtErr CDgnFileWriter::SaveData() {
    if (state_ != kLoaded) return kFgnIncomplete;
    state_ = kDone;
    TFgnFmtErr status = Flush();
    const std::uint8_t end[2] = {0xFF, 0xFF};
    if (std::fwrite(end, 1, 2, file_) != 2) writeFailed_ = true;
    CloseFile();
    if (status == kFgnOk && writeFailed_) status = kFgnNotLoaded;
    if (status == kFgnOk) status = secondPass_ ? kFgnOk : SecondPass();
    if (status == kFgnOk && secondPass_) {
        std::error_code error;
        std::filesystem::rename(temporary_, output_, error);
        if (error) status = kFgnNotLoaded;
    }
    if (status != kFgnOk || !secondPass_) RemoveTemporary();
    temporary_.clear();
    if (status == kFgnOk && refused_ > 0) status = kFgnIncomplete;
    return status;
}

TFgnFmtErr CDgnFileWriter::SecondPass() {
    keys_.StartReading();
    CDgnFileReader reader(temporary_.c_str(), settings_.c_str());
    if (const TFgnFmtErr status = reader.LoadData()) return status;
    const CDgnGlobal& read = *reader.Factors();
    CDgnPt low = read.RangeLow(), high = read.RangeHigh();
    CDgnFileWriter target(output_.c_str(), settings_.c_str(), read.TwoD() ? 1 : 0, &low, &high,
                          read.PositionalPerSubUnit(), read.SubUnitsPerMaster(),
                          read.NegatedOrigin().X(), read.NegatedOrigin().Y(),
                          read.NegatedOrigin().Z());
    target.WriteAttributes();
    TFgnFmtErr status = target.CreateOptimizedTable(table_.get());
    if (status == kFgnOk) status = target.LoadData();
    for (TFgnFmtErr err = kFgnOk; status == kFgnOk && !reader.Done(err); reader.Step()) {
        const CFgnEntity* entity = reader.GetCurrent(err);
        if (!entity) {
            if (err == kFgnNotLoaded) status = err;
            continue;
        }
        TFgnFmtErr keyErr = kFgnOk;
        const auto* key = keys_.Find(std::strtoull(entity->GetKey(keyErr), nullptr, 10));
        status = key ? CopyEntity(*entity, target, key->first, key->second) : kFgnIncomplete;
    }
    if (status != kFgnOk) {
        target.UnloadData();
        return status;
    }
    return target.SaveData();
}

TFgnFmtErr CDgnFileWriter::UnloadData() {
    if (state_ != kLoaded) return kFgnIncomplete;
    elements_.clear();
    CloseFile();
    RemoveTemporary();
    temporary_.clear();
    state_ = kDone;
    return kFgnOk;
}

std::unique_ptr<CFgnObject> CDgnFileWriter::TakeStyle(const CFgnObject* style) {
    const auto found = styles_.find(style);
    if (found == styles_.end()) return nullptr;
    std::unique_ptr<CFgnObject> owned = std::move(found->second);
    styles_.erase(found);
    return owned;
}

template <class Style>
const Style* CDgnFileWriter::KeepStyle(std::unique_ptr<Style> style, TFgnFmtErr& err) {
    const Style* kept = style.get();
    styles_.emplace(kept, std::move(style));
    err = kFgnOk;
    return kept;
}

std::uint16_t CDgnFileWriter::LineSymbology(const CFgnStyleLine* style) {
    const std::unique_ptr<CFgnObject> owned = TakeStyle(style);
    if (!style) return 0;
    std::int32_t colour = 0;
    std::int16_t weight = 0;
    TFgnFmtErr err = kFgnOk;
    style->GetDefinition(colour, weight);
    return global_->StyleToSymbology(colour, weight, style->GetLinePattern(err));
}

std::uint16_t CDgnFileWriter::PlySymbology(const CFgnStylePly* style) {
    const std::unique_ptr<CFgnObject> owned = TakeStyle(style);
    if (!style) return 0;
    std::int32_t colour = 0, fill = 0, third = 0;
    std::int16_t weight = 0;
    TFgnFmtErr err = kFgnOk;
    style->GetDefinition(colour, fill, third, weight);
    return global_->StyleToSymbology(colour, weight, style->GetLinePattern(err));
}

TFgnFmtErr CDgnFileWriter::AddPnt(char const* key, char const* layer, double x, double y,
                                  const CFgnStylePnt* style) {
    if (!Ready(false)) {
        TakeStyle(style);
        return kFgnIncomplete;
    }
    return PntImpl(key, layer, x, y, 0.0, style);
}

TFgnFmtErr CDgnFileWriter::AddPnt(char const* key, char const* layer, double x, double y, double z,
                                  const CFgnStylePnt* style) {
    if (!Ready(true)) {
        TakeStyle(style);
        return kFgnIncomplete;
    }
    return PntImpl(key, layer, x, y, z, style);
}

TFgnFmtErr CDgnFileWriter::PntImpl(char const* key, char const* layer, double x, double y, double z,
                                   const CFgnStylePnt* style) {
    const std::unique_ptr<CFgnObject> owned = TakeStyle(style);
    if (state_ != kLoaded) return kFgnIncomplete;
    std::int32_t colour = 0;
    if (style) {
        double rotation = 0;
        std::int16_t size = 0;
        TFgnFmtErr err = kFgnOk;
        style->GetDefinition(colour, rotation, size, err);
    }
    return dgn::GuardStatus([&] {
        auto line = std::make_unique<CDgnLine>(global_.get(), CDgnElement::kModeWrite);
        line->SetEnds(CDgnPt(x, y, z), CDgnPt(x, y, z));
        line->Written().symbology = global_->StyleToSymbology(colour, 0, nullptr);
        return Append(std::move(line), key, layer);
    });
}

CFgnMPnt* CDgnFileWriter::AddMPnt(char const* key, char const* layer, const CFgnStylePnt* style,
                                  TFgnFmtErr& err) {
    const std::unique_ptr<CFgnObject> owned = TakeStyle(style);
    err = kFgnIncomplete;
    if (state_ != kLoaded) return nullptr;
    std::int32_t colour = 0;
    if (style) {
        double rotation = 0;
        std::int16_t size = 0;
        style->GetDefinition(colour, rotation, size, err);
    }
    return dgn::GuardValue(err, static_cast<CFgnMPnt*>(nullptr), [&]() -> CFgnMPnt* {
        auto points = std::make_unique<CDgnPoint>(global_.get(), CDgnElement::kModeWrite);
        points->Written().symbology = global_->StyleToSymbology(colour, 0, nullptr);
        points->SetBuilt();
        CDgnPoint* made = points.get();
        err = Append(std::move(points), key, layer);
        return err == kFgnOk ? made : nullptr;
    });
}

TFgnFmtErr CDgnFileWriter::AddLine(char const* key, char const* layer, double x1, double x2,
                                   double y1, double y2, const CFgnStyleLine* style) {
    if (!Ready(false)) {
        TakeStyle(style);
        return kFgnIncomplete;
    }
    return LineImpl(key, layer, x1, x2, y1, y2, 0.0, 0.0, style);
}

TFgnFmtErr CDgnFileWriter::AddLine(char const* key, char const* layer, double x1, double x2,
                                   double y1, double y2, double z1, double z2,
                                   const CFgnStyleLine* style) {
    if (!Ready(true)) {
        TakeStyle(style);
        return kFgnIncomplete;
    }
    return LineImpl(key, layer, x1, x2, y1, y2, z1, z2, style);
}

TFgnFmtErr CDgnFileWriter::LineImpl(char const* key, char const* layer, double x1, double x2,
                                    double y1, double y2, double z1, double z2,
                                    const CFgnStyleLine* style) {
    const std::uint16_t symbology = state_ == kLoaded ? LineSymbology(style) : 0;
    if (state_ != kLoaded) return TakeStyle(style), kFgnIncomplete;
    return dgn::GuardStatus([&] {
        auto line = std::make_unique<CDgnLine>(global_.get(), CDgnElement::kModeWrite);
        line->SetEnds(CDgnPt(x1, y1, z1), CDgnPt(x2, y2, z2));
        line->Written().symbology = symbology;
        return Append(std::move(line), key, layer);
    });
}

CFgnPline* CDgnFileWriter::AddPline(char const* key, char const* layer, TFgnBool smoothed,
                                    const CFgnStyleLine* style, TFgnFmtErr& err) {
    err = kFgnIncomplete;
    if (state_ != kLoaded) return TakeStyle(style), nullptr;
    const std::uint16_t symbology = LineSymbology(style);
    return dgn::GuardValue(err, static_cast<CFgnPline*>(nullptr), [&]() -> CFgnPline* {
        auto pline = std::make_unique<CDgnPline>(global_.get(), CDgnElement::kModeWrite);
        pline->SetSmoothed(smoothed);
        pline->Written().symbology = symbology;
        pline->SetBuilt();
        CDgnPline* made = pline.get();
        err = Append(std::move(pline), key, layer);
        return err == kFgnOk ? made : nullptr;
    });
}

CFgnCPline* CDgnFileWriter::AddCPline(char const* key, char const* layer,
                                      const CFgnStyleLine* style, TFgnBool, TFgnFmtErr& err) {
    err = kFgnIncomplete;
    if (state_ != kLoaded) return TakeStyle(style), nullptr;
    const std::uint16_t symbology = LineSymbology(style);
    return dgn::GuardValue(err, static_cast<CFgnCPline*>(nullptr), [&]() -> CFgnCPline* {
        auto chain = std::make_unique<CDgnCPline>(global_.get(), CDgnElement::kModeWrite);
        chain->Written().symbology = symbology;
        chain->SetBuilt();
        CDgnCPline* made = chain.get();
        err = Append(std::move(chain), key, layer);
        return err == kFgnOk ? made : nullptr;
    });
}

CFgnPly* CDgnFileWriter::AddPly(char const* key, char const* layer, double labelX, double labelY,
                                double, const CFgnStylePly* style, TFgnFmtErr& err) {
    if (!Ready(false)) {
        err = kFgnIncomplete;
        return TakeStyle(style), nullptr;
    }
    return PlyImpl(key, layer, labelX, labelY, 0.0, style, err);
}

CFgnPly* CDgnFileWriter::AddPly(char const* key, char const* layer, double labelX, double labelY,
                                double labelZ, double, const CFgnStylePly* style, TFgnFmtErr& err) {
    if (!Ready(true)) {
        err = kFgnIncomplete;
        return TakeStyle(style), nullptr;
    }
    return PlyImpl(key, layer, labelX, labelY, labelZ, style, err);
}

CFgnPly* CDgnFileWriter::PlyImpl(char const* key, char const* layer, double labelX, double labelY,
                                 double labelZ, const CFgnStylePly* style, TFgnFmtErr& err) {
    err = kFgnIncomplete;
    if (state_ != kLoaded) return TakeStyle(style), nullptr;
    const std::uint16_t symbology = PlySymbology(style);
    return dgn::GuardValue(err, static_cast<CFgnPly*>(nullptr), [&]() -> CFgnPly* {
        auto ply = std::make_unique<CDgnWriterPly>(global_.get(), CDgnPt(labelX, labelY, labelZ));
        ply->Written().symbology = symbology;
        CDgnWriterPly* made = ply.get();
        err = Append(std::move(ply), key, layer);
        return err == kFgnOk ? made : nullptr;
    });
}

CFgnCPly* CDgnFileWriter::AddCPly(char const* key, char const* layer, double labelX, double labelY,
                                  const CFgnStylePly* style, TFgnBool contiguous, TFgnFmtErr& err) {
    if (!Ready(false)) {
        err = kFgnIncomplete;
        return TakeStyle(style), nullptr;
    }
    return CPlyImpl(key, layer, labelX, labelY, 0.0, style, contiguous, err);
}

CFgnCPly* CDgnFileWriter::AddCPly(char const* key, char const* layer, double labelX, double labelY,
                                  double labelZ, const CFgnStylePly* style, TFgnBool contiguous,
                                  TFgnFmtErr& err) {
    if (!Ready(true)) {
        err = kFgnIncomplete;
        return TakeStyle(style), nullptr;
    }
    return CPlyImpl(key, layer, labelX, labelY, labelZ, style, contiguous, err);
}

CFgnCPly* CDgnFileWriter::CPlyImpl(char const* key, char const* layer, double labelX, double labelY,
                                   double labelZ, const CFgnStylePly* style, TFgnBool,
                                   TFgnFmtErr& err) {
    err = kFgnIncomplete;
    if (state_ != kLoaded) return TakeStyle(style), nullptr;
    const std::uint16_t symbology = PlySymbology(style);
    return dgn::GuardValue(err, static_cast<CFgnCPly*>(nullptr), [&]() -> CFgnCPly* {
        auto shape = std::make_unique<CDgnCPoly>(global_.get(), CDgnElement::kModeWrite);
        shape->Written().symbology = symbology;
        shape->SetLabel(CDgnPt(labelX, labelY, labelZ));
        shape->SetBuilt();
        CDgnCPoly* made = shape.get();
        err = Append(std::move(shape), key, layer);
        return err == kFgnOk ? made : nullptr;
    });
}

TFgnFmtErr CDgnFileWriter::AddArc(char const* key, char const* layer, double cx, double cy,
                                  double start, double end, double xRadius, double yRadius,
                                  TFgnBool counterClockwise, const CFgnStyleLine* style) {
    if (!Ready(false)) {
        TakeStyle(style);
        return kFgnIncomplete;
    }
    return ArcImpl(key, layer, cx, cy, 0.0, start, end, xRadius, yRadius, counterClockwise, style);
}

TFgnFmtErr CDgnFileWriter::AddArc(char const* key, char const* layer, double cx, double cy,
                                  double cz, double start, double end, double xRadius,
                                  double yRadius, TFgnBool counterClockwise,
                                  const CFgnStyleLine* style) {
    if (!Ready(true)) {
        TakeStyle(style);
        return kFgnIncomplete;
    }
    return ArcImpl(key, layer, cx, cy, cz, start, end, xRadius, yRadius, counterClockwise, style);
}

TFgnFmtErr CDgnFileWriter::ArcImpl(char const* key, char const* layer, double cx, double cy,
                                   double cz, double start, double end, double xRadius,
                                   double yRadius, TFgnBool counterClockwise,
                                   const CFgnStyleLine* style) {
    if (state_ != kLoaded) return TakeStyle(style), kFgnIncomplete;
    const std::uint16_t symbology = LineSymbology(style);
    return dgn::GuardStatus([&] {
        auto arc = std::make_unique<CDgnArc>(global_.get(), CDgnElement::kModeWrite);
        arc->SetAxes(CDgnPt(cx, cy, cz), xRadius, yRadius);
        arc->SetAngles(start, dgn::SweepOf(start, end, counterClockwise != kFgnFalse));
        arc->Written().symbology = symbology;
        return Append(std::move(arc), key, layer);
    });
}

TFgnFmtErr CDgnFileWriter::AddText(char const* key, char const* layer, char const* text, double x,
                                   double y, const CFgnStyleText* style) {
    if (!Ready(false)) return TakeStyle(style), kFgnIncomplete;
    return TextImpl(key, layer, text, x, y, 0.0, style);
}

TFgnFmtErr CDgnFileWriter::AddText(char const* key, char const* layer, char const* text, double x,
                                   double y, double z, const CFgnStyleText* style) {
    if (!Ready(true)) return TakeStyle(style), kFgnIncomplete;
    return TextImpl(key, layer, text, x, y, z, style);
}

TFgnFmtErr CDgnFileWriter::TextImpl(char const* key, char const* layer, char const* text, double x,
                                    double y, double z, const CFgnStyleText* style) {
    const std::unique_ptr<CFgnObject> owned = TakeStyle(style);
    return dgn::GuardStatus([&] {
        auto element = std::make_unique<CDgnText>(global_.get(), CDgnElement::kModeWrite);
        element->SetText(Text(text), CDgnPt(x, y, z), style);
        element->SetBuilt();
        return Append(std::move(element), key, layer);
    });
}

TFgnFmtErr CDgnFileWriter::AddMText(char const* key, char const* layer, char const* text,
                                    double minX, double maxX, double minY, double maxY,
                                    const CFgnStyleText* style) {
    if (!Ready(false)) return TakeStyle(style), kFgnIncomplete;
    return MTextImpl(key, layer, text, CDgnPt(minX, minY, 0), CDgnPt(maxX, maxY, 0), style);
}

TFgnFmtErr CDgnFileWriter::AddMText(char const* key, char const* layer, char const* text,
                                    double minX, double maxX, double minY, double maxY, double minZ,
                                    double maxZ, const CFgnStyleText* style) {
    if (!Ready(true)) return TakeStyle(style), kFgnIncomplete;
    return MTextImpl(key, layer, text, CDgnPt(minX, minY, minZ), CDgnPt(maxX, maxY, maxZ), style);
}

TFgnFmtErr CDgnFileWriter::MTextImpl(char const* key, char const* layer, char const* text,
                                     const CDgnPt& min, const CDgnPt& max,
                                     const CFgnStyleText* style) {
    const std::unique_ptr<CFgnObject> owned = TakeStyle(style);
    return dgn::GuardStatus([&] {
        auto node = std::make_unique<CDgnTNode>(global_.get(), CDgnElement::kModeWrite);
        node->SetNode(Text(text), min, max, style);
        node->SetBuilt();
        return Append(std::move(node), key, layer);
    });
}

CFgnBlk* CDgnFileWriter::AddBlk(char const* name, char const* xref, TFgnFmtErr& err) {
    err = kFgnIncomplete;
    if (state_ != kLoaded) return nullptr;
    return dgn::GuardValue(err, static_cast<CFgnBlk*>(nullptr), [&]() -> CFgnBlk* {
        blocks_.push_back(std::make_unique<CDgnWriterBlk>(*this, name, xref));
        err = kFgnOk;
        return blocks_.back().get();
    });
}

CFgnBlkInst* CDgnFileWriter::AddBlkInst(char const* key, char const* layer, const CFgnBlk* block,
                                        const FgnMatrix* transform, double x, double y,
                                        const CFgnStyleBlk* style, TFgnFmtErr& err) {
    if (!Ready(false)) {
        err = kFgnIncomplete;
        return TakeStyle(style), nullptr;
    }
    return BlkInstImpl(key, layer, block, transform, CDgnPt(x, y, 0), style, err);
}

CFgnBlkInst* CDgnFileWriter::AddBlkInst(char const* key, char const* layer, const CFgnBlk* block,
                                        const FgnMatrix* transform, double x, double y, double z,
                                        const CFgnStyleBlk* style, TFgnFmtErr& err) {
    if (!Ready(true)) {
        err = kFgnIncomplete;
        return TakeStyle(style), nullptr;
    }
    return BlkInstImpl(key, layer, block, transform, CDgnPt(x, y, z), style, err);
}

CFgnBlkInst* CDgnFileWriter::BlkInstImpl(char const* key, char const* layer, const CFgnBlk* block,
                                         const FgnMatrix* transform, const CDgnPt& insert,
                                         const CFgnStyleBlk* style, TFgnFmtErr& err) {
    const std::unique_ptr<CFgnObject> owned = TakeStyle(style);
    err = kFgnIncomplete;
    const auto* cell = dynamic_cast<const CDgnBlk*>(block);
    if (!cell) return nullptr;
    std::int32_t colour = 0;
    if (style) style->GetDefinition(colour);
    return dgn::GuardValue(err, static_cast<CFgnBlkInst*>(nullptr), [&]() -> CFgnBlkInst* {
        auto instance = std::make_unique<CDgnWriterCell>(global_.get(), cell, transform, insert);
        instance->Written().symbology = global_->StyleToSymbology(colour, 0, nullptr);
        CDgnWriterCell* made = instance.get();
        err = Append(std::move(instance), key, layer);
        return err == kFgnOk ? made : nullptr;
    });
}

TFgnFmtErr CDgnFileWriter::AddUnknown(char const*, char const*, char const*) {
    return kFgnOk;
}

CFgnTbl* CDgnFileWriter::AddTable(char const* name, TFgnBool allLayers, TFgnFmtErr& err) {
    err = kFgnIncomplete;
    if (table_) return nullptr;
    return dgn::GuardValue(err, static_cast<CFgnTbl*>(nullptr), [&]() -> CFgnTbl* {
        table_ = std::make_unique<CDgnTbl>(name ? name : "", allLayers);
        err = kFgnOk;
        return table_.get();
    });
}

TFgnFmtErr CDgnFileWriter::CreateOptimizedTable(CFgnTbl* table) {
    return table ? compiled_.Compile(table) : kFgnOk;
}

const CFgnStylePnt* CDgnFileWriter::AddPntStyle(char const* symbol, std::int32_t colour,
                                                double rotation, std::int16_t size,
                                                TFgnFmtErr& err) {
    return dgn::GuardValue(err, static_cast<const CFgnStylePnt*>(nullptr), [&] {
        return KeepStyle(std::make_unique<CDgnStylePnt>(colour, rotation, size, symbol), err);
    });
}

const CFgnStyleBlk* CDgnFileWriter::AddBlkStyle(std::int32_t colour, TFgnFmtErr& err) {
    return dgn::GuardValue(err, static_cast<const CFgnStyleBlk*>(nullptr),
                           [&] { return KeepStyle(std::make_unique<CDgnStyleBlk>(colour), err); });
}

const CFgnStyleLine* CDgnFileWriter::AddLineStyle(char const* linePattern, std::int32_t colour,
                                                  std::int16_t weight, TFgnFmtErr& err) {
    return dgn::GuardValue(err, static_cast<const CFgnStyleLine*>(nullptr), [&] {
        return KeepStyle(std::make_unique<CDgnStyleLine>(colour, weight, linePattern), err);
    });
}

const CFgnStylePly* CDgnFileWriter::AddPlyStyle(char const* fillPattern, char const* linePattern,
                                                std::int32_t edgeColour, std::int32_t fillColour,
                                                std::int32_t third, std::int32_t weight,
                                                TFgnFmtErr& err) {
    return dgn::GuardValue(err, static_cast<const CFgnStylePly*>(nullptr), [&] {
        return KeepStyle(std::make_unique<CDgnStylePly>(edgeColour, fillColour, third,
                                                        static_cast<std::int16_t>(weight),
                                                        linePattern, fillPattern),
                         err);
    });
}

const CFgnStyleText* CDgnFileWriter::AddTextStyle(char const* font, double height,
                                                  std::int32_t colour, std::int32_t, TFgnBool,
                                                  TFgnBool, TFgnBool,
                                                  TFgnJustification justification, double angle,
                                                  double last, TFgnFmtErr& err) {
    return dgn::GuardValue(err, static_cast<const CFgnStyleText*>(nullptr), [&] {
        return KeepStyle(
            std::make_unique<CDgnStyleText>(height, colour, justification, angle, last, font), err);
    });
}

namespace {

const CFgnStyleLine* CopyLineStyle(const CFgnStyleLine* source, CDgnFileWriter& target) {
    if (!source) return nullptr;
    std::int32_t colour = 0;
    std::int16_t weight = 0;
    TFgnFmtErr err = kFgnOk;
    source->GetDefinition(colour, weight);
    return target.AddLineStyle(source->GetLinePattern(err), colour, weight, err);
}

const CFgnStylePly* CopyPlyStyle(const CFgnStylePly* source, CDgnFileWriter& target) {
    if (!source) return nullptr;
    std::int32_t colour = 0, fill = 0, third = 0;
    std::int16_t weight = 0;
    TFgnFmtErr err = kFgnOk;
    source->GetDefinition(colour, fill, third, weight);
    return target.AddPlyStyle(source->GetFillPattern(err), source->GetLinePattern(err), colour,
                              fill, third, weight, err);
}

const CFgnStylePnt* CopyPntStyle(const CFgnStylePnt* source, CDgnFileWriter& target) {
    if (!source) return nullptr;
    std::int32_t colour = 0;
    double rotation = 0;
    std::int16_t size = 0;
    TFgnFmtErr err = kFgnOk;
    const char* symbol = source->GetDefinition(colour, rotation, size, err);
    return target.AddPntStyle(symbol, colour, rotation, size, err);
}

const CFgnStyleText* CopyTextStyle(const CFgnStyleText* source, CDgnFileWriter& target) {
    if (!source) return nullptr;
    double height = 0, angle = 0, spacing = 0;
    std::int32_t colour = 0, second = 0;
    TFgnBool f1 = kFgnFalse, f2 = kFgnFalse, f3 = kFgnFalse;
    TFgnJustification justification = TFgnJustification(5);
    TFgnFmtErr err = kFgnOk;
    source->GetDefinition(height, colour, second, f1, f2, f3, justification, angle, spacing);
    return target.AddTextStyle(source->GetFont(err), height, colour, second, f1, f2, f3,
                               justification, angle, spacing, err);
}

template <class Points>
TFgnFmtErr CopyPoints(const std::list<const CFgnPt*>* points, Points* into, bool threeD) {
    if (!into) return kFgnIncomplete;
    TFgnFmtErr err = kFgnOk;
    for (const CFgnPt* pt : points ? *points : std::list<const CFgnPt*>{}) {
        const TFgnFmtErr status = threeD ? into->AddPt(pt->GetX(err), pt->GetY(err), pt->GetZ(err))
                                         : into->AddPt(pt->GetX(err), pt->GetY(err));
        if (status != kFgnOk) return status;
    }
    return kFgnOk;
}

template <class Complex>
TFgnFmtErr CopyPieces(const std::list<const CFgnGeom*>* pieces, Complex* into, bool threeD) {
    if (!into) return kFgnIncomplete;
    TFgnFmtErr err = kFgnOk;
    for (const CFgnGeom* geom : pieces ? *pieces : std::list<const CFgnGeom*>{}) {
        if (const auto* arc = dynamic_cast<const CFgnGeomArc*>(geom)) {
            double start = 0, end = 0, primary = 0, secondary = 0;
            TFgnBool ccw = kFgnTrue;
            arc->GetDefinition(start, end, primary, secondary, ccw);
            const CDgnPt c = PointOf(arc->GetCenterPt(err));
            const TFgnFmtErr status =
                threeD ? into->AddArcGeom(c.X(), c.Y(), c.Z(), start, end, primary, secondary, ccw)
                       : into->AddArcGeom(c.X(), c.Y(), start, end, primary, secondary, ccw);
            if (status != kFgnOk) return status;
        } else if (const auto* pts = dynamic_cast<const CFgnGeomPts*>(geom)) {
            if (const TFgnFmtErr status =
                    CopyPoints(pts->GetPts(err), into->AddPtGeom(err), threeD))
                return status;
        }
    }
    return kFgnOk;
}

}  // namespace

TFgnFmtErr CDgnFileWriter::CopyEntity(const CFgnEntity& source, CDgnFileWriter& target,
                                      const std::string& key, const std::string& layer) {
    const bool threeD = ThreeDOf(target.Factors());
    const char* k = key.c_str();
    const char* l = layer.c_str();
    TFgnFmtErr err = kFgnOk;
    switch (source.GetType(err)) {
        case kFgnEntityMPnt: {
            const auto& mpnt = static_cast<const CFgnMPnt&>(source);
            const std::list<const CFgnPt*>* points = mpnt.GetPts(err);
            const CFgnStylePnt* style = CopyPntStyle(mpnt.GetStyle(err), target);
            // One point is the degenerate line it was written as.
            if (points && points->size() == 1) {
                const CDgnPt p(*points->front());
                return threeD ? target.AddPnt(k, l, p.X(), p.Y(), p.Z(), style)
                              : target.AddPnt(k, l, p.X(), p.Y(), style);
            }
            return CopyPoints(points, target.AddMPnt(k, l, style, err), threeD);
        }
        case kFgnEntityLine: {
            const auto& line = static_cast<const CFgnLine&>(source);
            const CDgnPt a = PointOf(line.GetStartPt(err)), b = PointOf(line.GetEndPt(err));
            const CFgnStyleLine* style = CopyLineStyle(line.GetStyle(err), target);
            return threeD ? target.AddLine(k, l, a.X(), b.X(), a.Y(), b.Y(), a.Z(), b.Z(), style)
                          : target.AddLine(k, l, a.X(), b.X(), a.Y(), b.Y(), style);
        }
        case kFgnEntityPline: {
            const auto& pline = static_cast<const CFgnPline&>(source);
            const CFgnStyleLine* style = CopyLineStyle(pline.GetStyle(err), target);
            return CopyPoints(pline.GetPts(err),
                              target.AddPline(k, l, pline.GetSmoothed(err), style, err), threeD);
        }
        case kFgnEntityCPline: {
            const auto& chain = static_cast<const CFgnCPline&>(source);
            const CFgnStyleLine* style = CopyLineStyle(chain.GetStyle(err), target);
            return CopyPieces(chain.GetGeometry(err),
                              target.AddCPline(k, l, style, chain.IsContiguous(err), err), threeD);
        }
        case kFgnEntityCPly: {
            const auto& shape = static_cast<const CFgnCPly&>(source);
            const CDgnPt label = PointOf(shape.GetLabelPt(err));
            const CFgnStylePly* style = CopyPlyStyle(shape.GetStyle(err), target);
            TFgnFmtErr made = kFgnOk;
            CFgnCPly* copy =
                threeD
                    ? target.AddCPly(k, l, label.X(), label.Y(), label.Z(), style, kFgnTrue, made)
                    : target.AddCPly(k, l, label.X(), label.Y(), style, kFgnTrue, made);
            return CopyPieces(shape.GetGeometry(err), copy, threeD);
        }
        case kFgnEntityArc: {
            const auto& arc = static_cast<const CFgnArc&>(source);
            double start = 0, end = 0, primary = 0, secondary = 0;
            TFgnBool ccw = kFgnTrue;
            arc.GetDefinition(start, end, primary, secondary, ccw);
            const CDgnPt c = PointOf(arc.GetCenterPt(err));
            const CFgnStyleLine* style = CopyLineStyle(arc.GetStyle(err), target);
            return threeD ? target.AddArc(k, l, c.X(), c.Y(), c.Z(), start, end, primary, secondary,
                                          ccw, style)
                          : target.AddArc(k, l, c.X(), c.Y(), start, end, primary, secondary, ccw,
                                          style);
        }
        case kFgnEntityText: {
            const auto& text = static_cast<const CFgnText&>(source);
            const CDgnPt at = PointOf(text.GetPt(err));
            const CFgnStyleText* style = CopyTextStyle(text.GetStyle(err), target);
            const char* value = text.GetText(err);
            return threeD ? target.AddText(k, l, value, at.X(), at.Y(), at.Z(), style)
                          : target.AddText(k, l, value, at.X(), at.Y(), style);
        }
        case kFgnEntityMText: {
            const auto& node = static_cast<const CFgnMText&>(source);
            const CDgnPt a = PointOf(node.GetMinPt(err)), b = PointOf(node.GetMaxPt(err));
            const CFgnStyleText* style = CopyTextStyle(node.GetStyle(err), target);
            const char* value = node.GetText(err);
            return threeD ? target.AddMText(k, l, value, a.X(), b.X(), a.Y(), b.Y(), a.Z(), b.Z(),
                                            style)
                          : target.AddMText(k, l, value, a.X(), b.X(), a.Y(), b.Y(), style);
        }
        case kFgnEntityBlkInst: {
            const auto& instance = static_cast<const CFgnBlkInst&>(source);
            const CFgnBlk* block = instance.GetBlk(err);
            if (!block) return kFgnIncomplete;
            // Each instance gets a definition of its own, filled from the source's.
            CDgnBlk* const outer = target.into_;
            target.into_ = nullptr;
            TFgnFmtErr status = kFgnOk;
            auto* copy = static_cast<CDgnBlk*>(
                target.AddBlk(block->GetName(err), block->GetXRef(err), status));
            target.into_ = copy;
            const std::list<const CFgnEntity*>* entities = block->GetEntities(err);
            for (const CFgnEntity* entity : entities ? *entities : std::list<const CFgnEntity*>{}) {
                if (status != kFgnOk) break;
                status = CopyEntity(*entity, target, entity->GetKey(err), entity->GetLayer(err));
            }
            target.into_ = outer;
            if (status != kFgnOk) return status;
            const CDgnPt at = PointOf(instance.GetInsertPt(err));
            const FgnMatrix* matrix = instance.GetMatrix(err);
            const CFgnStyleBlk* style = nullptr;
            if (const CFgnStyleBlk* given = instance.GetStyle(err)) {
                std::int32_t colour = 0;
                given->GetDefinition(colour);
                style = target.AddBlkStyle(colour, err);
            }
            TFgnFmtErr made = kFgnOk;
            const CFgnBlkInst* placed =
                threeD ? target.AddBlkInst(k, l, copy, matrix, at.X(), at.Y(), at.Z(), style, made)
                       : target.AddBlkInst(k, l, copy, matrix, at.X(), at.Y(), style, made);
            return placed ? kFgnOk : made;
        }
        default:
            return kFgnIncomplete;
    }
}
