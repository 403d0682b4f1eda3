// The entities a coverage reader hands out, each built from the current
// record of the open cover and owning copies of what it needs (a text's
// characters excepted: they stay in the cover's annotation record, valid
// until the reader's next step). Keys are the decimal record positions.
#pragma once

#include <list>
#include <memory>
#include <string>
#include <vector>

#include "coverage/lib/Tamrec.h"
#include "foreign/Foreign.h"

class CWriteCoverage;

class CESRIPt final : public CFgnPt {
public:
    CESRIPt(double x, double y) : x_(x), y_(y) {}
    explicit CESRIPt(const tamrec_dblxy_pair& pair) : x_(pair.x), y_(pair.y) {}

    double GetX(TFgnFmtErr& err) const override;
    double GetY(TFgnFmtErr& err) const override;
    // No z: 0.0 with err 8.
    double GetZ(TFgnFmtErr& err) const override;

private:
    double x_, y_;
};

// Points owned by a list that hands them out as contract points.
class CESRIPtList {
public:
    CESRIPtList() = default;
    CESRIPtList(const CESRIPtList& other);
    CESRIPtList& operator=(const CESRIPtList&) = delete;

    void Add(const tamrec_dblxy_pair& pair);
    const std::list<const CFgnPt*>* Get() const { return &list_; }
    std::size_t Size() const { return points_.size(); }

private:
    std::vector<std::unique_ptr<CESRIPt>> points_;
    std::list<const CFgnPt*> list_;
};

// Where a point comes from: it decides the layer.
enum TARCPntOrgn : std::int32_t { kArcPntPoint = 0, kArcPntLabel = 1, kArcPntTic = 2 };

class CESRIPnt final : public CFgnPnt {
public:
    CESRIPnt(const tamrec_dblxy_pair& point, std::int32_t id, TARCPntOrgn origin);

    char const* GetKey(TFgnFmtErr& err) const override;
    char const* GetLayer(TFgnFmtErr& err) const override;
    const CFgnPt* GetPt(TFgnFmtErr& err) const override;
    // None: err 10.
    const CFgnStylePnt* GetStyle(TFgnFmtErr& err) const override;

private:
    std::string layer_, key_;
    CESRIPt point_;
};

class CESRILine final : public CFgnLine {
public:
    CESRILine(const tamrec_dblxy_pair& start, const tamrec_dblxy_pair& end, std::int32_t id);

    char const* GetKey(TFgnFmtErr& err) const override;
    char const* GetLayer(TFgnFmtErr& err) const override;
    const CFgnPt* GetEndPt(TFgnFmtErr& err) const override;
    const CFgnPt* GetStartPt(TFgnFmtErr& err) const override;
    const CFgnStyleLine* GetStyle(TFgnFmtErr& err) const override;

private:
    std::string layer_, key_;
    CESRIPt start_, end_;
};

class CESRIPline final : public CFgnPline {
public:
    // One point per vertex of the arc, in record order.
    CESRIPline(const tamrec_record_arc& arc, std::int32_t id);
    // Write side: an open arc of the builder, filled by AddPt.
    CESRIPline(CWriteCoverage* builder, const char* key);

    char const* GetKey(TFgnFmtErr& err) const override;
    char const* GetLayer(TFgnFmtErr& err) const override;
    // A read entity takes no points: 1.
    TFgnFmtErr AddPt(double x, double y, double z) override;
    TFgnFmtErr AddPt(double x, double y) override;
    const std::list<const CFgnPt*>* GetPts(TFgnFmtErr& err) const override;
    TFgnBool GetSmoothed(TFgnFmtErr& err) const override;
    const CFgnStyleLine* GetStyle(TFgnFmtErr& err) const override;

private:
    CESRIPtList points_;
    std::string layer_, key_;
    CWriteCoverage* builder_ = nullptr;
};

// One ring of a polygon, walked arc by arc.
class CESRIPly final : public CFgnPly {
public:
    // Starts at the arc's first vertex in walking order, then AddArc.
    CESRIPly(const tamrec_record_arc& arc, TFgnBool backward, const tamrec_dblxy_pair& label,
             std::int32_t id, TFgnBool island);
    // Write side: a closed arc of the builder, filled by AddPt.
    CESRIPly(CWriteCoverage* builder, const char* key);

    char const* GetKey(TFgnFmtErr& err) const override;
    char const* GetLayer(TFgnFmtErr& err) const override;
    TFgnFmtErr AddPt(double x, double y, double z) override;
    TFgnFmtErr AddPt(double x, double y) override;
    const CFgnPt* GetLabelPt(TFgnFmtErr& err) const override;
    const std::list<const CFgnPt*>* GetPts(TFgnFmtErr& err) const override;
    double GetRadius(TFgnFmtErr& err) const override;

    // Appends the arc's vertices but the one at the shared node: forward its
    // second to last, backward its last but one down to its first.
    TFgnFmtErr AddArc(const tamrec_record_arc& arc, TFgnBool backward);
    const CESRIPtList& Points() const { return points_; }

private:
    CESRIPtList points_;
    std::string layer_, key_;
    CESRIPt label_;
    CWriteCoverage* builder_ = nullptr;
};

// A piece of a compound polygon: one ring.
class CESRIGeomPts final : public CFgnGeomPts {
public:
    CESRIGeomPts(const CESRIPtList& points, TFgnAreaType type);
    // Write side: its points go to the builder's current arc.
    explicit CESRIGeomPts(CWriteCoverage* builder);

    TFgnAreaType GetAreaType(TFgnFmtErr& err) const override;
    TFgnFmtErr AddPt(double x, double y, double z) override;
    TFgnFmtErr AddPt(double x, double y) override;
    const std::list<const CFgnPt*>* GetPts(TFgnFmtErr& err) const override;

private:
    CESRIPtList points_;
    TFgnAreaType type_;
    CWriteCoverage* builder_ = nullptr;
};

// A polygon of several rings: the outer one first, its holes after it.
class CESRICPly final : public CFgnCPly {
public:
    CESRICPly(const tamrec_dblxy_pair& label, std::int32_t id, TFgnBool contiguous,
              TFgnBool island);
    // Write side: rings of the builder; a contiguous polygon is one ring.
    CESRICPly(CWriteCoverage* builder, const char* key, TFgnBool contiguous);

    char const* GetKey(TFgnFmtErr& err) const override;
    char const* GetLayer(TFgnFmtErr& err) const override;
    // A read entity takes no pieces: 1; the three-dimensional form 4.
    TFgnFmtErr AddArcGeom(double cx, double cy, double start, double end, double xRadius,
                          double yRadius, TFgnBool counterClockwise) override;
    TFgnFmtErr AddArcGeom(double cx, double cy, double cz, double start, double end, double xRadius,
                          double yRadius, TFgnBool counterClockwise) override;
    CFgnGeomPts* AddPtGeom(TFgnFmtErr& err) override;
    const std::list<const CFgnGeom*>* GetGeometry(TFgnFmtErr& err) const override;
    const CFgnPt* GetLabelPt(TFgnFmtErr& err) const override;
    TFgnBool IsContiguous(TFgnFmtErr& err) const override;

    virtual void AddGeom(const CESRIPtList& points, TFgnAreaType type);

private:
    std::string key_, layer_;
    TFgnBool contiguous_;
    std::vector<std::unique_ptr<CESRIGeomPts>> pieces_;
    std::list<const CFgnGeom*> list_;
    CESRIPt label_;
    CWriteCoverage* builder_ = nullptr;
    std::unique_ptr<CESRIGeomPts> current_;
};

// Write side only: every point a label of the builder.
class CESRIMPnt final : public CFgnMPnt {
public:
    CESRIMPnt(CWriteCoverage* builder, const char* key);
    TFgnFmtErr AddPt(double x, double y, double z) override;
    TFgnFmtErr AddPt(double x, double y) override;

private:
    CWriteCoverage* builder_;
    std::string key_;
};

// Write side only: pieces of one open arc when contiguous, else one arc each.
class CESRICPline final : public CFgnCPline {
public:
    CESRICPline(CWriteCoverage* builder, const char* key, TFgnBool contiguous);
    TFgnFmtErr AddArcGeom(double cx, double cy, double start, double end, double xRadius,
                          double yRadius, TFgnBool counterClockwise) override;
    TFgnFmtErr AddArcGeom(double cx, double cy, double cz, double start, double end, double xRadius,
                          double yRadius, TFgnBool counterClockwise) override;
    CFgnGeomPts* AddPtGeom(TFgnFmtErr& err) override;
    TFgnBool IsContiguous(TFgnFmtErr& err) const override;

private:
    std::string key_;
    std::unique_ptr<CESRIGeomPts> current_;
    TFgnBool contiguous_;
    CWriteCoverage* builder_;
};

class CESRIStyleText final : public CFgnStyleText {
public:
    explicit CESRIStyleText(double height) : height_(height) {}

    // The height, colour 0, second colour 16777215, no flags, justification 5.
    TFgnFmtErr GetDefinition(double& height, std::int32_t& colour, std::int32_t& second,
                             TFgnBool& flag1, TFgnBool& flag2, TFgnBool& flag3,
                             TFgnJustification& justification, double& angle,
                             double& last) const override;
    virtual double GetSize() const { return height_; }

private:
    double height_;
};

class CESRIMText final : public CFgnMText {
public:
    // `text` is borrowed.
    CESRIMText(double x1, double y1, double x2, double y2, const char* text, double height,
               std::int32_t id);

    char const* GetKey(TFgnFmtErr& err) const override;
    char const* GetLayer(TFgnFmtErr& err) const override;
    const CFgnPt* GetMaxPt(TFgnFmtErr& err) const override;
    const CFgnPt* GetMinPt(TFgnFmtErr& err) const override;
    const CFgnStyleText* GetStyle(TFgnFmtErr& err) const override;
    char const* GetText(TFgnFmtErr& err) const override;

private:
    std::string layer_, key_;
    CESRIPt min_, max_;
    CESRIStyleText style_;
    const char* text_;
};

// Where a stroked arc's vertices go.
class CEsriVertexSink {
public:
    virtual ~CEsriVertexSink() = default;
    // 0, or the failure that ends the stroke.
    virtual TFgnFmtErr AddVertex(double x, double y) = 0;
};

// Turns an elliptical arc into vertices 2 degrees apart, from the start angle
// to the end angle, both always emitted.
class CESRIArcStroker {
public:
    // Angles in degrees, taken modulo 360; `increasing` 1 sweeps with
    // increasing angles, anything else with decreasing ones.
    static TFgnFmtErr Stroke(double cx, double cy, double start, double end, double xRadius,
                             double yRadius, TFgnBool increasing, CEsriVertexSink& sink);
};

// The message `id` as a text; empty when it cannot be loaded.
std::string EsriMessage(unsigned id);
std::string EsriKey(std::int32_t id);
