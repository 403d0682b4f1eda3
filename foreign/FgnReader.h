// A plug-in library's reader and writer, and the two entry points through
// which the loader creates and destroys the reader.
//
// A reader's life: created by the entry point, LoadData once, queries and the
// walks of its tables and entities, UnloadData once, destroyed by the second
// entry point. Queries before a successful LoadData answer err 7. The tables
// are a fixed sequence until UnloadData: the same position always gives the
// same table, however often the walk restarts from RewindTable.
#pragma once

#include "foreign/FgnEntity.h"
#include "foreign/FgnStyle.h"
#include "foreign/FgnTable.h"

class CFgnReader : public CFgnObject {
public:
    // 0, or 7 when the source cannot be opened or read.
    virtual TFgnFmtErr LoadData() = 0;
    // Every pointer the reader handed out becomes invalid.
    virtual TFgnFmtErr UnloadData() = 0;
    virtual TFgnFmt GetDataFormat(TFgnFmtErr& err) = 0;
    virtual TFgnDimension GetDimension(TFgnFmtErr& err) = 0;
    virtual TFgnPrecision GetDataPrecision(TFgnFmtErr& err) = 0;
    // The source's coordinate-system key; null or empty when it has none.
    virtual char const* GetCoordSys(TFgnFmtErr& err) = 0;
    virtual TFgnFmtErr GetExtents(double& xmin, double& xmax, double& ymin, double& ymax) = 0;
    // The entity at the cursor. Null with err 0 for an element that yields no
    // entity, err 1 for one the plug-in refuses, err 7 for one it cannot read.
    virtual const CFgnEntity* GetCurrent(TFgnFmtErr& err) = 0;
    virtual TFgnFmtErr Rewind() = 0;
    // True when the cursor is past the last entity.
    virtual TFgnBool Done(TFgnFmtErr& err) = 0;
    virtual TFgnFmtErr Step() = 0;
    virtual CFgnTbl* GetCurrentTable(TFgnFmtErr& err) = 0;
    virtual TFgnFmtErr RewindTable() = 0;
    virtual TFgnFmtErr StepTable() = 0;
    virtual TFgnBool DoneTable(TFgnFmtErr& err) = 0;
};

// Writes a source. Every Add takes the new object's key and layer first; two
// points come grouped by axis (both x, both y, both z), as GetExtents gives
// them. A created object belongs to the writer: the caller fills it.
class CFgnWriter : public CFgnObject {
public:
    virtual TFgnFmtErr LoadData() = 0;
    virtual TFgnFmtErr SaveData() = 0;
    virtual TFgnFmtErr UnloadData() = 0;
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
    // Center, start and end angle, x and y semi-axis, direction (as CFgnArc).
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
    // A block and, for a reference block, the file it refers to.
    virtual CFgnBlk* AddBlk(char const* name, char const* xref, TFgnFmtErr& err) = 0;
    virtual CFgnBlkInst* AddBlkInst(char const* key, char const* layer, const CFgnBlk* block,
                                    const FgnMatrix* transform, double x, double y,
                                    const CFgnStyleBlk* style, TFgnFmtErr& err) = 0;
    virtual CFgnBlkInst* AddBlkInst(char const* key, char const* layer, const CFgnBlk* block,
                                    const FgnMatrix* transform, double x, double y, double z,
                                    const CFgnStyleBlk* style, TFgnFmtErr& err) = 0;
    virtual TFgnFmtErr AddUnknown(char const* key, char const* layer, char const* info) = 0;
    virtual CFgnTbl* AddTable(char const* name, TFgnBool flag, TFgnFmtErr& err) = 0;
    // Styles, owned by the writer; their values are those of GetDefinition.
    virtual const CFgnStylePnt* AddPntStyle(char const* symbol, std::int32_t colour,
                                            double rotation, std::int16_t size,
                                            TFgnFmtErr& err) = 0;
    virtual const CFgnStyleBlk* AddBlkStyle(std::int32_t colour, TFgnFmtErr& err) = 0;
    virtual const CFgnStyleLine* AddLineStyle(char const* linePattern, std::int32_t colour,
                                              std::int16_t weight, TFgnFmtErr& err) = 0;
    virtual const CFgnStylePly* AddPlyStyle(char const* fillPattern, char const* linePattern,
                                            std::int32_t edgeColour, std::int32_t fillColour,
                                            std::int32_t third, std::int32_t weight,
                                            TFgnFmtErr& err) = 0;
    virtual const CFgnStyleText* AddTextStyle(char const* font, double height, std::int32_t colour,
                                              std::int32_t second, TFgnBool flag1, TFgnBool flag2,
                                              TFgnBool flag3, TFgnJustification justification,
                                              double angle, double last, TFgnFmtErr& err) = 0;
};

// The entry points every plug-in library exports by these names with C
// linkage. Create allocates the plug-in's reader (null when it cannot) and
// opens nothing; Destroy deletes a reader the same library created, and
// does nothing with null.
#define FGN_EXPORT __attribute__((visibility("default")))

extern "C" {
FGN_EXPORT CFgnReader* CreateForeignReaderForTessaran(char const* path, char const* second,
                                                      TFgnBool flag);
FGN_EXPORT void DestroyForeignReaderForTessaran(CFgnReader* reader);
}

using FgnCreateReaderFn = CFgnReader* (*)(char const* path, char const* second, TFgnBool flag);
using FgnDestroyReaderFn = void (*)(CFgnReader* reader);

inline constexpr char kFgnCreateReaderName[] = "CreateForeignReaderForTessaran";
inline constexpr char kFgnDestroyReaderName[] = "DestroyForeignReaderForTessaran";
