// Builds one element's bytes for the writer: the body field by field, then
// the header (range from the points written, length from the bytes
// actually written) and the database linkage. Values a design cannot hold
// (not finite, a coordinate beyond the 32-bit positional range) refuse the
// element instead of storing something undefined.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "dgn/DgnElement.h"

class CDgnGlobal;

namespace dgn {

// At most this many vertices a line string or shape element holds.
inline constexpr std::size_t kMaxVertices = 101;

class CDgnEncoder {
public:
    CDgnEncoder(const CDgnGlobal& global, std::uint8_t type, const SDgnWriteHeader& header);

    void Byte(std::uint8_t value) { body_.push_back(value); }
    void Word(std::uint16_t value);
    void Long(std::int32_t value);
    void Double(double value);
    void Bytes(std::span<const std::uint8_t> bytes);
    // A position of master units as stored longs; it extends the range.
    void Point(const CDgnPt& pt);
    // A position as stored doubles (arc and ellipse centres); no range.
    void DoublePoint(const CDgnPt& pt);
    // A length of master units as a stored double.
    void Length(double value);
    // A point the element passes through, for its range only.
    void Extend(const CDgnPt& pt);
    // Stored positional values the element spans (those of its components).
    void ExtendStored(const std::int32_t (&low)[3], const std::int32_t (&high)[3]);
    // Angles in stored units (1/360000 degree), refused beyond a long.
    void Angle(double degrees);

    // Bytes so far, the header included.
    std::size_t Size() const { return kHeaderSize + body_.size(); }
    // Appends the element to `out`: 0; 1 when a value could not be stored
    // or the element would exceed the longest length a header can state.
    TFgnFmtErr Finish(std::vector<std::uint8_t>& out);

    bool ThreeD() const { return threeD_; }

private:
    // The positional value of master units `value` on `axis`; refuses what a long cannot hold.
    std::int32_t Stored(double value, int axis);

    const CDgnGlobal& global_;
    std::uint8_t type_;
    SDgnWriteHeader header_;
    bool threeD_;
    bool ok_ = true;
    bool hasRange_ = false;
    std::int32_t low_[3] = {}, high_[3] = {};
    std::vector<std::uint8_t> body_;
};

// The points of the arc from `start` through `sweep` degrees that bound it:
// its ends, the quarter turns inside it, and its middle when none is.
std::vector<CDgnPt> ArcExtremes(const CDgnPt& centre, double primary, double secondary,
                                double rotation, double start, double sweep);

// The stored range of the elements in `bytes` (the low and high values of
// every element header), and the bit of each level they use; false for none.
bool StoredRange(std::span<const std::uint8_t> bytes, std::int32_t (&low)[3],
                 std::int32_t (&high)[3], std::uint16_t (&levels)[4]);

// One piece of a written outline: a vertex list or an arc.
struct SDgnPiece {
    bool arc = false;
    std::vector<CDgnPt> points;
    CDgnPt centre;
    double start = 0, sweep = 0, primary = 0, secondary = 0;
    double rotation = 0;  // of the primary axis, degrees; stored in 2-D designs only
};

// The sweep from `start` to `end` in the direction given: the whole turn
// when they are equal.
double SweepOf(double start, double end, bool counterClockwise);

// A line string or arc component, or a whole line string.
void EncodeLineString(CDgnEncoder& encoder, std::span<const CDgnPt> points);
void EncodeArc(CDgnEncoder& encoder, const SDgnPiece& arc);

// A complex chain or shape (`type`) of `pieces`: a vertex list longer than a
// line string holds goes out as several line strings joined at their shared
// ends. The header states the words of its components as written.
TFgnFmtErr WriteComplex(const CDgnGlobal& global, std::uint8_t type, const SDgnWriteHeader& header,
                        const std::vector<SDgnPiece>& pieces, std::vector<std::uint8_t>& out);

}  // namespace dgn
