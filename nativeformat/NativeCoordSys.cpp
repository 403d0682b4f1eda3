#include "nativeformat/NativeCoordSys.h"

#include <memory>
#include <string>

#include "coordsys/CoordSysDescriptor.h"
#include "coordsys/CoordTransform.h"
#include "coordsys/CsWktReader.h"
#include "coordsys/CsWktWriter.h"
#include "loader/core/CoordConverter.h"
#include "loader/core/LoaderSettings.h"
#include "loader/core/Messages.h"
#include "loader/core/ReporterInterface.h"
#include "loader/core/Utf8Text.h"

namespace {

void Warn(CLoaderSettings& settings, const std::string& text) {
    if (settings.reporter) settings.reporter->ShowWarning(text.c_str());
    settings.warnings = 1;
}

}  // namespace

void TakeOverInputCoordSys(CLoaderSettings& settings, const CCoordSysDescriptor& fileCoordSys) {
    if (settings.inputCodeGiven) {
        if (!EqualNoCase(settings.inputCode, fileCoordSys.key))
            Warn(settings, Format(kMsgInputCoordSysOverridden, settings.inputCode.c_str(),
                                  fileCoordSys.key.c_str(), settings.inputCode.c_str()));
        return;
    }
    settings.inputCode = fileCoordSys.key;
    settings.outputCode = fileCoordSys.key;
    settings.inputCoordSys = std::make_unique<CCoordSysDescriptor>(fileCoordSys);
}

Status ChooseOutputCoordSys(CLoaderSettings& settings) {
    if (settings.inputCoordSys) {
        settings.outputCoordSys = std::make_unique<CCoordSysDescriptor>(*settings.inputCoordSys);
        return 0;
    }
    if (EqualNoCase(settings.outputCode, "LL84")) {
        settings.outputCoordSys = std::make_unique<CCoordSysDescriptor>();
        return 0;
    }
    CCoordTransform transform;
    if (!transform.SetCoordSys(settings.outputCode.c_str())) {
        SetStatusArgs(settings.outputCode.c_str(), nullptr);
        return kLoaderCoordSysNotFound;
    }
    settings.outputCoordSys = std::make_unique<CCoordSysDescriptor>(transform.Definition());
    return 0;
}

Status CheckAppendCoordSys(CLoaderSettings& settings, const CCoordSysDescriptor* fileCoordSys) {
    if (!fileCoordSys) {
        if (!settings.noCoordSysMetadata) Warn(settings, LoadMessage(kMsgOutputFileHasNoMetadata));
        return 0;
    }
    const std::string& fileKey = fileCoordSys->key;
    const std::string& outputKey = settings.outputCode;
    if (fileKey.empty()) return 0;
    if (EqualNoCase(fileKey, outputKey)) {
        if (settings.noCoordSysMetadata) Warn(settings, LoadMessage(kMsgOutputMetadataKept));
        return 0;
    }
    if (IsLatLongKey(fileKey) && IsLatLongKey(outputKey)) {
        Warn(settings, Format(kMsgOutputLatLongDatumsDiffer, outputKey.c_str(), fileKey.c_str(),
                              fileKey.c_str()));
        return 0;
    }
    SetStatusArgs(outputKey.c_str(), fileKey.c_str());
    return kLoaderOutputCoordSysMismatch;
}

bool CoordSysToWkt(const CCoordSysDescriptor& coordSys, std::string& wkt,
                   CLoaderSettings* settings) {
    CsParams definition{};
    coordSys.ExportDefinition(definition);
    WktStatus status = WriteWkt(definition, wkt);
    if (status == kWktOk && !wkt.empty()) return true;
    if (settings && settings->reporter) {
        // Most often a projection the text has no name for (TMAF, TRMRKRG).
        std::string reason =
            status == kWktProjectionName
                ? "its projection " + coordSys.projectionKey + " has no well-known text form"
                : std::string(WktStatusText(status));
        settings->reporter->ShowError(
            Format(kMsgCoordSysHasNoWkt, coordSys.key.c_str(), reason.c_str()).c_str());
    }
    return false;
}

std::unique_ptr<CCoordSysDescriptor> CoordSysFromWkt(std::string_view wkt,
                                                     CLoaderSettings* settings) {
    CsParams definition{};
    WktStatus status = ReadWkt(wkt, &definition);
    if (status == kWktOk) return std::make_unique<CCoordSysDescriptor>(definition);
    if (settings && settings->reporter) {
        std::string reason(WktStatusText(status));
        if (reason.empty()) reason = WktStatusText(kWktUnknownError);
        settings->reporter->ShowError(Format(kMsgCoordSysMetadataUnusable, reason.c_str()).c_str());
    }
    return nullptr;
}
