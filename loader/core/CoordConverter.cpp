#include "loader/core/CoordConverter.h"

#include <string>

#include "coordsys/CoordSysDescriptor.h"
#include "coordsys/CoordTransform.h"
#include "coordsys/core/CsCore.h"
#include "coordsys/core/CsDictionary.h"
#include "loader/core/LoaderSettings.h"
#include "loader/core/Messages.h"
#include "loader/core/ReporterInterface.h"
#include "loader/core/Utf8Text.h"

namespace {

class CTransformConverter final : public CCoordConverter {
public:
    Status XYToLatLong(double x, double y, double* latitude, double* longitude) override {
        return transform.XYToLatLong(x, y, latitude, longitude);
    }
    Status LatLongToXY(double latitude, double longitude, double* x, double* y) override {
        return transform.LatLongToXY(latitude, longitude, x, y);
    }
    long FoldedPoints() const override { return transform.FoldedPoints(); }
    long OutsideRangePoints() const override { return transform.OutsideRangePoints(); }

    CCoordTransform transform;
};

}  // namespace

bool IsLatLongKey(std::string_view key) {
    return StartsWithNoCase(key, "LL") || EqualNoCase(key, "WORLD-LL");
}

Status CheckCoordSysKey(const std::string& code, CLoaderSettings& settings) {
    CsPtr<CsCoordSysDef> def(CS_lookupCoordSys(code.c_str()));
    if (def) return 0;
    if (settings.reporter)
        settings.reporter->ShowError(("*Error* : " + std::string(CS_lastMessage())).c_str());
    return kLoaderCoordSysNotFound;
}

Status MakeCoordConverter(const std::string& code, const CCoordSysDescriptor* definition,
                          CLoaderSettings& settings, std::unique_ptr<CCoordConverter>& converter) {
    converter.reset();
    auto made = std::make_unique<CTransformConverter>();
    bool usable;
    if (definition != nullptr) {
        CsParams record{};
        if (!definition->ExportDefinition(record)) {
            if (settings.reporter)
                settings.reporter->ShowWarning(LoadMessage(kMsgUnicodeSubstituted).c_str());
            settings.warnings = 1;
        }
        made->transform.SetFromDefinition(record);
        usable = made->transform.GetStatus() == 0;
    } else {
        usable = made->transform.SetCoordSys(code.c_str());
    }
    if (!usable) {
        // Say what the library found wrong before the run reports the system.
        if (made->transform.LibraryError() != 0 && settings.reporter) {
            settings.reporter->ShowError(("*Error* : " + std::string(CS_lastMessage())).c_str());
        }
        return kLoaderCoordSysNotFound;
    }
    converter = std::move(made);
    return 0;
}
