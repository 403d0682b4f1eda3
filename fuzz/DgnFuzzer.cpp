// A design file read from memory by the DGN reader: every element it
// presents, with the pieces, points and texts a loader asks of them, and the
// entities of cells' blocks. (Reference attachments open files by name: an
// input naming none that exist reads no more than itself.)
#include <memory>
#include <vector>

#include "common/ByteSource.h"
#include "dgn/DgnFileReader.h"
#include "fuzz/FuzzSupport.h"

namespace {

void Touch(const std::list<const CFgnPt*>* points) {
    TFgnFmtErr err;
    if (points)
        for (const CFgnPt* pt : *points) pt->GetX(err);
}

void Touch(const std::list<const CFgnGeom*>* pieces) {
    TFgnFmtErr err;
    if (!pieces) return;
    for (const CFgnGeom* piece : *pieces)
        if (piece->GetType(err) == kFgnGeomPts)
            Touch(static_cast<const CFgnGeomPts*>(piece)->GetPts(err));
}

void Probe(const CFgnEntity& entity, int depth = 0) {
    TFgnFmtErr err;
    switch (entity.GetType(err)) {
        case kFgnEntityPline:
            Touch(static_cast<const CFgnPline&>(entity).GetPts(err));
            break;
        case kFgnEntityMPnt:
            Touch(static_cast<const CFgnMPnt&>(entity).GetPts(err));
            break;
        case kFgnEntityCPline:
            Touch(static_cast<const CFgnCPline&>(entity).GetGeometry(err));
            break;
        case kFgnEntityCPly: {
            const auto& e = static_cast<const CFgnCPly&>(entity);
            Touch(e.GetGeometry(err));
            e.GetLabelPt(err);
            break;
        }
        case kFgnEntityText:
            static_cast<const CFgnText&>(entity).GetText(err);
            break;
        case kFgnEntityMText: {
            const auto& e = static_cast<const CFgnMText&>(entity);
            e.GetText(err);
            e.GetMinPt(err)->GetX(err);
            e.GetMaxPt(err)->GetX(err);
            break;
        }
        case kFgnEntityBlkInst: {
            // Cells and attachments: every entity of the block, nested ones too.
            const auto& e = static_cast<const CFgnBlkInst&>(entity);
            e.GetInsertPt(err)->GetX(err);
            e.GetMatrix(err);
            if (const CFgnBlk* block = e.GetBlk(err); block && depth < 16)
                for (const CFgnEntity* inner : *block->GetEntities(err)) Probe(*inner, depth + 1);
            break;
        }
        default:
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CDgnFileReader reader(
        std::make_unique<CMemoryByteSource>(std::vector<std::uint8_t>(data, data + size)),
        "fuzz.dgn", "/nonexistent/tsdgn.ini");
    if (reader.LoadData() != kFgnOk) return 0;
    TFgnFmtErr err;
    for (reader.Rewind(); !reader.Done(err); reader.Step())
        if (const CFgnEntity* entity = reader.GetCurrent(err)) Probe(*entity);
    return 0;
}
