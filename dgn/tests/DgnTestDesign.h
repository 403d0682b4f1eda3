// Designs built byte by byte for the tests: a control element with chosen
// working units and origin, and elements of any type with their header
// fields, body and linkages, framed as a design file frames them.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "dgn/DgnCodec.h"
#include "dgn/DgnSeed.h"

namespace dgntest {

using Bytes = std::vector<std::uint8_t>;

inline Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}
inline Bytes Word(std::uint16_t value) {
    return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8)};
}
inline Bytes Long(std::int32_t value) {
    Bytes out(4);
    dgn::StoreLong(value, out.data());
    return out;
}
inline Bytes Double(double value) {
    Bytes out(8);
    dgn::StoreVaxDouble(value, out.data());
    return out;
}
// A stored 2-D point of positional units.
inline Bytes Point(std::int32_t x, std::int32_t y) {
    return Cat({Long(x), Long(y)});
}

struct SHeader {
    std::uint8_t type = dgn::kTypeLine;
    std::uint8_t level = 0;
    std::uint16_t graphicGroup = 0;
    std::uint16_t properties = 0;  // kPropertyAttributes is set for a linkage
    std::uint16_t symbology = 0;   // colour << 8 | weight << 3 | style
    bool complex = false;
    bool deleted = false;
};

// An element: header, body (padded to whole words), then the linkages.
inline Bytes Element(SHeader header, Bytes body, const Bytes& linkages = {}) {
    if (body.size() % 2) body.push_back(0);
    if (!linkages.empty()) header.properties |= dgn::kPropertyAttributes;
    Bytes out(dgn::kHeaderSize, 0);
    out[0] = static_cast<std::uint8_t>(header.level | (header.complex ? 0x80 : 0));
    out[1] = static_cast<std::uint8_t>(header.type | (header.deleted ? 0x80 : 0));
    const std::size_t words = (dgn::kHeaderSize - 4 + body.size() + linkages.size()) / 2;
    const auto put = [&out](std::size_t at, std::uint16_t v) {
        out[at] = static_cast<std::uint8_t>(v);
        out[at + 1] = static_cast<std::uint8_t>(v >> 8);
    };
    put(2, static_cast<std::uint16_t>(words));
    put(28, header.graphicGroup);
    put(30, static_cast<std::uint16_t>((dgn::kHeaderSize + body.size() - 32) / 2));
    put(32, header.properties);
    put(34, header.symbology);
    return Cat({out, body, linkages});
}

// The 16-byte linkage whose third word is 3969: entity number, 32-bit link low byte first.
inline Bytes OdbcLinkage(std::uint16_t entity, std::uint32_t link) {
    return Cat({Word(0x1007), Word(0x5E62), Word(3969), Word(entity),
                Bytes{std::uint8_t(link), std::uint8_t(link >> 8), std::uint8_t(link >> 16),
                      std::uint8_t(link >> 24)},
                Bytes(4, 0)});
}
// A 4-word database linkage.
inline Bytes DmrsLinkage(std::uint16_t entity, std::uint32_t link) {
    return Cat({Word(0x8000), Word(entity), Word(static_cast<std::uint16_t>(link)),
                Word(static_cast<std::uint16_t>(link >> 16 & 0xFF))});
}

// The compiled seed's control element with other working units, origin
// (positional units) and dimension.
inline Bytes Control(std::int32_t subPerMaster = 1000, std::int32_t positionalPerSub = 1,
                     double originX = 0, double originY = 0, bool threeD = false) {
    const auto seed = dgn::SeedDesign();
    Bytes out(seed.begin(), seed.begin() + dgn::kControlLength);
    if (threeD) out[0] |= 0x80;
    dgn::StoreLong(subPerMaster, out.data() + dgn::kControlSubUnits);
    dgn::StoreLong(positionalPerSub, out.data() + dgn::kControlPositionalUnits);
    dgn::StoreVaxDouble(originX, out.data() + dgn::kControlOrigin);
    dgn::StoreVaxDouble(originY, out.data() + dgn::kControlOrigin + 8);
    return out;
}

// A design: the control element, the elements, the end-of-design word.
inline Bytes Design(const Bytes& control, std::initializer_list<Bytes> elements) {
    Bytes out = control;
    for (const Bytes& e : elements) out.insert(out.end(), e.begin(), e.end());
    out.push_back(0xFF);
    out.push_back(0xFF);
    return out;
}

// Bodies of the simple elements (2-D, stored units).
inline Bytes LineBody(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
    return Cat({Point(x1, y1), Point(x2, y2)});
}
inline Bytes VerticesBody(std::initializer_list<std::pair<std::int32_t, std::int32_t>> pts,
                          std::size_t extraPerVertex = 0) {
    Bytes out = Word(static_cast<std::uint16_t>(pts.size()));
    for (const auto& [x, y] : pts) out = Cat({out, Point(x, y)});
    out.resize(out.size() + extraPerVertex * pts.size(), 0);
    return out;
}
// Angles in stored units (1/360000 degree); the sweep in its stored
// sign-magnitude form; axes and centre in positional units.
inline Bytes ArcBody(std::int32_t start, std::uint32_t sweep, double primary, double secondary,
                     std::int32_t rotation, double cx, double cy) {
    return Cat({Long(start), Long(static_cast<std::int32_t>(sweep)), Double(primary),
                Double(secondary), Long(rotation), Double(cx), Double(cy)});
}
inline Bytes EllipseBody(double primary, double secondary, std::int32_t rotation, double cx,
                         double cy) {
    return Cat({Double(primary), Double(secondary), Long(rotation), Double(cx), Double(cy)});
}

// An element with its range block set (low x, low y, high x, high y).
inline Bytes WithRange(Bytes element, std::int32_t lowX, std::int32_t lowY, std::int32_t highX,
                       std::int32_t highY) {
    const std::int32_t values[] = {lowX, lowY, 0, highX, highY, 0};
    for (int i = 0; i < 6; ++i)
        dgn::StoreLong(static_cast<std::int32_t>(dgn::EncodeRange(values[i])),
                       element.data() + 4 + 4 * i);
    return element;
}

// Six characters of Radix-50 as the two words a cell's name is.
inline Bytes CellName(const char* name) {
    const auto words = dgn::TextToRadix50(name, 2);
    return Cat({Word(words[0]), Word(words[1])});
}

// A 2-D cell header of the components that follow it (`componentBytes` of
// them): name, matrix longs row by row (214748 is 1) and origin.
inline Bytes Cell(const char* name, std::size_t componentBytes, std::int32_t m0, std::int32_t m1,
                  std::int32_t m2, std::int32_t m3, std::int32_t ox, std::int32_t oy,
                  SHeader header = {}) {
    header.type = dgn::kTypeCell;
    // The total length counts the words after itself: 27 of the header.
    return Element(header, Cat({Word(static_cast<std::uint16_t>(27 + componentBytes / 2)),
                                CellName(name), Word(0), Bytes(8, 0xFF), Point(0, 0), Point(0, 0),
                                Long(m0), Long(m1), Long(m2), Long(m3), Point(ox, oy)}));
}

// A 2-D text-node header of `lines` type-17 elements (`componentBytes` of
// them); sizes and line spacing in stored units, angle in 1/360000 degree.
inline Bytes TextNode(std::uint16_t lines, std::size_t componentBytes, std::uint8_t font,
                      std::uint8_t code, std::int32_t spacing, std::int32_t size,
                      std::int32_t angle, std::int32_t x, std::int32_t y, SHeader header = {}) {
    header.type = dgn::kTypeTextNode;
    return Element(header, Cat({Word(static_cast<std::uint16_t>(16 + componentBytes / 2)),
                                Word(lines), Word(1), Bytes{20, 10, font, code}, Long(spacing),
                                Long(size), Long(size), Long(angle), Point(x, y)}));
}

// A type-17 body: font, code, size (both multipliers), angle, origin, text.
inline Bytes TextBody(std::uint8_t font, std::uint8_t code, std::int32_t size, std::int32_t angle,
                      std::int32_t x, std::int32_t y, const Bytes& text) {
    return Cat({Bytes{font, code}, Long(size), Long(size), Long(angle), Point(x, y),
                Bytes{std::uint8_t(text.size()), 0}, text});
}

// A reference attachment (type 5 on level 9) of the file `spec`, whose stated
// length may differ from its characters.
inline Bytes Attachment(const std::string& spec, const std::string& name = "part",
                        std::uint16_t specLength = 0xFFFF) {
    Bytes specBytes(spec.begin(), spec.end());
    specBytes.resize(65, 0);
    Bytes nameBytes(name.begin(), name.end());
    nameBytes.resize(22, 0);
    const std::uint16_t length =
        specLength == 0xFFFF ? static_cast<std::uint16_t>(spec.size()) : specLength;
    return Element({.type = dgn::kTypeRefAttachmentOld, .level = 9},
                   Cat({Word(length),  specBytes,
                        Bytes(1, 0),   Word(0),
                        Word(0),       Bytes(16, 0),
                        Bytes(64, 0),  Bytes(12, 0),
                        Double(1),     Double(0),
                        Double(0),     Double(1),
                        Bytes(40, 0),  Double(1),
                        Bytes(12, 0),  Word(static_cast<std::uint16_t>(name.size())),
                        nameBytes,     Word(0),
                        Bytes(42, 0),  Word(0),
                        Bytes(126, 0), Bytes(4, 0),
                        Word(0)}));
}

}  // namespace dgntest
