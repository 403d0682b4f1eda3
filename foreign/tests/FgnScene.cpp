// The scene plug-in's classes, built through the contract's own Add, Set and
// Update operations, and the parser of the scene file (format in FgnScene.h).
#include "foreign/tests/FgnScene.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <system_error>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

namespace {

using OptText = std::optional<std::string>;

char const* CStr(const OptText& text) {
    return text ? text->c_str() : nullptr;
}
OptText Copy(char const* text) {
    return text ? OptText(text) : std::nullopt;
}

template <class T>
T Result(TFgnFmtErr& err, T value, TFgnFmtErr status = kFgnOk) {
    err = status;
    return value;
}

class CScenePt final : public CFgnPt {
public:
    CScenePt(double x, double y, double z) : x_(x), y_(y), z_(z) {}
    double GetX(TFgnFmtErr& err) const override { return Result(err, x_); }
    double GetY(TFgnFmtErr& err) const override { return Result(err, y_); }
    double GetZ(TFgnFmtErr& err) const override { return Result(err, z_); }

private:
    double x_, y_, z_;
};

// Owned objects and the list of borrowed pointers the contract hands out.
template <class Interface>
class COwnedList {
public:
    template <class T>
    T* Add(std::unique_ptr<T> item) {
        T* raw = item.get();
        list_.push_back(raw);
        owned_.push_back(std::move(item));
        return raw;
    }
    const std::list<const Interface*>* List() const { return &list_; }
    bool Empty() const { return list_.empty(); }

private:
    std::vector<std::unique_ptr<Interface>> owned_;
    std::list<const Interface*> list_;
};

class CPointList {
public:
    TFgnFmtErr Add(double x, double y, double z) {
        pts_.Add(std::make_unique<CScenePt>(x, y, z));
        return kFgnOk;
    }
    const std::list<const CFgnPt*>* List() const { return pts_.List(); }

private:
    COwnedList<CFgnPt> pts_;
};

// Key and layer of every scene entity; complete once constructed.
template <class Base>
class CSceneKeyed : public Base {
public:
    CSceneKeyed(char const* key, char const* layer) : key_(Copy(key)), layer_(Copy(layer)) {
        this->SetComplete();
    }
    char const* GetKey(TFgnFmtErr& err) const override { return Result(err, CStr(key_)); }
    char const* GetLayer(TFgnFmtErr& err) const override { return Result(err, CStr(layer_)); }

private:
    OptText key_, layer_;
};

// An entity without a style answers null with err 10.
template <class Base, class Style>
class CSceneEntity : public CSceneKeyed<Base> {
public:
    CSceneEntity(char const* key, char const* layer, const Style* style)
        : CSceneKeyed<Base>(key, layer), style_(style) {}
    const Style* GetStyle(TFgnFmtErr& err) const override {
        return Result(err, style_, style_ ? kFgnOk : kFgnNoStyle);
    }

private:
    const Style* style_;
};

class CScenePnt final : public CSceneEntity<CFgnPnt, CFgnStylePnt> {
public:
    CScenePnt(char const* key, char const* layer, double x, double y, double z,
              const CFgnStylePnt* style)
        : CSceneEntity(key, layer, style), pt_(x, y, z) {}
    const CFgnPt* GetPt(TFgnFmtErr& err) const override { return Result(err, &pt_); }

private:
    CScenePt pt_;
};

// The entities that are a point list and more.
template <class Base, class Style>
class CScenePointsEntity : public CSceneEntity<Base, Style> {
public:
    using CSceneEntity<Base, Style>::CSceneEntity;
    TFgnFmtErr AddPt(double x, double y, double z) override { return pts_.Add(x, y, z); }
    TFgnFmtErr AddPt(double x, double y) override { return pts_.Add(x, y, 0); }
    const std::list<const CFgnPt*>* GetPts(TFgnFmtErr& err) const override {
        return Result(err, pts_.List());
    }

private:
    CPointList pts_;
};

using CSceneMPnt = CScenePointsEntity<CFgnMPnt, CFgnStylePnt>;

class CSceneLine final : public CSceneEntity<CFgnLine, CFgnStyleLine> {
public:
    CSceneLine(char const* key, char const* layer, const CScenePt& start, const CScenePt& end,
               const CFgnStyleLine* style)
        : CSceneEntity(key, layer, style), start_(start), end_(end) {}
    const CFgnPt* GetEndPt(TFgnFmtErr& err) const override { return Result(err, &end_); }
    const CFgnPt* GetStartPt(TFgnFmtErr& err) const override { return Result(err, &start_); }

private:
    CScenePt start_, end_;
};

class CScenePline final : public CScenePointsEntity<CFgnPline, CFgnStyleLine> {
public:
    CScenePline(char const* key, char const* layer, TFgnBool smoothed, const CFgnStyleLine* style)
        : CScenePointsEntity(key, layer, style), smoothed_(smoothed) {}
    TFgnBool GetSmoothed(TFgnFmtErr& err) const override { return Result(err, smoothed_); }

private:
    TFgnBool smoothed_;
};

class CScenePly final : public CScenePointsEntity<CFgnPly, CFgnStylePly> {
public:
    CScenePly(char const* key, char const* layer, const CScenePt& label, double radius,
              const CFgnStylePly* style)
        : CScenePointsEntity(key, layer, style), label_(label), radius_(radius) {}
    const CFgnPt* GetLabelPt(TFgnFmtErr& err) const override { return Result(err, &label_); }
    double GetRadius(TFgnFmtErr& err) const override { return Result(err, radius_); }

private:
    CScenePt label_;
    double radius_;
};

struct SArcDefinition {
    double start, end, xRadius, yRadius;
    TFgnBool counterClockwise;

    TFgnFmtErr Give(double& s, double& e, double& xr, double& yr, TFgnBool& ccw) const {
        s = start, e = end, xr = xRadius, yr = yRadius, ccw = counterClockwise;
        return kFgnOk;
    }
};

// The center and definition of an arc entity or piece.
template <class Base>
class CSceneArcOf : public Base {
public:
    const CFgnPt* GetCenterPt(TFgnFmtErr& err) const override { return Result(err, &center_); }
    TFgnFmtErr GetDefinition(double& start, double& end, double& xRadius, double& yRadius,
                             TFgnBool& counterClockwise) const override {
        return definition_.Give(start, end, xRadius, yRadius, counterClockwise);
    }

protected:
    void SetArc(const CScenePt& center, const SArcDefinition& definition) {
        center_ = center;
        definition_ = definition;
    }

private:
    CScenePt center_{0, 0, 0};
    SArcDefinition definition_{};
};

// An arc piece keeps the contract's area-type defaults; a point piece has its own.
class CSceneGeomArc final : public CSceneArcOf<CFgnGeomArc> {
public:
    CSceneGeomArc(const CScenePt& center, const SArcDefinition& definition) {
        SetArc(center, definition);
        SetComplete();
    }
};

class CSceneGeomPts final : public CFgnGeomPts {
public:
    CSceneGeomPts() { SetComplete(); }
    TFgnAreaType GetAreaType(TFgnFmtErr& err) const override { return Result(err, area_); }
    TFgnFmtErr SetAreaType(TFgnAreaType type) override {
        area_ = type;
        return kFgnOk;
    }
    TFgnFmtErr AddPt(double x, double y, double z) override { return pts_.Add(x, y, z); }
    TFgnFmtErr AddPt(double x, double y) override { return pts_.Add(x, y, 0); }
    const std::list<const CFgnPt*>* GetPts(TFgnFmtErr& err) const override {
        return Result(err, pts_.List());
    }

private:
    TFgnAreaType area_ = kFgnAreaUnspecified;
    CPointList pts_;
};

template <class Base, class Style>
class CSceneCompound : public CSceneEntity<Base, Style> {
public:
    CSceneCompound(char const* key, char const* layer, const Style* style, TFgnBool contiguous)
        : CSceneEntity<Base, Style>(key, layer, style), contiguous_(contiguous) {}
    TFgnFmtErr AddArcGeom(double cx, double cy, double start, double end, double xRadius,
                          double yRadius, TFgnBool counterClockwise) override {
        return AddArcGeom(cx, cy, 0, start, end, xRadius, yRadius, counterClockwise);
    }
    TFgnFmtErr AddArcGeom(double cx, double cy, double cz, double start, double end, double xRadius,
                          double yRadius, TFgnBool counterClockwise) override {
        pieces_.Add(std::make_unique<CSceneGeomArc>(
            CScenePt(cx, cy, cz), SArcDefinition{start, end, xRadius, yRadius, counterClockwise}));
        return kFgnOk;
    }
    CFgnGeomPts* AddPtGeom(TFgnFmtErr& err) override {
        return Result(err, pieces_.Add(std::make_unique<CSceneGeomPts>()));
    }
    const std::list<const CFgnGeom*>* GetGeometry(TFgnFmtErr& err) const override {
        return Result(err, pieces_.List());
    }
    TFgnBool IsContiguous(TFgnFmtErr& err) const override { return Result(err, contiguous_); }

private:
    TFgnBool contiguous_;
    COwnedList<CFgnGeom> pieces_;
};

using CSceneCPline = CSceneCompound<CFgnCPline, CFgnStyleLine>;

class CSceneCPly final : public CSceneCompound<CFgnCPly, CFgnStylePly> {
public:
    CSceneCPly(char const* key, char const* layer, const CScenePt& label, const CFgnStylePly* style,
               TFgnBool contiguous)
        : CSceneCompound(key, layer, style, contiguous), label_(label) {}
    const CFgnPt* GetLabelPt(TFgnFmtErr& err) const override { return Result(err, &label_); }

private:
    CScenePt label_;
};

class CSceneText final : public CSceneEntity<CFgnText, CFgnStyleText> {
public:
    CSceneText(char const* key, char const* layer, char const* text, const CScenePt& pt,
               const CFgnStyleText* style)
        : CSceneEntity(key, layer, style), text_(Copy(text)), pt_(pt) {}
    const CFgnPt* GetPt(TFgnFmtErr& err) const override { return Result(err, &pt_); }
    char const* GetText(TFgnFmtErr& err) const override { return Result(err, CStr(text_)); }

private:
    OptText text_;
    CScenePt pt_;
};

class CSceneMText final : public CSceneEntity<CFgnMText, CFgnStyleText> {
public:
    CSceneMText(char const* key, char const* layer, char const* text, const CScenePt& min,
                const CScenePt& max, const CFgnStyleText* style)
        : CSceneEntity(key, layer, style), text_(Copy(text)), min_(min), max_(max) {}
    const CFgnPt* GetMaxPt(TFgnFmtErr& err) const override { return Result(err, &max_); }
    const CFgnPt* GetMinPt(TFgnFmtErr& err) const override { return Result(err, &min_); }
    char const* GetText(TFgnFmtErr& err) const override { return Result(err, CStr(text_)); }

private:
    OptText text_;
    CScenePt min_, max_;
};

class CSceneArc final : public CSceneEntity<CSceneArcOf<CFgnArc>, CFgnStyleLine> {
public:
    CSceneArc(char const* key, char const* layer, const CScenePt& center,
              const SArcDefinition& definition, const CFgnStyleLine* style)
        : CSceneEntity(key, layer, style) {
        SetArc(center, definition);
    }
};

class CSceneUnknown final : public CSceneKeyed<CFgnUnknown> {
public:
    CSceneUnknown(char const* key, char const* layer, char const* info)
        : CSceneKeyed(key, layer), info_(Copy(info)) {}
    char const* GetInfo(TFgnFmtErr& err) const override { return Result(err, CStr(info_)); }

private:
    OptText info_;
};

// The block instance's own point list stays the contract's default (none).
class CSceneBlkInst final : public CSceneEntity<CFgnBlkInst, CFgnStyleBlk> {
public:
    CSceneBlkInst(char const* key, char const* layer, const CFgnBlk* block,
                  const FgnMatrix* transform, const CScenePt& insert, const CFgnStyleBlk* style)
        : CSceneEntity(key, layer, style), block_(block), insert_(insert) {
        if (transform) {
            for (int row = 0; row < 3; ++row)
                for (int column = 0; column < 3; ++column)
                    matrix_[row][column] = (*transform)[row][column];
        }
    }
    TFgnFmtErr AddPt(double, double, double) override { return kFgnNotImplemented; }
    TFgnFmtErr AddPt(double, double) override { return kFgnNotImplemented; }
    const CFgnBlk* GetBlk(TFgnFmtErr& err) const override { return Result(err, block_); }
    const CFgnPt* GetInsertPt(TFgnFmtErr& err) const override { return Result(err, &insert_); }
    const FgnMatrix* GetMatrix(TFgnFmtErr& err) const override { return Result(err, &matrix_); }
    TFgnBool IsXRef(TFgnFmtErr& err) const override { return Result(err, xref_); }
    void SetXRef() { xref_ = kFgnTrue; }

private:
    const CFgnBlk* block_;
    CScenePt insert_;
    FgnMatrix matrix_ = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    TFgnBool xref_ = kFgnFalse;
};

// A block definition; the reader's own entities are one too.
class CSceneBlk final : public CFgnBlk {
public:
    explicit CSceneBlk(std::string name) : name_(std::move(name)) {}
    char const* GetName(TFgnFmtErr& err) const override { return Result(err, name_.c_str()); }
    const std::list<const CFgnEntity*>* GetEntities(TFgnFmtErr& err) const override {
        return Result(err, entities_.List());
    }
    char const* GetXRef(TFgnFmtErr& err) const override { return Result(err, CStr(xref_)); }
    void SetXRef(OptText xref) { xref_ = std::move(xref); }
    const CFgnEntity* Last() const { return last_; }

    TFgnFmtErr AddPnt(char const* key, char const* layer, double x, double y,
                      const CFgnStylePnt* style) override {
        return AddPnt(key, layer, x, y, 0, style);
    }
    TFgnFmtErr AddPnt(char const* key, char const* layer, double x, double y, double z,
                      const CFgnStylePnt* style) override {
        Keep(std::make_unique<CScenePnt>(key, layer, x, y, z, style));
        return kFgnOk;
    }
    CFgnMPnt* AddMPnt(char const* key, char const* layer, const CFgnStylePnt* style,
                      TFgnFmtErr& err) override {
        return Result(err, Keep(std::make_unique<CSceneMPnt>(key, layer, style)));
    }
    TFgnFmtErr AddLine(char const* key, char const* layer, double x1, double x2, double y1,
                       double y2, const CFgnStyleLine* style) override {
        return AddLine(key, layer, x1, x2, y1, y2, 0, 0, style);
    }
    TFgnFmtErr AddLine(char const* key, char const* layer, double x1, double x2, double y1,
                       double y2, double z1, double z2, const CFgnStyleLine* style) override {
        Keep(std::make_unique<CSceneLine>(key, layer, CScenePt(x1, y1, z1), CScenePt(x2, y2, z2),
                                          style));
        return kFgnOk;
    }
    CFgnPline* AddPline(char const* key, char const* layer, TFgnBool smoothed,
                        const CFgnStyleLine* style, TFgnFmtErr& err) override {
        return Result(err, Keep(std::make_unique<CScenePline>(key, layer, smoothed, style)));
    }
    CFgnCPline* AddCPline(char const* key, char const* layer, const CFgnStyleLine* style,
                          TFgnBool contiguous, TFgnFmtErr& err) override {
        return Result(err, Keep(std::make_unique<CSceneCPline>(key, layer, style, contiguous)));
    }
    CFgnPly* AddPly(char const* key, char const* layer, double labelX, double labelY, double radius,
                    const CFgnStylePly* style, TFgnFmtErr& err) override {
        return AddPly(key, layer, labelX, labelY, 0, radius, style, err);
    }
    CFgnPly* AddPly(char const* key, char const* layer, double labelX, double labelY, double labelZ,
                    double radius, const CFgnStylePly* style, TFgnFmtErr& err) override {
        return Result(err, Keep(std::make_unique<CScenePly>(
                               key, layer, CScenePt(labelX, labelY, labelZ), radius, style)));
    }
    CFgnCPly* AddCPly(char const* key, char const* layer, double labelX, double labelY,
                      const CFgnStylePly* style, TFgnBool contiguous, TFgnFmtErr& err) override {
        return AddCPly(key, layer, labelX, labelY, 0, style, contiguous, err);
    }
    CFgnCPly* AddCPly(char const* key, char const* layer, double labelX, double labelY,
                      double labelZ, const CFgnStylePly* style, TFgnBool contiguous,
                      TFgnFmtErr& err) override {
        return Result(err, Keep(std::make_unique<CSceneCPly>(
                               key, layer, CScenePt(labelX, labelY, labelZ), style, contiguous)));
    }
    TFgnFmtErr AddArc(char const* key, char const* layer, double cx, double cy, double start,
                      double end, double xRadius, double yRadius, TFgnBool counterClockwise,
                      const CFgnStyleLine* style) override {
        return AddArc(key, layer, cx, cy, 0, start, end, xRadius, yRadius, counterClockwise, style);
    }
    TFgnFmtErr AddArc(char const* key, char const* layer, double cx, double cy, double cz,
                      double start, double end, double xRadius, double yRadius,
                      TFgnBool counterClockwise, const CFgnStyleLine* style) override {
        Keep(std::make_unique<CSceneArc>(
            key, layer, CScenePt(cx, cy, cz),
            SArcDefinition{start, end, xRadius, yRadius, counterClockwise}, style));
        return kFgnOk;
    }
    TFgnFmtErr AddText(char const* key, char const* layer, char const* text, double x, double y,
                       const CFgnStyleText* style) override {
        return AddText(key, layer, text, x, y, 0, style);
    }
    TFgnFmtErr AddText(char const* key, char const* layer, char const* text, double x, double y,
                       double z, const CFgnStyleText* style) override {
        Keep(std::make_unique<CSceneText>(key, layer, text, CScenePt(x, y, z), style));
        return kFgnOk;
    }
    TFgnFmtErr AddMText(char const* key, char const* layer, char const* text, double minX,
                        double maxX, double minY, double maxY,
                        const CFgnStyleText* style) override {
        return AddMText(key, layer, text, minX, maxX, minY, maxY, 0, 0, style);
    }
    TFgnFmtErr AddMText(char const* key, char const* layer, char const* text, double minX,
                        double maxX, double minY, double maxY, double minZ, double maxZ,
                        const CFgnStyleText* style) override {
        Keep(std::make_unique<CSceneMText>(key, layer, text, CScenePt(minX, minY, minZ),
                                           CScenePt(maxX, maxY, maxZ), style));
        return kFgnOk;
    }
    CFgnBlkInst* AddBlkInst(char const* key, char const* layer, const CFgnBlk* block,
                            const FgnMatrix* transform, double x, double y,
                            const CFgnStyleBlk* style, TFgnFmtErr& err) override {
        return AddBlkInst(key, layer, block, transform, x, y, 0, style, err);
    }
    CFgnBlkInst* AddBlkInst(char const* key, char const* layer, const CFgnBlk* block,
                            const FgnMatrix* transform, double x, double y, double z,
                            const CFgnStyleBlk* style, TFgnFmtErr& err) override {
        if (!block) return Result<CFgnBlkInst*>(err, nullptr, kFgnIncomplete);
        return Result(err, Keep(std::make_unique<CSceneBlkInst>(key, layer, block, transform,
                                                                CScenePt(x, y, z), style)));
    }
    TFgnFmtErr AddUnknown(char const* key, char const* layer, char const* info) override {
        Keep(std::make_unique<CSceneUnknown>(key, layer, info));
        return kFgnOk;
    }

private:
    template <class T>
    T* Keep(std::unique_ptr<T> entity) {
        T* raw = entities_.Add(std::move(entity));
        last_ = raw;
        return raw;
    }

    std::string name_;
    OptText xref_;
    COwnedList<CFgnEntity> entities_;
    const CFgnEntity* last_ = nullptr;
};

// Styles.

class CSceneStylePnt final : public CFgnStylePnt {
public:
    CSceneStylePnt(OptText symbol, std::int32_t colour, double rotation, std::int16_t size)
        : symbol_(std::move(symbol)), colour_(colour), rotation_(rotation), size_(size) {}
    char const* GetDefinition(std::int32_t& colour, double& rotation, std::int16_t& size,
                              TFgnFmtErr& err) const override {
        colour = colour_, rotation = rotation_, size = size_;
        return Result(err, CStr(symbol_));
    }

private:
    OptText symbol_;
    std::int32_t colour_;
    double rotation_;
    std::int16_t size_;
};

class CSceneStyleBlk final : public CFgnStyleBlk {
public:
    explicit CSceneStyleBlk(std::int32_t colour) : colour_(colour) {}
    TFgnFmtErr GetDefinition(std::int32_t& colour) const override {
        colour = colour_;
        return kFgnOk;
    }

private:
    std::int32_t colour_;
};

class CSceneStyleLine final : public CFgnStyleLine {
public:
    CSceneStyleLine(OptText pattern, std::int32_t colour, std::int16_t weight)
        : pattern_(std::move(pattern)), colour_(colour), weight_(weight) {}
    TFgnFmtErr GetDefinition(std::int32_t& colour, std::int16_t& weight) const override {
        colour = colour_, weight = weight_;
        return kFgnOk;
    }
    char const* GetLinePattern(TFgnFmtErr& err) const override {
        return Result(err, CStr(pattern_));
    }

private:
    OptText pattern_;
    std::int32_t colour_;
    std::int16_t weight_;
};

class CSceneStylePly final : public CFgnStylePly {
public:
    CSceneStylePly(OptText fillPattern, OptText linePattern, std::int32_t edge, std::int32_t fill,
                   std::int32_t third, std::int16_t weight)
        : fillPattern_(std::move(fillPattern)),
          linePattern_(std::move(linePattern)),
          edge_(edge),
          fill_(fill),
          third_(third),
          weight_(weight) {}
    TFgnFmtErr GetDefinition(std::int32_t& edgeColour, std::int32_t& fillColour,
                             std::int32_t& third, std::int16_t& weight) const override {
        edgeColour = edge_, fillColour = fill_, third = third_, weight = weight_;
        return kFgnOk;
    }
    char const* GetFillPattern(TFgnFmtErr& err) const override {
        return Result(err, CStr(fillPattern_));
    }
    char const* GetLinePattern(TFgnFmtErr& err) const override {
        return Result(err, CStr(linePattern_));
    }

private:
    OptText fillPattern_, linePattern_;
    std::int32_t edge_, fill_, third_;
    std::int16_t weight_;
};

struct STextStyleValues {
    double height = 0;
    std::int32_t colour = 0, second = 0;
    TFgnBool flags[3] = {kFgnFalse, kFgnFalse, kFgnFalse};
    TFgnJustification justification{};
    double angle = 0, last = 0;
};

class CSceneStyleText final : public CFgnStyleText {
public:
    CSceneStyleText(OptText font, const STextStyleValues& values)
        : font_(std::move(font)), v_(values) {}
    TFgnFmtErr GetDefinition(double& height, std::int32_t& colour, std::int32_t& second,
                             TFgnBool& flag1, TFgnBool& flag2, TFgnBool& flag3,
                             TFgnJustification& justification, double& angle,
                             double& last) const override {
        height = v_.height, colour = v_.colour, second = v_.second;
        flag1 = v_.flags[0], flag2 = v_.flags[1], flag3 = v_.flags[2];
        justification = v_.justification, angle = v_.angle, last = v_.last;
        return kFgnOk;
    }
    char const* GetFont(TFgnFmtErr& err) const override { return Result(err, CStr(font_)); }

private:
    OptText font_;
    STextStyleValues v_;
};

// Tables.

template <class Base>
class CSceneClmn : public Base {
public:
    CSceneClmn(char const* name, TFgnBool key, TFgnBool indexed, std::int16_t width = 0,
               std::int16_t decimals = 0)
        : name_(name), key_(key), indexed_(indexed), width_(width), decimals_(decimals) {}
    TFgnBool GetIndexed(TFgnFmtErr& err) const override { return Result(err, indexed_); }
    TFgnBool GetKey(TFgnFmtErr& err) const override { return Result(err, key_); }
    char const* GetName(TFgnFmtErr& err) const override { return Result(err, name_.c_str()); }
    const std::string& Name() const { return name_; }

protected:
    std::int16_t Width(TFgnFmtErr& err) const { return Result(err, width_); }
    std::int16_t Decimals(TFgnFmtErr& err) const { return Result(err, decimals_); }

private:
    std::string name_;
    TFgnBool key_, indexed_;
    std::int16_t width_, decimals_;
};

template <class Base>
class CSceneClmnNumber final : public CSceneClmn<Base> {
public:
    using CSceneClmn<Base>::CSceneClmn;
    std::int16_t GetDecimal(TFgnFmtErr& err) const override { return this->Decimals(err); }
    std::int16_t GetWidth(TFgnFmtErr& err) const override { return this->Width(err); }
};

class CSceneClmnChar final : public CSceneClmn<CFgnTblClmnChar> {
public:
    using CSceneClmn::CSceneClmn;
    std::int16_t GetWidth(TFgnFmtErr& err) const override { return Width(err); }
};

template <class Base>
class CSceneClmnPlain final : public CSceneClmn<Base> {
public:
    using CSceneClmn<Base>::CSceneClmn;
};

template <class Base, class Value>
class CSceneValue final : public Base {
public:
    explicit CSceneValue(Value value) : value_(std::move(value)) {}
    auto GetData(TFgnFmtErr& err) const -> decltype(std::declval<Base>().GetData(err)) override {
        if constexpr (std::is_same_v<Value, std::string>)
            return Result(err, value_.c_str());
        else
            return Result(err, value_);
    }

private:
    Value value_;
};

// The value a row holds in a column of `type` until one is set: zero or empty.
std::unique_ptr<CFgnTblData> MakeCell(TFgnClmnType type) {
    switch (type) {
        case kFgnClmnInt2:
            return std::make_unique<CSceneValue<CFgnTblDataInt2, std::int16_t>>(0);
        case kFgnClmnInt4:
            return std::make_unique<CSceneValue<CFgnTblDataInt4, std::int32_t>>(0);
        case kFgnClmnFloat:
            return std::make_unique<CSceneValue<CFgnTblDataFloat, float>>(0.0f);
        case kFgnClmnDbl:
            return std::make_unique<CSceneValue<CFgnTblDataDbl, double>>(0.0);
        case kFgnClmnDte:
            return std::make_unique<CSceneValue<CFgnTblDataDte, std::string>>("");
        case kFgnClmnChar:
            return std::make_unique<CSceneValue<CFgnTblDataChar, std::string>>("");
        case kFgnClmnLgcl:
            return std::make_unique<CSceneValue<CFgnTblDataLgcl, char>>('\0');
    }
    return nullptr;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

class CSceneTbl final : public CFgnTbl {
public:
    explicit CSceneTbl(std::string name) : name_(std::move(name)) { SetComplete(); }

    TFgnFmtErr LinkLayer(char const* layer) override {
        if (!layer) return kFgnIncomplete;
        if (!layers_) layers_.emplace();
        layers_->names.push_back(std::make_unique<std::string>(layer));
        layers_->list.push_back(layers_->names.back()->c_str());
        return kFgnOk;
    }
    TFgnFmtErr AddClmnChar(char const* name, TFgnBool key, TFgnBool indexed,
                           std::int16_t width) override {
        return AddColumn<CSceneClmnChar>(name, key, indexed, width, 0);
    }
    TFgnFmtErr AddClmnDbl(char const* name, TFgnBool key, TFgnBool indexed, std::int16_t width,
                          std::int16_t decimals) override {
        return AddColumn<CSceneClmnNumber<CFgnTblClmnDbl>>(name, key, indexed, width, decimals);
    }
    TFgnFmtErr AddClmnDte(char const* name, TFgnBool key, TFgnBool indexed) override {
        return AddColumn<CSceneClmnPlain<CFgnTblClmnDte>>(name, key, indexed, 0, 0);
    }
    TFgnFmtErr AddClmnFloat(char const* name, TFgnBool key, TFgnBool indexed, std::int16_t width,
                            std::int16_t decimals) override {
        return AddColumn<CSceneClmnNumber<CFgnTblClmnFloat>>(name, key, indexed, width, decimals);
    }
    TFgnFmtErr AddClmnInt2(char const* name, TFgnBool key, TFgnBool indexed) override {
        return AddColumn<CSceneClmnPlain<CFgnTblClmnInt2>>(name, key, indexed, 0, 0);
    }
    TFgnFmtErr AddClmnInt4(char const* name, TFgnBool key, TFgnBool indexed) override {
        return AddColumn<CSceneClmnPlain<CFgnTblClmnInt4>>(name, key, indexed, 0, 0);
    }
    TFgnFmtErr AddClmnLgcl(char const* name, TFgnBool key, TFgnBool indexed) override {
        return AddColumn<CSceneClmnPlain<CFgnTblClmnLgcl>>(name, key, indexed, 0, 0);
    }
    TFgnFmtErr AddRow() override {
        if (open_ || columns_.Empty()) return kFgnIncomplete;
        open_ = std::make_unique<SRow>();
        TFgnFmtErr err;
        for (const CFgnTblClmn* column : *columns_.List())
            open_->cells.push_back(MakeCell(column->GetType(err)));
        return kFgnOk;
    }
    TFgnBool DoneRow(TFgnFmtErr& err) override {
        return Result(err, FgnBool(cursor_ >= rows_.size()));
    }
    const std::list<const CFgnTblClmn*>* GetColumns(TFgnFmtErr& err) const override {
        return Result(err, columns_.List());
    }
    const std::list<const CFgnTblData*>* GetCurrentRow(TFgnFmtErr& err) const override {
        using Row = const std::list<const CFgnTblData*>*;
        if (cursor_ >= rows_.size()) return Result<Row>(err, nullptr, kFgnNoCurrent);
        return Result<Row>(err, &rows_[cursor_]->list);
    }
    const std::list<char const*>* GetLayers(TFgnFmtErr& err) const override {
        if (!layers_) return Result<const std::list<char const*>*>(err, nullptr, kFgnAllLayers);
        return Result(err, &layers_->list);
    }
    char const* GetName(TFgnFmtErr& err) const override { return Result(err, name_.c_str()); }
    TFgnFmtErr RewindRow() override {
        cursor_ = 0;
        return kFgnOk;
    }
    TFgnFmtErr StepRow() override {
        if (cursor_ >= rows_.size()) return kFgnNoCurrent;
        ++cursor_;
        return kFgnOk;
    }
    TFgnFmtErr UpdateRow() override {
        if (!open_) return kFgnIncomplete;
        for (const auto& cell : open_->cells) open_->list.push_back(cell.get());
        rows_.push_back(std::move(open_));
        return kFgnOk;
    }
    TFgnFmtErr SetInt2Field(char const* column, std::int16_t value) override {
        return Set<CFgnTblDataInt2>(column, kFgnClmnInt2, value);
    }
    TFgnFmtErr SetInt4Field(char const* column, std::int32_t value) override {
        return Set<CFgnTblDataInt4>(column, kFgnClmnInt4, value);
    }
    TFgnFmtErr SetFloatField(char const* column, float value) override {
        return Set<CFgnTblDataFloat>(column, kFgnClmnFloat, value);
    }
    TFgnFmtErr SetDblField(char const* column, double value) override {
        return Set<CFgnTblDataDbl>(column, kFgnClmnDbl, value);
    }
    TFgnFmtErr SetCharField(char const* column, char const* value) override {
        if (!value) return kFgnIncomplete;
        return Set<CFgnTblDataChar>(column, kFgnClmnChar, std::string(value));
    }
    TFgnFmtErr SetDteField(char const* column, char const* value) override {
        if (!value) return kFgnIncomplete;
        return Set<CFgnTblDataDte>(column, kFgnClmnDte, std::string(value));
    }
    TFgnFmtErr SetLgclField(char const* column, char value) override {
        return Set<CFgnTblDataLgcl>(column, kFgnClmnLgcl, value);
    }

    // The position of a column, by name in any letter case.
    std::optional<std::size_t> Find(std::string_view name) const {
        std::size_t position = 0;
        TFgnFmtErr err;
        for (const CFgnTblClmn* column : *columns_.List()) {
            if (SameName(column->GetName(err), name)) return position;
            ++position;
        }
        return std::nullopt;
    }

private:
    struct SRow {
        std::vector<std::unique_ptr<CFgnTblData>> cells;
        std::list<const CFgnTblData*> list;
    };
    struct SLayers {
        std::vector<std::unique_ptr<std::string>> names;
        std::list<char const*> list;
    };

    // Columns come before rows, each name once.
    template <class Column>
    TFgnFmtErr AddColumn(char const* name, TFgnBool key, TFgnBool indexed, std::int16_t width,
                         std::int16_t decimals) {
        if (!name) return kFgnIncomplete;
        if (open_ || !rows_.empty() || Find(name)) return kFgnInconsistent;
        columns_.Add(std::make_unique<Column>(name, key, indexed, width, decimals));
        return kFgnOk;
    }

    template <class Data, class Value>
    TFgnFmtErr Set(char const* column, TFgnClmnType type, Value value) {
        if (!open_ || !column) return kFgnIncomplete;
        const std::optional<std::size_t> position = Find(column);
        if (!position) return kFgnIncomplete;
        TFgnFmtErr err;
        auto it = columns_.List()->begin();
        std::advance(it, *position);
        if ((*it)->GetType(err) != type) return kFgnIncomplete;
        open_->cells[*position] = std::make_unique<CSceneValue<Data, Value>>(std::move(value));
        return kFgnOk;
    }

    std::string name_;
    std::optional<SLayers> layers_;
    COwnedList<CFgnTblClmn> columns_;
    std::vector<std::unique_ptr<SRow>> rows_;
    std::unique_ptr<SRow> open_;
    std::size_t cursor_ = 0;
};

// The scene.

// One element of the reader's sequence: an entity, or none with a status.
struct SElement {
    const CFgnEntity* entity;
    TFgnFmtErr err;
};

template <class Style>
using StyleMap = std::map<std::string, std::unique_ptr<Style>>;

struct SScene {
    std::optional<OptText> coordSys;
    std::optional<TFgnDimension> dimension;
    std::optional<TFgnPrecision> precision;
    std::optional<std::vector<double>> extents;
    std::map<std::string, TFgnFmtErr> fails;
    StyleMap<CFgnStylePnt> pntStyles;
    StyleMap<CFgnStyleLine> lineStyles;
    StyleMap<CFgnStylePly> plyStyles;
    StyleMap<CFgnStyleText> textStyles;
    StyleMap<CFgnStyleBlk> blkStyles;
    std::map<std::string, std::unique_ptr<CSceneBlk>> blocks;
    CSceneBlk model{""};
    std::vector<SElement> elements;
    std::vector<std::unique_ptr<CSceneTbl>> tables;
};

// The parser.

struct SParseError {
    std::string message;
};

[[noreturn]] void Fail(std::string message) {
    throw SParseError{std::move(message)};
}

std::string Upper(std::string_view text) {
    std::string upper(text);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return upper;
}

struct SToken {
    std::string text;
    bool quoted = false;
};

std::vector<SToken> Tokenize(std::string_view line) {
    std::vector<SToken> tokens;
    std::size_t i = 0;
    while (true) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
        if (i == line.size() || line[i] == '#') return tokens;
        SToken token;
        if (line[i] == '"') {
            token.quoted = true;
            for (++i;; ++i) {
                if (i == line.size()) Fail("a quoted text does not end");
                if (line[i] == '"') break;
                if (line[i] == '\\') {
                    if (++i == line.size()) Fail("a quoted text does not end");
                    if (line[i] == 'n')
                        token.text += '\n';
                    else if (line[i] == '"' || line[i] == '\\')
                        token.text += line[i];
                    else
                        Fail(std::string("unknown escape \\") + line[i]);
                } else {
                    token.text += line[i];
                }
            }
            ++i;
        } else {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r')
                token.text += line[i++];
        }
        tokens.push_back(std::move(token));
    }
}

// The tokens of one statement, taken from the front.
class CLine {
public:
    explicit CLine(std::vector<SToken> tokens) : tokens_(std::move(tokens)) {}

    bool AtEnd() const { return next_ == tokens_.size(); }
    void End() const {
        if (!AtEnd()) Fail("unexpected '" + tokens_[next_].text + "'");
    }
    const SToken& Next(const char* what) {
        if (AtEnd()) Fail(std::string("missing ") + what);
        return tokens_[next_++];
    }
    // A text; a lone unquoted - is null.
    OptText Text(const char* what) {
        const SToken& token = Next(what);
        if (!token.quoted && token.text == "-") return std::nullopt;
        return token.text;
    }
    std::string Name(const char* what) {
        OptText text = Text(what);
        if (!text) Fail(std::string("the ") + what + " cannot be null");
        return *text;
    }
    std::string Keyword(const char* what) { return Upper(Next(what).text); }
    // Takes the next token when it is `keyword`.
    bool Option(const char* keyword) {
        if (AtEnd() || tokens_[next_].quoted || Upper(tokens_[next_].text) != keyword) return false;
        ++next_;
        return true;
    }
    bool PeekNumber() const { return !AtEnd() && ParseNumber(tokens_[next_]).has_value(); }
    double Number(const char* what) {
        const SToken& token = Next(what);
        const std::optional<double> value = ParseNumber(token);
        if (!value) Fail(std::string("the ") + what + " '" + token.text + "' is not a number");
        return *value;
    }
    std::int64_t Integer(const char* what, std::int64_t min, std::int64_t max) {
        const SToken& token = Next(what);
        std::string_view text = token.text;
        const bool negative = !text.empty() && text[0] == '-';
        if (negative) text.remove_prefix(1);
        int base = 10;
        if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
            text.remove_prefix(2);
            base = 16;
        }
        std::uint64_t magnitude = 0;
        const auto [end, ec] =
            std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
        if (token.quoted || text.empty() || ec != std::errc() || end != text.data() + text.size() ||
            magnitude > std::uint64_t(INT64_MAX))
            Fail(std::string("the ") + what + " '" + token.text + "' is not an integer");
        const std::int64_t value = negative ? -std::int64_t(magnitude) : std::int64_t(magnitude);
        if (value < min || value > max)
            Fail(std::string("the ") + what + " " + token.text + " is out of range");
        return value;
    }
    std::int16_t Int16(const char* what) {
        return std::int16_t(Integer(what, INT16_MIN, INT16_MAX));
    }
    std::int32_t Int32(const char* what) {
        return std::int32_t(Integer(what, INT32_MIN, INT32_MAX));
    }
    // 32 bits, written signed or not (0xFF000000).
    std::int32_t Colour(const char* what) {
        return std::int32_t(std::uint32_t(Integer(what, INT32_MIN, UINT32_MAX)));
    }
    TFgnBool Bool(const char* what) { return TFgnBool(Integer(what, 0, 1)); }

private:
    static std::optional<double> ParseNumber(const SToken& token) {
        if (token.quoted || token.text.empty()) return std::nullopt;
        double value = 0;
        const char* first = token.text.data();
        const char* last = first + token.text.size();
        const auto [end, ec] = std::from_chars(first, last, value);
        if (ec != std::errc() || end != last) return std::nullopt;
        return value;
    }

    std::vector<SToken> tokens_;
    std::size_t next_ = 0;
};

const char* const kFailOperations[] = {
    "LoadData", "GetDimension", "GetDataPrecision", "GetCoordSys", "GetExtents", "Rewind",
    "Done",     "Step",         "GetCurrentTable",  "RewindTable", "StepTable",  "DoneTable",
};

class CSceneParser {
public:
    explicit CSceneParser(SScene& scene) : scene_(scene) {}

    void Parse(std::istream& in) {
        std::string text;
        while (std::getline(in, text)) {
            ++lineNumber_;
            CLine line(Tokenize(text));
            if (!line.AtEnd()) Statement(line);
        }
        if (in.bad()) Fail("the file cannot be read");
        ++lineNumber_;
        if (compound_) Fail("missing END");
        if (block_) Fail("missing ENDBLOCK");
        if (table_) Fail("missing ENDTABLE");
        for (const auto& [name, block] : scene_.blocks)
            if (!defined_.count(name)) Fail("block '" + name + "' is used but not defined");
    }
    int LineNumber() const { return lineNumber_; }

private:
    using Compound = std::variant<CFgnCPline*, CFgnCPly*>;
    struct SOptions {
        OptText style;
        bool smooth = false;
        bool xref = false;
        double radius = 0;
        std::optional<std::vector<double>> matrix;
    };

    void Statement(CLine& line) {
        const std::string keyword = line.Keyword("statement");
        if (compound_) return Piece(keyword, line);
        if (table_) return TableStatement(keyword, line);
        if (block_) {
            if (keyword == "ENDBLOCK") {
                line.End();
                block_ = nullptr;
                return;
            }
            if (!Entity(*block_, keyword, line)) Fail("'" + keyword + "' in a block");
            return;
        }
        if (keyword == "COORDSYS") {
            Once(scene_.coordSys, line.Text("coordinate-system key"), keyword);
        } else if (keyword == "DIMENSION") {
            const std::int64_t dimension = line.Integer("dimension", 2, 3);
            Once(scene_.dimension, dimension == 3 ? kFgn3d : kFgn2d, keyword);
        } else if (keyword == "PRECISION") {
            const std::string precision = line.Keyword("precision");
            if (precision != "SINGLE" && precision != "DOUBLE")
                Fail("the precision is SINGLE or DOUBLE");
            Once(scene_.precision, precision == "SINGLE" ? kFgnSingle : kFgnDouble, keyword);
        } else if (keyword == "EXTENTS") {
            std::vector<double> extents;
            for (const char* what : {"xmin", "xmax", "ymin", "ymax"})
                extents.push_back(line.Number(what));
            Once(scene_.extents, extents, keyword);
        } else if (keyword == "FAIL") {
            const std::string operation = line.Name("operation");
            const bool known = std::find_if(std::begin(kFailOperations), std::end(kFailOperations),
                                            [&](const char* name) { return operation == name; }) !=
                               std::end(kFailOperations);
            if (!known) Fail("no reader operation '" + operation + "' to fail");
            scene_.fails[operation] = TFgnFmtErr(line.Int32("err"));
        } else if (keyword == "STYLE") {
            Style(line);
        } else if (keyword == "BLOCK") {
            const std::string name = line.Name("block name");
            if (!defined_.insert(name).second) Fail("block '" + name + "' is defined twice");
            block_ = &BlockNamed(name);
            if (line.Option("XREF")) block_->SetXRef(line.Text("referenced file"));
        } else if (keyword == "TABLE") {
            scene_.tables.push_back(std::make_unique<CSceneTbl>(line.Name("table name")));
            table_ = scene_.tables.back().get();
            if (line.Option("LAYERS")) {
                do {
                    Check(table_->LinkLayer(line.Name("layer").c_str()), "LinkLayer");
                } while (!line.AtEnd());
            }
        } else if (keyword == "NULL") {
            scene_.elements.push_back({nullptr, TFgnFmtErr(line.Int32("err"))});
        } else if (Entity(scene_.model, keyword, line)) {
            scene_.elements.push_back({scene_.model.Last(), kFgnOk});
            return;
        } else {
            Fail("unknown statement '" + keyword + "'");
        }
        line.End();
    }

    template <class T, class V>
    static void Once(std::optional<T>& slot, V value, const std::string& keyword) {
        if (slot) Fail(keyword + " is given twice");
        slot = std::move(value);
    }

    static void Check(TFgnFmtErr err, const char* operation) {
        if (err != kFgnOk) Fail(std::string(operation) + " answers " + std::to_string(int(err)));
    }

    template <class Style>
    static void Define(StyleMap<Style>& styles, const std::string& name,
                       std::unique_ptr<Style> style) {
        if (!styles.emplace(name, std::move(style)).second)
            Fail("style '" + name + "' is defined twice");
    }

    void Style(CLine& line) {
        const std::string kind = line.Keyword("style kind");
        const std::string name = line.Name("style name");
        if (kind == "PNT") {
            const std::int32_t colour = line.Colour("colour");
            const double rotation = line.Number("rotation");
            const std::int16_t size = line.Int16("size");
            Define<CFgnStylePnt>(
                scene_.pntStyles, name,
                std::make_unique<CSceneStylePnt>(line.Text("symbol"), colour, rotation, size));
        } else if (kind == "LINE") {
            const std::int32_t colour = line.Colour("colour");
            const std::int16_t weight = line.Int16("weight");
            Define<CFgnStyleLine>(
                scene_.lineStyles, name,
                std::make_unique<CSceneStyleLine>(line.Text("pattern"), colour, weight));
        } else if (kind == "PLY") {
            const std::int32_t edge = line.Colour("edge colour");
            const std::int32_t fill = line.Colour("fill colour");
            const std::int32_t third = line.Colour("third colour");
            const std::int16_t weight = line.Int16("weight");
            OptText fillPattern = line.Text("fill pattern");
            Define<CFgnStylePly>(
                scene_.plyStyles, name,
                std::make_unique<CSceneStylePly>(std::move(fillPattern), line.Text("line pattern"),
                                                 edge, fill, third, weight));
        } else if (kind == "TEXT") {
            STextStyleValues v;
            v.height = line.Number("height");
            v.colour = line.Colour("colour");
            v.second = line.Colour("second colour");
            for (TFgnBool& flag : v.flags) flag = line.Bool("flag");
            v.justification = TFgnJustification(line.Int32("justification"));
            v.angle = line.Number("angle");
            v.last = line.Number("last value");
            Define<CFgnStyleText>(scene_.textStyles, name,
                                  std::make_unique<CSceneStyleText>(line.Text("font"), v));
        } else if (kind == "BLK") {
            Define<CFgnStyleBlk>(scene_.blkStyles, name,
                                 std::make_unique<CSceneStyleBlk>(line.Colour("colour")));
        } else {
            Fail("unknown style kind '" + kind + "'");
        }
    }

    CSceneBlk& BlockNamed(const std::string& name) {
        std::unique_ptr<CSceneBlk>& block = scene_.blocks[name];
        if (!block) block = std::make_unique<CSceneBlk>(name);
        return *block;
    }

    template <class Style>
    static const Style* StyleNamed(const StyleMap<Style>& styles, const OptText& name) {
        if (!name) return nullptr;
        const auto it = styles.find(*name);
        if (it == styles.end()) Fail("no style '" + *name + "' of this kind");
        return it->second.get();
    }

    // Options that may follow an entity: STYLE always, the others where allowed.
    static SOptions Options(CLine& line, std::initializer_list<const char*> allowed) {
        const auto allows = [&](std::string_view option) {
            return std::find(allowed.begin(), allowed.end(), option) != allowed.end();
        };
        SOptions options;
        while (!line.AtEnd()) {
            if (line.Option("STYLE")) {
                options.style = line.Name("style name");
            } else if (allows("SMOOTH") && line.Option("SMOOTH")) {
                options.smooth = true;
            } else if (allows("XREF") && line.Option("XREF")) {
                options.xref = true;
            } else if (allows("RADIUS") && line.Option("RADIUS")) {
                options.radius = line.Number("radius");
            } else if (allows("MATRIX") && line.Option("MATRIX")) {
                std::vector<double> m;
                for (const char* what : {"m00", "m01", "m10", "m11"})
                    m.push_back(line.Number(what));
                options.matrix = m;
            } else {
                line.End();
            }
        }
        return options;
    }

    static std::vector<std::pair<double, double>> Points(CLine& line, std::size_t least) {
        std::vector<std::pair<double, double>> points;
        while (points.size() < least || line.PeekNumber()) {
            const double x = line.Number("x");
            points.emplace_back(x, line.Number("y"));
        }
        return points;
    }

    template <class Entity>
    static void AddPoints(Entity* entity, const std::vector<std::pair<double, double>>& points) {
        for (const auto& [x, y] : points) Check(entity->AddPt(x, y), "AddPt");
    }

    static TFgnBool Direction(CLine& line) {
        const std::string direction = line.Keyword("direction");
        if (direction != "CCW" && direction != "CW") Fail("the direction is CCW or CW");
        return FgnBool(direction == "CCW");
    }

    static TFgnBool Joining(CLine& line) {
        const std::string joining = line.Keyword("CONTIGUOUS or SEPARATE");
        if (joining != "CONTIGUOUS" && joining != "SEPARATE")
            Fail("a compound is CONTIGUOUS or SEPARATE");
        return FgnBool(joining == "CONTIGUOUS");
    }

    // Adds one entity statement to `block`; false when `kind` is none.
    bool Entity(CSceneBlk& block, const std::string& kind, CLine& line) {
        static const char* const kKinds[] = {"PNT",  "MPNT", "LINE",  "PLINE", "PLY",  "CPLINE",
                                             "CPLY", "TEXT", "MTEXT", "ARC",   "INST", "UNKNOWN"};
        if (std::find(std::begin(kKinds), std::end(kKinds), kind) == std::end(kKinds)) return false;
        const std::string key = line.Name("key");
        const std::string layer = line.Name("layer");
        const char* k = key.c_str();
        const char* l = layer.c_str();
        TFgnFmtErr err = kFgnOk;
        if (kind == "PNT") {
            const auto p = Points(line, 1);
            if (p.size() != 1) Fail("a point has one coordinate pair");
            const SOptions o = Options(line, {});
            Check(
                block.AddPnt(k, l, p[0].first, p[0].second, StyleNamed(scene_.pntStyles, o.style)),
                "AddPnt");
        } else if (kind == "MPNT") {
            const auto p = Points(line, 1);
            const SOptions o = Options(line, {});
            CFgnMPnt* points = block.AddMPnt(k, l, StyleNamed(scene_.pntStyles, o.style), err);
            Check(err, "AddMPnt");
            AddPoints(points, p);
        } else if (kind == "LINE") {
            const auto p = Points(line, 2);
            if (p.size() != 2) Fail("a line has two coordinate pairs");
            const SOptions o = Options(line, {});
            Check(block.AddLine(k, l, p[0].first, p[1].first, p[0].second, p[1].second,
                                StyleNamed(scene_.lineStyles, o.style)),
                  "AddLine");
        } else if (kind == "PLINE") {
            const auto p = Points(line, 2);
            const SOptions o = Options(line, {"SMOOTH"});
            CFgnPline* pline = block.AddPline(k, l, FgnBool(o.smooth),
                                              StyleNamed(scene_.lineStyles, o.style), err);
            Check(err, "AddPline");
            AddPoints(pline, p);
        } else if (kind == "PLY") {
            const auto p = Points(line, 4);
            const SOptions o = Options(line, {"RADIUS"});
            CFgnPly* ply = block.AddPly(k, l, p[0].first, p[0].second, o.radius,
                                        StyleNamed(scene_.plyStyles, o.style), err);
            Check(err, "AddPly");
            AddPoints(ply, std::vector(p.begin() + 1, p.end()));
        } else if (kind == "CPLINE") {
            const TFgnBool contiguous = Joining(line);
            const SOptions o = Options(line, {});
            compound_ =
                block.AddCPline(k, l, StyleNamed(scene_.lineStyles, o.style), contiguous, err);
        } else if (kind == "CPLY") {
            const auto p = Points(line, 1);
            if (p.size() != 1) Fail("a label point has one coordinate pair");
            const TFgnBool contiguous = Joining(line);
            const SOptions o = Options(line, {});
            compound_ = block.AddCPly(k, l, p[0].first, p[0].second,
                                      StyleNamed(scene_.plyStyles, o.style), contiguous, err);
        } else if (kind == "TEXT") {
            const auto p = Points(line, 1);
            if (p.size() != 1) Fail("a text has one anchor point");
            const OptText text = line.Text("text");
            const SOptions o = Options(line, {});
            Check(block.AddText(k, l, CStr(text), p[0].first, p[0].second,
                                StyleNamed(scene_.textStyles, o.style)),
                  "AddText");
        } else if (kind == "MTEXT") {
            const auto p = Points(line, 2);
            if (p.size() != 2) Fail("a multi-line text has two corners");
            const OptText text = line.Text("text");
            const SOptions o = Options(line, {});
            Check(block.AddMText(k, l, CStr(text), p[0].first, p[1].first, p[0].second, p[1].second,
                                 StyleNamed(scene_.textStyles, o.style)),
                  "AddMText");
        } else if (kind == "ARC") {
            double v[6];
            ArcValues(line, v);
            const TFgnBool ccw = Direction(line);
            const SOptions o = Options(line, {});
            Check(block.AddArc(k, l, v[0], v[1], v[2], v[3], v[4], v[5], ccw,
                               StyleNamed(scene_.lineStyles, o.style)),
                  "AddArc");
        } else if (kind == "INST") {
            const std::string name = line.Name("block name");
            const auto p = Points(line, 1);
            if (p.size() != 1) Fail("an instance has one insertion point");
            const SOptions o = Options(line, {"MATRIX", "XREF"});
            FgnMatrix m = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
            if (o.matrix) {
                m[0][0] = (*o.matrix)[0], m[0][1] = (*o.matrix)[1];
                m[1][0] = (*o.matrix)[2], m[1][1] = (*o.matrix)[3];
            }
            CFgnBlkInst* instance =
                block.AddBlkInst(k, l, &BlockNamed(name), &m, p[0].first, p[0].second,
                                 StyleNamed(scene_.blkStyles, o.style), err);
            Check(err, "AddBlkInst");
            if (o.xref) static_cast<CSceneBlkInst*>(instance)->SetXRef();
        } else {
            const OptText info = line.Text("text");
            Options(line, {});
            Check(block.AddUnknown(k, l, CStr(info)), "AddUnknown");
        }
        Check(err, kind.c_str());
        return true;
    }

    static void ArcValues(CLine& line, double (&v)[6]) {
        const char* const names[] = {"cx", "cy", "start", "end", "xRadius", "yRadius"};
        for (int i = 0; i < 6; ++i) v[i] = line.Number(names[i]);
    }

    void Piece(const std::string& keyword, CLine& line) {
        if (keyword == "END") {
            line.End();
            compound_.reset();
            return;
        }
        TFgnFmtErr err = kFgnOk;
        if (keyword == "PTS") {
            TFgnAreaType area = kFgnAreaUnspecified;
            if (line.Option("OUTER"))
                area = kFgnAreaOuter;
            else if (line.Option("INNER"))
                area = kFgnAreaInner;
            const auto p = Points(line, 1);
            line.End();
            CFgnGeomPts* piece = std::visit([&](auto* c) { return c->AddPtGeom(err); }, *compound_);
            Check(err, "AddPtGeom");
            if (area != kFgnAreaUnspecified) Check(piece->SetAreaType(area), "SetAreaType");
            AddPoints(piece, p);
        } else if (keyword == "ARC") {
            double v[6];
            ArcValues(line, v);
            const TFgnBool ccw = Direction(line);
            line.End();
            Check(
                std::visit(
                    [&](auto* c) { return c->AddArcGeom(v[0], v[1], v[2], v[3], v[4], v[5], ccw); },
                    *compound_),
                "AddArcGeom");
        } else {
            Fail("'" + keyword + "' in a compound: PTS, ARC or END");
        }
    }

    void TableStatement(const std::string& keyword, CLine& line) {
        if (keyword == "ENDTABLE") {
            line.End();
            table_ = nullptr;
        } else if (keyword == "COLUMN") {
            Column(line);
        } else if (keyword == "ROW") {
            Row(line);
        } else {
            Fail("'" + keyword + "' in a table: COLUMN, ROW or ENDTABLE");
        }
    }

    void Column(CLine& line) {
        const std::string name = line.Name("column name");
        const std::string type = line.Keyword("column type");
        TFgnBool key = kFgnFalse, indexed = kFgnFalse;
        std::int16_t width = 0, decimals = 0;
        while (!line.AtEnd()) {
            if (line.Option("KEY"))
                key = kFgnTrue;
            else if (line.Option("INDEXED"))
                indexed = kFgnTrue;
            else if (line.Option("WIDTH"))
                width = line.Int16("width");
            else if (line.Option("DECIMALS"))
                decimals = line.Int16("decimals");
            else
                line.End();
        }
        const char* n = name.c_str();
        TFgnFmtErr err;
        if (type == "INT2")
            err = table_->AddClmnInt2(n, key, indexed);
        else if (type == "INT4")
            err = table_->AddClmnInt4(n, key, indexed);
        else if (type == "FLOAT")
            err = table_->AddClmnFloat(n, key, indexed, width, decimals);
        else if (type == "DBL")
            err = table_->AddClmnDbl(n, key, indexed, width, decimals);
        else if (type == "DTE")
            err = table_->AddClmnDte(n, key, indexed);
        else if (type == "CHAR")
            err = table_->AddClmnChar(n, key, indexed, width);
        else if (type == "LGCL")
            err = table_->AddClmnLgcl(n, key, indexed);
        else
            Fail("unknown column type '" + type + "'");
        Check(err, ("column '" + name + "'").c_str());
    }

    void Row(CLine& line) {
        TFgnFmtErr err;
        const std::list<const CFgnTblClmn*>* columns = table_->GetColumns(err);
        Check(table_->AddRow(), "AddRow");
        for (const CFgnTblClmn* column : *columns) {
            const char* name = column->GetName(err);
            switch (column->GetType(err)) {
                case kFgnClmnInt2:
                    err = table_->SetInt2Field(name, line.Int16(name));
                    break;
                case kFgnClmnInt4:
                    err = table_->SetInt4Field(name, line.Int32(name));
                    break;
                case kFgnClmnFloat:
                    err = table_->SetFloatField(name, float(line.Number(name)));
                    break;
                case kFgnClmnDbl:
                    err = table_->SetDblField(name, line.Number(name));
                    break;
                case kFgnClmnDte:
                    err = table_->SetDteField(name, line.Name(name).c_str());
                    break;
                case kFgnClmnChar:
                    err = table_->SetCharField(name, line.Name(name).c_str());
                    break;
                case kFgnClmnLgcl: {
                    const std::string value = line.Name(name);
                    if (value.size() != 1)
                        Fail(std::string("the logical ") + name + " is one character");
                    err = table_->SetLgclField(name, value[0]);
                    break;
                }
            }
            Check(err, name);
        }
        line.End();
        Check(table_->UpdateRow(), "UpdateRow");
    }

    SScene& scene_;
    int lineNumber_ = 0;
    std::set<std::string> defined_;
    CSceneBlk* block_ = nullptr;
    CSceneTbl* table_ = nullptr;
    std::optional<Compound> compound_;
};

// The reader.

class CSceneReader final : public CFgnReader {
public:
    CSceneReader(char const* path, char const* second) : path_(Copy(path)), second_(Copy(second)) {}

    TFgnFmtErr LoadData() override {
        if (scene_) return kFgnOk;
        const std::string file = SceneFile();
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "FgnScene: %s cannot be opened\n", file.c_str());
            return kFgnNotLoaded;
        }
        auto scene = std::make_unique<SScene>();
        CSceneParser parser(*scene);
        try {
            parser.Parse(in);
        } catch (const SParseError& error) {
            std::fprintf(stderr, "FgnScene: %s:%d: %s\n", file.c_str(), parser.LineNumber(),
                         error.message.c_str());
            return kFgnNotLoaded;
        } catch (const std::bad_alloc&) {
            return kFgnNoMemory;
        }
        const auto fail = scene->fails.find("LoadData");
        if (fail != scene->fails.end()) return fail->second;
        scene_ = std::move(scene);
        cursor_ = tableCursor_ = 0;
        return kFgnOk;
    }
    TFgnFmtErr UnloadData() override {
        if (!scene_) return kFgnNotLoaded;
        scene_.reset();
        cursor_ = tableCursor_ = 0;
        return kFgnOk;
    }
    TFgnFmt GetDataFormat(TFgnFmtErr& err) override {
        return Result(err, kFgnFmtNative, scene_ ? kFgnOk : kFgnNotLoaded);
    }
    TFgnDimension GetDimension(TFgnFmtErr& err) override {
        err = Status("GetDimension");
        return scene_ ? scene_->dimension.value_or(kFgn2d) : kFgn2d;
    }
    TFgnPrecision GetDataPrecision(TFgnFmtErr& err) override {
        err = Status("GetDataPrecision");
        return scene_ ? scene_->precision.value_or(kFgnDouble) : kFgnDouble;
    }
    char const* GetCoordSys(TFgnFmtErr& err) override {
        err = Status("GetCoordSys");
        return scene_ && scene_->coordSys ? CStr(*scene_->coordSys) : nullptr;
    }
    TFgnFmtErr GetExtents(double& xmin, double& xmax, double& ymin, double& ymax) override {
        if (!scene_) return kFgnNotLoaded;
        const std::vector<double> e = scene_->extents.value_or(std::vector<double>(4, 0.0));
        xmin = e[0], xmax = e[1], ymin = e[2], ymax = e[3];
        return Status("GetExtents");
    }
    const CFgnEntity* GetCurrent(TFgnFmtErr& err) override {
        if (!scene_) return Result<const CFgnEntity*>(err, nullptr, kFgnNotLoaded);
        if (cursor_ >= scene_->elements.size())
            return Result<const CFgnEntity*>(err, nullptr, kFgnNoCurrent);
        const SElement& element = scene_->elements[cursor_];
        return Result(err, element.entity, element.err);
    }
    TFgnFmtErr Rewind() override {
        const TFgnFmtErr status = Status("Rewind");
        if (status == kFgnOk) cursor_ = 0;
        return status;
    }
    TFgnBool Done(TFgnFmtErr& err) override {
        err = Status("Done");
        return scene_ ? FgnBool(cursor_ >= scene_->elements.size()) : kFgnTrue;
    }
    TFgnFmtErr Step() override {
        const TFgnFmtErr status = Status("Step");
        if (status != kFgnOk) return status;
        if (cursor_ >= scene_->elements.size()) return kFgnNoCurrent;
        ++cursor_;
        return kFgnOk;
    }
    CFgnTbl* GetCurrentTable(TFgnFmtErr& err) override {
        err = Status("GetCurrentTable");
        if (err != kFgnOk) return nullptr;
        if (tableCursor_ >= scene_->tables.size())
            return Result<CFgnTbl*>(err, nullptr, kFgnNoCurrent);
        return scene_->tables[tableCursor_].get();
    }
    TFgnFmtErr RewindTable() override {
        const TFgnFmtErr status = Status("RewindTable");
        if (status == kFgnOk) tableCursor_ = 0;
        return status;
    }
    TFgnFmtErr StepTable() override {
        const TFgnFmtErr status = Status("StepTable");
        if (status != kFgnOk) return status;
        if (tableCursor_ >= scene_->tables.size()) return kFgnNoCurrent;
        ++tableCursor_;
        return kFgnOk;
    }
    TFgnBool DoneTable(TFgnFmtErr& err) override {
        err = Status("DoneTable");
        return scene_ ? FgnBool(tableCursor_ >= scene_->tables.size()) : kFgnTrue;
    }

private:
    // A file names the scene; a directory and a name (a coverage) name it together.
    std::string SceneFile() const {
        const std::string path = path_.value_or("");
        std::error_code ec;
        if (std::filesystem::is_regular_file(path, ec) || !second_ || second_->empty()) return path;
        return path + "/" + *second_;
    }

    // err 7 before a successful load, else what the scene asks of the operation.
    TFgnFmtErr Status(const char* operation) const {
        if (!scene_) return kFgnNotLoaded;
        const auto fail = scene_->fails.find(operation);
        return fail == scene_->fails.end() ? kFgnOk : fail->second;
    }

    OptText path_, second_;
    std::unique_ptr<SScene> scene_;
    std::size_t cursor_ = 0;
    std::size_t tableCursor_ = 0;
};

}  // namespace

CFgnReader* CreateSceneReader(char const* path, char const* second) {
    return new CSceneReader(path, second);
}
