// What a plug-in reader hands out for each object of its source: points,
// entities, the pieces of compound lines and polygons, and block definitions.
// Coordinates are in the source's units, angles in degrees counter-clockwise
// from the positive x axis. An entity and all reached from it stay valid until
// the reader's next Step, Rewind or UnloadData; a block as long as the data.
//
// Getters of items an object may lack (key, layer, style, point and piece
// lists) answer err 4 and null unless overridden; GetType of every entity and
// piece class answers its constant with err 0. The Add operations serve
// writers that build entities; a reader's entities come built.
#pragma once

#include <list>

#include "foreign/FgnErr.h"

// A coordinate triple.
class CFgnPt : public CFgnObject {
public:
    virtual double GetX(TFgnFmtErr& err) const = 0;
    virtual double GetY(TFgnFmtErr& err) const = 0;
    virtual double GetZ(TFgnFmtErr& err) const = 0;
};

class CFgnEntity : public CFgnObject, public CFgnCompletion {
public:
    // The entity's key in its source.
    virtual char const* GetKey(TFgnFmtErr& err) const;
    // The layer (level) the entity lies on.
    virtual char const* GetLayer(TFgnFmtErr& err) const;
    virtual TFgnEntityType GetType(TFgnFmtErr& err) const = 0;
};

class CFgnUnknown : public CFgnEntity {
public:
    TFgnEntityType GetType(TFgnFmtErr& err) const override;
    // What the source says of the element; nothing reads it.
    virtual char const* GetInfo(TFgnFmtErr& err) const = 0;
};

class CFgnPnt : public CFgnEntity {
public:
    TFgnEntityType GetType(TFgnFmtErr& err) const override;
    virtual const CFgnPt* GetPt(TFgnFmtErr& err) const = 0;
    virtual const CFgnStylePnt* GetStyle(TFgnFmtErr& err) const;
};

class CFgnMPnt : public CFgnEntity {
public:
    TFgnEntityType GetType(TFgnFmtErr& err) const override;
    virtual TFgnFmtErr AddPt(double x, double y, double z) = 0;
    virtual TFgnFmtErr AddPt(double x, double y) = 0;
    virtual const std::list<const CFgnPt*>* GetPts(TFgnFmtErr& err) const;
    virtual const CFgnStylePnt* GetStyle(TFgnFmtErr& err) const;
};

class CFgnLine : public CFgnEntity {
public:
    TFgnEntityType GetType(TFgnFmtErr& err) const override;
    virtual const CFgnPt* GetEndPt(TFgnFmtErr& err) const = 0;
    virtual const CFgnPt* GetStartPt(TFgnFmtErr& err) const = 0;
    virtual const CFgnStyleLine* GetStyle(TFgnFmtErr& err) const;
};

class CFgnPline : public CFgnEntity {
public:
    TFgnEntityType GetType(TFgnFmtErr& err) const override;
    virtual TFgnFmtErr AddPt(double x, double y, double z) = 0;
    virtual TFgnFmtErr AddPt(double x, double y) = 0;
    virtual const std::list<const CFgnPt*>* GetPts(TFgnFmtErr& err) const;
    virtual TFgnBool GetSmoothed(TFgnFmtErr& err) const = 0;
    virtual const CFgnStyleLine* GetStyle(TFgnFmtErr& err) const;
};

// A line of pieces: point lists and arcs, in order. Contiguous: the pieces
// join into one line; otherwise each piece is a line of its own.
class CFgnCPline : public CFgnEntity {
public:
    TFgnEntityType GetType(TFgnFmtErr& err) const override;
    // Appends an arc piece: center, start and end angle, x and y semi-axis, direction.
    virtual TFgnFmtErr AddArcGeom(double cx, double cy, double start, double end, double xRadius,
                                  double yRadius, TFgnBool counterClockwise) = 0;
    virtual TFgnFmtErr AddArcGeom(double cx, double cy, double cz, double start, double end,
                                  double xRadius, double yRadius, TFgnBool counterClockwise) = 0;
    // Appends an empty point-list piece for the caller to fill; owned by the line.
    virtual CFgnGeomPts* AddPtGeom(TFgnFmtErr& err) = 0;
    virtual const std::list<const CFgnGeom*>* GetGeometry(TFgnFmtErr& err) const;
    virtual const CFgnStyleLine* GetStyle(TFgnFmtErr& err) const;
    virtual TFgnBool IsContiguous(TFgnFmtErr& err) const = 0;
};

class CFgnPly : public CFgnEntity {
public:
    TFgnEntityType GetType(TFgnFmtErr& err) const override;
    virtual TFgnFmtErr AddPt(double x, double y, double z) = 0;
    virtual TFgnFmtErr AddPt(double x, double y) = 0;
    virtual const CFgnPt* GetLabelPt(TFgnFmtErr& err) const = 0;
    // The boundary.
    virtual const std::list<const CFgnPt*>* GetPts(TFgnFmtErr& err) const;
    virtual double GetRadius(TFgnFmtErr& err) const = 0;
    virtual const CFgnStylePly* GetStyle(TFgnFmtErr& err) const;
};

// A polygon of pieces; contiguous: one ring of all pieces, else one ring each.
class CFgnCPly : public CFgnEntity {
public:
    TFgnEntityType GetType(TFgnFmtErr& err) const override;
    virtual TFgnFmtErr AddArcGeom(double cx, double cy, double start, double end, double xRadius,
                                  double yRadius, TFgnBool counterClockwise) = 0;
    virtual TFgnFmtErr AddArcGeom(double cx, double cy, double cz, double start, double end,
                                  double xRadius, double yRadius, TFgnBool counterClockwise) = 0;
    virtual CFgnGeomPts* AddPtGeom(TFgnFmtErr& err) = 0;
    virtual const std::list<const CFgnGeom*>* GetGeometry(TFgnFmtErr& err) const;
    virtual const CFgnPt* GetLabelPt(TFgnFmtErr& err) const = 0;
    virtual const CFgnStylePly* GetStyle(TFgnFmtErr& err) const;
    virtual TFgnBool IsContiguous(TFgnFmtErr& err) const = 0;
};

class CFgnText : public CFgnEntity {
public:
    TFgnEntityType GetType(TFgnFmtErr& err) const override;
    // The anchor point.
    virtual const CFgnPt* GetPt(TFgnFmtErr& err) const = 0;
    virtual const CFgnStyleText* GetStyle(TFgnFmtErr& err) const;
    virtual char const* GetText(TFgnFmtErr& err) const = 0;
};

// A text in a box given by two corners; its lines are joined by "\n".
class CFgnMText : public CFgnEntity {
public:
    TFgnEntityType GetType(TFgnFmtErr& err) const override;
    virtual const CFgnPt* GetMaxPt(TFgnFmtErr& err) const = 0;
    virtual const CFgnPt* GetMinPt(TFgnFmtErr& err) const = 0;
    virtual const CFgnStyleText* GetStyle(TFgnFmtErr& err) const;
    virtual char const* GetText(TFgnFmtErr& err) const = 0;
};

// An arc of an ellipse whose axes are parallel to x and y, around the center:
// the point at angle a is (cx + xRadius cos a, cy + yRadius sin a). A start
// equal to the end (within one turn) is the whole ellipse; counterClockwise
// true runs from start to end with increasing angle.
class CFgnArc : public CFgnEntity {
public:
    TFgnEntityType GetType(TFgnFmtErr& err) const override;
    virtual const CFgnPt* GetCenterPt(TFgnFmtErr& err) const = 0;
    virtual TFgnFmtErr GetDefinition(double& start, double& end, double& xRadius, double& yRadius,
                                     TFgnBool& counterClockwise) const = 0;
    virtual const CFgnStyleLine* GetStyle(TFgnFmtErr& err) const;
};

// An instance of a block: x' = m[0][0] x + m[0][1] y and y' = m[1][0] x +
// m[1][1] y, then the insertion point added. IsXRef: the instance attaches
// another source file rather than a block of this one.
class CFgnBlkInst : public CFgnEntity {
public:
    TFgnEntityType GetType(TFgnFmtErr& err) const override;
    virtual TFgnFmtErr AddPt(double x, double y, double z) = 0;
    virtual TFgnFmtErr AddPt(double x, double y) = 0;
    // The instance's own points; readers do not need them.
    virtual const std::list<const CFgnPt*>* GetPts(TFgnFmtErr& err) const;
    virtual const CFgnBlk* GetBlk(TFgnFmtErr& err) const = 0;
    virtual const CFgnPt* GetInsertPt(TFgnFmtErr& err) const = 0;
    virtual const CFgnStyleBlk* GetStyle(TFgnFmtErr& err) const;
    virtual const FgnMatrix* GetMatrix(TFgnFmtErr& err) const = 0;
    virtual TFgnBool IsXRef(TFgnFmtErr& err) const = 0;
};

// A piece of a compound line or polygon.
class CFgnGeom : public CFgnObject, public CFgnCompletion {
public:
    virtual TFgnGeomType GetType(TFgnFmtErr& err) const = 0;
    // 0 (unspecified) with err 0 unless overridden.
    virtual TFgnAreaType GetAreaType(TFgnFmtErr& err) const;
    // 4, changing nothing, unless overridden.
    virtual TFgnFmtErr SetAreaType(TFgnAreaType type);
};

// An arc piece, defined as CFgnArc's.
class CFgnGeomArc : public CFgnGeom {
public:
    TFgnGeomType GetType(TFgnFmtErr& err) const override;
    virtual const CFgnPt* GetCenterPt(TFgnFmtErr& err) const = 0;
    virtual TFgnFmtErr GetDefinition(double& start, double& end, double& xRadius, double& yRadius,
                                     TFgnBool& counterClockwise) const = 0;
};

// A point-list piece.
class CFgnGeomPts : public CFgnGeom {
public:
    TFgnGeomType GetType(TFgnFmtErr& err) const override;
    virtual TFgnFmtErr AddPt(double x, double y, double z) = 0;
    virtual TFgnFmtErr AddPt(double x, double y) = 0;
    virtual const std::list<const CFgnPt*>* GetPts(TFgnFmtErr& err) const;
};

// A block (cell) definition. Its entities may be instances of further blocks.
// The Add operations append to its entities and take the arguments of the
// writer's operations of the same names (CFgnWriter).
class CFgnBlk : public CFgnObject {
public:
    virtual char const* GetName(TFgnFmtErr& err) const = 0;
    // In drawing order.
    virtual const std::list<const CFgnEntity*>* GetEntities(TFgnFmtErr& err) const = 0;
    // The referenced file of a reference block.
    virtual char const* GetXRef(TFgnFmtErr& err) const = 0;

    virtual TFgnFmtErr AddPnt(char const* key, char const* layer, double x, double y,
                              const CFgnStylePnt* style) = 0;
    virtual TFgnFmtErr AddPnt(char const* key, char const* layer, double x, double y, double z,
                              const CFgnStylePnt* style) = 0;
    virtual CFgnMPnt* AddMPnt(char const* key, char const* layer, const CFgnStylePnt* style,
                              TFgnFmtErr& err) = 0;
    virtual TFgnFmtErr AddLine(char const* key, char const* layer, double x1, double x2, double y1,
                               double y2, const CFgnStyleLine* style) = 0;
    virtual TFgnFmtErr AddLine(char const* key, char const* layer, double x1, double x2, double y1,
                               double y2, double z1, double z2, const CFgnStyleLine* style) = 0;
    virtual CFgnPline* AddPline(char const* key, char const* layer, TFgnBool smoothed,
                                const CFgnStyleLine* style, TFgnFmtErr& err) = 0;
    virtual CFgnCPline* AddCPline(char const* key, char const* layer, const CFgnStyleLine* style,
                                  TFgnBool contiguous, TFgnFmtErr& err) = 0;
    virtual CFgnPly* AddPly(char const* key, char const* layer, double labelX, double labelY,
                            double radius, const CFgnStylePly* style, TFgnFmtErr& err) = 0;
    virtual CFgnPly* AddPly(char const* key, char const* layer, double labelX, double labelY,
                            double labelZ, double radius, const CFgnStylePly* style,
                            TFgnFmtErr& err) = 0;
    virtual CFgnCPly* AddCPly(char const* key, char const* layer, double labelX, double labelY,
                              const CFgnStylePly* style, TFgnBool contiguous, TFgnFmtErr& err) = 0;
    virtual CFgnCPly* AddCPly(char const* key, char const* layer, double labelX, double labelY,
                              double labelZ, const CFgnStylePly* style, TFgnBool contiguous,
                              TFgnFmtErr& err) = 0;
    virtual TFgnFmtErr AddArc(char const* key, char const* layer, double cx, double cy,
                              double start, double end, double xRadius, double yRadius,
                              TFgnBool counterClockwise, const CFgnStyleLine* style) = 0;
    virtual TFgnFmtErr AddArc(char const* key, char const* layer, double cx, double cy, double cz,
                              double start, double end, double xRadius, double yRadius,
                              TFgnBool counterClockwise, const CFgnStyleLine* style) = 0;
    virtual TFgnFmtErr AddText(char const* key, char const* layer, char const* text, double x,
                               double y, const CFgnStyleText* style) = 0;
    virtual TFgnFmtErr AddText(char const* key, char const* layer, char const* text, double x,
                               double y, double z, const CFgnStyleText* style) = 0;
    virtual TFgnFmtErr AddMText(char const* key, char const* layer, char const* text, double minX,
                                double maxX, double minY, double maxY,
                                const CFgnStyleText* style) = 0;
    virtual TFgnFmtErr AddMText(char const* key, char const* layer, char const* text, double minX,
                                double maxX, double minY, double maxY, double minZ, double maxZ,
                                const CFgnStyleText* style) = 0;
    virtual CFgnBlkInst* AddBlkInst(char const* key, char const* layer, const CFgnBlk* block,
                                    const FgnMatrix* transform, double x, double y,
                                    const CFgnStyleBlk* style, TFgnFmtErr& err) = 0;
    virtual CFgnBlkInst* AddBlkInst(char const* key, char const* layer, const CFgnBlk* block,
                                    const FgnMatrix* transform, double x, double y, double z,
                                    const CFgnStyleBlk* style, TFgnFmtErr& err) = 0;
    virtual TFgnFmtErr AddUnknown(char const* key, char const* layer, char const* info) = 0;
};
