#include "loader/core/SourceReader.h"

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
