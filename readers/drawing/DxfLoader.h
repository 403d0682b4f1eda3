// Fills a CDatabase from the groups of a DXF file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "readers/drawing/DrawingDatabase.h"
#include "readers/drawing/DrawingText.h"
#include "readers/drawing/DxfGroupReader.h"

namespace drawing {

class CDxfLoader {
public:
    CDxfLoader(CDatabase& database, const CByteSource& source);
    // False, with the reason in `error`, when the file is no DXF file or is damaged.
    bool Load(std::string& error);

private:
    // One group of the object being read, its text or bytes in pool_.
    struct Group {
        int code = 0;
        EGroupType type = EGroupType::kUnknown;
        double real = 0;
        std::int64_t integer = 0;
        std::uint32_t offset = 0;
        std::uint32_t size = 0;
    };

    bool Advance();
    bool Fail(std::string message);
    bool IsZero(std::string_view name) const;
    // Reads the groups of the object whose "0 <type>" group is the next one.
    bool Collect();
    std::string_view Raw(const Group& group) const {
        return {pool_.data() + group.offset, group.size};
    }
    std::string Text(const Group& group) const { return decoder_.Decode(Raw(group)); }
    int Int(const Group& group) const { return static_cast<int>(group.integer); }

    bool ReadHeader();
    bool ReadTables();
    bool ReadBlocks();
    bool ReadEntities();
    bool ReadObjects();
    bool SkipSection();
    // Reads the entity (with its vertices or attributes) whose groups were
    // just collected into `block`; a vertex, attribute or end of sequence
    // without its owner is dropped.
    bool ReadEntity(CBlockRecord* block, bool entitiesSection);
    // Null with error_ set on a failure.
    std::unique_ptr<CEntity> BuildEntity();
    bool AddVertex(CEntity& owner);
    std::unique_ptr<CText> BuildText(EEntityType type);
    // The defaults of every entity: layer "0", line type "BYLAYER".
    void Init(CEntity& entity, EEntityType type, const char* className);
    void Resolve();

    // The parts of an entity's groups: the common ones, extended data, then `specific`.
    template <class F>
    bool ForEachGroup(CEntity* entity, F&& specific);
    bool ParseHandle(const Group& group, std::uint64_t& handle);
    void AddXData(XDataChain& chain, const Group& group);

    CDatabase& db_;
    CDxfGroupReader reader_;
    DxfGroup next_;
    bool haveNext_ = false;
    CTextDecoder decoder_;
    std::string type_;               // the DXF name of the collected object
    std::uint64_t objectStart_ = 0;  // where it began
    std::vector<Group> groups_;
    std::string pool_;
    std::string error_;
    XDataChain xdata_;  // of the last object that is no entity
};

}  // namespace drawing
