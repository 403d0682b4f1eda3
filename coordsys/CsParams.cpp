#include "coordsys/CsParams.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "coordsys/core/CsDictionary.h"
#include "projections/ProjectionTable.h"

namespace {

constexpr char kNoDatumDescription[] =
    "No Datum, cartographically referenced directly to an ellipsoid.";

// The table row of a definition's projection, or null with 105 reported.
const CsProjectionEntry* BuildableProjection(const CsCoordSysDef* def) {
    const CsProjectionEntry* row = CS_projectionLookup(def->projectionKey);
    if (row == nullptr || row->setup == nullptr) {
        CS_setErrorContext(def->projectionKey);
        CS_reportError(kCsErrUnknownProjection);
        return nullptr;
    }
    return row;
}

bool FiniteValues(const CsCoordSysDef& def) {
    auto finite = [](double v) { return std::isfinite(v); };
    const double values[] = {def.originLongitude, def.originLatitude, def.falseEasting,
                             def.falseNorthing,   def.scaleReduction, def.unitScale,
                             def.scale,           def.zeroX,          def.zeroY};
    return std::all_of(std::begin(def.parameters), std::end(def.parameters), finite) &&
           std::all_of(std::begin(values), std::end(values), finite);
}

}  // namespace

// The families divide by the radius and take roots of 1 - e^2: a figure
// outside that domain (a damaged record or descriptor) is refused.
bool CS_usableEllipsoid(const CsDatumBlock* datum) {
    if (datum->equatorialRadius > 0.0 && datum->equatorialRadius <= kCsMaxRadius &&
        std::isfinite(datum->eccentricity) && datum->eccentricity >= 0.0 &&
        datum->eccentricity < 1.0) {
        return true;
    }
    CS_setErrorContext(datum->ellipsoidKey);
    CS_reportError(kCsErrBadEllipsoid);
    return false;
}

int CS_checkDefinition(const CsCoordSysDef* def, unsigned options, int errors[], int capacity) {
    if (errors == nullptr) capacity = 0;
    int count = 0;
    auto add = [&](int code) { CS_addCheckError(errors, capacity, count, code); };

    const CsProjectionEntry* row = CS_projectionLookup(def->projectionKey);
    if (row != nullptr && row->check != nullptr) {
        count = row->check(def, row->code, errors, capacity);
    } else {
        add(kCsErrProjectionKey);
    }

    if (def->datumKey[0] != '\0') {
        if (options & kCsCheckDatum) {
            CsPtr<CsDatumDef> datum(CS_lookupDatum(def->datumKey));
            if (!datum) add(kCsErrDatumName);
        }
    } else if (def->ellipsoidKey[0] != '\0') {
        if (options & kCsCheckEllipsoid) {
            CsPtr<CsEllipsoidDef> ellipsoid(CS_lookupEllipsoid(def->ellipsoidKey));
            if (!ellipsoid) add(kCsErrEllipsoidName);
        }
    } else {
        add(kCsErrNoReference);
    }

    bool geographic = row != nullptr && row->code == kCsProjLl;
    if (CS_unitLookup(geographic ? kCsAngularUnit : kCsLinearUnit, def->unit) == 0.0) {
        add(kCsErrUnit);
    }
    // Written so that a NaN fails.
    if (!geographic && !(def->mapScale >= 1.0 && std::isfinite(def->mapScale))) {
        add(kCsErrMapScale);
    }
    // A damaged record or descriptor: no family computes with a NaN or an
    // infinity (the useful ranges are checked below).
    if (!FiniteValues(*def)) add(kCsErrCoefficient);
    if (def->quadrant < -4 || def->quadrant > 4) add(kCsErrQuadrant);
    if (!(def->minLongitude == 0.0 && def->maxLongitude == 0.0) &&
        !(def->minLongitude < def->maxLongitude && def->minLatitude < def->maxLatitude)) {
        add(kCsErrGeoRange);
    }
    if (!(def->minX == 0.0 && def->maxX == 0.0) &&
        !(def->minX < def->maxX && def->minY < def->maxY)) {
        add(kCsErrXyRange);
    }

    if (options & kCsReportErrors) {
        CS_setErrorContext(def->key);
        int stored = count < capacity ? count : capacity;
        for (int i = 0; i < stored; ++i) CS_reportError(errors[i]);
    }
    return count;
}

CsParams* CS_buildParams(const CsCoordSysDef* def, const CsDatumBlock* datum) {
    const CsProjectionEntry* row = BuildableProjection(def);
    if (row == nullptr) return nullptr;
    int errors[4];
    if (CS_checkDefinition(def, kCsReportErrors, errors, 4) != 0) return nullptr;
    if (datum == nullptr) {
        CS_setErrorContext(def->key);
        CS_reportError(kCsErrNoReference);
        return nullptr;
    }
    if (!CS_usableEllipsoid(datum)) return nullptr;

    CsPtr<CsParams> params(CS_allocate<CsParams>());
    if (!params) return nullptr;
    params->csDef = *def;
    params->datum = *datum;
    CsCoordSysDef& cs = params->csDef;
    if (row->code != kCsProjLl) {
        double factor = CS_unitLookup(kCsLinearUnit, def->unit);
        if (factor == 0.0) return nullptr;
        cs.unitScale = factor;
        cs.scale = 1.0 / (factor * def->mapScale);
    } else {
        double factor = CS_unitLookup(kCsAngularUnit, def->unit);
        if (factor == 0.0) return nullptr;
        cs.scale = 1.0 / factor;
        cs.unitScale = factor * datum->equatorialRadius * (2.0 * kCsPi) / 360.0;
    }
    params->projectionCode = row->code;
    params->projectionFlags = row->flags;
    row->setup(params.get());
    return params.release();
}

CsParams* CS_paramsFromDef(const CsCoordSysDef* def) {
    if (BuildableProjection(def) == nullptr) return nullptr;
    CsCoordSysDef copy = *def;
    CsPtr<CsDatumBlock> datum;
    if (copy.datumKey[0] != '\0') {
        datum.reset(CS_loadDatum(copy.datumKey));
        if (!datum) return nullptr;
    } else if (copy.ellipsoidKey[0] != '\0') {
        CsPtr<CsEllipsoidDef> ellipsoid(CS_lookupEllipsoid(copy.ellipsoidKey));
        if (!ellipsoid) return nullptr;
        datum.reset(CS_makeDatumBlock(nullptr, ellipsoid.get()));
        if (!datum) return nullptr;
    }
    return CS_buildParams(&copy, datum.get());
}

CsParams* CS_loadCoordSys(const char* key) {
    CsPtr<CsCoordSysDef> def(CS_lookupCoordSys(key));
    if (!def) return nullptr;
    return CS_paramsFromDef(def.get());
}

CsDatumBlock* CS_makeDatumBlock(const CsDatumDef* datum, const CsEllipsoidDef* ellipsoid) {
    CsDatumBlock* block = CS_allocate<CsDatumBlock>();
    if (block == nullptr) return nullptr;
    if (datum != nullptr) {
        CS_strNCopy(block->key, datum->key, kCsKeySize);
        CS_strNCopy(block->ellipsoidKey, datum->ellipsoidKey, kCsKeySize);
        block->deltaX = datum->deltaX;
        block->deltaY = datum->deltaY;
        block->deltaZ = datum->deltaZ;
        block->rotX = datum->rotX;
        block->rotY = datum->rotY;
        block->rotZ = datum->rotZ;
        block->bwScale = datum->bwScale;
        block->method = static_cast<std::uint16_t>(datum->method);
        CS_strNCopy(block->description, datum->description, sizeof block->description);
    } else {
        CS_strNCopy(block->ellipsoidKey, ellipsoid->key, kCsKeySize);
        CS_strNCopy(block->description, kNoDatumDescription, sizeof block->description);
    }
    block->equatorialRadius = ellipsoid->equatorialRadius;
    block->polarRadius = ellipsoid->polarRadius;
    block->flattening = ellipsoid->flattening;
    block->eccentricity = ellipsoid->eccentricity;
    CS_strNCopy(block->ellipsoidDescription, ellipsoid->description,
                sizeof block->ellipsoidDescription);
    return block;
}

CsDatumBlock* CS_datumFromDef(const CsDatumDef* datum) {
    CsPtr<CsEllipsoidDef> ellipsoid(CS_lookupEllipsoid(datum->ellipsoidKey));
    if (!ellipsoid) return nullptr;
    return CS_makeDatumBlock(datum, ellipsoid.get());
}

CsDatumBlock* CS_loadDatum(const char* key) {
    CsPtr<CsDatumDef> datum(CS_lookupDatum(key));
    if (!datum) return nullptr;
    return CS_datumFromDef(datum.get());
}

namespace {

template <class Def>
int CopyRecord(Def* record, Def* out) {
    if (record == nullptr) return -CS_lastError();
    *out = *record;
    CS_free(record);
    return 0;
}

}  // namespace

int CS_readCoordSysDef(const char* key, CsCoordSysDef* out) {
    return CopyRecord(CS_lookupCoordSys(key), out);
}

int CS_readDatumDef(const char* key, CsDatumDef* out) {
    return CopyRecord(CS_lookupDatum(key), out);
}

int CS_readEllipsoidDef(const char* key, CsEllipsoidDef* out) {
    return CopyRecord(CS_lookupEllipsoid(key), out);
}

int CS_latLongToXy(const CsParams* params, double xy[3], const double ll[3]) {
    int status = params->forward(CS_constants(params), xy, ll);
    xy[2] = ll[2];
    if (std::fabs(xy[0]) < params->csDef.zeroX) xy[0] = 0.0;
    if (std::fabs(xy[1]) < params->csDef.zeroY) xy[1] = 0.0;
    return status;
}

int CS_xyToLatLong(const CsParams* params, double ll[3], const double xy[3]) {
    int status = params->inverse(CS_constants(params), ll, xy);
    ll[2] = xy[2];
    return status;
}
