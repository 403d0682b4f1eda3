// The parameter block a coordinate system is made ready in: its definition,
// its datum with the ellipsoid, the useful range, and the routines and
// constants its projection family's setup installed. The library builds it
// (coordsys/CsParams.h); the families fill and read it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "coordsys/core/CsRecords.h"

// What the slot routines receive: the block's constants area, which each
// family views as its own record (projections/ProjectionKit.h). Never defined.
union CsProjectionConstants;

// The routines a family's setup installs in the block's slots.

// Longitude/latitude (degrees) to x/y (system units) or back: 0 inside the
// domain, 1 at a singular point, 2 when the input was folded or clamped.
using CsProjectFn = int (*)(const CsProjectionConstants* constants, double out[3],
                            const double in[3]);
// A scale factor, or the convergence angle in degrees.
using CsScaleFn = double (*)(const CsProjectionConstants* constants, const double ll[3]);
// 0 when every point lies in the domain, else 2 (4096 for three points where
// a family refuses them).
using CsLimitsFn = int (*)(const CsProjectionConstants* constants, int count,
                           const double points[][3]);

// Storage for the family's constants: the core does not know the families'
// records, only that the largest fits (checked where they are overlaid).
inline constexpr std::size_t kCsConstantsAreaSize = 2048;
struct CsConstantsArea {
    alignas(std::max_align_t) unsigned char bytes[kCsConstantsAreaSize];
};

struct CsDatumBlock {
    char key[kCsKeySize];  // empty when the system refers to an ellipsoid only
    char ellipsoidKey[kCsKeySize];
    double equatorialRadius;  // metres
    double polarRadius;
    double flattening;
    double eccentricity;
    double deltaX;  // metres
    double deltaY;
    double deltaZ;
    double rotX;  // arc-seconds
    double rotY;
    double rotZ;
    double bwScale;  // parts per million
    std::uint16_t method;
    char description[64];
    char ellipsoidDescription[64];
};

struct CsParams {
    CsCoordSysDef csDef;
    CsDatumBlock datum;
    // Useful range, filled by the family setup: degrees (longitudes relative
    // to the central meridian) and system units.
    double rangeCentralMeridian;
    double minLongitude;
    double minLatitude;
    double maxLongitude;
    double maxLatitude;
    double minX;
    double minY;
    double maxX;
    double maxY;
    std::uint16_t projectionCode;
    std::uint32_t projectionFlags;
    CsProjectFn forward;
    CsProjectFn inverse;
    CsScaleFn gridScale;
    CsScaleFn parallelScale;
    CsScaleFn meridianScale;
    CsScaleFn convergence;
    CsLimitsFn checkGeographic;
    CsLimitsFn checkCartesian;
    CsConstantsArea constants;
};

// The block's constants area as the slot routines take it.
inline const CsProjectionConstants* CS_constants(const CsParams* params) {
    return reinterpret_cast<const CsProjectionConstants*>(params->constants.bytes);
}
