// The reader of drawings, input types X (DXF) and W (DWG, through an outside
// converter that turns it into DXF). It walks model space, descending into
// block references when blocks are exploded, and turns each entity into one
// feature record: points, lines and polygons in model-space coordinates, with
// styles, block symbols and the object-data and database-link tables.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "loader/core/AttributedReader.h"
#include "loader/core/EntityStyle.h"
#include "loader/core/Geometry2d.h"
#include "loader/core/NamePatternList.h"
#include "readers/drawing/DrawingDatabase.h"
#include "readers/dxf/DwgGeometry.h"

namespace dwg {

// The nesting state of a walk through model space and the blocks it enters.
struct SWalk {
    struct SLevel {
        const drawing::CBlockRecord* block = nullptr;
        std::size_t position = 0;
    };
    const drawing::CEntity* current = nullptr;
    // levels[d] walks the block of level d; an enclosing level stands on the
    // entity after the reference that opened the next one.
    SLevel levels[kMaxDepth + 1];
    // transforms.depth is the nesting depth.
    STransformStack transforms;
    // The colour index of the reference that opened each level (level 0: 7),
    // and the colour of that reference's layer.
    int colour[kMaxDepth + 1] = {7};
    int layerColour[kMaxDepth + 1] = {7};
    int end = 0;

    int Depth() const { return transforms.depth; }
};

// The options of one conversion walk.
struct SWalkMode {
    bool explode = false;
    bool styles = false;
    bool symbol = false;  // drawing a block symbol or measuring a block
};

}  // namespace dwg

class CDwgReader final : public CAttributedReader {
public:
    CDwgReader(CLoaderSettings* settings, Status* status);
    ~CDwgReader() override;
    CDwgReader(const CDwgReader&) = delete;
    CDwgReader& operator=(const CDwgReader&) = delete;

    Status Rewind() override;
    Status ReadNext(CFeatureRecord* record) override;
    int AtEnd() override;
    // Tables, layers, named blocks, the model-space entity count and the
    // drawing's coordinate-system key.
    Status GetFileInfo(CFileInfo* info) override;

    // The drawing, for the attribute tables.
    const drawing::CDatabase* Database() const { return database_.get(); }
    // The entity the next ReadNext converts; null at the end.
    const drawing::CEntity* CurrentEntity() const { return walk_.current; }
    // The drawing's coordinate-system key; empty when it has none.
    std::string GetProjectionKey() const;

    // Extended-data names of the database-link tables, by release.
    const std::string& LinkDictionaryKey() const { return linkDictionaryKey_; }
    const std::string& LinkApplication() const { return linkApplication_; }
    int LinkRelease() const { return linkRelease_; }

private:
    Status Open();
    Status OpenDwg(std::string& dxfPath);
    void CheckCoordSys();
    Status AddObjectDataTables();
    Status AddLinkTables();

    // Converts entities from the walk's current one until one fills the
    // record, the walk ends or a failure occurs.
    Status ConvertNextEntity(dwg::SWalk& walk, CFeatureRecord* record, const dwg::SWalkMode& mode,
                             bool& converted);
    bool FilterEntity(const drawing::CEntity& entity, int depth, bool explode);
    Status ConvertEntity(dwg::SWalk& walk, CFeatureRecord* record, const dwg::SWalkMode& mode,
                         bool& converted, bool& entered);
    Status ConvertBlockReference(dwg::SWalk& walk, CFeatureRecord* record,
                                 const dwg::SWalkMode& mode, bool& converted, bool& entered);
    void AdvanceEntity(dwg::SWalk& walk);
    void ReportUnsupportedEntity(const drawing::CEntity& entity);
    // The extent of a block in its own coordinates, measured once per name;
    // null when it cannot be measured.
    const CExtent2d* ComputeBlockExtent(const drawing::CBlockReference& reference);
    Status WriteBlockSymbol(const drawing::CBlockReference& reference, CFeatureRecord* record);

    CRgbaColor ResolveColour(const drawing::CEntity& entity, const dwg::SWalk& walk) const;
    int LayerColourIndex(const std::string& layer) const;
    std::unique_ptr<CEntityStyle> MakeStyle(const drawing::CEntity& entity,
                                            const CFeatureRecord& record, const dwg::SWalk& walk,
                                            bool polygon, const CExtent2d* blockExtent) const;
    Status ConvertClosedLineToPolygon(CFeatureRecord* record, bool& polygon);

    std::unique_ptr<drawing::CDatabase> database_;
    dwg::SWalk walk_;
    bool hostServicesInstalled_ = false;
    // Block extents by folded block name.
    std::unordered_map<std::string, std::unique_ptr<CExtent2d>> blockExtents_;
    CNamePatternList symbolsWritten_;
    std::string linkDictionaryKey_;
    std::string linkApplication_;
    int linkRelease_ = 15;
};
