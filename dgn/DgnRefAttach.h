// Reference file attachments (type 5 on level 9, type 66 on level 5): another
// design shown in this one, presented as one block instance whose block holds
// every entity of the attached design, read by a nested reader.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "dgn/DgnCellElements.h"
#include "dgn/DgnGlobal.h"

namespace dgn {

// Attachments nest this deep at most (the design that holds the first counts).
inline constexpr std::size_t kMaxAttachmentDepth = 10;
// The characters a file specification holds at most.
inline constexpr std::size_t kFileSpecSize = 65;

// The paths an attachment's file specification is looked for at, in order: a
// bare name beside the holding design first, then as it stands; a name with
// a directory or drive as it stands first.
std::vector<std::string> AttachmentCandidates(const std::string& spec, const std::string& holder);
// Whether `path` is one of the designs open above the attachment: the same
// file by its canonical path (links and "./" resolved), letter case ignored.
bool AlreadyOpen(const std::string& path, const std::list<std::string>& openFiles);

}  // namespace dgn

class CDgnRefAttach : public CDgnInstance<> {
public:
    // `holder` is the path of the design holding the attachment, `openFiles`
    // the designs open above and including it.
    CDgnRefAttach(const CByteSource& design, std::uint64_t offset, CDgnGlobal* global,
                  std::string holder, std::list<std::string> openFiles);
    // 0 with the attached design's entities in the block; 7 when the design
    // is open above (a loop), nested too deep, not found or not a design,
    // and then there is no block; 1 when the body is damaged.
    TFgnFmtErr ReadElement() override;
    TFgnBool IsXRef(TFgnFmtErr& err) const override;

    const std::string& FileSpec() const { return fileSpec_; }
    const std::string& LogicalName() const { return logicalName_; }
    const std::string& Description() const { return description_; }
    // Whether the attached design refused any of its own elements (its own
    // attachment back to a design open above, say).
    bool RefusedInside() const { return refusedInside_; }

private:
    TFgnFmtErr ReadFields();
    TFgnFmtErr ReadAttached();

    std::string fileSpec_;
    std::uint8_t flagByte_ = 0;
    std::uint16_t flags_[2] = {};
    double scale_ = 1;
    std::string logicalName_;
    std::string description_;
    std::uint16_t clipCount_ = 0;
    bool refusedInside_ = false;
    std::string holder_;
    std::list<std::string> openFiles_;
    // The attached design's settings, which its entities refer to.
    std::unique_ptr<CDgnGlobal> attachedGlobal_;
};
