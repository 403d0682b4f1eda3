#include "loader/core/SourceReader.h"

#include "loader/core/LoaderSettings.h"
#include "loader/core/Messages.h"
#include "loader/core/ReporterInterface.h"
#include "platform/ComRuntime.h"

CSourceReader::CSourceReader(CLoaderSettings* settings, Status* status) : settings_(settings) {
    HRESULT hr =
        CoCreateInstance(CLSID_WKBGeometryFactory, nullptr, CLSCTX_INPROC_SERVER,
                         IID_IWKBGeometryFactory, reinterpret_cast<void**>(factory_.Put()));
    if (status) *status = Succeeded(hr) && factory_ ? 0 : kLoaderComUnavailable;
}

Status CSourceReader::GetTableSchemas(CTableSchemaList*) {
    return 0;
}

Status CSourceReader::GetFileInfo(CFileInfo*) {
    return kLoaderInfoNotApplicable;
}

void CSourceReader::ShowWarning(const std::string& text) {
    if (!settings_) return;
    if (settings_->reporter) settings_->reporter->ShowWarning(text.c_str());
    settings_->warnings = 1;
}

void CSourceReader::ReportSkipped(long count, const char* type) {
    if (count > 0) ShowWarning(Format(kMsgUnsupportedObjectsSkipped, count, type));
}
