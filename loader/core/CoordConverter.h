// The coordinate converters of a run: one coordinate system with its
// conversions to and from latitude/longitude (degrees, no datum shift).
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "common/Status.h"

class CCoordSysDescriptor;
class CLoaderSettings;

// True for the latitude/longitude keys: "LL..." and "WORLD-LL".
bool IsLatLongKey(std::string_view key);

class CCoordConverter {
public:
    virtual ~CCoordConverter() = default;
    // Both: 0, a negative failure that ends the run, or a positive status for
    // a point no system can convert (a coordinate that is not a finite
    // number), whose object the run leaves out.
    virtual Status XYToLatLong(double x, double y, double* latitude, double* longitude) = 0;
    virtual Status LatLongToXY(double latitude, double longitude, double* x, double* y) = 0;
    // Points converted so far that lay outside the system's domain and were
    // folded or clamped into it.
    virtual long FoldedPoints() const { return 0; }
    // Points converted so far that lay outside the system's useful range.
    virtual long OutsideRangePoints() const { return 0; }
};

// Makes the converter of the system `code`, from `definition` (the input
// file's own coordinate system) when given. A non-zero status means the
// system was not found or cannot be used; the run reports it.
using CoordConverterMaker = Status (*)(const std::string& code,
                                       const CCoordSysDescriptor* definition,
                                       CLoaderSettings& settings,
                                       std::unique_ptr<CCoordConverter>& converter);

// Whether the dictionaries hold the system `code`: 0, or
// kLoaderCoordSysNotFound after the library's reason has been shown. The run
// asks it of the latitude/longitude keys, for which it makes no converter.
using CoordSysKeyCheck = Status (*)(const std::string& code, CLoaderSettings& settings);
Status CheckCoordSysKey(const std::string& code, CLoaderSettings& settings);

// The coordinate-system library's converters.
Status MakeCoordConverter(const std::string& code, const CCoordSysDescriptor* definition,
                          CLoaderSettings& settings, std::unique_ptr<CCoordConverter>& converter);
