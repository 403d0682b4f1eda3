#include "coordsys/CoordSysDescriptor.h"

#include <cmath>
#include <cstring>

#include "coordsys/CsParams.h"

CCoordSysDescriptor::CCoordSysDescriptor(const CsParams& source) {
    ImportDefinition(source);
}

void CCoordSysDescriptor::ImportDefinition(const CsParams& source) {
    const CsCoordSysDef& def = source.csDef;
    const CsDatumBlock& datum = source.datum;
    key = def.key;
    description = def.description;
    group = def.group;
    projectionKey = def.projectionKey;
    unit = def.unit;
    originLongitude = def.originLongitude;
    originLatitude = def.originLatitude;
    falseEasting = def.falseEasting;
    falseNorthing = def.falseNorthing;
    scaleReduction = def.scaleReduction;
    unitScale = def.unitScale;
    mapScale = def.mapScale;
    scale = def.scale;
    std::memcpy(parameters, def.parameters, sizeof parameters);
    quadrant = def.quadrant;
    datumKey = def.datumKey;
    datumDescription = datum.description;
    deltaX = datum.deltaX;
    deltaY = datum.deltaY;
    deltaZ = datum.deltaZ;
    rotX = datum.rotX;
    rotY = datum.rotY;
    rotZ = datum.rotZ;
    bwScale = datum.bwScale;
    datumMethod = static_cast<std::int16_t>(datum.method);
    ellipsoidKey = datum.ellipsoidKey;
    ellipsoidDescription = datum.ellipsoidDescription;
    equatorialRadius = datum.equatorialRadius;
    polarRadius = datum.polarRadius;
}

bool CCoordSysDescriptor::ExportDefinition(CsParams& target) const {
    CsCoordSysDef& def = target.csDef;
    CsDatumBlock& datum = target.datum;
    bool whole = true;
    whole &= CopyField(def.key, key);
    whole &= CopyField(def.description, description);
    whole &= CopyField(def.group, group);
    whole &= CopyField(def.projectionKey, projectionKey);
    whole &= CopyField(def.unit, unit);
    def.originLongitude = originLongitude;
    def.originLatitude = originLatitude;
    def.falseEasting = falseEasting;
    def.falseNorthing = falseNorthing;
    def.scaleReduction = scaleReduction;
    def.unitScale = unitScale;
    def.mapScale = mapScale;
    def.scale = scale;
    std::memcpy(def.parameters, parameters, sizeof parameters);
    def.quadrant = quadrant;
    whole &= CopyField(def.datumKey, datumKey);
    CopyField(datum.key, datumKey);
    whole &= CopyField(datum.description, datumDescription);
    datum.deltaX = deltaX;
    datum.deltaY = deltaY;
    datum.deltaZ = deltaZ;
    datum.rotX = rotX;
    datum.rotY = rotY;
    datum.rotZ = rotZ;
    datum.bwScale = bwScale;
    datum.method = static_cast<std::uint16_t>(datumMethod);
    // A system without a datum names its ellipsoid in the definition.
    whole &= CopyField(def.ellipsoidKey, ellipsoidKey);
    CopyField(datum.ellipsoidKey, ellipsoidKey);
    datum.equatorialRadius = equatorialRadius;
    datum.polarRadius = polarRadius;
    double flattening = equatorialRadius != 0.0 ? 1.0 - polarRadius / equatorialRadius : 0.0;
    datum.flattening = flattening;
    datum.eccentricity = std::sqrt(std::fmax(2.0 * flattening - flattening * flattening, 0.0));
    return whole;
}
