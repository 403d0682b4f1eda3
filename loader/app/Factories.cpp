#include "loader/app/Factories.h"

#include "loader/bna/BnaReader.h"
#include "loader/core/LoaderSettings.h"
#include "loader/core/Messages.h"
#include "loader/core/NullWriter.h"
#include "loader/csv/CsvReader.h"
#include "loader/mif/MifReader.h"
#include "loader/shapefile/ShapefileReader.h"
#include "nativeformat/WltReader.h"
#include "nativeformat/WltWriter.h"
#include "nativeformat/WlxReader.h"
#include "nativeformat/WlxWriter.h"
#include "readers/plugin/ForeignReader.h"

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

template <class Reader>
std::unique_ptr<CSourceReaderInterface> Construct(CLoaderSettings* settings, Status* status) {
    return std::make_unique<Reader>(settings, status);
}

template <class Writer>
std::unique_ptr<CWriterBase> Construct(CLoaderSettings* settings, Status* status,
                                       CTableSchemaList* schemas) {
    return std::make_unique<Writer>(settings, status, schemas);
}

constexpr ReaderFactoryEntry kReaders[] = {
    {'B', Construct<CBnaReader>},
    {'C', Construct<CCsvReader>},
    {'D', Construct<CForeignReader>},
    {'H', Construct<CShapefileReader>},
    {'L', Construct<CWltReader>},
    {'M', Construct<CMifReader>},
    {'S', Construct<CWlxReader>},
    {'V', Construct<CForeignReader>},
    {'W', DwgReader},
    {'X', DxfReader},
};

constexpr WriterFactoryEntry kWriters[] = {
    {'L', Construct<CWltWriter>},
    {'O', Construct<CNullWriter>},
    {'S', Construct<CWlxWriter>},
};

}  // namespace

std::span<const ReaderFactoryEntry> BuiltInReaders() {
    return kReaders;
}

std::span<const WriterFactoryEntry> BuiltInWriters() {
    return kWriters;
}
