// What a reader delivers, gathered through the foreign-reader contract alone
// (as the loader reaches it): one record an element, and the rows of a table.
// The same walk serves readers made in the test and readers made by the
// plug-in library, and gives what an end-to-end check compares.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "foreign/Foreign.h"

namespace dgntest {

using Xyz = std::array<double, 3>;

// A piece of a complex chain or shape: its points, or an arc's centre and definition.
struct SPiece {
    bool arc = false;
    std::vector<Xyz> points;
    double start = 0, end = 0, xRadius = 0, yRadius = 0;
};

struct SFeature {
    TFgnFmtErr err = kFgnOk;  // of GetCurrent; the rest is empty without an entity
    bool entity = false;
    TFgnEntityType type = kFgnEntityUnknown;
    std::string key, layer;
    // Line: start, end; Pline, MPnt: the points; Arc: the centre.
    std::vector<Xyz> points;
    double start = 0, end = 0, xRadius = 0, yRadius = 0;
    bool counterClockwise = false;
    bool style = false;
    std::int32_t colour = 0;
    std::int16_t weight = 0;  // point styles: the size
    std::string pattern;      // point styles: the symbol
    double rotation = 0;
    // Complex chains and shapes: the pieces; shapes: the label point's err and point.
    std::vector<SPiece> pieces;
    TFgnFmtErr labelErr = kFgnOk;
    Xyz label{};
};

inline std::vector<SPiece> Pieces(const std::list<const CFgnGeom*>* geometry);

inline Xyz Coordinates(const CFgnPt& pt) {
    TFgnFmtErr err;
    return {pt.GetX(err), pt.GetY(err), pt.GetZ(err)};
}

inline void AddPoints(SFeature& f, const std::list<const CFgnPt*>* pts) {
    if (pts)
        for (const CFgnPt* pt : *pts) f.points.push_back(Coordinates(*pt));
}

inline void TakeStyle(SFeature& f, const CFgnStyleLine* style) {
    if (!style) return;
    TFgnFmtErr err;
    f.style = true;
    style->GetDefinition(f.colour, f.weight);
    char const* pattern = style->GetLinePattern(err);
    f.pattern = pattern ? pattern : "";
}

inline void TakeStyle(SFeature& f, const CFgnStylePly* style) {
    if (!style) return;
    TFgnFmtErr err;
    f.style = true;
    std::int32_t fill = 0, third = 0;
    style->GetDefinition(f.colour, fill, third, f.weight);
    char const* pattern = style->GetLinePattern(err);
    f.pattern = pattern ? pattern : "";
}

inline void TakeStyle(SFeature& f, const CFgnStylePnt* style) {
    if (!style) return;
    TFgnFmtErr err;
    f.style = true;
    char const* symbol = style->GetDefinition(f.colour, f.rotation, f.weight, err);
    f.pattern = symbol ? symbol : "";
}

inline SFeature Describe(const CFgnEntity* entity, TFgnFmtErr err) {
    SFeature f;
    f.err = err;
    if (!entity) return f;
    f.entity = true;
    f.type = entity->GetType(err);
    f.key = entity->GetKey(err);
    f.layer = entity->GetLayer(err);
    switch (f.type) {
        case kFgnEntityLine: {
            const auto& e = static_cast<const CFgnLine&>(*entity);
            f.points = {Coordinates(*e.GetStartPt(err)), Coordinates(*e.GetEndPt(err))};
            TakeStyle(f, e.GetStyle(err));
            break;
        }
        case kFgnEntityPline: {
            const auto& e = static_cast<const CFgnPline&>(*entity);
            AddPoints(f, e.GetPts(err));
            TakeStyle(f, e.GetStyle(err));
            break;
        }
        case kFgnEntityMPnt: {
            const auto& e = static_cast<const CFgnMPnt&>(*entity);
            AddPoints(f, e.GetPts(err));
            TakeStyle(f, e.GetStyle(err));
            break;
        }
        case kFgnEntityArc: {
            const auto& e = static_cast<const CFgnArc&>(*entity);
            f.points = {Coordinates(*e.GetCenterPt(err))};
            TFgnBool ccw = kFgnFalse;
            e.GetDefinition(f.start, f.end, f.xRadius, f.yRadius, ccw);
            f.counterClockwise = ccw == kFgnTrue;
            TakeStyle(f, e.GetStyle(err));
            break;
        }
        case kFgnEntityCPline: {
            const auto& e = static_cast<const CFgnCPline&>(*entity);
            f.pieces = Pieces(e.GetGeometry(err));
            TakeStyle(f, e.GetStyle(err));
            break;
        }
        case kFgnEntityCPly: {
            const auto& e = static_cast<const CFgnCPly&>(*entity);
            f.pieces = Pieces(e.GetGeometry(err));
            const CFgnPt* label = e.GetLabelPt(f.labelErr);
            if (label) f.label = Coordinates(*label);
            TakeStyle(f, e.GetStyle(err));
            break;
        }
        default:
            break;
    }
    return f;
}

inline std::vector<SPiece> Pieces(const std::list<const CFgnGeom*>* geometry) {
    std::vector<SPiece> pieces;
    if (!geometry) return pieces;
    TFgnFmtErr err;
    for (const CFgnGeom* geom : *geometry) {
        SPiece& piece = pieces.emplace_back();
        if (geom->GetType(err) == kFgnGeomArc) {
            const auto& arc = static_cast<const CFgnGeomArc&>(*geom);
            piece.arc = true;
            piece.points = {Coordinates(*arc.GetCenterPt(err))};
            TFgnBool ccw = kFgnFalse;
            arc.GetDefinition(piece.start, piece.end, piece.xRadius, piece.yRadius, ccw);
        } else {
            const auto* pts = static_cast<const CFgnGeomPts&>(*geom).GetPts(err);
            if (pts)
                for (const CFgnPt* pt : *pts) piece.points.push_back(Coordinates(*pt));
        }
    }
    return pieces;
}

// Every element from the first: an entity, or the err of its GetCurrent.
inline std::vector<SFeature> Walk(CFgnReader& reader) {
    std::vector<SFeature> features;
    TFgnFmtErr err;
    if (reader.Rewind() != kFgnOk) return features;
    while (!reader.Done(err)) {
        const CFgnEntity* entity = reader.GetCurrent(err);
        features.push_back(Describe(entity, err));
        if (reader.Step() != kFgnOk) break;
    }
    return features;
}

struct STable {
    std::string name;
    std::vector<std::string> columns;
    std::vector<bool> keys;
    std::vector<std::vector<std::int32_t>> rows;  // Int4 columns
};

// The tables in order; only Int4 values are taken (the element table's).
inline std::vector<STable> Tables(CFgnReader& reader) {
    std::vector<STable> tables;
    TFgnFmtErr err;
    for (reader.RewindTable(); !reader.DoneTable(err); reader.StepTable()) {
        CFgnTbl* table = reader.GetCurrentTable(err);
        if (!table) break;
        STable& t = tables.emplace_back();
        t.name = table->GetName(err);
        for (const CFgnTblClmn* column : *table->GetColumns(err)) {
            t.columns.push_back(column->GetName(err));
            t.keys.push_back(column->GetKey(err) == kFgnTrue);
        }
        for (table->RewindRow(); !table->DoneRow(err); table->StepRow()) {
            std::vector<std::int32_t>& row = t.rows.emplace_back();
            for (const CFgnTblData* value : *table->GetCurrentRow(err))
                row.push_back(static_cast<const CFgnTblDataInt4*>(value)->GetData(err));
        }
    }
    return tables;
}

}  // namespace dgntest
