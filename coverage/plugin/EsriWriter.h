// The plug-in's writer: keyed 2-D features and attribute tables saved as a
// new coverage in a workspace. Points become label points (or tics on the
// layer "TICS"), lines and arcs become arcs, polygons a label point and a
// closed boundary arc, texts coverage texts; the tables linked to the first
// arc layer and to the first polygon (else point) layer become the AAT and
// the PAT. A host constructs it directly.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "coverage/plugin/EsriEntity.h"
#include "coverage/plugin/EsriTable.h"
#include "coverage/plugin/EsriWriteCoverage.h"
#include "foreign/Foreign.h"

class CESRIWriter final : public CFgnWriter {
public:
    CESRIWriter(const char* workspace, const char* cover);
    ~CESRIWriter() override;
    CESRIWriter(const CESRIWriter&) = delete;
    CESRIWriter& operator=(const CESRIWriter&) = delete;

    // The answer of the write path check, kept until the next call.
    const char* IsValidCoveragePath(TFgnBool replace, TFgnBool& valid);

    TFgnFmtErr LoadData() override;
    // Answers the table writers' and the save's failures.
    TFgnFmtErr SaveData() override;
    TFgnFmtErr UnloadData() override;
    TFgnFmtErr AddPnt(char const* key, char const* layer, double x, double y,
                      const CFgnStylePnt* style) override;
    TFgnFmtErr AddPnt(char const* key, char const* layer, double x, double y, double z,
                      const CFgnStylePnt* style) override;
    CFgnMPnt* AddMPnt(char const* key, char const* layer, const CFgnStylePnt* style,
                      TFgnFmtErr& err) override;
    TFgnFmtErr AddLine(char const* key, char const* layer, double x1, double x2, double y1,
                       double y2, const CFgnStyleLine* style) override;
    TFgnFmtErr AddLine(char const* key, char const* layer, double x1, double x2, double y1,
                       double y2, double z1, double z2, const CFgnStyleLine* style) override;
    CFgnPline* AddPline(char const* key, char const* layer, TFgnBool smoothed,
                        const CFgnStyleLine* style, TFgnFmtErr& err) override;
    CFgnCPline* AddCPline(char const* key, char const* layer, const CFgnStyleLine* style,
                          TFgnBool contiguous, TFgnFmtErr& err) override;
    CFgnPly* AddPly(char const* key, char const* layer, double labelX, double labelY, double radius,
                    const CFgnStylePly* style, TFgnFmtErr& err) override;
    CFgnPly* AddPly(char const* key, char const* layer, double labelX, double labelY, double labelZ,
                    double radius, const CFgnStylePly* style, TFgnFmtErr& err) override;
    CFgnCPly* AddCPly(char const* key, char const* layer, double labelX, double labelY,
                      const CFgnStylePly* style, TFgnBool contiguous, TFgnFmtErr& err) override;
    CFgnCPly* AddCPly(char const* key, char const* layer, double labelX, double labelY,
                      double labelZ, const CFgnStylePly* style, TFgnBool contiguous,
                      TFgnFmtErr& err) override;
    TFgnFmtErr AddArc(char const* key, char const* layer, double cx, double cy, double start,
                      double end, double xRadius, double yRadius, TFgnBool counterClockwise,
                      const CFgnStyleLine* style) override;
    TFgnFmtErr AddArc(char const* key, char const* layer, double cx, double cy, double cz,
                      double start, double end, double xRadius, double yRadius,
                      TFgnBool counterClockwise, const CFgnStyleLine* style) override;
    TFgnFmtErr AddText(char const* key, char const* layer, char const* text, double x, double y,
                       const CFgnStyleText* style) override;
    TFgnFmtErr AddText(char const* key, char const* layer, char const* text, double x, double y,
                       double z, const CFgnStyleText* style) override;
    TFgnFmtErr AddMText(char const* key, char const* layer, char const* text, double minX,
                        double maxX, double minY, double maxY, const CFgnStyleText* style) override;
    TFgnFmtErr AddMText(char const* key, char const* layer, char const* text, double minX,
                        double maxX, double minY, double maxY, double minZ, double maxZ,
                        const CFgnStyleText* style) override;
    CFgnBlk* AddBlk(char const* name, char const* xref, TFgnFmtErr& err) override;
    CFgnBlkInst* AddBlkInst(char const* key, char const* layer, const CFgnBlk* block,
                            const FgnMatrix* transform, double x, double y,
                            const CFgnStyleBlk* style, TFgnFmtErr& err) override;
    CFgnBlkInst* AddBlkInst(char const* key, char const* layer, const CFgnBlk* block,
                            const FgnMatrix* transform, double x, double y, double z,
                            const CFgnStyleBlk* style, TFgnFmtErr& err) override;
    TFgnFmtErr AddUnknown(char const* key, char const* layer, char const* info) override;
    CFgnTbl* AddTable(char const* name, TFgnBool allLayers, TFgnFmtErr& err) override;
    const CFgnStylePnt* AddPntStyle(char const* symbol, std::int32_t colour, double rotation,
                                    std::int16_t size, TFgnFmtErr& err) override;
    const CFgnStyleBlk* AddBlkStyle(std::int32_t colour, TFgnFmtErr& err) override;
    const CFgnStyleLine* AddLineStyle(char const* linePattern, std::int32_t colour,
                                      std::int16_t weight, TFgnFmtErr& err) override;
    const CFgnStylePly* AddPlyStyle(char const* fillPattern, char const* linePattern,
                                    std::int32_t edgeColour, std::int32_t fillColour,
                                    std::int32_t third, std::int32_t weight,
                                    TFgnFmtErr& err) override;
    const CFgnStyleText* AddTextStyle(char const* font, double height, std::int32_t colour,
                                      std::int32_t second, TFgnBool flag1, TFgnBool flag2,
                                      TFgnBool flag3, TFgnJustification justification, double angle,
                                      double last, TFgnFmtErr& err) override;

private:
    void Release() { current_.reset(); }
    static void SetWhenUnset(std::string& layer, const char* value);
    // The height of a text style of this plug-in; 0 for none or another class.
    static double Height(const CFgnStyleText* style);

    std::unique_ptr<CFgnObject> current_;
    std::unique_ptr<CWriteCoverage> builder_;
    std::string cover_;
    std::string workspace_;
    std::unique_ptr<char[]> validation_;
    std::string labelLayer_, arcLayer_, polygonLayer_;
    std::unique_ptr<CESRIStyleText> textStyle_;
    std::vector<std::unique_ptr<CESRITbl>> tables_;
};
