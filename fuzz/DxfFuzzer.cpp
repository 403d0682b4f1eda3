// A DXF file (ASCII or binary) read from memory into the drawing model, then
// the geometry a reader asks of each entity: world points, curves and their
// lengths, block transforms, and the named objects.
#include "common/ByteSource.h"
#include "fuzz/FuzzSupport.h"
#include "readers/drawing/DrawingCurves.h"
#include "readers/drawing/DrawingDatabase.h"

namespace {

void Probe(const drawing::CCurve& curve) {
    const double t0 = curve.StartParam(), t1 = curve.EndParam();
    curve.PointAt((t0 + t1) / 2);
    const double length = curve.Length();
    curve.PointAtDistance(length / 3);
    curve.ParamAtPoint(curve.EndPoint());
}

void Probe(const drawing::CEntity& entity) {
    using namespace drawing;
    entity.XData("ACAD");
    if (const auto* e = entity.As<CArc>()) {
        e->StartPoint();
        e->EndPoint();
    } else if (const auto* e = entity.As<CEllipse>()) {
        Probe(e->Curve());
    } else if (const auto* e = entity.As<CSpline>()) {
        if (const CNurbsCurve* curve = e->Curve()) Probe(*curve);
    } else if (const auto* e = entity.As<CLwPolyline>()) {
        for (int i = 0; i < e->NumVerts(); ++i) {
            e->WorldPointAt(i);
            e->WidthsAt(i);
        }
    } else if (const auto* e = entity.As<CBlockReference>()) {
        e->BlockTransform();
        for (const auto& attribute : e->Attributes()) attribute->Position();
    } else if (const auto* e = entity.As<CText>()) {
        e->Position();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    drawing::CDatabase database;
    if (database.ReadDxf(CMemoryByteSource({data, size})) != drawing::EOpenStatus::kOk) return 0;
    for (const auto& block : database.Blocks())
        for (const auto& entity : block->Entities()) Probe(*entity);
    if (const drawing::CDictionary* root = database.NamedObjectsDictionary()) {
        for (const auto& entry : root->Entries())
            if (const drawing::CObject* object = database.FindObject(entry.handle))
                object->AsDictionary();
    }
    return 0;
}
