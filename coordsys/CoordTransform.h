// The loader's side of the coordinate-system library: one coordinate system
// with its conversions to and from latitude/longitude (degrees, longitude
// east, on the system's own datum: no datum shift is applied).
#pragma once

#include "common/Status.h"
#include "coordsys/CsParams.h"

// Statuses of a CCoordTransform.
inline constexpr Status kCoordTransformNotSet = -6805101;
// The projection key is not one of the projection table's keys as spelled
// there, or its family is not built.
inline constexpr Status kCoordTransformUnknownProjection = -6805102;
// The last setup or conversion ended in a domain or range error of the maths
// library.
inline constexpr Status kCoordTransformMathError = -6805103;
// The definition failed its check, or cannot be converted to or from
// latitude/longitude at all (a non-georeferenced system).
inline constexpr Status kCoordTransformRefused = -6805104;

// Positive: the point cannot be converted at all (a coordinate that is not a
// finite number, in or out); nothing is stored and the caller leaves the
// object out.
inline constexpr Status kCoordTransformPointRefused = 2;

// The projection key of the local cartesian systems ("*XY-FT*" and the rest),
// whose coordinates pass through unchanged.
inline constexpr char kLocalProjectionKey[] = "*X-Y*";

class CCoordTransform {
public:
    // No system yet: every conversion answers kCoordTransformNotSet.
    CCoordTransform();
    // The system of a definition record and datum block (CsParams layout, as
    // CCoordSysDescriptor::ExportDefinition fills it).
    explicit CCoordTransform(const CsParams& definition);
    virtual ~CCoordTransform() = default;
    CCoordTransform(const CCoordTransform&) = delete;
    CCoordTransform& operator=(const CCoordTransform&) = delete;

    void SetFromDefinition(const CsParams& definition);
    // Selects the system with the key: a local cartesian key, else a key of
    // the coordinate-system dictionary. False when the system cannot be used;
    // a dictionary failure leaves the previous system in place.
    bool SetCoordSys(const char* key);
    // Builds the conversions from the definition; returns the new status.
    Status Initialise();

    // Both return the object's status when it is not 0, else 0,
    // kCoordTransformPointRefused or kCoordTransformMathError. A point outside
    // the projection's domain is still converted (folded or clamped into it)
    // and counted; so is one outside the system's useful range.
    Status LatLongToXY(double latitude, double longitude, double* x, double* y);
    Status XYToLatLong(double x, double y, double* latitude, double* longitude);

    Status GetStatus() const { return status_; }
    // The system's definition record and datum block (the rest of the block
    // is not set): what a CCoordSysDescriptor is built from.
    const CsParams& Definition() const { return definition_; }
    bool IsLocal() const;
    // Points the projection had to fold or clamp into its domain so far.
    long FoldedPoints() const { return foldedPoints_; }
    // Points converted so far whose latitude and longitude lie outside the
    // useful range the family's setup gave the system: converted, but with
    // the projection's errors growing.
    long OutsideRangePoints() const { return outsideRangePoints_; }
    // The library's error code behind the last failure, 0 when the failure
    // was not the library's (or there was none).
    int LibraryError() const { return libraryError_; }

private:
    Status Fail(Status status);
    Status Convert(int (*step)(const CsParams*, double[3], const double[3]), double inX, double inY,
                   double* outX, double* outY);

    CsParams definition_;  // what SetCoordSys or SetFromDefinition gave
    CsParams params_;      // the block the conversions run on
    Status status_ = kCoordTransformNotSet;
    long foldedPoints_ = 0;
    long outsideRangePoints_ = 0;
    int libraryError_ = 0;
};
