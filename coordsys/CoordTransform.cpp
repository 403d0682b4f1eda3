#include "coordsys/CoordTransform.h"

#include <cerrno>
#include <cmath>
#include <cstring>

#include "coordsys/core/CsAngles.h"
#include "coordsys/core/CsCore.h"
#include "projections/ProjectionTable.h"

namespace {

// The local cartesian systems: coordinates in the unit, no georeference.
struct LocalSystem {
    const char* key;
    const char* unit;
};

constexpr LocalSystem kLocalSystems[] = {
    {"*XY-MT*", "Meter"},        {"*XY-FT*", "Foot"},         {"*XY-IN*", "Inch"},
    {"*XY-IFT*", "IFoot"},       {"*XY-CFT*", "ClarkeFoot"},  {"*XY-IIN*", "IInch"},
    {"*XY-CM*", "Centimeter"},   {"*XY-KM*", "Kilometer"},    {"*XY-YD*", "Yard"},
    {"*XY-SYD*", "SearsYard"},   {"*XY-MI*", "Mile"},         {"*XY-IYD*", "IYard"},
    {"*XY-IMI*", "IMile"},       {"*XY-KT*", "Knot"},         {"*XY-NM*", "NautM"},
    {"*XY-DM*", "Decimeter"},    {"*XY-MM*", "Millimeter"},   {"*XY-DAM*", "Dekameter"},
    {"*XY-HM*", "Hectometer"},   {"*XY-GM*", "GermanMeter"},  {"*XY-CG*", "CaGrid"},
    {"*XY-GCH*", "GunterChain"}, {"*XY-CCH*", "ClarkeChain"}, {"*XY-BCH*", "BenoitChain"},
    {"*XY-SCH*", "SearsChain"},  {"*XY-GLK*", "GunterLink"},  {"*XY-CLK*", "ClarkeLink"},
    {"*XY-BLK*", "BenoitLink"},  {"*XY-SLK*", "SearsLink"},   {"*XY-RD*", "Rod"},
    {"*XY-PC*", "Perch"},        {"*XY-PL*", "Pole"},         {"*XY-FL*", "Furlong"},
    {"*XY-SAR*", "Rood"},        {"*XY-CPF*", "CapeFoot"},    {"*XY-BR*", "Brealey"},
};

const LocalSystem* FindLocalSystem(const char* key) {
    for (const LocalSystem& system : kLocalSystems) {
        if (CS_stricmp(system.key, key) == 0) return &system;
    }
    return nullptr;
}

// The definition fields before any system is chosen.
CsParams EmptyDefinition() {
    CsParams definition{};
    CsCoordSysDef& def = definition.csDef;
    def.scaleReduction = 1.0;
    def.unitScale = 1.0;
    def.mapScale = 1.0;
    def.scale = 1.0;
    def.quadrant = 1;
    definition.datum.equatorialRadius = 1.0;
    definition.datum.polarRadius = 1.0;
    return definition;
}

// A domain or range error of the maths library since errno was cleared.
bool MathError() {
    int error = errno;
    if (error != EDOM && error != ERANGE) return false;
    errno = 0;
    return true;
}

// Whether the point (degrees) lies outside the block's useful range; a
// family that gives no range has none to leave.
bool OutsideUsefulRange(const CsParams& params, const double ll[3]) {
    if (params.minLongitude == 0.0 && params.maxLongitude == 0.0 && params.minLatitude == 0.0 &&
        params.maxLatitude == 0.0) {
        return false;
    }
    double dl = CS_normDeg180(ll[0] - params.rangeCentralMeridian);
    return !(dl >= params.minLongitude && dl <= params.maxLongitude &&
             ll[1] >= params.minLatitude && ll[1] <= params.maxLatitude);
}

}  // namespace

CCoordTransform::CCoordTransform() : definition_(EmptyDefinition()), params_(definition_) {}

CCoordTransform::CCoordTransform(const CsParams& definition) : CCoordTransform() {
    SetFromDefinition(definition);
}

void CCoordTransform::SetFromDefinition(const CsParams& definition) {
    definition_ = EmptyDefinition();
    definition_.csDef = definition.csDef;
    definition_.datum = definition.datum;
    Initialise();
}

bool CCoordTransform::SetCoordSys(const char* key) {
    if (const LocalSystem* local = FindLocalSystem(key)) {
        CsParams definition = EmptyDefinition();
        CsCoordSysDef& def = definition.csDef;
        CS_strNCopy(def.key, key, sizeof def.key);
        CS_strNCopy(def.projectionKey, kLocalProjectionKey, sizeof def.projectionKey);
        CS_strNCopy(def.datumKey, kLocalProjectionKey, sizeof def.datumKey);
        CS_strNCopy(def.ellipsoidKey, kLocalProjectionKey, sizeof def.ellipsoidKey);
        CS_strNCopy(def.unit, local->unit, sizeof def.unit);
        def.unitScale = CS_unitLookup(kCsLinearUnit, local->unit);
        def.scale = 1.0 / def.unitScale;
        CS_strNCopy(definition.datum.key, kLocalProjectionKey, sizeof definition.datum.key);
        CS_strNCopy(definition.datum.ellipsoidKey, kLocalProjectionKey,
                    sizeof definition.datum.ellipsoidKey);
        definition_ = definition;
    } else {
        CsPtr<CsParams> block(CS_loadCoordSys(key));
        if (!block) {
            libraryError_ = CS_lastError();
            return false;
        }
        definition_ = EmptyDefinition();
        definition_.csDef = block->csDef;
        definition_.datum = block->datum;
    }
    return Initialise() == 0;
}

bool CCoordTransform::IsLocal() const {
    return CS_stricmp(definition_.csDef.projectionKey, kLocalProjectionKey) == 0;
}

Status CCoordTransform::Fail(Status status) {
    libraryError_ = CS_lastError();
    return status_ = status;
}

Status CCoordTransform::Initialise() {
    status_ = 0;
    libraryError_ = 0;
    foldedPoints_ = 0;
    outsideRangePoints_ = 0;
    params_ = definition_;
    if (IsLocal()) return status_;

    CsCoordSysDef& def = params_.csDef;
    // The loader's own lookup is exact: "tm" is not "TM" here.
    const CsProjectionEntry* row = CS_projectionLookupExact(def.projectionKey);
    if (row != nullptr && row->code == kCsProjNerth) {
        // Non-earth coordinates have no latitude and longitude to give.
        CS_setErrorContext(def.key);
        CS_reportError(kCsErrNonEarth);
        return Fail(kCoordTransformRefused);
    }
    if (row == nullptr || row->setup == nullptr) {
        CS_setErrorContext(def.projectionKey);
        CS_reportError(kCsErrUnknownProjection);
        return Fail(kCoordTransformUnknownProjection);
    }
    // A family's setup trusts its definition: check it first.
    int errors[4];
    if (CS_checkDefinition(&def, kCsReportErrors, errors, 4) != 0) {
        return Fail(kCoordTransformRefused);
    }
    if (!CS_usableEllipsoid(&params_.datum)) return Fail(kCoordTransformRefused);
    params_.projectionCode = row->code;
    params_.projectionFlags = row->flags;
    errno = 0;
    row->setup(&params_);
    if (MathError()) status_ = kCoordTransformMathError;
    return status_;
}

// One step of the library from (x, y) to (x, y) as it orders them: longitude
// before latitude. A local system passes the values through.
Status CCoordTransform::Convert(int (*step)(const CsParams*, double[3], const double[3]),
                                double inX, double inY, double* outX, double* outY) {
    if (status_ != 0) return status_;
    if (IsLocal()) {
        *outX = inX;
        *outY = inY;
        return 0;
    }
    // No system has a point for a NaN or an infinity.
    if (!std::isfinite(inX) || !std::isfinite(inY)) return kCoordTransformPointRefused;
    const double in[3] = {inX, inY, 0.0};
    double out[3];
    // Only what this conversion does counts, not an earlier caller's errno.
    errno = 0;
    const int result = step(&params_, out, in);
    if (MathError()) return kCoordTransformMathError;
    if (!std::isfinite(out[0]) || !std::isfinite(out[1])) return kCoordTransformPointRefused;
    if (result >= 2) ++foldedPoints_;
    if (OutsideUsefulRange(params_, step == CS_latLongToXy ? in : out)) ++outsideRangePoints_;
    *outX = out[0];
    *outY = out[1];
    return 0;
}

Status CCoordTransform::LatLongToXY(double latitude, double longitude, double* x, double* y) {
    return Convert(CS_latLongToXy, longitude, latitude, x, y);
}

Status CCoordTransform::XYToLatLong(double x, double y, double* latitude, double* longitude) {
    return Convert(CS_xyToLatLong, x, y, longitude, latitude);
}
