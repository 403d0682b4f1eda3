#include "readers/drawing/DxfLoader.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <unordered_map>

namespace drawing {

namespace {

constexpr double kDegree = std::numbers::pi / 180;
constexpr double kTurn = 2 * std::numbers::pi;
constexpr std::size_t kMaxPool = std::numeric_limits<std::uint32_t>::max();

// The point whose x, y and z come in groups `first`, `first` + 10 and `first` + 20.
bool PointGroup(int code, double value, int first, Point3d& point) {
    if (code == first) {
        point.x = value;
    } else if (code == first + 10) {
        point.y = value;
    } else if (code == first + 20) {
        point.z = value;
    } else {
        return false;
    }
    return true;
}

// A list of points, each begun by its x group (`first`) and followed by y and z.
void PointListGroup(int code, double value, int first, std::vector<Point3d>& points) {
    if (code == first) {
        points.push_back({value, 0, 0});
    } else if (!points.empty() && (code == first + 10 || code == first + 20)) {
        (code == first + 10 ? points.back().y : points.back().z) = value;
    }
}

double NormalizedAngle(double angle) {
    angle = std::fmod(angle, kTurn);
    return angle < 0 ? angle + kTurn : angle;
}

std::int16_t ColorValue(std::int64_t value) {
    return static_cast<std::int16_t>(std::clamp<std::int64_t>(value, -32768, 32767));
}

struct TypeName {
    std::string_view dxf;
    EEntityType type;
};

constexpr TypeName kTypes[] = {
    {"TEXT", EEntityType::kText},
    {"ATTRIB", EEntityType::kAttribute},
    {"ATTDEF", EEntityType::kAttributeDefinition},
    {"INSERT", EEntityType::kBlockReference},
    {"POLYLINE", EEntityType::k2dPolyline},
    {"ARC", EEntityType::kArc},
    {"CIRCLE", EEntityType::kCircle},
    {"LINE", EEntityType::kLine},
    {"3DLINE", EEntityType::kLine},  // R12's name
    {"ELLIPSE", EEntityType::kEllipse},
    {"SPLINE", EEntityType::kSpline},
    {"LEADER", EEntityType::kLeader},
    {"RAY", EEntityType::kRay},
    {"XLINE", EEntityType::kXline},
    {"DIMENSION", EEntityType::kDimension},
    {"POINT", EEntityType::kPoint},
    {"3DFACE", EEntityType::kFace},
    {"TRACE", EEntityType::kTrace},
    {"SOLID", EEntityType::kSolid},
    {"SHAPE", EEntityType::kShape},
    {"VIEWPORT", EEntityType::kViewport},
    {"MLINE", EEntityType::kMline},
    {"MTEXT", EEntityType::kMText},
    {"OLEFRAME", EEntityType::kOleFrame},
    {"BODY", EEntityType::kBody},
    {"REGION", EEntityType::kRegion},
    {"3DSOLID", EEntityType::k3dSolid},
    {"TOLERANCE", EEntityType::kFcf},
    {"LWPOLYLINE", EEntityType::kPolyline},
    {"IMAGE", EEntityType::kRasterImage},
    {"MPOLYGON", EEntityType::kMPolygon},
    {"HATCH", EEntityType::kHatch},
};

// Kinds the reader knows only by their class name.
constexpr std::pair<std::string_view, const char*> kOtherClasses[] = {
    {"OLE2FRAME", "DxDbOle2Frame"},
    {"WIPEOUT", "DxDbWipeout"},
    {"MULTILEADER", "DxDbMLeader"},
    {"MLEADER", "DxDbMLeader"},
    {"ACAD_TABLE", "DxDbTable"},
    {"HELIX", "DxDbHelix"},
    {"LIGHT", "DxDbLight"},
    {"MESH", "DxDbSubDMesh"},
    {"SURFACE", "DxDbSurface"},
    {"ARC_DIMENSION", "DxDbArcDimension"},
    {"SECTION", "DxDbSection"},
    {"UNDERLAY", "DxDbUnderlayReference"},
    {"PDFUNDERLAY", "DxDbPdfReference"},
    {"DWFUNDERLAY", "DxDbDwfReference"},
    {"DGNUNDERLAY", "DxDbDgnReference"},
};

EEntityType TypeOf(std::string_view dxf, const char*& className) {
    for (const TypeName& entry : kTypes) {
        if (entry.dxf == dxf) {
            className = ClassNameOf(entry.type);
            return entry.type;
        }
    }
    className = ClassNameOf(EEntityType::kOther);
    for (const auto& [name, cls] : kOtherClasses) {
        if (name == dxf) className = cls;
    }
    return EEntityType::kOther;
}

EEntityType DimensionType(int flags) {
    switch (flags & 7) {
        case 0:
            return EEntityType::kRotatedDimension;
        case 1:
            return EEntityType::kAlignedDimension;
        case 2:
            return EEntityType::k2LineAngularDimension;
        case 3:
            return EEntityType::kDiametricDimension;
        case 4:
            return EEntityType::kRadialDimension;
        case 5:
            return EEntityType::k3PointAngularDimension;
        case 6:
            return EEntityType::kOrdinateDimension;
    }
    return EEntityType::kDimension;
}

// R12 spells the layouts with '$' and in upper case.
std::string CanonicalBlockName(std::string name) {
    const std::string folded = FoldName(name);
    if (folded == "*MODEL_SPACE" || folded == "$MODEL_SPACE") return "*Model_Space";
    if (folded == "*PAPER_SPACE" || folded == "$PAPER_SPACE") return "*Paper_Space";
    return name;
}

int ReleaseNumber(std::string_view version) {
    static constexpr std::pair<std::string_view, int> kReleases[] = {
        {"AC1006", 13}, {"AC1009", 16}, {"AC1012", 19}, {"AC1013", 20},
        {"AC1014", 21}, {"AC1015", 23}, {"AC1018", 25}, {"AC1021", 27},
        {"AC1024", 29}, {"AC1027", 31}, {"AC1032", 33},
    };
    int number = 16;
    for (const auto& [name, value] : kReleases) {
        if (version >= name) number = value;
    }
    return number;
}

}  // namespace

CDxfLoader::CDxfLoader(CDatabase& database, const CByteSource& source)
    : db_(database), reader_(source) {}

bool CDxfLoader::Fail(std::string message) {
    if (error_.empty()) error_ = std::move(message);
    return false;
}

bool CDxfLoader::Advance() {
    haveNext_ = reader_.Next(next_);
    if (!haveNext_ && !reader_.Error().empty()) return Fail(reader_.Error());
    return true;
}

bool CDxfLoader::IsZero(std::string_view name) const {
    return haveNext_ && next_.code == 0 && next_.text == name;
}

bool CDxfLoader::Collect() {
    type_.assign(next_.text);
    objectStart_ = reader_.Position();
    groups_.clear();
    pool_.clear();
    for (;;) {
        if (!Advance()) return false;
        if (!haveNext_) return Fail(reader_.Where() + ": the file ends inside " + type_);
        if (next_.code == 0) return true;
        Group group;
        group.code = next_.code;
        group.type = next_.type;
        group.real = next_.real;
        group.integer = next_.integer;
        std::string_view value;
        if (next_.type == EGroupType::kString) {
            value = next_.text;
        } else if (next_.type == EGroupType::kBinary) {
            value = std::string_view(reinterpret_cast<const char*>(next_.bytes.data()),
                                     next_.bytes.size());
        }
        if (pool_.size() + value.size() > kMaxPool)
            return Fail(reader_.Where() + ": " + type_ + " too large");
        group.offset = static_cast<std::uint32_t>(pool_.size());
        group.size = static_cast<std::uint32_t>(value.size());
        pool_.append(value);
        groups_.push_back(group);
    }
}

bool CDxfLoader::Load(std::string& error) {
    db_.binary_ = reader_.IsBinary();
    decoder_.Configure("AC1009", "");
    bool ok = Advance();
    if (ok && !IsZero("SECTION")) {
        ok = Fail(haveNext_ ? reader_.Where() + ": no DXF file" : "an empty file");
    }
    while (ok) {
        if (!haveNext_) {
            ok = Fail("the file ends before its EOF");
            break;
        }
        if (IsZero("EOF")) break;
        if (!IsZero("SECTION")) {
            ok = Fail(reader_.Where() + ": a group outside any section");
            break;
        }
        if (!Advance()) break;
        if (!haveNext_ || next_.code != 2) {
            ok = Fail(reader_.Where() + ": a section without its name");
            break;
        }
        const std::string name(next_.text);
        if (!Advance()) break;
        if (name == "HEADER") {
            ok = ReadHeader();
        } else if (name == "TABLES") {
            ok = ReadTables();
        } else if (name == "BLOCKS") {
            ok = ReadBlocks();
        } else if (name == "ENTITIES") {
            ok = ReadEntities();
        } else if (name == "OBJECTS") {
            ok = ReadObjects();
        } else {
            ok = SkipSection();
        }
    }
    if (!ok || !error_.empty()) {
        error = error_.empty() ? "the file cannot be read" : error_;
        return false;
    }
    Resolve();
    return true;
}

bool CDxfLoader::ReadHeader() {
    std::string variable;
    while (haveNext_ && !IsZero("ENDSEC")) {
        if (next_.code == 9) {
            variable.assign(next_.text);
        } else if (variable == "$ACADVER" && next_.code == 1) {
            db_.acadVersion_.assign(next_.text);
        } else if (variable == "$DWGCODEPAGE" && next_.code == 3) {
            db_.codePage_.assign(next_.text);
        }
        if (!Advance()) return false;
    }
    decoder_.Configure(db_.acadVersion_, db_.codePage_);
    db_.originalVersion_ = ReleaseNumber(db_.acadVersion_);
    return Advance();
}

bool CDxfLoader::SkipSection() {
    while (haveNext_ && !IsZero("ENDSEC")) {
        if (!Advance()) return false;
    }
    return Advance();
}

void CDxfLoader::AddXData(XDataChain& chain, const Group& group) {
    const int code = group.code;
    if (code >= 1020 && code <= 1033) {
        // The y and z of the point that the last 1010-1013 group began.
        if (!chain.empty() && chain.back().code == (code >= 1030 ? code - 20 : code - 10)) {
            (code >= 1030 ? chain.back().point.z : chain.back().point.y) = group.real;
        }
        return;
    }
    if (code != 1001 && chain.empty()) return;  // no application named yet
    XDataValue value;
    value.code = code;
    switch (group.type) {
        case EGroupType::kString:
            value.text = Text(group);
            break;
        case EGroupType::kBinary: {
            const std::string_view raw = Raw(group);
            value.bytes.assign(raw.begin(), raw.end());
            break;
        }
        case EGroupType::kReal:
            if (code >= 1010 && code <= 1013) {
                value.point.x = group.real;
            } else {
                value.real = group.real;
            }
            break;
        default:
            value.integer = static_cast<std::int32_t>(group.integer);
            break;
    }
    chain.push_back(std::move(value));
}

bool CDxfLoader::ParseHandle(const Group& group, std::uint64_t& handle) {
    const std::string_view text = Raw(group);
    handle = 0;
    if (text.size() > 16)
        return Fail("line " + std::to_string(objectStart_) + ": a handle too long");
    for (char c : text) {
        int digit = -1;
        if (c >= '0' && c <= '9') digit = c - '0';
        if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        if (digit < 0) {
            return Fail((db_.binary_ ? "byte " : "line ") + std::to_string(objectStart_) +
                        ": a handle that is not hexadecimal");
        }
        handle = handle << 4 | static_cast<std::uint64_t>(digit);
    }
    return true;
}

// Hands the groups of the collected object to `specific` (false: stop with
// a failure), leaving out application groups ({ ... }) and embedded
// objects. Extended data goes to the entity, or else into xdata_.
template <class F>
bool CDxfLoader::ForEachGroup(CEntity* entity, F&& specific) {
    bool appGroup = false;
    bool embedded = false;
    bool extended = false;
    XDataChain chain;
    for (const Group& g : groups_) {
        if (g.code == 1001) extended = true;
        if (extended || g.code >= 1000) {
            if (extended) AddXData(chain, g);
            continue;
        }
        if (g.code == 102) {
            appGroup = !Raw(g).empty() && Raw(g)[0] == '{';
            continue;
        }
        if (appGroup) continue;
        if (g.code == 101) embedded = true;
        if (embedded) continue;
        if (entity != nullptr) {
            switch (g.code) {
                case 5:
                    if (!ParseHandle(g, entity->handle_)) return false;
                    continue;
                case 8:
                    entity->layer_ = db_.Intern(Text(g));
                    continue;
                case 6:
                    entity->linetype_ = db_.Intern(Text(g));
                    continue;
                case 62:
                    entity->colorIndex_ = ColorValue(g.integer);
                    continue;
                case 67:
                    entity->paperSpace_ = g.integer != 0;
                    continue;
                default:
                    break;
            }
        }
        if (!specific(g)) return false;
    }
    xdata_ = std::move(chain);
    if (entity != nullptr && !xdata_.empty()) {
        entity->xdata_ = std::make_unique<XDataChain>(std::move(xdata_));
        xdata_.clear();
    }
    return true;
}

bool CDxfLoader::ReadTables() {
    std::string table;
    while (haveNext_ && !IsZero("ENDSEC")) {
        if (next_.code != 0) return Fail(reader_.Where() + ": a group outside any table");
        if (!Collect()) return false;
        if (type_ == "TABLE") {
            table.clear();
            if (!ForEachGroup(nullptr, [&](const Group& g) {
                    if (g.code == 2) table = Raw(g);
                    return true;
                })) {
                return false;
            }
        } else if (type_ == "ENDTAB") {
            table.clear();
        } else if (type_ == "LAYER" && table == "LAYER") {
            auto layer = std::make_unique<CLayerRecord>();
            if (!ForEachGroup(nullptr, [&](const Group& g) {
                    switch (g.code) {
                        case 2:
                            layer->name_ = Text(g);
                            break;
                        case 5:
                            return ParseHandle(g, layer->handle_);
                        case 6:
                            layer->linetype_ = Text(g);
                            break;
                        case 62:
                            layer->colorIndex_ = ColorValue(g.integer);
                            break;
                        case 70:
                            layer->flags_ = Int(g);
                            break;
                    }
                    return true;
                })) {
                return false;
            }
            const std::string key = FoldName(layer->name_);
            if (db_.layerIndex_.emplace(key, db_.layers_.size()).second) {
                db_.layers_.push_back(std::move(layer));
            }
        } else if (type_ == "STYLE" && table == "STYLE") {
            auto style = std::make_unique<CTextStyleRecord>();
            if (!ForEachGroup(nullptr, [&](const Group& g) {
                    switch (g.code) {
                        case 2:
                            style->name_ = Text(g);
                            break;
                        case 3:
                            style->fontFile_ = Text(g);
                            break;
                        case 4:
                            style->bigFontFile_ = Text(g);
                            break;
                        case 5:
                            return ParseHandle(g, style->handle_);
                        case 40:
                            style->height_ = g.real;
                            break;
                        case 41:
                            style->widthFactor_ = g.real;
                            break;
                        case 70:
                            style->flags_ = Int(g);
                            break;
                    }
                    return true;
                })) {
                return false;
            }
            // The TrueType description: typeface (1000) and flags (1071).
            const XDataChain font = XDataOf(xdata_, "ACAD");
            for (const XDataValue& value : font) {
                if (value.code == 1000 && style->typeface_.empty()) style->typeface_ = value.text;
                if (value.code == 1071) style->fontFlags_ = value.integer;
            }
            const std::string key = FoldName(style->name_);
            if (db_.styleIndex_.emplace(key, db_.styles_.size()).second) {
                db_.styles_.push_back(std::move(style));
            }
        }
    }
    return Advance();
}

bool CDxfLoader::ReadBlocks() {
    CBlockRecord* block = nullptr;
    while (haveNext_ && !IsZero("ENDSEC")) {
        if (next_.code != 0) return Fail(reader_.Where() + ": a group outside any block");
        if (!Collect()) return false;
        if (type_ == "BLOCK") {
            auto record = std::make_unique<CBlockRecord>();
            if (!ForEachGroup(nullptr, [&](const Group& g) {
                    if (g.code == 2) record->name_ = CanonicalBlockName(Text(g));
                    if (g.code == 5) return ParseHandle(g, record->handle_);
                    if (g.code == 70) record->flags_ = Int(g);
                    PointGroup(g.code, g.real, 10, record->basePoint_);
                    return true;
                })) {
                return false;
            }
            const auto [at, added] =
                db_.blockIndex_.emplace(FoldName(record->name_), db_.blocks_.size());
            if (added) {
                block = record.get();
                db_.blocks_.push_back(std::move(record));
            } else if (at->second < 2) {
                block = db_.blocks_[at->second].get();  // the layouts' own definitions
                if (block->handle_ == 0) block->handle_ = record->handle_;
            } else {
                block = nullptr;  // a second definition of a name: the first one holds
            }
            continue;
        }
        if (type_ == "ENDBLK") {
            block = nullptr;
            continue;
        }
        if (!ReadEntity(block, false)) return false;
    }
    return Advance();
}

bool CDxfLoader::ReadEntities() {
    while (haveNext_ && !IsZero("ENDSEC")) {
        if (next_.code != 0) return Fail(reader_.Where() + ": a group outside any entity");
        if (!Collect()) return false;
        if (!ReadEntity(nullptr, true)) return false;
    }
    return Advance();
}

bool CDxfLoader::ReadEntity(CBlockRecord* block, bool entitiesSection) {
    if (type_ == "VERTEX" || type_ == "ATTRIB" || type_ == "SEQEND") return true;
    std::unique_ptr<CEntity> entity = BuildEntity();
    if (!entity) return false;
    // Vertices follow their polyline, attributes their block reference, each
    // sequence closed by SEQEND.
    const bool polyline = type_ == "POLYLINE";
    const bool insert = type_ == "INSERT";
    if (polyline || insert) {
        const char* member = polyline ? "VERTEX" : "ATTRIB";
        while (IsZero(member)) {
            if (!Collect() || !AddVertex(*entity)) return false;
        }
        if (IsZero("SEQEND") && !Collect()) return false;
    }
    if (entitiesSection) block = db_.blocks_[entity->paperSpace_ ? 1 : 0].get();
    if (block != nullptr) block->entities_.push_back(std::move(entity));
    return true;
}

bool CDxfLoader::AddVertex(CEntity& owner) {
    if (auto* reference = dynamic_cast<CBlockReference*>(&owner)) {
        std::unique_ptr<CText> attribute = BuildText(EEntityType::kAttribute);
        if (!attribute) return false;
        reference->attributes_.push_back(std::move(attribute));
        return true;
    }
    PolylineVertex vertex;
    auto* flat = dynamic_cast<CPolyline2d*>(&owner);
    if (flat != nullptr) {
        vertex.startWidth = flat->defaultStartWidth_;
        vertex.endWidth = flat->defaultEndWidth_;
    }
    if (!ForEachGroup(nullptr, [&](const Group& g) {
            switch (g.code) {
                case 5:
                    return ParseHandle(g, vertex.handle);
                case 40:
                    vertex.startWidth = g.real;
                    break;
                case 41:
                    vertex.endWidth = g.real;
                    break;
                case 42:
                    vertex.bulge = g.real;
                    break;
                case 70:
                    vertex.flags = Int(g);
                    break;
                default:
                    PointGroup(g.code, g.real, 10, vertex.position);
                    break;
            }
            return true;
        })) {
        return false;
    }
    if (flat != nullptr) {
        vertex.position.z = flat->elevation_;
        vertex.vertexType = (vertex.flags & 16)  ? 1
                            : (vertex.flags & 8) ? 2
                            : (vertex.flags & 1) ? 3
                                                 : 0;
        flat->vertices_.push_back(vertex);
    } else if (auto* solid = dynamic_cast<CPolyline3d*>(&owner)) {
        vertex.vertexType = (vertex.flags & 16) ? 1 : (vertex.flags & 8) ? 2 : 0;
        solid->vertices_.push_back(vertex);
    }
    return true;
}

std::unique_ptr<CText> CDxfLoader::BuildText(EEntityType type) {
    std::unique_ptr<CText> text(new CText);
    Init(*text, type, ClassNameOf(type));
    text->style_ = db_.Intern("Standard");
    const bool attribute = type != EEntityType::kText;
    if (!ForEachGroup(text.get(), [&](const Group& g) {
            switch (g.code) {
                case 1:
                    text->text_ = Text(g);
                    break;
                case 2:
                    text->tag_ = Text(g);
                    break;
                case 7:
                    text->style_ = db_.Intern(Text(g));
                    break;
                case 40:
                    text->height_ = g.real;
                    break;
                case 41:
                    text->widthFactor_ = g.real;
                    break;
                case 50:
                    text->rotation_ = g.real * kDegree;
                    break;
                case 51:
                    text->oblique_ = g.real * kDegree;
                    break;
                case 70:
                    if (attribute) text->attributeFlags_ = static_cast<std::int16_t>(g.integer);
                    break;
                case 72:
                    text->horizontalMode_ = static_cast<std::int8_t>(g.integer);
                    break;
                case 73:
                    if (!attribute) text->verticalMode_ = static_cast<std::int8_t>(g.integer);
                    break;
                case 74:
                    if (attribute) text->verticalMode_ = static_cast<std::int8_t>(g.integer);
                    break;
                default:
                    if (PointGroup(g.code, g.real, 11, text->alignment_))
                        text->hasAlignment_ = true;
                    PointGroup(g.code, g.real, 10, text->position_);
                    PointGroup(g.code, g.real, 210, text->normal_);
                    break;
            }
            return true;
        })) {
        return nullptr;
    }
    return text;
}

void CDxfLoader::Init(CEntity& entity, EEntityType type, const char* className) {
    entity.type_ = type;
    entity.className_ = className;
    entity.layer_ = db_.Intern("0");
    entity.linetype_ = db_.Intern("BYLAYER");
}

std::unique_ptr<CEntity> CDxfLoader::BuildEntity() {
    const char* className = nullptr;
    const EEntityType type = TypeOf(type_, className);
    auto build = [&](auto* raw, auto&& specific) -> std::unique_ptr<CEntity> {
        std::unique_ptr<CEntity> entity(raw);
        Init(*entity, type, className);
        if (!ForEachGroup(entity.get(), specific)) return nullptr;
        return entity;
    };
    switch (type) {
        case EEntityType::kText:
        case EEntityType::kAttribute:
        case EEntityType::kAttributeDefinition:
            return BuildText(type);
        case EEntityType::kPoint: {
            auto* e = new CPointEntity;
            return build(e, [&](const Group& g) {
                PointGroup(g.code, g.real, 10, e->position_);
                return true;
            });
        }
        case EEntityType::kLine: {
            auto* e = new CLine;
            return build(e, [&](const Group& g) {
                PointGroup(g.code, g.real, 10, e->start_);
                PointGroup(g.code, g.real, 11, e->end_);
                return true;
            });
        }
        case EEntityType::kCircle: {
            auto* e = new CCircle;
            return build(e, [&](const Group& g) {
                if (g.code == 40) e->radius_ = g.real;
                PointGroup(g.code, g.real, 10, e->ocsCenter_);
                PointGroup(g.code, g.real, 210, e->normal_);
                return true;
            });
        }
        case EEntityType::kArc: {
            auto* e = new CArc;
            auto entity = build(e, [&](const Group& g) {
                if (g.code == 40) e->radius_ = g.real;
                if (g.code == 50) e->startAngle_ = g.real * kDegree;
                if (g.code == 51) e->endAngle_ = g.real * kDegree;
                PointGroup(g.code, g.real, 10, e->ocsCenter_);
                PointGroup(g.code, g.real, 210, e->normal_);
                return true;
            });
            if (!entity) return entity;
            e->startAngle_ = NormalizedAngle(e->startAngle_);
            e->endAngle_ = NormalizedAngle(e->endAngle_);
            return entity;
        }
        case EEntityType::kEllipse: {
            auto* e = new CEllipse;
            e->endParam_ = kTurn;
            auto entity = build(e, [&](const Group& g) {
                if (g.code == 40) e->ratio_ = g.real;
                if (g.code == 41) e->startParam_ = g.real;
                if (g.code == 42) e->endParam_ = g.real;
                PointGroup(g.code, g.real, 10, e->center_);
                PointGroup(g.code, g.real, 11, e->major_);
                PointGroup(g.code, g.real, 210, e->normal_);
                return true;
            });
            if (!entity) return entity;
            // The curve runs forward from the start through at most one turn.
            double& start = e->startParam_;
            double& end = e->endParam_;
            if (!(start >= 0 && start < kTurn)) start = NormalizedAngle(start);
            if (!(end > start && end - start <= kTurn)) {
                double sweep = std::fmod(end - start, kTurn);
                if (sweep <= 0) sweep += kTurn;
                end = start + sweep;
            }
            return entity;
        }
        case EEntityType::kSpline: {
            auto* e = new CSpline;
            auto entity = build(e, [&](const Group& g) {
                switch (g.code) {
                    case 70:
                        e->flags_ = Int(g);
                        break;
                    case 71:
                        e->degree_ = Int(g);
                        break;
                    case 40:
                        e->knots_.push_back(g.real);
                        break;
                    case 41:
                        e->weights_.push_back(g.real);
                        break;
                    default:
                        PointListGroup(g.code, g.real, 10, e->controlPoints_);
                        PointListGroup(g.code, g.real, 11, e->fitPoints_);
                        PointGroup(g.code, g.real, 210, e->normal_);
                        break;
                }
                return true;
            });
            if (entity)
                e->curve_ =
                    CNurbsCurve::Make(e->degree_, e->knots_, e->controlPoints_, e->weights_);
            return entity;
        }
        case EEntityType::kMText: {
            auto* e = new CMText;
            e->style_ = db_.Intern("Standard");
            std::string raw;
            Vector3d direction;
            bool hasDirection = false;
            double degrees = 0;
            auto entity = build(e, [&](const Group& g) {
                switch (g.code) {
                    case 1:
                    case 3:
                        raw.append(Raw(g));
                        break;
                    case 7:
                        e->style_ = db_.Intern(Text(g));
                        break;
                    case 40:
                        e->height_ = g.real;
                        break;
                    case 41:
                        e->width_ = g.real;
                        break;
                    case 50:
                        degrees = g.real;
                        break;
                    case 71:
                        e->attachment_ = Int(g);
                        break;
                    default:
                        if (PointGroup(g.code, g.real, 11, direction)) hasDirection = true;
                        PointGroup(g.code, g.real, 10, e->location_);
                        PointGroup(g.code, g.real, 210, e->normal_);
                        break;
                }
                return true;
            });
            if (!entity) return entity;
            e->contents_ = decoder_.Decode(raw);
            if (hasDirection && Length(direction) > 0) {
                // The x direction in world coordinates, seen in the text's own plane.
                const Matrix3d ocs = e->Ocs();
                const Vector3d ax{ocs(0, 0), ocs(1, 0), ocs(2, 0)};
                const Vector3d ay{ocs(0, 1), ocs(1, 1), ocs(2, 1)};
                e->rotation_ = NormalizedAngle(std::atan2(Dot(direction, ay), Dot(direction, ax)));
            } else {
                e->rotation_ = degrees * kDegree;
            }
            return entity;
        }
        case EEntityType::kBlockReference: {
            auto* e = new CBlockReference;
            e->blockName_ = db_.Intern("");
            auto entity = build(e, [&](const Group& g) {
                switch (g.code) {
                    case 2:
                        e->blockName_ = db_.Intern(CanonicalBlockName(Text(g)));
                        break;
                    case 41:
                        e->scale_.x = g.real;
                        break;
                    case 42:
                        e->scale_.y = g.real;
                        break;
                    case 43:
                        e->scale_.z = g.real;
                        break;
                    case 50:
                        e->rotation_ = g.real * kDegree;
                        break;
                    case 70:
                        e->columns_ = Int(g);
                        break;
                    case 71:
                        e->rows_ = Int(g);
                        break;
                    case 44:
                        e->columnSpacing_ = g.real;
                        break;
                    case 45:
                        e->rowSpacing_ = g.real;
                        break;
                    default:
                        PointGroup(g.code, g.real, 10, e->position_);
                        PointGroup(g.code, g.real, 210, e->normal_);
                        break;
                }
                return true;
            });
            if (entity && (e->columns_ > 1 || e->rows_ > 1)) {
                e->type_ = EEntityType::kMInsertBlock;
                e->className_ = ClassNameOf(e->type_);
            }
            return entity;
        }
        case EEntityType::kPolyline: {
            auto* e = new CLwPolyline;
            constexpr double kUnset = std::numeric_limits<double>::infinity();
            std::vector<std::pair<double, double>> widths;
            std::vector<double> bulges;
            bool varying = false;
            bool bulged = false;
            auto entity = build(e, [&](const Group& g) {
                switch (g.code) {
                    case 10:
                        e->points_.push_back({g.real, 0});
                        widths.emplace_back(kUnset, kUnset);
                        bulges.push_back(0);
                        break;
                    case 20:
                        if (!e->points_.empty()) e->points_.back().y = g.real;
                        break;
                    case 38:
                        e->elevation_ = g.real;
                        break;
                    case 43:
                        e->constantWidth_ = g.real;
                        break;
                    case 70:
                        e->flags_ = Int(g);
                        break;
                    case 40:
                    case 41:
                        if (!widths.empty()) {
                            (g.code == 40 ? widths.back().first : widths.back().second) = g.real;
                            varying = true;
                        }
                        break;
                    case 42:
                        if (!bulges.empty()) {
                            bulges.back() = g.real;
                            bulged = bulged || g.real != 0;
                        }
                        break;
                    default:
                        PointGroup(g.code, g.real, 210, e->normal_);
                        break;
                }
                return true;
            });
            if (!entity) return entity;
            if (bulged) e->bulges_ = std::move(bulges);
            if (varying) {
                for (auto& [start, end] : widths) {
                    if (start == kUnset) start = 0;
                    if (end == kUnset) end = 0;
                }
                e->widths_ = std::move(widths);
            }
            return entity;
        }
        case EEntityType::k2dPolyline: {
            int flags = 0;
            for (const Group& g : groups_) {
                if (g.code == 70) flags = Int(g);
            }
            if ((flags & (8 | 16 | 64)) != 0) {
                auto* e = new CPolyline3d;
                auto entity = build(e, [&](const Group& g) {
                    if (g.code == 70) e->flags_ = Int(g);
                    return true;
                });
                if (entity) {
                    e->type_ = (flags & 64)   ? EEntityType::kPolyFaceMesh
                               : (flags & 16) ? EEntityType::kPolygonMesh
                                              : EEntityType::k3dPolyline;
                    e->className_ = ClassNameOf(e->type_);
                }
                return entity;
            }
            auto* e = new CPolyline2d;
            return build(e, [&](const Group& g) {
                switch (g.code) {
                    case 30:
                        e->elevation_ = g.real;
                        break;
                    case 40:
                        e->defaultStartWidth_ = g.real;
                        break;
                    case 41:
                        e->defaultEndWidth_ = g.real;
                        break;
                    case 70:
                        e->flags_ = Int(g);
                        break;
                    default:
                        PointGroup(g.code, g.real, 210, e->normal_);
                        break;
                }
                return true;
            });
        }
        case EEntityType::kSolid:
        case EEntityType::kTrace:
        case EEntityType::kFace: {
            auto* e = new CSolid;
            bool fourth = false;
            auto entity = build(e, [&](const Group& g) {
                for (int corner = 0; corner < 4; ++corner) {
                    if (PointGroup(g.code, g.real, 10 + corner, e->corners_[corner]) &&
                        corner == 3) {
                        fourth = true;
                    }
                }
                PointGroup(g.code, g.real, 210, e->normal_);
                return true;
            });
            if (!entity) return entity;
            if (!fourth) e->corners_[3] = e->corners_[2];
            if (type != EEntityType::kFace) {
                const Matrix3d ocs = e->Ocs();
                for (Point3d& corner : e->corners_) corner = ocs.TransformPoint(corner);
            }
            return entity;
        }
        case EEntityType::kMline: {
            auto* e = new CMline;
            auto entity = build(e, [&](const Group& g) {
                switch (g.code) {
                    case 2:
                        e->styleName_ = Text(g);
                        break;
                    case 40:
                        e->scale_ = g.real;
                        break;
                    case 71:
                        e->flags_ = Int(g);
                        break;
                    default:
                        PointListGroup(g.code, g.real, 11, e->vertices_);
                        PointGroup(g.code, g.real, 210, e->normal_);
                        break;
                }
                return true;
            });
            return entity;
        }
        case EEntityType::kMPolygon: {
            auto* e = new CMPolygon;
            // Loops follow the loop count (91); each begins with its path type
            // (92); only polyline paths (type bit 2) are read.
            enum { kBefore, kLoops, kAfter } part = kBefore;
            int loopsLeft = 0;
            int verticesLeft = 0;
            bool hasBulge = false;
            Point3d elevation;
            auto entity = build(e, [&](const Group& g) {
                if (part == kBefore) {
                    if (g.code == 91) {
                        loopsLeft = Int(g);
                        part = loopsLeft > 0 ? kLoops : kAfter;
                    }
                    PointGroup(g.code, g.real, 10, elevation);
                    PointGroup(g.code, g.real, 210, e->normal_);
                    return true;
                }
                if (part == kAfter) {
                    PointGroup(g.code, g.real, 210, e->normal_);
                    return true;
                }
                if (g.code == 92) {
                    if (loopsLeft == 0) {
                        part = kAfter;
                        return true;
                    }
                    --loopsLeft;
                    e->loops_.emplace_back();
                    e->loops_.back().readable = (Int(g) & 2) != 0;
                    verticesLeft = 0;
                    hasBulge = false;
                    return true;
                }
                if (e->loops_.empty()) return true;
                MPolygonLoop& loop = e->loops_.back();
                if (!loop.readable) {
                    if ((g.code == 75 || g.code == 76) && loopsLeft == 0) part = kAfter;
                    return true;
                }
                switch (g.code) {
                    case 72:
                        hasBulge = g.integer != 0;
                        break;
                    case 73:
                        loop.closed = g.integer != 0;
                        break;
                    case 93:
                        verticesLeft = Int(g);
                        break;
                    case 10:
                        if (verticesLeft > 0) {
                            loop.vertices.push_back({g.real, 0});
                            loop.bulges.push_back(0);
                            --verticesLeft;
                        }
                        break;
                    case 20:
                        if (!loop.vertices.empty()) loop.vertices.back().y = g.real;
                        break;
                    case 42:
                        if (hasBulge && !loop.bulges.empty()) loop.bulges.back() = g.real;
                        break;
                    default:
                        if (loopsLeft == 0 && verticesLeft == 0 && g.code != 97 && g.code != 330) {
                            part = kAfter;
                        }
                        break;
                }
                return true;
            });
            if (entity) e->elevation_ = elevation.z;
            return entity;
        }
        case EEntityType::kShape: {
            auto* e = new CShape;
            return build(e, [&](const Group& g) {
                switch (g.code) {
                    case 2:
                        e->name_ = Text(g);
                        break;
                    case 40:
                        e->size_ = g.real;
                        break;
                    case 41:
                        e->widthFactor_ = g.real;
                        break;
                    case 50:
                        e->rotation_ = g.real * kDegree;
                        break;
                    case 51:
                        e->oblique_ = g.real * kDegree;
                        break;
                    default:
                        PointGroup(g.code, g.real, 10, e->position_);
                        PointGroup(g.code, g.real, 210, e->normal_);
                        break;
                }
                return true;
            });
        }
        case EEntityType::kDimension: {
            int flags = 0;
            auto entity = build(new CEntity, [&](const Group& g) {
                if (g.code == 70) flags = Int(g);
                return true;
            });
            if (entity) {
                entity->type_ = DimensionType(flags);
                entity->className_ = ClassNameOf(entity->type_);
            }
            return entity;
        }
        default:
            return build(new CEntity, [](const Group&) { return true; });
    }
}

bool CDxfLoader::ReadObjects() {
    bool first = true;
    while (haveNext_ && !IsZero("ENDSEC")) {
        if (next_.code != 0) return Fail(reader_.Where() + ": a group outside any object");
        if (!Collect()) return false;
        const bool dictionary = type_ == "DICTIONARY" || type_ == "ACDBDICTIONARYWDFLT";
        std::unique_ptr<CObject> object(dictionary ? new CDictionary : new CObject);
        auto* entries = dictionary ? static_cast<CDictionary*>(object.get()) : nullptr;
        object->dxfName_ = type_;
        bool named = false;
        if (!ForEachGroup(nullptr, [&](const Group& g) {
                switch (g.code) {
                    case 5:
                        return ParseHandle(g, object->handle_);
                    case 330:
                        return object->owner_ != 0 || ParseHandle(g, object->owner_);
                    case 3:
                        if (entries != nullptr) {
                            entries->entries_.push_back({Text(g), 0});
                            named = true;
                        }
                        break;
                    case 350:
                    case 360:
                        if (entries != nullptr && named) {
                            named = false;
                            return ParseHandle(g, entries->entries_.back().handle);
                        }
                        break;
                }
                return true;
            })) {
            return false;
        }
        if (!xdata_.empty()) object->xdata_ = std::make_unique<XDataChain>(std::move(xdata_));
        xdata_.clear();
        if (first && entries != nullptr) db_.namedObjects_ = entries;
        first = false;
        if (object->handle_ != 0) db_.objectIndex_.emplace(object->handle_, object.get());
        db_.objects_.push_back(std::move(object));
    }
    return Advance();
}

// Points every block reference at its block, except references that would
// make a block contain itself: those of a block to a block of its own
// strongly connected part of the graph of references.
void CDxfLoader::Resolve() {
    const std::size_t count = db_.blocks_.size();
    std::vector<std::vector<std::pair<CBlockReference*, std::size_t>>> edges(count);
    for (std::size_t b = 0; b < count; ++b) {
        for (const auto& entity : db_.blocks_[b]->entities_) {
            auto* reference = dynamic_cast<CBlockReference*>(entity.get());
            if (reference == nullptr) continue;
            const auto target = db_.blockIndex_.find(FoldName(*reference->blockName_));
            if (target != db_.blockIndex_.end()) edges[b].emplace_back(reference, target->second);
        }
    }
    // Tarjan's algorithm without recursion.
    constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();
    std::vector<std::size_t> index(count, kNone), low(count, 0), component(count, kNone);
    std::vector<bool> onStack(count, false);
    std::vector<std::size_t> stack;
    std::vector<std::pair<std::size_t, std::size_t>> work;  // (node, next edge)
    std::size_t counter = 0;
    std::size_t components = 0;
    for (std::size_t root = 0; root < count; ++root) {
        if (index[root] != kNone) continue;
        work.emplace_back(root, 0);
        while (!work.empty()) {
            auto& [node, next] = work.back();
            if (next == 0 && index[node] == kNone) {
                index[node] = low[node] = counter++;
                stack.push_back(node);
                onStack[node] = true;
            }
            if (next < edges[node].size()) {
                const std::size_t target = edges[node][next++].second;
                if (index[target] == kNone) {
                    work.emplace_back(target, 0);
                } else if (onStack[target]) {
                    low[node] = std::min(low[node], index[target]);
                }
                continue;
            }
            const std::size_t done = node;
            work.pop_back();
            if (!work.empty()) low[work.back().first] = std::min(low[work.back().first], low[done]);
            if (low[done] == index[done]) {
                std::size_t member;
                do {
                    member = stack.back();
                    stack.pop_back();
                    onStack[member] = false;
                    component[member] = components;
                } while (member != done);
                ++components;
            }
        }
    }
    for (std::size_t b = 0; b < count; ++b) {
        for (auto& [reference, target] : edges[b]) {
            if (component[target] != component[b]) reference->block_ = db_.blocks_[target].get();
        }
    }
}

}  // namespace drawing
