#include "loader/Factories.h"

#include "loader/LoaderSettings.h"
#include "loader/Messages.h"

namespace {

// The drawing reader needs the maker's DWG database library, which is not
// part of this system.
std::unique_ptr<CSourceReaderInterface> DrawingReader(CLoaderSettings* settings, Status* status) {
    SetStatusArgs(settings->inputName.c_str(), nullptr);
    *status = kLoaderDwgOpenFailed;
    return nullptr;
}

std::unique_ptr<CSourceReaderInterface> DwgReader(CLoaderSettings* settings, Status* status) {
    settings->inputIsDwg = 1;
    return DrawingReader(settings, status);
}

std::unique_ptr<CSourceReaderInterface> DxfReader(CLoaderSettings* settings, Status* status) {
    settings->inputIsDwg = 0;
    return DrawingReader(settings, status);
}

// The DGN and coverage plug-ins are not built yet.
std::unique_ptr<CSourceReaderInterface> PlugInReader(CLoaderSettings*, Status* status) {
    *status = kLoaderLibraryNotFound;
    return nullptr;
}

constexpr ReaderFactoryEntry kReaders[] = {
    {'D', PlugInReader},
    {'V', PlugInReader},
    {'W', DwgReader},
    {'X', DxfReader},
};

}  // namespace

std::span<const ReaderFactoryEntry> BuiltInReaders() {
    return kReaders;
}

std::span<const WriterFactoryEntry> BuiltInWriters() {
    return {};
}
