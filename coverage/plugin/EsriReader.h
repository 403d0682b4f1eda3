// The plug-in's reader: one cover of a workspace, delivered as its points
// (of a cover without polygons), arcs, polygons built from the arcs, tics and
// texts, in that order, and its AAT and PAT as tables. A position of the
// sequence that yields nothing (a record that cannot be read, a polygon
// without its label point, a ring that does not close) is answered by
// GetCurrent as null with err 1, so that the loader says it skipped it.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>

#include "coverage/lib/Tamrec.h"
#include "coverage/plugin/EsriTable.h"
#include "foreign/Foreign.h"

class CESRIReader final : public CFgnReader {
public:
    // The workspace directory and the cover's name in it; `assemble` builds
    // polygons from their arcs, else they are delivered as label points.
    CESRIReader(const char* workspace, const char* cover, TFgnBool assemble);
    CESRIReader(const char* workspace, const char* cover);
    ~CESRIReader() override;

    TFgnFmtErr LoadData() override;
    TFgnFmtErr UnloadData() override;
    TFgnFmt GetDataFormat(TFgnFmtErr& err) override;
    TFgnDimension GetDimension(TFgnFmtErr& err) override;
    TFgnPrecision GetDataPrecision(TFgnFmtErr& err) override;
    char const* GetCoordSys(TFgnFmtErr& err) override;
    TFgnFmtErr GetExtents(double& xmin, double& xmax, double& ymin, double& ymax) override;
    const CFgnEntity* GetCurrent(TFgnFmtErr& err) override;
    TFgnFmtErr Rewind() override;
    TFgnBool Done(TFgnFmtErr& err) override;
    TFgnFmtErr Step() override;
    CFgnTbl* GetCurrentTable(TFgnFmtErr& err) override;
    TFgnFmtErr RewindTable() override;
    TFgnFmtErr StepTable() override;
    TFgnBool DoneTable(TFgnFmtErr& err) override;

    // Null when the stored workspace and cover open; else why not. The text
    // lasts until the next call.
    char const* IsValidCoveragePath(TFgnBool& valid);

private:
    // How a polygon finds its label point.
    enum EPairing : std::int32_t {
        kNoPolygons = 0,
        kUnpaired = 1,
        kLabelSameNumber = 2,
        kLabelNumberBefore = 3,
        kCentroidSameNumber = 4,
    };

    void Close();
    TFgnFmtErr SetCurrentEntity();
    std::unique_ptr<CFgnEntity> MakeEntity(std::int64_t position);
    std::unique_ptr<CFgnEntity> SetCurrentPoint(std::int32_t k);
    std::unique_ptr<CFgnEntity> SetCurrentArc(std::int32_t k);
    std::unique_ptr<CFgnEntity> SetCurrentPolygon(std::int32_t k);
    std::unique_ptr<CFgnEntity> SetCurrentTic(std::int32_t k);
    std::unique_ptr<CFgnEntity> SetCurrentText(std::int32_t k);
    void AnalysePolygons(std::int32_t n);
    std::unique_ptr<CFgnEntity> AssembleCurrentPolygon(const tamrec_dblxy_pair& label,
                                                       std::int32_t p);
    void SetCoordSys();
    TFgnFmtErr SetCurrentTable();
    std::int64_t SequenceLength() const;

    std::unique_ptr<CESRITbl> currentTable_;
    std::int32_t tableCursor_ = 1;
    bool hasPolygonTable_ = false;
    bool hasArcTable_ = false;
    std::string coordSys_;
    tamrec_cover* cover_ = nullptr;
    tamrec_workspace* workspace_ = nullptr;
    std::unique_ptr<CFgnEntity> currentEntity_;
    bool hasCoverName_, hasWorkspacePath_;
    std::string coverName_;
    std::string workspacePath_;
    std::unique_ptr<char[]> validationMessage_;
    EPairing pairing_ = kUnpaired;
    std::int64_t cursor_ = 1;
    std::int32_t arcCount_ = 0, textCount_ = 0, pointCount_ = 0, polygonCount_ = 0, ticCount_ = 0,
                 centroidCount_ = 0;
    TFgnBool assemble_;
    // Polygons that lie inside another polygon's hole; read, never consumed,
    // so that every walk puts them on the same layer.
    std::set<std::int32_t> islands_;
};
