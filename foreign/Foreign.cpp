// The contract's default operations. Each library links its own copy, so a
// plug-in's objects answer them from the plug-in's code.
#include "foreign/Foreign.h"

#include <type_traits>

static_assert(std::is_same_v<decltype(&CreateForeignReaderForTessaran), FgnCreateReaderFn>);
static_assert(std::is_same_v<decltype(&DestroyForeignReaderForTessaran), FgnDestroyReaderFn>);
static_assert(sizeof(TFgnFmtErr) == 4 && sizeof(TFgnBool) == 4 && sizeof(TFgnClmnType) == 4);

namespace {

template <class T>
T NotImplemented(TFgnFmtErr& err) {
    err = kFgnNotImplemented;
    return T{};
}

template <class T>
T Answer(TFgnFmtErr& err, T value) {
    err = kFgnOk;
    return value;
}

}  // namespace

const CFgnErr* CFgnObject::GetLastError(TFgnFmtErr& err) const {
    return NotImplemented<const CFgnErr*>(err);
}

bool CFgnCompletion::CheckComplete(TFgnFmtErr& err) const {
    err = IsComplete() ? kFgnOk : kFgnIncomplete;
    return IsComplete();
}

char const* CFgnErr::GetDescription(TFgnFmtErr& err) const {
    return NotImplemented<char const*>(err);
}
std::int32_t CFgnErr::GetErrorId(TFgnFmtErr& err) const {
    return NotImplemented<std::int32_t>(err);
}
char const* CFgnErr::GetHelpFilePath(TFgnFmtErr& err) const {
    return NotImplemented<char const*>(err);
}
char const* CFgnErr::GetSource(TFgnFmtErr& err) const {
    return Answer(err, "PLM");
}
std::int32_t CFgnErr::GetHelpTopicId(TFgnFmtErr& err) const {
    return NotImplemented<std::int32_t>(err);
}

char const* CFgnEntity::GetKey(TFgnFmtErr& err) const {
    return NotImplemented<char const*>(err);
}
char const* CFgnEntity::GetLayer(TFgnFmtErr& err) const {
    return NotImplemented<char const*>(err);
}

// Each entity class answers its own kind; getters of what an object may lack
// answer 4.
#define FGN_ENTITY_TYPE(Class, kind)                       \
    TFgnEntityType Class::GetType(TFgnFmtErr& err) const { \
        return Answer(err, kind);                          \
    }
#define FGN_DEFAULT_GETTER(Class, Result, Getter) \
    Result Class::Getter(TFgnFmtErr& err) const { \
        return NotImplemented<Result>(err);       \
    }

FGN_ENTITY_TYPE(CFgnUnknown, kFgnEntityUnknown)
FGN_ENTITY_TYPE(CFgnPnt, kFgnEntityPnt)
FGN_ENTITY_TYPE(CFgnMPnt, kFgnEntityMPnt)
FGN_ENTITY_TYPE(CFgnLine, kFgnEntityLine)
FGN_ENTITY_TYPE(CFgnPline, kFgnEntityPline)
FGN_ENTITY_TYPE(CFgnCPline, kFgnEntityCPline)
FGN_ENTITY_TYPE(CFgnPly, kFgnEntityPly)
FGN_ENTITY_TYPE(CFgnCPly, kFgnEntityCPly)
FGN_ENTITY_TYPE(CFgnText, kFgnEntityText)
FGN_ENTITY_TYPE(CFgnMText, kFgnEntityMText)
FGN_ENTITY_TYPE(CFgnArc, kFgnEntityArc)
FGN_ENTITY_TYPE(CFgnBlkInst, kFgnEntityBlkInst)

using CFgnPtList = std::list<const CFgnPt*>;
using CFgnGeomList = std::list<const CFgnGeom*>;
FGN_DEFAULT_GETTER(CFgnPnt, const CFgnStylePnt*, GetStyle)
FGN_DEFAULT_GETTER(CFgnMPnt, const CFgnPtList*, GetPts)
FGN_DEFAULT_GETTER(CFgnMPnt, const CFgnStylePnt*, GetStyle)
FGN_DEFAULT_GETTER(CFgnLine, const CFgnStyleLine*, GetStyle)
FGN_DEFAULT_GETTER(CFgnPline, const CFgnPtList*, GetPts)
FGN_DEFAULT_GETTER(CFgnPline, const CFgnStyleLine*, GetStyle)
FGN_DEFAULT_GETTER(CFgnCPline, const CFgnGeomList*, GetGeometry)
FGN_DEFAULT_GETTER(CFgnCPline, const CFgnStyleLine*, GetStyle)
FGN_DEFAULT_GETTER(CFgnPly, const CFgnPtList*, GetPts)
FGN_DEFAULT_GETTER(CFgnPly, const CFgnStylePly*, GetStyle)
FGN_DEFAULT_GETTER(CFgnCPly, const CFgnGeomList*, GetGeometry)
FGN_DEFAULT_GETTER(CFgnCPly, const CFgnStylePly*, GetStyle)
FGN_DEFAULT_GETTER(CFgnText, const CFgnStyleText*, GetStyle)
FGN_DEFAULT_GETTER(CFgnMText, const CFgnStyleText*, GetStyle)
FGN_DEFAULT_GETTER(CFgnArc, const CFgnStyleLine*, GetStyle)
FGN_DEFAULT_GETTER(CFgnBlkInst, const CFgnPtList*, GetPts)
FGN_DEFAULT_GETTER(CFgnBlkInst, const CFgnStyleBlk*, GetStyle)
FGN_DEFAULT_GETTER(CFgnGeomPts, const CFgnPtList*, GetPts)
FGN_DEFAULT_GETTER(CFgnStyleLine, char const*, GetLinePattern)
FGN_DEFAULT_GETTER(CFgnStylePly, char const*, GetFillPattern)
FGN_DEFAULT_GETTER(CFgnStylePly, char const*, GetLinePattern)
FGN_DEFAULT_GETTER(CFgnStyleText, char const*, GetFont)

TFgnAreaType CFgnGeom::GetAreaType(TFgnFmtErr& err) const {
    return Answer(err, kFgnAreaUnspecified);
}
TFgnFmtErr CFgnGeom::SetAreaType(TFgnAreaType) {
    return kFgnNotImplemented;
}
TFgnGeomType CFgnGeomArc::GetType(TFgnFmtErr& err) const {
    return Answer(err, kFgnGeomArc);
}
TFgnGeomType CFgnGeomPts::GetType(TFgnFmtErr& err) const {
    return Answer(err, kFgnGeomPts);
}

#define FGN_CLMN_TYPE(Class, type)                       \
    TFgnClmnType Class::GetType(TFgnFmtErr& err) const { \
        return Answer(err, type);                        \
    }

FGN_CLMN_TYPE(CFgnTblClmnInt2, kFgnClmnInt2)
FGN_CLMN_TYPE(CFgnTblClmnInt4, kFgnClmnInt4)
FGN_CLMN_TYPE(CFgnTblClmnFloat, kFgnClmnFloat)
FGN_CLMN_TYPE(CFgnTblClmnDbl, kFgnClmnDbl)
FGN_CLMN_TYPE(CFgnTblClmnDte, kFgnClmnDte)
FGN_CLMN_TYPE(CFgnTblClmnChar, kFgnClmnChar)
FGN_CLMN_TYPE(CFgnTblClmnLgcl, kFgnClmnLgcl)
