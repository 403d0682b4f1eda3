// The plug-in's writer behind the foreign-writer contract. Elements are
// written in two passes: the first into a temporary design, the second
// reading that design back and writing the output with each element's
// attribute row attached by key and layer. Every pass writes a temporary file
// of its own, unique beside the output; the output appears only when the
// second pass has finished, by renaming, so a failed write leaves no file
// under the output's name.
#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "dgn/DgnCellElements.h"
#include "dgn/DgnElement.h"
#include "dgn/DgnGlobal.h"
#include "dgn/DgnTable.h"
#include "foreign/Foreign.h"

class CDgnFileReader;
class CDgnWriterBlk;

namespace dgn {

// The keys and layers of the elements a first pass wrote, by the byte offset
// at which each element begins: the second pass finds an element's key by its
// own offset, so an element left out on either pass moves no other key.
class CDgnKeyList {
public:
    static constexpr std::size_t kMaxKeys = 1000000;
    explicit CDgnKeyList(std::size_t limit = kMaxKeys) : limit_(limit) {}

    // 0; 1 once reading has begun or when the list is full.
    TFgnFmtErr Add(std::uint64_t offset, std::string key, std::string layer);
    void StartReading() { reading_ = true; }
    // The key and layer of the element at `offset`; null when none was written there.
    const std::pair<std::string, std::string>* Find(std::uint64_t offset) const;
    std::size_t Size() const { return keys_.size(); }

private:
    std::size_t limit_;
    bool reading_ = false;
    std::map<std::uint64_t, std::pair<std::string, std::string>> keys_;
};

}  // namespace dgn

class CDgnFileWriter : public CFgnWriter {
public:
    CDgnFileWriter();
    // The design `output`, with `settings` the settings file `iniFile` reads
    // from now on; the range, units and origin hold until the seed replaces them.
    CDgnFileWriter(char const* output, char const* settings, int twoD, CFgnPt* rangeLow,
                   CFgnPt* rangeHigh, long positionalPerSub, long subPerMaster, double originX,
                   double originY, double originZ);
    ~CDgnFileWriter() override;
    CDgnFileWriter(const CDgnFileWriter&) = delete;
    CDgnFileWriter& operator=(const CDgnFileWriter&) = delete;

    // 7 unless constructed with values, or when the temporary file cannot be
    // made; else the seed's status (1 no seed, 8 a seed of the other dimension).
    TFgnFmtErr LoadData() override;
    // Writes the design: 0. A failure of the passes leaves no output and is
    // returned; elements that could not be encoded are left out of a design
    // that is written all the same, and reported with 1.
    TFgnFmtErr SaveData() override;
    // Drops what was added and the temporary file.
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
    // The one attribute table; a second call gives null with err 1.
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

    CDgnGlobal* Factors() const { return global_.get(); }
    // Makes this writer the second pass: elements get their attribute rows.
    void WriteAttributes() { secondPass_ = true; }
    // Compiles `table` for the second pass (0 without one).
    TFgnFmtErr CreateOptimizedTable(CFgnTbl* table);

    // The entity `source` of a first-pass design, added to `target` under
    // `key` and `layer` with an equal style; 1 for an entity of no kind the
    // writer makes.
    static TFgnFmtErr CopyEntity(const CFgnEntity& source, CDgnFileWriter& target,
                                 const std::string& key, const std::string& layer);

    // The temporary file this writer writes (empty before LoadData).
    const std::string& TemporaryPath() const { return temporary_; }

private:
    // A block's Add operations are the writer's, their elements going to the block.
    friend class CDgnWriterBlk;
    enum EState { kNone = 0, kConstructed = 1, kLoaded = 2, kDone = 3 };

    // The operations of both dimensions, once the dimension is checked.
    TFgnFmtErr PntImpl(char const* key, char const* layer, double x, double y, double z,
                       const CFgnStylePnt* style);
    TFgnFmtErr LineImpl(char const* key, char const* layer, double x1, double x2, double y1,
                        double y2, double z1, double z2, const CFgnStyleLine* style);
    CFgnPly* PlyImpl(char const* key, char const* layer, double labelX, double labelY,
                     double labelZ, const CFgnStylePly* style, TFgnFmtErr& err);
    CFgnCPly* CPlyImpl(char const* key, char const* layer, double labelX, double labelY,
                       double labelZ, const CFgnStylePly* style, TFgnBool contiguous,
                       TFgnFmtErr& err);
    TFgnFmtErr ArcImpl(char const* key, char const* layer, double cx, double cy, double cz,
                       double start, double end, double xRadius, double yRadius,
                       TFgnBool counterClockwise, const CFgnStyleLine* style);
    TFgnFmtErr TextImpl(char const* key, char const* layer, char const* text, double x, double y,
                        double z, const CFgnStyleText* style);
    TFgnFmtErr MTextImpl(char const* key, char const* layer, char const* text, const CDgnPt& min,
                         const CDgnPt& max, const CFgnStyleText* style);
    CFgnBlkInst* BlkInstImpl(char const* key, char const* layer, const CFgnBlk* block,
                             const FgnMatrix* transform, const CDgnPt& insert,
                             const CFgnStyleBlk* style, TFgnFmtErr& err);
    // State 2 and a writer of this dimension.
    bool Ready(bool threeD) const;
    // Flushes at every hundredth element, then lists `element` with its key and layer.
    TFgnFmtErr Append(std::unique_ptr<CDgnElement> element, char const* key, char const* layer);
    // Writes and deletes every listed element.
    TFgnFmtErr Flush();
    // The second pass: the header fields and linkage of `element`'s first row.
    void AttachAttributes(CDgnElement& element) const;
    TFgnFmtErr SecondPass();
    // Takes over a style this writer made; null for one it did not make.
    std::unique_ptr<CFgnObject> TakeStyle(const CFgnObject* style);
    template <class Style>
    const Style* KeepStyle(std::unique_ptr<Style> style, TFgnFmtErr& err);
    std::uint16_t LineSymbology(const CFgnStyleLine* style);
    std::uint16_t PlySymbology(const CFgnStylePly* style);
    void CloseFile();
    void RemoveTemporary();

    std::unique_ptr<CDgnGlobal> global_;
    std::string output_, settings_, temporary_;
    std::FILE* file_ = nullptr;
    EState state_ = kNone;
    std::vector<std::unique_ptr<CDgnElement>> elements_;
    std::size_t added_ = 0;
    std::unique_ptr<CDgnTbl> table_;
    bool secondPass_ = false;
    CMapFiltTblRec compiled_;
    dgn::CDgnKeyList keys_;
    std::uint64_t position_ = 0;  // bytes written to the file so far
    bool writeFailed_ = false;
    std::size_t refused_ = 0;  // elements that could not be encoded
    std::unordered_map<const CFgnObject*, std::unique_ptr<CFgnObject>> styles_;
    // The blocks made by AddBlk, kept while instances may still refer to them.
    std::vector<std::unique_ptr<CDgnBlk>> blocks_;
    // The block that Add operations fill instead of the design, while one does.
    CDgnBlk* into_ = nullptr;
};
