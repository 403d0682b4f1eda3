// The foreign-reader contract's enumerations and the names of its classes.
// Every value that crosses a plug-in boundary has a fixed width: the contract's
// 32-bit integers are std::int32_t, its 16-bit ones std::int16_t.
#pragma once

#include <cstdint>

// 0 false, 1 true.
enum TFgnBool : std::int32_t { kFgnFalse = 0, kFgnTrue = 1 };

inline TFgnBool FgnBool(bool value) {
    return value ? kFgnTrue : kFgnFalse;
}

// The status of every contract call. Callers tell apart only 0, 7 and the rest.
enum TFgnFmtErr : std::int32_t {
    kFgnOk = 0,
    kFgnIncomplete = 1,      // incomplete object, null argument, or element refused
    kFgnNoMemory = 2,        // the plug-in caught a failed allocation
    kFgnNotImplemented = 4,  // the contract's default answer
    kFgnInconsistent = 5,    // data that do not fit the table
    kFgnNotLoaded = 7,       // no data loaded, or the source cannot be opened or read
    kFgnNo3d = 8,            // the three-dimensional form is not supported
    kFgnNoCurrent = 9,       // a cursor past its last item
    kFgnNoStyle = 10,        // no style, or a style kind not supported
    kFgnAllLayers = 12,      // a table linked to no layer list applies to all layers
    kFgnNoBlocks = 13,       // blocks not supported
};

enum TFgnDimension : std::int32_t { kFgn2d = 0, kFgn3d = 1 };

// Every source of both plug-ins has the one format 1.
enum TFgnFmt : std::int32_t { kFgnFmtNative = 1 };

enum TFgnPrecision : std::int32_t { kFgnSingle = 0, kFgnDouble = 1 };

// One value per entity class, named after it.
enum TFgnEntityType : std::int32_t {
    kFgnEntityUnknown = 0,
    kFgnEntityPnt = 1,
    kFgnEntityMPnt = 2,
    kFgnEntityLine = 3,
    kFgnEntityPline = 4,
    kFgnEntityCPline = 5,
    kFgnEntityPly = 6,
    kFgnEntityCPly = 7,
    kFgnEntityText = 8,
    kFgnEntityMText = 9,
    kFgnEntityArc = 10,
    kFgnEntityBlkInst = 11,
};

// The kind of a piece of a compound line or polygon.
enum TFgnGeomType : std::int32_t { kFgnGeomArc = 0, kFgnGeomPts = 1 };

// The role of a point-list piece in a compound polygon.
enum TFgnAreaType : std::int32_t { kFgnAreaUnspecified = 0, kFgnAreaOuter = 1, kFgnAreaInner = 2 };

// One value per column class; 6 belongs to none.
enum TFgnClmnType : std::int32_t {
    kFgnClmnInt2 = 0,
    kFgnClmnInt4 = 1,
    kFgnClmnFloat = 2,
    kFgnClmnDbl = 3,
    kFgnClmnDte = 4,
    kFgnClmnChar = 5,
    kFgnClmnLgcl = 7,
};

// Where a text's anchor point lies, 0 to 16; a reader maps each value to its
// own alignment and takes a larger one as 0. The coverage plug-in gives 5.
enum TFgnJustification : std::int32_t { kFgnJustificationMax = 16 };

// A block instance's transform, row by row; its upper-left 2x2 part maps block
// coordinates into the instance's.
using FgnMatrix = double[3][3];

class CFgnErr;
class CFgnObject;
class CFgnReader;
class CFgnWriter;

class CFgnPt;
class CFgnEntity;
class CFgnUnknown;
class CFgnPnt;
class CFgnMPnt;
class CFgnLine;
class CFgnPline;
class CFgnCPline;
class CFgnPly;
class CFgnCPly;
class CFgnText;
class CFgnMText;
class CFgnArc;
class CFgnBlkInst;
class CFgnGeom;
class CFgnGeomArc;
class CFgnGeomPts;
class CFgnBlk;

class CFgnStylePnt;
class CFgnStyleBlk;
class CFgnStyleLine;
class CFgnStylePly;
class CFgnStyleText;

class CFgnTbl;
class CFgnTblClmn;
class CFgnTblData;
